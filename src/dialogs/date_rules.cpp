#include "dialogs/date_rules.h"

#include <cstdlib>
#include <glib.h>
#include <unistd.h>

#include "frame/gobject_ptr.h"
#include "frame/text.h"

namespace {

// Weekday and day of the year of the date that day, month and year come to,
// worked out on a copy so that the fields the user chose stay untouched.
// Noon keeps the copy clear of the -1 that timegm returns on failure.
void fill_weekday_and_yearday(struct tm *date) {
    struct tm copy = *date;
    copy.tm_hour = 12;
    if (timegm(&copy) == static_cast<time_t>(-1))
        return;
    date->tm_wday = copy.tm_wday;
    date->tm_yday = copy.tm_yday;
}

} // namespace

uint32_t date_arg_number(const char *text) {
    return static_cast<uint32_t>(strtoul(text, nullptr, 10));
}

DateArgs parse_date_args(char **args) {
    return {date_arg_number(args[0]), date_arg_number(args[1]), date_arg_number(args[2])};
}

int month_index(uint32_t month) {
    return static_cast<int>(month - 1);
}

bool calendar_accepts(const DateArgs &date) {
    return date.day <= 31 && static_cast<uint32_t>(month_index(date.month)) <= 11 && date.year != 0;
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

std::string date_answer_line(const char *format, int day, int month_index, int year) {
    struct tm date = {};
    date.tm_mday = day;
    date.tm_mon = month_index;
    // In 64 bits, so that a year near INT_MIN (the calendar's years above
    // INT_MAX come back negative) does not overflow; tm_year wraps around
    // and strftime still writes the year as given.
    date.tm_year = static_cast<int>(static_cast<int64_t>(year) - 1900);
    fill_weekday_and_yearday(&date);
    return format_answer_line(format ? format : "%d/%m/%Y", date);
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
    if (g_utf8_validate(name.c_str(), -1, nullptr))
        return name;
    // A locale of another encoding: GTK takes only UTF-8.
    GCharPtr converted(g_locale_to_utf8(name.c_str(), -1, nullptr, nullptr, nullptr));
    return converted ? converted.get() : valid_utf8(name.c_str()).get();
}

void write_answer_line(int fd, const std::string &line) {
    ssize_t ignored = write(fd, line.data(), line.size());
    (void)ignored;
}
