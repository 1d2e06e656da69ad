#include "link/ProtocolConversion.h"

#include "link/SharedState.h"

thread_local uint8_t ProtocolConversion::error_occured = 0;

uint8_t ProtocolConversion::CalcCheckSum(const ByteVector &bytes)
{
    uint8_t sum = 0;
    for (uint8_t b : bytes)
        sum ^= b;
    return sum;
}

bool ProtocolConversion::VerifyCheckSum(const ByteVector &packet)
{
    if (packet.empty())
        return false;
    uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < packet.size(); ++i)
        sum ^= packet[i];
    if (sum != packet.back()) {
        error_occured = 2;
        return false;
    }
    return true;
}

ByteVector ProtocolConversion::GetPacket(const ByteVector &bytes)
{
    ByteVector packet;
    error_occured = 0;
    bool started = false;
    bool ended = false;
    for (uint8_t b : bytes) {
        if (b == FrameByte::Start) {
            // The last start marker before the end marker wins.
            packet.clear();
            started = true;
        } else if (b == FrameByte::End) {
            if (started) {
                ended = true;
                break;
            }
        } else if (started) {
            packet.push_back(b);
        }
    }
    if (!started || !ended) {
        error_occured = 4;
        packet.clear();
    }
    return packet;
}

ByteVector ProtocolConversion::BuildCommand(uint8_t code, const ByteVector &payload)
{
    if (code >= 0x80)
        return {};
    for (uint8_t b : payload)
        if (b >= 0x80)
            return {};
    ByteVector frame;
    frame.reserve(payload.size() + 4);
    frame.push_back(FrameByte::Start);
    frame.push_back(code);
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(static_cast<uint8_t>(code ^ CalcCheckSum(payload)));
    frame.push_back(FrameByte::End);
    return frame;
}

ByteVector ProtocolConversion::BuildCommand(uint8_t code)
{
    return BuildCommand(code, ByteVector());
}

bool ProtocolConversion::IsSendable(const ByteVector &frame)
{
    if (frame.size() < 4 || frame.front() != FrameByte::Start || frame.back() != FrameByte::End)
        return false;
    uint8_t sum = 0;
    for (std::size_t i = 1; i + 1 < frame.size(); ++i) {
        if (frame[i] >= 0x80)
            return false;
        sum ^= frame[i];
    }
    return sum == 0; // the checksum cancels the XOR of code and payload
}

bool ProtocolConversion::CommandResponse(const ByteVector &bytes)
{
    const ByteVector packet = GetPacket(bytes);
    if (error_occured != 0 || packet.empty())
        return false;
    if (!VerifyCheckSum(packet))
        return false;
    return packet[0] == FrameByte::Ack;
}

ByteVector ProtocolConversion::RequestResponse(const ByteVector &bytes)
{
    ByteVector packet = GetPacket(bytes);
    if (error_occured != 0 || packet.empty())
        return packet;
    if (VerifyCheckSum(packet))
        packet.pop_back();
    return packet;
}

void ProtocolConversion::HandshakeResponse(const ByteVector &bytes)
{
    const ByteVector p = GetPacket(bytes);
    if (error_occured != 0 || p.empty() || !VerifyCheckSum(p))
        return;
    const std::size_t len = p.size();
    // Fewer than three bytes carry no status at all.
    if (len < 3)
        return;
    if (len == 3) {
        if (!firstResponseHandshakeRecieved)
            fwNotFound = (p[1] >> 1) & 1;
    } else {
        const uint8_t a = p[1];
        const uint8_t b = p[2];
        machineCloseOk = a & 0x01;
        oringPresence = a & 0x02;
        hardContent = a & 0x04;
        machineReady = a & 0x08;
        millingOn = a & 0x10;
        fullGlass = a & 0x20;
        hardwareMachineError = a & 0x40;
        working = b & 0x01;
        cutRelease_flag_a = b & 0x02;
        cutRelease_flag_b = b & 0x04;
        glassPresence = b & 0x08;
        machineOpen45 = b & 0x10;
        machineOpen = b & 0x20;
        glassBigPresence = b & 0x40;
        // In a four-byte packet byte 3 is the checksum, not the step.
        if (len >= 5)
            actualStep = p[3] & 0x7F;
    }
    firstResponseHandshakeRecieved = true;
}
