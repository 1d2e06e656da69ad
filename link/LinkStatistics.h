#pragma once
// How the exchanges of queued frames with the board went since the program
// started, for the service page and the system-state export.
//
// Written by the serial link thread only (SerialThreadComunication), read by
// the graphical thread at any time: each counter is an atomic on its own, so a
// snapshot taken during an exchange may be one count behind, never torn.
// Status polls and the firmware transfer are not counted here: the polls'
// health is serialComunicationError, and the transfer has its own outcome.

#include "link/BoardReply.h"

#include <cstdint>

namespace LinkStatistics {

struct Snapshot
{
    uint64_t exchanges = 0;   // queued frames sent and their replies read, retries included
    uint64_t noAnswer = 0;    // nothing came back
    uint64_t corrupt = 0;     // bytes came back, but no valid frame
    uint64_t refused = 0;     // the board refused the command
    uint64_t retries = 0;     // exchanges that sent a frame again after a failed try
    uint64_t portReopens = 0; // the port closed and opened again after start-up

    uint64_t failed() const { return noAnswer + corrupt + refused; }
    // Failed exchanges in percent of all exchanges; 0 before the first one.
    double failedShare() const;
};

Snapshot snapshot();

// ---- link thread ----
// One frame sent and its reply classified; `retry` when the same frame had
// failed before.
void countExchange(BoardReply::Outcome outcome, bool retry);
void countPortReopen();

// Back to zero; for tests, whose link threads come and go within one process.
void reset();

} // namespace LinkStatistics
