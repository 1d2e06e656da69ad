// The error statistics page and the sensor page: paging, reset by access
// mode, the exports to a sandbox USB stick (and what a failed one says), the
// sensor word read through the shared bit table, and the simulated board's
// switches reaching the page through the real link thread.

#include "../app/support_app.h"

#include "BoardSimProcess.h"
#include "errors/ErrorManager.h"
#include "errors/ErrorState.h"
#include "errors/SensorState.h"
#include "link/SensorBits.h"
#include "platform/log.h"

namespace {

const QString NoStick = "Restart Machine With Usb Device Mounted.";
const QString Saved = "File Saved on Usb Device.";
const QString NotSaved = "File not saved on Usb Device.";

QLabel *label(QWidget *w, const QString &name)
{
    return w->findChild<QLabel *>(name);
}

QPushButton *button(QWidget *w, const char *name)
{
    return w->findChild<QPushButton *>(name);
}

// The rows of the error page as "code|description|total|consecutive".
QStringList rowsShown(ErrorState &page)
{
    QStringList out;
    for (int i = 0; i < ErrorState::kRowsPerPage; ++i) {
        if (label(&page, QString("code_%1").arg(i))->isHidden())
            continue;
        QStringList cells;
        for (const char *column : {"code", "description", "total", "consecutive"})
            cells << label(&page, QString("%1_%2").arg(column).arg(i))->text().trimmed();
        out << cells.join('|');
    }
    return out;
}

QStringList statesShown(const SensorState &page)
{
    QStringList out;
    for (int i = 0; i < SensorState::kSensors; ++i)
        out << page.stateText(i);
    return out;
}

// The twelve states with the given sensors closed.
QStringList statesWith(std::initializer_list<SensorBits::Sensor> made)
{
    QStringList out;
    for (int i = 0; i < SensorState::kSensors; ++i)
        out << "OPEN";
    for (SensorBits::Sensor s : made)
        out[s] = "CLOSED";
    return out;
}

} // namespace

class ErrorPagesTest : public QObject
{
    Q_OBJECT

    int syncs = 0;
    std::unique_ptr<TempRoot> root;

    // The process-wide manager over this test's files, with these counts.
    void loadCounts(const QMap<int, QPair<quint16, quint32>> &counts)
    {
        QVERIFY(root->writeFile("/home/root/error", errorCounterFile(false, counts)));
        errorSystem.fillErrorTable();
        errorSystem.loadData();
    }

    // Presses the export key of `page` and returns the message it showed.
    QString exportFrom(QWidget *page, const char *key)
    {
        closeErrors();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        button(page, key)->click();
        const QStringList shown = shownErrors();
        closeErrors();
        return shown.join(" + ");
    }

private slots:
    void initTestCase()
    {
        initErrorsResources();
        syscmd::setSyncRunnerForTests([this] { ++syncs; });
        platform::setLogSink([](const std::string &) {});
    }
    void cleanupTestCase() { platform::setLogSink({}); }
    void init()
    {
        root = std::make_unique<TempRoot>();
        advancedUserEnabled = costructorEnable = usbMount = false;
        enableScreenSaver = true;
        requestSensorState = false;
        actualSensorState = 0;
        syncs = 0;
    }
    void cleanup()
    {
        closeWindows();
        closeErrors();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::clearFixedNowForTests();
        root.reset();
    }

    // ---- error statistics -------------------------------------------------------

    // Thirteen codes: 6 + 6 + 1 over three pages; the arrows stop at the
    // ends; a consecutive count at its limit is marked.
    void errorPagePagesSixCodesAtATime()
    {
        loadCounts({{1, {25, 30}}, {6, {2, 70000}}, {7, {0, 4}}, {13, {1, 9}}});
        ErrorState page;
        QCOMPARE(page.listedCodes(), 13);
        QCOMPARE(page.pageCount(), 3);
        QCOMPARE(rowsShown(page), QStringList({"1|Description E1|30|25", "2|Description E2|0|0",
                                               "3|Description E3|0|0", "4|Description E4|0|0",
                                               "5|Description E5|0|0", "6|Description E6|70000|2"}));
        QVERIFY(label(&page, "consecutive_0")->property("atLimit").toBool());  // 25 of 25
        QVERIFY(!label(&page, "consecutive_5")->property("atLimit").toBool()); // 2 of 25
        QCOMPARE(label(&page, "page_label")->text(), QString("1/3"));
        QVERIFY(!button(&page, "up")->isEnabled() && button(&page, "down")->isEnabled());

        button(&page, "down")->click();
        QCOMPARE(rowsShown(page).first(), QString("7|Description E7|4|0"));
        QCOMPARE(rowsShown(page).size(), 6);
        button(&page, "down")->click();
        QCOMPARE(rowsShown(page), QStringList({"13|Description E13|9|1"}));
        QCOMPARE(label(&page, "page_label")->text(), QString("3/3"));
        QVERIFY(button(&page, "up")->isEnabled() && !button(&page, "down")->isEnabled());
        button(&page, "down")->click(); // stays on the last page
        QCOMPARE(page.page(), 2);
        for (int i = 0; i < 3; ++i)
            button(&page, "up")->click();
        QCOMPARE(page.page(), 0);
    }

