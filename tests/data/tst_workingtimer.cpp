// Life counters: the counters file's unusual field order against hand-written
// bytes, missing and damaged files, interval timing with a pinned clock and
// the service and filter countdowns.

#include "TempRoot.h"

#include "data/DataState.h"
#include "data/SystemCommand.h"
#include "data/Tables.h"
#include "data/WorkSettings.h"
#include "data/WorkingTimer.h"
#include "link/LinkHooks.h"
#include "platform/clock.h"
#include "platform/log.h"

#include <QtTest>

namespace {

// Fields in stored order, each counter numbered by its position:
// acMotor 1, stepperMotor 2, pressionPump 3, solenoidValve 4, machine 5,
// vacuumPump 6, filter 7, totalMillingPortion 8, small/big milling 9/10,
// small/big whipping 11/12, small/big cutting 13/14, cleanings 15; then
// maxAbsorption 2.5 and maxTemperature 40.0 (64-bit floats), reservedStrings
// ["x"], revisionDate 7 and revisionPortion 9.
QByteArray numberedCountersFile()
{
    return QByteArray::fromHex("0000000000000001"
                               "0000000000000002"
                               "0000000000000003"
                               "0000000000000004"
                               "0000000000000005"
                               "0000000000000006"
                               "0000000000000007"
                               "0000000000000008"
                               "0000000000000009"
                               "000000000000000a"
                               "000000000000000b"
                               "000000000000000c"
                               "000000000000000d"
                               "000000000000000e"
                               "000000000000000f"
                               "4004000000000000"
                               "4044000000000000"
                               "00000001"
                               "000000020078"
                               "0000000000000007"
                               "0000000000000009");
}

const char *const kCounters = "/home/root/working";
constexpr int64_t T0 = 1700000000;

} // namespace

class TestWorkingTimer : public QObject
{
    Q_OBJECT

private:
    int syncs = 0;
    QStringList log;

private slots:
    void init()
    {
        syncs = 0;
        log.clear();
        syscmd::setSyncRunner([this] { ++syncs; });
        platform::setLogSink([this](const std::string &line) { log << QString::fromStdString(line); });
        platform::setFixedNow(T0);
    }
    void cleanup()
    {
        syscmd::setSyncRunner(nullptr);
        platform::setLogSink(nullptr);
        platform::clearFixedNow();
    }

    void storedFieldOrderReadsAndWritesBack()
    {
        TempRoot root;
        QVERIFY(root.writeFile(kCounters, numberedCountersFile()));
        WorkingTimer w;
        w.load();
        QVERIFY(w.isLoaded());

        QCOMPARE(w.getAcMotor(), 1ULL);
        QCOMPARE(w.getStepperMotor(), 2ULL);
        QCOMPARE(w.getPressionPump(), 3ULL);
        QCOMPARE(w.getSolenoidValve(), 4ULL);
        QCOMPARE(w.getMachine(), 5ULL);
        QCOMPARE(w.getVacuumPump(), 6ULL);
        QCOMPARE(w.getFilter(), 7ULL);
        QCOMPARE(w.getTotalMillingPortion(), 8ULL);
        QCOMPARE(w.getGlassWorked(0, 0), 9ULL);
        QCOMPARE(w.getGlassWorked(0, 1), 10ULL);
        QCOMPARE(w.getGlassWorked(1, 0), 11ULL);
        QCOMPARE(w.getGlassWorked(1, 1), 12ULL);
        QCOMPARE(w.getGlassWorked(2, 0), 13ULL);
        QCOMPARE(w.getGlassWorked(2, 1), 14ULL);
        QCOMPARE(w.getTotalGlassClean(), 15ULL);
        QCOMPARE(w.getMaxAbsorption(), 2.5);
        QCOMPARE(w.getMaxTemperature(), 40.0);
        QCOMPARE(w.getReservedStrings(), QStringList{"x"});
        QCOMPARE(w.getRevisionDate(), 7ULL);
        QCOMPARE(w.getRevisionPortion(), 9ULL);

        QVERIFY(w.save());
        QCOMPARE(root.readFile(kCounters).toHex(), numberedCountersFile().toHex());
        QCOMPARE(syncs, 1);
    }

