// The start screens against the simulated board on a real pty: the work
// sequence on the line and the run monitor only once the board took it, the
// refused or unanswered sequence, the start checks in their order, the
// filter and communication warnings, the question about damaging settings,
// and the remote start screens.

#include "support_work.h"
#include "TableRows.h"

#include "data/GlassElement.h"
#include "data/Presets.h"
#include "data/UserSettings.h"
#include "data/WorkingTimer.h"
#include "work/QuickStartLiquid.h"
#include "work/RemoteStart.h"
#include "work/quickstart.h"

namespace {

// The board's state, the portions chosen, the flags the link then reads,
// and the one check that stops the start.
const struct StartCheckRow
{
    const char *name;
    const char *boardState[2];
    int portions;
    const char *flags, *message, *picture;
} kStartChecks[] = {
    {"no portions, gasket missing", {"set gasket 0"}, 0, "gasket=0 lid=1 glass=1 closeok=1",
     "Select a number of portions greater than zero.", ""},
    {"gasket missing and lid open", {"set gasket 0", "set lid open"}, 1, "gasket=0 lid=0 glass=1 closeok=0",
     "Insert gasket seal before start working.", ":/image/oring presence.gif"},
    {"lid open, no glass", {"set lid open", "set glass none"}, 1, "gasket=1 lid=0 glass=0 closeok=0",
     "Close the machine before start working.", ":/image/machine open.gif"},
    {"no glass", {"set glass none"}, 1, "gasket=1 lid=1 glass=0 closeok=1", "Insert glass before start working.",
     ":/image/glass presence.gif"},
    {"lid not locked", {"set lid ajar"}, 1, "gasket=1 lid=1 glass=1 closeok=0",
     "Retry close the machine before start working.", ":/image/new state.gif"},
};

// A limit of one function's map, and whether a start of `function` asks.
// The soft presets descend at (3, 2); frostizing's emulsion step 0 is (3, 5).
const struct DamagingRow
{
    const char *name;
    int function, limitsOf, cut, immersion;
    bool asked;
} kDamaging[] = {
    {"frostizing, a milling step", 1, 1, 3, 2, true},
    {"frostizing, the first emulsion step", 1, 1, 3, 5, true},
    {"frostizing, another function's limit", 1, 2, 3, 2, false},
    {"cutting, its own limit", 2, 2, 3, 2, true},
    {"whipping, a pair no step uses", 3, 3, 6, 6, false},
};

} // namespace

class TestStartScreens : public QObject, BoardBench
{
    Q_OBJECT

