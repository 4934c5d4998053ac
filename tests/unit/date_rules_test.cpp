#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "dialogs/date_rules.h"

namespace {

// Answers depend on the time zone and the locale's time names only through
// what a test sets here.
class DateRulesTest : public testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        ASSERT_NE(setlocale(LC_TIME, "C"), nullptr);
    }
    void TearDown() override { setlocale(LC_TIME, "C"); }
};

TEST_F(DateRulesTest, ArgumentsAreUnsigned32BitNumbers) {
    struct {
        const char *text;
        uint32_t expected;
    } cases[] = {{"5", 5},          {"0", 0},      {"abc", 0},
                 {"7x", 7},         {" 12", 12},   {"-1", 4294967295u},
                 {"4294967301", 5}, {"1900", 1900}};
    for (const auto &c : cases)
        EXPECT_EQ(date_arg_number(c.text), c.expected) << c.text;

    const char *args[] = {"31", "2", "1900"};
    DateArgs date = parse_date_args(args);
    EXPECT_EQ(date.day, 31u);
    EXPECT_EQ(date.month, 2u);
    EXPECT_EQ(date.year, 1900u);
}

TEST_F(DateRulesTest, MonthIndexCountsFromZero) {
    EXPECT_EQ(month_index(1), 0);
    EXPECT_EQ(month_index(12), 11);
    EXPECT_EQ(month_index(13), 12);
    EXPECT_EQ(month_index(0), -1);
}

