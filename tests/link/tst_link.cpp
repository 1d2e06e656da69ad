// The serial link: byte helpers, board frames and status decoding; the serial
// port and the worker runner; and the link thread against a scripted board,
// all on real pseudo-terminals.

#include "link/BoardReply.h"
#include "link/ByteUtils.h"
#include "link/LinkHooks.h"
#include "link/Manager.h"
#include "link/ProtocolConversion.h"
#include "link/SerialCom.h"
#include "link/SerialThreadComunication.h"
#include "link/SharedState.h"
#include "platform/log.h"
#include "TempRoot.h"
#include "ThreadWakeUps.h"

#include <QElapsedTimer>
#include <QtTest>

#include <algorithm>
#include <chrono>
#include <atomic>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <mutex>
#include <poll.h>
#include <random>
#include <termios.h>
#include <thread>
#include <unistd.h>

using Bytes = ByteVector;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

// A pseudo-terminal: the code under test opens its slave side like a serial device.
class PtyPair
{
public:
    PtyPair()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
            closeMaster();
            return;
        }
        path = ptsname(master);
        // Holding the slave open keeps the master usable while the code under
        // test closes and re-opens its side.
        keepSlave = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios t{};
        if (keepSlave >= 0 && tcgetattr(keepSlave, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(keepSlave, TCSANOW, &t);
        }
    }
    ~PtyPair() { closeMaster(); }
    const std::string &slavePath() const { return path; }
    int masterFd() const { return master; }
    // The slave side then sees a hang-up.
    void closeMaster()
    {
        for (int fd : {keepSlave, master})
            if (fd >= 0)
                ::close(fd);
        keepSlave = master = -1;
    }

private:
    int master = -1, keepSlave = -1;
    std::string path;
};

// A scripted board on a pty: the responder gives the bytes to answer each
// frame with (none: stay silent).
class FakeBoard
{
public:
    using Responder = std::function<Bytes(const Bytes &frame)>;

    FakeBoard() : worker([this] { loop(); }) {}
    ~FakeBoard() { stopping = true; worker.join(); }
    std::string device() const { return pty.slavePath(); }
    void setResponder(Responder r)
    {
        std::lock_guard<std::mutex> l(m);
        responder = std::move(r);
    }
    std::vector<Bytes> frames() const
    {
        std::lock_guard<std::mutex> l(m);
        return received;
    }
    // When each frame with `code` arrived.
    std::vector<Clock::time_point> arrivals(uint8_t code) const
    {
        std::lock_guard<std::mutex> l(m);
        std::vector<Clock::time_point> out;
        for (std::size_t i = 0; i < received.size(); ++i)
            if (received[i][1] == code)
                out.push_back(receivedAt[i]);
        return out;
    }
    int count(uint8_t code) const
    {
        const auto all = frames();
        return int(std::count_if(all.begin(), all.end(), [&](const Bytes &f) { return f[1] == code; }));
    }
    void closeLine() { pty.closeMaster(); }

    static Bytes reply(uint8_t code, const Bytes &data) { return ProtocolConversion::BuildCommand(code, data); }
    static Bytes ack() { return {0xF3, 0x7F, 0x7F, 0xFC}; }
    static Bytes refusal() { return {0xF3, 0x15, 0x15, 0xFC}; }
    static Bytes status(uint8_t b1, uint8_t b2, uint8_t step) { return reply(0x70, {b1, b2, step}); }

private:
    void loop()
    {
        Bytes pending;
        uint8_t buf[512];
        ssize_t n;
        while (!stopping) {
            const int fd = pty.masterFd(); // -1 once the line is closed: poll only waits
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN) || (n = ::read(fd, buf, sizeof buf)) <= 0)
                continue;
            pending.insert(pending.end(), buf, buf + n);
            // Cut complete frames F3 .. FC out of the stream.
            for (;;) {
                pending.erase(pending.begin(), std::find(pending.begin(), pending.end(), 0xF3));
                const auto end = std::find(pending.begin(), pending.end(), 0xFC);
                if (end == pending.end())
                    break;
                const Bytes frame(pending.begin(), end + 1);
                pending.erase(pending.begin(), end + 1);
                Responder r;
                {
                    std::lock_guard<std::mutex> l(m);
                    received.push_back(frame);
                    receivedAt.push_back(Clock::now());
                    r = responder;
                }
                const Bytes answer = r ? r(frame) : Bytes();
                if (!answer.empty())
                    (void)!::write(fd, answer.data(), answer.size());
            }
        }
    }

    PtyPair pty;
    mutable std::mutex m;
    Responder responder;
    std::vector<Bytes> received;
    std::vector<Clock::time_point> receivedAt;
    std::atomic<bool> stopping{false};
    std::thread worker;
};

