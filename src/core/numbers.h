// How numbers are read from the command line and the environment.
//
// Every reader starts the way strtol does: blanks are skipped, a "+" or "-"
// is taken, then decimal digits up to the first other character. They
// differ in what they make of the rest:
// - the leading readers ignore whatever follows the digits, and a text
//   without digits reads as 0 ("12ab" is 12, "ab" is 0);
// - the checked readers give nothing for a text without digits or a number
//   beyond a long, and whole_int also for anything after the digits.
// Where a value is kept to 32 bits, the reader says how.
#pragma once

#include <cstdint>
#include <optional>

// strtol's value: a number beyond a long is clamped to LONG_MIN or LONG_MAX.
long leading_long(const char *text);

// leading_long kept to its low 32 bits ("4294967297" is 1, "2147483648" is
// INT_MIN).
int leading_int32(const char *text);

// leading_long clamped to INT_MIN and INT_MAX.
int leading_int_clamped(const char *text);

// strtoul's value: a "-" negates it modulo 2^64, and a number beyond an
// unsigned long is ULONG_MAX.
unsigned long leading_ulong(const char *text);

// leading_ulong kept to its low 32 bits ("-1" is 4294967295).
uint32_t leading_uint32(const char *text);

// The leading number, when there is one within a long; text after it is
// ignored.
std::optional<long> checked_long(const char *text);

// The number when the text is one and nothing else, within an int.
std::optional<int> whole_int(const char *text);
