// Life counters and the maintenance reminder: the counters file's unusual
// field order and the reminder file's six-character lines against
// hand-written bytes, damaged files, interval timing with a pinned clock and
// the service and filter countdowns.

#include "TempRoot.h"

#include "data/DataState.h"
#include "data/Reminder.h"
#include "data/SystemCommand.h"
#include "data/Tables.h"
#include "data/WorkSettings.h"
#include "data/WorkingTimer.h"
#include "link/LinkHooks.h"
#include "platform/clock.h"

#include <QtTest>

#include <memory>

namespace {

// Fields in stored order, each counter numbered by its position: acMotor 1,
// stepperMotor 2, pressionPump 3, solenoidValve 4, machine 5, vacuumPump 6,
// filter 7, totalMillingPortion 8, small/big milling 9/10, small/big whipping
// 11/12, small/big cutting 13/14, cleanings 15; then maxAbsorption 2.5 and
// maxTemperature 40.0 (64-bit floats), reservedStrings ["x"], revisionDate 7
// and revisionPortion 9.
const QByteArray COUNTERS = QByteArray::fromHex("0000000000000001 0000000000000002 0000000000000003 0000000000000004"
                                                "0000000000000005 0000000000000006 0000000000000007 0000000000000008"
                                                "0000000000000009 000000000000000a 000000000000000b 000000000000000c"
                                                "000000000000000d 000000000000000e 000000000000000f"
                                                "4004000000000000 4044000000000000"
                                                "00000001 000000020078"
                                                "0000000000000007 0000000000000009");
const char *const COUNTERS_FILE = "/home/root/working";
const char *const REMINDER_FILE = "/home/root/reminder";
constexpr int64_t T0 = 1700000000;

const date ONE_MINUTE = date{0, 0, 0, 0, 1};

bool due(const date &now, const date &interval = ONE_MINUTE)
{
    return check_warning_remainder(now, WRNG_FILTRO, interval);
}

} // namespace

class TestMaintenance : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempRoot> root;
    int syncs = 0;

    // Counters loaded from `content`, or from no file at all.
    std::unique_ptr<WorkingTimer> counters(const QByteArray &content = QByteArray())
    {
        if (!content.isNull())
            root->writeFile(COUNTERS_FILE, content);
        auto w = std::make_unique<WorkingTimer>();
        w->load();
        syncs = 0;
        return w;
    }

