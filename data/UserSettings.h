#pragma once
// The operator's preferences: language, screen saver, brightness, the default
// strength offered per function, the Wi-Fi network and the settings pages'
// options. Also keeps the mains settings file and writes the Wi-Fi client's
// network block.
//
// The graphical thread changes it; the serial link thread reads the mains
// setting when a firmware version reply arrives, so every access is locked.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <mutex>

// What the settings hand to the layers above; start-up plugs them in, an
// unset hook is skipped.
namespace SettingsHooks {
// Set the display backlight to a level of 5 to 100 (setBrightness).
extern std::function<void(int level)> applyBacklight;
// The language file name just loaded from the settings file.
extern std::function<void(const QString &name)> currentLanguageFile;
} // namespace SettingsHooks

class UserSettings
{
public:
    UserSettings();
    UserSettings(const UserSettings &) = delete;
    UserSettings &operator=(const UserSettings &) = delete;

    // Reads "/home/root/user_settings"; false when it is missing or unreadable
    // (the defaults then stay in force).
    bool load();
    // Writes the file; in builder mode nothing is written. False when the file
    // could not be written.
    bool save();
    // Factory reset of the file; true when it was removed.
    bool deleteFile();
    bool isFileFound() const;

    void setLanguage(const QString &name);
    QString getLanguage();
    bool checkLanguage(const QString &name) const;

    bool setScreenSaverTime(int seconds);
    int getScreenSaverTime() const;
    bool isScreenSaverEnabled() const;

    bool setMyBrightness(int percent);
    uint8_t getBrightness() const;

    // function: 1 frostizing, 2 cutting, 3 whipping.
    bool setDefaultChoise(int function, uint8_t choice);
    uint8_t getDefaultChoise(int function) const;

    bool isWifiSet() const;
    bool checkWifiEssid(const QString &name) const;
    void setWifiEssid(const QString &name);
    QString getWifiEssid() const;
    void setWifiAutentication(uint8_t type);
    uint8_t getWifiAutentication() const;
    void setWifiKey(const QString &key);
    QString getWifiKey() const;

    // type: 0 open, 1 WEP, 2 WPA with a pre-shared key. An empty essid removes
    // the file. False when the values cannot form a valid block or the file
    // could not be written.
    bool createWifiConfig(const QString &essid, const QString &key, uint8_t type);
    // Writes the stored network's block again (removes it when no network is
    // stored); false when it could not be written. Runs no tool: the caller
    // points the interface at it with "iwconfig" and wifiInterfaceArguments(),
    // without blocking the screen.
    bool restorePreviousConfiguration();
    // The arguments of "iwconfig" that point wlan0 at the stored network
    // ("essid off" without one). The key is never among them: any process can
    // read a command line, and the client daemon takes the key from the block.
    QStringList wifiInterfaceArguments() const;

    // Mains settings file; read_rete_setting() is false when it is missing.
    bool read_rete_setting();
    bool set_rete_setting(const QString &hz, const QString &voltage);
    QString getHz() const;
    void setHz(const QString &hz);
    QString getVoltage() const;
    void setVoltage(const QString &voltage);

    // Options of the settings pages (page 1 to 3).
    int getStartPage() const;
    void setStartPage(int page);
    int getAffSpeed(int page) const;
    void setAffSpeed(int page, int option);
    bool getModify(int page) const;
    void setModify(int page, bool enabled);
    bool getReservedFlag() const;

    static const char *const kDefaultLanguage;

private:
    mutable std::mutex m;

    bool reservedFlag = false;
    int startPage = 0;
    int p1_aff_speed = 0;
    int p2_aff_speed = 0;
    int p3_aff_speed = 0;
    bool p1_modify = false;
    bool p2_modify = false;
    bool p3_modify = false;
    QString hz;
    QString voltage;
    QString language;
    int screenSaverTime = 30;
    uint8_t brightness = 50;
    uint8_t millingDefaultChoise = 1;
    uint8_t whippingDefaultChoise = 1;
    uint8_t cuttingDefaultChoise = 1;
    QString wifiESSID;
    uint8_t wifiAutenticationType = 0;
    QString wifiKey;
    bool fileFound = false;
};
