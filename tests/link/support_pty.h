#pragma once
// A scripted board on an in-test pseudo-terminal: the code under test opens
// the slave path like a serial device; a responder decides what the board
// answers to each frame.

#include "link/ProtocolConversion.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using Bytes = ByteVector;

class PtyPair
{
public:
    PtyPair();
    ~PtyPair() { closeMaster(); }
    bool ok() const { return master >= 0; }
    const std::string &slavePath() const { return path; }
    int masterFd() const { return master; }
    // The slave side then sees a hang-up.
    void closeMaster();

private:
    int master = -1;
    int keepSlave = -1;
    std::string path;
};

class FakeBoard
{
public:
    // The bytes to answer with; empty: stay silent.
    using Responder = std::function<Bytes(const Bytes &frame)>;

    FakeBoard();
    ~FakeBoard();
    bool ok() const { return pty.ok(); }
    std::string device() const { return pty.slavePath(); }
    void setResponder(Responder r);
    std::vector<Bytes> frames() const;
    int count(uint8_t code) const;
    void closeLine() { pty.closeMaster(); }

    static Bytes reply(uint8_t code, const Bytes &data) { return ProtocolConversion::BuildCommand(code, data); }
    static Bytes ack() { return {0xF3, 0x7F, 0x7F, 0xFC}; }
    static Bytes refusal() { return {0xF3, 0x15, 0x15, 0xFC}; }
    static Bytes status(uint8_t b1, uint8_t b2, uint8_t step) { return reply(0x70, {b1, b2, step}); }

private:
    void loop();

    PtyPair pty;
    mutable std::mutex m;
    Responder responder;
    std::vector<Bytes> received;
    std::atomic<bool> stopping{false};
    std::thread worker;
};
