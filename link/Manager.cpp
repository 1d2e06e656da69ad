#include "link/Manager.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

Manager::Manager(void *(*threadFunction)(void *), int usecSleep) : _usec_sleep(usecSleep)
{
    _status = FirstWait;
    _last_cicle_execution = static_cast<uint32_t>(std::time(nullptr));
    if (!createThread(threadFunction))
        std::exit(-1);
}

void *Manager::trampoline(void *arg)
{
    auto *self = static_cast<Manager *>(arg);
    while (self->_status == FirstWait)
        usleep(static_cast<useconds_t>(self->_usec_sleep > 1000 ? self->_usec_sleep : 1000));
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
    statusChanged();
}

void Manager::stop()
{
    if (_status == Working)
        _status = Idle;
    statusChanged();
}

void Manager::kill()
{
    _status = Exit;
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
