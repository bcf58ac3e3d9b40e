// The DOM parser, the number reader and writer, and the compact serializer:
// every failure message with its position, the limits, the number rules,
// duplicate keys, escapes.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "json_document.h"
#include "json_number.h"
#include "json_text.h"
#include "test_data.h"

using namespace Corvane;
using CorvaneTest::Narrow;
using CorvaneTest::Widen;

namespace {

constexpr std::uint64_t kNoLimit = ~0ull;

std::u16string ParseError(std::u16string_view text, std::uint64_t limit = kNoLimit) {
    std::unique_ptr<JsonDocument> doc;
    std::u16string error;
    bool ok = ParseDocument(text, limit, doc, error);
    EXPECT_EQ(ok, error.empty()) << Narrow(error);
    EXPECT_EQ(ok, doc != nullptr);
    return ok ? u"OK" : error;
}

std::unique_ptr<JsonDocument> Parse(std::u16string_view text) {
    std::unique_ptr<JsonDocument> doc;
    std::u16string error;
    EXPECT_TRUE(ParseDocument(text, kNoLimit, doc, error)) << Narrow(text) << " -> " << Narrow(error);
    return doc;
}

std::u16string RoundTrip(std::u16string_view text) {
    auto doc = Parse(text);
    std::u16string out;
    if (doc) SerializeNode(doc->Root(), out);
    return out;
}

std::u16string Nested(int levels) { return std::u16string(levels, u'[') + std::u16string(levels, u']'); }

TEST(JsonParse, FailureMessagesCarryExactTextAndPosition) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"   ", u"Unexpected end of JSON"},
        {u"[1,]", u"Unexpected character at position 3"},
        {u"\uFEFF{}", u"Unexpected character at position 0"},
        {u"[1, nul", u"Invalid literal at position 4"},
        {u"[\"abc", u"Unterminated string at position 1"},
        {u"\"ab\\\"", u"Unterminated string at position 0"},
        {u"{\"a\":1, \"b", u"Unterminated string at position 8"},
        {u"{\"a\":1,}", u"Expected string at position 7"},
        {u"{\"a\" 1}", u"Expected ':' at position 5"},
        {u"{\"a\":1]", u"Expected ',' or '}' at position 6"},
        {u"[1 2]", u"Expected ',' or ']' at position 3"},
        {u"{\"a\":{}  ", u"Unterminated object"},
        {u"[[]\t", u"Unterminated array"},
        {u"{\"a\":1} x", u"Unexpected content after JSON at position 8"},
        {u"[nul 1", u"Invalid literal at position 1"},   // the first failure wins
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(Narrow(ParseError(text)), "Corvane.Json: " + Narrow(message)) << "input: " << Narrow(text);
}

TEST(JsonParse, NestingLimitIs256Levels) {
    EXPECT_EQ(RoundTrip(Nested(256)), Nested(256));
    EXPECT_EQ(Narrow(ParseError(Nested(257))), "Corvane.Json: Nesting depth exceeds 256");
    std::u16string objects;
    for (int i = 0; i < 257; ++i) objects += u"{\"k\":";
    objects += u"1" + std::u16string(257, u'}');
    EXPECT_EQ(Narrow(ParseError(objects)), "Corvane.Json: Nesting depth exceeds 256");
    // A flood of brackets is refused, never a stack overflow.
    EXPECT_EQ(Narrow(ParseError(std::u16string(100000, u'['))), "Corvane.Json: Nesting depth exceeds 256");
}

TEST(JsonParse, MemoryBudgetCountsSourceElementsAndDecodedStrings) {
    const std::string over = "Corvane.Json: DOM build exceeded memory limit";
    // "[1,2]" : 2*5 source bytes + 168 per element.
    EXPECT_EQ(ParseError(u"[1,2]", 10 + 2 * 168), u"OK");
    EXPECT_EQ(Narrow(ParseError(u"[1,2]", 10 + 2 * 168 - 1)), over);
    EXPECT_EQ(Narrow(ParseError(u"{\"a\":1}", 14 + 167)), over);   // members cost the same
    // An escaped string adds 2 bytes per decoded unit: ["\n", 1] = 18 bytes, decoded "\n" is 1 unit.
    EXPECT_EQ(ParseError(u"[\"\\n\", 1]", 18 + 2 + 2 * 168), u"OK");
    EXPECT_EQ(Narrow(ParseError(u"[\"\\n\", 1]", 18 + 2 + 2 * 168 - 1)), over);
    EXPECT_EQ(ParseError(u"[]", 4), u"OK");   // empty containers and the root are free
}

