// The editing operations that restructure whole objects: Merge, Flatten,
// Unflatten and PrettyPrint.
#include <gtest/gtest.h>

#include <string>

#include "json_edit.h"
#include "json_edit_support.h"

namespace Corvane {
namespace {


std::string Show(std::u16string_view text) { return ::testing::PrintToString(std::u16string(text)); }

TEST(JsonEditMerge, Table) {
    const std::u16string kFirst = u"JsonMerge: first argument is not an object.";
    const std::u16string kSecond = u"JsonMerge: second argument is not an object.";
    struct Row {
        std::u16string json1, json2;
        bool deep;
        std::u16string expected;
        std::int32_t hr = kS_OK;
    };
    const Row rows[] = {
        {u"{\"a\":{\"x\":1},\"b\":1}", u"{\"a\":{\"y\":2},\"c\":3}", true, u"{\"a\":{\"x\":1,\"y\":2},\"b\":1,\"c\":3}"},
        {u"{\"a\":{\"x\":1},\"b\":1}", u"{\"a\":{\"y\":2},\"c\":3}", false, u"{\"a\":{\"y\":2},\"b\":1,\"c\":3}"},
        {u"{ \"a\" : 1 ,\n \"b\":2 }", u"{\"b\":3,\"c\":4}", false, u"{ \"a\" : 1 ,\n \"b\":3 ,\"c\":4}"},
        {u"{\"a\":{\"b\":{\"x\":1}}}", u"{\"a\":{\"b\":{\"y\":2},\"c\":[]}}", true,
         u"{\"a\":{\"b\":{\"x\":1,\"y\":2},\"c\":[]}}"},
        {u"{\"a\":1}", u"{\"a\":{\"y\":2}}", true, u"{\"a\":{\"y\":2}}"},
        {u"{\"a\":{}}", u"{\"a\":{}}", true, u"{\"a\":{}}"},
        {u"{\"a\":1}", u"{}", true, u"{\"a\":1}"},
        {u"{}", u"{\"a\":[1, 2]}", false, u"{\"a\":[1, 2]}"},
        {u"{}", u"{\"a\":1,\"a\":2}", false, u"{\"a\":2}"},
        // keys act as paths
        {u"{\"a\":{\"x\":1}}", u"{\"a.y\":2}", false, u"{\"a\":{\"x\":1,\"y\":2}}"},
        {u"{\"a\":[1]}", u"{\"a[2]\":3}", false, u"{\"a\":[1,null,3]}"},
        {u"{\"a\":[1]}", u"{\"a[20000]\":1,\"b\":2}", false, u"{\"a\":[1],\"b\":2}"},   // over the limit: skipped
        // keys are decoded before use, and keys that are no path stay members
        {u"{\"a\\nb\":0}", u"{\"a\\nb\":1}", false, u"{\"a\\nb\":1}"},
        {u"{\"q\\\"x\":0}", u"{\"q\\u0022x\":1}", false, u"{\"q\\\"x\":1}"},
        {u"{\"a\":1}", u"{\"\":2}", false, u"{\"a\":1,\"\":2}"},
        {u"{\"a\":1}", u"{\"[0]\":2}", false, u"{\"a\":1,\"[0]\":2}"},
        {u"{}", u"{\"x]\":1,\"y.\":2}", false, u"{\"x]\":1,\"y.\":2}"},
        {u"{\"\U0001F600\":1}", u"{\"\\ud83d\\ude00\":2}", false, u"{\"\U0001F600\":2}"},
        // arguments that are not objects, or not well formed
        {u"[1]", u"{}", false, kFirst, kE_INVALIDARG},
        {u"", u"{}", false, kFirst, kE_INVALIDARG},
        {u"{}", u" 5", false, kSecond, kE_INVALIDARG},
        {u"{}", u"", false, kSecond, kE_INVALIDARG},
        {u"{}", u"{\"a\":1,", false, kSecond, kE_INVALIDARG},
        {u"{}", u"{\"a\":}", true, kSecond, kE_INVALIDARG},
        {u"{\"a\":1", u"{\"b\":2}", false, kFirst, kE_INVALIDARG},
        // only the route has to be well formed: the splice inside `a` leaves the rest as it was
        {u"{\"a\":{\"x\":1}", u"{\"a\":{\"y\":2}}", true, u"{\"a\":{\"x\":1,\"y\":2}"},
        {u"{}", u"{\"a\":" + Deep(300) + u"}", false, u"JsonMerge: max nesting exceeded.", kE_FAIL},
        {u"{\"d\":" + Deep(300) + u"}", u"{\"a\":1}", false, u"JsonMerge: max nesting exceeded.", kE_FAIL},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Show(row.json1) + " + " + Show(row.json2) + (row.deep ? " deep" : ""));
        Check(JsonMerge(row.json1, row.json2, row.deep), row.json1, row.expected, row.hr);
    }
}

TEST(JsonEditMerge, DeepNestingMergesWithoutRecursion) {
    const auto nest = [](std::u16string_view inner) {
        return Repeat(u"{\"k\" : ", 200) + std::u16string(inner) + Repeat(u"}", 200);
    };
    const JsonEditResult r = JsonMerge(nest(u"{\"x\":1}"), nest(u"{\"y\":2}"), true);
    ASSERT_TRUE(r.ok) << Show(r.message);
    EXPECT_EQ(r.text, nest(u"{\"x\":1,\"y\":2}"));
}

TEST(JsonEditFlatten, Table) {
    const std::u16string kNotContainer = u"JsonFlatten: input must be object or array.";
    struct Row { std::u16string json, expected; std::int32_t hr = kS_OK; };
    const Row rows[] = {
        {u"{\"a\":{\"b\":1},\"c\":[true,{}]}", u"{\"c[0]\":true,\"c[1]\":{},\"a.b\":1}"},
        {u"{\"a\":{\"b\":1},\"c\":{\"d\":2},\"e\":3}", u"{\"e\":3,\"c.d\":2,\"a.b\":1}"},
        {u"[1,[2,3]]", u"{\"[0]\":1,\"[1][0]\":2,\"[1][1]\":3}"},
        {u"[{\"a\":1}]", u"{\"[0].a\":1}"},
        {u" { } ", u"{}"},
        {u"[]", u"{}"},
        {u"{\"a\" : [ ] , \"b\": { \n } }", u"{\"a\":[],\"b\":{}}"},
        {u"{\"n\":1.50E+3,\"s\":\"x\\/y\",\"z\":null}", u"{\"n\":1.50E+3,\"s\":\"x\\/y\",\"z\":null}"},
        {u"{\"a\\\"b\":{\"c\\u0041\":1}}", u"{\"a\\\"b.cA\":1}"},
        {u"{\"\U0001F600\":[2]}", u"{\"\\ud83d\\ude00[0]\":2}"},   // written as the serializer writes surrogates
        {Deep(100), u"{\"" + Repeat(u"[0]", 100) + u"\":1}"},
        {u"5", kNotContainer, kE_INVALIDARG},
        {u"", kNotContainer, kE_INVALIDARG},
        {u"{\"a\":1,", kNotContainer, kE_INVALIDARG},
        {u"{\"a\":{\"b\":1 2}}", kNotContainer, kE_INVALIDARG},
        {u"{\"a\":" + Deep(300) + u"}", u"JsonFlatten: max nesting exceeded.", kE_FAIL},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Show(row.json));
        Check(JsonFlatten(row.json), row.json, row.expected, row.hr);
    }
}

