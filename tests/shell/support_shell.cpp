#include "support_shell.h"

#include "app/ErrorMessage.h"
#include "link/SerialThreadComunication.h"
#include "platform/log.h"

#include <QAbstractButton>
#include <QLabel>
#include <QApplication>
#include <QMutex>
#include <QTest>
#include <QTimer>

LinkedBoard::LinkedBoard() = default;

LinkedBoard::~LinkedBoard()
{
    stop();
}

bool LinkedBoard::start(const QStringList &boardCommands)
{
    QStringList args;
    for (const QString &c : boardCommands)
        args << "--cmd" << c;
    if (!sim.start(args))
        return false;
    qputenv("FROSTPANEL_SERIAL", sim.devicePath().toLocal8Bit());
    link = new SerialThreadComunication(10000);
    link->start();
    return true;
}

void LinkedBoard::stop()
{
    if (link) {
        link->kill();
        link->join();
        delete link;
        link = nullptr;
    }
    sim.stop();
}

QStringList shownErrors()
{
    QStringList out;
    for (ErrorMessage *e : visibleTopLevels<ErrorMessage>())
        out << e->displayMessage();
    return out;
}

void closeErrors()
{
    for (ErrorMessage *e : visibleTopLevels<ErrorMessage>())
        e->close();
}

std::shared_ptr<bool> whenModal(const char *className, std::function<void(QWidget *)> answer, int timeoutMs)
{
    auto done = std::make_shared<bool>(false);
    auto *poll = new QTimer(qApp);
    auto left = std::make_shared<int>(timeoutMs / 20);
    const QByteArray wanted(className);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, done, left, wanted] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && modal->inherits(wanted.constData())) {
            *done = true;
            poll->deleteLater();
            answer(modal);
        } else if (--*left <= 0) {
            poll->deleteLater();
        }
    });
    poll->start(20);
    return done;
}

void touchAt(QWidget *top, const QPoint &pos)
{
    QWidget *target = top->childAt(pos);
    if (!target)
        target = top;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(top, pos));
}

bool clickKey(QWidget *w, const QString &text)
{
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
        if (b->isVisible() && b->text().trimmed().compare(text, Qt::CaseInsensitive) == 0) {
            b->click();
            return true;
        }
    for (QLabel *l : w->findChildren<QLabel *>())
        if (l->isVisible() && l->text().trimmed().compare(text, Qt::CaseInsensitive) == 0) {
            QTest::mouseClick(l, Qt::LeftButton);
            return true;
        }
    return false;
}

namespace {
QMutex logMutex;
QStringList logLines;
} // namespace

void captureLog()
{
    platform::setLogSink([](const std::string &line) {
        QMutexLocker l(&logMutex);
        logLines << QString::fromStdString(line);
    });
}

QStringList takeLog()
{
    QMutexLocker l(&logMutex);
    QStringList out;
    out.swap(logLines);
    return out;
}
