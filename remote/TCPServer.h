#pragma once
// The listening socket of the remote protocol and its single client.
//
// One client is served at a time; others wait in the listen backlog. A
// request may arrive in several pieces, and several requests in one piece:
// getMessage() hands out one complete frame at a time. A client that stays
// silent for kSilenceMs is disconnected.

#include "remote/ProtocolTCP.h"

#include <netinet/in.h>

#include <chrono>
#include <cstdint>

class TCPServer
{
public:
    // Silence after which the client is dropped (the earlier fixed pause
    // before each read plus its polling gave a client about this long).
    static constexpr int kSilenceMs = 3000;
    // Without a wake descriptor: longest wait for a client or for data within
    // one call, so the caller's loop keeps seeing its status.
    static constexpr int kSliceMs = 100;

    TCPServer();
    ~TCPServer();
    TCPServer(const TCPServer &) = delete;
    TCPServer &operator=(const TCPServer &) = delete;

    // 0 listening, 1 socket not created, 2 bind failed.
    int init();
    // A descriptor that ends the waits below early when it turns readable
    // (the thread's wake-up; it is not read here). With one the waits last
    // until something happens; without (-1) at most kSliceMs.
    void setWakeFd(int fd) { wakeFd = fd; }

    // 0 a client was accepted, 1 accept failed, 2 woken (or nobody asked
    // within a slice).
    int waitIncomingConn();
    // The next complete request frame; empty when none is complete yet, the
    // client went away, stayed silent too long or sent an oversized request
    // (in those cases the client is closed). Waits until data comes, the
    // client has been silent for kSilenceMs, or a wake-up.
    ByteVector getMessage(bool flag = true);
    // 0 written, 1 nothing to send, 2 the write failed (the client is then
    // closed). A vanished client never raises a signal.
    int sendResponse(const ByteVector &bytes);
    void clientClose(bool flag = true);
    void connClose();
    bool clientAllreadyConnect() const { return clientConnected; }

    // Another complete request is already buffered.
    bool requestPending();

    int selectedPort = 8888;
    int socket_desc = -1;
    int client_sock = -1;
    int c = 0;
    int read_size = 0;
    int send_size = 0;
    sockaddr_in server{};
    sockaddr_in client{};
    uint8_t client_message[RemoteFrame::MaxRequest] = {};
    bool clientConnected = false;
    int notDataCounter = 0;

private:
    // True when `fd` turned readable (or hung up) within `timeoutMs`; false
    // on timeout or wake-up.
    bool waitReadable(int fd, int timeoutMs) const;
    // Milliseconds since the client last sent or was answered, at most kSilenceMs.
    int silentMs() const;

    int wakeFd = -1;
    FrameAssembler assembler;
    ByteVector readyFrame; // a frame taken by requestPending()
    std::chrono::steady_clock::time_point lastActivity;
};
