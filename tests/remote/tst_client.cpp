// frostpanel-remote end to end: the real program against a running server.

#include "platform/clock.h"

#include "support_remote.h"
#include "TableRows.h"

#include <QtTest>

using namespace remotetest;

namespace {

// The settings part of a program's byte form: portion and mode bytes, the
// steps, the extra cycles (what a start hands to the machine).
ByteVector settingsBytes(const WorkSettings &w)
{
    const ByteVector b = w.toByte();
    const std::size_t at = 4 + 1 + 1 + b[5] + 4 + 1 + 4;
    return ByteVector(b.begin() + std::ptrdiff_t(at), b.begin() + std::ptrdiff_t(at + 4 + 14 + 40 + 1));
}

// The remote start the home screen takes over next.
struct Pending
{
    bool pending = false;
    QString name;
    int type = 0;
    QString file;
    ByteVector settings;
};

// Takes the start the machine was handed, as the home screen would.
Pending pendingStart()
{
    const bool flagged = startFromTcp.load();
    const QString name = QString::fromStdString(tcpRecipeName.get());
    const uint8_t type = tcpRecipeType.load();
    const PendingRemoteStart start = takePendingRemoteStart();
    const WorkSettings *program = start.program.get();
    return {flagged && program, name, type, program ? program->filename : QString(),
            program ? settingsBytes(*program) : ByteVector()};
}

void clearPending()
{
    takePendingRemoteStart();
    tcpRecipeName.clear();
    tcpRecipeType = 0;
}

// "key=value" or "list.index.key=value" with a JSON value; "-key" removes the key.
QJsonObject edited(QJsonObject o, const QString &edit)
{
    if (edit.startsWith('-')) {
        o.remove(edit.mid(1));
        return o;
    }
    const QStringList sides = edit.split('=');
    const QStringList path = sides[0].split('.');
    const QJsonValue value = QJsonDocument::fromJson("[" + sides[1].toUtf8() + "]").array().at(0);
    if (path.size() == 1) {
        o[path[0]] = value;
        return o;
    }
    QJsonArray list = o[path[0]].toArray();
    QJsonObject step = list[path[1].toInt()].toObject();
    step[path[2]] = value;
    list[path[1].toInt()] = step;
    o[path[0]] = list;
    return o;
}

// A start the machine refuses, and the tool's exit code and message. FILE
// stands for the program file: the recipe as `recipe get` printed it, with
// `edit` made to it ("!..." replaces the file's content).
const QStringList kBeakerStart{"start", "beaker", "LP.000001", "1"}, kProgramStart{"start", "program", "FILE"};
const struct RefusalRow
{
    const char *name;
    bool idle;
    QStringList args;
    const char *edit;
    int code;
    const char *message;
} kRefusals[] = {
    {"busy: beaker", false, kBeakerStart, "", 3, "busy"},
    {"busy: program", false, kProgramStart, "", 3, "busy"},
    {"beaker not registered", true, {"start", "beaker", "LP.999999", "1"}, "", 3, "not registered"},
    {"immersion speed past the table", true, kProgramStart, "millingSteps.1.immersionSpeed=9", 3,
     "refused the program's values"},
    {"unknown emulsion mode", true, kProgramStart, "emulsionWorkingMode=5", 3, "0xFE"},
    {"too many extra cycles", true, kProgramStart, "extraEmulsionSteps=7", 3, "0xFE"},
    {"no recipe type", true, kProgramStart, "type=0", 3, "0xFE"},
    {"wider than a byte", true, kProgramStart, "portionDimension=300", 1, "portionDimension"},
    {"not a whole number", true, kProgramStart, "millingSteps.2.cutSpeed=2.5", 1, "cutSpeed"},
    {"enabled with the disabled pause", true, kProgramStart, "emulsionSteps.7.enabled=true", 1, "pause is 127"},
    {"steps missing", true, kProgramStart, "-emulsionSteps", 1, "emulsionSteps"},
    {"not JSON", true, kProgramStart, "!{\"name\": \"Lampone\",", 1, "not a program"},
    {"no such file", true, {"start", "program", "/nonexistent/program.json"}, "", 5, "cannot read"},
    {"no file named", true, {"start", "program"}, "", 1, "usage"},
    {"start what", true, {"start", "recipe", "1"}, "", 1, "unknown start"},
};

} // namespace

class TstClient : public QObject
{
    Q_OBJECT

    std::unique_ptr<Server> server;
    uint32_t now = 1700000000;

