#include "app/WaitResponseCmd.h"

#include "app/AppState.h"
#include "app/Overlay.h"
#include "app/Utils.h"
#include "link/SharedState.h"
#include "ui_WaitResponseCmd.h"

#include <QEvent>
#include <QMovie>
#include <QTimer>

WaitResponseCmd::WaitResponseCmd(QWidget *parent, bool automaticClose)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      ui(new Ui::WaitResponseCmd),
      timer(new QTimer(this)),
      movie(new QMovie(QStringLiteral(":/icon/reload_3D_120.gif"), QByteArray(), this)),
      _automatic_Close(automaticClose)
{
    ui->setupUi(this);
    prepareOverlay(this);
    setObjectName("WaitResponseCmd");
    // Nothing behind the panel may be touched while the board works.
    setWindowModality(Qt::ApplicationModal);

    movie->setSpeed(150);
    movie->setScaledSize(ui->animation->size());
    ui->animation->setMovie(movie);
    ui->progressBar->hide();
    QFont bold = ui->displayText->font();
    bold.setBold(true);
    ui->displayText->setFont(bold);
    fitTextToLabel(ui->displayText, 16, 10);

    timer->setInterval(updateTimer);
    connect(timer, &QTimer::timeout, this, &WaitResponseCmd::updateState);
    applyThemeColor(this);
    (void)maxWaitingCicle;
}

WaitResponseCmd::~WaitResponseCmd()
{
    delete ui;
}

void WaitResponseCmd::setDisplayText(const QString &text)
{
    customText = true;
    ui->displayText->setText(text);
    fitTextToLabel(ui->displayText, 16, 10);
}

QString WaitResponseCmd::displayText() const
{
    return ui->displayText->text();
}

void WaitResponseCmd::setProgressMinMax(int min, int max)
{
    activeProgressBar = true;
    actualWaitProgress = 0;
    ui->progressBar->setRange(min, qMax(min, max));
    ui->progressBar->setValue(min);
    ui->progressBar->show();
}

int WaitResponseCmd::progressValue() const
{
    return ui->progressBar->value();
}

void WaitResponseCmd::updateState()
{
    if (activeProgressBar) {
        const int v = actualWaitProgress;
        ui->progressBar->setValue(qBound(ui->progressBar->minimum(), v, ui->progressBar->maximum()));
    }
    // The flags are atomics written under the queue's lock; reading them
    // without it keeps this panel responsive while the link holds the lock
    // for a whole exchange or a firmware transfer.
    if (_automatic_Close && checkWaitStateVar())
        close();
}

void WaitResponseCmd::showEvent(QShowEvent *event)
{
    applyDimmedBackdrop(this);
    enableScreenSaver = false;
    movie->start();
    timer->start();
    QWidget::showEvent(event);
}

void WaitResponseCmd::hideEvent(QHideEvent *event)
{
    timer->stop();
    movie->stop();
    QWidget::hideEvent(event);
}

void WaitResponseCmd::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange && !customText) {
        ui->retranslateUi(this);
        fitTextToLabel(ui->displayText, 16, 10);
    }
    QWidget::changeEvent(event);
}
