#include "work/running.h"

#include "app/AppState.h"
#include "app/ClickableLabel.h"
#include "app/DialogMessage.h"
#include "app/ErrorMessage.h"
#include "app/Overlay.h"
#include "app/ScreenHooks.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/Tables.h"
#include "data/WorkSettings.h"
#include "data/WorkingTimer.h"
#include "errors/ErrorManager.h"
#include "link/ProtocolConversion.h"
#include "link/SharedState.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "work/RunningSummary.h"
#include "work/WorkRun.h"

#include "ui_running.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include <algorithm>

namespace {

const char kFrozen[] = "rgb(196, 226, 255)";
const char kErrorColour[] = "rgb(242, 112, 113)";
// The board's final climb out of the beaker.
constexpr uint8_t kEndCutSpeed = 5;
constexpr uint8_t kEndImmersionSpeed = 8;
// A step longer than this is holding (a pause, a question): its arrow turns grey.
constexpr int64_t kFreshStepSeconds = 10;

enum Direction : uint8_t { Standing = 0, Descending = 1, Climbing = 2 };

uint64_t now()
{
    return static_cast<uint64_t>(platform::nowSeconds());
}

// Milliseconds on a clock that never jumps, for the hidden stop taps.
int64_t monotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

const char *trueFalse(bool b)
{
    return b ? "true" : "false";
}

int rpmOf(uint8_t cutSpeed)
{
    return cutSpeed < RPM_SPEED_TABLE_SIZE ? rpmSpeedTable[cutSpeed] : 0;
}

// The pump and valve run for the whole run when the program uses air; the
// pressure type names the pump (WorkingTimer::PRESSION_PUMP, VACUUM_PUMP).
uint8_t pressureInUse(const WorkSettings &p)
{
    if (p.getEmulsionWorkingMode() == 0 && p.getMillingPressionType() != 0)
        return p.getMillingPressionType();
    for (int i = 0; i < p.getEnabledEmulsionSteps(); ++i)
        if (p.getEmulsionSteps(i).PressionType != 0)
            return p.getEmulsionSteps(i).PressionType;
    return 0;
}

QString minutesSeconds(int seconds)
{
    seconds = std::max(0, seconds);
    return QString::asprintf("%d:%02d", seconds / 60, seconds % 60);
}

} // namespace

running::running(QWidget *parent)
    : QWidget(parent), ui(new Ui::running), timer(new QTimer(this)), workingTimer(new QTimer(this)),
      summaryTimer(new QTimer(this))
{
    ui->setupUi(this);
    prepareOverlay(this);
    applyThemeColor(this);
    enableScreenSaver = false;

    WorkSettings &program = *actual;
    function = workFunction(program);
    emulsionMode = program.getEmulsionWorkingMode() != 0;
    pumpCode = pressureInUse(program);
    program.toMuchMaterial = false;
    program.resetWorkingData();
    program.numOfStepEmulsion = 0;
    totalSeconds = program.calculateTotalWorkingTime(program.getPortion());

    requestTreePosition = true;
    machineLife.startTimeAcMotor();
    machineLife.startTimeStepperMotor();
    if (pumpCode != 0) {
        machineLife.startTimePump();
        machineLife.startTimeSolenoidValve();
    }

    actualFunc = static_cast<uint8_t>(function);
    actualDir = Standing;
    const MillingStep first = program.getMillingSteps(0);
    actualCutSpeed = first.CutSpeed;
    actualImmSpeed = first.ImmersionSpeed;
    actualPortion = program.getPortion();
    actualPortionWorked = 0;
    actualPression = pumpCode;

    // The service panel takes the middle column: it tells the step, the
    // direction and the portions itself.
    servicePanel = serviceEnable;
    ui->service_info->setVisible(servicePanel);
    ui->service_info->setGeometry(ui->service_info->x(), ui->direction->y(), ui->service_info->width(),
                                  ui->emulsion_step->geometry().bottom() - ui->direction->y());
    ui->direction->hide();
    buildSegments();
    goodStyleSet();
    retranslate();

    timer->setInterval(kCheckMs);
    connect(timer, &QTimer::timeout, this, &running::workingStateCheck);
    workingTimer->setInterval(1000);
    connect(workingTimer, &QTimer::timeout, this, &running::workingTimeUpdate);
    summaryTimer->setSingleShot(true);
    summaryTimer->setInterval(kSummaryDelayMs);
    connect(summaryTimer, &QTimer::timeout, this, &running::endOfWorkSummary);
    timer->start();
    workingTimer->start();
    show();
}

