// The text scanner: strict validation (and the public conformance suite),
// lenient skipping, decoding and single values read straight from text.
#include <gtest/gtest.h>

#include <filesystem>

#include "json_document.h"
#include "json_text.h"
#include "test_data.h"

using namespace Corvane;
using CorvaneTest::Narrow;

namespace {

std::u16string Nested(int levels) { return std::u16string(levels, u'[') + std::u16string(levels, u']'); }

TEST(JsonValidate, AcceptsAndRejects) {
    const std::pair<std::u16string, bool> cases[] = {
        {u"", false}, {u" ", false}, {u"\t[1]\r\n", true}, {u"\f1", false}, {u"\uFEFF1", false}, {u"[] []", false},
        {u"01", false}, {u"-01", false}, {u"1.", false}, {u"1e+", false}, {u"-0.0e-0", true}, {u"1E+2", true},
        {u"[1,]", false}, {u"{\"a\":1,}", false}, {u"{\"a\" 1}", false}, {u"{1:1}", false}, {u"[1 2]", false},
        {u"\"\\x\"", false}, {u"\"\\u00e9\"", true}, {u"\"\\u00G9\"", false}, {u"\"\\u00e\"", false},
        {u"\"\\ud83d\\ude00\"", true}, {u"\"\\ude00\"", false}, {u"\"\\ud83d\"", false}, {u"\"\\ud83d\\u0041\"", false},
        {u"\"a\tb\"", false}, {u"\"\x1f\"", false}, {u"\" \x7f\"", true}, {u"\"\xD800\"", true}, {u"\"unterminated", false},
        {u"truee", false}, {u"NULL", false}, {u"{\"a\":[{\"b\":null}],\"c\":\"d\"}", true},
    };
    for (const auto& [text, valid] : cases) EXPECT_EQ(IsValidJson(text), valid) << Narrow(text);
    EXPECT_TRUE(IsValidJson(Nested(512)));
    EXPECT_FALSE(IsValidJson(Nested(513)));
    EXPECT_FALSE(IsValidJson(std::u16string(100000, u'[')));
}

// Every y_ file accepted, every n_ file rejected, no i_ file crashes or hangs;
// the DOM parser survives all of them. An undecodable file counts as rejected.
TEST(JsonValidate, ConformanceSuite) {
    const std::string shared = CorvaneTest::SharedDir();
    const std::filesystem::path dir = std::filesystem::path(shared) / "conformance" / "JSONTestSuite" / "test_parsing";
    std::error_code ec;
    if (shared.empty() || !std::filesystem::is_directory(dir, ec))
        GTEST_SKIP() << "conformance suite not present (set CORVANE_SHARED_DIR)";
    int accepted = 0, rejected = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".json") continue;
        const std::string name = entry.path().filename().string();
        auto bytes = CorvaneTest::ReadFileBytes(entry.path().string());
        auto text = bytes ? CorvaneTest::DecodeUtf8(*bytes) : std::nullopt;
        const bool valid = text && IsValidJson(*text);
        if (text) {
            std::unique_ptr<JsonDocument> doc;
            std::u16string error, out;
            const bool parsed = ParseDocument(*text, ~0ull, doc, error);
            EXPECT_EQ(parsed, error.empty()) << name;
            if (doc) SerializeNode(doc->Root(), out);
        }
        if (name[0] == 'y') { EXPECT_TRUE(valid) << name; ++accepted; }
        if (name[0] == 'n') { EXPECT_FALSE(valid) << name; ++rejected; }
    }
    // The suite has 95 y_ and 188 n_ files; a partial copy would pass too easily.
    EXPECT_GE(accepted, 95);
    EXPECT_GE(rejected, 188);
}

TEST(JsonSkip, LenientSkipEndsPastTheValue) {
    const std::pair<std::u16string, std::size_t> cases[] = {
        {u"  \"a\\\"b\" ,", 8}, {u"fals", 4}, {u"nullx", 4}, {u"-12.5e+3]", 8},
        {u"[1, [2, \"]\"], {\"k\": 3}] tail", 23},
        {u"{\"a\" 1}", 7},          // a missing colon is tolerated
        {u"[1, x]", 4},             // a character that cannot start a value ends the scan there
        {u"\"open", 5},
    };
    for (const auto& [text, end] : cases)
        EXPECT_EQ(static_cast<std::size_t>(SkipJsonValue(text.data(), text.data() + text.size()) - text.data()), end) << Narrow(text);
    const std::u16string deep = Nested(513), ok = Nested(512);
    EXPECT_EQ(SkipJsonValue(deep.data(), deep.data() + deep.size()), deep.data());
    EXPECT_EQ(SkipJsonValue(ok.data(), ok.data() + ok.size()), ok.data() + ok.size());
    EXPECT_EQ(SkipJsonValue(ok.data(), ok.data() + ok.size(), 1), ok.data());   // a starting depth counts
}

