// The text editing operations: SetValue, RemoveKey, Append, Insert, Clear,
// Compact and unwrapping. Each row is the input, the arguments and either the
// result text (S_OK) or the exact message with its HRESULT.
#include <gtest/gtest.h>

#include <string>

#include "json_edit.h"
#include "json_edit_support.h"
#include "json_edit_internal.h"
#include "json_path.h"

namespace Corvane {
namespace {

std::u16string Nulls(int count) { return Repeat(u"null,", count); }

std::string Trace(std::u16string_view json, std::u16string_view path) {
    return ::testing::PrintToString(std::u16string(json)) + " path " + ::testing::PrintToString(std::u16string(path));
}

struct EditRow {
    std::u16string json, path, value, expected;
    std::int32_t hr = kS_OK;
};

TEST(JsonEditSetValue, Table) {
    const std::u16string kExt = u"JsonSetValue: array extension exceeds auto-create limit.";
    const std::u16string kCreate = u"JsonSetValue: array auto-creation index exceeds limit.";
    const std::u16string kInvalid = u"JsonSetValue: input is not valid JSON.";
    const std::u16string kNesting = u"JsonSetValue: max JSON nesting depth (256) exceeded.";
    const std::u16string kObject = u"JsonSetValue: malformed object.";
    const std::u16string kArray = u"JsonSetValue: malformed array.";
    const EditRow rows[] = {
        {u"{}", u"a", u"\"x\"", u"{\"a\":\"x\"}"},
        // a host string holding JSON arrives as a JSON string and stays one
        {u"{}", u"a", u"\"{\\\"b\\\":1}\"", u"{\"a\":\"{\\\"b\\\":1}\"}"},
        {u"[1,2]", u"[5]", u"9", u"[1,2,null,null,null,9]"},
        {u"{\"a\":[1,2]}", u"a[10002]", u"1", kExt, kE_INVALIDARG},
        {u"{\"a\":[1,2]}", u"a[10001]", u"1", u"{\"a\":[1,2," + Nulls(9999) + u"1]}"},
        {u"{\"a\":5}", u"a[10000]", u"1", kCreate, kE_INVALIDARG},
        {u"{\"a\":5}", u"a[10000].b", u"1", kCreate, kE_INVALIDARG},
        {u"{\"a\":5}", u"a[9999]", u"1", u"{\"a\":[" + Nulls(9999) + u"1]}"},
        {u"[1]", u"a", u"1", u"JsonSetValue: path expects object but root is array.", kE_INVALIDARG},
        {u" 5", u"a", u"1", kInvalid, kE_INVALIDARG},
        {u"", u"a", u"1", kInvalid, kE_INVALIDARG},
        {u" \r\n", u"[0]", u"1", kInvalid, kE_INVALIDARG},
        {u"{\"a\":5}", u"a.b", u"1", u"{\"a\":{\"b\":1}}"},
        {u"{}", u"a.b[2].c", u"1", u"{\"a\":{\"b\":[null,null,{\"c\":1}]}}"},
        // empty path: the value is the whole result, whatever the input
        {u"not json", u"", u"[7]", u"[7]"},
        {u"{}", u"a..b", u"1", u"JsonSetValue: path syntax error.", kE_INVALIDARG},
        {u"{}", u"a[", u"1", u"JsonSetValue: path syntax error.", kE_INVALIDARG},
        // everything outside the span stays as written
        {u"{ \"a\" : 1 , \"b\":2 }", u"a", u"3", u"{ \"a\" : 3 , \"b\":2 }"},
        {u"{ \"a\":1 }", u"b", u"2", u"{ \"a\":1 ,\"b\":2}"},
        {u"{ }", u"a", u"1", u"{ \"a\":1}"},
        {u"{\"a\":1} \n", u"b", u"2", u"{\"a\":1,\"b\":2} \n"},
        {u"{\"n\":1.50E+2,\"a\":0}", u"a", u"1", u"{\"n\":1.50E+2,\"a\":1}"},
        {u"[1, 2 ]", u"[3]", u"9", u"[1, 2 ,null,9]"},
        // keys: escapes in the document, and keys that need escaping
        {u"{\"a\\u0062\":1}", u"ab", u"2", u"{\"a\\u0062\":2}"},
        {u"{\"a\\\"b\":1}", u"a\"b", u"2", u"{\"a\\\"b\":2}"},
        {u"{}", u"q\"x", u"1", u"{\"q\\\"x\":1}"},
        {u"{}", u"t\tk", u"1", u"{\"t\\tk\":1}"},
        {u"{\"\U0001F600\":1}", u"\U0001F600", u"\"\U0001F600\"", u"{\"\U0001F600\":\"\U0001F600\"}"},
        {u"{\"\\ud83d\\ude00\":1}", u"\U0001F600", u"2", u"{\"\\ud83d\\ude00\":2}"},
        // the first of duplicate keys is the one addressed
        {u"{\"a\":1,\"a\":2}", u"a", u"3", u"{\"a\":3,\"a\":2}"},
        // descending and extending at depth
        {u"{\"a\":[[1]]}", u"a[0][3]", u"2", u"{\"a\":[[1,null,null,2]]}"},
        {u"{\"a\":[{\"x\":1}]}", u"a[0].x", u"2", u"{\"a\":[{\"x\":2}]}"},
        {u"{\"a\":[]}", u"a[10005].b", u"1", u"{\"a\":[" + Nulls(10005) + u"{\"b\":1}]}"},
        {u"[]", u"[10050]", u"1", u"[" + Nulls(10050) + u"1]"},
        {u"[[1],5]", u"[1][2]", u"9", u"[[1],[null,null,9]]"},
        {u"[[1],5]", u"[1].k", u"9", u"[[1],{\"k\":9}]"},
        {u"{\"a\":{\"b\":1}}", u"a[1]", u"9", u"{\"a\":[null,9]}"},
        {u"{\"a\":1} ", u"[0]", u"9", u"[9] "},
        {u"{\"a\":null}", u"a.b.c", u"1", u"{\"a\":{\"b\":{\"c\":1}}}"},
        // containers that cannot be walked
        {u"{\"a\":1", u"b", u"2", kObject, kE_INVALIDARG},
        {u"{\"a\":1,}", u"b", u"2", kObject, kE_INVALIDARG},
        {u"{\"a\" 1 \"b\":2}", u"b", u"3", kObject, kE_INVALIDARG},
        {u"{\"a\":[1,2}", u"a[5]", u"1", kArray, kE_INVALIDARG},
        {u"{\"a\":[1,,2]}", u"a[0]", u"1", kArray, kE_INVALIDARG},
        // a value whose end cannot be found is never replaced up to the end of the text
        {u"{\"a\":tru, \"b\":2}", u"a", u"1", kObject, kE_INVALIDARG},
        {u"{\"a\":1", u"a", u"2", kObject, kE_INVALIDARG},
        {u"{\"x\":[1 2],\"a\":1}", u"a", u"2", kObject, kE_INVALIDARG},
        {u"{\"x\":\"unterminated}", u"x", u"2", kObject, kE_INVALIDARG},
        // nesting
        {u"{\"a\":" + Deep(257) + u"}", u"a", u"1", kNesting, kE_FAIL},
        {u"{\"d\":" + Deep(300) + u",\"a\":1}", u"a", u"2", kNesting, kE_FAIL},
        {u"{\"a\":" + Deep(256) + u"}", u"a", u"1", u"{\"a\":1}"},
        {u"{\"a\":" + Deep(32) + u"}", u"a" + Repeat(u"[0]", 32), u"2", u"{\"a\":" + Repeat(u"[", 32) + u"2" + Repeat(u"]", 32) + u"}"},
    };
    for (const EditRow& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        Check(JsonSetValue(row.json, row.path, row.value), row.json, row.expected, row.hr);
    }
}

TEST(JsonEditSetValue, LargestIndexHasNoLimitBelowTheGrammar) {
    const JsonEditResult r = JsonSetValue(u"{}", u"a.b[999999]", u"1");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text.size(), std::u16string_view(u"{\"a\":{\"b\":[1]}}").size() + 5u * 999999u);
    EXPECT_EQ(r.text.substr(r.text.size() - 14), u"null,null,1]}}");
}

TEST(JsonEditSetValue, LongDocumentIsSplicedOnlyAtTheEnd) {
    std::u16string doc = u"{\"items\":[";
    for (int i = 0; i < 5000; ++i) doc += (i ? u", " : u"") + std::u16string(u"{\"id\" : ") + std::u16string(1, u'0' + i % 10) + u"}";
    doc += u"],\n \"tail\":\"x\"}";
    const JsonEditResult r = JsonSetValue(doc, u"items[4999].id", u"\"\\u00e9\"");
    ASSERT_TRUE(r.ok);
    const std::size_t at = doc.rfind(u"{\"id\" : 9}") + 8;
    EXPECT_EQ(r.text, doc.substr(0, at) + u"\"\\u00e9\"" + doc.substr(at + 1));
}

// The edit walker must find the same member and element as the read side.
TEST(JsonEditNavigate, AgreesWithNavigateText) {
    const std::u16string docs[] = {
        u"{\"a\":1,\"b\":{\"c\":[10,20,{\"d\":\"x\"}]}}",
        u"{\"a\\u0062\":1,\"ab\":2}",
        u"{\"a\":1,\"a\":2}",
        u"{ \"k\" \n: [ 1 , [ 2 ] ] }",
        u"{\"a\" 5}",
        u"{\"a\":1,}",
        u"{\"x\":[1,2,\"a\":3}",
        u"[1,[2,3],{\"a\":[4]}]",
        u"[1,2",
        u"{\"\\ud83d\\ude00\":{\"\\\"\":7}}",
        u"",
    };
    const std::u16string paths[] = {u"a", u"b", u"b.c", u"b.c[2].d", u"b.c[3]", u"ab", u"k[1][0]", u"[1][1]",
                                    u"[2].a[0]", u"[3]", u"x", u"\U0001F600.\"", u"[0]"};
    for (const std::u16string& doc : docs) {
        for (const std::u16string& path : paths) {
            SCOPED_TRACE(Trace(doc, path));
            PathSegment segments[kMaxPathSegments];
            const int count = TokenizePath(path, segments);
            ASSERT_GT(count, 0);
            edit::Move moves[edit::kMaxMoves];
            const int moveCount = edit::MovesFromSegments(segments, count, moves);
            const std::ptrdiff_t expected = NavigateText(doc, segments, count);
            const edit::NavResult nav = edit::Navigate(doc, moves, moveCount);
            if (expected < 0) {
                EXPECT_NE(nav.status, edit::Nav::Ok);
            } else {
                EXPECT_EQ(nav.status, edit::Nav::Ok);
                EXPECT_EQ(nav.pos, static_cast<std::size_t>(expected));
            }
        }
    }
}

TEST(JsonEditRemoveKey, Table) {
    const std::u16string kNesting = u"JsonRemoveKey: max nesting exceeded.";
    const EditRow rows[] = {
        {u"{\"a\":1, \"b\":2}", u"b", u"", u"{\"a\":1}"},
        {u"{\"a\":1, \"b\":2}", u"a", u"", u"{ \"b\":2}"},
        {u"{\"a\":1}", u"a", u"", u"{}"},
        {u"{\"a\":1, \"b\":2, \"c\":3}", u"b", u"", u"{\"a\":1, \"c\":3}"},
        {u"{\n  \"a\": 1,\n  \"b\": [2]\n}", u"b", u"", u"{\n  \"a\": 1\n}"},
        {u"{\"a\":{\"b\":1,\"c\":2}}", u"a.c", u"", u"{\"a\":{\"b\":1}}"},
        {u"{\"a\":1,\"a\":2}", u"a", u"", u"{\"a\":2}"},
        {u"{\"a\\\"b\":1,\"c\":2}", u"a\"b", u"", u"{\"c\":2}"},
        {u"[1, 2, 3]", u"[1]", u"", u"[1, 3]"},
        {u"[1, 2, 3]", u"[0]", u"", u"[ 2, 3]"},
        {u"[1, 2, 3]", u"[2]", u"", u"[1, 2]"},
        {u"{\"a\":[1]}", u"a[0]", u"", u"{\"a\":[]}"},
        {u"{\"a\":[{\"x\":1,\"y\":2}]}", u"a[0].x", u"", u"{\"a\":[{\"y\":2}]}"},
        // nothing there: unchanged, and still a success
        {u"{\"a\":1}", u"b", u"", u"{\"a\":1}"},
        {u"{\"a\":1}", u"x.y", u"", u"{\"a\":1}"},
        {u"{\"a\":5}", u"a.b", u"", u"{\"a\":5}"},
        {u"[1]", u"a", u"", u"[1]"},
        {u"", u"a", u"", u""},
        {u"{\"a\":tru, \"b\":2}", u"a", u"", u"{\"a\":tru, \"b\":2}"},
        {u"[1, 2", u"[0]", u"", u"[1, 2"},
        {u"{\"a\":1}", u"", u"", u"JsonRemoveKey: cannot remove root.", kE_INVALIDARG},
        {u"{\"a\":1}", u"a.", u"", u"JsonRemoveKey: path syntax error.", kE_INVALIDARG},
        {u"{\"a\":" + Deep(300) + u"}", u"a", u"", kNesting, kE_FAIL},
        {u"{\"d\":" + Deep(300) + u",\"a\":1}", u"a", u"", kNesting, kE_FAIL},
    };
    for (const EditRow& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        Check(JsonRemoveKey(row.json, row.path), row.json, row.expected, row.hr);
    }
}

TEST(JsonEditAppend, Table) {
    const EditRow rows[] = {
        {u"{}", u"list", u"1", u"{\"list\":[1]}"},
        {u"{\"x\":1}", u"list", u"1", u"{\"x\":1,\"list\":[1]}"},
        {u"{\"list\":5}", u"list", u"1", u"JsonAppend: value at path list is not an array.", kE_INVALIDARG},
        {u"5", u"", u"1", u"JsonAppend: value at path root is not an array.", kE_INVALIDARG},
        {u"", u"", u"1", u"JsonAppend: value at path root is not an array.", kE_INVALIDARG},
        {u"[1]", u"", u"2", u"[1,2]"},
        {u"[]", u"", u"2", u"[2]"},
        {u"[ ]", u"", u"2", u"[ 2]"},
        {u"{\"a\":[1, 2 ]}", u"a", u"{\"k\":3}", u"{\"a\":[1, 2 ,{\"k\":3}]}"},
        {u"{\"a\":[[1]]}", u"a[0]", u"2", u"{\"a\":[[1,2]]}"},
        {u"{\"a\":{\"b\":[]}}", u"a.b", u"2", u"{\"a\":{\"b\":[2]}}"},
        // a missing member is created along the rest of the path
        {u"{}", u"a.b", u"1", u"{\"a\":{\"b\":[1]}}"},
        {u"{\"a\":{}}", u"a.b[1]", u"1", u"{\"a\":{\"b\":[null,[1]]}}"},
        {u"[1]", u"a", u"1", u"JsonAppend: path navigation failed.", kE_INVALIDARG},
        {u"{\"a\":5}", u"a.b", u"1", u"JsonAppend: path navigation failed.", kE_INVALIDARG},
        {u"{\"a\":5}", u"a[0]", u"1", u"JsonAppend: expected array.", kE_INVALIDARG},
        {u"{\"a\":{}}", u"a[0]", u"1", u"JsonAppend: expected array.", kE_INVALIDARG},
        {u"{\"a\":[1]}", u"a[3]", u"1", u"JsonAppend: array index not found.", kE_INVALIDARG},
        {u"{\"a\":1", u"b", u"1", u"JsonAppend: malformed object.", kE_INVALIDARG},
        {u"{\"a\":[1,}", u"a", u"1", u"JsonAppend: malformed array.", kE_INVALIDARG},
        {u"[1", u"", u"1", u"JsonAppend: malformed array.", kE_INVALIDARG},
        {u"{}", u"a[", u"1", u"JsonAppend: path syntax error.", kE_INVALIDARG},
    };
    for (const EditRow& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        Check(JsonAppend(row.json, row.path, row.value), row.json, row.expected, row.hr);
    }
}

TEST(JsonEditInsert, Table) {
    struct Row {
        std::u16string json, path;
        std::int32_t index;
        std::u16string value, expected;
        std::int32_t hr = kS_OK;
    };
    const Row rows[] = {
        {u"[1,2]", u"", 2, u"3", u"[1,2,3]"},
        {u"[1,2]", u"", 3, u"3", u"JsonInsert: index 3 exceeds array length 2.", kE_BOUNDS},
        {u"[1,2]", u"", 0, u"3", u"[3,1,2]"},
        {u"[1,2]", u"", 1, u"3", u"[1,3,2]"},
        {u"[]", u"", 0, u"3", u"[3]"},
        {u"[ 1 , 2 ]", u"", 1, u"9", u"[ 1 , 9,2 ]"},
        {u"{\"a\":[1]}", u"a", 0, u"\"x\"", u"{\"a\":[\"x\",1]}"},
        {u"{\"a\":[[1]]}", u"a[0]", 1, u"2", u"{\"a\":[[1,2]]}"},
        {u"[1,2]", u"", -1, u"3", u"JsonInsert: negative index.", kE_INVALIDARG},
        {u"[1,2]", u"]", -1, u"3", u"JsonInsert: negative index.", kE_INVALIDARG},
        {u"[1,2]", u"]", 0, u"3", u"JsonInsert: path syntax error.", kE_INVALIDARG},
        {u"{\"a\":5}", u"a", 0, u"3", u"JsonInsert: target is not an array.", kE_INVALIDARG},
        {u"", u"", 0, u"3", u"JsonInsert: target is not an array.", kE_INVALIDARG},
        {u"{}", u"a", 0, u"3", u"JsonInsert: path not found.", kE_INVALIDARG},
        {u"[1]", u"a", 0, u"3", u"JsonInsert: path navigation failed.", kE_INVALIDARG},
        {u"{\"a\":5}", u"a[0]", 0, u"3", u"JsonInsert: expected array.", kE_INVALIDARG},
        {u"{\"a\":[]}", u"a[0]", 0, u"3", u"JsonInsert: array index not found.", kE_INVALIDARG},
        {u"[1,2", u"", 2, u"3", u"JsonInsert: malformed.", kE_INVALIDARG},
        {u"[1,2 3]", u"", 0, u"3", u"JsonInsert: malformed.", kE_INVALIDARG},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path) + " index " + std::to_string(row.index));
        Check(JsonInsert(row.json, row.path, row.index, row.value), row.json, row.expected, row.hr);
    }
}

