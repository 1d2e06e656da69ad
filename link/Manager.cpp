#include "link/Manager.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

Manager::Manager(void *(*threadFunction)(void *), int usecSleep, WakeSignal *wake)
    : _usec_sleep(usecSleep), wakeSignal(wake ? wake : &ownWake)
{
    _status = FirstWait;
    _last_cicle_execution = static_cast<uint32_t>(std::time(nullptr));
    if (!createThread(threadFunction))
        std::exit(-1);
}

void *Manager::trampoline(void *arg)
{
    auto *self = static_cast<Manager *>(arg);
    // start() and kill() notify; the bound only guards against a status set
    // some other way.
    while (self->_status == FirstWait)
        self->wakeSignal->waitUntil(WakeSignal::Clock::now() + std::chrono::seconds(1));
    if (self->_status == Exit)
        return nullptr;
    return self->body(arg);
}

bool Manager::createThread(void *(*threadFunction)(void *))
{
    body = threadFunction;
    const int rc = pthread_create(&_runThread, nullptr, &Manager::trampoline, this);
    if (rc != 0) {
        std::printf("Error:unable to create thread,%d\n", rc);
        std::fflush(stdout);
        threadCreated = false;
        return false;
    }
    threadCreated = true;
    joined = false;
    return true;
}

Manager::~Manager()
{
    // Derived destructors stop their loop; this only guarantees the thread
    // is gone before the object's memory is.
    kill();
    join();
}

void Manager::join()
{
    if (threadCreated && !joined) {
        pthread_join(_runThread, nullptr);
        joined = true;
    }
}

void Manager::start()
{
    Status s = _status;
    if (s == FirstWait || s == Idle)
        _status = Init;
    wakeSignal->notify();
    statusChanged();
}

void Manager::stop()
{
    if (_status == Working)
        _status = Idle;
    wakeSignal->notify();
    statusChanged();
}

void Manager::kill()
{
    _status = Exit;
    wakeSignal->notify();
    statusChanged();
}

void Manager::cancel()
{
    if (threadCreated && !joined)
        pthread_cancel(_runThread);
}

bool Manager::checkThreadAlive()
{
    if (!threadCreated || joined)
        return false;
    return pthread_kill(_runThread, 0) == 0;
}

bool Manager::checkWachdog()
{
    return static_cast<int64_t>(_last_cicle_execution) + 900 >= static_cast<int64_t>(std::time(nullptr));
}

bool Manager::resumeThread(void *(*threadFunction)(void *))
{
    // The previous thread must be gone before its handle is reused.
    if (threadCreated && !joined) {
        kill();
        join();
    }
    _status = FirstWait;
    return createThread(threadFunction);
}

void Manager::markCycle()
{
    _last_cicle_execution = static_cast<uint32_t>(std::time(nullptr));
}
