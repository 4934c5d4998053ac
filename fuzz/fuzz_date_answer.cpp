// Date and time answers: any format with any day, month and year that a
// dialog may hand over, and any command-line text for a date.
#include <cstring>

#include "dialogs/date_rules.h"
#include "fuzz_input.h"

namespace {

// Every answer is the whole formatted text and a newline.
void check_line(const std::string &line) {
    if (line.empty() || line.back() != '\n')
        __builtin_trap();
}

// A conversion's width may ask for up to 2 GiB, which the answer would hold:
// widths of five digits and more are left out.
bool width_is_small(const std::string &format) {
    int digits = 0;
    for (char c : format) {
        digits = c >= '0' && c <= '9' ? digits + 1 : 0;
        if (digits > 4)
            return false;
    }
    return true;
}

} // namespace

// The first 12 bytes are day, month index and year; the rest, split at NUL,
// is the format and then command-line texts of a date.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    int32_t fields[3];
    if (size < sizeof fields)
        return 0;
    memcpy(fields, data, sizeof fields);
    std::vector<std::string> args = split_arguments(data + sizeof fields, size - sizeof fields, 4);
    const char *format = args[0].c_str();
    if (!width_is_small(args[0]))
        return 0;
    check_line(date_answer_line(format, fields[0], fields[1], fields[2]));

    struct tm opened = {};
    opened.tm_mday = 10;
    opened.tm_mon = 11;
    opened.tm_year = 126;
    opened.tm_wday = 4;
    opened.tm_yday = 343;
    check_line(time_answer_line(format, opened, fields[0], fields[1], fields[2]));

    if (args.size() == 4) {
        std::vector<char *> argv = argv_of(args);
        DateArgs date = parse_date_args(argv.data() + 1);
        if (calendar_accepts(date)) {
            // A date it can show, starting on the day given or on a month's
            // last day before it.
            const uint32_t start = calendar_start_day(date);
            if (date.day > 31 || date.month < 1 || date.month > 12 || start > date.day ||
                (start < date.day && start < 28))
                __builtin_trap();
        }
    }
    return 0;
}
