#include "data/Presets.h"

#include "data/DataState.h"
#include "data/Tables.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"

#include "platform/filestore.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace {

// The CSV files are small and hand-edited; anything larger is not one of them
// and is not read (it would only cost memory on the board).
constexpr qint64 MAX_CSV_SIZE = 1024 * 1024;

constexpr int RECORD_FIELDS = 45;                // one preset
constexpr int RECORD_STRIDE = RECORD_FIELDS + 1; // and the field skipped after it
constexpr int PAIRS_START = 3 * RECORD_STRIDE;   // not-allowed pairs follow the hard record

// A file's content, or false with the reason in the debug log.
bool readSmallFile(const std::string &file, qint64 limit, QByteArray &content)
{
    std::string raw;
    std::string error;
    if (!platform::readFile(file, raw, static_cast<std::size_t>(limit) + 1, &error)) {
        platform::debugLine(file + ": " + error);
        return false;
    }
    content = QByteArray(raw.data(), static_cast<int>(raw.size()));
    if (content.size() > limit) {
        platform::debugLine(file + ": file too large, ignored");
        content.clear();
        return false;
    }
    return true;
}

// The file's lines split at every ","; line ends do not separate records.
QList<QByteArray> csvPieces(const QByteArray &content)
{
    QList<QByteArray> lines = content.split('\n');
    // A final line end does not start another line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QList<QByteArray> pieces;
    for (const QByteArray &line : lines)
        pieces.append(line.split(','));
    return pieces;
}

// Every piece as a byte: decimal, surrounding white space ignored, modulo
// 256; a piece that is not a number counts as 0. False when the file cannot
// be read (the list is then empty).
bool readFields(const char *absolute, std::vector<uint8_t> &fields)
{
    fields.clear();
    QByteArray content;
    if (!readSmallFile(platform::path(absolute), MAX_CSV_SIZE, content))
        return false;
    const QList<QByteArray> pieces = csvPieces(content);
    fields.reserve(static_cast<std::size_t>(pieces.size()));
    for (const QByteArray &piece : pieces) {
        bool ok = false;
        const int value = piece.trimmed().toInt(&ok, 10);
        fields.push_back(ok ? static_cast<uint8_t>(value) : 0);
    }
    return true;
}

// ---- compiled-in defaults ---------------------------------------------------------

struct Strength
{
    uint8_t millingCut;
    uint8_t millingImmersion;
    uint8_t emulsionCut;
};
// soft, medium, hard
constexpr std::array<Strength, 3> STRENGTHS{{{3, 2, 3}, {4, 3, 4}, {6, 5, 5}}};

void frostizingDefaults(WorkSettings &w, int strength, bool copies)
{
    const Strength &s = STRENGTHS[static_cast<std::size_t>(strength)];
    w.setPortionDimension(8);
    w.setMillingSteps(s.millingCut, s.millingImmersion);
    w.setMillingPressionType(15);
    w.setMillingPressionIntensity(10);
    w.setEmulsionWorkingMode(0);
    w.setEmulsionSteps(0, s.emulsionCut, 5, 15, 10, 0);
    if (copies) {
        for (int i : {2, 4, 6})
            w.copyEmulsionStep(0, i);
    }
}

// Cutting and whipping share their defaults: a descent, a climb at the
// milling speeds, a second descent; steps 4 and 6 are kept ready behind the
// disabled step 3 so that adding cycles repeats the descent. They always
// carry those copies.
void cuttingWhippingDefaults(WorkSettings &w, int strength, bool)
{
    const Strength &s = STRENGTHS[static_cast<std::size_t>(strength)];
    w.setPortionDimension(8);
    w.setMillingSteps(s.millingCut, s.millingImmersion);
    w.setMillingPressionType(0);
    w.setMillingPressionIntensity(0);
    w.setEmulsionWorkingMode(127);
    w.setEmulsionSteps(0, s.emulsionCut, 5, 15, 10, 0);
    w.setEmulsionSteps(0, s.millingCut, s.millingImmersion, 15, 10, 1);
    for (int i : {2, 4, 6})
        w.copyEmulsionStep(0, i);
}

// ---- one function's files ---------------------------------------------------------

struct FunctionPresets
{
    const char *csv;
    const char *limits;
    std::array<WorkSettings **, 3> presets;
    std::array<const char *, 3> names;
    QMap<uint8_t, QList<uint8_t>> *notAllowed;
    QMap<uint8_t, uint8_t> *dangerous;
    // copies: whether the frostizing defaults repeat their step into 2, 4, 6
    void (*defaults)(WorkSettings &, int strength, bool copies);
};

const FunctionPresets MILLING{"/home/root/milling.csv",
                              "/home/root/millingLimit.csv",
                              {&frostizing_soft, &frostizing_medium, &frostizing_hard},
                              {"milling_soft", "milling_medium", "milling_hard"},
                              &frostizing_not_allow_setting,
                              &frostizing_danegrous_settings,
                              &frostizingDefaults};
