#pragma once
// The run monitor: opened by a start screen once the board has accepted a
// work sequence, it follows the run from the machine state the link thread
// keeps, until the board ends the work; then it commits the life counters and
// opens the run summary.
//
// It never blocks: the too-full question is answered in a slot, the pause
// before the summary is a timer, and the home screen's poll goes on under it.
//
// Run context. The error log records, with every board error, what the
// machine was doing (link/SharedState.h). This screen writes it on every
// step the board reports, from the program in `actual`:
// - actualFunc: the program's function, 1 frostizing, 2 cutting, 3 whipping;
// - actualDir: 1 descending, 2 climbing, 0 standing (before the first step);
//   milling descends, emulsion steps alternate from a descent;
// - actualCutSpeed, actualImmSpeed: the speed indexes of the step in
//   progress: while the board reports millingOn, milling step
//   (milling steps counted - 1) % (milling steps in use); afterwards emulsion
//   step (emulsion steps counted - 1) % (enabled emulsion steps), or, with no
//   emulsion step enabled, the final climb at 5 and 8;
// - actualPortion: the portions asked for; actualPortionWorked: milling steps
//   counted / milling steps in use (what the level animation shows);
// - actualPression: the pressure type of the step in progress.
// A step is counted each time actualStep changes to a non-zero value.

#include "app/DialogMessage.h"
#include "app/ErrorMessage.h"

#include <QPointer>
#include <QString>
#include <QVector>
#include <QWidget>

#include <cstdint>

class QLabel;
class QTimer;

namespace Ui {
class running;
}

class running : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kCheckMs = 100;
    static constexpr int kSummaryDelayMs = 1000;
    static constexpr unsigned kTooMuchAutoCloseMs = 10000;
    static constexpr int kLidRepeatSeconds = 60;
    static constexpr int kExcludeCheckTicks = 25;
    static constexpr int kStopRearmTicks = 15;
    static constexpr uint8_t kStopTries = 2;
    static constexpr int kHiddenStopTaps = 5;
    static constexpr int kHiddenStopWindowMs = 1000;
    static constexpr char kReportPrefix[] = "/mnt/usb-memory/recipe-work/recipe";

    // Builds the screen for the program in `actual` and shows it.
    explicit running(QWidget *parent = nullptr);
    ~running() override;

    // The beaker capacity used for the level animation (80 unless set).
    void setGlassDimension(int dimension);
    int getGlassDimension() const { return glassDimension; }

    // For tests and the screenshot tool.
    QTimer *checkTimer() const { return timer; }
    bool stopArmed() const { return state; }
    int stopTriesLeft() const { return stopTry; }
    bool abnormalMarked() const { return errorDisplayed; }
    QString abnormalText() const { return errorText; }
    bool isWorkingStarted() const { return workingStarted; }
    bool workEnded() const { return endCommitted; }
    DialogMessage *tooMuchQuestion() const { return tooMuchDialog; }
    ErrorMessage *lidWarning() const { return lidDialog; }
    // Segments of the beaker level: shown, and shown still full.
    int levelSegments() const;
    int fullLevelSegments() const;

public slots:
    // One tick of the 100 ms supervision (also called by the timer).
    void workingStateCheck();
    // The remaining-time display (every second).
    void workingTimeUpdate();
    void sensorStateClose();

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_stop_work_clicked();
    void on_pushButton_3_clicked();
    void on_title_clicked();
    void tooMuchAnswered(int result);
    void endOfWorkSummary();

private:
    void retranslate();
    void lidSupervision();
    void abnormalEndChecks();
    void askTooMuchMaterial();
    void endOfWork();
    void firstStart();
    void progress();
    void stepChanged(uint8_t step, bool milling);
    void updateServicePanel();
    void updateStopKey();
    void writeWorkReport();
    void reloadProgram();
    void showStepPicture();
    void showSpeeds();
    void showStepTexts();
    int remainingSeconds() const;

    // Marks an abnormal condition (the first one stays) and shows it.
    void setErrorScreen(const char *text);
    void errorStyleSet();
    void goodStyleSet();
    void updateGlassLevel(int portions, int worked);
    void redrawGlassSegment();
    void setEnabledSegment(int n);
    void buildSegments();

    Ui::running *ui;
    QTimer *timer;
    QTimer *workingTimer;
    QTimer *summaryTimer; // the pause between the end of work and the summary
    QVector<QLabel *> portionLabel;
    int glassDimension = 80;
    bool state = true;
    int stopDoubleClick = 0;
    bool workingStarted = false;
    uint8_t previousStep = 0;
    bool millingProcedurEnded = false;
    uint8_t actualEmulsionStep = 0;
    // Emulsion (not milling) steps begun in this run; the summary's executed
    // cycles come from it.
    uint8_t notMillingStep = 0;
    bool prevMillingOn = false;
    bool blinlk = false;
    uint8_t blickIdx = 5;
    int64_t lastScreenClick = 0; // deadline of the hidden stop taps, monotonic ms
    uint64_t lastErrorNotification = 0;
    bool errorDisplayed = false;
    QString errorText; // untranslated
    bool workWithToMuchMaterial = false;
    uint16_t enableStopButtonCicle = kStopRearmTicks;
    bool sensorFormOpen = false;
    QPointer<QWidget> sensorPage;
    uint8_t stopTry = kStopTries;
    int counterEscludeCheckError = kExcludeCheckTicks;

    // What the run uses, fixed when the screen opens.
    int function = 1;          // 1 frostizing, 2 cutting, 3 whipping
    uint8_t pumpCode = 0;      // the pressure type whose pump runs, 0 none
    bool emulsionMode = false; // emulsion working mode 127
    int totalSeconds = 0;      // the program's estimated working time
    bool servicePanel = false; // service mode: telemetry instead of the step picture

    bool stepSeen = false;        // a step has been shown since the start
    uint32_t stepStartedAt = 0;   // when the step shown began
    int millingIndex = 0;         // milling step in progress
    QString shownPicture;
    int enabledSegments = 0;
    int segmentHeight = 0;
    bool stopTaken = false;       // the board acknowledged a stop
    bool endCommitted = false;    // the end of work was committed once
    bool errorKeptLogged = false; // the screen is held for an error, said once
    bool programReloaded = false;
    bool summaryOpened = false;
    QPointer<DialogMessage> tooMuchDialog;
    QPointer<ErrorMessage> lidDialog;
};
