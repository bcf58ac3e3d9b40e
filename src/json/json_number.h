// Number text in the "C" numeric locale, independent of the C runtime:
// std::to_chars/from_chars give the same digits with glibc and with msvcrt.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Corvane {

// printf "%ld" of a 32-bit value.
void AppendInt32(std::u16string& out, std::int32_t value);
// printf "%.17g"; NaN and infinities are written as "null" (JSON has no such numbers).
void AppendDouble17(std::u16string& out, double value);

// Reads a whole token as a base-10 signed 32-bit integer. False when the token
// is not entirely digits (after an optional '-') or out of range.
bool ReadInt32Token(std::u16string_view token, std::int32_t& value);

// Reads a double like strtod in the "C" locale: the longest prefix that forms a
// number. `consumed` is the number of code units read (0 when none). An
// overflow gives infinity (callers decide what to keep), an underflow a signed zero.
double ReadDoublePrefix(std::u16string_view token, std::size_t& consumed);

// Scans the lenient number at `p` ('-', digits, '.', digits, exponent) and
// reads it as the parser does: a base-10 int32 when the token has no fraction
// or exponent and fits, otherwise a double like strtod in the "C" locale.
// Returns true for an int32 (in `integer`), false for a double (in `number`,
// possibly infinite on overflow). `p` ends past the token.
bool ScanNumber(const char16_t*& p, const char16_t* end, std::int32_t& integer, double& number);

}  // namespace Corvane
