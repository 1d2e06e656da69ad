// The work sequence sent to the board: payload layouts and frame order,
// checked against frames written out by hand.

#include "workprogram_helpers.h"

#include "data/SequenceMsg.h"
#include "data/WorkSettings.h"
#include "link/SharedState.h"

#include <QtTest>

namespace {

QList<QByteArray> drain(std::queue<ByteVector> frames)
{
    QList<QByteArray> out;
    while (!frames.empty()) {
        out << toQByteArray(frames.front());
        frames.pop();
    }
    return out;
}

} // namespace

class TestSequenceMsg : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { reworkSet = false; }

    void millingPayload()
    {
        WorkSettings w;
        QCOMPARE(toQByteArray(w.getMillingCmdByte()), hexBytes("00 0101 0101 0101 0101 0001 0001 0001"));

        w.setPortion(5);
        w.setPortionDimension(6); // three steps in use
        w.setMillingSteps(3, 2);
        w.setMillingSteps(4, 7, 2);
        w.setMillingSteps(9, 9, 3); // beyond the portion: sent as inactive
        QCOMPARE(toQByteArray(w.getMillingCmdByte()), hexBytes("05 0302 0302 0407 0001 0001 0001 0001"));

        w.setPortionDimension(1);
        QCOMPARE(toQByteArray(w.getMillingCmdByte()), hexBytes("05 0001 0001 0001 0001 0001 0001 0001"));

        // A height past the seven steps still yields seven, never more.
        w.setPortionDimension(40);
        w.setMillingSteps(2, 3);
        QCOMPARE(toQByteArray(w.getMillingCmdByte()), hexBytes("05 0203 0203 0203 0203 0203 0203 0203"));
    }

    void emulsionPayload()
    {
        WorkSettings w; // frostizing, no emulsion: milling pressure goes in slot 0
        w.setMillingPressionType(2);
        w.setMillingPressionIntensity(3);
        QCOMPARE(toQByteArray(w.getEmulsionCmdByte()),
                 hexBytes("00 7f01000203 7f01000000 7f01000000 7f01000000 7f01000000 7f01000000 7f01000000"
                          " 7f00000000"));

        // An enabled first step is sent as stored; the eighth step never is.
        w.setEmulsionSteps(0, 3, 5, 15, 10, 0);
        w.setEmulsionSteps(20, 4, 2, 1, 9, 6);
        w.setEmulsionSteps(30, 6, 6, 6, 6, 7);
        QCOMPARE(toQByteArray(w.getEmulsionCmdByte()),
                 hexBytes("00 0003050f0a 7f01000000 7f01000000 7f01000000 7f01000000 7f01000000 1404020109"
                          " 7f00000000"));

        // Built-in programs keep step 0 even when it is disabled.
        WorkSettings c;
        c.setEmulsionWorkingMode(127);
        c.setMillingPressionType(2);
        QCOMPARE(toQByteArray(c.getEmulsionCmdByte()).mid(0, 6), hexBytes("7f 7f01000000"));
    }

    void repetitionPayload_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("enabled");
        QTest::addColumn<int>("extra");
        QTest::addColumn<int>("expected");
        QTest::newRow("built-in, nothing enabled") << 127 << 0 << 0 << 0x7f;
        QTest::newRow("built-in, three steps, two extra") << 127 << 3 << 2 << 2;
        QTest::newRow("frostizing, nothing enabled") << 0 << 0 << 0 << 0;
        QTest::newRow("frostizing, four steps, two extra") << 0 << 4 << 2 << 4;
    }
    void repetitionPayload()
    {
        QFETCH(int, mode);
        QFETCH(int, enabled);
        QFETCH(int, extra);
        QFETCH(int, expected);
        WorkSettings w;
        w.setEmulsionWorkingMode(uint8_t(mode));
        for (int i = 0; i < enabled; ++i)
            w.setEmulsionSteps(0, 3, 5, 15, 10, i);
        w.setExtraEmulsionStep(uint8_t(extra));
        QCOMPARE(w.getEmulsionRepetionCmdByte(), ByteVector{uint8_t(expected)});
    }

    void sequenceFrames()
    {
        const WorkSettings w;
        const QByteArray milling = hexBytes("f3 01 00 0101 0101 0101 0101 0001 0001 0001 00 fc");
        const QByteArray emulsion = hexBytes("f3 02 00 7f01000000 7f01000000 7f01000000 7f01000000 7f01000000"
                                             " 7f01000000 7f01000000 7f00000000 03 fc");
        const QByteArray repetition = hexBytes("f3 14 00 14 fc");
        const QByteArray start = hexBytes("f3 03 03 fc");

        QCOMPARE(drain(BuildSequenceMsg(w)), (QList<QByteArray>{milling, emulsion, repetition, start}));

        reworkSet = true;
        QCOMPARE(drain(BuildSequenceMsg(w)),
                 (QList<QByteArray>{milling, emulsion, repetition, hexBytes("f3 12 12 fc"), start}));
    }
};

QTEST_GUILESS_MAIN(TestSequenceMsg)
#include "tst_sequencemsg.moc"
