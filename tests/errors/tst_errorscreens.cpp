// The work anomaly warning and the filter page.

#include "../app/support_app.h"

#include "TempRoot.h"
#include "app/AppState.h"
#include "data/DataState.h"
#include "data/SystemCommand.h"
#include "data/WorkingTimer.h"
#include "errors/AnomalyWorking.h"
#include "errors/ErrorManager.h"
#include "errors/FilterChange.h"
#include "link/SharedState.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

class ErrorScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void anomalyStopIsSentTwiceAtMost();
    void anomalyClosesWhenTheBoardEndsTheWork();
    void filterTimes_data();
    void filterTimes();
    void filterConfirmOrBack();
};

void ErrorScreensTest::initTestCase()
{
    initErrorsResources();
    syscmd::setSyncRunner([] {});
}

void ErrorScreensTest::init()
{
    FifoLock lock;
    while (!serialFifo.empty())
        serialFifo.pop();
}

void ErrorScreensTest::anomalyStopIsSentTwiceAtMost()
{
    working = true;
    enableScreenSaver = true;
    std::vector<std::vector<uint8_t>> queued;
    bool keyEnabledAfter = true;
    bool saverHeldOff = false;
    whenModal<AnomalyWorking>([&](AnomalyWorking *a) {
        saverHeldOff = !enableScreenSaver;
        auto *stop = a->findChild<QPushButton *>("stop");
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(stop, Qt::LeftButton);
        keyEnabledAfter = stop->isEnabled();
        {
            FifoLock lock;
            while (!serialFifo.empty()) {
                queued.push_back(serialFifo.front());
                serialFifo.pop();
            }
        }
        working = false; // the board stops
    });
    AnomalyWorking dialog;
    QCOMPARE(dialog.findChild<QLabel *>("title")->text(), QString("ANOMALY WORKING"));
    dialog.exec();

    QVERIFY(saverHeldOff);
    QCOMPARE(queued.size(), size_t(2));
    for (const auto &frame : queued) {
        QCOMPARE(frame.size(), size_t(4)); // start, code, checksum, end
        QCOMPARE(int(frame[0]), 0xF3);
        QCOMPARE(int(frame[1]), 4);
        QCOMPARE(int(frame.back()), 0xFC);
    }
    QVERIFY(!keyEnabledAfter);
    QCOMPARE(dialog.stopPressesLeft(), 0);
    // The screen saver is allowed again once the warning is gone.
    QVERIFY(enableScreenSaver);
}

void ErrorScreensTest::anomalyClosesWhenTheBoardEndsTheWork()
{
    working = true;
    auto *dialog = new AnomalyWorking;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<AnomalyWorking> guard = dialog;
    dialog->show();
    QTest::qWait(300);
    QVERIFY(dialog->isVisible());
    working = false;
    QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 1000);
    FifoLock lock;
    QVERIFY(serialFifo.empty());
}

void ErrorScreensTest::filterTimes_data()
{
    QTest::addColumn<quint64>("pumpSeconds");
    QTest::addColumn<QString>("working");
    QTest::addColumn<QString>("remaining");
    QTest::newRow("new filter") << quint64(0) << "0:00 [h:mm]" << "100:00 [h:mm]";
    QTest::newRow("part used") << quint64(99 * 3600 + 5 * 60 + 30) << "99:05 [h:mm]" << "0:54 [h:mm]";
    QTest::newRow("over the limit") << quint64(120 * 3600) << "120:00 [h:mm]" << "0:00 [h:mm]";
}

void ErrorScreensTest::filterTimes()
{
    QFETCH(quint64, pumpSeconds);
    QFETCH(QString, working);
    QFETCH(QString, remaining);
    TempRoot root;
    machineLife.load();
    machineLife.resetFilterTime();
    machineLife.addTimePump(pumpSeconds, WorkingTimer::PRESSION_PUMP);
    FilterChange page;
    QCOMPARE(page.findChild<QLabel *>("title")->text(), QString("FILTER INFO"));
    QCOMPARE(page.workingText(), working);
    QCOMPARE(page.remainingText(), remaining);
}

void ErrorScreensTest::filterConfirmOrBack()
{
    for (const char *key : {"confirm", "undo"}) {
        changefilter = true; // left over from an earlier page
        auto *page = new FilterChange;
        QVERIFY(!changefilter);
        page->setAttribute(Qt::WA_DeleteOnClose);
        bool destroyed = false;
        connect(page, &QObject::destroyed, [&] { destroyed = true; });
        page->show();
        QTest::mouseClick(page->findChild<QPushButton *>(key), Qt::LeftButton);
        QTRY_VERIFY(destroyed);
        QCOMPARE(bool(changefilter), QByteArray(key) == "confirm");
    }
}

QTEST_MAIN(ErrorScreensTest)
#include "tst_errorscreens.moc"