const ByteVector Ack{0xF3, 0x7F, 0x7F, 0xFC};

// A pty and the port on its slave side.
struct Line
{
    explicit Line(int responseTenths = 10, int buffer = 200)
        : port(pty.slavePath(), 9600, 10, responseTenths, buffer, buffer)
    {
        port.init();
    }
    bool put(const ByteVector &b) { return ::write(pty.masterFd(), b.data(), b.size()) == ssize_t(b.size()); }

    PtyPair pty;
    SerialCom port;
};

// A worker shaped like the real ones: it re-initialises on Init and counts.
struct CountingWorker : Manager
{
    CountingWorker() : Manager(&CountingWorker::run, 1000)
    {
        usleep(20000); // a body started now would see this object half built
        built = true;
    }
    ~CountingWorker() override { kill(); join(); }
    static void *run(void *arg)
    {
        auto *self = static_cast<CountingWorker *>(arg);
        for (Status s; (s = self->_status) != Exit; usleep(1000)) {
            self->sawHalfBuilt = self->sawHalfBuilt || !self->built;
            if (s == Init) {
                ++self->inits;
                self->_status = Working;
            }
        }
        return nullptr;
    }
    std::atomic<int> inits{0};
    std::atomic<bool> built{false};
    std::atomic<bool> sawHalfBuilt{false};
};

void queue(std::initializer_list<uint8_t> codes)
{
    FifoLock lock;
    for (uint8_t c : codes) {
        serialFifo.push(ProtocolConversion::BuildCommand(c));
        waitStateVar(c);
    }
}

size_t queued()
{
    FifoLock lock;
    return serialFifo.size();
}

// A board that answers everything sensibly.
Bytes healthyAnswer(const Bytes &f)
{
    switch (f[1]) {
    case 0x70: return FakeBoard::status(0x0B, 0x08, 0); // closed, gasket, ready, glass
    case 0x71: return FakeBoard::reply(0x71, {60});
    case 0x72: return FakeBoard::reply(0x72, {21});
    case 0x73: return FakeBoard::reply(0x73, {7});
    default: return FakeBoard::ack();
    }
}

// The healthy board, but `code` is answered with `answer`.
FakeBoard::Responder except(uint8_t code, const Bytes &answer)
{
    return [=](const Bytes &f) { return f[1] == code ? answer : healthyAnswer(f); };
}

} // namespace

class TstLink : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempRoot> root;
    std::unique_ptr<FakeBoard> board;
    std::unique_ptr<SerialThreadComunication> link;

    void startLink()
    {
        link = std::make_unique<SerialThreadComunication>(10000);
        link->start();
    }

