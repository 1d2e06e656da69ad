// The simulated controller board, driven through a real pseudo-terminal and
// read back with the link's own frame codec and decoding rules.

#include "BoardSimProcess.h"

#include "link/ProtocolConversion.h"
#include "link/SharedState.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <memory>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The program's side of the serial line.
class PtyPort
{
public:
    explicit PtyPort(const QString &path)
    {
        fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return;
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    ~PtyPort()
    {
        if (fd >= 0)
            ::close(fd);
    }
    PtyPort(const PtyPort &) = delete;
    PtyPort &operator=(const PtyPort &) = delete;

    bool isOpen() const { return fd >= 0; }

    bool write(const ByteVector &bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                return false;
            done += std::size_t(n);
        }
        return true;
    }

    // Up to and including `terminator`; what came after it is kept.
    ByteVector readUntil(uint8_t terminator, int timeoutMs = 2000)
    {
        QElapsedTimer t;
        t.start();
        for (;;) {
            for (std::size_t i = 0; i < rest.size(); ++i) {
                if (rest[i] == terminator) {
                    ByteVector out(rest.begin(), rest.begin() + std::ptrdiff_t(i + 1));
                    rest.erase(rest.begin(), rest.begin() + std::ptrdiff_t(i + 1));
                    return out;
                }
            }
            const qint64 left = timeoutMs - t.elapsed();
            if (left <= 0 || !fill(int(left))) {
                ByteVector out;
                out.swap(rest);
                return out;
            }
        }
    }

    // Everything that arrives within the window.
    ByteVector readFor(int windowMs)
    {
        QElapsedTimer t;
        t.start();
        qint64 left;
        while ((left = windowMs - t.elapsed()) > 0)
            fill(int(left));
        ByteVector out;
        out.swap(rest);
        return out;
    }

    void drain()
    {
        rest.clear();
        while (fill(0)) {
        }
        rest.clear();
    }

    ByteVector exchange(const ByteVector &frame, int timeoutMs = 2000)
    {
        drain();
        write(frame);
        return readUntil(FrameByte::End, timeoutMs);
    }
    ByteVector loaderExchange(const ByteVector &frame, int timeoutMs = 2000)
    {
        drain();
        write(frame);
        return readUntil(0x04, timeoutMs);
    }

private:
    bool fill(int timeoutMs)
    {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return false;
        uint8_t buf[512];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            return false;
        rest.insert(rest.end(), buf, buf + n);
        return true;
    }

    int fd = -1;
    ByteVector rest;
};

ByteVector frame(uint8_t code, const ByteVector &payload = {})
{
    return ProtocolConversion::BuildCommand(code, payload);
}

bool isAck(const ByteVector &reply)
{
    return ProtocolConversion::CommandResponse(reply);
}

// A valid packet that is not an acknowledgement.
bool isRefusal(const ByteVector &reply)
{
    const ByteVector p = ProtocolConversion::GetPacket(reply);
    return ProtocolConversion::error_occured == 0 && ProtocolConversion::VerifyCheckSum(p) && p[0] != FrameByte::Ack;
}

// Milling payload: portions, then seven (cut, immersion) pairs.
ByteVector millingPayload(int activeSteps)
{
    ByteVector p{2};
    for (int i = 0; i < 7; ++i) {
        p.push_back(i < activeSteps ? 3 : 0);
        p.push_back(i < activeSteps ? 2 : 1);
    }
    return p;
}

// Emulsion payload: mode, seven steps, a disabled eighth.
ByteVector emulsionPayload(int enabledSteps)
{
    ByteVector p{0};
    for (int i = 0; i < 7; ++i) {
        const ByteVector step = i < enabledSteps ? ByteVector{0, 3, 5, 15, 10} : ByteVector{127, 1, 0, 0, 0};
        p.insert(p.end(), step.begin(), step.end());
    }
    p.insert(p.end(), {127, 0, 0, 0, 0});
    return p;
}

// An Intel HEX record as bytes, with its checksum.
ByteVector hexRecord(uint16_t address, uint8_t type, const ByteVector &data)
{
    ByteVector r{uint8_t(data.size()), uint8_t(address >> 8), uint8_t(address & 0xFF), type};
    r.insert(r.end(), data.begin(), data.end());
    uint8_t sum = 0;
    for (uint8_t b : r)
        sum = uint8_t(sum + b);
    r.push_back(uint8_t(-sum));
    return r;
}

