#include "support_screencheck.h"

#include "app/AppState.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

namespace {

QString describe(const QWidget *w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

} // namespace

QStringList checkScreen(QWidget *screen, const QString &name)
{
    QStringList problems;
    screen->ensurePolished();
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    QDir().mkpath(dir);
    screen->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));

    if (screen->width() > 480 || screen->height() > 272)
        problems << QStringLiteral("screen is %1x%2").arg(screen->width()).arg(screen->height());

    const QRect display(0, 0, 480, 272);
    for (QWidget *w : screen->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(screen))
            continue;
        w->ensurePolished();
        const QRect r(w->mapTo(screen, QPoint(0, 0)), w->size());
        if (!display.contains(r))
            problems << describe(w) + QStringLiteral(" lies off the display");

        const QFontMetrics fm(w->font());
        if (auto *b = qobject_cast<QAbstractButton *>(w)) {
            QString text = b->text();
            text.replace(QStringLiteral("&&"), QStringLiteral("&"));
            // A text on the rolling list is rotated by the home screen's poll.
            bool rolls = false;
            {
                RollingLock lock;
                for (const auto &p : listRollingObjectButton)
                    rolls = rolls || p == b;
            }
            if (!rolls && fm.horizontalAdvance(text) > b->width() - 8)
                problems << describe(w) + QStringLiteral(" cuts \"") + text + QLatin1Char('"');
        } else if (auto *l = qobject_cast<QLabel *>(w)) {
            bool rolls = false;
            {
                RollingLock lock;
                for (const auto &p : listRollingObject)
                    rolls = rolls || p == l;
            }
            if (rolls || l->text().isEmpty() || !l->pixmap(Qt::ReturnByValue).isNull())
                continue;
            const QRect need = fm.boundingRect(QRect(0, 0, l->width() - 4, 10000),
                                               int(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0),
                                               l->text());
            if (need.width() > l->width() || need.height() > l->height())
                problems << describe(w) + QStringLiteral(" cuts \"") + l->text() + QLatin1Char('"');
        }
    }
    return problems;
}