TEST(JsonSkip, FindValueEndIsStrictAboutStructure) {
    struct Case { std::u16string text; std::size_t pos; std::ptrdiff_t end; };
    const Case cases[] = {
        {u"{\"a\":[1,{\"b\":\"}\"}], \"c\":2} ,", 0, 26},
        {u"xx [1] yy", 2, 6},
        {u"tru", 0, 3},                 // literal cut short: end of text
        {u"[1 2]", 0, 5},               // bad separator: end of text
        {u"{\"a\" 1}", 0, 7},           // missing colon: end of text
        {u"?", 0, 1},
        {u"[]", 5, 2},                  // a position past the end
        {Nested(256), 0, 512},
        {Nested(257), 0, -1},
    };
    for (const auto& c : cases) {
        int depth = 0;
        EXPECT_EQ(FindValueEnd(c.text, c.pos, depth), c.end) << Narrow(c.text);
        EXPECT_EQ(depth, 0) << Narrow(c.text);
    }
    int depth = 1;   // the counter is shared with the caller's own nesting
    EXPECT_EQ(FindValueEnd(Nested(256), 0, depth), -1);
    EXPECT_EQ(depth, 1);
}

TEST(JsonDecode, DecodeJsonString) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"\"plain\" tail", u"plain"},
        {u"no quote", u""},
        {u"\"\\b\\f\\n\\r\\t\\/\\\\\\\"\"", u"\b\f\n\r\t/\\\""},
        {u"\"\\u00E9\\u00e9\"", u"\u00e9\u00e9"},
        {u"\"\\ud83d\\ude00x\"", u"\U0001F600x"},
        {u"\"\\uZZZZ\"", u"\uFFFDZZZZ"},          // not hex: U+FFFD, then the units as text
        {u"\"\\u12", u"u12"},                     // fewer than four units left
        {u"\"ab\\", u"ab\\"},                     // a final backslash stays
        {u"\"\\ud83d\\u0041\"", u"\xD83D" u"A"},  // the high half reaches the output, the next escape too
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(Narrow(DecodeJsonString(in.data(), in.data() + in.size())), Narrow(out)) << Narrow(in);
}

TEST(JsonScalarText, TextValueToScalar) {
    using K = JsonScalar::Kind;
    struct Case { std::u16string text; K kind; double number; std::u16string str; };
    const Case cases[] = {
        {u"   ", K::Empty, 0, u""},
        {u" \"a\\nb\" ", K::String, 0, u"a\nb"},
        {u"null", K::Null, 0, u""}, {u"true", K::Bool, 1, u""}, {u"false", K::Bool, 0, u""},
        {u"nul", K::Null, 0, u""},   // not a value: Null
        {u" {\"a\" : 1} ", K::Raw, 0, u"{\"a\" : 1}"},   // containers keep their formatting
        {u"[1, [2]] x", K::Raw, 0, u"[1, [2]]"},
        {u"-2147483648", K::Int, -2147483648.0, u""},
        {u"2147483648", K::Double, 2147483648.0, u""},
        {u"1e2", K::Double, 100, u""},
        {u"1e", K::String, 0, u"1e"},     // not wholly a number: the raw token
    };
    for (const auto& c : cases) {
        JsonScalar s = TextValueToScalar(c.text.data(), c.text.data() + c.text.size());
        EXPECT_EQ(s.kind, c.kind) << Narrow(c.text);
        const double number = c.kind == K::Int ? s.integer : c.kind == K::Double ? s.number : s.boolean;
        EXPECT_EQ(number, c.number) << Narrow(c.text);
        EXPECT_EQ(Narrow(s.text), Narrow(c.str)) << Narrow(c.text);
    }
}

}  // namespace