    void errorPageResetOnlyForTheAdvancedUser()
    {
        loadCounts({{1, {25, 30}}, {5, {3, 8}}});
        {
            ErrorState page;
            page.show();
            QVERIFY(!button(&page, "saveToCSV_2")->isVisible());
            QMetaObject::invokeMethod(&page, "on_saveToCSV_2_clicked"); // not even when called
            QCOMPARE(int(errorSystem.getActualError()[1]), 25);
        }
        advancedUserEnabled = true;
        ErrorState page;
        page.show();
        QVERIFY(button(&page, "saveToCSV_2")->isVisible());
        button(&page, "saveToCSV_2")->click();
        // Consecutive counts cleared and shown so; totals kept; stored.
        QCOMPARE(rowsShown(page).mid(0, 1) + rowsShown(page).mid(4, 1),
                 QStringList({"1|Description E1|30|0", "5|Description E5|8|0"}));
        QVERIFY(!label(&page, "consecutive_0")->property("atLimit").toBool());
        QCOMPARE(root->readFile("/home/root/error"), errorCounterFile(false, {{1, {0, 30}}, {5, {0, 8}}}));
    }

    // Without a stick nothing is written; with it the file is there; a
    // write that fails never claims the file saved.
    void errorPageExport_data()
    {
        QTest::addColumn<bool>("mounted");
        QTest::addColumn<QString>("stick"); // "folder", "file in its place"
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("written");
        QTest::newRow("no stick") << false << "folder" << NoStick << false;
        QTest::newRow("stick") << true << "folder" << Saved << true;
        QTest::newRow("stick unwritable") << true << "file in its place" << NotSaved << false;
    }
    void errorPageExport()
    {
        QFETCH(bool, mounted);
        QFETCH(QString, stick);
        QFETCH(QString, message);
        QFETCH(bool, written);
        serialNumber = "FP-0042";
        platform::setFixedNowForTests(QDateTime(QDate(2025, 3, 4), QTime(10, 20, 30)).toSecsSinceEpoch());
        // A machine without an occurrence log still exports its counters.
        loadCounts({{2, {1, 3}}});
        if (stick == "folder")
            QVERIFY(root->mkpath("/mnt/usb-memory"));
        else
            QVERIFY(root->writeFile("/mnt/usb-memory", "not a folder"));
        usbMount = mounted;
        const QMap<QString, QByteArray> before = root->files();
        ErrorState page;
        QCOMPARE(exportFrom(&page, "saveToCSV"), message);
        const QByteArray file = root->readFile("/mnt/usb-memory/error_details_2025-03-04.csv");
        QCOMPARE(!file.isEmpty(), written);
        if (!written) {
            QCOMPARE(root->files(), before);
            return;
        }
        QVERIFY(file.startsWith("SN: FP-0042\nTOTAL ERROR\nError Name;Error Tot.;Error Att.\n"
                                "ERROR 1 Description E1;0;0\nERROR 2 Description E2;3;1\n"));
        QVERIFY(file.endsWith("Porzioni Lavorate;Pressione\n"));
        QVERIFY(syncs > 0);
    }

    // ---- sensors -------------------------------------------------------------------

    void sensorStatesFollowTheBitTable_data()
    {
        using namespace SensorBits;
        QTest::addColumn<int>("word");
        QTest::addColumn<QStringList>("states");
        QTest::newRow("nothing made") << 0 << statesWith({});
        // Each switch alone: bits 0-6, then 8-12.
        for (int i = 0; i < Count; ++i)
            QTest::newRow(table[i].name) << (i < 7 ? 1 << i : 1 << (i + 1)) << statesWith({Sensor(i)});
        // The eighth switch is on bit 8: bit 7 never comes over the link.
        QTest::newRow("bit 7") << 0x0080 << statesWith({});
        QTest::newRow("bit 8") << 0x0100 << statesWith({BladesMounted});
        QTest::newRow("everything made") << 0x1F7F
                                         << statesWith({Glass, GlassDoorClosed, GasketDoor, UpperLimit, LowerLimit,
                                                        GlassLimit, GlassRedundancy, BladesMounted, BladeRelease,
                                                        BladePosition, BladeTurns, StepperTurns});
        QTest::newRow("bits beyond the table") << 0x6000 << statesWith({});
    }
    void sensorStatesFollowTheBitTable()
    {
        QFETCH(int, word);
        QFETCH(QStringList, states);
        actualSensorState = uint16_t(word);
        SensorState page;
        QCOMPARE(statesShown(page), states);
    }

