// The machine's own files against hand-written bytes: the user settings, the
// mains setting and the Wi-Fi block; the life counters with their unusual
// field order, timed with a pinned clock, and the service and filter
// countdowns; the maintenance reminder's six-character lines. Damaged files,
// the setters' limits and the bounded runner of the system tools.

#include "TempRoot.h"
#include "workprogram_helpers.h"

#include "data/DataState.h"
#include "data/Reminder.h"
#include "data/SystemCommand.h"
#include "data/UserSettings.h"
#include "data/WorkingTimer.h"
#include "platform/clock.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Group 1 only, as the oldest files hold it: language "tedesco_de" (byte
// length, then UTF-16BE), screen saver 120 s, brightness 80, then the default
// choices milling 2, cutting 0, whipping 1 (cutting is stored before whipping).
const char *const LANGUAGE = "00000014 00740065006400650073006300 6f005f00640065";
const QByteArray GROUP_ONE = QByteArray::fromHex(QByteArray(LANGUAGE) + "00000078 50 02 00 01");
// Groups 2 to 4: Wi-Fi "Lab", WPA (2), key "secret12"; the reserved flag;
// start page 1, speed options 2, 0, 3, modify 1, 0, 1.
const QByteArray GROUPS_TWO_TO_FOUR =
    QByteArray::fromHex("00000006 004c00610062  02  00000010 0073006500630072006500740031 0032  00"
                        "00000001 00000002 00000000 00000003  01 00 01");
const char *const FILE_NAME = "/home/root/user_settings";
const char *const WIFI_FILE = "/home/root/wifi.conf";

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

// Permission checks as an ordinary user gets them, also when the tests run
// as root: drops the capabilities that bypass them for this thread while it
// lives. ok() is false when they cannot be dropped.
class PermissionsEnforced
{
public:
    PermissionsEnforced()
    {
        if (::geteuid() != 0) {
            dropped = true;
            return;
        }
        header.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &header, saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved[0], saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped = restore = ::syscall(SYS_capset, &header, reduced) == 0;
    }
    ~PermissionsEnforced()
    {
        if (restore)
            ::syscall(SYS_capset, &header, saved);
    }
    bool ok() const { return dropped; }

private:
    __user_cap_header_struct header{};
    __user_cap_data_struct saved[2]{};
    bool dropped = false;
    bool restore = false;
};

bool due(const date &now, const date &interval = ONE_MINUTE)
{
    return check_warning_remainder(now, WRNG_FILTRO, interval);
}

} // namespace

