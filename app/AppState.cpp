#include "app/AppState.h"

#include <QAbstractButton>
#include <QLabel>

// ===== Start-up, media and access modes =========================================
std::atomic<bool> usbMount{false};
std::atomic<bool> mmcMount{false};
std::atomic<bool> advancedUserEnabled{false};
std::atomic<bool> serviceEnable{false};
std::atomic<bool> screenshotEnable{false};
std::atomic<bool> usbWifiDongleMounted{false};
// ===== end of start-up, media and access modes ==================================

// ===== Screen saver ===============================================================
std::atomic<uint64_t> lastUserEventOccurred{0};
std::atomic<bool> enableScreenSaver{false};
// ===== end of screen saver ========================================================

// ===== Dialogs and errors =========================================================
std::atomic<int> SubWindowReturnStatus{0};
std::atomic<bool> ErrorWindowFlag{false};
std::atomic<bool> error_2_onetime{false};
std::atomic<bool> error_8_onetime{false};
std::atomic<bool> error_9_onetime{false};
std::atomic<bool> errorshow_onetime{false};
std::atomic<bool> changefilter{false};
// ===== end of dialogs and errors ==================================================

// ===== Theme and rolling text =====================================================
const char *const kThemeColor = "rgba(126, 191, 255, 255)";
QString customColor = QString::fromLatin1(kThemeColor);

pthread_mutex_t rollingObjectMutex = PTHREAD_MUTEX_INITIALIZER;
std::vector<QPointer<QLabel>> listRollingObject;
std::vector<QPointer<QAbstractButton>> listRollingObjectButton;
// ===== end of theme and rolling text ==============================================

// ===== On-screen keyboard ===========================================================
QByteArray keyboardReturn;
int8_t keyboardStatus = 0;
QList<QByteArray> promptListKeyboard;
// ===== end of on-screen keyboard ====================================================

