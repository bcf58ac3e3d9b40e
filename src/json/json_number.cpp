#include "json_number.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace Corvane {

namespace {

void AppendAscii(std::u16string& out, const char* first, const char* last) {
    out.append(first, last);   // widening: the digits are ASCII
}

}  // namespace

void AppendInt32(std::u16string& out, std::int32_t value) {
    char buf[16];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    AppendAscii(out, buf, res.ptr);
}

void AppendDouble17(std::u16string& out, double value) {
    if (!std::isfinite(value)) {
        out.append(u"null");
        return;
    }
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 17);
    AppendAscii(out, buf, res.ptr);
}

bool ReadInt32Token(std::u16string_view token, std::int32_t& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && token[i] == u'-') { negative = true; ++i; }
    if (i == token.size()) return false;
    // Accumulate negatively so INT32_MIN needs no special case.
    std::int64_t acc = 0;
    for (; i < token.size(); ++i) {
        char16_t c = token[i];
        if (c < u'0' || c > u'9') return false;
        acc = acc * 10 - (c - u'0');
        if (acc < -2147483648LL) return false;
    }
    if (!negative) {
        if (acc < -2147483647LL) return false;
        acc = -acc;
    }
    value = static_cast<std::int32_t>(acc);
    return true;
}

double ReadDoublePrefix(std::u16string_view token, std::size_t& consumed) {
    // Narrow the ASCII prefix that could belong to a number.
    std::size_t n = 0;
    while (n < token.size()) {
        char16_t c = token[n];
        if (!((c >= u'0' && c <= u'9') || c == u'-' || c == u'+' || c == u'.' || c == u'e' || c == u'E')) break;
        ++n;
    }
    char small[64];
    std::string large;
    char* buf = small;
    if (n > sizeof small) { large.resize(n); buf = large.data(); }
    for (std::size_t i = 0; i < n; ++i) buf[i] = static_cast<char>(token[i]);

    // from_chars takes no leading '+', exactly like a JSON number never has one.
    double value = 0;
    auto res = std::from_chars(buf, buf + n, value, std::chars_format::general);
    if (res.ec == std::errc::invalid_argument) { consumed = 0; return 0.0; }
    consumed = static_cast<std::size_t>(res.ptr - buf);
    if (res.ec == std::errc::result_out_of_range) {
        // Decide overflow from underflow by the decimal magnitude of the token:
        // digits before the point (after leading zeros) plus the exponent.
        std::string_view t(buf, consumed);
        bool negative = !t.empty() && t[0] == '-';
        std::size_t p = negative ? 1 : 0;
        long long magnitude = 0;
        bool seenNonZero = false;
        for (; p < t.size() && t[p] >= '0' && t[p] <= '9'; ++p) {
            if (t[p] != '0') seenNonZero = true;
            if (seenNonZero) ++magnitude;
        }
        if (p < t.size() && t[p] == '.') {
            for (++p; p < t.size() && t[p] >= '0' && t[p] <= '9'; ++p) {
                if (seenNonZero) continue;
                if (t[p] != '0') seenNonZero = true; else --magnitude;
            }
        }
        if (p < t.size() && (t[p] == 'e' || t[p] == 'E')) {
            ++p;
            bool expNeg = false;
            if (p < t.size() && (t[p] == '+' || t[p] == '-')) expNeg = t[p++] == '-';
            long long e = 0;
            for (; p < t.size() && t[p] >= '0' && t[p] <= '9'; ++p)
                if (e < 1000000000LL) e = e * 10 + (t[p] - '0');
            magnitude += expNeg ? -e : e;
        }
        double inf = std::numeric_limits<double>::infinity();
        if (magnitude > 0) return negative ? -inf : inf;
        return negative ? -0.0 : 0.0;
    }
    return value;
}

