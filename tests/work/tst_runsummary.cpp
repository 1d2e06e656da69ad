// The end of a run and the run summary, against the simulated board on a real
// pty: the residual-steps request, the work report on the USB stick, the
// pause before the summary, the summary's outcomes and records (life
// counters read back from their file, the registered beaker), the home key's
// reload, a program that cannot be reloaded, and the rework.

#include "run_support.h"
#include "TableRows.h"

#include "app/WaitResponseCmd.h"
#include "data/GlassElementsList.h"

namespace {

QString reportPath(const TempRoot &root)
{
    return root.path("/mnt/usb-memory/recipe-work/recipe" + QDate::currentDate().toString("yyyy-MM-dd") + ".csv");
}

uint64_t storedPortions()
{
    WorkingTimer stored;
    stored.load();
    return stored.getTotalMillingPortion();
}

QString outcomeStyle(RunningSummary *s)
{
    return s->findChild<QLabel *>("outcome")->styleSheet();
}

QString outcomeText(RunningSummary *s)
{
    return s->findChild<QLabel *>("outcome")->text();
}

// A program of the liquid start screens: emulsion mode 127, a descent and a
// climb, one extra cycle (two cycles in all).
void makeLiquid(WorkSettings &p)
{
    p.setEmulsionWorkingMode(127);
    p.setPortionDimension(2);
    p.setMillingSteps(7, 3, 0);
    p.setEmulsionSteps(0, 7, 3, 0, 0, 0);
    p.setEmulsionSteps(0, 7, 5, 0, 0, 1);
    p.setExtraEmulsionStep(1);
}

using O = RunningSummary::Outcome;
// A run's records and what the summary makes of them.
const struct OutcomeRow
{
    const char *name;
    bool liquid;
    int portions, millingSteps, emulsionSteps;
    bool userStop, tooMuch, goOnTooMuch, rework;
    O outcome;
    const char *text;
    int requested, executed;
} kOutcomes[] = {
    {"all portions", false, 2, 8, 0, false, false, false, false, O::Good, "Job Completed.", 2, 2},
    {"stopped", false, 2, 5, 0, true, false, false, false, O::AbortedByUser, "Job Aborted From User.", 2, 1},
    {"too full", false, 2, 0, 0, false, true, false, false, O::TooMuchProduct, "To Much Product.", 2, 0},
    {"too full, went on", false, 1, 4, 0, false, true, true, false, O::Good, "Job Completed.", 1, 1},
    {"portions short", false, 3, 5, 0, false, false, false, false, O::InsufficientPortion, "Insufficient Portion.", 3,
     1},
    {"cutting", true, 0, 0, 4, false, false, false, false, O::Good, "Job Completed.", 2, 2},
    // A frostizing rework runs no milling: its one emulsion cycle is what counts.
    {"frostizing rework", false, 2, 0, 2, false, false, false, true, O::Good, "Job Completed.", 1, 1},
};

} // namespace

class RunSummaryTest : public QObject
{
    Q_OBJECT

    RunBench bench;

    // Runs the program to its end through the board and waits for the
    // summary (null when it did not come).
    RunningSummary *runToSummary(QElapsedTimer *sinceEnd = nullptr, int *ticksInPause = nullptr)
    {
        if (!bench.startRun())
            return nullptr;
        QPointer<running> monitor = bench.openMonitor();
        (void)QTest::qWaitFor([&] { return !monitor || monitor->workEnded(); }, 15000);
        if (sinceEnd)
            sinceEnd->start();
        // Timers go on during the pause before the summary (the home
        // screen's poll among them).
        QTimer poll;
        int ticks = 0;
        connect(&poll, &QTimer::timeout, [&ticks] { ++ticks; });
        poll.start(50);
        (void)QTest::qWaitFor([] { return shownWindow<RunningSummary>() != nullptr; }, 5000);
        if (ticksInPause)
            *ticksInPause = ticks;
        return shownWindow<RunningSummary>();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(bench.root.mkpath("/home/root/recipes"));
        QVERIFY(bench.root.mkpath("/home/root/glasses"));
        QVERIFY(bench.begin());
    }
    void cleanupTestCase() { bench.end(); }
    void init()
    {
        QVERIFY(bench.reset());
        QDir(bench.root.path("/mnt/usb-memory")).removeRecursively();
    }
    void cleanup() { closeWindows(); }

