#include "settings/ServicePage.h"
#include "ui_ServicePage.h"

#include "app/Overlay.h"
#include "app/ScreenHooks.h"
#include "app/Utils.h"
#include "link/LinkStatistics.h"
#include "settings/SystemStateExport.h"
#include "settings/translator.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>

namespace {

struct Item
{
    const char *object; // of the value label
    const char *name;
};

// Six counts in two columns, then the share of failed exchanges on its own line.
const Item kItems[] = {
    {"exchanges_value", QT_TRANSLATE_NOOP("ServicePage", "EXCHANGES")},
    {"no_answer_value", QT_TRANSLATE_NOOP("ServicePage", "NO ANSWER")},
    {"corrupt_value", QT_TRANSLATE_NOOP("ServicePage", "CORRUPT")},
    {"retries_value", QT_TRANSLATE_NOOP("ServicePage", "RETRIES")},
    {"refused_value", QT_TRANSLATE_NOOP("ServicePage", "REFUSED")},
    {"reopens_value", QT_TRANSLATE_NOOP("ServicePage", "PORT RE-OPENS")},
    {"share_value", QT_TRANSLATE_NOOP("ServicePage", "FAILED EXCHANGES")},
};
constexpr int kItemCount = int(sizeof kItems / sizeof kItems[0]);
constexpr int kRowHeight = 40;

} // namespace

ServicePage::ServicePage(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::ServicePage), refreshTimer(new QTimer(this))
{
    ui->setupUi(this);
    setFixedSize(480, 272);
    for (int i = 0; i < kItemCount; ++i) {
        auto *name = new QLabel(ui->rows);
        auto *value = new QLabel(ui->rows);
        value->setObjectName(QString::fromLatin1(kItems[i].object));
        if (i < kItemCount - 1) {
            const int column = i % 2, row = i / 2;
            name->setGeometry(12 + column * 234, row * kRowHeight, 136, kRowHeight - 4);
            value->setGeometry(150 + column * 234, row * kRowHeight, 80, kRowHeight - 4);
        } else {
            name->setGeometry(12, 3 * kRowHeight + 4, 300, kRowHeight);
            value->setGeometry(316, 3 * kRowHeight + 4, 152, kRowHeight);
        }
        name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        name->setWordWrap(true);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        names << name;
        values << value;
    }
    ui->rows->setStyleSheet(QStringLiteral("QLabel { border-bottom: 1px solid #d8d8d8; }"));
    // The sensor page belongs to another screen library; without it the key has nowhere to go.
    ui->sensors->setEnabled(bool(ScreenHooks::openSensorPage));
    applyThemeColor(this);
    applyFonts();
    retranslateNames();
    refresh();
    connect(refreshTimer, &QTimer::timeout, this, &ServicePage::refresh);
    refreshTimer->start(kRefreshMs);
}

ServicePage::~ServicePage()
{
    delete ui;
}

void ServicePage::applyFonts()
{
    ui->page_title->setFont(transLanguage.fontAt(13, true));
    for (QLabel *l : names)
        l->setFont(transLanguage.fontAt(12, false));
    for (QLabel *l : values)
        l->setFont(transLanguage.fontAt(13, true));
    names.last()->setFont(transLanguage.fontAt(13, true));
    values.last()->setFont(transLanguage.fontAt(16, true));
    for (QWidget *w : {static_cast<QWidget *>(ui->back), static_cast<QWidget *>(ui->sensors),
                       static_cast<QWidget *>(ui->export_data)})
        w->setFont(transLanguage.fontAt(13, false));
}

void ServicePage::retranslateNames()
{
    for (int i = 0; i < kItemCount; ++i) {
        names[i]->setText(QCoreApplication::translate("ServicePage", kItems[i].name));
        fitTextToLabel(names[i], i < kItemCount - 1 ? 12 : 13, 8);
    }
}

void ServicePage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        applyFonts();
        retranslateNames();
        refresh();
    }
    QWidget::changeEvent(event);
}

void ServicePage::refresh()
{
    const LinkStatistics::Snapshot s = LinkStatistics::snapshot();
    const uint64_t counts[] = {s.exchanges, s.noAnswer, s.corrupt, s.retries, s.refused, s.portReopens};
    for (int i = 0; i < kItemCount - 1; ++i)
        values[i]->setText(QString::number(qulonglong(counts[i])));
    values.last()->setText(QString::number(s.failedShare(), 'f', 1) + QStringLiteral(" %"));
}

void ServicePage::on_back_clicked()
{
    close();
}

void ServicePage::on_sensors_clicked()
{
    if (ScreenHooks::openSensorPage)
        ScreenHooks::openSensorPage(this);
}

void ServicePage::on_export_data_clicked()
{
    SystemStateExport::run(this);
}