TEST(JsonParse, NumbersAreInt32WhenTheyFitElseDouble) {
    struct Case { std::u16string text; JsonNodeType type; std::u16string serialized; };
    const Case cases[] = {
        {u"-0", JsonNodeType::Int, u"0"},
        {u"-2147483648", JsonNodeType::Int, u"-2147483648"},
        {u"2147483648", JsonNodeType::Double, u"2147483648"},
        {u"-1.5E-3", JsonNodeType::Double, u"-0.0015"},
        {u"1e400", JsonNodeType::Double, u"0"},   // an overflow keeps 0
        {u"123456789012345678901234567890", JsonNodeType::Double, u"1.2345678901234568e+29"},
        // The scan is lenient: leading zeros, an empty fraction, a bare sign.
        {u"007", JsonNodeType::Int, u"7"},
        {u"1.", JsonNodeType::Double, u"1"},
        {u"-", JsonNodeType::Double, u"0"},
    };
    for (const auto& c : cases) {
        auto doc = Parse(c.text);
        ASSERT_TRUE(doc) << Narrow(c.text);
        EXPECT_EQ(doc->Root().type, c.type) << Narrow(c.text);
        std::u16string out;
        SerializeNode(doc->Root(), out);
        EXPECT_EQ(Narrow(out), Narrow(c.serialized)) << Narrow(c.text);
    }
}

TEST(JsonParse, StringsAreViewsUnlessEscaped) {
    auto doc = Parse(u"[\"plain\",\"a\\u00e9\\tb\",\"\\uZZ\",\"\\u12\",\"\\q\\/\\\"\",\"\\ud83d\\ude00\",\"\",\"a\tb\x01\"]");
    ASSERT_TRUE(doc);
    const JsonNode& r = doc->Root();
    ASSERT_EQ(r.count, 8u);
    // Unescaped strings point into the document's own copy of the source.
    const char16_t* src = doc->Source().data();
    EXPECT_TRUE(r.At(0)->text > src && r.At(0)->text < src + doc->Source().size());
    EXPECT_EQ(r.At(0)->String(), u"plain");
    EXPECT_EQ(r.At(1)->String(), u"a\u00e9\tb");
    EXPECT_EQ(r.At(2)->String(), u"ZZ");          // bad \u dropped, scanning resumes after the u
    EXPECT_EQ(r.At(3)->String(), u"12");          // fewer than four units left
    EXPECT_EQ(r.At(4)->String(), u"q/\"");
    EXPECT_EQ(r.At(5)->String(), u"\U0001F600");  // an escaped pair stays a pair
    EXPECT_EQ(r.At(6)->String(), u"");
    EXPECT_EQ(r.At(7)->String(), u"a\tb\x01");    // raw control characters are accepted as they are
    EXPECT_EQ(r.At(8), nullptr);
}

TEST(JsonParse, DuplicateKeysKeepEveryMemberAndLookUpTheLast) {
    EXPECT_EQ(RoundTrip(u"{\"a\":1,\"a\":2}"), u"{\"a\":1,\"a\":2}");
    EXPECT_EQ(Parse(u"{\"a\":1,\"a\":2}")->Root().Find(u"a")->integer, 2);
    // Large objects go through the hash index: the same rule must hold there, for every key.
    std::u16string big = u"{";
    for (int i = 0; i < 5000; ++i) big += u"\"key" + Widen(std::to_string(i)) + u"\":" + Widen(std::to_string(i)) + u",";
    big += u"\"key7\":\"last\"}";
    auto doc = Parse(big);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->Root().count, 5001u);
    for (int i = 0; i < 5000; i += 7) {
        const JsonNode* n = doc->Root().Find(u"key" + Widen(std::to_string(i)));
        ASSERT_NE(n, nullptr) << i;
        if (i != 7) {
            EXPECT_EQ(n->integer, i);
        }
    }
    EXPECT_EQ(doc->Root().Find(u"key7")->String(), u"last");
    EXPECT_EQ(doc->Root().Find(u"Key1"), nullptr);   // keys are case-sensitive
    EXPECT_EQ(doc->Root().Find(u"key"), nullptr);
}

