#include "Board.h"

#include "link/ProtocolConversion.h"

#include <algorithm>

namespace boardsim {

namespace {
constexpr uint8_t RefusalCode = 0x15;
constexpr int MaxStep = 127;
constexpr uint16_t MaxResidual = 0x3FFF;
constexpr int CustomCleaningSteps = 3;
constexpr int ShaftCleaningSteps = 2;
constexpr int ManualMoveMm = 5;
constexpr uint16_t MaxPosition = 32767;
constexpr uint8_t DisabledPause = 127;

// Payload size each command must carry; -1 = any, -2 = unknown command.
int expectedPayload(uint8_t code)
{
    switch (code) {
    case BoardCmd::Milling: return 15;
    case BoardCmd::Emulsion: return 41;
    case BoardCmd::EmulsionRepetition:
    case BoardCmd::TooMuchAnswer:
    case BoardCmd::CustomClean:
    case BoardCmd::AirPurge:
    case BoardCmd::MainsFrequency: return 1;
    case BoardCmd::GlassDimension: return -1;
    case BoardCmd::Start:
    case BoardCmd::Stop:
    case BoardCmd::CutRelease:
    case BoardCmd::CutClean:
    case BoardCmd::StopRelease:
    case BoardCmd::ManualMoveA:
    case BoardCmd::ManualMoveB:
    case BoardCmd::SequenceEnd:
    case BoardCmd::ShaftClean:
    case BoardCmd::FirmwareUpdate:
        return 0;
    default:
        if (code >= BoardCmd::Status && code <= BoardCmd::AxisPosition)
            return 0;
        return -2;
    }
}

uint8_t bit(bool on, int n)
{
    return static_cast<uint8_t>(on ? (1u << n) : 0u);
}
} // namespace

ByteVector Board::ack()
{
    return ProtocolConversion::BuildCommand(FrameByte::Ack);
}

ByteVector Board::refusal()
{
    return ProtocolConversion::BuildCommand(RefusalCode);
}

void Board::received(uint8_t code)
{
    // The first of a pair carries the top bits, the second the low 14 bits.
    axisSecond = code == BoardCmd::AxisPosition && axisSecondDue;
    axisSecondDue = code == BoardCmd::AxisPosition && !axisSecond;
}

uint8_t Board::statusByte1() const
{
    return static_cast<uint8_t>(bit(s.closeOk, 0) | bit(s.gasket, 1) | bit(s.hard, 2) | bit(s.ready, 3)
                                | bit(s.milling, 4) | bit(s.fullGlass, 5) | bit(s.error != 0, 6));
}

uint8_t Board::statusByte2() const
{
    return static_cast<uint8_t>(bit(s.working, 0) | bit(s.releaseA, 1) | bit(s.releaseB, 2) | bit(s.glass, 3)
                                | bit(s.open45, 4) | bit(s.lidSensor, 5) | bit(s.glassBig, 6));
}

ByteVector Board::statusReply() const
{
    // Without firmware only the loader's short reply is left: bit 1 set.
    if (s.noFirmware)
        return ProtocolConversion::BuildCommand(BoardCmd::Status, {0x02});
    return ProtocolConversion::BuildCommand(BoardCmd::Status,
                                            {statusByte1(), statusByte2(), static_cast<uint8_t>(s.step & 0x7F)});
}

std::string Board::startBlocker() const
{
    if (runActive() || s.working)
        return "working";
    if (!s.closeOk || !s.lidSensor || s.open45)
        return "lid";
    if (!s.gasket)
        return "gasket";
    if (!s.glass)
        return "glass";
    if (!s.ready)
        return "not ready";
    if (s.error != 0)
        return "error";
    return std::string();
}

ByteVector Board::handle(uint8_t code, const ByteVector &payload, int64_t nowUs)
{
    const int expected = expectedPayload(code);
    if (expected == -2 || (expected >= 0 && payload.size() != static_cast<std::size_t>(expected)))
        return refusal();
    // Everything the program builds is 7-bit; a wider byte is a fault.
    for (uint8_t b : payload)
        if (b & 0x80)
            return refusal();

    const uint8_t p0 = payload.empty() ? 0 : payload[0];
    using namespace BoardCmd;
    switch (code) {
    case Milling:
        millingBytes = payload;
        millingLoaded = true;
        return ack();
    case Emulsion:
        emulsionBytes = payload;
        emulsionLoaded = true;
        return ack();
    case EmulsionRepetition:
        repetition = p0;
        return ack();
    case SequenceEnd:
        rework = true;
        return ack();
    case Start: {
        if (!programLoaded() || !startBlocker().empty())
            return refusal();
        const int milling = rework ? 0 : activeMillingSteps();
        startRun(RunKind::Work, workSteps(), milling, nowUs);
        rework = false;
        return ack();
    }
    case Stop:
        if (run.kind == RunKind::Work)
            endRun(true);
        return ack();
    case StopRelease:
        if (run.kind == RunKind::Cleaning)
            endRun(true);
        return ack();
    case CustomClean:
    case ShaftClean:
        if (!startBlocker().empty())
            return refusal();
        startRun(RunKind::Cleaning, 1 + (code == CustomClean ? CustomCleaningSteps : ShaftCleaningSteps), 0, nowUs);
        return ack();
    case TooMuchAnswer:
        if (p0 != 0x7F && p0 != 0x00)
            return refusal();
        if (p0 == 0x7F) {
            s.fullGlass = false;
        } else if (heldAtStart()) {
            endRun(true);
        }
        return ack();
    case AirPurge:
        if (p0 != 0x7F && p0 != 0x00)
            return refusal();
        s.purge = p0 == 0x7F;
        return ack();
    case MainsFrequency:
        if (p0 != 5 && p0 != 6)
            return refusal();
        s.hz = p0 * 10;
        return ack();
    case ManualMoveA:
        s.position = static_cast<uint16_t>(std::min<int>(MaxPosition, s.position + ManualMoveMm));
        return ack();
    case ManualMoveB:
        s.position = static_cast<uint16_t>(std::max<int>(0, s.position - ManualMoveMm));
        return ack();
    case CutRelease:
    case CutClean:
    case GlassDimension:
        return ack();
    case FirmwareUpdate:
        return enterLoader();
    case Status:
        return statusReply();
    case Temperature:
        return ProtocolConversion::BuildCommand(code, {static_cast<uint8_t>(s.temperature & 0x7F)});
    case Absorption:
        return ProtocolConversion::BuildCommand(code, {static_cast<uint8_t>(s.absorption & 0x7F)});
    case ErrorCode:
        return ProtocolConversion::BuildCommand(code, {static_cast<uint8_t>(s.error & 0x7F)});
    case BladeMountState:
        return ProtocolConversion::BuildCommand(code, {static_cast<uint8_t>(s.bladeMount & 0x7F)});
    case ResidualSteps:
        return ProtocolConversion::BuildCommand(
            code, {static_cast<uint8_t>((s.residual >> 7) & 0x7F), static_cast<uint8_t>(s.residual & 0x7F)});
    case Version: {
        // Mains: high nibble Hz / 10, low nibble 1 for a 110 V board.
        const uint8_t mains = static_cast<uint8_t>(((s.hz / 10) << 4) | (s.volts == 110 ? 1 : 0));
        const unsigned v = (unsigned(s.fwMajor) << 8) | (unsigned(s.fwMinor) << 4) | s.fwPatch;
        return ProtocolConversion::BuildCommand(
            code, {mains, static_cast<uint8_t>((v >> 7) & 0x1F), static_cast<uint8_t>(v & 0x7F)});
    }
    case SensorState:
        return ProtocolConversion::BuildCommand(
            code, {static_cast<uint8_t>((s.sensors >> 8) & 0x7F), static_cast<uint8_t>(s.sensors & 0x7F)});
    case AxisPosition: {
        const unsigned value = 2u * s.position;
        if (!axisSecond)
            return ProtocolConversion::BuildCommand(code, {0x00, static_cast<uint8_t>((value >> 14) & 0x03)});
        return ProtocolConversion::BuildCommand(
            code, {static_cast<uint8_t>((value >> 7) & 0x7F), static_cast<uint8_t>(value & 0x7F)});
    }
    default:
        return refusal();
    }
}

int Board::activeMillingSteps() const
{
    int n = 0;
    // Byte 0 is the portion count, then seven (cut, immersion) pairs; a
    // step with cut speed 0 is not in use.
    for (std::size_t i = 1; i + 1 < millingBytes.size(); i += 2)
        if (millingBytes[i] != 0)
            ++n;
    return n;
}

int Board::workSteps() const
{
    const int milling = rework ? 0 : activeMillingSteps();
    int enabled = 0;
    // Byte 0 is the mode, then seven five-byte steps led by their pause.
    for (std::size_t i = 1; i < emulsionBytes.size() && i <= 31; i += 5)
        if (emulsionBytes[i] != DisabledPause)
            ++enabled;
    const int emulsion = enabled * (repetition + 1);
    return std::min(MaxStep, 1 + milling + emulsion);
}

int64_t Board::periodUs() const
{
    const double sp = speed > 0 ? speed : 1.0;
    return std::max<int64_t>(1000, static_cast<int64_t>(1e6 / sp));
}

void Board::startRun(RunKind kind, int total, int millingTicks, int64_t nowUs)
{
    run.kind = kind;
    run.tick = 0;
    run.total = std::max(1, total);
    run.millingTicks = millingTicks;
    run.nextUs = nowUs + periodUs();
    s.working = true;
    s.step = 0;
    s.milling = kind == RunKind::Work && millingTicks > 0;
}

bool Board::heldAtStart() const
{
    // A too full glass holds the run at step 0 until the program answers.
    return run.kind == RunKind::Work && run.tick == 0 && s.fullGlass;
}

void Board::endRun(bool interrupted)
{
    if (interrupted)
        s.residual = static_cast<uint16_t>(std::clamp(run.total - run.tick, 0, int(MaxResidual)));
    else if (run.kind != RunKind::None)
        s.residual = 0;
    run = Run();
    s.working = false;
    s.milling = false;
    s.step = 0;
}

void Board::advance(int64_t nowUs)
{
    while (run.kind != RunKind::None && nowUs >= run.nextUs) {
        if (heldAtStart()) {
            run.nextUs = nowUs + periodUs();
            break;
        }
        ++run.tick;
        if (run.tick >= run.total) {
            endRun(false);
            break;
        }
        s.step = static_cast<uint8_t>(run.tick);
        s.milling = run.kind == RunKind::Work && run.millingTicks > 0 && run.tick <= run.millingTicks;
        run.nextUs += periodUs();
    }
}

int64_t Board::deadline() const
{
    return run.kind == RunKind::None ? -1 : run.nextUs;
}

void Board::setStep(uint8_t step)
{
    s.step = static_cast<uint8_t>(step & 0x7F);
    if (run.kind != RunKind::None) {
        run.tick = s.step;
        s.milling = run.kind == RunKind::Work && run.millingTicks > 0 && run.tick <= run.millingTicks;
    }
}

void Board::setError(uint8_t code)
{
    s.error = static_cast<uint8_t>(code & 0x7F);
    // A hardware fault stops the machine.
    if (s.error != 0 && run.kind != RunKind::None)
        endRun(true);
}

ByteVector Board::enterLoader()
{
    switch (loaderEntry) {
    case LoaderEntry::Silent:
        return ByteVector();
    case LoaderEntry::Bad:
        return {0x0F, 0xAA, 0x04};
    case LoaderEntry::Ok:
        break;
    }
    // The machine stops whatever it was doing when it drops into its loader.
    if (run.kind != RunKind::None)
        endRun(true);
    loader = true;
    lines = 0;
    recordList.clear();
    return loaderEntered();
}

ByteVector Board::loaderLine(const ByteVector &record, bool malformed)
{
    ++lines;
    if (lines == loaderDropLine)
        return ByteVector();
    if (malformed || lines == loaderNackLine || record.size() < 5)
        return loaderNack();
    uint8_t sum = 0;
    for (uint8_t b : record)
        sum = static_cast<uint8_t>(sum + b);
    if (sum != 0)
        return loaderNack();
    recordList.push_back(record);
    if (record[3] == 0x01) {
        // End-of-file record: the new firmware runs.
        loader = false;
        s.noFirmware = false;
    }
    return loaderAck();
}

} // namespace boardsim
