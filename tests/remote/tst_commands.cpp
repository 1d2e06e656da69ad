// Every remote command against a running server: answers, refusals and the
// files the changes leave behind.

#include "remote/RemoteState.h"
#include "remote/TCPThreadCommunication.h"

#include "data/DataState.h"
#include "data/GlassElement.h"
#include "data/RecipeElementList.h"
#include "data/WorkSettings.h"

#include "platform/clock.h"

#include "support_remote.h"
#include "TempRoot.h"

#include <QtTest>

#include <memory>

using namespace remotetest;

namespace {

constexpr uint32_t T0 = 1700000000;

// The fields of a recipe's byte form that the tests look at.
struct RecipeForm
{
    uint32_t code = 0;
    uint8_t type = 0;
    std::string name;
    uint32_t minStock = 0;
    uint8_t referenceGlass = 0;
    uint32_t update = 0;
    uint8_t portionDimension = 0;
    uint8_t ingredients = 0;
};

RecipeForm recipeForm(const ByteVector &answer)
{
    Ans a(answer);
    RecipeForm r;
    r.code = a.u32();
    r.type = a.byte();
    r.name = a.text();
    r.minStock = a.u32();
    r.referenceGlass = a.byte();
    r.update = a.u32();
    r.portionDimension = a.byte();
    for (int i = 0; i < 3 + 14 + 40 + 1; ++i)
        a.byte();
    r.ingredients = a.byte();
    return r;
}

// A guest program's byte form: name, type, stock, reference glass, four
// portion and mode bytes, 14 milling and 40 emulsion bytes, extra cycles.
Req guest(const std::string &name, uint8_t type, uint8_t portionDimension)
{
    Req r(0x11);
    r.text(name).byte(type).u32(7).byte(1).byte(portionDimension).byte(0).byte(0).byte(0);
    for (int i = 0; i < 14; ++i)
        r.byte(2);
    for (int i = 0; i < 8; ++i)
        r.byte(3).byte(4).byte(0).byte(0).byte(127);
    r.byte(0);
    return r;
}

} // namespace

class TstCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<Server> server;
    uint32_t now = T0;

    void tick() { platform::setFixedNow(++now); }
    ByteVector ask(const ByteVector &payload) { return server->ask(payload); }

    uint32_t createRecipe(const std::string &name, uint8_t type, uint32_t templateCode = 0)
    {
        tick();
        const ByteVector a = ask(Req(0x08).text(name).byte(type).u32(templateCode).u32(1).byte(1).text("test"));
        if (a.size() < 2 || a[1] != 0x7F)
            return 0;
        return Ans(a).u32();
    }
    uint32_t recipeUpdate(uint32_t code, uint8_t type) { return recipeForm(ask(Req(0x87).u32(code).byte(type))).update; }

