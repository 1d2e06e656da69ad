// Running system tools: a missing tool, a hanging one and one that closes its
// output early must all come back within the time allowed.

#include "data/SystemCommand.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

class TestSystemCommand : public QObject
{
    Q_OBJECT

private:
    const QByteArray savedPath = qgetenv("PATH");

private slots:
    void cleanup() { qputenv("PATH", savedPath); }

    void missingToolFailsAtOnce()
    {
        QTemporaryDir empty;
        qputenv("PATH", empty.path().toLocal8Bit()); // no sync here
        QElapsedTimer t;
        t.start();
        QVERIFY(!syscmd::run({"sync"}, 30000).started);
        syscmd::runSync();
        QVERIFY(t.elapsed() < 2000);
        QVERIFY(!syscmd::run({}, 100).started);
    }

    void hangingToolsAreKilledAtTheLimit_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("sleeping") << "exec sleep 20";
        QTest::newRow("output closed early") << "exec >&-; exec sleep 20";
    }
    void hangingToolsAreKilledAtTheLimit()
    {
        QFETCH(QString, script);
        QElapsedTimer t;
        t.start();
        const syscmd::Result r = syscmd::run({"sh", "-c", script.toStdString()}, 300);
        QVERIFY(r.started && !r.finished);
        QVERIFY(t.elapsed() >= 250 && t.elapsed() < 3000);
    }

    void chattyToolDoesNotBlockOnAFullPipe()
    {
        // More output than a pipe buffers: it must be drained while waiting.
        const syscmd::Result r = syscmd::run({"sh", "-c", "head -c 300000 /dev/zero; exit 3"}, 10000);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 3);
    }
};

QTEST_GUILESS_MAIN(TestSystemCommand)
#include "tst_systemcommand.moc"
