// Manual handling: each click queues one move, reversing cancels the moves
// of the old direction still queued but nothing else, a held key repeats;
// and against the simulated board the moves reach the axis.

#include "BoardSimProcess.h"
#include "TempRoot.h"
#include "settings/support_screencheck.h"

#include "cleaning/ManualHandling.h"
#include "link/ProtocolConversion.h"
#include "link/SerialThreadComunication.h"
#include "link/SharedState.h"

#include <QLabel>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

#include <memory>

namespace {

const ByteVector kMoveA = ProtocolConversion::BuildCommand(BoardCmd::ManualMoveA);
const ByteVector kMoveB = ProtocolConversion::BuildCommand(BoardCmd::ManualMoveB);
const ByteVector kVersion = ProtocolConversion::BuildCommand(BoardCmd::Version);
const ByteVector kMains = ProtocolConversion::BuildCommand(BoardCmd::MainsFrequency, ByteVector{5});

std::vector<ByteVector> takeQueue()
{
    FifoLock lock;
    std::vector<ByteVector> frames;
    while (!serialFifo.empty()) {
        frames.push_back(serialFifo.front());
        serialFifo.pop();
    }
    return frames;
}

void queue(const std::vector<ByteVector> &frames)
{
    FifoLock lock;
    for (const ByteVector &f : frames)
        serialFifo.push(f);
}

QPushButton *first(ManualHandling &m)
{
    return m.findChild<QPushButton *>("pushButton_4");
}

QPushButton *second(ManualHandling &m)
{
    return m.findChild<QPushButton *>("pushButton_5");
}

} // namespace

class TestManualHandling : public QObject
{
    Q_OBJECT

private slots:
    void init() { takeQueue(); }
    void cleanup() { takeQueue(); }

    void clicksQueueMovesAndReversingDropsOnlyPendingMoves()
    {
        ManualHandling m;
        QCOMPARE(int(m.currentDirection()), 0);

        // Moves left over from before (another screen's) are dropped by the
        // first click; the mains command queued at start-up is not.
        queue({kMoveB, kMains, kMoveB});
        first(m)->click();
        first(m)->click();
        QCOMPARE(int(m.currentDirection()), 1);
        QCOMPARE(takeQueue(), std::vector<ByteVector>({kMains, kMoveA, kMoveA}));

        // Same direction: the queue is only added to.
        queue({kVersion, kMoveA});
        first(m)->click();
        QCOMPARE(takeQueue(), std::vector<ByteVector>({kVersion, kMoveA, kMoveA}));

        // Reversing with three frames pending: the two old moves go, the
        // version request stays, the new move follows it.
        queue({kMoveA, kVersion, kMoveA});
        second(m)->click();
        QCOMPARE(int(m.currentDirection()), -1);
        QCOMPARE(takeQueue(), std::vector<ByteVector>({kVersion, kMoveB}));
    }

    void heldKeyRepeatsEvery400ms()
    {
        ManualHandling m;
        m.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        QTest::mousePress(second(m), Qt::LeftButton);
        QTest::qWait(1300);
        QTest::mouseRelease(second(m), Qt::LeftButton);
        // Press at 0 ms, repeats at about 400, 800 and 1200 ms (the release
        // click counts too); a loaded machine may lose one repeat.
        const std::vector<ByteVector> frames = takeQueue();
        QVERIFY2(frames.size() >= 3 && frames.size() <= 5, qPrintable(QString::number(frames.size())));
        for (const ByteVector &f : frames)
            QCOMPARE(f, kMoveB);
    }

    void screenReadsInBothLanguages()
    {
        ManualHandling m;
        m.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        QStringList problems = checkScreen(&m, "manualhandling_en");
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));

        // Texts follow a language change while the screen is up.
        QTranslator italian;
        QVERIFY(italian.load("italiano_it", QCoreApplication::applicationDirPath() + "/../languages"));
        QCoreApplication::installTranslator(&italian);
        auto *title = m.findChild<QLabel *>("title");
        QTRY_COMPARE(title->text(), QStringLiteral("MOVIMENTAZIONE MANUALE"));
        problems = checkScreen(&m, "manualhandling_it");
        QCoreApplication::removeTranslator(&italian);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
        QTRY_COMPARE(title->text(), QStringLiteral("MANUAL HANDLING"));
    }

    void movesReachTheBoardWhileItIsNotReady()
    {
        TempRoot root;
        BoardSimProcess board;
        QVERIFY(board.start());
        QCOMPARE(board.command("set ready 0"), QStringLiteral("ok"));
        QCOMPARE(board.command("set glass none"), QStringLiteral("ok"));
        QCOMPARE(board.command("set position 100"), QStringLiteral("ok"));
        qputenv("FROSTPANEL_SERIAL", board.devicePath().toLocal8Bit());
        machineReady = true;
        glassPresence = true;
        auto link = std::make_unique<SerialThreadComunication>(10000);
        link->start();

        // The state in which the home screen shows this screen.
        QTRY_VERIFY_WITH_TIMEOUT(!machineReady && !glassPresence, 10000);

        ManualHandling m;
        first(m)->click();
        first(m)->click();
        QTRY_COMPARE_WITH_TIMEOUT(board.value("get position"), QStringLiteral("110"), 10000);
        second(m)->click();
        QTRY_COMPARE_WITH_TIMEOUT(board.value("get position"), QStringLiteral("105"), 10000);

        link->kill();
        link->join();
        qunsetenv("FROSTPANEL_SERIAL");
        board.stop();
    }
};

QTEST_MAIN(TestManualHandling)
#include "tst_manualhandling.moc"
