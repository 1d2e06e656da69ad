#pragma once
// Seams through which the work programs reach objects that live in other
// parts of the program (life counters, preset tables, beaker registry).
// Start-up plugs them in; an unset hook is skipped, so the work programs run
// and test on their own.

#include <cstdint>
#include <functional>

namespace DataHooks {

// A converted temperature / absorption sample: the life counters keep the
// highest ever seen (machineLife->addMaxTemperature / addMaxAbsorption).
extern std::function<void(double celsius)> maxTemperature;
extern std::function<void(double absorption)> maxAbsorption;

// Rebuild a function's presets from its CSV file; used when a preset file
// cannot be opened. Set from the start to initMillingDefaultSettings() and
// friends (data/Presets.h).
extern std::function<void()> initMillingDefaultSettings;
extern std::function<void()> initCuttingDefaultSettings;
extern std::function<void()> initWhippingDefaultSettings;

// Last change time of the beaker registry (glassList->getLastUpdate()), part
// of the database time the remote application synchronises against.
extern std::function<uint32_t()> glassLastUpdate;

} // namespace DataHooks
