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
    // Longest wait for a client or for data within one call, so the caller's
    // loop keeps seeing its status.
    static constexpr int kSliceMs = 100;

    TCPServer();
    ~TCPServer();
    TCPServer(const TCPServer &) = delete;
    TCPServer &operator=(const TCPServer &) = delete;

    // 0 listening, 1 socket not created, 2 bind failed.
    int init();
    // 0 a client was accepted, 1 accept failed, 2 nobody asked within a slice.
    int waitIncomingConn();
    // The next complete request frame; empty when none is complete yet, the
    // client went away, stayed silent too long or sent an oversized request
    // (in those cases the client is closed). Waits at most one slice.
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
    FrameAssembler assembler;
    ByteVector readyFrame; // a frame taken by requestPending()
    std::chrono::steady_clock::time_point lastActivity;
};
