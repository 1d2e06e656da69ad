#include "support_remote.h"

#include "data/DataState.h"
#include "data/GlassElementsList.h"
#include "data/WorkSettings.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace remotetest {

uint16_t freePort(bool udp)
{
    const int fd = ::socket(AF_INET, udp ? SOCK_DGRAM : SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof(a));
    socklen_t len = sizeof(a);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

bool waitUntil(const std::function<bool()> &pred, int ms)
{
    for (int waited = 0; waited < ms && !pred(); waited += 5)
        usleep(5000);
    return pred();
}

// Remote starts repoint `actual` and the program never frees what it pointed
// at before; kept referenced here for the leak checker.
WorkSettings *initialProgram = nullptr;

Server::Server() : tcpPort(freePort(false)), udpPort(freePort(true))
{
    if (!initialProgram)
        initialProgram = actual;
    for (const char *type : {"milling", "cutting", "whipping"}) {
        root.mkpath(QStringLiteral("/home/root/recipes/") + type);
        root.mkpath(QStringLiteral("/mnt/mmc-memory/recipes/") + type);
    }
    root.mkpath("/home/root/glasses");
    connectLinkHooks();
    createRecipeLists();
    glassList->Load();
    serialNumber = std::string();
    wifiConnect = true;
}

bool Server::startTcp(bool wait)
{
    tcp = std::make_unique<TCPThreadCommunication>(10000, tcpPort);
    tcp->start();
    return !wait || waitUntil([this] { return tcp->listening.load(); });
}

bool Server::startUdp(bool wait)
{
    udp = std::make_unique<UDPThreadCommunication>(10000, udpPort);
    udp->start();
    return !wait || waitUntil([this] { return udp->listening.load(); });
}

std::unique_ptr<RemoteClient> Server::client(int timeoutMs) const
{
    auto c = std::make_unique<RemoteClient>("127.0.0.1", tcpPort, std::string(), timeoutMs);
    c->connect();
    return c;
}

ByteVector Server::ask(const ByteVector &payload) const
{
    ByteVector answer;
    return client()->request(payload, &answer) == RemoteClient::Ok ? answer : ByteVector();
}

} // namespace remotetest
