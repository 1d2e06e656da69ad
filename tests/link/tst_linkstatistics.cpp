// The link's statistics against the simulated board on a real
// pseudo-terminal: each way an exchange can go adds to its own counter, by
// exactly the exchanges it took.

#include "BoardSimProcess.h"
#include "TempRoot.h"

#include "link/LinkStatistics.h"
#include "link/ProtocolConversion.h"
#include "link/SerialThreadComunication.h"
#include "link/SharedState.h"
#include "platform/log.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

void queue(std::initializer_list<uint8_t> codes)
{
    FifoLock lock;
    for (uint8_t c : codes) {
        serialFifo.push(ProtocolConversion::BuildCommand(c));
        waitStateVar(c);
    }
}

using Counts = QVector<qulonglong>; // exchanges, no answer, corrupt, refused, retries, re-opens

Counts counts(const LinkStatistics::Snapshot &s)
{
    return {s.exchanges, s.noAnswer, s.corrupt, s.refused, s.retries, s.portReopens};
}

Counts since(const Counts &before)
{
    Counts now = counts(LinkStatistics::snapshot());
    for (int i = 0; i < now.size(); ++i)
        now[i] -= before[i];
    return now;
}

} // namespace

class TestLinkStatistics : public QObject
{
    Q_OBJECT

    TempRoot root;
    QTemporaryDir linkDir;
    BoardSimProcess sim;
    std::unique_ptr<SerialThreadComunication> link;

    bool board(const QString &line) { return sim.command(line) == "ok"; }

private slots:
    void initTestCase()
    {
        platform::setLogSink([](const std::string &) {});
        // Through a link that follows the device, as the hang-up needs.
        const QString path = linkDir.filePath("board");
        QVERIFY(sim.start({"--link", path}));
        qputenv("FROSTPANEL_SERIAL", path.toLocal8Bit());
        LinkStatistics::reset();
        link = std::make_unique<SerialThreadComunication>(10000);
        link->start();
        QTRY_VERIFY(firstResponseHandshakeRecieved);
    }
    void cleanupTestCase()
    {
        link.reset();
        sim.stop();
        platform::setLogSink(nullptr);
        qunsetenv("FROSTPANEL_SERIAL");
    }
    void init()
    {
        QVERIFY(board("reset faults"));
        FifoLock lock;
        serialFifo = {};
        resetStateVar();
    }

    void startingTheLinkIsNoReopen()
    {
        // The thread opened its port and went through its first Init.
        QCOMPARE(qulonglong(LinkStatistics::snapshot().portReopens), 0ULL);
    }

    void eachOutcomeCountsItsExchanges_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("flag"); // stopRunningFlag at the end
        QTest::addColumn<Counts>("expected");
        // exchanges, no answer, corrupt, refused, retries, re-opens
        QTest::newRow("acknowledged") << QString() << 1 << Counts{1, 0, 0, 0, 0, 0};
        QTest::newRow("missing reply, then answered") << "ignore 4 1" << 1 << Counts{2, 1, 0, 0, 1, 0};
        QTest::newRow("corrupt reply, then answered") << "corrupt 1 4" << 1 << Counts{2, 0, 1, 0, 1, 0};
        QTest::newRow("torn reply, then answered") << "tear 1 4" << 1 << Counts{2, 0, 1, 0, 1, 0};
        QTest::newRow("refused, never tried again") << "refuse 4 1" << -1 << Counts{1, 0, 0, 1, 0, 0};
        QTest::newRow("lost after three tries") << "ignore 4" << -1 << Counts{3, 3, 0, 0, 2, 0};
    }
    void eachOutcomeCountsItsExchanges()
    {
        QFETCH(QString, fault);
        QFETCH(int, flag);
        QFETCH(Counts, expected);
        if (!fault.isEmpty())
            QVERIFY(board(fault));
        const Counts before = counts(LinkStatistics::snapshot());
        // The frame behind is cancelled with a failed one, and never sent.
        queue({4, 11});
        QTRY_VERIFY_WITH_TIMEOUT(stopRunningFlag != 0 && cutCleanCmdSend != 0, 8000);
        QCOMPARE(int(stopRunningFlag), flag);
        const Counts ok = {1, 0, 0, 0, 0, 0};
        Counts want = expected;
        if (flag == 1) // then the one behind goes through too
            for (int i = 0; i < want.size(); ++i)
                want[i] += ok[i];
        QCOMPARE(since(before), want);
        QCOMPARE(int(cutCleanCmdSend), flag);
    }

    void statusPollsAreNotCounted()
    {
        QVERIFY(board("silent on"));
        const Counts before = counts(LinkStatistics::snapshot());
        const uint32_t missed = serialComunicationError;
        QTRY_VERIFY_WITH_TIMEOUT(serialComunicationError >= missed + 2, 8000);
        QVERIFY(board("silent off"));
        QCOMPARE(since(before), Counts(6, 0));
    }

    void lostLineIsReopened()
    {
        const Counts before = counts(LinkStatistics::snapshot());
        QVERIFY(sim.command("hangup").startsWith("ok /dev/"));
        // The frame that could not be sent fails, and the port is opened again.
        queue({4});
        QTRY_COMPARE_WITH_TIMEOUT(int(stopRunningFlag), -1, 5000);
        QTRY_COMPARE(qulonglong(LinkStatistics::snapshot().portReopens) - before[5], 1ULL);
        queue({4});
        QTRY_COMPARE_WITH_TIMEOUT(int(stopRunningFlag), 1, 5000);
        QCOMPARE(since(before), (Counts{1, 0, 0, 0, 0, 1}));

        // Stopping and starting the link opens the port again, too.
        link->stop();
        QTRY_COMPARE(link->getStatus(), Manager::Idle);
        link->start();
        QTRY_COMPARE(qulonglong(LinkStatistics::snapshot().portReopens) - before[5], 2ULL);
    }
};

QTEST_GUILESS_MAIN(TestLinkStatistics)
#include "tst_linkstatistics.moc"
