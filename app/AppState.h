#pragma once
// Process-wide values of the application, declared in one place.
//
// The machine state of the link lives in link/SharedState.h, the stored data
// objects in data/DataState.h and the remote hand-over in remote/RemoteState.h;
// this header holds what start-up and the screens share on top of those.
// Scalars are atomics: the serial link and network threads read some of them
// while the graphical thread writes.

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>

#include <atomic>
#include <cstdint>
#include <pthread.h>
#include <vector>

class QLabel;
class QAbstractButton;

// ===== Start-up, media and access modes =========================================
extern std::atomic<bool> usbMount; // the USB stick is mounted on "/mnt/usb-memory"
extern std::atomic<bool> mmcMount; // the SD card is mounted on "/mnt/mmc-memory"
extern std::atomic<bool> advancedUserEnabled;
extern std::atomic<bool> serviceEnable;
extern std::atomic<bool> screenshotEnable;
extern std::atomic<bool> usbWifiDongleMounted; // a wireless interface wlan0 exists
// ===== end of start-up, media and access modes ==================================

// ===== Screen saver ===============================================================
// Time (seconds since the epoch, platform::nowSeconds()) at which the screen
// saver becomes due; every touch pushes it forward.
extern std::atomic<uint64_t> lastUserEventOccurred;
// The screen saver may start; screens that must stay visible clear it.
extern std::atomic<bool> enableScreenSaver;
// ===== end of screen saver ========================================================

// ===== Dialogs and errors =========================================================
// Answer of the last message dialog: 1 confirming key, 0 other key or time-out.
extern std::atomic<int> SubWindowReturnStatus;
// An error dialog of the error manager has been opened (the run monitor then
// hides its stop key and skips the summary).
extern std::atomic<bool> ErrorWindowFlag;
// Codes 2, 8 and 9 already counted in this run; an error already shown in this run.
extern std::atomic<bool> error_2_onetime;
extern std::atomic<bool> error_8_onetime;
extern std::atomic<bool> error_9_onetime;
extern std::atomic<bool> errorshow_onetime;
// The operator confirmed a filter change on the filter page.
extern std::atomic<bool> changefilter;
// ===== end of dialogs and errors ==================================================

// ===== Theme and rolling text =====================================================
// The theme colour as a style-sheet colour text (graphical thread only).
extern QString customColor;
// The colour every form is written with; changeColor() swaps it for customColor.
extern const char *const kThemeColor;

// Labels and buttons whose text rolls (marquee). Guarded by rollingObjectMutex.
// Guarded pointers: a screen that is deleted without taking its labels off the
// list leaves a null entry, which the rotation drops, instead of a dangling one.
extern pthread_mutex_t rollingObjectMutex;
extern std::vector<QPointer<QLabel>> listRollingObject;
extern std::vector<QPointer<QAbstractButton>> listRollingObjectButton;

// Locks rollingObjectMutex for a scope.
class RollingLock
{
public:
    RollingLock() { pthread_mutex_lock(&rollingObjectMutex); }
    ~RollingLock() { pthread_mutex_unlock(&rollingObjectMutex); }
    RollingLock(const RollingLock &) = delete;
    RollingLock &operator=(const RollingLock &) = delete;
};
// ===== end of theme and rolling text ==============================================

// ===== On-screen keyboard ===========================================================
// Result of the on-screen keyboard (settings/DisplayKeyboard.h), graphical
// thread only: the text entered (UTF-8), set on confirm; 1 confirmed, -1
// cancelled (the caller resets it before opening the keyboard).
extern QByteArray keyboardReturn;
extern int8_t keyboardStatus;
// Suggestion words for the next keyboard; the screen that fills it clears it
// when it is destroyed.
extern QList<QByteArray> promptListKeyboard;
// ===== end of on-screen keyboard ====================================================