TEST(JsonEditUnflatten, Table) {
    struct Row { std::u16string json, expected; std::int32_t hr = kS_OK; };
    const Row rows[] = {
        {u"{\"a.b\":1,\"a.c\":2,\"d[1]\":3}", u"{\"a\":{\"b\":1,\"c\":2},\"d\":[null,3]}"},
        {u"{\"[0]\":1,\"[1]\":2}", u"[1,2]"},
        {u"{}", u"{}"},
        {u"{\"a\":1,\"a.b\":2}", u"{\"a\":{\"b\":2}}"},
        {u"{\"q\\\"x\":1,\"\":2,\"k]\":3}", u"{\"q\\\"x\":1,\"\":2,\"k]\":3}"},
        {u"{\"v\" : [1, 2 ]}", u"{\"v\":[1, 2 ]}"},
        {u"{\"a[0]\":1,\"a[20000]\":2}", u"JsonSetValue: array extension exceeds auto-create limit.", kE_INVALIDARG},
        {u"[1]", u"JsonUnflatten: input must be a flat object.", kE_INVALIDARG},
        {u"", u"JsonUnflatten: input must be a flat object.", kE_INVALIDARG},
        {u"{\"a\":1", u"JsonUnflatten: input must be a flat object.", kE_INVALIDARG},
        {u"{\"a\":" + Deep(300) + u"}", u"JsonUnflatten: max nesting exceeded.", kE_FAIL},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Show(row.json));
        Check(JsonUnflatten(row.json), row.json, row.expected, row.hr);
    }
}

