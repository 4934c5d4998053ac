// The readers of numbers, side by side over the same texts: where they agree
// and where each rule (sign, clamping, 32 bits, junk) makes them differ.
#include <climits>
#include <cstdint>
#include <gtest/gtest.h>
#include <optional>

#include "core/numbers.h"

namespace {

struct Case {
    const char *text;
    long as_long;
    int as_int32;
    int as_int_clamped;
    uint32_t as_uint32;
    std::optional<long> checked;
    std::optional<int> whole;
};

const Case cases[] = {
    {"42", 42, 42, 42, 42, 42, 42},
    {"  -7", -7, -7, -7, 4294967289u, -7, -7},
    {"+5", 5, 5, 5, 5, 5, 5},
    {"12ab", 12, 12, 12, 12, 12, std::nullopt},
    {"3 ", 3, 3, 3, 3, 3, std::nullopt},
    {"ab", 0, 0, 0, 0, std::nullopt, std::nullopt},
    {"", 0, 0, 0, 0, std::nullopt, std::nullopt},
    {"-", 0, 0, 0, 0, std::nullopt, std::nullopt},
    {"4294967297", 4294967297, 1, INT_MAX, 1, 4294967297, std::nullopt},
    {"2147483648", 2147483648, INT_MIN, INT_MAX, 2147483648u, 2147483648, std::nullopt},
    {"-2147483649", -2147483649, INT_MAX, INT_MIN, 2147483647u, -2147483649, std::nullopt},
    {"99999999999999999999", LONG_MAX, -1, INT_MAX, UINT32_MAX, std::nullopt, std::nullopt},
    {"-99999999999999999999", LONG_MIN, 0, INT_MIN, UINT32_MAX, std::nullopt, std::nullopt},
};

TEST(Numbers, EachReaderKeepsItsRule) {
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(leading_long(c.text), c.as_long);
        EXPECT_EQ(leading_int32(c.text), c.as_int32);
        EXPECT_EQ(leading_int_clamped(c.text), c.as_int_clamped);
        EXPECT_EQ(leading_uint32(c.text), c.as_uint32);
        EXPECT_EQ(checked_long(c.text), c.checked);
        EXPECT_EQ(whole_int(c.text), c.whole);
    }
}

TEST(Numbers, UnsignedReadsBeyondALongAsStrtoulDoes) {
    // 2^63 fits an unsigned long: its low 32 bits are 0, where a clamped
    // signed reading would give LONG_MAX's.
    EXPECT_EQ(leading_ulong("9223372036854775808"), 9223372036854775808ul);
    EXPECT_EQ(leading_uint32("9223372036854775808"), 0u);
    EXPECT_EQ(leading_ulong("-1"), ULONG_MAX);
}

} // namespace
