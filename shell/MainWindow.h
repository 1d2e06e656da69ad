#pragma once
// The home screen and the program's supervisor: six entry tiles, and the one
// periodic poll (300 ms) of the machine state shared with the link thread,
// from which it opens what the state calls for: the readiness screens, the
// firmware update, communication, maintenance, filter and Wi-Fi warnings, the
// work anomaly screen and the screen saver. It lives as long as the process.

#include "app/Dialog.h"
#include "app/WaitResponseCmd.h"
#include "shell/SettingsForm.h"
#include "settings/mainline.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTranslator>

#include <cstdint>

class AnomalyWorking;
class DialogMessage;
class ErrorMessage;
class FilterChange;
class LanguageList;
class ManualHandling;
class QTimer;
class ScreenSaver;
class WorkSettings;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int kPollMs = 300;
    // Poll ticks between two commits of the machine's running time (120 s).
    static constexpr uint16_t kTimeUpdateTicks = 400;
    // Tests shorten the interval; 0 goes back to kTimeUpdateTicks.
    static void setTimeUpdateTicksForTests(uint16_t ticks) { timeUpdateTicks = ticks ? ticks : kTimeUpdateTicks; }

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Showing the home screen also shows the welcome, on top of it.
    void setVisible(bool visible) override;

    // For tests and the screenshot tool.
    ScreenSaver *screenSaverPage() const { return screenSaver; }
    WaitResponseCmd *resetWaitDialog() const { return waitResetPerform; }
    ManualHandling *manualHandling() const { return manualMouve; }
    Dialog *startDialog() const { return welcome; }
    mainline *mainsScreen() const { return mainsPage; }
    SettingsForm *settingsMenu() const { return settingsPage; }
    QTimer *pollTimer() const { return workingTimer; }
    // The firmware update's progress while an update started here runs.
    WaitResponseCmd *firmwareProgressDialog() const { return firmwareProgress; }
    bool homeInFront() const { return main_windows_on; }
    // The work screen opened from a tile (a start screen, the cutting/whipping
    // selection or the cleaning menu), while it is up.
    QWidget *workScreen() const { return workPage; }

public slots:
    void p1_clicked();
    void p2_clicked();
    void p3_clicked();
    void whip_cut_clicked();
    void settings_clicked();
    void clean_clicked();
    // The poll.
    void checkErrorOccured();
    void waitResponseCmdEnd();
    void deleteSubWindows();
    void filterWinClose();
    void loadLanguage(const QString &language);
    void startRemoteRecipe();

private slots:
    void languageChosen();
    void filterAnswered(int result);

protected:
    void changeEvent(QEvent *event) override;

private:
    void connectButtons();
    void applyFonts();
    void updateSpeedLabels();
    void showFirstStartScreens();
    void startFirmwareUpdate();
    void checkWarnings();
    void checkReadiness();
    void machineReadyTick();
    void probeWireless();
    void updateWifiIcons();
    void checkScreenSaver();
    void openStartPage();
    void hideReadinessScreens();
    bool leaveForWork(WorkSettings *program);
    void openWorkScreen(QWidget *screen);

    Ui::MainWindow *ui;
    QTranslator m_translator;
    QTranslator m_translatorQt;
    QString m_currLang;
    QString m_langPath;
    QTimer *workingTimer = nullptr;
    ScreenSaver *screenSaver = nullptr;
    WaitResponseCmd *waitResetPerform = nullptr;
    ManualHandling *manualMouve = nullptr;
    static inline uint16_t timeUpdateTicks = kTimeUpdateTicks;
    uint16_t timeUpdateIdx = timeUpdateTicks;
    bool viewNeedRevision = true;
    bool filterNotifciation = false;
    bool anomalyWorkingCheck = true;
    bool wifiNotConnectedSend = false;
    uint64_t wifiCheckTime = 0;
    uint16_t deltaWifiCheck = 60;
    bool wirelessProbeRunning = false;
    bool startSubWin = false;
    bool mainline_set = false;
    bool main_windows_on = true;

    // The screens the poll opens, each at most once at a time.
    QPointer<LanguageList> languagePage;
    QPointer<ErrorMessage> revisionWarning;
    QPointer<DialogMessage> filterQuestion;
    QPointer<FilterChange> filterPage;
    QPointer<AnomalyWorking> anomalyScreen;
    QPointer<Dialog> welcome;
    bool welcomePending = true; // shown with the home screen, once
    QPointer<mainline> mainsPage;
    QPointer<SettingsForm> settingsPage;
    QPointer<WaitResponseCmd> firmwareProgress;
    QPointer<QWidget> workPage;
};
