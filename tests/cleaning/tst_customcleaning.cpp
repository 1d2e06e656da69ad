// Custom cleaning against the simulated board through a real pty: the code
// and time of each cycle, the start checks, what a refused start leaves,
// repetitions, the stop key, the summary and the life counters.

#include "../work/support_work.h"

#include "cleaning/CleaningResources.h"
#include "cleaning/CleaningSummary.h"
#include "cleaning/CustomCleaning.h"
#include "cleaning/CustomCleaningRunning.h"
#include "data/WorkingTimer.h"
#include "errors/ErrorManager.h"
#include "link/LinkHooks.h"

namespace {

ByteVector cleanFrame(uint8_t code)
{
    return ProtocolConversion::BuildCommand(BoardCmd::CustomClean, {code});
}

} // namespace

class TestCustomCleaning : public QObject
{
    Q_OBJECT

    TempRoot root;
    BoardSimProcess sim;
    std::unique_ptr<RunningLink> link;

    bool board(const QString &command) { return sim.command(command) == "ok"; }
    // The board in this state, as the link has seen it.
    bool boardIs(const QString &command, bool big = false)
    {
        if (!board(command))
            return false;
        (void)QTest::qWaitFor([big] { return glassBigPresence == big; });
        QTest::qWait(600); // a full status poll after the change
        return glassBigPresence == big;
    }
    QPointer<CustomCleaning> openScreen()
    {
        auto *s = new CustomCleaning(nullptr);
        s->setAttribute(Qt::WA_DeleteOnClose);
        s->show();
        return s;
    }
    // Starts the chosen cycle; the running screen once the board took it.
    QPointer<CustomCleaningRunning> start(CustomCleaning *s)
    {
        key(s, "start_work")->click();
        (void)QTest::qWaitFor([s] { return !s->waitDialog(); }, 8000);
        return s->runningScreen();
    }

private slots:
    void initTestCase()
    {
        initCleaningResources();
        QVERIFY(sim.start());
        qputenv("FROSTPANEL_SERIAL", sim.devicePath().toLocal8Bit());
        errorSystem.fillErrorTable();
        errorSystem.loadData();
        machineLife.load();
        LinkHooks::errorCodeRead = [](uint8_t code) { errorSystem.setErrorCode(code); };
        link = std::make_unique<RunningLink>();
    }
    void cleanupTestCase() { link.reset(); }
    void init()
    {
        QVERIFY(board("reset all") && board("pace 0.1"));
        clearQueueAndWaitFlags();
        serialComunicationError = 0;
        displayError = ErrorWindowFlag = serviceEnable = false;
        errorSystem.resetState();
        machineLife.resetFilterTime();
        QTRY_COMPARE_WITH_TIMEOUT(machineFlags(), QString("gasket=1 lid=1 glass=1 closeok=1"), 5000);
        QVERIFY(board("reset counts"));
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
        QTest::qWait(50);
    }

    // Each key's cycle: the time shown for the glass in place, the code the
    // board gets, and the running screen's count-down from that time.
    void cycleCodeAndTime_data()
    {
        QTest::addColumn<QString>("glass");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("code");
        QTest::newRow("type 1, big glass") << "big" << 1 << "28" << 38;
        QTest::newRow("type 1, small glass") << "small" << 1 << "28" << 56;
        QTest::newRow("type 4, big glass") << "big" << 4 << "328" << 53;
        QTest::newRow("type 2, small glass") << "small" << 2 << "68" << 68;
        QTest::newRow("type 3, big glass") << "big" << 3 << "34" << 41;
    }
    void cycleCodeAndTime()
    {
        QFETCH(QString, glass);
        QFETCH(int, type);
        QFETCH(QString, time);
        QFETCH(int, code);
        QVERIFY(boardIs("set glass " + glass, glass == "big"));
        QPointer<CustomCleaning> s = openScreen();
        key(s, qPrintable(QString("program_type_%1").arg(type)))->click();
        QCOMPARE(s->findChild<QLabel *>("time_value")->text(), time);
        QPointer<CustomCleaningRunning> running = start(s);
        QVERIFY(running);
        QCOMPARE(sim.value("last 17"), QString::fromStdString(ByteToOctectString(cleanFrame(uint8_t(code)))));
        QCOMPARE(boardCount(sim, 17), 1);
        const QStringList countDown{time + " s", QString::number(time.toInt() - 1) + " s"};
        QVERIFY(countDown.contains(running->remainingText()));
    }

