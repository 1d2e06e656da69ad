#include "Sim.h"

#include "link/ProtocolConversion.h"

#include <algorithm>
#include <cmath>

namespace boardsim {

namespace {
// 9600 baud, 8 data bits, 2 stop bits, no parity: 11 bits per byte.
constexpr double ByteUs = 11.0 * 1e6 / 9600.0;
constexpr std::size_t MaxQueuedReplies = 256;
// Past this much unwritten output, replies wait until the other end reads.
constexpr std::size_t MaxWireBacklog = 65536;

int64_t earliest(int64_t a, int64_t b)
{
    if (a < 0)
        return b;
    if (b < 0)
        return a;
    return std::min(a, b);
}
} // namespace

std::string hex(const ByteVector &bytes)
{
    return ByteToOctectString(bytes);
}

Sim::Sim() = default;

void Sim::traffic(const std::string &line)
{
    if (logTraffic && trafficSink)
        trafficSink(line);
}

void Sim::note(int key, const ByteVector &frame)
{
    ++counts[key];
    lastFrames[key] = frame;
}

void Sim::countJunk()
{
    const std::size_t junk = parser.takeJunk();
    if (junk)
        counts[JunkKey] += junk;
}

void Sim::input(const uint8_t *data, std::size_t size, int64_t nowUs)
{
    StreamParser::Event ev;
    for (std::size_t i = 0; i < size; ++i) {
        // A pseudo-terminal hands over a whole write at once; on the wire
        // each byte takes its time, and the board answers only after the
        // last byte of a frame is in.
        int64_t atUs = nowUs;
        if (wiretime) {
            rxFreeUs = std::max(rxFreeUs, nowUs) + static_cast<int64_t>(std::ceil(ByteUs));
            atUs = rxFreeUs;
        }
        if (parser.feed(data[i], atUs, ev))
            handleEvent(ev, atUs);
    }
    countJunk();
    releaseOutput(nowUs);
}

void Sim::handleEvent(const StreamParser::Event &ev, int64_t nowUs)
{
    switch (ev.kind) {
    case StreamParser::Kind::BoardFrame:
        onBoardFrame(ev.bytes, nowUs);
        break;
    case StreamParser::Kind::LoaderFrame:
        onLoaderFrame(ev.bytes, false, nowUs);
        break;
    case StreamParser::Kind::LoaderBad:
        onLoaderFrame(ev.bytes, true, nowUs);
        break;
    case StreamParser::Kind::None:
        break;
    }
}

void Sim::syncParserMode()
{
    if (parser.loaderMode() != b.loaderActive())
        parser.setLoaderMode(b.loaderActive());
}

void Sim::onBoardFrame(const ByteVector &frame, int64_t nowUs)
{
    traffic("rx " + hex(frame));
    // Packet: the bytes between the markers.
    const ByteVector packet(frame.begin() + 1, frame.end() - 1);
    if (packet.size() < 2 || !ProtocolConversion::VerifyCheckSum(packet)) {
        note(BadKey, frame);
        if (!silent && !b.loaderActive())
            send(Board::refusal(), packet.empty() ? AnyKey : packet[0], nowUs);
        return;
    }
    const uint8_t code = packet[0];
    const ByteVector payload(packet.begin() + 1, packet.end() - 1);
    note(code, frame);
    b.received(code);

    // The loader understands nothing but a repeated update command.
    if (b.loaderActive() && !(code == BoardCmd::FirmwareUpdate && payload.empty()))
        return;
    // Silent, ignored and refused frames are not carried out: the board did
    // not hear them, or would not.
    if (silent || consume(ignoreRules, code))
        return;
    if (consume(refuseRules, code)) {
        send(Board::refusal(), code, nowUs);
        return;
    }
    ByteVector reply = b.handle(code, payload, nowUs);
    syncParserMode();
    if (!reply.empty())
        send(std::move(reply), code, nowUs);
}

void Sim::onLoaderFrame(const ByteVector &bytes, bool malformed, int64_t nowUs)
{
    ByteVector frame;
    frame.reserve(bytes.size() + 5);
    frame.push_back(0x0F);
    frame.push_back(0x0F);
    frame.insert(frame.end(), bytes.begin(), bytes.end());
    if (!malformed)
        frame.insert(frame.end(), {0x04, 0x04, 0x00});
    traffic("rx " + hex(frame));
    note(LoaderKey, frame);
    if (silent)
        return;
    ByteVector reply = b.loaderLine(bytes, malformed);
    syncParserMode();
    if (!reply.empty())
        send(std::move(reply), LoaderKey, nowUs);
}

bool Sim::consume(std::map<int, int> &rules, int key)
{
    auto it = rules.find(key);
    if (it == rules.end())
        return false;
    if (it->second > 0 && --it->second == 0)
        rules.erase(it);
    return true;
}

bool Sim::consumeShot(std::vector<ShotRule> &rules, int key)
{
    for (auto it = rules.begin(); it != rules.end(); ++it) {
        if (it->key != AnyKey && it->key != key)
            continue;
        if (--it->remaining <= 0)
            rules.erase(it);
        return true;
    }
    return false;
}

void Sim::send(ByteVector reply, int key, int64_t nowUs)
{
    if (consumeShot(corruptRules, key)) {
        if (reply.size() >= 4 && reply.front() == FrameByte::Start)
            reply[reply.size() - 2] ^= 0x01; // checksum; stays 7-bit
        else if (reply.size() >= 2)
            reply[1] = static_cast<uint8_t>(~reply[1]);
    }
    if (consumeShot(tearRules, key))
        reply.resize(std::max<std::size_t>(1, reply.size() / 2));
    auto late = lateByKey.find(key);
    const int64_t delay = late != lateByKey.end() ? late->second : lateUs;
    // Nobody reads the other end: keep the backlog bounded.
    if (outQueue.size() >= MaxQueuedReplies)
        return;
    Pending p;
    p.dueUs = nowUs + delay;
    if (!outQueue.empty())
        p.dueUs = std::max(p.dueUs, outQueue.back().dueUs); // replies leave in order
    p.bytes = std::move(reply);
    outQueue.push_back(std::move(p));
    // Released by the caller at the real time: `nowUs` may lie ahead of it
    // while the frame is still on the wire.
}

void Sim::releaseOutput(int64_t nowUs)
{
    while (!outQueue.empty() && wireBuffer.size() < MaxWireBacklog) {
        Pending &p = outQueue.front();
        if (nowUs < p.dueUs)
            break;
        if (!p.started) {
            p.started = true;
            p.startUs = wiretime ? std::max(p.dueUs, wireFreeUs) : nowUs;
            traffic("tx " + hex(p.bytes));
        }
        std::size_t allowed = p.bytes.size();
        if (wiretime) {
            if (nowUs < p.startUs)
                break;
            // A byte is in at the far end once its last bit has crossed.
            const auto sent = static_cast<std::size_t>(double(nowUs - p.startUs) / ByteUs);
            allowed = std::min(allowed, sent);
        }
        wireBuffer.insert(wireBuffer.end(), p.bytes.begin() + static_cast<std::ptrdiff_t>(p.released),
                          p.bytes.begin() + static_cast<std::ptrdiff_t>(allowed));
        p.released = allowed;
        if (p.released < p.bytes.size())
            break;
        wireFreeUs = wiretime ? p.startUs + static_cast<int64_t>(std::ceil(double(p.bytes.size()) * ByteUs)) : nowUs;
        outQueue.pop_front();
    }
}

void Sim::advance(int64_t nowUs)
{
    StreamParser::Event ev;
    if (parser.poll(nowUs, ev))
        handleEvent(ev, nowUs);
    b.advance(nowUs);
    releaseOutput(nowUs);
}

int64_t Sim::deadline() const
{
    int64_t d = earliest(parser.deadline(), b.deadline());
    // A full backlog waits for the descriptor to become writable instead.
    if (!outQueue.empty() && wireBuffer.size() < MaxWireBacklog) {
        const Pending &p = outQueue.front();
        if (!p.started)
            d = earliest(d, p.dueUs);
        else if (wiretime)
            d = earliest(d, p.startUs + static_cast<int64_t>(std::ceil(double(p.released + 1) * ByteUs)));
        else
            d = earliest(d, p.dueUs);
    }
    return d;
}

} // namespace boardsim
