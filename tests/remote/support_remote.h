#pragma once
// A running remote server for tests: a sandbox root, free loopback ports, the
// recipe lists and beaker registry loaded, and the TCP (and UDP) threads up.

#include "remote/ProtocolTCP.h"
#include "remote/RemoteClient.h"
#include "remote/RemoteState.h"
#include "remote/TCPThreadCommunication.h"
#include "remote/UDPThreadCommunication.h"

#include "TempRoot.h"

#include "data/DataState.h"
#include "data/GlassElementsList.h"
#include "data/WorkSettings.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>

namespace remotetest {

// A port nobody listens on right now.
inline uint16_t freePort(bool udp)
{
    const int fd = ::socket(AF_INET, udp ? SOCK_DGRAM : SOCK_STREAM, 0);
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof(a);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), len);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

inline bool waitUntil(const std::function<bool()> &pred, int ms = 3000)
{
    for (int waited = 0; waited < ms && !pred(); waited += 5)
        usleep(5000);
    return pred();
}

inline ByteVector operator+(ByteVector a, const ByteVector &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
inline ByteVector bytes(std::initializer_list<int> v) { return ByteVector(v.begin(), v.end()); }
// A frame enciphered with the placeholder serial number.
inline ByteVector frame(const ByteVector &p) { return ProtocolTCP::buildFrame(p, kPlaceholderSerialNumber); }

// A request payload built field by field.
struct Req
{
    explicit Req(uint8_t code) : bytes{code} {}
    Req &u32(uint32_t v) { return add(toByteArray(v)); }
    Req &text(const std::string &s) { return add(toByteArray(s)); }
    Req &byte(uint8_t b) { return add({b}); }
    Req &add(const ByteVector &b) { bytes = bytes + b; return *this; }
    operator const ByteVector &() const { return bytes; }
    ByteVector bytes;
};

// Reads an answer payload field by field, after its code and status.
struct Ans
{
    explicit Ans(const ByteVector &bytes) : bytes(bytes) {}
    uint32_t u32() { return uint32FromByteArray(bytes, &pos); }
    std::string text() { return stringFromByteArray(bytes, &pos); }
    uint8_t byte() { return pos < bytes.size() ? bytes[pos++] : 0; }
    ByteVector bytes;
    uint32_t pos = 2;
};

struct Server
{
    // Creates the sandbox and loads the stores; the threads start on request.
    Server() : tcpPort(freePort(false)), udpPort(freePort(true))
    {
        for (const char *type : {"milling", "cutting", "whipping"}) {
            root.mkpath(QStringLiteral("/home/root/recipes/") + type);
            root.mkpath(QStringLiteral("/mnt/mmc-memory/recipes/") + type);
        }
        root.mkpath("/home/root/glasses");
        createRecipeLists();
        glassList->Load();
        serialNumber = std::string();
        wifiConnect = true;
    }
    // With `wait`, listening on return.
    bool startTcp(bool wait = true)
    {
        tcp = std::make_unique<TCPThreadCommunication>(10000, tcpPort);
        tcp->start();
        return !wait || waitUntil([this] { return tcp->listening.load(); });
    }
    bool startUdp(bool wait = true)
    {
        udp = std::make_unique<UDPThreadCommunication>(10000, udpPort);
        udp->start();
        return !wait || waitUntil([this] { return udp->listening.load(); });
    }
    // A client connected (if it can be) to the server with the placeholder key.
    std::unique_ptr<RemoteClient> client(int timeoutMs = 4000) const
    {
        auto c = std::make_unique<RemoteClient>("127.0.0.1", tcpPort, std::string(), timeoutMs);
        c->connect();
        return c;
    }
    // One request over a fresh connection; the answer payload, empty on failure.
    ByteVector ask(const ByteVector &payload) const
    {
        ByteVector answer;
        return client()->request(payload, &answer) == RemoteClient::Ok ? answer : ByteVector();
    }
    QByteArray file(const QString &absolute) const { return root.readFile(absolute); }
    bool exists(const QString &absolute) const { return QFile::exists(root.path(absolute)); }

    TempRoot root;
    uint16_t tcpPort = 0;
    uint16_t udpPort = 0;
    std::unique_ptr<TCPThreadCommunication> tcp;
    std::unique_ptr<UDPThreadCommunication> udp;
};

// One run of frostpanel-remote (built next to the tests' folder).
struct Run
{
    int code = -1;
    QString out;
    QString err;
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
};

// The tool runs on a service computer: none of the machine's sandbox
// settings. "tcp" among the options stands for `tcpPort`.
inline Run runTool(uint16_t tcpPort, const QStringList &args, QStringList options = {"--port", "tcp"})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("FROSTPANEL_ROOT");
    QProcess p;
    p.setProcessEnvironment(env);
    options.replaceInStrings("tcp", QString::number(tcpPort));
    p.start(QCoreApplication::applicationDirPath() + "/../frostpanel-remote",
            QStringList{"--host", "127.0.0.1", "--user", "svc"} + options + args);
    Run r;
    if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit)
        r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace remotetest
