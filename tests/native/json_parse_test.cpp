// The DOM parser: every failure message with its position, the limits, the
// number rules, duplicate keys, escapes and the compact serializer.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "json_document.h"
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

std::u16string Nested(int levels, char16_t open, char16_t close) {
    return std::u16string(levels, open) + std::u16string(levels, close);
}

struct FailureCase {
    std::u16string text;
    std::u16string message;
};

TEST(JsonParse, FailureMessagesCarryExactTextAndPosition) {
    const FailureCase cases[] = {
        {u"", u"Corvane.Json: Unexpected end of JSON"},
        {u"   ", u"Corvane.Json: Unexpected end of JSON"},
        {u"[1,", u"Corvane.Json: Unexpected end of JSON"},
        {u"{\"a\":", u"Corvane.Json: Unexpected end of JSON"},
        {u"[", u"Corvane.Json: Unexpected end of JSON"},
        {u"  x", u"Corvane.Json: Unexpected character at position 2"},
        {u"[1,]", u"Corvane.Json: Unexpected character at position 3"},
        {u"\uFEFF{}", u"Corvane.Json: Unexpected character at position 0"},
        {u".5", u"Corvane.Json: Unexpected character at position 0"},
        {u"[tru]", u"Corvane.Json: Invalid literal at position 1"},
        {u"[1, nul", u"Corvane.Json: Invalid literal at position 4"},
        {u"fals", u"Corvane.Json: Invalid literal at position 0"},
        {u"True", u"Corvane.Json: Unexpected character at position 0"},
        {u"[\"abc", u"Corvane.Json: Unterminated string at position 1"},
        {u"\"ab\\\"", u"Corvane.Json: Unterminated string at position 0"},
        {u"\"ab\\", u"Corvane.Json: Unterminated string at position 0"},
        {u"{\"a\":1, \"b", u"Corvane.Json: Unterminated string at position 8"},
        {u"{a:1}", u"Corvane.Json: Expected string at position 1"},
        {u"{\"a\":1,}", u"Corvane.Json: Expected string at position 7"},
        {u"{", u"Corvane.Json: Expected string at position 1"},
        {u"{\"a\" 1}", u"Corvane.Json: Expected ':' at position 5"},
        {u"{\"a\"", u"Corvane.Json: Expected ':' at position 4"},
        {u"{\"a\":1 \"b\":2}", u"Corvane.Json: Expected ',' or '}' at position 7"},
        {u"{\"a\":1]", u"Corvane.Json: Expected ',' or '}' at position 6"},
        {u"[1 2]", u"Corvane.Json: Expected ',' or ']' at position 3"},
        {u"[1}", u"Corvane.Json: Expected ',' or ']' at position 2"},
        {u"{\"a\":1", u"Corvane.Json: Unterminated object"},
        {u"{\"a\":{}  ", u"Corvane.Json: Unterminated object"},
        {u"[1", u"Corvane.Json: Unterminated array"},
        {u"[[]\t", u"Corvane.Json: Unterminated array"},
        {u"{\"a\":1} x", u"Corvane.Json: Unexpected content after JSON at position 8"},
        {u"1 2", u"Corvane.Json: Unexpected content after JSON at position 2"},
        {u"[]]", u"Corvane.Json: Unexpected content after JSON at position 2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Narrow(ParseError(c.text)), Narrow(c.message)) << "input: " << Narrow(c.text);
}

TEST(JsonParse, FirstFailureWins) {
    // The bad literal comes before the bad separator and the unterminated array.
    EXPECT_EQ(Narrow(ParseError(u"[nul 1")), "Corvane.Json: Invalid literal at position 1");
}

TEST(JsonParse, NestingLimitIs256Levels) {
    EXPECT_EQ(ParseError(Nested(256, u'[', u']')), u"OK");
    EXPECT_EQ(Narrow(ParseError(Nested(257, u'[', u']'))), "Corvane.Json: Nesting depth exceeds 256");
    std::u16string objects;
    for (int i = 0; i < 257; ++i) objects += u"{\"k\":";
    objects += u"1" + std::u16string(257, u'}');
    EXPECT_EQ(Narrow(ParseError(objects)), "Corvane.Json: Nesting depth exceeds 256");
    // A flood of brackets is refused, never a stack overflow.
    EXPECT_EQ(Narrow(ParseError(std::u16string(100000, u'['))), "Corvane.Json: Nesting depth exceeds 256");
    EXPECT_EQ(Narrow(ParseError(std::u16string(100000, u'{'))), "Corvane.Json: Expected string at position 1");
}

TEST(JsonParse, MemoryBudgetCountsSourceElementsAndDecodedStrings) {
    // "[1,2]" : 2*5 source bytes + 168 per element.
    EXPECT_EQ(ParseError(u"[1,2]", 10 + 2 * 168), u"OK");
    EXPECT_EQ(Narrow(ParseError(u"[1,2]", 10 + 2 * 168 - 1)), "Corvane.Json: DOM build exceeded memory limit");
    // Object members cost the same.
    EXPECT_EQ(ParseError(u"{\"a\":1}", 14 + 168), u"OK");
    EXPECT_EQ(Narrow(ParseError(u"{\"a\":1}", 14 + 167)), "Corvane.Json: DOM build exceeded memory limit");
    // An escaped string adds 2 bytes per decoded unit before the next element is charged:
    // ["\n", 1] = 9 units, 18 bytes; decoded "\n" is 1 unit.
    EXPECT_EQ(ParseError(u"[\"\\n\", 1]", 18 + 2 + 2 * 168), u"OK");
    EXPECT_EQ(Narrow(ParseError(u"[\"\\n\", 1]", 18 + 2 + 2 * 168 - 1)), "Corvane.Json: DOM build exceeded memory limit");
    // Empty containers and the root are free.
    EXPECT_EQ(ParseError(u"[]", 4), u"OK");
}

TEST(JsonParse, EmptyContainersAndStrings) {
    for (auto text : {u"[]", u"[ ]", u"{}", u" { \t\r\n} "}) {
        auto doc = Parse(text);
        ASSERT_TRUE(doc);
        EXPECT_TRUE(doc->Root().IsContainer());
        EXPECT_EQ(doc->Root().count, 0u);
    }
    auto doc = Parse(u"\"\"");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->Root().type, JsonNodeType::String);
    EXPECT_EQ(doc->Root().String(), u"");
}

struct NumberCase {
    std::u16string text;
    JsonNodeType type;
    double value;
    std::u16string serialized;
};

TEST(JsonParse, NumbersAreInt32WhenTheyFitElseDouble) {
    const NumberCase cases[] = {
        {u"0", JsonNodeType::Int, 0, u"0"},
        {u"-0", JsonNodeType::Int, 0, u"0"},
        {u"2147483647", JsonNodeType::Int, 2147483647.0, u"2147483647"},
        {u"-2147483648", JsonNodeType::Int, -2147483648.0, u"-2147483648"},
        {u"2147483648", JsonNodeType::Double, 2147483648.0, u"2147483648"},
        {u"-2147483649", JsonNodeType::Double, -2147483649.0, u"-2147483649"},
        {u"1e2", JsonNodeType::Double, 100, u"100"},
        {u"1.0", JsonNodeType::Double, 1, u"1"},
        {u"0.1", JsonNodeType::Double, 0.1, u"0.10000000000000001"},
        {u"-1.5E-3", JsonNodeType::Double, -0.0015, u"-0.0015"},
        {u"1e400", JsonNodeType::Double, 0, u"0"},
        {u"-1e400", JsonNodeType::Double, 0, u"0"},
        {u"123456789012345678901234567890", JsonNodeType::Double, 1.2345678901234568e29, u"1.2345678901234568e+29"},
        // The scan is lenient: leading zeros, an empty fraction, a bare sign.
        {u"007", JsonNodeType::Int, 7, u"7"},
        {u"1.", JsonNodeType::Double, 1, u"1"},
        {u"-", JsonNodeType::Double, 0, u"0"},
        {u"1e", JsonNodeType::Double, 1, u"1"},
    };
    for (const auto& c : cases) {
        auto doc = Parse(c.text);
        ASSERT_TRUE(doc) << Narrow(c.text);
        const JsonNode& n = doc->Root();
        EXPECT_EQ(n.type, c.type) << Narrow(c.text);
        double v = n.type == JsonNodeType::Int ? n.integer : n.number;
        EXPECT_EQ(v, c.value) << Narrow(c.text);
        std::u16string out;
        SerializeNode(n, out);
        EXPECT_EQ(Narrow(out), Narrow(c.serialized)) << Narrow(c.text);
    }
}

TEST(JsonParse, StringsAreViewsUnlessEscaped) {
    auto doc = Parse(u"[\"plain\",\"a\\u00e9b\",\"\\uZZ\",\"\\u12\",\"\\q\\/\\\"\",\"\\ud83d\\ude00\"]");
    ASSERT_TRUE(doc);
    const JsonNode& r = doc->Root();
    ASSERT_EQ(r.count, 6u);
    // Unescaped strings point into the document's own copy of the source.
    const char16_t* src = doc->Source().data();
    EXPECT_TRUE(r.At(0)->text > src && r.At(0)->text < src + doc->Source().size());
    EXPECT_EQ(r.At(0)->String(), u"plain");
    EXPECT_EQ(r.At(1)->String(), u"a\u00e9b");
    EXPECT_EQ(r.At(2)->String(), u"ZZ");          // bad \u dropped, scanning resumes after the u
    EXPECT_EQ(r.At(3)->String(), u"12");          // fewer than four units left
    EXPECT_EQ(r.At(4)->String(), u"q/\"");
    EXPECT_EQ(r.At(5)->String(), u"\U0001F600");  // an escaped pair stays a pair
    // Raw control characters are accepted as they are.
    auto raw = Parse(u"\"a\tb\x01\"");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->Root().String(), u"a\tb\x01");
}

