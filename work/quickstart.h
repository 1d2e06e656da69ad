#pragma once
// The frostizing start screen: the program in `actual` (a frostizing preset
// or a recipe), the number of portions with the beaker they come from, the
// repetitions of the emulsion block, the air option, the advanced page, and
// the start.

#include "work/WorkStartScreen.h"
#include "work/speedadvancedsettings.h"

#include <QElapsedTimer>
#include <QPointer>

namespace Ui {
class quickstart;
}

class quickstart : public WorkStartScreen
{
    Q_OBJECT

public:
    // The portions a registered beaker gives are its residual content times
    // this factor: the content is kept in portions already, so 1.
    static constexpr double porH = 1.0;
    // Presses closer than this count as one held key.
    static constexpr int kRepeatGapMs = 1000;

    explicit quickstart(QWidget *parent = nullptr, unsigned char glassDimension = 80);
    ~quickstart() override;

    int getPortion() const { return portion; }
    // Most portions the program can take from the beaker.
    int maxPortions() const;
    // The same for any program and beaker capacity: a registered beaker's
    // content when one is loaded (actualSelectedGlass), else the capacity,
    // over the portion dimension.
    static int maxPortionsFor(const WorkSettings &program, int glassDimension);
    // Whether the portion keys repeat while held.
    bool portionKeysRepeat() const;
    speedadvancedsettings *advancedPage() const { return advanced; }

public slots:
    void on_portion_plus_clicked();
    void on_portion_minus_clicked();
    void on_repetition_plus_clicked();
    void on_repetition_minus_clicked();
    void on_air_press_clicked();
    void on_air_flow_clicked();
    void on_air_no_clicked();
    void on_adv_settings_clicked();
    void on_return_home_clicked();
    void updateDisplay() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void portionPressed();
    void setPortionCount(int n);
    void setAir(int option);
    void retranslate();

    Ui::quickstart *ui;
    int portion = 0;
    QElapsedTimer lastPressedPortionButton;
    int numberOfPressedPortionButton = 0;
    QPointer<speedadvancedsettings> advanced;
};
