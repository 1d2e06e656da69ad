#include "app/Dialog.h"

#include "app/Overlay.h"
#include "data/DataState.h"
#include "link/SharedState.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

Dialog::Dialog(QWidget *parent) : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog)
{
    setObjectName("Dialog");
    prepareOverlay(this);

    auto *panel = new QWidget(this);
    panel->setObjectName("panel");
    panel->setGeometry(60, 36, 360, 200);
    panel->setStyleSheet("#panel { background-color: #ffffff; border: 2px solid rgba(126, 191, 255, 255); "
                         "border-radius: 6px; }");

    title = new QLabel(panel);
    title->setObjectName("title");
    title->setGeometry(2, 2, 356, 40);
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet("background-color: rgba(126, 191, 255, 255); color: #ffffff; "
                         "font-family: 'DejaVu Sans'; font-size: 16pt; font-weight: bold;");

    body = new QLabel(panel);
    body->setObjectName("body");
    body->setGeometry(12, 52, 336, 70);
    body->setAlignment(Qt::AlignCenter);
    body->setWordWrap(true);
    body->setStyleSheet("color: #202020; font-family: 'DejaVu Sans'; font-size: 13pt;");

    details = new QLabel(panel);
    details->setObjectName("details");
    details->setGeometry(12, 126, 336, 64);
    details->setAlignment(Qt::AlignCenter);
    details->setWordWrap(true);
    details->setStyleSheet("color: #202020; font-family: 'DejaVu Sans'; font-size: 12pt;");

    closeTimer = new QTimer(this);
    closeTimer->setSingleShot(true);
    closeTimer->setInterval(kAutoCloseMs);
    connect(closeTimer, &QTimer::timeout, this, &Dialog::accept);

    applyThemeColor(this);
    retranslate();
}

Dialog::~Dialog() = default;

void Dialog::autoclose_stop()
{
    autoClose = false;
    closeTimer->stop();
    retranslate();
}

void Dialog::ext_close()
{
    closeTimer->stop();
    accept();
}

void Dialog::setMessage(const QString &text)
{
    customMessage = text;
    retranslate();
}

bool Dialog::autoCloseActive() const
{
    return autoClose;
}

void Dialog::mousePressEvent(QMouseEvent *event)
{
    // A touch anywhere dismisses the welcome; a panel the opener holds up
    // for a board exchange stays until the opener closes it.
    if (autoClose) {
        closeTimer->stop();
        accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void Dialog::showEvent(QShowEvent *event)
{
    applyDimmedBackdrop(this);
    // Kept to be painted by hand: a style sheet on the window behind (the
    // home screen has one) would otherwise paint over the palette.
    backdrop = palette().window().texture();
    if (autoClose)
        closeTimer->start();
    QDialog::showEvent(event);
}

void Dialog::paintEvent(QPaintEvent *event)
{
    if (!backdrop.isNull()) {
        QPainter p(this);
        p.drawPixmap(0, 0, backdrop);
    }
    QDialog::paintEvent(event);
}

void Dialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}

void Dialog::retranslate()
{
    if (!customMessage.isEmpty() || !autoClose) {
        title->setText(tr("PLEASE WAIT"));
        body->setText(customMessage.isEmpty() ? tr("Sending the settings to the machine.") : customMessage);
        details->clear();
        return;
    }
    title->setText(tr("WELCOME"));
    body->setText(tr("Software version %1").arg(QString::fromStdString(swVersion.get())));
    details->setText(tr("Serial number\n%1").arg(QString::fromStdString(serialNumber.get())));
}
