// Read queries over text and over parsed documents.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "json_query.h"

namespace Corvane {
namespace {

// "empty", "null", "bool:true", "int:1", "double:1.5", "str:..." or "raw:...".
std::u16string Describe(const JsonScalar& s) {
    auto ascii = [](const std::string& t) { return std::u16string(t.begin(), t.end()); };
    switch (s.kind) {
        case JsonScalar::Kind::Empty: return u"empty";
        case JsonScalar::Kind::Null: return u"null";
        case JsonScalar::Kind::Bool: return s.boolean ? u"bool:true" : u"bool:false";
        case JsonScalar::Kind::Int: return u"int:" + ascii(std::to_string(s.integer));
        case JsonScalar::Kind::Double: {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%g", s.number);
            return u"double:" + ascii(buf);
        }
        case JsonScalar::Kind::String: return u"str:" + s.text;
        case JsonScalar::Kind::Raw: return u"raw:" + s.text;
    }
    return u"?";
}

std::string Trace(std::u16string_view json, std::u16string_view path) {
    return ::testing::PrintToString(std::u16string(json)) + " path " + ::testing::PrintToString(std::u16string(path));
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

constexpr std::u16string_view kNested = u"{\"a\":{\"b\" : 1}}";
constexpr std::u16string_view kDuplicate = u"{\"a\":1,\"a\":2}";

TEST(JsonQueryGetValue, TextForm) {
    struct Row { std::u16string_view json, path, expected; };
    const Row rows[] = {
        {kNested, u"a", u"raw:{\"b\" : 1}"},             // verbatim source
        {kNested, u"a.b", u"int:1"},
        {kDuplicate, u"a", u"int:1"},                     // first match
        {u" {\"a\" : 1} ", u"", u"raw:{\"a\" : 1}"},
        {u"  ", u"", u"empty"},
        {u"", u"", u"empty"},
        {u"", u"a", u"empty"},
        {kNested, u"x", u"empty"},
        {kNested, u"a.", u"empty"},                       // syntax error reads as not found
        {kNested, u"a[0]", u"empty"},
        {u"{\"s\":\"x\\\"y\\u00e9\"}", u"s", u"str:x\"y\u00e9"},
        {u"{\"n\":null,\"t\":true,\"f\":false}", u"n", u"null"},
        {u"{\"n\":null,\"t\":true,\"f\":false}", u"t", u"bool:true"},
        {u"{\"n\":null,\"t\":true,\"f\":false}", u"f", u"bool:false"},
        {u"{\"d\":1.5,\"i\":2147483648,\"j\":-2147483648}", u"d", u"double:1.5"},
        {u"{\"d\":1.5,\"i\":2147483648,\"j\":-2147483648}", u"i", u"double:2.14748e+09"},
        {u"{\"d\":1.5,\"i\":2147483648,\"j\":-2147483648}", u"j", u"int:-2147483648"},
        {u"[10,[20, 30 ]]", u"[1]", u"raw:[20, 30 ]"},
        {u"[10,[20, 30 ]]", u"[1][1]", u"int:30"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        EXPECT_EQ(Describe(TextGetValue(row.json, row.path)), row.expected);
    }
}

TEST(JsonQueryGetValue, ControlFormGivesNullForNothing) {
    struct Row { std::u16string_view json, path, expected; };
    const Row rows[] = {
        {u"", u"", u"null"},
        {u"", u"a", u"null"},
        {kNested, u"x", u"null"},
        {kNested, u"a..b", u"null"},
        {u" ", u"", u"null"},
        {kNested, u"a.b", u"int:1"},
        {kNested, u"a", u"raw:{\"b\" : 1}"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        EXPECT_EQ(Describe(CtrlGetValue(row.json, row.path)), row.expected);
    }
}

TEST(JsonQueryGetValue, DocumentForm) {
    struct Row { std::u16string_view json, path, expected; };
    const Row rows[] = {
        {kNested, u"a", u"raw:{\"b\":1}"},              // compact
        {kNested, u"", u"raw:{\"a\":{\"b\":1}}"},
        {kDuplicate, u"a", u"int:2"},                    // last occurrence
        {kNested, u"x", u"empty"},
        {u"[\"a\\nb\",null]", u"[0]", u"str:a\nb"},
        {u"[\"a\\nb\",null]", u"[1]", u"null"},
        {u"[\"a\\nb\",null]", u"[2]", u"empty"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        EXPECT_EQ(Describe(OnDocument(row.json, row.path, DocGetValue)), row.expected);
    }
}

constexpr std::u16string_view kItems = u"{\"a\":[\"x\\ty\", 1 ,{\"b\" : 2},[ ],null],\"o\":{\"0\":1},\"s\":\"str\"}";

TEST(JsonQueryGetItem, TextAndDocumentForms) {
    struct Row { std::u16string_view json, path; std::int32_t index; std::u16string_view text, doc; };
    const Row rows[] = {
        {kItems, u"a", 0, u"x\ty", u"x\ty"},               // strings decoded
        {kItems, u"a", 1, u"1", u"1"},
        {kItems, u"a", 2, u"{\"b\" : 2}", u"{\"b\":2}"},  // source text vs compact
        {kItems, u"a", 3, u"[ ]", u"[]"},
        {kItems, u"a", 4, u"null", u"null"},
        {kItems, u"a", 5, u"", u""},
        {kItems, u"a", -1, u"", u""},
        {kItems, u"o", 0, u"", u""},                       // not an array
        {kItems, u"s", 0, u"", u""},
        {kItems, u"missing", 0, u"", u""},
        {u"[[1,2],3]", u"", 0, u"[1,2]", u"[1,2]"},
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
}

TEST(JsonQueryGetItem, TextFormOnBadInput) {
    EXPECT_EQ(TextGetItem(u"", u"", 0), u"");
    EXPECT_EQ(TextGetItem(kItems, u"a[", 0), u"");
    EXPECT_EQ(TextGetItem(u"[1,2", u"", 0), u"");          // an unclosed array has no items
    EXPECT_EQ(TextGetItem(u"[1,2,]", u"", 1), u"");
    EXPECT_EQ(TextGetItem(u"[\"a\\", u"", 0), u"");
}

TEST(JsonQueryGetKeys, TextFormKeepsSourceSpelling) {
    struct Row { std::u16string_view json, path, expected; };
    const Row rows[] = {
        {u"{\"a\":1,\"b\\u0041\":2,\"a\":3}", u"", u"[\"a\",\"b\\u0041\",\"a\"]"},
        {u"{\"o\":{ \"x\" : 1 , \"y\":[1,{\"z\":2}] }}", u"o", u"[\"x\",\"y\"]"},
        {u"{\"q\\\"t\":{\"in\":1}}", u"", u"[\"q\\\"t\"]"},
        {u"{}", u"", u"[]"},
        {u"[1]", u"", u"[]"},
        {u"{\"a\":1}", u"b", u"[]"},
        {u"{\"a\":1}", u"a.", u"[]"},
        {u"", u"", u"[]"},
        {u"{\"a\":1,\"b\"", u"", u"[]"},                  // no partial key list
        {u"{\"a\":1,}", u"", u"[]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        EXPECT_EQ(TextGetKeys(row.json, row.path), row.expected);
    }
}

TEST(JsonQueryGetKeys, DocumentFormEscapesDecodedKeys) {
    struct Row { std::u16string_view json, path, expected; };
    const Row rows[] = {
        {u"{\"a\":1,\"b\\u0041\":2,\"a\":3}", u"", u"[\"a\",\"bA\",\"a\"]"},
        {u"{\"\\u00e9\\ud83d\\ude00\\n\\\"\":1}", u"", u"[\"\u00e9\\ud83d\\ude00\\n\\\"\"]"},
        {u"{\"o\":{}}", u"o", u"[]"},
        {u"[1]", u"", u"[]"},
        {u"{\"a\":1}", u"b", u"[]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        EXPECT_EQ(OnDocument(row.json, row.path, DocGetKeys), row.expected);
    }
}

TEST(JsonQueryCount, TextForm) {
    struct Row { std::u16string_view json, path; std::int32_t count; const char16_t* error; };
    const char16_t* const syntax = u"JsonCount: path syntax error.";
    const char16_t* const notFound = u"JsonCount: path not found.";
    const char16_t* const expectedArray = u"JsonCount: expected array.";
    const char16_t* const noIndex = u"JsonCount: index not found.";
    const char16_t* const notContainer = u"JsonCount: target is not an object or array.";
    const Row rows[] = {
        {u"[1,2,3]", u"", 3, nullptr},
        {kDuplicate, u"", 2, nullptr},
        {u" { \"a\" : [ 1 , [2, 3] ] } ", u"a", 2, nullptr},
        {u" { \"a\" : [ 1 , [2, 3] ] } ", u"a[1]", 2, nullptr},
        {u"{\"a\":[],\"o\":{}}", u"a", 0, nullptr},
        {u"{\"a\":[],\"o\":{}}", u"o", 0, nullptr},
        {u"[[1,2],{\"k\":[]}]", u"[1].k", 0, nullptr},
        {u"", u"", -1, nullptr},
        {u"", u"a", -1, nullptr},
        {u"[1]", u"a.", -1, syntax},
        {u"[1]", u"[-1]", -1, syntax},
        {u"{\"a\":1}", u"b", -1, notFound},
        {u"[1]", u"a", -1, notFound},
        {u"   ", u"", -1, notFound},
        {u"{\"a\":", u"a", -1, notFound},
        {u"{\"a\":{\"b\":1}}", u"a[0]", -1, expectedArray},
        {u"[[1]]", u"[0][0][0]", -1, expectedArray},
        {u"{\"a\":[1]}", u"a[1]", -1, noIndex},
        {u"{\"a\":[1,2}", u"a[0]", -1, noIndex},
        {u"5", u"", -1, notContainer},
        {u"{\"a\":\"x\"}", u"a", -1, notContainer},
        {u"{\"a\":[1,2", u"a", -1, notContainer},        // no partial count
        {u"{\"a\":{\"b\":1,}}", u"a", -1, notContainer},
        {u"{\"a\":{\"b\"}}", u"a", -1, notContainer},
        {u"{\"a\":{\"b\":1 \"c\":2}}", u"a", -1, notContainer},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        const JsonCountResult result = TextCount(row.json, row.path);
        EXPECT_EQ(result.count, row.count);
        if (row.error)
            EXPECT_EQ(std::u16string(result.error ? result.error : u"(none)"), row.error);
        else
            EXPECT_EQ(result.error, nullptr);
    }
}

TEST(JsonQueryCount, DocumentForm) {
    struct Row { std::u16string_view json, path; std::int32_t count; };
    const Row rows[] = {
        {u"[1,2,3]", u"", 3},
        {kDuplicate, u"", 2},           // duplicates are members too
        {u"{\"a\":[[],{}]}", u"a", 2},
        {u"{\"a\":[[],{}]}", u"a[1]", 0},
        {u"5", u"", -1},
        {u"{\"a\":\"x\"}", u"a", -1},
        {u"{\"a\":1}", u"b", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        EXPECT_EQ(OnDocument(row.json, row.path, DocCount), row.count);
    }
}

TEST(JsonQueryExists, TextAndDocumentForms) {
    struct Row { std::u16string_view json, path; bool text, doc; };
    const Row rows[] = {
        {u"{\"a\":null}", u"", true, true},
        {u"{\"a\":null}", u"a", true, true},
        {u"{\"a\":null}", u"b", false, false},
        {u"{\"a\":[0]}", u"a[0]", true, true},
        {u"{\"a\":[0]}", u"a[1]", false, false},
        {u"[{\"a\":1}]", u"[0].a", true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        EXPECT_EQ(TextExists(row.json, row.path), row.text);
        EXPECT_EQ(OnDocument(row.json, row.path, DocExists), row.doc);
    }
    EXPECT_FALSE(TextExists(u"", u""));
    EXPECT_FALSE(TextExists(u"", u"a"));
    EXPECT_FALSE(TextExists(u"{\"a\":1}", u"a."));
    EXPECT_FALSE(TextExists(u"{\"a\":1}", u"a[*]"));
    EXPECT_TRUE(TextExists(u"not json", u""));   // the empty path only asks for a text
    EXPECT_TRUE(TextExists(u"  ", u""));
}

TEST(JsonQueryArrayLength, ControlForm) {
    struct Row { std::u16string_view json, path; std::int32_t length; };
    const Row rows[] = {
        {u"", u"", 0},
        {u"{\"a\":[1]}", u"b", 0},
        {u"{\"a\":[1]}", u"a[", 0},
        {u"[]", u"", 0},
        {u" [ ] ", u"", 0},
        {u"{\"a\":[1]}", u"a", 1},
        {u"[1,\"],[\",[2,3],{\"a\":[]}, true ,null]", u"", 6},
        {u"{\"a\":{\"b\":[ [1] , [2] ]}}", u"a.b", 2},
        {u"{\"a\":1}", u"a", -1},
        {u"{\"a\":{}}", u"a", -1},
        {u"{\"a\":\"[1]\"}", u"a", -1},
        {u"[1,2", u"", -1},             // not closed: no length to report
        {u"[1,]", u"", -1},
        {u"[1 2]", u"", -1},
        {u"[1 22]", u"", -1},
        {u"[1;2]", u"", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        EXPECT_EQ(CtrlGetArrayLength(row.json, row.path), row.length);
    }
}

TEST(JsonQueryArrayLength, NestingLimitCountsTheArrayItself) {
    // 512 levels in all are walked; deeper elements stop the walk instead of spinning.
    auto nested = [](int inner) {
        return u"[" + std::u16string(inner, u'[') + std::u16string(inner, u']') + u",1]";
    };
    EXPECT_EQ(CtrlGetArrayLength(nested(511), u""), 2);
    EXPECT_EQ(CtrlGetArrayLength(nested(512), u""), -1);
    EXPECT_EQ(CtrlGetArrayLength(nested(5000), u""), -1);
}

TEST(JsonQueryTruncated, EveryPrefixStaysInsideItsBuffer) {
    // Each prefix sits in a buffer of exactly its size, as a BSTR slice
    // would, so a read past the end is caught rather than hitting a terminator.
    const std::u16string_view texts[] = {
        u"{\"a\\\"b\":[1,{\"c\\u00e9\":\"x\\\\\"},true],\"k\":-1.5e3}",
        u"[\"]\",[null,false],{\"a\":{}}]",
        u"{\"x\\u00e9\\n\":1}",
    };
    const std::u16string_view paths[] = {u"", u"a\"b[1].c\u00e9", u"k", u"a\"b", u"[2].a", u"[1][1]", u"x\u00e9\n"};
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
