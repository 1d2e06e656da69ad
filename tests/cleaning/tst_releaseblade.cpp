// Blade release against the simulated board through a real pty and the link
// thread: the steps follow the board's release flags, the security button
// (the board's `hold`, read in the glass bit) and the mount state.
// The screen's own timer is stopped; the tests tick it.

#include "../app/support_app.h"

#include "BoardSimProcess.h"
#include "cleaning/CleaningResources.h"
#include "cleaning/ReleaseBlade.h"
#include "link/ProtocolConversion.h"
#include "platform/log.h"

#include <QPointer>

namespace {

const char kLid[] = "Close the machine before start working.";
const char kStart[] = "Push screen continuously.";
const char kScreenAndButton[] = "Push screen and security button continuously.";
const char kDirection[] = "Push direction and security button continuously.";
const char kRemove[] = "Remove blade.";
// Commands of one release movement on the simulated board.
constexpr int kMoveCommands = 3;

QPushButton *key(ReleaseBlade *s, const char *name) { return s->findChild<QPushButton *>(name); }

} // namespace

class TestReleaseBlade : public QObject
{
    Q_OBJECT

    TempRoot root;
    BoardSimProcess sim;
    std::unique_ptr<RunningLink> link;

    bool board(const QString &line) { return sim.command(line) == "ok"; }
    int sent(int code) { return sim.value(QString("count %1").arg(code)).toInt(); }

    static bool waitFor(const std::function<bool()> &done, int timeoutMs = 4000)
    {
        return QTest::qWaitFor(done, timeoutMs);
    }
    // Ticks the screen until `done` (or the screen is gone, when `done` says so).
    static bool tickUntil(QPointer<ReleaseBlade> &s, const std::function<bool()> &done, int timeoutMs = 5000)
    {
        return waitFor([&] {
            if (s)
                s->workingStateCheck();
            return done();
        }, timeoutMs);
    }
    // The operator's security button, once the link has read it.
    bool hold(bool on)
    {
        return board(QString("set hold %1").arg(on)) && waitFor([on] { return glassPresence == on; });
    }
    bool release(const char *flags)
    {
        const bool a = !qstrcmp(flags, "a") || !qstrcmp(flags, "both");
        const bool b = !qstrcmp(flags, "b") || !qstrcmp(flags, "both");
        return board(QString("set release ") + flags)
               && waitFor([a, b] { return cutRelease_flag_a == a && cutRelease_flag_b == b; });
    }
    // One press of a key; true once the board has answered what it queued.
    static bool press(ReleaseBlade *s, const char *name)
    {
        key(s, name)->click();
        return waitFor([] {
            FifoLock lock;
            return serialFifo.empty() && checkWaitStateVar();
        });
    }
    // Presses until the board shows the flags.
    bool holdUntil(ReleaseBlade *s, const char *name, bool a, bool b)
    {
        for (int i = 1; i < 2 * kMoveCommands; ++i) {
            if (!press(s, name))
                return false;
            if (i >= kMoveCommands && waitFor([a, b] { return cutRelease_flag_a == a && cutRelease_flag_b == b; }, 1000))
                return true;
        }
        return false;
    }

    // The link thread, once it has read the board at power-on (no glass, no hold).
    bool startLink()
    {
        link = std::make_unique<RunningLink>();
        return waitFor([] { return machineOpen && !glassPresence && !cutRelease_flag_a && !cutRelease_flag_b; });
    }
    QPointer<ReleaseBlade> open()
    {
        QPointer<ReleaseBlade> s = new ReleaseBlade();
        s->checkTimer()->stop();
        s->show();
        return s;
    }
    // From the start to the locked blade with the shortest way through the
    // pictures; returns once the mount state has been shown (step 4).
    QPointer<ReleaseBlade> openLocked()
    {
        QPointer<ReleaseBlade> s = open();
        if (!press(s, "pushButton_3") || !tickUntil(s, [&] { return key(s, "pushButton_3")->isEnabled(); })
            || !release("both") || !hold(true) || !press(s, "pushButton_3")
            || !tickUntil(s, [&] { return s->step() == 10; }) || !hold(false))
            return nullptr;
        for (int i = 0; i < 5; ++i) // the pictures back to step 2, then on to 3
            press(s, "pushButton_3");
        if (s->step() != 3 || !release("b"))
            return nullptr;
        return s;
    }

private slots:
    void initTestCase()
    {
        initCleaningResources();
        platform::setLogSink([](const std::string &) {});
        QVERIFY(sim.start());
        qputenv("FROSTPANEL_SERIAL", sim.devicePath().toLocal8Bit());
    }
    void init()
    {
        QVERIFY(board("reset all") && board("set glass none"));
        clearQueueAndWaitFlags();
        serviceEnable = false;
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        link.reset();
    }

