#include "shell/Application.h"

#include "app/AppState.h"
#include "app/Utils.h"
#include "data/SystemCommand.h"
#include "data/UserSettings.h"
#include "data/DataState.h"
#include "platform/clock.h"
#include "platform/devices.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QKeyEvent>

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::takeScreenshot()
{
    const std::string frameBuffer = platform::framebufferDevice();
    const std::string target = platform::path("/mnt/usb-memory/new_screenshot/") +
                               std::to_string(platform::nowSeconds()) + ".raw";
    // The paths travel as arguments, never inside the command text, so no
    // file name can be taken for shell syntax.
    const syscmd::Result r =
        syscmd::run({"bash", "-c", "cat \"$1\" > \"$2\"", "bash", frameBuffer, target}, 30000);
    fileSystemSync();
    return r.finished && r.exitCode == 0;
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        lastUserEventOccurred = uint64_t(platform::nowSeconds()) + uint64_t(settings.getScreenSaverTime());
        break;
    case QEvent::KeyRelease:
        if (screenshotEnable) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_S)
                takeScreenshot();
            platform::debugLine("KeyPressed" + std::to_string(key));
        }
        break;
    default:
        break;
    }
    // The toolkit's answer is passed on: widgets that accept touch or key
    // events rely on it to stop the event from being delivered twice.
    return QApplication::notify(receiver, event);
}
