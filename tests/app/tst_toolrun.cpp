// The asynchronous tool runner: the result comes from the event loop, never
// from inside start(); output is read whole; a missing tool fails at once, a
// hanging one is killed at the limit; a run whose owner goes away is killed
// and reports nothing.

#include "support_app.h"

#include "app/ToolRun.h"

#include <csignal>

namespace {

struct Outcome
{
    bool done = false;
    ToolRun::Result result;
};

} // namespace

class TestToolRun : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { ToolRun::setLimitMsForTests(0); }

    void results_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("outputSize");
        QTest::newRow("output read whole, standard error dropped")
            << "sh" << QStringList{"-c", "head -c 300000 /dev/zero; echo noise >&2; exit 3"} << true << true << 3
            << 300000;
        QTest::newRow("output past 1 MiB dropped")
            << "sh" << QStringList{"-c", "head -c 3000000 /dev/zero"} << true << true << 0 << ToolRun::kMaxOutputBytes;
        QTest::newRow("missing tool") << "frostpanel-no-such-tool" << QStringList{} << false << false << -1 << 0;
        QTest::newRow("killed by a signal") << "sh" << QStringList{"-c", "kill -9 $$"} << true << false << -1 << 0;
    }
    void results()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        Outcome o;
        QObject owner;
        ToolRun::start(program, args, &owner, [&](const ToolRun::Result &r) {
            o.done = true;
            o.result = r;
        });
        QVERIFY(!o.done); // never from inside start()
        QTRY_VERIFY_WITH_TIMEOUT(o.done, 5000);
        QTEST(o.result.started, "started");
        QTEST(o.result.finished, "finished");
        QTEST(o.result.exitCode, "exitCode");
        QTEST(int(o.result.output.size()), "outputSize");
    }

    void hangingToolKilledAtTheLimit()
    {
        ToolRun::setLimitMsForTests(300);
        Outcome o;
        QObject owner;
        QElapsedTimer clock;
        clock.start();
        ToolRun::start("sh", {"-c", "echo partial; exec sleep 30"}, &owner, [&](const ToolRun::Result &r) {
            o.done = true;
            o.result = r;
        });
        QTRY_VERIFY_WITH_TIMEOUT(o.done, 3000);
        QVERIFY2(clock.elapsed() >= 280 && clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(o.result.started && !o.result.finished && !o.result.ok());
        QCOMPARE(o.result.output, QByteArray("partial\n"));
    }

    void ownerGoneKillsTheToolSilently()
    {
        bool called = false;
        QString pidFile = QDir::temp().filePath(QStringLiteral("toolrun-%1.pid").arg(QCoreApplication::applicationPid()));
        {
            QObject owner;
            ToolRun::start("sh", {"-c", "echo $$ > \"$1\"; exec sleep 30", "sh", pidFile}, &owner,
                           [&](const ToolRun::Result &) { called = true; });
            QTRY_VERIFY(QFile(pidFile).size() > 0);
        }
        QFile f(pidFile);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const pid_t pid = f.readAll().trimmed().toInt();
        f.remove();
        QVERIFY(pid > 0);
        QTRY_VERIFY(::kill(pid, 0) != 0);
        QTest::qWait(50);
        QVERIFY(!called);
    }
};

QTEST_MAIN(TestToolRun)
#include "tst_toolrun.moc"
