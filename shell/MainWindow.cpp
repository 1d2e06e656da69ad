#include "shell/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/AppState.h"
#include "app/Dialog.h"
#include "app/DialogMessage.h"
#include "app/ErrorMessage.h"
#include "app/ScreenSaver.h"
#include "app/SuccessDialog.h"
#include "app/Utils.h"
#include "app/WaitResponseCmd.h"
#include "shell/SettingsForm.h"
#include "shell/StartUp.h"
#include "cleaning/Cleaning.h"
#include "cleaning/ManualHandling.h"
#include "data/DataState.h"
#include "data/GlassElement.h"
#include "data/Tables.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "data/WorkingTimer.h"
#include "errors/AnomalyWorking.h"
#include "errors/ErrorManager.h"
#include "errors/FilterChange.h"
#include "link/FirmwareHex.h"
#include "link/ProtocolConversion.h"
#include "link/SharedState.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "remote/RemoteState.h"
#include "settings/LanguageList.h"
#include "settings/mainline.h"
#include "settings/translator.h"
#include "work/RemoteStart.h"
#include "work/SelectFunction.h"
#include "work/quickstart.h"

#include <QEvent>
#include <QTimer>

namespace {

// Rolling limit of the tile titles (characters).
constexpr int kTitleRollChars = 8;

QFont fontOf(int points, bool bold = false)
{
    QFont f(transLanguage.currentFont());
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(480, 272);
    canStartRemoteRecipe = true;
    platform::debugLine(" <<< MainWindo in creazione >>>");

    loadLanguage(settings.getLanguage());
    connectButtons();
    // The tile pictures lie on the tiles: a touch on them belongs to the tile.
    for (QLabel *icon : {ui->whip_cut_icon, ui->clean_icon, ui->settings_icon})
        icon->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (QWidget *wdg : {static_cast<QWidget *>(ui->page_title), static_cast<QWidget *>(ui->p1_button),
                         static_cast<QWidget *>(ui->p2_button), static_cast<QWidget *>(ui->p3_button),
                         static_cast<QWidget *>(ui->whip_cut_button), static_cast<QWidget *>(ui->clean_button),
                         static_cast<QWidget *>(ui->settings_button), static_cast<QWidget *>(ui->p_area)})
        changeColor(wdg);

    // Start-up filled the error table and read the counters before the link
    // thread ran; here the texts take the language just loaded.
    ErrorDescriptionTranslate();
    errorSystem.retranslateTable();

    waitResetPerform = new WaitResponseCmd(this, false);
    waitResetPerform->setDisplayText(tr("Wait Reset."));
    waitResetPerform->hide();
    manualMouve = new ManualHandling(this);
    // It lies over the home screen as a child: its own style-sheet
    // background must be painted, or the tiles show through.
    manualMouve->setAttribute(Qt::WA_StyledBackground, true);
    manualMouve->hide();
    screenSaver = new ScreenSaver(this);
    screenSaver->hide();

    wifiCheckTime = uint64_t(platform::nowSeconds()) + 5;
    ui->wifi_ok->setVisible(settings.isWifiSet());
    ui->wifi_ko->hide();

    workingTimer = new QTimer(this);
    connect(workingTimer, &QTimer::timeout, this, &MainWindow::checkErrorOccured);

    applyFonts();
    addRollingObject(ui->settings_title, kTitleRollChars);
    addRollingObject(ui->clean_title, kTitleRollChars);
    machineLife.startTimeMachine();
    updateSpeedLabels();
    startSubWin = settings.getStartPage() == 0;

    // The welcome closes by itself or on a touch and holds nothing up: it is
    // not modal, and it is shown together with the home screen (setVisible),
    // on top of it. The poll starts at once beneath it.
    welcome = new Dialog(this);
    welcome->setAttribute(Qt::WA_DeleteOnClose);

    workingTimer->start(kPollMs);
}

MainWindow::~MainWindow()
{
    // A work screen is a child window: it must not call back into a home
    // screen that is being destroyed.
    if (workPage) {
        workPage->disconnect(this);
        delete workPage;
    }
    // Nor may any other screen opened from here (settings menu, firmware
    // progress) when the children go below.
    for (QObject *child : children())
        child->disconnect(this);
    for (QLabel *l : {ui->settings_title, ui->clean_title, ui->p1_title, ui->p2_title, ui->p3_title,
                      ui->whip_title, ui->cut_title})
        removeRollingObject(l);
    delete ui;
}

void MainWindow::setVisible(bool visible)
{
    QMainWindow::setVisible(visible);
    // A frame-buffer display stacks windows in the order they appear: shown
    // before the home screen, the welcome would lie unseen beneath it.
    if (visible && welcomePending && welcome) {
        welcomePending = false;
        welcome->show();
        welcome->raise();
    }
}

void MainWindow::connectButtons()
{
    const auto hook = [this](std::initializer_list<ClickableLabel *> labels, void (MainWindow::*slot)()) {
        for (ClickableLabel *l : labels)
            connect(l, &ClickableLabel::clicked, this, slot);
    };
    hook({ui->p1_button, ui->p1_title, ui->p1_label}, &MainWindow::p1_clicked);
    hook({ui->p2_button, ui->p2_title, ui->p2_label}, &MainWindow::p2_clicked);
    hook({ui->p3_button, ui->p3_title, ui->p3_label}, &MainWindow::p3_clicked);
    hook({ui->whip_cut_button, ui->whip_title, ui->cut_title}, &MainWindow::whip_cut_clicked);
    hook({ui->clean_button, ui->clean_title}, &MainWindow::clean_clicked);
    hook({ui->settings_button, ui->settings_title}, &MainWindow::settings_clicked);
}

void MainWindow::applyFonts()
{
    // 34 points where the title fits; a longer one (or translation) is set
    // smaller rather than cut.
    for (QLabel *l : {ui->p1_title, ui->p2_title, ui->p3_title}) {
        l->setFont(fontOf(34, true));
        fitTextToLabel(l, 34, 14);
    }
    for (QLabel *l : {ui->p1_label, ui->p2_label, ui->p3_label})
        l->setFont(fontOf(12, true));
    for (QLabel *l : {ui->whip_title, ui->cut_title, ui->clean_title, ui->settings_title})
        l->setFont(fontOf(13));
    ui->page_title->setFont(fontOf(13, true));
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        for (QLabel *l : {ui->settings_title, ui->clean_title, ui->whip_title, ui->cut_title})
            removeRollingObject(l);
        ui->retranslateUi(this);
        applyFonts();
        updateSpeedLabels();
        for (QLabel *l : {ui->settings_title, ui->clean_title, ui->whip_title, ui->cut_title})
            addRollingObject(l, kTitleRollChars);
        if (waitResetPerform)
            waitResetPerform->setDisplayText(tr("Wait Reset."));
        ErrorDescriptionTranslate();
        errorSystem.retranslateTable();
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::loadLanguage(const QString &language)
{
    if (transLanguage.applyLanguage(language))
        m_currLang = language;
    m_langPath = translator::languagesDir();
}

// ---- entries ----------------------------------------------------------------------

// The home screen leaves the front for a work screen on `program`, unless
// one is up already (a remote start that opened one has cleared
// canStartRemoteRecipe too). A program chosen here comes from no registered
// beaker: one left selected by an earlier remote start must neither limit
// its portions nor have its record changed by its run.
bool MainWindow::leaveForWork(WorkSettings *program)
{
    if (workPage || !canStartRemoteRecipe || fwUpdateStarted)
        return false;
    main_windows_on = false;
    errorSystem.displayErrorSignal();
    canStartRemoteRecipe = false;
    actualSelectedGlass->reset();
    actual = program;
    actual->Load();
    return true;
}

void MainWindow::openWorkScreen(QWidget *screen)
{
    screen->setAttribute(Qt::WA_DeleteOnClose);
    connect(screen, &QObject::destroyed, this, &MainWindow::deleteSubWindows);
    workPage = screen;
    screen->show();
}

void MainWindow::p1_clicked()
{
    if (leaveForWork(frostizing_soft))
        openWorkScreen(new quickstart(this, 80));
}

void MainWindow::p2_clicked()
{
    if (leaveForWork(frostizing_medium))
        openWorkScreen(new quickstart(this, 80));
}

void MainWindow::p3_clicked()
{
    if (leaveForWork(frostizing_hard))
        openWorkScreen(new quickstart(this, 80));
}

void MainWindow::whip_cut_clicked()
{
    if (leaveForWork(whipping_soft))
        openWorkScreen(new SelectFunction(this));
}

void MainWindow::clean_clicked()
{
    // One work screen at a time; none while a firmware update runs, since
    // its commands would reach the board's loader.
    if (workPage || !canStartRemoteRecipe || fwUpdateStarted)
        return;
    main_windows_on = false;
    canStartRemoteRecipe = false;
    openWorkScreen(new Cleaning(this));
}

void MainWindow::settings_clicked()
{
    if (settingsPage || fwUpdateStarted)
        return;
    main_windows_on = false;
    settingsPage = new SettingsForm(this);
    settingsPage->setAttribute(Qt::WA_DeleteOnClose);
    connect(settingsPage, &QObject::destroyed, this, &MainWindow::deleteSubWindows);
    settingsPage->show();
}

void MainWindow::deleteSubWindows()
{
    canStartRemoteRecipe = true;
    main_windows_on = true;
}

void MainWindow::waitResponseCmdEnd()
{
    // The update is over either way: the readiness handling runs again.
    fwUpdateStarted = false;
    enableScreenSaver = true; // the progress held it off
    if (startUpdateFirmware < 0) {
        DisplayError(tr("Firmware upgrade not started."), QString(), false);
    } else if (endUpdateFirmware < 0) {
        DisplayError(tr("Firmware upgrade not ended correctly."), QString(), false);
    } else {
        auto *success = new SuccessDialog(this);
        success->setAttribute(Qt::WA_DeleteOnClose);
        success->show();
        // The board runs the new firmware: ask for its version at the next poll.
        fwVersion.clear();
    }
}

void MainWindow::filterWinClose()
{
    if (changefilter) {
        machineLife.resetFilterTime();
        machineLife.save();
    } else {
        write_warning_reminder(readClockDate(), WRNG_FILTRO);
    }
    main_windows_on = true;
}

void MainWindow::startRemoteRecipe()
{
    // A start waits until the board has left its loader.
    if (!canStartRemoteRecipe || !startFromTcp || workPage || fwUpdateStarted)
        return;
    PendingRemoteStart start = takePendingRemoteStart();
    if (start.program) {
        if (screenSaver->isVisible()) {
            lastUserEventOccurred = uint64_t(platform::nowSeconds()) + uint64_t(settings.getScreenSaverTime());
            screenSaver->hide();
        }
        const uint8_t type = start.recipeType;
        if (type >= 1 && type <= 3) {
            platform::debugLine("MainWindow -> avvio remoto ricetta " + start.recipeName + " tipo " +
                                std::to_string(int(type)));
            main_windows_on = false;
            errorSystem.displayErrorSignal();
            canStartRemoteRecipe = false;
            // The handed-over program becomes `actual` before its screen reads it.
            adoptRemoteStart(std::move(start));
            if (QWidget *screen = openRemoteStartScreen(type, this)) {
                connect(screen, &QObject::destroyed, this, &MainWindow::deleteSubWindows);
                workPage = screen;
            } else {
                deleteSubWindows();
            }
        }
    }
    tcpRecipeType = 0;
    tcpRecipeName = std::string();
}

// ---- the poll ---------------------------------------------------------------------------

void MainWindow::updateSpeedLabels()
{
    const WorkSettings *presets[] = {frostizing_soft, frostizing_medium, frostizing_hard};
    QLabel *labels[] = {ui->p1_label, ui->p2_label, ui->p3_label};
    for (int i = 0; i < 3; ++i) {
        const uint8_t s = presets[i] ? presets[i]->getMillingSteps(0).CutSpeed : 0;
        const int rpm = s < RPM_SPEED_TABLE_SIZE ? rpmSpeedTable[s] : 0;
        labels[i]->setText(QString::number(rpm) + "rpm");
    }
}

void MainWindow::showFirstStartScreens()
{
    if (languagePage)
        return; // waiting for the operator's choice
    platform::debugLine(" MainWindow --> Settaggio non trovato --> vado a caricare la pagina lingue");
    languagePage = new LanguageList(this, true);
    languagePage->setAttribute(Qt::WA_DeleteOnClose);
    connect(languagePage, &QDialog::finished, this, &MainWindow::languageChosen);
    languagePage->show();
    languagePage->raise();
}

void MainWindow::languageChosen()
{
    // The language chosen (or the default kept) is what the settings file
    // now records, so the first start is over once the list is closed.
    if (!settings.isFileFound())
        settings.save();
    mainline_set = false;
    platform::debugLine(" MainWindow -->  vado a caricare la pagina di Main Line");
    if (!mainsPage) {
        mainsPage = new mainline(this);
        mainsPage->setAttribute(Qt::WA_DeleteOnClose);
        mainsPage->show();
    }
    mainsPage->raise();
}

void MainWindow::startFirmwareUpdate()
{
    fwNotFound = false;
    fwUpdateStarted = true;

    const bool boardCopy = forceFwUpdate;
    forceFwUpdate = false;
    const std::string file = boardCopy ? FirmwareHex::boardCopyPath() : FirmwareHex::findOnStick();
    // The file is checked whole before the board is told anything; the link
    // thread checks it again before it sends.
    const FirmwareHex::Image image = FirmwareHex::load(file);
    if (!image.ok()) {
        fwUpdateStarted = false;
        platform::debugLine("MainWindow -> file firmware " + file + ": " + FirmwareHex::describe(image.status));
        DisplayError(image.status == FirmwareHex::Status::Unreadable ? tr("Firmware file not found.")
                                                                      : tr("Firmware file not valid."),
                     QString(), false);
        return;
    }
    forceFwUpdateSend = boardCopy;
    hideReadinessScreens();
    firmwareProgress = new WaitResponseCmd(this, true);
    firmwareProgress->setAttribute(Qt::WA_DeleteOnClose);
    // Only what goes to the board counts.
    firmwareProgress->setProgressMinMax(0, int(image.records.size()));
    {
        FifoLock lock;
        waitStateVar(BoardCmd::FirmwareUpdate);
        serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::FirmwareUpdate, {}));
    }
    firmwareProgress->show();
    connect(firmwareProgress, &QObject::destroyed, this, &MainWindow::waitResponseCmdEnd);
}

