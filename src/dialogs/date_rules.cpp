#include "dialogs/date_rules.h"

#include <cstring>
#include <glib.h>
#include <langinfo.h>

#include "core/numbers.h"
#include "frame/gobject_ptr.h"
#include "frame/text.h"

namespace {

bool is_leap_year(int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in_month(int month_index, int64_t year) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month_index == 1 && is_leap_year(year) ? 29 : days[month_index];
}

// Before year 1 nothing says what the count of years starts from (the
// datebox knows no year 0), so no such date has a weekday either.
bool date_exists(int day, int month_index, int year) {
    return year >= 1 && month_index >= 0 && month_index <= 11 && day >= 1 &&
           day <= days_in_month(month_index, year);
}

// Weekday and day of the year of a date that exists. Noon keeps timegm
// clear of the -1 that it returns on failure.
void fill_weekday_and_yearday(struct tm *date) {
    struct tm copy = *date;
    copy.tm_hour = 12;
    if (timegm(&copy) == static_cast<time_t>(-1))
        return;
    date->tm_wday = copy.tm_wday;
    date->tm_yday = copy.tm_yday;
}

// The conversions that only a date that exists can answer: weekday, day of
// the year, week numbers, week-based year, seconds since the epoch.
constexpr char REAL_DATE_CONVERSIONS[] = "aAuwjUWVGgs";

// The format with each conversion that needs a date that exists written as
// "?", the C library's own text for a weekday it cannot name. %c and %x are
// spelt out first, as the locale writes them, since they may hold a weekday.
std::string without_real_date_conversions(const char *format, bool spell_out = true) {
    std::string result;
    const char *at = format;
    while (*at != '\0') {
        if (*at != '%') {
            result += *at++;
            continue;
        }
        const char *start = at++;
        at += strspn(at, "_-0^#");
        at += strspn(at, "0123456789");
        if (*at == 'E' || *at == 'O')
            ++at;
        if (*at == '\0') {
            result += start;
            break;
        }
        const char conversion = *at++;
        if (strchr(REAL_DATE_CONVERSIONS, conversion) != nullptr)
            result += '?';
        else if (spell_out && (conversion == 'c' || conversion == 'x'))
            result += without_real_date_conversions(
                nl_langinfo(conversion == 'c' ? D_T_FMT : D_FMT), false);
        else
            result.append(start, at);
    }
    return result;
}

} // namespace

uint32_t date_arg_number(const char *text) {
    return leading_uint32(text);
}

DateArgs parse_date_args(const char *const *args) {
    return {date_arg_number(args[0]), date_arg_number(args[1]), date_arg_number(args[2])};
}

int month_index(uint32_t month) {
    return static_cast<int>(month - 1);
}

bool calendar_accepts(const DateArgs &date) {
    return date.day <= 31 && static_cast<uint32_t>(month_index(date.month)) <= 11 && date.year != 0;
}

uint32_t calendar_start_day(const DateArgs &date) {
    const uint32_t last = static_cast<uint32_t>(days_in_month(month_index(date.month), date.year));
    return date.day < last ? date.day : last;
}

std::string format_answer_line(const char *format, const struct tm &when) {
    // A blank ahead of the format keeps the result from ever being empty, so
    // that strftime's 0 always means a buffer too small for the whole text.
    const std::string padded = std::string(" ") + format;
    std::string text(1024, '\0');
    size_t length;
    while ((length = strftime(text.data(), text.size(), padded.c_str(), &when)) == 0)
        text.resize(text.size() * 2);
    text.resize(length);
    text.erase(0, 1);
    return text + '\n';
}

std::array<DateField, 3> datebox_fields(DateOrder order) {
    using enum DateField;
    switch (order) {
    case DateOrder::month_day_year:
        return {month, day, year};
    case DateOrder::year_month_day:
        return {year, month, day};
    case DateOrder::day_month_year:
        break;
    }
    return {day, month, year};
}

const char *datebox_answer_format(DateOrder order) {
    switch (order) {
    case DateOrder::month_day_year:
        return "%m/%d/%Y";
    case DateOrder::year_month_day:
        return "%Y/%m/%d";
    case DateOrder::day_month_year:
        break;
    }
    return "%d/%m/%Y";
}

std::string date_answer_line(const char *format, int day, int month_index, int year) {
    struct tm date = {};
    date.tm_mday = day;
    date.tm_mon = month_index;
    // In 64 bits, so that a year near INT_MIN (the calendar's years above
    // INT_MAX come back negative) does not overflow; tm_year wraps around
    // and strftime still writes the year as given.
    date.tm_year = static_cast<int>(static_cast<int64_t>(year) - 1900);
    if (format == nullptr)
        format = "%d/%m/%Y";
    if (!date_exists(day, month_index, year))
        return format_answer_line(without_real_date_conversions(format).c_str(), date);
    fill_weekday_and_yearday(&date);
    return format_answer_line(format, date);
}

std::string time_answer_line(const char *format, struct tm when, int hour, int minute, int second) {
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = second;
    return format_answer_line(format ? format : "%H:%M:%S", when);
}

std::string month_name(int index) {
    struct tm month = {};
    month.tm_mon = index;
    std::string name = format_answer_line("%B", month);
    name.pop_back();
    return display_text(name.c_str()).get();
}
