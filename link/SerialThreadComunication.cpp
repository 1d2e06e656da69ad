#include "link/SerialThreadComunication.h"

#include "link/BoardReply.h"
#include "link/FirmwareUpdate.h"
#include "link/LinkStatistics.h"
#include "link/LinkHooks.h"
#include "link/ProtocolConversion.h"
#include "link/SerialCom.h"
#include "link/SharedState.h"
#include "platform/atomicfile.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <pthread.h>

namespace {

constexpr int kMaxAttempts = 3;
constexpr int kBufferSize = 200;
constexpr auto kPollPeriod = std::chrono::milliseconds(400);
// Without traffic (stopped) the thread still marks its watchdog now and then.
constexpr auto kIdleWake = std::chrono::seconds(60);

std::string nowText()
{
    return std::to_string(static_cast<long long>(std::time(nullptr)));
}

void logSent(const ByteVector &frame)
{
    platform::debugLine(">> " + nowText() + " - " + ByteToOctectString(frame));
}

void logReceived(const ByteVector &reply)
{
    platform::debugLine("<< " + ByteToOctectString(reply));
}

} // namespace

SerialThreadComunication::SerialThreadComunication(int usecSleep)
    : Manager(&SerialThreadComunication::run, usecSleep, &serialFifoWake())
{
}

SerialThreadComunication::~SerialThreadComunication()
{
    // The loop uses this object's members: end it before they go away.
    kill();
    join();
}

void *SerialThreadComunication::run(void *arg)
{
    static_cast<SerialThreadComunication *>(arg)->loop();
    return nullptr;
}

bool SerialThreadComunication::exchange(SerialCom &port, const ByteVector &frame, ByteVector *reply)
{
    // Once stopping, nothing more goes out: with a silent board every
    // exchange would hold the stop for the reply time-out.
    reply->clear();
    if (_status == Exit)
        return true;
    // A late or torn reply of an earlier exchange must not be read as this one's.
    port.discardInput();
    const bool sent = port.send_data(frame);
    logSent(frame);
    reply->clear();
    if (!sent)
        return false;
    if (port.receive(kBufferSize, reply, FrameByte::End) > 0)
        logReceived(*reply);
    return true;
}

void SerialThreadComunication::loop()
{
    pthread_setname_np(pthread_self(), "link");
    for (const std::string &name : LinkHooks::unsetHooks())
        platform::debugLine("link: hook " + name + " non collegato");

    SerialCom port(platform::serialDevice(), 9600, 10, 10, kBufferSize, kBufferSize);
    port.init();

    using Clock = WakeSignal::Clock;
    // Pause after any exchange before the next queued frame goes out.
    const auto gap = std::chrono::microseconds(_usec_sleep > 0 ? _usec_sleep : 0);
    auto nextPoll = Clock::now() + kPollPeriod;
    auto nextFrame = Clock::now();
    int phase = 0;
    // The first Init only repeats the opening above; later ones re-open.
    bool opened = false;

    for (;;) {
        const Status s = _status;
        if (s == Exit)
            break;
        if (s == Init) {
            errorOccuredCommand = 0;
            port.closeSerialPort();
            port.init();
            if (opened)
                LinkStatistics::countPortReopen();
            opened = true;
            nextPoll = Clock::now() + kPollPeriod;
            switchStatus(Init, Working);
            markCycle();
            continue;
        }

        Clock::time_point wakeAt = Clock::now() + kIdleWake;
        if (s == Working) {
            bool exchanged = false;
            ByteVector update;
            pthread_mutex_lock(&serialFifoMutex);
            if (!serialFifo.empty() && Clock::now() >= nextFrame) {
                const ByteVector &head = serialFifo.front();
                if (ProtocolConversion::IsSendable(head) && head[1] == BoardCmd::FirmwareUpdate) {
                    // The update runs without the lock: it lasts minutes.
                    update = head;
                    serialFifo.pop();
                } else {
                    commandExchange(port);
                }
                exchanged = true;
            }
            pthread_mutex_unlock(&serialFifoMutex);

            if (!update.empty()) {
                errorOccuredCommand = 0;
                const auto result =
                    FirmwareUpdate::run(port, update, [this] { return _status == Working; });
                if (result == FirmwareUpdate::Result::PortLost) {
                    FifoLock lock;
                    failWholeQueue();
                    switchStatus(Working, Init);
                }
                // The board has been out of reach: hear from it at once.
                nextPoll = Clock::now();
            }

            if (_status == Working && Clock::now() >= nextPoll) {
                statusPoll(port, phase);
                // From the end of the poll: its wire time adds to the period.
                nextPoll = Clock::now() + kPollPeriod;
                exchanged = true;
            }
            if (exchanged)
                nextFrame = Clock::now() + gap;

            pthread_mutex_lock(&serialFifoMutex);
            const bool framesWaiting = !serialFifo.empty();
            pthread_mutex_unlock(&serialFifoMutex);
            wakeAt = framesWaiting ? std::min(nextFrame, nextPoll) : nextPoll;
        }
        markCycle();
        // Queued frames and status changes wake the thread early.
        if (_status == s)
            serialFifoWake().waitUntil(wakeAt);
    }
    port.closeSerialPort();
}