const FunctionPresets CUTTING{"/home/root/cutting.csv",
                              "/home/root/cuttingLimit.csv",
                              {&cutting_soft, &cutting_medium, &cutting_hard},
                              {"cutting_soft", "cutting_medium", "cutting_hard"},
                              &cutting_not_allow_setting,
                              &cutting_danegrous_settings,
                              &cuttingWhippingDefaults};
const FunctionPresets WHIPPING{"/home/root/whipping.csv",
                               "/home/root/whippingLimit.csv",
                               {&whipping_soft, &whipping_medium, &whipping_hard},
                               {"whipping_soft", "whipping_medium", "whipping_hard"},
                               &whipping_not_allow_setting,
                               &whipping_danegrous_settings,
                               &cuttingWhippingDefaults};

// A preset starts from a clean program. The extra cycles are part of what the
// operator stores with a preset; without clearing them a rebuilt preset (a
// factory reset, above all) would keep the operator's added cycles.
void preparePreset(WorkSettings &w, const char *name)
{
    w.filename = QString::fromLatin1(name);
    w.path.clear();
    w.resetSettings();
    w.extraEmulsionStep = 0;
    w.reworkAddStep = 0;
}

bool holdsRecord(const std::vector<uint8_t> &fields, int strength)
{
    return fields.size() >= static_cast<std::size_t>(strength * RECORD_STRIDE + RECORD_FIELDS);
}

void fillFromRecord(WorkSettings &w, const std::vector<uint8_t> &fields, int strength)
{
    const uint8_t *f = fields.data() + strength * RECORD_STRIDE;
    w.setPortionDimension(f[0]);
    w.setMillingSteps(f[1], f[2]);
    w.setMillingPressionType(f[3]);
    w.setMillingPressionIntensity(f[4]);
    for (int step = 0; step < EMULSION_STEPS; ++step) {
        const uint8_t *s = f + 5 + 5 * step;
        w.setEmulsionSteps(s[0], s[1], s[2], s[3], s[4], step);
    }
}

// A hand-edited record may hold any byte; values the program could not run
// (indexes past the speed tables, bytes the board cannot take) give the
// preset its defaults instead.
void buildPresetInto(WorkSettings &w, const FunctionPresets &fn, const std::vector<uint8_t> &fields, int strength,
                     bool copies)
{
    const char *name = fn.names[static_cast<std::size_t>(strength)];
    preparePreset(w, name);
    if (holdsRecord(fields, strength)) {
        fillFromRecord(w, fields, strength);
        const std::string problem = w.rangeProblem();
        if (problem.empty())
            return;
        platform::debugLine(platform::path(fn.csv) + ": " + name + " fuori limite (" + problem
                            + "), valori predefiniti");
        preparePreset(w, name);
    }
    fn.defaults(w, strength, copies);
}

void buildPreset(const FunctionPresets &fn, const std::vector<uint8_t> &fields, int strength, bool copies)
{
    buildPresetInto(**fn.presets[static_cast<std::size_t>(strength)], fn, fields, strength, copies);
}

void initFunction(const FunctionPresets &fn)
{
    std::vector<uint8_t> fields;
    readFields(fn.csv, fields);
    for (int strength = 0; strength < 3; ++strength)
        buildPreset(fn, fields, strength, true);

    // Read again at every initialisation, the lists only grow; an index
    // already listed is not added twice.
    for (std::size_t i = PAIRS_START; i + 1 < fields.size(); i += 2) {
        QList<uint8_t> &forbidden = (*fn.notAllowed)[fields[i]];
        if (!forbidden.contains(fields[i + 1]))
            forbidden.append(fields[i + 1]);
    }

    std::vector<uint8_t> limits;
    if (readFields(fn.limits, limits)) {
        for (std::size_t i = 0; i + 1 < limits.size(); i += 2)
            fn.dangerous->insert(limits[i], limits[i + 1]);
    }
}

QList<WorkSettings *> ninePresets()
{
    return {frostizing_soft, frostizing_medium, frostizing_hard, cutting_soft,  cutting_medium,
            cutting_hard,    whipping_soft,     whipping_medium,  whipping_hard};
}

void resetStep(const char *step)
{
    platform::debugLine(std::string("RESET -> ") + step + "!! DONE ");
}

} // namespace

void initMillingDefaultSettings()
{
    initFunction(MILLING);
}

void initCuttingDefaultSettings()
{
    initFunction(CUTTING);
}

void initWhippingDefaultSettings()
{
    initFunction(WHIPPING);
}

void initMillingDefaultSettings(int which)
{
    if (which < 1 || which > 3)
        return;
    std::vector<uint8_t> fields;
    readFields(MILLING.csv, fields);
    // Restoring a single soft or medium preset sets only its first emulsion
    // step; the hard one is restored in full.
    buildPreset(MILLING, fields, which - 1, which == 3);
}

void initAddNewDefaultSettings()
{
    WorkSettings &w = *add_new;
    w.filename.clear();
    w.path.clear();
    w.resetSettings();
    w.extraEmulsionStep = 0;
    w.reworkAddStep = 0;
    w.setPortionDimension(8);
    w.setMillingSteps(6, 5);
    w.setMillingPressionType(15);
    w.setMillingPressionIntensity(10);
    w.setEmulsionSteps(EMULSION_STEP_DISABLED, 5, 0, 15, 0, 0);
}

