#pragma once
// The process-wide data objects, declared in one place. They are created once
// (statically or at start-up) and never freed; the screens, the serial link
// thread and the remote interpreter share them. The recipe lists, the beaker
// registry and the life counters lock themselves; the work programs do not.

class QString;
class WorkSettings;
class RecipeElementList;

// ===== Work programs and recipe index lists =====================================
// The program being configured or run. Never null: it exists before main runs,
// because the link thread records telemetry into it as soon as it starts.
extern WorkSettings *actual;

// One index per recipe function; created and loaded by createRecipeLists() at
// start-up, null before that.
extern RecipeElementList *recipesMillingList;
extern RecipeElementList *recipesWhippingList;
extern RecipeElementList *recipesCuttingList;

// Creates the three recipe lists (if not yet there) and loads them.
void createRecipeLists();
// The list of a function folder ("milling", "whipping", "cutting"); null for
// any other folder or before createRecipeLists().
RecipeElementList *recipeListForFolder(const QString &folder);
// ===== end of work programs and recipe index lists ===============================

// ===== User settings, life counters and beaker registry ==========================
#include "link/SharedState.h"

#include <atomic>
#include <string>

class UserSettings;
class WorkingTimer;
class GlassElementsList;
class GlassElement;

// The operator's preferences (data/UserSettings.h); load() at start-up.
extern UserSettings settings;
// The machine's life counters (data/WorkingTimer.h); load() at start-up.
extern WorkingTimer machineLife;
// The beaker registry (data/GlassElementsList.h); Load() at start-up. It
// exists before main runs and is never null.
extern GlassElementsList *glassList;
// The beaker the remote application selected (data/GlassElement.h).
extern GlassElement *actualSelectedGlass;

// Start-up's builder mode and machine serial number. They live here because the
// stored data depends on them: the user settings file is not written in
// builder mode, and the counters export carries the serial number.
extern std::atomic<bool> costructorEnable;
extern GuardedString serialNumber; // written by the settings screen, read by the TCP thread

// ===== end of user settings, life counters and beaker registry ===================

// ===== Presets, limit maps and the built-in programs =============================
#include <QList>
#include <QMap>

#include <cstdint>

// The nine presets: each function at three strengths. Built from the function's
// CSV file (data/Presets.h), then overridden by what the operator stored.
extern WorkSettings *frostizing_soft;
extern WorkSettings *frostizing_medium;
extern WorkSettings *frostizing_hard;
extern WorkSettings *cutting_soft;
extern WorkSettings *cutting_medium;
extern WorkSettings *cutting_hard;
extern WorkSettings *whipping_soft;
extern WorkSettings *whipping_medium;
extern WorkSettings *whipping_hard;
// Template copied into a new recipe, and the built-in cleaning program.
extern WorkSettings *add_new;
extern WorkSettings *cleaning;
// Further program slots; they keep their construction values.
extern WorkSettings *fast_clean;
extern WorkSettings *standard_clean;
extern WorkSettings *dummy;

// Per function: cut speed index -> immersion speed indexes it must not be
// combined with (from the tail of the preset CSV file).
extern QMap<uint8_t, QList<uint8_t>> frostizing_not_allow_setting;
extern QMap<uint8_t, QList<uint8_t>> cutting_not_allow_setting;
extern QMap<uint8_t, QList<uint8_t>> whipping_not_allow_setting;
// Per function: key -> value pairs of the limit file, read back through
// checkDangerousSetting().
extern QMap<uint8_t, uint8_t> frostizing_danegrous_settings;
extern QMap<uint8_t, uint8_t> cutting_danegrous_settings;
extern QMap<uint8_t, uint8_t> whipping_danegrous_settings;

// Unit of the portion quantities on the screens: 1 grams, 2 ounces, 0 until
// the extra settings file says otherwise.
extern int portionMeasureUnit;
// ===== end of presets, limit maps and the built-in programs ======================
