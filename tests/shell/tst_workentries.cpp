// The home screen's work tiles against the simulated board: a start from the
// SOFT tile puts its sequence on the line and the run monitor follows the
// board's acknowledgements; one work screen at a time; the cutting/whipping
// tile and its selection; and the flags that keep remote starts out.

#include "support_shell.h"

#include "app/ErrorMessage.h"
#include "app/WaitResponseCmd.h"
#include "cleaning/Cleaning.h"
#include "data/GlassElement.h"
#include "data/Presets.h"
#include "data/SequenceMsg.h"
#include "data/UserSettings.h"
#include "data/WorkingTimer.h"
#include "errors/ErrorManager.h"
#include "link/ProtocolConversion.h"
#include "remote/RemoteState.h"
#include "shell/MainWindow.h"
#include "shell/Wiring.h"
#include "work/QuickStartLiquid.h"
#include "work/SelectFunction.h"
#include "work/quickstart.h"
#include "work/running.h"

namespace {

// A touch at `pos` of the window `top`, delivered to the widget found there.
void touchAt(QWidget *top, const QPoint &pos)
{
    QWidget *target = top->childAt(pos) ? top->childAt(pos) : top;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(top, pos));
}

const QPoint kSoftTile(80, 100);
const QPoint kMediumTile(240, 100);
const QPoint kHardTile(397, 100);
const QPoint kWhipCutTile(80, 212);
const QPoint kCleanTile(240, 212);

// The command frames the board received, without the link's own requests.
std::vector<ByteVector> commandsReceived(BoardSimProcess &sim)
{
    std::vector<ByteVector> out;
    for (const QString &line : sim.takeTraffic()) {
        if (!line.startsWith("rx "))
            continue;
        const QByteArray raw = QByteArray::fromHex(line.mid(3).toLatin1());
        const ByteVector frame(raw.begin(), raw.end());
        if (frame.size() > 1 && frame[1] < BoardCmd::Status)
            out.push_back(frame);
    }
    return out;
}

} // namespace

class TestWorkEntries : public QObject
{
    Q_OBJECT

    TempRoot root;
    BoardSimProcess sim;
    std::unique_ptr<RunningLink> link;
    std::unique_ptr<MainWindow> home;

    bool board(const QString &command) { return sim.command(command) == "ok"; }

    // The home screen past its first ready tick (the anomaly check is done).
    void openHome()
    {
        home = std::make_unique<MainWindow>();
        home->show();
        if (home->startDialog())
            home->startDialog()->close();
        QTRY_VERIFY_WITH_TIMEOUT(machineReady && oringPresence && machineOpen && glassPresence && machineCloseOk,
                                 5000);
        QTest::qWait(2 * MainWindow::kPollMs);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(sim.start());
        qputenv("FROSTPANEL_SERIAL", sim.devicePath().toLocal8Bit());
        QVERIFY(root.mkpath("/home/root/recipes"));
        errorSystem.fillErrorTable();
        errorSystem.loadData();
        initMillingDefaultSettings();
        initCuttingDefaultSettings();
        initWhippingDefaultSettings();
        machineLife.load();
        QVERIFY(settings.save() && settings.load());
        wireLayers();
        link = std::make_unique<RunningLink>();
    }
    void cleanupTestCase()
    {
        link.reset();
    }
    void init()
    {
        QVERIFY(board("reset all"));
        clearQueueAndWaitFlags();
        actualSelectedGlass->reset();
        machineLife.resetFilterTime();
        canStartRemoteRecipe = true;
        lastUserEventOccurred = uint64_t(platform::nowSeconds()) + 3600;
        QVERIFY(board("reset counts"));
    }
    void cleanup()
    {
        home.reset();
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
        QTest::qWait(50);
        board("log off");
    }

    // From the SOFT tile to the run monitor: the home screen steps back,
    // exactly the preset's sequence goes out, in order, and the monitor
    // opens once the board acknowledged milling, emulsion and start.
    void softTileStartsTheRun()
    {
        openHome();
        touchAt(home.get(), kSoftTile);
        QPointer<quickstart> start = qobject_cast<quickstart *>(home->workScreen());
        QVERIFY(start && start->isVisible());
        QCOMPARE(actual, frostizing_soft);
        QVERIFY(!home->homeInFront() && !canStartRemoteRecipe);
        QVERIFY(start->findChild<QLabel *>("page_title")->text().endsWith("SOFT"));

        // While it is up no other tile opens a second one.
        for (const QPoint &tile : {kMediumTile, kHardTile, kWhipCutTile}) {
            touchAt(home.get(), tile);
            QCOMPARE(home->workScreen(), start.data());
        }
        QCOMPARE(actual, frostizing_soft);
        QCOMPARE(visibleWindows<quickstart>().size(), 1);

        start->findChild<QPushButton *>("portion_plus")->click();
        start->findChild<QPushButton *>("portion_plus")->click();
        // The preset runs at its base speed plus the operator's offset (0),
        // on the descent and the ascent steps alike.
        const std::vector<ByteVector> expected = [] {
            WorkSettings program = *actual;
            const uint8_t speed = program.getMillingSteps(0).ImmersionSpeed;
            program.setMillingSteps(program.getMillingSteps(0).CutSpeed, speed);
            program.setEmulsionStepsUp(program.getEmulsionSteps(1).CutSpeed, speed);
            std::queue<ByteVector> q = BuildSequenceMsg(program);
            std::vector<ByteVector> out;
            for (; !q.empty(); q.pop())
                out.push_back(q.front());
            return out;
        }();
        QCOMPARE(int(expected[0][2]), 2); // two portions in the milling frame

        QVERIFY(board("late 700 3") && board("log on"));
        sim.takeTraffic();
        start->findChild<QPushButton *>("start_work")->click();
        QTRY_VERIFY_WITH_TIMEOUT(setMillingFlag == 1 && setEmulsionFlag == 1, 5000);
        QVERIFY(startRunningFlag == 0 && visibleWindows<running>().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindows<running>().size(), 1, 6000);
        QCOMPARE(int(startRunningFlag), 1);
        QCOMPARE(commandsReceived(sim), expected);

        // Back home once the screens are closed.
        visibleWindows<running>().first()->close();
        start->close();
        QTRY_VERIFY(start.isNull());
        QVERIFY(home->homeInFront() && canStartRemoteRecipe && !home->workScreen());
    }

