#include "data/DataState.h"

// ===== User settings, life counters and beaker registry ==========================
#include "data/UserSettings.h"
#include "data/WorkingTimer.h"

UserSettings settings;
WorkingTimer machineLife;

std::atomic<bool> costructorEnable{false};
std::string serialNumber;
// ===== end of user settings, life counters and beaker registry ===================
