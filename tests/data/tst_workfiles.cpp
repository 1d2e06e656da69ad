// Work program files and the recipe index lists (code assignment, change and
// deletion history keyed by the pinned clock), the remote byte form and the
// work report, checked against layouts written out by hand.

#include "workprogram_helpers.h"

#include "TempRoot.h"
#include "data/DataHooks.h"
#include "data/WorkSettings.h"
#include "platform/clock.h"

#include <QtTest>

#include <memory>

namespace {

// The cutting soft preset with minimum stock 12 and reference glass 3, as
// stored (61 bytes): four header bytes, 7 milling steps, 8 emulsion steps in
// the order cut, immersion, intensity, type, pause, then extra cycles, stock,
// glass.
const char *const CUTTING_SOFT_FILE = "08 00 00 7f"
                                      "0302 0302 0302 0302 0101 0101 0101"
                                      "03050a0f00 03020a0f00 03050a0f00 010000007f"
                                      "03050a0f00 010000007f 03050a0f00 010000007f"
                                      "00 0c 03";

// A guest program behind one command byte: name "Gelato", cutting, minimum
// stock 300 (only the low byte counts), glass 3, then the step bytes.
const char *const GUEST = "11  06 47656c61746f  02 0000012c 03  08 0f 0a 00"
                          "0302 0302 0302 0302 0101 0101 0101"
                          "03050a0f00 010000007f 010000007f 010000007f"
                          "010000007f 010000007f 010000007f 010000007f  02";

const char *const DETAILS = "/mnt/mmc-memory/recipes/milling/10000.seq";
const char *const LIST_FILE = "/home/root/recipes/milling/recipes.list";

// Two user recipes, "A" (10000, changed at 100) and "B" (10001, at 200), both
// by "u"; nothing deleted. Maps go out largest key first; the hash of users
// in either order.
QByteArray twoRecipeFile(bool hashInKeyOrder)
{
    return hexBytes("00002711  00000002 000000c8 00002711 00000064 00002710  00000002 00002711 000000c8 00002710 "
                    "00000064  00000002")
           + hexBytes(hashInKeyOrder ? "00002710 00000002 0075  00002711 00000002 0075"
                                     : "00002711 00000002 0075  00002710 00000002 0075")
           + hexBytes("00000002 00000002 0042 00002711  00000002 0041 00002710"
                      "00000002 00002711 00000002 0042  00002710 00000002 0041  00000000  00000000");
}

WorkSettings program(const char *path, const char *filename)
{
    WorkSettings w;
    w.path = path;
    w.filename = filename;
    return w;
}

} // namespace

class TestWorkFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempRoot> root;

