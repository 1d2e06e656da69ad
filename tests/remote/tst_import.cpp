// frostpanel-remote import: an export put back on a machine through the
// running remote server, and the exports of the machine compared.

#include "platform/clock.h"
#include "platform/filestore.h"
#include "platform/paths.h"
#include "platform/log.h"

#include "support_remote.h"
#include "TableRows.h"

#include "data/RecipeElementList.h"

#include <QtTest>

#include <poll.h>

#include <atomic>
#include <thread>

using namespace remotetest;

namespace {

const QString kUser = "svc";

// Passes one client's connections on to the server and calls `onRequest`
// with each request's payload before the server sees it: a test steps in
// between the tool's reading and its change.
class Proxy
{
public:
    Proxy(uint16_t target, std::function<void(const ByteVector &)> onRequest)
        : target(target), onRequest(std::move(onRequest))
    {
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t len = sizeof(a);
        ::bind(listener, reinterpret_cast<sockaddr *>(&a), len);
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&a), &len);
        port = ntohs(a.sin_port);
        ::listen(listener, 2);
        thread = std::thread([this] { serve(); });
    }
    ~Proxy()
    {
        stop = true;
        thread.join();
        ::close(listener);
    }
    uint16_t port = 0;

private:
    void serve()
    {
        while (!stop) {
            pollfd l{listener, POLLIN, 0};
            if (::poll(&l, 1, 50) <= 0)
                continue;
            const int client = ::accept(listener, nullptr, nullptr);
            const int server = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in a{AF_INET, htons(target), {htonl(INADDR_LOOPBACK)}, {}};
            if (::connect(server, reinterpret_cast<sockaddr *>(&a), sizeof(a)) == 0)
                pass(client, server);
            ::close(server);
            ::close(client);
        }
    }
    void pass(int client, int server)
    {
        FrameAssembler frames;
        uint8_t buffer[4096];
        while (!stop) {
            pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
            if (::poll(p, 2, 50) <= 0)
                continue;
            const bool fromClient = p[0].revents != 0;
            const ssize_t n = ::recv(fromClient ? client : server, buffer, sizeof(buffer), 0);
            if (n <= 0)
                return;
            if (fromClient) {
                frames.append(buffer, std::size_t(n));
                ByteVector frame;
                while (frames.next(&frame) == FrameAssembler::Frame)
                    onRequest(ProtocolTCP::ByteUnstuffing(frame, kPlaceholderSerialNumber));
            }
            ::send(fromClient ? server : client, buffer, std::size_t(n), MSG_NOSIGNAL);
        }
    }

    const uint16_t target;
    std::function<void(const ByteVector &)> onRequest;
    int listener = -1;
    std::atomic<bool> stop{false};
    std::thread thread;
};

QJsonObject readJson(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}

bool writeJson(const QString &file, const QJsonObject &o)
{
    QFile f(file);
    const QByteArray text = QJsonDocument(o).toJson();
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size();
}

bool copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !QFile::copy(file, target))
            return false;
    }
    return true;
}

// An export as data: recipes by "type/name", beakers by code. Without
// `withTimes` the times and the recipe codes (which a machine hands out) are
// left out; a beaker's recipe is then named by its type and name.
QJsonObject contents(const QString &dir, bool withTimes)
{
    const QJsonObject index = readJson(dir + "/index.json");
    QJsonObject recipes, beakers;
    QMap<QString, QString> names; // "type/code" -> name
    for (const QJsonValue &e : index["recipes"].toArray()) {
        QJsonObject r = readJson(dir + "/" + e["file"].toString());
        const QString type = QString::number(r["type"].toInt());
        names[type + "/" + QString::number(r["code"].toInt())] = r["name"].toString();
        if (!withTimes) {
            for (const char *key : {"code", "updated", "updatedUtc"})
                r.remove(key);
        }
        recipes[type + "/" + r["name"].toString()] = r;
    }
    for (const QJsonValue &e : index["beakers"].toArray()) {
        QJsonObject b = readJson(dir + "/" + e["file"].toString());
        if (!withTimes) {
            for (const char *key : {"created", "createdUtc", "updated", "updatedUtc"})
                b.remove(key);
            b["recipeCode"] = names.value(QString::number(b["recipeType"].toInt()) + "/"
                                          + QString::number(b["recipeCode"].toInt()));
        }
        beakers[b["code"].toString()] = b;
    }
    QJsonObject all{{"recipes", recipes}, {"beakers", beakers}};
    if (withTimes) {
        all["deletedRecipes"] = index["deletedRecipes"];
        all["deletedBeakers"] = index["deletedBeakers"];
        all["databaseTime"] = index["databaseTime"];
    }
    return all;
}