    void lidOpenTickRunsNoStep()
    {
        QVERIFY(startLink());
        QVERIFY(board("set lid open") && waitFor([] { return !machineOpen; }));
        QPointer<ReleaseBlade> s = open();
        QVERIFY(press(s, "pushButton_3"));
        QCOMPARE(int(s->step()), 1);
        QVERIFY(waitFor([] { return cutRelease_flag_a.load(); }));
        for (int i = 0; i < 40; ++i)
            s->workingStateCheck();
        QCOMPARE(s->shownText(), QString(kLid));
        QCOMPARE(s->shownPicture(), QString(":/image/machine open.gif"));
        QVERIFY(!key(s, "pushButton_3")->isEnabled());

        // Closed again: the step's picture comes back, and the start wait
        // has not been counted while the lid was open.
        QVERIFY(board("set lid closed") && waitFor([] { return machineOpen.load(); }));
        s->workingStateCheck();
        QCOMPARE(s->shownText(), QString(kStart));
        for (int i = 0; i < ReleaseBlade::kStartWaitTicks - 1; ++i)
            s->workingStateCheck();
        QVERIFY(!key(s, "pushButton_3")->isEnabled());
        s->workingStateCheck();
        s->workingStateCheck();
        QVERIFY(key(s, "pushButton_3")->isEnabled());
        QCOMPARE(s->shownText(), QString(kScreenAndButton));
    }

    // Every step, with the commands each press sends.
    void releaseWalksThroughEveryStep()
    {
        QVERIFY(startLink());
        QPointer<ReleaseBlade> s = open();
        QCOMPARE(s->shownText(), QString(kStart));
        QVERIFY(press(s, "pushButton_3"));
        QCOMPARE(int(s->step()), 1);
        QVERIFY(!key(s, "pushButton_3")->isEnabled());
        QVERIFY(tickUntil(s, [&] { return key(s, "pushButton_3")->isEnabled(); }));
        QCOMPARE(sent(BoardCmd::CutRelease), 1);

        // Freeing the blade: one 10 per press, none once it is free.
        QVERIFY(hold(true));
        QVERIFY(holdUntil(s, "pushButton_3", true, true));
        QCOMPARE(sent(BoardCmd::CutRelease), 1 + kMoveCommands);
        QVERIFY(press(s, "pushButton_3"));
        QCOMPARE(int(s->step()), 2);
        QCOMPARE(sent(BoardCmd::CutRelease), 1 + kMoveCommands);
        QVERIFY(tickUntil(s, [&] { return s->shownText() == kRemove; }));
        QVERIFY(!key(s, "pushButton_3")->isEnabled());
        QVERIFY(tickUntil(s, [&] { return s->step() == 10; }));

        // The pictures: one touch each, nothing sent.
        QVERIFY(hold(false));
        const struct
        {
            int step;
            const char *text;
        } pictures[] = {{11, kRemove}, {12, "Insert blade."}, {13, kScreenAndButton}, {2, kScreenAndButton}};
        for (const auto &p : pictures) {
            QVERIFY(press(s, "pushButton_3"));
            QCOMPARE(int(s->step()), p.step);
            s->workingStateCheck();
            QCOMPARE(s->shownText(), QString(p.text));
        }
        QCOMPARE(sent(BoardCmd::CutRelease), 1 + kMoveCommands);

        // Locking: the screen alone starts it, the security button moves it.
        QVERIFY(press(s, "pushButton_3"));
        QCOMPARE(int(s->step()), 3);
        QVERIFY(hold(true));
        QVERIFY(holdUntil(s, "pushButton_3", false, true));
        QCOMPARE(sent(BoardCmd::CutRelease), 2 + 2 * kMoveCommands);
        QVERIFY(tickUntil(s, [&] { return s->step() == 4; }));
        QCOMPARE(sent(BoardCmd::BladeMountState), 1);
        QCOMPARE(s->shownText(), QString(kStart)); // mounted: push the screen
        QVERIFY(!s->stopPhase());

        // Lifting with the screen alone, then back with the security button.
        QVERIFY(hold(false));
        QVERIFY(holdUntil(s, "pushButton_3", true, true));
        QVERIFY(key(s, "pushButton_2")->isVisible());
        QVERIFY(tickUntil(s, [&] { return s->step() == 5; }));
        QVERIFY(!key(s, "pushButton_2")->isVisible());
        QVERIFY(hold(true));
        QVERIFY(holdUntil(s, "pushButton_3", false, false));
        QVERIFY(tickUntil(s, [&] { return s.isNull(); }));
        QCOMPARE(sent(BoardCmd::CutRelease), 2 + 4 * kMoveCommands);
    }

