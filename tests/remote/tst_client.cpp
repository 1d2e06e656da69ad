// frostpanel-remote end to end: the real program against a running server.

#include "platform/clock.h"

#include "support_remote.h"

#include <QtTest>

using namespace remotetest;

struct Run
{
    int code = -1;
    QString out;
    QString err;
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
};

class TstClient : public QObject
{
    Q_OBJECT

    std::unique_ptr<Server> server;
    uint32_t now = 1700000000;

    void tick() { platform::setFixedNow(++now); }

    // The tool runs on a service computer: none of the machine's sandbox settings.
    Run tool(const QStringList &args, QStringList options = {"--port", "tcp"})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("FROSTPANEL_ROOT");
        QProcess p;
        p.setProcessEnvironment(env);
        options.replaceInStrings("tcp", QString::number(server->tcpPort));
        p.start(QCoreApplication::applicationDirPath() + "/../frostpanel-remote",
                QStringList{"--host", "127.0.0.1", "--user", "svc"} + options + args);
        Run r;
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit)
            r.code = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

private slots:
    void initTestCase()
    {
        platform::setFixedNow(now);
        server = std::make_unique<Server>();
        QVERIFY(server->startTcp());
    }

    void cleanupTestCase() { server.reset(); platform::clearFixedNow(); }

    void reachAndRefusals()
    {
        Run r = tool({"ping"});
        QVERIFY2(r.code == 0 && r.out.contains("answers"), qPrintable(r.err));
        r = tool({"ping"}, {"--port", QString::number(freePort(false))});
        QVERIFY(r.code == 2 && r.err.contains("unreachable"));
        // Another serial number: the answer cannot be opened.
        r = tool({"ping"}, {"--port", "tcp", "--serial", "WRONG-NUMBER"});
        QVERIFY(r.code == 4 && r.err.contains("serial number"));
        QCOMPARE(tool({"recipe", "get", "7", "10000"}).code, 1);
        r = tool({"recipe", "get", "milling", "31337"});
        QVERIFY(r.code == 3 && r.err.contains("0xFE"));
    }

    void recipesAndIngredients()
    {
        tick();
        Run r = tool({"recipe", "create", "milling", "Fragola"}, {"--port", "tcp", "--min-stock", "12"});
        QVERIFY(r.code == 0 && r.out.contains("created recipe 10000"));
        r = tool({"recipe", "create", "1", "Fragola"});
        QVERIFY(r.code == 3 && r.err.contains("already exists"));
        tick();
        QCOMPARE(tool({"ingredient", "add", "milling", "10000", "Fragole", "300 g"}).code, 0);
        // A stale update time is refused; without --seen the tool reads it.
        const QStringList stale{"--port", "tcp", "--seen", QString::number(now - 1)};
        r = tool({"recipe", "update", "milling", "10000", "Fragolina"}, stale);
        QVERIFY(r.code == 3 && r.err.contains("changed since"));
        tick();
        QCOMPARE(tool({"recipe", "update", "milling", "10000", "Fragolina"}).code, 0);
        const QJsonObject recipe = tool({"recipe", "get", "milling", "10000"}).json();
        QVERIFY(recipe["name"].toString() == "Fragolina" && recipe["minStock"].toInt() == 12); // the stock kept
        QCOMPARE(recipe["ingredients"].toArray()[0].toObject()["name"].toString(), QStringLiteral("Fragole"));
        QCOMPARE(recipe["updated"].toInt(), int(now));
        QVERIFY(tool({"recipes", "changed", "0"}).out.startsWith("milling\t10000\t" + QString::number(now)));
        tick();
        QCOMPARE(tool({"recipe", "delete", "milling", "10000"}).code, 0);
        QVERIFY(tool({"recipes", "deleted", QString::number(now)}).out.startsWith("milling\t10000\t"));
    }

    void beakersAndExport()
    {
        tick();
        QCOMPARE(tool({"recipe", "create", "whipping", "Montata"}).code, 0);
        tick();
        QCOMPARE(tool({"beaker", "create", "XY.000777", "2", "+7d", "whipping", "10000"}).code, 0);
        const QJsonObject b = tool({"beaker", "get", "XY.000777"}).json();
        QVERIFY(b["portionsLeft"].toInt() == 65 && b["recipeFunction"].toString() == "whipping");
        tick();
        QCOMPARE(tool({"beaker", "update", "XY.000777", "+8d", "whipping", "10000"}).code, 0);
        const int extra = tool({"beaker", "get", "XY.000777"}).json()["deadline"].toInt() - b["deadline"].toInt();
        QVERIFY2(extra >= 86400 && extra <= 86402, qPrintable(QString::number(extra))); // a day, from the tool's clock
        QVERIFY(tool({"beakers", "changed"}).out.startsWith("XY.000777\t" + QString::number(now)));

        QTemporaryDir dir;
        QCOMPARE(tool({"export", dir.path()}).code, 0);
        auto json = [&](const QString &name) {
            QFile f(dir.filePath(name));
            return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
        };
        const QJsonObject index = json("index.json");
        QCOMPARE(index["databaseTime"].toInt(), int(now));
        QVERIFY(index["beakers"].toArray().size() == 1 && index["deletedRecipes"].toArray().size() == 1);
        QCOMPARE(json("recipes/whipping/10000.json")["emulsionSteps"].toArray().size(), 8);

        tick();
        QCOMPARE(tool({"beaker", "delete", "XY.000777"}).code, 0);
        QCOMPARE(tool({"beaker", "get", "XY.000777"}).code, 3);
        QVERIFY(tool({"beakers", "deleted"}).out.startsWith("XY.000777"));
    }

    void discover()
    {
        const QStringList udp{"--port", QString::number(server->udpPort)};
        QCOMPARE(tool({"discover"}, udp).code, 2); // nobody answers yet
        QVERIFY(server->startUdp());
        const Run r = tool({"discover"}, udp);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.trimmed(), QStringLiteral("127.0.0.1"));
    }
};

QTEST_GUILESS_MAIN(TstClient)
#include "tst_client.moc"
