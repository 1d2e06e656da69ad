#pragma once
// Base of the worker threads (serial link, TCP, UDP). The graphical thread
// steers a worker only through its status word; the worker loop reads it on
// every pass and acts on it.

#include "link/WakeSignal.h"

#include <atomic>
#include <cstdint>
#include <pthread.h>
#include <string>

class Manager
{
public:
    enum Status { FirstWait = 0, Init = 1, Idle = 2, Working = 3, Exit = 4 };

    // `wake` is notified on every status change, so a worker that waits on it
    // notices start, stop and kill at once; without one the runner uses its own.
    Manager(void *(*threadFunction)(void *), int usecSleep, WakeSignal *wake = nullptr);
    virtual ~Manager();
    Manager(const Manager &) = delete;
    Manager &operator=(const Manager &) = delete;

    void start();
    void stop();
    void kill();
    void cancel();
    bool checkThreadAlive();
    bool checkWachdog();
    bool resumeThread(void *(*threadFunction)(void *));
    Status getStatus() const { return _status; }

    // Waits for the worker to end after kill().
    void join();

protected:
    // Worker side: record a completed pass for the watchdog.
    void markCycle();
    // Called by start(), stop() and kill() after they set the status, on the
    // caller's thread: a worker that sleeps on something other than its loop
    // period (a socket) wakes itself here. Derived destructors must end
    // their loop themselves: Manager's own destructor reaches only this one.
    virtual void statusChanged() {}
    // Worker side: moves the status from `from` to `to` only while it is
    // still `from`, so a stop (or any change) made meanwhile is not undone.
    bool switchStatus(Status from, Status to) { return _status.compare_exchange_strong(from, to); }

    int _usec_sleep;
    std::string _error;
    bool _connectionStart = false;
    std::atomic<uint32_t> _last_cicle_execution{0};
    pthread_t _runThread{};
    std::atomic<Status> _status{FirstWait};

private:
    // Runs in the new thread: holds back the worker body until start() (or
    // kill()), so the body never sees a half-constructed derived object.
    static void *trampoline(void *arg);
    bool createThread(void *(*threadFunction)(void *));

    WakeSignal ownWake;
    WakeSignal *const wakeSignal;
    void *(*body)(void *) = nullptr;
    bool threadCreated = false;
    bool joined = false;
};
