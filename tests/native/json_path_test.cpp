// The path language and the read queries: the grammar, navigation over text
// (never building a tree), lookup in a parsed document, and each query's
// answers over text and over documents.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "json_query.h"

namespace Corvane {
namespace {

std::u16string Repeat(std::u16string_view unit, int times) {
    std::u16string out;
    for (int i = 0; i < times; ++i) out += unit;
    return out;
}

std::string Trace(std::u16string_view json, std::u16string_view path) {
    return ::testing::PrintToString(std::u16string(json)) + " path " + ::testing::PrintToString(std::u16string(path));
}

// "[key,index]" per segment ("[,0]" for an index-only step), or "error".
std::u16string Tokens(std::u16string_view path) {
    PathSegment segments[kMaxPathSegments];
    const int count = TokenizePath(path, segments);
    if (count < 0) return u"error";
    std::u16string out;
    for (int i = 0; i < count; ++i) {
        out += u"[";
        out += segments[i].Key();
        if (segments[i].index >= 0) out += u",";
        if (segments[i].index >= 0)
            for (char c : std::to_string(segments[i].index)) out += static_cast<char16_t>(c);
        out += u"]";
    }
    return out;
}

TEST(JsonPath, Grammar) {
    const std::pair<std::u16string, std::u16string> rows[] = {
        {u"", u""},
        {u"a[2].b", u"[a,2][b]"},
        {u"[0].x", u"[,0][x]"},
        {u"a[1][2]", u"[a,1][,2]"},
        {u".a", u"[a]"},
        {u"a[0]b", u"[a,0][b]"},
        {u"items.[0]", u"[items][,0]"},
        {u"a[0000999999]", u"[a,999999]"},
        {u"first name.caf\u00e9", u"[first name][caf\u00e9]"},
        {u"\"q\":x\\", u"[\"q\":x\\]"},
        {u"a" + Repeat(u".a", 31), u"[a]" + Repeat(u"[a]", 31)},
        {Repeat(u"a[0][0]", 16), Repeat(u"[a,0][,0]", 16)},   // key plus index is one segment
        {u"[0]" + Repeat(u".a", 32), u"error"},                // 33 segments
        {Repeat(u"a[0][0]", 16) + u"[0]", u"error"},
    };
    for (const auto& [path, expected] : rows) EXPECT_EQ(Tokens(path), expected) << ::testing::PrintToString(path);
    for (const char16_t* bad : {u".", u"[", u"]", u"a.", u"a..b", u"a[]", u"a[-1]", u"a[+1]", u"a[ 1]", u"a[*]",
                                u"a[1:2]", u"a[0x1]", u"a[1", u"a]", u"a[1]]", u"[a]", u"a[1000000]",
                                u"a[99999999999999999999999]"})
        EXPECT_EQ(Tokens(bad), u"error") << ::testing::PrintToString(std::u16string(bad));
}

// The raw text NavigateText addresses, or "<none>".
std::u16string Navigate(std::u16string_view json, std::u16string_view path) {
    PathSegment segments[kMaxPathSegments];
    const int count = TokenizePath(path, segments);
    const std::ptrdiff_t pos = NavigateText(json, segments, count);
    if (pos == kNotFound) return u"<none>";
    return std::u16string(ExtractRawValue(json.data() + pos, json.data() + json.size()));
}

TEST(JsonPath, NavigateText) {
    const std::u16string spaced = u" \t\r\n{ \n\"a\" \t: \r\n[ 1 ,\t{ \"b\" :\n\"x\" } , [ ] ] ,\r\"c\"\n:\t2 }\n ";
    const std::u16string member256 = u"{\"x\":" + Repeat(u"[", 256) + Repeat(u"]", 256) + u",\"y\":1}";
    const std::u16string member257 = u"{\"x\":" + Repeat(u"[", 257) + Repeat(u"]", 257) + u",\"y\":1}";
    const std::u16string element257 = u"[" + Repeat(u"{\"k\":", 256) + u"[]" + Repeat(u"}", 256) + u",5]";
    struct Row { std::u16string json, path, expected; };
    const Row rows[] = {
        {u"  [1] ", u"", u"[1]"},
        {u"{\"items\":[10,20]}", u"items.[1]", u"20"},
        {u"[[1,2],[3]]", u"[1][1]", u"<none>"},
        {u"{\"d\":[{\"k\":[0,[1,{\"z\":true}]]},{\"k\":2}]}", u"d[0].k[1][1].z", u"true"},
        {u"[ ]", u"[0]", u"<none>"},
        {u"{\"a.b\":1}", u"a.b", u"<none>"},
        {u"{\"ab\":1,\"a\":2,\"a\":3}", u"a", u"2"},     // the first match, not a prefix
        {u"{\"a\":1}", u"ab", u"<none>"},
        {u"\n\t \r", u"", u"<none>"},
        {u"\"str\"", u"a", u"<none>"},                    // wrong container for the step
        {u"{\"a\":{\"0\":1}}", u"a[0]", u"<none>"},
        {spaced, u"a[1].b", u"\"x\""},
        {spaced, u"c", u"2"},
        // escaped keys match plain path keys, decoded as they are read
        {u"{\"caf\\u00E9\":1}", u"caf\u00e9", u"1"},
        {u"{\"caf\\u00e9\":1}", u"caf\\u00e9", u"<none>"},
        {u"{\"\\ud83d\\ude00\":4}", u"\U0001F600", u"4"},
        {u"{\"\\/\\n\\t\\b\\f\\r\":5}", u"/\n\t\b\f\r", u"5"},
        {u"{\"\\n\":1,\"x\":2}", u"x", u"2"},             // mismatch on the key's last unit
        {u"{\"\\u12G4\":9}", u"\uFFFD12G4", u"9"},        // a broken \u escape reads as U+FFFD and its four units
        {u"{\"\\u0061b\":1,\"\\u0061\":7}", u"a", u"7"},   // a key sharing only a decoded prefix
        {u"{\"x\\\"y\\\\\":1,\"k\":8}", u"k", u"8"},      // mismatch after an escape: the rest skipped right
        // skipped values with awkward strings
        {u"{\"s\":\"]}\\\"[{,\",\"t\":[\"}\",{\"u\":\"\\\\\"}],\"k\":7}", u"k", u"7"},
        {u"[\"[\",\"]\",\",\",\"\\\"\",9]", u"[4]", u"9"},
        // malformed routes: the colon is optional, separators are not, arrays must be sound
        {u"{\"a\" 1}", u"a", u"1"},
        {u"{\"a\":1 \"b\":2}", u"b", u"<none>"},
        {u"{\"a\":tru,\"b\":1}", u"b", u"<none>"},
        {u"{\"a\":[1,2},\"b\":1}", u"b", u"<none>"},
        {u"[1,2,]", u"[0]", u"<none>"},                  // the whole array must be sound
        {u"{\"a\":1,\"a\":x}", u"a", u"1"},               // only the route is read
        {u"[0,1] trailing", u"[1]", u"1"},
        {u"{\"a\":", u"a", u"<none>"},
        // a skipped value may nest 256 levels; one more and the walk gives up
        {member256, u"y", u"1"},
        {member257, u"y", u"<none>"},
        {element257, u"[1]", u"<none>"},
        {member257, u"x[0][0]", Repeat(u"[", 255) + Repeat(u"]", 255)},   // the target itself is only reached
        {u"{\"x\":" + Repeat(u"[", 200000) + u",\"y\":1}", u"y", u"<none>"},
    };
    for (const Row& row : rows) EXPECT_EQ(Navigate(row.json, row.path), row.expected) << Trace(row.json, row.path);

    const std::u16string_view json = u"[{\"a\":1}, [5,6]]";
    EXPECT_EQ(FindMemberInText(json, 1, u"a"), 6);
    EXPECT_EQ(FindElementInText(json, 9, 1), 13);           // whitespace before `[` skipped
    EXPECT_EQ(FindElementInText(json, 10, -1), kNotFound);
    EXPECT_EQ(FindMemberInText(u"{\"a\": ", 0, u"a"), kNotFound);   // no value after the key
    PathSegment none[1];
    EXPECT_EQ(NavigateText(json, none, -1), kNotFound);
}

std::unique_ptr<JsonDocument> Parse(std::u16string_view text) {
    std::unique_ptr<JsonDocument> doc;
    std::u16string error;
    EXPECT_TRUE(ParseDocument(text, 1u << 30, doc, error)) << ::testing::PrintToString(error);
    return doc;
}

// Runs a document query with a tokenized path, as the handle layer does.
template <typename F>
auto OnDocument(std::u16string_view json, std::u16string_view path, F query) {
    auto doc = Parse(json);
    PathSegment segments[kMaxPathSegments];
    const int count = TokenizePath(path, segments);
    EXPECT_GE(count, 0);
    return query(*doc, segments, count);
}

// "empty", "null", "bool:true", "int:1", "double:1.5", "str:..." or "raw:...".
std::u16string Describe(const JsonScalar& s) {
    auto ascii = [](const std::string& t) { return std::u16string(t.begin(), t.end()); };
    switch (s.kind) {
        case JsonScalar::Kind::Empty: return u"empty";
        case JsonScalar::Kind::Null: return u"null";
        case JsonScalar::Kind::Bool: return s.boolean ? u"bool:true" : u"bool:false";
        case JsonScalar::Kind::Int: return u"int:" + ascii(std::to_string(s.integer));
        case JsonScalar::Kind::Double: return u"double:" + ascii(std::to_string(s.number));
        case JsonScalar::Kind::String: return u"str:" + s.text;
        case JsonScalar::Kind::Raw: return u"raw:" + s.text;
    }
    return u"?";
}

constexpr std::u16string_view kNested = u"{\"a\":{\"b\" : 1}}";
constexpr std::u16string_view kDuplicate = u"{\"a\":1,\"a\":2}";

TEST(JsonQuery, GetValueOnTextForControlAndOnDocument) {
    struct Row { std::u16string_view json, path, text, control, doc; };
    const Row rows[] = {
        {kNested, u"a", u"raw:{\"b\" : 1}", u"raw:{\"b\" : 1}", u"raw:{\"b\":1}"},   // source verbatim vs compact
        {kNested, u"", u"raw:{\"a\":{\"b\" : 1}}", u"raw:{\"a\":{\"b\" : 1}}", u"raw:{\"a\":{\"b\":1}}"},
        {kNested, u"a.b", u"int:1", u"int:1", u"int:1"},
        {kDuplicate, u"a", u"int:1", u"int:1", u"int:2"},                              // first match vs last occurrence
        {kNested, u"x", u"empty", u"null", u"empty"},
        {kNested, u"a[0]", u"empty", u"null", u"empty"},
        {u"[\"x\\\"y\\u00e9\",null,true,1.5,2147483648]", u"[0]", u"str:x\"y\u00e9", u"str:x\"y\u00e9", u"str:x\"y\u00e9"},
        {u"[\"x\\\"y\\u00e9\",null,true,1.5,2147483648]", u"[1]", u"null", u"null", u"null"},
        {u"[\"x\\\"y\\u00e9\",null,true,1.5,2147483648]", u"[2]", u"bool:true", u"bool:true", u"bool:true"},
        {u"[\"x\\\"y\\u00e9\",null,true,1.5,2147483648]", u"[3]", u"double:1.500000", u"double:1.500000", u"double:1.500000"},
        {u"[\"x\\\"y\\u00e9\",null,true,1.5,2147483648]", u"[4]", u"double:2147483648.000000",
         u"double:2147483648.000000", u"double:2147483648.000000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        EXPECT_EQ(Describe(TextGetValue(row.json, row.path)), row.text);
        EXPECT_EQ(Describe(CtrlGetValue(row.json, row.path)), row.control);
        EXPECT_EQ(Describe(OnDocument(row.json, row.path, DocGetValue)), row.doc);
    }
    // Text forms only: no text, blank text and a path syntax error read as nothing.
    for (auto [json, path] : {std::pair{u"", u"a"}, std::pair{u" ", u""}, std::pair{u"{\"a\":1}", u"a."}}) {
        EXPECT_EQ(Describe(TextGetValue(json, path)), u"empty") << Trace(json, path);
        EXPECT_EQ(Describe(CtrlGetValue(json, path)), u"null") << Trace(json, path);
    }
}

constexpr std::u16string_view kItems = u"{\"a\":[\"x\\ty\", 1 ,{\"b\" : 2},[ ],null],\"o\":{\"0\":1}}";

TEST(JsonQuery, GetItem) {
    struct Row { std::u16string_view json, path; std::int32_t index; std::u16string_view text, doc; };
    const Row rows[] = {
        {kItems, u"a", 0, u"x\ty", u"x\ty"},               // strings decoded
        {kItems, u"a", 2, u"{\"b\" : 2}", u"{\"b\":2}"},  // source text vs compact
        {kItems, u"a", 4, u"null", u"null"},
        {kItems, u"a", 5, u"", u""},
        {kItems, u"a", -1, u"", u""},
        {kItems, u"o", 0, u"", u""},                       // not an array
        {kItems, u"missing", 0, u"", u""},
        {u"[[1,2],3]", u"[0]", 1, u"2", u"2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path) + " index " + std::to_string(row.index));
        EXPECT_EQ(TextGetItem(row.json, row.path, row.index), row.text);
        const std::int32_t index = row.index;
        EXPECT_EQ(OnDocument(row.json, row.path,
                             [index](const JsonDocument& d, const PathSegment* s, int c) { return DocGetItem(d, s, c, index); }),
                  row.doc);
    }
    for (auto [json, path] : {std::pair{u"", u""}, std::pair{u"[1]", u"a["}, std::pair{u"[1,2,]", u""}})
        EXPECT_EQ(TextGetItem(json, path, 0), u"") << Trace(json, path);
}

TEST(JsonQuery, GetKeys) {
    struct Row { std::u16string_view json, path, text, doc; };
    const Row rows[] = {
        {u"{\"a\":1,\"b\\u0041\":2,\"a\":3}", u"", u"[\"a\",\"b\\u0041\",\"a\"]", u"[\"a\",\"bA\",\"a\"]"},
        {u"{\"o\":{ \"x\" : 1 , \"y\":[1,{\"z\":2}] }}", u"o", u"[\"x\",\"y\"]", u"[\"x\",\"y\"]"},
        {u"{\"\\u00e9\\ud83d\\ude00\\n\\\"\":1}", u"", u"[\"\\u00e9\\ud83d\\ude00\\n\\\"\"]", u"[\"\u00e9\\ud83d\\ude00\\n\\\"\"]"},
        {u"{}", u"", u"[]", u"[]"},
        {u"[1]", u"", u"[]", u"[]"},
        {u"{\"a\":1}", u"b", u"[]", u"[]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        EXPECT_EQ(TextGetKeys(row.json, row.path), row.text);
        EXPECT_EQ(OnDocument(row.json, row.path, DocGetKeys), row.doc);
    }
    for (auto json : {u"", u"{\"a\":1,\"b\"", u"{\"a\":1,}"}) EXPECT_EQ(TextGetKeys(json, u""), u"[]") << Trace(json, u"");
}

TEST(JsonQuery, Count) {
    struct Row { std::u16string_view json, path; std::int32_t count; const char16_t* error; };
    const char16_t* const notFound = u"JsonCount: path not found.";
    const char16_t* const notContainer = u"JsonCount: target is not an object or array.";
    const Row rows[] = {
        {kDuplicate, u"", 2, nullptr},
        {u" { \"a\" : [ 1 , [2, 3] ] } ", u"a[1]", 2, nullptr},
        {u"[[1,2],{\"k\":[]}]", u"[1].k", 0, nullptr},
        {u"", u"a", -1, nullptr},
        {u"[1]", u"[-1]", -1, u"JsonCount: path syntax error."},
        {u"{\"a\":1}", u"b", -1, notFound},
        {u"   ", u"", -1, notFound},
        {u"{\"a\":", u"a", -1, notFound},
        {u"[[1]]", u"[0][0][0]", -1, u"JsonCount: expected array."},
        {u"{\"a\":[1,2}", u"a[0]", -1, u"JsonCount: index not found."},
        {u"5", u"", -1, notContainer},
        {u"{\"a\":[1,2", u"a", -1, notContainer},        // no partial count
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        const JsonCountResult result = TextCount(row.json, row.path);
        EXPECT_EQ(result.count, row.count);
        EXPECT_EQ(std::u16string(result.error ? result.error : u"(none)"), row.error ? row.error : u"(none)");
    }
    struct DocRow { std::u16string_view json, path; std::int32_t count; };
    for (const DocRow& row : {DocRow{kDuplicate, u"", 2}, DocRow{u"{\"a\":[[],{}]}", u"a", 2}, DocRow{u"5", u"", -1},
                              DocRow{u"{\"a\":1}", u"b", -1}})
        EXPECT_EQ(OnDocument(row.json, row.path, DocCount), row.count) << Trace(row.json, row.path);
}

TEST(JsonQuery, ExistsOnTextAndDocumentLookup) {
    struct Row { std::u16string_view json, path; bool exists; };
    const Row rows[] = {
        {u"{\"a\":null}", u"", true}, {u"{\"a\":null}", u"a", true}, {u"{\"a\":null}", u"A", false},
        {u"{\"a\":[0]}", u"a[1]", false}, {u"[{\"a\":1}]", u"[0].a", true}, {u"[{\"a\":1}]", u"a", false},
        {u"{\"a\":{\"b\":[1]}}", u"a.b.c", false}, {u"7", u"[0]", false}, {u"{\"caf\\u00e9\":1}", u"caf\u00e9", true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(TextExists(row.json, row.path), row.exists) << Trace(row.json, row.path);
        EXPECT_EQ(OnDocument(row.json, row.path, DocExists), row.exists) << Trace(row.json, row.path);
    }
    EXPECT_FALSE(TextExists(u"", u""));
    EXPECT_FALSE(TextExists(u"{\"a\":1}", u"a."));
    EXPECT_TRUE(TextExists(u"not json", u""));   // the empty path only asks for a text
    EXPECT_EQ(LookupNode(Parse(u"[1]")->Root(), nullptr, -1), nullptr);
}

TEST(JsonQuery, ControlArrayLength) {
    struct Row { std::u16string json, path; std::int32_t length; };
    const Row rows[] = {
        {u"", u"", 0},
        {u"{\"a\":[1]}", u"b", 0},
        {u" [ ] ", u"", 0},
        {u"[1,\"],[\",[2,3],{\"a\":[]}, true ,null]", u"", 6},
        {u"{\"a\":{\"b\":[ [1] , [2] ]}}", u"a.b", 2},
        {u"{\"a\":{}}", u"a", -1},
        {u"[1,2", u"", -1},             // not closed: no length to report
        {u"[1 22]", u"", -1},
        // 512 levels in all are walked; deeper elements stop the walk instead of spinning.
        {u"[" + Repeat(u"[", 511) + Repeat(u"]", 511) + u",1]", u"", 2},
        {u"[" + Repeat(u"[", 512) + Repeat(u"]", 512) + u",1]", u"", -1},
    };
    for (const Row& row : rows) EXPECT_EQ(CtrlGetArrayLength(row.json, row.path), row.length) << Trace(row.json, row.path);
}

TEST(JsonQuery, EveryPrefixStaysInsideItsBuffer) {
    // Each prefix sits in a buffer of exactly its size, as a BSTR slice
    // would, so a read past the end is caught rather than hitting a terminator.
    const std::u16string_view texts[] = {
        u"{\"a\\\"b\":[1,{\"c\\u00e9\":\"x\\\\\"},true],\"k\":-1.5e3}",
        u"[\"]\",[null,false],{\"a\":{}}]",
    };
    const std::u16string_view paths[] = {u"", u"a\"b[1].c\u00e9", u"k", u"[2].a", u"[1][1]"};
    for (std::u16string_view text : texts) {
        for (std::size_t n = 1; n < text.size(); ++n) {
            std::unique_ptr<char16_t[]> buffer(new char16_t[n]);
            std::copy(text.begin(), text.begin() + n, buffer.get());
            const std::u16string_view prefix(buffer.get(), n);
            SCOPED_TRACE(::testing::PrintToString(std::u16string(prefix)));
            for (std::u16string_view path : paths) {
                TextGetValue(prefix, path);
                TextGetItem(prefix, path, 0);
                TextExists(prefix, path);
                CtrlGetArrayLength(prefix, path);
                TextGetKeys(prefix, path);
                TextCount(prefix, path);
            }
            // The root is never closed in a prefix: nothing may be counted.
            EXPECT_EQ(TextGetKeys(prefix, u""), u"[]");
            EXPECT_EQ(TextCount(prefix, u"").count, -1);
            EXPECT_EQ(TextGetItem(prefix, u"", 0), u"");
        }
    }
}

}  // namespace
}  // namespace Corvane
