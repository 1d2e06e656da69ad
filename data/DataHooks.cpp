#include "data/DataHooks.h"

namespace DataHooks {
std::function<void(double)> maxTemperature;
std::function<void(double)> maxAbsorption;
std::function<void()> initMillingDefaultSettings;
std::function<void()> initCuttingDefaultSettings;
std::function<void()> initWhippingDefaultSettings;
std::function<uint32_t()> glassLastUpdate;
} // namespace DataHooks
