#pragma once
// The clock page: day, month, year, hour and minute, each with a plus and a
// minus key, and a confirm key that sets the battery-backed clock. Setting the
// clock restarts every maintenance reminder from the new time (the reminder
// file goes). Opened at a first start, the confirm key reads "OK", there is
// no back key and no question is asked.

#include <QDialog>
#include <QPointer>

#include <cstdint>

#include "app/DialogMessage.h"

namespace Ui {
class SettingDate;
}

class SettingDate : public QDialog
{
    Q_OBJECT

public:
    SettingDate(QWidget *parent, bool firstStart);
    ~SettingDate() override;

    // Days in `month` (0-11) of `year` (years since 1900, leap every fourth).
    static int monthLength(int month, int year);

    // The question before the clock is set, while it is open.
    DialogMessage *question() const { return confirmQuestion; }

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_day_plus_clicked();
    void on_day_minus_clicked();
    void on_month_plus_clicked();
    void on_month_minus_clicked();
    void on_year_plus_clicked();
    void on_year_minus_clicked();
    void on_hour_plus_clicked();
    void on_hour_minus_clicked();
    void on_minute_plus_clicked();
    void on_minute_minus_clicked();
    void on_confirm_clicked();
    void on_back_clicked();
    void questionAnswered(int result);

private:
    void updateInfo();
    void applyTexts();
    void applyFonts();
    // Sets the clock, drops the reminders and closes; on a refused write the
    // page stays open with an error.
    void saveDate();

    Ui::SettingDate *ui;
    QPointer<DialogMessage> confirmQuestion;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t day = 1;
    uint8_t month = 0;
    uint16_t year = 70;
    bool firstStart = false;
    bool needSave = false;
};
