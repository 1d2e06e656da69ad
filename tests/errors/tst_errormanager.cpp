// The error manager: counting, limits, showing once per run, the stored
// counter file and occurrence log (against hand-written bytes) and the CSV
// export to a sandbox USB stick; the work anomaly warning and the filter page.

#include "../app/support_app.h"

#include "app/ErrorMessage.h"
#include "data/WorkingTimer.h"
#include "errors/AnomalyWorking.h"
#include "errors/ErrorManager.h"
#include "errors/FilterChange.h"

class ErrorManagerTest : public QObject
{
    Q_OBJECT

    int syncs = 0;
    std::unique_ptr<TempRoot> root;
    std::unique_ptr<ErrorManager> manager;

    // A manager with its table filled, over the files written so far; with
    // `load`, the stored counters read as at start-up.
    ErrorManager &fresh(bool load = true)
    {
        manager = std::make_unique<ErrorManager>();
        manager->fillErrorTable();
        if (load)
            manager->loadData();
        return *manager;
    }

private slots:
    void initTestCase()
    {
        initErrorsResources();
        syscmd::setSyncRunnerForTests([this] { ++syncs; });
    }
    void init()
    {
        root = std::make_unique<TempRoot>();
        reset_errori();
        ErrorWindowFlag = advancedUserEnabled = costructorEnable = usbMount = false;
        // The work state the link last reported, logged with each error.
        actualFunc = 1;
        actualDir = 255;
        actualCutSpeed = 12;
        actualImmSpeed = 3;
        actualPortion = 8;
        actualPortionWorked = 5;
        actualPression = 0x70;
        takeQueue();
    }
    void cleanup()
    {
        manager.reset();
        root.reset();
        platform::clearFixedNowForTests();
        // Closed dialogs delete themselves on the next pass of the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void countingOnceOrEveryTime()
    {
        ErrorManager e;
        e.setErrorCode(3); // before the home screen has filled the table: logged only
        e.fillErrorTable();
        e.fillErrorTable(); // replaces, does not append
        for (int code : {1, 1, 2, 2, 8, 9, 9, 0, 13, 127})
            e.setErrorCode(uint8_t(code));
        QCOMPARE(e.getActualError().size(), size_t(14));
        QCOMPARE(int(e.getActualError()[1]), 2);
        const auto t = e.getErrorOccunrnce();
        QCOMPARE(QList<quint32>({t[0], t[1], t[2], t[8], t[9], t[13]}), QList<quint32>({0, 2, 1, 1, 1, 1}));
        // A new run counts 2, 8 and 9 once more.
        reset_errori();
        e.setErrorCode(2);
        e.setErrorCode(2);
        QCOMPARE(int(e.getErrorOccunrnce()[2]), 2);
        QVERIFY(e.loadListError()); // every counted occurrence is logged, 3 and 127 too
        QCOMPARE(e.loadedOccurrences(), size_t(9));
    }

    void countersStopAt65500()
    {
        // A total already beyond the limit stays.
        QVERIFY(root->writeFile("/home/root/error", errorCounterFile(false, {{1, {65499, 65499}}, {5, {65500, 4000000000u}}})));
        ErrorManager &e = fresh();
        for (int code : {1, 1, 5})
            e.setErrorCode(uint8_t(code));
        QCOMPARE(QList<int>({e.getActualError()[1], int(e.getErrorOccunrnce()[1]), e.getActualError()[5]}),
                 QList<int>({65500, 65500, 65500}));
        QCOMPARE(e.getErrorOccunrnce()[5], 4000000000u);
    }

    void counterFileBytesAndReset()
    {
        ErrorManager &e = fresh(); // a first start: no file yet
        syncs = 0;
        for (int code : {5, 5, 12})
            e.setErrorCode(uint8_t(code));
        QVERIFY(syncs >= 6); // log and counters, each forced to storage
        const QByteArray counted = errorCounterFile(false, {{5, {2, 2}}, {12, {1, 1}}});
        QCOMPARE(root->readFile("/home/root/error"), counted);
        // Consecutive counts reset for an advanced user only, totals for the builder.
        e.resetConsecutiveError();
        QCOMPARE(root->readFile("/home/root/error"), counted);
        advancedUserEnabled = true;
        e.resetConsecutiveError();
        QCOMPARE(root->readFile("/home/root/error"), errorCounterFile(false, {{5, {0, 2}}, {12, {0, 1}}}));
        costructorEnable = true;
        e.resetConsecutiveError();
        QCOMPARE(root->readFile("/home/root/error"), errorCounterFile(false, {}));
    }

    // The link thread may report a code before the stored counters are read:
    // the file must keep its lifetime totals. And a code pending at its limit
    // must not make the poll rewrite the file on every tick.
    void counterFileIsReadBeforeItIsWrittenAndOnlyWrittenOnChange()
    {
        const QByteArray stored = errorCounterFile(true, {{1, {24, 24}}, {5, {2, 1234}}});
        QVERIFY(root->writeFile("/home/root/error", stored));
        ErrorManager &e = fresh(false);
        e.setErrorCode(5);
        QCOMPARE(root->readFile("/home/root/error"), stored);
        e.loadData();
        e.setErrorCode(5);
        QCOMPARE(root->readFile("/home/root/error"), errorCounterFile(true, {{1, {24, 24}}, {5, {3, 1235}}}));

        errorshow_onetime = true; // an error was already shown in this run
        e.setErrorCode(1);        // 25 of 25
        const int written = syncs;
        for (int tick = 0; tick < 10; ++tick)
            e.displayError();
        QCOMPARE(syncs, written);
    }

    void counterFileLoading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("fatal");
        QTest::addColumn<QList<int>>("counts"); // consecutive 1, total 1, total 13
        const QByteArray whole = errorCounterFile(true, {{1, {3, 70000}}, {13, {1, 9}}});
        QTest::newRow("whole") << whole << true << QList<int>{3, 70000, 9};
        QTest::newRow("torn inside code 7") << whole.left(whole.size() - 40) << true << QList<int>{3, 70000, 0};
        QTest::newRow("missing") << QByteArray() << false << QList<int>{0, 0, 0};
    }
    void counterFileLoading()
    {
        QFETCH(QByteArray, file);
        QVERIFY(file.isEmpty() || root->writeFile("/home/root/error", file));
        ErrorManager &e = fresh();
        QTEST(e.isFatal(), "fatal");
        QCOMPARE(e.getActualError().size(), size_t(14));
        QTEST(QList<int>({e.getActualError()[1], int(e.getErrorOccunrnce()[1]), int(e.getErrorOccunrnce()[13])}),
              "counts");
    }

