#pragma once
// Manual handling: while the board reports the machine not ready and no
// beaker in place, the operator moves the blade axis by hand. Each direction
// key repeats every 400 ms while held and queues one move per repeat;
// reversing cancels the moves of the old direction not yet sent.
//
// The home screen owns one hidden instance and shows or hides it as the
// machine state requires.

#include <QWidget>

#include <cstdint>

namespace Ui {
class ManualHandling;
}

class ManualHandling : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRepeatMs = 400;

    explicit ManualHandling(QWidget *parent = nullptr);
    ~ManualHandling() override;

    // Direction of the last move queued: 0 none yet, 1 first, -1 second.
    int8_t currentDirection() const { return direction; }

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_pushButton_4_clicked();
    void on_pushButton_5_clicked();

private:
    void queueMove(int8_t newDirection, uint8_t command);

    Ui::ManualHandling *ui;
    int8_t direction = 0;
};
