// Every remote command against a running server: answers, refusals and the
// files the changes leave behind.

#include "remote/RemoteState.h"

#include "data/DataState.h"
#include "data/GlassElement.h"
#include "data/RecipeElementList.h"
#include "data/WorkSettings.h"

#include "platform/clock.h"

#include "support_remote.h"

#include <QtTest>

using namespace remotetest;

Q_DECLARE_METATYPE(ByteVector)

namespace {

// The fixture's recipe 10000 changes at T0 + 1, its beaker AB.000001 at T0 + 3.
constexpr uint32_t T0 = 1700000000, baseSeen = T0 + 1, beakerSeen = T0 + 3;

// A guest program's byte form: name, type, stock, reference glass, four
// portion and mode bytes, 14 milling and 40 emulsion bytes, extra cycles.
ByteVector guest(const std::string &name, uint8_t type, uint8_t portionDimension)
{
    Req r(0x11);
    r.text(name).byte(type).u32(7).byte(1).byte(portionDimension).byte(0).byte(0).byte(0);
    r.add(ByteVector(14, 2));
    for (int i = 0; i < 8; ++i)
        r.add({3, 4, 0, 0, 127});
    return r.byte(0);
}

// The first bytes of `a`, as many as `expected` has.
ByteVector head(const ByteVector &a, const ByteVector &e)
{
    return ByteVector(a.begin(), a.begin() + std::min(a.size(), e.size()));
}
ByteVector text(const std::string &s) { return toByteArray(s); }

} // namespace

class TstCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<Server> server;
    uint32_t now = T0;

    void tick() { platform::setFixedNowForTests(++now); }
    ByteVector ask(const ByteVector &payload) { return server->ask(payload); }
    // The start of an answer that accepted a change made now.
    ByteVector okNow(uint8_t code) const { return bytes({code, 0x7F}) + toByteArray(now); }
    // Code of the new recipe, 0 when refused.
    uint32_t createRecipe(const std::string &name, uint8_t type, uint32_t templateCode = 0)
    {
        tick();
        const ByteVector a = ask(Req(0x08).text(name).byte(type).u32(templateCode).u32(1).byte(1).text("test"));
        return a.size() > 2 && a[1] == 0x7F ? Ans(a).u32() : 0;
    }
    // A recipe's name and portion size from its byte form.
    std::pair<std::string, int> nameAndPortion(uint32_t code, uint8_t type)
    {
        Ans a(ask(Req(0x87).u32(code).byte(type)));
        a.pos += 5;
        const std::string name = a.text();
        a.pos += 9;
        return {name, a.byte()};
    }
    QByteArray seqFile(const char *type, uint32_t code)
    {
        return server->file(QStringLiteral("/home/root/recipes/%1/%2.seq").arg(type).arg(code));
    }
