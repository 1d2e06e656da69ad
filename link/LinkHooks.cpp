#include "link/LinkHooks.h"

namespace LinkHooks {
std::function<void(uint8_t)> temperatureRead;
std::function<void(uint8_t)> absorptionRead;
std::function<void(uint8_t)> errorCodeRead;
std::function<void()> storeMainsSetting;
} // namespace LinkHooks