    // The end of work: the residual steps asked once, the report on the
    // stick (its folder made when missing) or nothing without one, and the
    // summary a second later, which stores the milled portion.
    void endOfWork_data()
    {
        QTest::addColumn<bool>("stick");
        QTest::newRow("USB stick") << true;
        QTest::newRow("no USB stick") << false;
    }
    void endOfWork()
    {
        QFETCH(bool, stick);
        if (stick)
            QVERIFY(bench.root.mkpath("/mnt/usb-memory"));
        usbMount = stick;
        const uint64_t portionsBefore = storedPortions();
        QElapsedTimer sinceEnd;
        int ticks = 0;
        RunningSummary *summary = runToSummary(&sinceEnd, &ticks);
        QVERIFY(summary);
        const qint64 pause = sinceEnd.elapsed();
        QVERIFY2(pause >= running::kSummaryDelayMs - 150 && pause < running::kSummaryDelayMs + 600,
                 qPrintable(QString::number(pause)));
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        QVERIFY(!shownWindow<running>());
        QCOMPARE(bench.sent(117), 1);
        QCOMPARE(int(summary->outcome()), int(RunningSummary::Outcome::Good));
        QCOMPARE(summary->requestedCycles(), 1);
        QCOMPARE(summary->executedCycles(), 1);
        QCOMPARE(storedPortions(), portionsBefore + 1);

        QCOMPARE(QFile::exists(reportPath(bench.root)), stick);
        QCOMPARE(QDir(bench.root.path("/mnt/usb-memory/recipe-work")).exists(), stick);
        if (stick) {
            const QByteArray report = bench.root.readFile(reportPath(bench.root).mid(bench.root.root().size()));
            QVERIFY(report.startsWith(QDate::currentDate().toString("yyyy-MM-dd").toLatin1()));
            QVERIFY(report.contains("\nNome Ricetta;Tempo Lavorazione;Stop Utente;"));
            QVERIFY(report.contains(";|;3;4;|;"));
        }
    }

    // A program whose file cannot be read again: the run's settings stay
    // (nothing half read), the failure is logged, the summary works.
    void reloadFailureKeepsProgramAndScreens()
    {
        QVERIFY(QFile::remove(bench.program.mainFilePath()));
        RunningSummary *summary = runToSummary();
        QVERIFY(summary);
        QVERIFY(bench.logged("RUNNING : ricaricamento programma non riuscito"));
        QCOMPARE(int(actual->getPortion()), 1);
        QCOMPARE(int(actual->getMillingSteps(3).CutSpeed), 6);
        QCOMPARE(int(actual->getMillingPressionType()), int(WorkingTimer::PRESSION_PUMP));
        summary->findChild<QPushButton *>("home")->click();
        QTRY_VERIFY(!shownWindow<RunningSummary>());
        QVERIFY(bench.logged("SUMMARY : ricaricamento programma non riuscito"));
        QCOMPARE(int(actual->getPortion()), 1);
    }

    // Outcome, its colour and what is settled, from the run's records.
    void outcomes_data() { addRows(kOutcomes); }
    void outcomes()
    {
        const OutcomeRow &r = currentRow(kOutcomes);
        WorkSettings &p = bench.program;
        if (r.liquid) {
            makeLiquid(p);
            p.filename = "cutting_soft";
        }
        p.setPortion(uint8_t(r.portions));
        p.resetWorkingData();
        p.endWork = p.startWork + 125;
        p.numOfStepMilling = uint16_t(r.millingSteps);
        p.userStop = r.userStop;
        p.toMuchMaterial = r.tooMuch;
        // A registered beaker was loaded for the run.
        QVERIFY(actualSelectedGlass->setGlassCode("AB.000123") && actualSelectedGlass->setGlassType("2"));
        QVERIFY(actualSelectedGlass->setCreationDate() && actualSelectedGlass->setRecipeCode(12) &&
                actualSelectedGlass->setRecipeType(1) && actualSelectedGlass->initResidualContent());
        QVERIFY(actualSelectedGlass->Save(QString()));
        const QString beakerFile = QString::fromStdString(actualSelectedGlass->filePath());
        QVERIFY(QFile::exists(beakerFile));
        const uint64_t portionsBefore = storedPortions();

        reworkSet = r.rework;
        auto *summary = new RunningSummary(nullptr, r.emulsionSteps, r.goOnTooMuch);
        summary->setAttribute(Qt::WA_DeleteOnClose);
        summary->show();
        QCOMPARE(int(summary->outcome()), int(r.outcome));
        QCOMPARE(outcomeText(summary), QString(r.text));
        const char *colour = r.outcome == RunningSummary::Outcome::Good ? "rgb(88, 186, 72)" : "rgb(242, 112, 113)";
        QVERIFY2(outcomeStyle(summary).contains(QString("background-color: ") + colour),
                 qPrintable(outcomeStyle(summary)));
        QCOMPARE(summary->executedCycles(), r.executed);
        QCOMPARE(summary->requestedCycles(), r.requested);
        QCOMPARE(summary->findChild<QLabel *>("time_value")->text(), QString("2:05"));
        // Milled portions only, and stored.
        QCOMPARE(storedPortions(), portionsBefore + uint64_t(r.liquid || r.rework ? 0 : r.executed));
        QVERIFY(!actualSelectedGlass->isLoad());
        QVERIFY(!QFile::exists(beakerFile));
        QVERIFY(glassList->getAllDeleteGlass(0).contains("AB.000123"));
    }

