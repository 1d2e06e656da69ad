#pragma once
// The only code that talks to the controller board: sends the queued frames
// one per pass with their retry and cancellation rules, and polls the board's
// status every 40 passes (about 400 ms), reading telemetry in rotation.

#include "link/ByteUtils.h"
#include "link/Manager.h"

class SerialCom;

class SerialThreadComunication : public Manager
{
public:
    explicit SerialThreadComunication(int usecSleep = 10000);
    ~SerialThreadComunication() override;

    static void *run(void *arg);

    // Consecutive failed attempts for the frame at the head of the queue.
    std::atomic<int> errorOccuredCommand{0};

private:
    void loop();
    void commandExchange(SerialCom &port);
    void statusPoll(SerialCom &port, int &phase);
    void readAxisPosition(SerialCom &port);
    void decodeVersion(const ByteVector &reply, const ByteVector &raw);
    void failWholeQueue();
    // Sends one frame and reads its reply; logs both. False if sending failed.
    bool exchange(SerialCom &port, const ByteVector &frame, ByteVector *reply);
};

// Text of the version file: "SW: <sw> - FW: <fw> - <mains>".
std::string versionFileText();
