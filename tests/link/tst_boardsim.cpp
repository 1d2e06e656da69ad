// The simulated controller board through a real pseudo-terminal, read back
// with the link's own port, frame codec and decoding rules.

#include "BoardSimProcess.h"

#include "link/ProtocolConversion.h"
#include "link/SerialCom.h"
#include "link/SharedState.h"

#include <QElapsedTimer>
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

    void workSequenceRunsAndFinishes()
    {
        SIM_OK("speed 10"); // 100 ms a step
        QCOMPARE(exchange(frame(BoardCmd::Start)), Refusal); // no program loaded
        // 4 milling steps, 2 emulsion steps repeated twice: steps 0 to 8.
        const ByteVector milling{2, 3, 2, 3, 2, 3, 2, 3, 2, 0, 1, 0, 1, 0, 1};
        ByteVector emulsion{0, 0, 3, 5, 15, 10, 0, 3, 5, 15, 10};
        for (int i = 0; i < 6; ++i) // five steps off, then the closing one
            emulsion.insert(emulsion.end(), {127, uint8_t(i < 5), 0, 0, 0});
        QCOMPARE(exchange(frame(BoardCmd::Milling, milling)), Ack);
        QCOMPARE(exchange(frame(BoardCmd::Emulsion, emulsion)), Ack);
        QCOMPARE(exchange(frame(BoardCmd::EmulsionRepetition, {1})), Ack);
        SIM_OK("set lid open");
        QCOMPARE(exchange(frame(BoardCmd::Start)), Refusal);
        SIM_OK("set lid closed");
        QCOMPARE(exchange(frame(BoardCmd::Start)), Ack);

        QList<int> steps;
        QElapsedTimer t;
        t.start();
        while (pollStatus() && working && t.elapsed() < 5000) {
            QVERIFY2(millingOn == (actualStep <= 4), qPrintable(QString::number(actualStep)));
            if (steps.isEmpty() || steps.last() != actualStep)
                steps << actualStep;
            QTest::qSleep(10);
        }
        QVERIFY(!working && !millingOn);
        QVERIFY(std::is_sorted(steps.begin(), steps.end()) && steps.first() == 0 && steps.last() == 8);
        QCOMPARE(twoBytes(request(BoardCmd::ResidualSteps), 1), 0);
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
};

QTEST_GUILESS_MAIN(TestBoardSim)
#include "tst_boardsim.moc"
