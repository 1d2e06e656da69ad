#pragma once
// The settings menu of the home screen. It holds the settings pages that
// exist so far (language, supply frequency, firmware); later pages join it.

#include "settings/LanguageList.h"
#include "settings/SettingsForm_P2.h"
#include "settings/mainline.h"

#include <QPointer>
#include <QWidget>


namespace Ui {
class SettingsForm;
}

class SettingsForm : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsForm(QWidget *parent = nullptr);
    ~SettingsForm() override;

    LanguageList *languagePage() const { return languageList; }
    mainline *supplyPage() const { return supplyScreen; }
    SettingsForm_P2 *firmwarePage() const { return firmwareScreen; }

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_language_clicked();
    void on_supply_clicked();
    void on_firmware_clicked();
    void on_back_clicked();

private:
    void applyFonts();

    Ui::SettingsForm *ui;
    QPointer<LanguageList> languageList;
    QPointer<mainline> supplyScreen;
    QPointer<SettingsForm_P2> firmwareScreen;
};