void initCleaningDefaultSettings()
{
    WorkSettings &w = *cleaning;
    preparePreset(w, "cleaning");
    w.setPortionDimension(8);
    w.setMillingSteps(6, 5);
    w.setEmulsionWorkingMode(127);
    // Three passes, each after a one-second pause.
    for (int i = 0; i < 3; ++i)
        w.setEmulsionSteps(10, 6, 5, 15, 10, i);
}

bool checkNotAllowedSetting(uint8_t cutSpeed, uint8_t immersionSpeed, int function)
{
    const QMap<uint8_t, QList<uint8_t>> *map = nullptr;
    switch (function) {
    case FUNCTION_FROSTIZING:
        map = &frostizing_not_allow_setting;
        break;
    case FUNCTION_CUTTING:
        map = &cutting_not_allow_setting;
        break;
    case FUNCTION_WHIPPING:
        map = &whipping_not_allow_setting;
        break;
    default:
        return false;
    }
    const auto it = map->constFind(cutSpeed);
    return it != map->constEnd() && it->contains(immersionSpeed);
}

uint8_t checkDangerousSetting(uint8_t key, int function)
{
    const QMap<uint8_t, uint8_t> *map = nullptr;
    switch (function) {
    case FUNCTION_FROSTIZING:
        map = &frostizing_danegrous_settings;
        break;
    case FUNCTION_CUTTING:
        map = &cutting_danegrous_settings;
        break;
    case FUNCTION_WHIPPING:
        map = &whipping_danegrous_settings;
        break;
    default:
        return 255;
    }
    return map->value(key, 255);
}

namespace {
std::atomic<bool> speedTableRead{false};
} // namespace

int cutSpeedLimit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!speedTableRead)
            loadRpmSpeedTable();
    });
    return std::clamp(cutspeed_max, 0, RPM_SPEED_TABLE_SIZE - 1);
}

bool rebuildPresetFromCsv(WorkSettings &w)
{
    for (const FunctionPresets *fn : {&MILLING, &CUTTING, &WHIPPING}) {
        for (int strength = 0; strength < 3; ++strength) {
            if (w.filename != QLatin1String(fn->names[static_cast<std::size_t>(strength)]))
                continue;
            std::vector<uint8_t> fields;
            readFields(fn->csv, fields);
            buildPresetInto(w, *fn, fields, strength, true);
            return true;
        }
    }
    return false;
}

bool loadRpmSpeedTable()
{
    speedTableRead = true;
    QByteArray content;
    if (!readSmallFile(platform::path("/home/root/rpmspeed.csv"), MAX_CSV_SIZE, content))
        return false;
    std::vector<int> values;
    for (const QByteArray &piece : csvPieces(content)) {
        const QByteArray value = piece.trimmed();
        if (value.isEmpty())
            continue;
        // Only the first entries fit the table; the rest are not even counted.
        if (values.size() == static_cast<std::size_t>(RPM_SPEED_TABLE_SIZE))
            break;
        values.push_back(value.toInt());
    }
    if (values.empty())
        return false;
    for (std::size_t i = 0; i < values.size(); ++i)
        rpmSpeedTable[i] = values[i];
    cutspeed_max = static_cast<int>(values.size()) - 1;
    return true;
}

void loadExtraSettings()
{
    QByteArray content;
    if (!readSmallFile(platform::path("/home/root/extra_settings"), 4096, content))
        return;
    const int end = content.indexOf('\n');
    QByteArray first = end < 0 ? content : content.left(end);
    if (first.endsWith('\r'))
        first.chop(1);
    if (first == "g")
        portionMeasureUnit = 1;
    else if (first == "oz")
        portionMeasureUnit = 2;
}

bool factoryReset(const std::function<void()> &reloadFontsAndLanguages)
{
    platform::debugLine("SETTING FORM -> attivato FACTORY RESET ");

    // A preset without a stored file is already in the wanted state.
    for (WorkSettings *preset : ninePresets())
        preset->Delete(QString());
    resetStep("deletePresetFiles");

    settings.deleteFile();
    resetStep("deleteUserSettings");
    settings.load();
    resetStep("loadUserSettings");

    initMillingDefaultSettings();
    resetStep("initMillingDefaultSettings");
    initCuttingDefaultSettings();
    resetStep("initCuttingDefaultSettings");
    initWhippingDefaultSettings();
    resetStep("initWhippingDefaultSettings");
    initAddNewDefaultSettings();
    resetStep("initAddNewDefaultSettings");

    bool saved = true;
    for (WorkSettings *preset : ninePresets())
        saved = preset->Save(QString()) && saved;
    resetStep("savePresets");

    if (reloadFontsAndLanguages)
        reloadFontsAndLanguages();
    resetStep("reloadFontsAndLanguages");

    platform::debugLine("SETTING FORM -> Fine fase FACTORY RESET ");
    platform::debugLine("****************************************");
    platform::debugLine("!! FACTORY RESET ESEGUITO !!");
    platform::debugLine("****************************************");
    return saved;
}