private slots:
    void initTestCase()
    {
        platform::setFixedNow(now);
        server = std::make_unique<Server>();
        QVERIFY(server->startTcp());
    }

    void cleanupTestCase()
    {
        server.reset();
        platform::clearFixedNow();
    }

    void connectionTestAndUnknownCodes()
    {
        QCOMPARE(ask(Req(0x01)), bytes({0x01, 0x7F}));
        QCOMPARE(ask(Req(0x81)), bytes({0x81, 0x7F, 0, 0, 0, 0}));
        QCOMPARE(ask(Req(0x42)), bytes({0xFF, 0x70}));
        auto c = server->client();
        ByteVector answer{0x99};
        QCOMPARE(c->request(Req(0x88), &answer), RemoteClient::Ok);
        QVERIFY(answer.empty());
    }

    void createAndReadRecipes()
    {
        // The medium preset of the type is the template for code 0.
        ByteVector preset(61, 0);
        preset[0] = 12; // portion dimension
        QVERIFY(server->root->writeFile("/home/root/recipes//cutting_medium_default.seq",
                                        QByteArray(reinterpret_cast<const char *>(preset.data()), 61)));

        tick();
        const ByteVector a = ask(Req(0x08).text("Sorbetto").byte(1).u32(0).u32(300).byte(2).text("anna"));
        QCOMPARE(ByteVector(a.begin(), a.begin() + 2), bytes({0x08, 0x7F}));
        Ans fields(a);
        QCOMPARE(fields.u32(), 10000u);
        QCOMPARE(fields.u32(), now);
        QCOMPARE(fields.u32(), 0u); // database time before the change
        QVERIFY(fields.atEnd());

        // 61-byte main file; the stock keeps the low byte of 300.
        const QByteArray main = server->readFile("/home/root/recipes/milling/10000.seq");
        QCOMPARE(main.size(), 61);
        QCOMPARE(uint8_t(main[59]), uint8_t(44));
        QCOMPARE(uint8_t(main[60]), uint8_t(2));
        QVERIFY(QFile::exists(server->path("/home/root/recipes/milling/recipes.list")));

        const RecipeForm r = recipeForm(ask(Req(0x87).u32(10000).byte(1)));
        QCOMPARE(r.code, 10000u);
        QCOMPARE(r.type, uint8_t(1));
        QCOMPARE(r.name, std::string("Sorbetto"));
        QCOMPARE(r.minStock, 44u);
        QCOMPARE(r.referenceGlass, uint8_t(2));
        QCOMPARE(r.update, now);

        // Same name: refused in its type, accepted in another; the cutting
        // recipe starts from the cutting preset.
        QCOMPARE(ask(Req(0x08).text("Sorbetto").byte(1).u32(0).u32(1).byte(1).text("anna")),
                 bytes({0x08, 0x70, 0x21}));
        const uint32_t cut = createRecipe("Sorbetto", 2);
        QCOMPARE(cut, 10000u);
        QCOMPARE(uint8_t(server->readFile("/home/root/recipes/cutting/10000.seq")[0]), uint8_t(12));

        // Without a stored preset file, the preset the program holds.
        whipping_medium->setPortionDimension(10);
        const uint32_t whip = createRecipe("Sorbetto", 3);
        QCOMPARE(uint8_t(server->readFile("/home/root/recipes/whipping/" + QString::number(whip) + ".seq")[0]),
                 uint8_t(10));

        // A stored recipe as the template.
        const uint32_t copy = createRecipe("Copia", 2, cut);
        QCOMPARE(copy, 10001u);
        QCOMPARE(server->readFile("/home/root/recipes/cutting/10001.seq").left(59),
                 server->readFile("/home/root/recipes/cutting/10000.seq").left(59));

        // No such type: refused, nothing saved without a folder.
        QCOMPARE(ask(Req(0x08).text("Senza").byte(4).u32(0).u32(1).byte(1).text("anna")),
                 bytes({0x08, 0x70, 0x01}));
        QVERIFY(!QFile::exists(server->path("/home/root/recipes//Senza_default.seq")));
        // Too short for its byte fields.
        QCOMPARE(ask(Req(0x08).text("Corta").byte(1).u32(0).u32(1)), bytes({0x08, 0x70}));
        QVERIFY(!recipesMillingList->contains(QStringLiteral("Corta")));

        QCOMPARE(ask(Req(0x87).u32(424242).byte(1)), bytes({0x87, 0x70, 0xFE}));
        QCOMPARE(ask(Req(0x87).u32(10000)), bytes({0x87, 0x70}));
        QCOMPARE(ask(Req(0x81)), ByteVector({0x81, 0x7F}) + toByteArray(now));
    }

    void updateRecipes()
    {
        const uint32_t code = createRecipe("Gelato", 3);
        const uint32_t seen = recipeUpdate(code, 3);
        QVERIFY(seen != 0);
        const QByteArray before = server->readFile("/home/root/recipes/whipping/" + QString::number(code) + ".seq");

        tick();
        auto update = [&](uint32_t source, uint32_t seenTime, const std::string &name) {
            return ask(Req(0x0A).u32(code).text(name).byte(3).u32(source).u32(9).byte(3).u32(seenTime).text("bob"));
        };
        QCOMPARE(update(0, seen - 1, "Gelato 2"), bytes({0x0A, 0x70, 0xFF}));
        QCOMPARE(server->readFile("/home/root/recipes/whipping/" + QString::number(code) + ".seq"), before);

        ByteVector a = update(0, seen, "Gelato 2");
        QCOMPARE(ByteVector(a.begin(), a.begin() + 2), bytes({0x0A, 0x7F}));
        QCOMPARE(Ans(a).u32(), now);
        RecipeForm r = recipeForm(ask(Req(0x87).u32(code).byte(3)));
        QCOMPARE(r.name, std::string("Gelato 2"));
        QCOMPARE(r.minStock, 9u);
        QCOMPARE(r.update, now);

        // Another recipe's content copied under this code.
        const uint32_t other = createRecipe("Panna", 3);
        QByteArray distinct(61, 0);
        distinct[0] = 14;
        QVERIFY(server->root->writeFile("/home/root/recipes/whipping/" + QString::number(other) + ".seq", distinct));
        tick();
        a = update(other, r.update, "Gelato 3");
        QCOMPARE(a[1], uint8_t(0x7F));
        r = recipeForm(ask(Req(0x87).u32(code).byte(3)));
        QCOMPARE(r.portionDimension, uint8_t(14));
        QCOMPARE(r.name, std::string("Gelato 3"));

        // Not in the list, another recipe's name, too short.
        QCOMPARE(ask(Req(0x0A).u32(99999).text("X").byte(3).u32(0).u32(1).byte(1).u32(0).text("bob")),
                 bytes({0x0A, 0x70, 0xFE}));
        QVERIFY(!QFile::exists(server->path("/home/root/recipes/whipping/99999.seq")));
        QCOMPARE(update(0, r.update, "Panna"), bytes({0x0A, 0x70, 0x21}));
        QCOMPARE(ask(Req(0x0A).u32(code).text("Y").byte(3).u32(0).u32(1)), bytes({0x0A, 0x70}));
    }

    void ingredients()
    {
        const uint32_t code = createRecipe("Granita", 1);
        const QString details = "/mnt/mmc-memory/recipes/milling/" + QString::number(code) + ".seq";
        tick();
        ByteVector a = ask(Req(0x0D).u32(code).byte(1).text("Limone").text("200 g").text("anna"));
        QCOMPARE(ByteVector(a.begin(), a.begin() + 2), bytes({0x0D, 0x7F}));
        QCOMPARE(Ans(a).u32(), now);
        QVERIFY(QFile::exists(server->path(details)));
        a = ask(Req(0x8B).u32(code).byte(1).byte(0));
        Ans read(a);
        QCOMPARE(read.text(), std::string("Limone"));
        QCOMPARE(read.text(), std::string("200 g"));
        QCOMPARE(recipeForm(ask(Req(0x87).u32(code).byte(1))).ingredients, uint8_t(1));

        // Unknown recipe or type.
        QCOMPARE(ask(Req(0x0D).u32(77777).byte(1).text("a").text("b").text("c")), bytes({0x0D, 0x70, 0x01}));
        QCOMPARE(ask(Req(0x0D).u32(code).byte(4).text("a").text("b").text("c")), bytes({0x0D, 0x70, 0x01}));

        uint32_t seen = recipeUpdate(code, 1);
        tick();
        QCOMPARE(ask(Req(0x0F).u32(code).byte(1).text("Arancia").text("1").byte(0).u32(seen + 5).text("anna")),
                 bytes({0x0F, 0x70, 0xFF}));
        a = ask(Req(0x0F).u32(code).byte(1).text("Arancia").text("1").byte(0).u32(seen).text("anna"));
        QCOMPARE(a[1], uint8_t(0x7F));
        QCOMPARE(Ans(ask(Req(0x8B).u32(code).byte(1).byte(0))).text(), std::string("Arancia"));

        seen = recipeUpdate(code, 1);
        tick();
        QCOMPARE(ask(Req(0x0E).u32(code).byte(1).byte(5).u32(seen).text("anna")), bytes({0x0E, 0x70, 0xFE}));
        QCOMPARE(ask(Req(0x0E).u32(code).byte(1)), bytes({0x0E, 0x70}));
        QCOMPARE(ask(Req(0x0E).u32(code).byte(1).byte(0).u32(seen).text("anna"))[1], uint8_t(0x7F));
        QCOMPARE(recipeForm(ask(Req(0x87).u32(code).byte(1))).ingredients, uint8_t(0));

        ask(Req(0x0D).u32(code).byte(1).text("Zucchero").text("50 g").text("anna"));
        seen = recipeUpdate(code, 1);
        tick();
        QCOMPARE(ask(Req(0x10).u32(code).byte(1).u32(seen - 1).text("anna")), bytes({0x10, 0x70, 0xFF}));
        QCOMPARE(ask(Req(0x10).u32(code).byte(1).u32(seen).text("anna"))[1], uint8_t(0x7F));
        QCOMPARE(recipeForm(ask(Req(0x87).u32(code).byte(1))).ingredients, uint8_t(0));
    }

    void deleteRecipesAndListChanges()
    {
        const uint32_t since = now + 1;
        const uint32_t code = createRecipe("Da cancellare", 1);
        const QString file = "/home/root/recipes/milling/" + QString::number(code) + ".seq";
        const uint32_t seen = recipeUpdate(code, 1);

        // Changed since: frostizing first, 9 bytes per entry ending in the type.
        ByteVector all = ask(Req(0x89).u32(0));
        QCOMPARE(all[1], uint8_t(0x7F));
        QCOMPARE((all.size() - 2) % 9, std::size_t(0));
        QVERIFY((all.size() - 2) / 9 >= 6);
        Ans entries(all);
        uint8_t lastType = 1;
        while (!entries.atEnd()) {
            const uint32_t c = entries.u32();
            const uint32_t t = entries.u32();
            const uint8_t type = entries.byte();
            QVERIFY(type >= lastType);
            lastType = type;
            QVERIFY(c >= 10000);
            QVERIFY(t > T0);
        }
        ByteVector recent = ask(Req(0x89).u32(since));
        QCOMPARE(recent, ByteVector({0x89, 0x7F}) + toByteArray(code) + toByteArray(seen) + ByteVector{1});
        QCOMPARE(ask(Req(0x89).u32(now + 100)), bytes({0x89, 0x7F}));

        tick();
        QCOMPARE(ask(Req(0x09).u32(code).byte(1).u32(seen + 1).text("anna")), bytes({0x09, 0x70, 0xFF}));
        QVERIFY(QFile::exists(server->path(file)));
        ByteVector a = ask(Req(0x09).u32(code).byte(1).u32(seen).text("anna"));
        QCOMPARE(ByteVector(a.begin(), a.begin() + 2), bytes({0x09, 0x7F}));
        QCOMPARE(Ans(a).u32(), now); // the deletion time
        QVERIFY(!QFile::exists(server->path(file)));
        QCOMPARE(ask(Req(0x87).u32(code).byte(1)), bytes({0x87, 0x70, 0xFE}));
        QCOMPARE(ask(Req(0x8A).u32(since)), ByteVector({0x8A, 0x7F}) + toByteArray(code) + toByteArray(now) + ByteVector{1});
        QCOMPARE(ask(Req(0x89).u32(since)), bytes({0x89, 0x7F}));
        // A missing byte field is refused; a missing u32 reads as 0.
        QCOMPARE(ask(Req(0x09).u32(code)), bytes({0x09, 0x70}));
        QCOMPARE(ask(Req(0x09).u32(code).byte(1)), bytes({0x09, 0x70, 0xFF}));
    }

    void factoryRecipesAreReadOnly()
    {
        tick();
        QVERIFY(recipesMillingList->insertNewElementDefault(QStringLiteral("Fabbrica"), QStringLiteral("factory")));
        QVERIFY(recipesMillingList->SaveDefault());
        recipesMillingList->mergeList();
        QByteArray settings(61, 0);
        settings[0] = 6;
        QVERIFY(server->root->writeFile("/home/root/recipes/milling/1.default.seq", settings));
        const QByteArray before = server->readFile("/home/root/recipes/milling/recipes_default.list");

        const RecipeForm r = recipeForm(ask(Req(0x87).u32(1).byte(1)));
        QCOMPARE(r.code, 1u);
        QCOMPARE(r.name, std::string("Fabbrica"));
        QCOMPARE(r.portionDimension, uint8_t(6));
        QCOMPARE(r.update, now);
        const ByteVector listed = ask(Req(0x89).u32(now));
        QCOMPARE(listed, ByteVector({0x89, 0x7F}) + toByteArray(1u) + toByteArray(now) + ByteVector{1});

        tick();
        QCOMPARE(ask(Req(0x0A).u32(1).text("Mia").byte(1).u32(0).u32(1).byte(1).u32(r.update).text("x")),
                 bytes({0x0A, 0x70, 0xFE}));
        QCOMPARE(ask(Req(0x0D).u32(1).byte(1).text("a").text("b").text("x")), bytes({0x0D, 0x70, 0xFE}));
        QCOMPARE(ask(Req(0x09).u32(1).byte(1).u32(r.update).text("x")), bytes({0x09, 0x70, 0xFE}));
        QVERIFY(QFile::exists(server->path("/home/root/recipes/milling/1.default.seq")));
        QVERIFY(!QFile::exists(server->path("/home/root/recipes/milling/1.seq")));
        QCOMPARE(server->readFile("/home/root/recipes/milling/recipes_default.list"), before);

        // Its settings may still be copied into a user recipe.
        const uint32_t mine = createRecipe("Da fabbrica", 1, 1);
        QCOMPARE(uint8_t(server->readFile("/home/root/recipes/milling/" + QString::number(mine) + ".seq")[0]),
                 uint8_t(6));
    }

    void beakers()
    {
        const uint32_t recipe = createRecipe("Per bicchiere", 1);
        const uint32_t since = now + 1;
        auto create = [&](const std::string &code, const std::string &type, uint32_t deadline) {
            return ask(Req(0x03).text(code).text(type).u32(deadline).u32(recipe).byte(1).text("anna"));
        };
        tick();
        ByteVector a = create("AB.000123", "2", now + 1000);
        QCOMPARE(ByteVector(a.begin(), a.begin() + 2), bytes({0x03, 0x7F}));
        QCOMPARE(Ans(a).u32(), now);
        QVERIFY(QFile::exists(server->path("/home/root/glasses/AB.000123.cont")));

        a = ask(Req(0x82).text("AB.000123"));
        QCOMPARE(a[1], uint8_t(0x7F));
        Ans b(a);
        QCOMPARE(b.text(), std::string("AB.000123"));
        QCOMPARE(b.text(), std::string("2"));
        QCOMPARE(b.u32(), now);        // created
        QCOMPARE(b.u32(), now + 1000); // deadline
        QCOMPARE(b.u32(), recipe);
        QCOMPARE(b.byte(), uint8_t(1));
        QCOMPARE(b.u32(), 65u); // a full big beaker
        QCOMPARE(b.u32(), now);

        // Creating an existing code overwrites it with a new time.
        tick();
        a = create("AB.000123", "1", now + 2000);
        QCOMPARE(Ans(a).u32(), now);
        uint32_t seen = now;
        // Values the registry refuses, and a request too short for its fields.
        QCOMPARE(create("AB.0", "1", now + 10), bytes({0x03, 0x70, 0xFE}));
        QCOMPARE(create("CD.000001", "1", now - 10), bytes({0x03, 0x70, 0xFE}));
        QVERIFY(!QFile::exists(server->path("/home/root/glasses/CD.000001.cont")));
        QCOMPARE(ask(Req(0x03).text("CD.000002").text("1").u32(now + 5).u32(recipe)), bytes({0x03, 0x70}));

        tick();
        auto update = [&](const std::string &code, uint32_t deadline, uint32_t seenTime) {
            return ask(Req(0x05).text(code).text("1").u32(deadline).u32(recipe).byte(1).u32(seenTime).text("bob"));
        };
        QCOMPARE(update("AB.000123", now + 5000, seen - 1), bytes({0x05, 0x70, 0xFF}));
        a = update("AB.000123", now + 5000, seen);
        QCOMPARE(a[1], uint8_t(0x7F));
        seen = Ans(a).u32();
        QCOMPARE(seen, now);
        Ans updated(ask(Req(0x82).text("AB.000123")));
        updated.text();
        updated.text();
        updated.u32();
        QCOMPARE(updated.u32(), now + 5000);
        QCOMPARE(update("ZZ.999999", now + 5000, 0), bytes({0x05, 0x70, 0xFE}));

        tick();
        create("EF.000007", "2", now + 100);
        ByteVector changed = ask(Req(0x84).u32(since));
        Ans list(changed);
        QCOMPARE(list.text(), std::string("EF.000007")); // newest first
        QCOMPARE(list.u32(), now);
        QCOMPARE(list.text(), std::string("AB.000123"));
        QCOMPARE(list.u32(), seen);
        QVERIFY(list.atEnd());

        tick();
        QCOMPARE(ask(Req(0x04).text("AB.000123").text("1").u32(seen + 1).text("bob")), bytes({0x04, 0x70, 0xFF}));
        QVERIFY(QFile::exists(server->path("/home/root/glasses/AB.000123.cont")));
        const ByteVector db = ask(Req(0x81));
        const ByteVector dbTime(db.begin() + 2, db.end());
        QCOMPARE(ask(Req(0x04).text("AB.000123").text("1").u32(seen).text("bob")),
                 ByteVector({0x04, 0x7F}) + toByteArray(seen) + dbTime);
        QVERIFY(!QFile::exists(server->path("/home/root/glasses/AB.000123.cont")));
        QCOMPARE(ask(Req(0x82).text("AB.000123")), bytes({0x82, 0x70, 0xFE}));
        QCOMPARE(ask(Req(0x85).u32(since)), ByteVector({0x85, 0x7F}) + toByteArray(std::string("AB.000123"))
                                                 + toByteArray(now));
        QCOMPARE(ask(Req(0x04).text("AB.000123").text("1").u32(now).text("bob")), bytes({0x04, 0x70, 0xFE}));
    }

    void remoteStartOfABeakersRecipe()
    {
        const uint32_t recipe = createRecipe("Avvio remoto", 1);
        tick();
        QCOMPARE(ask(Req(0x03).text("GH.000042").text("1").u32(now + 100).u32(recipe).byte(1).text("a"))[1],
                 uint8_t(0x7F));
        WorkSettings *before = actual;

        canStartRemoteRecipe = false;
        tcpRecipeName = std::string("stale");
        QCOMPARE(ask(Req(0x02).text("GH.000042").text("1")), bytes({0x02, 0x70}));
        QVERIFY(!startFromTcp);
        QVERIFY(tcpRecipeName.empty());
        QCOMPARE(ask(guest("Ospite", 2, 6)), bytes({0x11, 0x70}));
        QCOMPARE(actual, before);

        canStartRemoteRecipe = true;
        QCOMPARE(ask(Req(0x02).text("GH.000099").text("1")), bytes({0x02, 0x70, 0xFE}));
        QCOMPARE(ask(Req(0x02).text("bad").text("1")), bytes({0x02, 0x70, 0xFE}));
        QVERIFY(!startFromTcp);
        QCOMPARE(actual, before);

        QCOMPARE(ask(Req(0x02).text("GH.000042").text("1")), bytes({0x02, 0x7F}));
        QVERIFY(startFromTcp);
        QCOMPARE(tcpRecipeName.get(), std::to_string(recipe));
        QCOMPARE(tcpRecipeType.load(), uint8_t(1));
        QVERIFY(actual != before);
        QCOMPARE(actual->filename, QString::number(recipe));
        QCOMPARE(actual->path, QStringLiteral("milling"));
        QCOMPARE(actualSelectedGlass->getGlassCode(), QStringLiteral("GH.000042"));
        startFromTcp = false;
    }

    void remoteStartOfAGuestProgram()
    {
        canStartRemoteRecipe = true;
        WorkSettings *before = actual;
        const WorkSettings snapshot = *before;

        QCOMPARE(ask(guest("Ospite", 2, 6)), bytes({0x11, 0x7F}));
        QVERIFY(startFromTcp);
        QCOMPARE(tcpRecipeName.get(), std::string("Ospite"));
        QCOMPARE(tcpRecipeType.load(), uint8_t(2));
        QVERIFY(actual != before);
        QCOMPARE(actual->getPortionDimension(), uint8_t(6));
        QCOMPARE(actual->path, QStringLiteral("cutting"));
        QVERIFY(actualSelectedGlass->getGlassCode().isEmpty());
        // The program that was `actual` is left as it was.
        QCOMPARE(before->getPortionDimension(), snapshot.getPortionDimension());
        QCOMPARE(before->path, snapshot.path);

        // One byte short of the form.
        ByteVector shortGuest = guest("Ospite", 2, 6).bytes;
        shortGuest.pop_back();
        QCOMPARE(ask(shortGuest), bytes({0x11, 0x70, 0xFE}));
        startFromTcp = false;
        canStartRemoteRecipe = false;
    }
};

QTEST_GUILESS_MAIN(TstCommands)
#include "tst_commands.moc"