TEST(JsonParse, DuplicateKeysKeepEveryMemberAndLookUpTheLast) {
    auto doc = Parse(u"{\"a\":1,\"a\":2}");
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->Root().count, 2u);
    EXPECT_EQ(doc->Root().Find(u"a")->integer, 2);
    EXPECT_EQ(RoundTrip(u"{\"a\":1,\"a\":2}"), u"{\"a\":1,\"a\":2}");
    // Large objects go through the hash index: the same rule must hold there.
    std::u16string big = u"{";
    for (int i = 0; i < 100; ++i) big += u"\"k" + std::u16string(1, char16_t(u'A' + i % 26)) + u"\":" + std::u16string(1, char16_t(u'0' + i % 10)) + u",";
    big += u"\"kA\":\"last\"}";
    auto bigDoc = Parse(big);
    ASSERT_TRUE(bigDoc);
    EXPECT_EQ(bigDoc->Root().count, 101u);
    EXPECT_EQ(bigDoc->Root().Find(u"kA")->String(), u"last");
    EXPECT_EQ(bigDoc->Root().Find(u"kZ")->integer, 7);   // kZ stands at i = 25, 51 and 77
    EXPECT_EQ(bigDoc->Root().Find(u"kz"), nullptr);      // keys are case-sensitive
    EXPECT_EQ(bigDoc->Root().Find(u"k"), nullptr);
}

