#pragma once
// Screen utilities: the operator dialogs, rolling (marquee) text, theming,
// backlight, the battery-backed clock, the serial-number file, text export
// and number formatting. Everything here runs on the graphical thread, except
// the rolling lists, which are locked (rollingObjectMutex, app/AppState.h).

#include "data/Reminder.h" // date, warning, write_warning_reminder, check_warning_remainder

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <string>

class DialogMessage;
class ErrorMessage;
class QAbstractButton;
class QLabel;
class QWidget;

// Registers the pictures of the app library (":/icon/reload_3D_120.gif",
// ":/icon/star_3D_120.png", the pictures of the start checks and the icons
// more than one library shows); start-up and tests call it once.
void initAppResources();

// ---- dialogs -------------------------------------------------------------------

// The error dialog (ErrorMessage) with `text` and a picture or animation
// resource (may be empty). Runs modally when `modal` is set, else is just shown;
// it deletes itself when closed. `machineError` titles it "ERROR" in the error
// colour (a board error) instead of "WARNING"; `blink` makes the title flash.
// Returns the dialog when it was shown without blocking (null after a modal
// run, or when it is passed to the graphical thread to be shown there).
ErrorMessage *DisplayError(const QString &text, const QString &resource = QString(), bool modal = true,
                           bool machineError = false, bool blink = false);

// The machine checks every start makes, in their order: gasket, lid, glass,
// confirmed closing. The first that fails is shown (non-blocking, with its
// picture) and false returned.
bool machineReadyToStart();

// The message dialog (DialogMessage). Keys: with `firstKey` empty the dialog's
// own two keys ("NO", "YES"); with only `secondKey` empty one key; otherwise
// both keys and the picture (played as an animation when `animated`). Closes by
// itself after `autoCloseMs` (0 = never). Runs modally and returns
// SubWindowReturnStatus: 1 for the second (confirming) key, 0 for the first key
// or the time-out.
int DisplayDialogMsg(const QString &text, unsigned int autoCloseMs, bool animated,
                     const QString &firstKey, const QString &secondKey,
                     const QString &picture = QString());
int DisplayDialogMsg(const QString &text);
// The same dialog shown without blocking, for screens whose poll must go on
// meanwhile: it deletes itself when closed, and its finished() signal carries
// the answer (QDialog::Accepted for the second key, Rejected otherwise).
DialogMessage *OpenDialogMsg(QWidget *parent, const QString &text, unsigned int autoCloseMs, bool animated,
                             const QString &firstKey, const QString &secondKey,
                             const QString &picture = QString());

// ---- rolling text ------------------------------------------------------------------

// A text longer than `maxChars` characters gets five blanks appended and the
// label (button) joins the rolling list; shorter texts are left alone. A widget
// already on the list is not added twice.
void addRollingObject(QLabel *label, int maxChars);
void addRollingObject(QAbstractButton *button, int maxChars);
void removeRollingObject(QLabel *label);
void removeRollingObject(QAbstractButton *button);
// Rotates every listed text by one character (the first moves to the end);
// the home screen's poll calls it. Deleted widgets drop off the lists.
void rollRollingObjects();

// ---- theming -------------------------------------------------------------------------

// First line of "/home/root/color_settings" becomes customColor when it is a
// style-sheet colour ("#rrggbb", "rgb(...)", "rgba(...)", a colour name).
void loadCusotmColor();
// In the widget's style sheet every "rgba(126, 191, 255, 255)" becomes customColor.
void changeColor(QWidget *w);
void changeColorTo(QWidget *w, const QString &from, const QString &to);
// True for the colour texts loadCusotmColor() accepts.
bool isStyleSheetColor(const QString &text);

// Shrinks the label's font (from maxPt down to minPt points) until its
// word-wrapped text fits the label: message texts are never clipped.
void fitTextToLabel(QLabel *label, int maxPt, int minPt = 9);

// The application font (the language's) at this size.
void setFontSize(QWidget *w, int points, bool bold = false);
// Shrinks a key's font from maxPt down to minPt until every line of its text
// fits inside the key.
void fitKeyText(QAbstractButton *key, int maxPt, int minPt = 8);
// The same for a row of keys, which then share the smallest size.
void fitKeysText(std::initializer_list<QAbstractButton *> keys, int maxPt, int minPt = 8);

// ---- hardware ----------------------------------------------------------------------------

// Levels 5 to 100 only (others do nothing): writes the backlight file, then sync.
void setBrightness(int level);

// Sets / reads the battery-backed clock; the values map onto the kernel's
// day of month, month (0-11), year (since 1900), hour and minute; seconds are
// written as 0. A missing or refusing clock is logged and reported by false.
bool saveToRtc(uint8_t day, uint8_t month, uint16_t year, uint8_t hour, uint8_t minute);
bool readToRtc(uint8_t *day, uint8_t *month, uint16_t *year, uint8_t *hour, uint8_t *minute);
// The clock as a reminder date; the local time of platform::nowSeconds() when
// the clock cannot be read.
date readClockDate();

// Flushes the file systems (the system command "sync").
void fileSystemSync();

// ---- serial number ----------------------------------------------------------------------

constexpr const char kDefaultSerialNumber[] = "QKTVMRBXWLD";

// Clears serviceEnable and costructorEnable and loads the first line of
// "/home/root/info" into serialNumber (the default when empty or missing).
void loadSerialNumber();
// Stores the number in "/home/root/info" and in serialNumber; false when the
// file could not be written (the old number then stays).
bool saveSerialNumber(const std::string &number);

// ---- export and formatting -------------------------------------------------------------

// Appends (or, with `overwrite`, replaces the file with) one line
// "<local time>;<content>" to prefix + today's date ("%Y-%m-%d") + extension,
// then syncs. `prefix` is a board path ("/mnt/usb-memory/..."). False when the
// file could not be written.
bool writeToTxtFile(const std::string &content, const std::string &prefix,
                    const std::string &extension, bool overwrite);

// The board's 7-bit temperature code as "12.3 °C".
QString convertTemperature(uint8_t code);
// One decimal: "3.5".
QString doubleToString(double value);
// Plain seconds in decimal ("%llu").
QString timeToString(uint64_t seconds);
// Seconds as hours and minutes: "12:05".
QString hoursMinutesToString(uint64_t seconds);
