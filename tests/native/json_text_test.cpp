// The text scanner: strict validation, lenient skipping, decoding and single
// values read straight from text.
#include <gtest/gtest.h>

#include <cmath>

#include "json_text.h"
#include "test_data.h"

using namespace Corvane;
using CorvaneTest::Narrow;

namespace {

TEST(JsonValidate, AcceptsAndRejects) {
    const std::pair<std::u16string, bool> cases[] = {
        {u"", false}, {u" ", false}, {u" 1 ", true}, {u"\t[1]\r\n", true},
        {u"01", false}, {u"-01", false}, {u"1.", false}, {u".1", false}, {u"1e", false}, {u"1e+", false},
        {u"-", false}, {u"+1", false}, {u"-0.0e-0", true}, {u"1E+2", true},
        {u"[1,]", false}, {u"{\"a\":1,}", false}, {u"{\"a\" 1}", false}, {u"{1:1}", false}, {u"[1 2]", false},
        {u"\"\\x\"", false}, {u"\"\\u00e9\"", true}, {u"\"\\u00G9\"", false}, {u"\"\\u00e\"", false},
        {u"\"\\ud83d\\ude00\"", true}, {u"\"\\ude00\"", false}, {u"\"\\ud83d\"", false},
        {u"\"\\ud83d\\u0041\"", false}, {u"\"\\ud83dx\"", false},
        {u"\"a\tb\"", false}, {u"\"\x7f\"", true}, {u"\"\xD800\"", true},
        {u"tru", false}, {u"truee", false}, {u"null", true}, {u"NULL", false},
        {u"\uFEFF1", false}, {u"\f1", false}, {u"[] []", false}, {u"\"unterminated", false},
        {u"{\"a\":[{\"b\":null}],\"c\":\"d\"}", true},
    };
    for (const auto& [text, valid] : cases) EXPECT_EQ(IsValidJson(text), valid) << Narrow(text);
}

TEST(JsonValidate, NestingLimitIs512) {
    EXPECT_TRUE(IsValidJson(std::u16string(512, u'[') + std::u16string(512, u']')));
    EXPECT_FALSE(IsValidJson(std::u16string(513, u'[') + std::u16string(513, u']')));
    EXPECT_FALSE(IsValidJson(std::u16string(100000, u'[')));
}

TEST(JsonSkip, LenientSkipEndsPastTheValue) {
    struct Case { std::u16string text; std::size_t end; };
    const Case cases[] = {
        {u"  \"a\\\"b\" ,", 8}, {u"false,", 5}, {u"fals", 4}, {u"tr", 2}, {u"nullx", 4},
        {u"-12.5e+3]", 8}, {u"[1, [2, \"]\"], {\"k\": 3}] tail", 23},
        {u"{\"a\" 1}", 7},          // a missing colon is tolerated
        {u"x", 0}, {u"[1, x]", 4},  // a character that cannot start a value ends the scan there
        {u"\"open", 5},
    };
    for (const auto& c : cases) {
        const char16_t* b = c.text.data();
        EXPECT_EQ(static_cast<std::size_t>(SkipJsonValue(b, b + c.text.size()) - b), c.end) << Narrow(c.text);
    }
    std::u16string deep = std::u16string(513, u'[') + std::u16string(513, u']');
    EXPECT_EQ(SkipJsonValue(deep.data(), deep.data() + deep.size()), deep.data());
    std::u16string ok = std::u16string(512, u'[') + std::u16string(512, u']');
    EXPECT_EQ(SkipJsonValue(ok.data(), ok.data() + ok.size()), ok.data() + ok.size());
    // A starting depth counts against the same limit.
    EXPECT_EQ(SkipJsonValue(ok.data(), ok.data() + ok.size(), 1), ok.data());
}

TEST(JsonSkip, FindValueEndIsStrictAboutStructure) {
    struct Case { std::u16string text; std::size_t pos; std::ptrdiff_t end; };
    const Case cases[] = {
        {u"{\"a\":[1,{\"b\":\"}\"}], \"c\":2} ,", 0, 26},
        {u"  true ,", 0, 6},
        {u"[1,2] ", 0, 5},
        {u"xx [1] yy", 2, 6},
        {u"tru", 0, 3},                 // literal cut short: end of text
        {u"[1 2]", 0, 5},               // bad separator: end of text
        {u"{\"a\" 1}", 0, 7},           // missing colon: end of text
        {u"\"open", 0, 5},
        {u"?", 0, 1},
        {u"[]", 5, 2},                  // a position past the end
    };
    for (const auto& c : cases) {
        int depth = 0;
        EXPECT_EQ(FindValueEnd(c.text, c.pos, depth), c.end) << Narrow(c.text);
        EXPECT_EQ(depth, 0) << Narrow(c.text);
    }
    std::u16string ok = std::u16string(256, u'[') + std::u16string(256, u']');
    int depth = 0;
    EXPECT_EQ(FindValueEnd(ok, 0, depth), static_cast<std::ptrdiff_t>(ok.size()));
    std::u16string deep = std::u16string(257, u'[') + std::u16string(257, u']');
    depth = 0;
    EXPECT_EQ(FindValueEnd(deep, 0, depth), -1);
    depth = 1;   // the counter is shared with the caller's own nesting
    EXPECT_EQ(FindValueEnd(ok, 0, depth), -1);
    EXPECT_EQ(depth, 1);
}

TEST(JsonDecode, DecodeJsonString) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"\"plain\" tail", u"plain"},
        {u"no quote", u""},
        {u"\"\\b\\f\\n\\r\\t\\/\\\\\\\"\"", u"\b\f\n\r\t/\\\""},
        {u"\"\\u00E9\\u00e9\"", u"\u00e9\u00e9"},
        {u"\"\\ud83d\\ude00\"", u"\U0001F600"},
        {u"\"\\uZZZZ\"", u"\uFFFDZZZZ"},          // not hex: U+FFFD, then the units as text
        {u"\"\\u12", u"u12"},                     // fewer than four units left
        {u"\"\\q\"", u"q"},
        {u"\"ab\\", u"ab\\"},                     // a final backslash stays
        {u"\"unterminated", u"unterminated"},
        {u"\"\\ud83d\\u0041\"", u"\xD83D" u"A"},  // the high half reaches the output, the next escape too
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(Narrow(DecodeJsonString(in.data(), in.data() + in.size())), Narrow(out)) << Narrow(in);
    }
}

