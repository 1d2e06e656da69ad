#pragma once
// What the crash-safety test saves: every kind of file the data layer writes,
// in one of two versions (0 and 1) that differ in every file. The objects are
// built afresh each round, so a file's content depends on the version alone.
// Shared by the saving program (crash_saver.cpp) and tst_crashsafety.cpp.

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

namespace crashwrites {

constexpr const char *FUNCTIONS[] = {"milling", "cutting", "whipping"};
constexpr const char *GLASS_CODE = "FRZ01.001";

// Folders, no debug lines, no system "sync" (a killed process loses nothing
// the kernel already holds).
inline void prepare()
{
    for (const char *f : FUNCTIONS) {
        storedfile::makeFolder(platform::path(std::string("/home/root/recipes/") + f));
        storedfile::makeFolder(platform::path(std::string("/mnt/mmc-memory/recipes/") + f));
    }
    storedfile::makeFolder(platform::path("/home/root/glasses"));
    platform::setLogSink([](const std::string &) {});
    syscmd::setSyncRunner([] {});
}

inline QList<WorkSettings *> storedPresets()
{
    return {frostizing_soft, frostizing_medium, frostizing_hard, cutting_soft, cutting_medium,
            cutting_hard,    whipping_soft,     whipping_medium,  whipping_hard, cleaning};
}

inline void saveAll(int version)
{
    const QString tag = version ? "B" : "A";
    const QString user = "operatore " + tag;
    platform::setFixedNow(1700000000 + 1000 * version);

    // Recipes: main file, details file, both index lists of each function.
    for (RecipeElementList **list : {&recipesMillingList, &recipesCuttingList, &recipesWhippingList})
        delete *list;
    recipesMillingList = new RecipeElementList("milling");
    recipesCuttingList = new RecipeElementList("cutting");
    recipesWhippingList = new RecipeElementList("whipping");
    for (const char *function : FUNCTIONS) {
        WorkSettings recipe;
        recipe.path = function;
        recipe.filename = recipe.path + " " + tag;
        recipe.setPortionDimension(uint8_t(8 + 2 * version));
        recipe.Save(user);
        recipe.ingredientList = QStringList{"farina " + tag, "zucchero"};
        recipe.qtyList = QStringList{QString::number(100 + version), "5"};
        recipe.SaveExtention(user);
        RecipeElementList *list = recipeListForFolder(recipe.path);
        list->insertNewElementDefault(recipe.path + " base " + tag, user);
        list->SaveDefault();
    }

    // Presets and the cleaning program, as the defaults or with extra cycles.
    initMillingDefaultSettings();
    initCuttingDefaultSettings();
    initWhippingDefaultSettings();
    initCleaningDefaultSettings();
    for (WorkSettings *preset : storedPresets()) {
        preset->setExtraEmulsionStep(uint8_t(2 * version));
        preset->Save(user);
    }

    // User settings, mains and Wi-Fi files, life counters, filter reminder.
    UserSettings s;
    s.setMyBrightness(60 + 10 * version);
    s.save();
    s.set_rete_setting(version ? "60" : "50", "1");
    s.createWifiConfig("rete " + tag, "chiave segreta " + tag, 2);
    WorkingTimer counters;
    counters.addTimeAcMotor(uint64_t(1000 + version));
    counters.save();
    date reminded;
    reminded.year = uint16_t(version ? 130 : 100); // years since 1900
    write_warning_reminder(reminded, WRNG_FILTRO);

    // A beaker and a fresh registry.
    static GlassElementsList *registry = nullptr;
    delete registry;
    glassList = registry = new GlassElementsList();
    GlassElement glass;
    glass.setGlassCode(GLASS_CODE);
    glass.setGlassType(version ? "2" : "1");
    glass.setCreationDate();
    glass.setRecipeCode(10000);
    glass.setRecipeType(1);
    glass.initResidualContent();
    glass.Save(user);
}

} // namespace crashwrites
