#pragma once
// The process-wide data objects, declared in one place. They are created once
// (statically or at start-up) and never freed; the screens, the serial link
// thread and the remote interpreter share them without locks.

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
// ===== end of work programs and recipe index lists ===============================
