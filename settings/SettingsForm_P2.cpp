#include "settings/SettingsForm_P2.h"
#include "ui_SettingsForm_P2.h"

#include "app/AppState.h"
#include "app/Overlay.h"
#include "app/SuccessDialog.h"
#include "app/Utils.h"
#include "app/WaitResponseCmd.h"
#include "link/FirmwareHex.h"
#include "link/ProtocolConversion.h"
#include "link/SharedState.h"
#include "platform/log.h"
#include "settings/translator.h"

#include <QEvent>
#include <QFileInfo>
#include <QTimer>

namespace {

// Characters of the file name shown before it rolls.
constexpr int kFileNameChars = 22;

QString orDashes(const std::string &text)
{
    return text.empty() ? QStringLiteral("----") : QString::fromStdString(text);
}

} // namespace

SettingsForm_P2::SettingsForm_P2(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::SettingsForm_P2), refreshTimer(new QTimer(this))
{
    ui->setupUi(this);
    setFixedSize(480, 272);
    applyThemeColor(this);
    applyFonts();
    refresh();
    // The version changes under the page: the board answers after an update.
    connect(refreshTimer, &QTimer::timeout, this, &SettingsForm_P2::refresh);
    refreshTimer->start(kRefreshMs);
}

SettingsForm_P2::~SettingsForm_P2()
{
    removeRollingObject(ui->file_name);
    delete ui;
}

void SettingsForm_P2::applyFonts()
{
    ui->page_title->setFont(transLanguage.fontAt(13, true));
    for (QLabel *l : {ui->board_label, ui->software_label, ui->file_label}) {
        l->setFont(transLanguage.fontAt(13, false));
        fitTextToLabel(l, 13, 9);
    }
    for (QLabel *l : {ui->board_version, ui->software_version})
        l->setFont(transLanguage.fontAt(16, true));
    ui->file_name->setFont(transLanguage.fontAt(13, true));
    ui->back->setFont(transLanguage.fontAt(13, false));
    ui->update->setFont(transLanguage.fontAt(13, true));
}

void SettingsForm_P2::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        applyFonts();
        shownBoard.clear();
        shownSoftware.clear();
        shownFile.clear();
        refresh();
    }
    QWidget::changeEvent(event);
}

void SettingsForm_P2::refresh()
{
    const QString board = orDashes(fwVersion.get());
    const QString software = orDashes(swVersion.get());
    QString file;
    if (!usbMount) {
        file = tr("No USB stick");
    } else {
        const std::string found = FirmwareHex::findOnStick();
        file = found.empty() ? tr("No firmware file") : QFileInfo(QString::fromStdString(found)).fileName();
    }
    if (board != shownBoard)
        ui->board_version->setText(shownBoard = board);
    if (software != shownSoftware)
        ui->software_version->setText(shownSoftware = software);
    if (file != shownFile) {
        removeRollingObject(ui->file_name);
        ui->file_name->setText(shownFile = file);
        addRollingObject(ui->file_name, kFileNameChars);
    }
}

void SettingsForm_P2::on_update_clicked()
{
    updateFirmware();
}

void SettingsForm_P2::on_back_clicked()
{
    // Not while the board is in its loader: the progress covers the page.
    if (!progress)
        close();
}

void SettingsForm_P2::updateFirmware()
{
    platform::debugLine("SETTING FORM -> attivato UPDATE FIRMWARE ");
    // One update at a time, whoever started it.
    if (progress || fwUpdateStarted)
        return;

    const std::vector<std::string> files = FirmwareHex::filesOnStick();
    platform::debugLine("SETTING FORM -> file firmware trovati: " + std::to_string(files.size()));
    if (files.empty()) {
        DisplayError(tr("Firmware file not found."), QString(), false);
        return;
    }
    if (!usbMount) {
        DisplayError(tr("Usb memory not installed."), QString(), false);
        return;
    }
    // The file is checked whole here, so that a bad one never reaches the
    // board; the link thread checks it again before it sends anything.
    const FirmwareHex::Image image = FirmwareHex::load(files.front());
    if (image.status == FirmwareHex::Status::Unreadable) {
        DisplayError(tr("Firmware file not found."), QString(), false);
        return;
    }
    if (!image.ok()) {
        platform::debugLine(std::string("SETTING FORM -> file firmware non valido: ") +
                            FirmwareHex::describe(image.status) + " riga " + std::to_string(image.badLine));
        DisplayError(tr("Firmware file not valid."), QString(), false);
        return;
    }

    progress = new WaitResponseCmd(this, true);
    progress->setProgressMinMax(0, int(image.records.size()));
    // No screen queues commands while the board is in its loader.
    fwUpdateStarted = true;
    forceFwUpdateSend = false; // the stick's file, not the board's copy
    {
        FifoLock lock;
        waitStateVar(BoardCmd::FirmwareUpdate);
        serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::FirmwareUpdate));
    }
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->setDisplayText(tr("Update Firmware."));
    progress->show();
    connect(progress, &QObject::destroyed, this, &SettingsForm_P2::waitResponseCmdEnd);
}

void SettingsForm_P2::waitResponseCmdEnd()
{
    fwUpdateStarted = false;
    enableScreenSaver = true; // the progress held it off
    if (startUpdateFirmware < 0) {
        DisplayError(tr("Firmware upgrade not started."), QString(), false);
    } else if (endUpdateFirmware >= 0) {
        auto *success = new SuccessDialog(this);
        success->setAttribute(Qt::WA_DeleteOnClose);
        success->show();
        // The home screen asks the board for its new version at its next poll.
        fwVersion.clear();
    } else {
        DisplayError(tr("Firmware upgrade not ended correctly."), QString(), false);
    }
    refresh();
}
