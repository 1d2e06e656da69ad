#include "link/SharedState.h"

std::queue<std::vector<uint8_t>> serialFifo;
pthread_mutex_t serialFifoMutex = PTHREAD_MUTEX_INITIALIZER;

WakeSignal &serialFifoWake()
{
    static WakeSignal *const signal = new WakeSignal;
    return *signal;
}

std::atomic<int8_t> setMillingFlag{0};
std::atomic<int8_t> setEmulsionFlag{0};
std::atomic<int8_t> startRunningFlag{0};
std::atomic<int8_t> stopRunningFlag{0};
std::atomic<int8_t> cutReleaseCmdSend{0};
std::atomic<int8_t> cutCleanCmdSend{0};
std::atomic<int8_t> stopReleaseCmdSend{0};
std::atomic<int8_t> setGlassDimensionCmdSend{0};
std::atomic<uint8_t> setCustomClean{0};
std::atomic<int8_t> startUpdateFirmware{0};
std::atomic<int8_t> endUpdateFirmware{0};
std::atomic<int8_t> getBladeMountState{0};
std::atomic<int8_t> bladeReleaseFlag{0};

std::atomic<uint16_t> bladeMountState{0};
std::atomic<uint16_t> retrivedResidualStep{0};

std::atomic<bool> machineCloseOk{false};
std::atomic<bool> oringPresence{false};
std::atomic<bool> hardContent{false};
std::atomic<bool> machineReady{false};
std::atomic<bool> millingOn{false};
std::atomic<bool> fullGlass{false};
std::atomic<bool> hardwareMachineError{false};
std::atomic<bool> working{false};
std::atomic<bool> cutRelease_flag_a{false};
std::atomic<bool> cutRelease_flag_b{false};
std::atomic<bool> glassPresence{false};
std::atomic<bool> machineOpen45{false};
std::atomic<bool> machineOpen{false};
std::atomic<bool> glassBigPresence{false};
std::atomic<uint8_t> actualStep{0};

std::atomic<uint8_t> actualTemperature{0};
std::atomic<uint8_t> actualAbsorption{0};
std::atomic<uint32_t> actualTreePosition{0};
std::atomic<uint16_t> actualSensorState{0};
std::atomic<bool> requestTreePosition{false};
std::atomic<bool> requestSensorState{false};

std::atomic<uint32_t> serialComunicationError{0};
std::atomic<bool> firstResponseHandshakeRecieved{false};
std::atomic<bool> fwNotFound{false};
std::atomic<bool> displayError{false};
std::atomic<bool> comunicationErrorDisplayed{false};

GuardedString fwVersion;
GuardedString fwFrequency;
GuardedString _110Voltage{"110V"};
GuardedString swVersion{"1.01.01"};
std::atomic<bool> fwUpdateStarted{false};
std::atomic<bool> forceFwUpdate{false};
std::atomic<bool> forceFwUpdateSend{false};
std::atomic<int> actualWaitProgress{0};

std::atomic<uint8_t> actualFunc{0};
std::atomic<uint8_t> actualDir{0};
std::atomic<uint8_t> actualCutSpeed{0};
std::atomic<uint8_t> actualImmSpeed{0};
std::atomic<uint8_t> actualPortion{0};
std::atomic<uint8_t> actualPortionWorked{0};
std::atomic<uint8_t> actualPression{0};
std::atomic<bool> reworkSet{false};

signed char CommandStateVariable[127] = {};

void setStateVar(uint8_t code, bool ok)
{
    const int8_t v = ok ? 1 : -1;
    switch (code) {
    case 1: setMillingFlag = v; break;
    case 2: setEmulsionFlag = v; break;
    case 3: startRunningFlag = v; break;
    case 4: stopRunningFlag = v; break;
    case 10: cutReleaseCmdSend = v; break;
    case 11: cutCleanCmdSend = v; break;
    case 12: stopReleaseCmdSend = v; break;
    case 15: setGlassDimensionCmdSend = v; break;
    case 17: setCustomClean = ok ? 1 : 255; break;
    case 116: getBladeMountState = v; break;
    default: break; // 48 is answered by the update procedure; 117, 118 have no flag
    }
}

void waitStateVar(uint8_t code)
{
    switch (code) {
    case 1: setMillingFlag = 0; break;
    case 2: setEmulsionFlag = 0; break;
    case 3: startRunningFlag = 0; break;
    case 4: stopRunningFlag = 0; break;
    case 10: cutReleaseCmdSend = 0; break;
    case 11: cutCleanCmdSend = 0; break;
    case 12: stopReleaseCmdSend = 0; break;
    case 15: setGlassDimensionCmdSend = 0; break;
    case 17: setCustomClean = 0; break;
    case 48:
        startUpdateFirmware = 0;
        endUpdateFirmware = 0;
        break;
    case 116:
        getBladeMountState = 0;
        bladeMountState = 0xFF00;
        break;
    case 117: retrivedResidualStep = 0xC000; break;
    default: break;
    }
}

bool checkWaitStateVar()
{
    if (setEmulsionFlag == 0 || setMillingFlag == 0 || startRunningFlag == 0 || stopRunningFlag == 0
        || startUpdateFirmware == 0 || endUpdateFirmware == 0 || cutReleaseCmdSend == 0
        || cutCleanCmdSend == 0 || stopReleaseCmdSend == 0 || setGlassDimensionCmdSend == 0
        || getBladeMountState == 0)
        return false;
    return setCustomClean != 0;
}

void resetStateVar()
{
    setMillingFlag = 1;
    setEmulsionFlag = 1;
    startRunningFlag = 1;
    stopRunningFlag = 1;
    cutReleaseCmdSend = 1;
    cutCleanCmdSend = 1;
    stopReleaseCmdSend = 1;
    setGlassDimensionCmdSend = 1;
    setCustomClean = 1;
    startUpdateFirmware = 1;
    endUpdateFirmware = 1;
    getBladeMountState = 1;
    bladeReleaseFlag = 1;
    bladeMountState = 0xFF00;
    retrivedResidualStep = 0xC000;
    working = false;
    fwNotFound = false;
    millingOn = false;
    fullGlass = false;
    cutRelease_flag_a = false;
    cutRelease_flag_b = false;
}
