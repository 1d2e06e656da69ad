#include "settings/EnergySettings.h"
#include "ui_EnergySettings.h"

#include "app/Overlay.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/UserSettings.h"
#include "platform/log.h"
#include "settings/translator.h"

#include <QEvent>

namespace {

// The shortest delay the settings take; below it the screen saver is off.
constexpr int kShortestScreenSaver = 25;
constexpr int kValuePt = 22;

} // namespace

EnergySettings::EnergySettings(QWidget *parent) : QDialog(parent), ui(new Ui::EnergySettings)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(480, 272);
    applyFonts();
    applyThemeColor(this);
    showBrightness();
    showScreenSaver();
}

EnergySettings::~EnergySettings()
{
    delete ui;
}

void EnergySettings::applyFonts()
{
    QFont f = font();
    if (!transLanguage.currentFont().isEmpty())
        f.setFamily(transLanguage.currentFont());
    setFont(f);
    for (QLabel *caption : {ui->brightness_label, ui->saver_label}) {
        QFont c = f;
        c.setPointSize(13);
        caption->setFont(c);
        fitTextToLabel(caption, 13, 9);
    }
    for (QLabel *value : {ui->brightness_value, ui->saver_value}) {
        QFont v = f;
        v.setBold(true);
        value->setFont(v);
    }
}

void EnergySettings::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        applyFonts();
        showBrightness();
        showScreenSaver();
    }
    QDialog::changeEvent(event);
}

void EnergySettings::showBrightness()
{
    ui->brightness_value->setText(QString::number(settings.getBrightness()));
    fitTextToLabel(ui->brightness_value, kValuePt, 10);
}

void EnergySettings::showScreenSaver()
{
    const int seconds = settings.getScreenSaverTime();
    ui->saver_value->setText(seconds == 0 ? tr("OFF") : QString::number(seconds));
    ui->saver_unit->setVisible(seconds != 0);
    // "Off" is a word, longer in some languages than any number.
    fitTextToLabel(ui->saver_value, kValuePt, 10);
}

void EnergySettings::changeBrightness(int step)
{
    // The settings set the backlight at once when they take the value.
    if (settings.setMyBrightness(settings.getBrightness() + step))
        showBrightness();
}

void EnergySettings::changeScreenSaver(int step)
{
    const int now = settings.getScreenSaverTime();
    // From "off" the plus key goes to the shortest delay: one second more
    // would still be below it, and the screen saver could never be turned
    // on again from here.
    const int wanted = now == 0 && step > 0 ? kShortestScreenSaver : now + step;
    const bool accepted = settings.setScreenSaverTime(wanted);
    // Below the shortest delay the settings turn the screen saver off while
    // refusing the value: the page shows what is now in force.
    if (accepted || settings.getScreenSaverTime() != now)
        showScreenSaver();
}

void EnergySettings::on_brightness_plus_clicked()
{
    changeBrightness(1);
}

void EnergySettings::on_brightness_minus_clicked()
{
    changeBrightness(-1);
}

void EnergySettings::on_saver_plus_clicked()
{
    changeScreenSaver(1);
}

void EnergySettings::on_saver_minus_clicked()
{
    changeScreenSaver(-1);
}

void EnergySettings::on_back_clicked()
{
    if (!settings.save()) {
        // The values stay in force until the next start, which would bring
        // the old ones back: the operator must know.
        platform::debugLine("EnergySettings: salvataggio impostazioni utente fallito");
        DisplayError(tr("The settings could not be saved."), QString(), false);
    }
    close();
}