    // The three frostizing tiles open the start screen on their preset.
    void frostizingTilesPickTheirPreset_data()
    {
        QTest::addColumn<QPoint>("tile");
        QTest::addColumn<int>("preset");
        QTest::newRow("soft") << kSoftTile << 0;
        QTest::newRow("medium") << kMediumTile << 1;
        QTest::newRow("hard") << kHardTile << 2;
    }
    void frostizingTilesPickTheirPreset()
    {
        QFETCH(QPoint, tile);
        QFETCH(int, preset);
        WorkSettings *const presets[] = {frostizing_soft, frostizing_medium, frostizing_hard};
        presets[preset]->setPortionDimension(12); // never stored: the tile reloads the preset
        openHome();
        touchAt(home.get(), tile);
        QVERIFY(qobject_cast<quickstart *>(home->workScreen()));
        QCOMPARE(actual, presets[preset]);
        QCOMPARE(int(actual->getPortionDimension()), 8);
    }

    // The cutting/whipping tile: whipping soft first, then the selection,
    // whose choice leads to the liquid start; leaving that goes home.
    void cuttingWhippingTileOpensTheSelection()
    {
        openHome();
        touchAt(home.get(), kWhipCutTile);
        QPointer<SelectFunction> select = qobject_cast<SelectFunction *>(home->workScreen());
        QVERIFY(select && select->isVisible());
        QCOMPARE(actual, whipping_soft);
        QVERIFY(!home->homeInFront() && !canStartRemoteRecipe);
        select->cutting_clicked();
        QPointer<QuickStartLiquid> liquid = select->startScreen();
        QVERIFY(liquid && liquid->isVisible() && liquid->function() == 2);
        QCOMPARE(actual, cutting_soft);
        // Prepared as a liquid program: one descent step, the emulsion
        // block repeated (a frostizing mode here would mill it as portions).
        QCOMPARE(int(actual->getEmulsionWorkingMode()), 127);
        QCOMPARE(int(actual->getPortionDimension()), 2);
        QVERIFY(actual->getTotalEmulsionCicle() > 0);
        touchAt(home.get(), kSoftTile); // still one work screen
        QCOMPARE(home->workScreen(), select.data());
        liquid->close();
        QTRY_VERIFY(select.isNull());
        QVERIFY(home->homeInFront() && canStartRemoteRecipe);
    }

    // A beaker left selected by a remote start is not the one a tile's
    // program comes from: it neither limits the portions nor stays selected
    // (its record would be changed by a run that never touched it).
    void tileStartForgetsAStaleBeaker()
    {
        QVERIFY(actualSelectedGlass->setGlassCode(QString("ABC.00042")) &&
                actualSelectedGlass->setGlassType(QString("1")));
        actualSelectedGlass->initResidualContent(); // 40: five portions of 8
        openHome();
        touchAt(home.get(), kSoftTile);
        auto *start = qobject_cast<quickstart *>(home->workScreen());
        QVERIFY(start);
        QVERIFY(!actualSelectedGlass->isLoad());
        QCOMPARE(start->maxPortions(), 10);
    }

    // A remote start's screen has cleared canStartRemoteRecipe: the tiles
    // open nothing on top of it.
    void noTileWhileARemoteStartScreenIsUp()
    {
        openHome();
        canStartRemoteRecipe = false;
        for (const QPoint &tile : {kSoftTile, kWhipCutTile}) {
            touchAt(home.get(), tile);
            QVERIFY(!home->workScreen());
        }
        QVERIFY(visibleWindows<quickstart>().isEmpty() && visibleWindows<SelectFunction>().isEmpty());
        QVERIFY(home->homeInFront());
    }

    // The cleaning tile opens the cleaning menu as the work tiles open
    // theirs: one work screen at a time, no remote start meanwhile, and
    // nothing while a firmware update runs.
    void cleaningTileOpensTheMenu()
    {
        openHome();
        fwUpdateStarted = true;
        touchAt(home.get(), kCleanTile);
        QVERIFY(!home->workScreen());
        fwUpdateStarted = false;
        touchAt(home.get(), kCleanTile);
        QPointer<Cleaning> menu = qobject_cast<Cleaning *>(home->workScreen());
        QVERIFY(menu && menu->isVisible());
        QVERIFY(!home->homeInFront() && !canStartRemoteRecipe);
        touchAt(home.get(), kSoftTile);
        QCOMPARE(home->workScreen(), menu.data());
        menu->closeWin();
        QTRY_VERIFY(menu.isNull());
        QVERIFY(home->homeInFront() && canStartRemoteRecipe && !home->workScreen());
    }

    // Every tile is a key in the theme colour.
    void tilesAreLive()
    {
        openHome();
        for (const char *name : {"p1_button", "p2_button", "p3_button", "whip_cut_button", "clean_button"}) {
            QWidget *tile = home->findChild<QWidget *>(name);
            QVERIFY2(tile->isEnabled() && tile->styleSheet().contains(customColor), name);
        }
    }
};

SHELL_TEST_MAIN(TestWorkEntries)
#include "tst_workentries.moc"
