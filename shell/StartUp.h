#pragma once
// The program's start: brings every process-wide object into its initial
// state, starts the worker threads and sends the mains frequency, in the
// order the rest of the program relies on (the link thread must find the
// hooks plugged in, the frequency must be the first command it sends).
// Everything runs on the graphical thread, once.

#include <functional>
#include <string>

class QObject;

class SerialThreadComunication;
class TCPThreadCommunication;
class UDPThreadCommunication;

namespace startup {

// The three worker threads; the program never stops them, tests and the
// console signal handler do.
struct Workers
{
    SerialThreadComunication *serial = nullptr;
    TCPThreadCommunication *tcp = nullptr;
    UDPThreadCommunication *udp = nullptr;
    // Ends and deletes the threads (kill, join).
    void stopAll();
};

// Access codes of the mode files on the USB stick.
extern const char *const kAdvancedUserCode;
extern const char *const kServiceCode;
extern const char *const kBuilderCode;
extern const char *const kScreenshotCode;

// How long start-up holds the command queue before queuing the frequency.
extern int mainsDelayMs;

// A banner of the debug log: asterisks framing `line` and the current time.
void logBanner(const std::string &line);

// Mounts the stick and the card, sets usbMount / mmcMount.
void mountMedia();
// Runs "/home/root/oneShot.sh" once (30 s at most) and deletes it.
void runOneShotScript();
// With the marker "/home/root/restoredefaultrecipe", rebuilds and stores the
// nine presets, then deletes the marker.
void restorePresetsIfMarked();
// Access modes from the files on the stick (only with usbMount).
void readAccessModes();
// `_110Voltage` from "/home/root/Voltage110.txt", else "xxxV".
void readSupplyVoltage();
// `swVersion` from "/home/root/fileVersione.txt", else "--.--.--".
void readSoftwareVersion();
// Sets usbWifiDongleMounted and wifiConnect from the wireless tools' output;
// start-up also brings the interface up. It waits for the tools: only for
// start-up, before the event loop runs.
void probeWireless(bool bringUp);
// The same decisions without bringing the interface up and without blocking
// (the home screen's periodic check): "iwconfig", then "iwconfig wlan0", as
// child processes. The flags change only once the answer is complete, never
// to a passing "not joined" between the steps; `done` runs after that.
// Nothing runs when `context` goes first.
void probeWirelessAsync(QObject *context, std::function<void()> done);
// Decides wifiConnect from the lines of "iwconfig wlan0" and the stored network.
bool essidMatches(const std::string &iwconfigOutput, const std::string &storedEssid);
// Holds the queue for mainsDelayMs, then queues the mains frequency.
void sendMainsFrequency(bool mainsFileRead);

// The phases of start-up, in their order; run() calls them.
void restoreStoredData();
void resetMachineState();
void loadWorkPrograms();
void loadUserSettings();
void startNetworkThreads(Workers &workers);
// Speed table, colours, extra settings, fonts and languages; returns whether
// the mains settings file was read.
bool loadLookAndFeel();

// Every phase in order; the caller created the application before and shows
// the home screen after.
Workers run();

} // namespace startup
