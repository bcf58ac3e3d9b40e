#include "script_rules.h"

namespace Corvane {

namespace {

void AppendUnitEscape(std::u16string& out, char16_t unit) {
    static const char16_t kHex[] = u"0123456789abcdef";
    out += u"\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Placeholders of the templates: \1 \2 \3 the escaped inputs, \4 the flag.
#define BY_ID u"(function(){var e=document.getElementById('\1');"
#define BY_NAME u"(function(){var e=document.getElementsByName('\1')[0];"
#define BY_SELECTOR u"(function(){var e=document.querySelector('\1');"
#define DO(body) u"if(e){" body u"return 'ok';}return 'not found';})()"

struct Template {
    DomKind kind;
    const char16_t* text;
};

// In the order of DomCommand.
const Template kTemplates[] = {
    {DomKind::Reader, BY_ID u"return e?e.value||e.textContent||'':'';})()"},
    {DomKind::Action, BY_ID DO(u"e.value='\2';")},
    {DomKind::Reader, BY_NAME u"return e?e.value||e.textContent||'':'';})()"},
    {DomKind::Action, BY_NAME DO(u"e.value='\2';")},
    {DomKind::Action, BY_ID DO(u"e.click();")},
    {DomKind::Action, BY_NAME DO(u"e.click();")},
    {DomKind::Action, BY_SELECTOR DO(u"e.click();")},
    {DomKind::Reader, BY_ID u"return e?e.innerHTML:'';})()"},
    {DomKind::Action, BY_ID DO(u"e.innerHTML='\2';")},
    {DomKind::Reader, BY_ID u"return e?e.outerHTML:'';})()"},
    {DomKind::Action, BY_ID DO(u"e.outerHTML='\2';")},
    {DomKind::Reader, u"document.documentElement.outerHTML"},
    {DomKind::Reader, u"document.body.innerText"},
    {DomKind::Test, u"document.getElementById('\1')!==null"},
    {DomKind::Test, u"document.querySelector('\1')!==null"},
    {DomKind::Action, BY_ID u"if(e&&e.submit){e.submit();return 'ok';}return 'not found';})()"},
    {DomKind::Action, BY_ID DO(u"e.checked=\4;")},
    {DomKind::Test, BY_ID u"return e?e.checked:false;})()"},
    {DomKind::Reader, BY_ID u"return e?e.getAttribute('\2')||'':'';})()"},
    {DomKind::Action, BY_ID DO(u"e.setAttribute('\2','\3');")},
    {DomKind::Action, BY_ID DO(u"e.removeAttribute('\2');")},
    {DomKind::Reader, BY_ID u"return e?e.textContent||e.innerText||'':'';})()"},
    {DomKind::Action, BY_ID DO(u"e.textContent='\2';")},
    {DomKind::Action, BY_ID DO(u"e.value='\2';e.dispatchEvent(new Event('change'));")},
    {DomKind::Reader, BY_ID u"return e?e.value:'';})()"},
    {DomKind::Action, BY_ID DO(u"e.focus();")},
    {DomKind::Action, BY_ID DO(u"e.scrollIntoView({behavior:'smooth',block:'center'});")},
    {DomKind::Reader, BY_NAME u"return e?e.outerHTML:'';})()"},
    {DomKind::Action, BY_NAME DO(u"e.outerHTML='\2';")},
    {DomKind::Reader, BY_SELECTOR u"return e?e.textContent||e.innerText||'':'';})()"},
};
static_assert(std::size(kTemplates) == static_cast<std::size_t>(DomCommand::Count));

#undef BY_ID
#undef BY_NAME
#undef BY_SELECTOR
#undef DO

}  // namespace

// Besides the six escapes every literal needs, NUL and unpaired surrogates
// become \u escapes: a NUL would end the script text where the browser reads
// it, and a lone surrogate does not survive the trip to UTF-8.
std::u16string EscapeScriptLiteral(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        switch (c) {
        case u'\t': out += u"\\t"; continue;
        case u'\n': out += u"\\n"; continue;
        case u'\r': out += u"\\r"; continue;
        case u'"': out += u"\\\""; continue;
        case u'\'': out += u"\\'"; continue;
        case u'\\': out += u"\\\\"; continue;
        case u'\0': AppendUnitEscape(out, c); continue;
        default: break;
        }
        if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
            out += c;
            out += text[++i];
        } else if (IsHigh(c) || IsLow(c)) {
            AppendUnitEscape(out, c);
        } else {
            out += c;
        }
    }
    return out;
}

bool IsScriptFunctionName(std::u16string_view name) {
    if (name.empty()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        const bool digit = c >= u'0' && c <= u'9';
        if (!(letter || c == u'_' || c == u'$' || c == u'.' || (digit && i > 0))) return false;
    }
    return true;
}

// The event name goes through the full escaper: a line break in it would
// otherwise end the literal, and the page would never see the event.
std::u16string FireEventScript(std::u16string_view eventName, std::u16string_view jsonData) {
    return u"document.dispatchEvent(new CustomEvent('" + EscapeScriptLiteral(eventName) + u"',{detail:" +
           std::u16string(jsonData) + u",bubbles:true}));";
}

std::u16string CallFunctionScript(std::u16string_view functionPath, std::u16string_view jsonArgs) {
    std::u16string args(jsonArgs);
    if (!args.empty() && args.front() != u'[') args = u"[" + args + u"]";
    return u"(function(){var fn=" + std::u16string(functionPath) +
           u";if(typeof fn==='function')fn.apply(null," + args + u");})();";
}

std::u16string SetVariableScript(std::u16string_view path, std::u16string_view jsonValue) {
    return std::u16string(path) + u" = " + std::u16string(jsonValue) + u";";
}

std::u16string ApplyFunctionScript(std::u16string_view functionName, std::u16string_view json, bool spreadArray) {
    std::u16string name(functionName);
    return spreadArray ? name + u".apply(null, " + std::u16string(json) + u")" : name + u"(" + std::u16string(json) + u")";
}

DomKind KindOf(DomCommand command) { return kTemplates[static_cast<std::size_t>(command)].kind; }

std::u16string DomScript(DomCommand command, std::initializer_list<std::u16string_view> inputs, bool flag) {
    std::u16string out;
    for (const char16_t* p = kTemplates[static_cast<std::size_t>(command)].text; *p; ++p) {
        const std::size_t slot = static_cast<std::size_t>(*p);
        if (slot >= 1 && slot <= 3) {
            if (slot <= inputs.size()) out += EscapeScriptLiteral(inputs.begin()[slot - 1]);
        } else if (slot == 4) {
            out += flag ? u"true" : u"false";
        } else {
            out += *p;
        }
    }
    return out;
}

bool DomAnswerIsTrue(std::u16string_view resultJson) { return resultJson.find(u"true") != std::u16string_view::npos; }

}  // namespace Corvane
