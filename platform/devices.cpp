#include "platform/devices.h"

#include "platform/clock.h"
#include "platform/paths.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <linux/rtc.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool exists(const std::string &p)
{
    struct stat st{};
    return ::stat(p.c_str(), &st) == 0;
}

bool fail(std::string *error, const std::string &what, int err)
{
    if (error)
        *error = what + ": " + std::strerror(err);
    return false;
}

// mkdir -p with the given mode for the folders it creates.
bool makeFolders(const std::string &p, mode_t mode)
{
    if (p.empty())
        return false;
    for (std::size_t pos = 1; pos <= p.size(); ++pos) {
        if (pos != p.size() && p[pos] != '/')
            continue;
        const std::string part = p.substr(0, pos);
        if (::mkdir(part.c_str(), mode) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st{};
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int openRetry(const char *p, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::open(p, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

// ---- removable media -------------------------------------------------------

std::string findUsbDevice()
{
    for (const char *dev : {"/dev/sda1", "/dev/sda", "/dev/sdb1", "/dev/sdb"}) {
        const std::string p = path(dev);
        if (exists(p))
            return p;
    }
    return std::string();
}

std::string findSdDevice()
{
    const std::string p = path("/dev/mmcblk0p1");
    return exists(p) ? p : std::string();
}

MountResult mountVfat(const std::string &device, const std::string &mountPoint, std::string *error)
{
    if (!makeFolders(mountPoint, 0775)) {
        fail(error, "cannot create " + mountPoint, errno);
        return MountResult::Failed;
    }
    if (sandboxed())
        return MountResult::Mounted;
    if (::mount(device.c_str(), mountPoint.c_str(), "vfat", MS_NOATIME, nullptr) == 0)
        return MountResult::Mounted;
    const int err = errno;
    if (error)
        *error = std::strerror(err);
    return err == EBUSY ? MountResult::Busy : MountResult::Failed;
}

// ---- display backlight -------------------------------------------------------

std::string backlightPath()
{
    return path("/sys/class/backlight/backlight.8/brightness");
}

bool writeBacklight(int level, std::string *error)
{
    // A sysfs attribute is written in place (it cannot be replaced by a
    // rename); the sandbox's plain file is created on first use.
    const std::string p = backlightPath();
    if (sandboxed())
        makeFolders(p.substr(0, p.rfind('/')), 0755);
    const int flags = O_WRONLY | O_TRUNC | O_CLOEXEC | (sandboxed() ? O_CREAT : 0);
    const int fd = openRetry(p.c_str(), flags, 0644);
    if (fd < 0)
        return fail(error, p, errno);
    const std::string text = std::to_string(level) + "\n";
    ssize_t n;
    do {
        n = ::write(fd, text.data(), text.size());
    } while (n < 0 && errno == EINTR);
    const int err = errno;
    ::close(fd);
    if (n != static_cast<ssize_t>(text.size()))
        return fail(error, p, n < 0 ? err : EIO);
    return true;
}

// ---- battery-backed clock ------------------------------------------------------

std::string rtcDevice()
{
    return path("/dev/rtc");
}

// The device's rtc_time and the C library's tm name their fields alike.
template <typename Tm>
ClockTime toClockTime(const Tm &t)
{
    ClockTime c;
    c.day = t.tm_mday;
    c.month = t.tm_mon;
    c.year = t.tm_year;
    c.hour = t.tm_hour;
    c.minute = t.tm_min;
    c.second = t.tm_sec;
    return c;
}

bool readClockDevice(const std::string &device, ClockTime &out, std::string *error)
{
    const int fd = openRetry(device.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, device, errno);
    struct rtc_time t{};
    const int rc = ::ioctl(fd, RTC_RD_TIME, &t);
    const int err = errno;
    ::close(fd);
    if (rc != 0)
        return fail(error, "ioctl", err);
    out = toClockTime(t);
    return true;
}

bool setClockDevice(const std::string &device, const ClockTime &in, std::string *error)
{
    const int fd = openRetry(device.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, device, errno);
    struct rtc_time t{};
    t.tm_mday = in.day;
    t.tm_mon = in.month;
    t.tm_year = in.year;
    t.tm_hour = in.hour;
    t.tm_min = in.minute;
    t.tm_sec = in.second;
    const int rc = ::ioctl(fd, RTC_SET_TIME, &t);
    const int err = errno;
    ::close(fd);
    if (rc != 0)
        return fail(error, "ioctl", err);
    return true;
}

bool readClock(ClockTime &out, std::string *error)
{
    if (!sandboxed())
        return readClockDevice(rtcDevice(), out, error);
    // The board's clock keeps local time; so does the sandbox's.
    const std::time_t now = static_cast<std::time_t>(nowSeconds());
    std::tm local{};
    if (!localtime_r(&now, &local))
        return fail(error, "localtime", errno ? errno : EINVAL);
    out = toClockTime(local);
    return true;
}

bool setClock(const ClockTime &t, std::string *error)
{
    if (!sandboxed())
        return setClockDevice(rtcDevice(), t, error);
    // Like the device, refuse what is not a calendar time.
    if (t.day < 1 || t.day > 31 || t.month < 0 || t.month > 11 || t.year < 70 || t.hour < 0 ||
        t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
        return fail(error, "ioctl", EINVAL);
    std::tm local{};
    local.tm_mday = t.day;
    local.tm_mon = t.month;
    local.tm_year = t.year;
    local.tm_hour = t.hour;
    local.tm_min = t.minute;
    local.tm_sec = t.second;
    local.tm_isdst = -1;
    const std::time_t wanted = std::mktime(&local);
    if (wanted == static_cast<std::time_t>(-1))
        return fail(error, "ioctl", EINVAL);
    const int64_t offset = static_cast<int64_t>(wanted) - static_cast<int64_t>(std::time(nullptr));
    if (!storeClockOffset(offset))
        return fail(error, rtcDevice(), errno ? errno : EIO);
    return true;
}

// ---- framebuffer ----------------------------------------------------------------

std::string framebufferDevice()
{
    return path("/dev/fb0");
}

} // namespace platform
