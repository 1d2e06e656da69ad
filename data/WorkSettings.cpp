#include "data/WorkSettings.h"

#include "data/DataState.h"
#include "data/Presets.h"
#include "data/RecipeElementList.h"
#include "data/Tables.h"
#include "data/WorkingTimer.h"

#include "platform/clock.h"

#include <algorithm>

namespace {

bool validMillingIndex(int i)
{
    return i >= 0 && i < MILLING_STEPS;
}

bool validEmulsionIndex(int i)
{
    return i >= 0 && i < EMULSION_STEPS;
}

bool isDisabled(const EmulsionStep &s)
{
    return s.Pause == EMULSION_STEP_DISABLED;
}

// Descent speed of an immersion index, 0 for standstill and for indexes the
// table does not hold (a damaged file or a remote program may carry any byte).
double immersionSpeed(uint8_t index)
{
    return index < IMMERSION_SPEED_TABLE_SIZE ? immersionSpeedTable[index] : 0.0;
}

// Seconds to travel `distance` at the speed of `index`; a step that cannot
// move adds nothing rather than dividing by zero.
double travelTime(double distance, uint8_t index)
{
    const double speed = immersionSpeed(index);
    return speed > 0.0 ? distance / speed : 0.0;
}

void addSample(double value, uint32_t &count, double &min, double &max, double &mid)
{
    if (count == 0) {
        min = max = mid = value;
        count = 1;
        return;
    }
    if (value > max)
        max = value;
    if (value < min)
        min = value;
    mid = (value + count * mid) / (count + 1);
    ++count;
}

} // namespace

WorkSettings::WorkSettings()
{
    resetSettings();
    resetWorkingData();
}

void WorkSettings::resetSettings()
{
    _portionDimension = 8;
    _portionNumber = 0;
    _millingPressionIntensity = 0;
    _millingPressionType = 0;
    for (MillingStep &s : _millingSteps)
        s = MillingStep{1, 1};
    _emulsionWorkingMode = 0;
    for (EmulsionStep &s : _emulsionSteps)
        s = EmulsionStep{EMULSION_STEP_DISABLED, 1, 0, 0, 0};
}

void WorkSettings::resetWorkingData()
{
    startWork = static_cast<uint32_t>(platform::nowSeconds());
    endWork = 0;
    startMilling = 0;
    userStop = false;
    absorptionCount = 0;
    temperatureCount = 0;
    numOfStepMilling = 0;
    toMuchMaterial = false;
    absorptionActual = temperatureActual = 0;
    absorptionMin = absorptionMax = absorptionMid = 0;
    temperatureMin = temperatureMax = temperatureMid = 0;
}

// ---- milling steps -------------------------------------------------------------

int WorkSettings::millingStepsInUse() const
{
    return std::min(_portionDimension / 2, MILLING_STEPS);
}

void WorkSettings::setMillingSteps(uint8_t cut, uint8_t imm, int index)
{
    if (validMillingIndex(index))
        _millingSteps[index] = MillingStep{cut, imm};
}

void WorkSettings::setMillingSteps(uint8_t cut, uint8_t imm)
{
    const int used = millingStepsInUse();
    for (int i = 0; i < MILLING_STEPS; ++i)
        _millingSteps[i] = i < used ? MillingStep{cut, imm} : MillingStep{1, 1};
}

MillingStep WorkSettings::getMillingSteps(int index) const
{
    return validMillingIndex(index) ? _millingSteps[index] : MillingStep{0, 0};
}

void WorkSettings::enableMillingSteps(int index)
{
    if (index >= 1 && index <= 5)
        _millingSteps[index + 1] = _millingSteps[index];
}

bool WorkSettings::checkAdvanceMillingSteps() const
{
    const int used = millingStepsInUse();
    if (used < 2)
        return false;
    for (int i = 1; i < used; ++i) {
        if (_millingSteps[i].CutSpeed != _millingSteps[0].CutSpeed
            || _millingSteps[i].ImmersionSpeed != _millingSteps[0].ImmersionSpeed)
            return true;
    }
    return false;
}

// ---- emulsion steps --------------------------------------------------------------

void WorkSettings::setEmulsionSteps(uint8_t pause, uint8_t cut, uint8_t imm, uint8_t pressionType,
                                    uint8_t pressionIntensity, int index)
{
    if (validEmulsionIndex(index))
        _emulsionSteps[index] = EmulsionStep{pause, cut, imm, pressionType, pressionIntensity};
}

