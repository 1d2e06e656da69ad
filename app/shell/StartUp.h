#pragma once
// The program's start: brings every process-wide object into its initial
// state, starts the worker threads and sends the mains frequency, in the
// order the rest of the program relies on (the link thread must find the
// hooks plugged in, the frequency must be the first command it sends).
// Everything runs on the graphical thread, once.

#include <string>

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

// Steps 5 to 7: mount the stick and the card, set usbMount / mmcMount.
void mountMedia();
// Step 8: run "/home/root/oneShot.sh" once (30 s at most) and delete it.
void runOneShotScript();
// Step 9: with the marker "/home/root/restoredefaultrecipe", rebuild and
// store the nine presets, then delete the marker.
void restorePresetsIfMarked();
// Step 11: access modes from the files on the stick (only with usbMount).
void readAccessModes();
// Step 12: `_110Voltage` from "/home/root/Voltage110.txt", else "xxxV".
void readSupplyVoltage();
// Step 24: `swVersion` from "/home/root/fileVersione.txt", else "--.--.--".
void readSoftwareVersion();
// Step 20 (and the home screen's probe without bringing the link up): sets
// usbWifiDongleMounted and wifiConnect from the wireless tools' output.
void probeWireless(bool bringUp);
// Decides wifiConnect from the lines of "iwconfig wlan0" and the stored network.
bool essidMatches(const std::string &iwconfigOutput, const std::string &storedEssid);
// Step 23: hold the queue for mainsDelayMs, then queue the mains frequency.
void sendMainsFrequency(bool mainsFileRead);

// Plugs the link and data hooks, the error manager and the operator
// reporter (the failure dialog) in; before the link thread starts.
void connectHooks();

// Steps 2 to 24 in order; the caller created the application before and
// shows the home screen after.
Workers run();

} // namespace startup
