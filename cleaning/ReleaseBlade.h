#pragma once
// Blade release: takes the operator through freeing the blade from the
// shaft, taking it off, putting it back and checking that it sits right, with
// one picture and one instruction per step.
//
// The board moves only while the operator holds the screen (every press and
// every auto-repeat of the screen key queues command 10) and the machine's
// security button, which the board reports in the glass bit. The screen
// follows the two release flags; once the blade is locked it asks the mount
// state (request 116). A stop, or a blade badly mounted, opens the manual
// moves: the second direction goes back to taking the blade off, the first
// one on to the end.
//
// Steps: 0 not started; 1 freeing the blade; 2 blade free (10-13: take it
// off, put it back, the pictures in between); 3 locking it; 4 locked; 5 the
// way back, after which the screen closes.
//
// Nothing here waits on the graphical thread: the pause after the blade comes
// free and the wait for the mount state are counted in timer ticks.

#include <QPointer>
#include <QWidget>

#include <cstdint>

class QMovie;
class QTimer;

namespace Ui {
class ReleaseBlade;
}

class ReleaseBlade : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kCheckMs = 100;
    static constexpr uint16_t kStartWaitTicks = 30; // after the first command 10
    static constexpr int kBladeFreePauseMs = 1500;  // "Remove blade." before the key works again
    static constexpr int kRepeatMs = 400;
    static constexpr uint16_t kMounted = 127;

    // A step's picture (a resource) and instruction (untranslated).
    struct Row
    {
        const char *picture;
        const char *text;
    };

    // Full screen, deleted when closed; the timer runs from here.
    explicit ReleaseBlade(QWidget *parent = nullptr);
    ~ReleaseBlade() override;

    // For tests and the screenshot tool.
    uint8_t step() const { return stepRelease; }
    bool stopPhase() const { return stopEnabled; }
    int8_t currentDirection() const { return direction; }
    bool waitingForMountState() const { return mountRequested; }
    QTimer *checkTimer() const { return workingTimer; }
    QString shownText() const;
    QString shownPicture() const { return picture; }

public slots:
    // One tick of the 100 ms supervision (also called by the timer).
    void workingStateCheck();

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_pushButton_2_clicked();
    void on_pushButton_3_clicked();
    void on_pushButton_4_clicked();
    void on_pushButton_5_clicked();
    void on_pushButton_6_clicked();
    void on_icon_button_clicked();
    void sensorStateClose();
    void bladeFreePauseEnd();

private:
    void enableButton(bool enable);
    void showRow(const Row &row);
    void applyRow();
    void showLidOpen();
    void showStopButton(bool show);
    void showDirectionButtons(bool show);
    void queueRelease();
    void queueMove(int8_t newDirection, uint8_t command);
    void stopPhaseCheck();
    void stepCheck();
    void mountStateCheck();
    void finish();
    void updateServiceInfo();

    Ui::ReleaseBlade *ui;
    uint8_t stepRelease = 0;
    QTimer *workingTimer;
    uint16_t waitCicle = kStartWaitTicks;
    bool stopEnabled = false;
    bool stopClicked = false;
    bool checkState = false;
    int8_t direction = 0;

    QTimer *bladeFreePause;      // the pause once the blade is free
    bool mountRequested = false; // request 116 queued, its answer not yet seen
    bool servicePanel = false;
    bool sensorFormOpen = false; // the sensor page opened here is up
    QPointer<QWidget> sensorPage;
    bool lidShown = false;       // the close-the-machine message covers the row
    Row row{};                   // the step's picture and instruction
    QString picture;             // the picture on screen
    QMovie *lidMovie = nullptr;
};
