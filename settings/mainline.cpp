#include "settings/mainline.h"

#include "app/Dialog.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/UserSettings.h"
#include "link/ProtocolConversion.h"
#include "link/SharedState.h"
#include "platform/log.h"
#include "platform/report.h"

#include "ui_mainline.h"

#include <QEvent>
#include <QTimer>

namespace {

const char *const kSelected = "background-color: rgb(50, 180, 50);";
const char *const kUnselected = "background-color: rgb(255, 255, 255);";

} // namespace

mainline::mainline(QWidget *parent) : QDialog(parent), ui(new Ui::mainline)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);

    platform::debugLine("MainLineCreata -> vado a rendere invisibili 230 - 110  e voltage");
    ui->v230->hide();
    ui->v110->hide();
    ui->voltage_label->hide();
    changeColor(this);
    changeColor(ui->hz50);
    changeColor(ui->hz60);
    changesettings();
}

mainline::~mainline()
{
    delete ui;
}

void mainline::changesettings()
{
    const bool fifty = settings.getHz().contains(QLatin1String("50"));
    QWidget *on = fifty ? ui->hz50 : ui->hz60;
    QWidget *off = fifty ? ui->hz60 : ui->hz50;
    changeColorTo(on, QString::fromLatin1(kUnselected), QString::fromLatin1(kSelected));
    changeColorTo(off, QString::fromLatin1(kSelected), QString::fromLatin1(kUnselected));
}

void mainline::on_hz50_clicked()
{
    if (busy)
        return;
    settings.setHz(QStringLiteral("50"));
    changesettings();
}

void mainline::on_hz60_clicked()
{
    if (busy)
        return;
    settings.setHz(QStringLiteral("60"));
    changesettings();
}

void mainline::on_confirm_clicked()
{
    // One confirmation per screen: a second touch while the commands are on
    // their way would queue them twice.
    if (busy)
        return;
    busy = true;
    ui->confirm->setEnabled(false);

    waitPanel = new Dialog(this);
    waitPanel->autoclose_stop();
    waitPanel->setMessage(tr("Sending the supply frequency to the machine..."));
    waitPanel->open();

    const bool fifty = settings.getHz().contains(QLatin1String("50"));
    const uint8_t code = fifty ? 5 : 6;
    {
        FifoLock lock;
        platform::debugLine("MAIN LINE --> inserisco nella coda fifo il comando di Hz");
        serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::MainsFrequency, ByteVector{code}));
        platform::debugLine("---> Hz impostati      : " + std::to_string(code));
    }

    // Store what the board was sent, so the file and the board agree even
    // when the setting held something other than "50" or "60".
    const QString hz = fifty ? QStringLiteral("50") : QStringLiteral("60");
    if (!settings.set_rete_setting(hz, settings.getVoltage())) {
        // The board has the new frequency, but the next start would send the
        // old one: the operator must know.
        platform::debugLine("MAIN LINE --> salvataggio impostazioni main supply line fallito");
        platform::reportToOperator("Supply Setting Saving Error.");
    }

    // The screen keeps running while the board takes the command; no sleeping
    // on the graphical thread.
    QTimer::singleShot(kVersionRequestDelayMs, this, &mainline::queueVersionRequest);
}

void mainline::queueVersionRequest()
{
    {
        FifoLock lock;
        platform::debugLine("MAIN LINE --> inserisco nella coda fifo il comando di lettura vs firmware per leggere "
                            "il tipo di impostazioni che ho!!!");
        serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::Version));
    }
    QTimer::singleShot(kCloseDelayMs, this, &mainline::finish);
}

void mainline::finish()
{
    if (waitPanel) {
        waitPanel->ext_close();
        waitPanel = nullptr;
    }
    platform::debugLine("Esco dalla schermata di impostazioni main supply line");
    close();
}

void mainline::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QDialog::changeEvent(event);
}
