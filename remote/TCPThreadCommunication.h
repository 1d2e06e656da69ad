#pragma once
// The remote protocol's worker thread: once the wireless link is up it listens
// on its port, serves one client at a time and answers each request frame
// with one answer frame as soon as the request is complete.
//
// Between events the thread sleeps on its sockets and its wake-up, which a
// status change (start, stop, kill) or a change of the wireless link sets: an
// idle server costs no wake-ups, and kill() is noticed at once.

#include "link/Manager.h"
#include "remote/WakeEvent.h"

#include <atomic>

class TCPThreadCommunication : public Manager
{
public:
    // `createdSocket`: a stream socket opened by start-up, or -1; it is
    // replaced (and closed) when the server is set up.
    TCPThreadCommunication(int usecSleep, int comPort, int createdSocket = -1);
    ~TCPThreadCommunication() override;

    static void *run(void *arg);

    const int comPort;
    const int createdSocket;

    // Requests answered since the thread started (for tests and tools).
    std::atomic<unsigned> answered{0};
    // The server is listening.
    std::atomic<bool> listening{false};

protected:
    void statusChanged() override { wake.notify(); }

private:
    void loop();

    WakeEvent wake;
};
