// The run monitor against the simulated board on a real pty: the stop key and
// the hidden stop area, the lid supervision, the quiet first ticks, the
// too-full question, the step display and the run context it writes, and a
// board error on screen when the work ends.

#include "run_support.h"

#include "app/ClickableLabel.h"

#include "app/DialogMessage.h"

namespace {

const QString kLidText = "Close the machine and push stop button to reset the machine.";
const QString kTooMuchText = "TOO MUCH\nPRODUCT.\n\nWANT TO\nCONTINUE?";

} // namespace

class RunMonitorTest : public QObject
{
    Q_OBJECT

    RunBench bench;
    const int64_t t0 = 1760000000;

    // A run long enough for the test: `secondsPerStep` per board step.
    QPointer<running> startSlowRun(double secondsPerStep)
    {
        if (!bench.board(QString("pace %1").arg(secondsPerStep)) || !bench.startRun())
            return nullptr;
        QPointer<running> monitor = bench.openMonitor();
        // The monitor has seen the board start.
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 3000 && monitor && !monitor->isWorkingStarted())
            QTest::qWait(20);
        return monitor && monitor->isWorkingStarted() ? monitor : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(bench.root.mkpath("/home/root/recipes"));
        QVERIFY(bench.begin());
    }
    void cleanupTestCase() { bench.end(); }
    void init() { QVERIFY(bench.reset()); }
    void cleanup()
    {
        closeWindows();
        platform::clearFixedNowForTests();
    }

    // Two stop commands at most while the board has not taken one; a stop
    // the board takes ends the run as stopped by the operator.
    void stopKeySendsAtMostTwoCommands()
    {
        QVERIFY(bench.board("refuse 4"));
        QPointer<running> monitor = startSlowRun(5);
        QVERIFY(monitor);
        QPushButton *stop = key(monitor, "stop_work");
        QVERIFY(stop->isVisible() && stop->isEnabled());
        stop->click();
        // One touch read twice: the key is back only after a pause.
        QVERIFY(!stop->isEnabled());
        stop->click();
        QTRY_COMPARE_WITH_TIMEOUT(bench.sent(4), 1, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(stop->isEnabled(), 3000);
        stop->click();
        QTRY_COMPARE_WITH_TIMEOUT(bench.sent(4), 2, 3000);
        QTest::qWait(running::kStopRearmTicks * running::kCheckMs + 300);
        // The third press, the key and the hidden area alike, sends nothing.
        QVERIFY(!stop->isEnabled());
        QMetaObject::invokeMethod(monitor, "on_stop_work_clicked");
        for (int i = 0; i < running::kHiddenStopTaps; ++i)
            key(monitor, "pushButton_3")->click();
        QTest::qWait(1500);
        QCOMPARE(bench.sent(4), 2);
        QVERIFY(working && monitor && monitor->isVisible());
    }

    void takenStopEndsRunAsStoppedByOperator()
    {
        QPointer<running> monitor = startSlowRun(2);
        QVERIFY(monitor);
        // Past the quiet first ticks: the board's answer is looked at.
        QTest::qWait(running::kExcludeCheckTicks * running::kCheckMs + 200);
        key(monitor, "stop_work")->click();
        QTRY_VERIFY_WITH_TIMEOUT(shownWindow<RunningSummary>(), 6000);
        QCOMPARE(bench.sent(4), 1);
        QCOMPARE(shownWindow<RunningSummary>()->outcome(), RunningSummary::Outcome::AbortedByUser);
        QVERIFY(monitor.isNull());
    }

    // A board that takes the start but never reports work (a run too short
    // for the status poll): a stop it takes lets the operator out.
    void stopWithoutWorkLeavesTheScreen()
    {
        QPointer<running> monitor = bench.openMonitor();
        QTest::qWait(500);
        key(monitor, "stop_work")->click();
        QTRY_COMPARE_WITH_TIMEOUT(bench.sent(4), 1, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(monitor.isNull(), running::kExcludeCheckTicks * running::kCheckMs + 2000);
        QVERIFY(!shownWindow<RunningSummary>());
    }

    // The hidden stop area stops after five taps within a second.
    void hiddenStopAreaNeedsFiveQuickTaps()
    {
        QVERIFY(bench.board("refuse 4"));
        QPointer<running> monitor = startSlowRun(5);
        QVERIFY(monitor);
        QPushButton *area = key(monitor, "pushButton_3");
        // Taps too far apart start the count again.
        for (int i = 0; i < running::kHiddenStopTaps - 1; ++i)
            area->click();
        QTest::qWait(running::kHiddenStopWindowMs + 200);
        QCOMPARE(bench.sent(4), 0);
        for (int i = 0; i < running::kHiddenStopTaps - 1; ++i)
            area->click();
        QCOMPARE(bench.sent(4), 0);
        area->click();
        QTRY_COMPARE_WITH_TIMEOUT(bench.sent(4), 1, 3000);
    }

    void lidMessageAtMostOncePerMinute()
    {
        platform::setFixedNowForTests(t0);
        QPointer<running> monitor = startSlowRun(5);
        QVERIFY(monitor);
        QVERIFY(bench.board("set lid open"));
        QTRY_COMPARE_WITH_TIMEOUT(shownErrors(), QStringList{kLidText}, 3000);
        // The communication error may still be told later.
        QVERIFY(!displayError);
        QVERIFY(monitor->stopArmed());
        // Not again within the minute, closed or not; never two on screen.
        platform::advanceFixedNowForTests(30);
        QTest::qWait(500);
        QCOMPARE(shownErrors().size(), 1);
        shownWindow<ErrorMessage>()->close();
        platform::advanceFixedNowForTests(29);
        QTest::qWait(500);
        QVERIFY(shownErrors().isEmpty());
        platform::advanceFixedNowForTests(2);
        QTRY_COMPARE_WITH_TIMEOUT(shownErrors(), QStringList{kLidText}, 2000);
        platform::advanceFixedNowForTests(61);
        QTest::qWait(500);
        QCOMPARE(shownErrors().size(), 1);
        shownWindow<ErrorMessage>()->close();
        // Closed and opened again: told at once.
        QVERIFY(bench.board("set lid closed"));
        QTRY_VERIFY_WITH_TIMEOUT(machineOpen, 3000);
        QVERIFY(bench.board("set lid open"));
        QTRY_COMPARE_WITH_TIMEOUT(shownErrors(), QStringList{kLidText}, 3000);
    }

    // No abnormal mark and no question in the first 25 ticks (2.5 s).
    void quietFirstTicks_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::newRow("hard content") << "hard";
        QTest::newRow("too full") << "fullglass";
    }
    void quietFirstTicks()
    {
        QFETCH(QString, condition);
        QVERIFY(bench.board("set " + condition + " 1"));
        QTRY_VERIFY_WITH_TIMEOUT(condition == "hard" ? hardContent : fullGlass, 3000);
        QPointer<running> monitor = bench.openMonitor();
        QCOMPARE(monitor->checkTimer()->interval(), 100);
        monitor->checkTimer()->stop();
        const auto marked = [&] { return monitor->abnormalMarked() || monitor->tooMuchQuestion(); };
        for (int i = 0; i < running::kExcludeCheckTicks; ++i)
            monitor->workingStateCheck();
        QVERIFY(!marked());
        monitor->workingStateCheck();
        QVERIFY(marked());
        if (condition == "hard")
            QCOMPARE(monitor->abnormalText(), QString("Content Too Hard or Dirty Tree."));

        // The same with the screen's own timer: quiet at 2 s, marked soon after 2.5 s.
        monitor->close();
        monitor = bench.openMonitor();
        QTest::qWait(2000);
        QVERIFY(!marked());
        QTRY_VERIFY_WITH_TIMEOUT(marked(), 1500);
    }

    // The question does not hold anything up; its answer goes to the board.
    void tooMuchProductQuestion_data()
    {
        QTest::addColumn<QString>("answer"); // the key, or none
        QTest::addColumn<QString>("frame");
        QTest::addColumn<int>("outcome");
        QTest::newRow("unanswered") << "" << "f3100010fc" << int(RunningSummary::Outcome::TooMuchProduct);
        QTest::newRow("no") << "NO" << "f3100010fc" << int(RunningSummary::Outcome::TooMuchProduct);
        QTest::newRow("yes") << "YES" << "f3107f6ffc" << int(RunningSummary::Outcome::Good);
    }
    void tooMuchProductQuestion()
    {
        QFETCH(QString, answer);
        QFETCH(QString, frame);
        QFETCH(int, outcome);
        serviceEnable = true;
        QVERIFY(bench.board("set fullglass 1"));
        QPointer<running> monitor = startSlowRun(1);
        QVERIFY(monitor);
        QTRY_VERIFY_WITH_TIMEOUT(monitor->tooMuchQuestion(), 4000);
        QPointer<DialogMessage> question = monitor->tooMuchQuestion();
        QCOMPARE(question->displayMessage(), kTooMuchText);
        QVERIFY(question->isVisible() && !QApplication::activeModalWidget());
        QElapsedTimer asked;
        asked.start();
        // The screen goes on following the board meanwhile. (An opened lid
        // would show this too, but it stops the board's run for good.)
        QVERIFY(bench.board("set position 77"));
        QTRY_VERIFY_WITH_TIMEOUT(monitor->findChild<QLabel *>("service_info")->text().contains("<p>77 mm</p>"), 3000);
        QVERIFY(question->isVisible());
        QCOMPARE(bench.sent(16), 0);

        if (answer.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(question.isNull(), int(running::kTooMuchAutoCloseMs) + 1000);
            QVERIFY(asked.elapsed() >= int(running::kTooMuchAutoCloseMs) - 1000);
        } else {
            QVERIFY(clickKey(question, answer));
        }
        QTRY_COMPARE_WITH_TIMEOUT(bench.sent(16), 1, 3000);
        QCOMPARE(bench.lastFrame(16), frame);
        QCOMPARE(monitor->abnormalMarked(), answer != "YES");
        QVERIFY(bench.board("pace 0.5")); // the rest of the run, quickly
        // Asked once per run.
        QTRY_VERIFY_WITH_TIMEOUT(shownWindow<RunningSummary>(), 15000);
        QCOMPARE(bench.sent(16), 1);
        QCOMPARE(int(shownWindow<RunningSummary>()->outcome()), outcome);
    }

    // What the screen shows and the run context it writes, step by step.
    void stepsAndRunContext()
    {
        // Two emulsion steps after the milling: a descent and a climb.
        bench.program.setEmulsionSteps(0, 7, 3, 15, 10, 0);
        bench.program.setEmulsionSteps(0, 2, 8, 112, 10, 1);
        QPointer<running> monitor = startSlowRun(60);
        QVERIFY(monitor);
        QCOMPARE(int(actualFunc), 1);
        QCOMPARE(int(actualPortion), 1);
        QCOMPARE(monitor->levelSegments(), 1);
        QCOMPARE(monitor->fullLevelSegments(), 1);

        struct Expect
        {
            int step, dir, cut, imm, pression;
            const char *stepText;
        };
        // Board steps 1 to 4 mill, 5 and 6 are the emulsion steps; the
        // milling pressure type is the pressure pump.
        const Expect expected[] = {
            {1, 1, 3, 4, 15, "STEP 1"},      {2, 1, 4, 5, 15, "STEP 2"},      {3, 1, 5, 6, 15, "STEP 3"},
            {4, 1, 6, 7, 15, "STEP 4"},      {5, 1, 7, 3, 15, "EMULSION 1"}, {6, 2, 2, 8, 112, "EMULSION 2"},
        };
        QLabel *stepLabel = monitor->findChild<QLabel *>("emulsion_step");
        for (const Expect &e : expected) {
            // The board leaves its milling phase before the emulsion steps.
            if (e.step == 5)
                QVERIFY(bench.board("set milling 0"));
            QVERIFY(bench.board(QString("set step %1").arg(e.step)));
            QTRY_COMPARE_WITH_TIMEOUT(int(actualStep), e.step, 3000);
            QTRY_COMPARE_WITH_TIMEOUT(stepLabel->text(), QString(e.stepText), 3000);
            QCOMPARE(int(actualDir), e.dir);
            QCOMPARE(int(actualCutSpeed), e.cut);
            QCOMPARE(int(actualImmSpeed), e.imm);
            QCOMPARE(int(actualPression), e.pression);
        }
        QCOMPARE(int(actual->numOfStepMilling), 4);
        QCOMPARE(int(actualPortionWorked), 1);
        QCOMPARE(monitor->fullLevelSegments(), 0);
        QVERIFY(!monitor->findChild<QLabel *>("service_info")->isVisible());
    }

    // In service mode a panel tells absorption, temperature, shaft position
    // and speeds instead of the step picture.
    void servicePanel()
    {
        serviceEnable = true;
        actualTreePosition = 0;
        QVERIFY(bench.board("set position 123"));
        QPointer<running> monitor = bench.openMonitor();
        QLabel *panel = monitor->findChild<QLabel *>("service_info");
        QVERIFY(panel->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(panel->text().contains("<p>123 mm</p><p>"), 3000);
        QVERIFY(panel->text().startsWith("<html><head/><body><p>"));
        QVERIFY(panel->text().contains(" A</p><p>"));
        // Its title opens the sensor page, once while it is up.
        auto *title = monitor->findChild<ClickableLabel *>("title");
        const QString fault = sensorEntryFault(monitor, [title] { QTest::mouseClick(title, Qt::LeftButton); });
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        // Closing the monitor with the page up takes the page along.
        SensorPageStandIn standIn;
        QTest::mouseClick(title, Qt::LeftButton);
        QVERIFY(standIn.page);
        monitor->close();
        QTRY_VERIFY(!monitor && !standIn.page);
    }

    // A board error on screen when the work ends: the stop key goes, the
    // screen waits for the error to be closed, then closes without summary.
    void errorOnScreenHoldsTheScreen()
    {
        QPointer<running> monitor = startSlowRun(1);
        QVERIFY(monitor);
        // As the home screen's poll shows a board error.
        errorSystem.setErrorCode(5);
        errorSystem.displayError();
        QVERIFY(ErrorWindowFlag && errorSystem.errorPresence());
        QTRY_VERIFY_WITH_TIMEOUT(!key(monitor, "stop_work")->isVisible(), 1000);
        QTRY_VERIFY_WITH_TIMEOUT(monitor->workEnded(), 10000);
        // Held: the residual steps asked once, however long the error stays.
        QTest::qWait(2000);
        QVERIFY(monitor && monitor->isVisible() && !key(monitor, "stop_work")->isVisible());
        QCOMPARE(bench.sent(117), 1);
        QVERIFY(bench.logged("RUNNING : errore videata ancora presente --> non visualizzo la parte di summary"));
        shownWindow<ErrorMessage>()->close();
        QTRY_VERIFY_WITH_TIMEOUT(monitor.isNull(), 3000);
        QVERIFY(!shownWindow<RunningSummary>());
        QVERIFY(bench.logged("schermata di SUMMARY non la attivo"));
        QCOMPARE(bench.sent(117), 1);
    }

    // A board error that ends the run shows up within the pause before the
    // summary: no summary then.
    void boardErrorEndingTheRunSkipsSummary()
    {
        QPointer<running> monitor = startSlowRun(2);
        QVERIFY(monitor);
        QVERIFY(bench.board("set error 5"));
        // As the home screen's poll: shown once the link has counted it.
        QTRY_VERIFY_WITH_TIMEOUT((errorSystem.displayError(), bool(ErrorWindowFlag)), 3000);
        // Seen ending before or after the error came on screen: either way
        // the screen closes once the error is closed, without a summary.
        QTRY_VERIFY_WITH_TIMEOUT(monitor.isNull() || monitor->workEnded(), 3000);
        QTest::qWait(running::kSummaryDelayMs + 500);
        for (ErrorMessage *e : visibleWindows<ErrorMessage>())
            e->close();
        QTRY_VERIFY_WITH_TIMEOUT(monitor.isNull(), 3000);
        QVERIFY(!shownWindow<RunningSummary>() && !bench.logged("attivo la schermata di SUMMARY"));
        QCOMPARE(bench.sent(117), 1);
    }
};

WORK_TEST_MAIN(RunMonitorTest)
#include "tst_runmonitor.moc"
