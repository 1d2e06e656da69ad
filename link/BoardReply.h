#pragma once
// What one exchange with the board came to, and the values its request
// replies carry. Every decoder takes the bytes as received and gives a value
// only when they hold a complete frame with a valid checksum and enough data:
// a torn or garbled reply is never read as data.

#include "link/ByteUtils.h"

#include <cstdint>
#include <optional>
#include <string>

namespace BoardReply {

enum class Outcome {
    NoAnswer,     // nothing arrived
    Corrupt,      // bytes arrived, but no complete frame with a valid checksum
    Acknowledged, // a command accepted, or a request answered
    Refused,      // a command refused by the board
};

// Whether `code` is a request (its reply carries data) rather than a command.
bool isRequest(uint8_t code);

// The outcome of sending `code` and receiving `reply`. Request replies are
// not checked for their reply code: any valid frame answers a request.
Outcome classify(uint8_t code, const ByteVector &reply);

struct Version
{
    std::string firmware; // "2.00.05"
    std::string mains;    // "110V50Hz", "230V 60Hz", ...
    bool volt110 = false;
    bool hz50 = false;
};

// 118: firmware version and mains type; `volt110` is the text for 110 V boards.
std::optional<Version> version(const ByteVector &reply, const std::string &volt110);
// 120, sent twice: the top bits come in the first reply, the rest in the
// second. Millimetres; positions of 400 and more are not plausible.
std::optional<uint32_t> axisPosition(const ByteVector &first, const ByteVector &second);
std::optional<uint16_t> residualSteps(const ByteVector &reply);   // 117
std::optional<uint8_t> errorCode(const ByteVector &reply);        // 115
std::optional<uint8_t> temperature(const ByteVector &reply);      // 113, raw code
std::optional<uint8_t> absorption(const ByteVector &reply);       // 114, raw code
std::optional<uint16_t> sensors(const ByteVector &reply);         // 119
std::optional<uint16_t> bladeMountState(const ByteVector &reply); // 116

} // namespace BoardReply
