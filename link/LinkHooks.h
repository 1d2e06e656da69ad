#pragma once
// Where the link thread hands what it learns to higher layers. Start-up sets
// these before the thread starts; they are not changed afterwards. An unset
// hook is skipped, so the link runs and tests on its own; the link thread
// logs the unset ones when it begins, as start-up forgetting one loses data.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace LinkHooks {

// Raw 7-bit temperature code read from the board (records it in `actual`).
extern std::function<void(uint8_t raw)> temperatureRead;
// Raw 7-bit absorption code read from the board.
extern std::function<void(uint8_t raw)> absorptionRead;
// Board error code, for the error manager.
extern std::function<void(uint8_t code)> errorCodeRead;
// A version reply arrived: store the mains setting again.
extern std::function<void()> storeMainsSetting;

// Names of the hooks still unset, in declaration order.
std::vector<std::string> unsetHooks();

} // namespace LinkHooks
