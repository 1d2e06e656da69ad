// frostpanel: the touch-screen program of the machine. Start-up prepares
// every process-wide object and the worker threads, then the home screen
// runs the event loop for the life of the process.

#include "shell/Application.h"
#include "shell/MainWindow.h"
#include "shell/ShellResources.h"
#include "shell/StartUp.h"
#include "platform/log.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    (void)!::write(signalPipe[1], &c, 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceLaunch;
    sinceLaunch.start();

    Application app(argc, argv);
    initAllResources();
    startup::Workers workers = startup::run();

    MainWindow home;
    // Scoped to the home screen itself: a bare rule would reach every
    // window opened as its child and paint over their dimmed backdrops.
    home.setStyleSheet("MainWindow { background-color:#ffffff; }");
    home.show();
    QTimer::singleShot(0, [&sinceLaunch] {
        platform::debugLine("MAIN -> schermata principale visualizzata dopo " +
                            std::to_string(sinceLaunch.elapsed()) + " ms");
    });

    // The machine is simply switched off; on a PC, Ctrl-C or a terminate
    // request leaves through the event loop so the port is closed cleanly.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    }

    const int rc = app.exec();
    workers.stopAll();
    return rc;
}