void MainWindow::hideReadinessScreens()
{
    if (waitResetPerform->isVisible()) {
        waitResetPerform->hide();
        enableScreenSaver = true;
    }
    if (manualMouve->isVisible()) {
        manualMouve->hide();
        enableScreenSaver = true;
    }
}

void MainWindow::checkWarnings()
{
    if (!displayError && !comunicationErrorDisplayed && serialComunicationError > 5) {
        displayError = true;
        comunicationErrorDisplayed = true;
        DisplayError(tr("Comunicarion error.\nPerform machine restart."), QString(), false);
        // The board is not answering: stop waiting for it to become ready.
        machineReady = true;
        return;
    }
    if (!machineReady || !main_windows_on)
        return;
    // The reminders come one at a time, after any warning already up.
    if (revisionWarning || filterQuestion || filterPage || anomalyScreen || errorSystem.errorPresence())
        return;
    if (viewNeedRevision && machineLife.needRevision())
        revisionWarning = DisplayError(tr("MANUTENZIONE PROGRAMMA.\nCONTATTARE L'ASSISTENZA."), QString(), false);
    viewNeedRevision = false;
    if (revisionWarning)
        return;

    if (filterNotifciation && machineLife.checkFilterChange()) {
        date interval;
        interval.minute = 1;
        if (check_warning_remainder(readClockDate(), WRNG_FILTRO, interval)) {
            main_windows_on = false;
            filterQuestion = OpenDialogMsg(this, tr("Cambiare filtro aspirazione aria"), 0, false, tr("Ricorda"),
                                           tr("OK"));
            if (filterQuestion)
                connect(filterQuestion, &QDialog::finished, this, &MainWindow::filterAnswered);
            else
                main_windows_on = true;
        }
    }
    filterNotifciation = true;
}

