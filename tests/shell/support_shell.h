#pragma once
// Helpers of the start-up and home-screen tests: a simulated board with the
// serial link thread running against it, and ways to find and answer the
// dialogs the screens open (whenModal and visibleWindows from the app tests).

#include "../app/support_app.h"

#include "BoardSimProcess.h"
#include "app/shell/Application.h"
#include "app/shell/ShellResources.h"

#include <QStringList>

class SerialThreadComunication;

// The simulated board and the link thread talking to it on its pty; the
// thread runs until stop() (or destruction).
class LinkedBoard
{
public:
    ~LinkedBoard() { stop(); }
    bool start();
    void stop();
    BoardSimProcess &board() { return sim; }

private:
    BoardSimProcess sim;
    SerialThreadComunication *link = nullptr;
};

// Texts of the error dialogs shown right now; closing them.
QStringList shownErrors();
void closeErrors();

// A touch at `pos` of the window `top`, delivered to the widget found there.
void touchAt(QWidget *top, const QPoint &pos);

// Clicks the visible key with this text inside `w`.
bool clickKey(QWidget *w, const QString &text);

// The shell tests run inside the program's own application object.
#define SHELL_TEST_MAIN(TestClass)                                                                                     \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        Application app(argc, argv);                                                                                   \
        initAllResources();                                                                                            \
        TestClass t;                                                                                                   \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&t, argc, argv);                                                                           \
    }
