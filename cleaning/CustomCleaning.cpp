#include "cleaning/CustomCleaning.h"
#include "ui_CustomCleaning.h"

#include "app/AppState.h"
#include "app/Utils.h"
#include "app/WaitResponseCmd.h"
#include "cleaning/CleaningLook.h"
#include "cleaning/CustomCleaningRunning.h"
#include "data/DataState.h"
#include "data/WorkingTimer.h"
#include "errors/ErrorManager.h"
#include "link/ProtocolConversion.h"
#include "link/SharedState.h"
#include "platform/log.h"

#include <QEvent>
#include <QTimer>

#include <algorithm>

namespace {

// Rolling limit of the subtitle (characters).
constexpr int kSubtitleRollChars = 16;

// The four program keys: (program, intensity).
constexpr int kKeyCycles[4][2] = {{0, 1}, {2, 1}, {0, 4}, {2, 4}};

} // namespace

CustomCleaning::CustomCleaning(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::CustomCleaning),
      workingTimer(new QTimer(this))
{
    ui->setupUi(this);
    setFixedSize(480, 272);
    for (QWidget *w : findChildren<QWidget *>())
        changeColor(w);
    executionTimeCicle = cleancycles::loadCycleTable();
    retranslate();
    on_program_type_1_clicked();
    selectFirstOffered();
    PressionType = cleancycles::kCleaningAir;

    connect(workingTimer, &QTimer::timeout, this, &CustomCleaning::workingStateCheck);
    workingTimer->start(kCheckMs);
}

CustomCleaning::~CustomCleaning()
{
    removeRollingObject(ui->subtitle);
    // The wait panel is a window of its own: it must not call back into a
    // screen being destroyed. The running screen goes on by itself.
    if (wait) {
        wait->disconnect(this);
        delete wait;
    }
    delete ui;
}

void CustomCleaning::setRepetitions(int count)
{
    activeEmulsionStep = std::clamp(count, 1, kMaxRepetitions);
    updateWorkingTime();
}

int CustomCleaning::currentEntry() const
{
    return cleancycles::tableEntry(cut_speed, aff_speed, glassBigPresence);
}

bool CustomCleaning::offered(int program, int intensity) const
{
    return executionTimeCicle[std::size_t(cleancycles::tableEntry(program, intensity, glassBigPresence))] > 0;
}

void CustomCleaning::on_program_type_1_clicked()
{
    selectProgram(kKeyCycles[0][0], kKeyCycles[0][1]);
}

void CustomCleaning::on_program_type_2_clicked()
{
    selectProgram(kKeyCycles[1][0], kKeyCycles[1][1]);
}

void CustomCleaning::on_program_type_3_clicked()
{
    selectProgram(kKeyCycles[2][0], kKeyCycles[2][1]);
}

void CustomCleaning::on_program_type_4_clicked()
{
    selectProgram(kKeyCycles[3][0], kKeyCycles[3][1]);
}

void CustomCleaning::selectProgram(int program, int intensity)
{
    cut_speed = program;
    aff_speed = intensity;
    ui->page_title->setText(listNameSpeed[cut_speed]);
    removeRollingObject(ui->subtitle);
    ui->subtitle->setText("(" + listNameImmersion[aff_speed] + ")");
    addRollingObject(ui->subtitle, kSubtitleRollChars);
    QPushButton *const keys[] = {ui->program_type_1, ui->program_type_2, ui->program_type_3, ui->program_type_4};
    for (int k = 0; k < 4; ++k) {
        const bool chosen = kKeyCycles[k][0] == cut_speed && kKeyCycles[k][1] == aff_speed;
        keys[k]->setStyleSheet(QString::fromLatin1(chosen ? cleaninglook::kChosenKey : cleaninglook::kChoiceKey));
        changeColor(keys[k]);
    }
    updateWorkingTime();
}

void CustomCleaning::selectFirstOffered()
{
    if (offered(cut_speed, aff_speed))
        return;
    for (int program = 0; program < cleancycles::kPrograms; ++program) {
        for (int intensity = 0; intensity < cleancycles::kIntensities; ++intensity) {
            if (offered(program, intensity)) {
                selectProgram(program, intensity);
                return;
            }
        }
    }
    platform::debugLine("CUSTOM CLEANING : nessun ciclo di pulizia disponibile");
}

void CustomCleaning::updateWorkingTime()
{
    const float seconds = executionTimeCicle[std::size_t(currentEntry())];
    const int shown = seconds > 0 ? int(float(activeEmulsionStep) * seconds) : 0;
    ui->time_value->setText(QString::asprintf("%d", shown));
    QPushButton *const keys[] = {ui->program_type_1, ui->program_type_2, ui->program_type_3, ui->program_type_4};
    for (int k = 0; k < 4; ++k)
        keys[k]->setEnabled(offered(kKeyCycles[k][0], kKeyCycles[k][1]));
    ui->start_work->setEnabled(seconds > 0);
}

