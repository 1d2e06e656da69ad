#include "cleaning/Cleaning.h"
#include "ui_Cleaning.h"

#include "app/AppState.h"
#include "app/ClickableLabel.h"
#include "app/DialogMessage.h"
#include "app/ErrorMessage.h"
#include "app/Utils.h"
#include "cleaning/CleaningLook.h"
#include "cleaning/CustomCleaning.h"
#include "cleaning/ReleaseBlade.h"
#include "errors/ErrorManager.h"
#include "link/ProtocolConversion.h"
#include "link/SharedState.h"
#include "platform/log.h"
#include "remote/RemoteState.h"

#include <QEvent>

namespace {

constexpr uint8_t kPurgeOn = 127;
constexpr uint8_t kPurgeOff = 0;

void queuePurge(uint8_t state)
{
    FifoLock lock;
    serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::AirPurge, {state}));
}

} // namespace

Cleaning::Cleaning(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::Cleaning)
{
    ui->setupUi(this);
    setFixedSize(480, 272);
    const auto hook = [this](ClickableLabel *icon, ClickableLabel *label, void (Cleaning::*slot)()) {
        connect(icon, &ClickableLabel::clicked, this, slot);
        connect(label, &ClickableLabel::clicked, this, slot);
    };
    hook(ui->release_icon, ui->release_label, &Cleaning::release_clicked);
    hook(ui->cleanfast_icon, ui->cleanfast_label, &Cleaning::cleanfast_clicked);
    hook(ui->customclean_icon, ui->customclean_label, &Cleaning::customclean_clicked);
    connect(ui->return_home, &QPushButton::clicked, this, &Cleaning::closeWin);
    for (QWidget *w : findChildren<QWidget *>())
        changeColor(w);
    applyFonts();
}

Cleaning::~Cleaning()
{
    // The purge must not stay on because the menu went with its message up.
    if (purging)
        queuePurge(kPurgeOff);
    if (purgeDialog)
        purgeDialog->disconnect(this);
    if (glassMessage) {
        glassMessage->disconnect(this);
        delete glassMessage;
    }
    if (customPage)
        customPage->disconnect(this);
    delete ui;
}

bool Cleaning::takesTouch() const
{
    return !fwUpdateStarted && !purgeDialog && !glassMessage && !customPage;
}

void Cleaning::release_clicked()
{
    if (!takesTouch())
        return;
    // The blade moves only under a closed lid (machineOpen reads "lid down").
    if (!machineOpen) {
        DisplayError(tr("Close the machine before start working."), QStringLiteral(":/image/machine open.gif"),
                     false);
        return;
    }
    errorSystem.displayErrorSignal();
    if (releasePage)
        return;
    // A sibling window over the menu, which is there again when it closes.
    releasePage = new ReleaseBlade(parentWidget());
    releasePage->show();
}

void Cleaning::cleanfast_clicked()
{
    if (!takesTouch())
        return;
    canStartRemoteRecipe = false;
    queuePurge(kPurgeOn);
    purging = true;
    platform::debugLine("CLEANING : spurgo condotto aria attivato");
    purgeDialog = OpenDialogMsg(this, tr("SPURGA IL CONDOTTO DI AREAZIONE.\nPOI ESCI DALLA SCHERMATA."), 0, false,
                                tr("EXIT"), QString());
    if (purgeDialog)
        connect(purgeDialog, &QDialog::finished, this, &Cleaning::purgeClosed);
    else
        purgeClosed();
}

void Cleaning::purgeClosed()
{
    // The closed message is deleted only later; the menu takes touches again now.
    purgeDialog = nullptr;
    if (!purging)
        return;
    purging = false;
    queuePurge(kPurgeOff);
    platform::debugLine("CLEANING : spurgo condotto aria disattivato");
}

void Cleaning::customclean_clicked()
{
    if (!takesTouch())
        return;
    errorSystem.displayErrorSignal();
    glassMessage = DisplayError(tr("Place the glass behind the machine."), QStringLiteral(":/image/glass_filter.gif"),
                                false);
    if (glassMessage)
        connect(glassMessage, &QObject::destroyed, this, &Cleaning::openCustomCleaning);
    else
        openCustomCleaning();
}

void Cleaning::openCustomCleaning()
{
    // Called from the hint's destruction: the guard is not cleared yet.
    glassMessage.clear();
    if (customPage)
        return;
    // A sibling window: the menu stays, hidden, until the cleaning screen goes.
    customPage = new CustomCleaning(parentWidget());
    customPage->setAttribute(Qt::WA_DeleteOnClose);
    connect(customPage, &QObject::destroyed, this, &Cleaning::customCleaningClosed);
    customPage->show();
    hide();
}

void Cleaning::customCleaningClosed()
{
    close();
}

void Cleaning::closeWin()
{
    close();
}

void Cleaning::applyFonts()
{
    cleaninglook::setFontSize(ui->page_title, 13, true);
    for (QLabel *l : {ui->release_label, ui->cleanfast_label, ui->customclean_label}) {
        cleaninglook::setFontSize(l, 14, true);
        // Some room to the tile's rounded edges for the longest words.
        l->setContentsMargins(6, 0, 6, 0);
        fitTextToLabel(l, 14, 9);
    }
    cleaninglook::setFontSize(ui->return_home, 13, true);
    cleaninglook::fitKeyText(ui->return_home, 13);
}

void Cleaning::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        applyFonts();
    }
    QWidget::changeEvent(event);
}
