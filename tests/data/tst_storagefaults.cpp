// The stores on a full flash: a small RAM file system stands in for the
// sandbox's /home/root while the SD card keeps its room. Every change whose
// stored part cannot be written is refused, and the files, the recipe lists
// and the beaker registry stay exactly as they were.

#include "SmallDisk.h"
#include "TempRoot.h"
#include "workprogram_helpers.h"

#include "data/GlassElement.h"
#include "data/GlassElementsList.h"
#include "data/WorkSettings.h"
#include "platform/clock.h"
#include "platform/log.h"

#include <QtTest>

#include <functional>
#include <memory>

namespace {

constexpr uint32_t T0 = 1700000000;

// Every file below the root (temporaries included), but the filler.
QMap<QString, QByteArray> scan(const TempRoot &root)
{
    QMap<QString, QByteArray> files = root.files();
    for (auto it = files.begin(); it != files.end();)
        it = SmallDisk::isFiller(it.key()) ? files.erase(it) : std::next(it);
    return files;
}

// The stored recipe "Base" (10000), as the remote interpreter loads it.
WorkSettings base()
{
    WorkSettings w = program("milling", "10000");
    w.Load();
    return w;
}

GlassElement beaker(const char *code) { return bigBeaker(code, T0 + 1000); }

// What the lists and the registry tell the remote application.
QString storesAsSeen()
{
    QStringList seen;
    const RecipeElementList &l = *recipesMillingList;
    for (const uint code : l.getAllUpdateRecipe(0) + l.getAllDeleteRecipe(0))
        seen << QString("%1 %2 %3").arg(code).arg(l.getRecipeName(code)).arg(l.getRecipeUpdate(code));
    seen << l.getRecipesNameList().join(',') << QString::number(l.getLastUpdate());
    for (const QString &code : glassList->getAllUpdateGlass(0) + glassList->getAllDeleteGlass(0))
        seen << code + " " + QString::number(glassList->getGlassUpdate(code));
    return seen.join('|');
}

} // namespace

class TestStorageFaults : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempRoot> root;
    std::unique_ptr<SmallDisk> disk;
    std::unique_ptr<FreshStores> stores;

private slots:
    void init()
    {
        root = std::make_unique<TempRoot>();
        disk = std::make_unique<SmallDisk>(root->path("/home/root"), "256k");
        if (!disk->mounted())
            QSKIP("a small file system cannot be mounted here");
        root->mkpath("/home/root/recipes/milling");
        root->mkpath("/home/root/glasses");
        root->mkpath("/mnt/mmc-memory/recipes/milling");
        stores = std::make_unique<FreshStores>();
        platform::setFixedNowForTests(T0);
        platform::setLogSink([](const std::string &) {});

        // Stored while there is room: recipe "Base" with one ingredient, a beaker.
        WorkSettings w = program("milling", "Base");
        QVERIFY(w.Save("op"));
        QVERIFY(w.addIngredient("Latte", "1 l", "op"));
        QVERIFY(beaker("AB.000001").Save("op"));
        platform::advanceFixedNowForTests(10);
        QVERIFY(disk->fill() > 0);
    }
    void cleanup()
    {
        platform::setLogSink(nullptr);
        platform::clearFixedNowForTests();
        stores.reset();
        disk.reset();
        root.reset();
    }

    void everyChangeIsRefusedAndTakenBack()
    {
        // With one page free, the first file of a new recipe or beaker still
        // fits, and only its registration fails.
        const struct
        {
            const char *name;
            std::function<bool()> change;
            bool refusedWithOnePageFree;
        } changes[] = {
            {"add ingredient", [] { return base().addIngredient("Zucchero", "5 g", "remote"); }, false},
            {"update ingredient", [] { return base().updateIngredient("Panna", "2 dl", 0, "remote"); }, false},
            {"delete ingredient", [] { return base().deleteIngredient(0, "remote"); }, false},
            {"delete all ingredients", [] { return base().deleteAllIngredient("remote"); }, false},
            {"new recipe", [] { return program("milling", "Nuova").Save("remote"); }, true},
            {"save under a known name", [] { return program("milling", "Base").Save("remote"); }, false},
            {"rename", [] { return base().Update("Base 2", "remote"); }, false},
            {"delete recipe", [] { return base().Delete("remote"); }, false},
            {"new beaker", [] { return beaker("AB.000002").Save("remote"); }, true},
            {"change beaker", [] {
                 GlassElement g = beaker("AB.000001");
                 g.setRecipeCode(10001);
                 return g.Save("remote");
             }, false},
            {"delete beaker", [] { return beaker("AB.000001").Delete("remote"); }, false},
        };
        for (const bool onePageFree : {false, true}) {
            disk->release(onePageFree ? 1 : 0);
            for (const auto &c : changes) {
                if (onePageFree && !c.refusedWithOnePageFree)
                    continue;
                const QString at = QString(c.name) + (onePageFree ? ", one page free" : "");
                const auto files = scan(*root);
                const QString seen = storesAsSeen();
                QVERIFY2(!c.change(), qPrintable(at));
                QVERIFY2(scan(*root) == files, qPrintable(at));
                QCOMPARE(storesAsSeen(), seen);
            }
        }

        // A refused new recipe hands its code out again once there is room.
        disk->release(1000);
        WorkSettings w = program("milling", "Nuova");
        QVERIFY(w.Save("op"));
        QCOMPARE(w.filename, QString("10001"));
    }

    // A refused save leaves the program as it was: a retry does not register
    // its code as a name.
    void refusedSaveKeepsTheProgram()
    {
        WorkSettings w = program("milling", "Nuova");
        w.setExtraEmulsionStep(1);
        w.setReworkAddStep(2);
        QVERIFY(!w.Save("op"));
        QCOMPARE(w.filename, QString("Nuova"));
        QCOMPARE(int(w.getExtraEmulsionStep()), 1);
        QCOMPARE(int(w.getReworkAddStep()), 2);
    }
};

QTEST_GUILESS_MAIN(TestStorageFaults)
#include "tst_storagefaults.moc"