void SerialThreadComunication::failWholeQueue()
{
    while (!serialFifo.empty()) {
        const ByteVector &f = serialFifo.front();
        if (f.size() > 1)
            setStateVar(f[1], false);
        serialFifo.pop();
    }
}

void SerialThreadComunication::commandExchange(SerialCom &port)
{
    const ByteVector frame = serialFifo.front();
    const uint8_t code = frame.size() > 1 ? frame[1] : 0;
    if (!ProtocolConversion::IsSendable(frame)) {
        // A frame the builder would have refused: the board could read part
        // of it as another command. Never sent; refused like the board would.
        platform::debugLine("link: frame non valido scartato: " + ByteToOctectString(frame));
        settle(BoardReply::Outcome::Refused);
        return;
    }

    ByteVector reply;
    if (!exchange(port, frame, &reply)) {
        // The port is gone: answer what was waiting (callers would otherwise
        // wait for an answer that never comes) and re-open on the next pass.
        failWholeQueue();
        switchStatus(Working, Init);
        return;
    }
    if (code == BoardCmd::Version && !reply.empty())
        logVersionBanner(reply);

    const BoardReply::Outcome outcome = BoardReply::classify(code, reply);
    LinkStatistics::countExchange(outcome, errorOccuredCommand > 0);
    if (outcome == BoardReply::Outcome::Acknowledged)
        takeAnswer(code, reply);
    settle(outcome);
}

void SerialThreadComunication::settle(BoardReply::Outcome outcome)
{
    switch (outcome) {
    case BoardReply::Outcome::Acknowledged:
        errorOccuredCommand = 0;
        serialFifo.pop();
        break;
    case BoardReply::Outcome::Refused:
        // Nothing queued behind a refused frame may run.
        failWholeQueue();
        errorOccuredCommand = 0;
        break;
    case BoardReply::Outcome::NoAnswer:
    case BoardReply::Outcome::Corrupt:
        // The frame stays at the head and goes again on the next pass; its
        // loss cancels everything behind it.
        if (++errorOccuredCommand >= kMaxAttempts) {
            failWholeQueue();
            errorOccuredCommand = 0;
        }
        break;
    }
}

void SerialThreadComunication::takeAnswer(uint8_t code, const ByteVector &reply)
{
    switch (code) {
    case BoardCmd::ResidualSteps:
        if (const auto steps = BoardReply::residualSteps(reply)) {
            retrivedResidualStep = *steps;
            platform::debugLine("Step Residui: " + std::to_string(*steps));
        }
        break;
    case BoardCmd::Version:
        if (const auto v = BoardReply::version(reply, _110Voltage.get()))
            storeVersion(*v);
        break;
    case BoardCmd::BladeMountState:
        if (const auto state = BoardReply::bladeMountState(reply)) {
            bladeMountState = *state;
            getBladeMountState = 1;
        } else {
            getBladeMountState = -1;
        }
        break;
    default:
        setStateVar(code, true);
        break;
    }
}

