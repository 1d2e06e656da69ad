#include "settings/SettingDate.h"
#include "ui_SettingDate.h"

#include "app/DialogMessage.h"
#include "app/Overlay.h"
#include "app/Utils.h"
#include "data/SystemCommand.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "settings/translator.h"

#include <QEvent>
#include <QFile>

namespace {

const char *const kReminderFile = "/home/root/reminder";

} // namespace

SettingDate::SettingDate(QWidget *parent, bool firstStart)
    : QDialog(parent), ui(new Ui::SettingDate)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(480, 272);

    const date now = readClockDate();
    // A clock that answers nonsense must not put the keys out of their ranges.
    day = now.day >= 1 && now.day <= 31 ? now.day : 1;
    month = now.month <= 11 ? now.month : 0;
    year = now.year;
    hour = now.hour <= 23 ? now.hour : 0;
    minute = now.minute <= 59 ? now.minute : 0;
    updateInfo();

    this->firstStart = firstStart;
    needSave = false;
    ui->back->setVisible(!firstStart);
    applyTexts();
    applyFonts();
    applyThemeColor(this);
}

SettingDate::~SettingDate()
{
    delete ui;
}

int SettingDate::monthLength(int month, int year)
{
    switch (month) {
    case 0:
    case 2:
    case 4:
    case 6:
    case 7:
    case 9:
    case 11:
        return 31;
    case 1:
        return year % 4 == 0 ? 29 : 28;
    default:
        return 30;
    }
}

void SettingDate::applyTexts()
{
    if (firstStart)
        ui->confirm->setText(tr("OK"));
}

void SettingDate::applyFonts()
{
    const QString family = transLanguage.currentFont();
    if (family.isEmpty())
        return;
    QFont f = font();
    f.setFamily(family);
    setFont(f);
}

void SettingDate::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        applyTexts();
        applyFonts();
    }
    QDialog::changeEvent(event);
}

void SettingDate::updateInfo()
{
    const int length = monthLength(month, year);
    if (day > length)
        day = static_cast<uint8_t>(length);
    ui->day_value->setText(QString::number(day));
    ui->month_value->setText(QString::number(month + 1));
    ui->year_value->setText(QString::number(year + 1900));
    ui->hour_value->setText(QString::number(hour));
    ui->minute_value->setText(QString::number(minute));
    needSave = true;
}

void SettingDate::on_day_plus_clicked()
{
    day = day >= monthLength(month, year) ? 1 : day + 1;
    updateInfo();
}

void SettingDate::on_day_minus_clicked()
{
    day = day < 2 ? static_cast<uint8_t>(monthLength(month, year)) : day - 1;
    updateInfo();
}

void SettingDate::on_month_plus_clicked()
{
    month = month >= 11 ? 0 : month + 1;
    updateInfo();
}

void SettingDate::on_month_minus_clicked()
{
    month = month == 0 ? 11 : month - 1;
    updateInfo();
}

void SettingDate::on_year_plus_clicked()
{
    ++year;
    updateInfo();
}

void SettingDate::on_year_minus_clicked()
{
    --year;
    updateInfo();
}

void SettingDate::on_hour_plus_clicked()
{
    hour = hour >= 23 ? 0 : hour + 1;
    updateInfo();
}

void SettingDate::on_hour_minus_clicked()
{
    hour = hour == 0 ? 23 : hour - 1;
    updateInfo();
}

void SettingDate::on_minute_plus_clicked()
{
    minute = minute >= 59 ? 0 : minute + 1;
    updateInfo();
}

void SettingDate::on_minute_minus_clicked()
{
    minute = minute == 0 ? 59 : minute - 1;
    updateInfo();
}

void SettingDate::on_back_clicked()
{
    if (!confirmQuestion)
        close();
}

void SettingDate::on_confirm_clicked()
{
    // One question at a time: a second touch while it is up asks nothing more.
    if (confirmQuestion)
        return;
    if (!needSave) {
        close();
        return;
    }
    if (firstStart) {
        saveDate();
        return;
    }
    // Asked without blocking: the home screen's poll goes on meanwhile.
    confirmQuestion = OpenDialogMsg(this, tr("Do you want to update the date?"), 0, false, QString(), QString());
    if (confirmQuestion)
        connect(confirmQuestion, &QDialog::finished, this, &SettingDate::questionAnswered);
}

void SettingDate::questionAnswered(int result)
{
    if (result == QDialog::Accepted)
        saveDate();
    else
        close();
}

void SettingDate::saveDate()
{
    if (!saveToRtc(day, month, year, hour, minute)) {
        // The clock keeps its old time: say so, and let the operator try again
        // or leave; the reminders stay as they are.
        platform::debugLine("SettingDate: scrittura orologio fallita");
        DisplayError(tr("The clock could not be set."), QString(), false);
        return;
    }
    // Every reminder date was taken on the old clock: they restart from the new one.
    const QString reminder = QString::fromStdString(platform::path(kReminderFile));
    if (QFile::exists(reminder) && !QFile::remove(reminder))
        platform::debugLine("SettingDate: impossibile cancellare " + reminder.toStdString());
    syscmd::runSync();
    accept();
}
