#include "work/speedadvancedsettings.h"
#include "ui_speedadvancedsettings.h"

#include "app/Overlay.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/Tables.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "work/ScreenLook.h"
#include "work/quickstart.h"

#include <QEvent>

#include <algorithm>

speedadvancedsettings::speedadvancedsettings(QWidget *parent, int glassDimension, bool filterNotifciation,
                                             int aff_speed)
    : WorkStartScreen(parent, 1, glassDimension), ui(new Ui::speedadvancedsettings), aff_speed(aff_speed)
{
    ui->setupUi(this);
    this->filterNotifciation = filterNotifciation;
    setBaseSpeed(aff_speed);
    page = presetPage(*actual);
    aff_speed_inc = page ? std::clamp(settings.getAffSpeed(page), -1, 1) : 0;
    // A recipe runs at its own speeds: only a preset has an offset.
    ui->speed_plus->setEnabled(page != 0);
    ui->speed_minus->setEnabled(page != 0);
    applyThemeColor(this);
    applyFonts();
    updateDisplay();
}

speedadvancedsettings::~speedadvancedsettings()
{
    delete ui;
}

void speedadvancedsettings::on_speed_plus_clicked()
{
    // At most one step faster, and never past the fastest speed there is.
    if (page && aff_speed + aff_speed_inc < IMMERSION_SPEED_TABLE_SIZE - 1 && aff_speed_inc < 1) {
        ++aff_speed_inc;
        settings.setAffSpeed(page, aff_speed_inc);
    }
    updateDisplay();
}

void speedadvancedsettings::on_speed_minus_clicked()
{
    if (page && aff_speed + aff_speed_inc > 1 && aff_speed_inc >= 0) {
        --aff_speed_inc;
        settings.setAffSpeed(page, aff_speed_inc);
    }
    updateDisplay();
}

void speedadvancedsettings::capPortions()
{
    // What the beaker holds at this portion size, as on the start screen.
    const int most = quickstart::maxPortionsFor(*actual, glassDimension);
    if (actual->getPortion() > most)
        actual->setPortion(uint8_t(most));
}

void speedadvancedsettings::on_weight_plus_clicked()
{
    const int dimension = actual->getPortionDimension();
    if (dimension < kMaxDimension - 1) {
        // The step the larger portion adds starts as a copy of the last one.
        const int next = dimension / 2;
        if (next >= 1 && next < MILLING_STEPS) {
            const MillingStep last = actual->getMillingSteps(next - 1);
            actual->setMillingSteps(last.CutSpeed, last.ImmersionSpeed, next);
        }
        actual->setPortionDimension(uint8_t(dimension + 2));
        capPortions();
    }
    updateDisplay();
}

void speedadvancedsettings::on_weight_minus_clicked()
{
    const int dimension = actual->getPortionDimension();
    if (dimension > kMinDimension + 1)
        actual->setPortionDimension(uint8_t(dimension - 2));
    updateDisplay();
}

void speedadvancedsettings::on_save_clicked()
{
    const bool programSaved = actual->Save(QString());
    const bool settingsSaved = settings.save();
    if (!programSaved || !settingsSaved)
        return; // each store has told the operator already
    saved = true;
    ui->save->setText(tr("MOMORIZE"));
    look::setStyle(ui->save, look::kChosenKey);
    look::fitKeyText(ui->save, 12);
}

void speedadvancedsettings::on_return_home_clicked()
{
    close();
}

void speedadvancedsettings::updateDisplay()
{
    ui->speed_value->setText(QString::number(aff_speed_inc));
    ui->speed_note->setText(page ? tr("Speed %1 of %2").arg(offsetSpeed(aff_speed, aff_speed_inc)).arg(
                                       IMMERSION_SPEED_TABLE_SIZE - 1)
                                 : QString());
    ui->weight_value->setText(QString::number(actual->getPortionDimension() * 10) + "g");
    ui->weight_note->setText(tr("Portions: %1").arg(actual->getPortion()));
    look::setStyle(ui->start_work, actual->getPortion() >= 1 ? look::kStartReady : look::kStartIdle);
}

void speedadvancedsettings::applyFonts()
{
    look::setFontSize(ui->page_title, 13, true);
    for (QLabel *l : {ui->speed_caption, ui->weight_caption})
        look::setFontSize(l, 12, true);
    for (QLabel *l : {ui->speed_note, ui->weight_note})
        look::setFontSize(l, 11);
    look::setFontSize(ui->speed_value, 26, true);
    look::setFontSize(ui->weight_value, 22, true);
    for (QPushButton *k : {ui->speed_plus, ui->speed_minus, ui->weight_plus, ui->weight_minus})
        look::setFontSize(k, 24, true);
    for (QPushButton *k : {ui->return_home, ui->save, ui->start_work}) {
        look::setFontSize(k, 13, true);
        look::fitKeyText(k, k == ui->start_work ? 15 : 12);
    }
}

void speedadvancedsettings::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        if (saved)
            ui->save->setText(tr("MOMORIZE"));
        applyFonts();
        updateDisplay();
    }
    QWidget::changeEvent(event);
}
