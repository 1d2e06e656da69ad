#include "app/Utils.h"

#include "app/AppState.h"
#include "app/DialogMessage.h"
#include "app/ErrorMessage.h"
#include "data/DataState.h"
#include "data/StoredFile.h"
#include "data/SystemCommand.h"
#include "data/Tables.h"
#include "data/UserSettings.h"
#include "link/SharedState.h"
#include "platform/atomicfile.h"
#include "platform/clock.h"
#include "platform/devices.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/report.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

void initAppResources()
{
    Q_INIT_RESOURCE(app);
}

namespace {

bool onGuiThread()
{
    return qApp && QThread::currentThread() == qApp->thread();
}

// Local calendar text of a time in seconds since the epoch.
std::string localText(int64_t seconds, const char *format)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    char buf[64];
    const std::size_t n = std::strftime(buf, sizeof buf, format, &local);
    return std::string(buf, n);
}

} // namespace

// ---- dialogs -------------------------------------------------------------------

ErrorMessage *DisplayError(const QString &text, const QString &resource, bool modal, bool machineError, bool blink)
{
    if (!qApp)
        return nullptr;
    if (!onGuiThread()) {
        // Widgets live on the graphical thread only: show it from there.
        QMetaObject::invokeMethod(
            qApp, [=] { DisplayError(text, resource, false, machineError, blink); }, Qt::QueuedConnection);
        return nullptr;
    }
    auto *dialog = new ErrorMessage(nullptr, resource, machineError, blink);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setDisplayMessage(text);
    platform::debugLine("DisplayError: " + text.toStdString());
    if (modal) {
        dialog->exec();
        return nullptr;
    }
    dialog->show();
    return dialog;
}

namespace {

DialogMessage *makeDialogMsg(QWidget *parent, const QString &text, unsigned int autoCloseMs, bool animated,
                             const QString &firstKey, const QString &secondKey, const QString &picture)
{
    auto *dialog = new DialogMessage(parent, animated);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setDisplayMessage(text);
    if (!firstKey.isEmpty()) {
        if (secondKey.isEmpty()) {
            dialog->setSingleKey(firstKey);
        } else {
            dialog->setKeys(firstKey, secondKey);
            dialog->setPicture(picture);
        }
    }
    dialog->setAutoClose(autoCloseMs);
    return dialog;
}

} // namespace

int DisplayDialogMsg(const QString &text, unsigned int autoCloseMs, bool animated, const QString &firstKey,
                     const QString &secondKey, const QString &picture)
{
    // An earlier answer must not pass for this one.
    SubWindowReturnStatus = 0;
    if (!qApp || !onGuiThread())
        return 0;
    makeDialogMsg(nullptr, text, autoCloseMs, animated, firstKey, secondKey, picture)->exec();
    return SubWindowReturnStatus;
}

DialogMessage *OpenDialogMsg(QWidget *parent, const QString &text, unsigned int autoCloseMs, bool animated,
                             const QString &firstKey, const QString &secondKey, const QString &picture)
{
    if (!qApp || !onGuiThread())
        return nullptr;
    DialogMessage *dialog = makeDialogMsg(parent, text, autoCloseMs, animated, firstKey, secondKey, picture);
    dialog->show();
    dialog->raise();
    return dialog;
}

int DisplayDialogMsg(const QString &text)
{
    return DisplayDialogMsg(text, 0, false, QString(), QString(), QString());
}

// ---- rolling text ------------------------------------------------------------------

namespace {

const QString kRollingGap = QStringLiteral("     ");

template <typename W>
void addRolling(std::vector<QPointer<W>> &list, W *widget, int maxChars)
{
    if (!widget)
        return;
    const QString text = widget->text();
    if (text.size() <= maxChars)
        return;
    RollingLock lock;
    for (const QPointer<W> &p : list) {
        if (p == widget)
            return;
    }
    widget->setText(text + kRollingGap);
    list.emplace_back(widget);
}

template <typename W>
void removeRolling(std::vector<QPointer<W>> &list, W *widget)
{
    RollingLock lock;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [widget](const QPointer<W> &p) { return p.isNull() || p == widget; }),
               list.end());
}

// The first character moves to the end; a character outside the basic plane
// (two UTF-16 units) moves whole.
QString rotated(const QString &text)
{
    if (text.size() < 2)
        return text;
    const int n = (text.at(0).isHighSurrogate() && text.size() > 2) ? 2 : 1;
    return text.mid(n) + text.left(n);
}

template <typename W>
void rollList(std::vector<QPointer<W>> &list)
{
    list.erase(std::remove_if(list.begin(), list.end(), [](const QPointer<W> &p) { return p.isNull(); }),
               list.end());
    for (const QPointer<W> &p : list)
        p->setText(rotated(p->text()));
}

} // namespace