    void tick() { platform::setFixedNowForTests(++now); }

    // A stored frostizing recipe, a beaker registered for it and the recipe
    // as `recipe get` prints it: what the start tests hand over.
    QString startRecipeCode;
    QJsonObject startRecipe;
    QTemporaryDir files;
    bool startFixtures()
    {
        if (!startRecipeCode.isEmpty())
            return true;
        tick();
        const Run r = tool({"recipe", "create", "milling", "Lampone"});
        const QRegularExpressionMatch m = QRegularExpression("created recipe (\\d+)").match(r.out);
        if (r.code != 0 || !m.hasMatch())
            return false;
        tick();
        if (tool({"beaker", "create", "LP.000001", "1", "+7d", "milling", m.captured(1)}).code != 0)
            return false;
        startRecipe = tool({"recipe", "get", "milling", m.captured(1)}).json();
        startRecipeCode = m.captured(1);
        return !startRecipe.isEmpty();
    }
    QString programFile(const QByteArray &content)
    {
        static int n = 0;
        QFile f(files.filePath(QString("program%1.json").arg(++n)));
        return f.open(QIODevice::WriteOnly) && f.write(content) == content.size() ? f.fileName() : QString();
    }

    Run tool(const QStringList &args, const QStringList &options = {"--port", "tcp"})
    {
        return runTool(server->tcpPort, args, options);
    }

private slots:
    void initTestCase()
    {
        platform::setFixedNowForTests(now);
        server = std::make_unique<Server>();
        QVERIFY(server->startTcp());
    }

    void cleanupTestCase() { server.reset(); platform::clearFixedNowForTests(); }

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

    void remoteStartsHandTheProgramOver()
    {
        QVERIFY(startFixtures());
        canStartRemoteRecipe = true;
        clearPending();
        Run r = tool({"start", "beaker", "LP.000001", "1"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        Pending p = pendingStart();
        QVERIFY(p.pending && p.name == startRecipeCode && p.type == 1 && p.file == startRecipeCode);

        // The recipe as `recipe get` printed it, edited: another name, a
        // finer portion, a faster first step, a pause before the first
        // emulsion step, the second one off although its pause says on
        // ("enabled" wins), two extra cycles.
        clearPending();
        QJsonObject program = startRecipe;
        for (const char *edit : {"name=\"Lampone ospite\"", "portionDimension=6", "millingSteps.0.cutSpeed=5",
                                 "millingSteps.0.immersionSpeed=4", "emulsionSteps.0.pause=3",
                                 "emulsionSteps.0.enabled=true", "emulsionSteps.1.pause=0",
                                 "emulsionSteps.1.enabled=false", "extraEmulsionSteps=2"})
            program = edited(program, edit);
        r = tool({"start", "program", programFile(QJsonDocument(program).toJson())});
        QVERIFY2(r.code == 0, qPrintable(r.err));

        WorkSettings expected;
        expected.filename = startRecipeCode;
        expected.setRecipeType(1);
        QVERIFY(expected.Load(""));
        expected.setPortionDimension(6);
        expected.setMillingSteps(5, 4, 0);
        const EmulsionStep first = expected.getEmulsionSteps(0);
        expected.setEmulsionSteps(3, first.CutSpeed, first.ImmersionSpeed, first.PressionType,
                                  first.PressionIntensity, 0);
        expected.disableEmulsionSteps(1);
        QVERIFY(expected.setExtraEmulsionStep(2));
        p = pendingStart();
        QVERIFY(p.pending && p.name == "Lampone ospite" && p.type == 1);
        QCOMPARE(p.settings, settingsBytes(expected));
        clearPending();
    }

    void remoteStartRefusals_data() { addRows(kRefusals); }
    void remoteStartRefusals()
    {
        const RefusalRow &r = currentRow(kRefusals);
        QStringList args = r.args;
        const QString edit = r.edit;
        QVERIFY(startFixtures());
        const QByteArray content = edit.startsWith('!') ? edit.mid(1).toUtf8()
                                   : QJsonDocument(edit.isEmpty() ? startRecipe : edited(startRecipe, edit)).toJson();
        args.replaceInStrings("FILE", programFile(content));
        canStartRemoteRecipe = r.idle;
        clearPending();
        const Run run = tool(args);
        QVERIFY2(run.code == r.code && run.err.contains(r.message),
                 qPrintable(QString::number(run.code) + " " + run.err));
        QVERIFY(!startFromTcp);
        canStartRemoteRecipe = false;
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
