// The path grammar and both evaluators: text navigation and document lookup.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "json_document.h"
#include "json_path.h"
#include "json_text.h"

namespace Corvane {
namespace {

// "[key,index]" per segment ("[,0]" for an index-only step), or "error".
std::u16string Tokens(std::u16string_view path) {
    PathSegment segments[kMaxPathSegments];
    const int count = TokenizePath(path, segments);
    if (count < 0) return u"error";
    std::u16string out;
    for (int i = 0; i < count; ++i) {
        out += u"[";
        out += segments[i].Key();
        if (segments[i].index >= 0) {
            out += u",";
            for (char c : std::to_string(segments[i].index)) out += static_cast<char16_t>(c);
        }
        out += u"]";
    }
    return out;
}

std::u16string Repeat(std::u16string_view unit, int times) {
    std::u16string out;
    for (int i = 0; i < times; ++i) out += unit;
    return out;
}

TEST(JsonPathTokenize, Grammar) {
    struct Row { std::u16string_view path, expected; };
    const Row rows[] = {
        {u"", u""},
        {u"a", u"[a]"},
        {u"a.b", u"[a][b]"},
        {u"a[2].b", u"[a,2][b]"},
        {u"[0].x", u"[,0][x]"},
        {u"[0]", u"[,0]"},
        {u"[0][1]", u"[,0][,1]"},
        {u"a[1][2]", u"[a,1][,2]"},
        {u".a", u"[a]"},
        {u"a[0]b", u"[a,0][b]"},
        {u"items[0]", u"[items,0]"},
        {u"items.[0]", u"[items][,0]"},
        {u"a[007]", u"[a,7]"},
        {u"a[999999]", u"[a,999999]"},
        {u"a[0000999999]", u"[a,999999]"},
        {u"first name", u"[first name]"},
        {u"\"q\":x", u"[\"q\":x]"},
        {u"caf\u00e9.\U0001F600", u"[caf\u00e9][\U0001F600]"},
        {u"a\\b", u"[a\\b]"},
        // errors
        {u".", u"error"},
        {u"[", u"error"},
        {u"]", u"error"},
        {u"a.", u"error"},
        {u"items[0].", u"error"},
        {u"a..b", u"error"},
        {u"..a", u"error"},
        {u"a[]", u"error"},
        {u"a[-1]", u"error"},
        {u"a[+1]", u"error"},
        {u"a[ 1]", u"error"},
        {u"a[1 ]", u"error"},
        {u"a[*]", u"error"},
        {u"a[:]", u"error"},
        {u"a[1:2]", u"error"},
        {u"a[?]", u"error"},
        {u"a[0x1]", u"error"},
        {u"a[1", u"error"},
        {u"a]", u"error"},
        {u"a[1]]", u"error"},
        {u"[a]", u"error"},
        {u"a[1000000]", u"error"},
        {u"a[0001000000]", u"error"},
        {u"a[99999999999999999999999]", u"error"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::u16string(row.path)));
        EXPECT_EQ(Tokens(row.path), row.expected);
    }
}

TEST(JsonPathTokenize, SegmentLimit) {
    struct Row { std::u16string path; int expected; };
    const Row rows[] = {
        {u"a" + Repeat(u".a", 31), 32},
        {u"a" + Repeat(u".a", 32), -1},
        {u"[0]" + Repeat(u".a", 31), 32},   // a leading index counts
        {u"[0]" + Repeat(u".a", 32), -1},
        {Repeat(u"a[0]", 32), 32},          // key plus index is one segment
        {Repeat(u"a[0][0]", 16), 32},
        {Repeat(u"a[0][0]", 16) + u"[0]", -1},
        {Repeat(u"[1]", 32), 32},
        {Repeat(u"[1]", 33), -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.path));
        PathSegment segments[kMaxPathSegments];
        EXPECT_EQ(TokenizePath(row.path, segments), row.expected);
    }
}

