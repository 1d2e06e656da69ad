// The simulated controller board through a real pseudo-terminal, read back
// with the link's own port, frame codec and decoding rules. Work runs are
// built with the program's own encoders and compared with its estimate.

#include "BoardSimProcess.h"

#include "data/SequenceMsg.h"
#include "data/WorkSettings.h"
#include "link/BoardReply.h"
#include "link/ProtocolConversion.h"
#include "link/SensorBits.h"
#include "link/SerialCom.h"
#include "link/SharedState.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <numeric>

namespace {

ByteVector frame(uint8_t code, const ByteVector &data = {}) { return ProtocolConversion::BuildCommand(code, data); }

const ByteVector Ack{0xF3, 0x7F, 0x7F, 0xFC};
const ByteVector Refusal{0xF3, 0x15, 0x15, 0xFC};
const ByteVector LoaderAck{0x0F, 0xAA, 0x04};

// An Intel HEX record with its checksum, and the loader frame around it.
ByteVector hexRecord(uint16_t address, uint8_t type, const ByteVector &data)
{
    ByteVector r(data.size() + 4);
    r[0] = uint8_t(data.size());
    r[1] = uint8_t(address >> 8);
    r[2] = uint8_t(address & 0xFF);
    r[3] = type;
    std::copy(data.begin(), data.end(), r.begin() + 4);
    r.push_back(uint8_t(-std::accumulate(r.begin(), r.end(), 0)));
    return r;
}

ByteVector loaderFrame(ByteVector record)
{
    record.insert(record.begin(), {0x0F, 0x0F});
    record.insert(record.end(), {0x04, 0x04, 0x00});
    return record;
}

// A 14-bit value sent as two 7-bit bytes from `at`.
int twoBytes(const ByteVector &r, std::size_t at, int shift = 7)
{
    return r.size() > at + 1 ? ((r[at] & 0x7F) << shift) + (r[at + 1] & 0x7F) : -1;
}

// Frostizing: 8-unit portions in four steps at (3, 2), one emulsion step
// (a descent and the climb out).
WorkSettings frostizing(uint8_t portions)
{
    WorkSettings w;
    w.setRecipeType(1);
    w.setPortionDimension(8);
    w.setPortion(portions);
    w.setMillingSteps(3, 2);
    w.setMillingPressionType(15);
    w.setMillingPressionIntensity(10);
    w.setEmulsionSteps(0, 3, 5, 15, 10, 0);
    return w;
}

// Whipping: through the whole beaker, a descent and a climb with a pause,
// one extra cycle; no portions.
WorkSettings whipping()
{
    WorkSettings w;
    w.setRecipeType(3);
    w.setPortionDimension(8);
    w.setMillingSteps(3, 2);
    w.setEmulsionWorkingMode(127);
    w.setEmulsionSteps(0, 4, 7, 15, 10, 0);
    w.setEmulsionSteps(5, 3, 8, 12, 9, 1);
    w.setExtraEmulsionStep(1);
    return w;
}

// What the board must show for one step of a run.
struct Expected
{
    bool milling = false;
    int cut = 0, immersion = 0;
    QString dir;
    int portion = 0, worked = 0;
};

// The steps from 1 on, as the program describes them: each portion's milling
// steps, then two steps per emulsion cycle over the enabled steps, the last
// one climbing out at the fastest speed. `milled` cuts the milling short.
QVector<Expected> expectedSteps(const WorkSettings &w, bool rework, int milled = -1)
{
    QVector<Expected> out;
    const int perPortion = w.getPortionDimension() / 2;
    const int portions = rework ? 0 : w.getPortion();
    for (int i = 0; i < portions * perPortion && (milled < 0 || i < milled); ++i) {
        const MillingStep m = w.getMillingSteps(i % perPortion);
        out.push_back({true, m.CutSpeed, m.ImmersionSpeed, "down", i / perPortion + 1, i / perPortion});
    }
    const int worked = portions > 0 ? int(out.size()) / perPortion : 0;
    const int enabled = w.getEnabledEmulsionSteps();
    const int count = enabled > 0 ? 2 * w.getTotalEmulsionCicle() : 0;
    for (int k = 0; k < count; ++k) {
        const EmulsionStep e = w.getEmulsionSteps(k % enabled);
        out.push_back({false, e.CutSpeed, k == count - 1 ? 8 : e.ImmersionSpeed, k % 2 ? "up" : "down", 0, worked});
    }
    return out;
}

// One step as seen: over the wire (step, millingOn) and, when the simulator
// was still at that step, the values of its `state`.
struct Seen
{
    int step = 0;
    bool milling = false;
    QMap<QString, QString> state;
};

QMap<QString, QString> parseState(const QString &answer)
{
    QMap<QString, QString> m;
    for (const QString &item : answer.split(' ', Qt::SkipEmptyParts)) {
        const int eq = item.indexOf('=');
        if (eq > 0)
            m.insert(item.left(eq), item.mid(eq + 1));
    }
    return m;
}

} // namespace