void WorkSettings::setEmulsionSteps(uint8_t pause, uint8_t cut, uint8_t imm, uint8_t pressionType,
                                    uint8_t pressionIntensity)
{
    for (int i = 0; i < EMULSION_STEPS; ++i)
        setEmulsionSteps(pause, cut, imm, pressionType, pressionIntensity, i);
}

void WorkSettings::setEmulsionSteps(uint8_t cut, uint8_t imm, int index)
{
    if (!validEmulsionIndex(index))
        return;
    _emulsionSteps[index].CutSpeed = cut;
    _emulsionSteps[index].ImmersionSpeed = imm;
}

void WorkSettings::setEmulsionSteps(uint8_t cut, uint8_t imm)
{
    for (int i = 0; i < EMULSION_STEPS; ++i)
        setEmulsionSteps(cut, imm, i);
}

void WorkSettings::setEmulsionStepsUp(uint8_t cut, uint8_t imm)
{
    for (int i = 1; i < EMULSION_STEPS; i += 2)
        setEmulsionSteps(cut, imm, i);
}

void WorkSettings::setEmulsionStepsPression(uint8_t pressionType, uint8_t pressionIntensity, int index)
{
    if (!validEmulsionIndex(index))
        return;
    _emulsionSteps[index].PressionType = pressionType;
    _emulsionSteps[index].PressionIntensity = pressionIntensity;
}

void WorkSettings::copyEmulsionStep(int source, int target)
{
    if (validEmulsionIndex(source) && validEmulsionIndex(target))
        _emulsionSteps[target] = _emulsionSteps[source];
}

EmulsionStep WorkSettings::getEmulsionSteps(int index) const
{
    return validEmulsionIndex(index) ? _emulsionSteps[index] : EmulsionStep{EMULSION_STEP_DISABLED, 0, 0, 0, 0};
}

void WorkSettings::enableEmulsionSteps(int index)
{
    if (index < 1 || index >= EMULSION_STEPS)
        return;
    if (isDisabled(_emulsionSteps[index]))
        _emulsionSteps[index] = _emulsionSteps[index - 1];
    copyEmulsionStep(index, index + 2);
}

void WorkSettings::enableEmulsionStepsSimple(int index, bool flag)
{
    if (index < 1 || index >= EMULSION_STEPS)
        return;
    _emulsionSteps[index].Pause = _emulsionSteps[index - 1].Pause;
    if (flag && index >= 2) {
        const EmulsionStep &from = _emulsionSteps[index - 2];
        _emulsionSteps[index].CutSpeed = from.CutSpeed;
        _emulsionSteps[index].ImmersionSpeed = from.ImmersionSpeed;
        _emulsionSteps[index].PressionType = from.PressionType;
        _emulsionSteps[index].PressionIntensity = from.PressionIntensity;
    }
}

void WorkSettings::disableEmulsionSteps(int index)
{
    if (validEmulsionIndex(index))
        _emulsionSteps[index].Pause = EMULSION_STEP_DISABLED;
}

int WorkSettings::getEnabledEmulsionSteps() const
{
    int n = 0;
    while (n < EMULSION_STEPS && !isDisabled(_emulsionSteps[n]))
        ++n;
    return n;
}

bool WorkSettings::checkAdvanceEmulsionSteps() const
{
    if (isDisabled(_emulsionSteps[1]))
        return false;
    const EmulsionStep &first = _emulsionSteps[0];
    for (int i = 1; i < EMULSION_STEPS && !isDisabled(_emulsionSteps[i]); ++i) {
        if (_emulsionSteps[i].CutSpeed != first.CutSpeed || _emulsionSteps[i].ImmersionSpeed != first.ImmersionSpeed)
            return true;
    }
    return false;
}

bool WorkSettings::checkAdvanceEmulsionStepsDown() const
{
    const EmulsionStep &up = _emulsionSteps[1];
    if (isDisabled(up))
        return false;
    if (up.CutSpeed != _millingSteps[0].CutSpeed || up.ImmersionSpeed != _millingSteps[0].ImmersionSpeed)
        return true;
    for (int i = 3; i < EMULSION_STEPS && !isDisabled(_emulsionSteps[i]); i += 2) {
        if (_emulsionSteps[i].CutSpeed != up.CutSpeed || _emulsionSteps[i].ImmersionSpeed != up.ImmersionSpeed)
            return true;
    }
    return false;
}

// ---- extra cycles -------------------------------------------------------------------

namespace {
// Built-in programs (non-zero mode) have no implicit cycle, so they may add one more.
uint8_t extraCycleLimit(uint8_t mode)
{
    return mode != 0 ? 7 : 6;
}
} // namespace

