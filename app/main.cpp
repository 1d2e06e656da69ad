// frostpanel: until the operator screens exist, the program runs the machine
// link on its own and prints the exchange log, so the board can be watched
// being polled.

#include "data/DataState.h"
#include "data/UserSettings.h"
#include "data/WorkingTimer.h"
#include "link/ProtocolConversion.h"
#include "link/SerialThreadComunication.h"
#include "link/SharedState.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QCoreApplication>
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

void queueCommand(uint8_t code, const ByteVector &payload = {})
{
    FifoLock lock;
    serialFifo.push(ProtocolConversion::BuildCommand(code, payload));
    waitStateVar(code);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);

    resetStateVar();
    platform::debugLine("frostpanel " + swVersion.get() + " - board on " + platform::serialDevice());

    machineLife.load();
    settings.load();
    connectLinkHooks();

    auto *serial = new SerialThreadComunication(10000);
    serial->start();

    // As at start-up: the mains frequency goes out three seconds after the
    // start, and the board's firmware version is asked for.
    QTimer::singleShot(3000, [] {
        const uint8_t hz = settings.getHz().toInt() == 60 ? 6 : 5;
        queueCommand(BoardCmd::MainsFrequency, {hz});
        queueCommand(BoardCmd::Version);
    });

    // Leave cleanly on Ctrl-C so the port is closed and the log is complete.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&] {
            serial->kill();
            serial->join();
            app.quit();
        });
    }

    const int rc = app.exec();
    delete serial;
    return rc;
}
