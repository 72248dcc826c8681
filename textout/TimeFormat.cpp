#include "textout/TimeFormat.h"

#include <cstdio>

namespace {

const char* const MONTH_NAMES[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
const char* const WEEKDAY_NAMES[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// Out-of-range fields (a hand-made LocalTime) must not index past the name tables.
int Clamp(int value, int low, int high)
{
    return value < low ? low : (value > high ? high : value);
}

void AppendNumber(std::string& out, int value, bool twoDigits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, twoDigits ? "%02d" : "%d", value);
    out += buffer;
}

int TwelveHour(int hour)
{
    const int h = hour % 12;
    return h == 0 ? 12 : h;
}

}  // namespace

LocalTime ToLocalTime(std::time_t time)
{
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &time);
#else
    localtime_r(&time, &parts);
#endif
    LocalTime result;
    result.year = parts.tm_year + 1900;
    result.month = parts.tm_mon + 1;
    result.day = parts.tm_mday;
    result.hour = parts.tm_hour;
    result.minute = parts.tm_min;
    result.second = parts.tm_sec;
    result.weekday = parts.tm_wday;
    return result;
}

LocalTime CSystemClock::Now() const
{
    return ToLocalTime(std::time(nullptr));
}

int WeekdayOf(int year, int month, int day)
{
    // Sakamoto's method.
    static const int offsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        year -= 1;
    const int m = Clamp(month, 1, 12) - 1;
    const int w = (year + year / 4 - year / 100 + year / 400 + offsets[m] + day) % 7;
    return w < 0 ? w + 7 : w;
}

std::string FormatLocalTime(const char* format, const LocalTime& time)
{
    std::string out;
    if (format == nullptr)
        return out;
    const int month = Clamp(time.month, 1, 12);
    const int weekday = Clamp(time.weekday, 0, 6);
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        const char* code = p + 1;
        const bool dropZero = *code == '#';
        if (dropZero)
            ++code;
        const bool pad = !dropZero;
        switch (*code) {
            case 'Y':
                AppendNumber(out, time.year, false);
                break;
            case 'm':
                AppendNumber(out, time.month, pad);
                break;
            case 'd':
                AppendNumber(out, time.day, pad);
                break;
            case 'H':
                AppendNumber(out, time.hour, pad);
                break;
            case 'I':
                AppendNumber(out, TwelveHour(time.hour), pad);
                break;
            case 'M':
                AppendNumber(out, time.minute, pad);
                break;
            case 'S':
                AppendNumber(out, time.second, pad);
                break;
            case 'w':
                AppendNumber(out, weekday, false);
                break;
            case 'p':
                out += time.hour < 12 ? "AM" : "PM";
                break;
            case 'b':
                out.append(MONTH_NAMES[month - 1], 3);
                break;
            case 'B':
                out += MONTH_NAMES[month - 1];
                break;
            case 'a':
                out.append(WEEKDAY_NAMES[weekday], 3);
                break;
            case 'A':
                out += WEEKDAY_NAMES[weekday];
                break;
            case 'x':
                AppendNumber(out, time.month, pad);
                out += '/';
                AppendNumber(out, time.day, pad);
                out += '/';
                AppendNumber(out, ((time.year % 100) + 100) % 100, pad);
                break;
            case '%':
                out += '%';
                break;
            case '\0':
                // A lone "%" (or "%#") at the end.
                out.append(p, code);
                return out;
            default:
                out.append(p, code + 1);
                break;
        }
        p = code;
    }
    return out;
}