TEST(JsonEditClear, Table) {
    const std::u16string kScalar = u"JsonClear: target is a scalar, not a container.";
    const EditRow rows[] = {
        {u"{\"a\":[1,2]}", u"a", u"", u"{\"a\":[]}"},
        {u"{\"a\":[1,2]}", u"a[0]", u"", kScalar, kE_INVALIDARG},
        {u"{\"a\":{\"b\":1}, \"c\":2}", u"a", u"", u"{\"a\":{}, \"c\":2}"},
        {u" {\"a\":1} ", u"", u"", u" {} "},
        {u"[1,[2]]", u"", u"", u"[]"},
        {u"[1,[2]]", u"[1]", u"", u"[1,[]]"},
        {u"\"s\"", u"", u"", kScalar, kE_INVALIDARG},
        {u"", u"", u"", u"JsonClear: invalid target.", kE_INVALIDARG},
        {u" \t", u"", u"", u"JsonClear: invalid target.", kE_INVALIDARG},
        {u"{\"a\":1}", u"b", u"", u"JsonClear: path not found.", kE_INVALIDARG},
        {u"5", u"a", u"", u"JsonClear: path not found.", kE_INVALIDARG},
        {u"{\"a\":5}", u"a[0]", u"", u"JsonClear: expected array.", kE_INVALIDARG},
        {u"{\"a\":[]}", u"a[0]", u"", u"JsonClear: index not found.", kE_INVALIDARG},
        {u"{\"a\":[1]}", u"a.", u"", u"JsonClear: path syntax error.", kE_INVALIDARG},
        // an unclosed target would otherwise swallow the rest of the document
        {u"{\"a\":[1 2], \"b\":3}", u"a", u"", u"JsonClear: invalid target.", kE_INVALIDARG},
        {u"{\"a\":" + Deep(300) + u"}", u"a", u"", u"JsonClear: max nesting exceeded.", kE_FAIL},
    };
    for (const EditRow& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        Check(JsonClear(row.json, row.path), row.json, row.expected, row.hr);
    }
}