TEST_F(DateRulesTest, CalendarTakesOnlyDatesItCanShow) {
    struct {
        DateArgs date;
        bool accepted;
    } cases[] = {
        {{5, 3, 1900}, true},
        {{0, 3, 1900}, true}, // no day selected
        {{31, 12, 9999}, true},
        {{32, 1, 1900}, false},
        {{1, 13, 1900}, false},
        {{1, 0, 1900}, false},
        {{1, 1, 0}, false},
        {{4294967295u, 1, 1900}, false},
        {{1, 4294967295u, 1900}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(calendar_accepts(c.date), c.accepted)
            << c.date.day << "/" << c.date.month << "/" << c.date.year;
}

TEST_F(DateRulesTest, CalendarStartsOnADayOfItsMonth) {
    struct {
        DateArgs date;
        uint32_t day;
    } cases[] = {
        {{15, 6, 2026}, 15},        {{29, 2, 2023}, 28}, {{29, 2, 2024}, 29},
        {{30, 2, 2000}, 29},        {{29, 2, 1900}, 28}, {{31, 4, 2026}, 30},
        {{31, 12, 9999}, 31},       {{0, 2, 2023}, 0}, // no day selected
        {{31, 2, 4294967295u}, 28},
    };
    for (const auto &c : cases)
        EXPECT_EQ(calendar_start_day(c.date), c.day)
            << c.date.day << "/" << c.date.month << "/" << c.date.year;
}

TEST_F(DateRulesTest, DateAnswerKeepsTheFieldsAsGiven) {
    struct {
        const char *format;
        int day, month_index, year;
        const char *expected;
    } cases[] = {
        {nullptr, 5, 2, 1900, "05/03/1900\n"},
        {nullptr, 31, 1, 1900, "31/02/1900\n"}, // no real date, no correction
        {nullptr, 0, 2, 1900, "00/03/1900\n"},  // the calendar with no day selected
        {nullptr, 1, -1, 2000, "01/00/2000\n"}, // the datebox with no month selected
        {nullptr, 1, 0, -50, "01/01/-50\n"},
        {nullptr, 1, 0, 0, "01/01/0\n"},
        // The calendar's year 2147483648 comes back as INT_MIN.
        {"%Y", 1, 0, INT_MIN, "-2147483648\n"},
        {"%Y", 1, 0, INT_MIN + 1899, "-2147481749\n"},
        {"%Y-%m-%d", 31, 11, 9999, "9999-12-31\n"},
        {"%B %b", 10, 11, 2026, "December Dec\n"},
        {"day %e of %m", 7, 6, 2001, "day  7 of 07\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(date_answer_line(c.format, c.day, c.month_index, c.year), c.expected)
            << c.day << "/" << c.month_index << "/" << c.year;
}

TEST_F(DateRulesTest, DateboxOrderPlacesTheFieldsAndTheDefaultAnswer) {
    using enum DateField;
    struct {
        DateOrder order;
        std::array<DateField, 3> fields;
        const char *answer; // of 5 March 1900 without --date-format
    } cases[] = {
        {DateOrder::day_month_year, {day, month, year}, "05/03/1900\n"},
        {DateOrder::month_day_year, {month, day, year}, "03/05/1900\n"},
        {DateOrder::year_month_day, {year, month, day}, "1900/03/05\n"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(datebox_fields(c.order), c.fields);
        EXPECT_EQ(date_answer_line(datebox_answer_format(c.order), 5, 2, 1900), c.answer);
    }
}

TEST_F(DateRulesTest, WeekdayAndDayOfYearAreThoseOfTheDate) {
    const char *format = "%A %a %j %U %u %w %W %V %G|%d/%m/%Y";
    struct {
        int day, month_index, year;
        const char *expected;
    } cases[] = {
        {10, 11, 2026, "Thursday Thu 344 49 4 4 49 50 2026|10/12/2026\n"},
        {31, 11, 2024, "Tuesday Tue 366 52 2 2 53 01 2025|31/12/2024\n"}, // leap year
        {29, 1, 2000, "Tuesday Tue 060 09 2 2 09 09 2000|29/02/2000\n"},
        {5, 2, 1900, "Monday Mon 064 09 1 1 10 10 1900|05/03/1900\n"},
        {1, 0, 1, "Monday Mon 001 00 1 1 01 01 1|01/01/1\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(date_answer_line(format, c.day, c.month_index, c.year), c.expected)
            << c.day << "/" << c.month_index << "/" << c.year;
    EXPECT_EQ(date_answer_line("%c|%x", 10, 11, 2026), "Thu Dec 10 00:00:00 2026|12/10/26\n");
}

TEST_F(DateRulesTest, DatesThatDoNotExistHaveNoWeekday) {
    struct {
        const char *format;
        int day, month_index, year;
        const char *expected;
    } cases[] = {
        {"%A %a %j %U %u %w %W %V %G %g %s|%d/%m/%Y", 31, 1, 1900,
         "? ? ? ? ? ? ? ? ? ? ?|31/02/1900\n"},
        {"%a %d/%m/%Y %j", 29, 1, 2023, "? 29/02/2023 ?\n"},
        {"%a %d/%m/%Y %j", 29, 1, 2024, "Thu 29/02/2024 060\n"}, // a leap year's
        {"%a %d/%m/%Y", 0, 2, 1900, "? 00/03/1900\n"},           // the calendar with no day
        {"%a %d/%m/%Y", 32, 0, 1900, "? 32/01/1900\n"},
        {"%a %d/%m/%Y", 1, -1, 2000, "? 01/00/2000\n"}, // the datebox with no month
        {"%a %d/%m/%Y", 1, 12, 2000, "? 01/13/2000\n"},
        {"%a %Y", 1, 0, 0, "? 0\n"},
        {"%a %Y", 1, 0, -44, "? -44\n"},
        {"%a %Y", 1, 0, INT_MIN, "? -2147483648\n"},
        // Flags, widths and modifiers belong to the conversion they replace.
        {"%-j|%_5a|%^A|%Ou|%10j|%EG", 31, 1, 1900, "?|?|?|?|?|?\n"},
        {"%%a %%j %d%", 31, 1, 1900, "%a %j 31%\n"},
        // The locale's date formats are spelt out: in C, %c names the weekday.
        {"%c|%Ec|%x", 31, 1, 1900, "? Feb 31 00:00:00 1900|? Feb 31 00:00:00 1900|02/31/00\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(date_answer_line(c.format, c.day, c.month_index, c.year), c.expected)
            << c.format << " " << c.day << "/" << c.month_index << "/" << c.year;
}

TEST_F(DateRulesTest, WeekdayDoesNotDependOnTheTimeZone) {
    for (const char *zone : {"Pacific/Kiritimati", "Pacific/Pago_Pago", "UTC"}) {
        setenv("TZ", zone, 1);
        tzset();
        EXPECT_EQ(date_answer_line("%a %j", 10, 11, 2026), "Thu 344\n") << zone;
    }
}

TEST_F(DateRulesTest, AnswerIsTheWholeFormattedText) {
    struct {
        std::string format;
        std::string expected;
    } cases[] = {
        {"", "\n"},
        {std::string(1022, 'x'), std::string(1022, 'x') + "\n"},
        {std::string(1023, 'x'), std::string(1023, 'x') + "\n"},
        {std::string(1020, 'x') + "%Y", std::string(1020, 'x') + "2026\n"},
        {std::string(100000, 'x') + "%Y", std::string(100000, 'x') + "2026\n"},
        {"%5000Y", std::string(4996, '0') + "2026\n"},
        {"%d%", "10%\n"}, // a lone % at the end stays as the C library writes it
    };
    for (const auto &c : cases)
        EXPECT_EQ(date_answer_line(c.format.c_str(), 10, 11, 2026), c.expected)
            << c.format.size() << " format bytes";
}

TEST_F(DateRulesTest, TimeAnswerReplacesOnlyTheClock) {
    time_t opened = 1796904000; // Thursday 10 December 2026, 12:00:00 UTC
    struct tm when;
    ASSERT_NE(gmtime_r(&opened, &when), nullptr);
    struct {
        const char *format;
        int hour, minute, second;
        const char *expected;
    } cases[] = {
        {nullptr, 9, 5, 0, "09:05:00\n"},
        {nullptr, 23, 59, 60, "23:59:60\n"},
        {"%H%M%S", 0, 0, 0, "000000\n"},
        {"%a %d/%m/%Y %I:%M %p", 21, 7, 3, "Thu 10/12/2026 09:07 PM\n"},
        {"", 1, 2, 3, "\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(time_answer_line(c.format, when, c.hour, c.minute, c.second), c.expected)
            << (c.format ? c.format : "(default)");

    std::string long_format;
    std::string long_answer;
    for (int i = 0; i < 600; ++i) {
        long_format += "%H";
        long_answer += "09";
    }
    EXPECT_EQ(time_answer_line(long_format.c_str(), when, 9, 5, 0), long_answer + "\n");
}

TEST_F(DateRulesTest, MonthNamesFollowTheLocale) {
    EXPECT_EQ(month_name(0), "January");
    EXPECT_EQ(month_name(11), "December");

    ASSERT_NE(setlocale(LC_TIME, "de_DE.UTF-8"), nullptr)
        << "the locale de_DE.UTF-8 is missing: run scripts/install-deps";
    const char *german[] = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                            "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    for (int index = 0; index < 12; ++index)
        EXPECT_EQ(month_name(index), german[index]) << index;
    EXPECT_EQ(date_answer_line("%A, %d. %B %Y", 5, 2, 1900), "Montag, 05. März 1900\n");
    EXPECT_EQ(date_answer_line("%A, %d. %B %Y", 31, 1, 1900), "?, 31. Februar 1900\n");
    // This locale has no AM and PM: a conversion that is empty by right.
    EXPECT_EQ(date_answer_line("%p", 5, 2, 1900), "\n");
    EXPECT_EQ(date_answer_line("x%p", 5, 2, 1900), "x\n");
}

} // namespace
