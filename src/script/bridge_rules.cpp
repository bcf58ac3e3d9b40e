#include "bridge_rules.h"

#include <algorithm>

#include "json_query.h"

namespace Corvane {

namespace {

bool IsIdentifierStart(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c == u'$'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsIdentifierPart(char16_t c) { return IsIdentifierStart(c) || IsDigit(c); }

bool IsIdentifier(std::u16string_view text) {
    return !text.empty() && IsIdentifierStart(text[0]) && std::all_of(text.begin(), text.end(), IsIdentifierPart);
}

std::size_t SkipIdentifier(std::u16string_view text, std::size_t at) {
    while (at < text.size() && IsIdentifierPart(text[at])) ++at;
    return at;
}

std::u16string Decimal(std::int64_t value) {
    std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

constexpr char16_t kExceptionTail[] =
    u"}catch(e){return {__cvn_err__:'JS_EXCEPTION',__cvn_msg__:(e&&(e.message||e.toString()))||'unknown'};}})();";

struct NamedCode {
    const char16_t* envelopeName;   // as the page's envelope names it, or null
    std::int32_t code;
    const char16_t* name;
};
const NamedCode kCodes[] = {
    {nullptr, BridgeCode::AliasNotFound, u"CVN_E_BRIDGE_ALIAS_NOT_FOUND"},
    {u"OBJECT_NOT_RESOLVED", BridgeCode::ObjectNotResolved, u"CVN_E_BRIDGE_OBJECT_NOT_RESOLVED"},
    {u"METHOD_NOT_FOUND", BridgeCode::MethodNotFound, u"CVN_E_BRIDGE_METHOD_NOT_FOUND"},
    {u"PROPERTY_NOT_FOUND", BridgeCode::PropertyNotFound, u"CVN_E_BRIDGE_PROPERTY_NOT_FOUND"},
    {nullptr, BridgeCode::JsException, u"CVN_E_BRIDGE_JS_EXCEPTION"},
    {u"PROMISE_RETURNED", BridgeCode::PromiseReturned, u"CVN_E_BRIDGE_PROMISE_RETURNED"},
    {nullptr, BridgeCode::Timeout, u"CVN_E_BRIDGE_TIMEOUT"},
    {nullptr, BridgeCode::NotReady, u"CVN_E_BRIDGE_NOT_READY"},
    {nullptr, BridgeCode::InvalidArg, u"CVN_E_BRIDGE_INVALID_ARG"},
    {nullptr, BridgeCode::InvalidExpression, u"CVN_E_BRIDGE_INVALID_EXPRESSION"},
    {nullptr, BridgeCode::ReentryBlocked, u"CVN_E_BRIDGE_REENTRY_BLOCKED"},
    {nullptr, BridgeCode::AliasAlreadyBound, u"CVN_E_BRIDGE_ALIAS_ALREADY_BOUND"},
    {u"PROPERTY_IS_FUNCTION", BridgeCode::PropertyIsFunction, u"CVN_E_BRIDGE_PROPERTY_IS_FUNCTION"},
};

}  // namespace

const char16_t* BridgeCodeName(std::int32_t code) {
    if (code == 0) return u"S_OK";
    for (const NamedCode& row : kCodes)
        if (row.code == code) return row.name;
    return u"<unknown>";
}

bool IsBridgeAlias(std::u16string_view alias) { return IsIdentifier(alias) && alias.substr(0, 6) != u"__cvn_"; }

bool IsBridgeMemberName(std::u16string_view name) { return name.size() <= 256 && IsIdentifier(name); }

const char16_t* CheckBridgePath(const std::u16string_view* path) {
    if (!path) return u"expression is null";
    const std::u16string_view text = *path;
    if (text.empty()) return u"expression is empty";
    if (!IsIdentifierStart(text[0])) return u"must start with an identifier";
    std::size_t at = SkipIdentifier(text, 1);
    while (at < text.size()) {
        if (text[at] == u'.') {
            if (++at == text.size() || !IsIdentifierStart(text[at])) return u"'.' must be followed by an identifier";
            at = SkipIdentifier(text, at);
        } else if (text[at] == u'[') {
            if (++at == text.size()) return u"unterminated '['";
            if (text[at] == u'"') {
                const std::size_t close = text.find_first_of(u"\"\\", at + 1);
                if (close == std::u16string_view::npos || text[close] == u'\\')
                    return u"unterminated or escaped string subscript";
                at = close + 1;
            } else if (IsDigit(text[at])) {
                while (at < text.size() && IsDigit(text[at])) ++at;
            } else {
                return u"subscript must be a quoted string or integer";
            }
            if (at == text.size() || text[at] != u']') return u"missing ']'";
            ++at;
        } else {
            return u"unexpected character in path (only '.', '[\"key\"]', '[index]' allowed)";
        }
    }
    return nullptr;
}

std::u16string BridgeBootstrapScript() {
    return u"(function(){ if (window.__cvn_objects) return; window.__cvn_objects = Object.create(null); })();";
}

std::u16string BridgeBindScript(std::int64_t handle, std::u16string_view expression, bool validate) {
    const std::u16string key = Decimal(handle);
    std::u16string script = u"(function(){try{var o=window.__cvn_objects||(window.__cvn_objects=Object.create(null));o[";
    script += key;
    script += u"]=(";
    script += expression;
    script += u");";
    if (!validate) return script + u"}catch(e){}})();";
    script += u"var v=o[" + key + u"];";
    script += u"return (typeof v==='undefined'||v===null)?{__cvn_err__:'OBJECT_NOT_RESOLVED'}:{__cvn_ok__:true};";
    return script + kExceptionTail;
}

std::u16string BridgeDeleteScript(std::int64_t handle) {
    return u"try{delete window.__cvn_objects[" + Decimal(handle) + u"];}catch(e){}";
}

std::u16string BridgeOperationScript(BridgeOp op, std::int64_t handle, std::u16string_view member,
                                     const std::vector<std::u16string>& values, bool follow,
                                     std::u16string_view expression) {
    const std::u16string key = Decimal(handle);
    const std::u16string name = u"\"" + EscapeJsonString(member) + u"\"";
    std::u16string script;
    if (follow) {
        script += u"(function(){try{window.__cvn_objects[" + key + u"]=(";
        script += expression;
        script += u");}catch(e){}})();";
    }
    script += u"(function(){try{var target=window.__cvn_objects[" + key + u"];";
    script += u"if(typeof target==='undefined'||target===null)return {__cvn_err__:'OBJECT_NOT_RESOLVED'};";
    switch (op) {
    case BridgeOp::Call:
        script += u"var m=target[" + name + u"];if(typeof m!=='function')return {__cvn_err__:'METHOD_NOT_FOUND'};";
        script += u"var r=m.call(target";
        for (const std::u16string& value : values) script += value.empty() ? u",null" : u"," + value;
        script += u");if(r&&typeof r.then==='function')return {__cvn_err__:'PROMISE_RETURNED'};return {__cvn_ok__:r};";
        break;
    case BridgeOp::Get:
        script += u"if(!(" + name + u" in target))return {__cvn_err__:'PROPERTY_NOT_FOUND'};";
        script += u"var v=target[" + name + u"];if(typeof v==='function')return {__cvn_err__:'PROPERTY_IS_FUNCTION'};";
        script += u"return {__cvn_ok__:v};";
        break;
    case BridgeOp::Set:
        script += u"target[" + name + u"]=";
        script += values.empty() || values[0].empty() ? u"null" : values[0];
        script += u";return {__cvn_ok__:null};";
        break;
    }
    return script + kExceptionTail;
}

BridgeOutcome ReadBridgeEnvelope(std::u16string_view json) {
    BridgeOutcome outcome;
    const JsonScalar error = CtrlGetValue(json, u"__cvn_err__");
    if (error.kind == JsonScalar::Kind::String && !error.text.empty()) {
        outcome.code = BridgeCode::JsException;
        for (const NamedCode& row : kCodes)
            if (row.envelopeName && error.text == row.envelopeName) outcome.code = row.code;
        const JsonScalar message = CtrlGetValue(json, u"__cvn_msg__");
        outcome.message = message.kind == JsonScalar::Kind::String ? message.text : error.text;
        return outcome;
    }
    outcome.value = CtrlGetValue(json, u"__cvn_ok__");
    if (outcome.value.kind == JsonScalar::Kind::Empty) outcome.value = JsonScalar::MakeNull();
    return outcome;
}

std::size_t AliasHash::operator()(const std::u16string& alias) const noexcept {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (char16_t unit : alias) {
        hash = (hash ^ (unit & 0xFFu)) * 0x100000001B3ull;
        hash = (hash ^ (unit >> 8)) * 0x100000001B3ull;
    }
    return static_cast<std::size_t>(hash);
}

const BridgeBinding* ScriptBridge::Find(std::u16string_view alias) const {
    auto it = bindings_.find(std::u16string(alias));
    return it == bindings_.end() ? nullptr : &it->second;
}

const BridgeBinding& ScriptBridge::Bind(std::u16string_view alias, std::u16string_view expression,
                                        std::uint32_t flags, std::int64_t& replaced) {
    const std::int64_t handle = nextHandle_++;
    BridgeBinding& slot = bindings_[std::u16string(alias)];
    replaced = slot.handle;
    slot = {std::u16string(alias), handle, std::u16string(expression), flags};
    return slot;
}

std::int64_t ScriptBridge::Unbind(std::u16string_view alias) {
    std::int64_t handle = 0;
    auto it = bindings_.find(std::u16string(alias));
    if (it != bindings_.end()) {
        handle = it->second.handle;
        bindings_.erase(it);
    }
    std::erase_if(pending_, [&](const BridgeBinding& entry) { return entry.alias == alias; });
    return handle;
}

void ScriptBridge::Defer(const BridgeBinding& binding) {
    std::erase_if(pending_, [&](const BridgeBinding& entry) { return entry.alias == binding.alias; });
    pending_.push_back(binding);
}

std::vector<BridgeBinding> ScriptBridge::TakePending() {
    std::vector<BridgeBinding> current;
    for (BridgeBinding& entry : pending_) {
        const BridgeBinding* bound = Find(entry.alias);
        if (bound && bound->handle == entry.handle) current.push_back(std::move(entry));
    }
    pending_.clear();
    return current;
}

std::vector<BridgeBinding> ScriptBridge::Renavigate() {
    std::erase_if(bindings_, [](const auto& entry) { return (entry.second.flags & kBindTransient) != 0; });
    std::vector<BridgeBinding> kept;
    kept.reserve(bindings_.size());
    for (const auto& entry : bindings_) kept.push_back(entry.second);
    return kept;
}

void ScriptBridge::SetError(std::int32_t code, std::u16string_view message) {
    errorCode_ = code;
    if (message.size() > kBridgeMaxMessage - 3) errorText_ = std::u16string(message.substr(0, kBridgeMaxMessage - 3)) + u"...";
    else errorText_ = message;
}

}  // namespace Corvane
