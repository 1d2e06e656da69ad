#include "link/FirmwareUpdate.h"

#include "link/SharedState.h"
#include "platform/log.h"

namespace FirmwareUpdate {

// The loader transfer is not built yet. Until it is, the request is answered
// as "loader did not start" so that no screen waits for it forever.
void run(SerialCom &)
{
    platform::debugLine("firmware update not available in this build");
    serialFifo.pop();
    startUpdateFirmware = -1;
    endUpdateFirmware = -1;
}

} // namespace FirmwareUpdate
