#pragma once
// Splits the byte stream arriving from the program into board frames and
// loader frames. The board framing (F3 ... FC) has no length field; the
// loader framing (0F 0F record 04 04 00) is delimited by the record's own
// byte count, since record bytes may take any value.

#include "link/ByteUtils.h"

#include <cstdint>

namespace boardsim {

class StreamParser
{
public:
    enum class Kind {
        None,
        BoardFrame,  // bytes: the whole frame, markers included
        LoaderFrame, // bytes: the record (count, address, type, data, checksum)
        LoaderBad,   // bytes: what arrived after 0F 0F; the frame is malformed
    };
    struct Event
    {
        Kind kind = Kind::None;
        ByteVector bytes;
    };

    // Longest board frame accepted; anything longer is line noise.
    static constexpr std::size_t MaxBoardFrame = 128;
    // A loader frame that stops short of its byte count is judged malformed
    // once no further byte has arrived for this long.
    static constexpr int64_t LoaderSettleUs = 150000;

    // Loader mode switches the framing; pending partial input is dropped.
    void setLoaderMode(bool on);
    bool loaderMode() const { return loader; }

    // Feeds one byte; returns true with `out` filled when it completes a frame.
    bool feed(uint8_t b, int64_t nowUs, Event &out);
    // Reports a malformed loader frame once its settle time has run out.
    bool poll(int64_t nowUs, Event &out);
    // Next time poll() has something to do, or -1.
    int64_t deadline() const { return settleAtUs; }
    // Bytes skipped as noise since the last call.
    std::size_t takeJunk();

private:
    bool feedBoard(uint8_t b, Event &out);
    bool feedLoader(uint8_t b, int64_t nowUs, Event &out);
    void resetLoaderFrame();

    bool loader = false;
    // Board framing.
    bool collecting = false;
    ByteVector frame;
    // Loader framing.
    bool sawFirst0F = false;
    bool inLoaderFrame = false;
    ByteVector record;
    int64_t settleAtUs = -1;
    std::size_t junk = 0;
};

} // namespace boardsim