TEST(JsonScalarText, TextValueToScalar) {
    using K = JsonScalar::Kind;
    struct Case { std::u16string text; K kind; double number; std::u16string str; };
    const Case cases[] = {
        {u"   ", K::Empty, 0, u""},
        {u" \"a\\nb\" ", K::String, 0, u"a\nb"},
        {u"null", K::Null, 0, u""}, {u"true", K::Bool, 1, u""}, {u"false", K::Bool, 0, u""},
        {u"nul", K::Null, 0, u""},   // not a value: Null
        {u"?", K::Null, 0, u""},
        {u" {\"a\" : 1} ", K::Raw, 0, u"{\"a\" : 1}"},
        {u"[1, [2]] x", K::Raw, 0, u"[1, [2]]"},
        {u"42", K::Int, 42, u""}, {u"-2147483648", K::Int, -2147483648.0, u""},
        {u"2147483648", K::Double, 2147483648.0, u""},
        {u"1.5", K::Double, 1.5, u""}, {u"1e2", K::Double, 100, u""},
        {u"1e", K::String, 0, u"1e"},     // not wholly a number: the raw token
        {u"-", K::Double, 0, u""},
    };
    for (const auto& c : cases) {
        JsonScalar s = TextValueToScalar(c.text.data(), c.text.data() + c.text.size());
        EXPECT_EQ(s.kind, c.kind) << Narrow(c.text);
        if (c.kind == K::Int) { EXPECT_EQ(s.integer, c.number) << Narrow(c.text); }
        if (c.kind == K::Double) { EXPECT_EQ(s.number, c.number) << Narrow(c.text); }
        if (c.kind == K::Bool) { EXPECT_EQ(s.boolean, c.number != 0) << Narrow(c.text); }
        if (c.kind == K::String || c.kind == K::Raw) { EXPECT_EQ(Narrow(s.text), Narrow(c.str)) << Narrow(c.text); }
    }
}

TEST(JsonScalarText, ExtractRawValueKeepsFormatting) {
    std::u16string t = u"  {\"a\" : \"\\u00e9\" ,\n \"b\":[ ]}  ,";
    EXPECT_EQ(ExtractRawValue(t.data(), t.data() + t.size()), u"{\"a\" : \"\\u00e9\" ,\n \"b\":[ ]}");
}

}  // namespace