TEST(JsonPathTokenize, KeysPointIntoThePathText) {
    const std::u16string path = u"ab.cd[3]";
    PathSegment segments[kMaxPathSegments];
    ASSERT_EQ(TokenizePath(path, segments), 2);
    EXPECT_EQ(segments[0].key, path.data());
    EXPECT_EQ(segments[0].keyLength, 2u);
    EXPECT_EQ(segments[1].key, path.data() + 3);
    EXPECT_EQ(segments[1].index, 3);

    PathSegment leading[kMaxPathSegments];
    ASSERT_EQ(TokenizePath(u"[4]", leading), 1);
    EXPECT_FALSE(leading[0].HasKey());
    EXPECT_EQ(leading[0].keyLength, 0u);
}

// The raw text of the addressed value, or "<none>".
std::u16string Navigate(std::u16string_view json, std::u16string_view path) {
    PathSegment segments[kMaxPathSegments];
    const int count = TokenizePath(path, segments);
    if (count < 0) return u"<syntax>";
    const std::ptrdiff_t pos = NavigateText(json, segments, count);
    if (pos == kNotFound) return u"<none>";
    return std::u16string(ExtractRawValue(json.data() + pos, json.data() + json.size()));
}

struct NavRow { std::u16string_view json, path, expected; };

void CheckNavigation(const NavRow* rows, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(::testing::PrintToString(std::u16string(rows[i].json)) + " path " +
                     ::testing::PrintToString(std::u16string(rows[i].path)));
        EXPECT_EQ(Navigate(rows[i].json, rows[i].path), rows[i].expected);
    }
}

TEST(JsonPathNavigate, Routes) {
    const NavRow rows[] = {
        {u"{\"a\":{\"b\":1}}", u"a.b", u"1"},
        {u"{\"a\":{\"b\":1}}", u"a", u"{\"b\":1}"},
        {u"  [1] ", u"", u"[1]"},
        {u"{\"items\":[10,20]}", u"items[1]", u"20"},
        {u"{\"items\":[10,20]}", u"items.[1]", u"20"},
        {u"[{\"x\":1}]", u"[0].x", u"1"},
        {u"[[1,2],[3]]", u"[0][1]", u"2"},
        {u"[[1,2],[3]]", u"[1][1]", u"<none>"},
        {u"{\"d\":[{\"k\":[0,[1,{\"z\":true}]]},{\"k\":2}]}", u"d[0].k[1][1].z", u"true"},
        {u"{\"d\":[{\"k\":[0,[1,{\"z\":true}]]},{\"k\":2}]}", u"d[1].k", u"2"},
        {u"{\"d\":[{\"k\":[0,[1,{\"z\":true}]]},{\"k\":2}]}", u"d[2]", u"<none>"},
        {u"[1,[2,3],{\"a\":[4]}]", u"[2].a[0]", u"4"},
        {u"[1,2,3]", u"[2]", u"3"},
        {u"[1,2,3]", u"[3]", u"<none>"},
        {u"[]", u"[0]", u"<none>"},
        {u"[ ]", u"[0]", u"<none>"},
        {u"{\"first name\":\"Ann\"}", u"first name", u"\"Ann\""},
        {u"{\"a.b\":1}", u"a.b", u"<none>"},
        // first match wins
        {u"{\"a\":1,\"a\":2}", u"a", u"1"},
        {u"{\"ab\":1,\"a\":2}", u"a", u"2"},
        {u"{\"a\":1}", u"ab", u"<none>"},
        // wrong container for the step
        {u"[1]", u"a", u"<none>"},
        {u"\"str\"", u"a", u"<none>"},
        {u"{\"a\":{\"0\":1}}", u"a[0]", u"<none>"},
        {u"{\"a\":[1]}", u"a.b", u"<none>"},
    };
    CheckNavigation(rows, std::size(rows));
}

