#include "remote/UDPThreadCommunication.h"

#include "remote/RemoteState.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Pauses before another try after a failed socket (about 2 s) or bind (1 s).
constexpr int kSocketRetryMs = 2000;
constexpr int kBindRetryMs = 1000;

void closeSocket(std::atomic<int> &fd)
{
    const int old = fd.exchange(-1);
    if (old >= 0)
        ::close(old);
}

} // namespace

UDPThreadCommunication::UDPThreadCommunication(int usecSleep, int comPort, int createdSocket)
    : Manager(&UDPThreadCommunication::run, usecSleep), comPort(comPort), createdSocket(createdSocket)
{
}

UDPThreadCommunication::~UDPThreadCommunication()
{
    kill();
    join();
}

void *UDPThreadCommunication::run(void *arg)
{
    static_cast<UDPThreadCommunication *>(arg)->loop();
    return nullptr;
}

void UDPThreadCommunication::loop()
{
    // Own members are only safe to read once start() or kill() was called.
    while (_status == FirstWait)
        usleep(static_cast<useconds_t>(_usec_sleep > 0 ? _usec_sleep : 1000));

    sockaddr_in listenAddress{};
    listenAddress.sin_family = AF_INET;
    listenAddress.sin_addr.s_addr = INADDR_ANY;
    listenAddress.sin_port = htons(static_cast<uint16_t>(comPort));
    // One byte more than a datagram may fill, for the terminating zero.
    char buffer[kBufferSize + 1];
    wifiConnect.addListener(&wake);

    for (;;) {
        // Cleared before the status is read, so no later change is missed.
        wake.clear();
        const Status s = _status;
        if (s == Exit) {
            closeSocket(createdSocket);
            listening = false;
            usleep(static_cast<useconds_t>(_usec_sleep > 0 ? _usec_sleep : 0));
            break;
        }
        if (s == Working) {
            // poll() skips a missing wake descriptor; then wait in short steps.
            pollfd p[2] = {{createdSocket, POLLIN, 0}, {wake.fd(), POLLIN, 0}};
            if (::poll(p, 2, wake.fd() >= 0 ? -1 : 100) > 0 && p[0].revents != 0) {
                sockaddr_in sender{};
                socklen_t senderLength = sizeof(sender);
                const ssize_t n = ::recvfrom(createdSocket, buffer, kBufferSize, MSG_DONTWAIT,
                                             reinterpret_cast<sockaddr *>(&sender), &senderLength);
                // A failed receive has no sender to answer.
                if (n >= 0) {
                    buffer[n] = '\0';
                    std::printf("Client : %s\n", buffer);
                    ::sendto(createdSocket, "VELT", 4, MSG_CONFIRM, reinterpret_cast<sockaddr *>(&sender),
                             senderLength);
                    std::printf("Hello message sent.\n");
                    std::fflush(stdout);
                    ++answered;
                }
            }
        } else if (s == Init) {
            if (wifiConnect) {
                closeSocket(createdSocket);
                const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
                if (fd < 0) {
                    std::printf("Could not create socket\n");
                    std::fflush(stdout);
                    wake.wait(kSocketRetryMs);
                } else {
                    std::printf("Socket created\n");
                    createdSocket = fd;
                    if (::bind(fd, reinterpret_cast<sockaddr *>(&listenAddress), sizeof(listenAddress)) == 0) {
                        Status expected = Init;
                        if (_status.compare_exchange_strong(expected, Working))
                            listening = true;
                        std::fflush(stdout);
                    } else {
                        std::printf("bind failed: %s\n", std::strerror(errno));
                        std::fflush(stdout);
                        wake.wait(kBindRetryMs);
                    }
                }
            } else {
                wake.wait(-1); // until the link comes up
            }
        } else {
            wake.wait(-1); // Idle: until started again or killed
        }
        markCycle();
    }
    wifiConnect.removeListener(&wake);
}
