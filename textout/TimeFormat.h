// Local time and the strftime-like formats of the date and time macros, formatted by our own
// code so that every runtime gives the same text: English names, AM/PM, "#" drops leading zeros.
#pragma once

#include <ctime>
#include <string>

struct LocalTime {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
    int hour = 0;   // 0 to 23
    int minute = 0;
    int second = 0;   // 0 to 60 (leap second)
    int weekday = 4;  // 0 Sunday to 6 Saturday
};

class CClock {
public:
    virtual ~CClock() = default;
    virtual LocalTime Now() const = 0;
};

// The computer's local time.
class CSystemClock : public CClock {
public:
    LocalTime Now() const override;
};

LocalTime ToLocalTime(std::time_t time);

// Day of the week (0 Sunday) of a date in the Gregorian calendar.
int WeekdayOf(int year, int month, int day);

// Formats with the codes %x (MM/DD/YY) %Y %m %d %H %I %M %S %p %b %B %a %A %w and %%; "%#"
// before a numeric code drops its leading zero. Unknown codes are copied as they stand.
std::string FormatLocalTime(const char* format, const LocalTime& time);
