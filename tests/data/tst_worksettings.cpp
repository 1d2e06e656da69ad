// The work program record: step editing rules, extra cycles, run statistics,
// time estimates and the work sequence frames sent to the board.

#include "workprogram_helpers.h"

#include "data/SequenceMsg.h"
#include "data/Tables.h"
#include "data/WorkSettings.h"
#include "link/SharedState.h"

#include <QtTest>

namespace {

QList<QByteArray> drain(std::queue<ByteVector> frames)
{
    QList<QByteArray> out;
    for (; !frames.empty(); frames.pop())
        out << toQByteArray(frames.front());
    return out;
}

} // namespace

class TestWorkSettings : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { reworkSet = false; }

    // Indexes and heights from damaged files or remote programs must not
    // reach past the seven milling and eight emulsion steps.
    void stepEditingStaysInsideTheSteps()
    {
        WorkSettings w;
        w.setPortionDimension(200);
        w.setMillingSteps(5, 4);
        QCOMPARE(w.millingStepsInUse(), 7);
        QCOMPARE(int(w.getMillingSteps(6).CutSpeed), 5);
        w.setMillingSteps(2, 2, 7);
        w.setMillingSteps(2, 2, -1);
        QCOMPARE(int(w.getMillingSteps(7).CutSpeed), 0);
        w.enableMillingSteps(6); // no step 7 to copy into
        QCOMPARE(int(w.getMillingSteps(6).CutSpeed), 5);

        w.setEmulsionSteps(0, 4, 5, 15, 10, 0);
        w.enableEmulsionSteps(1); // a copy of step 0, and step 3 follows
        QCOMPARE(int(w.getEmulsionSteps(3).CutSpeed), 4);
        QCOMPARE(w.getEnabledEmulsionSteps(), 2); // step 2 still off: step 3 does not count
        w.setEmulsionSteps(0, 2, 2, 0, 0, 6);
        w.enableEmulsionSteps(7); // nothing two places on
        QCOMPARE(int(w.getEmulsionSteps(7).CutSpeed), 2);
        w.setEmulsionSteps(30, 6, 2, 1, 1, 1);
        w.enableEmulsionStepsSimple(1, true); // nothing two steps back
        QCOMPARE(int(w.getEmulsionSteps(1).CutSpeed), 6);
        w.setRecipeType(4); // no such type: the folder stays
        QVERIFY(w.path.isEmpty());
        w.ingredientList = QStringList{"Caffè"};
        QCOMPARE(w.getQty(0), std::string()); // the parallel list may be short
    }

    void extraCyclesAndRepetitions()
    {
        WorkSettings l;
        QVERIFY(!l.setExtraEmulsionStep(7)); // ordinary programs: six at most
        QCOMPARE(int(l.getExtraEmulsionStep()), 6);
        QVERIFY(!l.setReworkAddStep(9));
        QCOMPARE(int(l.getReworkAddStep()), 6);
        l.setEmulsionWorkingMode(127); // built-in ones: seven
        QVERIFY(l.setExtraEmulsionStep(7));
        QVERIFY(!l.setReworkAddStep(8));

        // Cycles run, and the repetitions the board is sent (one fewer).
        WorkSettings w;
        QCOMPARE(int(w.getTotalEmulsionCicle()), 1); // the milling climb is a cycle of its own
        QCOMPARE(w.getEmulsionRepetionCmdByte(), ByteVector{0});
        for (int i = 0; i < 3; ++i)
            w.setEmulsionSteps(0, 3, 5, 15, 10, i);
        w.setExtraEmulsionStep(2);
        QCOMPARE(int(w.getTotalEmulsionCicle()), 4);
        QCOMPARE(w.getEmulsionRepetionCmdByte(), ByteVector{3});
        w.setEmulsionWorkingMode(127);
        QCOMPARE(int(w.getTotalEmulsionCicle()), 3);
        QCOMPARE(w.getEmulsionRepetionCmdByte(), ByteVector{2});
        l.setExtraEmulsionStep(0); // built-in, nothing to run: seven bits of -1
        QCOMPARE(l.getEmulsionRepetionCmdByte(), ByteVector{0x7f});
    }

    void statisticsTrackMinMaxAndMean()
    {
        temperatureConversionTable[10] = 92.5;
        temperatureConversionTable[64] = 25.0;
        temperatureConversionTable[99] = -0.5;
        WorkSettings w;
        w.registerNewTemperature(128); // not a 7-bit sample
        w.registerNewTemperature(255);
        QCOMPARE(w.temperatureCount, uint32_t(0));
        for (const uint8_t raw : {64, 10, 99})
            w.registerNewTemperature(raw);
        QCOMPARE(w.temperatureMin, -0.5);
        QCOMPARE(w.temperatureMax, 92.5);
        QCOMPARE(w.temperatureMid, (25.0 + 92.5 - 0.5) / 3);
        temperatureConversionTable[10] = temperatureConversionTable[64] = temperatureConversionTable[99] = 0;
    }

    // Speed index 0 (standstill) and indexes outside the table must add
    // nothing rather than divide by zero.
    void timeEstimates()
    {
        WorkSettings w; // portion height 8: four steps per portion
        w.setMillingSteps(1, 2, 0); // 2 / 0.56
        w.setMillingSteps(1, 4, 1); // 2 / 1.0
        w.setMillingSteps(1, 0, 2); // standstill
        w.setMillingSteps(1, 5, 3); // 2 / 1.6
        w.setMillingSteps(1, 0, 4); // not in use
        QCOMPARE(w.calculateMillingTime(3), 25); // 3 * 6.821 + 5
        w.setPortion(2);
        QCOMPARE(w.calculateMillingTime(-1), 18); // 2 * 6.821 + 5
        w.setMillingSteps(1, 200, 0); // a damaged file's index
        QCOMPARE(w.calculateMillingTime(1), 8); // 3.25 + 5

        WorkSettings b;
        b.setEmulsionWorkingMode(127);
        b.setEmulsionSteps(10, 6, 5, 15, 10, 0); // 1 s pause + 109 / 1.6
        b.setEmulsionSteps(0, 6, 2, 15, 10, 1);  // last step: climbs out at 5.65
        b.setEmulsionSteps(0, 6, 5, 15, 10, 2);
        QCOMPARE(b.calculateTotalWorkingTime(0), 88); // 69.125 + 19.29
        b.setExtraEmulsionStep(1); // steps 0, 1, 2, then 0 again climbing out
        QCOMPARE(b.calculateTotalWorkingTime(0), 352);

        // Ordinary programs travel the milled height instead of the beaker.
        WorkSettings m;
        m.setPortion(2);
        m.setEmulsionSteps(0, 3, 0, 15, 10, 0); // standstill: no travel
        m.setEmulsionSteps(5, 3, 5, 15, 10, 1);
        QCOMPARE(m.calculateMillingTime(0), 36); // 2 * 4 * 2 / 0.51 + 5
        QCOMPARE(m.calculateTotalWorkingTime(0), 36 + 36);

        m.numOfStepMilling = 9;
        m.setPortion(3);
        QVERIFY(m.enoughtPortion()); // 3 * 8 / 2 - 8 / 4 = 10
        m.numOfStepMilling = 10;
        QVERIFY(!m.enoughtPortion());
    }

    // Payloads as written out by hand: portion count, then (cut, immersion)
    // per milling step, inactive ones as 00 01; mode, then the emulsion steps.
    void stepPayloads()
    {
        WorkSettings w;
        w.setPortion(5);
        w.setPortionDimension(6); // three steps in use
        w.setMillingSteps(3, 2);
        w.setMillingSteps(4, 7, 2);
        w.setMillingSteps(9, 9, 3); // beyond the portion: sent as inactive
        QCOMPARE(toQByteArray(w.getMillingCmdByte()), hexBytes("05 0302 0302 0407 0001 0001 0001 0001"));
        w.setPortionDimension(40); // a height past the seven steps still yields seven
        w.setMillingSteps(2, 3);
        QCOMPARE(toQByteArray(w.getMillingCmdByte()), hexBytes("05 0203 0203 0203 0203 0203 0203 0203"));

        // Frostizing without emulsion: the milling pressure goes in slot 0.
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
        WorkSettings c; // built-in programs keep step 0 even when it is disabled
        c.setEmulsionWorkingMode(127);
        c.setMillingPressionType(2);
        QCOMPARE(toQByteArray(c.getEmulsionCmdByte()).left(6), hexBytes("7f 7f01000000"));
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

QTEST_GUILESS_MAIN(TestWorkSettings)
#include "tst_worksettings.moc"
