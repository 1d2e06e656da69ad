#include "settings/SystemStateExport.h"

#include "app/AppState.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/WorkingTimer.h"
#include "platform/log.h"

#include <QCoreApplication>

namespace SystemStateExport {

bool run(QWidget *parent)
{
    if (!usbMount) {
        DisplayError(QCoreApplication::translate("SystemStateExport", "Restart Machine With Usb Device Mounted."),
                     QString(), false);
        return false;
    }
    if (!machineLife.listInfoToCSV()) {
        platform::debugLine("MACHINE INFO -> esportazione stato sistema fallita");
        DisplayError(QCoreApplication::translate("SystemStateExport", "The file could not be saved on the Usb Device."),
                     QString(), false);
        return false;
    }
    OpenDialogMsg(parent, QCoreApplication::translate("SystemStateExport", "File Saved on Usb Device."), 0, false,
                  QCoreApplication::translate("SystemStateExport", "OK"), QString());
    return true;
}

} // namespace SystemStateExport
