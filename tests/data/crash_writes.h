#pragma once
// What the crash-safety test saves: every kind of file the data layer writes,
// in one of two versions (0 and 1) that differ in every file. The objects are
// built afresh for each round, so what lands in a file depends on the version
// alone, never on what was saved before. Shared by the saving program
// (crash_saver.cpp) and the test that kills it (tst_crashsafety.cpp).

#include "data/DataState.h"
#include "data/GlassElement.h"
#include "data/GlassElementsList.h"
#include "data/Presets.h"
#include "data/RecipeElementList.h"
#include "data/Reminder.h"
#include "data/StoredFile.h"
#include "data/SystemCommand.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "data/WorkingTimer.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace crashwrites {

constexpr const char *FUNCTIONS[] = {"milling", "cutting", "whipping"};
constexpr const char *GLASS_CODE = "FRZ01.001";

inline void makeFolders()
{
    for (const char *f : FUNCTIONS) {
        storedfile::makeFolder(platform::path(std::string("/home/root/recipes/") + f));
        storedfile::makeFolder(platform::path(std::string("/mnt/mmc-memory/recipes/") + f));
    }
    storedfile::makeFolder(platform::path("/home/root/glasses"));
}

// Debug lines (missing CSV files and the like) and the system "sync" are of
// no interest here: a killed process loses nothing the kernel already holds.
inline void quietAndWithoutSync()
{
    platform::setLogSink([](const std::string &) {});
    syscmd::setSyncRunner([] {});
}

inline QList<WorkSettings *> storedPresets()
{
    return {frostizing_soft, frostizing_medium, frostizing_hard, cutting_soft, cutting_medium,
            cutting_hard,    whipping_soft,     whipping_medium,  whipping_hard, cleaning};
}

// Saves every file once in `version`, calling afterSave() after each save.
inline void saveAll(int version, const std::function<void()> &afterSave = {})
{
    const auto step = [&afterSave] {
        if (afterSave)
            afterSave();
    };
    const QString tag = version ? QStringLiteral("B") : QStringLiteral("A");
    const QString user = QStringLiteral("operatore ") + tag;
    platform::setFixedNow(1700000000 + 1000 * version);

    // Recipes: main file, details file, both index lists of each function.
    delete recipesMillingList;
    delete recipesCuttingList;
    delete recipesWhippingList;
    recipesMillingList = new RecipeElementList("milling");
    recipesCuttingList = new RecipeElementList("cutting");
    recipesWhippingList = new RecipeElementList("whipping");
    for (const char *function : FUNCTIONS) {
        WorkSettings recipe;
        recipe.path = QString::fromLatin1(function);
        recipe.filename = recipe.path + " " + tag;
        recipe.setPortionDimension(uint8_t(8 + 2 * version));
        recipe.setMillingSteps(uint8_t(2 + version), 3);
        recipe.setEmulsionSteps(0, 3, uint8_t(4 + version), 15, 10, 0);
        recipe.minStockQty = uint8_t(5 + version);
        recipe.Save(user);
        step();
        recipe.ingredientList = QStringList{"farina " + tag, "zucchero"};
        recipe.qtyList = QStringList{QString::number(100 + version), "5"};
        recipe.SaveExtention(user);
        step();
        RecipeElementList *list = recipeListForFolder(recipe.path);
        list->insertNewElementDefault(recipe.path + " base " + tag, user);
        list->SaveDefault();
        step();
    }

    // Presets and the cleaning program, as the CSV defaults or with extra cycles.
    initMillingDefaultSettings();
    initCuttingDefaultSettings();
    initWhippingDefaultSettings();
    initCleaningDefaultSettings();
    for (WorkSettings *preset : storedPresets()) {
        preset->setExtraEmulsionStep(uint8_t(2 * version));
        preset->Save(user);
        step();
    }

    // User settings, mains and Wi-Fi files.
    UserSettings s;
    s.setLanguage(version ? "tedesco_de" : "francese_fr");
    s.setMyBrightness(60 + 10 * version);
    s.setWifiEssid("rete " + tag);
    s.save();
    step();
    s.set_rete_setting(version ? "60" : "50", "1");
    step();
    s.createWifiConfig("rete " + tag, "chiave segreta " + tag, 2);
    step();

    // Life counters and the filter reminder.
    WorkingTimer counters;
    counters.addTimeAcMotor(uint64_t(1000 + version));
    counters.addTimeMachine(uint64_t(5000 + version));
    counters.save();
    step();
    date reminded;
    reminded.year = uint16_t(version ? 130 : 100); // years since 1900
    reminded.month = 5;
    reminded.day = 10;
    reminded.hour = 8;
    reminded.minute = 30;
    write_warning_reminder(reminded, WRNG_FILTRO);
    step();

    // A beaker and the registry (fresh, like the recipe lists).
    static GlassElementsList *fresh = nullptr;
    delete fresh;
    fresh = new GlassElementsList();
    glassList = fresh;
    GlassElement glass;
    glass.setGlassCode(GLASS_CODE);
    glass.setGlassType(version ? "2" : "1");
    glass.setCreationDate(uint32_t(1690000000 + version));
    glass.setRecipeCode(10000);
    glass.setRecipeType(1);
    glass.initResidualContent();
    glass.Save(user);
    step();
}

} // namespace crashwrites
