#include "app/DialogMessage.h"

#include "app/AppState.h"
#include "app/Overlay.h"
#include "app/Utils.h"
#include "ui_DialogMessage.h"

#include <QEvent>
#include <QMovie>
#include <QTimer>

#include <climits>

DialogMessage::DialogMessage(QWidget *parent, bool animation)
    : QDialog(parent), ui(new Ui::DialogMessage), workingTimer(new QTimer(this)), animationSet(animation)
{
    ui->setupUi(this);
    prepareOverlay(this);
    setObjectName("DialogMessage");
    ui->picture->hide();
    workingTimer->setSingleShot(true);
    connect(workingTimer, &QTimer::timeout, this, &DialogMessage::timeElapsed);
    applyThemeColor(this);
}

DialogMessage::~DialogMessage()
{
    delete ui;
}

void DialogMessage::setDisplayMessage(const QString &text)
{
    displayMessageText = text;
    ui->message->setText(text);
    fitTextToLabel(ui->message, 14);
}

void DialogMessage::setSingleKey(const QString &first)
{
    ownKeys = false;
    ui->cancelKey->setText(first);
    // The only key sits in the middle, styled as the primary action.
    ui->cancelKey->setGeometry(118, ui->cancelKey->y(), 196, ui->cancelKey->height());
    ui->cancelKey->setStyleSheet(ui->okKey->styleSheet());
    ui->okKey->hide();
}

void DialogMessage::setKeys(const QString &first, const QString &second)
{
    ownKeys = false;
    ui->cancelKey->setText(first);
    ui->okKey->setText(second);
}

void DialogMessage::setPicture(const QString &resource)
{
    if (resource.isEmpty())
        return;
    delete animation;
    animation = nullptr;
    if (animationSet) {
        animation = new QMovie(resource, QByteArray(), this);
        if (!animation->isValid()) {
            delete animation;
            animation = nullptr;
            return;
        }
        animation->setScaledSize(ui->picture->size());
        ui->picture->setMovie(animation);
    } else {
        const QPixmap pix(resource);
        if (pix.isNull())
            return;
        ui->picture->setPixmap(pix.scaled(ui->picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    ui->picture->show();
    QRect text = ui->message->geometry();
    text.setLeft(ui->picture->geometry().right() + 12);
    ui->message->setGeometry(text);
    fitTextToLabel(ui->message, 14);
}

void DialogMessage::setAutoClose(unsigned int ms)
{
    workingTimer->stop();
    workingTimer->setInterval(static_cast<int>(qMin<unsigned int>(ms, INT_MAX)));
    if (ms > 0 && isVisible())
        workingTimer->start();
}

void DialogMessage::on_okKey_clicked()
{
    workingTimer->stop();
    SubWindowReturnStatus = 1;
    accept();
}

void DialogMessage::on_cancelKey_clicked()
{
    workingTimer->stop();
    SubWindowReturnStatus = 0;
    reject();
}

void DialogMessage::timeElapsed()
{
    SubWindowReturnStatus = 0;
    reject();
}

void DialogMessage::showEvent(QShowEvent *event)
{
    applyDimmedBackdrop(this);
    if (animation)
        animation->start();
    if (workingTimer->interval() > 0 && !workingTimer->isActive())
        workingTimer->start();
    QDialog::showEvent(event);
}

void DialogMessage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange && ownKeys) {
        ui->cancelKey->setText(tr("NO"));
        ui->okKey->setText(tr("YES"));
    }
    QDialog::changeEvent(event);
}
