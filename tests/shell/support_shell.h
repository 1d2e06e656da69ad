#pragma once
// Helpers of the start-up and home-screen tests: a simulated board with the
// serial link thread running against it, and ways to find and answer the
// dialogs the screens open (modal ones included, since a test cannot return
// into a nested event loop by itself).

#include "BoardSimProcess.h"

#include <QApplication>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class SerialThreadComunication;

// The simulated board and the link thread talking to it; the thread runs
// until stop() (or destruction).
class LinkedBoard
{
public:
    LinkedBoard();
    ~LinkedBoard();
    // Starts the board (with --cmd lines) and the link thread on its pty.
    bool start(const QStringList &boardCommands = {});
    void stop();
    BoardSimProcess &board() { return sim; }

private:
    BoardSimProcess sim;
    SerialThreadComunication *link = nullptr;
};

// Visible top-level widgets of type T (dialogs are top-level windows).
template <typename T> QList<T *> visibleTopLevels()
{
    QList<T *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (T *t = qobject_cast<T *>(w))
            if (t->isVisible())
                out << t;
    return out;
}

// Texts of the error dialogs (ErrorMessage) shown right now.
QStringList shownErrors();
// Closes every error dialog shown right now.
void closeErrors();

// Runs `answer` on the modal widget of class `className` as soon as one is
// up (from the event loop, so it also works while the code under test sits
// in exec()); gives up after timeoutMs. The returned flag tells whether it ran.
std::shared_ptr<bool> whenModal(const char *className, std::function<void(QWidget *)> answer,
                                int timeoutMs = 10000);

// A touch at `pos` of the window `top`, delivered to the widget found there
// as the display would (pictures that let touches through included).
void touchAt(QWidget *top, const QPoint &pos);

// Clicks the key with this text inside `w` (buttons, or labels that react to a touch).
bool clickKey(QWidget *w, const QString &text);

// Lines of the debug log collected since the last take.
void captureLog();
QStringList takeLog();
