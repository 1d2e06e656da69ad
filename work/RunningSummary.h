#pragma once
// The run summary: what was asked and what was done, how long it took and
// how the run ended. Opening it settles the run's records: a registered
// beaker that was loaded is deleted and the milled portions go to the life
// counters. From here the operator goes home or reworks: the emulsion of the
// same program runs once more (the board skips the milling), followed by a
// new run monitor.

#include "app/WaitResponseCmd.h"
#include "data/WorkSettings.h"

#include <QDialog>
#include <QPointer>

class QTimer;

namespace Ui {
class RunningSummary;
}

class RunningSummary : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kPollMs = 700;

    enum class Outcome { Good, AbortedByUser, TooMuchProduct, InsufficientPortion };

    // `emulsionSteps`: emulsion steps the run monitor saw begin;
    // `workWithToMuchMaterial`: the operator chose to go on with a too full beaker.
    RunningSummary(QWidget *parent, int emulsionSteps, bool workWithToMuchMaterial);
    ~RunningSummary() override;

    // The beaker capacity handed on to the run monitor of a rework.
    void setGlassDimension(int dimension) { glassDimension = dimension; }

    // For tests and the screenshot tool.
    Outcome outcome() const { return result; }
    int requestedCycles() const { return requested; }
    int executedCycles() const { return executed; }
    bool reworkAvailable() const;
    WaitResponseCmd *reworkWait() const { return waitDialog; }

public slots:
    // One tick of the 700 ms poll (also called by the timer).
    void updateState();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void on_home_clicked();
    void on_rework_clicked();
    void reworkAnswered();

private:
    void retranslate();

    Ui::RunningSummary *ui;
    QTimer *timer;
    // The program as it ran: the run monitor reloads `actual` from its file
    // when the run ends, a rework runs what ran.
    WorkSettings ranProgram;
    Outcome result = Outcome::Good;
    int requested = 0;
    int executed = 0;
    uint32_t totalTime = 0;
    int glassDimension = 80;
    bool reworkStarted = false;
    QPointer<WaitResponseCmd> waitDialog;
};
