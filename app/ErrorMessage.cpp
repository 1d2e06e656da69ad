#include "app/ErrorMessage.h"

#include "app/AppState.h"
#include "app/Overlay.h"
#include "app/Utils.h"
#include "ui_ErrorMessage.h"

#include <QEvent>
#include <QMovie>
#include <QTimer>

namespace {
const char *const kErrorColor = "rgb(242, 112, 113)";
const char *const kErrorColorDim = "rgb(190, 70, 72)";
} // namespace

ErrorMessage::ErrorMessage(QWidget *parent, const QString &resource, bool machineError, bool blink)
    : QDialog(parent), ui(new Ui::ErrorMessage), machineError(machineError)
{
    ui->setupUi(this);
    prepareOverlay(this);
    setObjectName("ErrorMessage");

    if (!resource.isEmpty()) {
        movie = new QMovie(resource, QByteArray(), this);
        if (movie->isValid()) {
            movie->setScaledSize(ui->picture->size());
            ui->picture->setMovie(movie);
        } else {
            delete movie;
            movie = nullptr;
        }
    }
    if (movie) {
        // Text beside the picture.
        const QRect pic = ui->picture->geometry();
        QRect text = ui->message->geometry();
        text.setLeft(pic.right() + 12);
        ui->message->setGeometry(text);
    } else {
        ui->picture->hide();
    }

    applyThemeColor(this);
    applyTitleStyle(true);
    if (blink) {
        blinkTimer = new QTimer(this);
        blinkTimer->setInterval(500);
        connect(blinkTimer, &QTimer::timeout, this, &ErrorMessage::blinkTick);
        blinkTimer->start();
    }
    retranslate();
}

ErrorMessage::~ErrorMessage()
{
    delete ui;
}

void ErrorMessage::setDisplayMessage(const QString &text)
{
    message = text;
    ui->message->setText(text);
    fitTextToLabel(ui->message, 13);
}

void ErrorMessage::on_ok_clicked()
{
    accept();
}

void ErrorMessage::blinkTick()
{
    lit = !lit;
    applyTitleStyle(lit);
}

void ErrorMessage::applyTitleStyle(bool on)
{
    const QString background = machineError ? QString::fromLatin1(on ? kErrorColor : kErrorColorDim)
                                            : (on ? customColor : QStringLiteral("rgb(90, 140, 200)"));
    ui->title->setStyleSheet(QStringLiteral("background-color: %1; color: #ffffff; font-size: 16pt; "
                                            "font-weight: bold;")
                                 .arg(background));
}

void ErrorMessage::showEvent(QShowEvent *event)
{
    applyDimmedBackdrop(this);
    if (movie)
        movie->start();
    QDialog::showEvent(event);
}

void ErrorMessage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslate();
    }
    QDialog::changeEvent(event);
}

void ErrorMessage::retranslate()
{
    ui->title->setText(machineError ? tr("ERROR") : tr("WARNING"));
    ui->message->setText(message);
    fitTextToLabel(ui->message, 13);
}
