#pragma once
// The live sensor page for the service technician: the board's twelve
// switches, read every 300 ms from the sensor word the link thread polls
// while the page is open (link/SensorBits.h says which bit is which), and
// their export to the USB stick as "sensor_state_<date>.csv".
//
// The opener makes it delete itself on close and follows its destroyed()
// signal. While it is open the screen saver is held off; on close the link
// stops polling the sensors once no sensor page is left open.

#include <QWidget>

#include <cstdint>
#include <string>

class QLabel;
class QTimer;

namespace Ui {
class SensorState;
}

class SensorState : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 300;
    static constexpr int kSensors = 12;

    explicit SensorState(QWidget *parent = nullptr);
    ~SensorState() override;

    // The state shown for sensor `index` (table order), and its name.
    QString stateText(int index) const;
    QString nameText(int index) const;

    // The export file for the day of `nowSeconds` (local time), as a board path.
    static std::string exportPath(int64_t nowSeconds);
    // The export's content for a sensor word: fixed names and states, so
    // that files from machines in any language read alike.
    static QByteArray exportContent(uint16_t word);

protected:
    void changeEvent(QEvent *event) override;

private slots:
    // Shows the sensor word as it is now.
    void checkErrorOccured();
    void on_info_save_clicked();
    void on_back_clicked();

private:
    void showWord(uint16_t word);
    void applyFonts();

    Ui::SensorState *ui;
    QTimer *timer;
    QLabel *names[kSensors] = {};
    QLabel *states[kSensors] = {};
    bool screenSaverWasEnabled;
    int shownWord = -1;
};
