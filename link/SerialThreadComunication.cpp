#include "link/SerialThreadComunication.h"

#include "link/FirmwareUpdate.h"
#include "link/LinkHooks.h"
#include "link/ProtocolConversion.h"
#include "link/SerialCom.h"
#include "link/SharedState.h"
#include "platform/atomicfile.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <ctime>
#include <unistd.h>

namespace {

constexpr int kMaxAttempts = 3;
constexpr int kBufferSize = 200;

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

std::string twoDigits(int v)
{
    return (v < 10 ? "0" : "") + std::to_string(v);
}

} // namespace

SerialThreadComunication::SerialThreadComunication(int usecSleep) : Manager(&SerialThreadComunication::run, usecSleep)
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
    SerialCom port(platform::serialDevice(), 9600, 10, 10, kBufferSize, kBufferSize);
    port.init();

    const int pollEvery = 400000 / (_usec_sleep > 0 ? _usec_sleep : 1);
    int countdown = pollEvery;
    int phase = 0;

    for (;;) {
        const Status s = _status;
        if (s == Exit) {
            port.closeSerialPort();
            break;
        }
        if (s == Init) {
            errorOccuredCommand = 0;
            port.closeSerialPort();
            port.init();
            countdown = pollEvery;
            _status = Working;
        } else if (s == Working) {
            pthread_mutex_lock(&serialFifoMutex);
            if (!serialFifo.empty()) {
                if (serialFifo.front().size() > 1 && serialFifo.front()[1] == BoardCmd::FirmwareUpdate)
                    FirmwareUpdate::run(port);
                else
                    commandExchange(port);
            }
            pthread_mutex_unlock(&serialFifoMutex);

            if (_status == Working) {
                if (countdown <= 0) {
                    statusPoll(port, phase);
                    countdown = pollEvery;
                }
                --countdown;
            }
        }
        markCycle();
        usleep(static_cast<useconds_t>(_usec_sleep > 0 ? _usec_sleep : 0));
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

    ByteVector reply;
    if (!exchange(port, frame, &reply)) {
        // The port is gone: answer what was waiting (callers would otherwise
        // wait for an answer that never comes) and re-open on the next pass.
        failWholeQueue();
        _status = Init;
        return;
    }

    auto failure = [&] {
        if (++errorOccuredCommand >= kMaxAttempts) {
            failWholeQueue();
            errorOccuredCommand = 0;
        }
    };

    if (reply.empty()) {
        failure();
        return;
    }

    switch (code) {
    case BoardCmd::ResidualSteps: {
        errorOccuredCommand = 0;
        const ByteVector r = ProtocolConversion::RequestResponse(reply);
        if (r.size() >= 3) {
            retrivedResidualStep = static_cast<uint16_t>((r[1] & 0x7F) * 128 + (r[2] & 0x7F));
            platform::debugLine("Step Residui: " + std::to_string(retrivedResidualStep.load()));
        }
        serialFifo.pop();
        break;
    }
    case BoardCmd::Version:
        errorOccuredCommand = 0;
        decodeVersion(ProtocolConversion::RequestResponse(reply), reply);
        serialFifo.pop();
        break;
    case BoardCmd::BladeMountState: {
        errorOccuredCommand = 0;
        const ByteVector r = ProtocolConversion::RequestResponse(reply);
        if (r.size() >= 2) {
            bladeMountState = static_cast<uint16_t>(r[1] & 0x7F);
            getBladeMountState = 1;
        } else {
            getBladeMountState = -1;
        }
        serialFifo.pop();
        break;
    }
    default:
        if (ProtocolConversion::CommandResponse(reply)) {
            errorOccuredCommand = 0;
            setStateVar(code, true);
            serialFifo.pop();
        } else if (ProtocolConversion::error_occured != 0) {
            failure();
        } else {
            // A valid refusal: nothing queued behind it may run.
            failWholeQueue();
            errorOccuredCommand = 0;
        }
        break;
    }
}

