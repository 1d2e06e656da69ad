#include "app/ScreenHooks.h"

namespace ScreenHooks {

std::function<QWidget *(QWidget *parent)> openSensorPage;

} // namespace ScreenHooks
