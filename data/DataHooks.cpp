#include "data/DataHooks.h"

#include "data/Presets.h"

namespace DataHooks {
std::function<void(double)> maxTemperature;
std::function<void(double)> maxAbsorption;
// The preset initialisations live in this library, so these are in force from
// the start; tests may clear or replace them.
std::function<void()> initMillingDefaultSettings = [] { ::initMillingDefaultSettings(); };
std::function<void()> initCuttingDefaultSettings = [] { ::initCuttingDefaultSettings(); };
std::function<void()> initWhippingDefaultSettings = [] { ::initWhippingDefaultSettings(); };
std::function<uint32_t()> glassLastUpdate;
} // namespace DataHooks
