#pragma once
// Fonts and key styles the cleaning screens share. Style sheets are written
// with the default theme colour; changeColor() swaps in the operator's.

#include "app/Utils.h"

namespace cleaninglook {

// A program not chosen, and the one chosen.
extern const char *const kChoiceKey;
extern const char *const kChosenKey;

// Fonts come from the screen kit.
using ::fitKeyText;
using ::setFontSize;

} // namespace cleaninglook
