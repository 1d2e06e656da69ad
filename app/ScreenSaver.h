#pragma once
// The screen saver page: the machine logo ("/home/root/logo.png"); after a
// minute a cleaning reminder instead; after another minute the backlight goes
// down to its lowest level. A touch anywhere closes it. Hiding it restores the
// brightness, re-arms the screen saver and pushes its due time forward.
//
// It is a modal window while shown, so the touch that closes it reaches it
// even when an error dialog is waiting underneath.

#include <QWidget>

#include <cstdint>

class QTimer;

namespace Ui {
class ScreenSaver;
}

class ScreenSaver : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kStepMs = 60000;
    static constexpr int kDimLevel = 5;

    explicit ScreenSaver(QWidget *parent = nullptr);
    ~ScreenSaver() override;

    // 0 logo, 1 reminder text, 2 dimmed.
    uint8_t step() const { return idx_step; }
    bool timerActive() const;

public slots:
    void closeForm();
    // One step of the 60 s timer (also called by the timer).
    void stepTimeout();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showLogo();

    Ui::ScreenSaver *ui;
    QTimer *workingTimer;
    uint8_t idx_step = 0;
};