namespace {

// Powers of ten that a double holds exactly.
constexpr double kExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                  1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

inline bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

using U128 = unsigned __int128;

inline int BitLength(U128 v) {
    std::uint64_t hi = static_cast<std::uint64_t>(v >> 64);
    if (hi) return 128 - __builtin_clzll(hi);
    std::uint64_t lo = static_cast<std::uint64_t>(v);
    return lo ? 64 - __builtin_clzll(lo) : 0;
}

constexpr std::uint64_t kPow10U64[] = {
    1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull, 10000000ull, 100000000ull,
    1000000000ull, 10000000000ull, 100000000000ull, 1000000000000ull, 10000000000000ull,
    100000000000000ull, 1000000000000000ull, 10000000000000000ull, 100000000000000000ull,
    1000000000000000000ull, 10000000000000000000ull};

// 2^e for a normal exponent, straight from its bits.
inline double Pow2(int e) {
    std::uint64_t bits = static_cast<std::uint64_t>(e + 1023) << 52;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// q * 2^binaryExponent rounded half-to-even to a double; `sticky` says that
// nonzero bits were lost below q. Only used where the result is a normal
// number, so scaling by a power of two is exact.
double RoundToDouble(U128 q, bool sticky, int binaryExponent) {
    int bits = BitLength(q);
    if (bits <= 53) return static_cast<double>(static_cast<std::uint64_t>(q)) * Pow2(binaryExponent);
    int shift = bits - 53;
    std::uint64_t mant = static_cast<std::uint64_t>(q >> shift);
    bool roundBit = (q >> (shift - 1)) & 1;
    bool rest = sticky || (q & ((U128{1} << (shift - 1)) - 1)) != 0;
    if (roundBit && (rest || (mant & 1))) {
        if (++mant == (std::uint64_t{1} << 53)) { mant >>= 1; ++shift; }
    }
    return static_cast<double>(mant) * Pow2(binaryExponent + shift);
}

// mantissa * 10^exponent10 correctly rounded, computed exactly in 128-bit
// integers, for |exponent10| <= 19 (10^19 fits 64 bits). Numbers with 16 to
// 19 digits, the common case of coordinates and measurements, land here.
double ExactDecimalToDouble(std::uint64_t mantissa, int exponent10) {
    std::uint64_t pow10 = kPow10U64[exponent10 < 0 ? -exponent10 : exponent10];
    if (exponent10 >= 0) return RoundToDouble(U128{mantissa} * pow10, false, 0);
    // Scale the numerator to 128 bits so the quotient keeps at least 54 bits.
    int shift = 64 + __builtin_clzll(mantissa);
    U128 numerator = U128{mantissa} << shift;
    U128 q = numerator / pow10;
    bool sticky = q * pow10 != numerator;
    return RoundToDouble(q, sticky, -shift);
}

}  // namespace

bool ScanNumber(const char16_t*& p, const char16_t* end, std::int32_t& integer, double& number) {
    const char16_t* start = p;
    bool negative = false;
    if (p < end && *p == u'-') { negative = true; ++p; }
    // Up to 19 significant digits fit a uint64; more only matter to the slow path.
    std::uint64_t mantissa = 0;
    int significant = 0;
    int exponent10 = 0;
    bool anyDigit = false, inexact = false, integral = true;
    for (; p < end && IsDigit(*p); ++p) {
        anyDigit = true;
        if (significant < 19) {
            mantissa = mantissa * 10 + (*p - u'0');
            if (mantissa) ++significant;
        } else {
            ++exponent10;
            inexact = true;
        }
    }
    if (p < end && *p == u'.') {
        integral = false;
        for (++p; p < end && IsDigit(*p); ++p) {
            anyDigit = true;
            if (significant < 19) {
                mantissa = mantissa * 10 + (*p - u'0');
                if (mantissa) ++significant;
                --exponent10;
            } else {
                inexact = true;
            }
        }
    }
    if (p < end && (*p == u'e' || *p == u'E')) {
        integral = false;
        ++p;
        bool negativeExp = false;
        if (p < end && (*p == u'+' || *p == u'-')) negativeExp = *p++ == u'-';
        int e = 0;
        for (; p < end && IsDigit(*p); ++p)
            if (e < 100000) e = e * 10 + (*p - u'0');
        exponent10 += negativeExp ? -e : e;   // "1e" reads as 1: no digits, no exponent
    }
    if (!anyDigit) {   // "-" or "-e5": strtol and strtod convert nothing
        number = 0.0;
        return false;
    }
    if (integral && !inexact && significant <= 10) {
        std::int64_t v = negative ? -static_cast<std::int64_t>(mantissa) : static_cast<std::int64_t>(mantissa);
        if (v >= INT32_MIN && v <= INT32_MAX) {
            integer = static_cast<std::int32_t>(v);
            return true;
        }
    }
    if (!inexact && mantissa <= (std::uint64_t{1} << 53) && exponent10 >= -22 && exponent10 <= 22) {
        // Both operands are exact, so one IEEE operation rounds correctly.
        double d = static_cast<double>(mantissa);
        d = exponent10 < 0 ? d / kExactPow10[-exponent10] : d * kExactPow10[exponent10];
        number = negative ? -d : d;
        return false;
    }
    if (!inexact && mantissa != 0 && exponent10 >= -19 && exponent10 <= 19) {
        double d = ExactDecimalToDouble(mantissa, exponent10);
        number = negative ? -d : d;
        return false;
    }
    std::size_t consumed;
    number = ReadDoublePrefix(std::u16string_view(start, static_cast<std::size_t>(p - start)), consumed);
    return false;
}

}  // namespace Corvane