    void missingFileStartsAFreshMachine()
    {
        TempRoot root;
        WorkingTimer w;
        w.load();
        QVERIFY(w.isLoaded());
        QVERIFY(log.contains("WorkingTimer File Dummy CREATO!!"));
        QVERIFY(QFile::exists(root.path(kCounters)));
        QCOMPARE(w.getAcMotor(), 0ULL);
        QCOMPARE(w.getRevisionPortion(), WorkingTimer::REVISION_PORTION);
        QCOMPARE(w.getRevisionDate(), WorkingTimer::REVISION_DATE);
        QVERIFY(!w.needRevision());

        // The created file holds exactly that state.
        WorkingTimer again;
        again.load();
        QCOMPARE(again.getRevisionPortion(), WorkingTimer::REVISION_PORTION);
        QVERIFY(!again.needRevision());
    }

    void shortAndDamagedFilesNeverCrash_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<quint64>("acMotor");
        QTest::addColumn<quint64>("machine");
        QTest::addColumn<QStringList>("reserved");

        const QByteArray full = numberedCountersFile();
        QTest::newRow("empty") << QByteArray() << 0ULL << 0ULL << QStringList();
        QTest::newRow("three bytes") << full.left(3) << 0ULL << 0ULL << QStringList();
        QTest::newRow("five counters") << full.left(40) << 1ULL << 5ULL << QStringList();
        QTest::newRow("cut in the strings") << full.left(15 * 8 + 16 + 6) << 1ULL << 5ULL << QStringList();
        // A string count of four thousand million must not be reserved up front.
        QByteArray hugeCount = full.left(15 * 8 + 16) + QByteArray::fromHex("fffffff0") + QByteArray(64, '\0');
        QTest::newRow("huge string count") << hugeCount << 1ULL << 5ULL << QStringList();
        QTest::newRow("garbage") << QByteArray(300, '\xa5') << 0xa5a5a5a5a5a5a5a5ULL << 0xa5a5a5a5a5a5a5a5ULL
                                 << QStringList();
    }
    void shortAndDamagedFilesNeverCrash()
    {
        QFETCH(QByteArray, content);
        QFETCH(quint64, acMotor);
        QFETCH(quint64, machine);
        QFETCH(QStringList, reserved);
        TempRoot root;
        QVERIFY(root.writeFile(kCounters, content));
        WorkingTimer w;
        w.load();
        QVERIFY(w.isLoaded());
        QCOMPARE(w.getAcMotor(), acMotor);
        QCOMPARE(w.getMachine(), machine);
        QCOMPARE(w.getReservedStrings(), reserved);
        if (content.size() < 15 * 8 + 16 + 4 + 16) {
            // Fields the file does not hold: counters zero, countdowns full.
            QCOMPARE(w.getRevisionPortion(), WorkingTimer::REVISION_PORTION);
            QCOMPARE(w.getRevisionDate(), WorkingTimer::REVISION_DATE);
        }
    }

    void intervalsAreTimedWithTheClock()
    {
        TempRoot root;
        WorkingTimer w;
        w.load();
        syncs = 0;

        // A stop without a start changes and writes nothing.
        const QByteArray before = root.readFile(kCounters);
        w.stopTimeAcMotor();
        w.stopTimeSolenoidValve();
        w.stopTimePump(WorkingTimer::PRESSION_PUMP);
        QCOMPARE(syncs, 0);
        QCOMPARE(root.readFile(kCounters), before);

        w.startTimeAcMotor();
        w.startTimeStepperMotor();
        w.startTimeSolenoidValve();
        platform::advanceFixedNow(100);
        w.stopTimeAcMotor();
        w.stopTimeStepperMotor();
        w.stopTimeSolenoidValve();
        QCOMPARE(w.getAcMotor(), 100ULL);
        QCOMPARE(w.getStepperMotor(), 100ULL);
        QCOMPARE(w.getSolenoidValve(), 100ULL);
        QCOMPARE(w.getRevisionDate(), WorkingTimer::REVISION_DATE - 100);
        QCOMPARE(syncs, 3);
        // Each stop is on disk straight away.
        WorkingTimer reread;
        reread.load();
        QCOMPARE(reread.getSolenoidValve(), 100ULL);

        // A second stop finds no running interval.
        w.stopTimeAcMotor();
        QCOMPARE(w.getAcMotor(), 100ULL);
    }

    void clockSetBackAddsNothing()
    {
        TempRoot root;
        WorkingTimer w;
        w.load();
        w.startTimeAcMotor();
        platform::setFixedNow(T0 - 3600);
        w.stopTimeAcMotor();
        QCOMPARE(w.getAcMotor(), 0ULL);
    }

    void machineTimeWaitsForAFullSecond()
    {
        TempRoot root;
        WorkingTimer w;
        w.load();
        syncs = 0;
        w.startTimeMachine();
        w.stopTimeMachine(); // same second: the interval stays open
        QCOMPARE(syncs, 0);
        platform::advanceFixedNow(30);
        w.stopTimeMachine();
        QCOMPARE(w.getMachine(), 30ULL);
        QCOMPARE(syncs, 1);
    }

    void stepperServiceCountdownStopsAtZero()
    {
        TempRoot root;
        WorkingTimer w;
        w.load();
        w.startTimeStepperMotor();
        platform::advanceFixedNow(int64_t(WorkingTimer::REVISION_DATE) + 500);
        w.stopTimeStepperMotor();
        QCOMPARE(w.getRevisionDate(), 0ULL);
        QVERIFY(w.needRevision());
        w.resetCounter(16);
        QCOMPARE(w.getRevisionDate(), WorkingTimer::REVISION_DATE);
        QVERIFY(!w.needRevision());
    }

    void pumpsFeedTheFilterReminder()
    {
        TempRoot root;
        WorkingTimer w;
        w.load();
        w.startTimePump();
        platform::advanceFixedNow(10);
        w.stopTimePump(WorkingTimer::VACUUM_PUMP);
        QCOMPARE(w.getVacuumPump(), 10ULL);
        QCOMPARE(w.getPressionPump(), 0ULL);
        QCOMPARE(w.getFilter(), 10ULL);

        w.addTimePump(WorkingTimer::FILTER_LIMIT - 20, WorkingTimer::PRESSION_PUMP);
        w.addTimePump(10, 0x33); // an unknown pump still wears the filter
        QCOMPARE(w.getFilter(), WorkingTimer::FILTER_LIMIT);
        QVERIFY(!w.checkFilterChange());
        w.addTimePump(1, WorkingTimer::PRESSION_PUMP);
        QVERIFY(w.checkFilterChange());
        QVERIFY(log.contains("working Timers : NECESSARIO CAMBIO FILTRO!!"));
        w.resetFilterTime();
        QVERIFY(!w.checkFilterChange());
    }

    void portionsCountDownToService()
    {
        TempRoot root;
        QByteArray file = numberedCountersFile(); // revisionPortion 9
        QVERIFY(root.writeFile(kCounters, file));
        WorkingTimer w;
        w.load();
        w.addPortionMilling(5);
        QCOMPARE(w.getRevisionPortion(), 4ULL);
        QVERIFY(!w.needRevision());
        w.addPortionMilling(25);
        QCOMPARE(w.getRevisionPortion(), 0ULL);
        QCOMPARE(w.getTotalMillingPortion(), 8ULL + 30);
        QVERIFY(w.needRevision());
        QVERIFY(log.contains("working Timers : NECESSARIO REVISIONE (PORZIONI)!!"));
        w.resetCounter(15);
        QCOMPARE(w.getRevisionPortion(), WorkingTimer::REVISION_PORTION);
    }

    void beakerCountersByFunctionAndSize()
    {
        TempRoot root;
        WorkingTimer w;
        w.load();
        w.increaseGlassWorked(1, 1);
        QCOMPARE(w.getGlassWorked(1, 1), 1ULL);
        w.increaseGlassWorked(2, 0);
        QCOMPARE(w.getGlassWorked(2, 0), 1ULL);
        w.increaseGlassWorked(3, 0);
        w.increaseGlassWorked(0, 2);
        w.increaseGlassWorked(-1, 1);
        quint64 total = 0;
        for (int f = 0; f < 3; ++f)
            for (int s = 0; s < 2; ++s)
                total += w.getGlassWorked(f, s);
        QCOMPARE(total, 2ULL);
        w.increaseGlassClean();
        QCOMPARE(w.getTotalGlassClean(), 1ULL);
    }

    void resetCounterClearsOneCounter()
    {
        TempRoot root;
        QVERIFY(root.writeFile(kCounters, numberedCountersFile()));
        WorkingTimer w;
        w.load();
        syncs = 0;
        w.resetCounter(1); // names no counter, but still saves
        QCOMPARE(syncs, 1);
        QCOMPARE(root.readFile(kCounters), numberedCountersFile());
        w.resetCounter(17);
        QCOMPARE(root.readFile(kCounters), numberedCountersFile());

        w.resetCounter(2);
        QCOMPARE(w.getMaxTemperature(), 0.0);
        QCOMPARE(w.getMaxAbsorption(), 2.5);
        w.resetCounter(5);
        QCOMPARE(w.getPressionPump(), 0ULL);
        QCOMPARE(w.getVacuumPump(), 6ULL);
        w.resetCounter(9);
        QCOMPARE(w.getGlassWorked(0, 1), 0ULL);
        QCOMPARE(w.getGlassWorked(0, 0), 9ULL);
    }

    void maximaAreTrackedOnlyAfterLoad()
    {
        TempRoot root;
        QVERIFY(root.writeFile(kCounters, numberedCountersFile()));
        WorkingTimer w;
        w.addMaxTemperature(90.0);
        w.addMaxAbsorption(9.0);
        QCOMPARE(w.getMaxTemperature(), 0.0);
        w.load();
        QCOMPARE(w.getMaxTemperature(), 40.0);
        w.addMaxTemperature(39.0);
        QCOMPARE(w.getMaxTemperature(), 40.0);
        w.addMaxTemperature(41.5);
        QCOMPARE(w.getMaxTemperature(), 41.5);
        QVERIFY(log.contains("WorkingTimer -> MAX TEMP RILEVATA!!!"));
        w.addMaxAbsorption(3.0);
        QCOMPARE(w.getMaxAbsorption(), 3.0);
    }

    void linkSamplesReachTheRunningProgramAndTheMaxima()
    {
        TempRoot root;
        connectLinkHooks();
        machineLife.load();
        machineLife.resetCounter(2);
        machineLife.resetCounter(3);
        // A hotter sample than any before becomes the stored maximum.
        temperatureConversionTable[100] = 61.5;
        absorptionConversionTable[90] = 7.25;
        LinkHooks::temperatureRead(100);
        LinkHooks::absorptionRead(90);
        QCOMPARE(actual->temperatureActual, 61.5);
        QCOMPARE(actual->absorptionActual, 7.25);
        QCOMPARE(machineLife.getMaxTemperature(), 61.5);
        QCOMPARE(machineLife.getMaxAbsorption(), 7.25);
        temperatureConversionTable[101] = 20.0;
        LinkHooks::temperatureRead(101);
        QCOMPARE(machineLife.getMaxTemperature(), 61.5);
    }

    void informationLinesAndExport()
    {
        TempRoot root;
        QVERIFY(root.writeFile(kCounters, numberedCountersFile()));
        WorkingTimer w;
        w.load();
        const QStringList lines = w.getListInfo();
        QCOMPARE(lines.size(), 16);
        QCOMPARE(lines.at(0), QStringLiteral("WORKING TIME BLADE MOTOR : 0:00:01"));
        QCOMPARE(lines.at(1), QStringLiteral("MAX BLADE MOTOR TEMPERATURE: 40.0 °C"));
        QCOMPARE(lines.at(4), QStringLiteral("WORKING TIME PUMP: 0:00:09"));
        QCOMPARE(lines.at(6), QStringLiteral("MILLING PORTION: 8"));
        QCOMPARE(lines.at(11), QStringLiteral("CUTTING SMALL GLASS: 13"));
        QCOMPARE(lines.at(14), QStringLiteral("REVISION PORTION: 9"));
        QVERIFY(lines.at(15).startsWith("REVISION COUNTER: "));

        QVERIFY(root.mkpath("/mnt/usb-memory"));
        serialNumber = "SN12345";
        qputenv("TZ", "UTC");
        platform::setFixedNow(1718841600); // 2024-06-20 00:00 UTC
        QVERIFY(w.listInfoToCSV());
        const QByteArray csv = root.readFile("/mnt/usb-memory/system_state_2024-06-20.csv");
        QVERIFY(csv.startsWith("SYSTEM STATE\nSN: SN12345\nName;Info\n"));
        QVERIFY(csv.contains("\nMILLING PORTION;8\n"));
        QVERIFY(csv.contains("\nCLEANING PERFORMED;15\n"));
        QCOMPARE(csv.count('\n'), 3 + 16);
        serialNumber.clear();
    }
};

QTEST_GUILESS_MAIN(TestWorkingTimer)
#include "tst_workingtimer.moc"