ByteVector loaderFrame(const ByteVector &record)
{
    ByteVector f{0x0F, 0x0F};
    f.insert(f.end(), record.begin(), record.end());
    f.insert(f.end(), {0x04, 0x04, 0x00});
    return f;
}

const ByteVector LoaderAck{0x0F, 0xAA, 0x04};
const ByteVector LoaderNack{0x0F, 0x55, 0x04};
const ByteVector LoaderEntered{0x0F, 0xBB, 0x04};

// Version and mains as the link thread decodes the reply to 118.
void decodeVersion(const ByteVector &r, QString &version, QString &mains)
{
    const int v = (r[2] & 0x1F) * 128 + (r[3] & 0x7F);
    version = QString::asprintf("%d.%02d.%02d", v >> 8, (v >> 4) & 0xF, v & 0xF);
    mains = (r[1] & 0x0F) == 1 ? QStringLiteral("110V") : QStringLiteral("230V ");
    mains += (r[1] >> 4) == 5 ? QStringLiteral("50Hz") : QStringLiteral("60Hz");
}

QString hexOf(const ByteVector &bytes)
{
    return QString::fromStdString(ByteToOctectString(bytes));
}

} // namespace

#define SIM_OK(line) QCOMPARE(sim.command(line), QStringLiteral("ok"))

class TestBoardSim : public QObject
{
    Q_OBJECT

    BoardSimProcess sim;
    std::unique_ptr<PtyPort> port;

    // One status poll, decoded into the shared machine state.
    bool pollStatus()
    {
        const ByteVector reply = port->exchange(frame(BoardCmd::Status));
        firstResponseHandshakeRecieved = false;
        working = false;
        ProtocolConversion::HandshakeResponse(reply);
        return firstResponseHandshakeRecieved;
    }
    ByteVector request(uint8_t code) { return ProtocolConversion::RequestResponse(port->exchange(frame(code))); }
    bool loadProgram(int milling, int emulsion, uint8_t repetition)
    {
        return isAck(port->exchange(frame(BoardCmd::Milling, millingPayload(milling))))
               && isAck(port->exchange(frame(BoardCmd::Emulsion, emulsionPayload(emulsion))))
               && isAck(port->exchange(frame(BoardCmd::EmulsionRepetition, {repetition})));
    }
    // Polls until `working` clears.
    bool waitIdle(int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            if (pollStatus() && !working)
                return true;
            QTest::qSleep(10);
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(sim.start());
        QVERIFY(sim.devicePath().startsWith("/dev/"));
        port = std::make_unique<PtyPort>(sim.devicePath());
        QVERIFY(port->isOpen());
    }
    void init()
    {
        SIM_OK("reset");
        port->drain();
    }
    void cleanupTestCase()
    {
        port.reset();
        sim.stop();
        QVERIFY(!sim.isRunning());
        // Also catches leak and sanitizer reports of the simulator.
        QVERIFY(!sim.crashed());
        QCOMPARE(sim.exitCode(), 0);
    }

    void statusBitsFollowMachineState()
    {
        QVERIFY(pollStatus());
        QCOMPARE(ProtocolConversion::GetPacket(port->exchange(frame(BoardCmd::Status))).size(), std::size_t(5));
        QVERIFY(machineCloseOk && machineOpen && !machineOpen45);
        QVERIFY(oringPresence && machineReady && glassPresence && !glassBigPresence);
        QVERIFY(!working && !millingOn && !hardwareMachineError && !fullGlass && !hardContent);

        struct Case
        {
            const char *line;
            bool (*holds)();
        };
        const Case cases[] = {
            {"set lid open", [] { return !machineCloseOk && !machineOpen && machineOpen45; }},
            {"set lid ajar", [] { return !machineCloseOk && machineOpen && !machineOpen45; }},
            {"set lid closed", [] { return machineCloseOk && machineOpen && !machineOpen45; }},
            {"set machineopen 0", [] { return machineCloseOk && !machineOpen; }},
            {"set gasket 0", [] { return !oringPresence && machineReady; }},
            {"set glass big", [] { return glassPresence && glassBigPresence; }},
            {"set glass none", [] { return !glassPresence && !glassBigPresence; }},
            {"set ready 0", [] { return !machineReady; }},
            {"set hard 1", [] { return hardContent && !fullGlass; }},
            {"set fullglass 1", [] { return fullGlass.load(); }},
            {"set milling 1", [] { return millingOn.load(); }},
            {"set error 33", [] { return hardwareMachineError.load(); }},
            {"set error 0", [] { return !hardwareMachineError; }},
            {"set working 1", [] { return working && !cutRelease_flag_a; }},
            {"set step 101", [] { return actualStep == 101; }},
            {"set release a", [] { return cutRelease_flag_a && !cutRelease_flag_b; }},
            {"set release both", [] { return cutRelease_flag_a && cutRelease_flag_b; }},
        };
        for (const Case &c : cases) {
            SIM_OK(c.line);
            QVERIFY2(pollStatus(), c.line);
            QVERIFY2(c.holds(), c.line);
        }
    }

