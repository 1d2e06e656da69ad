#pragma once
// The small message panel: at power-on a short welcome with the software
// version and the serial number, which closes by itself after about three
// seconds or on a touch, so nothing ever waits on it; screens that need a
// "please wait" panel while they talk to the board stop the automatic close
// and close it themselves.

#include <QDialog>
#include <QPixmap>

class QLabel;
class QTimer;

class Dialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kAutoCloseMs = 3000;

    explicit Dialog(QWidget *parent = nullptr);
    ~Dialog() override;

    // Keep the panel up until ext_close(); touches no longer close it.
    void autoclose_stop();
    // Close it from the screen that opened it.
    void ext_close();
    // Replaces the welcome text (for the "please wait" use).
    void setMessage(const QString &text);

    bool autoCloseActive() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void retranslate();

    QLabel *title = nullptr;
    QLabel *body = nullptr;
    QLabel *details = nullptr;
    QTimer *closeTimer = nullptr;
    QString customMessage;
    QPixmap backdrop;
    bool autoClose = true;
};
