#include "remote/ProtocolTCP.h"

#include "remote/RemoteState.h"

#include "platform/log.h"

#include <algorithm>

std::atomic<uint8_t> error_occured{0};

namespace {

const std::string &usableKey(const std::string &key)
{
    static const std::string placeholder(kPlaceholderSerialNumber);
    return key.empty() ? placeholder : key;
}

bool special(uint8_t b)
{
    return b == RemoteFrame::Start || b == RemoteFrame::Escape || b == RemoteFrame::End;
}

} // namespace

ByteVector ProtocolTCP::EncryptDecryptMsg(const ByteVector &data, const std::string &key)
{
    // The key restarts at its first byte for every message, so the operation
    // is its own inverse.
    const std::string &k = usableKey(key);
    ByteVector out(data.size());
    for (std::size_t i = 0; i < data.size(); ++i)
        out[i] = data[i] ^ static_cast<uint8_t>(k[i % k.size()]);
    return out;
}

ByteVector ProtocolTCP::EncryptDecryptMsg(const ByteVector &data)
{
    return EncryptDecryptMsg(data, remoteCipherKey());
}

ByteVector ProtocolTCP::ByteStuffing(const ByteVector &data)
{
    ByteVector out;
    out.reserve(data.size() + data.size() / 8 + 2);
    for (uint8_t b : data) {
        if (special(b))
            out.push_back(RemoteFrame::Escape);
        out.push_back(b);
    }
    return out;
}

uint8_t ProtocolTCP::CalcCheckSum(const ByteVector &data)
{
    uint8_t sum = 0;
    for (uint8_t b : data)
        sum ^= b;
    return sum;
}

bool ProtocolTCP::VerifyCheckSum(const ByteVector &data)
{
    if (data.empty())
        return false;
    uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < data.size(); ++i)
        sum ^= data[i];
    if (sum == data.back())
        return true;
    error_occured = 2;
    return false;
}

ByteVector ProtocolTCP::buildFrame(const ByteVector &payload, const std::string &key)
{
    ByteVector body = EncryptDecryptMsg(payload, key);
    body.push_back(CalcCheckSum(payload));
    const ByteVector stuffed = ByteStuffing(body);
    ByteVector frame;
    frame.reserve(stuffed.size() + 2);
    frame.push_back(RemoteFrame::Start);
    frame.insert(frame.end(), stuffed.begin(), stuffed.end());
    frame.push_back(RemoteFrame::End);
    return frame;
}

ByteVector ProtocolTCP::BuildCommand(const ByteVector &payload)
{
    const std::string key = remoteCipherKey();
    platform::debugLine("Msg Prima: " + ByteToOctectString(payload));
    ByteVector frame = buildFrame(payload, key);
    platform::debugLine("Msg Dopo:  " + ByteToOctectString(ByteVector(frame.begin() + 1, frame.end() - 1)));
    return frame;
}

ByteVector ProtocolTCP::BuildCommand(uint8_t code)
{
    return BuildCommand(ByteVector{code});
}

ByteVector ProtocolTCP::BuildCommand(uint8_t code, const ByteVector &payload)
{
    ByteVector all(payload.size() + 1);
    all[0] = code;
    std::copy(payload.begin(), payload.end(), all.begin() + 1);
    return BuildCommand(all);
}

ByteVector ProtocolTCP::ByteUnstuffing(const ByteVector &received, const std::string &key)
{
    ByteVector gathered;
    bool started = false;
    bool escaped = false;
    for (uint8_t b : received) {
        if (escaped) {
            // An escape before the start byte leaves every later byte skipped.
            if (started) {
                gathered.push_back(b);
                escaped = false;
            }
            continue;
        }
        if (b == RemoteFrame::Escape)
            escaped = true;
        else if (b == RemoteFrame::Start)
            started = true;
        else if (b == RemoteFrame::End)
            break;
        else if (started)
            gathered.push_back(b);
    }
    if (gathered.empty())
        return gathered;
    // Decipher everything gathered, then put the checksum back as received:
    // it travels unenciphered.
    const uint8_t checksum = gathered.back();
    ByteVector plain = EncryptDecryptMsg(gathered, key);
    plain.back() = checksum;
    return plain;
}

ByteVector ProtocolTCP::ByteUnstuffing(const ByteVector &received)
{
    return ByteUnstuffing(received, remoteCipherKey());
}

ByteVector ProtocolTCP::GetPacket(const ByteVector &data)
{
    error_occured = 0;
    ByteVector packet;
    bool started = false;
    for (uint8_t b : data) {
        if (b == RemoteFrame::Start) {
            packet.clear();
            started = true;
        } else if (started && b == RemoteFrame::End) {
            return packet;
        } else if (started) {
            packet.push_back(b);
        }
    }
    error_occured = 4;
    return ByteVector();
}

uint8_t ProtocolTCP::getErrorOccured()
{
    return error_occured;
}

FrameAssembler::Result FrameAssembler::next(ByteVector *frame)
{
    std::size_t i = 0;
    if (discarding) {
        // The rest of an oversized frame: drop it up to its end byte.
        for (; i < buffer.size(); ++i) {
            if (discardEscaped) {
                discardEscaped = false;
            } else if (buffer[i] == RemoteFrame::Escape) {
                discardEscaped = true;
            } else if (buffer[i] == RemoteFrame::End) {
                discarding = false;
                ++i;
                break;
            }
        }
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(i));
        if (discarding)
            return Incomplete;
        i = 0;
    }

    // Resynchronise on the start byte: what comes before it is no request.
    while (i < buffer.size() && buffer[i] != RemoteFrame::Start)
        ++i;
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(i));
    if (buffer.empty())
        return Incomplete;

    bool escaped = false;
    for (std::size_t k = 1; k < buffer.size() && k < limit; ++k) {
        if (escaped) {
            escaped = false;
        } else if (buffer[k] == RemoteFrame::Escape) {
            escaped = true;
        } else if (buffer[k] == RemoteFrame::End) {
            frame->assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(k + 1));
            buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(k + 1));
            return Frame;
        }
    }
    if (buffer.size() < limit)
        return Incomplete;

    // No end byte within the limit: this frame cannot be taken whole.
    ByteVector rest(buffer.begin() + static_cast<std::ptrdiff_t>(limit), buffer.end());
    buffer.clear();
    discarding = true;
    discardEscaped = escaped;
    buffer = std::move(rest);
    return Overflow;
}
