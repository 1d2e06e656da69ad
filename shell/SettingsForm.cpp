#include "shell/SettingsForm.h"
#include "ui_SettingsForm.h"

#include "app/Overlay.h"
#include "app/Utils.h"
#include "settings/LanguageList.h"
#include "settings/mainline.h"
#include "settings/translator.h"

#include <QEvent>
#include <QFontMetrics>

SettingsForm::SettingsForm(QWidget *parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::SettingsForm)
{
    ui->setupUi(this);
    setFixedSize(480, 272);
    applyThemeColor(this);
    applyFonts();
}

SettingsForm::~SettingsForm()
{
    delete ui;
}

void SettingsForm::applyFonts()
{
    QFont title(transLanguage.currentFont());
    title.setPointSize(13);
    title.setBold(true);
    ui->page_title->setFont(title);
    QFont body(transLanguage.currentFont());
    body.setPointSize(13);
    ui->back->setFont(body);
    // The tiles share one size, small enough for the longest name to fit.
    for (int pt = 13; pt > 9; --pt) {
        body.setPointSize(pt);
        const QFontMetrics m(body);
        bool fits = true;
        for (QAbstractButton *tile : {ui->language, ui->supply, ui->firmware})
            fits = fits && m.horizontalAdvance(tile->text()) <= tile->width() - 16;
        if (fits)
            break;
    }
    for (QAbstractButton *tile : {ui->language, ui->supply, ui->firmware})
        tile->setFont(body);
}

void SettingsForm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        applyFonts();
    }
    QWidget::changeEvent(event);
}

void SettingsForm::on_language_clicked()
{
    if (languageList)
        return;
    languageList = new LanguageList(this, false);
    languageList->setAttribute(Qt::WA_DeleteOnClose);
    languageList->open();
}

void SettingsForm::on_supply_clicked()
{
    if (supplyScreen)
        return;
    supplyScreen = new mainline(this);
    supplyScreen->setAttribute(Qt::WA_DeleteOnClose);
    supplyScreen->open();
}

void SettingsForm::on_firmware_clicked()
{
    if (firmwareScreen)
        return;
    firmwareScreen = new SettingsForm_P2(this);
    firmwareScreen->setAttribute(Qt::WA_DeleteOnClose);
    firmwareScreen->show();
}

void SettingsForm::on_back_clicked()
{
    close();
}