void addRollingObject(QLabel *label, int maxChars)
{
    addRolling(listRollingObject, label, maxChars);
}

void addRollingObject(QAbstractButton *button, int maxChars)
{
    addRolling(listRollingObjectButton, button, maxChars);
}

void removeRollingObject(QLabel *label)
{
    removeRolling(listRollingObject, label);
}

void removeRollingObject(QAbstractButton *button)
{
    removeRolling(listRollingObjectButton, button);
}

void rollRollingObjects()
{
    RollingLock lock;
    rollList(listRollingObject);
    rollList(listRollingObjectButton);
}

// ---- theming -------------------------------------------------------------------------

bool isStyleSheetColor(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(#[0-9A-Fa-f]{3}|#[0-9A-Fa-f]{6}|#[0-9A-Fa-f]{8}|[A-Za-z]{3,20}"
        "|rgb\\(\\s*\\d{1,3}%?\\s*,\\s*\\d{1,3}%?\\s*,\\s*\\d{1,3}%?\\s*\\)"
        "|rgba\\(\\s*\\d{1,3}%?\\s*,\\s*\\d{1,3}%?\\s*,\\s*\\d{1,3}%?\\s*,\\s*\\d{1,3}%?\\s*\\))$"));
    return pattern.match(text).hasMatch();
}

void loadCusotmColor()
{
    QByteArray raw;
    const std::string file = platform::path("/home/root/color_settings");
    if (!storedfile::readAll(file, raw, 4096))
        return;
    const int end = raw.indexOf('\n');
    QString line = QString::fromUtf8(end < 0 ? raw : raw.left(end));
    line.remove(QLatin1Char('\r'));
    if (line.isEmpty())
        return;
    // The text goes into every style sheet: anything but a colour could
    // restyle or break whole screens.
    if (!isStyleSheetColor(line.trimmed())) {
        platform::debugLine("color_settings: not a colour, theme unchanged: " + line.toStdString());
        return;
    }
    customColor = line.trimmed();
}

void changeColorTo(QWidget *w, const QString &from, const QString &to)
{
    if (!w || from.isEmpty())
        return;
    const QString sheet = w->styleSheet();
    if (!sheet.contains(from, Qt::CaseSensitive))
        return;
    QString changed = sheet;
    changed.replace(from, to, Qt::CaseSensitive);
    w->setStyleSheet(changed);
}

void changeColor(QWidget *w)
{
    changeColorTo(w, QString::fromLatin1(kThemeColor), customColor);
}

void fitTextToLabel(QLabel *label, int maxPt, int minPt)
{
    if (!label)
        return;
    // The family follows the language's font (the application font), also
    // after a language change, when the label already has a font of its own.
    QFont f = label->font();
    f.setFamily(QApplication::font().family());
    const QRect box = label->contentsRect();
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    for (int pt = maxPt; pt >= minPt; --pt) {
        f.setPointSize(pt);
        const QRect need = QFontMetrics(f).boundingRect(box, flags, label->text());
        if (need.width() <= box.width() && need.height() <= box.height())
            break;
    }
    label->setFont(f);
}

void setFontSize(QWidget *w, int points, bool bold)
{
    QFont f = QApplication::font();
    f.setPointSize(points);
    f.setBold(bold);
    w->setFont(f);
}

void fitKeyText(QAbstractButton *key, int maxPt, int minPt)
{
    QFont f = QApplication::font();
    f.setBold(key->font().bold());
    const int room = key->width() - 12;
    const QStringList lines = key->text().split('\n');
    for (int pt = maxPt; pt >= minPt; --pt) {
        f.setPointSize(pt);
        const QFontMetrics fm(f);
        int widest = 0;
        for (const QString &line : lines)
            widest = std::max(widest, fm.horizontalAdvance(line));
        if (widest <= room && fm.lineSpacing() * lines.size() <= key->height() - 6)
            break;
    }
    key->setFont(f);
}

void fitKeysText(std::initializer_list<QAbstractButton *> keys, int maxPt, int minPt)
{
    int size = maxPt;
    for (QAbstractButton *k : keys) {
        fitKeyText(k, size, minPt);
        size = k->font().pointSize();
    }
    for (QAbstractButton *k : keys) {
        QFont f = k->font();
        f.setPointSize(size);
        k->setFont(f);
    }
}

// ---- hardware ----------------------------------------------------------------------------

void setBrightness(int level)
{
    if (level < 5 || level > 100)
        return;
    std::string error;
    if (!platform::writeBacklight(level, &error))
        platform::debugLine("Could not open " + platform::backlightPath() + " (" + error + ")");
    syscmd::runSync();
}

bool saveToRtc(uint8_t day, uint8_t month, uint16_t year, uint8_t hour, uint8_t minute)
{
    platform::ClockTime t;
    t.day = day;
    t.month = month;
    t.year = year;
    t.hour = hour;
    t.minute = minute;
    t.second = 0;
    std::string error;
    if (!platform::setClock(t, &error)) {
        platform::debugLine(error);
        return false;
    }
    syscmd::runSync();
    return true;
}

