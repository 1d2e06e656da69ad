#pragma once
// Building the presets, the add-new template and the cleaning program, the
// checks against harmful speed combinations, the speed table file, the extra
// settings and the factory reset. The objects themselves are declared in
// data/DataState.h.
//
// Preset CSV files ("/home/root/milling.csv", "cutting.csv", "whipping.csv")
// are edited by hand on the machine: every line is split at "," and all pieces
// form one flat list of byte values. Each preset takes 45 fields followed by
// one unused field (soft from 0, medium from 46, hard from 92); the fields from
// 138 on are pairs (cut speed index, immersion speed index) that must not be
// combined. A preset the file cannot fill, or whose record holds a value
// beyond its limits, takes its compiled-in defaults.
// The limit files ("millingLimit.csv", ...) are (key, value) pairs.

#include <cstdint>
#include <functional>

class WorkSettings;

// Function codes of the limit checks (the recipe type codes).
constexpr int FUNCTION_FROSTIZING = 1;
constexpr int FUNCTION_CUTTING = 2;
constexpr int FUNCTION_WHIPPING = 3;

// Rebuild the three presets of a function from its CSV file and add the
// file's pairs to the function's limit maps (which are never cleared).
void initMillingDefaultSettings();
void initCuttingDefaultSettings();
void initWhippingDefaultSettings();
// Rebuilds one frostizing preset (1 soft, 2 medium, 3 hard) from its CSV file;
// the limit maps are left alone. Other values change nothing.
void initMillingDefaultSettings(int which);
void initAddNewDefaultSettings();
void initCleaningDefaultSettings();

// True when the function's CSV forbids immersionSpeed together with cutSpeed;
// false for an unknown function code.
bool checkNotAllowedSetting(uint8_t cutSpeed, uint8_t immersionSpeed, int function);
// The value the function's limit file gives key; 255 when there is none.
uint8_t checkDangerousSetting(uint8_t key, int function);

// Reads "/home/root/rpmspeed.csv" into rpmSpeedTable and cutspeed_max; false
// (table untouched) when the file yields no value.
bool loadRpmSpeedTable();
// The highest cut speed index a program may hold: cutspeed_max, never beyond
// the table. Stored programs are checked before start-up reads the speed
// file, so the first call reads it unless that has happened already.
int cutSpeedLimit();

// A program whose stored file is missing or damaged and that is one of the
// nine presets (by its filename) is rebuilt from its own record of the
// function's CSV file, or its compiled-in default; the other presets and the
// limit maps are left alone. False for any other name (nothing changes).
bool rebuildPresetFromCsv(WorkSettings &w);
// Reads "/home/root/extra_settings" into portionMeasureUnit.
void loadExtraSettings();

// The settings screen's "Restore the default settings": removes the stored
// presets and the user settings file, rebuilds the presets from their CSV
// files and stores them again. reloadFontsAndLanguages (may be empty) is run
// as the last step. False when a preset could not be stored again (the
// operator has then seen the save error).
bool factoryReset(const std::function<void()> &reloadFontsAndLanguages);