    void missingFirmwareGivesTheShortStatus()
    {
        SIM_OK("set nofirmware 1");
        const ByteVector reply = port->exchange(frame(BoardCmd::Status));
        QCOMPARE(ProtocolConversion::GetPacket(reply).size(), std::size_t(3));
        firstResponseHandshakeRecieved = false;
        fwNotFound = false;
        ProtocolConversion::HandshakeResponse(reply);
        QVERIFY(fwNotFound);

        SIM_OK("set nofirmware 0");
        QCOMPARE(ProtocolConversion::GetPacket(port->exchange(frame(BoardCmd::Status))).size(), std::size_t(5));
    }

    void requestRepliesDecodeAsTheLinkReadsThem()
    {
        SIM_OK("set temperature 101");
        SIM_OK("set absorption 7");
        SIM_OK("set error 42");
        SIM_OK("set blademount 15");
        SIM_OK("set residual 12345");
        SIM_OK("set sensors 0x0a5a");

        ByteVector r = request(BoardCmd::Temperature);
        QVERIFY(r.size() >= 2);
        QCOMPARE(r[1] & 0x7F, 101);
        r = request(BoardCmd::Absorption);
        QVERIFY(r.size() >= 2);
        QCOMPARE(r[1] & 0x7F, 7);
        r = request(BoardCmd::ErrorCode);
        QVERIFY(r.size() >= 2);
        QCOMPARE(r[1] & 0x7F, 42);
        r = request(BoardCmd::BladeMountState);
        QVERIFY(r.size() >= 2);
        QCOMPARE(r[1] & 0x7F, 15);
        r = request(BoardCmd::ResidualSteps);
        QVERIFY(r.size() >= 3);
        QCOMPARE((r[1] & 0x7F) * 128 + (r[2] & 0x7F), 12345);
        r = request(BoardCmd::SensorState);
        QVERIFY(r.size() >= 3);
        QCOMPARE((r[1] & 0x7F) * 256 + (r[2] & 0x7F), 0x0A5A);

        const struct
        {
            const char *version, *mains, *fw, *freq;
        } versions[] = {
            {"2.00.05", "110 50", "2.00.05", "110V50Hz"},
            {"3.10.07", "230 60", "3.10.07", "230V 60Hz"},
            {"15.15.15", "230 50", "15.15.15", "230V 50Hz"},
            {"0.01.00", "110 60", "0.01.00", "110V60Hz"},
        };
        for (const auto &v : versions) {
            SIM_OK(QStringLiteral("set version %1").arg(v.version));
            SIM_OK(QStringLiteral("set mains %1").arg(v.mains));
            r = request(BoardCmd::Version);
            QVERIFY(r.size() >= 4);
            QString fw, freq;
            decodeVersion(r, fw, freq);
            QCOMPARE(fw, QString(v.fw));
            QCOMPARE(freq, QString(v.freq));
        }

        // The position comes in two replies; 9000 mm needs the top bits.
        for (int mm : {0, 399, 400, 9000, 32767}) {
            SIM_OK(QStringLiteral("set position %1").arg(mm));
            const ByteVector first = request(BoardCmd::AxisPosition);
            const ByteVector second = request(BoardCmd::AxisPosition);
            const int hi = first.size() >= 3 ? first[2] & 3 : 0;
            QVERIFY(second.size() >= 3);
            const int value = (hi * 128 + (second[1] & 0x7F)) * 128 + (second[2] & 0x7F);
            QCOMPARE(value / 2, mm);
        }
        // Any other frame in between starts a new pair.
        SIM_OK("set position 9000");
        request(BoardCmd::AxisPosition);
        request(BoardCmd::Status);
        r = request(BoardCmd::AxisPosition);
        QVERIFY(r.size() >= 3);
        QCOMPARE(r[2] & 3, 1);

        // Values the wire cannot carry are refused, the old value stays.
        QVERIFY(sim.command("set sensors 0x80").startsWith("error"));
        QVERIFY(sim.command("set version 16.00.00").startsWith("error"));
        QVERIFY(sim.command("set position 32768").startsWith("error"));
        QVERIFY(sim.command("set mains 220 50").startsWith("error"));
        QVERIFY(sim.command("set temperature 128").startsWith("error"));
        QCOMPARE(sim.value("get sensors"), QStringLiteral("2650"));
        QCOMPARE(sim.value("get temperature"), QStringLiteral("101"));
    }

