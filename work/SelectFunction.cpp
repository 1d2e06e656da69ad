#include "work/SelectFunction.h"
#include "ui_SelectFunction.h"

#include "app/ClickableLabel.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/WorkSettings.h"
#include "work/QuickStartLiquid.h"
#include "work/ScreenLook.h"

#include <QEvent>

SelectFunction::SelectFunction(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::SelectFunction)
{
    ui->setupUi(this);
    setFixedSize(480, 272);
    connect(ui->cutting_icon, &ClickableLabel::clicked, this, &SelectFunction::cutting_clicked);
    connect(ui->cutting_label, &ClickableLabel::clicked, this, &SelectFunction::cutting_clicked);
    connect(ui->whipping_icon, &ClickableLabel::clicked, this, &SelectFunction::whipping_clicked);
    connect(ui->whipping_label, &ClickableLabel::clicked, this, &SelectFunction::whipping_clicked);
    changeColor(ui->page_title);
    for (QWidget *w : {static_cast<QWidget *>(ui->cutting_icon), static_cast<QWidget *>(ui->cutting_label),
                       static_cast<QWidget *>(ui->whipping_icon), static_cast<QWidget *>(ui->whipping_label),
                       static_cast<QWidget *>(ui->return_home)})
        changeColor(w);
    applyFonts();
}

SelectFunction::~SelectFunction()
{
    if (liquid)
        liquid->disconnect(this);
    delete ui;
}

void SelectFunction::choose(int function)
{
    if (liquid)
        return;
    // The preset object itself is the current program, not a copy.
    actual = function == 2 ? cutting_soft : whipping_soft;
    actual->Load();
    liquid = new QuickStartLiquid(parentWidget());
    liquid->setAttribute(Qt::WA_DeleteOnClose);
    liquid->setFunction(function, false, true);
    connect(liquid, &QObject::destroyed, this, &SelectFunction::close_cut_whip);
    liquid->show();
    hide();
}

void SelectFunction::cutting_clicked()
{
    choose(2);
}

void SelectFunction::whipping_clicked()
{
    choose(3);
}

void SelectFunction::close_cut_whip()
{
    close();
}

void SelectFunction::on_return_home_clicked()
{
    close();
}

void SelectFunction::applyFonts()
{
    look::setFontSize(ui->page_title, 13, true);
    look::setFontSize(ui->cutting_label, 16, true);
    look::setFontSize(ui->whipping_label, 16, true);
    look::setFontSize(ui->return_home, 13, true);
    look::fitKeyText(ui->return_home, 13);
}

void SelectFunction::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        applyFonts();
    }
    QWidget::changeEvent(event);
}