void SerialThreadComunication::logVersionBanner(const ByteVector &raw)
{
    platform::debugLine(" ************************************** ");
    platform::debugLine(" ARRIVATA VERSIONE FIRMWARE ");
    for (std::size_t i = 0; i < raw.size() && i < 5; ++i)
        platform::debugLine(ByteToOctectString(ByteVector{raw[i]}));
    platform::debugLine(" ************************************** ");
}

void SerialThreadComunication::storeVersion(const BoardReply::Version &v)
{
    fwVersion = v.firmware;
    platform::debugLine(" serial Thread comunication : lettura HzVoltage dalla versione fw");
    if (v.volt110)
        platform::debugLine("     --> 110V");
    platform::debugLine(v.hz50 ? "     --> 50Hz" : "     --> 60Hz");
    fwFrequency = v.mains;

    if (LinkHooks::storeMainsSetting)
        LinkHooks::storeMainsSetting();

    std::string error;
    if (!platform::writeFileAtomic(platform::path("/home/root/version"), versionFileText(), &error))
        platform::debugLine(error);
    platform::debugLine("FW Version: " + fwVersion.get());
}

std::string versionFileText()
{
    return "SW: " + swVersion.get() + " - FW: " + fwVersion.get() + " - " + fwFrequency.get();
}

void SerialThreadComunication::statusPoll(SerialCom &port, int &phase)
{
    ByteVector reply;
    exchange(port, ProtocolConversion::BuildCommand(BoardCmd::Status), &reply);
    if (reply.empty())
        ++serialComunicationError;
    else
        serialComunicationError = 0;
    ProtocolConversion::HandshakeResponse(reply);

    // A telemetry reply that is missing or corrupt leaves the value as it was.
    if (hardwareMachineError) {
        exchange(port, ProtocolConversion::BuildCommand(BoardCmd::ErrorCode), &reply);
        if (const auto code = BoardReply::errorCode(reply)) {
            platform::debugLine("      --------------------------- ");
            platform::debugLine("      --------------------------- ");
            platform::debugLine("      ----- ERRORE ARRIVATO ----- ");
            platform::debugLine("         Codice Errore : " + std::to_string(*code));
            platform::debugLine("      --------------------------- ");
            platform::debugLine("      --------------------------- ");
            platform::debugLine("      --------------------------- ");
            if (LinkHooks::errorCodeRead)
                LinkHooks::errorCodeRead(*code);
        }
    }

    switch (phase) {
    case 1:
        exchange(port, ProtocolConversion::BuildCommand(BoardCmd::Temperature), &reply);
        if (const auto t = BoardReply::temperature(reply)) {
            actualTemperature = *t;
            if (LinkHooks::temperatureRead)
                LinkHooks::temperatureRead(*t);
        }
        if (requestTreePosition)
            readAxisPosition(port);
        phase = 2;
        break;
    case 2:
        exchange(port, ProtocolConversion::BuildCommand(BoardCmd::Absorption), &reply);
        if (const auto a = BoardReply::absorption(reply)) {
            actualAbsorption = *a;
            if (LinkHooks::absorptionRead)
                LinkHooks::absorptionRead(*a);
        }
        if (requestSensorState) {
            exchange(port, ProtocolConversion::BuildCommand(BoardCmd::SensorState), &reply);
            if (const auto bits = BoardReply::sensors(reply))
                actualSensorState = *bits;
        }
        phase = 0;
        break;
    default:
        phase = 1;
        break;
    }
}

void SerialThreadComunication::readAxisPosition(SerialCom &port)
{
    ByteVector first, second;
    exchange(port, ProtocolConversion::BuildCommand(BoardCmd::AxisPosition), &first);
    exchange(port, ProtocolConversion::BuildCommand(BoardCmd::AxisPosition), &second);
    if (const auto position = BoardReply::axisPosition(first, second))
        actualTreePosition = *position;
    platform::debugLine("posizione: " + std::to_string(actualTreePosition.load()));
}
