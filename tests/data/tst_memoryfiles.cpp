// The stores kept in memory (as tests and fuzzing keep them) write the same
// bytes, read them back the same way and fail the same way as on the disk.

#include "TempRoot.h"
#include "workprogram_helpers.h"

#include "data/GlassElement.h"
#include "data/GlassElementsList.h"
#include "data/Reminder.h"
#include "data/SystemCommand.h"
#include "data/WorkSettings.h"
#include "platform/clock.h"
#include "platform/filestore.h"
#include "platform/paths.h"

#include <QtTest>

#include <memory>

namespace {

const char *const FILES[] = {"/home/root/recipes/milling/10000.seq",     "/home/root/recipes/milling/recipes.list",
                             "/mnt/mmc-memory/recipes/milling/10000.seq", "/home/root/glasses/AB.123456.cont",
                             "/home/root/glasses/glass.list",             "/home/root/reminder",
                             "/home/root/reminder_rd"};

// What each step gave, and every file as it was then ("-" when missing).
struct Trace
{
    QStringList steps;
    void note(const QString &step, bool result)
    {
        QString line = step + (result ? " ok" : " refused");
        for (const char *file : FILES) {
            std::string raw;
            line += ' ' + (platform::readFile(platform::path(file), raw, 4096)
                               ? QByteArray(raw.data(), int(raw.size())).toHex()
                               : QByteArray("-"));
        }
        steps << line;
    }
};

// A recipe and a beaker saved, changed, read back and deleted, then a save
// into a folder that is not there and a reminder.
Trace storeAndReadBack()
{
    Trace t;
    FreshStores stores;

    WorkSettings w = program("milling", "Sorbetto");
    t.note("save recipe", w.Save("op"));
    platform::advanceFixedNowForTests(1);
    t.note("add ingredient", w.addIngredient("ab", "1", "op"));
    t.note("save beaker", bigBeaker().Save("op"));

    replaceRecipeLists();
    recipesMillingList->Load();
    WorkSettings back = program("milling", "10000");
    GlassElement b;
    b.setGlassCode("AB.123456");
    t.note("read back", recipesMillingList->contains("Sorbetto") && back.Load() && back.ingredientList == QStringList{"ab"}
                            && stores.registry->Load() && stores.registry->contains("AB.123456") && b.Load()
                            && b.getRecipeCode() == 10000u);

    platform::advanceFixedNowForTests(1);
    t.note("delete recipe", back.Delete("op"));
    t.note("delete again", back.Delete("op"));
    t.note("delete beaker", b.Delete("op"));

    WorkSettings other = program("whipping", "Granita");
    t.note("save into a missing folder", other.Save("op"));

    date d;
    d.day = 3;
    d.minute = 10;
    t.note("reminder", write_warning_reminder(d, WRNG_FILTRO));
    return t;
}

} // namespace

class TestMemoryFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { syscmd::setSyncRunnerForTests([] {}); }
    void cleanupTestCase() { syscmd::setSyncRunnerForTests(nullptr); }
    void cleanup()
    {
        platform::useMemoryFilesForTests(false);
        platform::clearFixedNowForTests();
    }

    void storesBehaveAsOnTheDisk()
    {
        const char *const folders[] = {"/home/root/recipes/milling", "/mnt/mmc-memory/recipes/milling"};
        Trace onDisk;
        {
            TempRoot root;
            for (const char *folder : folders)
                QVERIFY(root.mkpath(folder));
            platform::setFixedNowForTests(100);
            onDisk = storeAndReadBack();
        }

        // A root that is not on the disk: anything that missed the store in
        // memory fails there.
        qputenv("FROSTPANEL_ROOT", "/frostpanel-memory-test");
        platform::useMemoryFilesForTests();
        for (const char *folder : {"/home/root", folders[0], folders[1]})
            QVERIFY(platform::makeFolder(platform::path(folder)));
        platform::setFixedNowForTests(100);
        const Trace inMemory = storeAndReadBack();
        qunsetenv("FROSTPANEL_ROOT");

        QCOMPARE(inMemory.steps, onDisk.steps);
        // Every step did what it should (and the files are what the other data tests check).
        QStringList results;
        for (const QString &step : onDisk.steps)
            results << step.section(' ', 0, -static_cast<int>(std::size(FILES)) - 1);
        QCOMPARE(results, (QStringList{"save recipe ok", "add ingredient ok", "save beaker ok", "read back ok",
                                       "delete recipe ok", "delete again refused", "delete beaker ok",
                                       "save into a missing folder refused", "reminder ok"}));
        QVERIFY(!QFileInfo::exists("/frostpanel-memory-test"));
    }
};

QTEST_GUILESS_MAIN(TestMemoryFiles)
#include "tst_memoryfiles.moc"
