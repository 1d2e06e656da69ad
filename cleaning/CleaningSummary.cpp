#include "cleaning/CleaningSummary.h"
#include "ui_CleaningSummary.h"

#include "app/AppState.h"
#include "app/Overlay.h"
#include "app/Utils.h"
#include "cleaning/CleaningLook.h"

#include <QEvent>

#include <algorithm>

CleaningSummary::CleaningSummary(QWidget *parent, int64_t seconds)
    : QWidget(parent), ui(new Ui::CleaningSummary), seconds(std::max<int64_t>(0, seconds))
{
    ui->setupUi(this);
    prepareOverlay(this);
    applyThemeColor(this);
    retranslate();
}

CleaningSummary::~CleaningSummary()
{
    enableScreenSaver = true;
    delete ui;
}

void CleaningSummary::on_home_clicked()
{
    close();
}

void CleaningSummary::retranslate()
{
    ui->time_value->setText(QString::number(seconds) + " " + tr("sec"));
    cleaninglook::setFontSize(ui->tile_label, 16, true);
    fitTextToLabel(ui->tile_label, 16, 10);
    cleaninglook::setFontSize(ui->end, 28, true);
    fitTextToLabel(ui->end, 28, 14);
    cleaninglook::setFontSize(ui->time_caption, 13);
    cleaninglook::setFontSize(ui->time_value, 24, true);
    cleaninglook::setFontSize(ui->home, 14, true);
    cleaninglook::fitKeyText(ui->home, 14);
}

void CleaningSummary::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslate();
    }
    QWidget::changeEvent(event);
}
