#include "remote/WakeEvent.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

WakeEvent::WakeEvent() : efd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

WakeEvent::~WakeEvent()
{
    if (efd >= 0)
        ::close(efd);
}

void WakeEvent::notify()
{
    if (efd < 0)
        return;
    const uint64_t one = 1;
    // Only fails when the counter is full, which wakes the waiter just the same.
    while (::write(efd, &one, sizeof(one)) < 0 && errno == EINTR) {
    }
}

void WakeEvent::clear()
{
    if (efd < 0)
        return;
    uint64_t count = 0;
    while (::read(efd, &count, sizeof(count)) < 0 && errno == EINTR) {
    }
}

void WakeEvent::wait(int timeoutMs)
{
    // Without a descriptor: short steps, so a caller's loop still sees changes.
    constexpr int kStepMs = 100;
    if (efd < 0) {
        ::poll(nullptr, 0, timeoutMs < 0 ? kStepMs : std::min(timeoutMs, kStepMs));
        return;
    }
    pollfd p{efd, POLLIN, 0};
    while (::poll(&p, 1, timeoutMs) < 0 && errno == EINTR) {
    }
}

WakingFlag &WakingFlag::operator=(bool v)
{
    // The wireless probe sets the flag again and again; only a change wakes.
    if (value.exchange(v) == v)
        return *this;
    std::lock_guard<std::mutex> l(m);
    for (WakeEvent *e : listeners)
        e->notify();
    return *this;
}

void WakingFlag::addListener(WakeEvent *e)
{
    std::lock_guard<std::mutex> l(m);
    listeners.push_back(e);
}

void WakingFlag::removeListener(WakeEvent *e)
{
    std::lock_guard<std::mutex> l(m);
    listeners.erase(std::remove(listeners.begin(), listeners.end(), e), listeners.end());
}
