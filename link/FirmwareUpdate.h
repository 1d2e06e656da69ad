#pragma once
// Firmware transfer to the board's loader, run by the link thread when the
// frame at the head of the queue is the firmware update command (48). Called
// with serialFifoMutex held; it must remove that frame from the queue.

class SerialCom;

namespace FirmwareUpdate {
void run(SerialCom &port);
}
