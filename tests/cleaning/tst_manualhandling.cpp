// Manual handling: each click queues one move, reversing cancels the moves
// of the old direction still queued but nothing else.
// (The home screen's test drives it against the simulated board.)

#include "../app/support_app.h"

#include "cleaning/ManualHandling.h"
#include "link/ProtocolConversion.h"

namespace {

const ByteVector kMoveA = ProtocolConversion::BuildCommand(BoardCmd::ManualMoveA);
const ByteVector kMoveB = ProtocolConversion::BuildCommand(BoardCmd::ManualMoveB);
const ByteVector kVersion = ProtocolConversion::BuildCommand(BoardCmd::Version);
const ByteVector kMains = ProtocolConversion::BuildCommand(BoardCmd::MainsFrequency, ByteVector{5});

void queue(const std::vector<ByteVector> &frames)
{
    FifoLock lock;
    for (const ByteVector &f : frames)
        serialFifo.push(f);
}

QPushButton *first(ManualHandling &m) { return m.findChild<QPushButton *>("pushButton_4"); }
QPushButton *second(ManualHandling &m) { return m.findChild<QPushButton *>("pushButton_5"); }

} // namespace

class TestManualHandling : public QObject
{
    Q_OBJECT

private slots:
    void init() { takeQueue(); }

    void clicksQueueMovesAndReversingDropsOnlyPendingMoves()
    {
        ManualHandling m;
        // Moves left over from another screen are dropped by the first click;
        // the mains command queued at start-up is not.
        queue({kMoveB, kMains, kMoveB});
        first(m)->click();
        first(m)->click();
        QCOMPARE(int(m.currentDirection()), 1);
        QCOMPARE(takeQueue(), std::vector<ByteVector>({kMains, kMoveA, kMoveA}));
        // Reversing: the old moves go, the version request stays, the new move follows it.
        queue({kMoveA, kVersion, kMoveA});
        second(m)->click();
        QCOMPARE(int(m.currentDirection()), -1);
        QCOMPARE(takeQueue(), std::vector<ByteVector>({kVersion, kMoveB}));
    }

};

QTEST_MAIN(TestManualHandling)
#include "tst_manualhandling.moc"
