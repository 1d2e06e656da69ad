#include "remote/TCPThreadCommunication.h"

#include "remote/ProtocolTCP.h"
#include "remote/RemoteState.h"
#include "remote/TCPServer.h"

#include "platform/log.h"

#include <unistd.h>

TCPThreadCommunication::TCPThreadCommunication(int usecSleep, int comPort, int createdSocket)
    : Manager(&TCPThreadCommunication::run, usecSleep), comPort(comPort), createdSocket(createdSocket)
{
}

TCPThreadCommunication::~TCPThreadCommunication()
{
    // The loop uses this object's members: end it before they go away.
    kill();
    join();
}

void *TCPThreadCommunication::run(void *arg)
{
    static_cast<TCPThreadCommunication *>(arg)->loop();
    return nullptr;
}

void TCPThreadCommunication::loop()
{
    // The thread starts inside Manager's constructor: this object's own
    // members are only safe to read once start() or kill() has been called.
    while (_status == FirstWait)
        usleep(static_cast<useconds_t>(_usec_sleep > 0 ? _usec_sleep : 1000));

    TCPServer srv;
    srv.selectedPort = comPort;
    srv.socket_desc = createdSocket;
    srv.setWakeFd(wake.fd());
    wifiConnect.addListener(&wake);
    const int periodMs = _usec_sleep > 0 ? _usec_sleep / 1000 : 0;

    for (;;) {
        // Cleared before the status is read: a change made after this point
        // leaves the wake-up set, so the waits below return at once.
        wake.clear();
        const Status s = _status;
        if (s == Exit) {
            srv.clientClose(true);
            srv.connClose();
            listening = false;
            usleep(static_cast<useconds_t>(periodMs * 1000));
            break;
        }
        if (s == Init) {
            if (wifiConnect) {
                srv.clientClose(true);
                srv.connClose();
                if (srv.init() == 0) {
                    Status expected = Init;
                    if (_status.compare_exchange_strong(expected, Working))
                        listening = true;
                } else {
                    wake.wait(periodMs); // and try again
                }
            } else {
                wake.wait(-1); // until the link comes up
            }
        } else if (s == Working && !srv.clientAllreadyConnect()) {
            // A failing accept (no descriptors left, say) must not spin.
            if (srv.waitIncomingConn() == 1)
                wake.wait(periodMs);
        } else if (s == Working) {
            // A complete request is answered at once.
            const ByteVector request = srv.getMessage(true);
            if (!request.empty()) {
                platform::debugLine("Recive MSG to port: " + std::to_string(comPort));
                platform::debugLine("Return MSG lenght:" + std::to_string(request.size()));
                const ByteVector answer = ProtocolTCP::InterpretCommand(request, comPort == 4444);
                if (!answer.empty())
                    srv.sendResponse(answer);
                ++answered;
            }
        } else {
            wake.wait(-1); // Idle: until started again or killed
        }
        markCycle();
    }
    wifiConnect.removeListener(&wake);
}
