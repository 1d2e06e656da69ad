#pragma once
// The machine's life counters: running times of the blade motor, the shaft
// ("tree") stepper motor, the pumps, the solenoid valve and the machine, pump
// time since the last filter change, beakers and portions worked, cleanings,
// the highest temperature and absorption seen and the two countdowns to the
// next service. They survive restarts in "/home/root/working".
//
// The serial link thread and the graphical thread both call in; every call
// is short and locked, and each stored change is saved before it returns.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <mutex>

class WorkingTimer
{
public:
    static constexpr uint64_t REVISION_PORTION = 20000; // portions between services
    static constexpr uint64_t REVISION_DATE = 450000;   // stepper seconds between services
    static constexpr uint64_t FILTER_LIMIT = 360000;    // pump seconds before a filter change

    // Pump codes of the board.
    static constexpr uint8_t PRESSION_PUMP = 0x0F;
    static constexpr uint8_t VACUUM_PUMP = 0x70;

    WorkingTimer() = default;
    WorkingTimer(const WorkingTimer &) = delete;
    WorkingTimer &operator=(const WorkingTimer &) = delete;

    // Reads the counters file (creating it when missing); the maximum
    // trackers work only after this. A file that is there but cannot be read
    // is reported to the operator and kept: saves are refused until a load
    // succeeds.
    void load();
    // Writes the counters file and runs "sync"; false when it was not written.
    bool save();
    bool isLoaded() const;

    void startTimeAcMotor();
    void startTimeStepperMotor();
    void startTimePump();
    void startTimeSolenoidValve();
    void startTimeMachine();
    void stopTimeAcMotor();
    void stopTimeStepperMotor();
    void stopTimePump(uint8_t pump);
    void stopTimeSolenoidValve();
    void stopTimeMachine();

    void addTimeAcMotor(uint64_t s);
    void addTimeStepperMotor(uint64_t s);
    void addTimeSolenoidValve(uint64_t s);
    void addTimeMachine(uint64_t s);
    void addTimePump(uint64_t s, uint8_t pump);

    // function: 0 milling, 1 whipping, 2 cutting; size: 0 small, 1 big.
    void increaseGlassWorked(int function, int size);
    void increaseGlassClean();
    void addPortionMilling(uint64_t n);

    void addMaxTemperature(double celsius);
    void addMaxAbsorption(double absorption);

    bool needRevision() const;
    void resetRevision();
    bool checkFilterChange() const;
    void resetFilterTime();
    uint64_t getFilter() const;
    void resetCounter(int index);

    // Lines of the machine information screen, name and value together.
    QStringList getListInfo() const;
    // The same information as a CSV file on the USB stick.
    bool listInfoToCSV() const;

    // Read access for the information and service screens.
    uint64_t getAcMotor() const;
    uint64_t getStepperMotor() const;
    uint64_t getPressionPump() const;
    uint64_t getVacuumPump() const;
    uint64_t getSolenoidValve() const;
    uint64_t getMachine() const;
    uint64_t getTotalMillingPortion() const;
    // Index as increaseGlassWorked: function + 3 * size.
    uint64_t getGlassWorked(int function, int size) const;
    uint64_t getTotalGlassClean() const;
    double getMaxTemperature() const;
    double getMaxAbsorption() const;
    uint64_t getRevisionPortion() const;
    uint64_t getRevisionDate() const;
    QStringList getReservedStrings() const;

private:
    // Pairs of (name, value) behind getListInfo() and listInfoToCSV().
    QList<QPair<QString, QString>> infoRows() const;
    uint64_t elapsedSince(uint64_t start) const;
    void addTimePumpLocked(uint64_t s, uint8_t pump);

    mutable std::mutex m;
    std::mutex saveMutex; // keeps concurrent saves in order

    bool WorkingTimerLoaded = false;
    bool readFailed = false; // the stored counters could not be read: never overwrite them
    uint64_t acMotor = 0;
    uint64_t stepperMotor = 0;
    uint64_t pressionPump = 0;
    uint64_t vacuumPump = 0;
    uint64_t solenoidValve = 0;
    uint64_t machine = 0;
    uint64_t filter = 0;
    uint64_t startAcMotor = 0;
    uint64_t startStepperMotor = 0;
    uint64_t startPump = 0;
    uint64_t startSolenoidValve = 0;
    uint64_t startMachine = 0;
    uint64_t totalMillingPortion = 0;
    uint64_t totalSmallGlassMilling = 0;
    uint64_t totalBigGlassMilling = 0;
    uint64_t totalSmallGlassWhipping = 0;
    uint64_t totalBigGlassWhipping = 0;
    uint64_t totalSmallGlassCutting = 0;
    uint64_t totalBigGlassCutting = 0;
    uint64_t totalGlassClean = 0;
    double maxTemperature = 0.0;
    double maxAbsorption = 0.0;
    uint64_t revisionPortion = REVISION_PORTION;
    uint64_t revisionDate = REVISION_DATE;
    QStringList reservedStrings;
};