    // The filter reminder comes first and once per screen; then the
    // machine checks (their order is the work screens' test: one shared
    // function), and with the machine ready the cycle starts.
    void startChecksInOrder()
    {
        machineLife.addTimePump(WorkingTimer::FILTER_LIMIT + 1, WorkingTimer::PRESSION_PUMP);
        QVERIFY(board("set gasket 0"));
        QTRY_COMPARE_WITH_TIMEOUT(machineFlags(), QString("gasket=0 lid=1 glass=1 closeok=1"), 5000);
        QPointer<CustomCleaning> s = openScreen();
        for (const char *text : {"Cambiare filtro aspirazione aria", "Insert gasket seal before start working."}) {
            key(s, "start_work")->click();
            QCOMPARE(shownErrors(), QStringList{text});
            closeErrors();
        }
        QVERIFY(s->filterWarned());
        QVERIFY(board("set gasket 1"));
        QTRY_COMPARE_WITH_TIMEOUT(machineFlags(), QString("gasket=1 lid=1 glass=1 closeok=1"), 5000);
        QCOMPARE(boardCount(sim, 17), 0);
        QVERIFY(start(s));
        QCOMPARE(boardCount(sim, 17), 1);
    }

    // Five failed exchanges do not stop a start; six do, once; the next
    // press goes on to the machine checks.
    void communicationError_data()
    {
        QTest::addColumn<int>("errors");
        QTest::addColumn<QStringList>("messages");
        const QString gasket = "Insert gasket seal before start working.";
        QTest::newRow("5") << 5 << QStringList{gasket};
        QTest::newRow("6") << 6 << QStringList{"Comunicarion error.\nPerform machine restart.", gasket};
    }
    void communicationError()
    {
        QFETCH(int, errors);
        QFETCH(QStringList, messages);
        QVERIFY(board("set gasket 0"));
        QTRY_VERIFY_WITH_TIMEOUT(!oringPresence, 5000);
        QPointer<CustomCleaning> s = openScreen();
        QVERIFY(board("ignore 112")); // from now on the count only grows
        QTRY_VERIFY_WITH_TIMEOUT(serialComunicationError >= 1, 3000);
        serialComunicationError = uint32_t(errors);
        for (const QString &message : messages) {
            key(s, "start_work")->click();
            QCOMPARE(shownErrors(), QStringList{message});
            closeErrors();
        }
        QVERIFY(displayError == (errors == 6));
        QCOMPARE(boardCount(sim, 17), 0);
    }