// ---- limits ----------------------------------------------------------------------

std::string WorkSettings::rangeProblem(bool guest) const
{
    const int maxCut = cutSpeedLimit();
    const auto speedsFit = [maxCut](uint8_t cut, uint8_t immersion) {
        return cut <= maxCut && immersion < IMMERSION_SPEED_TABLE_SIZE;
    };
    if (guest && (getRecipeType() == 0))
        return "tipo ricetta";
    if (_portionDimension / 2 > MILLING_STEPS)
        return "dimensione porzione " + std::to_string(_portionDimension);
    if (_millingPressionType >= BOARD_BYTE_LIMIT || _millingPressionIntensity >= BOARD_BYTE_LIMIT)
        return "pressione fresatura";
    if (_emulsionWorkingMode != 0 && _emulsionWorkingMode != EMULSION_STEP_DISABLED)
        return "modo emulsione " + std::to_string(_emulsionWorkingMode);
    for (int i = 0; i < MILLING_STEPS; ++i) {
        if (!speedsFit(_millingSteps[i].CutSpeed, _millingSteps[i].ImmersionSpeed))
            return "passo fresatura " + std::to_string(i);
    }
    for (int i = 0; i < EMULSION_STEPS; ++i) {
        const EmulsionStep &e = _emulsionSteps[i];
        if (e.Pause > EMULSION_STEP_DISABLED || !speedsFit(e.CutSpeed, e.ImmersionSpeed)
            || e.PressionType >= BOARD_BYTE_LIMIT || e.PressionIntensity >= BOARD_BYTE_LIMIT)
            return "passo emulsione " + std::to_string(i);
    }
    if (extraEmulsionStep > extraCycleLimit(_emulsionWorkingMode))
        return "cicli extra " + std::to_string(extraEmulsionStep);
    return std::string();
}

bool WorkSettings::setExtraEmulsionStep(uint8_t n)
{
    const uint8_t limit = extraCycleLimit(_emulsionWorkingMode);
    extraEmulsionStep = std::min(n, limit);
    return n <= limit;
}

bool WorkSettings::setReworkAddStep(uint8_t n)
{
    const uint8_t limit = extraCycleLimit(_emulsionWorkingMode);
    reworkAddStep = std::min(n, limit);
    return n <= limit;
}

uint8_t WorkSettings::getTotalEmulsionCicle() const
{
    const int halves = getEnabledEmulsionSteps() / 2;
    const int total = _emulsionWorkingMode != 0 ? extraEmulsionStep + halves : extraEmulsionStep + 1 + halves;
    return static_cast<uint8_t>(total & 0xFF);
}

// ---- identity -----------------------------------------------------------------------

uint32_t WorkSettings::getRecipeCode() const
{
    bool ok = false;
    const uint code = filename.toUInt(&ok);
    return ok ? code : 0;
}

void WorkSettings::setRecipeType(uint8_t type)
{
    switch (type) {
    case 1:
        path = QStringLiteral("milling");
        break;
    case 2:
        path = QStringLiteral("cutting");
        break;
    case 3:
        path = QStringLiteral("whipping");
        break;
    default:
        break;
    }
}

uint8_t WorkSettings::getRecipeType() const
{
    if (path == QLatin1String("milling"))
        return 1;
    if (path == QLatin1String("cutting"))
        return 2;
    if (path == QLatin1String("whipping"))
        return 3;
    return 0;
}

bool WorkSettings::isFunctionFolder() const
{
    return getRecipeType() != 0;
}

QString WorkSettings::getRecipeName() const
{
    if (!displayName.isEmpty())
        return displayName;
    const RecipeElementList *list = recipeListForFolder(path);
    return list ? list->getRecipeName(filename) : QString();
}

uint32_t WorkSettings::getUpdate() const
{
    const RecipeElementList *list = recipeListForFolder(path);
    return list ? list->getRecipeUpdate(filename) : 0;
}

uint8_t WorkSettings::getIngredientNumber() const
{
    return static_cast<uint8_t>(std::min(ingredientList.size(), 255));
}

std::string WorkSettings::getIngredient(int i) const
{
    return i >= 0 && i < ingredientList.size() ? ingredientList.at(i).toStdString() : std::string();
}

std::string WorkSettings::getQty(int i) const
{
    return i >= 0 && i < qtyList.size() ? qtyList.at(i).toStdString() : std::string();
}

// ---- board payloads -------------------------------------------------------------

