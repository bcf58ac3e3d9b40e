// Number text: the parser's fast paths must agree bit for bit with a
// correctly rounding reader, and the writer must match "%.17g" and "%ld".
#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <random>

#include "json_number.h"
#include "test_data.h"

using namespace Corvane;
using CorvaneTest::Widen;

namespace {

double Reference(const std::string& s) {
    double d = 0;
    std::from_chars(s.data(), s.data() + s.size(), d);
    return d;
}

void ExpectSameAsReference(const std::string& s) {
    std::u16string t = Widen(s);
    const char16_t* p = t.data();
    std::int32_t i;
    double d;
    bool isInt = ScanNumber(p, t.data() + t.size(), i, d);
    ASSERT_EQ(p, t.data() + t.size()) << s;
    double want = Reference(s);
    if (isInt) {   // "-0" is the integer 0: no sign to compare
        EXPECT_EQ(i, want) << s;
        return;
    }
    double got = d;
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << s << ": got " << got << " want " << want;
}

TEST(JsonNumber, ScanNumberRoundsExactlyLikeAReference) {
    // Halfway and near-halfway cases, the limits of each fast path, and the slow path.
    const char* cases[] = {
        "0.1", "0.2", "0.3", "1.7976931348623157e308", "2.2250738585072014e-308", "4.9e-324",
        "9007199254740993", "9007199254740992.5", "9007199254740993.0000000001", "18014398509481985",
        "-65.613616999999977", "45.123456789012345678", "1e22", "1e23", "123456789e-19", "1.5e-20",
        "9999999999999999999", "12345678901234567890", "0.000000000000000000001", "7.2057594037927933e16",
        "2.4703282292062328e-324", "-0.0", "100e-2", "3.0000000000000004", "0.30000000000000004",
    };
    for (const char* c : cases) ExpectSameAsReference(c);

    std::mt19937_64 rng(12345);
    for (int n = 0; n < 200000; ++n) {
        // Random digit strings of 1 to 20 digits with a point and an exponent.
        int digits = 1 + static_cast<int>(rng() % 20);
        std::string s = (rng() & 1) ? "-" : "";
        int point = static_cast<int>(rng() % (digits + 1));
        for (int k = 0; k < digits; ++k) {
            if (k == point && k > 0) s += '.';
            s += static_cast<char>('0' + rng() % 10);
        }
        if (rng() % 3 == 0) s += "e" + std::to_string(static_cast<int>(rng() % 60) - 30);
        ExpectSameAsReference(s);
        if (HasFailure()) return;
    }
}

TEST(JsonNumber, Int32RangeAndWriters) {
    std::int32_t v;
    EXPECT_TRUE(ReadInt32Token(u"2147483647", v) && v == 2147483647);
    EXPECT_TRUE(ReadInt32Token(u"-2147483648", v) && v == INT32_MIN);
    EXPECT_FALSE(ReadInt32Token(u"2147483648", v));
    EXPECT_FALSE(ReadInt32Token(u"-2147483649", v));
    EXPECT_FALSE(ReadInt32Token(u"-", v));
    EXPECT_FALSE(ReadInt32Token(u"1.0", v));
    EXPECT_TRUE(ReadInt32Token(u"0000000000000000042", v) && v == 42);

    const std::pair<double, std::u16string> doubles[] = {
        {0.1, u"0.10000000000000001"}, {1.0, u"1"}, {-0.0, u"-0"}, {1e21, u"1e+21"}, {1e-7, u"9.9999999999999995e-08"},
        {123456.789, u"123456.789"}, {5e-324, u"4.9406564584124654e-324"}, {1.7976931348623157e308, u"1.7976931348623157e+308"},
    };
    for (const auto& [d, text] : doubles) {
        std::u16string out;
        AppendDouble17(out, d);
        EXPECT_EQ(out, text) << d;
    }
    std::u16string out;
    AppendInt32(out, INT32_MIN);
    EXPECT_EQ(out, u"-2147483648");
}

}  // namespace
