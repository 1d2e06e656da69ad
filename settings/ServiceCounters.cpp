#include "settings/ServiceCounters.h"
#include "ui_ServiceCounters.h"

#include "app/AppState.h"
#include "app/DialogMessage.h"
#include "app/Overlay.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/WorkingTimer.h"
#include "platform/log.h"
#include "settings/translator.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include <cstdio>

namespace {

constexpr int kRowStep = 54; // 48 px keys, 6 px apart

QString count(uint64_t v)
{
    return QString::number(qulonglong(v));
}

// As the machine information page shows times: hours:minutes:seconds.
QString duration(uint64_t seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(qulonglong(seconds / 3600))
        .arg(qulonglong(seconds / 60 % 60), 2, 10, QLatin1Char('0'))
        .arg(qulonglong(seconds % 60), 2, 10, QLatin1Char('0'));
}

QString oneDecimal(double v)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return QString::fromLatin1(buf);
}

struct Row
{
    int index; // of WorkingTimer::resetCounter
    const char *name;
    QString (*value)();
};

// The countdowns first: they are what a service is about. The pump row is
// the pressure pump alone, the time that resetCounter(5) clears.
const Row kRows[] = {
    {15, QT_TRANSLATE_NOOP("ServiceCounters", "PORTIONS TO NEXT SERVICE"),
     [] { return count(machineLife.getRevisionPortion()); }},
    {16, QT_TRANSLATE_NOOP("ServiceCounters", "SHAFT MOTOR TIME TO NEXT SERVICE"),
     [] { return duration(machineLife.getRevisionDate()); }},
    {6, QT_TRANSLATE_NOOP("ServiceCounters", "PUMP TIME SINCE FILTER CHANGE"),
     [] { return duration(machineLife.getFilter()); }},
    {0, QT_TRANSLATE_NOOP("ServiceCounters", "BLADE MOTOR TIME"), [] { return duration(machineLife.getAcMotor()); }},
    {4, QT_TRANSLATE_NOOP("ServiceCounters", "SHAFT MOTOR TIME"),
     [] { return duration(machineLife.getStepperMotor()); }},
    {5, QT_TRANSLATE_NOOP("ServiceCounters", "PRESSURE PUMP TIME"),
     [] { return duration(machineLife.getPressionPump()); }},
    {2, QT_TRANSLATE_NOOP("ServiceCounters", "MAX BLADE MOTOR TEMPERATURE"),
     [] { return oneDecimal(machineLife.getMaxTemperature()) + QStringLiteral(" °C"); }},
    {3, QT_TRANSLATE_NOOP("ServiceCounters", "MAX BLADE MOTOR ABSORPTION"),
     [] { return oneDecimal(machineLife.getMaxAbsorption()); }},
    {7, QT_TRANSLATE_NOOP("ServiceCounters", "MILLING PORTION"),
     [] { return count(machineLife.getTotalMillingPortion()); }},
    {8, QT_TRANSLATE_NOOP("ServiceCounters", "MILLING SMALL GLASS"),
     [] { return count(machineLife.getGlassWorked(0, 0)); }},
    {9, QT_TRANSLATE_NOOP("ServiceCounters", "MILLING BIG GLASS"),
     [] { return count(machineLife.getGlassWorked(0, 1)); }},
    {10, QT_TRANSLATE_NOOP("ServiceCounters", "WHIPPING SMALL GLASS"),
     [] { return count(machineLife.getGlassWorked(1, 0)); }},
    {11, QT_TRANSLATE_NOOP("ServiceCounters", "WHIPPING BIG GLASS"),
     [] { return count(machineLife.getGlassWorked(1, 1)); }},
    {12, QT_TRANSLATE_NOOP("ServiceCounters", "CUTTING SMALL GLASS"),
     [] { return count(machineLife.getGlassWorked(2, 0)); }},
    {13, QT_TRANSLATE_NOOP("ServiceCounters", "CUTTING BIG GLASS"),
     [] { return count(machineLife.getGlassWorked(2, 1)); }},
    {14, QT_TRANSLATE_NOOP("ServiceCounters", "CLEANING PERFORMED"),
     [] { return count(machineLife.getTotalGlassClean()); }},
};
constexpr int kRowCount = int(sizeof kRows / sizeof kRows[0]);

QString rowName(const Row &row)
{
    return QCoreApplication::translate("ServiceCounters", row.name);
}

} // namespace

