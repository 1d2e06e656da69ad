#include "link/LinkHooks.h"

#include <utility>

namespace LinkHooks {
std::function<void(uint8_t)> temperatureRead;
std::function<void(uint8_t)> absorptionRead;
std::function<void(uint8_t)> errorCodeRead;
std::function<void()> storeMainsSetting;

std::vector<std::string> unsetHooks()
{
    std::vector<std::string> names;
    const std::pair<const char *, bool> hooks[] = {
        {"temperatureRead", bool(temperatureRead)},
        {"absorptionRead", bool(absorptionRead)},
        {"errorCodeRead", bool(errorCodeRead)},
        {"storeMainsSetting", bool(storeMainsSetting)},
    };
    for (const auto &h : hooks)
        if (!h.second)
            names.push_back(h.first);
    return names;
}
} // namespace LinkHooks
