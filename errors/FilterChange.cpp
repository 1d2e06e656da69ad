#include "errors/FilterChange.h"

#include "app/AppState.h"
#include "app/Overlay.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/WorkingTimer.h"
#include "ui_FilterChange.h"

#include <QEvent>

FilterChange::FilterChange(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::FilterChange)
{
    ui->setupUi(this);
    setObjectName("FilterChange");
    setFixedSize(480, 272);
    setAttribute(Qt::WA_StyledBackground);
    changefilter = false;
    applyThemeColor(this);
    showTimes();
}

FilterChange::~FilterChange()
{
    delete ui;
}

void FilterChange::showTimes()
{
    const uint64_t worked = machineLife.getFilter();
    const uint64_t left = worked < WorkingTimer::FILTER_LIMIT ? WorkingTimer::FILTER_LIMIT - worked : 0;
    ui->workingValue->setText(hoursMinutesToString(worked) + QStringLiteral(" [h:mm]"));
    ui->remainingValue->setText(hoursMinutesToString(left) + QStringLiteral(" [h:mm]"));
    ui->remainingValue->setStyleSheet(QStringLiteral("color: %1; font-size: 18pt; font-weight: bold;")
                                          .arg(left == 0 ? QStringLiteral("rgb(242, 112, 113)")
                                                         : QStringLiteral("#202020")));
}

QString FilterChange::workingText() const
{
    return ui->workingValue->text();
}

QString FilterChange::remainingText() const
{
    return ui->remainingValue->text();
}

void FilterChange::on_confirm_clicked()
{
    changefilter = true;
    close();
}

void FilterChange::on_undo_clicked()
{
    close();
}

void FilterChange::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        showTimes();
    }
    QWidget::changeEvent(event);
}
