#include "cleaning/CustomCleaningRunning.h"
#include "ui_CustomCleaningRunning.h"

#include "app/AppState.h"
#include "app/Overlay.h"
#include "app/ScreenHooks.h"
#include "app/Utils.h"
#include "cleaning/CleaningLook.h"
#include "cleaning/CleaningSummary.h"
#include "data/DataState.h"
#include "data/WorkingTimer.h"
#include "errors/ErrorManager.h"
#include "link/ProtocolConversion.h"
#include "link/SharedState.h"
#include "platform/clock.h"
#include "platform/log.h"

#include <QEvent>
#include <QPixmap>
#include <QTimer>

#include <algorithm>

namespace {

int64_t now()
{
    return platform::nowSeconds();
}

// The acknowledgement flag of command 17 when the board refused it or did
// not answer.
constexpr uint8_t kCleanRefused = 255;

} // namespace

CustomCleaningRunning::CustomCleaningRunning(QWidget *parent, int cicles, int seconds, uint8_t program,
                                             const QString &title, const QString &subtitle)
    : QWidget(parent), ui(new Ui::CustomCleaningRunning), timer(new QTimer(this)),
      cicleNumber(std::max(0, cicles)), selectedProgram(program), title(title), subtitle(subtitle)
{
    ui->setupUi(this);
    prepareOverlay(this);
    applyThemeColor(this);
    enableScreenSaver = false;

    startTime = now();
    calculatedTime = seconds > 0 ? seconds : kDefaultSeconds;
    bladeTop = ui->blade->y();
    ui->blade->setPixmap(QPixmap(QStringLiteral(":/icon/down_3D_120.png"))
                             .scaled(ui->blade->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    ui->error_strip->hide();
    retranslate();

    connect(timer, &QTimer::timeout, this, &CustomCleaningRunning::checkState);
    timer->start(kCheckMs);
}

CustomCleaningRunning::~CustomCleaningRunning()
{
    // The page is deleted with this screen, after this body: it must not
    // call back into a screen that is going.
    if (sensorPage)
        disconnect(sensorPage, nullptr, this, nullptr);
    stopMotorCounters();
    removeRollingObject(ui->subtitle);
    // The summary lets the screen saver run again when it closes.
    if (!summaryOpened)
        enableScreenSaver = true;
    delete ui;
}

QString CustomCleaningRunning::remainingText() const
{
    return ui->remaining_time->text();
}

void CustomCleaningRunning::checkState()
{
    // Each branch below restarts the timer at the pace it needs.
    timer->stop();
    showRemainingTime();
    ui->temperature->setText(convertTemperature(actualTemperature));

    // The operator's stop, once the board has answered it.
    if (userStop && stopReleaseCmdSend != 0) {
        if (stopReleaseCmdSend == 1) {
            if (calculateUpTime) {
                calculateUpTime = false;
                calculatedTime = 2 * (now() - startTime);
                cicleNumber = 0;
                // The blade goes back up from where it is.
                if (stepDown >= 0)
                    stepUp = kAnimationSteps - stepDown;
                stepDown = -1;
            }
            setErrorScreen(QStringLiteral(QT_TR_NOOP("Job Aborted From User")));
        } else {
            // Refused or lost: the cycle goes on, and so may the stops.
            platform::debugLine("CUSTOM CLEANING : STOP non accettato dalla macchina");
            userStop = false;
            stopTry = 2;
            state = true;
            ui->stop_work->setEnabled(true);
        }
    }

    if (awaitingBoard) {
        if (setCustomClean == 1) {
            confirmRun();
            timer->start(kConfirmMs);
        } else if (setCustomClean == kCleanRefused) {
            repetitionRefused();
        } else {
            timer->start(kCheckMs);
        }
        return;
    }

    ui->error_strip->setVisible(errorDisplayed || ErrorWindowFlag);
    if (ErrorWindowFlag && !errorDisplayed)
        ui->error_strip->setText(tr("Machine error."));

    if (working) {
        animateBlade();
        timer->start(stepDown >= 0 ? kUpdateTimerFast : kUpdateTimer);
        return;
    }
    if (cicleNumber > 0) {
        {
            FifoLock lock;
            serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::CustomClean, {uint8_t(selectedProgram & 127)}));
            waitStateVar(BoardCmd::CustomClean);
        }
        --cicleNumber;
        awaitingBoard = true;
        stepDown = stepUp = kAnimationSteps;
        platform::debugLine("CUSTOM CLEANING : ripetizione del ciclo " + std::to_string(int(selectedProgram)) +
                            ", ne restano " + std::to_string(cicleNumber));
        timer->start(kConfirmMs);
        return;
    }
    runEnded();
}

void CustomCleaningRunning::confirmRun()
{
    awaitingBoard = false;
    if (!firstStart)
        return;
    firstStart = false;
    startTime = now();
    machineLife.startTimeAcMotor();
    machineLife.startTimeStepperMotor();
    motorsCounting = true;
    // Counted once per run, now that the board has started it.
    machineLife.increaseGlassClean();
    platform::debugLine("CUSTOM CLEANING : pulizia avviata, ciclo " + std::to_string(int(selectedProgram)));
}

