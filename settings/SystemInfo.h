#pragma once
// The system information page: what a technician on the telephone asks the
// operator first. Software and machine firmware versions, serial number,
// mains supply, the Wi-Fi network and the machine's network address. The
// values are read again every second while the page is open (the board's
// firmware version may arrive after the page was opened); a value that is not
// known reads "-".

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QWidget>

#include <string>

class QLabel;
class QTimer;

namespace Ui {
class SystemInfo;
}

class SystemInfo : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 1000;

    explicit SystemInfo(QWidget *parent = nullptr);
    ~SystemInfo() override;

    // One address of a network interface, as the address choice sees it.
    struct InterfaceAddress
    {
        QString interfaceName;
        QHostAddress address;
        bool loopback = false;
        bool up = true;
    };
    // The machine's address: the first IPv4 address of wlan0, else the first
    // IPv4 address of any other interface that is up and not the loopback;
    // empty when there is none.
    static QString chooseAddress(const QList<InterfaceAddress> &addresses);
    // The addresses of this system's interfaces.
    static QList<InterfaceAddress> systemAddresses();

    // A text from a file or the board fit for a label: control characters
    // dropped, blanks trimmed; shownText() gives "-" when nothing is left.
    static QString cleanText(const QString &raw);
    static QString shownText(const QString &raw);
    static QString shownText(const std::string &raw) { return shownText(QString::fromStdString(raw)); }
    // The mains line: the voltage the board reports ("230V 50Hz"), else the
    // voltage of the settings when it is a number of volts; the frequency of
    // the settings, else the board's: "230 V  50 Hz", "50 Hz" or "-".
    static QString mainsText(const QString &boardMains, const QString &voltage, const QString &hz);

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_back_clicked();
    void refresh();

private:
    void applyFonts();
    // Sets a value label when its text changed; a text wider than the label rolls.
    void setValue(QLabel *label, const QString &text);

    Ui::SystemInfo *ui;
    QTimer *refreshTimer;
};
