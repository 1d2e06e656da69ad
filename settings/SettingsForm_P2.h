#pragma once
// The firmware page of the settings: the machine board's firmware version,
// the display software's version and the firmware file found on the USB
// stick, and the key that flashes that file into the board. The transfer
// itself is the link thread's; this page checks the file, queues the update
// command, follows the transfer with a progress bar and tells how it ended.

#include "app/WaitResponseCmd.h"

#include <QPointer>
#include <QWidget>

class QTimer;

namespace Ui {
class SettingsForm_P2;
}

class SettingsForm_P2 : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 500;

    explicit SettingsForm_P2(QWidget *parent = nullptr);
    ~SettingsForm_P2() override;

    // The progress dialog while an update started here runs.
    WaitResponseCmd *progressDialog() const { return progress; }

public slots:
    void updateFirmware();
    // The progress dialog has closed: how the update ended.
    void waitResponseCmdEnd();

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_update_clicked();
    void on_back_clicked();
    // The versions and the file as they are now.
    void refresh();

private:
    void applyFonts();

    Ui::SettingsForm_P2 *ui;
    QTimer *refreshTimer;
    QPointer<WaitResponseCmd> progress;
    // What the value labels were last given (the file name may be rolling).
    QString shownBoard, shownSoftware, shownFile;
};
