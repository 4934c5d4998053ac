#include "core/numbers.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

long leading_long(const char *text) {
    return strtol(text, nullptr, 10);
}

int leading_int32(const char *text) {
    return static_cast<int>(leading_long(text));
}

int leading_int_clamped(const char *text) {
    long value = leading_long(text);
    if (value > INT_MAX)
        return INT_MAX;
    return value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

unsigned long leading_ulong(const char *text) {
    return strtoul(text, nullptr, 10);
}

uint32_t leading_uint32(const char *text) {
    return static_cast<uint32_t>(leading_ulong(text));
}

namespace {

// A text without digits is caught through the end pointer, since glibc does
// not report it through errno.
std::optional<long> scan_long(const char *text, const char **end) {
    errno = 0;
    char *stop = nullptr;
    long value = strtol(text, &stop, 10);
    *end = stop;
    if (errno != 0 || stop == text)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<long> checked_long(const char *text) {
    const char *end = nullptr;
    return scan_long(text, &end);
}

std::optional<int> whole_int(const char *text) {
    const char *end = nullptr;
    std::optional<long> value = scan_long(text, &end);
    if (!value || *end != '\0' || *value < INT_MIN || *value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(*value);
}
