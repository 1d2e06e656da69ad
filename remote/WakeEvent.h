#pragma once
// A wake-up a worker thread can wait on together with its sockets, so it
// sleeps until something happens instead of waking every few milliseconds to
// look at its status.

#include <atomic>
#include <mutex>
#include <vector>

class WakeEvent
{
public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent &) = delete;
    WakeEvent &operator=(const WakeEvent &) = delete;

    // Readable while notified and not yet cleared; -1 when no descriptor
    // could be had (callers then wait in short steps instead).
    int fd() const { return efd; }
    // Any thread.
    void notify();
    // The waiting thread, before it looks at what it is woken for, so that
    // nothing notified after the look is lost.
    void clear();
    // Waits up to `timeoutMs` (-1: without limit) for a notification.
    void wait(int timeoutMs);

private:
    int efd = -1;
};

// A flag whose changes wake the threads listening to it (setting the value
// it already has wakes nobody).
class WakingFlag
{
public:
    explicit WakingFlag(bool initial = false) : value(initial) {}
    WakingFlag(const WakingFlag &) = delete;
    WakingFlag &operator=(const WakingFlag &) = delete;

    WakingFlag &operator=(bool v);
    operator bool() const { return value; }
    bool load() const { return value; }

    void addListener(WakeEvent *e);
    void removeListener(WakeEvent *e);

private:
    std::atomic<bool> value;
    std::mutex m;
    std::vector<WakeEvent *> listeners;
};
