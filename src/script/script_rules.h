// Host text in page script: the literal escaper, the script texts the
// one-line conveniences build, and the DOM command templates. Portable: no
// windows.h, tested natively.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace Corvane {

// Host text for a single-quoted script literal: tab, line feed, carriage
// return, both quotation marks and the backslash become two-character
// escapes, NUL and unpaired surrogates \u escapes; every other unit is
// copied as it is.
std::u16string EscapeScriptLiteral(std::u16string_view text);

// A page function's name as ExecuteScriptWithArgs accepts it: `_`, `$`, `.`,
// letters, and digits anywhere but first.
bool IsScriptFunctionName(std::u16string_view name);

// The scripts of the conveniences. JSON data and function paths are script
// expressions, inserted as they are; only the event name is escaped.
std::u16string FireEventScript(std::u16string_view eventName, std::u16string_view jsonData);
std::u16string CallFunctionScript(std::u16string_view functionPath, std::u16string_view jsonArgs);
std::u16string SetVariableScript(std::u16string_view path, std::u16string_view jsonValue);
std::u16string ApplyFunctionScript(std::u16string_view functionName, std::u16string_view json, bool spreadArray);

// How a DOM command maps its script's answer: a reader hands the JSON text
// back, an action only its success, a test whether the text says true.
enum class DomKind { Reader, Action, Test };

enum class DomCommand {
    GetElementValueById, SetElementValueById, GetElementValueByName, SetElementValueByName,
    ClickElementById, ClickElementByName, ClickElementBySelector, GetInnerHtmlById, SetInnerHtmlById,
    GetOuterHtmlById, SetOuterHtmlById, GetPageHtml, GetPageText, ElementExistsById, ElementExistsBySelector,
    SubmitFormById, SetCheckboxById, GetCheckboxById, GetElementAttributeById, SetElementAttributeById,
    RemoveElementAttributeById, GetElementTextById, SetElementTextById, SelectOptionById, GetSelectedOptionById,
    FocusElementById, ScrollToElementById, GetOuterHtmlByName, SetOuterHtmlByName, GetTextBySelector,
    Count
};

DomKind KindOf(DomCommand command);

// The command's script with each input escaped into its literal, in order;
// `flag` is what SetCheckboxById writes (true or false).
std::u16string DomScript(DomCommand command, std::initializer_list<std::u16string_view> inputs, bool flag = false);

// A test command's answer: the result text says true anywhere.
bool DomAnswerIsTrue(std::u16string_view resultJson);

}  // namespace Corvane