// Damage done to a good export; the import must refuse it whole.
const struct DamageRow
{
    const char *name;
    const char *file; // inside the export; "LAST" is the last beaker's file
    const char *damage;
    int code;
    const char *message;
} kDamages[] = {
    {"recipe cut short", "recipes/whipping/10001.json", "cut", 1, "not JSON"},
    {"index cut short", "index.json", "cut", 1, "not JSON"},
    {"beaker file missing", "LAST", "remove", 5, "missing"},
    {"beaker not an object", "LAST", "text:[1, 2]", 1, "not a JSON object"},
    {"name differs from the index", "recipes/milling/10000.json", "name=\"Altro\"", 1, "differs from the index"},
    {"step wider than a byte", "recipes/cutting/10000.json", "portionDimension=300", 1, "portionDimension"},
    {"ingredient not a text", "recipes/milling/10001.json", "ingredients=[{\"name\": 5, \"quantity\": \"1\"}]", 1,
     "ingredient"},
    {"too many ingredients", "recipes/milling/10001.json", "ingredients=MANY", 1, "at most 25"},
    {"minimum stock past a byte", "recipes/milling/10002.json", "minStock=300", 1, "minStock"},
    {"control character in a name", "recipes/milling/10002.json", "name=\"Fra\\u0007gola\"", 1, "name"},
    {"index names another file", "index.json", "recipes.0.file=\"../../../etc/passwd\"", 1, "\"file\" is not"},
    {"beaker code leaves its folder", "index.json", "beakers.0.code=\"../.000001\"", 1, "beaker"},
    {"a recipe listed twice", "index.json", "recipes.1=recipes.0", 1, "listed twice"},
    {"beaker size unknown", "LAST", "size=\"3\"", 1, "size"},
    {"file too large", "LAST", "pad", 1, "larger than"},
    {"a folder instead of a file", "LAST", "folder", 1, "not a regular file"},
};

} // namespace

class TstImport : public QObject
{
    Q_OBJECT

    std::unique_ptr<Server> server;
    uint32_t now = 1700000000;
    QTemporaryDir work;
    QString backupDir; // the export of the first machine

    void tick() { platform::advanceFixedNowForTests(1); }

    std::unique_ptr<GlassElementsList> registry;

    // A fresh machine: new sandbox, empty stores, the server listening.
    bool freshMachine()
    {
        server.reset(); // its sandbox first: only one root at a time
        // The stores keep what they hold when their files are missing.
        for (RecipeElementList **list : {&recipesMillingList, &recipesCuttingList, &recipesWhippingList}) {
            delete *list;
            *list = nullptr;
        }
        auto empty = std::make_unique<GlassElementsList>();
        glassList = empty.get();
        registry = std::move(empty);
        // The machine's files in memory: hundreds of saves forced to the
        // disk one by one would take most of the test's time.
        platform::useMemoryFilesForTests();
        platform::clearMemoryFilesForTests();
        server = std::make_unique<Server>();
        for (const char *folder : {"/home/root/recipes/milling", "/home/root/recipes/cutting",
                                   "/home/root/recipes/whipping", "/mnt/mmc-memory/recipes/milling",
                                   "/mnt/mmc-memory/recipes/cutting", "/mnt/mmc-memory/recipes/whipping",
                                   "/home/root/glasses"}) {
            if (!platform::makeFolder(platform::path(folder)))
                return false;
        }
        return server->startTcp();
    }

