#include "data/UserSettings.h"

#include "data/DataState.h"
#include "data/StoredFile.h"
#include "data/SystemCommand.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QBuffer>
#include <QDataStream>

#include <functional>

const char *const UserSettings::kDefaultLanguage = "inglese_en";

namespace SettingsHooks {
std::function<void(int)> applyBacklight;
std::function<void(const QString &)> currentLanguageFile;
} // namespace SettingsHooks

namespace {

std::string settingsPath()
{
    return platform::path("/home/root/user_settings");
}

std::string mainsPath()
{
    return platform::path("/home/root/rete_setting");
}

std::string wifiPath()
{
    return platform::path("/home/root/wifi.conf");
}

bool hasControlCharacter(const QString &s)
{
    for (const QChar c : s) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    }
    return false;
}

bool isPrintableAscii(const QByteArray &s)
{
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E)
            return false;
    }
    return true;
}

} // namespace

UserSettings::UserSettings() : language(QString::fromLatin1(kDefaultLanguage)) {}

bool UserSettings::load()
{
    const std::string path = settingsPath();
    QByteArray raw;
    if (!storedfile::readAll(path, raw)) {
        platform::debugLine("Could not open " + path);
        std::lock_guard<std::mutex> l(m);
        fileFound = costructorEnable.load();
        return false;
    }

    QDataStream in(raw);
    storedfile::prepare(in);

    // Group 1 is what every version of the file holds; a file in which even
    // that cannot be read is treated like a missing one.
    QString lang;
    qint32 saver = 0;
    quint8 bright = 0, milling = 0, cutting = 0, whipping = 0;
    in >> lang >> saver >> bright >> milling >> cutting >> whipping;
    if (in.status() != QDataStream::Ok) {
        platform::debugLine("user settings unreadable, defaults kept: " + path);
        std::lock_guard<std::mutex> l(m);
        fileFound = costructorEnable.load();
        return false;
    }

    std::unique_lock<std::mutex> l(m);
    language = lang;
    // Only the setters' ranges are taken from a file: a damaged value must not
    // leave the display dark.
    if (saver == 0 || (saver >= 25 && saver <= 600))
        screenSaverTime = saver;
    if (bright >= 5 && bright <= 100)
        brightness = bright;
    millingDefaultChoise = milling;
    cuttingDefaultChoise = cutting;
    whippingDefaultChoise = whipping;

    // Later groups were added by later versions; each is taken only when the
    // file holds it completely.
    if (!in.atEnd()) {
        QString essid, key;
        quint8 type = 0;
        in >> essid >> type >> key;
        if (in.status() == QDataStream::Ok) {
            wifiESSID = essid;
            wifiAutenticationType = type;
            wifiKey = key;
        }
    }
    if (in.status() == QDataStream::Ok && !in.atEnd()) {
        bool reserved = false;
        in >> reserved;
        if (in.status() == QDataStream::Ok)
            reservedFlag = reserved;
    }
    if (in.status() == QDataStream::Ok && !in.atEnd()) {
        qint32 page = 0, a1 = 0, a2 = 0, a3 = 0;
        bool m1 = false, m2 = false, m3 = false;
        in >> page >> a1 >> a2 >> a3 >> m1 >> m2 >> m3;
        if (in.status() == QDataStream::Ok) {
            startPage = page;
            p1_aff_speed = a1;
            p2_aff_speed = a2;
            p3_aff_speed = a3;
            p1_modify = m1;
            p2_modify = m2;
            p3_modify = m3;
        }
    }
    fileFound = true;
    const QString current = language;
    l.unlock();

    if (SettingsHooks::currentLanguageFile)
        SettingsHooks::currentLanguageFile(current);
    return true;
}

bool UserSettings::save()
{
    QByteArray raw;
    {
        std::lock_guard<std::mutex> l(m);
        if (costructorEnable) {
            fileFound = true;
            return true;
        }
        QDataStream out(&raw, QIODevice::WriteOnly);
        storedfile::prepare(out);
        out << language << qint32(screenSaverTime) << quint8(brightness) << quint8(millingDefaultChoise)
            << quint8(cuttingDefaultChoise) << quint8(whippingDefaultChoise);
        out << wifiESSID << quint8(wifiAutenticationType) << wifiKey;
        out << reservedFlag;
        out << qint32(startPage) << qint32(p1_aff_speed) << qint32(p2_aff_speed) << qint32(p3_aff_speed)
            << p1_modify << p2_modify << p3_modify;
    }
    const bool ok = storedfile::writeAll(settingsPath(), raw);
    if (ok) {
        std::lock_guard<std::mutex> l(m);
        fileFound = true;
    }
    return ok;
}

