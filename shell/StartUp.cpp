#include "shell/StartUp.h"

#include "shell/Wiring.h"

#include "app/AppState.h"
#include "app/ToolRun.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "errors/ErrorManager.h"
#include "data/GlassElement.h"
#include "data/GlassElementsList.h"
#include "data/Presets.h"
#include "data/SystemCommand.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "data/WorkingTimer.h"
#include "link/ProtocolConversion.h"
#include "link/SerialThreadComunication.h"
#include "link/SharedState.h"
#include "platform/atomicfile.h"
#include "platform/clock.h"
#include "platform/devices.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/report.h"
#include "remote/RemoteState.h"
#include "remote/TCPThreadCommunication.h"
#include "remote/UDPThreadCommunication.h"
#include "settings/translator.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace startup {

const char *const kAdvancedUserCode = "hg58nbtqeW#&7mkduKK";
const char *const kServiceCode = "pKeq845012639Mtwz7";
const char *const kBuilderCode = "BRTmqw39475#dGHLN";
const char *const kScreenshotCode = "tudKM371TqwR84Bv95e";

int mainsDelayMs = 3000;

namespace {

const std::string kStars(92, '*');
const std::string kFramed = "*****" + std::string(82, ' ') + "*****";

bool exists(const std::string &absolute)
{
    struct stat st;
    return ::stat(platform::path(absolute).c_str(), &st) == 0;
}

// First line of a small text file, line break removed; false when it cannot
// be opened. Only the start of the file is read: these files are one line.
bool readFirstLine(const std::string &absolute, QByteArray &line)
{
    QFile f(QString::fromStdString(platform::path(absolute)));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    line = f.readLine(4096);
    line.replace("\n", "").replace("\r", "");
    return true;
}

void makeFolder(const std::string &absolute)
{
    const std::string p = platform::path(absolute);
    if (::mkdir(p.c_str(), 0775) != 0 && errno != EEXIST)
        platform::debugLine("mkdir " + p + ": " + std::strerror(errno));
}

QList<WorkSettings *> presetsInLoadOrder()
{
    return {frostizing_soft, whipping_soft,   cutting_soft,   frostizing_medium, whipping_medium,
            cutting_medium,  frostizing_hard, whipping_hard,  cutting_hard};
}

// Runs a tool with the wireless-tools time limit and returns its output; an
// empty text when it is missing or does not finish.
QString toolOutput(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted(30000))
        return {};
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished(1000);
    }
    return QString::fromLocal8Bit(p.readAll());
}

} // namespace

void Workers::stopAll()
{
    // All are told first, so they wind down together: the stop lasts as long
    // as the slowest one, not as all of them in turn.
    for (Manager *m : {static_cast<Manager *>(serial), static_cast<Manager *>(tcp), static_cast<Manager *>(udp)}) {
        if (m)
            m->kill();
    }
    for (Manager *m : {static_cast<Manager *>(serial), static_cast<Manager *>(tcp), static_cast<Manager *>(udp)}) {
        if (m)
            m->join();
    }
    delete serial;
    delete tcp;
    delete udp;
    serial = nullptr;
    tcp = nullptr;
    udp = nullptr;
}

void logBanner(const std::string &line)
{
    platform::debugLine(kStars);
    platform::debugLine(kFramed);
    platform::debugLine(line);
    platform::debugLine(kFramed);
    platform::debugLine(kStars);
    platform::debugLine(QDateTime::currentDateTime().toString().toStdString());
    platform::debugLine(kStars);
    platform::debugLine(kStars);
}