    void inputStreamIsParsedRobustly()
    {
        // Noise, then a frame split over two writes.
        port->write({0x00, 0x55, 0xFC, 0xF3, 0x71});
        QVERIFY(port->readFor(100).empty());
        port->write({0x71, 0xFC});
        QCOMPARE(ProtocolConversion::RequestResponse(port->readUntil(FrameByte::End)).at(0), uint8_t(0x71));

        // Two frames in one write get two replies, in order.
        ByteVector two = frame(BoardCmd::Temperature);
        const ByteVector abs = frame(BoardCmd::Absorption);
        two.insert(two.end(), abs.begin(), abs.end());
        port->write(two);
        QCOMPARE(ProtocolConversion::RequestResponse(port->readUntil(FrameByte::End)).at(0), uint8_t(0x71));
        QCOMPARE(ProtocolConversion::RequestResponse(port->readUntil(FrameByte::End)).at(0), uint8_t(0x72));

        // A second start marker abandons the frame in progress.
        QCOMPARE(ProtocolConversion::GetPacket(port->exchange({0xF3, 0x01, 0xF3, 0x70, 0x70, 0xFC})).size(),
                 std::size_t(5));

        // Bad checksum, empty frame, unknown code, wrong payload size, a byte
        // wider than seven bits: all refused.
        const ByteVector bad[] = {
            {0xF3, 0x70, 0x71, 0xFC},
            {0xF3, 0xFC},
            frame(0x50),
            frame(BoardCmd::Milling, {1, 2, 3}),
            frame(BoardCmd::AirPurge, {0x80}),
            frame(BoardCmd::Temperature, {1}),
        };
        for (const ByteVector &f : bad)
            QVERIFY2(isRefusal(port->exchange(f)), qPrintable(hexOf(f)));
        QCOMPARE(sim.value("get purge"), QStringLiteral("0"));

        // A long frame without an end marker does not block the next one.
        ByteVector junk(300, 0x41);
        junk.insert(junk.begin(), FrameByte::Start);
        port->write(junk);
        QCOMPARE(ProtocolConversion::GetPacket(port->exchange(frame(BoardCmd::Status))).size(), std::size_t(5));

        QCOMPARE(sim.count(BoardCmd::Temperature), 3);
        QCOMPARE(sim.value("count bad"), QStringLiteral("2"));
        QCOMPARE(sim.value("last 113"), QStringLiteral("f3710170fc"));
        QVERIFY(sim.value("count junk").toInt() >= 300);

        // A reader that falls behind loses nothing: 1000 replies wait for it.
        SIM_OK("reset counts");
        ByteVector polls;
        for (int i = 0; i < 1000; ++i) {
            const ByteVector f = frame(BoardCmd::Status);
            polls.insert(polls.end(), f.begin(), f.end());
        }
        port->drain();
        QVERIFY(port->write(polls));
        QTest::qSleep(300);
        QCOMPARE(sim.count(BoardCmd::Status), 1000);
        ByteVector backlog;
        QElapsedTimer t;
        t.start();
        while (backlog.size() < 7000 && t.elapsed() < 5000) {
            const ByteVector more = port->readFor(20);
            backlog.insert(backlog.end(), more.begin(), more.end());
        }
        QCOMPARE(backlog.size(), std::size_t(7000));
        QCOMPARE(ByteVector(backlog.end() - 7, backlog.end()), port->exchange(frame(BoardCmd::Status)));
    }

