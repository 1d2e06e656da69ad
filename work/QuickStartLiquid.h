#pragma once
// The cutting and whipping start screen: one of three program types (the
// soft, medium and hard presets of the function) or a program handed over,
// the repetitions of the emulsion block, the air option, and the start.

#include "work/WorkStartScreen.h"

namespace Ui {
class QuickStartLiquid;
}

class QuickStartLiquid : public WorkStartScreen
{
    Q_OBJECT

public:
    explicit QuickStartLiquid(QWidget *parent = nullptr);
    ~QuickStartLiquid() override;

    // function: 2 cutting, 3 whipping. With `remote` set the program already
    // in `actual` is the one shown (the caller chose it: the selection
    // screen's preset, or a program the remote application handed over);
    // otherwise the operator's default type of the function is chosen. The
    // second argument has no effect; it keeps the callers' form.
    void setFunction(int function, bool, bool remote);
    // 0 soft, 1 medium, 2 hard: that preset becomes `actual`, reloaded from
    // its file and set up for a liquid run.
    void setProgramType(int type);
    // The type whose preset is `actual`; -1 for a program of another kind.
    int programType() const;

public slots:
    void on_program_type_1_clicked();
    void on_program_type_2_clicked();
    void on_program_type_3_clicked();
    void on_repetition_plus_clicked();
    void on_repetition_minus_clicked();
    void on_air_press_clicked();
    void on_air_flow_clicked();
    void on_air_no_clicked();
    void on_return_home_clicked();
    void updateDisplay() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void setAir(int option);
    void retranslate();

    Ui::QuickStartLiquid *ui;
};