running::~running()
{
    // The page is deleted with this screen, after this body: it must not
    // call back into a screen that is going.
    if (sensorPage)
        disconnect(sensorPage, nullptr, this, nullptr);
    requestTreePosition = false;
    removeRollingObject(ui->title);
    // The summary lets the screen saver run again when it closes.
    if (!summaryOpened)
        enableScreenSaver = true;
    delete ui;
}

void running::setGlassDimension(int dimension)
{
    glassDimension = dimension > 0 ? dimension : 80;
    buildSegments();
}

// ---- the 100 ms supervision ---------------------------------------------------------------

void running::workingStateCheck()
{
    lidSupervision();

    if (enableStopButtonCicle > 1) {
        --enableStopButtonCicle;
    } else if (enableStopButtonCicle == 1) {
        state = true;
        enableStopButtonCicle = 0;
    }
    updateStopKey();

    if (counterEscludeCheckError > 0)
        --counterEscludeCheckError;
    else
        abnormalEndChecks();

    if (!working && workingStarted) {
        endOfWork();
        return;
    }
    // The board took a stop before it ever reported work (or worked too
    // briefly for the status poll to see): nothing is left to follow.
    if (!working && !workingStarted && !endCommitted && stopTaken) {
        platform::debugLine("RUNNING : STOP accettato senza lavorazione in corso, chiudo");
        timer->stop();
        close();
        return;
    }
    if (working && !workingStarted)
        firstStart();
    if (working)
        progress();
    if (servicePanel)
        updateServicePanel();

    // The segment being worked blinks, half a second on, half off.
    if (workingStarted && --blickIdx == 0) {
        blickIdx = 5;
        blinlk = !blinlk;
        redrawGlassSegment();
    }
}

void running::lidSupervision()
{
    // machineOpen is the "lid down" bit: clear means the lid is open.
    if (machineOpen) {
        lastErrorNotification = 0;
        return;
    }
    // A board error on screen comes first; the lid is told about afterwards.
    if (errorSystem.errorPresence())
        return;
    const uint64_t t = now();
    if (t <= lastErrorNotification)
        return;
    lastErrorNotification = t + kLidRepeatSeconds;
    // Still on screen: no second copy on top of it.
    if (!lidDialog)
        lidDialog = DisplayError(tr("Close the machine and push stop button to reset the machine."),
                                 QStringLiteral(":/image/machine open.gif"), false);
    state = true;
    enableStopButtonCicle = 0;
}

void running::abnormalEndChecks()
{
    WorkSettings &program = *actual;
    if (fullGlass && actualStep == 0 && !workWithToMuchMaterial && !reworkSet) {
        if (!program.toMuchMaterial)
            askTooMuchMaterial();
    } else if (program.userStop && stopRunningFlag == 1) {
        // The board took the stop: the key may be used again. userStop stays
        // set, so that the summary and the work report tell the run was stopped.
        stopRunningFlag = -1;
        stopTry = kStopTries;
        stopTaken = true;
    } else if (!emulsionMode && !reworkSet && !errorDisplayed) {
        if (hardContent)
            setErrorScreen(QT_TR_NOOP("Content Too Hard or Dirty Tree."));
        else if (millingProcedurEnded && program.numOfStepMilling < 2)
            setErrorScreen(QT_TR_NOOP("Empty Glass or Contents Not Frozen Correctly."));
        else if (millingProcedurEnded && program.enoughtPortion())
            setErrorScreen(QT_TR_NOOP("Insufficient Portion."));
    }
}

void running::askTooMuchMaterial()
{
    if (tooMuchDialog)
        return;
    // Asked once per run, whatever the answer.
    actual->toMuchMaterial = true;
    SubWindowReturnStatus = 0;
    platform::debugLine("RUNNING : troppo prodotto nel bicchiere, chiedo se continuare");
    tooMuchDialog = OpenDialogMsg(this, tr("TOO MUCH\nPRODUCT.\n\nWANT TO\nCONTINUE?"), kTooMuchAutoCloseMs, false,
                                  tr("NO"), tr("YES"), QStringLiteral(":/image/too_much.png"));
    if (tooMuchDialog)
        connect(tooMuchDialog, &QDialog::finished, this, &running::tooMuchAnswered);
    else
        tooMuchAnswered(QDialog::Rejected);
}

