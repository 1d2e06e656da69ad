#include "work/WorkStartScreen.h"

#include "app/DialogMessage.h"
#include "app/ErrorMessage.h"
#include "app/Utils.h"
#include "app/WaitResponseCmd.h"
#include "data/DataState.h"
#include "data/Presets.h"
#include "data/SequenceMsg.h"
#include "data/Tables.h"
#include "data/UserSettings.h"
#include "data/WorkingTimer.h"
#include "link/ProtocolConversion.h"
#include "link/SharedState.h"
#include "platform/log.h"
#include "work/WorkRun.h"
#include "work/running.h"

#include <algorithm>

WorkStartScreen::WorkStartScreen(QWidget *parent, int function, int glassDimension)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), glassDimension(glassDimension), functionCode(function)
{
    setFixedSize(480, 272);
    if (actual)
        baseSpeed = actual->getMillingSteps(0).ImmersionSpeed;
}

WorkStartScreen::~WorkStartScreen()
{
    // The dialogs are top-level windows of their own: they must neither
    // outlive the screen nor call back into it while it is being destroyed.
    if (question) {
        question->disconnect(this);
        delete question;
    }
    if (wait) {
        wait->disconnect(this);
        delete wait;
    }
    if (monitor)
        monitor->disconnect(this);
}

int WorkStartScreen::presetPage(const WorkSettings &program)
{
    if (program.filename == QLatin1String("milling_soft"))
        return 1;
    if (program.filename == QLatin1String("milling_medium"))
        return 2;
    if (program.filename == QLatin1String("milling_hard"))
        return 3;
    return 0;
}

uint8_t WorkStartScreen::offsetSpeed(int base, int offset)
{
    // The offset comes from the settings file, which is not to be trusted
    // to hold what the advanced page allows.
    const int speed = base + std::clamp(offset, -1, 1);
    return uint8_t(std::clamp(speed, 1, IMMERSION_SPEED_TABLE_SIZE - 1));
}

bool WorkStartScreen::hasForbiddenPair(const WorkSettings &program, int function)
{
    // Every step the board runs counts, not only the last one looked at.
    for (int i = 0; i < program.millingStepsInUse(); ++i) {
        const MillingStep s = program.getMillingSteps(i);
        if (checkNotAllowedSetting(s.CutSpeed, s.ImmersionSpeed, function))
            return true;
    }
    for (int i = 0; i < EMULSION_STEPS - 1; ++i) {
        const EmulsionStep s = program.getEmulsionSteps(i);
        if (s.Pause == EMULSION_STEP_DISABLED)
            break;
        if (checkNotAllowedSetting(s.CutSpeed, s.ImmersionSpeed, function))
            return true;
    }
    return false;
}

void WorkStartScreen::applyAir(WorkSettings &program, int option)
{
    // Type and intensity of each option, for the milling pressure and the steps.
    static const uint8_t kType[] = {15, 127, 0};
    static const uint8_t kIntensity[] = {10, 10, 0};
    if (option < AirPress || option > AirNone)
        return;
    program.setMillingPressionIntensity(kIntensity[option]);
    program.setMillingPressionType(kType[option]);
    for (int i = 0; i < EMULSION_STEPS; ++i)
        program.setEmulsionStepsPression(kType[option], kIntensity[option], i);
}

int WorkStartScreen::airOption(const WorkSettings &program)
{
    switch (program.getMillingPressionType()) {
    case 15:
        return AirPress;
    case 127:
        return AirFlow;
    case 0:
        return AirNone;
    default:
        return -1;
    }
}

void WorkStartScreen::changeRepetitions(WorkSettings &program, int delta)
{
    const int extra = int(program.getExtraEmulsionStep()) + delta;
    if (extra >= 0)
        program.setExtraEmulsionStep(uint8_t(extra)); // holds it to the mode's limit
}

