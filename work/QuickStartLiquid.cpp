#include "work/QuickStartLiquid.h"
#include "ui_QuickStartLiquid.h"

#include "app/Overlay.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "work/ScreenLook.h"

#include <QEvent>

namespace {

// The presets of a function by type: cutting for 2, whipping otherwise.
WorkSettings *presetOf(int function, int type)
{
    WorkSettings *const cuttingPresets[] = {cutting_soft, cutting_medium, cutting_hard};
    WorkSettings *const whippingPresets[] = {whipping_soft, whipping_medium, whipping_hard};
    if (type < 0 || type > 2)
        return nullptr;
    return function == 2 ? cuttingPresets[type] : whippingPresets[type];
}

} // namespace

QuickStartLiquid::QuickStartLiquid(QWidget *parent)
    : WorkStartScreen(parent, 2, 80), ui(new Ui::QuickStartLiquid)
{
    ui->setupUi(this);
    for (QAbstractButton *k : {ui->repetition_plus, ui->repetition_minus}) {
        k->setAutoRepeatDelay(400);
        k->setAutoRepeatInterval(150);
    }
    applyThemeColor(this);
    retranslate();
    updateDisplay();
}

QuickStartLiquid::~QuickStartLiquid()
{
    delete ui;
}

void QuickStartLiquid::setFunction(int function, bool, bool remote)
{
    setFunctionCode(function == 2 ? 2 : 3);
    // A preset chosen by the caller (the home screen's selection) is prepared
    // as its program type key would; a recipe (a remote start) runs as it is.
    const int chosenPreset = programType();
    if (!remote)
        setProgramType(settings.getDefaultChoise(this->function())); // 0 soft, 1 medium, 2 hard
    else if (chosenPreset >= 0)
        setProgramType(chosenPreset);
    retranslate();
    updateDisplay();
}

void QuickStartLiquid::setProgramType(int type)
{
    WorkSettings *preset = presetOf(function(), type);
    if (!preset)
        return;
    actual = preset;
    actual->Load();
    actual->setPortionDimension(2);
    actual->setEmulsionWorkingMode(EMULSION_STEP_DISABLED);
    // One descent step at the preset's speeds; the emulsion block as the
    // preset holds it, repeated as often as the operator then sets.
    const MillingStep first = actual->getMillingSteps(0);
    actual->setMillingSteps(first.CutSpeed, first.ImmersionSpeed);
    updateDisplay();
}

int QuickStartLiquid::programType() const
{
    for (int type = 0; type < 3; ++type)
        if (actual && actual == presetOf(function(), type))
            return type;
    return -1;
}

void QuickStartLiquid::on_program_type_1_clicked()
{
    setProgramType(0);
}

void QuickStartLiquid::on_program_type_2_clicked()
{
    setProgramType(1);
}

void QuickStartLiquid::on_program_type_3_clicked()
{
    setProgramType(2);
}

void QuickStartLiquid::on_repetition_plus_clicked()
{
    changeRepetitions(*actual, +1);
    updateDisplay();
}

void QuickStartLiquid::on_repetition_minus_clicked()
{
    changeRepetitions(*actual, -1);
    updateDisplay();
}

void QuickStartLiquid::setAir(int option)
{
    applyAir(*actual, option);
    updateDisplay();
}

void QuickStartLiquid::on_air_press_clicked()
{
    setAir(AirPress);
}

void QuickStartLiquid::on_air_flow_clicked()
{
    setAir(AirFlow);
}

void QuickStartLiquid::on_air_no_clicked()
{
    setAir(AirNone);
}

void QuickStartLiquid::on_return_home_clicked()
{
    close();
}

void QuickStartLiquid::updateDisplay()
{
    if (!actual)
        return;
    const int type = programType();
    QPushButton *typeKeys[] = {ui->program_type_1, ui->program_type_2, ui->program_type_3};
    for (int i = 0; i < 3; ++i)
        look::setStyle(typeKeys[i], i == type ? look::kChosenKey : look::kChoiceKey);
    ui->repetition_value->setText(QString::number(actual->getTotalEmulsionCicle()));
    const int air = airOption(*actual);
    QPushButton *airKeys[] = {ui->air_press, ui->air_flow, ui->air_no};
    for (int i = 0; i < 3; ++i)
        look::setStyle(airKeys[i], i == air ? look::kChosenKey : look::kChoiceKey);
    ui->time_value->setText(look::minutesSeconds(actual->calculateTotalWorkingTime(0)));
    look::setStyle(ui->start_work, look::kStartReady);
}

void QuickStartLiquid::retranslate()
{
    ui->page_title->setText(function() == 2 ? tr("CUTTING") : tr("WHIPPING"));
    look::setFontSize(ui->page_title, 13, true);
    for (QLabel *l : {ui->repetition_caption, ui->air_caption})
        look::setFontSize(l, 11, true);
    look::setFontSize(ui->time_caption, 11);
    look::setFontSize(ui->time_value, 15, true);
    look::setFontSize(ui->repetition_value, 26, true);
    for (QPushButton *k : {ui->repetition_plus, ui->repetition_minus})
        look::setFontSize(k, 24, true);
    for (QPushButton *k : {ui->program_type_1, ui->program_type_2, ui->program_type_3, ui->air_press, ui->air_flow,
                           ui->air_no, ui->return_home, ui->start_work})
        look::setFontSize(k, 13, k != ui->air_press && k != ui->air_flow && k != ui->air_no);
    look::fitKeysText({ui->program_type_1, ui->program_type_2, ui->program_type_3}, 15);
    look::fitKeysText({ui->air_press, ui->air_flow, ui->air_no}, 12);
    look::fitKeyText(ui->return_home, 13);
    look::fitKeyText(ui->start_work, 15);
}

void QuickStartLiquid::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslate();
        updateDisplay();
    }
    QWidget::changeEvent(event);
}
