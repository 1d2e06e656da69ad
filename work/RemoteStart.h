#pragma once
// The start screen of a program the remote application handed over: the home
// screen calls this when it takes up a pending remote start.

#include <cstdint>

class QWidget;

// Opens, shows and returns the start screen for the recipe type: 1 the
// frostizing start with `actual` as handed over, 2 the liquid start for
// cutting, 3 for whipping (both keeping `actual`). The screen deletes itself
// when closed; the caller connects its destroyed() signal. Any other type
// opens nothing and returns null.
QWidget *openRemoteStartScreen(uint8_t type, QWidget *parent);
