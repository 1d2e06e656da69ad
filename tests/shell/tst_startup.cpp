// Start-up: the access modes read from the USB stick, the version file, the
// one-shot actions, the screenshot key, and the whole sequence
// against the simulated board (the mains frequency is the first command the
// board receives, about three seconds after the start).

#include "support_shell.h"

#include "shell/StartUp.h"
#include "data/Presets.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "errors/ErrorManager.h"
#include "remote/RemoteState.h"
#include "remote/TCPThreadCommunication.h"

#include <QtEndian>

class TestStartUp : public QObject
{
    Q_OBJECT

private slots:
    void accessModes_data()
    {
        QTest::addColumn<bool>("stick");
        QTest::addColumn<QStringList>("files"); // name=first line
        QTest::addColumn<QString>("expected");  // flags set: a(dvanced) s(ervice) b(uilder) p(screenshot)
        const QString adv = startup::kAdvancedUserCode, svc = startup::kServiceCode;
        const QString bld = startup::kBuilderCode, shot = startup::kScreenshotCode;
        QTest::newRow("no stick: flags stay as they were") << false << QStringList{"builder=" + bld} << "asb";
        QTest::newRow("stick without files clears them") << true << QStringList{} << "";
        QTest::newRow("service and builder give all three") << true << QStringList{"service=" + svc, "builder.txt=" + bld}
                                                            << "asb";
        QTest::newRow("characters after the code ignored") << true << QStringList{"advancedUser=" + adv + "x"} << "a";
        QTest::newRow("a blank before the code") << true << QStringList{"service= " + svc} << "";
        QTest::newRow("a code in another's file") << true << QStringList{"service=" + bld} << "";
        QTest::newRow("screenshot mode") << true << QStringList{"screenshot.txt=" + shot} << "p";
        QTest::newRow("a later file never clears a mode") << true << QStringList{"builder=" + bld, "screenshot=x"}
                                                          << "asb";
    }
    void accessModes()
    {
        QFETCH(bool, stick);
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        TempRoot root;
        for (const QString &f : files) {
            const int eq = f.indexOf('=');
            QVERIFY(root.writeFile("/mnt/usb-memory/" + f.left(eq), f.mid(eq + 1).toUtf8() + "\nsecond line\n"));
        }
        usbMount = stick;
        advancedUserEnabled = serviceEnable = costructorEnable = true; // as an earlier run left them
        screenshotEnable = false;
        startup::readAccessModes();
        QCOMPARE(QString(advancedUserEnabled ? "a" : "") + (serviceEnable ? "s" : "") + (costructorEnable ? "b" : "")
                     + (screenshotEnable ? "p" : ""),
                 expected);
        QCOMPARE(QDir(root.path("/mnt/usb-memory/new_screenshot")).exists(), expected.contains('p'));
        usbMount = advancedUserEnabled = serviceEnable = costructorEnable = screenshotEnable = false;
    }

    void joinedOnlyToTheStoredNetwork_data()
    {
        QTest::addColumn<QString>("iwconfig"); // lines of "iwconfig wlan0"
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("joined");
        const QString tail = "\n          Mode:Managed  Frequency:2.412 GHz\n";
        QTest::newRow("the stored network") << "wlan0     IEEE 802.11  ESSID:\"Net\"" + tail << "Net" << true;
        QTest::newRow("a longer name starting alike") << "wlan0     IEEE 802.11  ESSID:\"Network2\"" + tail << "Net"
                                                      << false;
        QTest::newRow("a name with blanks") << "wlan0  ESSID:\"Bar Cucina 2\"  Nickname:\"\"" << "Bar Cucina 2" << true;
        QTest::newRow("its prefix only") << "wlan0  ESSID:\"Bar Cucina\"" << "Bar Cucina 2" << false;
        QTest::newRow("not associated yet, then joined") << "wlan0  ESSID:off/any\nwlan0  ESSID:\"Net\"" << "Net"
                                                         << true;
        QTest::newRow("another network first") << "wlan0  ESSID:\"Other\"\nwlan0  ESSID:\"Net\"" << "Net" << false;
        QTest::newRow("nothing joined") << "wlan0  ESSID:off/any\n" << "Net" << false;
    }
    void joinedOnlyToTheStoredNetwork()
    {
        QFETCH(QString, iwconfig);
        QFETCH(QString, stored);
        QTEST(startup::essidMatches(iwconfig.toStdString(), stored.toStdString()), "joined");
    }

