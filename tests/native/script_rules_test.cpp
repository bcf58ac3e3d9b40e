// Host text in page script: the literal escaper, the conveniences' scripts
// and the DOM command templates. What the page makes of them is proven on
// the real browser; here, the exact texts.
#include <gtest/gtest.h>

#include "bridge_rules.h"
#include "page_rules.h"
#include "script_rules.h"

namespace Corvane {
namespace {

TEST(ScriptRules, EscaperKeepsTextInsideItsLiteral) {
    const std::pair<std::u16string, std::u16string> rows[] = {
        {u"", u""},
        {u"a'b\n", u"a\\'b\\n"},
        {u"\t\r\"\\", u"\\t\\r\\\"\\\\"},
        {u"</script>\u2028\u2029\x01<", u"</script>\u2028\u2029\x01<"},
        {std::u16string(u"a\0b", 3), u"a\\u0000b"},
        {u"\U0001F600", u"\U0001F600"},                                  // a pair stays a pair
        {u"\xD800x\xDC00", u"\\ud800x\\udc00"},                          // lone halves do not
        {std::u16string(1, u'\xD83D'), u"\\ud83d"},
    };
    for (const auto& [in, out] : rows) EXPECT_EQ(EscapeScriptLiteral(in), out) << testing::PrintToString(in);
}

TEST(ScriptRules, FunctionNamesAndConvenienceScripts) {
    for (const char16_t* ok : {u"myFunc", u"obj.method", u"_$", u".x", u"a1"})
        EXPECT_TRUE(IsScriptFunctionName(ok)) << testing::PrintToString(std::u16string(ok));
    for (const char16_t* bad : {u"", u"my-func", u"1abc", u"f()", u"a b", u"\u00e9"})
        EXPECT_FALSE(IsScriptFunctionName(bad)) << testing::PrintToString(std::u16string(bad));

    EXPECT_EQ(ApplyFunctionScript(u"myFunc", u"[1,\"a\"]", true), u"myFunc.apply(null, [1,\"a\"])");
    EXPECT_EQ(ApplyFunctionScript(u"myFunc", u"5", false), u"myFunc(5)");
    EXPECT_EQ(FireEventScript(u"a'b\n", u"null"),
              u"document.dispatchEvent(new CustomEvent('a\\'b\\n',{detail:null,bubbles:true}));");
    EXPECT_EQ(CallFunctionScript(u"f", u"1,2"),
              u"(function(){var fn=f;if(typeof fn==='function')fn.apply(null,[1,2]);})();");
    EXPECT_EQ(CallFunctionScript(u"f", u"[[1,2]]"),
              u"(function(){var fn=f;if(typeof fn==='function')fn.apply(null,[[1,2]]);})();");
    EXPECT_EQ(CallFunctionScript(u"f", u""), u"(function(){var fn=f;if(typeof fn==='function')fn.apply(null,);})();");
    EXPECT_EQ(SetVariableScript(u"window.x", u"{\"a\":1}"), u"window.x = {\"a\":1};");
}

TEST(ScriptRules, DomTemplates) {
    struct Row { DomCommand command; std::initializer_list<std::u16string_view> in; bool flag; DomKind kind; const char16_t* script; };
    const Row rows[] = {
        {DomCommand::SetElementValueById, {u"i'd", u"v\\"}, false, DomKind::Action,
         u"(function(){var e=document.getElementById('i\\'d');if(e){e.value='v\\\\';return 'ok';}return 'not found';})()"},
        {DomCommand::SetCheckboxById, {u"c"}, true, DomKind::Action,
         u"(function(){var e=document.getElementById('c');if(e){e.checked=true;return 'ok';}return 'not found';})()"},
        {DomCommand::SetCheckboxById, {u"c"}, false, DomKind::Action,
         u"(function(){var e=document.getElementById('c');if(e){e.checked=false;return 'ok';}return 'not found';})()"},
        {DomCommand::SetElementAttributeById, {u"e", u"data-a", u"\n"}, false, DomKind::Action,
         u"(function(){var e=document.getElementById('e');if(e){e.setAttribute('data-a','\\n');return 'ok';}return "
         u"'not found';})()"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DomScript(row.command, row.in, row.flag), row.script) << static_cast<int>(row.command);
        EXPECT_EQ(KindOf(row.command), row.kind) << static_cast<int>(row.command);
    }
    EXPECT_EQ(KindOf(DomCommand::GetPageText), DomKind::Reader);
    EXPECT_EQ(KindOf(DomCommand::GetCheckboxById), DomKind::Test);
    // Every template places its inputs; none is left with a placeholder.
    for (int c = 0; c < static_cast<int>(DomCommand::Count); ++c)
        for (char16_t unit : DomScript(static_cast<DomCommand>(c), {u"A", u"B", u"C"}))
            EXPECT_GE(unit, u' ') << c;
    EXPECT_TRUE(DomAnswerIsTrue(u"\"is true\""));
    EXPECT_FALSE(DomAnswerIsTrue(u"false"));
}

TEST(BridgeRules, NamesAndPaths) {
    for (const char16_t* ok : {u"_x1", u"$a", u"pc"}) EXPECT_TRUE(IsBridgeAlias(ok));
    for (const char16_t* bad : {u"__cvn_x", u"my-alias", u"", u"1a"}) EXPECT_FALSE(IsBridgeAlias(bad));
    EXPECT_TRUE(IsBridgeMemberName(u"__cvn_x"));
    EXPECT_TRUE(IsBridgeMemberName(std::u16string(256, u'm')));
    EXPECT_FALSE(IsBridgeMemberName(std::u16string(257, u'm')));
    const std::pair<const char16_t*, const char16_t*> paths[] = {
        {u"window.app[\"main\"].items[0]", nullptr},
        {u"a[\"\"]", nullptr},
        {u"window.app[main]", u"subscript must be a quoted string or integer"},
        {u"a[\"x\\y\"]", u"unterminated or escaped string subscript"},
        {u"a[\"x", u"unterminated or escaped string subscript"},
        {u"window.", u"'.' must be followed by an identifier"},
        {u"a[", u"unterminated '['"},
        {u"a[12", u"missing ']'"},
        {u"a(b)", u"unexpected character in path (only '.', '[\"key\"]', '[index]' allowed)"},
        {u"9a", u"must start with an identifier"},
        {u"", u"expression is empty"},
    };
    for (const auto& [path, fault] : paths) {
        const std::u16string_view text(path);
        const char16_t* got = CheckBridgePath(&text);
        EXPECT_EQ(std::u16string(got ? got : u"ok"), std::u16string(fault ? fault : u"ok")) << testing::PrintToString(text);
    }
    EXPECT_EQ(std::u16string(CheckBridgePath(nullptr)), u"expression is null");
    EXPECT_EQ(std::u16string(BridgeCodeName(BridgeCode::PropertyIsFunction)), u"CVN_E_BRIDGE_PROPERTY_IS_FUNCTION");
    EXPECT_EQ(std::u16string(BridgeCodeName(0x80040500)), u"<unknown>");
    EXPECT_EQ(std::u16string(BridgeCodeName(1)), u"<unknown>");
}

TEST(BridgeRules, ScriptsAndEnvelopes) {
    EXPECT_EQ(BridgeOperationScript(BridgeOp::Call, 7, u"f", {u"1", u""}, true, u"window.pc"),
              u"(function(){try{window.__cvn_objects[7]=(window.pc);}catch(e){}})();"
              u"(function(){try{var target=window.__cvn_objects[7];if(typeof target==='undefined'||target===null)"
              u"return {__cvn_err__:'OBJECT_NOT_RESOLVED'};var m=target[\"f\"];if(typeof m!=='function')return "
              u"{__cvn_err__:'METHOD_NOT_FOUND'};var r=m.call(target,1,null);if(r&&typeof r.then==='function')return "
              u"{__cvn_err__:'PROMISE_RETURNED'};return {__cvn_ok__:r};}catch(e){return {__cvn_err__:'JS_EXCEPTION',"
              u"__cvn_msg__:(e&&(e.message||e.toString()))||'unknown'};}})();");
    EXPECT_NE(BridgeOperationScript(BridgeOp::Set, 1, u"p", {}, false, u"").find(u"target[\"p\"]=null;"), std::u16string::npos);
    EXPECT_NE(BridgeBindScript(3, u"a.b", false).find(u"o[3]=(a.b);}catch(e){}})();"), std::u16string::npos);
    struct Row { const char16_t* json; std::int32_t code; const char16_t* message; JsonScalar::Kind kind; };
    const Row rows[] = {
        {u"{\"__cvn_ok__\":42}", 0, u"", JsonScalar::Kind::Int},
        {u"{\"__cvn_ok__\":1.5}", 0, u"", JsonScalar::Kind::Double},
        {u"{}", 0, u"", JsonScalar::Kind::Null},
        {u"{\"__cvn_ok__\":{\"a\":[1]}}", 0, u"", JsonScalar::Kind::Raw},
        {u"{\"__cvn_err__\":\"METHOD_NOT_FOUND\"}", BridgeCode::MethodNotFound, u"METHOD_NOT_FOUND", {}},
        {u"{\"__cvn_err__\":\"method_not_found\"}", BridgeCode::JsException, u"method_not_found", {}},
        {u"{\"__cvn_err__\":\"JS_EXCEPTION\",\"__cvn_msg__\":\"boom\"}", BridgeCode::JsException, u"boom", {}},
    };
    for (const Row& row : rows) {
        const BridgeOutcome outcome = ReadBridgeEnvelope(row.json);
        EXPECT_EQ(outcome.code, row.code) << testing::PrintToString(std::u16string(row.json));
        EXPECT_EQ(outcome.message, row.message);
        if (!row.code) {
            EXPECT_EQ(outcome.value.kind, row.kind);
        }
    }
}

TEST(BridgeRules, TableKeepsHandlesAndPendingBinds) {
    ScriptBridge bridge;
    std::int64_t replaced = -1;
    EXPECT_EQ(bridge.Bind(u"a", u"x", kBindTransient, replaced).handle, 1);
    EXPECT_EQ(replaced, 0);
    bridge.Defer(*bridge.Find(u"a"));
    EXPECT_EQ(bridge.Bind(u"a", u"y", 0, replaced).handle, 2);   // never reused, the old one handed back
    EXPECT_EQ(replaced, 1);
    bridge.Bind(u"b", u"z", kBindTransient, replaced);
    bridge.Defer(*bridge.Find(u"b"));
    const auto pending = bridge.TakePending();   // a's entry is stale: another handle now
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0].alias, u"b");
    const auto kept = bridge.Renavigate();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].alias, u"a");
    EXPECT_EQ(bridge.Find(u"b"), nullptr);
    EXPECT_EQ(bridge.Unbind(u"a"), 2);
    bridge.SetError(1, std::u16string(5000, u'm'));
    EXPECT_EQ(bridge.ErrorText(), std::u16string(4093, u'm') + u"...");
}

TEST(PageRules, AllowListAndProtectedFolders) {
    MacroAllowList allowed;
    allowed.Set(u" DoThing ,\tdothing,,Module1.DoThing");
    EXPECT_EQ(allowed.Size(), 2u);                                  // duplicates collapse, empty pieces go
    EXPECT_EQ(*allowed.Find(NormaliseMacroName(u"D.o Thing!")), u"DoThing");
    EXPECT_EQ(allowed.Find(NormaliseMacroName(u"Module1.DoThing")), nullptr);
    const std::vector<std::u16string> programs = {u"C:\\Program Files", u""};
    const std::pair<const char16_t*, bool> paths[] = {
        {u"c:\\WINDOWS\\", true}, {u"C:\\windows\\system32", true}, {u"C:\\windowsx", false},
        {u"C:\\Program Files/", true}, {u"C:\\program files\\app", false}, {u"C:\\", false},
    };
    for (const auto& [path, denied] : paths)
        EXPECT_EQ(IsProtectedFolder(path, u"C:\\windows", programs), denied) << testing::PrintToString(std::u16string(path));
    EXPECT_TRUE(IsProtectedFolder(u"C:\\x", u"C:\\", {}));           // a drive root keeps its separator
}

}  // namespace
}  // namespace Corvane
