// The firmware page: what it refuses before the board is told anything, and
// an update from the USB stick through the link thread to the simulated
// board's loader, with its progress and its outcome.

#include "support_settings.h"

#include "BoardSimProcess.h"
#include "HexFiles.h"

#include "app/ErrorMessage.h"
#include "app/SuccessDialog.h"
#include "app/Utils.h"
#include "app/WaitResponseCmd.h"
#include "link/FirmwareHex.h"
#include "link/FirmwareUpdate.h"
#include "link/ProtocolConversion.h"
#include "settings/SettingsForm_P2.h"

namespace {

void closeAll()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            w->close();
}

QString labelText(QWidget *page, const char *name)
{
    return page->findChild<QLabel *>(name)->text().trimmed();
}

} // namespace

class TestFirmwarePage : public QObject
{
    Q_OBJECT

    TempRoot root; // one for the whole run: the link thread reads paths under it
    BoardSimProcess sim;
    std::unique_ptr<RunningLink> link;
    const QString stickFile = "/mnt/usb-memory/fw-2.01.00-update.hex";

    bool board(const QString &command) { return sim.command(command) == "ok"; }

    // The page, its update key pressed.
    QPointer<SettingsForm_P2> pressUpdate()
    {
        QPointer<SettingsForm_P2> page = new SettingsForm_P2;
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        page->findChild<QPushButton *>("update")->click();
        return page;
    }

private slots:
    void initTestCase()
    {
        initAppResources();
        QVERIFY(sim.start());
        qputenv("FROSTPANEL_SERIAL", sim.devicePath().toLocal8Bit());
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
        clearQueueAndWaitFlags();
        QDir(root.path("/mnt/usb-memory")).removeRecursively();
        root.mkpath("/mnt/usb-memory");
        usbMount = true;
        fwUpdateStarted = false;
        fwVersion = std::string("2.00.05");
        enableScreenSaver = true;
    }
    void cleanup()
    {
        closeAll();
        QTest::qWait(50);
    }

    void pageShowsVersionsAndTheStickFile()
    {
        swVersion = std::string("1.01.01");
        QVERIFY(root.writeFile(stickFile, hexfiles::firmware(0, 2)));
        QPointer<SettingsForm_P2> page = new SettingsForm_P2;
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        QCOMPARE(labelText(page, "board_version"), QString("2.00.05"));
        QCOMPARE(labelText(page, "software_version"), QString("1.01.01"));
        QCOMPARE(labelText(page, "file_name"), QString("fw-2.01.00-update.hex"));
        // It follows what changes under it: the board's answer, the stick.
        fwVersion.clear();
        QVERIFY(QFile::remove(root.path(stickFile)));
        QTRY_COMPARE(labelText(page, "board_version"), QString("----"));
        QTRY_COMPARE(labelText(page, "file_name"), QString("No firmware file"));
        usbMount = false;
        QTRY_COMPARE(labelText(page, "file_name"), QString("No USB stick"));
        page->close();
        QTRY_VERIFY(page.isNull());
    }

    // Nothing is queued and no update is marked as running.
    void refusedBeforeTheBoardIsTold_data()
    {
        QTest::addColumn<QByteArray>("file"); // empty: none
        QTest::addColumn<bool>("stick");
        QTest::addColumn<QString>("error");
        const QByteArray good = hexfiles::firmware(2, 8);
        QByteArray badSum = good;
        const int at = good.lastIndexOf(":10D0") + 20;
        badSum[at] = badSum[at] == 'A' ? 'B' : 'A';
        QTest::newRow("no file") << QByteArray() << true << "Firmware file not found.";
        QTest::newRow("no stick") << good << false << "Usb memory not installed.";
        QTest::newRow("too large to be firmware")
            << QByteArray(int(FirmwareHex::kMaxFileBytes) + 10, '\n') << true << "Firmware file not found.";
        // The kinds of damage are the file check's own test; one late in the file here.
        QTest::newRow("record checksum") << badSum << true << "Firmware file not valid.";
    }
    void refusedBeforeTheBoardIsTold()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, stick);
        QFETCH(QString, error);
        if (!file.isEmpty())
            QVERIFY(root.writeFile(stickFile, file));
        usbMount = stick;
        QPointer<SettingsForm_P2> page = pressUpdate();
        QCOMPARE(shownErrors(), QStringList(error));
        QVERIFY(!page->progressDialog() && !fwUpdateStarted);
        QVERIFY(takeQueue().empty());
        QTest::qWait(300);
        QCOMPARE(sim.value("count 48"), QString("0"));
    }

    // The whole update: the page marks it as running, the progress moves
    // record by record, and the success leaves the version to be asked anew.
    void updateFromTheStick()
    {
        const QByteArray text = hexfiles::firmware(6, 120);
        const int records = hexfiles::lineCount(hexfiles::fromD000(text));
        QVERIFY(root.writeFile(stickFile, text));
        QVERIFY(board("late 25 loader"));
        QPointer<SettingsForm_P2> page = pressUpdate();
        QPointer<WaitResponseCmd> progress = page->progressDialog();
        QVERIFY(progress && progress->isVisible() && progress->progressBarActive());
        QCOMPARE(progress->displayText(), QString("Update Firmware."));
        QVERIFY(fwUpdateStarted);
        // The graphical thread is never held up meanwhile: a 20 ms timer keeps ticking.
        QElapsedTimer gap;
        gap.start();
        qint64 worstGap = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] {
            worstGap = qMax(worstGap, gap.restart());
        });
        tick.start(20);
        QList<int> seen;
        while (progress && seen.size() < 1000) {
            const int v = progress->progressValue();
            if (seen.isEmpty() || seen.last() != v)
                seen << v;
            QTest::qWait(30);
        }
        tick.stop();
        QVERIFY2(worstGap < 250, qPrintable(QString::number(worstGap)));
        QVERIFY2(seen.size() >= 4, qPrintable(QString::number(seen.size())));
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QVERIFY(seen.last() <= records);

        QTRY_VERIFY(shownWindow<SuccessDialog>());
        QVERIFY(shownErrors().isEmpty());
        QCOMPARE(actualWaitProgress.load(), records);
        QCOMPARE(sim.value("records"), QString::number(records));
        QVERIFY(!fwUpdateStarted && enableScreenSaver);
        QVERIFY(fwVersion.empty());
        // The board answers its polls again.
        const int polls = sim.value("count 112").toInt();
        QTRY_VERIFY_WITH_TIMEOUT(sim.value("count 112").toInt() > polls, 3000);
    }

    void failedUpdatesSayWhere_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("error");
        QTest::newRow("loader refuses entry") << "loader entry bad" << "Firmware upgrade not started.";
        QTest::newRow("a line refused") << "loader nack 3" << "Firmware upgrade not ended correctly.";
    }
    void failedUpdatesSayWhere()
    {
        QFETCH(QString, fault);
        QFETCH(QString, error);
        QVERIFY(root.writeFile(stickFile, hexfiles::firmware(1, 10)));
        QVERIFY(board(fault));
        QPointer<SettingsForm_P2> page = pressUpdate();
        QVERIFY(page->progressDialog());
        QTRY_VERIFY_WITH_TIMEOUT(!page->progressDialog(), 10000);
        QTRY_COMPARE(shownErrors(), QStringList(error));
        QVERIFY(!shownWindow<SuccessDialog>());
        QVERIFY(!fwUpdateStarted);
        QCOMPARE(QString::fromStdString(fwVersion.get()), QString("2.00.05"));
    }
};

QTEST_MAIN(TestFirmwarePage)
#include "tst_firmwarepage.moc"
