#include "settings/SystemInfo.h"
#include "ui_SystemInfo.h"

#include "app/Overlay.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/UserSettings.h"
#include "link/SharedState.h"
#include "remote/RemoteState.h"
#include "settings/translator.h"

#include <QEvent>
#include <QFontMetrics>
#include <QNetworkInterface>
#include <QRegularExpression>
#include <QTimer>

namespace {

const char *const kShownProperty = "shownValue";

QString digitsOnly(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\d{1,4}$"));
    return number.match(text).hasMatch() ? text : QString();
}

} // namespace

SystemInfo::SystemInfo(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::SystemInfo), refreshTimer(new QTimer(this))
{
    ui->setupUi(this);
    setFixedSize(480, 272);
    // Names and numbers from files and the network are shown as they are,
    // never read as markup.
    for (QLabel *value : {ui->software_value, ui->firmware_value, ui->serial_value, ui->mains_value,
                          ui->wifi_value, ui->address_value})
        value->setTextFormat(Qt::PlainText);
    applyThemeColor(this);
    applyFonts();
    refresh();
    connect(refreshTimer, &QTimer::timeout, this, &SystemInfo::refresh);
    refreshTimer->start(kRefreshMs);
}

SystemInfo::~SystemInfo()
{
    for (QLabel *value : {ui->software_value, ui->firmware_value, ui->serial_value, ui->mains_value,
                          ui->wifi_value, ui->address_value})
        removeRollingObject(value);
    delete ui;
}

QString SystemInfo::cleanText(const QString &raw)
{
    QString out;
    out.reserve(raw.size());
    for (const QChar c : raw)
        if (c.isPrint())
            out += c;
    return out.trimmed();
}

QString SystemInfo::shownText(const QString &raw)
{
    const QString out = cleanText(raw);
    return out.isEmpty() ? QStringLiteral("-") : out;
}

QString SystemInfo::mainsText(const QString &boardMains, const QString &voltage, const QString &hz)
{
    // The board reports the voltage text it was built for followed by the
    // frequency, e.g. "230V 50Hz" or "110V60Hz".
    static const QRegularExpression boardVolts(QStringLiteral("^\\s*(\\d{2,3})\\s*V"));
    QString volts;
    const QRegularExpressionMatch m = boardVolts.match(boardMains);
    if (m.hasMatch())
        volts = m.captured(1);
    else if (const QString v = digitsOnly(voltage.trimmed()); !v.isEmpty() && v.toInt() > 0)
        volts = v; // the settings' "0" is an option, not a voltage
    static const QRegularExpression boardHz(QStringLiteral("(\\d{2})\\s*Hz\\s*$"));
    QString freq = digitsOnly(hz.trimmed());
    if (freq.isEmpty())
        freq = boardHz.match(boardMains).captured(1);
    QStringList parts;
    if (!volts.isEmpty())
        parts << volts + QStringLiteral(" V");
    if (!freq.isEmpty())
        parts << freq + QStringLiteral(" Hz");
    return parts.isEmpty() ? QStringLiteral("-") : parts.join(QStringLiteral("  "));
}

QString SystemInfo::chooseAddress(const QList<InterfaceAddress> &addresses)
{
    const auto usable = [](const InterfaceAddress &a) {
        return a.up && !a.loopback && a.address.protocol() == QAbstractSocket::IPv4Protocol &&
               !a.address.isLoopback();
    };
    for (const InterfaceAddress &a : addresses)
        if (a.interfaceName == QLatin1String("wlan0") && usable(a))
            return a.address.toString();
    for (const InterfaceAddress &a : addresses)
        if (usable(a))
            return a.address.toString();
    return QString();
}

QList<SystemInfo::InterfaceAddress> SystemInfo::systemAddresses()
{
    QList<InterfaceAddress> out;
    for (const QNetworkInterface &iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            InterfaceAddress a;
            a.interfaceName = iface.name();
            a.address = entry.ip();
            a.loopback = flags.testFlag(QNetworkInterface::IsLoopBack);
            a.up = flags.testFlag(QNetworkInterface::IsUp);
            out << a;
        }
    }
    return out;
}

void SystemInfo::applyFonts()
{
    ui->title->setFont(transLanguage.fontAt(16, true));
    for (QLabel *caption : {ui->software_label, ui->firmware_label, ui->serial_label, ui->mains_label,
                            ui->wifi_label, ui->address_label}) {
        caption->setFont(transLanguage.fontAt(12, false));
        fitTextToLabel(caption, 12, 8);
    }
    for (QLabel *value : {ui->software_value, ui->firmware_value, ui->serial_value, ui->mains_value,
                          ui->wifi_value, ui->address_value}) {
        value->setFont(transLanguage.fontAt(13, true));
        value->setProperty(kShownProperty, QVariant()); // shown again in the new font
    }
    ui->back->setFont(transLanguage.fontAt(13, false));
}

void SystemInfo::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        applyFonts();
        refresh();
    }
    QWidget::changeEvent(event);
}

void SystemInfo::setValue(QLabel *label, const QString &text)
{
    // The rolling rotates the label's own text: compare with what it was given.
    if (label->property(kShownProperty).toString() == text)
        return;
    label->setProperty(kShownProperty, text);
    removeRollingObject(label);
    label->setText(text);
    if (QFontMetrics(label->font()).horizontalAdvance(text) > label->width())
        addRollingObject(label, 0);
}

void SystemInfo::refresh()
{
    setValue(ui->software_value, shownText(swVersion.get()));
    setValue(ui->firmware_value, shownText(fwVersion.get()));
    setValue(ui->serial_value, shownText(serialNumber.get()));
    setValue(ui->mains_value, mainsText(QString::fromStdString(fwFrequency.get()), settings.getVoltage(),
                                        settings.getHz()));
    const QString essid = cleanText(settings.getWifiEssid());
    if (essid.isEmpty())
        setValue(ui->wifi_value, QStringLiteral("-"));
    else
        setValue(ui->wifi_value, wifiConnect ? tr("%1 (connected)").arg(essid) : tr("%1 (not connected)").arg(essid));
    const QString address = chooseAddress(systemAddresses());
    setValue(ui->address_value, address.isEmpty() ? QStringLiteral("-") : address);
}

void SystemInfo::on_back_clicked()
{
    close();
}