void running::tooMuchAnswered(int result)
{
    workWithToMuchMaterial = result == QDialog::Accepted;
    const uint8_t answer = workWithToMuchMaterial ? FrameByte::Ack : 0x00;
    {
        FifoLock lock;
        serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::TooMuchAnswer, {answer}));
    }
    platform::debugLine(std::string("RUNNING : troppo prodotto, continuo : ") + trueFalse(workWithToMuchMaterial));
    if (!workWithToMuchMaterial)
        setErrorScreen(QT_TR_NOOP("To Much Material."));
}

void running::endOfWork()
{
    if (!endCommitted) {
        endCommitted = true;
        platform::debugLine("RUNNING : Lavorazione Terminata!!!!");
        {
            FifoLock lock;
            serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::ResidualSteps));
        }
        machineLife.stopTimeAcMotor();
        machineLife.stopTimeStepperMotor();
        machineLife.stopTimePump(pumpCode);
        machineLife.stopTimeSolenoidValve();
        actual->endWork = static_cast<uint32_t>(now());
        actualDir = Standing;
        state = false;
        enableStopButtonCicle = 0;
        updateStopKey();
        // The board has ended: an open question has nothing left to answer.
        if (tooMuchDialog) {
            disconnect(tooMuchDialog, nullptr, this, nullptr);
            tooMuchDialog->close();
        }
        retranslate();
    }

    // Held while an error is on screen; the next ticks look again.
    if (errorSystem.errorPresence() || sensorFormOpen) {
        if (!errorKeptLogged) {
            errorKeptLogged = true;
            platform::debugLine("RUNNING : errore videata ancora presente --> non visualizzo la parte di summary");
            ui->stop_work->hide();
            reloadProgram();
        }
        return;
    }

    platform::debugLine("RUNNING : nessuna presenza di errore in schermata");
    workingStarted = false;
    timer->stop();
    workingTimer->stop();
    writeWorkReport();
    summaryTimer->start();
}

void running::endOfWorkSummary()
{
    if (!ErrorWindowFlag) {
        platform::debugLine("RUNNIG : attivo la schermata di SUMMARY");
        auto *summary = new RunningSummary(parentWidget(), notMillingStep, workWithToMuchMaterial);
        summary->setAttribute(Qt::WA_DeleteOnClose);
        summary->setGlassDimension(glassDimension);
        summary->show();
        summaryOpened = true;
    } else {
        platform::debugLine("RUNNIG : schermata di SUMMARY non la attivo perchè c'è stato un errore");
    }
    reloadProgram();
    close();
}

void running::reloadProgram()
{
    if (programReloaded)
        return;
    programReloaded = true;
    // The rework (if this was one) is over: the next start is an ordinary one.
    reworkSet = false;
    reloadRunProgram("RUNNING");
}

void running::writeWorkReport()
{
    if (!usbMount)
        return;
    // Only onto the stick itself: a folder made where the stick should be
    // mounted would fill the board's own memory.
    QDir stick(QString::fromStdString(platform::path("/mnt/usb-memory")));
    if (!stick.exists()) {
        platform::debugLine("RUNNING : chiavetta usb non trovata, report non scritto");
        return;
    }
    if (!stick.exists(QStringLiteral("recipe-work")) && !stick.mkdir(QStringLiteral("recipe-work"))) {
        platform::debugLine("RUNNING : cartella recipe-work non creata, report non scritto");
        return;
    }
    if (!writeToTxtFile(actual->toString().toStdString(), kReportPrefix, ".csv", false))
        platform::debugLine("RUNNING : report della lavorazione non scritto");
}

