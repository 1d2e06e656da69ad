#pragma once
// Running the system's own tools (sync, iwconfig) as child processes.
//
// These calls come from the graphical thread and from the serial link thread,
// so they use plain POSIX spawning instead of QProcess (which needs a QThread
// event dispatcher). Every wait is bounded: a tool that is missing fails at
// once, one that hangs is killed when its time is up and reaped in the
// background, so a stuck flash write can never freeze the caller for good.

#include <functional>
#include <string>
#include <vector>

namespace syscmd {

struct Result
{
    bool started = false;  // the program was found and spawned
    bool finished = false; // it ended within the time allowed
    int exitCode = -1;     // its exit status when it ended normally
};

// Runs argv[0] (looked up in PATH) with the remaining arguments, standard
// input from /dev/null, waiting at most timeoutMs.
Result run(const std::vector<std::string> &argv, int timeoutMs);

// The system command "sync", waited for at most 30 s.
void runSync();

// Test seam: replaces what runSync() does (an empty function restores it).
void setSyncRunnerForTests(std::function<void()> runner);

} // namespace syscmd
