// frostpanel-remote end to end: the real program against a running server.

#include "data/DataState.h"

#include "platform/clock.h"

#include "support_remote.h"

#include <QtTest>

#include <memory>

using namespace remotetest;

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

// The tool runs on a service computer: none of the machine's sandbox settings.
QProcessEnvironment toolEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"FROSTPANEL_ROOT", "FROSTPANEL_TCP_PORT", "FROSTPANEL_UDP_PORT"})
        env.remove(name);
    return env;
}

QString toolPath()
{
    const QString env = qEnvironmentVariable("FROSTPANEL_REMOTE_TOOL");
    return env.isEmpty() ? QCoreApplication::applicationDirPath() + "/../frostpanel-remote" : env;
}

} // namespace

class TstClient : public QObject
{
    Q_OBJECT

    std::unique_ptr<Server> server;
    uint32_t now = 1700000000;

    void tick() { platform::setFixedNow(++now); }

    Run tool(QStringList args, const QStringList &options = {})
    {
        QProcess p;
        p.setProcessEnvironment(toolEnvironment());
        QStringList all{"--host", "127.0.0.1", "--port", QString::number(server->tcpPort), "--user", "svc"};
        all << options << args;
        p.start(toolPath(), all);
        Run r;
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    QJsonObject json(const Run &r) { return QJsonDocument::fromJson(r.out.toUtf8()).object(); }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(toolPath()), qPrintable(toolPath()));
        platform::setFixedNow(now);
        server = std::make_unique<Server>();
        QVERIFY(server->startTcp());
    }

    void cleanupTestCase()
    {
        server.reset();
        platform::clearFixedNow();
    }

    void reachAndRefusals()
    {
        Run r = tool({"ping"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(r.out.contains("answers"));

        // Nobody listens there.
        QProcess p;
        p.setProcessEnvironment(toolEnvironment());
        p.start(toolPath(), {"--host", "127.0.0.1", "--port", QString::number(freePort(false)), "ping"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("unreachable"));

        // Another serial number: the answer cannot be opened.
        r = tool({"ping"}, {"--serial", "WRONG-NUMBER"});
        QCOMPARE(r.code, 4);
        QVERIFY(r.err.contains("serial number"));

        QCOMPARE(tool({"frobnicate"}).code, 1);
        QCOMPARE(tool({"recipe", "get", "7", "10000"}).code, 1);
        r = tool({"recipe", "get", "milling", "31337"});
        QCOMPARE(r.code, 3);
        QVERIFY(r.err.contains("0xFE"));
    }

    void recipesAndIngredients()
    {
        tick();
        Run r = tool({"recipe", "create", "milling", "Fragola"}, {"--min-stock", "12"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("created recipe 10000"));
        r = tool({"recipe", "create", "1", "Fragola"});
        QCOMPARE(r.code, 3);
        QVERIFY(r.err.contains("already exists"));

        tick();
        QCOMPARE(tool({"ingredient", "add", "milling", "10000", "Fragole", "300 g"}).code, 0);
        tick();
        QCOMPARE(tool({"ingredient", "add", "milling", "10000", "Zucchero", "40 g"}).code, 0);
        tick();
        QCOMPARE(tool({"ingredient", "update", "milling", "10000", "1", "Miele", "30 g"}).code, 0);

        r = tool({"recipe", "get", "milling", "10000"});
        QCOMPARE(r.code, 0);
        QJsonObject recipe = json(r);
        QCOMPARE(recipe["name"].toString(), QStringLiteral("Fragola"));
        QCOMPARE(recipe["minStock"].toInt(), 12);
        QCOMPARE(recipe["ingredients"].toArray().size(), 2);
        QCOMPARE(recipe["ingredients"].toArray()[1].toObject()["name"].toString(), QStringLiteral("Miele"));
        QCOMPARE(recipe["updated"].toInt(), int(now));

        // A stale update time is refused; without --seen the tool reads it.
        r = tool({"recipe", "update", "milling", "10000", "Fragolina"}, {"--seen", QString::number(now - 1)});
        QCOMPARE(r.code, 3);
        QVERIFY(r.err.contains("changed since"));
        tick();
        QCOMPARE(tool({"recipe", "update", "milling", "10000", "Fragolina"}).code, 0);
        recipe = json(tool({"recipe", "get", "milling", "10000"}));
        QCOMPARE(recipe["name"].toString(), QStringLiteral("Fragolina"));
        QCOMPARE(recipe["minStock"].toInt(), 12); // kept

        tick();
        QCOMPARE(tool({"ingredient", "delete", "milling", "10000", "0"}).code, 0);
        tick();
        QCOMPARE(tool({"ingredient", "clear", "milling", "10000"}).code, 0);
        QCOMPARE(json(tool({"recipe", "get", "milling", "10000"}))["ingredients"].toArray().size(), 0);

        r = tool({"recipes", "changed", "0"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith("milling\t10000\t" + QString::number(now)));
        tick();
        QCOMPARE(tool({"recipe", "delete", "milling", "10000"}).code, 0);
        r = tool({"recipes", "deleted", QString::number(now)});
        QVERIFY(r.out.startsWith("milling\t10000\t" + QString::number(now)));
    }

    void beakers()
    {
        tick();
        QCOMPARE(tool({"recipe", "create", "cutting", "Tagliata"}).code, 0);
        tick();
        Run r = tool({"beaker", "create", "XY.000777", "2", "+7d", "cutting", "10000"});
        QCOMPARE(r.code, 0);
        r = tool({"beaker", "get", "XY.000777"});
        QCOMPARE(r.code, 0);
        QJsonObject b = json(r);
        QCOMPARE(b["portionsLeft"].toInt(), 65);
        QCOMPARE(b["recipeFunction"].toString(), QStringLiteral("cutting"));

        tick();
        QCOMPARE(tool({"beaker", "update", "XY.000777", "+8d", "cutting", "10000"}).code, 0);
        QVERIFY(json(tool({"beaker", "get", "XY.000777"}))["deadline"].toDouble() > b["deadline"].toDouble());
        r = tool({"beakers", "changed"});
        QVERIFY(r.out.startsWith("XY.000777\t" + QString::number(now)));
        tick();
        QCOMPARE(tool({"beaker", "delete", "XY.000777"}).code, 0);
        QCOMPARE(tool({"beaker", "get", "XY.000777"}).code, 3);
        QVERIFY(tool({"beakers", "deleted"}).out.startsWith("XY.000777"));
    }

    void exportWritesReadableFiles()
    {
        tick();
        QCOMPARE(tool({"recipe", "create", "whipping", "Montata"}).code, 0);
        tick();
        QCOMPARE(tool({"ingredient", "add", "whipping", "10000", "Panna", "1 l"}).code, 0);
        tick();
        QCOMPARE(tool({"beaker", "create", "EX.000001", "1", "+1d", "whipping", "10000"}).code, 0);

        QTemporaryDir dir;
        const Run r = tool({"export", dir.path()});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QFile indexFile(dir.filePath("index.json"));
        QVERIFY(indexFile.open(QIODevice::ReadOnly));
        const QJsonObject index = QJsonDocument::fromJson(indexFile.readAll()).object();
        QCOMPARE(index["databaseTime"].toInt(), int(now));
        QVERIFY(index["recipes"].toArray().size() >= 2);
        QCOMPARE(index["beakers"].toArray().size(), 1);
        QVERIFY(index["deletedRecipes"].toArray().size() >= 1);

        QFile recipeFile(dir.filePath("recipes/whipping/10000.json"));
        QVERIFY(recipeFile.open(QIODevice::ReadOnly));
        const QJsonObject recipe = QJsonDocument::fromJson(recipeFile.readAll()).object();
        QCOMPARE(recipe["name"].toString(), QStringLiteral("Montata"));
        QCOMPARE(recipe["ingredients"].toArray()[0].toObject()["quantity"].toString(), QStringLiteral("1 l"));
        QCOMPARE(recipe["emulsionSteps"].toArray().size(), 8);
        QVERIFY(QFile::exists(dir.filePath("beakers/EX.000001.json")));
    }

    void discover()
    {
        QProcess p;
        p.setProcessEnvironment(toolEnvironment());
        p.start(toolPath(), {"--host", "127.0.0.1", "--port", QString::number(server->udpPort), "discover"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 2); // nobody answers yet

        QVERIFY(server->startUdp());
        p.start(toolPath(), {"--host", "127.0.0.1", "--port", QString::number(server->udpPort), "discover"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()).trimmed(), QStringLiteral("127.0.0.1"));
    }
};

QTEST_GUILESS_MAIN(TstClient)
#include "tst_client.moc"