#define SIM_OK(line) QCOMPARE(sim.command(line), QStringLiteral("ok"))

class TestBoardSim : public QObject
{
    Q_OBJECT

    BoardSimProcess sim;
    std::unique_ptr<SerialCom> port;

    // Sends one frame, returns what came back up to `end` (empty after 300 ms of silence).
    ByteVector exchange(const ByteVector &f, uint8_t end = FrameByte::End)
    {
        port->discardInput();
        port->send_data(f);
        ByteVector r;
        port->receive(512, &r, end);
        return r;
    }
    ByteVector request(uint8_t code) { return ProtocolConversion::RequestResponse(exchange(frame(code))); }
    // One status poll, decoded into the shared machine state.
    bool pollStatus()
    {
        firstResponseHandshakeRecieved = false;
        ProtocolConversion::HandshakeResponse(exchange(frame(BoardCmd::Status)));
        return firstResponseHandshakeRecieved;
    }
    // Sends the program's work sequence, start included; true when every
    // frame is acknowledged.
    bool startRun(const WorkSettings &w, bool rework)
    {
        reworkSet = rework;
        std::queue<ByteVector> sequence = BuildSequenceMsg(w);
        reworkSet = false;
        for (; !sequence.empty(); sequence.pop())
            if (exchange(sequence.front()) != Ack)
                return false;
        return true;
    }
    // Polls until the run ends; every step once, in order.
    QVector<Seen> followRun(int timeoutMs)
    {
        QVector<Seen> seen;
        QElapsedTimer t;
        t.start();
        while (pollStatus() && working && t.elapsed() < timeoutMs) {
            if (seen.isEmpty() || seen.last().step != actualStep) {
                Seen s;
                s.step = actualStep;
                s.milling = millingOn;
                const QMap<QString, QString> state = parseState(sim.command("state"));
                if (state.value("step").toInt() == s.step)
                    s.state = state;
                seen << s;
            }
            QTest::qSleep(2);
        }
        return seen;
    }
    bool waitForStep(int step, int timeoutMs = 5000)
    {
        QElapsedTimer t;
        t.start();
        while (pollStatus() && working && t.elapsed() < timeoutMs) {
            if (actualStep >= step)
                return true;
            QTest::qSleep(2);
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(sim.start());
        port = std::make_unique<SerialCom>(sim.devicePath().toStdString(), 9600, 10, 3, 512, 512);
        QVERIFY(port->init());
    }
    void init() { SIM_OK("reset"); }
    void cleanupTestCase()
    {
        port.reset();
        sim.stop();
        // Also catches leak and sanitizer reports of the simulator.
        QVERIFY(!sim.crashed());
        QCOMPARE(sim.exitCode(), 0);
    }

    // The line goes away and comes back under a new name behind the same
    // link; the board keeps its state.
    void hangupReplacesTheLine()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("board");
        BoardSimProcess other;
        QVERIFY(other.start({"--link", link, "--set", "temperature=77"}));
        SerialCom before(link.toStdString(), 9600, 10, 3, 64, 64);
        QVERIFY(before.init());
        QVERIFY(before.send_data(frame(BoardCmd::Status)));
        ByteVector r;
        QVERIFY(before.receive(64, &r, FrameByte::End) > 0);

        const QString answer = other.command("hangup");
        QVERIFY2(answer.startsWith("ok /dev/") && answer.mid(3) != other.devicePath(), qPrintable(answer));
        QCOMPARE(QFileInfo(link).symLinkTarget(), answer.mid(3));
        QVERIFY(!before.send_data(frame(BoardCmd::Status)));

        SerialCom after(link.toStdString(), 9600, 10, 3, 64, 64);
        QVERIFY(after.init());
        QVERIFY(after.send_data(frame(BoardCmd::Temperature)));
        QVERIFY(after.receive(64, &r, FrameByte::End) > 0);
        QCOMPARE(ProtocolConversion::RequestResponse(r).at(1), uint8_t(77));
        other.stop();
        QVERIFY(!QFileInfo::exists(link) && other.exitCode() == 0);
    }

