// The text editing operations. Each row is the input, the arguments and
// either the result text (S_OK) or the exact message with its HRESULT; a
// failure must hand the input back unchanged.
#include <gtest/gtest.h>

#include <string>

#include "json_edit.h"
#include "json_edit_internal.h"
#include "json_path.h"

namespace Corvane {
namespace {

std::u16string Repeat(std::u16string_view unit, int times) {
    std::u16string out;
    for (int i = 0; i < times; ++i) out += unit;
    return out;
}
std::u16string Nulls(int count) { return Repeat(u"null,", count); }
// `levels` nested arrays around 1.
std::u16string Deep(int levels) { return Repeat(u"[", levels) + u"1" + Repeat(u"]", levels); }

// Success: `expected` is the text. Failure: `expected` is the message, and the
// input must come back unchanged.
void Check(const JsonEditResult& r, std::u16string_view input, std::u16string_view expected, std::int32_t hr) {
    EXPECT_EQ(r.ok, hr == kS_OK) << ::testing::PrintToString(r.message);
    EXPECT_EQ(r.hresult, hr);
    EXPECT_EQ(r.message, hr == kS_OK ? std::u16string_view() : expected);
    EXPECT_EQ(r.text, hr == kS_OK ? expected : input);
}

std::string Show(std::u16string_view text) { return ::testing::PrintToString(std::u16string(text.substr(0, 60))); }

struct EditRow {
    std::u16string json, path, value, expected;
    std::int32_t hr = kS_OK;
};

TEST(JsonEdit, SetValue) {
    const std::u16string kObject = u"JsonSetValue: malformed object.";
    const std::u16string kNesting = u"JsonSetValue: max JSON nesting depth (256) exceeded.";
    const std::u16string kCreate = u"JsonSetValue: array auto-creation index exceeds limit.";
    const EditRow rows[] = {
        // a host string holding JSON arrives as a JSON string and stays one
        {u"{}", u"a", u"\"{\\\"b\\\":1}\"", u"{\"a\":\"{\\\"b\\\":1}\"}"},
        {u"[1,2]", u"[5]", u"9", u"[1,2,null,null,null,9]"},
        {u"{\"a\":[1,2]}", u"a[10002]", u"1", u"JsonSetValue: array extension exceeds auto-create limit.", kE_INVALIDARG},
        {u"{\"a\":[1,2]}", u"a[10001]", u"1", u"{\"a\":[1,2," + Nulls(9999) + u"1]}"},
        {u"{\"a\":5}", u"a[10000].b", u"1", kCreate, kE_INVALIDARG},
        {u"{\"a\":5}", u"a[9999]", u"1", u"{\"a\":[" + Nulls(9999) + u"1]}"},
        {u"{\"a\":[]}", u"a[10005].b", u"1", u"{\"a\":[" + Nulls(10005) + u"{\"b\":1}]}"},   // only a last step is limited
        {u"{}", u"a.b[999999]", u"1", u"{\"a\":{\"b\":[" + Nulls(999999) + u"1]}}"},
        {u"[1]", u"a", u"1", u"JsonSetValue: path expects object but root is array.", kE_INVALIDARG},
        {u" \r\n", u"[0]", u"1", u"JsonSetValue: input is not valid JSON.", kE_INVALIDARG},
        {u"not json", u"", u"[7]", u"[7]"},   // empty path: the value is the whole result
        {u"{}", u"a[", u"1", u"JsonSetValue: path syntax error.", kE_INVALIDARG},
        // everything outside the span stays as written
        {u"{ \"a\" : 1 , \"b\":2 }", u"a", u"3", u"{ \"a\" : 3 , \"b\":2 }"},
        {u"{ \"a\":1 }", u"b", u"2", u"{ \"a\":1 ,\"b\":2}"},
        // keys: escapes in the document, and keys that need escaping
        {u"{\"a\\u0062\":1}", u"ab", u"2", u"{\"a\\u0062\":2}"},
        {u"{}", u"q\"x", u"1", u"{\"q\\\"x\":1}"},
        {u"{\"\\ud83d\\ude00\":1}", u"\U0001F600", u"2", u"{\"\\ud83d\\ude00\":2}"},
        {u"{\"a\":1,\"a\":2}", u"a", u"3", u"{\"a\":3,\"a\":2}"},   // the first of duplicate keys
        // descending into, replacing and extending containers at depth
        {u"{\"a\":[[1]]}", u"a[0][3]", u"2", u"{\"a\":[[1,null,null,2]]}"},
        {u"[[1],5]", u"[1].k", u"9", u"[[1],{\"k\":9}]"},
        {u"{\"a\":{\"b\":1}}", u"a[1]", u"9", u"{\"a\":[null,9]}"},
        {u"{\"a\":1} ", u"[0]", u"9", u"[9] "},
        // containers that cannot be walked, values whose end cannot be found
        {u"{\"a\":1,}", u"b", u"2", kObject, kE_INVALIDARG},
        {u"{\"a\":[1,,2]}", u"a[0]", u"1", u"JsonSetValue: malformed array.", kE_INVALIDARG},
        {u"{\"a\":tru, \"b\":2}", u"a", u"1", kObject, kE_INVALIDARG},
        {u"{\"a\":1", u"a", u"2", kObject, kE_INVALIDARG},
        // nesting
        {u"{\"a\":" + Deep(257) + u"}", u"a", u"1", kNesting, kE_FAIL},
        {u"{\"d\":" + Deep(300) + u",\"a\":1}", u"a", u"2", kNesting, kE_FAIL},
        {u"{\"a\":" + Deep(256) + u"}", u"a", u"1", u"{\"a\":1}"},
        {u"{\"a\":" + Deep(32) + u"}", u"a" + Repeat(u"[0]", 32), u"2", u"{\"a\":" + Repeat(u"[", 32) + u"2" + Repeat(u"]", 32) + u"}"},
    };
    for (const EditRow& row : rows) {
        SCOPED_TRACE(Show(row.json) + " path " + Show(row.path));
        Check(JsonSetValue(row.json, row.path, row.value), row.json, row.expected, row.hr);
    }
}

// The edit walker must find the same member and element as the read side.
TEST(JsonEdit, NavigationAgreesWithNavigateText) {
    const std::u16string docs[] = {
        u"{\"a\":1,\"b\":{\"c\":[10,20,{\"d\":\"x\"}]}}", u"{\"a\\u0062\":1,\"ab\":2}", u"{\"a\":1,\"a\":2}",
        u"{ \"k\" \n: [ 1 , [ 2 ] ] }", u"{\"a\" 5}", u"{\"a\":1,}", u"{\"x\":[1,2,\"a\":3}", u"[1,[2,3],{\"a\":[4]}]",
        u"[1,2", u"{\"\\ud83d\\ude00\":{\"\\\"\":7}}", u"",
    };
    const std::u16string paths[] = {u"a", u"b", u"b.c", u"b.c[2].d", u"b.c[3]", u"ab", u"k[1][0]", u"[1][1]",
                                    u"[2].a[0]", u"[3]", u"x", u"\U0001F600.\"", u"[0]"};
    for (const std::u16string& doc : docs) {
        for (const std::u16string& path : paths) {
            SCOPED_TRACE(Show(doc) + " path " + Show(path));
            PathSegment segments[kMaxPathSegments];
            const int count = TokenizePath(path, segments);
            edit::Move moves[edit::kMaxMoves];
            const std::ptrdiff_t expected = NavigateText(doc, segments, count);
            const edit::NavResult nav = edit::Navigate(doc, moves, edit::MovesFromSegments(segments, count, moves));
            EXPECT_EQ(nav.status == edit::Nav::Ok, expected >= 0);
            if (expected >= 0) {
                EXPECT_EQ(nav.pos, static_cast<std::size_t>(expected));
            }
        }
    }
}

TEST(JsonEdit, RemoveAppendInsertClearCompact) {
    enum Op { Remove, Append, Insert, Clear, Compact };
    struct Row { Op op; std::u16string json, path; std::int32_t index; std::u16string expected; std::int32_t hr = kS_OK; };
    const Row rows[] = {
        {Remove, u"{\"a\":1, \"b\":2}", u"b", 0, u"{\"a\":1}"},
        {Remove, u"{\n  \"a\": 1,\n  \"b\": [2]\n}", u"b", 0, u"{\n  \"a\": 1\n}"},
        {Remove, u"[1, 2, 3]", u"[1]", 0, u"[1, 3]"},
        {Remove, u"{\"a\":[{\"x\":1,\"y\":2}]}", u"a[0].x", 0, u"{\"a\":[{\"y\":2}]}"},
        {Remove, u"{\"a\":5}", u"a.b", 0, u"{\"a\":5}"},   // nothing there: unchanged, still a success
        {Remove, u"{\"a\":tru, \"b\":2}", u"a", 0, u"{\"a\":tru, \"b\":2}"},
        {Remove, u"{\"a\":1}", u"", 0, u"JsonRemoveKey: cannot remove root.", kE_INVALIDARG},
        {Remove, u"{\"a\":1}", u"a.", 0, u"JsonRemoveKey: path syntax error.", kE_INVALIDARG},
        {Remove, u"{\"d\":" + Deep(300) + u",\"a\":1}", u"a", 0, u"JsonRemoveKey: max nesting exceeded.", kE_FAIL},
        {Append, u"{\"x\":1}", u"list", 0, u"{\"x\":1,\"list\":[1]}"},
        {Append, u"{\"a\":[1, 2 ]}", u"a", 0, u"{\"a\":[1, 2 ,1]}"},
        {Append, u"{\"a\":{}}", u"a.b[1]", 0, u"{\"a\":{\"b\":[null,[1]]}}"},   // a missing member is created along the path
        {Append, u"{\"list\":5}", u"list", 0, u"JsonAppend: value at path list is not an array.", kE_INVALIDARG},
        {Append, u"", u"", 0, u"JsonAppend: value at path root is not an array.", kE_INVALIDARG},
        {Append, u"{\"a\":5}", u"a.b", 0, u"JsonAppend: path navigation failed.", kE_INVALIDARG},
        {Append, u"{\"a\":{}}", u"a[0]", 0, u"JsonAppend: expected array.", kE_INVALIDARG},
        {Append, u"{\"a\":[1]}", u"a[3]", 0, u"JsonAppend: array index not found.", kE_INVALIDARG},
        {Append, u"{\"a\":1", u"b", 0, u"JsonAppend: malformed object.", kE_INVALIDARG},
        {Append, u"{\"a\":[1,}", u"a", 0, u"JsonAppend: malformed array.", kE_INVALIDARG},
        {Append, u"[1", u"", 0, u"JsonAppend: malformed array.", kE_INVALIDARG},
        {Append, u"{}", u"a[", 0, u"JsonAppend: path syntax error.", kE_INVALIDARG},
        {Insert, u"[1,2]", u"", 2, u"[1,2,1]"},
        {Insert, u"[1,2]", u"", 3, u"JsonInsert: index 3 exceeds array length 2.", kE_BOUNDS},
        {Insert, u"[ 1 , 2 ]", u"", 1, u"[ 1 , 1,2 ]"},
        {Insert, u"{\"a\":[[1]]}", u"a[0]", 1, u"{\"a\":[[1,1]]}"},
        {Insert, u"[1,2]", u"]", -1, u"JsonInsert: negative index.", kE_INVALIDARG},
        {Insert, u"[1,2]", u"]", 0, u"JsonInsert: path syntax error.", kE_INVALIDARG},
        {Insert, u"{\"a\":5}", u"a", 0, u"JsonInsert: target is not an array.", kE_INVALIDARG},
        {Insert, u"{}", u"a", 0, u"JsonInsert: path not found.", kE_INVALIDARG},
        {Insert, u"[1]", u"a", 0, u"JsonInsert: path navigation failed.", kE_INVALIDARG},
        {Insert, u"{\"a\":5}", u"a[0]", 0, u"JsonInsert: expected array.", kE_INVALIDARG},
        {Insert, u"{\"a\":[]}", u"a[0]", 0, u"JsonInsert: array index not found.", kE_INVALIDARG},
        {Insert, u"[1,2 3]", u"", 0, u"JsonInsert: malformed.", kE_INVALIDARG},
        {Clear, u"{\"a\":{\"b\":1}, \"c\":2}", u"a", 0, u"{\"a\":{}, \"c\":2}"},
        {Clear, u" [1,[2]] ", u"", 0, u" [] "},
        {Clear, u"{\"a\":[1,2]}", u"a[0]", 0, u"JsonClear: target is a scalar, not a container.", kE_INVALIDARG},
        {Clear, u" \t", u"", 0, u"JsonClear: invalid target.", kE_INVALIDARG},
        {Clear, u"5", u"a", 0, u"JsonClear: path not found.", kE_INVALIDARG},
        {Clear, u"{\"a\":5}", u"a[0]", 0, u"JsonClear: expected array.", kE_INVALIDARG},
        {Clear, u"{\"a\":[]}", u"a[0]", 0, u"JsonClear: index not found.", kE_INVALIDARG},
        {Clear, u"{\"a\":[1]}", u"a.", 0, u"JsonClear: path syntax error.", kE_INVALIDARG},
        // an unclosed target would otherwise swallow the rest of the document
        {Clear, u"{\"a\":[1 2], \"b\":3}", u"a", 0, u"JsonClear: invalid target.", kE_INVALIDARG},
        {Clear, u"{\"a\":" + Deep(300) + u"}", u"a", 0, u"JsonClear: max nesting exceeded.", kE_FAIL},
        {Compact, u"[1,null, 2,\"null\"]", u"", 0, u"[1,2,\"null\"]"},
        {Compact, u" {\"a\": [1, {\"b\" : null}, null] } ", u"a", 0, u" {\"a\": [1,{\"b\" : null}] } "},
        {Compact, u"[[null], nullable]", u"", 0, u"JsonCompact: unterminated array.", kE_FAIL},
        {Compact, u"[" + Deep(300) + u"]", u"", 0, u"JsonCompact: max nesting exceeded.", kE_FAIL},
        {Compact, u"{\"a\":5}", u"a", 0, u"JsonCompact: target is not an array.", kE_INVALIDARG},
        {Compact, u"[1]", u"[3]", 0, u"JsonCompact: path not found.", kE_INVALIDARG},
        {Compact, u"[1]", u"a[", 0, u"JsonCompact: invalid path.", kE_INVALIDARG},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Show(row.json) + " path " + Show(row.path) + " op " + std::to_string(row.op));
        switch (row.op) {
            case Remove: Check(JsonRemoveKey(row.json, row.path), row.json, row.expected, row.hr); break;
            case Append: Check(JsonAppend(row.json, row.path, u"1"), row.json, row.expected, row.hr); break;
            case Insert: Check(JsonInsert(row.json, row.path, row.index, u"1"), row.json, row.expected, row.hr); break;
            case Clear: Check(JsonClear(row.json, row.path), row.json, row.expected, row.hr); break;
            case Compact: Check(JsonCompact(row.json, row.path), row.json, row.expected, row.hr); break;
        }
    }
}

TEST(JsonEdit, UnwrapString) {
    const std::pair<std::u16string_view, std::u16string_view> rows[] = {
        {u"\"a\\\"b\"", u"a\"b"},
        {u"abc", u"abc"},
        {u"\"", u"\""},
        {u"\"\"", u""},
        {u"\"\\u00e9\\n\"", u"\u00e9\n"},
        {u" \"a\"", u" \"a\""},            // nothing is trimmed
        {u"\"a\" \"b\"", u"\"a\" \"b\""},   // two literals: not one string to unwrap
        {u"\"abc\\\"", u"\"abc\\\""},      // the last quote is escaped: never closed
    };
    for (const auto& [text, expected] : rows) EXPECT_EQ(JsonUnwrapString(text), expected) << Show(text);
}

TEST(JsonEdit, Merge) {
    const std::u16string kFirst = u"JsonMerge: first argument is not an object.";
    const std::u16string kSecond = u"JsonMerge: second argument is not an object.";
    struct Row { std::u16string json1, json2; bool deep; std::u16string expected; std::int32_t hr = kS_OK; };
    const Row rows[] = {
        {u"{\"a\":{\"x\":1},\"b\":1}", u"{\"a\":{\"y\":2},\"c\":3}", true, u"{\"a\":{\"x\":1,\"y\":2},\"b\":1,\"c\":3}"},
        {u"{\"a\":{\"x\":1},\"b\":1}", u"{\"a\":{\"y\":2},\"c\":3}", false, u"{\"a\":{\"y\":2},\"b\":1,\"c\":3}"},
        {u"{ \"a\" : 1 ,\n \"b\":2 }", u"{\"b\":3,\"c\":4}", false, u"{ \"a\" : 1 ,\n \"b\":3 ,\"c\":4}"},
        {u"{\"a\":{\"b\":{\"x\":1}}}", u"{\"a\":{\"b\":{\"y\":2},\"c\":[]}}", true, u"{\"a\":{\"b\":{\"x\":1,\"y\":2},\"c\":[]}}"},
        {u"{\"a\":1}", u"{\"a\":{\"y\":2}}", true, u"{\"a\":{\"y\":2}}"},
        // keys act as paths, within the auto-create limit
        {u"{\"a\":{\"x\":1}}", u"{\"a.y\":2}", false, u"{\"a\":{\"x\":1,\"y\":2}}"},
        {u"{\"a\":[1]}", u"{\"a[2]\":3}", false, u"{\"a\":[1,null,3]}"},
        {u"{\"a\":[1]}", u"{\"a[20000]\":1,\"b\":2}", false, u"{\"a\":[1],\"b\":2}"},
        // keys are decoded before use, and keys that are no path stay members
        {u"{\"q\\\"x\":0}", u"{\"q\\u0022x\":1}", false, u"{\"q\\\"x\":1}"},
        {u"{\"a\":1}", u"{\"\":2,\"[0]\":3,\"x]\":4}", false, u"{\"a\":1,\"\":2,\"[0]\":3,\"x]\":4}"},
        {u"[1]", u"{}", false, kFirst, kE_INVALIDARG},
        {u"{\"a\":1", u"{\"b\":2}", false, kFirst, kE_INVALIDARG},
        {u"{}", u" 5", false, kSecond, kE_INVALIDARG},
        {u"{}", u"{\"a\":1,", false, kSecond, kE_INVALIDARG},
        {u"{}", u"{\"a\":}", true, kSecond, kE_INVALIDARG},
        // only the route has to be well formed: the splice inside `a` leaves the rest as it was
        {u"{\"a\":{\"x\":1}", u"{\"a\":{\"y\":2}}", true, u"{\"a\":{\"x\":1,\"y\":2}"},
        {u"{}", u"{\"a\":" + Deep(300) + u"}", false, u"JsonMerge: max nesting exceeded.", kE_FAIL},
        {u"{\"d\":" + Deep(300) + u"}", u"{\"a\":1}", false, u"JsonMerge: max nesting exceeded.", kE_FAIL},
        // deep nesting merges without recursion
        {Repeat(u"{\"k\" : ", 200) + u"{\"x\":1}" + Repeat(u"}", 200), Repeat(u"{\"k\" : ", 200) + u"{\"y\":2}" + Repeat(u"}", 200),
         true, Repeat(u"{\"k\" : ", 200) + u"{\"x\":1,\"y\":2}" + Repeat(u"}", 200)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Show(row.json1) + " + " + Show(row.json2) + (row.deep ? " deep" : ""));
        Check(JsonMerge(row.json1, row.json2, row.deep), row.json1, row.expected, row.hr);
    }
}

TEST(JsonEdit, FlattenUnflattenPrettyPrint) {
    enum Op { Flatten, Unflatten, Pretty };
    const std::u16string kNotContainer = u"JsonFlatten: input must be object or array.";
    const std::u16string kNotFlat = u"JsonUnflatten: input must be a flat object.";
    struct Row { Op op; std::u16string json, expected; std::int32_t hr = kS_OK; };
    const Row rows[] = {
        {Flatten, u"{\"a\":{\"b\":1},\"c\":[true,{}]}", u"{\"c[0]\":true,\"c[1]\":{},\"a.b\":1}"},
        {Flatten, u"[{\"a\":1},[2]]", u"{\"[1][0]\":2,\"[0].a\":1}"},
        {Flatten, u"{\"a\" : [ ] , \"b\": { \n } }", u"{\"a\":[],\"b\":{}}"},
        {Flatten, u"{\"a\\\"b\":{\"c\\u0041\":1}}", u"{\"a\\\"b.cA\":1}"},
        {Flatten, u"{\"\U0001F600\":[2]}", u"{\"\\ud83d\\ude00[0]\":2}"},   // written as the serializer writes surrogates
        {Flatten, Deep(100), u"{\"" + Repeat(u"[0]", 100) + u"\":1}"},
        {Flatten, u"5", kNotContainer, kE_INVALIDARG},
        {Flatten, u"{\"a\":{\"b\":1 2}}", kNotContainer, kE_INVALIDARG},
        {Flatten, u"{\"a\":" + Deep(300) + u"}", u"JsonFlatten: max nesting exceeded.", kE_FAIL},
        {Unflatten, u"{\"a.b\":1,\"a.c\":2,\"d[1]\":3}", u"{\"a\":{\"b\":1,\"c\":2},\"d\":[null,3]}"},
        {Unflatten, u"{\"[0]\":1,\"[1]\":2}", u"[1,2]"},
        {Unflatten, u"{\"a\":1,\"a.b\":2}", u"{\"a\":{\"b\":2}}"},
        {Unflatten, u"{\"q\\\"x\":1,\"\":2,\"k]\":3}", u"{\"q\\\"x\":1,\"\":2,\"k]\":3}"},
        {Unflatten, u"{\"a[0]\":1,\"a[20000]\":2}", u"JsonSetValue: array extension exceeds auto-create limit.", kE_INVALIDARG},
        {Unflatten, u"[1]", kNotFlat, kE_INVALIDARG},
        {Unflatten, u"{\"a\":1", kNotFlat, kE_INVALIDARG},
        {Unflatten, u"{\"a\":" + Deep(300) + u"}", u"JsonUnflatten: max nesting exceeded.", kE_FAIL},
        {Pretty, u"{\"a\":1,\"b\":[1,2],\"c\":{}}", u"{\n  \"a\": 1,\n  \"b\": [\n    1,\n    2\n  ],\n  \"c\": {}\n}"},
        {Pretty, u"{\r\n\t\"a\" : [ ]\r\n}", u"{\n  \"a\": []\n}"},
        // string content is copied as is; nothing is validated
        {Pretty, u"{\"a\":\"x\\\" y, {z}: \"}", u"{\n  \"a\": \"x\\\" y, {z}: \"\n}"},
        {Pretty, u"]]", u"\n]\n]"},
        {Pretty, std::u16string(kPrettyPrintMaxInput, u' '), u""},
        {Pretty, std::u16string(kPrettyPrintMaxInput + 1, u' '), u"JsonPrettyPrint: input exceeds 5MB limit. Use for debugging only.", kE_FAIL},
        // indentation grows with the square of the depth: refused before it is built
        {Pretty, Repeat(u"[", 20000) + Repeat(u"]", 20000), u"JsonPrettyPrint: memory allocation failed.", kE_OUTOFMEMORY},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Show(row.json) + " op " + std::to_string(row.op));
        switch (row.op) {
            case Flatten: Check(JsonFlatten(row.json), row.json, row.expected, row.hr); break;
            case Unflatten: Check(JsonUnflatten(row.json), row.json, row.expected, row.hr); break;
            case Pretty: Check(JsonPrettyPrint(row.json), row.json, row.expected, row.hr); break;
        }
    }
    // Flatten then Unflatten restores documents whose keys hold no `.` or `[`.
    for (std::u16string doc : {u"[{\"k\\\"q\":\"v\"},[true,null]]", u"{\"t\\tab\":{\"\\u00e9\":[[\"x\"]]},\"e\":{},\"f\":[]}"}) {
        const JsonEditResult flat = JsonFlatten(doc);
        const JsonEditResult back = JsonUnflatten(flat.text);
        ASSERT_TRUE(flat.ok && back.ok) << Show(doc);
        EXPECT_EQ(JsonFlatten(back.text).text, flat.text) << Show(doc);
    }
}

}  // namespace
}  // namespace Corvane
