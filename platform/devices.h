#pragma once
// The board's devices behind one seam: removable media, display backlight,
// battery-backed clock and framebuffer.
//
// On the board these are the real Linux interfaces. Under a sandbox root
// (FROSTPANEL_ROOT) they are plain files inside the root, so the program runs
// and tests on a PC:
// - a USB stick or SD card is present when its device file exists
//   (<root>/dev/sda1, ..., <root>/dev/mmcblk0p1; any file will do), and its
//   mount point inside the root then counts as mounted; nothing is mounted;
// - the backlight level is a plain file;
// - the clock is the system clock plus an offset that setting the clock keeps
//   in <root>/dev/rtc (see platform/clock.h).

#include <string>

namespace platform {

// ---- removable media -------------------------------------------------------

// The first USB device of "/dev/sda1", "/dev/sda", "/dev/sdb1", "/dev/sdb" that
// exists (path under the root); empty when there is none.
std::string findUsbDevice();
// "/dev/mmcblk0p1" (under the root) when it exists, else empty.
std::string findSdDevice();

enum class MountResult { Mounted, Busy, Failed };

// Creates the mount point (mode 0775) and mounts the vfat device there with no
// access-time updates. `error` receives the system's error text on failure.
// Under a sandbox root only the folder is created and the result is Mounted.
MountResult mountVfat(const std::string &device, const std::string &mountPoint,
                      std::string *error = nullptr);

// ---- display backlight -------------------------------------------------------

// The backlight level file of the display (under the root).
std::string backlightPath();
// Writes `level` in decimal to the backlight file; false when it cannot be
// opened or written.
bool writeBacklight(int level, std::string *error = nullptr);

// ---- battery-backed clock ------------------------------------------------------

// The fields of the kernel's clock record: day of the month 1-31, month 0-11,
// years since 1900, hour, minute, second.
struct ClockTime
{
    int day = 1;
    int month = 0;
    int year = 70;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The clock device ("/dev/rtc" under the root).
std::string rtcDevice();

// Reads / sets the clock. On the board this is the clock device; under a
// sandbox root it is the system time plus the stored offset. False, with the
// system error text in `error`, when the device is missing or refuses; the
// caller decides what follows (nothing here ends the process).
bool readClock(ClockTime &out, std::string *error = nullptr);
bool setClock(const ClockTime &t, std::string *error = nullptr);

// The device form of the two calls above, for a given device file (the
// kernel's read-time and set-time requests).
bool readClockDevice(const std::string &device, ClockTime &out, std::string *error = nullptr);
bool setClockDevice(const std::string &device, const ClockTime &t, std::string *error = nullptr);

// ---- framebuffer ----------------------------------------------------------------

// The display's framebuffer device ("/dev/fb0" under the root), for screenshots.
std::string framebufferDevice();

} // namespace platform
