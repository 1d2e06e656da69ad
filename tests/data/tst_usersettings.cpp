// User settings file, mains file and Wi-Fi block against hand-written bytes,
// damaged files, builder mode, the setters' limits, and the bounded runner
// of the system tools these files call.

#include "TempRoot.h"

#include "data/DataState.h"
#include "data/SystemCommand.h"
#include "data/UserSettings.h"
#include "link/LinkHooks.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

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

} // namespace

class TestUserSettings : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempRoot> root;
    int syncs = 0;
    const QByteArray savedPath = qgetenv("PATH");

private slots:
    void init()
    {
        root = std::make_unique<TempRoot>();
        syncs = 0;
        syscmd::setSyncRunner([this] { ++syncs; });
    }
    void cleanup()
    {
        syscmd::setSyncRunner(nullptr);
        costructorEnable = false;
        SettingsHooks::applyBacklight = nullptr;
        SettingsHooks::currentLanguageFile = nullptr;
        qputenv("PATH", savedPath);
        root.reset();
    }

    void fileLayout()
    {
        QVERIFY(root->writeFile(FILE_NAME, GROUP_ONE));
        QString announced;
        SettingsHooks::currentLanguageFile = [&](const QString &name) { announced = name; };
        UserSettings s;
        QVERIFY(s.load());
        QCOMPARE(announced, QStringLiteral("tedesco_de"));
        QCOMPARE(s.getScreenSaverTime(), 120);
        QCOMPARE(int(s.getBrightness()), 80);
        QCOMPARE((QList<int>{s.getDefaultChoise(1), s.getDefaultChoise(2), s.getDefaultChoise(3)}),
                 (QList<int>{2, 0, 1}));
        QVERIFY(!s.isWifiSet());

        // All four groups, read field by field and written back as they were.
        QVERIFY(root->writeFile(FILE_NAME, GROUP_ONE + GROUPS_TWO_TO_FOUR));
        UserSettings all;
        QVERIFY(all.load());
        QCOMPARE(all.getWifiEssid() + " " + all.getWifiKey(), QStringLiteral("Lab secret12"));
        QCOMPARE((QList<int>{all.getWifiAutentication(), all.getStartPage(), all.getAffSpeed(1), all.getAffSpeed(2),
                             all.getAffSpeed(3), all.getModify(1), all.getModify(2), all.getModify(3)}),
                 (QList<int>{2, 1, 2, 0, 3, 1, 0, 1}));
        QVERIFY(root->writeFile(FILE_NAME, ""));
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
            QCOMPARE(s.isFileFound(), loads);
            QCOMPARE(s.getLanguage(), QString(loads ? "tedesco_de" : "inglese_en"));
            QCOMPARE(int(s.getBrightness()), loads ? 80 : 50);
            QCOMPARE(s.getStartPage(), 0);
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

    // In builder mode a missing file counts as found and saves leave the file alone.
    void builderMode()
    {
        UserSettings s;
        QVERIFY(!s.load() && !s.isFileFound());
        costructorEnable = true;
        UserSettings builder;
        QVERIFY(!builder.load() && builder.isFileFound());
        QVERIFY(root->writeFile(FILE_NAME, GROUP_ONE));
        QVERIFY(builder.save());
        QVERIFY(builder.setDefaultChoise(1, 0));
        QCOMPARE(root->readFile(FILE_NAME), GROUP_ONE);
    }

    void settersKeepTheirRanges()
    {
        UserSettings s;
        QVERIFY(s.setScreenSaverTime(25) && !s.isScreenSaverEnabled());
        QVERIFY(s.setScreenSaverTime(26) && s.isScreenSaverEnabled());
        QVERIFY(!s.setScreenSaverTime(601));
        QCOMPARE(s.getScreenSaverTime(), 26);
        QVERIFY(!s.setScreenSaverTime(10)); // below the shortest: switched off
        QCOMPARE(s.getScreenSaverTime(), 0);

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
        // The link's hook stores the current setting.
        connectLinkHooks();
        settings.setHz("60");
        settings.setVoltage("0");
        LinkHooks::storeMainsSetting();
        QCOMPARE(root->readFile("/home/root/rete_setting"), QByteArray("60\n0\n"));
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
        QVERIFY(s.createWifiConfig(QString(), QString(), 0));
        QVERIFY(!QFile::exists(root->path(WIFI_FILE)));
        QVERIFY(s.createWifiConfig(QString(), QString(), 0)); // already gone
    }

    void restoreRewritesTheBlockAndPointsTheInterfaceAtIt()
    {
        // A stand-in for the wireless tool that records its arguments, one a line.
        QVERIFY(root->writeFile("/bin/iwconfig", "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"$0.args\"\n"));
        QVERIFY(QFile::setPermissions(root->path("/bin/iwconfig"), QFile::ReadOwner | QFile::ExeOwner));
        qputenv("PATH", root->path("/bin").toLocal8Bit() + ":" + savedPath);
        UserSettings s;
        s.setWifiEssid("Bar; rm -rf x");
        s.setWifiAutentication(1);
        s.setWifiKey("abcde");
        QVERIFY(s.restorePreviousConfiguration());
        QCOMPARE(root->readFile("/bin/iwconfig.args"), QByteArray("wlan0\nessid\nBar; rm -rf x\nkey\ns:abcde\n"));
        QVERIFY(root->readFile(WIFI_FILE).contains("\tssid=\"Bar; rm -rf x\"\n"));

        // Forgotten network: the block goes and the interface leaves its network.
        s.setWifiEssid(QString());
        s.setWifiAutentication(0);
        QVERIFY(s.restorePreviousConfiguration());
        QCOMPARE(root->readFile("/bin/iwconfig.args"), QByteArray("wlan0\nessid\noff\n"));
        QVERIFY(!QFile::exists(root->path(WIFI_FILE)));
    }

    // A missing tool, a hanging one and one that closes its output early all
    // come back within the time allowed; a chatty one does not block on a
    // full pipe.
    void systemToolsAreBounded()
    {
        syscmd::setSyncRunner(nullptr);
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
};

QTEST_GUILESS_MAIN(TestUserSettings)
#include "tst_usersettings.moc"
