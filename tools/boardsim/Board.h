#pragma once
// The controller board as the program sees it: machine state, the answers to
// every board command and request, the work and cleaning runs, and the
// firmware loader.

#include "link/ByteUtils.h"

#include <cstdint>
#include <string>
#include <vector>

namespace boardsim {

struct MachineState
{
    // Lid: three sensors. The program's start checks read the machineOpen
    // bit as "lid in its closed position", so a closed lid sets it.
    bool closeOk = true;      // machineCloseOk: closing confirmed
    bool lidSensor = true;    // machineOpen bit
    bool open45 = false;      // machineOpen45
    bool gasket = true;       // oringPresence
    bool glass = true;        // glassPresence
    bool glassBig = false;    // glassBigPresence
    bool ready = true;        // machineReady
    bool working = false;
    uint8_t step = 0;         // 0..127
    bool milling = false;     // millingOn
    bool fullGlass = false;
    bool hard = false;        // hardContent
    uint8_t error = 0;        // error code; hardwareMachineError while non-zero
    uint8_t temperature = 60; // 7-bit codes
    uint8_t absorption = 20;
    // The sensor word (119) follows the state above through the table of
    // link/SensorBits.h; `set sensors N` forces a word instead (a broken
    // switch, a wiring fault) until `set sensors auto`.
    bool sensorsForced = false;
    uint16_t sensors = 0;     // the forced word: bits 0-6 and 8-14
    uint16_t position = 0;    // axis position in millimetres, 0..32767
    uint8_t bladeMount = 127; // 127 = blade mounted
    uint16_t residual = 0;    // 0..16383
    uint8_t fwMajor = 2, fwMinor = 0, fwPatch = 5;
    int volts = 230;
    int hz = 50;
    bool noFirmware = false;
    bool releaseA = false;    // cutRelease_flag_a
    bool releaseB = false;    // cutRelease_flag_b
    // The operator holds the machine's security button. The status reports
    // it in the glass bit: the blade release reads its hold there.
    bool hold = false;
    bool purge = false;       // air duct purge on
};

enum class Direction { None, Down, Up };

// One step of a run as the board plays it. The link has no request for these
// values (the program derives them from the program it sent); the simulator
// shows them on its control channel.
struct StepPlan
{
    double seconds = 1.0; // at speed 1
    bool milling = false;
    uint8_t cut = 0;       // cut speed index
    uint8_t immersion = 0; // immersion speed index
    Direction dir = Direction::None;
    uint8_t portion = 0;   // portion in progress (1-based), 0 outside milling
    uint8_t worked = 0;    // portions finished
    uint8_t pressureType = 0;
    uint8_t pressure = 0;  // pressure intensity
};

class Board
{
public:
    enum class RunKind { None, Work, Cleaning };
    enum class LoaderEntry { Ok, Bad, Silent };
    enum class Phase { Idle, Start, Held, Milling, Emulsion, Suspended, Cleaning };
    // Blade release, as the two release flags show it: Off none, Unlocking a,
    // Free both (the blade is off the shaft), Locking a, Locked b (the mount
    // state can be read), Returning both.
    enum class Release { Off, Unlocking, Free, Locking, Locked, Returning };
    // A movement of the release lasts this many commands: the program repeats
    // 10 (or a manual move) while the operator keeps the key pressed.
    static constexpr int ReleaseMoveCommands = 3;

    MachineState s;

    // Run timing: step durations are divided by this factor.
    double speed = 1.0;
    // When above 0, every step lasts this many seconds whatever the speed:
    // tests follow each step at the program's 400 ms poll without waiting
    // through a real program's long ones.
    double pace = 0.0;
    // A work run stops milling after this many milling steps (an empty or
    // badly frozen beaker); -1 mills the whole program.
    int endEarly = -1;

    // Loader behaviour.
    LoaderEntry loaderEntry = LoaderEntry::Ok;
    int loaderNackLine = 0; // 1-based line of a transfer to refuse, 0 none
    int loaderDropLine = 0; // 1-based line to leave unanswered, 0 none
    // The version the board reports once a transfer has ended with its
    // end-of-file record; without one it keeps the version it had.
    bool flashVersionSet = false;
    uint8_t flashMajor = 0, flashMinor = 0, flashPatch = 0;

