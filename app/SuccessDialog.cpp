#include "app/SuccessDialog.h"

#include "app/Overlay.h"
#include "ui_SuccessDialog.h"

#include <QEvent>
#include <QPixmap>
#include <QTimer>

SuccessDialog::SuccessDialog(QWidget *parent) : QDialog(parent), ui(new Ui::SuccessDialog), timer(new QTimer(this))
{
    ui->setupUi(this);
    prepareOverlay(this);
    setObjectName("SuccessDialog");
    const QPixmap star(QStringLiteral(":/icon/star_3D_120.png"));
    if (!star.isNull())
        ui->picture->setPixmap(star.scaled(ui->picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    timer->setSingleShot(true);
    timer->setInterval(kCloseMs);
    connect(timer, &QTimer::timeout, this, &QDialog::accept);
    applyThemeColor(this);
}

SuccessDialog::~SuccessDialog()
{
    delete ui;
}

void SuccessDialog::showEvent(QShowEvent *event)
{
    applyDimmedBackdrop(this);
    timer->start();
    QDialog::showEvent(event);
}

void SuccessDialog::mousePressEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
    timer->stop();
    accept();
}

void SuccessDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QDialog::changeEvent(event);
}