void mountMedia()
{
    const std::string usb = platform::findUsbDevice();
    platform::debugLine("MAIN -> USB mountig point : " + usb);
    const std::string sd = platform::findSdDevice();

    if (!usb.empty()) {
        std::string error;
        const platform::MountResult r = platform::mountVfat(usb, platform::path("/mnt/usb-memory"), &error);
        if (r == platform::MountResult::Mounted) {
            std::printf("Mount successful\n");
            usbMount = true;
            platform::debugLine("MAIN -> USB Montata!!!!");
        } else if (r == platform::MountResult::Busy) {
            std::printf("Mountpoint busy\n");
            platform::debugLine("MAIN -> USB montaggio occupato");
        } else {
            std::printf("Mount error: %s\n", error.c_str());
            platform::debugLine("MAIN -> USB montaggio errato!!!!! ERRORE : " + error);
        }
    }

    if (!sd.empty()) {
        std::string error;
        const platform::MountResult r = platform::mountVfat(sd, platform::path("/mnt/mmc-memory"), &error);
        if (r == platform::MountResult::Mounted) {
            std::printf("Mount successful\n");
            for (const char *dir : {"/mnt/mmc-memory/tutorials", "/mnt/mmc-memory/recipes",
                                    "/mnt/mmc-memory/recipes/milling", "/mnt/mmc-memory/recipes/whipping",
                                    "/mnt/mmc-memory/recipes/cutting"})
                makeFolder(dir);
            mmcMount = true;
        } else if (r == platform::MountResult::Busy) {
            std::printf("Mountpoint busy\n");
        } else {
            std::printf("Mount error: %s\n", error.c_str());
        }
    }
    std::fflush(stdout);
}

void runOneShotScript()
{
    const std::string script = platform::path("/home/root/oneShot.sh");
    QFile f(QString::fromStdString(script));
    if (!f.open(QIODevice::ReadOnly))
        return;
    f.close();
    ::chmod(script.c_str(), 0777);
    const syscmd::Result r = syscmd::run({script}, 30000);
    if (!r.finished)
        platform::debugLine("oneShot.sh: not finished within 30 s");
    // Consumed whether or not it finished, so it acts exactly once.
    QFile::remove(QString::fromStdString(script));
}

void restorePresetsIfMarked()
{
    QFile marker(QString::fromStdString(platform::path("/home/root/restoredefaultrecipe")));
    if (!marker.open(QIODevice::ReadOnly))
        return;
    marker.close();
    for (WorkSettings *preset : presetsInLoadOrder())
        preset->Delete(QString());
    initMillingDefaultSettings();
    initCuttingDefaultSettings();
    initWhippingDefaultSettings();
    initAddNewDefaultSettings();
    for (WorkSettings *preset : presetsInLoadOrder())
        preset->Save(QString());
    marker.remove();
}

void readAccessModes()
{
    if (!usbMount)
        return;
    platform::debugLine("MAIN - USB Montata!!!");
    serviceEnable = false;
    costructorEnable = false;
    advancedUserEnabled = false;

    struct ModeFile
    {
        const char *name;
        const char *code;
        const char *logLine; // null: nothing logged
        int level;           // 1 advanced user, 2 service, 3 builder, 0 screenshot
    };
    const ModeFile files[] = {
        {"advancedUser", kAdvancedUserCode, "MAIN - USB Montata -> advance user trovato!!!!!!", 1},
        {"advancedUser.txt", kAdvancedUserCode, "MAIN - USB Montata -> advance user trovato!!!!!!", 1},
        {"service", kServiceCode, "MAIN - USB Montata -> service trovato!!!!!!", 2},
        {"service.txt", kServiceCode, "MAIN - USB Montata -> service trovato!!!!!!", 2},
        {"builder", kBuilderCode, "MAIN - USB Montata -> constructor trovato!!!!!!", 3},
        {"builder.txt", kBuilderCode, "MAIN - USB Montata -> constructor user trovato!!!!!!", 3},
        {"screenshot", kScreenshotCode, nullptr, 0},
        {"screenshot.txt", kScreenshotCode, nullptr, 0},
    };
    for (const ModeFile &mode : files) {
        QByteArray line;
        if (!readFirstLine(std::string("/mnt/usb-memory/") + mode.name, line) || !line.startsWith(mode.code))
            continue;
        if (mode.logLine)
            platform::debugLine(mode.logLine);
        if (mode.level == 0) {
            screenshotEnable = true;
            makeFolder("/mnt/usb-memory/new_screenshot");
            continue;
        }
        advancedUserEnabled = true;
        if (mode.level >= 2)
            serviceEnable = true;
        if (mode.level >= 3)
            costructorEnable = true;
    }
}

