#pragma once
// The one source of "now" for stored data. Recipe lists and beaker records key
// their changes by the second, so tests must be able to pin the time.

#include <cstdint>

namespace platform {

// Seconds since the epoch (UTC).
int64_t nowSeconds();

// Test seam: pin the clock to `seconds` (it stays there until advanced).
void setFixedNow(int64_t seconds);
void advanceFixedNow(int64_t seconds);
// Back to the system clock.
void clearFixedNow();

} // namespace platform