ByteVector WorkSettings::getMillingCmdByte() const
{
    ByteVector out;
    out.reserve(1 + 2 * MILLING_STEPS);
    out.push_back(_portionNumber);
    const int used = millingStepsInUse();
    for (int i = 0; i < MILLING_STEPS; ++i) {
        if (i < used) {
            out.push_back(_millingSteps[i].CutSpeed);
            out.push_back(_millingSteps[i].ImmersionSpeed);
        } else {
            // An inactive step: blade stopped, slowest descent.
            out.push_back(0);
            out.push_back(1);
        }
    }
    return out;
}

ByteVector WorkSettings::getEmulsionCmdByte() const
{
    ByteVector out;
    out.reserve(1 + 5 * EMULSION_STEPS);
    out.push_back(_emulsionWorkingMode);
    // The board takes seven steps; the eighth slot always goes as disabled.
    for (int i = 0; i < EMULSION_STEPS - 1; ++i) {
        const EmulsionStep &s = _emulsionSteps[i];
        out.push_back(s.Pause);
        out.push_back(s.CutSpeed);
        out.push_back(s.ImmersionSpeed);
        out.push_back(s.PressionType);
        out.push_back(s.PressionIntensity);
    }
    out.insert(out.end(), {EMULSION_STEP_DISABLED, 0, 0, 0, 0});
    // A frostizing program without emulsion passes its milling pressure to the
    // board through the first (unused) emulsion slot.
    if (_emulsionWorkingMode == 0 && isDisabled(_emulsionSteps[0])) {
        out[4] = _millingPressionType;
        out[5] = _millingPressionIntensity;
    }
    return out;
}

ByteVector WorkSettings::getEmulsionRepetionCmdByte() const
{
    // The board counts repetitions, one less than the cycles run.
    const int halves = getEnabledEmulsionSteps() / 2;
    const int repetitions = _emulsionWorkingMode != 0 ? extraEmulsionStep - 1 + halves : extraEmulsionStep + halves;
    return ByteVector{static_cast<uint8_t>(repetitions & 0x7F)};
}

// ---- statistics -------------------------------------------------------------------

void WorkSettings::registerNewTemperature(uint8_t raw)
{
    if (raw >= CONVERSION_TABLE_SIZE)
        return;
    temperatureActual = temperatureConversionTable[raw];
    machineLife.addMaxTemperature(temperatureActual);
    addSample(temperatureActual, temperatureCount, temperatureMin, temperatureMax, temperatureMid);
}

void WorkSettings::registerNewAbsobtion(uint8_t raw)
{
    if (raw >= CONVERSION_TABLE_SIZE)
        return;
    absorptionActual = absorptionConversionTable[raw];
    machineLife.addMaxAbsorption(absorptionActual);
    addSample(absorptionActual, absorptionCount, absorptionMin, absorptionMax, absorptionMid);
}

// ---- time estimates -------------------------------------------------------------

int WorkSettings::calculateMillingTime(int portions) const
{
    if (portions <= 0)
        portions = _portionNumber;
    if (portions <= 0)
        return 0;
    double perPortion = 0;
    for (int i = 0; i < millingStepsInUse(); ++i)
        perPortion += travelTime(2.0, _millingSteps[i].ImmersionSpeed);
    return static_cast<int>(portions * perPortion + 5.0);
}

int WorkSettings::calculateTotalWorkingTime(int portions) const
{
    const int milling = calculateMillingTime(portions);
    if (portions <= 0)
        portions = _portionNumber;
    const double travel =
        (_emulsionWorkingMode != 0 ? glassDimension : portions * static_cast<int>(_portionDimension)) + 29;

    // The cycles beyond the enabled steps repeat them from the start; the
    // last step reckoned climbs out of the beaker at the fastest speed.
    const int enabled = getEnabledEmulsionSteps();
    const int reckoned = enabled > 0 ? 2 * getTotalEmulsionCicle() : 0;
    double emulsion = 0;
    for (int k = 0; k < reckoned; ++k) {
        const EmulsionStep &s = _emulsionSteps[k % enabled];
        const uint8_t speedIndex = k == reckoned - 1 ? IMMERSION_SPEED_TABLE_SIZE - 1 : s.ImmersionSpeed;
        emulsion += s.Pause / 10 + travelTime(travel, speedIndex);
    }
    return milling + static_cast<int>(emulsion);
}

bool WorkSettings::enoughtPortion() const
{
    const int pd = _portionDimension;
    return numOfStepMilling < (_portionNumber * pd) / 2 - pd / 4;
}