    Run tool(const QStringList &args, const QStringList &options = {"--port", "tcp"})
    {
        return runTool(server->tcpPort, args, options);
    }

    // Requests straight to the server, as another remote application would.
    uint32_t createRecipe(const QString &name, uint8_t type, uint32_t minStock = 0, uint8_t glass = 0)
    {
        tick();
        Ans a(server->ask(Req(0x08).text(name.toStdString()).byte(type).u32(0).u32(minStock).byte(glass).text("t")));
        return a.bytes.size() > 2 && a.bytes[1] == 0x7F ? a.u32() : 0;
    }
    bool addIngredient(uint32_t code, uint8_t type, const std::string &name, const std::string &qty)
    {
        tick();
        const ByteVector a = server->ask(Req(0x0D).u32(code).byte(type).text(name).text(qty).text("t"));
        return a.size() > 1 && a[1] == 0x7F;
    }
    bool createBeaker(const std::string &code, const std::string &size, uint32_t recipe, uint8_t type,
                      uint32_t deadline = 1800000000)
    {
        tick();
        const ByteVector a =
            server->ask(Req(0x03).text(code).text(size).u32(deadline).u32(recipe).byte(type).text("t"));
        return a.size() > 1 && a[1] == 0x7F;
    }
    // Steps only the machine's own screens can set (the protocol cannot).
    bool setSteps(uint32_t code, uint8_t type, uint8_t cut, uint8_t immersion)
    {
        tick();
        WorkSettings w;
        w.setRecipeType(type);
        w.filename = QString::number(code);
        if (!w.Load())
            return false;
        w.setMillingSteps(cut, immersion, 0);
        return w.Update(w.getRecipeName(), "screen");
    }

    QString exportMachine()
    {
        static int n = 0;
        const QString dir = work.filePath(QString("export%1").arg(++n));
        const Run r = tool({"export", dir});
        return r.code == 0 ? dir : QString();
    }
    // The machine as a full export shows it, times included.
    QJsonObject machine() { return contents(exportMachine(), true); }

private slots:
    void initTestCase()
    {
        platform::setLogSink([](const std::string &) {});
        platform::setFixedNowForTests(now);
        // The first machine: 50 recipes of the three types with stocks,
        // reference beakers and ingredients, and 20 beakers.
        QVERIFY(freshMachine());
        QList<QPair<uint32_t, uint8_t>> recipes;
        for (int i = 0; i < 50; ++i) {
            const uint8_t type = uint8_t(i < 30 ? 1 : i < 40 ? 2 : 3);
            const uint32_t code = createRecipe(QString("Ricetta %1 ü").arg(i), type, uint32_t(i % 7), uint8_t(i % 3));
            QVERIFY(code >= 10000);
            for (int k = 0; k < i % 4; ++k)
                QVERIFY(addIngredient(code, type, "Ingrediente " + std::to_string(k), std::to_string(k * 50) + " g"));
            recipes.append({code, type});
        }
        for (int i = 0; i < 20; ++i) {
            const auto recipe = recipes[i * 2 + 5];
            QVERIFY(createBeaker(QString("BK.%1").arg(i + 1, 6, 10, QChar('0')).toStdString(), i % 2 ? "2" : "1",
                                 recipe.first, recipe.second, 1800000000 + uint32_t(i)));
        }
        backupDir = exportMachine();
        QVERIFY(!backupDir.isEmpty());
    }

    void cleanupTestCase()
    {
        server.reset();
        platform::useMemoryFilesForTests(false);
        platform::clearFixedNowForTests();
    }

