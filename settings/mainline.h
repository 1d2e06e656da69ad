#pragma once
// Supply frequency screen: the operator picks 50 or 60 Hz; confirming sends
// the choice to the board, stores it, asks the board for its identification
// again (its answer carries the frequency and voltage the board now uses) and
// closes. The screen is left only by confirming.

#include <QDialog>

class Dialog;

namespace Ui {
class mainline;
}

class mainline : public QDialog
{
    Q_OBJECT

public:
    // The board needs a moment for the frequency command before the
    // identification request, and the panel stays up briefly after it.
    static constexpr int kVersionRequestDelayMs = 600;
    static constexpr int kCloseDelayMs = 250;

    explicit mainline(QWidget *parent = nullptr);
    ~mainline() override;

    // True from the confirm key until the screen closes.
    bool confirming() const { return busy; }

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_hz50_clicked();
    void on_hz60_clicked();
    void on_confirm_clicked();
    void queueVersionRequest();
    void finish();

private:
    void changesettings();

    Ui::mainline *ui;
    Dialog *waitPanel = nullptr;
    bool busy = false;
};
