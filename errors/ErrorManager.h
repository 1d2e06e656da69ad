#pragma once
// The machine's error table and counters.
//
// The serial link thread reports the board's error codes (setErrorCode); each
// code is counted (consecutive occurrences and lifetime total), every counted
// occurrence is logged with the run context of that moment, and the home
// screen's poll shows the pending error once per run (displayError). The
// counters survive restarts; the occurrence log only grows and is exported to
// the USB stick as CSV.
//
// Files (board paths, under the sandbox root when there is one):
// - "/home/root/error.csv": optional limits, comma-separated decimal numbers;
//   the k-th number sets both limits of code k.
// - "/home/root//error": counters, a Qt data stream (version 17): fatalError
//   (bool), then per code the consecutive count (16 bit) and the total (32 bit).
// - "/home/root//error_details": occurrence log, 16-byte records: time
//   (64-bit seconds since the epoch), code, function, direction, cut speed,
//   immersion speed, portions requested, portions worked, pressure (8 bit each).

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class ErrorManager : public QObject
{
    Q_OBJECT

public:
    static constexpr uint16_t kCountLimit = 65500; // counters stop here
    static constexpr int kNotificationDelay = 60;  // seconds

    explicit ErrorManager(QObject *parent = nullptr);

    // Appends a code to the table with both counters at 0.
    void addError(const QString &text, const QString &resource, uint8_t maxConsecutive, uint8_t signalLimit);
    // Fills the table with the machine's codes 0 to 13 in the current language
    // (replacing what was there); the home screen calls it before loadData().
    void fillErrorTable();
    // The current language's texts for the table, counters untouched.
    void retranslateTable();

    // The serial link reports a code: it becomes the pending code and is counted.
    void setErrorCode(uint8_t code);
    // Shows the pending error when due (home screen poll), without waiting
    // for it to be closed; returns fatalError. The code stays pending while
    // its dialog is up and is cleared when the dialog closes.
    bool displayError();
    // True while a code is pending and its dialog is up.
    bool errorPresence() const;
    void resetState();
    // In advanced-user mode: clears fatalError and the consecutive counts (in
    // builder mode the totals too), then saves. Otherwise nothing.
    void resetConsecutiveError();
    // A work screen opens; nothing to do.
    void displayErrorSignal() {}

    // Limits file, then counter file; a missing file leaves the values in place.
    void loadData();
    // Writes the counter file; false when it could not be written, and before
    // loadData() has read it (or found it missing): the file is never written
    // over counters that were not read.
    bool saveData();
    // Appends one occurrence with the shared run context to the log.
    bool saveSigleError(uint64_t time, uint8_t code);
    // Reads the whole occurrence log into the errorList... vectors.
    bool loadListError();
    // With the USB stick mounted, writes the counters and the loaded log to
    // "/mnt/usb-memory/error_details_<date>.csv"; false otherwise.
    bool listErrorToCSV();

    QStringList getListError() const;
    std::vector<uint32_t> getErrorOccunrnce() const;
    std::vector<uint16_t> getActualError() const;

    // Read access for the screens and tests.
    int tableSize() const;
    uint8_t getActualErrorCode() const { return actualErrorCode; }
    uint64_t getLastErrorNotification() const { return lastErrorNotification; }
    bool isFatal() const { return fatalError; }
    bool isErrorDisplayed() const { return errorDisplayed; }
    uint16_t consecutiveLimit(uint8_t code) const;
    uint16_t signalLimit(uint8_t code) const;
    // The logged occurrences loaded by loadListError().
    std::size_t loadedOccurrences() const { return errorListTime.size(); }

    static std::string limitsFilePath();
    static std::string counterFilePath();
    static std::string occurrenceLogPath();
    static constexpr int kRecordSize = 16;

private slots:
    void errorDialogClosed();

private:
    void update_error_count();
    void loadLimits();
    QString textOf(uint8_t code) const;

    mutable std::mutex m; // the per-code vectors: link thread counts, screens read
    std::mutex saveMutex; // keeps counter file saves in order

    std::atomic<bool> count_active{false};
    std::atomic<bool> countersRead{false};  // loadData() read the file or found none
    std::atomic<bool> countsUnsaved{false}; // a count has not reached the file yet
    QStringList listError;
    QStringList listResoruce;
    std::atomic<uint64_t> lastErrorNotification{0};
    std::atomic<uint8_t> actualErrorCode{0};
    std::atomic<uint8_t> previousErrorCode{0};
    std::atomic<bool> errorDisplayed{false};
    std::atomic<bool> fatalError{false};
    bool fatalErrorDisplayed = false;
    std::vector<uint16_t> maxConsecutiveError;
    std::vector<uint16_t> maxConsecutiveErrorSignalLimit;
    std::vector<uint16_t> actualConsecutiveError;
    std::vector<uint32_t> totalError;

    std::vector<uint64_t> errorListTime;
    std::vector<uint8_t> errorListCode;
    std::vector<uint8_t> errorListFunc;
    std::vector<uint8_t> errorListDir;
    std::vector<uint8_t> errorListCutSpeed;
    std::vector<uint8_t> errorListImmSpeed;
    std::vector<uint8_t> errorListPortion;
    std::vector<uint8_t> errorListPortionWorked;
    std::vector<uint8_t> errorListPression;
};

// The one error manager of the process.
extern ErrorManager errorSystem;

// The translated descriptions of the codes, used by the error statistics page.
extern QStringList ErrorDescription;
void ErrorDescriptionTranslate();

// Re-arms the once-per-run flags (codes 2, 8, 9 counted once, one error
// shown); called at the start of every run and cleaning run.
void reset_errori();

// Registers the resources of the errors library (and those it uses).
void initErrorsResources();