void MainWindow::filterAnswered(int result)
{
    if (result == QDialog::Accepted) { // "OK": the filter page
        changefilter = false;
        filterPage = new FilterChange(this);
        filterPage->setAttribute(Qt::WA_DeleteOnClose);
        connect(filterPage, &QObject::destroyed, this, &MainWindow::filterWinClose);
        filterPage->show();
        filterPage->raise();
    } else { // "Ricorda": ask again later
        write_warning_reminder(readClockDate(), WRNG_FILTRO);
        main_windows_on = true;
    }
}

void MainWindow::checkReadiness()
{
    if (!machineReady) {
        if (!glassPresence) {
            if (!manualMouve->isVisible()) {
                manualMouve->show();
                manualMouve->raise();
            }
            if (waitResetPerform->isVisible())
                waitResetPerform->hide();
        } else {
            if (!waitResetPerform->isVisible()) {
                waitResetPerform->show();
                waitResetPerform->raise();
            }
            if (manualMouve->isVisible())
                manualMouve->hide();
        }
    } else {
        machineReadyTick();
    }
    if (uint64_t(platform::nowSeconds()) > wifiCheckTime && enableScreenSaver)
        probeWireless();
    updateWifiIcons();
}

void MainWindow::machineReadyTick()
{
    hideReadinessScreens();
    if (working && anomalyWorkingCheck && !anomalyScreen) {
        anomalyScreen = new AnomalyWorking(this);
        anomalyScreen->setAttribute(Qt::WA_DeleteOnClose);
        anomalyScreen->show();
        anomalyScreen->raise();
    }
    anomalyWorkingCheck = false;
    // The version request and the start page wait until the anomaly screen
    // is closed; a later tick takes them up.
    if (anomalyScreen)
        return;
    if (fwVersion.empty()) {
        fwVersion = std::string("----");
        FifoLock lock;
        serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::Version, {}));
    }
    if (!startSubWin) {
        openStartPage();
        startSubWin = true;
    }
}