    // A command 17 the board refuses or never answers: no running screen,
    // "Error 1", the wait state reset, no cleaning counted.
    void refusedStartRunsNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("refused") << "refuse 17";
        QTest::newRow("not answered") << "ignore 17";
    }
    void refusedStartRunsNothing()
    {
        QFETCH(QString, fault);
        QVERIFY(board(fault));
        const uint64_t cleanings = machineLife.getTotalGlassClean();
        QPointer<CustomCleaning> s = openScreen();
        QVERIFY(!start(s));
        QCOMPARE(shownErrors(), QStringList{"Error 1"});
        QVERIFY(visibleWindows<CustomCleaningRunning>().isEmpty());
        QCOMPARE(int(setCustomClean), 1);
        QVERIFY(checkWaitStateVar());
        QTest::qWait(500);
        QCOMPARE(machineLife.getTotalGlassClean(), cleanings);
        QVERIFY(visibleWindows<CleaningSummary>().isEmpty());
    }

    // Repetitions on a small glass send the small glass's code again; the
    // run counts one cleaning, and ends in the summary.
    void repetitionsResendTheCodeSent()
    {
        const uint64_t cleanings = machineLife.getTotalGlassClean();
        QPointer<CustomCleaning> s = openScreen();
        s->setRepetitions(3);
        QCOMPARE(s->findChild<QLabel *>("time_value")->text(), QString("84")); // 3 x 28.2
        QPointer<CustomCleaningRunning> running = start(s);
        QVERIFY(running);
        QTRY_VERIFY_WITH_TIMEOUT(running.isNull(), 15000);
        QCOMPARE(boardCount(sim, 17), 3);
        QCOMPARE(sim.value("last 17"), QString::fromStdString(ByteToOctectString(cleanFrame(56))));
        QCOMPARE(machineLife.getTotalGlassClean(), cleanings + 1);
        CleaningSummary *summary = shownWindow<CleaningSummary>();
        QVERIFY(summary);
        QVERIFY(summary->totalSeconds() >= 1 && summary->totalSeconds() <= 10);
        key(summary, "home")->click();
        QTRY_VERIFY(visibleWindows<CleaningSummary>().isEmpty());
    }

    // At most three stops go to the board; a stopped run sends no further
    // repetition and ends without the summary, also when an earlier work
    // run left its own stop flag at "refused".
    void stopKey()
    {
        QVERIFY(board("pace 1"));
        stopRunningFlag = -1;
        QPointer<CustomCleaning> s = openScreen();
        s->setRepetitions(2);
        QPointer<CustomCleaningRunning> running = start(s);
        QVERIFY(running);
        for (int i = 0; i < 4; ++i)
            running->on_stop_work_clicked();
        QCOMPARE(running->stopTriesLeft(), 0);
        QVERIFY(!key(running, "stop_work")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(running.isNull(), 8000);
        QCOMPARE(boardCount(sim, 12), 3);
        QCOMPARE(boardCount(sim, 17), 1);
        QVERIFY(visibleWindows<CleaningSummary>().isEmpty());
    }

    // Stops the board refuses do not count: the key takes presses again and
    // the run, which went on, ends in the summary.
    void refusedStopsRearmTheKey()
    {
        QVERIFY(board("pace 1") && board("refuse 12"));
        QPointer<CustomCleaning> s = openScreen();
        QPointer<CustomCleaningRunning> running = start(s);
        QVERIFY(running);
        for (int i = 0; i < 3; ++i)
            running->on_stop_work_clicked();
        QVERIFY(!running->stopArmed());
        QTRY_VERIFY_WITH_TIMEOUT(running && running->stopArmed() && running->stopTriesLeft() == 2, 5000);
        QVERIFY(key(running, "stop_work")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(running.isNull(), 8000);
        QVERIFY(shownWindow<CleaningSummary>());
    }

    // The icon opens the sensor page in service mode, once while it is up;
    // the page goes with the screen at the end of the run.
    void iconOpensTheSensorPage()
    {
        QVERIFY(board("pace 1"));
        QPointer<CustomCleaning> s = openScreen();
        QPointer<CustomCleaningRunning> running = start(s);
        QVERIFY(running);
        const QString fault = sensorEntryFault(running, [&] { key(running, "icon_button")->click(); });
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        SensorPageStandIn standIn;
        key(running, "icon_button")->click();
        QVERIFY(standIn.page);
        QTRY_VERIFY_WITH_TIMEOUT(running.isNull(), 8000);
        QVERIFY(!standIn.page);
    }

    // A board error during the run: the run ends without the summary.
    void noSummaryAfterAnError()
    {
        QVERIFY(board("pace 1"));
        QPointer<CustomCleaning> s = openScreen();
        QPointer<CustomCleaningRunning> running = start(s);
        QVERIFY(running);
        QTRY_VERIFY_WITH_TIMEOUT(running->runConfirmed() && working, 5000);
        QVERIFY(board("set error 5"));
        QTRY_VERIFY_WITH_TIMEOUT(running.isNull(), 8000);
        QVERIFY(hardwareMachineError);
        QVERIFY(visibleWindows<CleaningSummary>().isEmpty());
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestCustomCleaning t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_customcleaning.moc"