TEST(JsonPathNavigate, WhitespaceEverywhere) {
    const std::u16string_view json = u" \t\r\n{ \n\"a\" \t: \r\n[ 1 ,\t{ \"b\" :\n\"x\" } , [ ] ] ,\r\"c\"\n:\t2 }\n ";
    const NavRow rows[] = {
        {json, u"a[1].b", u"\"x\""},
        {json, u"a[0]", u"1"},
        {json, u"a[2]", u"[ ]"},
        {json, u"c", u"2"},
        {u"\n\t \r", u"", u"<none>"},
    };
    CheckNavigation(rows, std::size(rows));
}

TEST(JsonPathNavigate, EscapedKeysMatchPlainPathKeys) {
    const NavRow rows[] = {
        {u"{\"caf\\u00e9\":1}", u"caf\u00e9", u"1"},
        {u"{\"caf\\u00E9\":1}", u"caf\u00e9", u"1"},
        {u"{\"caf\\u00e9\":1}", u"caf\\u00e9", u"<none>"},
        {u"{\"a\\\"b\":2}", u"a\"b", u"2"},
        {u"{\"a\\\\b\":3}", u"a\\b", u"3"},
        {u"{\"\\ud83d\\ude00\":4}", u"\U0001F600", u"4"},
        {u"{\"\\/\\n\\t\":5}", u"/\n\t", u"5"},
        {u"{\"\\q\":6}", u"q", u"6"},
        {u"{\"\\n\":1,\"x\":2}", u"x", u"2"},   // mismatch on the key's last unit
        // a broken \u escape reads as U+FFFD followed by its four units
        {u"{\"\\u12G4\":9}", u"\uFFFD12G4", u"9"},
        {u"{\"\\u12G4\":9}", u"u12G4", u"<none>"},
        // a key that only shares a decoded prefix, then a plain match after it
        {u"{\"\\u0061b\":1,\"\\u0061\":7}", u"a", u"7"},
        // mismatch after an escape: the rest of the key is skipped correctly
        {u"{\"x\\\"y\\\\\":1,\"k\":8}", u"k", u"8"},
    };
    CheckNavigation(rows, std::size(rows));
}

TEST(JsonPathNavigate, SkippedValuesWithAwkwardStrings) {
    const NavRow rows[] = {
        {u"{\"s\":\"]}\\\"[{,\",\"t\":[\"}\",{\"u\":\"\\\\\"}],\"k\":7}", u"k", u"7"},
        {u"[\"[\",\"]\",\",\",\"\\\"\",9]", u"[4]", u"9"},
        {u"{\"a\":{\"b\":[{\"c\":\"}\"}]},\"z\":{\"y\":\"[\"}}", u"z.y", u"\"[\""},
        {u"{\"e\":\"\",\"f\":-1.5e+3}", u"f", u"-1.5e+3"},
        {u"{\"n\":null,\"t\":true,\"f\":false,\"k\":0}", u"k", u"0"},
    };
    CheckNavigation(rows, std::size(rows));
}

TEST(JsonPathNavigate, MalformedRoutes) {
    const NavRow rows[] = {
        {u"{\"a\" 1}", u"a", u"1"},                 // the colon is optional on the route
        {u"{\"a\":1 \"b\":2}", u"b", u"<none>"},    // separator missing
        {u"{\"a\":1;\"b\":2}", u"b", u"<none>"},
        {u"{\"a\":1}\"b\":2", u"b", u"<none>"},     // past the object's end
        {u"{\"a\":1,}", u"b", u"<none>"},
        {u"{a:1}", u"a", u"<none>"},
        {u"{\"a\":tru,\"b\":1}", u"b", u"<none>"},
        {u"{\"a\":,\"b\":1}", u"b", u"<none>"},
        {u"{\"a\":[1,2},\"b\":1}", u"b", u"<none>"},
        {u"[1,2,]", u"[0]", u"<none>"},             // the whole array must be sound
        {u"[1 2]", u"[0]", u"<none>"},
        {u"[1,,2]", u"[2]", u"<none>"},
        // only the route is read: what lies beyond the answer is not checked
        {u"{\"a\":1,\"a\":x}", u"a", u"1"},
        {u"{\"a\":1} trailing", u"a", u"1"},
        {u"[0,1] trailing", u"[1]", u"1"},
    };
    CheckNavigation(rows, std::size(rows));
}

