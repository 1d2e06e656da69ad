#pragma once
// Firmware transfer to the board's loader, run by the link thread when the
// frame at the head of the queue is the firmware update command (48). The
// link thread takes that frame off the queue and runs the transfer without
// holding serialFifoMutex, so screens never wait on the lock for the length of
// an update; nothing else is exchanged with the board meanwhile, since the
// link thread is busy here (no status polls), and screens queue nothing while
// fwUpdateStarted is set.
//
// Progress: startUpdateFirmware / endUpdateFirmware (0 awaited, 1 done, -1
// failed) and actualWaitProgress (records sent so far).

#include "link/ByteUtils.h"

#include <functional>
#include <string>

class SerialCom;

namespace FirmwareUpdate {

enum class Result {
    Done,     // every record acknowledged
    Failed,   // not started or stopped; both flags tell where
    PortLost, // the port refused a write: the link must re-open it
};

// The waits of the procedure: before and after flushing the line on entry,
// and for each loader reply.
struct Waits
{
    int beforeFlushMs = 2000;
    int afterFlushMs = 10000;
    int replyTenths = 100;
};

// Tests shorten the waits; Waits() restores the board's.
void setWaitsForTests(const Waits &waits);

// The file an update sends: the board's copy when forceFwUpdateSend is set,
// else the one on the USB stick; empty when there is none.
std::string sourcePath();

// Runs the whole update for the command 48 frame `frame`, already taken off
// the queue. `keepGoing` turns false when the link thread must stop: the
// entry waits end early then and the update counts as not started.
Result run(SerialCom &port, const ByteVector &frame, const std::function<bool()> &keepGoing);

} // namespace FirmwareUpdate