    void injectedFaultsShapeTheReplies()
    {
        // A refused command is not carried out.
        SIM_OK("refuse 22");
        QVERIFY(isRefusal(port->exchange(frame(BoardCmd::MainsFrequency, {6}))));
        QVERIFY(isRefusal(port->exchange(frame(BoardCmd::MainsFrequency, {6}))));
        QCOMPARE(sim.value("get mains"), QStringLiteral("230/50"));
        SIM_OK("refuse 22 off");
        QVERIFY(isAck(port->exchange(frame(BoardCmd::MainsFrequency, {6}))));
        QCOMPARE(sim.value("get mains"), QStringLiteral("230/60"));

        // Ignoring a counted number of frames: the link's retry pattern.
        SIM_OK("ignore 113 2");
        QVERIFY(port->exchange(frame(BoardCmd::Temperature), 150).empty());
        QVERIFY(port->exchange(frame(BoardCmd::Temperature), 150).empty());
        QCOMPARE(request(BoardCmd::Temperature).size(), std::size_t(2));
        QCOMPARE(sim.count(BoardCmd::Temperature), 3);

        // Corruption hits only the next reply of the chosen code; the board
        // still carried the command out.
        SIM_OK("corrupt 1 21");
        QVERIFY(isAck(port->exchange(frame(BoardCmd::Status))) == false);
        QVERIFY(!isAck(port->exchange(frame(BoardCmd::AirPurge, {0x7F}))));
        QCOMPARE(int(ProtocolConversion::error_occured), 2);
        QCOMPARE(sim.value("get purge"), QStringLiteral("1"));
        QVERIFY(isAck(port->exchange(frame(BoardCmd::AirPurge, {0x00}))));

        // Tearing sends the first half: no end marker, no packet.
        SIM_OK("tear 1");
        port->drain();
        port->write(frame(BoardCmd::Status));
        const ByteVector torn = port->readFor(200);
        QCOMPARE(torn.size(), std::size_t(3));
        QVERIFY(ProtocolConversion::GetPacket(torn).empty());
        QCOMPARE(int(ProtocolConversion::error_occured), 4);

        SIM_OK("silent on");
        port->write(frame(BoardCmd::Status));
        QVERIFY(port->readFor(200).empty());
        SIM_OK("silent off");

        SIM_OK("late 300");
        QElapsedTimer t;
        t.start();
        const ByteVector late = port->exchange(frame(BoardCmd::Status), 3000);
        QVERIFY2(t.elapsed() >= 280, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(ProtocolConversion::GetPacket(late).size(), std::size_t(5));
        SIM_OK("late off");

        // 20 status replies, 140 bytes at 11 bits each and 9600 baud: 160 ms.
        SIM_OK("wiretime on");
        ByteVector polls;
        for (int i = 0; i < 20; ++i) {
            const ByteVector f = frame(BoardCmd::Status);
            polls.insert(polls.end(), f.begin(), f.end());
        }
        port->drain();
        t.restart();
        port->write(polls);
        std::size_t received = 0;
        while (received < 140 && t.elapsed() < 3000)
            received += port->readFor(20).size();
        QCOMPARE(received, std::size_t(140));
        QVERIFY2(t.elapsed() >= 150, qPrintable(QString::number(t.elapsed())));
    }

    void workSequenceRunsAndFinishes()
    {
        SIM_OK("speed 10"); // 100 ms a step
        // No program loaded yet.
        QVERIFY(isRefusal(port->exchange(frame(BoardCmd::Start))));
        // 4 milling steps, 2 emulsion steps repeated twice: 1 + 4 + 4 steps.
        QVERIFY(loadProgram(4, 2, 1));
        SIM_OK("set lid open");
        QVERIFY(isRefusal(port->exchange(frame(BoardCmd::Start))));
        SIM_OK("set lid closed");
        QVERIFY(isAck(port->exchange(frame(BoardCmd::Start))));
        QVERIFY(pollStatus());
        QVERIFY(working && millingOn);
        // Nothing new starts while it runs.
        QVERIFY(isRefusal(port->exchange(frame(BoardCmd::Start))));

        QList<int> steps;
        QElapsedTimer t;
        t.start();
        bool ended = false;
        while (t.elapsed() < 5000) {
            QVERIFY(pollStatus());
            if (!working) {
                ended = true;
                break;
            }
            QVERIFY2(millingOn == (actualStep <= 4), qPrintable(QString::number(actualStep)));
            if (steps.isEmpty() || steps.last() != actualStep)
                steps << actualStep;
            QTest::qSleep(10);
        }
        QVERIFY(ended);
        QVERIFY(!millingOn);
        QCOMPARE(actualStep, uint8_t(0));
        QVERIFY(std::is_sorted(steps.begin(), steps.end()));
        QCOMPARE(steps.first(), 0);
        QCOMPARE(steps.last(), 8);
        const ByteVector r = request(BoardCmd::ResidualSteps);
        QVERIFY(r.size() >= 3);
        QCOMPARE((r[1] & 0x7F) * 128 + (r[2] & 0x7F), 0);

        // The loaded program stays: a rework (18) runs only the emulsion.
        QVERIFY(isAck(port->exchange(frame(BoardCmd::SequenceEnd))));
        QVERIFY(isAck(port->exchange(frame(BoardCmd::Start))));
        QVERIFY(pollStatus());
        QVERIFY(working && !millingOn);
        QVERIFY(waitIdle(3000));
    }

    void runsStopOnRequest()
    {
        SIM_OK("speed 5"); // 200 ms a step
        QVERIFY(loadProgram(4, 1, 0));
        QVERIFY(isAck(port->exchange(frame(BoardCmd::Start))));
        QVERIFY(isAck(port->exchange(frame(BoardCmd::Stop))));
        QVERIFY(pollStatus());
        QVERIFY(!working);
        ByteVector r = request(BoardCmd::ResidualSteps);
        QVERIFY(r.size() >= 3);
        const int residual = (r[1] & 0x7F) * 128 + (r[2] & 0x7F);
        QVERIFY2(residual > 0 && residual <= 6, qPrintable(QString::number(residual)));

        // A too full glass holds the run at step 0 until the program answers.
        SIM_OK("speed 20");
        SIM_OK("set fullglass 1");
        QVERIFY(isAck(port->exchange(frame(BoardCmd::Start))));
        QTest::qSleep(250);
        QVERIFY(pollStatus());
        QVERIFY(working && fullGlass);
        QCOMPARE(actualStep, uint8_t(0));
        QVERIFY(isAck(port->exchange(frame(BoardCmd::TooMuchAnswer, {0x7F}))));
        QVERIFY(waitIdle(3000));
        QVERIFY(!fullGlass);
        // "Do not continue" ends it.
        SIM_OK("set fullglass 1");
        QVERIFY(isAck(port->exchange(frame(BoardCmd::Start))));
        QVERIFY(isAck(port->exchange(frame(BoardCmd::TooMuchAnswer, {0x00}))));
        QVERIFY(pollStatus());
        QVERIFY(!working);

        // A hardware error stops the machine.
        SIM_OK("set fullglass 0");
        QVERIFY(isAck(port->exchange(frame(BoardCmd::Start))));
        SIM_OK("set error 12");
        QVERIFY(pollStatus());
        QVERIFY(!working && hardwareMachineError);
        QVERIFY(isRefusal(port->exchange(frame(BoardCmd::Start))));
    }

    void cleaningAndSettingCommands()
    {
        SIM_OK("speed 10");
        QVERIFY(isAck(port->exchange(frame(BoardCmd::CustomClean, {3}))));
        QVERIFY(pollStatus());
        QVERIFY(working && !millingOn);
        QVERIFY(waitIdle(3000));
        QVERIFY(isAck(port->exchange(frame(BoardCmd::CustomClean, {3}))));
        QVERIFY(isAck(port->exchange(frame(BoardCmd::StopRelease))));
        QVERIFY(pollStatus());
        QVERIFY(!working);

        QVERIFY(isRefusal(port->exchange(frame(BoardCmd::MainsFrequency, {7}))));
        QVERIFY(isAck(port->exchange(frame(BoardCmd::MainsFrequency, {6}))));
        QCOMPARE(sim.value("get mains"), QStringLiteral("230/60"));
        QVERIFY(isRefusal(port->exchange(frame(BoardCmd::AirPurge, {5}))));
        QVERIFY(isAck(port->exchange(frame(BoardCmd::AirPurge, {0x7F}))));
        QCOMPARE(sim.value("get purge"), QStringLiteral("1"));
        QVERIFY(isAck(port->exchange(frame(BoardCmd::ManualMoveA))));
        QCOMPARE(sim.value("get position"), QStringLiteral("5"));
        QVERIFY(isAck(port->exchange(frame(BoardCmd::ManualMoveB))));
        QVERIFY(isAck(port->exchange(frame(BoardCmd::ManualMoveB))));
        QCOMPARE(sim.value("get position"), QStringLiteral("0"));
        for (uint8_t code : {BoardCmd::CutRelease, BoardCmd::CutClean, BoardCmd::Stop})
            QVERIFY(isAck(port->exchange(frame(code))));
    }

    void firmwareLoaderExchange()
    {
        port->drain();
        port->write(frame(BoardCmd::FirmwareUpdate));
        QCOMPARE(port->readUntil(0x04), LoaderEntered);
        QCOMPARE(sim.value("get loader"), QStringLiteral("1"));
        // The loader does not answer board frames.
        port->write(frame(BoardCmd::Status));
        QVERIFY(port->readFor(150).empty());

        const ByteVector r1 = hexRecord(0xD000, 0, {0x12, 0x34});
        QCOMPARE(hexOf(r1), QStringLiteral("02d000001234e8"));
        QCOMPARE(port->loaderExchange(loaderFrame(r1)), LoaderAck);
        // Record bytes may look like any marker; a frame may arrive split.
        const ByteVector r2 = hexRecord(0xD002, 0, {0xF3, 0xFC, 0x04, 0x04, 0x00, 0x0F, 0x0F});
        const ByteVector f2 = loaderFrame(r2);
        port->write(ByteVector(f2.begin(), f2.begin() + 6));
        QVERIFY(port->readFor(50).empty());
        port->write(ByteVector(f2.begin() + 6, f2.end()));
        QCOMPARE(port->readUntil(0x04), LoaderAck);

        // A wrong record checksum, and a record that lost a byte, are refused.
        ByteVector badSum = r1;
        badSum.back() ^= 0x01;
        QCOMPARE(port->loaderExchange(loaderFrame(badSum)), LoaderNack);
        ByteVector shortRecord = r1;
        shortRecord.pop_back();
        QCOMPARE(port->loaderExchange(loaderFrame(shortRecord)), LoaderNack);
        QCOMPARE(sim.value("loader"), QStringLiteral("on lines=4 records=2"));

        // Refusing a chosen line; the board stays in its loader.
        SIM_OK("loader nack 5");
        QCOMPARE(port->loaderExchange(loaderFrame(r1)), LoaderNack);
        QCOMPARE(sim.value("get loader"), QStringLiteral("1"));

        // The update command again restarts the transfer.
        SIM_OK("loader nack off");
        port->drain();
        port->write(frame(BoardCmd::FirmwareUpdate));
        QCOMPARE(port->readUntil(0x04), LoaderEntered);
        QCOMPARE(sim.value("records"), QStringLiteral("0"));
        SIM_OK("set nofirmware 1");
        for (const ByteVector &r : {r1, r2, hexRecord(0, 1, {})})
            QCOMPARE(port->loaderExchange(loaderFrame(r)), LoaderAck);
        // The end-of-file record ends the loader; the new firmware answers.
        QCOMPARE(sim.value("get loader"), QStringLiteral("0"));
        QCOMPARE(sim.value("get nofirmware"), QStringLiteral("0"));
        QCOMPARE(sim.value("records"), QStringLiteral("3"));
        QCOMPARE(sim.value("record 2"), hexOf(r2));
        QCOMPARE(sim.value("record 3"), QStringLiteral("00000001ff"));
        QCOMPARE(ProtocolConversion::GetPacket(port->exchange(frame(BoardCmd::Status))).size(), std::size_t(5));
        QCOMPARE(sim.value("count loader"), QStringLiteral("8"));
    }

    void loaderFailuresOnRequest()
    {
        SIM_OK("loader entry bad");
        QCOMPARE(port->loaderExchange(frame(BoardCmd::FirmwareUpdate)), ByteVector({0x0F, 0xAA, 0x04}));
        QCOMPARE(sim.value("get loader"), QStringLiteral("0"));

        SIM_OK("loader entry silent");
        QVERIFY(port->loaderExchange(frame(BoardCmd::FirmwareUpdate), 200).empty());
        QCOMPARE(sim.value("get loader"), QStringLiteral("0"));

        SIM_OK("loader entry ok");
        SIM_OK("loader drop 1");
        QCOMPARE(port->loaderExchange(frame(BoardCmd::FirmwareUpdate)), LoaderEntered);
        const ByteVector r1 = hexRecord(0xD000, 0, {0x01});
        QVERIFY(port->loaderExchange(loaderFrame(r1), 200).empty());
        QCOMPARE(port->loaderExchange(loaderFrame(r1)), LoaderAck);

        // Corruption and tearing reach loader replies too.
        SIM_OK("corrupt 1 loader");
        QVERIFY(port->loaderExchange(loaderFrame(r1)) != LoaderAck);
        SIM_OK("tear 1 loader");
        port->drain();
        port->write(loaderFrame(r1));
        QCOMPARE(port->readFor(150), ByteVector({0x0F}));
    }

    void controlSocketLinkAndSignals()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString link = dir.filePath("ttyBoard");
        const QString control = dir.filePath("ctl");
        QVERIFY(QFile::link("/nonexistent/stale", link)); // a stale link is replaced

        BoardSimProcess other;
        QVERIFY(other.start({"--link", link, "--control", control, "--set", "temperature=5"}));
        QCOMPARE(QFileInfo(link).symLinkTarget(), other.devicePath());
        {
            PtyPort p(link);
            QVERIFY(p.isOpen());
            const ByteVector r = ProtocolConversion::RequestResponse(p.exchange(frame(BoardCmd::Temperature)));
            QVERIFY(r.size() >= 2);
            QCOMPARE(int(r[1]), 5);
        }
        {
            // Closed and opened again: the board still answers.
            PtyPort p(link);
            QCOMPARE(ProtocolConversion::GetPacket(p.exchange(frame(BoardCmd::Status))).size(), std::size_t(5));
        }

        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QVERIFY(fd >= 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const QByteArray path = control.toLocal8Bit();
        QVERIFY(std::size_t(path.size()) < sizeof addr.sun_path);
        memcpy(addr.sun_path, path.constData(), std::size_t(path.size()));
        QCOMPARE(::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
        const QByteArray lines = "set temperature 9\nget temperature\nnonsense\n\n# comment\ncount 113\n";
        QCOMPARE(::write(fd, lines.constData(), std::size_t(lines.size())), ssize_t(lines.size()));
        QByteArray answers;
        QElapsedTimer t;
        t.start();
        while (answers.count('\n') < 4 && t.elapsed() < 3000) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) > 0) {
                char buf[256];
                const ssize_t n = ::read(fd, buf, sizeof buf);
                if (n <= 0)
                    break;
                answers.append(buf, int(n));
            }
        }
        ::close(fd);
        const QList<QByteArray> got = answers.trimmed().split('\n');
        QCOMPARE(got.size(), 4);
        QCOMPARE(got[0], QByteArray("ok"));
        QCOMPARE(got[1], QByteArray("ok 9"));
        QVERIFY(got[2].startsWith("error "));
        QCOMPARE(got[3], QByteArray("ok 1"));