private slots:
    void init()
    {
        platform::setLogSink([](const std::string &) {});
        root = std::make_unique<TempRoot>();
        board = std::make_unique<FakeBoard>();
        board->setResponder(healthyAnswer);
        qputenv("FROSTPANEL_SERIAL", QByteArray::fromStdString(board->device()));
        serialFifo = {};
        resetStateVar();
        ProtocolConversion::HandshakeResponse(FakeBoard::status(0, 0, 0)); // all flags down
        serialComunicationError = 0;
        firstResponseHandshakeRecieved = requestTreePosition = requestSensorState = false;
        actualTreePosition = actualTemperature = actualAbsorption = 0;
        LinkHooks::temperatureRead = nullptr;
        LinkHooks::absorptionRead = nullptr;
        LinkHooks::errorCodeRead = nullptr;
        LinkHooks::storeMainsSetting = nullptr;
    }

    void cleanup()
    {
        link.reset();
        board.reset();
        root.reset();
        platform::setLogSink(nullptr);
        qunsetenv("FROSTPANEL_SERIAL");
    }

    void byteHelpersRespectBounds()
    {
        uint32_t pos = 1; // one byte left: nothing read
        QVERIFY(uint16FromByteArray(Bytes{0x12, 0x34}, &pos) == 0 && pos == 1);
        pos = 7; // beyond the end must not wrap around
        QVERIFY(uint32FromByteArray(Bytes{0x12, 0x34}, &pos) == 0 && pos == 7);
        QCOMPARE(toByteArray(int(-2)), (Bytes{0xFF, 0xFF, 0xFF, 0xFE}));
        pos = 0;
        QCOMPARE(int32FromByteArray(toByteArray(int(-2)), &pos), -2);
        const Bytes cut = toByteArray(std::string(300, 'x'));
        QVERIFY(cut.size() == 256 && cut[0] == 255);
        pos = 0; // a length past the end: only the length byte is used up
        QVERIFY(stringFromByteArray(Bytes{5, 'a', 'b'}, &pos).empty() && pos == 1);
        pos = 0;
        const Bytes two{2, 'h', 'i', 1, 'z'};
        QCOMPARE(stringFromByteArray(two, &pos), std::string("hi"));
        QVERIFY(stringFromByteArray(two, &pos) == "z" && pos == 5);
        QCOMPARE(ByteToOctectString(Bytes{0x01, 0xAB}, 9), std::string("01ab")); // n past the end
        Bytes out;
        OctectStringToByte(std::string("0FbB1"), &out); // odd tail ignored
        QCOMPARE(out, (Bytes{0x0F, 0xBB}));
    }

    void parsingReplies_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("acknowledged");
        QTest::newRow("leading noise") << QByteArray("\x00\xF3\x7F\x7F\xFC", 5) << QByteArray("\x7F\x7F") << 0 << true;
        QTest::newRow("restart") << QByteArray("\xF3\x01\xF3\x7F\x7F\xFC\x99") << QByteArray("\x7F\x7F") << 0 << true;
        QTest::newRow("end before start") << QByteArray("\xFC\xF3\x7F\x7F\xFC") << QByteArray("\x7F\x7F") << 0 << true;
        QTest::newRow("no start") << QByteArray("\x7F\x7F\xFC") << QByteArray() << 4 << false;
        QTest::newRow("no end") << QByteArray("\xF3\x7F\x7F") << QByteArray() << 4 << false;
        QTest::newRow("refusal") << QByteArray("\xF3\x15\x15\xFC") << QByteArray("\x15\x15") << 0 << false;
        QTest::newRow("bad checksum") << QByteArray("\xF3\x7F\x00\xFC", 4) << QByteArray("\x7F\x00", 2) << 2 << false;
    }

    void parsingReplies()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, packet);
        QFETCH(int, error);
        QFETCH(bool, acknowledged);
        const Bytes in(input.begin(), input.end());
        QCOMPARE(ProtocolConversion::GetPacket(in), Bytes(packet.begin(), packet.end()));
        QCOMPARE(ProtocolConversion::CommandResponse(in), acknowledged);
        QCOMPARE(int(ProtocolConversion::error_occured), error);
    }

    void frames()
    {
        QCOMPARE(ProtocolConversion::BuildCommand(112), (Bytes{0xF3, 0x70, 0x70, 0xFC}));
        QCOMPARE(ProtocolConversion::BuildCommand(21, {0x7F}), (Bytes{0xF3, 0x15, 0x7F, 0x6A, 0xFC}));
        // Frames are not escaped: this payload would reach the board as a
        // complete "start blade release". Bytes of 0x80 and more are refused.
        for (const Bytes &payload : {Bytes{0xF3, 0x0A, 0x0A, 0xFC}, Bytes{0x05, 0x80}, Bytes{0xFF}})
            QVERIFY(ProtocolConversion::BuildCommand(BoardCmd::CustomClean, payload).empty());
        QVERIFY(ProtocolConversion::BuildCommand(0xF3).empty());
    }

    void replyOutcomes()
    {
        using O = BoardReply::Outcome;
        const struct
        {
            uint8_t code;
            Bytes reply;
            O outcome;
        } cases[] = {
            {4, {}, O::NoAnswer},
            {4, FakeBoard::ack(), O::Acknowledged},
            {4, FakeBoard::refusal(), O::Refused},
            {4, {0xF3, 0x7F, 0x00, 0xFC}, O::Corrupt}, // checksum
            {4, {0xF3, 0x7F}, O::Corrupt},             // torn before its end
            {4, {0x7F, 0x7F, 0xFC}, O::Corrupt},       // no start
            {4, {0xF3, 0xFC}, O::Corrupt},             // nothing inside
            {4, {0xF3, 0x00, 0xFC}, O::Corrupt},       // a checksum alone
            {113, FakeBoard::reply(0x71, {60}), O::Acknowledged},
            {113, FakeBoard::refusal(), O::Acknowledged}, // a valid frame; the decoder finds no data
            {113, {0xF3, 0x71, 0x00, 0xFC}, O::Corrupt},
            {118, {0x00, 0xF3, 0x76, 0x76, 0xFC}, O::Acknowledged},
        };
        for (const auto &c : cases)
            QVERIFY2(BoardReply::classify(c.code, c.reply) == c.outcome, ByteToOctectString(c.reply).c_str());
    }

    void requestDecoders()
    {
        // -1: no value. The torn replies are valid ones that lost a byte.
        using Decode = std::function<long(const Bytes &)>;
        auto of = [](auto f) {
            return Decode([f](const Bytes &r) { const auto v = f(r); return v ? long(*v) : -1L; });
        };
        const Decode temp = of(BoardReply::temperature), absorption = of(BoardReply::absorption),
                     error = of(BoardReply::errorCode), blade = of(BoardReply::bladeMountState),
                     residual = of(BoardReply::residualSteps), sensors = of(BoardReply::sensors);
        const struct
        {
            const Decode &decode;
            Bytes reply;
            long value;
        } cases[] = {
            {temp, FakeBoard::reply(0x71, {60}), 60},
            {temp, {0xF3, 0x71, 0x00, 0xFC}, -1}, // of F3 71 71 00 FC: code 0, the hottest
            {temp, FakeBoard::reply(0x71, {}), -1},
            {temp, {}, -1},
            {absorption, FakeBoard::reply(0x72, {21}), 21},
            {absorption, {0xF3, 0x72, 0x15, 0xFC}, -1},
            {error, FakeBoard::reply(0x73, {7}), 7},
            {error, {0xF3, 0x73, 0x74, 0xFC}, -1}, // of F3 73 07 74 FC: error 116
            {blade, FakeBoard::reply(0x74, {3}), 3},
            {blade, {0xF3, 0x74, 0x05, 0xFC}, -1}, // of F3 74 05 71 FC
            {blade, FakeBoard::reply(0x74, {}), -1},
            {residual, FakeBoard::reply(0x75, {0x02, 0x05}), 2 * 128 + 5},
            {residual, FakeBoard::reply(0x75, {0x02}), -1},
            {residual, {0xF3, 0x75, 0x02, 0x05, 0xFC}, -1},
            {sensors, FakeBoard::reply(0x77, {0x01, 0x02}), 0x0102},
            {sensors, FakeBoard::reply(0x77, {0x7F, 0x7F}), 0x7F7F},
            {sensors, {0xF3, 0x77, 0x01, 0x02, 0xFC}, -1},
        };
        for (const auto &c : cases)
            QVERIFY2(c.decode(c.reply) == c.value, ByteToOctectString(c.reply).c_str());

        const struct
        {
            Bytes reply;
            const char *firmware, *mains;
        } versions[] = {
            {FakeBoard::reply(0x76, {0x51, 0x04, 0x05}), "2.00.05", "110V50Hz"},
            {FakeBoard::reply(0x76, {0x60, 0x03, 0x2B}), "1.10.11", "230V 60Hz"},
            {FakeBoard::reply(0x76, {0x51, 0x04}), nullptr, nullptr},
            {{0xF3, 0x76, 0x51, 0x04, 0x05, 0xFC}, nullptr, nullptr}, // the checksum lost
        };
        for (const auto &c : versions) {
            const auto v = BoardReply::version(c.reply, "110V");
            QVERIFY(bool(v) == bool(c.firmware));
            QVERIFY(!v || (v->firmware == c.firmware && v->mains == c.mains));
        }

        // The position needs both replies whole: the top bits alone, or the
        // rest without them, would pass for a small wrong position.
        const Bytes top = FakeBoard::reply(0x78, {0x00, 0x00});
        const struct
        {
            Bytes first, second;
            long position;
        } positions[] = {
            {top, FakeBoard::reply(0x78, {0x06, 0x1E}), 399},
            {top, FakeBoard::reply(0x78, {0x06, 0x20}), -1}, // 400: not plausible
            {FakeBoard::reply(0x78, {0x00, 0x01}), FakeBoard::reply(0x78, {0x00, 0x00}), -1},
            {{}, FakeBoard::reply(0x78, {0x00, 0x10}), -1},
            {{0xF3, 0x78, 0x00, 0x00, 0xFC}, FakeBoard::reply(0x78, {0x00, 0x10}), -1},
            {top, {}, -1},
        };
        for (const auto &c : positions) {
            const auto p = BoardReply::axisPosition(c.first, c.second);
            QCOMPARE(p ? long(*p) : -1L, c.position);
        }
    }

    void statusDecoding()
    {
        // Every second bit of each status byte, step 9.
        const uint8_t b1 = 0x55, b2 = 0x2A, step = 9;
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, b1, b2, step, uint8_t(0x70 ^ b1 ^ b2 ^ step), 0xFC});
        QVERIFY(machineCloseOk && !oringPresence && hardContent && !machineReady && millingOn && !fullGlass
                && hardwareMachineError);
        QVERIFY(!working && cutRelease_flag_a && !cutRelease_flag_b && glassPresence && !machineOpen45
                && machineOpen && !glassBigPresence);
        QVERIFY(actualStep == 9 && firstResponseHandshakeRecieved);

        // Four packet bytes: the flags change, the checksum is not taken as the step.
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, 0x08, 0x01, 0x79, 0xFC});
        QVERIFY(machineReady && working && !machineOpen && actualStep == 9);
        // A corrupt reply changes nothing.
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, 0x00, 0x00, 0x00, 0x71, 0xFC});
        QVERIFY(machineReady && working);

        // Two packet bytes carry no status: not decoded, not a first reply.
        firstResponseHandshakeRecieved = false;
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, 0x70, 0xFC});
        QVERIFY(!firstResponseHandshakeRecieved);
        // Three bytes before any other reply: only the missing-firmware bit.
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, 0x02, 0x72, 0xFC});
        QVERIFY(fwNotFound && machineReady && firstResponseHandshakeRecieved);
        fwNotFound = false;
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, 0x02, 0x72, 0xFC});
        QVERIFY(!fwNotFound); // afterwards ignored
    }

    void acknowledgementFlags()
    {
        // Residual steps have no flag to wait on; a failed custom cleaning is 255.
        waitStateVar(117);
        QVERIFY(checkWaitStateVar());
        waitStateVar(17);
        QVERIFY(!checkWaitStateVar());
        setStateVar(17, false);
        QCOMPARE(int(setCustomClean), 255);
        QVERIFY(checkWaitStateVar());
    }

    void missingOrVanishedLineFailsQuietly()
    {
        SerialCom port("/nonexistent/tty", 9600, 10, 10, 200, 200);
        ByteVector out{1, 2};
        QVERIFY(!port.init() && !port.send_data(Ack) && port.receive(200, &out, 0xFC) == 0 && out.empty());
        Line l;
        l.pty.closeMaster();
        QVERIFY(!l.port.send_data(Ack));
    }

    void terminatorEndsTheReadAtOnce()
    {
        Line l;
        QVERIFY(l.put(Ack));
        QElapsedTimer t;
        t.start();
        ByteVector out;
        QCOMPARE(l.port.receive(200, &out, 0xFC), 4);
        QVERIFY2(t.elapsed() < 800, "must not wait for the time-out once the end marker is in");
        QCOMPARE(out, Ack);

        // A reply split over two chunks is put together.
        std::thread late([&] {
            l.put({0xF3, 0x7F});
            usleep(150000);
            l.put({0x7F, 0xFC});
        });
        QCOMPARE(l.port.receive(200, &out, 0xFC), 4);
        late.join();
        QCOMPARE(out, Ack);
    }

    void neverReadsPastTheBuffer()
    {
        Line l(1, 8);
        QVERIFY(l.put(ByteVector(40, 0x11)));
        usleep(50000);
        ByteVector out;
        QVERIFY(l.port.receive(1000, &out) == 8 && out.size() == 8);
        QCOMPARE(l.port.receive(1000, &out, 0xFC), 8);
    }

    void longWritesArriveWhole()
    {
        // Far more than the pty holds: the writer must wait for room, not drop the tail.
        Line l;
        ByteVector big(200000);
        for (size_t i = 0; i < big.size(); ++i)
            big[i] = uint8_t(i * 7);
        ByteVector got;
        std::thread reader([&] {
            uint8_t buf[1024];
            ssize_t n;
            while (got.size() < big.size() && (n = ::read(l.pty.masterFd(), buf, sizeof buf)) > 0) {
                got.insert(got.end(), buf, buf + n);
                usleep(200);
            }
        });
        QVERIFY(l.port.send_data(big));
        reader.join();
        QVERIFY(got == big);
    }

    void steering()
    {
        CountingWorker w;
        w.stop(); // not working: ignored
        QCOMPARE(w.getStatus(), Manager::FirstWait);
        w.start();
        QTRY_VERIFY_WITH_TIMEOUT(w.getStatus() == Manager::Working, 3000);
        QVERIFY(!w.sawHalfBuilt);
        w.stop();
        QCOMPARE(w.getStatus(), Manager::Idle);
        w.start(); // re-initialises
        QTRY_VERIFY_WITH_TIMEOUT(w.inits == 2 && w.getStatus() == Manager::Working, 3000);
        w.kill();
        w.start(); // Exit is final
        QCOMPARE(w.getStatus(), Manager::Exit);

        CountingWorker early; // killed before it was started: the body never runs
        early.kill();
        early.join(); // returns: the thread ended by itself
        QVERIFY(!early.sawHalfBuilt && early.inits == 0);
    }

    // The link also logs each hook still unset when it begins.
    void pollsRotateThroughTelemetry()
    {
        std::mutex m;
        QStringList hookLines;
        platform::setLogSink([&](const std::string &l) {
            std::lock_guard<std::mutex> lock(m);
            if (l.rfind("link: hook", 0) == 0)
                hookLines << QString::fromStdString(l);
        });
        std::atomic<int> handedOn{-1};
        LinkHooks::temperatureRead = [&](uint8_t v) { handedOn = v; };
        LinkHooks::storeMainsSetting = [] {};
        QElapsedTimer t;
        t.start();
        startLink();
        QTRY_VERIFY_WITH_TIMEOUT(board->count(0x70) >= 7, 15000);
        // A status poll about every 400 ms, the first one 400 ms in.
        QVERIFY2(t.elapsed() >= 7 * 380 && t.elapsed() < 7 * 700, qPrintable(QString::number(t.elapsed())));
        link.reset();
        platform::setLogSink([](const std::string &) {});
        QCOMPARE(hookLines,
                 QStringList({"link: hook absorptionRead non collegato", "link: hook errorCodeRead non collegato"}));

        // After every status poll (S): nothing, temperature (T), absorption (A), in turn.
        QString order;
        for (const Bytes &f : board->frames())
            order += QChar(f[1] == 0x70 ? 'S' : f[1] == 0x71 ? 'T' : f[1] == 0x72 ? 'A' : '?');
        QVERIFY2(QString("SSTSASSTSASSTSASSTSA").startsWith(order) && order.count('S') >= 7, qPrintable(order));
        QVERIFY(machineReady && machineCloseOk && oringPresence && glassPresence && !machineOpen);
        QVERIFY(actualTemperature == 60 && actualAbsorption == 21 && handedOn == 60);
    }

    void waitsForWorkInsteadOfPolling()
    {
        const std::set<int> before = threadIds();
        link = std::make_unique<SerialThreadComunication>(10000);
        const std::set<int> thread = threadsSince(before);
        QCOMPARE(thread.size(), std::size_t(1));
        if (wakeUps(thread) < 0)
            QSKIP("no thread statistics in /proc");
        auto sleepsOver = [&](int ms) {
            const long s0 = wakeUps(thread);
            QTest::qSleep(ms);
            return wakeUps(thread) - s0;
        };
        // Not started yet, and later stopped: asleep until told otherwise.
        QVERIFY(sleepsOver(300) <= 2);
        link->start();
        QTRY_VERIFY(board->count(0x70) >= 1);
        // Working without commands: the polls and their exchanges only (a
        // thread waking every 10 ms would sleep about a hundred times).
        const long idle = sleepsOver(1000);
        QVERIFY2(idle < 40, qPrintable(QString::number(idle)));

        // A queued frame leaves at once, the ones behind it at least 10 ms apart.
        const Clock::time_point queuedAt = Clock::now();
        queue({4, 3, 10});
        QTRY_VERIFY(checkWaitStateVar() && stopRunningFlag == 1 && cutReleaseCmdSend == 1);
        const Clock::time_point sent[] = {board->arrivals(4).at(0), board->arrivals(3).at(0),
                                          board->arrivals(10).at(0)};
        QVERIFY(sent[0] - queuedAt < milliseconds(50));
        QVERIFY(sent[1] - sent[0] >= milliseconds(10) && sent[2] - sent[1] >= milliseconds(10));

        link->stop();
        QVERIFY(sleepsOver(300) <= 2);
        link->start();
        QTRY_VERIFY(board->count(0x70) >= 3);
        // Ending it does not wait for a sleep to run out.
        QTest::qSleep(30);
        const Clock::time_point killedAt = Clock::now();
        link->kill();
        link->join();
        QVERIFY(Clock::now() - killedAt < milliseconds(100));
    }

    // An unanswered frame is tried three times, a refused one once; either
    // way what was queued behind it is cancelled, and the link carries on.
    void failedFrameCancelsEverythingQueued_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("tries");
        QTest::newRow("unanswered") << QByteArray() << 3;
        QTest::newRow("refused") << QByteArray("\xF3\x15\x15\xFC") << 1;
    }
    void failedFrameCancelsEverythingQueued()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, tries);
        board->setResponder(except(4, Bytes(answer.begin(), answer.end())));
        queue({4, 3, 10});
        startLink();
        QTRY_COMPARE_WITH_TIMEOUT(int(stopRunningFlag), -1, 10000);
        QVERIFY(startRunningFlag == -1 && cutReleaseCmdSend == -1 && checkWaitStateVar());
        QVERIFY(board->count(4) == tries && board->count(3) == 0 && board->count(10) == 0 && queued() == 0);
        queue({3});
        QTRY_COMPARE(int(startRunningFlag), 1);
    }

    void corruptStatusReplyCountsAsContactButChangesNothing()
    {
        serialComunicationError = 5;
        board->setResponder(except(0x70, {0xF3, 0x70, 0x7F, 0x7F, 0x00, 0x00, 0xFC}));
        startLink();
        QTRY_VERIFY(board->count(0x70) >= 2);
        QCOMPARE(int(serialComunicationError), 0);
        QVERIFY(!machineReady && !working && !machineOpen && !firstResponseHandshakeRecieved);
    }

    void deadBoardIsCountedAndComesBack()
    {
        std::atomic<bool> alive{false};
        board->setResponder([&](const Bytes &f) { return alive ? healthyAnswer(f) : Bytes(); });
        startLink();
        QTRY_VERIFY_WITH_TIMEOUT(serialComunicationError >= 3, 15000);
        QVERIFY(!machineReady);
        const uint32_t before = serialComunicationError;
        QTRY_VERIFY(serialComunicationError > before);
        alive = true;
        QTRY_VERIFY(serialComunicationError == 0 && machineReady);
    }

    void lingeringOrTornRepliesDoNotShiftLaterExchanges()
    {
        // Each status reply is followed by a stray acknowledgement, and the first
        // reply to command 4 is cut short: read out of step, either would be
        // taken for a later exchange's answer.
        std::atomic<int> stops{0};
        board->setResponder([&](const Bytes &f) {
            if (f[1] == 4 && stops++ == 0)
                return Bytes{0xF3, 0x7F};
            Bytes r = f[1] == 3 ? FakeBoard::refusal() : healthyAnswer(f);
            if (f[1] == 0x70)
                r.insert(r.end(), {0xF3, 0x7F, 0x7F, 0xFC});
            return r;
        });
        startLink();
        QTRY_VERIFY_WITH_TIMEOUT(actualTemperature == 60 && actualAbsorption == 21, 10000);
        queue({3});
        QTRY_COMPARE(int(startRunningFlag), -1);
        queue({4}); // torn, then tried again
        QTRY_COMPARE_WITH_TIMEOUT(int(stopRunningFlag), 1, 6000);
        QVERIFY(board->count(4) == 2 && actualTemperature == 60);
    }

    void tornRequestRepliesAreNeverData()
    {
        // A byte lost from a reply leaves a frame whose checksum is wrong: F3 71 00 FC
        // would read as temperature code 0 (the hottest there is), F3 74 05 FC as blade
        // state 5, the second position reply as 399 mm. None may be used; the blade
        // request is tried again.
        std::atomic<int> blades{0}, positions{0}, handedOn{-1};
        LinkHooks::temperatureRead = [&](uint8_t v) { handedOn = v; };
        board->setResponder([&](const Bytes &f) {
            if (f[1] == 0x71)
                return Bytes{0xF3, 0x71, 0x00, 0xFC};
            if (f[1] == 116)
                return blades++ == 0 ? Bytes{0xF3, 0x74, 0x05, 0xFC} : FakeBoard::reply(0x74, {0x03});
            if (f[1] == 120)
                return positions++ % 2 == 0 ? FakeBoard::reply(0x78, {0, 0}) : Bytes{0xF3, 0x78, 0x06, 0x1E, 0xFC};
            return healthyAnswer(f);
        });
        actualTemperature = 60;
        actualTreePosition = 123;
        requestTreePosition = true;
        queue({116});
        startLink();
        QTRY_VERIFY_WITH_TIMEOUT(board->count(0x71) >= 2, 6000);
        QVERIFY(actualTemperature == 60 && handedOn == -1 && actualTreePosition == 123 && positions >= 2);
        QVERIFY(getBladeMountState == 1 && bladeMountState == 3 && board->count(116) == 2);
    }

    void invalidQueuedFramesAreNeverSent()
    {
        std::mutex m;
        QStringList sent;
        platform::setLogSink([&](const std::string &l) {
            std::lock_guard<std::mutex> lock(m);
            if (l.rfind(">> ", 0) == 0)
                sent << QString::fromStdString(l.substr(l.find(" - ") + 3));
        });
        // Pushed without the builder's check: custom cleaning with the payload
        // F3 0A 0A FC, which the board would read as blade release.
        {
            FifoLock lock;
            serialFifo.push({0xF3, 0x11, 0xF3, 0x0A, 0x0A, 0xFC, 0xE1, 0xFC});
            waitStateVar(BoardCmd::CustomClean);
            waitStateVar(BoardCmd::Stop);
            serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::Stop));
        }
        startLink();
        // Refused by the link as if by the board: what was queued behind it is cancelled.
        QTRY_VERIFY(setCustomClean == 255 && stopRunningFlag == -1);
        {
            FifoLock lock;
            serialFifo.push({});
        }
        QTRY_COMPARE(queued(), size_t(0));
        queue({4});
        QTRY_COMPARE(int(stopRunningFlag), 1);
        link.reset();
        platform::setLogSink([](const std::string &) {});
        QVERIFY(board->count(0x11) == 0 && board->count(10) == 0 && board->count(4) == 1);
        QVERIFY2(!sent.contains(QString()) && sent.count("f30404fc") == 1, qPrintable(sent.join(' ')));
    }

    void sendFailureReopensThePort()
    {
        const QString linkPath = root->path("/dev/board");
        QVERIFY(QFile::link(QString::fromStdString(board->device()), linkPath));
        qputenv("FROSTPANEL_SERIAL", linkPath.toLocal8Bit());
        startLink();
        QTRY_VERIFY(board->count(0x70) >= 1);

        // The line goes away; a second board appears behind the same path.
        FakeBoard second;
        second.setResponder(healthyAnswer);
        board->closeLine();
        QFile::remove(linkPath);
        QVERIFY(QFile::link(QString::fromStdString(second.device()), linkPath));
        queue({4});
        QTRY_COMPARE(int(stopRunningFlag), -1); // the frame that could not be sent
        QTRY_VERIFY(second.count(0x70) >= 2);
        queue({4});
        QTRY_COMPARE(int(stopRunningFlag), 1);
        link.reset();
    }

    void versionReplyIsDecodedAndStored()
    {
        int stored = 0;
        LinkHooks::storeMainsSetting = [&] { ++stored; };
        board->setResponder(except(118, FakeBoard::reply(0x76, {0x51, 0x04, 0x05})));
        queue({118});
        startLink();
        QTRY_COMPARE(root->readFile("/home/root/version"), QByteArray("SW: 1.01.01 - FW: 2.00.05 - 110V50Hz"));
        QCOMPARE(stored, 1);

        // A reply too short for a version leaves it as it was.
        board->setResponder(except(118, FakeBoard::reply(0x76, {0x51})));
        queue({118});
        QTRY_VERIFY(queued() == 0);
        QVERIFY(fwVersion.get() == "2.00.05" && fwFrequency.get() == "110V50Hz");
    }

    void requestRepliesFillTheirResults()
    {
        std::atomic<int> positionReplies{0}, errorCode{0};
        std::atomic<bool> bladeEmpty{false};
        LinkHooks::errorCodeRead = [&](uint8_t c) { errorCode = c; };
        board->setResponder([&](const Bytes &f) {
            switch (f[1]) {
            case 0x70: return FakeBoard::status(0x4B, 0x08, 0); // the error bit set
            case 116: return FakeBoard::reply(0x74, bladeEmpty ? Bytes() : Bytes{0x03});
            case 117: return FakeBoard::reply(0x75, {0x02, 0x05});
            case 119: return FakeBoard::reply(0x77, {0x01, 0x02});
            case 120: // two replies: the top bits, then the value
                return FakeBoard::reply(0x78, positionReplies++ % 2 == 0 ? Bytes{0x00, 0x00} : Bytes{0x06, 0x1E});
            default: return healthyAnswer(f);
            }
        });
        requestTreePosition = requestSensorState = true;
        queue({116, 117, 48});
        startLink();
        QTRY_VERIFY_WITH_TIMEOUT(actualTreePosition == 399 && actualSensorState == 0x0102 && errorCode == 7, 8000);
        QVERIFY(getBladeMountState == 1 && bladeMountState == 3 && retrivedResidualStep == 2 * 128 + 5);
        // No loader yet: the firmware update is answered as not started.
        QVERIFY(startUpdateFirmware == -1 && board->count(48) == 0);

        // A blade-state reply without data is a failed request.
        bladeEmpty = true;
        queue({116});
        QTRY_COMPARE(int(getBladeMountState), -1);
    }

    // A board gone silent holds every exchange for the reply time-out (a
    // second): a stop must wait for the exchange under way only, not for
    // the rest of the pass's exchanges.
    void stopWithASilentBoardIsPrompt()
    {
        board->setResponder([](const Bytes &) { return Bytes(); });
        requestTreePosition = requestSensorState = true; // the longest passes
        startLink();
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (board->count(BoardCmd::Status) < 2 && Clock::now() < deadline)
            usleep(1000);
        QCOMPARE(board->count(BoardCmd::Status), 2); // a poll's first exchange is under way
        QElapsedTimer took;
        took.start();
        link->kill();
        link->join();
        const qint64 ms = took.elapsed();
        QVERIFY2(ms < 1300, qPrintable(QString::number(ms) + " ms"));
        requestTreePosition = requestSensorState = false;
    }

    // A stop that comes while the thread opens its port must hold: were it
    // set back to work over the stop, the thread would never end and the
    // program's stop would wait for it forever.
    void stopDuringPortOpeningHolds()
    {
        std::mt19937 random(7);
        int overridden = 0;
        for (int i = 0; i < 2000 && overridden == 0; ++i) {
            SerialThreadComunication l(10000);
            l.start();
            // Spread the stop over the thread's first pass (waking, opening).
            const auto at = std::chrono::steady_clock::now() + std::chrono::microseconds(random() % 200);
            while (std::chrono::steady_clock::now() < at) {
            }
            l.kill();
            usleep(1000); // an overriding store follows the stop within microseconds
            overridden += l.getStatus() != Manager::Exit;
            l.kill(); // ends it either way
        }
        QCOMPARE(overridden, 0);
    }
};

QTEST_GUILESS_MAIN(TstLink)
#include "tst_link.moc"
