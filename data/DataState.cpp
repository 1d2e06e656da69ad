#include "data/DataState.h"

#include "data/RecipeElementList.h"
#include "data/WorkSettings.h"

#include <QString>

// ===== Work programs and recipe index lists =====================================
// Static storage: the pointer is repointed to presets and recipes later, and
// the first program must neither leak nor ever be freed.
static WorkSettings initialProgram;
WorkSettings *actual = &initialProgram;

RecipeElementList *recipesMillingList = nullptr;
RecipeElementList *recipesWhippingList = nullptr;
RecipeElementList *recipesCuttingList = nullptr;

void createRecipeLists()
{
    for (auto [list, type] : {std::pair<RecipeElementList **, const char *>{&recipesMillingList, "milling"},
                              {&recipesWhippingList, "whipping"},
                              {&recipesCuttingList, "cutting"}}) {
        if (!*list)
            *list = new RecipeElementList(type);
        (*list)->Load();
    }
}

RecipeElementList *recipeListForFolder(const QString &folder)
{
    if (folder == QLatin1String("milling"))
        return recipesMillingList;
    if (folder == QLatin1String("whipping"))
        return recipesWhippingList;
    if (folder == QLatin1String("cutting"))
        return recipesCuttingList;
    return nullptr;
}
// ===== end of work programs and recipe index lists ===============================

// ===== User settings, life counters and beaker registry ==========================
#include "data/GlassElement.h"
#include "data/GlassElementsList.h"
#include "data/UserSettings.h"
#include "data/WorkingTimer.h"

UserSettings settings;
WorkingTimer machineLife;

namespace {
GlassElementsList registry;
GlassElement selectedGlass;
} // namespace
GlassElementsList *glassList = &registry;
GlassElement *actualSelectedGlass = &selectedGlass;

std::atomic<bool> costructorEnable{false};
GuardedString serialNumber;
// ===== end of user settings, life counters and beaker registry ===================

// ===== Presets, limit maps and the built-in programs =============================
// Created before main like `actual`, so no caller ever meets a null preset.
WorkSettings *frostizing_soft = new WorkSettings();
WorkSettings *frostizing_medium = new WorkSettings();
WorkSettings *frostizing_hard = new WorkSettings();
WorkSettings *cutting_soft = new WorkSettings();
WorkSettings *cutting_medium = new WorkSettings();
WorkSettings *cutting_hard = new WorkSettings();
WorkSettings *whipping_soft = new WorkSettings();
WorkSettings *whipping_medium = new WorkSettings();
WorkSettings *whipping_hard = new WorkSettings();
WorkSettings *add_new = new WorkSettings();
WorkSettings *cleaning = new WorkSettings();
WorkSettings *fast_clean = new WorkSettings();
WorkSettings *standard_clean = new WorkSettings();
WorkSettings *dummy = new WorkSettings();

QMap<uint8_t, QList<uint8_t>> frostizing_not_allow_setting;
QMap<uint8_t, QList<uint8_t>> cutting_not_allow_setting;
QMap<uint8_t, QList<uint8_t>> whipping_not_allow_setting;
QMap<uint8_t, uint8_t> frostizing_danegrous_settings;
QMap<uint8_t, uint8_t> cutting_danegrous_settings;
QMap<uint8_t, uint8_t> whipping_danegrous_settings;

int portionMeasureUnit = 0;
// ===== end of presets, limit maps and the built-in programs ======================
