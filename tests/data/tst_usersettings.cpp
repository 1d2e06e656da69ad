// User settings file, mains file and Wi-Fi block: byte layouts against
// hand-written bytes, damaged files, builder mode and the setters' limits.

#include "TempRoot.h"

#include "data/DataState.h"
#include "data/SystemCommand.h"
#include "data/UserSettings.h"
#include "link/LinkHooks.h"

#include <QtTest>

namespace {

// "tedesco_de" in the stream's string encoding: byte length, then UTF-16BE.
const char *const kLanguageHex = "00000014"
                                 "00740065006400650073006300"
                                 "6f005f00640065";

// Group 1 only, as the oldest files hold it: language, screen saver 120 s,
// brightness 80, then the default choices milling 2, cutting 0, whipping 1
// (cutting is stored before whipping).
QByteArray groupOne()
{
    return QByteArray::fromHex(QByteArray(kLanguageHex) + "00000078" "50" "02" "00" "01");
}

} // namespace

class TestUserSettings : public QObject
{
    Q_OBJECT

private:
    int syncs = 0;

private slots:
    void init()
    {
        syncs = 0;
        syscmd::setSyncRunner([this] { ++syncs; });
        costructorEnable = false;
        SettingsHooks::applyBacklight = nullptr;
        SettingsHooks::currentLanguageFile = nullptr;
    }
    void cleanup()
    {
        syscmd::setSyncRunner(nullptr);
        costructorEnable = false;
        SettingsHooks::applyBacklight = nullptr;
        SettingsHooks::currentLanguageFile = nullptr;
    }

    void fileWithOnlyFirstGroupLoadsWithDefaultsForTheRest()
    {
        TempRoot root;
        QVERIFY(root.writeFile("/home/root/user_settings", groupOne()));
        QString announced;
        SettingsHooks::currentLanguageFile = [&](const QString &name) { announced = name; };

        UserSettings s;
        QVERIFY(s.load());
        QVERIFY(s.isFileFound());
        QCOMPARE(s.getLanguage(), QStringLiteral("tedesco_de"));
        QCOMPARE(announced, QStringLiteral("tedesco_de"));
        QCOMPARE(s.getScreenSaverTime(), 120);
        QCOMPARE(int(s.getBrightness()), 80);
        QCOMPARE(int(s.getDefaultChoise(1)), 2);
        QCOMPARE(int(s.getDefaultChoise(2)), 0); // cutting: the byte before whipping
        QCOMPARE(int(s.getDefaultChoise(3)), 1);
        QVERIFY(!s.isWifiSet());
        QCOMPARE(int(s.getWifiAutentication()), 0);
        QVERIFY(!s.getReservedFlag());
        QCOMPARE(s.getStartPage(), 0);
        QCOMPARE(s.getAffSpeed(1), 0);
        QVERIFY(!s.getModify(1) && !s.getModify(2) && !s.getModify(3));
    }

    void saveWritesAllFourGroupsInOrder()
    {
        TempRoot root;
        UserSettings s;
        s.setLanguage("tedesco_de");
        QVERIFY(s.setScreenSaverTime(120));
        QVERIFY(s.setMyBrightness(80));
        s.setWifiEssid("Lab");
        s.setWifiAutentication(2);
        s.setWifiKey("secret12");
        s.setStartPage(1);
        s.setAffSpeed(1, 2);
        s.setAffSpeed(3, 3);
        s.setModify(1, true);
        s.setModify(3, true);
        // Also saves: milling 2, cutting 0, whipping 1.
        QVERIFY(s.setDefaultChoise(1, 2));
        QVERIFY(s.setDefaultChoise(2, 0));
        QVERIFY(s.setDefaultChoise(3, 1));
        QVERIFY(s.isFileFound());

        const QByteArray expected = groupOne()
                                    // group 2: "Lab", WPA (2), "secret12"
                                    + QByteArray::fromHex("00000006004c00610062"
                                                          "02"
                                                          "000000100073006500630072006500740031"
                                                          "0032")
                                    // group 3: reserved flag
                                    + QByteArray::fromHex("00")
                                    // group 4: start page 1, speed options 2, 0, 3, modify 1, 0, 1
                                    + QByteArray::fromHex("00000001000000020000000000000003"
                                                          "010001");
        QCOMPARE(root.readFile("/home/root/user_settings").toHex(), expected.toHex());

        UserSettings back;
        QVERIFY(back.load());
        QCOMPARE(back.getWifiEssid(), QStringLiteral("Lab"));
        QCOMPARE(back.getWifiKey(), QStringLiteral("secret12"));
        QCOMPARE(int(back.getWifiAutentication()), 2);
        QCOMPARE(back.getAffSpeed(3), 3);
        QVERIFY(back.getModify(3));
        QVERIFY(!back.getModify(2));
    }