TEST(JsonEditCompact, Table) {
    const std::u16string kUnterminated = u"JsonCompact: unterminated array.";
    const EditRow rows[] = {
        {u"[1,null, 2,\"null\"]", u"", u"", u"[1,2,\"null\"]"},
        {u"[]", u"", u"", u"[]"},
        {u"[ ]", u"", u"", u"[]"},
        {u"[null]", u"", u"", u"[]"},
        {u"[ null , null ]", u"", u"", u"[]"},
        {u" {\"a\": [1, {\"b\" : null}, null] } ", u"a", u"", u" {\"a\": [1,{\"b\" : null}] } "},
        {u"[[null], nullable]", u"", u"", kUnterminated, kE_FAIL},
        {u"[null1]", u"", u"", kUnterminated, kE_FAIL},
        {u"[1,null", u"", u"", kUnterminated, kE_FAIL},
        {u"[1 2]", u"", u"", kUnterminated, kE_FAIL},
        {u"[" + Deep(300) + u"]", u"", u"", u"JsonCompact: max nesting exceeded.", kE_FAIL},
        {u"{\"a\":5}", u"a", u"", u"JsonCompact: target is not an array.", kE_INVALIDARG},
        {u"{\"a\":5}", u"", u"", u"JsonCompact: target is not an array.", kE_INVALIDARG},
        {u"{\"a\":5}", u"b", u"", u"JsonCompact: path not found.", kE_INVALIDARG},
        {u"[1]", u"[3]", u"", u"JsonCompact: path not found.", kE_INVALIDARG},
        {u"[1]", u"a[", u"", u"JsonCompact: invalid path.", kE_INVALIDARG},
    };
    for (const EditRow& row : rows) {
        SCOPED_TRACE(Trace(row.json, row.path));
        Check(JsonCompact(row.json, row.path), row.json, row.expected, row.hr);
    }
}

TEST(JsonEditUnwrapString, Table) {
    struct Row { std::u16string_view text, expected; };
    const Row rows[] = {
        {u"\"a\\\"b\"", u"a\"b"},
        {u"abc", u"abc"},
        {u"\"", u"\""},
        {u"\"\"", u""},
        {u"\"\\u00e9\\n\"", u"\u00e9\n"},
        {u"\"\\ud83d\\ude00\"", u"\U0001F600"},
        {u"\"\\\"\"", u"\""},
        {u" \"a\"", u" \"a\""},        // nothing is trimmed
        {u"\"a\" ", u"\"a\" "},
        {u"\"a\" \"b\"", u"\"a\" \"b\""},   // two literals: not one string to unwrap
        {u"\"abc\\\"", u"\"abc\\\""},      // the last quote is escaped: never closed
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::u16string(row.text)));
        EXPECT_EQ(JsonUnwrapString(row.text), row.expected);
    }
}

}  // namespace
}  // namespace Corvane
