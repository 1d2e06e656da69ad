#include "link/FirmwareUpdate.h"

#include "link/FirmwareHex.h"
#include "link/SerialCom.h"
#include "link/SharedState.h"
#include "platform/filestore.h"
#include "platform/log.h"

#include <algorithm>
#include <atomic>
#include <chrono>

namespace FirmwareUpdate {

namespace {

constexpr uint8_t kLoaderEnd = 0x04;
constexpr int kReplyBuffer = 200;

std::atomic<int> beforeFlushMs{Waits().beforeFlushMs};
std::atomic<int> afterFlushMs{Waits().afterFlushMs};
std::atomic<int> replyTenths{Waits().replyTenths};

// Sleeps `ms`, waking early when the link thread is told to stop (status
// changes notify the same signal as queued frames). False when stopped.
bool pause(int ms, const std::function<bool()> &keepGoing)
{
    using Clock = WakeSignal::Clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (keepGoing() && Clock::now() < deadline)
        serialFifoWake().waitUntil(deadline);
    return keepGoing();
}

// The loader has started when its reply holds 0F BB; the first 0F decides.
bool entered(const ByteVector &reply)
{
    const auto mark = std::find(reply.begin(), reply.end(), uint8_t(0x0F));
    return mark != reply.end() && mark + 1 != reply.end() && *(mark + 1) == 0xBB;
}

bool acknowledged(const ByteVector &reply)
{
    return reply.size() > 1 && reply[1] == 0xAA;
}

// The board has taken the board copy: it must not start the update again at
// the next start. The rename is atomic and forced to storage.
void retireBoardCopy()
{
    std::string error;
    const std::string from = FirmwareHex::boardCopyPath();
    if (platform::renameFile(from, FirmwareHex::boardCopyDonePath(), &error)) {
        platform::syncFolderOf(from);
        return;
    }
    platform::debugLine("FIRMWARE UPDATE: velt_fw non rinominato: " + error);
    if (!platform::removeFile(from, &error))
        platform::debugLine("FIRMWARE UPDATE: velt_fw non rimosso: " + error);
    platform::syncFolderOf(from);
}

} // namespace

void setWaitsForTests(const Waits &waits)
{
    beforeFlushMs = waits.beforeFlushMs;
    afterFlushMs = waits.afterFlushMs;
    replyTenths = waits.replyTenths;
}

std::string sourcePath()
{
    return forceFwUpdateSend ? FirmwareHex::boardCopyPath() : FirmwareHex::findOnStick();
}

Result run(SerialCom &port, const ByteVector &frame, const std::function<bool()> &keepGoing)
{
    const bool boardCopy = forceFwUpdateSend;
    // The source is chosen for this update only.
    forceFwUpdateSend = false;
    actualWaitProgress = 0;
    const auto fail = [](int8_t started) {
        startUpdateFirmware = started;
        endUpdateFirmware = -1;
    };

    // The whole file is checked before the board leaves its firmware: a bad
    // line found halfway would leave it in the loader with half a program.
    const std::string path = boardCopy ? FirmwareHex::boardCopyPath() : FirmwareHex::findOnStick();
    const FirmwareHex::Image image = FirmwareHex::load(path);
    platform::debugLine("FIRMWARE UPDATE: file " + path + " - " + FirmwareHex::describe(image.status) +
                        (image.badLine ? " (riga " + std::to_string(image.badLine) + ")" : std::string()) +
                        " - record da inviare: " + std::to_string(image.records.size()));
    if (!image.ok()) {
        fail(-1);
        return Result::Failed;
    }

    if (!pause(beforeFlushMs, keepGoing)) {
        fail(-1);
        return Result::Failed;
    }
    port.flushBoth();
    if (!pause(afterFlushMs, keepGoing)) {
        fail(-1);
        return Result::Failed;
    }

    const bool sent = port.send_data(frame);
    platform::debugLine(">> " + ByteToOctectString(frame));
    if (!sent) {
        fail(-1);
        return Result::PortLost;
    }
    port.setWaitTime(replyTenths);
    ByteVector reply;
    port.receive(kReplyBuffer, &reply, kLoaderEnd);
    if (!reply.empty())
        platform::debugLine("<< " + ByteToOctectString(reply));
    if (!entered(reply)) {
        port.setWaitTime(-1);
        fail(-1);
        return Result::Failed;
    }
    startUpdateFirmware = 1;

    Result result = Result::Done;
    for (std::size_t i = 0; i < image.records.size(); ++i) {
        if (!keepGoing()) {
            result = Result::Failed;
            break;
        }
        const ByteVector &record = image.records[i];
        actualWaitProgress = static_cast<int>(i + 1);
        platform::debugLine(">> " + ByteToOctectString(record));
        port.discardInput();
        if (!port.send_data(FirmwareHex::loaderFrame(record))) {
            platform::debugLine("SEND NOT WORK");
            result = Result::PortLost;
            break;
        }
        port.receive(kReplyBuffer, &reply, kLoaderEnd);
        if (reply.empty()) {
            platform::debugLine("RESPONSE NOT RECIEVED");
            result = Result::Failed;
            break;
        }
        platform::debugLine("<< " + ByteToOctectString(reply));
        if (!acknowledged(reply)) {
            platform::debugLine("NACK_RECIVED");
            result = Result::Failed;
            break;
        }
        platform::debugLine("ACK_RECIVED");
    }
    port.setWaitTime(-1);

    if (result != Result::Done) {
        fail(1);
        return result;
    }
    if (boardCopy)
        retireBoardCopy();
    endUpdateFirmware = 1;
    return Result::Done;
}

} // namespace FirmwareUpdate
