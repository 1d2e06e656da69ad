// The program stopped as the system stops it (SIGTERM) while remote saves are
// in flight: it must end within two seconds with exit status 0, and every
// file it stored must load afterwards, in the test and in the program
// started again.

#include "../remote/support_remote.h"
#include "BoardSimProcess.h"

#include "data/GlassElement.h"
#include "data/RecipeElementList.h"
#include "data/UserSettings.h"
#include "data/WorkingTimer.h"

#include <QtTest>

#include <csignal>

using namespace remotetest;

namespace {

constexpr int kStopLimitMs = 2000;

QString built(const char *name)
{
    return QCoreApplication::applicationDirPath() + "/../" + name;
}

} // namespace

class TstCleanStop : public QObject
{
    Q_OBJECT

    TempRoot root;
    BoardSimProcess board;
    uint16_t tcpPort = freePort(false);
    QProcess program;
    QByteArray log;
    QTemporaryDir work;
    QString backup;
    QList<qint64> stopTimes;

    Run tool(const QStringList &args) { return runTool(tcpPort, args); }

    // Launches the program on the sandbox and waits for its home screen
    // and its remote service.
    bool launch()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("FROSTPANEL_SERIAL", board.devicePath());
        env.insert("FROSTPANEL_TCP_PORT", QString::number(tcpPort));
        env.insert("FROSTPANEL_UDP_PORT", QString::number(freePort(true)));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        // The wireless tools' stand-ins: the machine counts as on a network.
        env.insert("PATH", qEnvironmentVariable("FROSTPANEL_SOURCE_DIR", QDir::currentPath()) + "/tools/demo-bin:"
                               + env.value("PATH"));
        // Leaks are the unit tests' business.
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        log.clear();
        program.start(built("frostpanel"), QStringList());
        if (!program.waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired() && program.state() == QProcess::Running) {
            program.waitForReadyRead(100);
            log += program.readAll();
            if (log.contains("schermata principale visualizzata") && tool({"ping"}).code == 0)
                return true;
        }
        qWarning("%s", log.right(3000).constData());
        program.kill();
        program.waitForFinished();
        return false;
    }

    // SIGTERM; the time until the program has ended, -1 when it did not end
    // cleanly.
    qint64 terminate()
    {
        QElapsedTimer took;
        took.start();
        ::kill(pid_t(program.processId()), SIGTERM);
        if (!program.waitForFinished(10000)) {
            program.kill();
            program.waitForFinished();
            return -1;
        }
        log += program.readAll();
        const qint64 ms = took.elapsed();
        stopTimes << ms;
        if (program.exitStatus() != QProcess::NormalExit || program.exitCode() != 0) {
            qWarning("exit status %d, code %d\n%s", int(program.exitStatus()), program.exitCode(),
                     log.right(3000).constData());
            return -1;
        }
        return ms;
    }

    // Every stored file loads: the recipe lists and each recipe they name,
    // the beaker registry and each beaker, the counters, the settings; no
    // temporary file of a write is left behind.
    void checkStoredFiles(int *recipes, int *beakers)
    {
        createRecipeLists();
        *recipes = 0;
        for (RecipeElementList *list : {recipesMillingList, recipesCuttingList, recipesWhippingList}) {
            for (uint code : list->getAllUpdateRecipe(0)) {
                WorkSettings w;
                w.setRecipeType(list == recipesMillingList ? 1 : list == recipesCuttingList ? 2 : 3);
                w.filename = QString::number(code);
                QVERIFY2(w.Load(), qPrintable(QString("recipe %1").arg(code)));
                ++*recipes;
            }
        }
        QVERIFY(glassList->Load());
        *beakers = 0;
        for (const QString &code : glassList->getAllUpdateGlass(0)) {
            GlassElement g;
            QVERIFY(g.setGlassCode(code));
            QVERIFY2(g.Load(), qPrintable(code));
            ++*beakers;
        }
        UserSettings settings;
        QVERIFY(settings.load());
        QVERIFY(QFile::exists(root.path("/home/root/working"))); // else load() makes one
        WorkingTimer counters;
        counters.load();
        QVERIFY(counters.isLoaded());
        for (const QString &file : root.files().keys())
            QVERIFY2(!file.contains(".tmp"), qPrintable(file));
    }

    // A backup of `count` recipes and beakers for the import to store,
    // made from a recipe as the machine gives it.
    bool writeBackup(int count)
    {
        Run r = tool({"recipe", "create", "milling", "Base"});
        const QRegularExpressionMatch m = QRegularExpression("created recipe (\\d+)").match(r.out);
        if (r.code != 0 || !m.hasMatch())
            return false;
        QJsonObject recipe = tool({"recipe", "get", "milling", m.captured(1)}).json();
        backup = work.filePath("backup");
        QDir().mkpath(backup + "/recipes/milling");
        QDir().mkpath(backup + "/beakers");
        QJsonArray recipes, beakers;
        for (int i = 0; i < count; ++i) {
            const QString file = QString("recipes/milling/%1.json").arg(20000 + i);
            recipe["code"] = 20000 + i;
            recipe["name"] = QString("Salvata %1").arg(i);
            recipe["minStock"] = i % 10;
            recipe["ingredients"] = QJsonArray{QJsonObject{{"name", "Latte"}, {"quantity", "100 g"}},
                                               QJsonObject{{"name", "Zucchero"}, {"quantity", QString::number(i)}}};
            recipes.append(QJsonObject{{"type", 1}, {"code", 20000 + i}, {"name", recipe["name"]},
                                       {"updated", recipe["updated"]}, {"file", file}});
            const QString code = QString("SV.%1").arg(i + 1, 6, 10, QChar('0'));
            const QJsonObject beaker{{"code", code},          {"size", "1"},          {"deadline", 4000000000.0},
                                     {"recipeCode", 20000 + i}, {"recipeType", 1},     {"portionsLeft", 40},
                                     {"updated", 1}};
            beakers.append(QJsonObject{{"code", code}, {"updated", 1}, {"file", "beakers/" + code + ".json"}});
            QFile rf(backup + "/" + file), bf(backup + "/beakers/" + code + ".json");
            if (!rf.open(QIODevice::WriteOnly) || !rf.write(QJsonDocument(recipe).toJson())
                || !bf.open(QIODevice::WriteOnly) || !bf.write(QJsonDocument(beaker).toJson()))
                return false;
        }
        QFile index(backup + "/index.json");
        return index.open(QIODevice::WriteOnly)
               && index.write(QJsonDocument(QJsonObject{{"recipes", recipes}, {"beakers", beakers}}).toJson()) > 0;
    }

    // Runs the import and stops the program once `lines` lines of the
    // report that start with `kind` are out.
    void stopDuringImport(const QString &kind, int lines)
    {
        QVERIFY(launch());
        QProcess import;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("FROSTPANEL_ROOT");
        import.setProcessEnvironment(env);
        import.start(built("frostpanel-remote"),
                     {"--host", "127.0.0.1", "--port", QString::number(tcpPort), "import", backup});
        QVERIFY(import.waitForStarted(5000));
        QByteArray report;
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired() && import.state() == QProcess::Running) {
            import.waitForReadyRead(20);
            report += import.readAllStandardOutput();
            if (report.count(QByteArray("\n") + kind.toUtf8()) >= lines)
                break;
        }
        QVERIFY2(import.state() == QProcess::Running, report.constData()); // still saving
        const qint64 ms = terminate();
        import.waitForFinished(10000);
        QVERIFY2(ms >= 0 && ms < kStopLimitMs, qPrintable(QString::number(ms) + " ms"));
        qInfo("stopped %lld ms after SIGTERM, during %s saves", ms, qPrintable(kind));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QFile::exists(built("frostpanel")) && QFile::exists(built("frostpanel-demo-seed")));
        QProcess seed;
        seed.start(built("frostpanel-demo-seed"), QStringList());
        QVERIFY(seed.waitForFinished(20000) && seed.exitCode() == 0);
        // The key of the protocol: the serial number the machine was given.
        const QByteArray serial = root.readFile("/home/root/info").split('\n').value(0).trimmed();
        QVERIFY(!serial.isEmpty());
        qputenv("FROSTPANEL_REMOTE_SERIAL", serial);
        QVERIFY(board.start());
    }

    // A failed test leaves no program behind for the next one.
    void cleanup()
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
    }

    void cleanupTestCase()
    {
        QString times;
        for (qint64 t : stopTimes)
            times += QString::number(t) + " ";
        qInfo("stop times (ms): %s", qPrintable(times));
    }

    void idleStop()
    {
        QVERIFY(launch());
        QVERIFY(writeBackup(60));
        const qint64 ms = terminate();
        QVERIFY2(ms >= 0 && ms < kStopLimitMs, qPrintable(QString::number(ms) + " ms"));
    }

    void stopDuringRecipeSaves() { stopDuringImport("recipe milling", 8); }

    // The recipes are there from the last run; the beakers follow them.
    void stopDuringBeakerSaves() { stopDuringImport("beaker", 5); }

    void stopWithTheBoardSilent()
    {
        QVERIFY(launch());
        // Every exchange now waits out the reply time-out (a second).
        QCOMPARE(board.command("silent on"), QStringLiteral("ok"));
        QTest::qWait(1500); // a few polls into it
        const qint64 ms = terminate();
        QCOMPARE(board.command("silent off"), QStringLiteral("ok"));
        QVERIFY2(ms >= 0 && ms < kStopLimitMs, qPrintable(QString::number(ms) + " ms"));
        qInfo("stopped %lld ms after SIGTERM, the board silent", ms);
    }

    void everythingStoredLoads()
    {
        int recipes = 0, beakers = 0;
        checkStoredFiles(&recipes, &beakers);
        QVERIFY(recipes >= 8 && beakers >= 5);
        // The program started again reads them all.
        QVERIFY(launch());
        const Run r = tool({"export", work.filePath("after")});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(r.out.contains(QString("exported %1 recipes and %2 beakers").arg(recipes).arg(beakers)));
        QVERIFY(terminate() >= 0);
    }
};

QTEST_GUILESS_MAIN(TstCleanStop)
#include "tst_cleanstop.moc"