void CustomCleaning::workingStateCheck()
{
    // The glass may change while the screen is up; the time follows it.
    updateWorkingTime();
}

bool CustomCleaning::checksPass()
{
    ErrorWindowFlag = false;
    reset_errori();
    if (!filterNotifciation && machineLife.checkFilterChange()) {
        filterNotifciation = true;
        DisplayError(tr("Cambiare filtro aspirazione aria"), QString(), false);
        return false;
    }
    if (!displayError && serialComunicationError >= 6) {
        displayError = true;
        DisplayError(tr("Comunicarion error.\nPerform machine restart."), QString(), false);
        return false;
    }
    return machineReadyToStart();
}

void CustomCleaning::on_start_work_clicked()
{
    // One start at a time: a second touch while the wait or the run is up
    // must not queue the cycle twice. None during a firmware update: the
    // board's loader would get the command.
    if (wait || monitor || fwUpdateStarted)
        return;
    if (!checksPass())
        return;
    const int entry = currentEntry();
    if (executionTimeCicle[std::size_t(entry)] <= 0) {
        platform::debugLine("CUSTOM CLEANING : ciclo non disponibile per questo bicchiere");
        return;
    }
    sent = {cut_speed, aff_speed, entry, cleancycles::programCode(entry, PressionType)};
    platform::debugLine("CUSTOM CLEANING : avvio ciclo " + std::to_string(int(sent.code)));

    wait = new WaitResponseCmd(nullptr, true);
    wait->setDisplayText(tr("Wait"));
    wait->setAttribute(Qt::WA_DeleteOnClose);
    connect(wait, &QObject::destroyed, this, &CustomCleaning::waitResponseCmdEnd);
    {
        FifoLock lock;
        actualPression = PressionType;
        serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::CustomClean, {sent.code}));
        waitStateVar(BoardCmd::CustomClean);
    }
    wait->show();
}

void CustomCleaning::waitResponseCmdEnd()
{
    // Called from the wait panel's destruction: the guard is not cleared yet.
    wait.clear();
    // Refused, or lost after the link's retries: nothing runs.
    if (setCustomClean != 1) {
        platform::debugLine("CUSTOM CLEANING : la macchina non ha accettato la pulizia");
        DisplayError(tr("Error 1"), QString(), false);
        FifoLock lock;
        resetStateVar();
        return;
    }
    const int seconds = int(float(activeEmulsionStep) * executionTimeCicle[std::size_t(sent.entry)]);
    monitor = new CustomCleaningRunning(nullptr, activeEmulsionStep - 1, seconds, sent.code,
                                        listNameSpeed[sent.program], "(" + listNameImmersion[sent.intensity] + ")");
    monitor->setAttribute(Qt::WA_DeleteOnClose);
    monitor->show();
}

void CustomCleaning::on_return_home_clicked()
{
    close();
}

void CustomCleaning::retranslate()
{
    listNameSpeed = QStringList{tr("PULIZIA LAME"), tr("PULIZIA ALBERO"), tr("PULIZIA LAME + ALBERO")};
    listNameImmersion = QStringList{tr("MOLTO VELOCE"), tr("VELOCE"), tr("LEGGERA"),
                                    tr("MEDIA"),        tr("PROFONDA"), tr("MOLTO PROFONDA")};
    // The four keys share the size the longest name needs.
    QPushButton *const keys[] = {ui->program_type_1, ui->program_type_2, ui->program_type_3, ui->program_type_4};
    int points = 13;
    for (int k = 0; k < 4; ++k) {
        keys[k]->setText(listNameSpeed[kKeyCycles[k][0]] + "\n" + listNameImmersion[kKeyCycles[k][1]]);
        cleaninglook::setFontSize(keys[k], points, true);
        cleaninglook::fitKeyText(keys[k], points);
        points = keys[k]->font().pointSize();
    }
    for (QPushButton *k : keys)
        cleaninglook::setFontSize(k, points, true);
    cleaninglook::setFontSize(ui->page_title, 13, true);
    cleaninglook::setFontSize(ui->subtitle, 13);
    cleaninglook::setFontSize(ui->time_caption, 12);
    cleaninglook::setFontSize(ui->time_value, 20, true);
    for (QPushButton *k : {ui->return_home, ui->start_work}) {
        cleaninglook::setFontSize(k, 13, true);
        cleaninglook::fitKeyText(k, 13);
    }
}

void CustomCleaning::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslate();
        selectProgram(cut_speed, aff_speed);
    }
    QWidget::changeEvent(event);
}
