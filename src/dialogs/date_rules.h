// The answers of the calendar, datebox and timebox, and the other rules of
// those dialogs that need no widgets.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

#include "core/records.h"

// A number of the command line: leading_uint32 (a text without digits gives
// 0, trailing characters are ignored).
uint32_t date_arg_number(const char *text);

// A day, month (counted from 1) and year as the command line gives them.
struct DateArgs {
    uint32_t day;
    uint32_t month;
    uint32_t year;
};

// args holds exactly three texts: day, month, year.
DateArgs parse_date_args(const char *const *args);

// The 0-based month index of a month counted from 1 (month 0 gives -1).
int month_index(uint32_t month);

// Whether the calendar takes the given date at all; otherwise it keeps its
// own starting date. Day 0 passes: the calendar then selects no day.
bool calendar_accepts(const DateArgs &date);

// The day the calendar starts on for a date it accepts: the given day, or
// the last of its month when the month is shorter (29/02/2023 starts on
// 28/02/2023), so that OK answers a day the user saw selected. Day 0 stays.
uint32_t calendar_start_day(const DateArgs &date);

enum class DateField { day, month, year };

// The datebox's fields from the start of its row (where the reading
// direction starts), in the order asked for.
std::array<DateField, 3> datebox_fields(DateOrder order);

// The datebox's answer format when the command line gives none: the
// fields in the same order, four-digit year, "/" between them.
const char *datebox_answer_format(DateOrder order);

// strftime of when with format, whatever the length of the result, then a
// newline.
std::string format_answer_line(const char *format, const struct tm &when);

// The answer of the date dialogs. Day, month and year are written exactly
// as given, even when they name no date that exists (31/02 stays 31/02).
// Weekday, day of the year, week numbers, week-based year and seconds since
// the epoch belong only to dates that exist (proleptic Gregorian, from year
// 1); for any other date each such conversion, in %c and %x too, is written
// as "?". format null means "%d/%m/%Y".
std::string date_answer_line(const char *format, int day, int month_index, int year);

// The answer of the timebox: when (the moment the dialog opened) with its
// hour, minute and second replaced. format null means "%H:%M:%S".
std::string time_answer_line(const char *format, struct tm when, int hour, int minute, int second);

// The locale's full name of the month with the given 0-based index, as
// UTF-8.
std::string month_name(int index);
