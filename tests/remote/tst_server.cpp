// The TCP and UDP threads over real loopback sockets: when they listen, how
// requests are taken from the byte stream, and how clients come and go.

#include "remote/RemoteState.h"
#include "remote/TCPServer.h"
#include "remote/TCPThreadCommunication.h"
#include "remote/UDPThreadCommunication.h"

#include "platform/log.h"

#include "support_remote.h"

#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <mutex>

using namespace remotetest;
using Clock = std::chrono::steady_clock;

namespace {

// A bare TCP connection, for writing bytes exactly as a test wants them.
class RawConn
{
public:
    explicit RawConn(uint16_t port)
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(port);
        ok = ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof(a)) == 0;
    }
    ~RawConn()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool write(const ByteVector &b) { return ::send(fd, b.data(), b.size(), MSG_NOSIGNAL) == ssize_t(b.size()); }
    // Bytes that arrive within ms; stops early once `want` bytes are in.
    ByteVector read(int ms, std::size_t want = SIZE_MAX)
    {
        ByteVector got;
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (got.size() < want) {
            const int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
            pollfd p{fd, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, left) <= 0)
                break;
            uint8_t buf[4096];
            const ssize_t n = ::recv(fd, buf, sizeof(buf), 0);
            if (n <= 0) {
                closedByPeer = true;
                break;
            }
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }
    // Waits until the server closes the connection; false when it stays open.
    bool waitClosed(int ms)
    {
        read(ms);
        return closedByPeer;
    }
    // Closing with a reset: whatever the server writes next fails.
    void abort()
    {
        linger l{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof(l));
        ::close(fd);
        fd = -1;
    }
    int fd = -1;
    bool ok = false;
    bool closedByPeer = false;
};

ByteVector answerFrame(const ByteVector &payload)
{
    return frame(payload);
}

