#pragma once
// The remote protocol's worker thread: once the wireless link is up it listens
// on its port, serves one client at a time and answers each request frame
// with one answer frame as soon as the request is complete.

#include "link/Manager.h"

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

private:
    void loop();
    // Sleeps up to `ms` milliseconds, less when the status changes.
    void pause(int ms, Status from);
};
