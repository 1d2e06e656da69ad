// The Wi-Fi manager against the demo's stand-in wireless tools (real
// processes found through PATH, scripted through their environment): the
// scan's quality buckets and order, cells lacking lines, the four rows and
// scrolling, the password rules, joining, the failures and the restored
// configuration, a hanging tool killed at the limit while the screen goes on,
// details, forgetting, and the password kept off logs and command lines.

#include "support_settings.h"

#include "app/DialogMessage.h"
#include "app/ToolRun.h"
#include "data/UserSettings.h"
#include "platform/log.h"
#include "remote/RemoteState.h"
#include "settings/DisplayKeyboard.h"
#include "settings/WiFiManager.h"

#include <csignal>
#include <memory>

namespace {

const char *const kToolVars[] = {"FROSTPANEL_WIFI_SCAN",     "FROSTPANEL_WIFI_ASSOC",        "FROSTPANEL_WIFI_PASSWORD",
                                 "FROSTPANEL_WIFI_HANG",     "FROSTPANEL_WIFI_HANG_SECONDS", "FROSTPANEL_WIFI_NO_WLAN0",
                                 "FROSTPANEL_WIFI_CALLS"};

const QString kFailed = "Il sistema non riesce a connettersi provare a riavviare la macchina e riprovare.";
const QString kNotJoined = "Connessione non riuscita verificare le password e riprovare.";
const QString kJoined = "Connessione eseguita con successo, le impostazioni sono state salvate per eseguire la "
                        "connesione automatica.";

QString row(WiFiManager &w, int r)
{
    return w.findChild<QLabel *>(QStringLiteral("step_%1").arg(r))->text().trimmed();
}

QStringList shownRows(WiFiManager &w)
{
    QStringList names;
    for (int r = 1; r <= WiFiManager::kRows; ++r)
        if (w.findChild<QLabel *>(QStringLiteral("step_%1").arg(r))->isVisibleTo(&w))
            names << row(w, r);
    return names;
}

template <typename T = QWidget>
T *child(WiFiManager &w, const char *name)
{
    return w.findChild<T *>(QString::fromLatin1(name));
}

QStringList shownMessages()
{
    QStringList out = shownErrors();
    for (DialogMessage *d : visibleWindows<DialogMessage>())
        out << d->displayMessage();
    return out;
}

} // namespace

class TestWiFiManager : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempRoot> root;
    QByteArray savedPath;

    QString callsFile() const { return root->path("/calls.txt"); }
    QStringList calls() const { return QString::fromUtf8(root->readFile("/calls.txt")).split('\n', Qt::SkipEmptyParts); }

    // A shown manager whose first scan is listed.
    std::unique_ptr<WiFiManager> openManager()
    {
        auto w = std::make_unique<WiFiManager>();
        QSignalSpy listed(w.get(), &WiFiManager::scanListed);
        w->show();
        if (!listed.wait(5000))
            return nullptr;
        return w;
    }

    void choose(WiFiManager &w, const QString &name)
    {
        for (int r = 1; r <= WiFiManager::kRows; ++r)
            if (row(w, r) == name) {
                QTest::mouseClick(w.findChild<QWidget *>(QStringLiteral("step_%1").arg(r)), Qt::LeftButton);
                return;
            }
        QFAIL(qPrintable("no row " + name));
    }

    void typePassword(WiFiManager &w, const QString &key)
    {
        QTest::mouseClick(child(w, "wifikey"), Qt::LeftButton);
        DisplayKeyboard *k = nullptr;
        QTRY_VERIFY((k = shownWindow<DisplayKeyboard>()) != nullptr);
        k->setText(key);
        k->findChild<QPushButton *>("key_confirm")->click();
        QTRY_VERIFY(!shownWindow<DisplayKeyboard>());
    }

    // Presses connect and waits for the chain to end.
    bool connectAndWait(WiFiManager &w, int timeoutMs = 10000)
    {
        QSignalSpy ended(&w, &WiFiManager::chainEnded);
        child<QPushButton>(w, "pushButton_5")->click();
        return ended.count() > 0 || ended.wait(timeoutMs);
    }

    void storeNetwork(const QString &essid, uint8_t type, const QString &key)
    {
        settings.setWifiEssid(essid);
        settings.setWifiAutentication(type);
        settings.setWifiKey(key);
        QVERIFY(settings.save());
        QVERIFY(settings.createWifiConfig(essid, key, type));
    }