    void statusBitsFollowMachineState()
    {
        QVERIFY(pollStatus());
        QVERIFY(machineCloseOk && machineOpen && !machineOpen45 && oringPresence && machineReady && glassPresence);
        QVERIFY(!glassBigPresence && !working && !millingOn && !hardwareMachineError && !fullGlass && !hardContent);
        const struct
        {
            const char *line;
            bool (*holds)();
        } cases[] = {
            {"set lid open", [] { return !machineCloseOk && !machineOpen && machineOpen45; }},
            {"set lid ajar", [] { return !machineCloseOk && machineOpen && !machineOpen45; }},
            {"set gasket 0", [] { return !oringPresence && machineReady; }},
            {"set glass big", [] { return glassPresence && glassBigPresence; }},
            {"set ready 0", [] { return !machineReady; }},
            {"set error 33", [] { return hardwareMachineError && !millingOn; }},
            {"set working 1", [] { return working && !cutRelease_flag_a; }},
            {"set step 101", [] { return actualStep == 101; }},
            {"set release both", [] { return cutRelease_flag_a && cutRelease_flag_b; }},
        };
        for (const auto &c : cases) {
            SIM_OK(c.line);
            QVERIFY2(pollStatus() && c.holds(), c.line);
        }

        SIM_OK("set nofirmware 1"); // only the loader's short status
        QCOMPARE(ProtocolConversion::GetPacket(exchange(frame(BoardCmd::Status))), ByteVector({0x70, 0x02, 0x72}));
    }

    void requestRepliesDecodeAsTheLinkReadsThem()
    {
        for (const char *line : {"set temperature 101", "set residual 12345", "set sensors 0x0a5a",
                                 "set version 3.10.07", "set mains 230 60", "set position 9000"})
            SIM_OK(line);
        QCOMPARE(request(BoardCmd::Temperature).at(1), uint8_t(101));
        QCOMPARE(twoBytes(request(BoardCmd::ResidualSteps), 1), 12345);
        QCOMPARE(twoBytes(request(BoardCmd::SensorState), 1, 8), 0x0A5A);
        // 60 Hz and 230 V in the nibbles; 3.10.07 is 0x3A7 in 5 + 7 bits.
        QCOMPARE(request(BoardCmd::Version), (ByteVector{0x76, 0x60, 0x07, 0x27}));
        // The position comes in two replies; 9000 mm needs the top bits.
        const ByteVector high = request(BoardCmd::AxisPosition);
        const ByteVector low = request(BoardCmd::AxisPosition);
        QVERIFY(high.size() >= 3);
        QCOMPARE((((high[2] & 3) << 14) + twoBytes(low, 1)) / 2, 9000);
        // Values the wire cannot carry are refused; the old value stays.
        QVERIFY(sim.command("set temperature 128").startsWith("error"));
        QCOMPARE(sim.value("get temperature"), QStringLiteral("101"));
    }

    void injectedFaultsShapeTheReplies()
    {
        // A refused command is not carried out.
        SIM_OK("refuse 22");
        QCOMPARE(exchange(frame(BoardCmd::MainsFrequency, {6})), Refusal);
        QCOMPARE(sim.value("get mains"), QStringLiteral("230/50"));

        // Ignoring a counted number of frames: the link's retry pattern.
        SIM_OK("ignore 113 2");
        QVERIFY(exchange(frame(BoardCmd::Temperature)).empty());
        QVERIFY(exchange(frame(BoardCmd::Temperature)).empty());
        QCOMPARE(request(BoardCmd::Temperature).size(), std::size_t(2));
        QCOMPARE(sim.value("count 113"), QStringLiteral("3"));

        // Corruption spoils the next reply of that code; the command was still carried out.
        SIM_OK("corrupt 1 21");
        QVERIFY(!ProtocolConversion::CommandResponse(exchange(frame(BoardCmd::AirPurge, {0x7F}))));
        QCOMPARE(int(ProtocolConversion::error_occured), 2);
        QCOMPARE(sim.value("get purge"), QStringLiteral("1"));
        QCOMPARE(exchange(frame(BoardCmd::AirPurge, {0x00})), Ack);

        SIM_OK("silent on");
        QVERIFY(exchange(frame(BoardCmd::Status)).empty());
        SIM_OK("silent off");
        QVERIFY(pollStatus());
    }

    void startNeedsProgramAndClosedLid()
    {
        QCOMPARE(exchange(frame(BoardCmd::Start)), Refusal); // no program loaded
        std::queue<ByteVector> sequence = BuildSequenceMsg(frostizing(1));
        QCOMPARE(sequence.size(), std::size_t(4));
        for (; sequence.size() > 1; sequence.pop())
            QCOMPARE(exchange(sequence.front()), Ack);
        SIM_OK("set lid open");
        QCOMPARE(exchange(sequence.front()), Refusal);
        QVERIFY(pollStatus() && !working);
        SIM_OK("set lid closed");
        QCOMPARE(exchange(sequence.front()), Ack);
        QVERIFY(pollStatus() && working && millingOn && actualStep == 0);
        QCOMPARE(exchange(sequence.front()), Refusal); // not while a run goes on
    }