void running::firstStart()
{
    platform::debugLine(std::string("RUNNING : PRIMO START : imposto ErrorWindowsFlag : ") +
                        trueFalse(ErrorWindowFlag));
    if (ErrorWindowFlag) {
        ErrorWindowFlag = false;
        platform::debugLine("RUNNING : PRIMO START : Resetto gli errori");
    }
    platform::debugLine(std::string("RUNNING : PRIMO START : Resetto ErrorWindowsFlag : ") +
                        trueFalse(ErrorWindowFlag));
    reset_errori();
    workingStarted = true;
    const uint32_t t = static_cast<uint32_t>(now());
    actual->startWork = t;
    stepStartedAt = t;
    if (emulsionMode) {
        actual->startMilling = t;
        actualDir = Descending;
        ui->direction->setPixmap(QPixmap(QStringLiteral(":/icon/down_3D_120_green.png"))
                                     .scaled(ui->direction->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        ui->direction->setVisible(!servicePanel);
    } else {
        ui->direction->hide();
    }
    retranslate();
}

void running::progress()
{
    if (ErrorWindowFlag && ui->stop_work->isVisible()) {
        ui->stop_work->hide();
        platform::debugLine(std::string("RUNNING : ErrorWindowFlag : ") + trueFalse(ErrorWindowFlag));
        platform::debugLine("RUNNING : Disabilito il pulsante di STOP!!!!!!! <<<<<<<<<<<<<");
    }
    const uint8_t step = actualStep;
    const bool milling = millingOn;
    if (!stepSeen || step != previousStep || milling != prevMillingOn)
        stepChanged(step, milling);
}

void running::stepChanged(uint8_t step, bool milling)
{
    WorkSettings &program = *actual;
    const uint32_t t = static_cast<uint32_t>(now());
    if (stepSeen && step != previousStep)
        stepStartedAt = t;
    if (prevMillingOn && !milling)
        millingProcedurEnded = true;
    const bool begun = step != 0 && (!stepSeen || step != previousStep);

    if (milling) {
        if (program.startMilling == 0)
            program.startMilling = t;
        if (begun)
            ++program.numOfStepMilling;
        const int inUse = std::max(1, program.millingStepsInUse());
        const int index = program.numOfStepMilling == 0 ? 0 : (program.numOfStepMilling - 1) % inUse;
        const MillingStep s = program.getMillingSteps(index);
        actualDir = Descending;
        actualCutSpeed = s.CutSpeed;
        actualImmSpeed = s.ImmersionSpeed;
        actualPression = program.getMillingPressionType();
        millingIndex = index;
    } else if (step != 0 || notMillingStep != 0) {
        if (begun) {
            ++notMillingStep;
            ++program.numOfStepEmulsion;
        }
        const int enabled = program.getEnabledEmulsionSteps();
        const int k = notMillingStep == 0 ? 0 : (notMillingStep - 1) % std::max(1, enabled);
        if (enabled == 0) {
            actualDir = Climbing;
            actualCutSpeed = kEndCutSpeed;
            actualImmSpeed = kEndImmersionSpeed;
            actualEmulsionStep = 0;
        } else {
            const EmulsionStep s = program.getEmulsionSteps(k);
            actualDir = k % 2 == 0 ? Descending : Climbing;
            actualCutSpeed = s.CutSpeed;
            actualImmSpeed = s.ImmersionSpeed;
            actualPression = s.PressionType;
            actualEmulsionStep = static_cast<uint8_t>(k + 1);
        }
    }
    stepSeen = true;
    previousStep = step;
    prevMillingOn = milling;
    actualPortionWorked = static_cast<uint8_t>(portionsDone(program));
    if (emulsionMode)
        updateGlassLevel(program.getTotalEmulsionCicle(), emulsionCyclesDone(program, notMillingStep));
    else
        updateGlassLevel(program.getPortion(), actualPortionWorked);
    showStepPicture();
    showSpeeds();
    showStepTexts();
    workingTimeUpdate();
}

// ---- display ----------------------------------------------------------------------------------

void running::showStepPicture()
{
    if (actualDir == Standing || servicePanel) {
        ui->direction->hide();
        return;
    }
    const bool fresh = int64_t(now()) - int64_t(stepStartedAt) <= kFreshStepSeconds;
    const QString name = QString(":/icon/%1_3D_120%2.png")
                             .arg(actualDir == Climbing ? "up" : "down", fresh ? "_green" : "");
    if (name != shownPicture) {
        shownPicture = name;
        ui->direction->setPixmap(
            QPixmap(name).scaled(ui->direction->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    ui->direction->show();
}

void running::showSpeeds()
{
    ui->cut_speed->setText(QString::number(rpmOf(actualCutSpeed)) + QStringLiteral(" rpm"));
    ui->imm_speed->setText(QString::number(int(actualImmSpeed)));
}

void running::showStepTexts()
{
    const WorkSettings &program = *actual;
    if (servicePanel || (!workingStarted && !endCommitted)) {
        ui->step->clear();
        ui->emulsion_step->clear();
        return;
    }
    if (emulsionMode) {
        const int total = program.getTotalEmulsionCicle();
        const int current = std::min(total, (notMillingStep + 1) / 2);
        ui->step->setText(tr("CYCLE %1 / %2").arg(std::max(current, 0)).arg(total));
    } else {
        const int portions = program.getPortion();
        const int current = std::min(portions, int(actualPortionWorked) + (prevMillingOn ? 1 : 0));
        ui->step->setText(tr("PORTION %1 / %2").arg(current).arg(portions));
    }
    if (prevMillingOn)
        ui->emulsion_step->setText(tr("STEP %1").arg(millingIndex + 1));
    else if (actualEmulsionStep != 0)
        ui->emulsion_step->setText(tr("EMULSION %1").arg(int(actualEmulsionStep)));
    else
        ui->emulsion_step->clear();
}

int running::remainingSeconds() const
{
    const uint32_t started = actual->startMilling;
    int left = totalSeconds;
    if (started != 0) {
        const uint64_t until = endCommitted ? actual->endWork : now();
        left -= static_cast<int>(until > started ? until - started : 0);
    }
    return std::max(0, left);
}

void running::workingTimeUpdate()
{
    ui->remaining_time->setText(minutesSeconds(remainingSeconds()));
    if (workingStarted)
        showStepPicture();
}

void running::updateServicePanel()
{
    const double absorption = absorptionConversionTable[actualAbsorption & 0x7F];
    const QString text =
        QStringLiteral("<html><head/><body><p>") + doubleToString(absorption) + QStringLiteral(" A</p><p>") +
        convertTemperature(actualTemperature) + QStringLiteral("</p><p>") +
        QString::number(actualTreePosition.load()) + QStringLiteral(" mm</p><p>") +
        QString::number(rpmOf(actualCutSpeed)) + QStringLiteral(" rpm - ") + QString::number(int(actualImmSpeed)) +
        QStringLiteral("</p><p>S%1 D%2 P%3/%4 A%5</p></body></html>")
            .arg(int(actualStep))
            .arg(int(actualDir))
            .arg(int(actualPortionWorked))
            .arg(int(actualPortion))
            .arg(int(actualPression));
    if (ui->service_info->text() != text)
        ui->service_info->setText(text);
}

void running::updateStopKey()
{
    ui->stop_work->setEnabled(state && stopTry > 0);
}

// ---- operator ----------------------------------------------------------------------------------

void running::on_stop_work_clicked()
{
    if (stopTry == 0 || !state)
        return;
    {
        FifoLock lock;
        serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::Stop));
        waitStateVar(BoardCmd::Stop);
    }
    actual->userStop = true;
    --stopTry;
    platform::debugLine("RUNNING : STOP inviato, tentativi rimasti " + std::to_string(int(stopTry)));
    // A second press comes back only after a pause, so that one touch read
    // twice does not use both stops.
    state = false;
    enableStopButtonCicle = stopTry > 0 ? kStopRearmTicks : 0;
    updateStopKey();
}

void running::on_pushButton_3_clicked()
{
    if (!state)
        return;
    const int64_t t = monotonicMs();
    if (stopDoubleClick == 0 || t > lastScreenClick) {
        stopDoubleClick = 1;
        lastScreenClick = t + kHiddenStopWindowMs;
        return;
    }
    if (stopDoubleClick >= kHiddenStopTaps - 1) {
        stopDoubleClick = 0;
        on_stop_work_clicked();
        return;
    }
    ++stopDoubleClick;
}

void running::on_title_clicked()
{
    // One sensor page at a time; while it is open the end of the work waits.
    if (!serviceEnable || sensorFormOpen)
        return;
    QWidget *page = ScreenHooks::openSensorPage ? ScreenHooks::openSensorPage(this) : nullptr;
    if (!page) {
        platform::debugLine("RUNNING : pagina dei sensori non disponibile");
        return;
    }
    platform::debugLine("RUNNING : apertura pagina dei sensori");
    sensorFormOpen = true;
    sensorPage = page;
    connect(page, &QObject::destroyed, this, &running::sensorStateClose);
}

void running::sensorStateClose()
{
    sensorFormOpen = false;
}

// ---- marks and styles ----------------------------------------------------------------------------

void running::setErrorScreen(const char *text)
{
    if (errorDisplayed)
        return;
    errorDisplayed = true;
    errorText = QString::fromLatin1(text);
    platform::debugLine(std::string("RUNNING : ") + text);
    errorStyleSet();
}

void running::errorStyleSet()
{
    ui->title->setStyleSheet(QStringLiteral("background-color: %1; color: #ffffff; font-size: 16pt; font-weight: bold;")
                                 .arg(kErrorColour));
    ui->info->setStyleSheet(QStringLiteral("color: %1; font-size: 12pt; font-weight: bold; border: 2px solid %1; "
                                           "border-radius: 6px;")
                                .arg(kErrorColour));
    retranslate();
}

void running::goodStyleSet()
{
    ui->title->setStyleSheet(QStringLiteral("background-color: %1; color: #ffffff; font-size: 16pt; font-weight: bold;")
                                 .arg(customColor));
    ui->info->setStyleSheet(
        QStringLiteral("color: #202020; font-size: 12pt; border: 2px solid %1; border-radius: 6px;").arg(customColor));
}

// ---- beaker level ---------------------------------------------------------------------------------

void running::buildSegments()
{
    const WorkSettings &program = *actual;
    const int count = emulsionMode ? program.getTotalEmulsionCicle() : program.getPortion();
    for (QLabel *l : portionLabel)
        delete l;
    portionLabel.clear();

    // Inside the beaker's walls, from the bottom up.
    const QRect inner = ui->glass->contentsRect().adjusted(6, 6, -6, -6);
    const int shown = std::clamp(count, 0, inner.height() / 3);
    if (shown == 0) {
        segmentHeight = 0;
        return;
    }
    int unit = inner.height() / shown;
    // A frostizing portion fills its share of the beaker's capacity.
    if (!emulsionMode && program.getPortionDimension() > 0)
        unit = std::min(unit, std::max(3, inner.height() * program.getPortionDimension() / glassDimension));
    segmentHeight = unit;
    for (int i = 0; i < shown; ++i) {
        auto *segment = new QLabel(ui->glass);
        const int bottom = inner.bottom() - i * unit;
        segment->setGeometry(inner.left(), bottom - unit + 2, inner.width(), std::max(2, unit - 1));
        segment->show();
        portionLabel.push_back(segment);
    }
    setEnabledSegment(shown);
}

void running::updateGlassLevel(int portions, int worked)
{
    setEnabledSegment(std::clamp(portions - worked, 0, int(portionLabel.size())));
}

void running::setEnabledSegment(int n)
{
    enabledSegments = n;
    redrawGlassSegment();
}

void running::redrawGlassSegment()
{
    for (int i = 0; i < portionLabel.size(); ++i) {
        QLabel *segment = portionLabel[i];
        const bool full = i < enabledSegments;
        // The top one is in the work while the machine runs.
        const bool current = full && i == enabledSegments - 1 && workingStarted && blinlk;
        segment->setVisible(full);
        segment->setStyleSheet(
            QStringLiteral("background-color: %1; border-radius: 2px;").arg(current ? customColor : kFrozen));
    }
}

int running::levelSegments() const
{
    return portionLabel.size();
}

int running::fullLevelSegments() const
{
    return enabledSegments;
}

// ---- texts -------------------------------------------------------------------------------------

void running::retranslate()
{
    removeRollingObject(ui->title);
    ui->title->setText(runTitle(*actual));
    addRollingObject(ui->title, 34);
    if (errorDisplayed)
        ui->info->setText(tr(errorText.toLatin1().constData()));
    else if (endCommitted)
        ui->info->setText(tr("Work ended."));
    else if (workingStarted)
        ui->info->setText(tr("Working."));
    else
        ui->info->setText(tr("Waiting for the machine to start."));
    fitTextToLabel(ui->info, 12, 8);
    showStepTexts();
    workingTimeUpdate();
}

void running::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslate();
        if (stepSeen) {
            showSpeeds();
        }
    }
    QWidget::changeEvent(event);
}