void MainWindow::openStartPage()
{
    switch (settings.getStartPage()) {
    case 1:
        p1_clicked();
        break;
    case 2:
        p2_clicked();
        break;
    case 3:
        p3_clicked();
        break;
    default:
        break;
    }
}

void MainWindow::probeWireless()
{
    wifiCheckTime = uint64_t(platform::nowSeconds()) + deltaWifiCheck;
    // The tools run beside the poll; a probe still waiting on a slow tool is
    // not doubled.
    if (wirelessProbeRunning)
        return;
    wirelessProbeRunning = true;
    startup::probeWirelessAsync(this, [this] { wirelessProbeRunning = false; });
}

void MainWindow::updateWifiIcons()
{
    if (!settings.isWifiSet() || screenSaver->isVisible() || !enableScreenSaver)
        return;
    if (!wifiConnect && !wifiNotConnectedSend) {
        wifiNotConnectedSend = true;
        if (!usbWifiDongleMounted) {
            ui->wifi_ok->hide();
            ui->wifi_ko->hide();
            DisplayError(tr("Verificare che l'adattatore wifi sia inserito.") + "\n" +
                             tr("Spegnere la macchina, inserire adattatore wifi e riaccedere la macchina"),
                         QString(), false);
        } else {
            ui->wifi_ok->hide();
            ui->wifi_ko->show();
            DisplayError(tr("Il sistema non riesce a connettersi provare a riavviare la macchina."), QString(),
                         false);
        }
    } else if (wifiConnect && wifiNotConnectedSend) {
        ui->wifi_ko->hide();
        ui->wifi_ok->show();
        wifiNotConnectedSend = false;
    }
}

