#include "app/ScreenSaver.h"

#include "app/AppState.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/UserSettings.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "ui_ScreenSaver.h"

#include <QEvent>
#include <QPixmap>
#include <QTimer>

ScreenSaver::ScreenSaver(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::ScreenSaver), workingTimer(new QTimer(this))
{
    ui->setupUi(this);
    setObjectName("ScreenSaver");
    setFixedSize(480, 272);
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_StyledBackground);
    ui->text->hide();
    workingTimer->setInterval(kStepMs);
    connect(workingTimer, &QTimer::timeout, this, &ScreenSaver::stepTimeout);
}

ScreenSaver::~ScreenSaver()
{
    delete ui;
}

bool ScreenSaver::timerActive() const
{
    return workingTimer->isActive();
}

void ScreenSaver::showLogo()
{
    const QPixmap logo(QString::fromStdString(platform::path("/home/root/logo.png")));
    if (logo.isNull()) {
        // Without a logo a blank page would look like a dead display.
        ui->logo->clear();
        ui->logo->hide();
        ui->text->show();
        return;
    }
    ui->logo->setPixmap(logo.size().boundedTo(size()) == logo.size()
                            ? logo
                            : logo.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    ui->logo->show();
    ui->text->hide();
}

void ScreenSaver::stepTimeout()
{
    ++idx_step;
    if (idx_step == 1) {
        ui->logo->hide();
        ui->text->show();
        return;
    }
    setBrightness(kDimLevel);
    workingTimer->stop();
}

void ScreenSaver::closeForm()
{
    hide();
}

void ScreenSaver::showEvent(QShowEvent *event)
{
    idx_step = 0;
    showLogo();
    workingTimer->start();
    QWidget::showEvent(event);
}

void ScreenSaver::hideEvent(QHideEvent *event)
{
    workingTimer->stop();
    setBrightness(settings.getBrightness());
    lastUserEventOccurred = static_cast<uint64_t>(platform::nowSeconds() + settings.getScreenSaverTime());
    enableScreenSaver = true;
    QWidget::hideEvent(event);
}

void ScreenSaver::mousePressEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
    closeForm();
}

void ScreenSaver::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QWidget::changeEvent(event);
}