class TestMachineFiles : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempRoot> root;
    int syncs = 0;
    const QByteArray savedPath = qgetenv("PATH");

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
        syscmd::setSyncRunnerForTests([this] { ++syncs; });
        platform::setFixedNowForTests(T0);
    }
    void cleanup()
    {
        syscmd::setSyncRunnerForTests(nullptr);
        platform::clearFixedNowForTests();
        SettingsHooks::applyBacklight = nullptr;
        SettingsHooks::currentLanguageFile = nullptr;
        qputenv("PATH", savedPath);
        root.reset();
    }

    void settingsFileLayout()
    {
        QVERIFY(root->writeFile(FILE_NAME, GROUP_ONE));
        QString announced;
        SettingsHooks::currentLanguageFile = [&](const QString &name) { announced = name; };
        UserSettings s;
        QVERIFY(s.load());
        QCOMPARE(announced, QStringLiteral("tedesco_de"));
        QCOMPARE((QList<int>{s.getScreenSaverTime(), s.getBrightness(), s.getDefaultChoise(1), s.getDefaultChoise(2),
                             s.getDefaultChoise(3)}),
                 (QList<int>{120, 80, 2, 0, 1}));

        // All four groups, read field by field and written back as they were.
        QVERIFY(root->writeFile(FILE_NAME, GROUP_ONE + GROUPS_TWO_TO_FOUR));
        UserSettings all;
        QVERIFY(all.load());
        QCOMPARE(all.getWifiEssid() + " " + all.getWifiKey(), QStringLiteral("Lab secret12"));
        QCOMPARE((QList<int>{all.getWifiAutentication(), all.getStartPage(), all.getAffSpeed(1), all.getAffSpeed(2),
                             all.getAffSpeed(3), all.getModify(1), all.getModify(2), all.getModify(3)}),
                 (QList<int>{2, 1, 2, 0, 3, 1, 0, 1}));
        QVERIFY(all.save());
        QCOMPARE(root->readFile(FILE_NAME).toHex(), (GROUP_ONE + GROUPS_TWO_TO_FOUR).toHex());
    }

    // Group 1 damaged: nothing is taken; later groups damaged: group 1 still counts.
    void damagedFilesKeepDefaults()
    {
        for (const QByteArray &content :
             {QByteArray(), GROUP_ONE.left(9), GROUP_ONE.chopped(1), QByteArray::fromHex("0000000300410042"),
              QByteArray::fromHex("7ffffffe0041004200430044"), GROUP_ONE + GROUPS_TWO_TO_FOUR.left(10),
              GROUP_ONE + QByteArray::fromHex("00000002004102 ffffffff ff ffffff")}) {
            QVERIFY(root->writeFile(FILE_NAME, content));
            const bool loads = content.startsWith(GROUP_ONE);
            UserSettings s;
            QCOMPARE(s.load(), loads);
            QCOMPARE(s.getLanguage(), QString(loads ? "tedesco_de" : "inglese_en"));
            QCOMPARE(int(s.getBrightness()), loads ? 80 : 50);
        }
    }

    void outOfRangeStoredValuesAreNotTaken()
    {
        // Brightness 0 would leave the display dark; screen saver 7 s is not a
        // value the setter could have stored.
        QVERIFY(root->writeFile(FILE_NAME, QByteArray::fromHex(QByteArray(LANGUAGE) + "00000007 00 01 01 01")));
        UserSettings s;
        QVERIFY(s.load());
        QCOMPARE(int(s.getBrightness()), 50);
        QCOMPARE(s.getScreenSaverTime(), 30);
    }

    void settersKeepTheirRanges()
    {
        UserSettings s;
        QVERIFY(s.setScreenSaverTime(26) && s.isScreenSaverEnabled());
        QVERIFY(!s.setScreenSaverTime(10)); // below the shortest: switched off
        QVERIFY(!s.isScreenSaverEnabled());

        QList<int> applied;
        SettingsHooks::applyBacklight = [&](int level) { applied << level; };
        for (const int percent : {4, 5, 100, 101})
            QCOMPARE(s.setMyBrightness(percent), percent >= 5 && percent <= 100);
        QCOMPARE(applied, (QList<int>{5, 100}));
        QVERIFY(s.setDefaultChoise(2, 7)); // above two reads as zero
        QCOMPARE(int(s.getDefaultChoise(2)), 0);
        QVERIFY(!s.setDefaultChoise(4, 1));
    }

    void mainsFile()
    {
        UserSettings s;
        QVERIFY(!s.read_rete_setting());
        QCOMPARE(s.getHz(), QStringLiteral("50"));
        QVERIFY(s.set_rete_setting("60", "110"));
        QCOMPARE(root->readFile("/home/root/rete_setting"), QByteArray("60\n110\n"));
        QCOMPARE(syncs, 3);
        QVERIFY(root->writeFile("/home/root/rete_setting", QByteArray("60\r\n")));
        QVERIFY(s.read_rete_setting());
        QCOMPARE(s.getHz(), QStringLiteral("60"));
        // A first line that is no frequency must not reach the board as 0 Hz.
        for (const QByteArray &bad : {QByteArray(""), QByteArray("\n1\n"), QByteArray("\xff\xfe garbage")}) {
            QVERIFY(root->writeFile("/home/root/rete_setting", bad));
            QVERIFY(s.read_rete_setting());
            QCOMPARE(s.getHz(), QStringLiteral("50"));
        }
    }

    void wifiBlocks()
    {
        UserSettings s;
        QVERIFY(s.createWifiConfig("Kitchen", "", 0));
        QCOMPARE(root->readFile(WIFI_FILE), QByteArray("network={\n\tssid=\"Kitchen\"\n\tkey_mgmt=NONE\n}"));
        QVERIFY(s.createWifiConfig("Kitchen", "abcdefghijklm", 1));
        QCOMPARE(root->readFile(WIFI_FILE), QByteArray("network={\n\tssid=\"Kitchen\"\n\tkey_mgmt=NONE\n"
                                                       "\twep_key0=\"abcdefghijklm\"\n\twep_tx_keyidx=0\n}"));
        QVERIFY(s.createWifiConfig("Kitchen", "password", 2));
        const QByteArray wpa("network={\n\tssid=\"Kitchen\"\n\tpsk=\"password\"\n}");
        QCOMPARE(root->readFile(WIFI_FILE), wpa);

        QVERIFY(!s.createWifiConfig("Kitchen", "1234567", 2));         // WPA needs 8
        QVERIFY(!s.createWifiConfig("Kitchen", QString(64, 'k'), 2)); // and at most 63
        QVERIFY(!s.createWifiConfig("Kitchen", "abcdefghijkl", 1));    // WEP: 5, 13 or 16
        QVERIFY(!s.createWifiConfig(QString(33, 'n'), "", 0));         // SSID over 32 bytes
        // A line break would add lines of its own to the daemon's file.
        QVERIFY(!s.createWifiConfig("Kitchen\"\n\tkey_mgmt=NONE", "", 0));
        QVERIFY(!s.createWifiConfig("Kitchen", "password\n}\nnetwork={", 2));
        QCOMPARE(root->readFile(WIFI_FILE), wpa);
    }

    void restoreRewritesTheBlockAndNamesTheNetworkForTheInterface()
    {
        UserSettings s;
        s.setWifiEssid("Bar; rm -rf x");
        s.setWifiAutentication(1);
        s.setWifiKey("abcde");
        QVERIFY(s.restorePreviousConfiguration());
        QVERIFY(root->readFile(WIFI_FILE).contains("\twep_key0=\"abcde\"\n"));
        // The key stays off every command line (any process could read it).
        QCOMPARE(s.wifiInterfaceArguments(), (QStringList{"wlan0", "essid", "Bar; rm -rf x"}));
        s.setWifiAutentication(2);
        s.setWifiKey("password");
        QCOMPARE(s.wifiInterfaceArguments(), (QStringList{"wlan0", "essid", "Bar; rm -rf x"}));
        s.setWifiAutentication(0);
        s.setWifiKey(QString());
        QCOMPARE(s.wifiInterfaceArguments(), (QStringList{"wlan0", "essid", "Bar; rm -rf x", "key", "off"}));

        // Forgotten network: the block goes and the interface leaves its network.
        s.setWifiEssid(QString());
        QVERIFY(s.restorePreviousConfiguration());
        QCOMPARE(s.wifiInterfaceArguments(), (QStringList{"wlan0", "essid", "off"}));
        QVERIFY(!QFile::exists(root->path(WIFI_FILE)));
    }

    // A missing tool, a hanging one and one that closes its output early all
    // come back within the time allowed; a chatty one does not block on a
    // full pipe.
    void systemToolsAreBounded()
    {
        syscmd::setSyncRunnerForTests(nullptr);
        qputenv("PATH", root->path("/bin").toLocal8Bit()); // no sync here
        QElapsedTimer t;
        t.start();
        QVERIFY(!syscmd::run({"sync"}, 30000).started);
        syscmd::runSync();
        QVERIFY(t.elapsed() < 2000);
        qputenv("PATH", savedPath);
        for (const char *script : {"exec sleep 20", "exec >&-; exec sleep 20"}) {
            t.restart();
            const syscmd::Result r = syscmd::run({"sh", "-c", script}, 300);
            QVERIFY(r.started && !r.finished);
            QVERIFY(t.elapsed() >= 250 && t.elapsed() < 3000);
        }
        const syscmd::Result r = syscmd::run({"sh", "-c", "head -c 300000 /dev/zero; exit 3"}, 10000);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 3);
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

        // Beaker counters by function and size; anything else changes nothing.
        w->increaseGlassWorked(1, 1);
        for (const auto &bad : {qMakePair(3, 0), qMakePair(0, 2), qMakePair(-1, 1)})
            w->increaseGlassWorked(bad.first, bad.second);
        w->resetCounter(1); // names no counter, but still saves
        w->resetCounter(17);
        const QByteArray whippingBig = QByteArray::fromHex("000000000000000d"); // 12 + 1
        QCOMPARE(root->readFile(COUNTERS_FILE), COUNTERS.left(88) + whippingBig + COUNTERS.mid(96));
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

    // Counters that are there but cannot be read are kept: the operator is
    // told, and no save writes zeros over them until a load succeeds.
    void unreadableCountersAreNeverOverwritten()
    {
        QVERIFY(root->writeFile(COUNTERS_FILE, COUNTERS));
        const QByteArray file = root->path(COUNTERS_FILE).toLocal8Bit();
        QCOMPARE(::chmod(file.constData(), 0200), 0);
        OperatorMessages shown;
        WorkingTimer w;
        {
            PermissionsEnforced enforced;
            if (!enforced.ok())
                QSKIP("the permission checks cannot be enforced here");
            w.load();
        }
        QVERIFY(!w.isLoaded());
        QCOMPARE(shown.messages, QStringList{"Machine Counters Reading Error."});
        w.addTimeAcMotor(5);
        QVERIFY(!w.save());
        w.startTimeAcMotor();
        platform::advanceFixedNowForTests(10);
        w.stopTimeAcMotor();
        QCOMPARE(root->readFile(COUNTERS_FILE).toHex(), COUNTERS.toHex());

        QCOMPARE(::chmod(file.constData(), 0644), 0);
        w.load();
        QVERIFY(w.isLoaded());
        QCOMPARE(w.getAcMotor(), 1ULL);
        w.addTimeAcMotor(5);
        QVERIFY(w.save());
        QCOMPARE(root->readFile(COUNTERS_FILE).left(8).toHex(), QByteArray("0000000000000006"));
    }

    void intervalsAreTimedWithTheClock()
    {
        auto w = counters();
        w->stopTimeAcMotor(); // a stop without a start changes and writes nothing
        w->startTimeAcMotor();
        w->startTimeStepperMotor();
        w->startTimeMachine();
        w->stopTimeMachine(); // the same second: the interval stays open
        QCOMPARE(syncs, 0);
        platform::advanceFixedNowForTests(100);
        w->stopTimeAcMotor();
        w->stopTimeStepperMotor();
        w->stopTimeMachine();
        QCOMPARE(syncs, 3); // each stop is stored, and only those
        w->stopTimeAcMotor(); // no running interval any more
        QCOMPARE(w->getAcMotor(), 100ULL);
        QCOMPARE(w->getMachine(), 100ULL);
        QCOMPARE(w->getRevisionDate(), WorkingTimer::REVISION_DATE - 100);

        w->startTimeAcMotor();
        platform::setFixedNowForTests(T0 - 3600); // the clock set back adds nothing
        w->stopTimeAcMotor();
        QCOMPARE(w->getAcMotor(), 100ULL);
    }

    void countdownsStopAtZero()
    {
        auto w = counters();
        w->startTimeStepperMotor();
        platform::advanceFixedNowForTests(int64_t(WorkingTimer::REVISION_DATE) + 500);
        w->stopTimeStepperMotor();
        QCOMPARE(w->getRevisionDate(), 0ULL);
        QVERIFY(w->needRevision());
        auto p = counters(COUNTERS); // revisionPortion 9
        p->addPortionMilling(30);
        QCOMPARE(p->getRevisionPortion(), 0ULL);
        QVERIFY(p->needRevision());

        // Both pumps wear the filter.
        w->startTimePump();
        platform::advanceFixedNowForTests(10);
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
    }

    // Each line: minute, hour, day, month, 0, low byte of the year, line end.
    void reminderFileLines()
    {
        QVERIFY(write_warning_reminder(date{3, 6, 2024, 14, 35}, WRNG_FILTRO));
        QCOMPARE(root->readFile(REMINDER_FILE).toHex(), QByteArray("230e030600e80a"));
        QVERIFY(!QFile::exists(root->path("/home/root/reminder_rd"))); // the working copy is gone

        // Only the warning's own line is replaced; a later kind's line stays.
        const QByteArray other = QByteArray::fromHex("0102030400050a");
        QVERIFY(root->writeFile(REMINDER_FILE, QByteArray::fromHex("0000000000000a") + other));
        QVERIFY(write_warning_reminder(date{9, 8, 125, 7, 6}, WRNG_FILTRO));
        QCOMPARE(root->readFile(REMINDER_FILE), QByteArray::fromHex("06070908 00 7d 0a") + other);

        // Fields equal to a line end: the line must still be read as one date.
        QVERIFY(write_warning_reminder(date{10, 10, 124, 10, 10}, WRNG_FILTRO));
        QCOMPARE(root->readFile(REMINDER_FILE), QByteArray::fromHex("0a0a0a0a007c0a") + other);
        QVERIFY(!due(date{10, 10, 124, 10, 10})); // read back, not taken for damaged
        QVERIFY(write_warning_reminder(date{13, 10, 124, 13, 10}, WRNG_FILTRO));
        QCOMPARE(root->readFile(REMINDER_FILE), QByteArray::fromHex("0a0d0d0a007c0a") + other);
        QVERIFY(!due(date{13, 10, 124, 13, 10}));

        // A damaged file is replaced by a valid line.
        QVERIFY(root->writeFile(REMINDER_FILE, QByteArray("\x01\x02\x03", 3)));
        QVERIFY(write_warning_reminder(date{1, 1, 124, 0, 0}, WRNG_FILTRO));
        QCOMPARE(root->readFile(REMINDER_FILE).toHex(), QByteArray("00000101007c0a"));
    }

    void reminderBecomesDue()
    {
        QVERIFY(due(date{1, 1, 124, 0, 0})); // no file
        QVERIFY(root->writeFile(REMINDER_FILE, QByteArray::fromHex("230e0306007c"))); // no final line end
        QVERIFY(!due(date{3, 6, 124, 14, 35}));
        QVERIFY(due(date{3, 6, 124, 14, 36}));
        QVERIFY(!due(date{3, 6, 124, 16, 34}, date{0, 0, 0, 2, 0})); // two hours
        QVERIFY(due(date{3, 6, 124, 16, 35}, date{0, 0, 0, 2, 0}));

        qputenv("TZ", "UTC");
        platform::setFixedNowForTests(1718881200); // 2024-06-20 11:00:00 UTC
        const date now = currentDate(); // months from 0, years from 1900
        QCOMPARE((QList<int>{now.day, now.month, now.year, now.hour, now.minute}), (QList<int>{20, 5, 124, 11, 0}));
        QVERIFY(write_warning_reminder(now, WRNG_FILTRO));
        platform::advanceFixedNowForTests(59);
        QVERIFY(!due(currentDate()));
        platform::advanceFixedNowForTests(1);
        QVERIFY(due(currentDate()));
    }
};

QTEST_GUILESS_MAIN(TestMachineFiles)
#include "tst_machinefiles.moc"