void readSupplyVoltage()
{
    QByteArray line;
    _110Voltage = readFirstLine("/home/root/Voltage110.txt", line) ? line.toStdString() : std::string("xxxV");
}

void readSoftwareVersion()
{
    QByteArray line;
    swVersion = readFirstLine("/home/root/fileVersione.txt", line) ? line.toStdString() : std::string("--.--.--");
}

bool essidMatches(const std::string &iwconfigOutput, const std::string &storedEssid)
{
    const QStringList lines = QString::fromStdString(iwconfigOutput).split('\n', Qt::SkipEmptyParts);
    // The closing quote right after the name: "Net" is not "Network2".
    const QString wanted = QStringLiteral("ESSID:\"") + QString::fromStdString(storedEssid) + QLatin1Char('"');
    for (const QString &line : lines) {
        if (line.contains(wanted))
            return true;
        if (line.contains("ESSID:off/any"))
            continue;
        return false;
    }
    return false;
}

namespace {

// An interface wlan0 among the lines of "iwconfig".
bool interfaceListed(const QString &iwconfigOutput)
{
    for (const QString &line : iwconfigOutput.split('\n'))
        if (line.contains("wlan0"))
            return true;
    return false;
}

// Whether "iwconfig wlan0" shows the stored network joined.
bool storedNetworkJoined(const QString &iwconfigWlan0Output)
{
    return !iwconfigWlan0Output.trimmed().isEmpty() && settings.isWifiSet() &&
           essidMatches(iwconfigWlan0Output.toStdString(), settings.getWifiEssid().toStdString());
}

} // namespace

void probeWireless(bool bringUp)
{
    usbWifiDongleMounted = false;
    wifiConnect = false;
    usbWifiDongleMounted = interfaceListed(toolOutput("iwconfig", {}));
    if (!usbWifiDongleMounted)
        return;
    if (bringUp)
        toolOutput("ifup", {"wlan0"});
    wifiConnect = storedNetworkJoined(toolOutput("iwconfig", {"wlan0"}));
}

void probeWirelessAsync(QObject *context, std::function<void()> done)
{
    ToolRun::start("iwconfig", {}, context, [context, done](const ToolRun::Result &list) {
        if (!interfaceListed(QString::fromLocal8Bit(list.output))) {
            usbWifiDongleMounted = false;
            wifiConnect = false;
            if (done)
                done();
            return;
        }
        ToolRun::start("iwconfig", {"wlan0"}, context, [done](const ToolRun::Result &check) {
            usbWifiDongleMounted = true;
            wifiConnect = storedNetworkJoined(QString::fromLocal8Bit(check.output));
            if (done)
                done();
        });
    });
}

void sendMainsFrequency(bool mainsFileRead)
{
    {
        FifoLock lock;
        // Held on purpose: the link thread takes nothing from the queue
        // meanwhile, so the frequency is the first command the board gets.
        QThread::msleep(unsigned(mainsDelayMs));
        logBanner("*****                          LETTURA   Fw   VERSIONE                                 *****");
        const QString hz = settings.getHz();
        const uint8_t value = uint8_t(hz.toInt()) / 10;
        serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::MainsFrequency, {value}));
        platform::debugLine("Lettura file di impostazioni main supply line");
        platform::debugLine("---> Hz impostati      : " + hz.toStdString());
    }
    platform::debugLine(std::string("file di settaggion per mainLine aperto???") + (mainsFileRead ? "true" : "false"));
}

