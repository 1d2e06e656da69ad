// The worker runner's steering states and watchdog.

#include "link/Manager.h"

#include <QtTest>

#include <ctime>
#include <unistd.h>

namespace {

// A worker shaped like the real ones: it re-initialises on Init and counts.
class CountingWorker : public Manager
{
public:
    CountingWorker() : Manager(&CountingWorker::run, 1000) {}
    ~CountingWorker() override
    {
        kill();
        join();
    }

    static void *run(void *arg)
    {
        auto *self = static_cast<CountingWorker *>(arg);
        for (;;) {
            const Status s = self->_status;
            if (s == Exit)
                break;
            if (s == Init) {
                ++self->inits;
                self->_status = Working;
            } else if (s == Working) {
                ++self->passes;
            }
            usleep(static_cast<useconds_t>(self->_usec_sleep));
        }
        self->ended = true;
        return nullptr;
    }

    void setLastCycle(uint32_t t) { _last_cicle_execution = t; }

    std::atomic<int> inits{0};
    std::atomic<int> passes{0};
    std::atomic<bool> ended{false};
};

bool waitUntil(const std::function<bool()> &pred, int ms = 3000)
{
    for (int i = 0; i < ms / 5; ++i) {
        if (pred())
            return true;
        usleep(5000);
    }
    return pred();
}

} // namespace

class TstManager : public QObject
{
    Q_OBJECT

private slots:
    void steering()
    {
        CountingWorker w;
        QCOMPARE(w.getStatus(), Manager::FirstWait);
        w.stop(); // not working: ignored
        QCOMPARE(w.getStatus(), Manager::FirstWait);
        w.start();
        QVERIFY(waitUntil([&] { return w.getStatus() == Manager::Working; }));
        QCOMPARE(w.inits.load(), 1);
        w.start(); // already working: ignored
        QCOMPARE(w.getStatus(), Manager::Working);

        // stop then start re-initialises.
        w.stop();
        QCOMPARE(w.getStatus(), Manager::Idle);
        w.start();
        QVERIFY(waitUntil([&] { return w.inits == 2 && w.getStatus() == Manager::Working; }));
        QVERIFY(w.checkThreadAlive());

        w.kill();
        w.start(); // Exit is final
        QCOMPARE(w.getStatus(), Manager::Exit);
        QVERIFY(waitUntil([&] { return w.ended.load(); }));
    }

    void killBeforeStartNeverInitialises()
    {
        CountingWorker w;
        w.kill();
        w.join(); // returns: the thread ended by itself
        QCOMPARE(w.inits.load(), 0);
        QCOMPARE(w.passes.load(), 0);

        // A dead worker can be given a new thread.
        QVERIFY(!w.checkThreadAlive());
        QVERIFY(w.resumeThread(&CountingWorker::run));
        QCOMPARE(w.getStatus(), Manager::FirstWait);
        w.start();
        QVERIFY(waitUntil([&] { return w.inits == 1; }));
    }

    void watchdogAllowsFifteenMinutes()
    {
        CountingWorker w;
        // Retry if the second ticks over between setting and checking.
        for (int attempt = 0; attempt < 5; ++attempt) {
            const uint32_t now = static_cast<uint32_t>(std::time(nullptr));
            w.setLastCycle(now - 900);
            const bool atLimit = w.checkWachdog();
            w.setLastCycle(now - 901);
            const bool past = w.checkWachdog();
            if (std::time(nullptr) != static_cast<time_t>(now))
                continue;
            QVERIFY(atLimit);
            QVERIFY(!past);
            return;
        }
        QFAIL("clock kept ticking");
    }
};

QTEST_GUILESS_MAIN(TstManager)
#include "tst_manager.moc"