    void damagedFilesKeepDefaults_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<QString>("essid");

        QTest::newRow("empty") << QByteArray() << false << QString();
        QTest::newRow("cut inside the language") << groupOne().left(9) << false << QString();
        QTest::newRow("cut inside group 1") << groupOne().left(groupOne().size() - 1) << false << QString();
        QTest::newRow("odd string length") << QByteArray::fromHex("0000000300410042") << false << QString();
        QTest::newRow("huge string length")
            << QByteArray::fromHex("7ffffffe0041004200430044") << false << QString();
        // Group 2 present but cut after the network name: group 1 still counts.
        QTest::newRow("group 2 cut") << groupOne() + QByteArray::fromHex("00000006004c00610062") << true
                                     << QString();
        QTest::newRow("garbage after group 2")
            << groupOne() + QByteArray::fromHex("00000002004102" "ffffffff" "ff" "ffffff")
            << true << QStringLiteral("A");
    }
    void damagedFilesKeepDefaults()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, loads);
        QFETCH(QString, essid);
        TempRoot root;
        QVERIFY(root.writeFile("/home/root/user_settings", content));

        UserSettings s;
        QCOMPARE(s.load(), loads);
        QCOMPARE(s.isFileFound(), loads);
        QCOMPARE(s.getWifiEssid(), essid);
        if (!loads) {
            QCOMPARE(s.getLanguage(), QStringLiteral("inglese_en"));
            QCOMPARE(int(s.getBrightness()), 50);
        } else {
            QCOMPARE(s.getLanguage(), QStringLiteral("tedesco_de"));
        }
        QCOMPARE(s.getStartPage(), 0);
    }

    void outOfRangeStoredValuesAreNotTaken()
    {
        TempRoot root;
        // Brightness 0 would leave the display dark; screen saver 7 s is not a
        // value the setter could have stored.
        QVERIFY(root.writeFile("/home/root/user_settings",
                               QByteArray::fromHex(QByteArray(kLanguageHex) + "00000007" "00" "01" "01" "01")));
        UserSettings s;
        QVERIFY(s.load());
        QCOMPARE(int(s.getBrightness()), 50);
        QCOMPARE(s.getScreenSaverTime(), 30);
    }

    void missingFileInBuilderModeCountsAsFound()
    {
        TempRoot root;
        UserSettings s;
        QVERIFY(!s.load());
        QVERIFY(!s.isFileFound());
        costructorEnable = true;
        UserSettings builder;
        QVERIFY(!builder.load());
        QVERIFY(builder.isFileFound());
    }

    void builderModeSaveLeavesFileUntouched()
    {
        TempRoot root;
        QVERIFY(root.writeFile("/home/root/user_settings", groupOne()));
        costructorEnable = true;
        UserSettings s;
        s.setLanguage("francese_fr");
        QVERIFY(s.save());
        QVERIFY(s.setDefaultChoise(1, 0));
        QVERIFY(s.isFileFound());
        QCOMPARE(root.readFile("/home/root/user_settings"), groupOne());
    }

    void deleteFileResetsTheFactoryFields()
    {
        TempRoot root;
        UserSettings s;
        QVERIFY(!s.deleteFile()); // nothing to remove
        s.setLanguage("tedesco_de");
        QVERIFY(s.setMyBrightness(90));
        QVERIFY(s.setScreenSaverTime(300));
        s.setWifiEssid("Lab");
        s.setAffSpeed(1, 4);
        s.setAffSpeed(2, 4);
        s.setModify(2, true);
        QVERIFY(s.save());

        QVERIFY(s.deleteFile());
        QVERIFY(!QFile::exists(root.path("/home/root/user_settings")));
        QCOMPARE(s.getLanguage(), QStringLiteral("inglese_en"));
        QCOMPARE(int(s.getBrightness()), 50);
        QVERIFY(!s.isWifiSet());
        QCOMPARE(s.getAffSpeed(2), 0);
        QVERIFY(!s.getModify(2));
        // Not among the fields the factory reset names.
        QCOMPARE(s.getScreenSaverTime(), 300);
        QCOMPARE(s.getAffSpeed(1), 4);
    }

    void settersKeepTheirRanges()
    {
        UserSettings s;
        QVERIFY(s.setScreenSaverTime(25));
        QCOMPARE(s.getScreenSaverTime(), 25);
        QVERIFY(!s.isScreenSaverEnabled());
        QVERIFY(s.setScreenSaverTime(26));
        QVERIFY(s.isScreenSaverEnabled());
        QVERIFY(!s.setScreenSaverTime(601));
        QCOMPARE(s.getScreenSaverTime(), 26);
        QVERIFY(!s.setScreenSaverTime(10));
        QCOMPARE(s.getScreenSaverTime(), 0);

        QList<int> applied;
        SettingsHooks::applyBacklight = [&](int level) { applied << level; };
        QVERIFY(!s.setMyBrightness(4));
        QVERIFY(!s.setMyBrightness(101));
        QCOMPARE(int(s.getBrightness()), 50);
        QVERIFY(s.setMyBrightness(5));
        QVERIFY(s.setMyBrightness(100));
        QCOMPARE(applied, (QList<int>{5, 100}));

        s.setLanguage(QString());
        QCOMPARE(s.getLanguage(), QStringLiteral("inglese_en"));
        QVERIFY(s.checkLanguage("INGLESE_EN"));
        s.setWifiEssid("Lab");
        QVERIFY(s.checkWifiEssid("Lab"));
        QVERIFY(!s.checkWifiEssid("lab"));
    }

    void defaultChoiceAboveTwoOrUnknownFunctionReadsZero()
    {
        TempRoot root;
        UserSettings s;
        QVERIFY(s.setDefaultChoise(2, 7));
        QCOMPARE(int(s.getDefaultChoise(2)), 0);
        QVERIFY(s.setDefaultChoise(3, 2));
        QCOMPARE(int(s.getDefaultChoise(3)), 2);
        QCOMPARE(int(s.getDefaultChoise(0)), 0);
        QCOMPARE(int(s.getDefaultChoise(4)), 0);
        QVERIFY(!s.setDefaultChoise(4, 1));
    }

    void mainsFile()
    {
        TempRoot root;
        UserSettings s;
        QVERIFY(!s.read_rete_setting());
        QCOMPARE(s.getHz(), QStringLiteral("50"));
        QCOMPARE(s.getVoltage(), QStringLiteral("0"));

        QVERIFY(s.set_rete_setting("60", "110"));
        QCOMPARE(root.readFile("/home/root/rete_setting"), QByteArray("60\n110\n"));
        QCOMPARE(syncs, 3);

        UserSettings other;
        QVERIFY(other.read_rete_setting());
        QCOMPARE(other.getHz(), QStringLiteral("60"));
        QCOMPARE(other.getVoltage(), QStringLiteral("0")); // the second line is not read back

        QVERIFY(root.writeFile("/home/root/rete_setting", QByteArray("60\r\n")));
        QVERIFY(other.read_rete_setting());
        QCOMPARE(other.getHz(), QStringLiteral("60"));

        // A first line that is no frequency must not reach the board as 0 Hz.
        for (const QByteArray &bad : {QByteArray(""), QByteArray("\n1\n"), QByteArray("\xff\xfe garbage")}) {
            QVERIFY(root.writeFile("/home/root/rete_setting", bad));
            QVERIFY(other.read_rete_setting());
            QCOMPARE(other.getHz(), QStringLiteral("50"));
        }
    }

    void mainsHookStoresTheCurrentSetting()
    {
        TempRoot root;
        connectLinkHooks();
        settings.setHz("60");
        settings.setVoltage("0");
        LinkHooks::storeMainsSetting();
        QCOMPARE(root.readFile("/home/root/rete_setting"), QByteArray("60\n0\n"));
        QCOMPARE(syncs, 3);
    }

    void wifiBlocks_data()
    {
        QTest::addColumn<QString>("essid");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("open") << "Kitchen" << "" << 0
                              << QByteArray("network={\n\tssid=\"Kitchen\"\n\tkey_mgmt=NONE\n}");
        QTest::newRow("wep") << "Kitchen" << "abcdefghijklm" << 1
                             << QByteArray("network={\n\tssid=\"Kitchen\"\n\tkey_mgmt=NONE\n"
                                           "\twep_key0=\"abcdefghijklm\"\n\twep_tx_keyidx=0\n}");
        QTest::newRow("wpa") << "Kitchen" << "password" << 2
                             << QByteArray("network={\n\tssid=\"Kitchen\"\n\tpsk=\"password\"\n}");
    }
    void wifiBlocks()
    {
        QFETCH(QString, essid);
        QFETCH(QString, key);
        QFETCH(int, type);
        QFETCH(QByteArray, expected);
        TempRoot root;
        UserSettings s;
        QVERIFY(s.createWifiConfig(essid, key, uint8_t(type)));
        QCOMPARE(root.readFile("/home/root/wifi.conf"), expected);
    }

    void wifiValuesThatCannotFormABlockAreRefused()
    {
        TempRoot root;
        UserSettings s;
        const QByteArray before("network={\n\tssid=\"Old\"\n\tkey_mgmt=NONE\n}");
        QVERIFY(root.writeFile("/home/root/wifi.conf", before));

        QVERIFY(!s.createWifiConfig("Kitchen", "1234567", 2));          // WPA needs 8
        QVERIFY(!s.createWifiConfig("Kitchen", QString(64, 'k'), 2));  // and at most 63
        QVERIFY(!s.createWifiConfig("Kitchen", "abcdefghijkl", 1));     // WEP: 5, 13 or 16
        QVERIFY(!s.createWifiConfig("Kitchen", "password", 3));         // no such type
        QVERIFY(!s.createWifiConfig(QString(33, 'n'), "", 0));          // SSID over 32 bytes
        // A line break would add lines of its own to the daemon's file.
        QVERIFY(!s.createWifiConfig("Kitchen\"\n\tkey_mgmt=NONE", "", 0));
        QVERIFY(!s.createWifiConfig("Kitchen", "password\n}\nnetwork={", 2));
        QCOMPARE(root.readFile("/home/root/wifi.conf"), before);

        QVERIFY(s.createWifiConfig("Kitchen", "abcde", 1));
        QVERIFY(s.createWifiConfig(QString(), QString(), 0));
        QVERIFY(!QFile::exists(root.path("/home/root/wifi.conf")));
        QVERIFY(s.createWifiConfig(QString(), QString(), 0)); // already gone
    }

    void restoreRewritesTheBlockAndPointsTheInterfaceAtIt()
    {
        TempRoot root;
        // A stand-in for the wireless tool that records its arguments, one a line.
        QVERIFY(root.mkpath("/bin"));
        const QString tool = root.path("/bin/iwconfig");
        QVERIFY(root.writeFile("/bin/iwconfig",
                               "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"$0.args\"\n"));
        QVERIFY(QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", root.path("/bin").toLocal8Bit() + ":" + savedPath);

        UserSettings s;
        s.setWifiEssid("Bar; rm -rf x");
        s.setWifiAutentication(1);
        s.setWifiKey("abcde");
        QVERIFY(s.restorePreviousConfiguration());
        QCOMPARE(root.readFile("/bin/iwconfig.args"), QByteArray("wlan0\nessid\nBar; rm -rf x\nkey\ns:abcde\n"));
        QCOMPARE(root.readFile("/home/root/wifi.conf"),
                 QByteArray("network={\n\tssid=\"Bar; rm -rf x\"\n\tkey_mgmt=NONE\n"
                            "\twep_key0=\"abcde\"\n\twep_tx_keyidx=0\n}"));

        // Forgotten network: the block goes and the interface leaves its network.
        s.setWifiEssid(QString());
        s.setWifiAutentication(0);
        s.setWifiKey(QString());
        QVERIFY(s.restorePreviousConfiguration());
        QCOMPARE(root.readFile("/bin/iwconfig.args"), QByteArray("wlan0\nessid\noff\n"));
        QVERIFY(!QFile::exists(root.path("/home/root/wifi.conf")));
        qputenv("PATH", savedPath);
    }
};

QTEST_GUILESS_MAIN(TestUserSettings)
#include "tst_usersettings.moc"