ByteVector concat(std::initializer_list<ByteVector> parts)
{
    ByteVector out;
    for (const auto &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct LogCapture
{
    LogCapture()
    {
        platform::setLogSink([this](const std::string &l) {
            std::lock_guard<std::mutex> g(m);
            lines.push_back(l);
        });
    }
    ~LogCapture() { platform::setLogSink(nullptr); }
    bool has(const std::string &text)
    {
        std::lock_guard<std::mutex> g(m);
        for (const auto &l : lines)
            if (l == text)
                return true;
        return false;
    }
    std::mutex m;
    std::vector<std::string> lines;
};

const ByteVector kPing = bytes({0x01});
const ByteVector kPingAnswer = answerFrame(bytes({0x01, 0x7F}));

} // namespace

class TstServer : public QObject
{
    Q_OBJECT

    std::unique_ptr<Server> server;

private slots:
    void init()
    {
        server = std::make_unique<Server>();
        QVERIFY(server->startTcp());
    }

    void cleanup() { server.reset(); }

    void listensOnlyOnceTheNetworkIsUp()
    {
        server.reset();
        Server s;
        wifiConnect = false;
        TCPThreadCommunication tcp(10000, s.tcpPort);
        UDPThreadCommunication udp(10000, s.udpPort);
        tcp.start();
        udp.start();
        usleep(300000);
        QVERIFY(!tcp.listening);
        QVERIFY(!udp.listening);
        QVERIFY(!RawConn(s.tcpPort).ok);
        std::vector<DiscoveredMachine> found;
        std::string error;
        QVERIFY(discoverMachines("127.0.0.1", s.udpPort, 200, &found, &error));
        QVERIFY(found.empty());

        wifiConnect = true;
        QVERIFY(waitUntil([&] { return tcp.listening && udp.listening; }));
        QCOMPARE(s.ask(kPing), bytes({0x01, 0x7F}));
    }

    void requestInSeveralWritesIsAnsweredAtOnce()
    {
        RawConn c(server->tcpPort);
        QVERIFY(c.ok);
        // A request with a long text, delivered in three pieces.
        const ByteVector f = frame(Req(0x87).u32(42).byte(1).text(std::string(200, 'x')));
        const std::size_t third = f.size() / 3;
        QVERIFY(c.write(ByteVector(f.begin(), f.begin() + third)));
        QVERIFY(c.read(150).empty());
        QVERIFY(c.write(ByteVector(f.begin() + third, f.begin() + 2 * third)));
        QVERIFY(c.read(150).empty());
        const auto sentLast = Clock::now();
        QVERIFY(c.write(ByteVector(f.begin() + 2 * third, f.end())));
        // Read as a whole: recipe 42 does not exist (not "unknown command").
        const ByteVector expected = answerFrame(bytes({0x87, 0x70, 0xFE}));
        QCOMPARE(c.read(2000, expected.size()), expected);
        QVERIFY(Clock::now() - sentLast < std::chrono::milliseconds(800));
    }

    void twoRequestsInOneWriteGetTwoAnswers()
    {
        RawConn c(server->tcpPort);
        QVERIFY(c.write(concat({frame(kPing), frame(bytes({0x81})), frame(kPing)})));
        const ByteVector expected = concat({kPingAnswer, answerFrame(bytes({0x81, 0x7F, 0, 0, 0, 0})), kPingAnswer});
        QCOMPARE(c.read(2000, expected.size()), expected);
    }

    void garbageAndEmptyFramesGetNoAnswer()
    {
        RawConn c(server->tcpPort);
        QVERIFY(c.write(bytes({'h', 'e', 'l', 'l', 'o', 0xFF, 0x00})));
        QVERIFY(c.write(bytes({0xF1, 0xFF})));
        QVERIFY(c.read(300).empty());
        // The connection stays usable; unknown and no-operation commands.
        QVERIFY(c.write(concat({frame(bytes({0x42})), frame(bytes({0x88})), frame(kPing)})));
        const ByteVector expected = concat({answerFrame(bytes({0xFF, 0x70})), bytes({0xF1, 0x00, 0xFF}), kPingAnswer});
        QCOMPARE(c.read(2000, expected.size()), expected);
    }

    void silentClientIsDisconnected()
    {
        LogCapture log;
        RawConn idle(server->tcpPort);
        // Busy enough to stay: a request two seconds in, then silence.
        usleep(2000000);
        QVERIFY(idle.write(frame(kPing)));
        QCOMPARE(idle.read(1000, kPingAnswer.size()), kPingAnswer);
        const auto answered = Clock::now();
        QVERIFY(idle.waitClosed(5000));
        const auto silent = Clock::now() - answered;
        QVERIFY(silent > std::chrono::milliseconds(2500));
        QVERIFY(silent < std::chrono::milliseconds(4500));
        QVERIFY(log.has("not recive data Countermax"));
        // The next client is served.
        QCOMPARE(server->ask(kPing), bytes({0x01, 0x7F}));
    }

    void clientVanishingMidAnswerDoesNotHurt()
    {
        {
            RawConn c(server->tcpPort);
            ByteVector many;
            for (int i = 0; i < 300; ++i)
                many = concat({many, frame(bytes({0x81}))});
            QVERIFY(c.write(many));
            QVERIFY(!c.read(500, 40).empty());
            c.abort();
        }
        // The next client is only accepted once the server has let go of
        // the vanished one.
        QCOMPARE(server->ask(kPing), bytes({0x01, 0x7F}));
        QVERIFY(server->tcp->checkThreadAlive());
    }

    void secondClientWaitsForTheFirst()
    {
        RawConn first(server->tcpPort);
        QVERIFY(first.write(frame(kPing)));
        QCOMPARE(first.read(1000, kPingAnswer.size()), kPingAnswer);

        RawConn second(server->tcpPort);
        QVERIFY(second.ok);
        QVERIFY(second.write(frame(kPing)));
        QVERIFY(second.read(400).empty());

        ::shutdown(first.fd, SHUT_RDWR);
        QCOMPARE(second.read(2000, kPingAnswer.size()), kPingAnswer);
    }

    void oversizedRequestClosesTheConnection()
    {
        RawConn c(server->tcpPort);
        ByteVector big{0xF1};
        big.resize(RemoteFrame::MaxRequest + 100, 0x41);
        QVERIFY(c.write(big));
        QVERIFY(c.waitClosed(2000));
        QCOMPARE(server->ask(kPing), bytes({0x01, 0x7F}));
    }

    void writingToAGoneClientReportsFailure()
    {
        // The server's own view, without the thread: a peer that reset the
        // connection makes sendResponse fail with 2 and no signal.
        server.reset();
        Server s;
        TCPServer srv;
        srv.selectedPort = s.tcpPort;
        QCOMPARE(srv.init(), 0);
        RawConn c(s.tcpPort);
        QCOMPARE(srv.waitIncomingConn(), 0);
        c.abort();
        usleep(50000);
        int rc = 0;
        for (int i = 0; i < 5 && rc == 0; ++i)
            rc = srv.sendResponse(ByteVector(100000, 0x55));
        QCOMPARE(rc, 2);
        QVERIFY(!srv.clientAllreadyConnect());
        QCOMPARE(srv.sendResponse(ByteVector()), 1);
    }

    void discoveryAnswersEverySender()
    {
        QVERIFY(server->startUdp());
        auto sender = [] {
            const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof(a));
            return fd;
        };
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(server->udpPort);

        const int one = sender(), two = sender();
        // An empty datagram and one larger than the receive buffer.
        QCOMPARE(::sendto(one, "", 0, 0, reinterpret_cast<sockaddr *>(&to), sizeof(to)), ssize_t(0));
        const std::string large(1500, 'q');
        ::sendto(two, large.data(), large.size(), 0, reinterpret_cast<sockaddr *>(&to), sizeof(to));

        for (int fd : {one, two}) {
            pollfd p{fd, POLLIN, 0};
            QVERIFY(::poll(&p, 1, 2000) == 1);
            char buf[16];
            sockaddr_in from{};
            socklen_t len = sizeof(from);
            QCOMPARE(::recvfrom(fd, buf, sizeof(buf), 0, reinterpret_cast<sockaddr *>(&from), &len), ssize_t(4));
            QCOMPARE(std::string(buf, 4), std::string("VELT"));
            QCOMPARE(ntohs(from.sin_port), server->udpPort);
            // Answered once only.
            QCOMPARE(::poll(&p, 1, 200), 0);
            ::close(fd);
        }
        QCOMPARE(server->udp->answered.load(), 2u);

        std::vector<DiscoveredMachine> found;
        std::string error;
        QVERIFY(discoverMachines("127.0.0.1", server->udpPort, 500, &found, &error));
        QCOMPARE(found.size(), std::size_t(1));
        QCOMPARE(found[0].address, std::string("127.0.0.1"));
    }
};

QTEST_GUILESS_MAIN(TstServer)
#include "tst_server.moc"