    // The home screen's probe (child processes, no waiting) and start-up's
    // (waiting) decide alike, against the stand-in tools.
    void bothProbesDecideAlike_data()
    {
        QTest::addColumn<QString>("stored");   // the stored network
        QTest::addColumn<QString>("variables"); // NAME=value, separated by ";"
        QTest::addColumn<bool>("mounted");
        QTest::addColumn<bool>("joined");
        QTest::newRow("joined to the stored network") << "DemoNet" << "" << true << true;
        QTest::newRow("no network stored") << "" << "FROSTPANEL_WIFI_ASSOC=essid:DemoNet" << true << false;
        QTest::newRow("not associated") << "DemoNet" << "FROSTPANEL_WIFI_ASSOC=off" << true << false;
        QTest::newRow("another network") << "DemoNet" << "FROSTPANEL_WIFI_ASSOC=essid:DemoNet2" << true << false;
        QTest::newRow("check prints nothing") << "DemoNet" << "FROSTPANEL_WIFI_ASSOC=none" << true << false;
        QTest::newRow("no interface") << "DemoNet" << "FROSTPANEL_WIFI_NO_WLAN0=1" << false << false;
    }
    void bothProbesDecideAlike()
    {
        QFETCH(QString, stored);
        QFETCH(QString, variables);
        QFETCH(bool, mounted);
        QFETCH(bool, joined);
        TempRoot root;
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", qgetenv("FROSTPANEL_SOURCE_DIR") + "/tools/demo-bin:" + savedPath);
        const QStringList vars = variables.split(';', Qt::SkipEmptyParts);
        for (const QString &v : vars)
            qputenv(v.section('=', 0, 0).toLatin1(), v.section('=', 1).toUtf8());
        settings.setWifiEssid(stored);
        QVERIFY(settings.createWifiConfig(stored.isEmpty() ? "DemoNet" : stored, QString(), 0));

        usbWifiDongleMounted = !mounted;
        wifiConnect = !joined;
        bool done = false;
        QObject context;
        startup::probeWirelessAsync(&context, [&] { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, 5000);
        const bool asyncMounted = usbWifiDongleMounted, asyncJoined = wifiConnect;
        startup::probeWireless(false);
        const bool syncMounted = usbWifiDongleMounted, syncJoined = wifiConnect;

        for (const QString &v : vars)
            qunsetenv(v.section('=', 0, 0).toLatin1());
        qputenv("PATH", savedPath);
        settings.setWifiEssid(QString());
        wifiConnect = usbWifiDongleMounted = false;
        QCOMPARE(asyncMounted, mounted);
        QCOMPARE(asyncJoined, joined);
        QCOMPARE(syncMounted, mounted);
        QCOMPARE(syncJoined, joined);
    }

    void versionFileFirstLineOnly()
    {
        TempRoot root;
        QVERIFY(root.writeFile("/home/root/fileVersione.txt", "1.02.07\r\nignored\n"));
        startup::readSoftwareVersion();
        QCOMPARE(QString::fromStdString(swVersion.get()), QString("1.02.07"));
        // A file without any line end is read only up to a bound.
        QVERIFY(root.writeFile("/home/root/fileVersione.txt", QByteArray(1 << 20, '9')));
        startup::readSoftwareVersion();
        QVERIFY(swVersion.get().size() <= 4096);
    }

    void oneShotActionsActOnce()
    {
        TempRoot root;
        QVERIFY(root.writeFile("/home/root/oneShot.sh", "#!/bin/sh\necho ran >> \"$FROSTPANEL_ROOT/ran.txt\"\n"));
        startup::runOneShotScript();
        startup::runOneShotScript();
        QCOMPARE(root.readFile("/ran.txt"), QByteArray("ran\n"));
        QVERIFY(!QFile::exists(root.path("/home/root/oneShot.sh")));
        // The preset-restore marker brings the stored presets back to their defaults, once.
        root.mkpath("/home/root/recipes");
        initMillingDefaultSettings();
        const uint8_t defaultSize = frostizing_soft->getPortionDimension();
        frostizing_soft->setPortionDimension(uint8_t(defaultSize + 4));
        QVERIFY(frostizing_soft->Save(QString()));
        QVERIFY(root.writeFile("/home/root/restoredefaultrecipe", ""));
        startup::restorePresetsIfMarked();
        QVERIFY(!QFile::exists(root.path("/home/root/restoredefaultrecipe")));
        frostizing_soft->setPortionDimension(1);
        QVERIFY(frostizing_soft->Load(QString()));
        QCOMPARE(frostizing_soft->getPortionDimension(), defaultSize);
    }

    void screenshotKeyCopiesTheFrameBuffer()
    {
        TempRoot outer;
        // A root path a shell would misread: the paths must never become shell syntax.
        const QString inner = "/it's a \"root\" $(touch x)";
        QVERIFY(outer.mkpath(inner + "/mnt/usb-memory/new_screenshot") && outer.writeFile(inner + "/dev/fb0", "FRAME-BYTES"));
        qputenv("FROSTPANEL_ROOT", outer.path(inner).toLocal8Bit());
        platform::setFixedNowForTests(1700000000);
        QWidget target;
        target.show();
        screenshotEnable = false;
        QTest::keyClick(&target, Qt::Key_S);
        screenshotEnable = true;
        QTest::keyClick(&target, Qt::Key_A);
        QVERIFY(QDir(outer.path(inner + "/mnt/usb-memory/new_screenshot")).isEmpty());
        QTest::keyClick(&target, Qt::Key_S);
        QCOMPARE(outer.readFile(inner + "/mnt/usb-memory/new_screenshot/1700000000.raw"), QByteArray("FRAME-BYTES"));
        QVERIFY(!QFile::exists(outer.path("/x")));
        screenshotEnable = false;
        platform::clearFixedNowForTests();
    }

    // A board that reports an error from its first poll on: the lifetime
    // totals stored before must survive the start, with the new counts added.
    void errorAtTheFirstPollKeepsTheStoredCounters()
    {
        TempRoot root;
        QVERIFY(root.writeFile("/home/root/error", errorCounterFile(true, {{5, {3, 1234}}, {9, {0, 77}}})));
        BoardSimProcess board;
        QVERIFY(board.start({"--set", "error=5"}));
        qputenv("FROSTPANEL_SERIAL", board.devicePath().toLocal8Bit());
        startup::mainsDelayMs = 0;
        startup::Workers workers = startup::run();
        QTRY_VERIFY(errorSystem.getErrorOccunrnce().size() == 14 && errorSystem.getErrorOccunrnce()[5] > 1234);
        workers.stopAll();
        startup::mainsDelayMs = 3000;

        const std::vector<uint32_t> totals = errorSystem.getErrorOccunrnce();
        QCOMPARE(totals[9], 77u);
        QVERIFY(errorSystem.isFatal());
        // Stored: the fatal flag, and code 5's total after five (consecutive, total) pairs.
        const QByteArray stored = root.readFile("/home/root/error");
        QVERIFY(stored.size() == 1 + 14 * 6 && stored[0] == 1);
        QCOMPARE(qFromBigEndian<quint32>(stored.constData() + 1 + 5 * 6 + 2), totals[5]);
    }

    void wholeSequenceAgainstTheBoard()
    {
        TempRoot root;
        QVERIFY(root.writeFile("/home/root/rete_setting", "60\n"));
        // A stored network and the demo's wireless stand-ins: the machine counts
        // as joined, so the remote service must be listening afterwards.
        settings.setWifiEssid("DemoNet");
        settings.setScreenSaverTime(300);
        QVERIFY(settings.save());
        QVERIFY(settings.createWifiConfig("DemoNet", QString(), 0));
        settings.setWifiEssid(QString());
        qputenv("PATH", qgetenv("FROSTPANEL_SOURCE_DIR") + "/tools/demo-bin:" + qgetenv("PATH"));
        qputenv("FROSTPANEL_TCP_PORT", "45871");
        qputenv("FROSTPANEL_UDP_PORT", "45872");
        BoardSimProcess board;
        QVERIFY(board.start({"--cmd", "log on"}));
        qputenv("FROSTPANEL_SERIAL", board.devicePath().toLocal8Bit());

        QElapsedTimer sinceStart;
        sinceStart.start();
        startup::Workers workers = startup::run();
        // The first frame that is not one of the link's own polls (codes from
        // 0x70 up) is the mains frequency with 60 Hz -> 6.
        QString firstCommand;
        qint64 arrivedAfter = -1;
        auto seen = [&] {
            for (const QString &line : board.takeTraffic()) {
                const QByteArray frame = QByteArray::fromHex(line.mid(3).toLatin1());
                if (firstCommand.isEmpty() && line.startsWith("rx ") && frame.size() >= 2 && uint8_t(frame[1]) < 0x70) {
                    firstCommand = frame.toHex().toUpper();
                    arrivedAfter = sinceStart.elapsed();
                }
            }
            return !firstCommand.isEmpty();
        };
        QTRY_VERIFY_WITH_TIMEOUT(seen(), 3000);
        QVERIFY2(firstCommand.startsWith("F31606"), qPrintable(firstCommand));
        QVERIFY2(arrivedAfter >= 3000 && arrivedAfter < 4500, qPrintable(QString::number(arrivedAfter)));

        // The stored screen-saver time gives way to one minute at every start.
        QCOMPARE(settings.getScreenSaverTime(), 60);
        QVERIFY(enableScreenSaver && wifiConnect && usbWifiDongleMounted);
        QTRY_VERIFY_WITH_TIMEOUT(workers.tcp->listening, 5000);
        workers.stopAll();
        wifiConnect = false;
    }
};

SHELL_TEST_MAIN(TestStartUp)
#include "tst_startup.moc"