private slots:
    void init()
    {
        root = std::make_unique<TempRoot>();
        root->mkpath("/home/root/recipes/milling");
        root->mkpath("/mnt/mmc-memory/recipes/milling");
        replaceRecipeLists();
        platform::setFixedNow(100);
    }
    void cleanup()
    {
        platform::clearFixedNow();
        DataHooks::glassLastUpdate = nullptr;
        replaceRecipeLists(false);
        root.reset();
    }

    void presetFileLayout()
    {
        WorkSettings w = program("", "cutting_soft");
        w.setEmulsionWorkingMode(127);
        w.setMillingSteps(3, 2);
        w.setEmulsionSteps(0, 3, 5, 15, 10, 0);
        w.setEmulsionSteps(0, 3, 2, 15, 10, 1);
        for (int step : {2, 4, 6})
            w.copyEmulsionStep(0, step);
        w.minStockQty = 12;
        w.referenceGlass = 3;
        QVERIFY(w.Save("op"));
        QCOMPARE(root->readFile("/home/root/recipes//cutting_soft_default.seq"), hexBytes(CUTTING_SOFT_FILE));
        QVERIFY(recipesCuttingList->updateList.isEmpty()); // presets are in no list

        WorkSettings back = program("", "cutting_soft");
        QVERIFY(back.Load());
        back.filename = "copy";
        QVERIFY(back.Save("op"));
        QCOMPARE(root->readFile("/home/root/recipes//copy_default.seq"), hexBytes(CUTTING_SOFT_FILE));

        // Files of 59 bytes (before stock and glass existed) still load;
        // shorter ones are damaged and leave the program as it was.
        QVERIFY(root->writeFile("/home/root/recipes//p59_default.seq", hexBytes(CUTTING_SOFT_FILE).left(59)));
        WorkSettings p = program("", "p59");
        p.minStockQty = 7;
        QVERIFY(p.Load());
        QCOMPARE(int(p.getEmulsionSteps(1).PressionIntensity), 10);
        QCOMPARE(p.getEnabledEmulsionSteps(), 3);
        QCOMPARE(int(p.minStockQty), 7);
        QVERIFY(root->writeFile("/home/root/recipes//p58_default.seq", hexBytes(CUTTING_SOFT_FILE).left(58)));
        WorkSettings t = program("", "p58");
        QVERIFY(!t.Load());
        QCOMPARE(int(t.getEmulsionWorkingMode()), 0);
    }

    void userRecipeLifecycle()
    {
        WorkSettings w = program("milling", "Granita");
        w.minStockQty = 2;
        QVERIFY(w.Save("op"));
        QCOMPARE(w.filename, QString("10000"));
        QCOMPARE(root->readFile("/home/root/recipes/milling/10000.seq").size(), 61);
        QCOMPARE(toQByteArray(w.toByte()).left(22), hexBytes("00002710 01 07 4772616e697461 00000002 00 00000064"));
        platform::setFixedNow(110);
        QVERIFY(w.Update("Granita al limone", "remote"));
        QVERIFY(!recipesMillingList->contains("Granita"));
        RecipeElementList reloaded("milling");
        reloaded.Load();
        QCOMPARE(reloaded.getRecipeName(10000u), QString("Granita al limone"));
        QCOMPARE(reloaded.getRecipeUpdate(10000u), uint32_t(110));
        QVERIFY(w.Delete("op"));
        QVERIFY(!QFile::exists(root->path("/home/root/recipes/milling/10000.seq")));
        QVERIFY(!recipesMillingList->contains(10000u));
    }

    void failedSaves()
    {
        OperatorMessages shown;
        WorkSettings w = program("whipping", "Panna"); // its folder is missing
        QVERIFY(!w.Save("op"));
        QCOMPARE(shown.messages, QStringList{"Recipe Saving Error."});
        QVERIFY(!recipesWhippingList->contains("Panna"));

        // An existing recipe keeps its list entry when its file cannot be replaced.
        recipesMillingList->generateId("Sorbetto", false, "op");
        root->mkpath("/home/root/recipes/milling/10000.seq");
        QVERIFY(!program("milling", "Sorbetto").Save("op"));
        QVERIFY(recipesMillingList->contains(10000u));

        // The rework folding is only kept when the file was written.
        WorkSettings r = program("whipping", "10001");
        r.setExtraEmulsionStep(3);
        r.setReworkAddStep(2);
        QVERIFY(!r.Update("x", "op"));
        QCOMPARE(int(r.getExtraEmulsionStep()), 3);

        // Names that would leave the recipe folder are refused.
        QVERIFY(!program("", "../escape").Save("remote"));
        QVERIFY(!QFile::exists(root->path("/home/root/escape_default.seq")));

        // Deleting a recipe whose main file is missing changes nothing.
        root->writeFile(DETAILS, hexBytes("00000000 00000000"));
        QDir(root->path("/home/root/recipes/milling/10000.seq")).removeRecursively();
        QVERIFY(!program("milling", "10000").Delete("op"));
        QVERIFY(QFile::exists(root->path(DETAILS)));
        QVERIFY(recipesMillingList->contains(10000u));
    }

    void reworkCyclesAreFoldedOnSave()
    {
        WorkSettings w = program("", "rework");
        w.setExtraEmulsionStep(3);
        w.setReworkAddStep(2);
        QVERIFY(w.Save("op"));
        QCOMPARE(root->readFile("/home/root/recipes//rework_default.seq").at(58), char(5));

        // Without extra cycles each added cycle enables the next (up, down)
        // pair after the first descent, taking over its pause.
        WorkSettings p = program("", "pairs");
        p.setEmulsionSteps(5, 3, 5, 15, 10, 0);
        p.setReworkAddStep(1);
        QVERIFY(p.Save("op"));
        QCOMPARE(root->readFile("/home/root/recipes//pairs_default.seq").mid(28, 5), hexBytes("0100000005"));
        p.setReworkAddStep(5); // only two more pairs fit; the rest is not counted below zero
        QVERIFY(p.Save("op"));
        QCOMPARE(p.getEnabledEmulsionSteps(), 7);
        QCOMPARE(int(p.getReworkAddStep()), 3);
    }

    void ingredients()
    {
        WorkSettings w = program("milling", "Frappè");
        QVERIFY(w.Save("op"));
        QVERIFY(w.addIngredient("ab", "1", "op"));
        QCOMPARE(root->readFile(DETAILS), hexBytes("00000001 00000004 00610062  00000001 00000002 0031"));
        for (int i = 1; i < MAX_INGREDIENTS; ++i)
            QVERIFY(w.addIngredient(QString("i%1").arg(i), "1", "op"));
        const QByteArray full = root->readFile(DETAILS);
        QVERIFY(!w.addIngredient("one too many", "1", "op"));
        QVERIFY(!w.deleteIngredient(-1, "op"));
        QCOMPARE(root->readFile(DETAILS), full);
        QVERIFY(w.deleteAllIngredient("op"));

        // Without the SD card the edit is refused and undone.
        OperatorMessages shown;
        QVERIFY(QDir(root->path("/mnt/mmc-memory/recipes/milling")).removeRecursively());
        QVERIFY(!w.addIngredient("ab", "1", "op"));
        QCOMPARE(w.getIngredientNumber(), uint8_t(0));
        QCOMPARE(shown.messages, QStringList{"Recipe Dettails Saving Error."});

        // A damaged details file (huge count) gives no ingredients.
        root->writeFile(DETAILS, hexBytes("7fffffff 00000004 0061"));
        WorkSettings back = program("milling", "10000");
        back.ingredientList = QStringList{"stale"};
        QVERIFY(back.Load());
        QVERIFY(back.ingredientList.isEmpty());
    }

    void guestProgram()
    {
        const ByteVector guest = hexVector(GUEST);
        WorkSettings w;
        uint32_t pos = 1;
        QVERIFY(w.fromByteAsGuest(guest, &pos));
        QCOMPARE(pos, uint32_t(guest.size()));
        // The same program in the form the remote application reads.
        QCOMPARE(toQByteArray(w.toByte()), hexBytes("00000000 02 06 47656c61746f 0000002c 03 00000000  08 0f 0a 00"
                                                    "0302 0302 0302 0302 0101 0101 0101"
                                                    "03050a0f00 010000007f 010000007f 010000007f"
                                                    "010000007f 010000007f 010000007f 010000007f  02 00"));

        // Every shorter buffer is refused and changes nothing.
        for (std::size_t n = 0; n < guest.size(); ++n) {
            WorkSettings s;
            s.displayName = "keep";
            pos = 1;
            QVERIFY2(!s.fromByteAsGuest(ByteVector(guest.begin(), guest.begin() + std::ptrdiff_t(n)), &pos),
                     qPrintable(QString("length %1").arg(n)));
            QCOMPARE(pos, uint32_t(1));
            QCOMPARE(s.displayName, QString("keep"));
        }
        pos = 0;
        QVERIFY(!w.fromByteAsGuest(hexVector("ff 41 42"), &pos)); // name length past the end
        pos = 7;
        QVERIFY(!w.fromByteAsGuest(hexVector("00"), &pos));
    }

    void workReport()
    {
        WorkSettings w;
        w.displayName = "Gelato";
        w.startWork = 1000;
        w.endWork = 1125;
        w.setPortionDimension(4); // two milling steps in use
        w.setMillingSteps(3, 2, 0);
        w.setEmulsionSteps(0, 3, 5, 15, 10, 0);
        w.temperatureMin = -1.5;
        w.temperatureCount = 3;
        const QStringList lines = w.toString().split('\n');
        QCOMPARE(lines.size(), 13);
        QCOMPARE(lines[1], QString("Nome Ricetta;Tempo Lavorazione;Stop Utente;Numero Porzioni;Dimensione Porzione;"
                                   "Tipo Pressione;Intensità Pressione;|;Fresatura;Affondamento;|;Pausa;Fresatura;"
                                   "Affondamento;Tipo Pressione;Intensità Pressione;"));
        QCOMPARE(lines[2], QString("Gelato;125;0;0;4;0;0;|;3;2;|;0;3;5;15;10;"));
        QCOMPARE(lines[4], QString(";;;;;;;|;-;-;|;-;-;-;-;-;")); // past the portion, step disabled
        QCOMPARE(lines[9], QString(";;;;;;;|;;;|;-;-;-;-;-;")); // the eighth has no milling step
        QCOMPARE(lines[11], QString(";Temperature:;-1,500000;0,000000;0,000000;3;"));
        w.endWork = 0; // asked for before the end: no wrapped difference
        QVERIFY(w.toString().contains("\nGelato;0;0;"));
    }

    void listHistoryFollowsThePinnedClock()
    {
        RecipeElementList l("milling");
        QCOMPARE(l.generateId("A", false, "op"), QString("10000")); // at 100
        QCOMPARE(l.generateId("Base", true, "factory"), QString("1"));
        QCOMPARE(l.generateId("B", false, "op"), QString("10001")); // the same second: shares A's time key
        QCOMPARE(l.getId("Nothing"), QString("0"));
        QVERIFY(!l.contains("Nothing")); // asking does not register it
        QCOMPARE(l.getAllUpdateRecipe(100), (QList<uint>{10001, 10000, 1})); // user set first
        platform::setFixedNow(300);
        QCOMPARE(l.generateId("A", false, "remote"), QString("10000")); // same code, new time
        QCOMPARE(l.userUpdateList.value(10000), QString("remote"));
        // Moving A must not take B's entry with it.
        QCOMPARE(l.getAllUpdateRecipe(0), (QList<uint>{10000, 10001, 1}));
        QCOMPARE(l.getAllUpdateRecipe(250), (QList<uint>{10000}));
        QVERIFY(l.updateElement("A2", "op", 10000)); // renaming frees the old name
        QVERIFY(!l.contains("A"));

        platform::setFixedNow(500);
        QVERIFY(l.removeElement(10000, "op"));
        QVERIFY(l.removeElement(10001, "op")); // the same second again
        QCOMPARE(l.getAllDeleteRecipe(0), (QList<uint>{10001, 10000}));
        QCOMPARE(l.getAllUpdateRecipe(0), (QList<uint>{1}));
        platform::setFixedNow(600);
        QVERIFY(l.removeElementDefault(1, "factory"));
        QCOMPARE(l.getAllDeleteRecipe(550), (QList<uint>{1}));
        RecipeElementList m("cutting"); // a name in both sets is the factory recipe
        m.generateId("Base", true, "f");
        m.recipeNameList["Base"] = 10000;
        m.mergeList();
        QCOMPARE(m.getId("Base"), QString("1"));

        // The database time covers all three lists and the beakers.
        QCOMPARE(getLastUpdateDB(), uint32_t(0));
        recipesCuttingList->generateId("Brunoise", false, "op");
        QCOMPARE(getLastUpdateDB(), uint32_t(600));
        DataHooks::glassLastUpdate = [] { return uint32_t(900); };
        QCOMPARE(getLastUpdateDB(), uint32_t(900));
    }

    void listFileLayout()
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
                 hexBytes("00000001  00000001 000000c8 00000001  00000001 00000001 000000c8"
                          "00000001 00000001 00000002 0066  00000001 00000008 0042 0061 0073 0065 00000001"
                          "00000001 00000001 00000008 0042 0061 0073 0065  00000000  00000000"));
        RecipeElementList back("milling");
        back.Load();
        QCOMPARE(back.getAllUpdateRecipe(150), (QList<uint>{10001, 1}));
        QCOMPARE(back.generateId("C", false, "u"), QString("10002"));
    }

    void damagedListsStaySafe()
    {
        // Counter lost but a recipe 10005 recorded: new codes must not reuse it.
        QVERIFY(root->writeFile(LIST_FILE, hexBytes("00000000  00000001 00000064 00002715  00000001 00002715 00000064"
                                                    "00000000  00000001 00000002 0041 00002715"
                                                    "00000001 00002715 00000002 0041  00000000  00000000")));
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

        QVERIFY(root->writeFile(LIST_FILE, hexBytes("00002711 ffffffff 00000001"))); // a count far too big
        RecipeElementList h("milling");
        h.Load();
        QVERIFY(h.updateList.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWorkFiles)
#include "tst_workfiles.moc"