    void mountState_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("mount");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("backKey");
        QTest::newRow("mounted badly") << "late 600 116" << 15 << "Blade Mounted Incorrectly." << true;
        QTest::newRow("not mounted") << QString() << 0 << "Blade not Mounted." << true;
        QTest::newRow("no answer") << "refuse 116" << 15 << kDirection << false;
    }
    // A blade that does not sit right opens the manual moves; the second
    // direction takes it back to step 2.
    void mountState()
    {
        QFETCH(QString, fault);
        QFETCH(int, mount);
        QFETCH(QString, text);
        QFETCH(bool, backKey);
        QVERIFY(startLink());
        QVERIFY(board(QString("set blademount %1").arg(mount)));
        QVERIFY(fault.isEmpty() || board(fault));
        QPointer<ReleaseBlade> s = openLocked();
        QVERIFY(s);
        // The screen goes on ticking while the answer is awaited.
        int ticksWaiting = 0;
        QVERIFY(tickUntil(s, [&] {
            ticksWaiting += s->waitingForMountState();
            return s->step() == 4;
        }));
        QVERIFY(ticksWaiting >= (fault.startsWith("late") ? 10 : 1));
        QCOMPARE(s->shownText(), text);
        QVERIFY(s->stopPhase());
        s->workingStateCheck();
        QVERIFY(key(s, "pushButton_4")->isVisible());
        QCOMPARE(key(s, "pushButton_5")->isVisible(), backKey);
        if (!backKey)
            return;

        QVERIFY(hold(true));
        QVERIFY(holdUntil(s, "pushButton_5", true, true));
        QVERIFY(tickUntil(s, [&] { return s->step() == 2; }));
        QVERIFY(!s->stopPhase());
        QCOMPARE(s->shownText(), QString(kRemove));
        QVERIFY(!key(s, "pushButton_4")->isVisible() && !key(s, "pushButton_5")->isVisible());
        QVERIFY(tickUntil(s, [&] { return s->step() == 10; }));
    }

    // The stop after a good mount: the screen key rests, the first direction
    // lifts the blade (step 5) and takes it home, which ends the procedure.
    void stopPhase()
    {
        QVERIFY(startLink());
        QPointer<ReleaseBlade> s = openLocked();
        QVERIFY(s && tickUntil(s, [&] { return s->step() == 4; }));
        QVERIFY(press(s, "pushButton_3"));
        QVERIFY(press(s, "pushButton_2"));
        QCOMPARE(sent(BoardCmd::StopRelease), 1);
        QCOMPARE(s->shownText(), QString(kDirection));
        QVERIFY(tickUntil(s, [&] { return key(s, "pushButton_4")->isVisible(); }));
        QVERIFY(!key(s, "pushButton_5")->isVisible() && !key(s, "pushButton_2")->isVisible());
        const int releases = sent(BoardCmd::CutRelease);
        QVERIFY(press(s, "pushButton_3"));
        QCOMPARE(sent(BoardCmd::CutRelease), releases);

        QVERIFY(hold(true));
        QVERIFY(holdUntil(s, "pushButton_4", true, true));
        QVERIFY(tickUntil(s, [&] { return s->step() == 5; }));
        QVERIFY(s->stopPhase());
        QVERIFY(holdUntil(s, "pushButton_4", false, false));
        QVERIFY(tickUntil(s, [&] { return s.isNull(); }));
        QCOMPARE(sent(BoardCmd::ManualMoveA), 2 * kMoveCommands);
    }

    // Without the link: what emptying the queue leaves, and the service panel.
    // The icon opens the sensor page in service mode, once while it is up.
    void iconOpensTheSensorPage()
    {
        QVERIFY(startLink());
        QPointer<ReleaseBlade> s = open();
        const QString fault = sensorEntryFault(s, [&] { key(s, "icon_button")->click(); });
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    void emptyingDropsOnlyTheMoves()
    {
        serviceEnable = true;
        machineOpen = true;
        glassPresence = cutRelease_flag_a = cutRelease_flag_b = false;
        QPointer<ReleaseBlade> s = open();
        QVERIFY(requestTreePosition);
        key(s, "pushButton_3")->click();
        takeQueue();
        cutReleaseCmdSend = 1;
        cutRelease_flag_a = true;
        for (int i = 0; i <= ReleaseBlade::kStartWaitTicks; ++i)
            s->workingStateCheck();
        cutRelease_flag_b = glassPresence = true;
        key(s, "pushButton_3")->click();
        QCOMPARE(int(s->step()), 2);
        const ByteVector version = ProtocolConversion::BuildCommand(BoardCmd::Version);
        {
            FifoLock lock;
            for (uint8_t code : {BoardCmd::CutRelease, BoardCmd::Version, BoardCmd::ManualMoveA})
                serialFifo.push(ProtocolConversion::BuildCommand(code));
        }
        s->workingStateCheck();
        QCOMPARE(s->shownText(), QString(kRemove));
        QCOMPARE(takeQueue(), std::vector<ByteVector>{version});
        s->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!requestTreePosition);
        cutRelease_flag_a = cutRelease_flag_b = glassPresence = false;
    }
};

QTEST_MAIN(TestReleaseBlade)
#include "tst_releaseblade.moc"
