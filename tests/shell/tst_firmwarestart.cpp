// The home screen's own firmware updates, against the simulated board: the
// board's pending copy once the machine is ready, the stick's file when the
// board has no firmware; what the home screen does meanwhile and afterwards.

#include "support_shell.h"

#include "HexFiles.h"

#include "app/ErrorMessage.h"
#include "app/SuccessDialog.h"
#include "app/WaitResponseCmd.h"
#include "data/UserSettings.h"
#include "errors/ErrorManager.h"
#include "link/FirmwareUpdate.h"
#include "shell/MainWindow.h"
#include "shell/SettingsForm.h"
#include "shell/StartUp.h"
#include "shell/Wiring.h"
#include "cleaning/ManualHandling.h"
#include "settings/SettingsForm_P2.h"


class TestFirmwareStart : public QObject
{
    Q_OBJECT

    TempRoot root; // one for the whole run: the link thread reads paths under it
    BoardSimProcess sim;
    std::unique_ptr<RunningLink> link;
    std::unique_ptr<MainWindow> home;
    const QString boardCopy = "/home/root/velt_fw";
    const QString stickFile = "/mnt/usb-memory/fw-2.01.00-update.hex";

    void openHome()
    {
        home = std::make_unique<MainWindow>();
        home->show();
        if (home->startDialog())
            home->startDialog()->close();
    }
    void closeHome()
    {
        home.reset();
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
        QTest::qWait(50);
    }
    void waitTicks(int n) { QTest::qWait(n * MainWindow::kPollMs + 50); }
    bool board(const QString &command) { return sim.command(command) == "ok"; }
    int boardCount(const QString &code) { return sim.value("count " + code).toInt(); }
    // What start-up does with the machine state: a pending board copy is found.
    void restart()
    {
        startup::resetMachineState();
        usbMount = true;
    }
    // Waits for the update the home screen started to end; false if none ran.
    bool updateRuns()
    {
        QElapsedTimer t;
        t.start();
        while (!home->firmwareProgressDialog() && t.elapsed() < 5000)
            QTest::qWait(20);
        QPointer<WaitResponseCmd> progress = home->firmwareProgressDialog();
        if (!progress || !fwUpdateStarted || !progress->isVisible())
            return false;
        while (progress && t.elapsed() < 20000)
            QTest::qWait(20);
        return progress.isNull();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(sim.start());
        qputenv("FROSTPANEL_SERIAL", sim.devicePath().toLocal8Bit());
        errorSystem.fillErrorTable();
        errorSystem.loadData();
        wireLayers();
        FirmwareUpdate::setWaitsForTests({100, 100, 5});
        link = std::make_unique<RunningLink>();
    }
    void cleanupTestCase()
    {
        link.reset();
        FirmwareUpdate::setWaitsForTests(FirmwareUpdate::Waits());
    }
    void init()
    {
        QVERIFY(board("reset all"));
        settings.setScreenSaverTime(60);
        QVERIFY(settings.save() && settings.load());
        lastUserEventOccurred = uint64_t(platform::nowSeconds()) + 3600;
        enableScreenSaver = true;
        QFile::remove(root.path(boardCopy));
        QFile::remove(root.path(boardCopy + ".flashed"));
        QDir(root.path("/mnt/usb-memory")).removeRecursively();
        root.mkpath("/mnt/usb-memory");
        fwVersion = std::string("2.00.05");
        restart();
        clearQueueAndWaitFlags();
    }
    void cleanup() { closeHome(); }

    // The pending copy goes in once the machine is ready; afterwards the
    // board's new version is asked for, and the next start finds nothing
    // pending.
    void boardCopyIsFlashedOnce()
    {
        const QByteArray text = hexfiles::firmware(3, 20);
        QVERIFY(root.writeFile(boardCopy, text));
        QVERIFY(board("loader version 2.01.00"));
        restart();
        QVERIFY(forceFwUpdate);
        openHome();
        QVERIFY(updateRuns());
        QTRY_VERIFY(shownWindow<SuccessDialog>());
        QVERIFY(shownErrors().isEmpty() && !fwUpdateStarted && enableScreenSaver);
        QCOMPARE(sim.value("records"), QString::number(hexfiles::lineCount(hexfiles::fromD000(text))));
        QVERIFY(!QFile::exists(root.path(boardCopy)));
        QCOMPARE(root.readFile(boardCopy + ".flashed"), text);
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(fwVersion.get()), QString("2.01.00"), 5000);
        QCOMPARE(boardCount("118"), 1);

