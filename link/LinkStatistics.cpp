#include "link/LinkStatistics.h"

#include <atomic>

namespace LinkStatistics {

namespace {

struct Counters
{
    std::atomic<uint64_t> exchanges{0};
    std::atomic<uint64_t> noAnswer{0};
    std::atomic<uint64_t> corrupt{0};
    std::atomic<uint64_t> refused{0};
    std::atomic<uint64_t> retries{0};
    std::atomic<uint64_t> portReopens{0};
};

Counters &counters()
{
    static Counters c;
    return c;
}

} // namespace

double Snapshot::failedShare() const
{
    if (exchanges == 0)
        return 0.0;
    return 100.0 * double(failed()) / double(exchanges);
}

Snapshot snapshot()
{
    const Counters &c = counters();
    Snapshot s;
    // The outcomes before the exchanges, the reverse of the writer's order:
    // an exchange in progress never counts as failed but not yet made.
    s.noAnswer = c.noAnswer;
    s.corrupt = c.corrupt;
    s.refused = c.refused;
    s.retries = c.retries;
    s.portReopens = c.portReopens;
    s.exchanges = c.exchanges;
    return s;
}

void countExchange(BoardReply::Outcome outcome, bool retry)
{
    Counters &c = counters();
    // The outcome first, then the exchange (see snapshot()).
    switch (outcome) {
    case BoardReply::Outcome::NoAnswer: ++c.noAnswer; break;
    case BoardReply::Outcome::Corrupt: ++c.corrupt; break;
    case BoardReply::Outcome::Refused: ++c.refused; break;
    case BoardReply::Outcome::Acknowledged: break;
    }
    if (retry)
        ++c.retries;
    ++c.exchanges;
}

void countPortReopen()
{
    ++counters().portReopens;
}

void reset()
{
    Counters &c = counters();
    c.exchanges = 0;
    c.noAnswer = 0;
    c.corrupt = 0;
    c.refused = 0;
    c.retries = 0;
    c.portReopens = 0;
}

} // namespace LinkStatistics
