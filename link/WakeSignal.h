#pragma once
// Wakes a worker thread that waits for work instead of polling for it. A
// notification given while the worker is busy is kept, so the next wait
// returns at once and nothing is missed.

#include <chrono>
#include <condition_variable>
#include <mutex>

class WakeSignal
{
public:
    using Clock = std::chrono::steady_clock;

    void notify()
    {
        {
            std::lock_guard<std::mutex> l(m);
            pending = true;
        }
        cv.notify_all();
    }

    // Returns at `deadline` or on a notification, which it consumes.
    void waitUntil(Clock::time_point deadline)
    {
        std::unique_lock<std::mutex> l(m);
        cv.wait_until(l, deadline, [this] { return pending; });
        pending = false;
    }

private:
    std::mutex m;
    std::condition_variable cv;
    bool pending = false;
};
