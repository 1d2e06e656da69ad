#include "errors/AnomalyWorking.h"

#include "app/AppState.h"
#include "app/Overlay.h"
#include "app/Utils.h"
#include "link/ProtocolConversion.h"
#include "link/SharedState.h"
#include "platform/log.h"
#include "ui_AnomalyWorking.h"

#include <QEvent>
#include <QTimer>

AnomalyWorking::AnomalyWorking(QWidget *parent)
    : QDialog(parent), ui(new Ui::AnomalyWorking), timer(new QTimer(this)), screenSaverWasEnabled(enableScreenSaver)
{
    ui->setupUi(this);
    prepareOverlay(this);
    setObjectName("AnomalyWorking");
    enableScreenSaver = false;
    fitTextToLabel(ui->message, 13);
    applyThemeColor(this);
    timer->setInterval(kCheckMs);
    connect(timer, &QTimer::timeout, this, &AnomalyWorking::workingStateCheck);
    timer->start();
}

AnomalyWorking::~AnomalyWorking()
{
    delete ui;
}

void AnomalyWorking::workingStateCheck()
{
    if (!working && isVisible())
        accept();
}

void AnomalyWorking::on_stop_clicked()
{
    if (stopCount <= 0)
        return;
    {
        FifoLock lock;
        serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::Stop));
    }
    --stopCount;
    platform::debugLine("ANOMALY WORKING : STOP inviato, pressioni rimaste " + std::to_string(stopCount));
    if (stopCount == 0)
        ui->stop->setEnabled(false);
}

void AnomalyWorking::done(int result)
{
    timer->stop();
    // The warning only held the screen saver off while it was up.
    if (screenSaverWasEnabled)
        enableScreenSaver = true;
    QDialog::done(result);
}

void AnomalyWorking::showEvent(QShowEvent *event)
{
    applyDimmedBackdrop(this);
    QDialog::showEvent(event);
}

void AnomalyWorking::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        fitTextToLabel(ui->message, 13);
    }
    QDialog::changeEvent(event);
}