    void roundTripOnAFreshMachine()
    {
        QVERIFY(freshMachine());
        QElapsedTimer took;
        took.start();
        const Run r = tool({"import", backupDir});
        QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
        qInfo("import of 50 recipes and 20 beakers: %lld ms", took.elapsed());
        QVERIFY(r.out.contains("recipe milling \"Ricetta 0 ü\": created as recipe 10000 from the medium preset"));
        QVERIFY(r.out.contains("beaker BK.000020: created"));
        QVERIFY(r.out.contains("import: 70 created, 0 updated, 0 skipped, 0 refused, 0 not reproduced whole"));
        QVERIFY(!r.out.contains("not reproduced ("));
        const QString again = exportMachine();
        QCOMPARE(contents(again, false), contents(backupDir, false));

        // Once more: everything is there already; nothing is touched.
        const QJsonObject before = contents(again, true);
        const Run second = tool({"import", backupDir, "--update"});
        QVERIFY2(second.code == 0, qPrintable(second.out + second.err));
        QVERIFY(second.out.contains("0 created, 0 updated, 70 skipped"));
        QCOMPARE(machine(), before);
    }

    void stepsComeFromAStoredRecipe()
    {
        // A backup whose recipes have steps a fresh machine has in one
        // recipe only, and steps it has nowhere.
        const QString dir = work.filePath("steps");
        QVERIFY(copyTree(backupDir, dir));
        auto steps = [&](const QString &file, int cut, int immersion) {
            QJsonObject o = readJson(dir + "/" + file);
            QJsonArray milling = o["millingSteps"].toArray();
            milling[0] = QJsonObject{{"cutSpeed", cut}, {"immersionSpeed", immersion}};
            o["millingSteps"] = milling;
            return writeJson(dir + "/" + file, o);
        };
        QVERIFY(steps("recipes/milling/10001.json", 6, 3) && steps("recipes/milling/10002.json", 6, 3));
        QVERIFY(steps("recipes/milling/10003.json", 2, 5));

        QVERIFY(freshMachine());
        const uint32_t model = createRecipe("Modello", 1);
        QVERIFY(setSteps(model, 1, 6, 3));
        const Run r = tool({"import", dir});
        QVERIFY2(r.code == 3, qPrintable(r.out + r.err));
        QVERIFY2(r.out.contains("\"Ricetta 1 ü\": created as recipe 10002 from recipe 10000\n"), qPrintable(r.out));
        QVERIFY(r.out.contains("\"Ricetta 2 ü\": created as recipe 10003 from recipe 10000\n"));
        QVERIFY(QRegularExpression("\"Ricetta 3 ü\": created as recipe 10004 from [^\n]*; steps not reproduced")
                    .match(r.out)
                    .hasMatch());
        QVERIFY(r.out.contains("1 not reproduced whole"));
        const QJsonObject got = contents(exportMachine(), false)["recipes"].toObject();
        const QJsonObject want = contents(dir, false)["recipes"].toObject();
        for (const char *name : {"1/Ricetta 1 ü", "1/Ricetta 2 ü", "1/Ricetta 4 ü", "2/Ricetta 30 ü"})
            QCOMPARE(got[name], want[name]);
        QVERIFY(got["1/Ricetta 3 ü"] != want["1/Ricetta 3 ü"]);
        QVERIFY(got["1/Ricetta 3 ü"].toObject()["ingredients"] == want["1/Ricetta 3 ü"].toObject()["ingredients"]);

        // Once a stored recipe has the missing steps, an update takes them over.
        QVERIFY(setSteps(model, 1, 2, 5));
        const Run update = tool({"import", dir, "--update"});
        QVERIFY2(update.code == 0, qPrintable(update.out + update.err));
        QVERIFY(update.out.contains("\"Ricetta 3 ü\": updated (recipe 10004) with the steps of recipe 10000\n"));
        QVERIFY(update.out.contains("0 created, 1 updated, 69 skipped, 0 refused, 0 not reproduced whole"));
        QCOMPARE(contents(exportMachine(), false)["recipes"].toObject()["1/Ricetta 3 ü"], want["1/Ricetta 3 ü"]);
    }

