#pragma once
// The one source of "now" for stored data. Recipe lists and beaker records key
// their changes by the second, so tests must be able to pin the time.

#include <cstdint>

namespace platform {

// Seconds since the epoch (UTC). Under a sandbox root this includes the offset
// that setting the clock stored there (platform/devices.h).
int64_t nowSeconds();

// Test seam: pin the clock to `seconds` (it stays there until advanced).
void setFixedNowForTests(int64_t seconds);
void advanceFixedNowForTests(int64_t seconds);
// Back to the system clock.
void clearFixedNowForTests();

// The sandbox clock: seconds added to the system time, kept as decimal text in
// the clock device file under the root. 0 on the board and when the file is
// missing or unreadable. storeClockOffset() is false when it cannot be written.
int64_t clockOffset();
bool storeClockOffset(int64_t seconds);

} // namespace platform
