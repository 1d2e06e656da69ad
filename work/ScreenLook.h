#pragma once
// The look the work screens share: key styles, text fitting and the
// formatting of times. Style sheets are written with the default theme
// colour; changeColor() swaps in the operator's.

#include "app/Utils.h"

#include <QString>

class QWidget;

namespace look {

// A key that acts (plus, minus): theme colour, white text.
extern const char *const kActionKey;
// A choice that is not selected, and one that is.
extern const char *const kChoiceKey;
extern const char *const kChosenKey;
// The start key when the program can start, and when it cannot.
extern const char *const kStartReady;
extern const char *const kStartIdle;

// Applies `sheet` to the widget and then the operator's theme colour.
void setStyle(QWidget *w, const char *sheet);

// Fonts come from the screen kit.
using ::fitKeysText;
using ::fitKeyText;
using ::setFontSize;

// "m:ss" for a duration in seconds (negative counts as 0).
QString minutesSeconds(int seconds);

} // namespace look