private slots:
    void initTestCase()
    {
        savedPath = qgetenv("PATH");
        qputenv("PATH", qgetenv("FROSTPANEL_SOURCE_DIR") + "/tools/demo-bin:" + savedPath);
    }
    void cleanupTestCase() { qputenv("PATH", savedPath); }

    void init()
    {
        root = std::make_unique<TempRoot>();
        for (const char *v : kToolVars)
            qunsetenv(v);
        qputenv("FROSTPANEL_WIFI_CALLS", callsFile().toLocal8Bit());
        ToolRun::setLimitMsForTests(0);
        settings.setWifiEssid(QString());
        settings.setWifiAutentication(0);
        settings.setWifiKey(QString());
        wifiConnect = false;
        usbWifiDongleMounted = false;
    }
    void cleanup()
    {
        closeWindows();
        for (const char *v : kToolVars)
            qunsetenv(v);
        ToolRun::setLimitMsForTests(0);
        platform::setLogSink(nullptr);
        root.reset();
    }

    // ---- scanning --------------------------------------------------------------

    void signalQuality_data()
    {
        QTest::addColumn<QString>("signal"); // what follows "Signal level="
        QTest::addColumn<int>("quality");
        QTest::newRow("-100 dBm read as -10: excellent") << "-100 dBm" << 4;
        QTest::newRow("70/100: not usable") << "70/100" << 0;
        QTest::newRow("-45 dBm: excellent") << "-45 dBm" << 4;
        QTest::newRow("-46 dBm: good") << "-46 dBm" << 3;
        QTest::newRow("no signal line") << "" << 0;
    }
    void signalQuality()
    {
        QFETCH(QString, signal);
        QFETCH(int, quality);
        qputenv("FROSTPANEL_WIFI_SCAN", ("Net|wpa2|" + signal).toUtf8());
        auto w = openManager();
        QVERIFY(w);
        QCOMPARE(w->networks(), QStringList{"Net"});
        QCOMPARE(int(w->signalLevels().at(0)), quality);
        QVERIFY(child<QLabel>(*w, "quality_1")->text().startsWith(WiFiManager::qualityWord(quality)));
    }

    // Sorted by quality, scan order within a quality; a cell without an
    // encryption or signal line still fills all three lists.
    void orderAndCellsLackingLines()
    {
        qputenv("FROSTPANEL_WIFI_SCAN",
                "Alpha|wpa2|-50 dBm;Bare||;Cafe|open|-70 dBm;Dock|on|-30 dBm;Eden|wep|;Fiore|wpa|-44 dBm;|open|-20 dBm;"
                "Cell 07 - Signal level=-20|open|-80 dBm");
        auto w = openManager();
        QVERIFY(w);
        // The nameless (hidden) cell is not listed; a name holding the
        // parser's words is just a name.
        QCOMPARE(w->networks(),
                 (QStringList{"Dock", "Fiore", "Alpha", "Cafe", "Cell 07 - Signal level=-20", "Bare", "Eden"}));
        QCOMPARE(w->encryptionTypes(), QByteArray("\x02\x02\x02\x00\x00\x00\x01", 7));
        QCOMPARE(w->signalLevels(), QByteArray("\x04\x04\x03\x03\x03\x00\x00", 7));
    }

    void failedScanListsNothing_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("nothing found") << QByteArray("FROSTPANEL_WIFI_SCAN") << QByteArray("");
        QTest::newRow("no interface") << QByteArray("FROSTPANEL_WIFI_NO_WLAN0") << QByteArray("1");
    }
    void failedScanListsNothing()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QByteArray, value);
        qputenv(variable.constData(), value);
        auto w = openManager();
        QVERIFY(w);
        QVERIFY(w->networks().isEmpty() && w->encryptionTypes().isEmpty() && w->signalLevels().isEmpty());
        QVERIFY(shownRows(*w).isEmpty());
    }

    void sixNetworksScrollByOne()
    {
        qputenv("FROSTPANEL_WIFI_SCAN", "N1|open|-30 dBm;N2|open|-31 dBm;N3|open|-32 dBm;N4|open|-33 dBm;"
                                        "N5|open|-34 dBm;N6|open|-35 dBm");
        settings.setWifiEssid("N5");
        auto w = openManager();
        QVERIFY(w);
        auto *up = child<QPushButton>(*w, "pushButton_3");
        auto *down = child<QPushButton>(*w, "pushButton_2");
        QCOMPARE(shownRows(*w), (QStringList{"N1", "N2", "N3", "N4"}));
        QVERIFY(!up->isEnabled());
        down->click();
        down->click();
        QCOMPARE(shownRows(*w), (QStringList{"N3", "N4", "N5", "N6"}));
        QVERIFY(!down->isEnabled());
        down->click(); // no further
        QCOMPARE(w->firstVisibleRow(), 2);
        // The stored network's row is green, the others white.
        QVERIFY(child<QLabel>(*w, "step_3")->styleSheet().contains("background-color: rgb(88, 186, 72);"));
        QVERIFY(child<QLabel>(*w, "step_2")->styleSheet().contains("background-color: rgb(255, 255, 255);"));
        for (int i = 0; i < 3; ++i)
            up->click();
        QCOMPARE(w->firstVisibleRow(), 0);
        QCOMPARE(shownRows(*w), (QStringList{"N1", "N2", "N3", "N4"}));
    }

    // ---- connecting -------------------------------------------------------------

    void passwordRules_data()
    {
        QTest::addColumn<QString>("encryption");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("message"); // empty: joined
        QTest::newRow("WPA2, 7 characters") << "wpa2" << "1234567"
                                            << "La password deve avere una lunghezza maggiore di 7 caratteri";
        QTest::newRow("WPA2, 8 characters") << "wpa2" << "12345678" << "";
        QTest::newRow("WEP, 12 characters") << "wep" << "abcdefghijkl"
                                            << "La password deve avere una lunghezza maggiore di 12 caratteri";
        QTest::newRow("WEP, 13 characters") << "wep" << "abcdefghijklm" << "";
        QTest::newRow("WEP, 14: the client takes 5, 13 or 16") << "wep" << "abcdefghijklmn" << kFailed;
    }
    void passwordRules()
    {
        QFETCH(QString, encryption);
        QFETCH(QString, key);
        QFETCH(QString, message);
        qputenv("FROSTPANEL_WIFI_SCAN", ("Bar Cucina|" + encryption + "|-50 dBm").toUtf8());
        auto w = openManager();
        QVERIFY(w);
        choose(*w, "Bar Cucina");
        QVERIFY(child(*w, "groupBox")->isVisible() && child(*w, "wifikey")->isVisible());
        typePassword(*w, key);
        QCOMPARE(child<QLabel>(*w, "wifikey")->text(), QString(key.size(), '*'));
        QVERIFY(connectAndWait(*w));
        QVERIFY(!child(*w, "groupBox_2")->isVisible() && !child(*w, "groupBox")->isVisible());

        UserSettings saved;
        saved.load();
        if (message.isEmpty()) {
            QCOMPARE(shownMessages(), QStringList{kJoined});
            QVERIFY(wifiConnect);
            QCOMPARE(saved.getWifiEssid(), QString("Bar Cucina"));
            QCOMPARE(saved.getWifiKey(), key);
            QCOMPARE(int(saved.getWifiAutentication()), encryption == "wep" ? 1 : 2);
        } else {
            QCOMPARE(shownMessages(), QStringList{message});
            QVERIFY(!wifiConnect);
            QVERIFY(saved.getWifiEssid().isEmpty());
            // Refused before any tool ran, or the previous (no) configuration back.
            QVERIFY(!QFile::exists(root->path("/home/root/wifi.conf")));
        }
    }

    void openNetworkNeedsNoPassword()
    {
        qputenv("FROSTPANEL_WIFI_SCAN", "Kitchen-Guest|open|-75 dBm");
        storeNetwork("Home", 2, "home-passphrase");
        auto w = openManager();
        QVERIFY(w);
        choose(*w, "Kitchen-Guest");
        QVERIFY(!child(*w, "wifikey")->isVisible());
        QVERIFY(connectAndWait(*w));
        QCOMPARE(shownMessages(), QStringList{kJoined});
        QCOMPARE(root->readFile("/home/root/wifi.conf"),
                 QByteArray("network={\n\tssid=\"Kitchen-Guest\"\n\tkey_mgmt=NONE\n}"));
        UserSettings saved;
        saved.load();
        QCOMPARE(saved.getWifiEssid(), QString("Kitchen-Guest"));
        QVERIFY(saved.getWifiKey().isEmpty());
        QCOMPARE(int(saved.getWifiAutentication()), 0);
        // The steps in their order.
        QStringList tools;
        for (const QString &c : calls())
            if (!c.startsWith("iwlist"))
                tools << c;
        QCOMPARE(tools, (QStringList{"iwconfig ", "ifdown wlan0", "ifup wlan0", "iwconfig wlan0"}));
    }

    // The stored network's field shows asterisks: connecting without typing
    // uses the stored key.
    void storedNetworkKeepsItsKey()
    {
        qputenv("FROSTPANEL_WIFI_SCAN", "Home|wpa2|-50 dBm");
        qputenv("FROSTPANEL_WIFI_PASSWORD", "home-passphrase");
        storeNetwork("Home", 2, "home-passphrase");
        auto w = openManager();
        QVERIFY(w);
        choose(*w, "Home");
        QCOMPARE(child<QLabel>(*w, "wifikey")->text(), QString("*********"));
        QVERIFY(connectAndWait(*w));
        QCOMPARE(shownMessages(), QStringList{kJoined});
        QCOMPARE(settings.getWifiKey(), QString("home-passphrase"));
    }

    void failuresRestoreThePreviousNetwork_data()
    {
        QTest::addColumn<QString>("variable"); // set after the scan
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("only ESSID:off/any") << "FROSTPANEL_WIFI_ASSOC" << "off" << kNotJoined;
        QTest::newRow("wrong password") << "FROSTPANEL_WIFI_PASSWORD" << "other" << kNotJoined;
        QTest::newRow("joined elsewhere") << "FROSTPANEL_WIFI_ASSOC" << "essid:Guest2" << kNotJoined;
        QTest::newRow("check prints nothing") << "FROSTPANEL_WIFI_ASSOC" << "none" << kFailed;
        QTest::newRow("no interface") << "FROSTPANEL_WIFI_NO_WLAN0" << "1"
                                      << "Verificare la presenza dell'adattatore WiFi";
        QTest::newRow("ifup missing") << "PATH" << "" << kFailed;
    }
    void failuresRestoreThePreviousNetwork()
    {
        QFETCH(QString, variable);
        QFETCH(QString, value);
        QFETCH(QString, message);
        qputenv("FROSTPANEL_WIFI_SCAN", "Guest|wpa2|-60 dBm;Home|wpa2|-50 dBm");
        storeNetwork("Home", 2, "home-passphrase");
        const QByteArray homeBlock = root->readFile("/home/root/wifi.conf");
        auto w = openManager();
        QVERIFY(w);
        choose(*w, "Guest");
        typePassword(*w, "guest-passphrase");
        if (variable == "PATH") {
            // Every stand-in but ifup, through a folder of links.
            QVERIFY(root->mkpath("/bin"));
            for (const char *tool : {"iwconfig", "iwlist", "ifdown"})
                QVERIFY(QFile::link(qgetenv("FROSTPANEL_SOURCE_DIR") + "/tools/demo-bin/" + tool,
                                    root->path("/bin/") + tool));
            QVERIFY(QFile::copy(qgetenv("FROSTPANEL_SOURCE_DIR") + "/tools/demo-bin/standin.sh",
                                root->path("/bin/standin.sh")));
            qputenv("PATH", root->path("/bin").toLocal8Bit() + ":/usr/bin:/bin");
        } else {
            qputenv(variable.toUtf8().constData(), value.toUtf8());
        }
        const bool ended = connectAndWait(*w);
        qputenv("PATH", qgetenv("FROSTPANEL_SOURCE_DIR") + "/tools/demo-bin:" + savedPath);
        QVERIFY(ended);
        // Shown once; the previous network's block is back and the interface
        // pointed at it; nothing new stored.
        QCOMPARE(shownMessages(), QStringList{message});
        QCOMPARE(root->readFile("/home/root/wifi.conf"), homeBlock);
        QCOMPARE(calls().last(), QString("iwconfig wlan0 essid Home"));
        QCOMPARE(settings.getWifiEssid(), QString("Home"));
        QVERIFY(!wifiConnect);
        UserSettings saved;
        saved.load();
        QCOMPARE(saved.getWifiEssid(), QString("Home"));
    }

    // A tool that never ends is killed at the limit and fails with the
    // screen's message; meanwhile the event loop goes on.
    void hangingToolKilledAtTheLimit_data()
    {
        QTest::addColumn<QByteArray>("hang");
        QTest::addColumn<QString>("message"); // empty: the scan
        QTest::newRow("scan") << QByteArray("iwlist") << QString();
        QTest::newRow("interface lookup") << QByteArray("iwconfig:") << "Verificare la presenza dell'adattatore WiFi";
        QTest::newRow("ifup") << QByteArray("ifup") << kFailed;
        QTest::newRow("association check") << QByteArray("iwconfig:wlan0") << kFailed;
    }
    void hangingToolKilledAtTheLimit()
    {
        QFETCH(QByteArray, hang);
        QFETCH(QString, message);
        constexpr int kLimit = 1500;
        ToolRun::setLimitMsForTests(kLimit);
        qputenv("FROSTPANEL_WIFI_SCAN", "Guest|open|-60 dBm");
        // "iwconfig:" is the call without arguments.
        std::unique_ptr<WiFiManager> w;
        QElapsedTimer clock;
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(50);
        if (message.isEmpty()) {
            qputenv("FROSTPANEL_WIFI_HANG", hang);
            w = std::make_unique<WiFiManager>();
            QSignalSpy listed(w.get(), &WiFiManager::scanListed);
            w->show();
            clock.start();
            QVERIFY(listed.wait(kLimit + 3000));
            QVERIFY(w->networks().isEmpty());
        } else {
            w = openManager();
            QVERIFY(w);
            choose(*w, "Guest");
            qputenv("FROSTPANEL_WIFI_HANG", hang);
            QSignalSpy ended(w.get(), &WiFiManager::chainEnded);
            clock.start();
            child<QPushButton>(*w, "pushButton_5")->click();
            QTest::qWait(kLimit / 2);
            QVERIFY(w->busy() && child(*w, "groupBox_2")->isVisible());
            QVERIFY(ended.wait(kLimit + 3000));
            QCOMPARE(shownMessages(), QStringList{message});
        }
        const qint64 took = clock.elapsed();
        QVERIFY2(took >= kLimit - 100 && took < kLimit + 2000, qPrintable(QString::number(took)));
        // The screen went on: about one tick per 50 ms throughout.
        QVERIFY2(ticks >= took / 50 / 2, qPrintable(QString::number(ticks)));
        // The hung tool is gone.
        pid_t pid = 0;
        for (const QString &c : calls())
            if (c.startsWith("hang "))
                pid = c.mid(5).toInt();
        QVERIFY(pid > 0);
        QTRY_VERIFY(::kill(pid, 0) != 0);
    }

    // ---- details and forgetting ------------------------------------------------

    void details()
    {
        qputenv("FROSTPANEL_WIFI_SCAN", "Other|open|-30 dBm;Home|wpa2|-67 dBm");
        auto w = openManager();
        QVERIFY(w);
        child<QPushButton>(*w, "pushButton_8")->click();
        QCOMPARE(shownMessages(), QStringList{"Operazione non disponibile nessuna rete selezionata."});
        closeErrors();

        settings.setWifiEssid("Home");
        settings.setWifiAutentication(2);
        wifiConnect = true;
        child<QPushButton>(*w, "pushButton_8")->click();
        QVERIFY(child(*w, "groupBox_3")->isVisible());
        QCOMPARE(child<QLabel>(*w, "label_5")->text(),
                 QString("ESSID: Home\nAUTENTICATION TYPE: WPA2\nCONNECTED: YES\nSIGNAL LEVEL: GOOD\n"));
        // A touch on the backdrop closes it.
        QTest::mouseClick(child(*w, "label_28"), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!child(*w, "groupBox_3")->isVisible());
    }

    void forgettingIsSaved()
    {
        qputenv("FROSTPANEL_WIFI_SCAN", "Home|wep|-50 dBm");
        storeNetwork("Home", 1, "abcdefghijklm");
        auto w = openManager();
        QVERIFY(w);
        QSignalSpy ended(w.get(), &WiFiManager::chainEnded);
        child<QPushButton>(*w, "settingvaluehide_2")->click();
        QVERIFY(shownWindow<DialogMessage>() && clickKey(shownWindow<DialogMessage>(), "YES"));
        QVERIFY(ended.wait(5000));
        UserSettings saved;
        saved.load();
        QVERIFY(saved.getWifiEssid().isEmpty() && saved.getWifiKey().isEmpty());
        QCOMPARE(int(saved.getWifiAutentication()), 0);
        QVERIFY(!QFile::exists(root->path("/home/root/wifi.conf")));
        QCOMPARE(calls().last(), QString("iwconfig wlan0 essid off"));
        QVERIFY(child<QLabel>(*w, "step_1")->styleSheet().contains("rgb(255, 255, 255)"));
    }

    // The keys typed and stored reach neither the log nor any command line.
    void passwordKeptOffLogsAndCommandLines()
    {
        QStringList log;
        platform::setLogSink([&](const std::string &line) { log << QString::fromStdString(line); });
        qputenv("FROSTPANEL_WIFI_SCAN", "Guest|wpa2|-60 dBm;Home|wep|-50 dBm");
        qputenv("FROSTPANEL_WIFI_PASSWORD", "guest-passphrase");
        storeNetwork("Home", 1, "abcdefghijklm");
        auto w = openManager();
        QVERIFY(w);
        // A wrong password (the stored WEP network is restored), then the right one.
        choose(*w, "Guest");
        typePassword(*w, "wrong-passphrase");
        QVERIFY(connectAndWait(*w));
        QCOMPARE(shownMessages(), QStringList{kNotJoined});
        closeErrors();
        choose(*w, "Guest");
        typePassword(*w, "guest-passphrase");
        QVERIFY(connectAndWait(*w));
        QCOMPARE(shownMessages(), QStringList{kJoined});
        QVERIFY(keyboardReturn.isEmpty());

        const QString everything = log.join('\n') + '\n' + calls().join('\n');
        QVERIFY(calls().size() > 8);
        for (const char *secret : {"wrong-passphrase", "guest-passphrase", "abcdefghijklm"})
            QVERIFY2(!everything.contains(secret), secret);
    }
};

QTEST_MAIN(TestWiFiManager)
#include "tst_wifimanager.moc"