    // Every 300 ms while open; the link asked for the sensors while any page
    // is open; the screen saver held off and given back only if it was on.
    void sensorPageRefreshAndWhatItHolds()
    {
        auto *page = new SensorState;
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        QVERIFY(requestSensorState && !enableScreenSaver);
        actualSensorState = SensorBits::mask(SensorBits::GasketDoor);
        QCOMPARE(page->stateText(SensorBits::GasketDoor), QString("OPEN")); // not before the tick
        QTRY_COMPARE_WITH_TIMEOUT(page->stateText(SensorBits::GasketDoor), QString("CLOSED"), 1000);

        // A second page (over a run monitor, which holds the saver off).
        enableScreenSaver = false;
        QPointer<SensorState> second = new SensorState;
        second->setAttribute(Qt::WA_DeleteOnClose);
        second->show();
        QVERIFY(page->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(requestSensorState); // the other one still reads them
        QVERIFY(second->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!second);
        QVERIFY(!requestSensorState);
        QVERIFY(enableScreenSaver); // the first page found it on
    }

    void sensorExport_data()
    {
        QTest::addColumn<bool>("mounted");
        QTest::addColumn<QString>("message");
        QTest::newRow("no stick") << false << NoStick;
        QTest::newRow("stick") << true << Saved;
    }
    void sensorExport()
    {
        QFETCH(bool, mounted);
        QFETCH(QString, message);
        platform::setFixedNowForTests(QDateTime(QDate(2025, 3, 4), QTime(23, 59, 0)).toSecsSinceEpoch());
        QVERIFY(root->mkpath("/mnt/usb-memory"));
        usbMount = mounted;
        actualSensorState = SensorBits::mask(SensorBits::Glass) | SensorBits::mask(SensorBits::BladesMounted);
        SensorState page;
        QCOMPARE(exportFrom(&page, "info_save"), message);
        const QMap<QString, QByteArray> files = root->files();
        if (!mounted) {
            QVERIFY(files.isEmpty());
            QCOMPARE(syncs, 0);
            return;
        }
        QCOMPARE(files.keys(), QStringList({"/mnt/usb-memory/sensor_state_2025-03-04.csv"}));
        QCOMPARE(files.first(), QByteArray("SENSOR STATE\nName;State\n"
                                           "Bicchiere;CLOSED\nPorta Bicch. Chiuso;OPEN\nPorta Guarnizione;OPEN\n"
                                           "Fine Corsa SUP.;OPEN\nFine Corsa INF.;OPEN\nFine Corsa BICCH.;OPEN\n"
                                           "Ridondanza BICCH.;OPEN\nLame Montate;CLOSED\nSgancio Lame;OPEN\n"
                                           "Posizione Lame;OPEN\nGiri Lame;OPEN\nGiri Stepper;OPEN\n"));
        QVERIFY(syncs > 0);

        // A stick that cannot take the file: no claim that it was saved.
        QVERIFY(QDir(root->path("/mnt/usb-memory")).removeRecursively());
        QVERIFY(root->writeFile("/mnt/usb-memory", "not a folder"));
        QCOMPARE(exportFrom(&page, "info_save"), NotSaved);
    }

    // The simulated board's switches through the real link thread: the link
    // reads them only while the page is open, and the page shows them.
    void simulatedSwitchesReachThePage()
    {
        BoardSimProcess sim;
        QVERIFY(sim.start());
        qputenv("FROSTPANEL_SERIAL", sim.devicePath().toLocal8Bit());
        RunningLink link;
        QTest::qWait(1500);
        QCOMPARE(sim.value("count 119"), QString("0")); // nothing asked without the page

        auto *page = new SensorState;
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        using namespace SensorBits;
        const QStringList powerOn =
            statesWith({Glass, GlassDoorClosed, GasketDoor, LowerLimit, GlassLimit, GlassRedundancy, BladesMounted});
        QTRY_COMPARE_WITH_TIMEOUT(statesShown(*page), powerOn, 6000);
        QCOMPARE(sim.command("set lid open"), QString("ok"));
        QCOMPARE(sim.command("set position 250"), QString("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(statesShown(*page), statesWith({Glass, GasketDoor, UpperLimit, BladesMounted}),
                                  6000);

        page->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTest::qWait(1500); // a request under way when the page closed may still go out
        const QString asked = sim.value("count 119");
        QTest::qWait(2500);
        QCOMPARE(sim.value("count 119"), asked);
        qunsetenv("FROSTPANEL_SERIAL");
    }
};

QTEST_MAIN(ErrorPagesTest)
#include "tst_errorpages.moc"
