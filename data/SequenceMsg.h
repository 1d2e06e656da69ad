#pragma once
// The work sequence: the frames that load a work program into the board and
// start it. It lives with the work programs rather than in the board frame
// codec because the link library must not depend on this one; it only uses
// the codec's BuildCommand.

#include "data/WorkSettings.h"
#include "link/ByteUtils.h"

#include <queue>

// Milling, emulsion and repetition frames, the closing frame while a running
// program is being reworked (reworkSet), then the start command. The program
// is taken by value: callers pass a copy of `actual`. Empty when a value of
// the program cannot be carried by a frame (a byte of 0x80 or more): nothing
// of it may be queued then.
std::queue<ByteVector> BuildSequenceMsg(WorkSettings program);
