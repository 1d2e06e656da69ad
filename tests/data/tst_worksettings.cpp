// The work program record: step editing rules, extra cycles, run statistics
// and time estimates.

#include "workprogram_helpers.h"

#include "data/DataHooks.h"
#include "data/WorkSettings.h"
#include "platform/clock.h"

#include <QtTest>

class TestWorkSettings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        platform::setFixedNow(1700000000);
        loadImmersionSpeeds();
    }
    void cleanup()
    {
        platform::clearFixedNow();
        DataHooks::maxTemperature = nullptr;
        DataHooks::maxAbsorption = nullptr;
    }

    void newProgramIsNeutral()
    {
        WorkSettings w;
        QCOMPARE(w.getPortionDimension(), uint8_t(8));
        QCOMPARE(w.glassDimension, 80);
        QCOMPARE(w.getEnabledEmulsionSteps(), 0);
        QCOMPARE(w.startWork, uint32_t(1700000000));
        for (int i = 0; i < MILLING_STEPS; ++i) {
            QCOMPARE(w.getMillingSteps(i).CutSpeed, uint8_t(1));
            QCOMPARE(w.getMillingSteps(i).ImmersionSpeed, uint8_t(1));
        }
        for (int i = 0; i < EMULSION_STEPS; ++i)
            QCOMPARE(w.getEmulsionSteps(i).Pause, EMULSION_STEP_DISABLED);
    }

    void bulkMillingSetterFillsOnlyTheStepsInUse()
    {
        WorkSettings w;
        w.setMillingSteps(5, 4);
        for (int i = 0; i < MILLING_STEPS; ++i) {
            const MillingStep s = w.getMillingSteps(i);
            QCOMPARE(int(s.CutSpeed), i < 4 ? 5 : 1);
            QCOMPARE(int(s.ImmersionSpeed), i < 4 ? 4 : 1);
        }
        QVERIFY(!w.checkAdvanceMillingSteps());
        w.setMillingSteps(6, 4, 3);
        QVERIFY(w.checkAdvanceMillingSteps());
        // A step beyond the portion is not part of the run.
        w.setMillingSteps(5, 4);
        w.setMillingSteps(9, 9, 4);
        QVERIFY(!w.checkAdvanceMillingSteps());

        w.setPortionDimension(1);
        w.setMillingSteps(5, 4);
        QCOMPARE(int(w.getMillingSteps(0).CutSpeed), 1);

        // A damaged portion height must not reach past the seven steps.
        w.setPortionDimension(200);
        w.setMillingSteps(5, 4);
        QCOMPARE(int(w.getMillingSteps(6).CutSpeed), 5);
        QCOMPARE(w.millingStepsInUse(), 7);
        w.setMillingSteps(2, 2, 7);
        w.setMillingSteps(2, 2, -1);
        QCOMPARE(int(w.getMillingSteps(7).CutSpeed), 0);
    }

    void enablingStepsCopiesTheirNeighbours()
    {
        WorkSettings w;
        w.setMillingSteps(3, 2, 1);
        w.enableMillingSteps(1);
        QCOMPARE(int(w.getMillingSteps(2).CutSpeed), 3);
        w.enableMillingSteps(6); // no step 7 to copy into
        w.enableMillingSteps(0);
        QCOMPARE(int(w.getMillingSteps(1).CutSpeed), 3);

        w.setEmulsionSteps(0, 4, 5, 15, 10, 0);
        w.enableEmulsionSteps(1); // disabled: becomes a copy of step 0, step 3 follows
        QCOMPARE(int(w.getEmulsionSteps(1).Pause), 0);
        QCOMPARE(int(w.getEmulsionSteps(1).CutSpeed), 4);
        QCOMPARE(int(w.getEmulsionSteps(3).CutSpeed), 4);
        QCOMPARE(w.getEnabledEmulsionSteps(), 2); // step 2 still off: step 3 does not count
        w.setEmulsionSteps(0, 2, 2, 0, 0, 6);
        w.enableEmulsionSteps(7); // the last step has nothing two places on
        QCOMPARE(int(w.getEmulsionSteps(7).Pause), 0);
        QCOMPARE(int(w.getEmulsionSteps(7).CutSpeed), 2);

        WorkSettings s;
        s.setEmulsionSteps(20, 3, 5, 15, 10, 0);
        s.setEmulsionSteps(30, 6, 2, 1, 1, 1);
        s.enableEmulsionStepsSimple(2, false);
        QCOMPARE(int(s.getEmulsionSteps(2).Pause), 30);
        QCOMPARE(int(s.getEmulsionSteps(2).CutSpeed), 1);
        s.enableEmulsionStepsSimple(2, true);
        QCOMPARE(int(s.getEmulsionSteps(2).CutSpeed), 3);
        QCOMPARE(int(s.getEmulsionSteps(2).PressionType), 15);
        s.enableEmulsionStepsSimple(1, true); // nothing two steps back
        QCOMPARE(int(s.getEmulsionSteps(1).CutSpeed), 6);
        s.disableEmulsionSteps(1);
        QCOMPARE(s.getEnabledEmulsionSteps(), 1);
    }

    void advancedViewDetection()
    {
        WorkSettings w;
        w.setEmulsionSteps(0, 4, 5, 15, 10);
        QVERIFY(!w.checkAdvanceEmulsionSteps());
        w.setEmulsionSteps(6, 5, 5);
        QVERIFY(w.checkAdvanceEmulsionSteps());
        w.disableEmulsionSteps(4); // only the leading run counts
        QVERIFY(!w.checkAdvanceEmulsionSteps());
        w.disableEmulsionSteps(1);
        QVERIFY(!w.checkAdvanceEmulsionSteps());

        WorkSettings d;
        d.setMillingSteps(4, 3, 0);
        d.setEmulsionSteps(0, 4, 3, 0, 0);
        QVERIFY(!d.checkAdvanceEmulsionStepsDown());
        d.setEmulsionSteps(6, 1, 5);
        QVERIFY(d.checkAdvanceEmulsionStepsDown());
        d.disableEmulsionSteps(5);
        QVERIFY(!d.checkAdvanceEmulsionStepsDown());
        d.setMillingSteps(1, 1, 0);
        QVERIFY(d.checkAdvanceEmulsionStepsDown());
    }

    void extraCyclesAreLimitedByMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("ordinary, over") << 0 << 9 << 6 << false;
        QTest::newRow("ordinary, at limit") << 0 << 6 << 6 << true;
        QTest::newRow("built-in, over") << 127 << 9 << 7 << false;
        QTest::newRow("built-in, at limit") << 127 << 7 << 7 << true;
    }
    void extraCyclesAreLimitedByMode()
    {
        QFETCH(int, mode);
        QFETCH(int, requested);
        QFETCH(int, stored);
        QFETCH(bool, accepted);
        WorkSettings w;
        w.setEmulsionWorkingMode(uint8_t(mode));
        QCOMPARE(w.setExtraEmulsionStep(uint8_t(requested)), accepted);
        QCOMPARE(int(w.getExtraEmulsionStep()), stored);
        QCOMPARE(w.setReworkAddStep(uint8_t(requested)), accepted);
        QCOMPARE(int(w.getReworkAddStep()), stored);
    }

    void totalCyclesCountPairsOfSteps()
    {
        WorkSettings w;
        QCOMPARE(int(w.getTotalEmulsionCicle()), 1); // the milling climb is a cycle of its own
        w.setEmulsionSteps(0, 3, 5, 15, 10, 0);
        w.setEmulsionSteps(0, 3, 5, 15, 10, 1);
        w.setEmulsionSteps(0, 3, 5, 15, 10, 2);
        w.setExtraEmulsionStep(2);
        QCOMPARE(int(w.getTotalEmulsionCicle()), 4);
        w.setEmulsionWorkingMode(127);
        QCOMPARE(int(w.getTotalEmulsionCicle()), 3);
    }

    void statisticsTrackMinMaxAndMean()
    {
        temperatureConversionTable[10] = 92.5;
        temperatureConversionTable[64] = 25.0;
        temperatureConversionTable[99] = -0.5;
        absorptionConversionTable[3] = 0.64;
        QList<double> maxima;
        DataHooks::maxTemperature = [&maxima](double t) { maxima << t; };

        WorkSettings w;
        w.registerNewTemperature(128);
        w.registerNewTemperature(255);
        QCOMPARE(w.temperatureCount, uint32_t(0));
        QVERIFY(maxima.isEmpty());

        w.registerNewTemperature(64);
        QCOMPARE(w.temperatureMin, 25.0);
        QCOMPARE(w.temperatureMax, 25.0);
        QCOMPARE(w.temperatureMid, 25.0);
        w.registerNewTemperature(10);
        w.registerNewTemperature(99);
        QCOMPARE(w.temperatureCount, uint32_t(3));
        QCOMPARE(w.temperatureMin, -0.5);
        QCOMPARE(w.temperatureMax, 92.5);
        QCOMPARE(w.temperatureMid, (25.0 + 92.5 - 0.5) / 3);
        QCOMPARE(w.temperatureActual, -0.5);
        QCOMPARE(maxima, (QList<double>{25.0, 92.5, -0.5}));

        w.registerNewAbsobtion(3); // runs without a counters hook
        QCOMPARE(w.absorptionActual, 0.64);
        QCOMPARE(w.absorptionCount, uint32_t(1));
        QCOMPARE(w.temperatureCount, uint32_t(3));

        w.resetWorkingData();
        QCOMPARE(w.temperatureCount, uint32_t(0));
        QCOMPARE(w.temperatureMax, 0.0);
        temperatureConversionTable[10] = temperatureConversionTable[64] = temperatureConversionTable[99] = 0;
        absorptionConversionTable[3] = 0;
    }

    void millingTimeEstimate()
    {
        WorkSettings w; // portion height 8: four steps per portion
        w.setMillingSteps(1, 2, 0); // 2 / 0.56
        w.setMillingSteps(1, 4, 1); // 2 / 1.0
        w.setMillingSteps(1, 0, 2); // standstill: adds nothing
        w.setMillingSteps(1, 5, 3); // 2 / 1.6
        w.setMillingSteps(1, 0, 4); // not in use
        QCOMPARE(w.calculateMillingTime(0), 0);
        QCOMPARE(w.calculateMillingTime(3), 25); // 3 * 6.821 + 5
        w.setPortion(2);
        QCOMPARE(w.calculateMillingTime(0), 18); // 2 * 6.821 + 5
        QCOMPARE(w.calculateMillingTime(-1), 18);

        // A speed index from a damaged file lies outside the table.
        w.setMillingSteps(1, 200, 0);
        QCOMPARE(w.calculateMillingTime(1), 8); // 3.25 + 5
    }

    void totalTimeEstimate()
    {
        WorkSettings w;
        w.setEmulsionWorkingMode(127);
        w.setEmulsionSteps(10, 6, 5, 15, 10, 0); // 1 s pause + 109 / 1.6
        w.setEmulsionSteps(0, 6, 2, 15, 10, 1);  // last step: climbs out at 5.65
        w.setEmulsionSteps(0, 6, 5, 15, 10, 2);
        // One cycle (three enabled steps, no extra): 69.125 + 19.29
        QCOMPARE(w.calculateTotalWorkingTime(0), 88);

        w.setExtraEmulsionStep(1); // two cycles: steps 0, 1, 2, then 0 again climbing out
        QCOMPARE(w.calculateTotalWorkingTime(0), 352); // 69.125 + 194.64 + 68.125 + 20.29

        // Ordinary programs travel the milled height instead of the beaker.
        WorkSettings m;
        m.setPortion(2);
        m.setEmulsionSteps(0, 3, 0, 15, 10, 0); // a standstill step adds no travel
        m.setEmulsionSteps(5, 3, 5, 15, 10, 1);
        QCOMPARE(m.calculateMillingTime(0), 36); // 2 * 4 * 2 / 0.51 + 5
        // Two cycles of 45 units: step 0 (0), step 1 (28.125), step 0, then the climb (7.96).
        QCOMPARE(m.calculateTotalWorkingTime(0), 36 + 36);
    }

    void enoughPortionWhileMillingRemains()
    {
        WorkSettings w;
        w.setPortion(3);
        w.numOfStepMilling = 9;
        QVERIFY(w.enoughtPortion()); // 3 * 8 / 2 - 8 / 4 = 10
        w.numOfStepMilling = 10;
        QVERIFY(!w.enoughtPortion());
    }

    void recipeIdentity()
    {
        WorkSettings w;
        w.path = "cutting";
        QCOMPARE(int(w.getRecipeType()), 2);
        w.setRecipeType(4);
        QCOMPARE(w.path, QString("cutting"));
        w.setRecipeType(3);
        QCOMPARE(w.path, QString("whipping"));
        w.path = "cleaning";
        QCOMPARE(int(w.getRecipeType()), 0);
        QCOMPARE(w.getUpdate(), uint32_t(0));

        w.filename = "milling_soft";
        QCOMPARE(w.getRecipeCode(), uint32_t(0));

        w.ingredientList = QStringList{"Caffè"};
        QCOMPARE(w.getIngredient(0), std::string("Caff\xc3\xa8"));
        QCOMPARE(w.getQty(0), std::string()); // the parallel list may be short
    }
};

QTEST_GUILESS_MAIN(TestWorkSettings)
#include "tst_worksettings.moc"
