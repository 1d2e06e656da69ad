#pragma once
// Process-wide values of remote access: whether the network threads may bind,
// and the hand-over of a remote start to the home screen.
//
// The remote start is a one-shot hand-over: the TCP thread sets `actual`
// (data/DataState.h), `tcpRecipeName`, `tcpRecipeType` and then `startFromTcp`;
// the home screen, polling, consumes it. `canStartRemoteRecipe` is the only
// coordination: the screens set it while the home screen is idle.

#include "link/SharedState.h"

#include <atomic>
#include <cstdint>
#include <string>

// The wireless interface is associated; set by start-up. The TCP and UDP
// threads bind only once it is set.
extern std::atomic<bool> wifiConnect;

extern std::atomic<bool> canStartRemoteRecipe;
extern std::atomic<bool> startFromTcp;
// File name of the program to start: the recipe code in decimal for a stored
// recipe, the program's name for a guest program.
extern GuardedString tcpRecipeName;
extern std::atomic<uint8_t> tcpRecipeType;

// What loading the serial number gives when none is stored.
constexpr const char kPlaceholderSerialNumber[] = "QKTVMRBXWLD";

// The cipher key of the remote protocol: the machine's serial number
// (`serialNumber`, data/DataState.h, where the stored data also needs it), or
// the placeholder when it is empty (an empty key would leave frames unciphered
// and the cipher without an end).
std::string remoteCipherKey();
