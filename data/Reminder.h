#pragma once
// Maintenance reminders: when the operator was last reminded of each warning,
// so that a reminder is not repeated too often.
//
// "/home/root/reminder" holds one line per warning kind, in the order of their
// values; each line is six characters whose codes are the minute, hour, day,
// month, 0 and the low byte of the year of the last reminder, then a line end.

#include <cstdint>

// A calendar time as the real-time clock reports it: month 0 to 11, year
// counted from 1900.
struct date
{
    uint8_t day = 0;
    uint8_t month = 0;
    uint16_t year = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
};

enum warning { WRNG_FILTRO = 0 };

// The current local time (platform::nowSeconds()) in the clock's form.
date currentDate();

// Records `when` as the last reminder of the warning. False when the file
// could not be written.
bool write_warning_reminder(const date &when, warning w);

// True (due) when nothing usable is stored for the warning, or when `now` has
// reached the stored date plus `interval`. The three dates are compared as
// year*15552000 + month*1296000 + day*43200 + hour*3600 + minute*60.
bool check_warning_remainder(const date &now, warning w, const date &interval);