private slots:
    void init()
    {
        root = std::make_unique<TempRoot>();
        syncs = 0;
        syscmd::setSyncRunner([this] { ++syncs; });
        platform::setFixedNow(T0);
    }
    void cleanup()
    {
        syscmd::setSyncRunner(nullptr);
        platform::clearFixedNow();
        root.reset();
    }

    void countersFieldOrder()
    {
        auto w = counters(COUNTERS);
        QCOMPARE((QList<quint64>{w->getAcMotor(), w->getStepperMotor(), w->getPressionPump(), w->getSolenoidValve(),
                                 w->getMachine(), w->getVacuumPump(), w->getFilter(), w->getTotalMillingPortion(),
                                 w->getGlassWorked(0, 0), w->getGlassWorked(0, 1), w->getGlassWorked(1, 0),
                                 w->getGlassWorked(1, 1), w->getGlassWorked(2, 0), w->getGlassWorked(2, 1),
                                 w->getTotalGlassClean(), w->getRevisionDate(), w->getRevisionPortion()}),
                 (QList<quint64>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 7, 9}));
        QCOMPARE(w->getMaxAbsorption(), 2.5);
        QCOMPARE(w->getMaxTemperature(), 40.0);
        QCOMPARE(w->getReservedStrings(), QStringList{"x"});
        QVERIFY(w->save());
        QCOMPARE(root->readFile(COUNTERS_FILE).toHex(), COUNTERS.toHex());
        QCOMPARE(syncs, 1);

        // Beaker counters by function and size; anything else changes nothing.
        w->increaseGlassWorked(1, 1);
        for (const auto &bad : {qMakePair(3, 0), qMakePair(0, 2), qMakePair(-1, 1)})
            w->increaseGlassWorked(bad.first, bad.second);
        w->resetCounter(1); // names no counter, but still saves
        w->resetCounter(17);
        QCOMPARE(root->readFile(COUNTERS_FILE), COUNTERS.left(88) + QByteArray::fromHex("000000000000000d") + COUNTERS.mid(96));
    }

    void missingFileStartsAFreshMachine()
    {
        QVERIFY(counters()->isLoaded());
        auto again = counters(); // the file created holds exactly that state
        QCOMPARE(again->getRevisionPortion(), WorkingTimer::REVISION_PORTION);
        QCOMPARE(again->getRevisionDate(), WorkingTimer::REVISION_DATE);
    }

    void damagedCountersFilesNeverCrash()
    {
        // A string count of four thousand million must not be reserved up front.
        const QByteArray hugeCount = COUNTERS.left(136) + QByteArray::fromHex("fffffff0") + QByteArray(64, '\0');
        for (const QByteArray &content : {QByteArray(""), COUNTERS.left(40), COUNTERS.left(142), hugeCount}) {
            auto w = counters(content);
            QVERIFY(w->isLoaded());
            QCOMPARE(w->getMachine(), content.isEmpty() ? 0ULL : 5ULL);
            QVERIFY(w->getReservedStrings().isEmpty());
            QCOMPARE(w->getRevisionPortion(), WorkingTimer::REVISION_PORTION); // what the file lacks is full
        }
        QCOMPARE(counters(QByteArray(300, '\xa5'))->getMachine(), 0xa5a5a5a5a5a5a5a5ULL);
    }

    void intervalsAreTimedWithTheClock()
    {
        auto w = counters();
        const QByteArray before = root->readFile(COUNTERS_FILE);
        w->stopTimeAcMotor(); // a stop without a start changes and writes nothing
        QCOMPARE(syncs, 0);
        QCOMPARE(root->readFile(COUNTERS_FILE), before);

        w->startTimeAcMotor();
        w->startTimeStepperMotor();
        w->startTimeMachine();
        w->stopTimeMachine(); // the same second: the interval stays open
        QCOMPARE(syncs, 0);
        platform::advanceFixedNow(100);
        w->stopTimeAcMotor();
        w->stopTimeStepperMotor();
        w->stopTimeMachine();
        QCOMPARE(syncs, 3); // each stop is stored
        w->stopTimeAcMotor(); // no running interval any more
        QCOMPARE(w->getAcMotor(), 100ULL);
        QCOMPARE(w->getMachine(), 100ULL);
        QCOMPARE(w->getRevisionDate(), WorkingTimer::REVISION_DATE - 100);

        w->startTimeAcMotor();
        platform::setFixedNow(T0 - 3600); // the clock set back adds nothing
        w->stopTimeAcMotor();
        QCOMPARE(w->getAcMotor(), 100ULL);
    }

    void countdownsStopAtZero()
    {
        auto w = counters();
        w->startTimeStepperMotor();
        platform::advanceFixedNow(int64_t(WorkingTimer::REVISION_DATE) + 500);
        w->stopTimeStepperMotor();
        QCOMPARE(w->getRevisionDate(), 0ULL);
        QVERIFY(w->needRevision());
        w->resetCounter(16);
        QVERIFY(!w->needRevision());
        auto p = counters(COUNTERS); // revisionPortion 9
        p->addPortionMilling(30);
        QCOMPARE(p->getRevisionPortion(), 0ULL);
        QCOMPARE(p->getTotalMillingPortion(), 8ULL + 30);
        QVERIFY(p->needRevision());

        // Both pumps wear the filter.
        w->startTimePump();
        platform::advanceFixedNow(10);
        w->stopTimePump(WorkingTimer::VACUUM_PUMP);
        QCOMPARE(w->getVacuumPump(), 10ULL);
        w->addTimePump(WorkingTimer::FILTER_LIMIT - 20, WorkingTimer::PRESSION_PUMP);
        w->addTimePump(10, 0x33); // an unknown pump still wears the filter
        QCOMPARE(w->getFilter(), WorkingTimer::FILTER_LIMIT);
        QVERIFY(!w->checkFilterChange());
        w->addTimePump(1, WorkingTimer::PRESSION_PUMP);
        QVERIFY(w->checkFilterChange());
        w->resetFilterTime();
        QVERIFY(!w->checkFilterChange());
    }

    void maximaAreTrackedOnlyAfterLoad()
    {
        root->writeFile(COUNTERS_FILE, COUNTERS);
        WorkingTimer w;
        w.addMaxTemperature(90.0);
        w.load();
        QCOMPARE(w.getMaxTemperature(), 40.0);
        w.addMaxTemperature(39.0);
        QCOMPARE(w.getMaxTemperature(), 40.0);

        // Samples from the link reach the running program and the stored maxima.
        connectLinkHooks();
        machineLife.load();
        machineLife.resetCounter(2);
        temperatureConversionTable[100] = 61.5;
        LinkHooks::temperatureRead(100);
        QCOMPARE(actual->temperatureActual, 61.5);
        QCOMPARE(machineLife.getMaxTemperature(), 61.5);
        absorptionConversionTable[90] = 7.25;
        LinkHooks::absorptionRead(90);
        QCOMPARE(actual->absorptionActual, 7.25);
        QCOMPARE(machineLife.getMaxAbsorption(), 7.25);
    }

    void informationLinesAndExport()
    {
        auto w = counters(COUNTERS);
        QVERIFY(root->mkpath("/mnt/usb-memory"));
        serialNumber = "SN12345";
        qputenv("TZ", "UTC");
        platform::setFixedNow(1718841600); // 2024-06-20 00:00 UTC
        QVERIFY(w->listInfoToCSV());
        const QByteArray csv = root->readFile("/mnt/usb-memory/system_state_2024-06-20.csv");
        QVERIFY(csv.startsWith("SYSTEM STATE\nSN: SN12345\nName;Info\nWORKING TIME BLADE MOTOR;0:00:01\n"));
        QVERIFY(csv.contains("\nCLEANING PERFORMED;15\n"));
        QCOMPARE(csv.count('\n'), 3 + 16);
        serialNumber.clear();
    }

    // Each line: minute, hour, day, month, 0, low byte of the year, line end.
    void reminderFileLines()
    {
        QVERIFY(write_warning_reminder(date{3, 6, 2024, 14, 35}, WRNG_FILTRO));
        QCOMPARE(root->readFile(REMINDER_FILE).toHex(), QByteArray("230e030600e80a"));
        QVERIFY(!QFile::exists(root->path("/home/root/reminder_rd")));
        QVERIFY(syncs >= 1);

        // Only the warning's own line is replaced; a later kind's line stays.
        const QByteArray other = QByteArray::fromHex("0102030400050a");
        QVERIFY(root->writeFile(REMINDER_FILE, QByteArray::fromHex("0000000000000a") + other));
        QVERIFY(write_warning_reminder(date{9, 8, 125, 7, 6}, WRNG_FILTRO));
        QCOMPARE(root->readFile(REMINDER_FILE), QByteArray::fromHex("06070908 00 7d 0a") + other);

        // Fields equal to a line end: the line must still be read as one date.
        QVERIFY(write_warning_reminder(date{10, 10, 124, 10, 10}, WRNG_FILTRO));
        QCOMPARE(root->readFile(REMINDER_FILE), QByteArray::fromHex("0a0a0a0a007c0a") + other);
        QVERIFY(!due(date{10, 10, 124, 10, 10}));
        QVERIFY(due(date{10, 10, 124, 10, 11}));
        QVERIFY(write_warning_reminder(date{13, 10, 124, 13, 10}, WRNG_FILTRO));
        QCOMPARE(root->readFile(REMINDER_FILE), QByteArray::fromHex("0a0d0d0a007c0a") + other);
        QVERIFY(!due(date{13, 10, 124, 13, 10}));

        // A damaged file is replaced by a valid line.
        QVERIFY(root->writeFile(REMINDER_FILE, QByteArray("\x01\x02\x03", 3)));
        QVERIFY(due(date{1, 1, 124, 0, 0}));
        QVERIFY(write_warning_reminder(date{1, 1, 124, 0, 0}, WRNG_FILTRO));
        QCOMPARE(root->readFile(REMINDER_FILE).toHex(), QByteArray("00000101007c0a"));
    }

    void reminderBecomesDue()
    {
        QVERIFY(due(date{1, 1, 124, 0, 0})); // no file
        QVERIFY(root->writeFile(REMINDER_FILE, QByteArray::fromHex("230e0306007c"))); // no final line end
        QVERIFY(!due(date{3, 6, 124, 14, 35}));
        QVERIFY(due(date{3, 6, 124, 14, 36}));
        QVERIFY(!due(date{3, 6, 124, 16, 34}, date{0, 0, 0, 2, 0}));
        QVERIFY(due(date{3, 6, 124, 16, 35}, date{0, 0, 0, 2, 0}));

        qputenv("TZ", "UTC");
        platform::setFixedNow(1718881200); // 2024-06-20 11:00:00 UTC
        const date now = currentDate(); // months from 0, years from 1900
        QCOMPARE((QList<int>{now.day, now.month, now.year, now.hour, now.minute}), (QList<int>{20, 5, 124, 11, 0}));
        QVERIFY(write_warning_reminder(now, WRNG_FILTRO));
        platform::advanceFixedNow(59);
        QVERIFY(!due(currentDate()));
        platform::advanceFixedNow(1);
        QVERIFY(due(currentDate()));
    }
};

QTEST_GUILESS_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
