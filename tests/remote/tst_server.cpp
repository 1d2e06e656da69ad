// The remote transport: frames (cipher, checksum, stuffing, opening, the
// splitting of a byte stream), and the TCP and UDP threads over real loopback
// sockets: when they listen, how requests are read, how clients come and go.

#include "remote/RemoteState.h"
#include "remote/TCPServer.h"

#include "data/DataState.h"

#include "support_remote.h"
#include "ThreadWakeUps.h"

#include <QElapsedTimer>
#include <QtTest>

#include <poll.h>

#include <algorithm>
#include <random>

using namespace remotetest;

namespace {

const std::string kKey = "AB12CD34";

ByteVector randomBytes(std::mt19937 &rng, std::size_t n)
{
    ByteVector out(n);
    std::generate(out.begin(), out.end(), [&] { return uint8_t(rng()); });
    return out;
}

ByteVector open(const ByteVector &f) { return ProtocolTCP::ByteUnstuffing(f, kKey); }

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

    void layoutAndEscapes()
    {
        // Enciphered payload, then the plain payload's checksum.
        QCOMPARE(ProtocolTCP::buildFrame(bytes({0x01, 0x7F}), kKey), bytes({0xF1, 0x01 ^ 'A', 0x7F ^ 'B', 0x7E, 0xFF}));
        QCOMPARE(ProtocolTCP::buildFrame(ByteVector(), kKey), bytes({0xF1, 0x00, 0xFF}));
        // Enciphered byte equal to F1, checksum equal to FF, checksum equal to F4.
        const ByteVector a = ProtocolTCP::buildFrame(bytes({0xF1 ^ 'A', 0x00}), kKey);
        QCOMPARE(ByteVector(a.begin(), a.begin() + 3), bytes({0xF1, 0xF4, 0xF1}));
        QCOMPARE(ProtocolTCP::buildFrame(bytes({0xFF}), kKey), bytes({0xF1, 0xFF ^ 'A', 0xF4, 0xFF, 0xFF}));
        const ByteVector c = ProtocolTCP::buildFrame(bytes({0xF4}), kKey);
        QCOMPARE(c, bytes({0xF1, 0xF4 ^ 'A', 0xF4, 0xF4, 0xFF}));
        QCOMPARE(open(c), bytes({0xF4, 0xF4}));
        // The key repeats: byte 8 is combined with its first character again.
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(ByteVector(9, 0), kKey)[8], uint8_t('A'));
    }

    void emptySerialNumberUsesThePlaceholder()
    {
        // No key would leave frames unciphered (and the cipher without end).
        const ByteVector p = bytes({0x01, 0x02});
        const ByteVector placeholder = ProtocolTCP::EncryptDecryptMsg(p, kPlaceholderSerialNumber);
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(p, ""), placeholder);
        serialNumber = std::string();
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(p), placeholder);
        serialNumber = std::string("SN-42");
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(p), ProtocolTCP::EncryptDecryptMsg(p, "SN-42"));
        serialNumber = std::string();
    }

    void openingQuirks()
    {
        // An escaped FF is data; the last byte before the end is the checksum.
        QCOMPARE(open(bytes({0xF1, 0xF4, 0xFF, 0x33, 0xFF})), bytes({0xFF ^ 'A', 0x33}));
        // Leading garbage is ignored; bytes after the end are not read.
        QCOMPARE(open(bytes({0x10, 0x20, 0xF1, 0x01 ^ 'A', 0x01, 0xFF, 0x55})), bytes({0x01, 0x01}));
        QVERIFY(open(bytes({0x01, 0x02, 0xFF})).empty());
        // A second start byte inside a frame is dropped.
        QCOMPARE(open(bytes({0xF1, 0x01 ^ 'A', 0xF1, 0x05, 0xFF})), bytes({0x01, 0x05}));
    }

    void streamIsSplitIntoFramesThatOpen()
    {
        std::mt19937 rng(99);
        std::vector<ByteVector> payloads;
        ByteVector stream = bytes({0x00, 0x42}); // garbage before the first frame
        for (int i = 0; i < 200; ++i) {
            payloads.push_back(randomBytes(rng, 1 + rng() % 300));
            stream = stream + ProtocolTCP::buildFrame(payloads.back(), kKey);
        }
        // Fed in random pieces, every frame comes out whole, in order, and opens to its payload.
        FrameAssembler a;
        std::vector<ByteVector> got;
        for (std::size_t at = 0, n; at < stream.size(); at += n) {
            n = std::min<std::size_t>(1 + rng() % 37, stream.size() - at);
            a.append(stream.data() + at, n);
            for (ByteVector f; a.next(&f) == FrameAssembler::Frame;) {
                ByteVector opened = open(f);
                QVERIFY(ProtocolTCP::VerifyCheckSum(opened));
                opened.pop_back();
                got.push_back(opened);
            }
        }
        QVERIFY(got == payloads);
        QCOMPARE(a.pending(), std::size_t(0));
    }

    void oversizedFrameIsDroppedWhole()
    {
        FrameAssembler a(100);
        ByteVector big{0xF1};
        for (int i = 0; i < 300; ++i) // escaped start and end bytes must not resynchronise
            big.insert(big.end(), {0xF4, uint8_t(i % 2 ? 0xF1 : 0xFF)});
        big.push_back(0xFF);
        const ByteVector good = ProtocolTCP::buildFrame(bytes({0x01}), kKey);
        a.append(big + good);
        ByteVector f;
        QCOMPARE(a.next(&f), FrameAssembler::Overflow);
        QVERIFY(a.next(&f) == FrameAssembler::Frame && f == good);
        QCOMPARE(a.next(&f), FrameAssembler::Incomplete);
    }

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
        QTRY_VERIFY(server->tcp->listening && server->udp->listening);
        QCOMPARE(server->ask(kPing), kPingAnswer);
    }

    void idleThreadsSleepUntilSomethingHappens_data()
    {
        QTest::addColumn<bool>("network");
        QTest::addColumn<bool>("client");
        QTest::newRow("waiting for the network") << false << false;
        QTest::newRow("listening") << true << false;
        QTest::newRow("a quiet client") << true << true;
    }
    void idleThreadsSleepUntilSomethingHappens()
    {
        QFETCH(bool, network);
        QFETCH(bool, client);
        server->tcp.reset();
        wifiConnect = network;
        const std::set<int> others = threadIds();
        server->startTcp(false);
        server->startUdp(false);
        const std::set<int> workers = threadsSince(others);
        QCOMPARE(workers.size(), std::size_t(2));
        QTRY_COMPARE(server->tcp->listening && server->udp->listening, network);
        std::unique_ptr<RemoteClient> c = client ? server->client() : nullptr;
        QTest::qSleep(100); // accepted, settled

        const long before = wakeUps(workers);
        QTest::qSleep(1000);
        const long woken = wakeUps(workers) - before;
        QVERIFY2(woken <= 2, qPrintable(QString::number(woken)));
        // Asked to end, they do so at once all the same.
        QElapsedTimer t;
        t.start();
        server->tcp->kill();
        server->udp->kill();
        server->tcp->join();
        server->udp->join();
        QVERIFY2(t.elapsed() < 200, qPrintable(QString::number(t.elapsed())));
        wifiConnect = true;
    }

    void restartedServerBindsAtOnce()
    {
        const uint16_t port = freePort(false);
        // Listens, serves a client and closes it first, so the server's end of
        // that connection stays behind in TIME_WAIT; then stops listening.
        auto serveOnce = [port] {
            TCPServer srv;
            srv.selectedPort = port;
            if (srv.init() != 0)
                return false;
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in to{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
            char b;
            const bool served = ::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof(to)) == 0
                                && srv.waitIncomingConn() == 0;
            srv.clientClose(true);
            const bool closed = ::recv(fd, &b, 1, 0) == 0;
            ::close(fd);
            return served && closed;
        };
        QVERIFY(serveOnce());
        QVERIFY(serveOnce());
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
        ByteVector a;
        QCOMPARE(first->request(kPing, &a), RemoteClient::Ok);
        auto second = server->client(400);
        QCOMPARE(second->request(kPing, &a), RemoteClient::Timeout);
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
        sockaddr_in to{AF_INET, htons(server->udpPort), {htonl(INADDR_LOOPBACK)}, {}};
        // An empty datagram and one larger than the receive buffer, from two senders at once.
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