TEST(JsonParse, HashIndexFindsEveryKeyOfALargeObject) {
    std::u16string text = u"{";
    for (int i = 0; i < 5000; ++i) {
        if (i) text += u",";
        text += u"\"key" + Widen(std::to_string(i)) + u"\":" + Widen(std::to_string(i));
    }
    text += u"}";
    auto doc = Parse(text);
    ASSERT_TRUE(doc);
    for (int i = 0; i < 5000; i += 7) {
        const JsonNode* n = doc->Root().Find(u"key" + Widen(std::to_string(i)));
        ASSERT_NE(n, nullptr) << i;
        EXPECT_EQ(n->integer, i);
    }
    EXPECT_EQ(doc->Root().Find(u"key5000"), nullptr);
}

TEST(JsonParse, EscapedKeysAreDecodedForLookupAndEscapedOnOutput) {
    auto doc = Parse(u"{\"caf\\u00e9\":1,\"tab\\tkey\":2,\"q\\\"\":3}");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->Root().Find(u"caf\u00e9")->integer, 1);
    EXPECT_EQ(doc->Root().Find(u"tab\tkey")->integer, 2);
    EXPECT_EQ(RoundTrip(u"{\"caf\\u00e9\":1,\"tab\\tkey\":2,\"q\\\"\":3}"), u"{\"caf\u00e9\":1,\"tab\\tkey\":2,\"q\\\"\":3}");
}

TEST(JsonSerialize, CompactFormEscapesOnlyWhatJsonRequires) {
    EXPECT_EQ(RoundTrip(u" { \"a\" : [ 1 , true , null , \"x\" ] , \"b\" : { } } "),
              u"{\"a\":[1,true,null,\"x\"],\"b\":{}}");
    // Values keep '/', non-ASCII and surrogates; controls use the short forms or \u00XX.
    EXPECT_EQ(RoundTrip(u"\"a/b\u00e9\\ud83d\\ude00\\u0001\\u001f\\b\\f\\n\\r\\t\\\\\\\"\""),
              u"\"a/b\u00e9\U0001F600\\u0001\\u001f\\b\\f\\n\\r\\t\\\\\\\"\"");
    // A lone surrogate in a value is kept as the unit it is.
    EXPECT_EQ(RoundTrip(u"\"\\ud800\""), u"\"\xD800\"");
    // ... but in a key it is escaped, like everything EscapeJsonString writes.
    EXPECT_EQ(RoundTrip(u"{\"\\ud800\":0}"), u"{\"\\ud800\":0}");
}

TEST(JsonSerialize, EscapeJsonString) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"", u""},
        {u"plain/text", u"plain/text"},
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

TEST(JsonSerialize, NaNAndInfinityAreWrittenAsNull) {
    JsonNode n;
    n.type = JsonNodeType::Double;
    n.number = std::nan("");
    std::u16string out;
    SerializeNode(n, out);
    n.number = HUGE_VAL;
    SerializeNode(n, out);
    EXPECT_EQ(out, u"nullnull");
}

TEST(JsonParse, DeepDocumentSerializesBack) {
    std::u16string text = Nested(256, u'[', u']');
    EXPECT_EQ(RoundTrip(text), text);
}

}  // namespace
