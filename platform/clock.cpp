#include "platform/clock.h"

#include <atomic>
#include <ctime>

namespace platform {

namespace {
std::atomic<bool> fixed{false};
std::atomic<int64_t> fixedValue{0};
} // namespace

int64_t nowSeconds()
{
    if (fixed)
        return fixedValue;
    return static_cast<int64_t>(std::time(nullptr));
}

void setFixedNow(int64_t seconds)
{
    fixedValue = seconds;
    fixed = true;
}

void advanceFixedNow(int64_t seconds)
{
    fixedValue += seconds;
}

void clearFixedNow()
{
    fixed = false;
}

} // namespace platform
