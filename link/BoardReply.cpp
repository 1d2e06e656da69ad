#include "link/BoardReply.h"

#include "link/ProtocolConversion.h"

namespace BoardReply {

namespace {

// The request reply (reply code, then data; no checksum) when `reply` is a
// valid frame with at least `dataBytes` data bytes.
std::optional<ByteVector> answer(const ByteVector &reply, std::size_t dataBytes)
{
    if (classify(BoardCmd::Status, reply) != Outcome::Acknowledged)
        return std::nullopt;
    ByteVector r = ProtocolConversion::GetPacket(reply);
    r.pop_back();
    if (r.size() < 1 + dataBytes)
        return std::nullopt;
    return r;
}

std::optional<uint8_t> oneByte(const ByteVector &reply)
{
    const auto r = answer(reply, 1);
    if (!r)
        return std::nullopt;
    return static_cast<uint8_t>((*r)[1] & 0x7F);
}

std::string twoDigits(int v)
{
    return (v < 10 ? "0" : "") + std::to_string(v);
}

} // namespace

bool isRequest(uint8_t code)
{
    return code >= BoardCmd::Status && code <= BoardCmd::AxisPosition;
}

Outcome classify(uint8_t code, const ByteVector &reply)
{
    if (reply.empty())
        return Outcome::NoAnswer;
    const ByteVector packet = ProtocolConversion::GetPacket(reply);
    // A frame holds at least its code and its checksum.
    if (packet.size() < 2 || !ProtocolConversion::VerifyCheckSum(packet))
        return Outcome::Corrupt;
    if (isRequest(code) || packet[0] == FrameByte::Ack)
        return Outcome::Acknowledged;
    return Outcome::Refused;
}

std::optional<Version> version(const ByteVector &reply, const std::string &volt110)
{
    const auto r = answer(reply, 3);
    if (!r)
        return std::nullopt;
    const ByteVector &b = *r;
    const int v = (b[2] & 0x1F) * 128 + (b[3] & 0x7F);
    Version out;
    out.firmware = std::to_string(v >> 8) + "." + twoDigits((v >> 4) & 0xF) + "." + twoDigits(v & 0xF);
    out.volt110 = (b[1] & 0x0F) == 1;
    out.hz50 = ((b[1] >> 4) & 0x0F) == 5;
    out.mains = (out.volt110 ? volt110 : std::string("230V ")) + (out.hz50 ? "50Hz" : "60Hz");
    return out;
}

std::optional<uint32_t> axisPosition(const ByteVector &first, const ByteVector &second)
{
    // Without the top bits the rest would pass for a small, wrong position.
    const auto hi = answer(first, 2);
    const auto lo = answer(second, 2);
    if (!hi || !lo)
        return std::nullopt;
    const uint32_t value = (((*hi)[2] & 3u) * 128 + ((*lo)[1] & 0x7Fu)) * 128 + ((*lo)[2] & 0x7Fu);
    const uint32_t position = value / 2;
    if (position >= 400)
        return std::nullopt;
    return position;
}

std::optional<uint16_t> residualSteps(const ByteVector &reply)
{
    const auto r = answer(reply, 2);
    if (!r)
        return std::nullopt;
    return static_cast<uint16_t>(((*r)[1] & 0x7F) * 128 + ((*r)[2] & 0x7F));
}

std::optional<uint8_t> errorCode(const ByteVector &reply)
{
    return oneByte(reply);
}

std::optional<uint8_t> temperature(const ByteVector &reply)
{
    return oneByte(reply);
}

std::optional<uint8_t> absorption(const ByteVector &reply)
{
    return oneByte(reply);
}

std::optional<uint16_t> sensors(const ByteVector &reply)
{
    const auto r = answer(reply, 2);
    if (!r)
        return std::nullopt;
    return static_cast<uint16_t>(((*r)[1] & 0x7F) * 256 + ((*r)[2] & 0x7F));
}

std::optional<uint16_t> bladeMountState(const ByteVector &reply)
{
    const auto v = oneByte(reply);
    if (!v)
        return std::nullopt;
    return *v;
}

} // namespace BoardReply
