#pragma once
// The "LOADING JOB" wait panel that follows a board command. With automatic
// close it checks every 500 ms whether every awaited command has been answered
// (checkWaitStateVar) and then closes itself; with the progress bar on it
// shows the transfer progress (actualWaitProgress). It covers the screen and
// takes the touches while it is up.

#include <QString>
#include <QWidget>

class QMovie;
class QTimer;

namespace Ui {
class WaitResponseCmd;
}

class WaitResponseCmd : public QWidget
{
    Q_OBJECT

public:
    explicit WaitResponseCmd(QWidget *parent = nullptr, bool automaticClose = true);
    ~WaitResponseCmd() override;

    // Replaces "LOADING JOB".
    void setDisplayText(const QString &text);
    QString displayText() const;
    // Turns the progress bar on with this range and resets actualWaitProgress.
    void setProgressMinMax(int min, int max);
    bool progressBarActive() const { return activeProgressBar; }
    int progressValue() const;
    bool automaticClose() const { return _automatic_Close; }

public slots:
    // One tick of the 500 ms check (also called by the timer).
    void updateState();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Ui::WaitResponseCmd *ui;
    QTimer *timer;
    QMovie *movie;
    int updateTimer = 500;
    // Kept from the original design; the panel waits for the link's answers,
    // which always come (acknowledged, refused or lost after the retries).
    int maxWaitingCicle = 20;
    bool activeProgressBar = false;
    bool _automatic_Close;
    bool customText = false;
};
