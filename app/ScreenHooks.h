#pragma once
// Screens that one screen library opens from another. The screen libraries
// sit side by side and never link each other, so the shell assigns these at
// start-up (shell/Wiring.cpp); an unset hook means the page is not there.

#include <functional>

class QWidget;

namespace ScreenHooks {

// Opens the live sensor page over `parent`, deleted when it closes, and
// returns it (null when the page cannot be opened). The caller may connect to
// its destroyed() signal.
extern std::function<QWidget *(QWidget *parent)> openSensorPage;

} // namespace ScreenHooks
