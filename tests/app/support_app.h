#pragma once
// What the screen tests share: the usual headers, acting on a modal dialog
// from inside its event loop, finding, touching and closing shown windows and
// the command queue.

#include "TempRoot.h"
#include "app/AppState.h"
#include "app/ErrorMessage.h"
#include "app/ScreenHooks.h"
#include "data/DataState.h"
#include "data/SystemCommand.h"
#include "link/ByteUtils.h"
#include "link/SerialThreadComunication.h"
#include "link/SharedState.h"
#include "platform/clock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

// Runs `act` once on the visible active modal widget of type T, polling from
// the event loop (so it works while the code under test sits in exec());
// gives up after timeoutMs. The flag tells whether it ran. Call before the
// code that opens the dialog.
template <typename T>
std::shared_ptr<bool> whenModal(std::function<void(T *)> act, int timeoutMs = 5000)
{
    auto done = std::make_shared<bool>(false);
    auto *poll = new QTimer(qApp);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        T *w = qobject_cast<T *>(QApplication::activeModalWidget());
        if ((w && w->isVisible()) || clock.elapsed() > timeoutMs) {
            poll->stop();
            poll->deleteLater();
        }
        if (w && w->isVisible()) {
            *done = true;
            act(w);
        }
    });
    poll->start(10);
    return done;
}

// Visible top-level widgets of type T (dialogs are top-level windows).
template <typename T>
QList<T *> visibleWindows()
{
    QList<T *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (T *t = qobject_cast<T *>(w); t && t->isVisible())
            out << t;
    return out;
}

// The first of them, or null.
template <typename T>
T *shownWindow()
{
    const QList<T *> shown = visibleWindows<T>();
    return shown.isEmpty() ? nullptr : shown.first();
}

// Texts of the error dialogs on screen.
inline QStringList shownErrors()
{
    QStringList out;
    for (ErrorMessage *e : visibleWindows<ErrorMessage>())
        out << e->displayMessage();
    return out;
}

inline void closeErrors()
{
    for (ErrorMessage *e : visibleWindows<ErrorMessage>())
        e->close();
}

// Closes every visible window and lets those that delete themselves go.
inline void closeWindows()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::qWait(50);
}

// Clicks the visible key with this text inside `w`.
inline bool clickKey(QWidget *w, const QString &text)
{
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
        if (b->isVisible() && b->text().trimmed().compare(text, Qt::CaseInsensitive) == 0) {
            b->click();
            return true;
        }
    return false;
}

// A touch at `pos` of the window `top`, delivered to the widget found there.
inline void touchAt(QWidget *top, const QPoint &pos)
{
    QWidget *target = top->childAt(pos) ? top->childAt(pos) : top;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(top, pos));
}

// Empties the board command queue, returning what it held.
inline std::vector<ByteVector> takeQueue()
{
    FifoLock lock;
    std::vector<ByteVector> frames;
    for (; !serialFifo.empty(); serialFifo.pop())
        frames.push_back(serialFifo.front());
    return frames;
}

// The queue emptied and every command's wait flag back to "not sent".
inline void clearQueueAndWaitFlags()
{
    takeQueue();
    FifoLock lock;
    resetStateVar();
}

inline QByteArray be16(quint16 v) { return QByteArray() + char(v >> 8) + char(v & 0xFF); }
inline QByteArray be32(quint32 v) { return be16(quint16(v >> 16)) + be16(quint16(v)); }

// The error counter file: fatal flag, then (consecutive, total) for each of the 14 codes.
inline QByteArray errorCounterFile(bool fatal, const QMap<int, QPair<quint16, quint32>> &counts)
{
    QByteArray b(1, fatal ? 1 : 0);
    for (int code = 0; code < 14; ++code)
        b += be16(counts.value(code).first) + be32(counts.value(code).second);
    return b;
}

// The link thread for a whole test case: started on creation, killed and
// joined when it goes.
struct RunningLink
{
    SerialThreadComunication thread{10000};
    RunningLink() { thread.start(); }
    ~RunningLink()
    {
        thread.kill();
        thread.join();
    }
};

// Stands in for the shell's sensor page while it lives: counts the pages the
// screens open and keeps the last one.
struct SensorPageStandIn
{
    int opened = 0;
    QPointer<QWidget> page;
    SensorPageStandIn()
    {
        ScreenHooks::openSensorPage = [this](QWidget *parent) -> QWidget * {
            ++opened;
            auto *w = new QWidget(parent, Qt::Window);
            w->setAttribute(Qt::WA_DeleteOnClose);
            w->show();
            return page = w;
        };
    }
    ~SensorPageStandIn() { ScreenHooks::openSensorPage = nullptr; }
    SensorPageStandIn(const SensorPageStandIn &) = delete;
    SensorPageStandIn &operator=(const SensorPageStandIn &) = delete;
};

// A screen's way to the sensor page (`touch`): in service mode one page over
// the screen however often it is touched, another once that one closed, none
// outside service mode. Empty when so, else what went wrong.
inline QString sensorEntryFault(QWidget *screen, const std::function<void()> &touch)
{
    SensorPageStandIn standIn;
    serviceEnable = false;
    touch();
    if (standIn.opened != 0)
        return "opened outside service mode";
    serviceEnable = true;
    touch();
    touch();
    if (standIn.opened != 1 || !standIn.page || !standIn.page->isVisible() || standIn.page->parent() != screen)
        return QString("%1 pages opened, expected one over the screen").arg(standIn.opened);
    standIn.page->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (standIn.page)
        return "the page did not go";
    touch();
    if (standIn.opened != 2 || !standIn.page)
        return "not opened again after it closed";
    standIn.page->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return QString();
}
