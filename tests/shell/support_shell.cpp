#include "support_shell.h"

#include "app/ErrorMessage.h"
#include "link/SerialThreadComunication.h"

#include <QAbstractButton>
#include <QTest>

bool LinkedBoard::start()
{
    if (!sim.start())
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
    for (ErrorMessage *e : visibleWindows<ErrorMessage>())
        out << e->displayMessage();
    return out;
}

void closeErrors()
{
    for (ErrorMessage *e : visibleWindows<ErrorMessage>())
        e->close();
}

void touchAt(QWidget *top, const QPoint &pos)
{
    QWidget *target = top->childAt(pos) ? top->childAt(pos) : top;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(top, pos));
}

bool clickKey(QWidget *w, const QString &text)
{
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
        if (b->isVisible() && b->text().trimmed().compare(text, Qt::CaseInsensitive) == 0) {
            b->click();
            return true;
        }
    return false;
}
