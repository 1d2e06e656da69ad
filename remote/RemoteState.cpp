#include "remote/RemoteState.h"

#include "data/DataState.h"

std::atomic<bool> wifiConnect{false};

std::atomic<bool> canStartRemoteRecipe{false};
std::atomic<bool> startFromTcp{false};
GuardedString tcpRecipeName;
std::atomic<uint8_t> tcpRecipeType{0};

std::string remoteCipherKey()
{
    const std::string key = serialNumber;
    return key.empty() ? std::string(kPlaceholderSerialNumber) : key;
}