    // `milled`: the blade finds the bottom after that many milling steps
    // (-1: never), and the milling steps left are skipped.
    void runFollowsTheProgram_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("rework");
        QTest::addColumn<double>("speed");
        QTest::addColumn<int>("milled");
        QTest::newRow("frostizing, 2 portions") << 0 << false << 40.0 << -1;
        QTest::newRow("whipping") << 1 << false << 60.0 << -1;
        QTest::newRow("frostizing reworked: no milling") << 0 << true << 40.0 << -1;
        QTest::newRow("ends early: empty beaker") << 0 << false << 40.0 << 0;
        QTest::newRow("ends early: three steps, no whole portion") << 0 << false << 40.0 << 3;
        QTest::newRow("ends early: one portion and one step") << 0 << false << 40.0 << 5;
    }
    void runFollowsTheProgram()
    {
        QFETCH(int, kind);
        QFETCH(bool, rework);
        QFETCH(double, speed);
        QFETCH(int, milled);
        const WorkSettings w = kind == 0 ? frostizing(2) : whipping();
        SIM_OK(QString("speed %1").arg(speed));
        if (milled >= 0)
            SIM_OK(QString("endearly %1").arg(milled));
        QVERIFY(startRun(w, rework));
        const QVector<Seen> seen = followRun(20000);
        QVERIFY(!working && !millingOn);
        const QVector<Expected> expected = expectedSteps(w, rework, milled);
        QVERIFY(!expected.isEmpty());

        // Step 0 may pass between two polls at this speed; every later step is seen once, in order.
        int from = 0;
        if (!seen.isEmpty() && seen[0].step == 0) {
            QCOMPARE(seen[0].milling, !rework && kind == 0); // milling is about to begin
            from = 1;
        }
        QCOMPARE(seen.size() - from, expected.size());
        int checked = 0;
        for (int i = 0; i < expected.size(); ++i) {
            const Seen &s = seen[from + i];
            const Expected &e = expected[i];
            const QByteArray where = QByteArray("step ") + QByteArray::number(i + 1);
            QVERIFY2(s.step == i + 1 && s.milling == e.milling, where);
            if (s.state.isEmpty())
                continue;
            ++checked;
            QVERIFY2(s.state["cutspeed"].toInt() == e.cut && s.state["immersionspeed"].toInt() == e.immersion, where);
            QVERIFY2(s.state["direction"] == e.dir && s.state["phase"] == (e.milling ? "milling" : "emulsion"), where);
            QVERIFY2(s.state["portion"].toInt() == e.portion && s.state["portionsworked"].toInt() == e.worked, where);
        }
        QVERIFY(checked >= expected.size() / 2);
        QCOMPARE(twoBytes(request(BoardCmd::ResidualSteps), 1), 0);
        SIM_OK("reset faults"); // back to whole runs
        QCOMPARE(sim.value("get endearly"), QStringLiteral("off"));
    }

    void runLastsAboutTheEstimate_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("speed");
        QTest::addColumn<double>("pace");
        QTest::newRow("frostizing, 3 portions") << 0 << 40.0 << 0.0;
        QTest::newRow("whipping") << 1 << 80.0 << 0.0;
        // A set pace holds whatever the speed: a step each 50 ms.
        QTest::newRow("whipping at a pace") << 1 << 0.01 << 0.05;
    }
    void runLastsAboutTheEstimate()
    {
        QFETCH(int, kind);
        QFETCH(double, speed);
        QFETCH(double, pace);
        const WorkSettings w = kind == 0 ? frostizing(3) : whipping();
        const double estimateMs = pace > 0 ? 1000.0 * pace * (1 + expectedSteps(w, false).size())
                                           : 1000.0 * w.calculateTotalWorkingTime(w.getPortion()) / speed;
        SIM_OK(QString("speed %1").arg(speed));
        SIM_OK(pace > 0 ? QString("pace %1").arg(pace) : QString("pace off"));
        QElapsedTimer t;
        t.start();
        QVERIFY(startRun(w, false));
        while (pollStatus() && working && t.elapsed() < 3 * estimateMs)
            QTest::qSleep(2);
        const double took = double(t.elapsed());
        QVERIFY(!working);
        QVERIFY2(std::abs(took - estimateMs) <= 0.1 * estimateMs,
                 qPrintable(QString("took %1 ms, estimate %2 ms").arg(took).arg(estimateMs)));
    }

    void stopEndsTheRunAndLeavesTheResidualSteps()
    {
        const WorkSettings w = frostizing(2);
        const int total = 1 + expectedSteps(w, false).size();
        // Stopped before the first step: nothing done.
        QVERIFY(startRun(w, false));
        QCOMPARE(exchange(frame(BoardCmd::Stop)), Ack);
        QVERIFY(pollStatus() && !working && !millingOn && actualStep == 0);
        QCOMPARE(twoBytes(request(BoardCmd::ResidualSteps), 1), total);

        SIM_OK("speed 40");
        QVERIFY(startRun(w, false));
        QVERIFY(waitForStep(3));
        const int reached = actualStep;
        QCOMPARE(exchange(frame(BoardCmd::Stop)), Ack);
        QVERIFY(pollStatus() && !working && actualStep == 0);
        const int residual = twoBytes(request(BoardCmd::ResidualSteps), 1);
        QVERIFY2(residual >= 1 && residual <= total - reached, qPrintable(QString::number(residual)));
        QCOMPARE(exchange(frame(BoardCmd::Stop)), Ack); // idle: acknowledged all the same
    }

    void tooFullBeakerHoldsAtStepZero_data()
    {
        QTest::addColumn<uint8_t>("answer");
        QTest::newRow("continue") << uint8_t(0x7F);
        QTest::newRow("stop") << uint8_t(0x00);
    }
    void tooFullBeakerHoldsAtStepZero()
    {
        QFETCH(uint8_t, answer);
        const WorkSettings w = frostizing(2);
        SIM_OK("speed 50"); // step 0 lasts 100 ms
        SIM_OK("set fullglass 1");
        QVERIFY(startRun(w, false));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 400) {
            QVERIFY(pollStatus() && working && fullGlass && actualStep == 0);
            QTest::qSleep(20);
        }
        QCOMPARE(sim.value("get phase"), QStringLiteral("held"));
        QCOMPARE(exchange(frame(BoardCmd::TooMuchAnswer, {answer})), Ack);
        if (answer == 0x7F) {
            QVERIFY(waitForStep(1));
            QVERIFY(!fullGlass && working && millingOn);
        } else {
            QVERIFY(pollStatus() && !working && !millingOn);
            QCOMPARE(twoBytes(request(BoardCmd::ResidualSteps), 1), 1 + expectedSteps(w, false).size());
        }
    }

    void eventsDuringARun_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("content hard") << "set hard 1" << "goes on";
        QTest::newRow("lid opened") << "set lid open" << "waits for stop";
        QTest::newRow("board error") << "set error 12" << "ends";
    }
    void eventsDuringARun()
    {
        QFETCH(QString, line);
        QFETCH(QString, outcome);
        SIM_OK("speed 40");
        QVERIFY(startRun(frostizing(2), false));
        QVERIFY(waitForStep(2));
        SIM_OK(line);
        QVERIFY(pollStatus());
        const int at = actualStep;
        if (outcome == "goes on") {
            QVERIFY(hardContent);
            QVERIFY(waitForStep(at + 2));
        } else if (outcome == "waits for stop") {
            QVERIFY(!machineOpen && working);
            QTest::qSleep(400); // several steps' time
            QVERIFY(pollStatus() && working && actualStep == at);
            SIM_OK("set lid closed"); // closing it does not resume the run
            QTest::qSleep(200);
            QVERIFY(pollStatus() && working && actualStep == at);
            QCOMPARE(exchange(frame(BoardCmd::Stop)), Ack);
            QVERIFY(pollStatus() && !working);
        } else {
            QVERIFY(hardwareMachineError && !working && !millingOn);
            QVERIFY(twoBytes(request(BoardCmd::ResidualSteps), 1) > 0);
        }
    }

    void bladeReleaseFollowsCommandTenAndTheHold()
    {
        SIM_OK("set glass none");
        // Each row: the security button, the commands, the flags shown afterwards.
        const struct
        {
            int hold;
            uint8_t code;
            int times;
            QString flags;
        } walk[] = {
            {0, BoardCmd::CutRelease, 1, "a"},    // started
            {0, BoardCmd::CutRelease, 4, "a"},    // unlocking waits for the hold
            {1, BoardCmd::CutRelease, 2, "a"},
            {1, BoardCmd::StopRelease, 1, "a"},   // the movement stops and starts again
            {1, BoardCmd::CutRelease, 2, "a"},
            {1, BoardCmd::CutRelease, 1, "both"}, // free
            {1, BoardCmd::CutRelease, 2, "both"}, // a hold running on keeps it free
            {0, BoardCmd::CutRelease, 1, "a"},    // locking
            {1, BoardCmd::CutRelease, 3, "b"},    // locked
            {0, BoardCmd::CutRelease, 3, "both"}, // returning: the screen alone
            {0, BoardCmd::CutRelease, 3, "both"},
            {1, BoardCmd::CutRelease, 3, "none"},
            // Manual moves: the second direction frees a locked blade, the
            // first lifts it and then takes it home; none without the hold.
            {-1, 0, 0, "b"},
            {1, BoardCmd::ManualMoveB, 3, "both"},
            {-1, 0, 0, "b"},
            {0, BoardCmd::ManualMoveA, 3, "b"},
            {1, BoardCmd::ManualMoveA, 3, "both"},
            {1, BoardCmd::ManualMoveA, 3, "none"},
        };
        int row = 0;
        int hold = 0;
        for (const auto &w : walk) {
            const QByteArray where = QByteArray::number(++row);
            if (w.hold < 0)
                SIM_OK("set release " + w.flags);
            else
                SIM_OK(QString("set hold %1").arg(hold = w.hold));
            for (int i = 0; i < w.times; ++i)
                QVERIFY2(exchange(frame(w.code)) == Ack, where);
            QVERIFY2(pollStatus(), where);
            QCOMPARE(sim.value("get release"), w.flags);
            QCOMPARE(QString(cutRelease_flag_a ? (cutRelease_flag_b ? "both" : "a") : (cutRelease_flag_b ? "b" : "none")),
                     w.flags);
            // The hold is read in the glass bit.
            QVERIFY2(glassPresence == (hold == 1), where);
        }
        // Six moves up with the hold; the three without it did not move the axis.
        QCOMPARE(sim.value("get position"), QStringLiteral("30"));

        // No release while a run goes on.
        SIM_OK("set working 1");
        QCOMPARE(exchange(frame(BoardCmd::CutRelease)), Refusal);
        QCOMPARE(sim.value("get release"), QStringLiteral("none"));
    }

    void bladeMountStateAnswers()
    {
        for (int state : {127, 15, 0}) {
            SIM_OK(QString("set blademount %1").arg(state));
            QCOMPARE(request(BoardCmd::BladeMountState), ByteVector({BoardCmd::BladeMountState, uint8_t(state)}));
        }
    }

    // Custom cleaning: the code names the cycle, whose table time the run
    // lasts (divided by the speed, or a step each `pace`).
    void customCleaningLastsItsCycle_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("timing");
        QTest::addColumn<double>("expectedMs");
        QTest::addColumn<QString>("seconds");
        QTest::newRow("blades, big glass") << 38 << "speed 100" << 282.0 << "28.2";
        QTest::newRow("blades and shaft, big glass") << 53 << "speed 200" << 1640.5 << "328.1";
        QTest::newRow("blades and shaft, small glass") << 72 << "speed 200" << 1642.5 << "328.5";
        QTest::newRow("at a pace: four steps") << 53 << "pace 0.1" << 400.0 << "328.1";
    }
    void customCleaningLastsItsCycle()
    {
        QFETCH(int, code);
        QFETCH(QString, timing);
        QFETCH(double, expectedMs);
        QFETCH(QString, seconds);
        SIM_OK(timing);
        QElapsedTimer t;
        t.start();
        QCOMPARE(exchange(frame(BoardCmd::CustomClean, {uint8_t(code)})), Ack);
        QVERIFY(pollStatus() && working && !millingOn);
        const QMap<QString, QString> state = parseState(sim.command("state"));
        QCOMPARE(state["run"], QStringLiteral("cleaning"));
        QCOMPARE(state["cleancode"], QString::number(code));
        QCOMPARE(state["seconds"], seconds);
        QCOMPARE(exchange(frame(BoardCmd::CustomClean, {uint8_t(code)})), Refusal); // not while one runs
        while (pollStatus() && working && t.elapsed() < 5000)
            QTest::qSleep(2);
        const double took = double(t.elapsed());
        QVERIFY(!working);
        QVERIFY2(std::abs(took - expectedMs) <= 0.1 * expectedMs + 20,
                 qPrintable(QString("took %1 ms, expected %2 ms").arg(took).arg(expectedMs)));
        QCOMPARE(sim.value("get cleancode"), QStringLiteral("0"));
        SIM_OK("pace off");
    }

    // A code naming no cycle is refused and runs nothing; 12 ends a cycle;
    // the air purge follows 21 and shows in `state`.
    void cleaningCommands()
    {
        for (uint8_t code : {uint8_t(0), uint8_t(36), uint8_t(73), uint8_t(127)}) {
            QCOMPARE(exchange(frame(BoardCmd::CustomClean, {code})), Refusal);
            QVERIFY(pollStatus() && !working);
        }
        SIM_OK("speed 1");
        QCOMPARE(exchange(frame(BoardCmd::CustomClean, {56})), Ack);
        QVERIFY(pollStatus() && working);
        QCOMPARE(exchange(frame(BoardCmd::StopRelease)), Ack);
        QVERIFY(pollStatus() && !working);
        QCOMPARE(sim.value("get run"), QStringLiteral("none"));
        QVERIFY(twoBytes(request(BoardCmd::ResidualSteps), 1) > 0);

        QCOMPARE(exchange(frame(BoardCmd::AirPurge, {0x7F})), Ack);
        QCOMPARE(sim.value("get purge"), QStringLiteral("1"));
        QCOMPARE(exchange(frame(BoardCmd::AirPurge, {0x00})), Ack);
        QCOMPARE(sim.value("get purge"), QStringLiteral("0"));
    }

    // The sensor word follows the machine state through the page's own
    // table, read back with the link's decoder; a forced word (a broken
    // switch) is answered as set until `auto`.
    void sensorWordFollowsTheState_data()
    {
        using namespace SensorBits;
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("made");
        const QList<int> powerOn{Glass, GlassDoorClosed, GasketDoor, LowerLimit, GlassLimit, GlassRedundancy,
                                 BladesMounted};
        const auto without = [&](QList<int> list, std::initializer_list<int> gone) {
            for (int g : gone)
                list.removeAll(g);
            return list;
        };
        QTest::newRow("power-on") << QStringList() << powerOn;
        QTest::newRow("lid open") << QStringList{"set lid open"}
                                  << without(powerOn, {GlassDoorClosed, GlassLimit, GlassRedundancy});
        QTest::newRow("lid ajar") << QStringList{"set lid ajar"} << without(powerOn, {GlassDoorClosed});
        QTest::newRow("no glass, no gasket") << QStringList{"set glass none", "set gasket 0"}
                                             << without(powerOn, {Glass, GasketDoor});
        QTest::newRow("axis at the top") << QStringList{"set position 200"}
                                         << without(powerOn, {LowerLimit}) + QList<int>{UpperLimit};
        QTest::newRow("axis midway") << QStringList{"set position 199"} << without(powerOn, {LowerLimit});
        QTest::newRow("blade off the shaft") << QStringList{"set blademount 0", "set release both"}
                                             << without(powerOn, {BladesMounted}) + QList<int>{BladeRelease, BladePosition};
        QTest::newRow("forced word") << QStringList{"set sensors 0x1001"} << QList<int>{Glass, StepperTurns};
        QTest::newRow("forced, then auto") << QStringList{"set sensors 0", "set lid open", "set sensors auto"}
                                           << without(powerOn, {GlassDoorClosed, GlassLimit, GlassRedundancy});
    }
    void sensorWordFollowsTheState()
    {
        QFETCH(QStringList, lines);
        QFETCH(QList<int>, made);
        for (const QString &line : lines)
            SIM_OK(line);
        const auto word = BoardReply::sensors(exchange(frame(BoardCmd::SensorState)));
        QVERIFY(word);
        QList<int> seen;
        for (int i = 0; i < SensorBits::Count; ++i)
            if (SensorBits::closed(*word, SensorBits::Sensor(i)))
                seen << i;
        std::sort(made.begin(), made.end());
        QCOMPARE(seen, made);
        QCOMPARE(sim.value("get sensors"), QString::number(*word));
    }

    // The rotation sensors: the blade turns and the axis moves on a milling
    // step, neither while the run settles at step 0, both through a cleaning.
    void sensorWordFollowsARun()
    {
        using namespace SensorBits;
        const auto turning = [this] {
            const uint16_t w = BoardReply::sensors(exchange(frame(BoardCmd::SensorState))).value_or(0);
            return QPair<bool, bool>(closed(w, BladeTurns), closed(w, StepperTurns));
        };
        QCOMPARE(turning(), qMakePair(false, false));
        SIM_OK("pace 0.5");
        QVERIFY(startRun(frostizing(1), false));
        QVERIFY(pollStatus() && working && actualStep == 0);
        QCOMPARE(turning(), qMakePair(false, false));
        QVERIFY(waitForStep(1));
        QVERIFY(millingOn);
        QCOMPARE(turning(), qMakePair(true, true));
        QCOMPARE(exchange(frame(BoardCmd::Stop)), Ack);
        QVERIFY(pollStatus() && !working);
        QCOMPARE(turning(), qMakePair(false, false));
        QCOMPARE(exchange(frame(BoardCmd::ShaftClean)), Ack);
        QCOMPARE(turning(), qMakePair(true, true));
        SIM_OK("pace off");
    }

    void firmwareLoaderExchange()
    {
        QCOMPARE(exchange(frame(BoardCmd::FirmwareUpdate), 0x04), ByteVector({0x0F, 0xBB, 0x04})); // entered
        QVERIFY(exchange(frame(BoardCmd::Status)).empty()); // the loader ignores board frames

        const ByteVector r1 = hexRecord(0xD000, 0, {0x12, 0x34});
        QCOMPARE(exchange(loaderFrame(r1), 0x04), LoaderAck);
        // Record bytes may look like any marker.
        const ByteVector r2 = hexRecord(0xD002, 0, {0xF3, 0xFC, 0x04, 0x04, 0x00, 0x0F, 0x0F});
        QCOMPARE(exchange(loaderFrame(r2), 0x04), LoaderAck);
        const ByteVector badSum{0x02, 0xD0, 0x00, 0x00, 0x12, 0x34, 0xE9}; // 0xE8 is right
        QCOMPARE(exchange(loaderFrame(badSum), 0x04), ByteVector({0x0F, 0x55, 0x04})); // refused

        // The end-of-file record ends the loader; the new firmware answers.
        SIM_OK("set nofirmware 1");
        QCOMPARE(exchange(loaderFrame(hexRecord(0, 1, {})), 0x04), LoaderAck);
        QCOMPARE(sim.value("get loader"), QStringLiteral("0"));
        QCOMPARE(sim.value("records"), QStringLiteral("3"));
        QCOMPARE(sim.value("record 2"), QString::fromStdString(ByteToOctectString(r2)));
        QCOMPARE(ProtocolConversion::GetPacket(exchange(frame(BoardCmd::Status))).size(), std::size_t(5));
    }

    // What the loader took can be compared with the file sent; after the
    // end record the board runs the version it was given.
    void loaderSavesItsRecordsAndRunsTheNewVersion()
    {
        SIM_OK("loader version 3.01.02");
        QCOMPARE(exchange(frame(BoardCmd::FirmwareUpdate), 0x04), ByteVector({0x0F, 0xBB, 0x04}));
        const ByteVector r1 = hexRecord(0xD000, 0, {0x00, 0xFF, 0x3A});
        const ByteVector r2 = hexRecord(0xD003, 0, {0x0D, 0x0A});
        const ByteVector end = hexRecord(0, 1, {});
        QCOMPARE(exchange(loaderFrame(r1), 0x04), LoaderAck);
        QCOMPARE(exchange(loaderFrame({0x01, 0xD0, 0x05, 0x00, 0x77, 0x00}), 0x04),
                 ByteVector({0x0F, 0x55, 0x04})); // refused: not kept
        QCOMPARE(exchange(loaderFrame(r2), 0x04), LoaderAck);
        QCOMPARE(sim.value("get version"), QStringLiteral("2.00.05")); // until the end record
        QCOMPARE(exchange(loaderFrame(end), 0x04), LoaderAck);

        QTemporaryDir dir;
        const QString path = dir.filePath("Received.hex"); // the path keeps its case
        QCOMPARE(sim.command("loader save " + path), QStringLiteral("ok 3"));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray(":03D0000000FF3AF4\r\n:02D003000D0A14\r\n:00000001FF\r\n"));
        const auto version = BoardReply::version(exchange(frame(BoardCmd::Version)), "110V");
        QVERIFY(version);
        QCOMPARE(version->firmware, std::string("3.01.02"));
        QVERIFY(sim.command("loader save /nonexistent-folder/x.hex").startsWith("error"));
    }

    // At 9600 baud a reply cannot come before the frame asking for it and
    // the reply itself have crossed the wire, 11 bits a byte.
    void wireTimeCountsBothWays()
    {
        SIM_OK("wiretime on");
        const auto wireMs = [](std::size_t bytes) { return double(bytes) * 11.0 * 1000.0 / 9600.0; };
        QElapsedTimer t;
        t.start();
        const ByteVector status = exchange(frame(BoardCmd::Status));
        QCOMPARE(status.size(), std::size_t(7));
        QVERIFY2(t.nsecsElapsed() / 1e6 >= wireMs(4 + status.size()) - 0.5, qPrintable(QString::number(t.elapsed())));

        QCOMPARE(exchange(frame(BoardCmd::FirmwareUpdate), 0x04), ByteVector({0x0F, 0xBB, 0x04}));
        const ByteVector line = loaderFrame(hexRecord(0xD000, 0, ByteVector(32, 0x55)));
        t.restart();
        QCOMPARE(exchange(line, 0x04), LoaderAck);
        const double ms = t.nsecsElapsed() / 1e6;
        QVERIFY2(ms >= wireMs(line.size() + 3) - 0.5 && ms < 400, qPrintable(QString::number(ms)));
    }
};

QTEST_GUILESS_MAIN(TestBoardSim)
#include "tst_boardsim.moc"
