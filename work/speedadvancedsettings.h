#pragma once
// The advanced page of the frostizing start: the speed offset of the preset
// in use (one step slower or faster than the preset), the portion weight,
// saving both, and the start.

#include "work/WorkStartScreen.h"

namespace Ui {
class speedadvancedsettings;
}

class speedadvancedsettings : public WorkStartScreen
{
    Q_OBJECT

public:
    // Portion dimensions the weight keys move between, in steps of 2 (the
    // weight shown is the dimension x 10 g).
    static constexpr int kMinDimension = 2;
    static constexpr int kMaxDimension = 14;

    // `aff_speed`: the base immersion speed of the preset the start screen
    // opened with; `filterNotifciation`: that screen already gave the filter
    // warning.
    speedadvancedsettings(QWidget *parent, int glassDimension, bool filterNotifciation, int aff_speed);
    ~speedadvancedsettings() override;

    int offset() const { return aff_speed_inc; }
    int baseSpeed() const { return aff_speed; }

public slots:
    void on_speed_plus_clicked();
    void on_speed_minus_clicked();
    void on_weight_plus_clicked();
    void on_weight_minus_clicked();
    void on_save_clicked();
    void on_return_home_clicked();
    void updateDisplay() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyFonts();
    void capPortions();

    Ui::speedadvancedsettings *ui;
    int aff_speed;
    int aff_speed_inc = 0;
    int page = 0; // p1/p2/p3_aff_speed of the preset, 0 for a recipe
    bool saved = false;
};
