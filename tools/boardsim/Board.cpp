#include "Board.h"

#include "data/CleaningCycles.h"
#include "data/Tables.h"
#include "link/ProtocolConversion.h"
#include "link/SensorBits.h"

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
constexpr int EmulsionSlots = 7;

// Work run timing, reckoned as the program estimates a run: a settling time
// before milling, each milling step a travel of 2 units, each emulsion step
// its pause plus a travel through the beaker (the glass depth for the liquid
// programs, the milled height for frostizing) and a margin, the last climb
// out at the fastest speed.
constexpr double StartSeconds = 5.0;
constexpr double StartSecondsWithoutMilling = 1.0;
constexpr double MillingTravel = 2.0;
constexpr int GlassDepth = 80;
constexpr double TravelMargin = 29.0;
constexpr uint8_t FastestImmersion = IMMERSION_SPEED_TABLE_SIZE - 1;
constexpr double CleaningStepSeconds = 1.0;
// While a too full beaker holds the run, how often the hold is looked at.
constexpr int64_t HoldRecheckUs = 100000;

double travelSeconds(double distance, uint8_t immersion)
{
    const double speed = immersion < IMMERSION_SPEED_TABLE_SIZE ? immersionSpeedTable[immersion] : 0.0;
    return speed > 0.0 ? distance / speed : 0.0;
}

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
    return static_cast<uint8_t>(bit(s.working, 0) | bit(s.releaseA, 1) | bit(s.releaseB, 2) | bit(s.glass || s.hold, 3)
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
    if (!lidClosed())
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
        startRun(RunKind::Work, workPlan(), nowUs);
        run.perPortion = activeMillingSteps();
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
        // A release movement stops where it is.
        releaseProgress = 0;
        return ack();
    case CustomClean:
    case ShaftClean: {
        if (!startBlocker().empty())
            return refusal();
        StepPlan step;
        step.seconds = CleaningStepSeconds;
        int steps = 1 + ShaftCleaningSteps;
        if (code == CustomClean) {
            // The cycle the code names lasts its time in the default table,
            // spread over the steps; a code that names no cycle is refused.
            const int entry = cleancycles::entryOfCode(p0);
            const float seconds = entry < 0 ? 0.0f : cleancycles::kDefaultCycleSeconds[std::size_t(entry)];
            if (seconds <= 0)
                return refusal();
            steps = 1 + CustomCleaningSteps;
            step.seconds = double(seconds) / steps;
        }
        startRun(RunKind::Cleaning, std::vector<StepPlan>(std::size_t(steps), step), nowUs);
        cleaningCode = code == CustomClean ? p0 : 0;
        return ack();
    }
    case TooMuchAnswer:
        if (p0 != 0x7F && p0 != 0x00)
            return refusal();
        if (p0 == 0x7F) {
            const bool held = heldAtStart();
            s.fullGlass = false;
            if (held) // goes on at once
                run.nextUs = std::min(run.nextUs, nowUs);
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
    case ManualMoveB:
        // During a release the axis moves only with the security button held.
        if (releaseStage != Release::Off && !s.hold)
            return ack();
        releaseMove(code == ManualMoveB);
        s.position = static_cast<uint16_t>(code == ManualMoveA ? std::min<int>(MaxPosition, s.position + ManualMoveMm)
                                                               : std::max<int>(0, s.position - ManualMoveMm));
        return ack();
    case CutRelease:
        return releaseCommand();
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
            code, {static_cast<uint8_t>((sensorWord() >> 8) & 0x7F), static_cast<uint8_t>(sensorWord() & 0x7F)});
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

std::vector<StepPlan> Board::workPlan() const
{
    struct Pair
    {
        uint8_t cut, immersion;
    };
    const uint8_t portions = millingBytes.empty() ? 0 : millingBytes[0];
    std::vector<Pair> milling;
    for (std::size_t i = 1; i + 1 < millingBytes.size(); i += 2)
        if (millingBytes[i] != 0)
            milling.push_back({millingBytes[i], millingBytes[i + 1]});

    // Byte 0 is the mode, then seven five-byte steps (pause, cut, immersion,
    // pressure type and intensity); the leading steps whose pause is not 127
    // are in use. The first slot carries the milling pressure.
    const uint8_t mode = emulsionBytes.empty() ? 0 : emulsionBytes[0];
    std::vector<const uint8_t *> emulsion;
    for (std::size_t i = 1; i + 4 < emulsionBytes.size() && emulsion.size() < EmulsionSlots; i += 5) {
        if (emulsionBytes[i] == DisabledPause)
            break;
        emulsion.push_back(&emulsionBytes[i]);
    }
    const uint8_t pressureType = emulsionBytes.size() > 5 ? emulsionBytes[4] : 0;
    const uint8_t pressure = emulsionBytes.size() > 5 ? emulsionBytes[5] : 0;
    const bool mills = !rework && portions > 0 && !milling.empty();

    std::vector<StepPlan> plan;
    StepPlan start;
    start.seconds = mills ? StartSeconds : StartSecondsWithoutMilling;
    start.milling = mills;
    start.pressureType = pressureType;
    start.pressure = pressure;
    plan.push_back(start);
    if (mills) {
        for (int p = 0; p < portions; ++p) {
            for (const Pair &m : milling) {
                StepPlan step = start;
                step.seconds = travelSeconds(MillingTravel, m.immersion);
                step.cut = m.cut;
                step.immersion = m.immersion;
                step.dir = Direction::Down;
                step.portion = static_cast<uint8_t>(p + 1);
                step.worked = static_cast<uint8_t>(p);
                plan.push_back(step);
            }
        }
    }

    // The repetition byte is one less than the number of cycles, each cycle
    // a descent and a climb; 127 stands for none.
    const int cycles = (repetition + 1) & 0x7F;
    const int count = emulsion.empty() ? 0 : 2 * cycles;
    const int milledHeight = portions * 2 * static_cast<int>(milling.size());
    const double travel = (mode != 0 ? GlassDepth : milledHeight) + TravelMargin;
    for (int k = 0; k < count; ++k) {
        const uint8_t *e = emulsion[std::size_t(k) % emulsion.size()];
        const bool last = k == count - 1;
        StepPlan step;
        step.cut = e[1];
        step.immersion = last ? FastestImmersion : e[2];
        step.seconds = e[0] / 10 + travelSeconds(travel, step.immersion);
        step.dir = k % 2 == 0 ? Direction::Down : Direction::Up;
        step.worked = mills ? portions : 0;
        step.pressureType = e[3];
        step.pressure = e[4];
        plan.push_back(step);
    }
    return plan;
}

int64_t Board::durationUs(const StepPlan &step) const
{
    if (pace > 0)
        return static_cast<int64_t>(pace * 1e6);
    const double sp = speed > 0 ? speed : 1.0;
    return std::max<int64_t>(1000, static_cast<int64_t>(step.seconds * 1e6 / sp));
}

void Board::startRun(RunKind kind, std::vector<StepPlan> plan, int64_t nowUs)
{
    run = Run();
    run.kind = kind;
    run.plan = std::move(plan);
    if (run.plan.empty())
        run.plan.emplace_back();
    s.working = true;
    enterStep(0);
    run.nextUs = nowUs + durationUs(run.plan[0]);
}

void Board::enterStep(std::size_t index)
{
    run.index = index;
    const StepPlan &step = run.plan[index];
    // Step numbers are 7 bits on the wire; a long run counts on from 1.
    s.step = index == 0 ? 0 : static_cast<uint8_t>(s.step >= MaxStep ? 1 : s.step + 1);
    if (step.milling && index > 0)
        ++run.millingDone;
    s.milling = run.kind == RunKind::Work && step.milling;
}

bool Board::heldAtStart() const
{
    // A too full glass holds the run at step 0 until the program answers.
    return run.kind == RunKind::Work && run.index == 0 && s.fullGlass;
}

bool Board::lidClosed() const
{
    return s.closeOk && s.lidSensor && !s.open45;
}

void Board::endRun(bool interrupted)
{
    if (interrupted && run.kind != RunKind::None)
        s.residual = static_cast<uint16_t>(
            std::clamp(static_cast<int>(run.plan.size() - run.index), 0, int(MaxResidual)));
    else if (run.kind != RunKind::None)
        s.residual = 0;
    run = Run();
    cleaningCode = 0;
    s.working = false;
    s.milling = false;
    s.step = 0;
}

void Board::advance(int64_t nowUs)
{
    // An opened lid stops the machine; the run waits for the stop command,
    // closing the lid again does not resume it.
    if (run.kind == RunKind::Work && !lidClosed())
        run.suspended = true;
    while (run.kind != RunKind::None && !run.suspended && nowUs >= run.nextUs) {
        if (heldAtStart()) {
            run.nextUs = nowUs + HoldRecheckUs;
            break;
        }
        std::size_t next = run.index + 1;
        // The blade found the bottom: the milling steps left are skipped.
        if (run.kind == RunKind::Work && endEarly >= 0 && run.millingDone >= endEarly) {
            while (next < run.plan.size() && run.plan[next].milling)
                ++next;
        }
        if (next >= run.plan.size()) {
            endRun(false);
            break;
        }
        enterStep(next);
        run.nextUs += durationUs(run.plan[next]);
    }
}

int64_t Board::deadline() const
{
    return run.kind == RunKind::None || run.suspended ? -1 : run.nextUs;
}

double Board::runSeconds() const
{
    double total = 0;
    for (const StepPlan &step : run.plan)
        total += step.seconds;
    return total;
}

Board::Phase Board::phase() const
{
    switch (run.kind) {
    case RunKind::None:
        return Phase::Idle;
    case RunKind::Cleaning:
        return Phase::Cleaning;
    case RunKind::Work:
        break;
    }
    if (run.suspended)
        return Phase::Suspended;
    if (run.index == 0)
        return heldAtStart() ? Phase::Held : Phase::Start;
    return run.plan[run.index].milling ? Phase::Milling : Phase::Emulsion;
}

uint16_t Board::sensorWord() const
{
    if (s.sensorsForced)
        return s.sensors;
    using namespace SensorBits;
    // A work step turns the blade when it has a cut speed and moves the axis
    // when it has a direction; a cleaning run does both all along.
    const Phase now = phase();
    const StepPlan step = current();
    const bool stepping = now == Phase::Milling || now == Phase::Emulsion;
    bool made[Count] = {};
    made[Glass] = s.glass;
    made[GlassDoorClosed] = s.closeOk;
    made[GasketDoor] = s.gasket;
    made[UpperLimit] = s.position >= AxisTopMm;
    made[LowerLimit] = s.position == 0;
    made[GlassLimit] = s.lidSensor;
    made[GlassRedundancy] = !s.open45;
    made[BladesMounted] = s.bladeMount == 127;
    made[BladeRelease] = s.releaseA;
    made[BladePosition] = s.releaseB;
    made[BladeTurns] = now == Phase::Cleaning || (stepping && step.cut > 0);
    made[StepperTurns] = now == Phase::Cleaning || (stepping && step.dir != Direction::None);
    return word(made);
}

StepPlan Board::current() const
{
    if (run.kind == RunKind::None)
        return StepPlan();
    StepPlan step = run.plan[run.index];
    // After a milling phase cut short, only the whole portions count.
    if (!step.milling && run.index > 0 && run.perPortion > 0)
        step.worked = static_cast<uint8_t>(run.millingDone / run.perPortion);
    return step;
}

void Board::setStep(uint8_t step)
{
    // During a run the following steps count on from the new number.
    s.step = static_cast<uint8_t>(step & 0x7F);
}

void Board::setError(uint8_t code)
{
    s.error = static_cast<uint8_t>(code & 0x7F);
    // A hardware fault stops the machine.
    if (s.error != 0 && run.kind != RunKind::None)
        endRun(true);
}

void Board::setRelease(Release stage)
{
    releaseStage = stage;
    releaseProgress = 0;
    s.releaseA = stage == Release::Unlocking || stage == Release::Free || stage == Release::Locking
                 || stage == Release::Returning;
    s.releaseB = stage == Release::Free || stage == Release::Locked || stage == Release::Returning;
}

void Board::setReleaseFlags(bool a, bool b)
{
    if (s.releaseA == a && s.releaseB == b) {
        releaseProgress = 0;
        return;
    }
    setRelease(!a && !b ? Release::Off : a && b ? Release::Free : a ? Release::Unlocking : Release::Locked);
}

ByteVector Board::releaseCommand()
{
    if (run.kind != RunKind::None || s.working)
        return refusal();
    // Starting and the turns between movements take one command; the
    // movements take several, and the unlocking, the locking and the return
    // go on only while the security button is held.
    const bool moved = ++releaseProgress >= ReleaseMoveCommands;
    switch (releaseStage) {
    case Release::Off:
        setRelease(Release::Unlocking);
        break;
    case Release::Unlocking:
        if (!s.hold)
            --releaseProgress;
        else if (moved)
            setRelease(Release::Free);
        break;
    case Release::Free:
        // The blade is put back and the screen pressed alone: a press still
        // made with the security button held (the operator's hold running
        // on past the blade coming free) leaves it free.
        if (s.hold)
            --releaseProgress;
        else
            setRelease(Release::Locking);
        break;
    case Release::Locking:
        if (!s.hold)
            --releaseProgress;
        else if (moved)
            setRelease(Release::Locked);
        break;
    case Release::Locked:
        if (moved)
            setRelease(Release::Returning);
        break;
    case Release::Returning:
        if (!s.hold)
            --releaseProgress;
        else if (moved)
            setRelease(Release::Off);
        break;
    }
    return ack();
}

void Board::releaseMove(bool towardsFree)
{
    if (releaseStage == Release::Off)
        return;
    // The second direction takes the blade back to where it comes off the
    // shaft; the first one on towards the end: a locked blade is lifted,
    // anything else goes home.
    if ((towardsFree && releaseStage == Release::Free) || ++releaseProgress < ReleaseMoveCommands)
        return;
    if (towardsFree)
        setRelease(Release::Free);
    else
        setRelease(releaseStage == Release::Locked ? Release::Returning : Release::Off);
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
        if (flashVersionSet) {
            s.fwMajor = flashMajor;
            s.fwMinor = flashMinor;
            s.fwPatch = flashPatch;
        }
    }
    return loaderAck();
}

} // namespace boardsim