QVector<int> ServiceCounters::counterIndexes()
{
    QVector<int> out;
    for (const Row &row : kRows)
        out << row.index;
    return out;
}

ServiceCounters::ServiceCounters(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::ServiceCounters)
{
    ui->setupUi(this);
    setFixedSize(480, 272);
    for (int i = 0; i < kRowsPerPage; ++i) {
        auto *name = new QLabel(ui->rows);
        name->setObjectName(QStringLiteral("name_%1").arg(i));
        name->setGeometry(12, i * kRowStep, 220, 48);
        name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        name->setWordWrap(true);
        auto *value = new QLabel(ui->rows);
        value->setObjectName(QStringLiteral("value_%1").arg(i));
        value->setGeometry(236, i * kRowStep, 120, 48);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto *reset = new QPushButton(ui->rows);
        reset->setObjectName(QStringLiteral("reset_%1").arg(i));
        reset->setGeometry(368, i * kRowStep, 100, 48);
        reset->setFocusPolicy(Qt::NoFocus);
        connect(reset, &QPushButton::clicked, this, [this, i] { askReset(i); });
        names << name;
        values << value;
        resetKeys << reset;
    }
    applyThemeColor(this);
    applyFonts();
    showPage();
}

ServiceCounters::~ServiceCounters()
{
    delete ui;
}

int ServiceCounters::pageCount() const
{
    return (kRowCount + kRowsPerPage - 1) / kRowsPerPage;
}

void ServiceCounters::applyFonts()
{
    ui->page_title->setFont(transLanguage.fontAt(13, true));
    for (QLabel *l : names)
        l->setFont(transLanguage.fontAt(12, false));
    for (QLabel *l : values)
        l->setFont(transLanguage.fontAt(13, true));
    for (QPushButton *b : resetKeys)
        b->setFont(transLanguage.fontAt(12, false));
    ui->back->setFont(transLanguage.fontAt(13, false));
    ui->page_number->setFont(transLanguage.fontAt(13, false));
    ui->up->setFont(transLanguage.fontAt(16, false));
    ui->down->setFont(transLanguage.fontAt(16, false));
}

void ServiceCounters::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        applyFonts();
        showPage();
    }
    QWidget::changeEvent(event);
}

void ServiceCounters::showPage()
{
    const bool service = serviceEnable;
    for (int i = 0; i < kRowsPerPage; ++i) {
        const int at = current * kRowsPerPage + i;
        const bool used = at < kRowCount;
        names[i]->setText(used ? rowName(kRows[at]) : QString());
        fitTextToLabel(names[i], 12, 8);
        values[i]->setText(used ? kRows[at].value() : QString());
        // Without the reset keys the values take the row's right edge.
        values[i]->setGeometry(236, i * kRowStep, service ? 120 : 232, 48);
        resetKeys[i]->setText(tr("RESET"));
        names[i]->setVisible(used);
        values[i]->setVisible(used);
        resetKeys[i]->setVisible(used && service);
    }
    ui->page_number->setText(QStringLiteral("%1 / %2").arg(current + 1).arg(pageCount()));
    ui->up->setEnabled(current > 0);
    ui->down->setEnabled(current + 1 < pageCount());
}

void ServiceCounters::askReset(int row)
{
    const int at = current * kRowsPerPage + row;
    if (at >= kRowCount || !serviceEnable || question)
        return;
    const Row &entry = kRows[at];
    const QString text = entry.index == 15 || entry.index == 16
                             ? tr("Start both countdowns to the next service again?")
                             : tr("Set %1 back to zero?").arg(rowName(entry));
    question = OpenDialogMsg(this, text, 0, false, QString(), QString());
    if (!question)
        return;
    const int index = entry.index;
    connect(question, &QDialog::finished, this, [this, index](int result) {
        if (result != QDialog::Accepted || !serviceEnable)
            return;
        platform::debugLine("SERVICE COUNTERS -> azzerato contatore " + std::to_string(index));
        machineLife.resetCounter(index);
        showPage();
    });
}

void ServiceCounters::on_back_clicked()
{
    close();
}

void ServiceCounters::on_up_clicked()
{
    if (current > 0) {
        --current;
        showPage();
    }
}

void ServiceCounters::on_down_clicked()
{
    if (current + 1 < pageCount()) {
        ++current;
        showPage();
    }
}
