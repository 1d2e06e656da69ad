#include "StreamParser.h"

#include "link/ProtocolConversion.h"

namespace boardsim {

namespace {
constexpr uint8_t LoaderMark = 0x0F;
constexpr std::size_t MaxLoaderFrame = 600;
// Record bytes besides its data: count, address (2), type, checksum.
constexpr std::size_t RecordOverhead = 5;
constexpr std::size_t TrailerSize = 3;

bool endsWithTrailer(const ByteVector &v)
{
    const std::size_t n = v.size();
    return n >= TrailerSize && v[n - 3] == 0x04 && v[n - 2] == 0x04 && v[n - 1] == 0x00;
}
} // namespace

void StreamParser::setLoaderMode(bool on)
{
    loader = on;
    junk += frame.size() + record.size();
    collecting = false;
    frame.clear();
    resetLoaderFrame();
}

void StreamParser::resetLoaderFrame()
{
    sawFirst0F = false;
    inLoaderFrame = false;
    record.clear();
    settleAtUs = -1;
}

std::size_t StreamParser::takeJunk()
{
    const std::size_t n = junk;
    junk = 0;
    return n;
}

bool StreamParser::feed(uint8_t b, int64_t nowUs, Event &out)
{
    return loader ? feedLoader(b, nowUs, out) : feedBoard(b, out);
}

bool StreamParser::feedBoard(uint8_t b, Event &out)
{
    if (b == FrameByte::Start) {
        // A new start marker abandons a frame in progress, as the program's
        // own packet extraction does.
        junk += frame.size();
        frame.assign(1, b);
        collecting = true;
        return false;
    }
    if (!collecting) {
        ++junk;
        return false;
    }
    frame.push_back(b);
    if (b == FrameByte::End) {
        out.kind = Kind::BoardFrame;
        out.bytes.swap(frame);
        frame.clear();
        collecting = false;
        return true;
    }
    if (frame.size() >= MaxBoardFrame) {
        junk += frame.size();
        frame.clear();
        collecting = false;
    }
    return false;
}

bool StreamParser::feedLoader(uint8_t b, int64_t nowUs, Event &out)
{
    if (!inLoaderFrame) {
        // Board frames are still recognised here so that a repeated update
        // command can restart the loader.
        if (collecting || b == FrameByte::Start) {
            sawFirst0F = false;
            return feedBoard(b, out);
        }
        if (b == LoaderMark) {
            if (sawFirst0F) {
                inLoaderFrame = true;
                sawFirst0F = false;
                record.clear();
            } else {
                sawFirst0F = true;
            }
            return false;
        }
        if (sawFirst0F)
            ++junk;
        sawFirst0F = false;
        ++junk;
        return false;
    }

    record.push_back(b);
    settleAtUs = -1;
    const std::size_t recordSize = static_cast<std::size_t>(record[0]) + RecordOverhead;
    const std::size_t expected = recordSize + TrailerSize;
    const std::size_t size = record.size();
    const bool trailer = endsWithTrailer(record);

    if (size == expected && trailer) {
        out.kind = Kind::LoaderFrame;
        out.bytes.assign(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(recordSize));
        resetLoaderFrame();
        return true;
    }
    if ((trailer && size > expected) || size >= MaxLoaderFrame) {
        out.kind = Kind::LoaderBad;
        out.bytes.swap(record);
        resetLoaderFrame();
        return true;
    }
    if (trailer) {
        // Shorter than its byte count claims: either the rest is still on
        // its way, or the record lost bytes. Give it a moment to tell.
        settleAtUs = nowUs + LoaderSettleUs;
    }
    return false;
}

bool StreamParser::poll(int64_t nowUs, Event &out)
{
    if (settleAtUs < 0 || nowUs < settleAtUs)
        return false;
    out.kind = Kind::LoaderBad;
    out.bytes.swap(record);
    resetLoaderFrame();
    return true;
}

} // namespace boardsim
