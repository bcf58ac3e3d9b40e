#include "json_number.h"

#include <charconv>
#include <cmath>
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
    char small[64];
    std::string large;
    char* buf = small;
    std::size_t n = 0;
    while (n < token.size()) {
        char16_t c = token[n];
        if (!((c >= u'0' && c <= u'9') || c == u'-' || c == u'+' || c == u'.' || c == u'e' || c == u'E')) break;
        ++n;
    }
    if (n >= sizeof small) { large.resize(n); buf = large.data(); }
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

}  // namespace Corvane