    // The frostizing start as the SOFT tile opens it.
    QPointer<quickstart> openSoft()
    {
        actual = frostizing_soft;
        actual->Load();
        auto *q = new quickstart(nullptr, 80);
        q->setAttribute(Qt::WA_DeleteOnClose);
        q->show();
        return q;
    }
    QPointer<QuickStartLiquid> openLiquid(int function)
    {
        actual = function == 2 ? cutting_soft : whipping_soft;
        actual->Load();
        auto *l = new QuickStartLiquid(nullptr);
        l->setAttribute(Qt::WA_DeleteOnClose);
        l->setFunction(function, false, true);
        l->show();
        return l;
    }
    // Nothing reached the board or its queue.
    void verifyNothingQueued()
    {
        QTest::qWait(300);
        QVERIFY(takeQueue().empty());
        for (int code : {1, 2, 3, 20})
            QCOMPARE(boardCount(sim, code), 0);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startBoard());
        initMillingDefaultSettings();
        initCuttingDefaultSettings();
        initWhippingDefaultSettings();
        machineLife.load();
        startLink();
    }
    void init()
    {
        QVERIFY(board("reset all"));
        clearQueueAndWaitFlags();
        actual = frostizing_soft;
        serialComunicationError = 0;
        displayError = false;
        reworkSet = false;
        actualSelectedGlass->reset();
        frostizing_not_allow_setting.clear();
        cutting_not_allow_setting.clear();
        whipping_not_allow_setting.clear();
        machineLife.resetFilterTime();
        for (int page = 1; page <= 3; ++page)
            settings.setAffSpeed(page, 0);
        QTRY_COMPARE_WITH_TIMEOUT(machineFlags(), QString("gasket=1 lid=1 glass=1 closeok=1"), 5000);
        QVERIFY(board("reset counts"));
    }
    void cleanup()
    {
        closeWindows();
        board("log off");
    }

    // The SOFT preset with two portions and the operator's speed offset:
    // exactly its sequence reaches the board, in order, and the run monitor
    // opens only once milling, emulsion and start are all acknowledged.
    void startPutsTheSequenceOnTheLineThenOpensTheMonitor()
    {
        settings.setAffSpeed(1, 1); // one speed faster than the preset
        QPointer<quickstart> q = openSoft();
        const int base = frostizing_soft->getMillingSteps(0).ImmersionSpeed;
        press(q, "portion_plus", 2);
        QCOMPARE(int(actual->getPortion()), 2);
        QVERIFY(key(q, "start_work")->styleSheet().contains("rgb(88, 186, 72)"));

        WorkSettings expected = *actual;
        expected.setMillingSteps(expected.getMillingSteps(0).CutSpeed, uint8_t(base + 1));
        expected.setEmulsionStepsUp(expected.getEmulsionSteps(1).CutSpeed, uint8_t(base + 1));
        const std::vector<ByteVector> frames = sequenceOf(expected);
        QCOMPARE(frames.size(), size_t(4));

        QVERIFY(board("late 700 3")); // the start is acknowledged late
        QVERIFY(board("log on"));
        sim.takeTraffic();
        press(q, "start_work");
        QVERIFY(q->waitDialog() && q->waitDialog()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(setMillingFlag == 1 && setEmulsionFlag == 1, 5000);
        QCOMPARE(int(startRunningFlag), 0);
        QVERIFY(visibleWindows<running>().isEmpty() && !q->runMonitor());

        QTRY_VERIFY_WITH_TIMEOUT(q->runMonitor() && q->runMonitor()->isVisible(), 6000);
        QCOMPARE(int(startRunningFlag), 1);
        QCOMPARE(visibleWindows<running>().size(), 1);
        QCOMPARE(q->runMonitor()->getGlassDimension(), 80);
        QCOMPARE(commandsReceived(sim), frames);
        QVERIFY(shownErrors().isEmpty());

        // When the monitor is gone the start screen shows the program again.
        q->runMonitor()->close();
        QTRY_VERIFY(!q->runMonitor());
        QVERIFY(q->isVisible());
    }

    // A refused or unanswered frame: "Error 1", the wait state reset, no
    // monitor; an unanswered frame keeps what follows it off the line.
    void boardNotTakingTheSequence_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("startsSent");
        QTest::newRow("start refused") << "refuse 3 1" << 1;
        QTest::newRow("emulsion refused") << "refuse 2 1" << 0;
        QTest::newRow("milling unanswered") << "ignore 1" << 0;
    }
    void boardNotTakingTheSequence()
    {
        QFETCH(QString, fault);
        QFETCH(int, startsSent);
        QPointer<quickstart> q = openSoft();
        press(q, "portion_plus");
        QVERIFY(board(fault));
        press(q, "start_work");
        QPointer<WaitResponseCmd> wait = q->waitDialog();
        QVERIFY(wait);
        QTRY_VERIFY_WITH_TIMEOUT(wait.isNull(), 15000);
        QTRY_COMPARE(shownErrors(), QStringList{"Error 1"});
        QVERIFY(!q->runMonitor() && visibleWindows<running>().isEmpty());
        for (int8_t flag : {setMillingFlag.load(), setEmulsionFlag.load(), startRunningFlag.load(),
                            stopRunningFlag.load()})
            QCOMPARE(int(flag), 1);
        QVERIFY(checkWaitStateVar());
        QCOMPARE(boardCount(sim, 3), startsSent);
        // The screen is usable again: the next start goes through.
        closeErrors();
        QVERIFY(board("refuse off") && board("ignore off"));
        press(q, "start_work");
        QTRY_VERIFY_WITH_TIMEOUT(q->runMonitor(), 8000);
    }

    // The checks run in their order and the first failing one alone is
    // shown, with its picture; nothing is queued.
    void startChecksStopAtTheFirstFailing_data() { addRows(kStartChecks); }
    void startChecksStopAtTheFirstFailing()
    {
        const StartCheckRow &r = currentRow(kStartChecks);
        for (const char *line : r.boardState)
            if (line)
                QVERIFY(board(line));
        QTRY_COMPARE_WITH_TIMEOUT(machineFlags(), QString(r.flags), 5000);
        QPointer<quickstart> q = openSoft();
        press(q, "portion_plus", r.portions);
        press(q, "start_work");
        QCOMPARE(shownErrors(), QStringList{r.message});
        QCOMPARE(shownErrorPicture(), QString(r.picture));
        QVERIFY(!q->waitDialog() && !q->dangerQuestion());
        verifyNothingQueued();
    }

    // A program holding a value the board must not get (a speed past the
    // tables, a byte of 0x80 or more) is refused whole: nothing is queued.
    void programTheBoardMustNotGetIsRefused_data()
    {
        QTest::addColumn<int>("immersion");
        QTest::newRow("speed past the table") << 9;
        QTest::newRow("not a 7-bit byte") << 200;
    }
    void programTheBoardMustNotGetIsRefused()
    {
        QFETCH(int, immersion);
        WorkSettings recipe = *frostizing_medium;
        recipe.filename = "10007";
        recipe.setRecipeType(1);
        recipe.setMillingSteps(4, uint8_t(immersion), 1);
        actual = &recipe;
        QPointer<quickstart> q = new quickstart(nullptr, 80);
        q->setAttribute(Qt::WA_DeleteOnClose);
        q->show();
        press(q, "portion_plus");
        press(q, "start_work");
        QCOMPARE(shownErrors(), QStringList{"The program holds values the machine cannot take."});
        QVERIFY(!q->waitDialog());
        verifyNothingQueued();
        q->close();
        QTRY_VERIFY(q.isNull());
        actual = frostizing_soft;
    }

    // The filter warning comes once per screen, and only for programs with
    // an emulsion mode; the next attempt goes on to the other checks.
    void filterWarningOncePerScreen()
    {
        const QString filter = "Cambiare filtro aspirazione aria", gasket = "Insert gasket seal before start working.";
        machineLife.addTimePump(WorkingTimer::FILTER_LIMIT + 1, WorkingTimer::PRESSION_PUMP);
        QVERIFY(machineLife.checkFilterChange());
        QVERIFY(board("set gasket 0")); // a later check that stops the attempt
        QTRY_COMPARE_WITH_TIMEOUT(machineFlags(), QString("gasket=0 lid=1 glass=1 closeok=1"), 5000);
        // What one attempt to start shows; closed again.
        const auto attempt = [](QWidget *screen) {
            press(screen, "start_work");
            const QStringList shown = shownErrors();
            closeErrors();
            return shown;
        };

        QPointer<QuickStartLiquid> liquid = openLiquid(2);
        QVERIFY(!liquid->filterWarned());
        QCOMPARE(attempt(liquid), QStringList{filter});
        QVERIFY(liquid->filterWarned());
        QCOMPARE(attempt(liquid), QStringList{gasket});
        liquid->close();
        // A new screen warns again.
        liquid = openLiquid(3);
        QCOMPARE(attempt(liquid), QStringList{filter});
        liquid->close();

        // A frostizing program (no emulsion mode) is not held up by it.
        QPointer<quickstart> q = openSoft();
        press(q, "portion_plus");
        QCOMPARE(attempt(q), QStringList{gasket});
        QVERIFY(!q->filterWarned());
        verifyNothingQueued();
    }

    // Six failed status polls: the communication error once, then the
    // start goes ahead (the operator has been told).
    void communicationErrorOnceThenTheStartProceeds()
    {
        QPointer<quickstart> q = openSoft();
        press(q, "portion_plus");
        QVERIFY(board("ignore 112")); // the status polls go unanswered from now on
        // Once a poll went unanswered no late reply can reset the count below.
        QTRY_VERIFY_WITH_TIMEOUT(serialComunicationError >= 1, 3000);
        serialComunicationError = 6;
        press(q, "start_work");
        QCOMPARE(shownErrors(), QStringList{"Comunicarion error.\nPerform machine restart."});
        QVERIFY(displayError && !q->waitDialog());
        closeErrors();
        QVERIFY(serialComunicationError > 5);
        press(q, "start_work");
        QVERIFY(shownErrors().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(q->runMonitor(), 8000);
        QCOMPARE(boardCount(sim, 3), 1);
    }

    // Any step whose speeds the function's limits forbid raises the
    // question; "no" leaves the queue untouched, "yes" starts.
    void damagingSettingsQuestion_data() { addRows(kDamaging); }
    void damagingSettingsQuestion()
    {
        const DamagingRow &r = currentRow(kDamaging);
        const int function = r.function;
        QMap<uint8_t, QList<uint8_t>> *limits[] = {&frostizing_not_allow_setting, &cutting_not_allow_setting,
                                                   &whipping_not_allow_setting};
        (*limits[r.limitsOf - 1])[uint8_t(r.cut)].append(uint8_t(r.immersion));

        QPointer<WorkStartScreen> screen;
        if (function == 1) {
            QPointer<quickstart> q = openSoft();
            press(q, "portion_plus");
            screen = q.data();
        } else {
            screen = openLiquid(function).data();
        }
        press(screen, "start_work");
        if (!r.asked) {
            QVERIFY(!screen->dangerQuestion());
            QTRY_VERIFY_WITH_TIMEOUT(screen->runMonitor(), 8000);
            return;
        }
        QPointer<DialogMessage> question = screen->dangerQuestion();
        QVERIFY(question && question->isVisible());
        QCOMPARE(question->displayMessage(),
                 QString("La combinazione di impostazioni potrebbe provocare dei danni.\nVuoi continuare?"));
        press(screen, "start_work"); // no second question, nothing queued meanwhile
        QCOMPARE(visibleWindows<DialogMessage>().size(), 1);
        question->findChild<QPushButton *>("cancelKey")->click(); // "NO"
        QTRY_VERIFY(question.isNull());
        QVERIFY(!screen->waitDialog());
        verifyNothingQueued();

        press(screen, "start_work");
        question = screen->dangerQuestion();
        QVERIFY(question);
        question->findChild<QPushButton *>("okKey")->click(); // "YES"
        QTRY_VERIFY_WITH_TIMEOUT(screen->runMonitor(), 8000);
        QCOMPARE(boardCount(sim, 3), 1);
    }

    // Program types: the function's soft, medium or hard preset, reloaded,
    // with one portion step of 2 and the emulsion mode 127.
    void programTypesSelectThePresets_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<int>("type");
        QTest::newRow("cutting soft") << 2 << 0;
        QTest::newRow("cutting medium") << 2 << 1;
        QTest::newRow("cutting hard") << 2 << 2;
        QTest::newRow("whipping soft") << 3 << 0;
        QTest::newRow("whipping medium") << 3 << 1;
        QTest::newRow("whipping hard") << 3 << 2;
    }
    void programTypesSelectThePresets()
    {
        QFETCH(int, function);
        QFETCH(int, type);
        WorkSettings *const presets[2][3] = {{cutting_soft, cutting_medium, cutting_hard},
                                             {whipping_soft, whipping_medium, whipping_hard}};
        WorkSettings *preset = presets[function - 2][type];
        preset->setExtraEmulsionStep(5); // a change never stored: the reload drops it
        QPointer<QuickStartLiquid> liquid = openLiquid(function);
        const char *keys[] = {"program_type_1", "program_type_2", "program_type_3"};
        press(liquid, keys[type]);
        QCOMPARE(actual, preset);
        QCOMPARE(liquid->programType(), type);
        QCOMPARE(int(actual->getPortionDimension()), 2);
        QCOMPARE(int(actual->getEmulsionWorkingMode()), 127);
        QCOMPARE(int(actual->getExtraEmulsionStep()), 0);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(key(liquid, keys[i])->styleSheet().contains("background-color: rgb(88, 186, 72)"), i == type);
        QCOMPARE(liquid->findChild<QLabel *>("repetition_value")->text(),
                 QString::number(actual->getTotalEmulsionCicle())); // shown for the program now chosen
    }

    // Without the handed-over flag the operator's default type is chosen.
    void liquidStartTakesTheDefaultType()
    {
        QVERIFY(settings.setDefaultChoise(3, 2)); // hard
        actual = frostizing_soft;
        QuickStartLiquid liquid;
        liquid.setFunction(3, false, false);
        QCOMPARE(actual, whipping_hard);
        QCOMPARE(liquid.programType(), 2);
        settings.setDefaultChoise(3, 1);
    }

    void repetitionsAndAirOptions()
    {
        QPointer<quickstart> q = openSoft();
        QLabel *repetitions = q->findChild<QLabel *>("repetition_value");
        const int cycles = actual->getTotalEmulsionCicle();
        press(q, "repetition_minus"); // never below the program's own block
        QCOMPARE(repetitions->text(), QString::number(cycles));
        press(q, "repetition_plus", 2);
        QCOMPARE(int(actual->getExtraEmulsionStep()), 2);
        QCOMPARE(repetitions->text(), QString::number(cycles + 2));
        press(q, "repetition_plus", 10); // held to what the mode allows
        QCOMPARE(int(actual->getExtraEmulsionStep()), 6);

        const struct
        {
            const char *key;
            int type, intensity;
        } options[] = {{"air_flow", 127, 10}, {"air_no", 0, 0}, {"air_press", 15, 10}};
        for (const auto &o : options) {
            press(q, o.key);
            QCOMPARE(int(actual->getMillingPressionType()), o.type);
            QCOMPARE(int(actual->getMillingPressionIntensity()), o.intensity);
            for (int i = 0; i < EMULSION_STEPS; ++i) {
                QCOMPARE(int(actual->getEmulsionSteps(i).PressionType), o.type);
                QCOMPARE(int(actual->getEmulsionSteps(i).PressionIntensity), o.intensity);
            }
            QVERIFY(key(q, o.key)->styleSheet().contains("rgb(88, 186, 72)"));
        }
    }

    void remoteStartScreenByType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("title");
        QTest::newRow("frostizing") << 1 << "quickstart" << "Ospite";
        QTest::newRow("cutting") << 2 << "QuickStartLiquid" << "CUTTING";
        QTest::newRow("whipping") << 3 << "QuickStartLiquid" << "WHIPPING";
        QTest::newRow("no such type") << 0 << "" << "";
        QTest::newRow("cleaning is not started remotely") << 4 << "" << "";
    }
    void remoteStartScreenByType()
    {
        QFETCH(int, type);
        QFETCH(QString, screen);
        QFETCH(QString, title);
        // A guest program as the remote application hands it over.
        WorkSettings guest;
        guest.setRecipeType(uint8_t(type));
        guest.displayName = "Ospite";
        guest.setPortion(3);
        actual = &guest;
        const int windowsBefore = QApplication::topLevelWidgets().size();
        QPointer<QWidget> opened = openRemoteStartScreen(uint8_t(type), nullptr);
        if (screen.isEmpty()) {
            QVERIFY(!opened);
            QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
            return;
        }
        QVERIFY(opened && opened->isVisible() && opened->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(QString(opened->metaObject()->className()), screen);
        QCOMPARE(actual, &guest); // started as handed over
        QVERIFY(opened->findChild<QLabel *>("page_title")->text().startsWith(title));
        if (auto *liquid = qobject_cast<QuickStartLiquid *>(opened.data())) {
            QCOMPARE(liquid->function(), type);
            QCOMPARE(liquid->programType(), -1);
        } else {
            QCOMPARE(qobject_cast<quickstart *>(opened.data())->getPortion(), 3);
        }
        opened->close();
        QTRY_VERIFY(opened.isNull());
        actual = frostizing_soft;
    }
};

WORK_TEST_MAIN(TestStartScreens)
#include "tst_startscreens.moc"
