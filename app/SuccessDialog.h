#pragma once
// The success toast: "SUCCESS" with a star; closes by itself after 5 s or at
// a touch.

#include <QDialog>

class QTimer;

namespace Ui {
class SuccessDialog;
}

class SuccessDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kCloseMs = 5000;

    explicit SuccessDialog(QWidget *parent = nullptr);
    ~SuccessDialog() override;

protected:
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Ui::SuccessDialog *ui;
    QTimer *timer;
};