bool UserSettings::deleteFile()
{
    const std::string path = settingsPath();
    if (!storedfile::exists(path) || !storedfile::removeFile(path))
        return false;
    std::lock_guard<std::mutex> l(m);
    language = QString::fromLatin1(kDefaultLanguage);
    brightness = 50;
    millingDefaultChoise = 1;
    whippingDefaultChoise = 1;
    cuttingDefaultChoise = 1;
    wifiESSID.clear();
    wifiAutenticationType = 0;
    wifiKey.clear();
    p2_aff_speed = 0;
    p3_aff_speed = 0;
    p1_modify = false;
    p2_modify = false;
    p3_modify = false;
    return true;
}

bool UserSettings::isFileFound() const
{
    std::lock_guard<std::mutex> l(m);
    return fileFound;
}

void UserSettings::setLanguage(const QString &name)
{
    std::lock_guard<std::mutex> l(m);
    language = name;
}

QString UserSettings::getLanguage()
{
    std::lock_guard<std::mutex> l(m);
    if (language.isEmpty())
        language = QString::fromLatin1(kDefaultLanguage);
    return language;
}

bool UserSettings::checkLanguage(const QString &name) const
{
    std::lock_guard<std::mutex> l(m);
    return name.compare(language, Qt::CaseInsensitive) == 0;
}

bool UserSettings::setScreenSaverTime(int seconds)
{
    std::lock_guard<std::mutex> l(m);
    if (seconds < 25) {
        screenSaverTime = 0;
        return false;
    }
    if (seconds > 600)
        return false;
    screenSaverTime = seconds;
    return true;
}

int UserSettings::getScreenSaverTime() const
{
    std::lock_guard<std::mutex> l(m);
    return screenSaverTime;
}

bool UserSettings::isScreenSaverEnabled() const
{
    std::lock_guard<std::mutex> l(m);
    return screenSaverTime > 25;
}

bool UserSettings::setMyBrightness(int percent)
{
    if (percent < 5 || percent > 100)
        return false;
    {
        std::lock_guard<std::mutex> l(m);
        brightness = static_cast<uint8_t>(percent);
    }
    if (SettingsHooks::applyBacklight)
        SettingsHooks::applyBacklight(percent);
    return true;
}

uint8_t UserSettings::getBrightness() const
{
    std::lock_guard<std::mutex> l(m);
    return brightness;
}

bool UserSettings::setDefaultChoise(int function, uint8_t choice)
{
    {
        std::lock_guard<std::mutex> l(m);
        switch (function) {
        case 1:
            millingDefaultChoise = choice;
            break;
        case 2:
            cuttingDefaultChoise = choice;
            break;
        case 3:
            whippingDefaultChoise = choice;
            break;
        default:
            return false;
        }
    }
    save();
    return true;
}

uint8_t UserSettings::getDefaultChoise(int function) const
{
    std::lock_guard<std::mutex> l(m);
    uint8_t c = 0;
    switch (function) {
    case 1:
        c = millingDefaultChoise;
        break;
    case 2:
        c = cuttingDefaultChoise;
        break;
    case 3:
        c = whippingDefaultChoise;
        break;
    default:
        return 0;
    }
    return c > 2 ? 0 : c;
}

bool UserSettings::isWifiSet() const
{
    std::lock_guard<std::mutex> l(m);
    return !wifiESSID.isEmpty();
}

bool UserSettings::checkWifiEssid(const QString &name) const
{
    std::lock_guard<std::mutex> l(m);
    return name == wifiESSID;
}

void UserSettings::setWifiEssid(const QString &name)
{
    std::lock_guard<std::mutex> l(m);
    wifiESSID = name;
}

QString UserSettings::getWifiEssid() const
{
    std::lock_guard<std::mutex> l(m);
    return wifiESSID;
}

void UserSettings::setWifiAutentication(uint8_t type)
{
    std::lock_guard<std::mutex> l(m);
    wifiAutenticationType = type;
}

uint8_t UserSettings::getWifiAutentication() const
{
    std::lock_guard<std::mutex> l(m);
    return wifiAutenticationType;
}

void UserSettings::setWifiKey(const QString &key)
{
    std::lock_guard<std::mutex> l(m);
    wifiKey = key;
}

QString UserSettings::getWifiKey() const
{
    std::lock_guard<std::mutex> l(m);
    return wifiKey;
}