bool readToRtc(uint8_t *day, uint8_t *month, uint16_t *year, uint8_t *hour, uint8_t *minute)
{
    platform::ClockTime t;
    std::string error;
    if (!platform::readClock(t, &error)) {
        platform::debugLine(error);
        return false;
    }
    if (day)
        *day = static_cast<uint8_t>(t.day);
    if (month)
        *month = static_cast<uint8_t>(t.month);
    if (year)
        *year = static_cast<uint16_t>(t.year);
    if (hour)
        *hour = static_cast<uint8_t>(t.hour);
    if (minute)
        *minute = static_cast<uint8_t>(t.minute);
    return true;
}

date readClockDate()
{
    date d;
    if (!readToRtc(&d.day, &d.month, &d.year, &d.hour, &d.minute))
        return currentDate();
    return d;
}

void fileSystemSync()
{
    syscmd::runSync();
}

// ---- serial number ----------------------------------------------------------------------

void loadSerialNumber()
{
    serviceEnable = false;
    costructorEnable = false;
    QByteArray raw;
    std::string number;
    if (storedfile::readAll(platform::path("/home/root/info"), raw, 64 * 1024)) {
        const int end = raw.indexOf('\n');
        QByteArray line = end < 0 ? raw : raw.left(end);
        line.replace('\r', QByteArray());
        number = line.toStdString();
    }
    serialNumber = number.empty() ? std::string(kDefaultSerialNumber) : number;
}

bool saveSerialNumber(const std::string &number)
{
    // Only the first line is read back.
    if (number.empty() || number.find_first_of("\r\n") != std::string::npos)
        return false;
    std::string error;
    if (!platform::writeFileAtomic(platform::path("/home/root/info"), number + "\n", &error)) {
        platform::debugLine("Could not save the serial number: " + error);
        return false;
    }
    serialNumber = number;
    return true;
}

// ---- export and formatting -------------------------------------------------------------

bool writeToTxtFile(const std::string &content, const std::string &prefix, const std::string &extension,
                    bool overwrite)
{
    const int64_t now = platform::nowSeconds();
    const std::string file = platform::path(prefix) + localText(now, "%Y-%m-%d") + extension;
    const std::string line = localText(now, "%Y-%m-%d %H:%M:%S") + ";" + content + "\n";
    bool ok = true;
    if (overwrite) {
        std::string error;
        ok = platform::writeFileAtomic(file, line, &error);
        if (!ok)
            platform::debugLine("Could not open " + file + " (" + error + ")");
    } else {
        // Appending leaves every earlier line as it was, whatever happens to
        // this write; it is forced to storage before returning.
        const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            platform::debugLine("Could not open " + file);
            ok = false;
        } else {
            std::size_t done = 0;
            while (done < line.size()) {
                const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    ok = false;
                    break;
                }
                done += static_cast<std::size_t>(n);
            }
            if (::fsync(fd) != 0)
                ok = false;
            ::close(fd);
        }
    }
    syscmd::runSync();
    return ok;
}

QString convertTemperature(uint8_t code)
{
    const double celsius = temperatureConversionTable[code & 0x7F];
    return QString::asprintf("%.1f", celsius) + QStringLiteral(" \u00B0C");
}

QString doubleToString(double value)
{
    return QString::asprintf("%.1f", value);
}

QString timeToString(uint64_t seconds)
{
    return QString::asprintf("%llu", static_cast<unsigned long long>(seconds));
}

QString hoursMinutesToString(uint64_t seconds)
{
    const uint64_t minutes = seconds / 60;
    return QString::asprintf("%llu:%02llu", static_cast<unsigned long long>(minutes / 60),
                             static_cast<unsigned long long>(minutes % 60));
}

bool machineReadyToStart()
{
    if (!oringPresence) {
        DisplayError(QCoreApplication::translate("MachineChecks", "Insert gasket seal before start working."), QStringLiteral(":/image/oring presence.gif"),
                     false);
        return false;
    }
    if (!machineOpen) { // the bit reads "lid down"
        DisplayError(QCoreApplication::translate("MachineChecks", "Close the machine before start working."), QStringLiteral(":/image/machine open.gif"),
                     false);
        return false;
    }
    if (!glassPresence) {
        DisplayError(QCoreApplication::translate("MachineChecks", "Insert glass before start working."), QStringLiteral(":/image/glass presence.gif"), false);
        return false;
    }
    if (!machineCloseOk) {
        DisplayError(QCoreApplication::translate("MachineChecks", "Retry close the machine before start working."), QStringLiteral(":/image/new state.gif"),
                     false);
        return false;
    }
    return true;
}