bool WorkStartScreen::checksPass()
{
    if (!filterNotifciation && actual->getEmulsionWorkingMode() != 0 && machineLife.checkFilterChange()) {
        filterNotifciation = true;
        DisplayError(tr("Cambiare filtro aspirazione aria"), QString(), false);
        return false;
    }
    if (!displayError && serialComunicationError > 5) {
        displayError = true;
        DisplayError(tr("Comunicarion error.\nPerform machine restart."), QString(), false);
        return false;
    }
    if (functionCode == 1 && actual->getPortion() == 0) {
        DisplayError(tr("Select a number of portions greater than zero."), QString(), false);
        return false;
    }
    return machineReadyToStart();
}

void WorkStartScreen::on_start_work_clicked()
{
    // One start at a time: a second touch while the question or the wait is
    // up must not queue the program twice.
    if (question || wait || monitor || !actual)
        return;
    if (!checksPass())
        return;
    if (hasForbiddenPair(*actual, functionCode)) {
        question = OpenDialogMsg(this,
                                 tr("La combinazione di impostazioni potrebbe provocare dei danni.\nVuoi continuare?"),
                                 0, false, QString(), QString());
        if (question)
            connect(question, &QDialog::finished, this, &WorkStartScreen::dangerAnswered);
        return;
    }
    queueRun();
}

void WorkStartScreen::dangerAnswered(int result)
{
    if (result == QDialog::Accepted)
        queueRun();
}

void WorkStartScreen::queueRun()
{
    // The frostizing presets run at the speed the operator shifted them to.
    if (const int page = presetPage(*actual)) {
        for (int i = 0; i < MILLING_STEPS; ++i)
            savedMilling[i] = actual->getMillingSteps(i);
        for (int i = 0; i < EMULSION_STEPS; ++i)
            savedEmulsion[i] = actual->getEmulsionSteps(i);
        stepsSaved = true;
        const uint8_t speed = offsetSpeed(baseSpeed, settings.getAffSpeed(page));
        actual->setMillingSteps(actual->getMillingSteps(0).CutSpeed, speed);
        actual->setEmulsionStepsUp(actual->getEmulsionSteps(1).CutSpeed, speed);
    }

    // A value the board must not get leaves the sequence empty: nothing of
    // the program may reach the board then.
    const std::string problem = actual->rangeProblem();
    if (!problem.empty() || !queueWorkSequence()) {
        platform::debugLine("START : programma non inviabile alla macchina: " + problem);
        restoreSteps();
        DisplayError(tr("The program holds values the machine cannot take."), QString(), false);
        return;
    }

    wait = new WaitResponseCmd(nullptr, true);
    wait->setDisplayText(tr("Wait"));
    wait->setAttribute(Qt::WA_DeleteOnClose);
    connect(wait, &QObject::destroyed, this, &WorkStartScreen::waitResponseCmdEnd);
    wait->show();
}

void WorkStartScreen::restoreSteps()
{
    if (!stepsSaved)
        return;
    stepsSaved = false;
    for (int i = 0; i < MILLING_STEPS; ++i)
        actual->setMillingSteps(savedMilling[i].CutSpeed, savedMilling[i].ImmersionSpeed, i);
    for (int i = 0; i < EMULSION_STEPS; ++i) {
        const EmulsionStep &e = savedEmulsion[i];
        actual->setEmulsionSteps(e.Pause, e.CutSpeed, e.ImmersionSpeed, e.PressionType, e.PressionIntensity, i);
    }
}

void WorkStartScreen::waitResponseCmdEnd()
{
    if (setMillingFlag != 1 || setEmulsionFlag != 1 || startRunningFlag != 1) {
        platform::debugLine("START : la macchina non ha accettato la lavorazione");
        restoreSteps();
        DisplayError(tr("Error 1"), QString(), false);
        FifoLock lock;
        resetStateVar();
        return;
    }
    stepsSaved = false;
    monitor = new running();
    monitor->setAttribute(Qt::WA_DeleteOnClose);
    monitor->setGlassDimension(glassDimension);
    connect(monitor, &QObject::destroyed, this, &WorkStartScreen::updateDisplay);
    monitor->show();
}
