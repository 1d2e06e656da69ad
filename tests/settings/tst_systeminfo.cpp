// The system information page: the values of the machine state, "-" for
// what is not known, the firmware version that arrives while the page is
// open, and the choice of the address shown.

#include "support_settings.h"

#include "app/Utils.h"
#include "data/UserSettings.h"
#include "remote/RemoteState.h"
#include "settings/SystemInfo.h"

Q_DECLARE_METATYPE(QList<SystemInfo::InterfaceAddress>)

namespace {

QString value(QWidget *w, const QString &row) { return w->findChild<QLabel *>(row + "_value")->text(); }

SystemInfo::InterfaceAddress entry(const QString &name, const QString &ip, bool up = true)
{
    SystemInfo::InterfaceAddress a;
    a.interfaceName = name;
    a.address = QHostAddress(ip);
    a.loopback = name == QLatin1String("lo");
    a.up = up;
    return a;
}

bool rolling(QLabel *label)
{
    RollingLock lock;
    for (const QPointer<QLabel> &l : listRollingObject)
        if (l == label)
            return true;
    return false;
}

} // namespace

class TestSystemInfo : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        closeWindows();
        swVersion.clear();
        fwVersion.clear();
        fwFrequency.clear();
        serialNumber.clear();
        settings.setWifiEssid(QString());
        settings.setHz(QString());
        settings.setVoltage(QString());
        wifiConnect = false;
    }

    void showsTheMachineState_data()
    {
        QTest::addColumn<QString>("sw");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("essid");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QStringList>("expected"); // software, serial, Wi-Fi
        QTest::newRow("known, connected")
            << "1.01.01" << "FP2-0417" << "Kitchen" << true << QStringList{"1.01.01", "FP2-0417", "Kitchen (connected)"};
        QTest::newRow("known, not connected") << "1.01.01" << "FP2-0417" << "Kitchen" << false
                                              << QStringList{"1.01.01", "FP2-0417", "Kitchen (not connected)"};
        QTest::newRow("nothing known") << "" << "" << "" << true << QStringList{"-", "-", "-"};
        QTest::newRow("control characters are no value")
            << " \r\n" << "\x01\x02" << "\t" << false << QStringList{"-", "-", "-"};
    }
    void showsTheMachineState()
    {
        QFETCH(QString, sw);
        QFETCH(QString, serial);
        QFETCH(QString, essid);
        QFETCH(bool, connected);
        QFETCH(QStringList, expected);
        swVersion = sw.toStdString();
        serialNumber = serial.toStdString();
        settings.setWifiEssid(essid);
        wifiConnect = connected;
        SystemInfo page;
        QCOMPARE((QStringList{value(&page, "software"), value(&page, "serial"), value(&page, "wifi")}), expected);
        // The address is one the machine has, or "-".
        const QString address = value(&page, "address");
        QVERIFY2(address == "-" || QHostAddress(address).protocol() == QAbstractSocket::IPv4Protocol,
                 qPrintable(address));
    }

    // The board answers after the page opened: the page follows within its
    // refresh, and a rolling value keeps rolling meanwhile.
    void followsTheStateWhileOpen()
    {
        settings.setWifiEssid(QStringLiteral("A network name of thirty-two ch"));
        SystemInfo page;
        page.show();
        QCOMPARE(value(&page, "firmware"), QString("-"));
        auto *wifi = page.findChild<QLabel *>("wifi_value");
        QVERIFY(rolling(wifi));
        rollRollingObjects();
        const QString rolled = wifi->text();
        fwVersion = std::string("2.00.05");
        wifiConnect = true;
        QTRY_COMPARE_WITH_TIMEOUT(value(&page, "firmware"), QString("2.00.05"), 3 * SystemInfo::kRefreshMs);
        // The connection changed the text: it starts again from the beginning.
        QTRY_VERIFY(wifi->text().startsWith("A network name of thirty-two ch (connected)"));
        rollRollingObjects();
        const QString rolledAgain = wifi->text();
        QTest::qWait(SystemInfo::kRefreshMs + 200);
        QCOMPARE(wifi->text(), rolledAgain); // a refresh with nothing new leaves the rolling alone
        QVERIFY(rolled != rolledAgain);
        QVERIFY(!rolling(page.findChild<QLabel *>("firmware_value")));
    }

    void mainsLine_data()
    {
        QTest::addColumn<QString>("board");
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("hz");
        QTest::addColumn<QString>("expected");
        QTest::newRow("board's voltage, settings' frequency") << "230V 50Hz" << "0" << "50" << "230 V  50 Hz";
        QTest::newRow("board not heard yet, option 0") << "" << "0" << "50" << "50 Hz";
        QTest::newRow("board's label unknown, settings' volts") << "xxxV50Hz" << "230" << "50" << "230 V  50 Hz";
        QTest::newRow("no frequency in the settings") << "230V 60Hz" << "0" << "" << "230 V  60 Hz";
        QTest::newRow("nothing known") << "" << "" << "" << "-";
        QTest::newRow("garbage") << "\x01V" << "abc" << "5\x01" << "-";
    }
    void mainsLine()
    {
        QFETCH(QString, board);
        QFETCH(QString, voltage);
        QFETCH(QString, hz);
        QFETCH(QString, expected);
        QCOMPARE(SystemInfo::mainsText(board, voltage, hz), expected);
        fwFrequency = board.toStdString();
        settings.setVoltage(voltage);
        settings.setHz(hz);
        SystemInfo page;
        QCOMPARE(value(&page, "mains"), expected);
    }

    void addressChoice_data()
    {
        QTest::addColumn<QList<SystemInfo::InterfaceAddress>>("addresses");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Wi-Fi before cable") << QList<SystemInfo::InterfaceAddress>{
            entry("lo", "127.0.0.1"), entry("eth0", "10.0.0.5"), entry("wlan0", "fe80::1"),
            entry("wlan0", "192.168.1.20")} << "192.168.1.20";
        QTest::newRow("no Wi-Fi address: any other") << QList<SystemInfo::InterfaceAddress>{
            entry("lo", "127.0.0.1"), entry("wlan0", "fe80::1"), entry("eth0", "10.0.0.5")} << "10.0.0.5";
        QTest::newRow("interfaces that are down do not count") << QList<SystemInfo::InterfaceAddress>{
            entry("wlan0", "192.168.1.20", false), entry("eth0", "10.0.0.5")} << "10.0.0.5";
        QTest::newRow("loopback only") << QList<SystemInfo::InterfaceAddress>{entry("lo", "127.0.0.1")} << "";
        QTest::newRow("none") << QList<SystemInfo::InterfaceAddress>{} << "";
    }
    void addressChoice()
    {
        QFETCH(QList<SystemInfo::InterfaceAddress>, addresses);
        QFETCH(QString, expected);
        QCOMPARE(SystemInfo::chooseAddress(addresses), expected);
    }
};

QTEST_MAIN(TestSystemInfo)
#include "tst_systeminfo.moc"
