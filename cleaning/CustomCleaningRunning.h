#pragma once
// The custom cleaning run: the remaining time, the blade going down and up
// while the board works, the repetitions of the cycle, the stop key (at
// most three stops per run) and, after a run that ended by itself without
// an error, the summary. It follows the board through the machine state the
// link thread keeps, from a timer; nothing here blocks.

#include <QString>
#include <QPointer>
#include <QWidget>

#include <cstdint>

class QTimer;

namespace Ui {
class CustomCleaningRunning;
}

class CustomCleaningRunning : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kCheckMs = 400;
    // After the board has taken a cycle, the first look at the machine
    // state waits this long: the status poll must have seen the run begin.
    static constexpr int kConfirmMs = 1500;
    static constexpr int kUpdateTimer = 200;
    static constexpr int kUpdateTimerFast = 30;
    static constexpr int kAnimationSteps = 120;
    static constexpr uint8_t kStopTries = 3;
    // The time shown when none is given.
    static constexpr int64_t kDefaultSeconds = 300;

    // `cicles`: repetitions still to send after the cycle already taken;
    // `seconds`: the time of all of them; `program`: the code the board took.
    CustomCleaningRunning(QWidget *parent, int cicles, int seconds, uint8_t program, const QString &title,
                          const QString &subtitle);
    ~CustomCleaningRunning() override;

    // For tests and the screenshot tool.
    QTimer *checkTimer() const { return timer; }
    int stopTriesLeft() const { return stopTry; }
    bool stopArmed() const { return state; }
    int repetitionsLeft() const { return cicleNumber; }
    uint8_t programCode() const { return selectedProgram; }
    bool runConfirmed() const { return !firstStart; }
    bool errorShown() const { return errorDisplayed; }
    QString remainingText() const;

public slots:
    // One tick (also called by the timer).
    void checkState();
    void on_stop_work_clicked();
    void on_icon_button_clicked();
    void sensorStateClose();
    void setErrorScreen(const QString &text);

protected:
    void changeEvent(QEvent *event) override;

private:
    void confirmRun();
    void animateBlade();
    void runEnded();
    void repetitionRefused();
    void stopMotorCounters();
    void showRemainingTime();
    void retranslate();

    Ui::CustomCleaningRunning *ui;
    QTimer *timer;
    int stepUp = kAnimationSteps;
    int stepDown = kAnimationSteps;
    bool firstStart = true;
    int64_t startTime = 0;
    int64_t stopTime = 0;
    int64_t calculatedTime = 0;
    int cicleNumber = 0;
    uint8_t selectedProgram = 0;
    bool userStop = false;
    bool calculateUpTime = true;
    uint8_t stopTry = kStopTries;
    bool state = true; // the stop key still takes a press
    bool errorDisplayed = false;
    QString errorText; // untranslated
    // A cycle was sent and the board's answer is still awaited.
    bool awaitingBoard = true;
    bool motorsCounting = false;
    bool summaryOpened = false;
    bool sensorFormOpen = false; // the sensor page opened here is up
    QPointer<QWidget> sensorPage;
    QString title;
    QString subtitle;
    int bladeTop = 0; // the blade icon's highest position
};
