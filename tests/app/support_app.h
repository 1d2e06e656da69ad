#pragma once
// Helpers for the screen tests: waiting for a modal dialog to come up and
// acting on it from inside its event loop.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Polls (every 10 ms, up to timeoutMs) for an active modal widget of type T
// and calls `act` with it. Call before the code that opens the dialog; the
// result says whether it was found.
template <typename T>
void whenModal(std::function<void(T *)> act, bool *found = nullptr, int timeoutMs = 3000)
{
    auto *clock = new QElapsedTimer;
    clock->start();
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [=] {
        T *w = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!w && clock->elapsed() < timeoutMs)
            return;
        poll->stop();
        poll->deleteLater();
        delete clock;
        if (found)
            *found = (w != nullptr);
        if (w)
            act(w);
    });
    poll->start();
}

// Visible top-level widgets of type T.
template <typename T>
QList<T *> visibleWindows()
{
    QList<T *> out;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (T *t = qobject_cast<T *>(w); t && t->isVisible())
            out << t;
    }
    return out;
}
