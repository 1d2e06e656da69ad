#pragma once
// Discovery: once the wireless link is up, every datagram that reaches the
// UDP port is answered with the four bytes "VELT", sent back to its sender.
// The remote application then connects to that address on the TCP port.
//
// Between datagrams the thread sleeps on its socket and its wake-up (set by a
// status change or a change of the wireless link), so it costs nothing idle
// and notices kill() at once.

#include "link/Manager.h"
#include "remote/WakeEvent.h"

#include <atomic>

class UDPThreadCommunication : public Manager
{
public:
    static constexpr int kBufferSize = 1024;

    // `createdSocket`: a datagram socket opened by start-up, or -1; the bound
    // socket is a new one created on Init, and this one is closed then.
    UDPThreadCommunication(int usecSleep, int comPort, int createdSocket = -1);
    ~UDPThreadCommunication() override;

    static void *run(void *arg);

    const int comPort;
    std::atomic<int> createdSocket;

    // Datagrams answered since the thread started (for tests and tools).
    std::atomic<unsigned> answered{0};
    std::atomic<bool> listening{false};

protected:
    void statusChanged() override { wake.notify(); }

private:
    void loop();

    WakeEvent wake;
};