TEST(JsonSerialize, CompactFormEscapesOnlyWhatJsonRequires) {
    EXPECT_EQ(RoundTrip(u" { \"a\" : [ 1 , true , null , \"x\" ] , \"b\" : { } } "),
              u"{\"a\":[1,true,null,\"x\"],\"b\":{}}");
    // Values keep '/', non-ASCII and surrogates; controls use the short forms or \u00XX.
    EXPECT_EQ(RoundTrip(u"\"a/b\u00e9\\ud83d\\ude00\\u0001\\u001f\\b\\f\\n\\r\\t\\\\\\\"\""),
              u"\"a/b\u00e9\U0001F600\\u0001\\u001f\\b\\f\\n\\r\\t\\\\\\\"\"");
    EXPECT_EQ(RoundTrip(u"\"\\ud800\""), u"\"\xD800\"");   // a lone surrogate in a value is kept as it is
    // Keys are decoded for lookup and escaped like everything EscapeJsonString writes, surrogates included.
    EXPECT_EQ(Parse(u"{\"caf\\u00e9\":1}")->Root().Find(u"caf\u00e9")->integer, 1);
    EXPECT_EQ(RoundTrip(u"{\"caf\\u00e9\":1,\"tab\\tkey\":2,\"\\ud800\":0}"), u"{\"caf\u00e9\":1,\"tab\\tkey\":2,\"\\ud800\":0}");
    // NaN and infinity are written as null.
    JsonNode n;
    n.type = JsonNodeType::Double;
    n.number = std::nan("");
    std::u16string out;
    SerializeNode(n, out);
    n.number = HUGE_VAL;
    SerializeNode(n, out);
    EXPECT_EQ(out, u"nullnull");
}

TEST(JsonSerialize, EscapeJsonString) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"\"\\", u"\\\"\\\\"},
        {u"\b\t\n\f\r", u"\\b\\t\\n\\f\\r"},
        {u"\x01\x1f\x7f", u"\\u0001\\u001f\x7f"},
        {u"\U0001F600", u"\\ud83d\\ude00"},
        {u"a\xD800" u"b", u"a\\ud800b"},
        {u"\xDC00\xD800", u"\\udc00\\ud800"},
        {u"\xD800\xD800\xDC00", u"\\ud800\\ud800\\udc00"},
        {std::u16string(1, u'\0'), u"\\u0000"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(Narrow(EscapeJsonString(in)), Narrow(out)) << Narrow(in);
}

// The parser's fast paths must agree bit for bit with a correctly rounding reader.
void ExpectSameAsReference(const std::string& s) {
    std::u16string t = Widen(s);
    const char16_t* p = t.data();
    std::int32_t i;
    double d, want = 0;
    bool isInt = ScanNumber(p, t.data() + t.size(), i, d);
    ASSERT_EQ(p, t.data() + t.size()) << s;
    std::from_chars(s.data(), s.data() + s.size(), want);
    if (isInt) {   // "-0" is the integer 0: no sign to compare
        EXPECT_EQ(i, want) << s;
        return;
    }
    EXPECT_EQ(std::memcmp(&d, &want, sizeof d), 0) << s << ": got " << d << " want " << want;
}

TEST(JsonNumber, ScanNumberRoundsExactlyLikeAReference) {
    // Halfway and near-halfway cases, the limits of each fast path, and the slow path.
    for (const char* c : {"0.1", "1.7976931348623157e308", "2.2250738585072014e-308", "4.9e-324", "9007199254740993",
                          "9007199254740992.5", "9007199254740993.0000000001", "18014398509481985", "-65.613616999999977",
                          "45.123456789012345678", "1e22", "1e23", "123456789e-19", "1.5e-20", "9999999999999999999",
                          "12345678901234567890", "0.000000000000000000001", "2.4703282292062328e-324", "-0.0"})
        ExpectSameAsReference(c);
    std::mt19937_64 rng(12345);
    for (int n = 0; n < 200000 && !HasFailure(); ++n) {
        // Random digit strings of 1 to 20 digits with a point and an exponent.
        int digits = 1 + static_cast<int>(rng() % 20);
        std::string s = (rng() & 1) ? "-" : "";
        int point = static_cast<int>(rng() % (digits + 1));
        for (int k = 0; k < digits; ++k) {
            if (k == point && k > 0) s += '.';
            s += static_cast<char>('0' + rng() % 10);
        }
        if (rng() % 3 == 0) s += 'e' + std::to_string(static_cast<int>(rng() % 60) - 30);
        ExpectSameAsReference(s);
    }
}

TEST(JsonNumber, Int32RangeAndWriters) {
    std::int32_t v;
    EXPECT_TRUE(ReadInt32Token(u"2147483647", v) && v == 2147483647);
    EXPECT_TRUE(ReadInt32Token(u"-2147483648", v) && v == INT32_MIN);
    EXPECT_TRUE(ReadInt32Token(u"0000000000000000042", v) && v == 42);
    for (auto bad : {u"2147483648", u"-2147483649", u"-", u"1.0"}) EXPECT_FALSE(ReadInt32Token(bad, v)) << Narrow(bad);
    // "%.17g" and "%ld".
    const std::pair<double, std::u16string> doubles[] = {
        {0.1, u"0.10000000000000001"}, {1.0, u"1"}, {-0.0, u"-0"}, {1e21, u"1e+21"}, {1e-7, u"9.9999999999999995e-08"},
        {5e-324, u"4.9406564584124654e-324"}, {1.7976931348623157e308, u"1.7976931348623157e+308"},
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
