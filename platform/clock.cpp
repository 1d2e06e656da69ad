#include "platform/clock.h"

#include "platform/atomicfile.h"
#include "platform/paths.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <unistd.h>

namespace platform {

namespace {
std::atomic<bool> fixed{false};
std::atomic<int64_t> fixedValue{0};

// The offset file is read once per sandbox root: "now" is asked often, from
// several threads, and only setting the clock changes it.
// Built on first use: "now" is already asked by other objects' static
// constructors, before this file's globals would exist.
struct OffsetState
{
    std::mutex mutex;
    std::string root;
    bool loaded = false;
    int64_t value = 0;
};

OffsetState &offsetState()
{
    static OffsetState state;
    return state;
}

std::string offsetFile()
{
    return path("/dev/rtc");
}

int64_t readOffsetFile()
{
    const int fd = ::open(offsetFile().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char buf[32];
    ssize_t n;
    do {
        n = ::read(fd, buf, sizeof buf - 1);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    if (n <= 0)
        return 0;
    buf[n] = '\0';
    char *end = nullptr;
    errno = 0;
    const long long v = std::strtoll(buf, &end, 10);
    // Anything but a number (and a line end) is not ours: ignore it rather
    // than move the clock by a random amount.
    if (end == buf || errno != 0 || (*end != '\0' && *end != '\n'))
        return 0;
    return static_cast<int64_t>(v);
}
} // namespace

int64_t clockOffset()
{
    const std::string r = root();
    if (r.empty())
        return 0;
    OffsetState &st = offsetState();
    std::lock_guard<std::mutex> l(st.mutex);
    if (!st.loaded || st.root != r) {
        st.value = readOffsetFile();
        st.root = r;
        st.loaded = true;
    }
    return st.value;
}

bool storeClockOffset(int64_t seconds)
{
    const std::string r = root();
    if (r.empty())
        return false;
    OffsetState &st = offsetState();
    std::lock_guard<std::mutex> l(st.mutex);
    if (!writeFileAtomic(offsetFile(), std::to_string(seconds) + "\n"))
        return false;
    st.value = seconds;
    st.root = r;
    st.loaded = true;
    return true;
}

int64_t nowSeconds()
{
    if (fixed)
        return fixedValue;
    return static_cast<int64_t>(std::time(nullptr)) + clockOffset();
}

void setFixedNowForTests(int64_t seconds)
{
    fixedValue = seconds;
    fixed = true;
}

void advanceFixedNowForTests(int64_t seconds)
{
    fixedValue += seconds;
}

void clearFixedNowForTests()
{
    fixed = false;
}

} // namespace platform
