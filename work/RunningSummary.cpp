#include "work/RunningSummary.h"

#include "app/AppState.h"
#include "app/Overlay.h"
#include "app/Utils.h"
#include "app/WaitResponseCmd.h"
#include "data/DataState.h"
#include "data/GlassElement.h"
#include "data/SequenceMsg.h"
#include "data/WorkingTimer.h"
#include "link/SharedState.h"
#include "platform/log.h"
#include "work/WorkRun.h"
#include "work/running.h"

#include "ui_RunningSummary.h"

#include <QEvent>
#include <QTimer>

namespace {

const char kGood[] = "rgb(88, 186, 72)";
const char kBad[] = "rgb(242, 112, 113)";

QString minutesSeconds(uint32_t seconds)
{
    return QString::asprintf("%u:%02u", seconds / 60, seconds % 60);
}

} // namespace

RunningSummary::RunningSummary(QWidget *parent, int emulsionSteps, bool workWithToMuchMaterial)
    : QDialog(parent), ui(new Ui::RunningSummary), timer(new QTimer(this)), ranProgram(*actual)
{
    ui->setupUi(this);
    prepareOverlay(this);
    applyThemeColor(this);

    const WorkSettings &program = ranProgram;
    // A rework runs the emulsion only: it is told in cycles, like the liquid programs.
    const bool frostizing = program.getEmulsionWorkingMode() == 0 && !reworkSet;
    if (frostizing) {
        requested = program.getPortion();
        executed = portionsDone(program);
    } else {
        requested = program.getTotalEmulsionCicle();
        executed = emulsionCyclesDone(program, emulsionSteps);
    }
    totalTime = program.endWork > program.startWork ? program.endWork - program.startWork : 0;

    if (program.userStop)
        result = Outcome::AbortedByUser;
    else if (program.toMuchMaterial && !workWithToMuchMaterial)
        result = Outcome::TooMuchProduct;
    else if (frostizing && program.enoughtPortion())
        result = Outcome::InsufficientPortion;

    // The beaker has been worked: its record goes.
    if (actualSelectedGlass && actualSelectedGlass->isLoad()) {
        platform::debugLine("SUMMARY : cancello il bicchiere " + actualSelectedGlass->getGlassCode().toStdString());
        actualSelectedGlass->Delete(QString());
    }
    if (frostizing && executed > 0) {
        machineLife.addPortionMilling(static_cast<uint64_t>(executed));
        machineLife.save();
    }

    retranslate();
    const QString colour = result == Outcome::Good ? kGood : kBad;
    ui->outcome->setStyleSheet(QStringLiteral("background-color: %1; color: #ffffff; font-size: 14pt; "
                                              "font-weight: bold; border-radius: 6px;")
                                   .arg(colour));

    timer->setInterval(kPollMs);
    connect(timer, &QTimer::timeout, this, &RunningSummary::updateState);
    timer->start();
    updateState();
}

RunningSummary::~RunningSummary()
{
    removeRollingObject(ui->title);
    // A rework hands the screen over to a new run monitor.
    if (!reworkStarted)
        enableScreenSaver = true;
    delete ui;
}

bool RunningSummary::reworkAvailable() const
{
    // What the board needs to accept a start, and something to rework.
    return ranProgram.getTotalEmulsionCicle() > 0 && machineReady && machineOpen && machineCloseOk &&
           oringPresence && glassPresence && !working;
}

void RunningSummary::updateState()
{
    ui->rework->setEnabled(!waitDialog && reworkAvailable());
}

void RunningSummary::on_home_clicked()
{
    timer->stop();
    reworkSet = false;
    reloadRunProgram("SUMMARY");
    close();
}

void RunningSummary::on_rework_clicked()
{
    if (waitDialog || !reworkAvailable())
        return;
    WorkSettings next = ranProgram;
    next.setReworkAddStep(static_cast<uint8_t>(next.getReworkAddStep() + next.getTotalEmulsionCicle()));
    *actual = next;
    reworkSet = true;
    if (!queueWorkSequence()) {
        reworkSet = false;
        actual->setReworkAddStep(0);
        DisplayError(tr("Error 1"), QString(), false);
        return;
    }
    platform::debugLine("SUMMARY : rilavorazione, cicli aggiunti " + std::to_string(int(actual->getReworkAddStep())));
    waitDialog = new WaitResponseCmd(nullptr, true);
    waitDialog->setAttribute(Qt::WA_DeleteOnClose);
    waitDialog->setDisplayText(tr("Wait"));
    connect(waitDialog, &QObject::destroyed, this, &RunningSummary::reworkAnswered);
    waitDialog->show();
    updateState();
}

void RunningSummary::reworkAnswered()
{
    // Called from the wait panel's destruction: the guard is not cleared yet
    // and must not be read.
    waitDialog.clear();
    if (setMillingFlag == 1 && setEmulsionFlag == 1 && startRunningFlag == 1) {
        reworkStarted = true;
        timer->stop();
        auto *monitor = new running(parentWidget());
        monitor->setAttribute(Qt::WA_DeleteOnClose);
        monitor->setGlassDimension(glassDimension);
        close();
        return;
    }
    platform::debugLine("SUMMARY : rilavorazione rifiutata dalla scheda");
    {
        FifoLock lock;
        resetStateVar();
    }
    reworkSet = false;
    actual->setReworkAddStep(0);
    DisplayError(tr("Error 1"), QString(), false);
    updateState();
}

void RunningSummary::retranslate()
{
    removeRollingObject(ui->title);
    ui->title->setText(runTitle(ranProgram));
    addRollingObject(ui->title, 34);
    ui->request_value->setText(QString::number(requested));
    ui->execution_value->setText(QString::number(executed));
    ui->time_value->setText(minutesSeconds(totalTime));
    switch (result) {
    case Outcome::AbortedByUser:
        ui->outcome->setText(tr("Job Aborted From User."));
        break;
    case Outcome::TooMuchProduct:
        ui->outcome->setText(tr("To Much Product."));
        break;
    case Outcome::InsufficientPortion:
        ui->outcome->setText(tr("Insufficient Portion."));
        break;
    case Outcome::Good:
        ui->outcome->setText(tr("Job Completed."));
        break;
    }
    fitTextToLabel(ui->outcome, 14, 9);
}

void RunningSummary::showEvent(QShowEvent *event)
{
    applyDimmedBackdrop(this);
    QDialog::showEvent(event);
}

void RunningSummary::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslate();
    }
    QDialog::changeEvent(event);
}
