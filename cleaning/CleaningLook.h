#pragma once
// Fonts and key styles the cleaning screens share. Style sheets are written
// with the default theme colour; changeColor() swaps in the operator's.

class QAbstractButton;
class QWidget;

namespace cleaninglook {

// A program not chosen, and the one chosen.
extern const char *const kChoiceKey;
extern const char *const kChosenKey;

// The application font (the language's) at this size.
void setFontSize(QWidget *w, int points, bool bold = false);
// Shrinks a key's font from maxPt down to minPt until every line of its text
// fits inside the key.
void fitKeyText(QAbstractButton *key, int maxPt, int minPt = 8);

} // namespace cleaninglook
