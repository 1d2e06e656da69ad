// The TCP and UDP threads over real loopback sockets: when they listen, how
// requests are taken from the byte stream, and how clients come and go.

#include "remote/RemoteState.h"

#include "support_remote.h"

#include <QElapsedTimer>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace remotetest;

namespace {

const ByteVector kPing = bytes({0x01});
const ByteVector kPingAnswer = bytes({0x01, 0x7F});

// The next answer payload; {0xEE} when none came.
ByteVector next(RemoteClient &c)
{
    ByteVector a;
    return c.receive(&a) == RemoteClient::Ok ? a : bytes({0xEE});
}

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
        server->tcp.reset();
        wifiConnect = false;
        server->startTcp(false);
        server->startUdp(false);
        QTest::qSleep(300);
        QVERIFY(!server->tcp->listening && !server->udp->listening);
        QVERIFY(!server->client()->connected());
        wifiConnect = true;
        QVERIFY(waitUntil([&] { return server->tcp->listening && server->udp->listening; }));
        QCOMPARE(server->ask(kPing), kPingAnswer);
    }

    void requestInSeveralWritesIsAnsweredAtOnce()
    {
        auto c = server->client();
        const ByteVector f = frame(Req(0x87).u32(42).byte(1).text(std::string(200, 'x')));
        const std::size_t third = f.size() / 3;
        for (std::size_t at = 0; at < 2 * third; at += third) {
            QVERIFY(c->sendRaw(ByteVector(f.begin() + at, f.begin() + at + third)));
            QTest::qSleep(150); // for separate reads on the server
        }
        QElapsedTimer t;
        t.start();
        QVERIFY(c->sendRaw(ByteVector(f.begin() + 2 * third, f.end())));
        // Read whole: recipe 42 does not exist (not "too short").
        QCOMPARE(next(*c), bytes({0x87, 0x70, 0xFE}));
        QVERIFY2(t.elapsed() < 800, qPrintable(QString::number(t.elapsed())));
    }

    void garbageGetsNoAnswerAndOneWriteMayHoldSeveralRequests()
    {
        auto c = server->client();
        QVERIFY(c->sendRaw(bytes({'h', 'e', 'l', 'l', 'o', 0xFF, 0x00, 0xF1, 0xFF}))); // ends in an empty frame
        QTest::qSleep(100);
        QVERIFY(c->sendRaw(frame(bytes({0x42})) + frame(bytes({0x88})) + frame(bytes({0x81}))));
        QCOMPARE(next(*c), bytes({0xFF, 0x70})); // unknown command
        QCOMPARE(next(*c), ByteVector()); // no operation: the empty frame F1 00 FF
        QCOMPARE(next(*c), bytes({0x81, 0x7F, 0, 0, 0, 0}));
    }

    void silentClientIsDisconnected()
    {
        auto c = server->client(5000);
        // Busy enough to stay: a request two seconds in, then silence.
        QTest::qSleep(2000);
        ByteVector a;
        QCOMPARE(c->request(kPing, &a), RemoteClient::Ok);
        QElapsedTimer t;
        t.start();
        QCOMPARE(c->receive(&a), RemoteClient::Closed);
        QVERIFY2(t.elapsed() > 2500 && t.elapsed() < 4500, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(server->ask(kPing), kPingAnswer);
    }

    void clientVanishingMidAnswerDoesNotHurt()
    {
        {
            auto c = server->client();
            const ByteVector f = frame(bytes({0x81}));
            ByteVector many;
            for (int i = 0; i < 2000; ++i)
                many.insert(many.end(), f.begin(), f.end());
            QVERIFY(c->sendRaw(many));
            QCOMPARE(next(*c).size(), std::size_t(6));
        } // closed with answers unread and more coming: the server's writes fail
        QCOMPARE(server->ask(kPing), kPingAnswer);
        QVERIFY(server->tcp->checkThreadAlive());
    }

    void secondClientWaitsForTheFirst()
    {
        auto first = server->client();
        QVERIFY(first->sendRaw(frame(kPing)));
        QCOMPARE(next(*first), kPingAnswer);

        auto second = server->client(400);
        QVERIFY(second->sendRaw(frame(kPing)));
        ByteVector a;
        QCOMPARE(second->receive(&a), RemoteClient::Timeout);
        first->close();
        RemoteClient::Outcome o = RemoteClient::Timeout;
        for (int i = 0; i < 10 && o == RemoteClient::Timeout; ++i)
            o = second->receive(&a);
        QCOMPARE(o, RemoteClient::Ok);
        QCOMPARE(a, kPingAnswer);
    }

    void oversizedRequestClosesTheConnection()
    {
        auto c = server->client();
        ByteVector big{0xF1};
        big.resize(RemoteFrame::MaxRequest + 100, 0x41);
        QVERIFY(c->sendRaw(big));
        ByteVector a;
        QCOMPARE(c->receive(&a), RemoteClient::Closed);
        QCOMPARE(server->ask(kPing), kPingAnswer);
    }

    void discoveryAnswersEverySender()
    {
        QVERIFY(server->startUdp());
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(server->udpPort);
        // An empty datagram and one larger than the receive buffer, from two senders.
        std::vector<int> fds;
        for (const std::string &probe : {std::string(), std::string(1500, 'q')}) {
            fds.push_back(::socket(AF_INET, SOCK_DGRAM, 0));
            ::sendto(fds.back(), probe.data(), probe.size(), 0, reinterpret_cast<sockaddr *>(&to), sizeof(to));
        }
        for (int fd : fds) {
            pollfd p{fd, POLLIN, 0};
            char buf[16];
            QVERIFY(::poll(&p, 1, 2000) == 1 && ::recv(fd, buf, sizeof(buf), 0) == 4);
            QCOMPARE(std::string(buf, 4), std::string("VELT"));
            QCOMPARE(::poll(&p, 1, 200), 0); // answered once only
            ::close(fd);
        }
        QCOMPARE(server->udp->answered.load(), 2u);
    }
};

QTEST_GUILESS_MAIN(TstServer)
#include "tst_server.moc"