        // Traffic lines on standard output are told apart from answers.
        QCOMPARE(other.command("log on"), QStringLiteral("ok"));
        {
            PtyPort p(link);
            p.exchange(frame(BoardCmd::Status));
        }
        QCOMPARE(other.command("state").left(14), QStringLiteral("ok lid=closed "));
        const QStringList traffic = other.takeTraffic();
        QCOMPARE(traffic, QStringList({"rx f37070fc", "tx " + hexOf(port->exchange(frame(BoardCmd::Status)))}));

        QCOMPARE(::kill(pid_t(other.processId()), SIGTERM), 0);
        QVERIFY(other.waitForFinished(5000));
        QCOMPARE(other.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
        QVERIFY(!QFileInfo::exists(control));
    }

    void startOptionsAndScripts()
    {
        QTemporaryFile bad;
        QVERIFY(bad.open());
        bad.write("set lid sideways\n");
        bad.flush();
        BoardSimProcess failing;
        QVERIFY(!failing.start({"--script", bad.fileName()}));

        QTemporaryFile good;
        QVERIFY(good.open());
        good.write("# start with the lid up\nset lid open\n\nset glass big\n");
        good.flush();
        BoardSimProcess other;
        QVERIFY(other.start({"--script", good.fileName(), "--speed", "4"}));
        QCOMPARE(other.value("get lid"), QStringLiteral("open"));
        QCOMPARE(other.value("get glass"), QStringLiteral("big"));
        QCOMPARE(other.value("get speed"), QStringLiteral("4"));
        other.stop();
        QVERIFY(!other.isRunning());
    }
};

QTEST_GUILESS_MAIN(TestBoardSim)
#include "tst_boardsim.moc"