    void limitsFile()
    {
        QVERIFY(root->writeFile("/home/root/error.csv", "30, 0,abc,-4\r\n7\n\n70000,9,1,2,3,4,5,6,7,8,9,10\n"));
        ErrorManager &e = fresh();
        QList<int> limits;
        for (int code = 0; code < 14; ++code)
            limits << e.consecutiveLimit(uint8_t(code));
        // From code 1 on, across lines; not a number, negative or out of range: the table's value.
        QCOMPARE(limits, QList<int>({0, 30, 0, 0, 0, 7, 25, 9, 1, 2, 3, 4, 5, 6}));
        QCOMPARE(int(e.signalLimit(1)), 30);
    }

    void occurrenceLogBytesAndTornTail()
    {
        // A power cut left a record and a half.
        const QByteArray first = be32(0) + be32(1000) + QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
        QVERIFY(root->writeFile("/home/root/error_details", first + QByteArray(5, '\0')));
        platform::setFixedNowForTests(0x0102030405LL);
        ErrorManager &e = fresh(false);
        e.setErrorCode(6);
        QCOMPARE(root->readFile("/home/root/error_details"),
                 first + be32(1) + be32(0x02030405) + QByteArray("\x06\x01\xff\x0c\x03\x08\x05\x70", 8));
        QVERIFY(e.loadListError());
        QCOMPARE(e.loadedOccurrences(), size_t(2));
    }

