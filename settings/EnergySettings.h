#pragma once
// The energy page: display brightness and screen-saver delay, each with a
// plus and a minus key (held, they repeat). A value the user settings refuse
// leaves the shown value as it is; the back key stores the settings.

#include <QDialog>

namespace Ui {
class EnergySettings;
}

class EnergySettings : public QDialog
{
    Q_OBJECT

public:
    explicit EnergySettings(QWidget *parent = nullptr);
    ~EnergySettings() override;

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_brightness_plus_clicked();
    void on_brightness_minus_clicked();
    void on_saver_plus_clicked();
    void on_saver_minus_clicked();
    void on_back_clicked();

private:
    void changeBrightness(int step);
    void changeScreenSaver(int step);
    void showBrightness();
    void showScreenSaver();
    void applyFonts();

    Ui::EnergySettings *ui;
};
