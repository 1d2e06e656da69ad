#include "remote/RemoteState.h"

#include "data/DataState.h"
#include "data/GlassElement.h"
#include "data/WorkSettings.h"

#include <mutex>

WakingFlag wifiConnect{false};

std::atomic<bool> canStartRemoteRecipe{false};
std::atomic<bool> startFromTcp{false};
GuardedString tcpRecipeName;
std::atomic<uint8_t> tcpRecipeType{0};

std::unique_ptr<WorkSettings> currentRemoteProgram;

PendingRemoteStart::PendingRemoteStart() = default;
PendingRemoteStart::~PendingRemoteStart() = default;
PendingRemoteStart::PendingRemoteStart(PendingRemoteStart &&) noexcept = default;
PendingRemoteStart &PendingRemoteStart::operator=(PendingRemoteStart &&) noexcept = default;

namespace {

// The slot and `startFromTcp` change together under this lock, so the home
// screen never sees the flag without the start it announces.
std::mutex slotMutex;
PendingRemoteStart slot;

} // namespace

void offerRemoteStart(PendingRemoteStart start)
{
    PendingRemoteStart replaced;
    {
        std::lock_guard<std::mutex> l(slotMutex);
        tcpRecipeName.set(start.recipeName);
        tcpRecipeType = start.recipeType;
        replaced = std::move(slot);
        slot = std::move(start);
        startFromTcp = true;
    }
    // `replaced` (never seen by another thread) is freed here, unlocked.
}

void withdrawRemoteStart()
{
    PendingRemoteStart dropped;
    std::lock_guard<std::mutex> l(slotMutex);
    dropped = std::move(slot);
    startFromTcp = false;
    tcpRecipeName.set(std::string());
}

PendingRemoteStart takePendingRemoteStart()
{
    std::lock_guard<std::mutex> l(slotMutex);
    PendingRemoteStart taken = std::move(slot);
    slot = PendingRemoteStart();
    startFromTcp = false;
    return taken;
}

void adoptRemoteStart(PendingRemoteStart start)
{
    if (!start.program)
        return;
    if (start.beaker)
        *actualSelectedGlass = *start.beaker;
    else
        actualSelectedGlass->reset();
    std::unique_ptr<WorkSettings> previous = std::move(currentRemoteProgram);
    currentRemoteProgram = std::move(start.program);
    actual = currentRemoteProgram.get();
}

std::string remoteCipherKey()
{
    const std::string key = serialNumber;
    return key.empty() ? std::string(kPlaceholderSerialNumber) : key;
}
