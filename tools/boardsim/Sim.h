#pragma once
// The simulator proper, without any I/O: bytes from the program go in, reply
// bytes come out when they are due, control lines get one answer line each.
// The event loop in main.cpp owns the descriptors and the clock.

#include "Board.h"
#include "StreamParser.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace boardsim {

class Sim
{
public:
    // Pseudo-codes for counters and fault rules beside the 0..127 commands.
    static constexpr int LoaderKey = 256; // loader frames
    static constexpr int BadKey = 257;    // frames with a bad checksum
    static constexpr int JunkKey = 258;   // bytes outside any frame
    static constexpr int AnyKey = -1;

    Sim();

    // Traffic lines ("rx <hex>", "tx <hex>") go here while logging is on.
    std::function<void(const std::string &)> trafficSink;
    // Replaces the pseudo-terminal with a new one ("hangup"): the old one's
    // other end sees the line go away. Returns the new device, or "" on failure.
    std::function<std::string()> hangupHandler;

    void input(const uint8_t *data, std::size_t size, int64_t nowUs);
    // Runs timers: loader framing, run steps, reply release.
    void advance(int64_t nowUs);
    // Earliest time advance() has work to do, or -1.
    int64_t deadline() const;
    // Bytes ready for the wire now; the caller erases what it wrote.
    ByteVector &wire() { return wireBuffer; }

    // One control line in, one answer line out ("ok...", "error ...").
    // Sets `quit` when the line asks the simulator to end.
    std::string control(const std::string &line, bool &quit);

    Board &board() { return b; }

private:
    struct Pending
    {
        int64_t dueUs = 0;
        ByteVector bytes;
        bool started = false;
        int64_t startUs = 0;
        std::size_t released = 0;
    };
    struct ShotRule
    {
        int remaining;
        int key;
    };

    void onBoardFrame(const ByteVector &frame, int64_t nowUs);
    void onLoaderFrame(const ByteVector &bytes, bool malformed, int64_t nowUs);
    void handleEvent(const StreamParser::Event &ev, int64_t nowUs);
    void send(ByteVector reply, int key, int64_t nowUs);
    void releaseOutput(int64_t nowUs);
    void syncParserMode();
    void note(int key, const ByteVector &frame);
    void traffic(const std::string &line);
    void countJunk();

    static bool consume(std::map<int, int> &rules, int key);
    static bool consumeShot(std::vector<ShotRule> &rules, int key);

    // Control helpers (Control.cpp).
    std::string cmdSet(const std::vector<std::string> &t);
    std::string cmdRule(const std::vector<std::string> &t, std::map<int, int> &rules);
    std::string cmdShot(const std::vector<std::string> &t, std::vector<ShotRule> &rules);
    std::string cmdLate(const std::vector<std::string> &t);
    std::string cmdLoader(const std::vector<std::string> &t, const std::string &line);
    std::vector<std::pair<std::string, std::string>> stateItems() const;
    static std::string keyName(int key);

    Board b;
    StreamParser parser;

    std::map<int, int> refuseRules; // key -> frames left, -1 = until cleared
    std::map<int, int> ignoreRules;
    std::vector<ShotRule> corruptRules;
    std::vector<ShotRule> tearRules;
    int64_t lateUs = 0;
    std::map<int, int64_t> lateByKey;
    bool silent = false;
    bool wiretime = false;
    bool logTraffic = false;

    std::map<int, uint64_t> counts;
    std::map<int, ByteVector> lastFrames;

    std::deque<Pending> outQueue;
    int64_t wireFreeUs = 0;
    int64_t rxFreeUs = 0; // when the last byte received is fully in (wire time)
    ByteVector wireBuffer;
};

// Helpers shared with the control code.
std::string hex(const ByteVector &bytes);

} // namespace boardsim
