// Recipe index lists: code assignment, change and deletion history keyed by
// the (pinned) clock, and the stored file layout.

#include "workprogram_helpers.h"

#include "TempRoot.h"
#include "data/DataHooks.h"
#include "platform/clock.h"

#include <QtTest>

#include <memory>

namespace {

const char *const LIST_FILE = "/home/root/recipes/milling/recipes.list";

// Two user recipes, "A" (10000, changed at 100) and "B" (10001, at 200), both
// by "u"; nothing deleted. Maps go out largest key first; the hash of users
// in either order.
QByteArray twoRecipeFile(bool hashInKeyOrder)
{
    const char *hash = hashInKeyOrder ? "00002710 00000002 0075  00002711 00000002 0075"
                                      : "00002711 00000002 0075  00002710 00000002 0075";
    return hexBytes("00002711"
                    "00000002 000000c8 00002711  00000064 00002710"
                    "00000002 00002711 000000c8  00002710 00000064"
                    "00000002")
           + hexBytes(hash)
           + hexBytes("00000002 00000002 0042 00002711  00000002 0041 00002710"
                      "00000002 00002711 00000002 0042  00002710 00000002 0041"
                      "00000000"
                      "00000000");
}

} // namespace

class TestRecipeList : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempRoot> root;

private slots:
    void init()
    {
        root = std::make_unique<TempRoot>();
        root->mkpath("/home/root/recipes/milling");
        platform::setFixedNow(100);
    }
    void cleanup()
    {
        platform::clearFixedNow();
        DataHooks::glassLastUpdate = nullptr;
        replaceRecipeLists(false);
        root.reset();
    }

    void codesAndNames()
    {
        RecipeElementList l("milling");
        QCOMPARE(l.generateId("Sorbetto", false, "op"), QString("10000"));
        QCOMPARE(l.generateId("Base", true, "factory"), QString("1"));
        QCOMPARE(l.generateId("Crema", false, "op"), QString("10001"));
        QVERIFY(l.isDefault("Base") && !l.isDefault("Crema"));
        QCOMPARE(l.getId("Nothing"), QString("0"));
        QVERIFY(!l.contains("Nothing")); // asking does not register it
        QCOMPARE(l.getRecipesNameList(), (QStringList{"Base", "Crema", "Sorbetto"}));

        // A name in both sets resolves to the factory recipe.
        l.recipeNameList["Base"] = 10000;
        l.mergeList();
        QCOMPARE(l.getId("Base"), QString("1"));
    }

    void historyFollowsThePinnedClock()
    {
        RecipeElementList l("milling");
        l.generateId("A", false, "op"); // 10000 at 100
        l.generateId("B", false, "op"); // the same second: shares A's time key
        QCOMPARE(l.getAllUpdateRecipe(100), (QList<uint>{10001, 10000}));
        platform::setFixedNow(300);
        QCOMPARE(l.generateId("A", false, "remote"), QString("10000")); // same code, new time
        QCOMPARE(l.userUpdateList.value(10000), QString("remote"));
        // Moving A must not take B's entry with it.
        QCOMPARE(l.getAllUpdateRecipe(0), (QList<uint>{10000, 10001}));
        QCOMPARE(l.getAllUpdateRecipe(250), (QList<uint>{10000}));
        QCOMPARE(l.getAllUpdateRecipe(301), QList<uint>());

        QVERIFY(l.updateElement("A2", "op", 10000)); // renaming frees the old name
        QVERIFY(!l.contains("A"));
        QVERIFY(!l.updateElement("X", "op", 10009));

        l.generateId("Base", true, "factory");
        platform::setFixedNow(500);
        QVERIFY(l.removeElement(10000, "op"));
        QVERIFY(!l.removeElement(10000, "op"));
        QVERIFY(l.removeElement(10001, "op")); // the same second again
        QCOMPARE(l.getAllDeleteRecipe(0), (QList<uint>{10001, 10000}));
        QCOMPARE(l.getAllUpdateRecipe(0), (QList<uint>{1}));
        platform::setFixedNow(600);
        QVERIFY(l.removeElementDefault(1, "factory"));
        QCOMPARE(l.getAllDeleteRecipe(550), (QList<uint>{1}));
        QCOMPARE(l.getLastUpdate(), uint32_t(600));
    }

    void databaseTimeCoversAllLists()
    {
        replaceRecipeLists();
        QCOMPARE(getLastUpdateDB(), uint32_t(0));
        platform::setFixedNow(700);
        recipesCuttingList->generateId("Brunoise", false, "op");
        QCOMPARE(getLastUpdateDB(), uint32_t(700));
        DataHooks::glassLastUpdate = [] { return uint32_t(900); };
        QCOMPARE(getLastUpdateDB(), uint32_t(900));
    }

    void fileLayout()
    {
        RecipeElementList l("milling");
        l.generateId("A", false, "u");
        platform::setFixedNow(200);
        l.generateId("B", false, "u");
        QVERIFY(l.Save());
        const QByteArray written = root->readFile(LIST_FILE);
        QVERIFY2(written == twoRecipeFile(true) || written == twoRecipeFile(false), written.toHex().constData());

        // The default set has a file of its own, with its own counter.
        l.generateId("Base", true, "f");
        QVERIFY(l.SaveDefault());
        QCOMPARE(root->readFile("/home/root/recipes/milling/recipes_default.list"),
                 hexBytes("00000001"
                          "00000001 000000c8 00000001"
                          "00000001 00000001 000000c8"
                          "00000001 00000001 00000002 0066"
                          "00000001 00000008 0042 0061 0073 0065 00000001"
                          "00000001 00000001 00000008 0042 0061 0073 0065"
                          "00000000 00000000"));

        RecipeElementList back("milling");
        back.Load();
        QCOMPARE(back.getRecipesNameList(), (QStringList{"A", "B", "Base"}));
        QCOMPARE(back.getAllUpdateRecipe(150), (QList<uint>{10001, 1}));
        QCOMPARE(back.generateId("C", false, "u"), QString("10002"));
    }

    void damagedListsStaySafe()
    {
        // Counter lost but a recipe 10005 recorded: new codes must not reuse it.
        QVERIFY(root->writeFile(LIST_FILE, hexBytes("00000000"
                                                    "00000001 00000064 00002715  00000001 00002715 00000064"
                                                    "00000000"
                                                    "00000001 00000002 0041 00002715"
                                                    "00000001 00002715 00000002 0041"
                                                    "00000000 00000000")));
        RecipeElementList l("milling");
        l.Load();
        QCOMPARE(l.generateId("New", false, "u"), QString("10006"));

        // Truncated inside the names: what came before is kept.
        QVERIFY(root->writeFile(LIST_FILE, twoRecipeFile(true).chopped(40)));
        RecipeElementList t("milling");
        t.Load();
        QCOMPARE(t.getRecipeUpdate(10000u), uint32_t(100));
        QVERIFY(t.getRecipesNameList().isEmpty());
        QCOMPARE(t.generateId("C", false, "u"), QString("10002"));

        // A count far beyond the file's size.
        QVERIFY(root->writeFile(LIST_FILE, hexBytes("00002711 ffffffff 00000001")));
        RecipeElementList h("milling");
        h.Load();
        QVERIFY(h.updateList.isEmpty());

        OperatorMessages shown;
        RecipeElementList w("whipping"); // no folder for it
        w.generateId("A", false, "u");
        QVERIFY(!w.Save());
        QCOMPARE(shown.messages, QStringList{"Recipe Saving Error."});
    }
};

QTEST_GUILESS_MAIN(TestRecipeList)
#include "tst_recipelist.moc"