bool UserSettings::createWifiConfig(const QString &essid, const QString &key, uint8_t type)
{
    if (essid.isEmpty())
        return storedfile::removeFile(wifiPath());

    // The values land inside double quotes in a line-based file: a line break
    // would let them add lines of their own to the daemon's configuration.
    if (hasControlCharacter(essid) || hasControlCharacter(key))
        return false;
    const QByteArray name = essid.toUtf8();
    const QByteArray secret = key.toUtf8();
    if (name.size() > 32) // an SSID is at most 32 bytes
        return false;

    QByteArray block = "network={\n\tssid=\"" + name + "\"\n";
    switch (type) {
    case 0:
        block += "\tkey_mgmt=NONE\n";
        break;
    case 1:
        // Quoted WEP keys: 5 (40-bit), 13 (104-bit) or 16 (128-bit) characters.
        if (secret.size() != 5 && secret.size() != 13 && secret.size() != 16)
            return false;
        block += "\tkey_mgmt=NONE\n\twep_key0=\"" + secret + "\"\n\twep_tx_keyidx=0\n";
        break;
    case 2:
        // A WPA passphrase: 8 to 63 printable ASCII characters.
        if (secret.size() < 8 || secret.size() > 63 || !isPrintableAscii(secret))
            return false;
        block += "\tpsk=\"" + secret + "\"\n";
        break;
    default:
        return false;
    }
    block += "}";
    return storedfile::writeAll(wifiPath(), block);
}

bool UserSettings::restorePreviousConfiguration()
{
    QString essid, key;
    uint8_t type = 0;
    {
        std::lock_guard<std::mutex> l(m);
        essid = wifiESSID;
        key = wifiKey;
        type = wifiAutenticationType;
    }
    return createWifiConfig(essid, key, type);
}

QStringList UserSettings::wifiInterfaceArguments() const
{
    std::lock_guard<std::mutex> l(m);
    QStringList args{QStringLiteral("wlan0"), QStringLiteral("essid")};
    if (wifiESSID.isEmpty())
        return args << QStringLiteral("off");
    args << wifiESSID;
    if (wifiAutenticationType == 0)
        args << QStringLiteral("key") << QStringLiteral("off");
    return args;
}

bool UserSettings::read_rete_setting()
{
    QByteArray raw;
    const bool found = storedfile::readAll(mainsPath(), raw, 4096);
    QString first;
    if (found) {
        const int end = raw.indexOf('\n');
        first = QString::fromUtf8(end < 0 ? raw : raw.left(end)).trimmed();
        // The frequency goes to the board as a number: a damaged first line
        // must not turn into a frequency of 0.
        bool numeric = false;
        first.toUInt(&numeric);
        if (!numeric) {
            platform::debugLine("rete_setting: unusable frequency, 50 assumed");
            first = QStringLiteral("50");
        }
    }
    std::lock_guard<std::mutex> l(m);
    hz = found ? first : QStringLiteral("50");
    voltage = QStringLiteral("0");
    return found;
}

bool UserSettings::set_rete_setting(const QString &newHz, const QString &newVoltage)
{
    {
        std::lock_guard<std::mutex> l(m);
        hz = newHz;
        voltage = newVoltage;
    }
    const QByteArray content = newHz.toUtf8() + "\n" + newVoltage.toUtf8() + "\n";
    const bool ok = storedfile::writeAll(mainsPath(), content);
    for (int i = 0; i < 3; ++i)
        syscmd::runSync();
    return ok;
}

QString UserSettings::getHz() const
{
    std::lock_guard<std::mutex> l(m);
    return hz;
}

void UserSettings::setHz(const QString &value)
{
    std::lock_guard<std::mutex> l(m);
    hz = value;
}

QString UserSettings::getVoltage() const
{
    std::lock_guard<std::mutex> l(m);
    return voltage;
}

void UserSettings::setVoltage(const QString &value)
{
    std::lock_guard<std::mutex> l(m);
    voltage = value;
}

int UserSettings::getStartPage() const
{
    std::lock_guard<std::mutex> l(m);
    return startPage;
}

void UserSettings::setStartPage(int page)
{
    std::lock_guard<std::mutex> l(m);
    startPage = page;
}

int UserSettings::getAffSpeed(int page) const
{
    std::lock_guard<std::mutex> l(m);
    switch (page) {
    case 1:
        return p1_aff_speed;
    case 2:
        return p2_aff_speed;
    case 3:
        return p3_aff_speed;
    default:
        return 0;
    }
}

void UserSettings::setAffSpeed(int page, int option)
{
    std::lock_guard<std::mutex> l(m);
    if (page == 1)
        p1_aff_speed = option;
    else if (page == 2)
        p2_aff_speed = option;
    else if (page == 3)
        p3_aff_speed = option;
}

bool UserSettings::getModify(int page) const
{
    std::lock_guard<std::mutex> l(m);
    switch (page) {
    case 1:
        return p1_modify;
    case 2:
        return p2_modify;
    case 3:
        return p3_modify;
    default:
        return false;
    }
}

void UserSettings::setModify(int page, bool enabled)
{
    std::lock_guard<std::mutex> l(m);
    if (page == 1)
        p1_modify = enabled;
    else if (page == 2)
        p2_modify = enabled;
    else if (page == 3)
        p3_modify = enabled;
}

bool UserSettings::getReservedFlag() const
{
    std::lock_guard<std::mutex> l(m);
    return reservedFlag;
}
