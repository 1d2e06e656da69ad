#pragma once
// Frames of the remote protocol (TCP, one request and one answer per frame).
//
// On the wire: 0xF1, the stuffed body, 0xFF. The body is the payload combined
// with the cipher key (the machine's serial number, repeated), followed by the
// checksum byte: the exclusive-or of the plain payload, not enciphered. Inside
// the body 0xF1, 0xF4 and 0xFF are preceded by the escape byte 0xF4.

#include "link/ByteUtils.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace RemoteFrame {
constexpr uint8_t Start = 0xF1;
constexpr uint8_t Escape = 0xF4;
constexpr uint8_t End = 0xFF;
// Receive buffer of the machine: no request is longer than this on the wire.
constexpr std::size_t MaxRequest = 2000;
} // namespace RemoteFrame

// Second byte of every answer.
namespace RemoteStatus {
constexpr uint8_t Accepted = 0x7F;
constexpr uint8_t Refused = 0x70;
} // namespace RemoteStatus

// Third byte of a refusal, where the command gives one.
namespace RemoteDetail {
constexpr uint8_t StoreFailed = 0xFE;  // the object could not be loaded or written
constexpr uint8_t TimeMismatch = 0xFF; // the object changed since the client read it
constexpr uint8_t NameExists = 0x21;   // a recipe with that name exists
constexpr uint8_t NotInList = 0x01;    // recipe not in its type's list, or no such type
} // namespace RemoteDetail

namespace RemoteCmd {
constexpr uint8_t Ping = 0x01;
constexpr uint8_t StartBeakerRecipe = 0x02;
constexpr uint8_t CreateBeaker = 0x03;
constexpr uint8_t DeleteBeaker = 0x04;
constexpr uint8_t UpdateBeaker = 0x05;
constexpr uint8_t CreateRecipe = 0x08;
constexpr uint8_t DeleteRecipe = 0x09;
constexpr uint8_t UpdateRecipe = 0x0A;
constexpr uint8_t AddIngredient = 0x0D;
constexpr uint8_t DeleteIngredient = 0x0E;
constexpr uint8_t UpdateIngredient = 0x0F;
constexpr uint8_t DeleteAllIngredients = 0x10;
constexpr uint8_t StartGuestProgram = 0x11;
constexpr uint8_t DatabaseTime = 0x81;
constexpr uint8_t ReadBeaker = 0x82;
constexpr uint8_t BeakersChanged = 0x84;
constexpr uint8_t BeakersDeleted = 0x85;
constexpr uint8_t ReadRecipe = 0x87;
constexpr uint8_t NoOperation = 0x88;
constexpr uint8_t RecipesChanged = 0x89;
constexpr uint8_t RecipesDeleted = 0x8A;
constexpr uint8_t ReadIngredient = 0x8B;
// Code position of the answer to an unknown command.
constexpr uint8_t Unknown = 0xFF;
} // namespace RemoteCmd

// Outcome of the last frame check: 0 none, 2 checksum mismatch, 4 no complete frame.
extern std::atomic<uint8_t> error_occured;

class ProtocolTCP
{
public:
    // ---- the machine's side: key = remoteCipherKey(), frames logged ----
    static ByteVector BuildCommand(const ByteVector &payload);
    static ByteVector BuildCommand(uint8_t code);
    static ByteVector BuildCommand(uint8_t code, const ByteVector &payload);
    // Plain payload followed by the checksum byte as received; empty when
    // the buffer holds no payload.
    static ByteVector ByteUnstuffing(const ByteVector &received);
    static ByteVector EncryptDecryptMsg(const ByteVector &data);

    // ---- with an explicit key (the client's side; nothing logged) ----
    // An empty key stands for the placeholder serial number.
    static ByteVector buildFrame(const ByteVector &payload, const std::string &key);
    static ByteVector ByteUnstuffing(const ByteVector &received, const std::string &key);
    static ByteVector EncryptDecryptMsg(const ByteVector &data, const std::string &key);

    static ByteVector ByteStuffing(const ByteVector &data);
    static uint8_t CalcCheckSum(const ByteVector &data);
    // True when the last byte is the exclusive-or of the ones before it.
    static bool VerifyCheckSum(const ByteVector &data);
    // Bytes between the first start byte and the next end byte, still stuffed.
    static ByteVector GetPacket(const ByteVector &data);
    static uint8_t getErrorOccured();

    // One received request to its answer frame; empty when nothing is to be
    // sent back. `flag` is not used.
    static ByteVector InterpretCommand(const ByteVector &received, bool flag = true);
};

// Splits a byte stream into frames: each runs from a start byte to the next
// unescaped end byte. Bytes before a start byte are dropped; bytes after an
// end byte begin the next frame.
class FrameAssembler
{
public:
    enum Result { Frame, Incomplete, Overflow };

    // `limit`: the longest frame accepted, start and end byte included.
    explicit FrameAssembler(std::size_t limit = RemoteFrame::MaxRequest) : limit(limit) {}

    void append(const uint8_t *data, std::size_t size) { buffer.insert(buffer.end(), data, data + size); }
    void append(const ByteVector &data) { append(data.data(), data.size()); }
    // Frame: *frame holds the next complete frame. Incomplete: wait for more.
    // Overflow: the frame under way has outgrown the limit and was discarded.
    Result next(ByteVector *frame);
    void clear()
    {
        buffer.clear();
        discarding = discardEscaped = false;
    }
    std::size_t pending() const { return buffer.size(); }

private:
    std::size_t limit;
    ByteVector buffer;
    bool discarding = false; // dropping the rest of an oversized frame
    bool discardEscaped = false;
};