void SerialThreadComunication::decodeVersion(const ByteVector &r, const ByteVector &raw)
{
    platform::debugLine(" ************************************** ");
    platform::debugLine(" ARRIVATA VERSIONE FIRMWARE ");
    for (std::size_t i = 0; i < raw.size() && i < 5; ++i)
        platform::debugLine(ByteToOctectString(ByteVector{raw[i]}));
    platform::debugLine(" ************************************** ");
    if (r.size() < 4)
        return;

    const int v = (r[2] & 0x1F) * 128 + (r[3] & 0x7F);
    fwVersion = std::to_string(v >> 8) + "." + twoDigits((v >> 4) & 0xF) + "." + twoDigits(v & 0xF);

    platform::debugLine(" serial Thread comunication : lettura HzVoltage dalla versione fw");
    std::string mains;
    if ((r[1] & 0x0F) == 1) {
        mains = _110Voltage.get();
        platform::debugLine("     --> 110V");
    } else {
        mains = "230V ";
    }
    if (((r[1] >> 4) & 0x0F) == 5) {
        mains += "50Hz";
        platform::debugLine("     --> 50Hz");
    } else {
        mains += "60Hz";
        platform::debugLine("     --> 60Hz");
    }
    fwFrequency = mains;

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

    if (hardwareMachineError) {
        exchange(port, ProtocolConversion::BuildCommand(BoardCmd::ErrorCode), &reply);
        const ByteVector r = ProtocolConversion::RequestResponse(reply);
        if (r.size() >= 2) {
            const uint8_t code = r[1] & 0x7F;
            platform::debugLine("      --------------------------- ");
            platform::debugLine("      --------------------------- ");
            platform::debugLine("      ----- ERRORE ARRIVATO ----- ");
            platform::debugLine("         Codice Errore : " + std::to_string(code));
            platform::debugLine("      --------------------------- ");
            platform::debugLine("      --------------------------- ");
            platform::debugLine("      --------------------------- ");
            if (LinkHooks::errorCodeRead)
                LinkHooks::errorCodeRead(code);
        }
    }

    switch (phase) {
    case 1: {
        exchange(port, ProtocolConversion::BuildCommand(BoardCmd::Temperature), &reply);
        const ByteVector r = ProtocolConversion::RequestResponse(reply);
        if (r.size() >= 2) {
            actualTemperature = r[1] & 0x7F;
            if (LinkHooks::temperatureRead)
                LinkHooks::temperatureRead(actualTemperature);
        }
        if (requestTreePosition)
            readAxisPosition(port);
        phase = 2;
        break;
    }
    case 2: {
        exchange(port, ProtocolConversion::BuildCommand(BoardCmd::Absorption), &reply);
        ByteVector r = ProtocolConversion::RequestResponse(reply);
        if (r.size() >= 2) {
            actualAbsorption = r[1] & 0x7F;
            if (LinkHooks::absorptionRead)
                LinkHooks::absorptionRead(actualAbsorption);
        }
        if (requestSensorState) {
            exchange(port, ProtocolConversion::BuildCommand(BoardCmd::SensorState), &reply);
            r = ProtocolConversion::RequestResponse(reply);
            if (r.size() >= 3)
                actualSensorState = static_cast<uint16_t>((r[1] & 0x7F) * 256 + (r[2] & 0x7F));
        }
        phase = 0;
        break;
    }
    default:
        phase = 1;
        break;
    }
}

void SerialThreadComunication::readAxisPosition(SerialCom &port)
{
    ByteVector reply;
    exchange(port, ProtocolConversion::BuildCommand(BoardCmd::AxisPosition), &reply);
    ByteVector r = ProtocolConversion::RequestResponse(reply);
    const uint32_t hi = r.size() >= 3 ? (r[2] & 3u) : 0u;

    exchange(port, ProtocolConversion::BuildCommand(BoardCmd::AxisPosition), &reply);
    r = ProtocolConversion::RequestResponse(reply);
    uint32_t value = hi;
    if (r.size() >= 3)
        value = (hi * 128 + (r[1] & 0x7Fu)) * 128 + (r[2] & 0x7Fu);

    const uint32_t position = value / 2;
    if (position < 400)
        actualTreePosition = position;
    platform::debugLine("posizione: " + std::to_string(actualTreePosition.load()));
}