void restoreStoredData()
{
    // Writes cut short by a power cut leave their temporaries behind.
    const int stale = platform::removeStaleTemporaries(platform::path("/home/root"));
    if (stale > 0)
        platform::debugLine("file temporanei rimossi: " + std::to_string(stale));

    if (!actualSelectedGlass)
        actualSelectedGlass = new GlassElement();
    createRecipeLists();
    glassList->Load();

    swVersion = std::string("**.**.**");
    loadSerialNumber();

    // The stick and the card before anything reads from them.
    mountMedia();
    runOneShotScript();
    restorePresetsIfMarked();

    machineLife.load();
    makeFolder("/home/root/recipes");
    makeFolder("/home/root/recipes/cleaning/");
    makeFolder("/home/root/glasses/");
    // The link thread reports board errors from its first poll on: the table
    // must be there and the stored counters read, or the first count would
    // overwrite the lifetime totals with an empty table.
    errorSystem.fillErrorTable();
    errorSystem.loadData();

    readAccessModes();
    readSupplyVoltage();
    // The settings file is not read yet: this is the default brightness.
    setBrightness(settings.getBrightness());
}

void resetMachineState()
{
    // Nothing the board said in an earlier run may pass for its state now.
    for (std::atomic<bool> *flag : {&oringPresence, &glassPresence, &machineCloseOk, &machineOpen, &machineOpen45,
                                    &glassBigPresence, &displayError, &comunicationErrorDisplayed, &forceFwUpdate,
                                    &forceFwUpdateSend, &fwUpdateStarted, &firstResponseHandshakeRecieved})
        *flag = false;
    serialComunicationError = 0;
    if (exists("/home/root/velt_fw"))
        forceFwUpdate = true;
    machineReady = false;
    hardwareMachineError = false;
    FifoLock lock;
    resetStateVar();
}

void loadWorkPrograms()
{
    dummy->resetSettings();
    dummy->filename = QStringLiteral("dummy");
    dummy->resetSettings();
    dummy->setPortionDimension(8);
    dummy->setMillingSteps(5, 5);
    dummy->setEmulsionSteps(2, 5, 8, 112, 10, 0);

    // The CSV defaults first, then what the operator stored over them.
    initMillingDefaultSettings();
    initCuttingDefaultSettings();
    initWhippingDefaultSettings();
    initAddNewDefaultSettings();
    initCleaningDefaultSettings();
    for (WorkSettings *preset : presetsInLoadOrder())
        preset->Load(QString());
}

void loadUserSettings()
{
    actual = frostizing_soft;
    settings.load();
    // Every start begins with a one-minute screen saver.
    settings.setScreenSaverTime(60);
    lastUserEventOccurred = uint64_t(platform::nowSeconds()) + uint64_t(settings.getScreenSaverTime());
    enableScreenSaver = true;
}

void startNetworkThreads(Workers &workers)
{
    const int stream = ::socket(AF_INET, SOCK_STREAM, 0);
    const int datagram = ::socket(AF_INET, SOCK_DGRAM, 0);
    workers.tcp = new TCPThreadCommunication(10000, platform::tcpPort(), stream);
    workers.tcp->start();
    workers.udp = new UDPThreadCommunication(10000, platform::udpPort(), datagram);
    workers.udp->start();
}

bool loadLookAndFeel()
{
    loadRpmSpeedTable();
    loadCusotmColor();
    loadExtraSettings();
    transLanguage.LoadAllFontDataBase();
    transLanguage.LoadInfoLang();
    return settings.read_rete_setting();
}

Workers run()
{
    Workers workers;
    logBanner("*****                         AVVIO APPLICAZIONE!!!!!!                                 *****");

    // Every hook in place first: a stored file that cannot be read is
    // reported to the operator, and the threads started below use them all.
    wireLayers();
    // What the machine stored, before anything can change it.
    restoreStoredData();
    // A clean machine state before any thread reads it.
    resetMachineState();
    // The presets the home screen shows and the link's first program.
    loadWorkPrograms();
    // The link polls from now on; the hooks above receive what it learns.
    workers.serial = new SerialThreadComunication(10000);
    workers.serial->start();
    loadUserSettings();
    // The remote service listens only once the wireless link is known.
    probeWireless(true);
    startNetworkThreads(workers);
    // Tables, colours and fonts before the first screen is built.
    const bool mainsRead = loadLookAndFeel();
    // The mains frequency is the first command the board gets.
    sendMainsFrequency(mainsRead);
    readSoftwareVersion();
    return workers;
}

} // namespace startup
