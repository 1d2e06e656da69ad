// Running system tools: a missing tool, a hanging one and one that closes its
// output early must all come back within the time allowed.

#include "data/SystemCommand.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestSystemCommand : public QObject
{
    Q_OBJECT

private:
    QByteArray savedPath;
    QTemporaryDir bin;

    void fakeTool(const QString &name, const QByteArray &script)
    {
        QFile f(bin.path() + "/" + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n" + script + "\n");
        f.close();
        QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

private slots:
    void initTestCase() { savedPath = qgetenv("PATH"); }
    void cleanup() { qputenv("PATH", savedPath); }

    void exitStatusIsReported()
    {
        const syscmd::Result ok = syscmd::run({"true"}, 5000);
        QVERIFY(ok.started && ok.finished);
        QCOMPARE(ok.exitCode, 0);
        const syscmd::Result failed = syscmd::run({"sh", "-c", "exit 3"}, 5000);
        QVERIFY(failed.finished);
        QCOMPARE(failed.exitCode, 3);
    }

    void missingToolFailsAtOnce()
    {
        QVERIFY(bin.isValid());
        qputenv("PATH", bin.path().toLocal8Bit()); // no sync here
        QElapsedTimer t;
        t.start();
        const syscmd::Result r = syscmd::run({"sync"}, 30000);
        QVERIFY(!r.started);
        syscmd::runSync();
        QVERIFY(t.elapsed() < 2000);
        QVERIFY(!syscmd::run({}, 100).started);
    }

    void hangingToolIsKilledAtTheLimit()
    {
        fakeTool("sync", "exec sleep 20");
        qputenv("PATH", bin.path().toLocal8Bit() + ":" + savedPath);
        QElapsedTimer t;
        t.start();
        const syscmd::Result r = syscmd::run({"sync"}, 300);
        QVERIFY(r.started);
        QVERIFY(!r.finished);
        QVERIFY(t.elapsed() >= 250);
        QVERIFY(t.elapsed() < 3000);
    }

    void toolClosingItsOutputEarlyIsStillBounded()
    {
        QElapsedTimer t;
        t.start();
        const syscmd::Result r = syscmd::run({"sh", "-c", "exec >&-; exec sleep 20"}, 300);
        QVERIFY(r.started);
        QVERIFY(!r.finished);
        QVERIFY(t.elapsed() < 3000);
    }

    void chattyToolDoesNotBlockOnAFullPipe()
    {
        // More output than a pipe buffers: it must be drained while waiting.
        const syscmd::Result r = syscmd::run({"sh", "-c", "head -c 300000 /dev/zero"}, 10000);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 0);
    }
};

QTEST_GUILESS_MAIN(TestSystemCommand)
#include "tst_systemcommand.moc"