TEST(JsonPathNavigate, UnterminatedInput) {
    const NavRow rows[] = {
        {u"{", u"a", u"<none>"},
        {u"{\"a", u"a", u"<none>"},
        {u"{\"a\\", u"a", u"<none>"},
        {u"{\"a\"", u"a", u"<none>"},
        {u"{\"a\":", u"a", u"<none>"},
        {u"{\"a\":  ", u"a", u"<none>"},
        {u"{\"x\":\"abc", u"a", u"<none>"},
        {u"{\"x\":\"abc\\\"", u"a", u"<none>"},
        {u"{\"x\":[1,2", u"a", u"<none>"},
        {u"{\"x\":1", u"a", u"<none>"},
        {u"{\"a\":[1,2", u"a[0]", u"<none>"},
        {u"[1,2", u"[0]", u"<none>"},
        {u"[", u"[0]", u"<none>"},
        {u"[\"a", u"[0]", u"<none>"},
    };
    CheckNavigation(rows, std::size(rows));
}

TEST(JsonPathNavigate, NestingLimitOfSkippedValues) {
    // A skipped value may nest 256 levels; one more and the walk gives up.
    const std::u16string member256 = u"{\"x\":" + Repeat(u"[", 256) + Repeat(u"]", 256) + u",\"y\":1}";
    const std::u16string member257 = u"{\"x\":" + Repeat(u"[", 257) + Repeat(u"]", 257) + u",\"y\":1}";
    const std::u16string element256 = u"[" + Repeat(u"{\"k\":", 255) + u"[]" + Repeat(u"}", 255) + u",5]";
    const std::u16string element257 = u"[" + Repeat(u"{\"k\":", 256) + u"[]" + Repeat(u"}", 256) + u",5]";
    const std::u16string inner255 = Repeat(u"[", 255) + Repeat(u"]", 255);
    const NavRow rows[] = {
        {member256, u"y", u"1"},
        {member257, u"y", u"<none>"},
        {element256, u"[1]", u"5"},
        {element257, u"[1]", u"<none>"},
        // the addressed value itself is never walked, only reached
        {member257, u"x[0][0]", inner255},
    };
    CheckNavigation(rows, std::size(rows));

    // Far deeper than any limit: must fail cleanly, without recursion.
    const std::u16string huge = u"{\"x\":" + Repeat(u"[", 200000) + u",\"y\":1}";
    EXPECT_EQ(Navigate(huge, u"y"), u"<none>");
}

TEST(JsonPathNavigate, ElementFarDownALongArray) {
    std::u16string json = u"[";
    for (int i = 0; i < 3000; ++i) {
        if (i) json += u", ";
        json += u"{\"v\":\"" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u"\"}";
    }
    json += u"]";
    EXPECT_EQ(Navigate(json, u"[2999].v"), u"\"" + std::u16string(1, static_cast<char16_t>(u'a' + 2999 % 26)) + u"\"");
    EXPECT_EQ(Navigate(json, u"[3000]"), u"<none>");
}

TEST(JsonPathNavigate, FindersTakeAPosition) {
    const std::u16string_view json = u"[{\"a\":1}, [5,6]]";
    EXPECT_EQ(FindMemberInText(json, 1, u"a"), 6);
    EXPECT_EQ(FindMemberInText(json, 0, u"a"), kNotFound);   // an array is there
    EXPECT_EQ(FindElementInText(json, 9, 1), 13);           // whitespace before `[` skipped
    EXPECT_EQ(FindElementInText(json, 10, -1), kNotFound);
    EXPECT_EQ(FindElementInText(json, 1, 0), kNotFound);    // an object is there
    EXPECT_EQ(FindMemberInText(json, json.size(), u"a"), kNotFound);
    EXPECT_EQ(FindMemberInText(u"{\"a\": ", 0, u"a"), kNotFound);   // no value after the key
    EXPECT_EQ(FindElementInText(json, json.size(), 0), kNotFound);
}

