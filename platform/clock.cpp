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
std::mutex offsetMutex;
std::string offsetRoot;
bool offsetLoaded = false;
int64_t offsetValue = 0;

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
    std::lock_guard<std::mutex> l(offsetMutex);
    if (!offsetLoaded || offsetRoot != r) {
        offsetValue = readOffsetFile();
        offsetRoot = r;
        offsetLoaded = true;
    }
    return offsetValue;
}

bool storeClockOffset(int64_t seconds)
{
    const std::string r = root();
    if (r.empty())
        return false;
    std::lock_guard<std::mutex> l(offsetMutex);
    if (!writeFileAtomic(offsetFile(), std::to_string(seconds) + "\n"))
        return false;
    offsetValue = seconds;
    offsetRoot = r;
    offsetLoaded = true;
    return true;
}

int64_t nowSeconds()
{
    if (fixed)
        return fixedValue;
    return static_cast<int64_t>(std::time(nullptr)) + clockOffset();
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
