#pragma once
// The error dialog behind DisplayError(): a text, an optional picture or
// animation, and one key that closes it.

#include <QDialog>
#include <QString>

class QMovie;
class QTimer;

namespace Ui {
class ErrorMessage;
}

class ErrorMessage : public QDialog
{
    Q_OBJECT

public:
    // `resource`: a picture or animation (may be empty), played as a movie
    // scaled to its label. `machineError`: titled "ERROR" in the error colour
    // instead of "WARNING". `blink`: the title flashes to draw attention.
    ErrorMessage(QWidget *parent, const QString &resource, bool machineError = false, bool blink = false);
    ~ErrorMessage() override;

    void setDisplayMessage(const QString &text);
    QString displayMessage() const { return message; }
    bool isMachineError() const { return machineError; }

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void on_ok_clicked();
    void blinkTick();

private:
    void retranslate();
    void applyTitleStyle(bool lit);

    Ui::ErrorMessage *ui;
    QMovie *movie = nullptr;
    QTimer *blinkTimer = nullptr;
    QString message;
    bool machineError;
    bool lit = true;
};