// Compact JSON of the node found, or "<none>".
std::u16string Lookup(const JsonDocument& doc, std::u16string_view path) {
    PathSegment segments[kMaxPathSegments];
    const int count = TokenizePath(path, segments);
    if (count < 0) return u"<syntax>";
    const JsonNode* node = LookupNode(doc.Root(), segments, count);
    if (!node) return u"<none>";
    std::u16string out;
    SerializeNode(*node, out);
    return out;
}

std::unique_ptr<JsonDocument> Parse(std::u16string_view text) {
    std::unique_ptr<JsonDocument> doc;
    std::u16string error;
    EXPECT_TRUE(ParseDocument(text, 1u << 30, doc, error)) << ::testing::PrintToString(error);
    return doc;
}

TEST(JsonPathLookup, Steps) {
    struct Row { std::u16string_view json, path, expected; };
    const Row rows[] = {
        {u"{\"a\":{\"b\":[1,{\"c\":\"x\"}]}}", u"", u"{\"a\":{\"b\":[1,{\"c\":\"x\"}]}}"},
        {u"{\"a\":{\"b\":[1,{\"c\":\"x\"}]}}", u"a.b[1].c", u"\"x\""},
        {u"{\"a\":{\"b\":[1,{\"c\":\"x\"}]}}", u"a.b.[1]", u"{\"c\":\"x\"}"},
        {u"{\"a\":{\"b\":[1,{\"c\":\"x\"}]}}", u"a.b[2]", u"<none>"},
        {u"{\"a\":{\"b\":[1,{\"c\":\"x\"}]}}", u"a.b[999999]", u"<none>"},
        {u"{\"a\":{\"b\":[1,{\"c\":\"x\"}]}}", u"a.b.c", u"<none>"},
        {u"{\"a\":{\"b\":[1,{\"c\":\"x\"}]}}", u"a[0]", u"<none>"},
        {u"{\"a\":{\"b\":[1,{\"c\":\"x\"}]}}", u"[0]", u"<none>"},
        {u"{\"a\":{\"b\":[1,{\"c\":\"x\"}]}}", u"A", u"<none>"},
        {u"[[1,2],[3]]", u"[0][1]", u"2"},
        {u"[[1,2],[3]]", u"[1][1]", u"<none>"},
        {u"[[1,2],[3]]", u"x", u"<none>"},
        {u"{\"a\":1,\"a\":2}", u"a", u"2"},   // the last duplicate
        {u"{\"caf\\u00e9\":1}", u"caf\u00e9", u"1"},
        {u"7", u"[0]", u"<none>"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::u16string(row.json)) + " path " +
                     ::testing::PrintToString(std::u16string(row.path)));
        auto doc = Parse(row.json);
        ASSERT_TRUE(doc);
        EXPECT_EQ(Lookup(*doc, row.path), row.expected);
    }
}

TEST(JsonPathLookup, ManyMembersAndNegativeCount) {
    // Enough members for the hash index, not just a short linear scan.
    auto key = [](int i) {
        return std::u16string{u'k', static_cast<char16_t>(u'A' + i / 26), static_cast<char16_t>(u'a' + i % 26)};
    };
    auto digit = [](int i) { return std::u16string(1, static_cast<char16_t>(u'0' + i % 10)); };
    std::u16string json = u"{";
    for (int i = 0; i < 200; ++i) json += (i ? u",\"" : u"\"") + key(i) + u"\":" + digit(i);
    json += u"}";
    auto doc = Parse(json);
    ASSERT_TRUE(doc);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(Lookup(*doc, key(i)), digit(i));
    EXPECT_EQ(Lookup(*doc, u"k"), u"<none>");
    EXPECT_EQ(Lookup(*doc, u"kAaa"), u"<none>");
    EXPECT_EQ(LookupNode(doc->Root(), nullptr, -1), nullptr);
}

}  // namespace
}  // namespace Corvane
