// The worker runner's steering states.

#include "link/Manager.h"

#include <QtTest>

#include <unistd.h>

namespace {

// A worker shaped like the real ones: it re-initialises on Init and counts.
struct CountingWorker : Manager
{
    CountingWorker() : Manager(&CountingWorker::run, 1000)
    {
        usleep(20000); // a body started now would see this object half built
        built = true;
    }
    ~CountingWorker() override
    {
        kill();
        join();
    }
    static void *run(void *arg)
    {
        auto *self = static_cast<CountingWorker *>(arg);
        for (Status s; (s = self->_status) != Exit; usleep(1000)) {
            self->sawHalfBuilt = self->sawHalfBuilt || !self->built;
            if (s == Init) {
                ++self->inits;
                self->_status = Working;
            }
        }
        return nullptr;
    }
    std::atomic<int> inits{0};
    std::atomic<bool> built{false};
    std::atomic<bool> sawHalfBuilt{false};
};

} // namespace

class TstManager : public QObject
{
    Q_OBJECT

private slots:
    void steering()
    {
        CountingWorker w;
        w.stop(); // not working: ignored
        QCOMPARE(w.getStatus(), Manager::FirstWait);
        w.start();
        QTRY_VERIFY_WITH_TIMEOUT(w.getStatus() == Manager::Working, 3000);
        QVERIFY(!w.sawHalfBuilt);
        w.stop();
        QCOMPARE(w.getStatus(), Manager::Idle);
        w.start(); // re-initialises
        QTRY_VERIFY_WITH_TIMEOUT(w.inits == 2 && w.getStatus() == Manager::Working, 3000);
        w.kill();
        w.start(); // Exit is final
        QCOMPARE(w.getStatus(), Manager::Exit);
    }

    void killBeforeStartNeverRunsTheBody()
    {
        CountingWorker w;
        w.kill();
        w.join(); // returns: the thread ended by itself
        QVERIFY(!w.sawHalfBuilt && w.inits == 0);
    }
};

QTEST_GUILESS_MAIN(TstManager)
#include "tst_manager.moc"
