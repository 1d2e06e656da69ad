// Work program files, their registration in the recipe lists, the remote
// byte form and the work report, checked against layouts written by hand.

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
const char *const GUEST = "11"
                          "06 47656c61746f"
                          "02 0000012c 03"
                          "08 0f 0a 00"
                          "0302 0302 0302 0302 0101 0101 0101"
                          "03050a0f00 010000007f 010000007f 010000007f"
                          "010000007f 010000007f 010000007f 010000007f"
                          "02";

const char *const DETAILS = "/mnt/mmc-memory/recipes/milling/10000.seq";

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
        platform::setFixedNow(1000);
    }
    void cleanup()
    {
        platform::clearFixedNow();
        DataHooks::initMillingDefaultSettings = nullptr;
        DataHooks::initCuttingDefaultSettings = nullptr;
        DataHooks::initWhippingDefaultSettings = nullptr;
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
        w.copyEmulsionStep(0, 2);
        w.copyEmulsionStep(0, 4);
        w.copyEmulsionStep(0, 6);
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
    }

    // Files of 59 bytes (before stock and glass existed) still load; shorter
    // ones are damaged and leave the program as it was.
    void shortFiles()
    {
        QVERIFY(root->writeFile("/home/root/recipes//p59_default.seq", hexBytes(CUTTING_SOFT_FILE).left(59)));
        WorkSettings w = program("", "p59");
        w.minStockQty = 7;
        QVERIFY(w.Load());
        QCOMPARE(int(w.getEmulsionWorkingMode()), 127);
        QCOMPARE(int(w.getEmulsionSteps(1).ImmersionSpeed), 2);
        QCOMPARE(int(w.getEmulsionSteps(1).PressionIntensity), 10);
        QCOMPARE(w.getEnabledEmulsionSteps(), 3);
        QCOMPARE(int(w.minStockQty), 7);

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
        QCOMPARE(toQByteArray(w.toByte()).left(22), hexBytes("00002710 01 07 4772616e697461 00000002 00 000003e8"));

        platform::setFixedNow(1100);
        QVERIFY(w.Update("Granita al limone", "remote"));
        QCOMPARE(w.getUpdate(), uint32_t(1100));
        QVERIFY(!recipesMillingList->contains("Granita"));
        RecipeElementList reloaded("milling");
        reloaded.Load();
        QCOMPARE(reloaded.getRecipeName(10000u), QString("Granita al limone"));

        QVERIFY(w.Delete("op"));
        QVERIFY(!QFile::exists(root->path("/home/root/recipes/milling/10000.seq")));
        QVERIFY(!recipesMillingList->contains(10000u));
        QVERIFY(!w.Delete("op"));
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
        WorkSettings e = program("milling", "Sorbetto");
        QVERIFY(!e.Save("op"));
        QVERIFY(recipesMillingList->contains(10000u));

        // The rework folding is only kept when the file was written.
        WorkSettings r = program("whipping", "10001");
        r.setExtraEmulsionStep(3);
        r.setReworkAddStep(2);
        QVERIFY(!r.Update("x", "op"));
        QCOMPARE(int(r.getExtraEmulsionStep()), 3);

        // Names that would leave the recipe folder are refused.
        WorkSettings u = program("", "../escape");
        QVERIFY(!u.Save("remote"));
        QVERIFY(!QFile::exists(root->path("/home/root/escape_default.seq")));

        // Deleting a recipe whose main file is missing changes nothing.
        root->writeFile(DETAILS, hexBytes("00000000 00000000"));
        WorkSettings d = program("milling", "10000");
        QDir(root->path("/home/root/recipes/milling/10000.seq")).removeRecursively();
        QVERIFY(!d.Delete("op"));
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
        QCOMPARE(p.getEnabledEmulsionSteps(), 3);
        QCOMPARE(root->readFile("/home/root/recipes//pairs_default.seq").mid(28, 5), hexBytes("0100000005"));

        // Only three pairs fit; the rest is kept, not counted below zero.
        p.setReworkAddStep(5);
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
        QVERIFY(!w.updateIngredient("x", "1", MAX_INGREDIENTS, "op"));
        QVERIFY(!w.deleteIngredient(-1, "op"));
        QCOMPARE(root->readFile(DETAILS), full);

        QVERIFY(w.updateIngredient("Zucchero", "100 g", 0, "op"));
        QVERIFY(w.deleteIngredient(1, "op"));
        WorkSettings back = program("milling", "10000");
        QVERIFY(back.Load());
        QCOMPARE(back.ingredientList.size(), MAX_INGREDIENTS - 1);
        QCOMPARE(back.getQty(0), std::string("100 g"));
        QVERIFY(w.deleteAllIngredient("op"));

        // Without the SD card the edit is refused and undone.
        OperatorMessages shown;
        QVERIFY(QDir(root->path("/mnt/mmc-memory/recipes/milling")).removeRecursively());
        QVERIFY(!w.addIngredient("ab", "1", "op"));
        QCOMPARE(w.getIngredientNumber(), uint8_t(0));
        QCOMPARE(shown.messages, QStringList{"Recipe Dettails Saving Error."});

        // A damaged details file (huge count) gives no ingredients.
        root->writeFile(DETAILS, hexBytes("7fffffff 00000004 0061"));
        back.ingredientList = QStringList{"stale"};
        QVERIFY(back.Load());
        QVERIFY(back.ingredientList.isEmpty() && back.qtyList.isEmpty());
    }

    void missingPresetFilesFallBackToTheirCsv()
    {
        QStringList calls;
        DataHooks::initMillingDefaultSettings = [&calls] { calls << "milling"; };
        DataHooks::initCuttingDefaultSettings = [&calls] { calls << "cutting"; };
        DataHooks::initWhippingDefaultSettings = [&calls] { calls << "whipping"; };
        for (const char *name : {"cutting_soft", "milling_soft", "milling", "whipping", "whipping_hard", "10"})
            QVERIFY(!program("", name).Load());
        QCOMPARE(calls, (QStringList{"cutting", "milling", "whipping"}));
    }

    void guestProgramRoundTrip()
    {
        const ByteVector guest = hexVector(GUEST);
        WorkSettings w;
        uint32_t pos = 1;
        QVERIFY(w.fromByteAsGuest(guest, &pos));
        QCOMPARE(pos, uint32_t(guest.size()));
        QCOMPARE(w.displayName, QString("Gelato"));
        QCOMPARE(w.path, QString("cutting"));
        // The same program in the form the remote application reads.
        QCOMPARE(toQByteArray(w.toByte()), hexBytes("00000000 02 06 47656c61746f 0000002c 03 00000000"
                                                    "08 0f 0a 00"
                                                    "0302 0302 0302 0302 0101 0101 0101"
                                                    "03050a0f00 010000007f 010000007f 010000007f"
                                                    "010000007f 010000007f 010000007f 010000007f"
                                                    "02 00"));
    }

    void shortGuestBuffersAreRefused()
    {
        const ByteVector guest = hexVector(GUEST);
        for (std::size_t n = 0; n < guest.size(); ++n) {
            WorkSettings w;
            w.displayName = "keep";
            uint32_t pos = 1;
            QVERIFY2(!w.fromByteAsGuest(ByteVector(guest.begin(), guest.begin() + std::ptrdiff_t(n)), &pos),
                     qPrintable(QString("length %1").arg(n)));
            QCOMPARE(pos, uint32_t(1));
            QCOMPARE(w.displayName, QString("keep"));
        }
        WorkSettings w;
        uint32_t pos = 0;
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
        w.userStop = true;
        w.setPortion(3);
        w.setPortionDimension(4);
        w.setMillingPressionType(15);
        w.setMillingPressionIntensity(10);
        w.setMillingSteps(3, 2, 0);
        w.setMillingSteps(4, 3, 1);
        w.setEmulsionSteps(0, 3, 5, 15, 10, 0);
        w.temperatureMin = -1.5;
        w.temperatureMid = 2.25;
        w.temperatureMax = 4;
        w.temperatureCount = 3;
        w.absorptionMin = 0.5;
        w.absorptionMid = 1;
        w.absorptionMax = 2;
        w.absorptionCount = 2;

        const QString idle = "\n;;;;;;;|;-;-;|;-;-;-;-;-;";
        QCOMPARE(w.toString(),
                 QString("\nNome Ricetta;Tempo Lavorazione;Stop Utente;Numero Porzioni;Dimensione Porzione;"
                         "Tipo Pressione;Intensità Pressione;|;Fresatura;Affondamento;|;Pausa;Fresatura;"
                         "Affondamento;Tipo Pressione;Intensità Pressione;\n"
                         "Gelato;125;1;3;4;15;10;|;3;2;|;0;3;5;15;10;"
                         "\n;;;;;;;|;4;3;|;-;-;-;-;-;")
                     + idle + idle + idle + idle + idle
                     + "\n;;;;;;;|;;;|;-;-;-;-;-;"
                       "\n;;Min;Medio;Max;Numero Campioni;\n"
                       ";Temperature:;-1,500000;2,250000;4,000000;3;"
                       "\n;Assorbimento:;0,500000;1,000000;2,000000;2;");
        w.endWork = 0; // asked for before the end: no wrapped difference
        QVERIFY(w.toString().contains("\nGelato;0;1;"));
    }
};

QTEST_GUILESS_MAIN(TestWorkFiles)
#include "tst_workfiles.moc"
