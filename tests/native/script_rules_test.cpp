// Host text in page script: the literal escaper, the conveniences' scripts
// and the DOM command templates. What the page makes of them is proven on
// the real browser; here, the exact texts.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace Corvane
