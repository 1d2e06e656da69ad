#include "data/DataState.h"

#include "data/RecipeElementList.h"
#include "data/WorkSettings.h"

#include <QString>

// ===== Work programs and recipe index lists =====================================
WorkSettings *actual = new WorkSettings();

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