void MainWindow::checkScreenSaver()
{
    if (settings.isScreenSaverEnabled() && enableScreenSaver &&
        uint64_t(platform::nowSeconds()) > lastUserEventOccurred && !screenSaver->isVisible()) {
        screenSaver->show();
        screenSaver->raise();
    }
}

void MainWindow::checkErrorOccured()
{
    // Every screen opened from here is shown without blocking, so the poll
    // never stops; the screen pointers keep a screen from opening twice.
    updateSpeedLabels();
    if (--timeUpdateIdx == 0) {
        timeUpdateIdx = timeUpdateTicks;
        machineLife.stopTimeMachine();
        machineLife.startTimeMachine();
    }

    // First start: nothing else runs until the language and the supply
    // frequency have been chosen.
    if (!settings.isFileFound()) {
        showFirstStartScreens();
    } else if (!mainsPage && !languagePage) {
        loadLanguage(settings.getLanguage());

        // One update at a time.
        const bool updating = fwUpdateStarted;
        if (!updating && ((forceFwUpdate && machineReady) || (fwNotFound && usbMount)))
            startFirmwareUpdate();
        else if (!updating && fwNotFound && !usbMount) {
            fwNotFound = false;
            DisplayError(tr("Usb memory not installed."), QString(), false);
        }

        const bool fatal = errorSystem.displayError();
        checkWarnings();
        if (!fatal && !fwUpdateStarted)
            checkReadiness();
        checkScreenSaver();
    }

    rollRollingObjects();
    startRemoteRecipe();
}