private slots:
    void initTestCase()
    {
        platform::setFixedNowForTests(now);
        server = std::make_unique<Server>();
        QVERIFY(server->startTcp());
        // Recipes 10000 and 10001, beaker AB.000001 and the factory recipe 1.
        QCOMPARE(createRecipe("Base", 1), 10000u);
        QCOMPARE(createRecipe("Altra", 1), 10001u);
        tick();
        QCOMPARE(ask(Req(0x03).text("AB.000001").text("1").u32(now + 1000).u32(10000).byte(1).text("a"))[1], 0x7F);
        QCOMPARE(now, beakerSeen);
        tick();
        QVERIFY(recipesMillingList->insertNewElementDefault(QStringLiteral("Fabbrica"), QStringLiteral("factory")));
        QVERIFY(recipesMillingList->SaveDefault());
        recipesMillingList->mergeList();
        QByteArray settings(61, 0);
        settings[0] = 6;
        QVERIFY(server->root.writeFile("/home/root/recipes/milling/1.default.seq", settings));
        // A beaker whose recipe was never stored.
        tick();
        QCOMPARE(ask(Req(0x03).text("AB.000002").text("1").u32(now + 1000).u32(10999).byte(1).text("a"))[1], 0x7F);
    }

    void cleanupTestCase() { server.reset(); platform::clearFixedNowForTests(); }

    void refusalsChangeNothing_data()
    {
        QTest::addColumn<ByteVector>("request");
        QTest::addColumn<ByteVector>("answer");
        QTest::addColumn<bool>("startAllowed");
        auto row = [](const char *name, const ByteVector &request, std::initializer_list<int> answer,
                      bool startAllowed = false) {
            QTest::newRow(name) << request << bytes(answer) << startAllowed;
        };
        row("unknown code", Req(0x42), {0xFF, 0x70});
        row("create: name exists", Req(0x08).text("Base").byte(1).u32(0).u32(1).byte(1).text("a"), {0x08, 0x70, 0x21});
        row("create: no such type", Req(0x08).text("X").byte(4).u32(0).u32(1).byte(1).text("a"), {0x08, 0x70, 0x01});
        row("create: too short", Req(0x08).text("Corta").byte(1).u32(0).u32(1), {0x08, 0x70});
        row("read: unknown", Req(0x87).u32(424242).byte(1), {0x87, 0x70, 0xFE});
        auto base = [](uint8_t command) { return Req(command).u32(10000).byte(1); }; // on recipe 10000
        auto update = [](uint32_t code, const std::string &name, uint32_t seenTime) {
            return Req(0x0A).u32(code).text(name).byte(1).u32(0).u32(9).byte(3).u32(seenTime).text("b");
        };
        row("update: changed since", update(10000, "Nuovo", baseSeen - 1), {0x0A, 0x70, 0xFF});
        row("update: not listed", update(99999, "Nuovo", 0), {0x0A, 0x70, 0xFE});
        row("update: another's name", update(10000, "Altra", baseSeen), {0x0A, 0x70, 0x21});
        row("update: factory", update(1, "Mia", now), {0x0A, 0x70, 0xFE});
        row("add ingredient: not listed", Req(0x0D).u32(77).byte(1).text("a").text("b").text("c"), {0x0D, 0x70, 0x01});
        row("update ingredient: changed", base(0x0F).text("x").text("1").byte(0).u32(baseSeen + 5), {0x0F, 0x70, 0xFF});
        row("delete ingredient: none there", base(0x0E).byte(5).u32(baseSeen).text("a"), {0x0E, 0x70, 0xFE});
        row("clear ingredients: changed since", base(0x10).u32(baseSeen - 1).text("a"), {0x10, 0x70, 0xFF});
        row("delete recipe: changed since", base(0x09).u32(baseSeen + 1).text("a"), {0x09, 0x70, 0xFF});
        row("delete recipe: no time", base(0x09), {0x09, 0x70, 0xFF}); // a missing u32 reads 0
        row("delete recipe: too short", Req(0x09).u32(10000), {0x09, 0x70});
        row("delete recipe: factory", Req(0x09).u32(1).byte(1).u32(now).text("a"), {0x09, 0x70, 0xFE});
        auto beaker = [](uint8_t code, const std::string &name, uint32_t deadline) {
            return Req(code).text(name).text("1").u32(deadline).u32(10000).byte(1);
        };
        row("create beaker: bad code", beaker(0x03, "AB.0", now + 10).text("a"), {0x03, 0x70, 0xFE});
        row("create beaker: past deadline", beaker(0x03, "CD.000001", now - 10).text("a"), {0x03, 0x70, 0xFE});
        row("create beaker: too short", Req(0x03).text("CD.000002").text("1").u32(now + 5).u32(10000), {0x03, 0x70});
        row("update beaker: changed", beaker(0x05, "AB.000001", now + 10).u32(beakerSeen - 1), {0x05, 0x70, 0xFF});
        row("update beaker: unknown", beaker(0x05, "ZZ.999999", now + 10).u32(0).text("b"), {0x05, 0x70, 0xFE});
        row("delete beaker: changed", Req(0x04).text("AB.000001").text("1").u32(beakerSeen + 1), {0x04, 0x70, 0xFF});
        row("delete beaker: unknown", Req(0x04).text("ZZ.999999").text("1").u32(0).text("b"), {0x04, 0x70, 0xFE});
        row("read beaker: unknown", Req(0x82).text("ZZ.999999"), {0x82, 0x70, 0xFE});
        row("start beaker: not now", Req(0x02).text("AB.000001").text("1"), {0x02, 0x70});
        row("start guest: not now", guest("Ospite", 2, 6), {0x11, 0x70});
        row("start beaker: unknown", Req(0x02).text("GH.000099").text("1"), {0x02, 0x70, 0xFE}, true);
        row("start beaker: its recipe is gone", Req(0x02).text("AB.000002").text("1"), {0x02, 0x70, 0xFE}, true);
        ByteVector shortGuest = guest("Ospite", 2, 6);
        shortGuest.pop_back();
        row("start guest: one byte short", shortGuest, {0x11, 0x70, 0xFE}, true);
    }

    void refusalsChangeNothing()
    {
        QFETCH(ByteVector, request);
        QFETCH(ByteVector, answer);
        QFETCH(bool, startAllowed);
        canStartRemoteRecipe = startAllowed;
        const WorkSettings *before = actual;
        const auto stored = server->root.files();
        tick();
        QCOMPARE(ask(request), answer);
        QVERIFY(server->root.files() == stored);
        QVERIFY(!startFromTcp && tcpRecipeName.empty() && actual == before);
        QVERIFY(!takePendingRemoteStart().program);
        canStartRemoteRecipe = false;
    }

    void recipesAndTheirFiles()
    {
        // The type's medium preset is the template for code 0: its stored
        // file, else the preset the program holds.
        QByteArray preset(61, 0);
        preset[0] = 12;
        QVERIFY(server->root.writeFile("/home/root/recipes//cutting_medium_default.seq", preset));
        whipping_medium->setPortionDimension(10);
        const uint32_t dbTime = Ans(ask(Req(0x81))).u32(); // before the change
        tick();
        QCOMPARE(ask(Req(0x08).text("Sorbetto").byte(1).u32(0).u32(300).byte(2).text("anna")),
                 bytes({0x08, 0x7F}) + toByteArray(10002u) + toByteArray(now) + toByteArray(dbTime));
        QCOMPARE(ask(Req(0x81)), bytes({0x81, 0x7F}) + toByteArray(now));
        // 61-byte main file; the stock keeps the low byte of 300.
        const QByteArray main = seqFile("milling", 10002);
        QVERIFY(main.size() == 61 && main[59] == 44 && main[60] == 2);
        // Code, type, name, stock, reference glass, update time.
        const ByteVector form = bytes({0x87, 0x7F}) + toByteArray(10002u) + ByteVector{1} + text("Sorbetto")
                                + toByteArray(44u) + ByteVector{2} + toByteArray(now);
        QCOMPARE(head(ask(Req(0x87).u32(10002).byte(1)), form), form);

        // The same name in another type; codes count per type.
        QCOMPARE(createRecipe("Sorbetto", 2), 10000u);
        QCOMPARE(seqFile("cutting", 10000).at(0), char(12));
        QCOMPARE(createRecipe("Sorbetto", 3), 10000u);
        QCOMPARE(seqFile("whipping", 10000).at(0), char(10));
        // A stored recipe, or a factory one read from its own file, as the template.
        QCOMPARE(createRecipe("Copia", 2, 10000), 10001u);
        QCOMPARE(seqFile("cutting", 10001).left(59), seqFile("cutting", 10000).left(59));
        QCOMPARE(nameAndPortion(1, 1), std::make_pair(std::string("Fabbrica"), 6));
        QCOMPARE(seqFile("milling", createRecipe("Da fabbrica", 1, 1)).at(0), char(6));
        QVERIFY(!server->exists("/home/root/recipes/milling/1.seq"));
    }

    void updatesAndIngredients()
    {
        const uint32_t code = createRecipe("Gelato", 3), other = createRecipe("Panna", 3);
        QByteArray distinct(61, 0);
        distinct[0] = 14;
        QVERIFY(server->root.writeFile(QStringLiteral("/home/root/recipes/whipping/%1.seq").arg(other), distinct));
        // Renamed, with the settings of another recipe.
        tick();
        const ByteVector a = ask(Req(0x0A).u32(code).text("Gelato 2").byte(3).u32(other).u32(9).byte(3).u32(now - 2));
        QCOMPARE(head(a, okNow(0x0A)), okNow(0x0A));
        QCOMPARE(nameAndPortion(code, 3), std::make_pair(std::string("Gelato 2"), 14));

        auto ingredient = [&](uint8_t index) {
            Ans i(ask(Req(0x8B).u32(code).byte(3).byte(index)));
            const std::string name = i.text();
            return name + "/" + i.text();
        };
        auto accepted = [&](const ByteVector &request) {
            tick();
            return head(ask(request), bytes({0, 0x7F}))[1] == 0x7F;
        };
        QVERIFY(accepted(Req(0x0D).u32(code).byte(3).text("Limone").text("200 g").text("anna")));
        QVERIFY(server->exists(QStringLiteral("/mnt/mmc-memory/recipes/whipping/%1.seq").arg(code)));
        QVERIFY(accepted(Req(0x0D).u32(code).byte(3).text("Zucchero").text("50 g").text("anna")));
        QCOMPARE(ingredient(1), std::string("Zucchero/50 g"));
        QVERIFY(accepted(Req(0x0F).u32(code).byte(3).text("Arancia").text("1").byte(0).u32(now).text("anna")));
        QCOMPARE(ingredient(0), std::string("Arancia/1"));
        QVERIFY(accepted(Req(0x0E).u32(code).byte(3).byte(0).u32(now).text("anna")));
        QCOMPARE(ingredient(0), std::string("Zucchero/50 g"));
        QVERIFY(accepted(Req(0x10).u32(code).byte(3).u32(now).text("anna")));
        QCOMPARE(ingredient(0), std::string("/"));
    }

    void deletesAndChangeLists()
    {
        const uint32_t since = now + 1;
        const uint32_t code = createRecipe("Da cancellare", 1);
        const uint32_t seen = now;
        // Changed since: 9 bytes per entry, by type.
        const ByteVector all = ask(Req(0x89).u32(0));
        std::vector<uint8_t> types;
        for (std::size_t i = 10; i < all.size(); i += 9)
            types.push_back(all[i]);
        QVERIFY(all.size() % 9 == 2 && types.size() >= 9 && std::is_sorted(types.begin(), types.end()));
        const ByteVector entry = toByteArray(code) + toByteArray(seen) + ByteVector{1};
        QCOMPARE(ask(Req(0x89).u32(since)), bytes({0x89, 0x7F}) + entry);

        tick();
        QCOMPARE(head(ask(Req(0x09).u32(code).byte(1).u32(seen).text("anna")), okNow(0x09)), okNow(0x09));
        QVERIFY(seqFile("milling", code).isNull());
        QCOMPARE(ask(Req(0x8A).u32(since)), bytes({0x8A, 0x7F}) + toByteArray(code) + toByteArray(now) + ByteVector{1});
        QCOMPARE(ask(Req(0x89).u32(since)), bytes({0x89, 0x7F}));
    }

    void beakers()
    {
        const uint32_t since = now + 1;
        auto create = [&](const char *code) {
            tick();
            return ask(Req(0x03).text(code).text("2").u32(now + 1000).u32(10000).byte(1).text("anna"));
        };
        const ByteVector created = create("EF.000123");
        QCOMPARE(head(created, okNow(0x03)), okNow(0x03));
        QVERIFY(server->exists("/home/root/glasses/EF.000123.cont"));
        // Code, type, created, deadline, recipe and its type, portions left (a full big beaker), update.
        QCOMPARE(ask(Req(0x82).text("EF.000123")), bytes({0x82, 0x7F}) + text("EF.000123") + text("2")
                     + toByteArray(now) + toByteArray(now + 1000) + toByteArray(10000u) + ByteVector{1}
                     + toByteArray(65u) + toByteArray(now));
        // An update needs the time it was last seen.
        tick();
        const ByteVector updated =
            ask(Req(0x05).text("EF.000123").text("1").u32(now + 5000).u32(10000).byte(1).u32(now - 1));
        QCOMPARE(head(updated, okNow(0x05)), okNow(0x05));
        const uint32_t seen = now;
        create("EF.000007");
        // Changed since, newest first.
        QCOMPARE(ask(Req(0x84).u32(since)), bytes({0x84, 0x7F}) + text("EF.000007") + toByteArray(now)
                                                + text("EF.000123") + toByteArray(seen));
        tick();
        QCOMPARE(ask(Req(0x04).text("EF.000123").text("1").u32(seen).text("bob")),
                 bytes({0x04, 0x7F}) + toByteArray(seen) + toByteArray(now - 1));
        QVERIFY(!server->exists("/home/root/glasses/EF.000123.cont"));
        QCOMPARE(ask(Req(0x85).u32(since)), bytes({0x85, 0x7F}) + text("EF.000123") + toByteArray(now));
    }

    void remoteStartsAreHandedOverOnce()
    {
        canStartRemoteRecipe = true;
        WorkSettings *const before = actual;
        const QString selected = actualSelectedGlass->getGlassCode();
        QCOMPARE(ask(Req(0x02).text("AB.000001").text("1")), bytes({0x02, 0x7F}));
        QVERIFY(startFromTcp && tcpRecipeName.get() == "10000" && tcpRecipeType == 1);
        // The TCP thread leaves what the screens and the link thread read alone.
        QVERIFY(actual == before && actualSelectedGlass->getGlassCode() == selected);

        PendingRemoteStart start = takePendingRemoteStart();
        QVERIFY(!startFromTcp && start.program && start.beaker && !takePendingRemoteStart().program);
        QVERIFY(start.program->filename == "10000" && start.program->path == "milling");
        QVERIFY(start.recipeName == "10000" && start.recipeType == 1);
        adoptRemoteStart(std::move(start));
        QVERIFY(actual == currentRemoteProgram.get() && actual->filename == "10000");
        QCOMPARE(actualSelectedGlass->getGlassCode(), QStringLiteral("AB.000001"));

        // A second start before the first is taken replaces it (the first is
        // freed then: the leak checker watches); the adopted program stays.
        const WorkSettings *adopted = actual;
        const uint8_t portion = adopted->getPortionDimension();
        QCOMPARE(ask(Req(0x02).text("AB.000001").text("1")), bytes({0x02, 0x7F}));
        QCOMPARE(ask(guest("Ospite", 2, 6)), bytes({0x11, 0x7F}));
        QVERIFY(actual == adopted && tcpRecipeName.get() == "Ospite" && tcpRecipeType == 2);
        start = takePendingRemoteStart();
        QVERIFY(start.program && !start.beaker && start.recipeName == "Ospite" && !takePendingRemoteStart().program);
        QCOMPARE(adopted->getPortionDimension(), portion);
        adoptRemoteStart(std::move(start));
        QVERIFY(actual == currentRemoteProgram.get() && actual->getPortionDimension() == 6 && actual->path == "cutting");
        QVERIFY(actualSelectedGlass->getGlassCode().isEmpty());

        // A refused start drops one not yet taken.
        QCOMPARE(ask(guest("Ospite", 2, 6)), bytes({0x11, 0x7F}));
        canStartRemoteRecipe = false;
        QCOMPARE(ask(Req(0x02).text("AB.000001").text("1")), bytes({0x02, 0x70}));
        QVERIFY(!startFromTcp && !takePendingRemoteStart().program);
        actual = before;
        currentRemoteProgram.reset();
    }
};

QTEST_GUILESS_MAIN(TstCommands)
#include "tst_commands.moc"