void CustomCleaningRunning::animateBlade()
{
    // Down quickly, then slowly back up, over and over while the board works.
    int depth = 0;
    if (stepDown >= 0) {
        depth = kAnimationSteps - stepDown;
        --stepDown;
    } else if (stepUp > 0) {
        depth = stepUp;
        --stepUp;
    } else {
        stepDown = stepUp = kAnimationSteps;
    }
    const int travel = ui->blade_area->geometry().bottom() - 6 - ui->blade->height() - bladeTop;
    ui->blade->move(ui->blade->x(), bladeTop + depth * travel / kAnimationSteps);
}

void CustomCleaningRunning::runEnded()
{
    stopTime = now();
    stopMotorCounters();
    // A board error ends a run as well: its bit comes with the same status
    // reply that ends the run, before the error manager has shown it.
    if (!userStop && !hardwareMachineError && !errorSystem.errorPresence() && !ErrorWindowFlag) {
        platform::debugLine("CUSTOM CLEANING : pulizia terminata, apro il SUMMARY");
        auto *summary = new CleaningSummary(nullptr, stopTime - startTime);
        summary->setAttribute(Qt::WA_DeleteOnClose);
        summary->show();
        summaryOpened = true;
    } else {
        platform::debugLine("CUSTOM CLEANING : pulizia interrotta, nessun SUMMARY");
    }
    close();
}

void CustomCleaningRunning::repetitionRefused()
{
    platform::debugLine("CUSTOM CLEANING : ripetizione non accettata dalla macchina");
    stopTime = now();
    stopMotorCounters();
    {
        FifoLock lock;
        resetStateVar();
    }
    DisplayError(tr("Error 1"), QString(), false);
    close();
}

void CustomCleaningRunning::stopMotorCounters()
{
    if (!motorsCounting)
        return;
    motorsCounting = false;
    machineLife.stopTimeAcMotor();
    machineLife.stopTimeStepperMotor();
}

void CustomCleaningRunning::showRemainingTime()
{
    const int64_t left = std::max<int64_t>(0, startTime + calculatedTime - now());
    ui->remaining_time->setText(QString::asprintf("%lld", static_cast<long long>(left)) + QStringLiteral(" s"));
}

void CustomCleaningRunning::on_stop_work_clicked()
{
    if (!state || stopTry < 1)
        return;
    {
        FifoLock lock;
        waitStateVar(BoardCmd::StopRelease);
        serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::StopRelease));
    }
    userStop = true;
    --stopTry;
    if (stopTry == 0)
        state = false;
    ui->stop_work->setEnabled(state);
    platform::debugLine("CUSTOM CLEANING : STOP inviato, tentativi rimasti " + std::to_string(int(stopTry)));
}

void CustomCleaningRunning::on_icon_button_clicked()
{
    if (!serviceEnable || sensorFormOpen)
        return;
    QWidget *page = ScreenHooks::openSensorPage ? ScreenHooks::openSensorPage(this) : nullptr;
    if (!page) {
        platform::debugLine("CUSTOM CLEANING : pagina dei sensori non disponibile");
        return;
    }
    platform::debugLine("CUSTOM CLEANING : apertura pagina dei sensori");
    sensorFormOpen = true;
    sensorPage = page;
    connect(page, &QObject::destroyed, this, &CustomCleaningRunning::sensorStateClose);
}

void CustomCleaningRunning::sensorStateClose()
{
    sensorFormOpen = false;
}

void CustomCleaningRunning::setErrorScreen(const QString &text)
{
    if (!errorDisplayed || errorText != text)
        platform::debugLine("CUSTOM CLEANING : " + text.toStdString());
    errorDisplayed = true;
    errorText = text;
    ui->error_strip->setText(tr(text.toLatin1().constData()));
    fitTextToLabel(ui->error_strip, 14, 9);
    ui->error_strip->show();
}

void CustomCleaningRunning::retranslate()
{
    ui->title->setText(title);
    removeRollingObject(ui->subtitle);
    ui->subtitle->setText(subtitle);
    addRollingObject(ui->subtitle, 34);
    cleaninglook::setFontSize(ui->title, 16, true);
    cleaninglook::setFontSize(ui->subtitle, 13);
    cleaninglook::setFontSize(ui->remaining_caption, 12);
    cleaninglook::setFontSize(ui->remaining_time, 32, true);
    cleaninglook::setFontSize(ui->temperature, 13);
    cleaninglook::setFontSize(ui->error_strip, 14, true);
    cleaninglook::setFontSize(ui->stop_work, 18, true);
    cleaninglook::fitKeyText(ui->stop_work, 18);
    if (errorDisplayed)
        setErrorScreen(errorText);
    showRemainingTime();
}

void CustomCleaningRunning::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslate();
    }
    QWidget::changeEvent(event);
}
