// The screen check of the settings tests, shared rather than copied.
#include "settings/support_screencheck.cpp"
