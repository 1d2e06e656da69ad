#pragma once
// The Wi-Fi manager: the networks in reach listed by signal quality, four at
// a time; choosing one asks for its password on the on-screen keyboard,
// writes the wireless configuration through the user settings, restarts the
// interface and checks that it joined. It also shows the stored network's
// details and forgets it.
//
// Every wireless tool runs as a child process (ToolRun): the screen, and the
// home screen's poll beneath it, go on while a tool works. The connect steps
// run as a chain, one tool after the other, behind the waiting panel.

#include "app/ToolRun.h"

#include <QByteArray>
#include <QDialog>
#include <QPointer>
#include <QStringList>

#include <functional>

class QLabel;
class QTimer;

namespace Ui {
class WiFiManager;
}

class WiFiManager : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kFirstScanMs = 100;
    static constexpr int kScanPeriodMs = 30000;
    static constexpr int kRows = 4;
    static constexpr int kRollChars = 25;
    static constexpr int kSuccessShownMs = 15000;

    explicit WiFiManager(QWidget *parent = nullptr);
    ~WiFiManager() override;

    // The quality word of a signal_level value (0..4).
    static QString qualityWord(int level);

    // What the last scan found, in display order (for tests and the
    // screenshot tool): names, encryption types (0 open, 1 WEP, 2 WPA2),
    // qualities (0..4). The three lists always have the same length.
    const QStringList &networks() const { return wifiESSID; }
    const QByteArray &encryptionTypes() const { return encryption_type; }
    const QByteArray &signalLevels() const { return signal_level; }
    int firstVisibleRow() const { return idxList; }
    // A connect or forget chain is running (the waiting panel is up).
    bool busy() const { return chainRunning; }
    QTimer *scanTimer() const { return findTimer; }

    // Reads the output of "iwlist wlan0 scanning" into the three lists, in
    // scan order, one entry per cell that names a network.
    void parseScan(const QByteArray &output);

signals:
    // A scan's result is listed.
    void scanListed();
    // A connect or forget chain has ended (the waiting panel is gone).
    void chainEnded();

public slots:
    void findActiveWirelesses();
    void settingvalueshow_clicked();
    void settingvaluehide_clicked();
    void populateList();
    void reorderList();

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_wifikey_clicked();
    void on_pushButton_5_clicked();
    void on_pushButton_8_clicked();
    void on_settingvaluehide_2_clicked();
    void on_settingvaluehide_clicked();
    void on_pushButton_2_clicked();
    void on_pushButton_3_clicked();
    void on_pushButton_4_clicked();
    void on_pushButton_9_clicked();

private:
    void changeFont();
    void retranslate();
    void showPanel(QWidget *backdrop, QWidget *group, bool visible);
    void showWaiting(bool visible);
    // Connect chain, in order.
    void connectFindInterface();
    void connectRestartInterface();
    void connectCheckAssociation(const ToolRun::Result &r);
    // Shows the failure, restores the stored configuration, then ends.
    void failConnect(const QString &message);
    // Rewrites the stored configuration and points the interface at it, then
    // runs `then`.
    void restoreStored(std::function<void()> then);
    void endChain();
    void forgetAnswered(int result);
    void keyboardClosed(int result);

    Ui::WiFiManager *ui;
    QTimer *findTimer;
    QStringList wifiESSID;
    int idxList = 0;
    bool encryption_key = false;
    QByteArray encryption_type;
    QByteArray signal_level;
    int wifiSelectedIdx = -1;
    QString inserted_wifikey;

    // The network chosen, as it was listed when it was chosen: a scan that
    // ends meanwhile may reorder the lists.
    QString selectedEssid;
    uint8_t selectedType = 0;
    bool selectedIsStored = false;

    QPointer<ToolRun> scanRun;
    bool chainRunning = false;
    bool keyboardOpen = false;
};