// Flatten then Unflatten restores documents whose keys hold no `.` or `[`,
// including keys with escapes, as long as containers precede nothing.
TEST(JsonEditUnflatten, RoundTripsFlatten) {
    const std::u16string docs[] = {
        u"{\"a\":1,\"b\":{\"c\":[1,2]}}",
        u"[{\"k\\\"q\":\"v\"},[true,null]]",
        u"{\"t\\tab\":{\"\\u00e9\":[[\"x\"]]}}",
        u"{\"e\":{},\"f\":[]}",
    };
    for (const std::u16string& doc : docs) {
        SCOPED_TRACE(Show(doc));
        const JsonEditResult flat = JsonFlatten(doc);
        ASSERT_TRUE(flat.ok);
        const JsonEditResult back = JsonUnflatten(flat.text);
        ASSERT_TRUE(back.ok) << Show(back.message);
        const JsonEditResult again = JsonFlatten(back.text);
        EXPECT_EQ(again.text, flat.text);
    }
}

TEST(JsonEditPrettyPrint, Table) {
    struct Row { std::u16string json, expected; std::int32_t hr = kS_OK; };
    const Row rows[] = {
        {u"{\"a\":1,\"b\":[1,2],\"c\":{}}", u"{\n  \"a\": 1,\n  \"b\": [\n    1,\n    2\n  ],\n  \"c\": {}\n}"},
        {u"[]", u"[]"},
        {u"{ \r\n }", u"{}"},
        {u"[[1]]", u"[\n  [\n    1\n  ]\n]"},
        {u"{\r\n\t\"a\" : [ ]\r\n}", u"{\n  \"a\": []\n}"},
        // string content is copied as is, escaped quotes included
        {u"{\"a\":\"x\\\" y, {z}: \"}", u"{\n  \"a\": \"x\\\" y, {z}: \"\n}"},
        // no validation: stray closers and unterminated strings just pass through
        {u"]]", u"\n]\n]"},
        {u"{]", u"{]"},
        {u"\"abc\\", u"\"abc\\"},
        {u"[\"a", u"[\n  \"a"},
        {std::u16string(kPrettyPrintMaxInput, u' '), u""},
        {std::u16string(kPrettyPrintMaxInput + 1, u' '), u"JsonPrettyPrint: input exceeds 5MB limit. Use for debugging only.", kE_FAIL},
        // indentation grows with the square of the depth: refused before it is built
        {Repeat(u"[", 20000) + Repeat(u"]", 20000), u"JsonPrettyPrint: memory allocation failed.", kE_OUTOFMEMORY},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Show(row.json.substr(0, 40)));
        Check(JsonPrettyPrint(row.json), row.json, row.expected, row.hr);
    }
}

}  // namespace
}  // namespace Corvane
