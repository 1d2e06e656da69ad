#include "support_remote.h"

#include "remote/RemoteState.h"
#include "remote/TCPThreadCommunication.h"
#include "remote/UDPThreadCommunication.h"

#include "data/DataState.h"
#include "data/GlassElementsList.h"
#include "data/RecipeElementList.h"
#include "data/WorkSettings.h"

#include "TempRoot.h"

#include "platform/paths.h"

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
    a.sin_port = 0;
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof(a));
    socklen_t len = sizeof(a);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

bool waitUntil(const std::function<bool()> &pred, int ms)
{
    for (int waited = 0; waited < ms; waited += 5) {
        if (pred())
            return true;
        usleep(5000);
    }
    return pred();
}

Req &Req::u32(uint32_t v)
{
    const ByteVector b = toByteArray(v);
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
}

Req &Req::text(const std::string &s)
{
    const ByteVector b = toByteArray(s);
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
}

Req &Req::byte(uint8_t b)
{
    bytes.push_back(b);
    return *this;
}

ByteVector frame(const ByteVector &payload)
{
    return ProtocolTCP::buildFrame(payload, kPlaceholderSerialNumber);
}

ByteVector bytes(std::initializer_list<int> values)
{
    ByteVector out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

// The program `actual` points at before any remote start: remote starts
// repoint it and the program never frees it, so it stays referenced here.
WorkSettings *initialProgram = nullptr;

Server::Server() : root(std::make_unique<TempRoot>())
{
    if (!initialProgram)
        initialProgram = actual;
    tcpPort = freePort(false);
    udpPort = freePort(true);
    qputenv("FROSTPANEL_TCP_PORT", QByteArray::number(tcpPort));
    qputenv("FROSTPANEL_UDP_PORT", QByteArray::number(udpPort));
    root->mkpath("/home/root/recipes/milling");
    root->mkpath("/home/root/recipes/cutting");
    root->mkpath("/home/root/recipes/whipping");
    root->mkpath("/mnt/mmc-memory/recipes/milling");
    root->mkpath("/mnt/mmc-memory/recipes/cutting");
    root->mkpath("/mnt/mmc-memory/recipes/whipping");
    root->mkpath("/home/root/glasses");
    connectLinkHooks();
    createRecipeLists();
    glassList->Load();
    serialNumber = std::string();
    wifiConnect = true;
}

Server::~Server()
{
    stopTcp();
    stopUdp();
}

bool Server::startTcp()
{
    tcp = std::make_unique<TCPThreadCommunication>(10000, platform::tcpPort());
    tcp->start();
    return waitUntil([this] { return tcp->listening.load(); });
}

bool Server::startUdp()
{
    udp = std::make_unique<UDPThreadCommunication>(10000, udpPort);
    udp->start();
    return waitUntil([this] { return udp->listening.load(); });
}

void Server::stopTcp()
{
    tcp.reset();
}

void Server::stopUdp()
{
    udp.reset();
}

std::unique_ptr<RemoteClient> Server::client(int timeoutMs) const
{
    return std::make_unique<RemoteClient>("127.0.0.1", tcpPort, std::string(), timeoutMs);
}

ByteVector Server::ask(const ByteVector &payload) const
{
    auto c = client();
    ByteVector answer;
    if (c->request(payload, &answer) != RemoteClient::Ok)
        return ByteVector();
    return answer;
}

QString Server::path(const QString &absolute) const
{
    return root->path(absolute);
}

QByteArray Server::readFile(const QString &absolute) const
{
    return root->readFile(absolute);
}

} // namespace remotetest
