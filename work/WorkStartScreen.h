#pragma once
// What the program start screens share: the start checks, the question about
// settings that may damage the machine, the queueing of the work sequence
// and, once the board has taken it, the run monitor.

#include "app/DialogMessage.h"
#include "app/WaitResponseCmd.h"
#include "data/WorkSettings.h"
#include "work/running.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>

class WorkStartScreen : public QWidget
{
    Q_OBJECT

public:
    ~WorkStartScreen() override;

    // 1 frostizing, 2 cutting, 3 whipping.
    int function() const { return functionCode; }
    int getGlassDimension() const { return glassDimension; }
    // The filter warning has been shown by this screen.
    bool filterWarned() const { return filterNotifciation; }

    // What the start has opened, for the tests and the screenshot tool.
    DialogMessage *dangerQuestion() const { return question; }
    WaitResponseCmd *waitDialog() const { return wait; }
    running *runMonitor() const { return monitor; }

    // Which of the user settings p1/p2/p3_aff_speed belongs to the program:
    // 1, 2 or 3 for the frostizing presets, 0 for anything else.
    static int presetPage(const WorkSettings &program);
    // The immersion speed a frostizing preset runs at: its base speed plus
    // the operator's offset, the offset kept to -1..+1 and the sum to the
    // speeds the machine has (1 to 8).
    static uint8_t offsetSpeed(int base, int offset);
    // Whether any step the board is to run pairs a cut and an immersion
    // speed that the function's limits forbid.
    static bool hasForbiddenPair(const WorkSettings &program, int function);

    // The air options: pressure, flow, none.
    enum Air { AirPress = 0, AirFlow = 1, AirNone = 2 };
    // Sets the option on the milling pressure and on all eight emulsion steps.
    static void applyAir(WorkSettings &program, int option);
    // The option the program's milling pressure matches; -1 for none.
    static int airOption(const WorkSettings &program);
    // One repetition of the emulsion block more (+1) or less (-1), within
    // what the program's mode allows.
    static void changeRepetitions(WorkSettings &program, int delta);

public slots:
    void on_start_work_clicked();
    void waitResponseCmdEnd();
    // Shows the program as it now stands (after a change, or when a screen
    // opened from here is gone).
    virtual void updateDisplay() {}

protected:
    WorkStartScreen(QWidget *parent, int function, int glassDimension);

    void setFunctionCode(int function) { functionCode = function; }
    // The immersion speed of the preset's first milling step as the screen
    // found it; the operator's offset is added to it at each start.
    void setBaseSpeed(int speed) { baseSpeed = speed; }
    int getBaseSpeed() const { return baseSpeed; }

    int glassDimension;
    bool filterNotifciation = false;

private:
    // The checks in their order; false when one failed (its message shown).
    bool checksPass();
    void dangerAnswered(int result);
    void queueRun();
    void restoreSteps();

    int functionCode;
    int baseSpeed = 0;
    QPointer<DialogMessage> question;
    QPointer<WaitResponseCmd> wait;
    QPointer<running> monitor;
    // The steps of `actual` before the speed offset went into them, put back
    // when the board does not take the run.
    bool stepsSaved = false;
    MillingStep savedMilling[MILLING_STEPS] = {};
    EmulsionStep savedEmulsion[EMULSION_STEPS] = {};
};
