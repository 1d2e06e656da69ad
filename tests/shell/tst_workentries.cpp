// The home screen's work tiles against the simulated board: each opens its
// start screen, one work screen at a time; the cutting/whipping tile and its
// selection; and the flags that keep remote starts out.

#include "support_shell.h"

#include "app/ErrorMessage.h"
#include "app/WaitResponseCmd.h"
#include "cleaning/Cleaning.h"
#include "data/GlassElement.h"
#include "data/Presets.h"
#include "data/UserSettings.h"
#include "data/WorkingTimer.h"
#include "errors/ErrorManager.h"
#include "remote/RemoteState.h"
#include "shell/MainWindow.h"
#include "shell/Wiring.h"
#include "work/QuickStartLiquid.h"
#include "work/SelectFunction.h"
#include "work/quickstart.h"

namespace {

const QPoint kSoftTile(80, 100);
const QPoint kMediumTile(240, 100);
const QPoint kHardTile(397, 100);
const QPoint kWhipCutTile(80, 212);
const QPoint kCleanTile(240, 212);

} // namespace

class TestWorkEntries : public QObject, BoardBench
{
    Q_OBJECT

    std::unique_ptr<MainWindow> home;


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
        QVERIFY(startBoard());
        QVERIFY(root.mkpath("/home/root/recipes"));
        errorSystem.fillErrorTable();
        errorSystem.loadData();
        initMillingDefaultSettings();
        initCuttingDefaultSettings();
        initWhippingDefaultSettings();
        machineLife.load();
        QVERIFY(settings.save() && settings.load());
        wireLayers();
        startLink();
    }
    void init()
    {
        QVERIFY(board("reset all"));
        clearQueueAndWaitFlags();
        actualSelectedGlass->reset();
        machineLife.resetFilterTime();
        canStartRemoteRecipe = true;
        lastUserEventOccurred = uint64_t(platform::nowSeconds()) + 3600;
    }
    void cleanup()
    {
        home.reset();
        closeWindows();
    }

    // The SOFT tile opens the start screen on its preset and the home
    // screen steps back; while it is up no other tile opens a second one.
    // (The start screens' own test follows a start from there to the board.)
    void softTileOpensOneStartScreen()
    {
        openHome();
        touchAt(home.get(), kSoftTile);
        QPointer<quickstart> start = qobject_cast<quickstart *>(home->workScreen());
        QVERIFY(start && start->isVisible());
        QCOMPARE(actual, frostizing_soft);
        QVERIFY(!home->homeInFront() && !canStartRemoteRecipe);
        QVERIFY(start->findChild<QLabel *>("page_title")->text().endsWith("SOFT"));
        for (const QPoint &tile : {kMediumTile, kHardTile, kWhipCutTile}) {
            touchAt(home.get(), tile);
            QCOMPARE(home->workScreen(), start.data());
        }
        QCOMPARE(actual, frostizing_soft);
        QCOMPARE(visibleWindows<quickstart>().size(), 1);
        // Back home once it is closed.
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
};

SHELL_TEST_MAIN(TestWorkEntries)
#include "tst_workentries.moc"