    static ByteVector ack();
    static ByteVector refusal();

    // Every valid frame passes here first, answered or not: the axis
    // position request comes in pairs and the board keeps count.
    void received(uint8_t code);

    // Carries out one command or request (checksum already verified) and
    // returns the reply frame; an empty result means no reply.
    ByteVector handle(uint8_t code, const ByteVector &payload, int64_t nowUs);

    ByteVector statusReply() const;
    // The switches as request 119 reports them.
    uint16_t sensorWord() const;
    // The axis position (millimetres, counting up as the axis climbs: 13
    // lifts it) at and above which the upper end stop is made; the lower one
    // is made at 0.
    static constexpr uint16_t AxisTopMm = 200;
    uint8_t statusByte1() const;
    uint8_t statusByte2() const;

    // Runs.
    void advance(int64_t nowUs);
    int64_t deadline() const; // next step time, or -1
    bool runActive() const { return run.kind != RunKind::None; }
    RunKind runKind() const { return run.kind; }
    int runTotal() const { return static_cast<int>(run.plan.size()); }
    // Seconds the run takes at speed 1, as planned at its start.
    double runSeconds() const;
    Phase phase() const;
    // The step in progress; a default step while idle.
    StepPlan current() const;
    // Ends the run; `interrupted` leaves the steps not done as residual.
    void endRun(bool interrupted);
    void setStep(uint8_t step);
    void setError(uint8_t code);
    bool programLoaded() const { return millingLoaded && emulsionLoaded; }
    // The code of the custom cleaning cycle going on; 0 for none.
    uint8_t customCleaningCode() const { return cleaningCode; }
    // Why the machine cannot start a run now, or empty.
    std::string startBlocker() const;

    // Blade release.
    Release release() const { return releaseStage; }
    // The stage the flags stand for (`set release`); the stage going on is
    // kept when it already shows them.
    void setReleaseFlags(bool a, bool b);

    // Loader.
    bool loaderActive() const { return loader; }
    // Answer to the update command (F3 30 30 FC); may be empty.
    ByteVector enterLoader();
    void leaveLoader() { loader = false; }
    // Answer to one loader frame; `malformed` when its framing was broken.
    ByteVector loaderLine(const ByteVector &record, bool malformed);
    int loaderLines() const { return lines; }
    const std::vector<ByteVector> &records() const { return recordList; }

    static ByteVector loaderAck() { return {0x0F, 0xAA, 0x04}; }
    static ByteVector loaderNack() { return {0x0F, 0x55, 0x04}; }
    static ByteVector loaderEntered() { return {0x0F, 0xBB, 0x04}; }

private:
    struct Run
    {
        RunKind kind = RunKind::None;
        std::vector<StepPlan> plan;
        std::size_t index = 0; // plan entry in progress
        int millingDone = 0;   // milling steps begun
        int perPortion = 0;    // milling steps of one portion
        int64_t nextUs = -1;   // end of the entry in progress
        bool suspended = false;
    };

    int64_t durationUs(const StepPlan &step) const;
    void startRun(RunKind kind, std::vector<StepPlan> plan, int64_t nowUs);
    void enterStep(std::size_t index);
    bool heldAtStart() const;
    bool lidClosed() const;
    std::vector<StepPlan> workPlan() const;
    int activeMillingSteps() const;

    void setRelease(Release stage);
    ByteVector releaseCommand();
    // A manual move; it moves a release going on.
    void releaseMove(bool towardsFree);

    Run run;
    Release releaseStage = Release::Off;
    int releaseProgress = 0; // commands of the movement in progress
    bool axisSecondDue = false;
    bool axisSecond = false;

    bool millingLoaded = false;
    bool emulsionLoaded = false;
    ByteVector millingBytes;
    ByteVector emulsionBytes;
    uint8_t repetition = 0;
    bool rework = false;
    uint8_t cleaningCode = 0;

    bool loader = false;
    int lines = 0;
    std::vector<ByteVector> recordList;
};

} // namespace boardsim
