#pragma once
// Process-wide values of remote access: whether the network threads may bind,
// and the hand-over of a remote start to the home screen.
//
// The remote start is a one-shot hand-over between threads. The TCP thread
// builds the program (and, for a beaker's recipe, the beaker) as objects of
// its own and offers them (offerRemoteStart), which also sets `tcpRecipeName`,
// `tcpRecipeType` and `startFromTcp`; it never touches `actual` or
// `actualSelectedGlass` (data/DataState.h), which the screens and the link
// thread read. The home screen, polling on the graphical thread, takes the
// start (takePendingRemoteStart) and adopts it (adoptRemoteStart). A second
// start before that replaces the first, which is freed unseen.
// `canStartRemoteRecipe` tells the TCP thread whether a start is accepted: the
// screens set it while the home screen is idle.

#include "link/SharedState.h"
#include "remote/WakeEvent.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class GlassElement;
class WorkSettings;

// The wireless interface is associated; set by start-up and the home
// screen's probe. The TCP and UDP threads bind only once it is set; a change
// wakes them.
extern WakingFlag wifiConnect;

extern std::atomic<bool> canStartRemoteRecipe;
extern std::atomic<bool> startFromTcp;
// File name of the program to start: the recipe code in decimal for a stored
// recipe, the program's name for a guest program.
extern GuardedString tcpRecipeName;
extern std::atomic<uint8_t> tcpRecipeType;

struct PendingRemoteStart
{
    PendingRemoteStart();
    ~PendingRemoteStart();
    PendingRemoteStart(PendingRemoteStart &&) noexcept;
    PendingRemoteStart &operator=(PendingRemoteStart &&) noexcept;

    // Null when no start is pending.
    std::unique_ptr<WorkSettings> program;
    // The beaker the program came from; null for a guest program, which
    // leaves no beaker selected.
    std::unique_ptr<GlassElement> beaker;
    std::string recipeName;
    uint8_t recipeType = 0;
};

// TCP thread: hands a start over, replacing one not yet taken, and sets
// `tcpRecipeName`, `tcpRecipeType` and then `startFromTcp`.
void offerRemoteStart(PendingRemoteStart start);
// TCP thread: a refused start; drops one not yet taken, clears `startFromTcp`
// and empties `tcpRecipeName`.
void withdrawRemoteStart();
// Graphical thread: the pending start, once (empty when none), clearing
// `startFromTcp`.
PendingRemoteStart takePendingRemoteStart();
// Graphical thread: makes a taken start the current program. The beaker
// becomes the selected one (none for a guest program), the program becomes
// `currentRemoteProgram` and `actual`, and only then is the previous remote
// program freed. Does nothing for a start without a program.
void adoptRemoteStart(PendingRemoteStart start);
// Graphical thread only: owns the program of the last adopted remote start,
// which `actual` may designate. The presets are never owned here.
extern std::unique_ptr<WorkSettings> currentRemoteProgram;

// What loading the serial number gives when none is stored.
constexpr const char kPlaceholderSerialNumber[] = "QKTVMRBXWLD";

// The cipher key of the remote protocol: the machine's serial number
// (`serialNumber`, data/DataState.h, where the stored data also needs it), or
// the placeholder when it is empty (an empty key would leave frames unciphered
// and the cipher without an end).
std::string remoteCipherKey();