        closeHome();
        restart();
        QVERIFY(!forceFwUpdate);
        openHome();
        waitTicks(6);
        QVERIFY(!home->firmwareProgressDialog());
        QCOMPARE(boardCount("48"), 1);
    }

    // Success or not, the update ends: the home screen follows the board
    // again. A copy the board did not take stays for the next start.
    void failedUpdateHandsTheScreenBack_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("error");
        QTest::newRow("loader refuses entry") << "loader entry bad" << "Firmware upgrade not started.";
        QTest::newRow("a line refused") << "loader nack 2" << "Firmware upgrade not ended correctly.";
    }
    void failedUpdateHandsTheScreenBack()
    {
        QFETCH(QString, fault);
        QFETCH(QString, error);
        QVERIFY(root.writeFile(boardCopy, hexfiles::firmware(0, 6)));
        QVERIFY(board(fault));
        restart();
        openHome();
        QVERIFY(updateRuns());
        QTRY_COMPARE(shownErrors(), QStringList(error));
        QVERIFY(!fwUpdateStarted && QFile::exists(root.path(boardCopy)));
        QCOMPARE(QString::fromStdString(fwVersion.get()), QString("2.00.05"));
        // The board is reset out of its loader: its state shows again.
        QVERIFY(board("loader off") && board("set ready 0"));
        QTRY_VERIFY_WITH_TIMEOUT(home->resetWaitDialog()->isVisible(), 3000);
        QCOMPARE(boardCount("48"), 1);
    }

    // A board without firmware says so in its first status reply: the
    // stick's file goes in, or the operator is told to insert a stick.
    void boardWithoutFirmware_data()
    {
        QTest::addColumn<bool>("stick");
        QTest::newRow("stick with the file") << true;
        QTest::newRow("no stick") << false;
    }
    void boardWithoutFirmware()
    {
        QFETCH(bool, stick);
        QVERIFY(root.writeFile(stickFile, hexfiles::firmware(2, 10)));
        QVERIFY(board("set nofirmware 1") && board("loader version 2.01.00"));
        usbMount = stick;
        openHome();
        if (!stick) {
            QTRY_COMPARE_WITH_TIMEOUT(shownErrors(), QStringList("Usb memory not installed."), 3000);
            waitTicks(3);
            QCOMPARE(shownErrors().size(), 1);
            QVERIFY(!home->firmwareProgressDialog() && !fwUpdateStarted && boardCount("48") == 0);
            return;
        }
        QVERIFY(updateRuns());
        QTRY_VERIFY(shownWindow<SuccessDialog>());
        QCOMPARE(sim.value("get nofirmware"), QString("0"));
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(fwVersion.get()), QString("2.01.00"), 5000);
    }

    // A pending copy that is missing or bad: said so, nothing sent, and the
    // home screen goes on as usual.
    void unusableBoardCopy_data()
    {
        QTest::addColumn<QByteArray>("text"); // empty: no file
        QTest::addColumn<QString>("error");
        QByteArray bad = hexfiles::firmware(0, 4);
        bad.replace(bad.indexOf(":10D010") + 9, 1, "g");
        QTest::newRow("gone") << QByteArray() << "Firmware file not found.";
        QTest::newRow("malformed line") << bad << "Firmware file not valid.";
    }
    void unusableBoardCopy()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        if (!text.isEmpty())
            QVERIFY(root.writeFile(boardCopy, text));
        forceFwUpdate = true;
        fwVersion.clear();
        openHome();
        QTRY_COMPARE_WITH_TIMEOUT(shownErrors(), QStringList(error), 3000);
        QVERIFY(!fwUpdateStarted && !forceFwUpdateSend && !home->firmwareProgressDialog());
        // The readiness handling runs: the version is asked for.
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(fwVersion.get()), QString("2.00.05"), 3000);
        QCOMPARE(boardCount("48"), 0);
    }

    // While the board is in its loader the entries open nothing and no
    // screen queues a command; the graphical thread goes on meanwhile.
    void nothingElseWhileUpdating()
    {
        FirmwareUpdate::setWaitsForTests({1500, 1500, 5});
        QVERIFY(root.writeFile(stickFile, hexfiles::firmware(0, 4)));
        openHome();
        QTRY_VERIFY_WITH_TIMEOUT(machineReady, 3000);
        fwNotFound = true; // as the board's first reply would say
        QTRY_VERIFY(home->firmwareProgressDialog());
        QVERIFY(fwUpdateStarted && home->homeInFront());
        fwVersion.clear(); // the readiness handling would ask for it
        QElapsedTimer t;
        t.start();
        home->p1_clicked();
        home->p2_clicked();
        home->p3_clicked();
        home->whip_cut_clicked();
        home->clean_clicked();
        home->settings_clicked();
        QVERIFY(!home->workScreen() && !home->settingsMenu() && home->homeInFront());
        waitTicks(4);
        QVERIFY(t.elapsed() < 2500); // still in the entry wait
        QVERIFY(takeQueue().empty());
        QVERIFY(startUpdateFirmware == 0 && boardCount("118") == 0);
        QTRY_VERIFY_WITH_TIMEOUT(!home->firmwareProgressDialog(), 10000);
        FirmwareUpdate::setWaitsForTests({100, 100, 5});
        // Afterwards the version is asked for and the entries open again.
        QTRY_VERIFY_WITH_TIMEOUT(boardCount("118") == 1, 5000);
        for (QWidget *w : visibleWindows<SuccessDialog>())
            w->close();
        home->settings_clicked();
        QVERIFY(home->settingsMenu());
    }
};

SHELL_TEST_MAIN(TestFirmwareStart)
#include "tst_firmwarestart.moc"
