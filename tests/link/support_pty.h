#pragma once
// A scripted board on an in-test pseudo-terminal: the code under test opens
// the slave path like a real serial device; the test decides, frame by frame,
// what the "board" answers.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using Bytes = std::vector<uint8_t>;

class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    bool ok() const { return master >= 0; }
    const std::string &slavePath() const { return path; }
    int masterFd() const { return master; }
    // Closes the master: the slave side then sees a hang-up.
    void closeMaster();

private:
    int master = -1;
    int keepSlave = -1;
    std::string path;
};

struct ReceivedFrame
{
    Bytes bytes;
    std::chrono::steady_clock::time_point at;
};

class FakeBoard
{
public:
    // Returns the bytes to answer with (empty: stay silent).
    using Responder = std::function<Bytes(const Bytes &frame)>;

    FakeBoard();
    ~FakeBoard();

    bool ok() const { return pty.ok(); }
    std::string device() const { return pty.slavePath(); }
    void setResponder(Responder r);
    std::vector<ReceivedFrame> frames() const;
    std::vector<Bytes> framesWithCode(uint8_t code) const;
    int count(uint8_t code) const;
    void clearFrames();
    // Writes raw bytes to the line without being asked.
    void inject(const Bytes &bytes);
    // Waits until `pred()` holds or the time runs out.
    bool waitFor(const std::function<bool()> &pred, int timeoutMs);
    void closeLine() { pty.closeMaster(); }

    // Standard answers.
    static Bytes ack();
    static Bytes refusal();
    static Bytes reply(uint8_t code, const Bytes &data);
    // Status reply: bits of byte 1 and 2, and the step.
    static Bytes status(uint8_t b1, uint8_t b2, uint8_t step);

private:
    void loop();

    PtyPair pty;
    mutable std::mutex m;
    Responder responder;
    std::vector<ReceivedFrame> received;
    std::atomic<bool> stopping{false};
    std::thread worker;
};
