#pragma once
// Process-wide machine state shared by the screens and the serial link thread.
//
// The screens never talk to the board: they queue frames on serialFifo and
// watch the acknowledgement flags; the link thread is the single writer of the
// machine-state flags and telemetry below. Scalars are atomics so that the
// unlocked cross-thread reads the screens do are well defined; the strings the
// link thread rewrites are guarded, since a torn std::string read can crash.

#include "link/WakeSignal.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <pthread.h>
#include <queue>
#include <string>
#include <vector>

// A string written by one thread and read by others.
class GuardedString
{
public:
    GuardedString() = default;
    explicit GuardedString(std::string v) : value(std::move(v)) {}
    GuardedString(const GuardedString &) = delete;
    GuardedString &operator=(const GuardedString &) = delete;

    std::string get() const
    {
        std::lock_guard<std::mutex> l(m);
        return value;
    }
    void set(const std::string &v)
    {
        std::lock_guard<std::mutex> l(m);
        value = v;
    }
    GuardedString &operator=(const std::string &v)
    {
        set(v);
        return *this;
    }
    operator std::string() const { return get(); }
    bool empty() const { return get().empty(); }
    void clear() { set(std::string()); }

private:
    mutable std::mutex m;
    std::string value;
};

// ---- command queue --------------------------------------------------------
extern std::queue<std::vector<uint8_t>> serialFifo;
extern pthread_mutex_t serialFifoMutex;

// ---- acknowledgement flags: 0 waiting, 1 acknowledged/idle, -1 refused ----
extern std::atomic<int8_t> setMillingFlag;           // 1
extern std::atomic<int8_t> setEmulsionFlag;          // 2
extern std::atomic<int8_t> startRunningFlag;         // 3
extern std::atomic<int8_t> stopRunningFlag;          // 4
extern std::atomic<int8_t> cutReleaseCmdSend;        // 10
extern std::atomic<int8_t> cutCleanCmdSend;          // 11
extern std::atomic<int8_t> stopReleaseCmdSend;       // 12
extern std::atomic<int8_t> setGlassDimensionCmdSend; // 15
extern std::atomic<uint8_t> setCustomClean;          // 17, refused = 255
extern std::atomic<int8_t> startUpdateFirmware;      // 48
extern std::atomic<int8_t> endUpdateFirmware;        // 48
extern std::atomic<int8_t> getBladeMountState;       // 116
extern std::atomic<int8_t> bladeReleaseFlag;

// ---- request results -------------------------------------------------------
extern std::atomic<uint16_t> bladeMountState;      // 0xFF00 = not yet known
extern std::atomic<uint16_t> retrivedResidualStep; // 0xC000 = not yet known

// ---- machine-state flags from the status reply ------------------------------
extern std::atomic<bool> machineCloseOk;
extern std::atomic<bool> oringPresence;
extern std::atomic<bool> hardContent;
extern std::atomic<bool> machineReady;
extern std::atomic<bool> millingOn;
extern std::atomic<bool> fullGlass;
extern std::atomic<bool> hardwareMachineError;
extern std::atomic<bool> working;
extern std::atomic<bool> cutRelease_flag_a;
extern std::atomic<bool> cutRelease_flag_b;
extern std::atomic<bool> glassPresence;
extern std::atomic<bool> machineOpen45;
extern std::atomic<bool> machineOpen;
extern std::atomic<bool> glassBigPresence;
extern std::atomic<uint8_t> actualStep;

// ---- telemetry ---------------------------------------------------------------
extern std::atomic<uint8_t> actualTemperature;
extern std::atomic<uint8_t> actualAbsorption;
extern std::atomic<uint32_t> actualTreePosition;
extern std::atomic<uint16_t> actualSensorState;
extern std::atomic<bool> requestTreePosition;
extern std::atomic<bool> requestSensorState;

// ---- link health -------------------------------------------------------------
extern std::atomic<uint32_t> serialComunicationError;
extern std::atomic<bool> firstResponseHandshakeRecieved;
extern std::atomic<bool> fwNotFound;
extern std::atomic<bool> displayError;
extern std::atomic<bool> comunicationErrorDisplayed;

// ---- firmware and mains --------------------------------------------------------
extern GuardedString fwVersion;
extern GuardedString fwFrequency;
extern GuardedString _110Voltage; // read from a file at start-up
extern GuardedString swVersion;   // read from a file at start-up
extern std::atomic<bool> fwUpdateStarted;
extern std::atomic<bool> forceFwUpdate;
extern std::atomic<bool> forceFwUpdateSend;
extern std::atomic<int> actualWaitProgress;

// ---- run context (work and cleaning screens, read by the error log) -----------
extern std::atomic<uint8_t> actualFunc;
extern std::atomic<uint8_t> actualDir;
extern std::atomic<uint8_t> actualCutSpeed;
extern std::atomic<uint8_t> actualImmSpeed;
extern std::atomic<uint8_t> actualPortion;
extern std::atomic<uint8_t> actualPortionWorked;
extern std::atomic<uint8_t> actualPression;
extern std::atomic<bool> reworkSet; // a running program is being reworked

// Per-command state of the remote protocol's helpers; indexed by command code.
extern signed char CommandStateVariable[127];

// ---- acknowledgement operations (call with serialFifoMutex held) ----------------
void setStateVar(uint8_t code, bool ok);
void waitStateVar(uint8_t code);
bool checkWaitStateVar();
void resetStateVar();

// Wakes the link thread, which waits for frames instead of polling the queue.
// Never destroyed: the thread may still wait on it while the process ends.
WakeSignal &serialFifoWake();

// Locks serialFifoMutex for a scope; on leaving, wakes the link thread when
// frames are waiting. Every push onto serialFifo goes through one of these.
class FifoLock
{
public:
    FifoLock() { pthread_mutex_lock(&serialFifoMutex); }
    ~FifoLock()
    {
        const bool frames = !serialFifo.empty();
        pthread_mutex_unlock(&serialFifoMutex);
        if (frames)
            serialFifoWake().notify();
    }
    FifoLock(const FifoLock &) = delete;
    FifoLock &operator=(const FifoLock &) = delete;
};