    // Shown without holding the poll up: displayError() returns at once, the
    // error stays present while its dialog is up and goes when it is closed.
    void shownOncePerRunWithoutBlocking()
    {
        ErrorManager &e = fresh(false);
        QStringList shown;
        auto closeShown = [&] {
            for (ErrorMessage *m : visibleWindows<ErrorMessage>()) {
                shown << m->displayMessage();
                QVERIFY(m->isMachineError());
                m->close();
            }
        };
        // Were the dialog to hold the caller up, this would end its wait and
        // the checks below would find the error gone.
        QTimer holdUp;
        holdUp.setSingleShot(true);
        connect(&holdUp, &QTimer::timeout, [] {
            for (ErrorMessage *m : visibleWindows<ErrorMessage>())
                m->close();
        });
        holdUp.start(2000);
        e.setErrorCode(127); // outside the table: the general text
        QCOMPARE(e.displayError(), false);
        QVERIFY(ErrorWindowFlag && e.errorPresence());
        e.displayError(); // the next poll: no second copy
        QCOMPARE(visibleWindows<ErrorMessage>().size(), 1);
        closeShown();
        QVERIFY(!e.errorPresence());
        QCOMPARE(int(e.getActualErrorCode()), 0);

        reset_errori();
        e.setErrorCode(1);
        e.displayError();
        closeShown();
        // Reported again in the same run: counted, not shown.
        e.setErrorCode(1);
        e.displayError();
        QVERIFY(visibleWindows<ErrorMessage>().isEmpty() && !e.errorPresence());
        // The next run shows it again, with the count so far.
        reset_errori();
        e.displayError();
        closeShown();
        QCOMPARE(shown, QStringList({"TECNICAL PROBLEM, CONTACT THE ASSISTANCE", "ERROR 1\nDescription E1\n1 / 25",
                                     "ERROR 1\nDescription E1\n2 / 25"}));
        // A dialog gone without being closed (deleted with its owner) ends the error too.
        reset_errori();
        e.setErrorCode(3);
        e.displayError();
        QVERIFY(e.errorPresence());
        delete visibleWindows<ErrorMessage>().value(0);
        QVERIFY(!e.errorPresence());
    }

    void csvExportToUsbStick()
    {
        serialNumber = "FP-0042";
        platform::setFixedNowForTests(QDateTime(QDate(2025, 3, 4), QTime(10, 20, 30)).toSecsSinceEpoch());
        ErrorManager &e = fresh(false);
        e.setErrorCode(5);
        platform::advanceFixedNowForTests(65);
        e.setErrorCode(99); // outside the table: logged without a name
        QVERIFY(e.loadListError());
        // Without the stick mounted nothing is written, even where it would go.
        QVERIFY(root->mkpath("/mnt/usb-memory"));
        QVERIFY(!e.listErrorToCSV());
        QVERIFY(QDir(root->path("/mnt/usb-memory")).isEmpty());
        usbMount = true;
        QVERIFY(e.listErrorToCSV());
        QByteArray expected = "SN: FP-0042\nTOTAL ERROR\nError Name;Error Tot.;Error Att.\n";
        for (int code = 1; code <= 13; ++code)
            expected += QString("ERROR %1 Description E%1;%2;%2\n").arg(code).arg(code == 5 ? 1 : 0).toUtf8();
        expected += QString::fromUtf8("\nError Dettails\nDate;Error Name;Funzione;Direzione/Posizione;Velocità Taglio;"
                                      "Velocità Discesa;Porzioni Richieste;Porzioni Lavorate;Pressione\n")
                        .toUtf8();
        expected += "2025-03-04 10:20:30;ERROR 5 Description E5;1;255;12;3;8;5;112\n2025-03-04 10:21:35;;1;255;12;3;8;5;112\n";
        QCOMPARE(root->readFile("/mnt/usb-memory/error_details_2025-03-04.csv"), expected);
    }

    void anomalyStopIsSentTwiceAtMostAndClosesWithTheWork()
    {
        working = enableScreenSaver = true;
        std::vector<ByteVector> queued;
        bool keyEnabledAfter = true, saverHeldOff = false;
        whenModal<AnomalyWorking>([&](AnomalyWorking *a) {
            saverHeldOff = !enableScreenSaver;
            auto *stop = a->findChild<QPushButton *>("stop");
            for (int i = 0; i < 3; ++i)
                QTest::mouseClick(stop, Qt::LeftButton);
            keyEnabledAfter = stop->isEnabled();
            queued = takeQueue();
            working = false; // the board stops: the warning closes by itself
        });
        AnomalyWorking().exec();
        QVERIFY(saverHeldOff && !keyEnabledAfter && enableScreenSaver);
        QCOMPARE(queued, std::vector<ByteVector>(2, {0xF3, 4, 4, 0xFC}));
    }

    void filterPageStartsUnansweredAndNeverShowsAWrappedTime()
    {
        machineLife.load();
        machineLife.resetFilterTime();
        machineLife.addTimePump(120 * 3600, WorkingTimer::PRESSION_PUMP); // over the limit
        changefilter = true; // left over from an earlier page: never taken for this one's answer
        FilterChange page;
        QVERIFY(!changefilter);
        QCOMPARE(page.workingText() + " " + page.remainingText(), QString("120:00 [h:mm] 0:00 [h:mm]"));
    }
};

QTEST_MAIN(ErrorManagerTest)
#include "tst_errormanager.moc"
