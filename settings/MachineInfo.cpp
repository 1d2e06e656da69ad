#include "settings/MachineInfo.h"
#include "ui_MachineInfo.h"

#include "app/Overlay.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/WorkingTimer.h"
#include "settings/SystemStateExport.h"
#include "settings/translator.h"

#include <QEvent>
#include <QLabel>

namespace {

constexpr int kRowHeight = 40;

// The names of getListInfo(), for the translation tools; the page shows them
// translated and leaves a name it does not know as it is.
[[maybe_unused]] const char *const kCounterNames[] = {
    QT_TRANSLATE_NOOP("MachineInfo", "WORKING TIME BLADE MOTOR"),
    QT_TRANSLATE_NOOP("MachineInfo", "MAX BLADE MOTOR TEMPERATURE"),
    QT_TRANSLATE_NOOP("MachineInfo", "MAX BLADE MOTOR ABSORPTION"),
    QT_TRANSLATE_NOOP("MachineInfo", "WORKING TIME TREE MOTOR"),
    QT_TRANSLATE_NOOP("MachineInfo", "WORKING TIME PUMP"),
    QT_TRANSLATE_NOOP("MachineInfo", "WORKING TIME FILTER"),
    QT_TRANSLATE_NOOP("MachineInfo", "MILLING PORTION"),
    QT_TRANSLATE_NOOP("MachineInfo", "MILLING SMALL GLASS"),
    QT_TRANSLATE_NOOP("MachineInfo", "MILLING BIG GLASS"),
    QT_TRANSLATE_NOOP("MachineInfo", "WHIPPING SMALL GLASS"),
    QT_TRANSLATE_NOOP("MachineInfo", "WHIPPING BIG GLASS"),
    QT_TRANSLATE_NOOP("MachineInfo", "CUTTING SMALL GLASS"),
    QT_TRANSLATE_NOOP("MachineInfo", "CUTTING BIG GLASS"),
    QT_TRANSLATE_NOOP("MachineInfo", "CLEANING PERFORMED"),
    QT_TRANSLATE_NOOP("MachineInfo", "REVISION PORTION"),
    QT_TRANSLATE_NOOP("MachineInfo", "REVISION COUNTER"),
};

// "NAME: value" (the first name has a blank before its colon).
QPair<QString, QString> splitLine(const QString &line)
{
    const int at = line.indexOf(QLatin1String(": "));
    if (at < 0)
        return {line.trimmed(), QString()};
    return {line.left(at).trimmed(), line.mid(at + 2).trimmed()};
}

} // namespace

MachineInfo::MachineInfo(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::MachineInfo)
{
    ui->setupUi(this);
    setFixedSize(480, 272);
    for (int i = 0; i < kRowsPerPage; ++i) {
        auto *name = new QLabel(ui->rows);
        name->setObjectName(QStringLiteral("name_%1").arg(i));
        name->setGeometry(12, i * kRowHeight, 320, kRowHeight - 4);
        name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        name->setWordWrap(true);
        auto *value = new QLabel(ui->rows);
        value->setObjectName(QStringLiteral("value_%1").arg(i));
        value->setGeometry(336, i * kRowHeight, 132, kRowHeight - 4);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        names << name;
        values << value;
    }
    // A thin line under each row keeps name and value together for the eye.
    ui->rows->setStyleSheet(QStringLiteral("QLabel { border-bottom: 1px solid #d8d8d8; }"));
    applyThemeColor(this);
    applyFonts();
    refresh();
}

MachineInfo::~MachineInfo()
{
    delete ui;
}

int MachineInfo::pageCount() const
{
    return qMax(1, (int(lines.size()) + kRowsPerPage - 1) / kRowsPerPage);
}

void MachineInfo::applyFonts()
{
    ui->page_title->setFont(transLanguage.fontAt(13, true));
    for (QLabel *l : names)
        l->setFont(transLanguage.fontAt(12, false));
    for (QLabel *l : values)
        l->setFont(transLanguage.fontAt(13, true));
    for (QWidget *w : {static_cast<QWidget *>(ui->back), static_cast<QWidget *>(ui->export_data),
                       static_cast<QWidget *>(ui->page_number)})
        w->setFont(transLanguage.fontAt(13, false));
    ui->up->setFont(transLanguage.fontAt(16, false));
    ui->down->setFont(transLanguage.fontAt(16, false));
    fitTextToLabel(ui->page_title, 13, 9);
}

void MachineInfo::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        applyFonts();
        showPage();
    }
    QWidget::changeEvent(event);
}

void MachineInfo::refresh()
{
    lines = machineLife.getListInfo();
    current = qBound(0, current, pageCount() - 1);
    showPage();
}

void MachineInfo::showPage()
{
    for (int i = 0; i < kRowsPerPage; ++i) {
        const int at = current * kRowsPerPage + i;
        const bool used = at < lines.size();
        const QPair<QString, QString> row = used ? splitLine(lines.at(at)) : QPair<QString, QString>();
        names[i]->setText(used ? tr(row.first.toUtf8().constData()) : QString());
        fitTextToLabel(names[i], 12, 8);
        values[i]->setText(row.second);
        names[i]->setVisible(used);
        values[i]->setVisible(used);
    }
    ui->page_number->setText(QStringLiteral("%1 / %2").arg(current + 1).arg(pageCount()));
    ui->up->setEnabled(current > 0);
    ui->down->setEnabled(current + 1 < pageCount());
}

void MachineInfo::on_back_clicked()
{
    close();
}

void MachineInfo::on_up_clicked()
{
    if (current > 0) {
        --current;
        showPage();
    }
}

void MachineInfo::on_down_clicked()
{
    if (current + 1 < pageCount()) {
        ++current;
        showPage();
    }
}

void MachineInfo::on_export_data_clicked()
{
    SystemStateExport::run(this);
    // The export read the counters as they are now: show the same.
    refresh();
}
