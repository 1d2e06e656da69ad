#pragma once
// The only code that talks to the controller board: sends the queued frames
// one per pass, at least `usecSleep` apart, with their retry and cancellation
// rules, and polls the board's status 400 ms after the previous poll, reading
// telemetry in rotation. Between passes it waits: a queued frame or a status
// change wakes it at once.

#include "link/BoardReply.h"
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
    // The one place that removes the head of the queue or counts its tries.
    void settle(BoardReply::Outcome outcome);
    // Applies an accepted reply: the acknowledgement flag or the request's value.
    void takeAnswer(uint8_t code, const ByteVector &reply);
    void logVersionBanner(const ByteVector &raw);
    void storeVersion(const BoardReply::Version &v);
    void failWholeQueue();
    // Sends one frame and reads its reply; logs both. False if sending failed.
    bool exchange(SerialCom &port, const ByteVector &frame, ByteVector *reply);
};

// Text of the version file: "SW: <sw> - FW: <fw> - <mains>".
std::string versionFileText();
