#pragma once
// The work anomaly warning: the board reports a milling run in progress when
// the program has just started (after a power cut in the middle of a run).
// The operator may stop it (two presses at most) or wait; the warning closes
// by itself once the board no longer reports work.

#include <QDialog>

class QTimer;

namespace Ui {
class AnomalyWorking;
}

class AnomalyWorking : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kCheckMs = 100;
    static constexpr int kStopPresses = 2;

    explicit AnomalyWorking(QWidget *parent = nullptr);
    ~AnomalyWorking() override;

    int stopPressesLeft() const { return stopCount; }

public slots:
    // One tick of the 100 ms check (also called by the timer).
    void workingStateCheck();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void done(int result) override;

private slots:
    void on_stop_clicked();

private:
    Ui::AnomalyWorking *ui;
    QTimer *timer;
    int stopCount = kStopPresses;
    bool screenSaverWasEnabled;
};