    void nameClashKeptOrReplaced()
    {
        QVERIFY(freshMachine());
        const uint32_t code = createRecipe("Ricetta 5 ü", 1, 99, 2);
        QVERIFY(addIngredient(code, 1, "Sale", "1 g"));
        // The backup's beaker BK.000001 names "Ricetta 5 ü", with another deadline.
        QVERIFY(createBeaker("BK.000001", "1", code, 1, 1900000000));
        const QJsonObject before = machine();

        Run r = tool({"import", backupDir});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains(
            "recipe milling \"Ricetta 5 ü\": skipped: the machine has it as recipe 10000 (--update replaces it)"));
        QVERIFY(r.out.contains("beaker BK.000001: skipped: the machine has it (--update replaces it)"));
        QVERIFY(r.out.contains("68 created, 0 updated, 2 skipped"));
        QJsonObject after = machine();
        QCOMPARE(after["recipes"].toObject()["1/Ricetta 5 ü"], before["recipes"].toObject()["1/Ricetta 5 ü"]);
        QCOMPARE(after["beakers"].toObject()["BK.000001"], before["beakers"].toObject()["BK.000001"]);

        r = tool({"import", backupDir, "--update"});
        QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
        QVERIFY(r.out.contains("recipe milling \"Ricetta 5 ü\": updated (recipe 10000)\n"));
        QVERIFY(r.out.contains("beaker BK.000001: updated\n"));
        QVERIFY(r.out.contains("0 created, 2 updated, 68 skipped"));
        QCOMPARE(contents(exportMachine(), false), contents(backupDir, false));
    }

    void damagedBackupChangesNothing_data() { addRows(kDamages); }
    void damagedBackupChangesNothing()
    {
        const DamageRow &row = currentRow(kDamages);
        static bool prepared = false;
        if (!prepared) {
            QVERIFY(freshMachine());
            QVERIFY(createRecipe("Presente", 1) != 0);
            prepared = true;
        }
        static int n = 0;
        const QString dir = work.filePath(QString("damaged%1").arg(++n));
        QVERIFY(copyTree(backupDir, dir));
        const QJsonObject index = readJson(dir + "/index.json");
        const QString name = QString(row.file) == "LAST" ? index["beakers"].toArray().last()["file"].toString()
                                                           : QString(row.file);
        const QString file = dir + "/" + name;
        const QString damage = row.damage;
        if (damage == "cut") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.resize(f.size() / 2));
        } else if (damage == "remove") {
            QVERIFY(QFile::remove(file));
        } else if (damage == "folder") {
            QVERIFY(QFile::remove(file) && QDir().mkpath(file));
        } else if (damage == "pad") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::Append) && f.write(QByteArray(300 << 10, ' ')) > 0);
        } else if (damage.startsWith("text:")) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(damage.mid(5).toUtf8()) > 0);
        } else {
            // "key=value" or "list.index[.key]=value|other.path" on the JSON.
            QJsonObject o = readJson(file);
            const QStringList sides = damage.split('=');
            const QStringList path = sides[0].split('.');
            QJsonValue value;
            if (sides[1] == "MANY") {
                QJsonArray many;
                for (int i = 0; i < 26; ++i)
                    many.append(QJsonObject{{"name", "x"}, {"quantity", "1"}});
                value = many;
            } else if (sides[1].contains('.') && !sides[1].startsWith('"')) {
                const QStringList from = sides[1].split('.');
                value = o[from[0]].toArray()[from[1].toInt()];
            } else {
                value = QJsonDocument::fromJson("[" + sides[1].toUtf8() + "]").array().at(0);
            }
            if (path.size() == 1) {
                o[path[0]] = value;
            } else {
                QJsonArray list = o[path[0]].toArray();
                if (path.size() == 2) {
                    list[path[1].toInt()] = value;
                } else {
                    QJsonObject entry = list[path[1].toInt()].toObject();
                    entry[path[2]] = value;
                    list[path[1].toInt()] = entry;
                }
                o[path[0]] = list;
            }
            QVERIFY(writeJson(file, o));
        }

        // Not one file written, not only what an export shows.
        const uint64_t before = platform::memoryFileChanges();
        const Run r = tool({"import", dir, "--update"});
        QVERIFY2(r.code == row.code && r.err.contains(row.message) && r.err.contains("nothing was changed"),
                 qPrintable(QString::number(r.code) + "\n" + r.out + r.err));
        QVERIFY(r.out.isEmpty());
        QCOMPARE(platform::memoryFileChanges(), before);
    }

    void changedMeanwhileIsRefusedAndTheRestGoesOn()
    {
        QVERIFY(freshMachine());
        const uint32_t first = createRecipe("Ricetta 5 ü", 1, 99);
        QVERIFY(createRecipe("Ricetta 6 ü", 1, 98) != 0);
        QVERIFY(createBeaker("BK.000001", "1", first, 1, 1900000000));
        // The first recipe changes on the machine after the tool read it,
        // just before its replacement arrives.
        std::atomic<bool> changed{false};
        Proxy proxy(server->tcpPort, [&](const ByteVector &request) {
            // The server waits for this request: the stores are free.
            if (!request.empty() && request[0] == 0x0A && !changed)
                changed = setSteps(first, 1, 4, 4);
        });
        const Run r = tool({"import", backupDir, "--update"}, {"--port", QString::number(proxy.port)});
        QVERIFY(changed);
        QVERIFY2(r.code == 3, qPrintable(r.out + r.err));
        QVERIFY(r.out.contains("recipe milling \"Ricetta 5 ü\": refused (recipe 10000): it changed since it was "
                               "read: the update time does not match"));
        QVERIFY(r.out.contains("recipe milling \"Ricetta 6 ü\": updated (recipe 10001)\n"));
        QVERIFY(r.out.contains("beaker BK.000001: updated\n"));
        QVERIFY(r.out.contains("67 created, 2 updated, 0 skipped, 1 refused"));
        // The change made on the machine stands.
        WorkSettings w;
        w.setRecipeType(1);
        w.filename = QString::number(first);
        QVERIFY(w.Load());
        QCOMPARE(int(w.getMillingSteps(0).CutSpeed), 4);
        QCOMPARE(contents(exportMachine(), false)["recipes"].toObject()["1/Ricetta 6 ü"],
                 contents(backupDir, false)["recipes"].toObject()["1/Ricetta 6 ü"]);
    }

    void dryRunPrintsThePlanOnly()
    {
        QVERIFY(freshMachine());
        QVERIFY(createRecipe("Ricetta 5 ü", 1, 99) != 0);
        const QJsonObject before = machine();
        const Run r = tool({"import", backupDir, "--update", "--dry-run"});
        QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
        // The recipe on the machine has the preset's steps, as the backup's recipes.
        QVERIFY(r.out.contains("recipe milling \"Ricetta 0 ü\": would be created from recipe 10000\n"));
        QVERIFY(r.out.contains("recipe cutting \"Ricetta 30 ü\": would be created from the medium preset; steps "
                               "reproduced only if they are the preset's"));
        QVERIFY(r.out.contains("recipe milling \"Ricetta 5 ü\": would be updated (recipe 10000)\n"));
        QVERIFY(r.out.contains("beaker BK.000003: would be created"));
        QVERIFY(r.out.contains("dry run, nothing changed: 69 created, 1 updated, 0 skipped"));
        QCOMPARE(machine(), before);
    }
};

QTEST_GUILESS_MAIN(TstImport)
#include "tst_import.moc"
