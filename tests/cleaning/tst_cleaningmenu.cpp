// The cleaning menu against the simulated board: the air purge on and off
// around its message, blade release only under a closed lid, the way to
// the custom cleaning, and no touch during a firmware update.

#include "../work/support_work.h"

#include "cleaning/Cleaning.h"
#include "cleaning/ReleaseBlade.h"
#include "cleaning/CleaningResources.h"
#include "cleaning/CustomCleaning.h"
#include "remote/RemoteState.h"

class TestCleaningMenu : public QObject
{
    Q_OBJECT

    TempRoot root;
    BoardSimProcess sim;
    std::unique_ptr<RunningLink> link;

    bool board(const QString &command) { return sim.command(command) == "ok"; }
    QPointer<Cleaning> openMenu()
    {
        auto *m = new Cleaning(nullptr);
        m->setAttribute(Qt::WA_DeleteOnClose);
        m->show();
        return m;
    }

private slots:
    void initTestCase()
    {
        initCleaningResources();
        QVERIFY(sim.start());
        qputenv("FROSTPANEL_SERIAL", sim.devicePath().toLocal8Bit());
        link = std::make_unique<RunningLink>();
    }
    void cleanupTestCase() { link.reset(); }
    void init()
    {
        QVERIFY(board("reset all"));
        clearQueueAndWaitFlags();
        fwUpdateStarted = false;
        QTRY_COMPARE_WITH_TIMEOUT(machineFlags(), QString("gasket=1 lid=1 glass=1 closeok=1"), 5000);
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
        QTest::qWait(50);
    }

    // On while the message is up, off once it is closed, or when the menu
    // goes with the message still up.
    void airPurge()
    {
        QPointer<Cleaning> menu = openMenu();
        canStartRemoteRecipe = true;
        menu->cleanfast_clicked();
        QVERIFY(!canStartRemoteRecipe);
        QPointer<DialogMessage> message = menu->purgeMessage();
        QVERIFY(message && message->isVisible());
        QCOMPARE(message->displayMessage(), QString("SPURGA IL CONDOTTO DI AREAZIONE.\nPOI ESCI DALLA SCHERMATA."));
        QTRY_COMPARE_WITH_TIMEOUT(sim.value("get purge"), QString("1"), 3000);
        menu->cleanfast_clicked(); // the message is up: no second purge
        message->findChild<QPushButton *>("cancelKey")->click();
        // A tap right after the exit key, before the closed message is
        // deleted, starts the next purge.
        menu->cleanfast_clicked();
        QTRY_COMPARE_WITH_TIMEOUT(sim.value("count 21"), QString("3"), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(sim.value("get purge"), QString("1"), 3000);
        menu->close();
        QTRY_COMPARE_WITH_TIMEOUT(sim.value("get purge"), QString("0"), 3000);
    }

    // The blade moves only under a closed lid.
    void bladeReleaseNeedsTheLidDown()
    {
        QPointer<Cleaning> menu = openMenu();
        QVERIFY(board("set lid open"));
        QTRY_VERIFY_WITH_TIMEOUT(!machineOpen, 5000);
        menu->release_clicked();
        QCOMPARE(shownErrors(), QStringList{"Close the machine before start working."});
        QCOMPARE(shownErrorPicture(), QString(":/image/machine open.gif"));
        closeErrors();
        QVERIFY(board("set lid closed"));
        QTRY_VERIFY_WITH_TIMEOUT(machineOpen, 5000);
        menu->release_clicked();
        QVERIFY(shownErrors().isEmpty());
        // The procedure opens over the menu, once however often it is asked.
        QCOMPARE(visibleWindows<ReleaseBlade>().size(), 1);
        menu->release_clicked();
        QCOMPARE(visibleWindows<ReleaseBlade>().size(), 1);
        visibleWindows<ReleaseBlade>().first()->close();
        QTRY_VERIFY(visibleWindows<ReleaseBlade>().isEmpty());
        QVERIFY(menu && menu->isVisible());
    }

    // The glass hint first; the menu hides under the custom cleaning and
    // closes with it.
    void customCleaningEntry()
    {
        QPointer<Cleaning> menu = openMenu();
        menu->customclean_clicked();
        QCOMPARE(shownErrors(), QStringList{"Place the glass behind the machine."});
        QCOMPARE(shownErrorPicture(), QString(":/image/glass_filter.gif"));
        QVERIFY(!menu->customCleaning());
        closeErrors();
        QTRY_VERIFY(menu->customCleaning());
        QPointer<CustomCleaning> custom = menu->customCleaning();
        QVERIFY(custom->isVisible() && !menu->isVisible());
        custom->findChild<QPushButton *>("return_home")->click();
        QTRY_VERIFY(menu.isNull());
    }

    // While a firmware update runs nothing is queued and nothing opens, nor
    // does a custom cleaning already open start.
    void noTouchDuringAFirmwareUpdate()
    {
        QPointer<Cleaning> menu = openMenu();
        fwUpdateStarted = true;
        QVERIFY(board("set lid open"));
        QTRY_VERIFY_WITH_TIMEOUT(!machineOpen, 5000);
        menu->release_clicked();
        menu->cleanfast_clicked();
        menu->customclean_clicked();
        QVERIFY(shownErrors().isEmpty() && !menu->purgeMessage() && !menu->customCleaning());
        CustomCleaning custom;
        custom.findChild<QPushButton *>("start_work")->click();
        QVERIFY(shownErrors().isEmpty() && !custom.waitDialog());
        QVERIFY(takeQueue().empty());
        fwUpdateStarted = false;
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestCleaningMenu t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_cleaningmenu.moc"