    // Home: the rework cycles go, the program is read again from its file,
    // keeping the emulsion mode 127 the liquid start screen gave it.
    void homeKeyReloadsProgram()
    {
        WorkSettings &p = bench.program;
        p.setExtraEmulsionStep(2);
        QVERIFY(p.Save(QString()));
        makeLiquid(p);
        QVERIFY(p.setReworkAddStep(3));
        reworkSet = true;
        auto *summary = new RunningSummary(nullptr, 0, false);
        summary->setAttribute(Qt::WA_DeleteOnClose);
        summary->show();
        summary->findChild<QPushButton *>("home")->click();
        QTRY_VERIFY(!shownWindow<RunningSummary>());
        QCOMPARE(int(p.getReworkAddStep()), 0);
        QCOMPARE(int(p.getEmulsionWorkingMode()), 127);
        QCOMPARE(int(p.getPortionDimension()), 8); // from the file
        QCOMPARE(int(p.getExtraEmulsionStep()), 2);
        QVERIFY(!reworkSet);
    }

    // Rework: the same emulsion once more, the board told it is a rework
    // (so it skips the milling), and a run monitor follows it.
    void reworkRunsTheEmulsionAgain()
    {
        makeLiquid(bench.program);
        QVERIFY(bench.program.Save(QString()));
        RunningSummary *summary = runToSummary();
        QVERIFY(summary);
        QCOMPARE(summary->executedCycles(), 2);
        QCOMPARE(bench.sent(18), 0);
        QAbstractButton *rework = summary->findChild<QPushButton *>("rework");
        QTRY_VERIFY_WITH_TIMEOUT(rework->isEnabled(), 2000);
        rework->click();
        QVERIFY(reworkSet);
        QCOMPARE(int(actual->getReworkAddStep()), 2);
        QVERIFY(summary->reworkWait());
        QTRY_VERIFY_WITH_TIMEOUT(shownWindow<running>(), 8000);
        QVERIFY(!shownWindow<RunningSummary>());
        QCOMPARE(bench.sent(18), 1);
        QCOMPARE(bench.sent(3), 2);
        QTRY_VERIFY_WITH_TIMEOUT(shownWindow<running>()->isWorkingStarted(), 3000);
        // Only the emulsion runs: no milling step is reported.
        QVERIFY(!millingOn);
        QTRY_VERIFY_WITH_TIMEOUT(shownWindow<RunningSummary>(), 15000);
        QCOMPARE(shownWindow<RunningSummary>()->executedCycles(), 2);
        QVERIFY(!reworkSet);
        QCOMPARE(int(actual->getReworkAddStep()), 0);
        QCOMPARE(int(actual->getEmulsionWorkingMode()), 127);
    }

    // A rework the board refuses: "Error 1", nothing waits any more, and the
    // summary stays for the operator.
    void refusedReworkKeepsSummary()
    {
        makeLiquid(bench.program);
        QVERIFY(bench.program.Save(QString()));
        RunningSummary *summary = runToSummary();
        QVERIFY(summary);
        QVERIFY(bench.board("refuse 3"));
        QAbstractButton *rework = summary->findChild<QPushButton *>("rework");
        QTRY_VERIFY_WITH_TIMEOUT(rework->isEnabled(), 2000);
        rework->click();
        QTRY_COMPARE_WITH_TIMEOUT(shownErrors(), QStringList{"Error 1"}, 8000);
        QVERIFY(summary->isVisible() && !shownWindow<running>() && !shownWindow<WaitResponseCmd>());
        QVERIFY(checkWaitStateVar() && !reworkSet);
        QCOMPARE(int(actual->getReworkAddStep()), 0);
    }
};

WORK_TEST_MAIN(RunSummaryTest)
#include "tst_runsummary.moc"
