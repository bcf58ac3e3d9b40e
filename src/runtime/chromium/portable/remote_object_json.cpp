#include "remote_object_json.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace Corvane::Chromium {

namespace {

std::u16string_view Member(const JsonNode& object, std::u16string_view key) {
    const JsonNode* node = object.Find(key);
    return node && node->type == JsonNodeType::String ? node->String() : std::u16string_view();
}

void AppendHex(std::u16string& out, char16_t c) {
    static constexpr char16_t digits[] = u"0123456789abcdef";
    out += u"\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += digits[(c >> shift) & 0xF];
}

// A finite double as JavaScript's Number::toString writes it: the shortest
// digits that read back, in plain notation from 1e-7 up to 1e21, else with an
// exponent ("1e+21", "1.5e-7").
void AppendJsNumber(std::u16string& out, double value) {
    if (value == 0) return (void)(out += u'0');
    char buf[40];
    const char* end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific).ptr;
    const char* p = buf;
    if (*p == '-') {
        out += u'-';
        ++p;
    }
    std::string digits;
    for (; *p != 'e'; ++p)
        if (*p != '.') digits += *p;
    const int k = static_cast<int>(digits.size());
    const int n = std::atoi(std::string(p + 1, end).c_str()) + 1;   // value = 0.digits * 10^n
    if (k <= n && n <= 21) {
        out.append(digits.begin(), digits.end());
        out.append(static_cast<std::size_t>(n - k), u'0');
    } else if (0 < n && n <= 21) {
        out.append(digits.begin(), digits.begin() + n);
        out += u'.';
        out.append(digits.begin() + n, digits.end());
    } else if (-6 < n && n <= 0) {
        out += u"0.";
        out.append(static_cast<std::size_t>(-n), u'0');
        out.append(digits.begin(), digits.end());
    } else {
        out += digits[0];
        if (k > 1) {
            out += u'.';
            out.append(digits.begin() + 1, digits.end());
        }
        out += n - 1 >= 0 ? u"e+" : u"e-";
        const std::string exponent = std::to_string(std::abs(n - 1));
        out.append(exponent.begin(), exponent.end());
    }
}

// A primitive of a deep-serialized value as JSON.stringify writes it inside an
// object; false when it is not a primitive (or has no JSON text of its own).
bool AppendDeepPrimitive(std::u16string& out, const JsonNode& value) {
    const std::u16string_view type = Member(value, u"type");
    const JsonNode* v = value.Find(u"value");
    if (type == u"null") {
        out += u"null";
    } else if (type == u"boolean" && v && v->type == JsonNodeType::Bool) {
        out += v->boolean ? u"true" : u"false";
    } else if (type == u"string" && v && v->type == JsonNodeType::String) {
        out += StringifyString(v->String());
    } else if (type == u"number" && v && v->type == JsonNodeType::Int) {
        const std::string text = std::to_string(v->integer);
        out.append(text.begin(), text.end());
    } else if (type == u"number" && v && v->type == JsonNodeType::Double && std::isfinite(v->number)) {
        AppendJsNumber(out, v->number);
    } else if (type == u"number" && v && v->type == JsonNodeType::String) {
        out += v->String() == u"-0" ? u"0" : u"null";   // NaN and the infinities
    } else {
        return false;
    }
    return true;
}

// An object literal whose members are all primitives, from the shallow "deep"
// serialization Runtime.evaluate sends with it: the same text JSON.stringify
// writes (own enumerable string keys in order, undefined members left out).
// Anything else answers false and is stringified in the page: nested values,
// functions, symbols, dates, proxies, and objects of other classes.
bool ShallowObjectJson(const JsonNode& remote, std::u16string& json) {
    const JsonNode* deep = remote.Find(u"deepSerializedValue");
    const JsonNode* entries = deep && deep->type == JsonNodeType::Object ? deep->Find(u"value") : nullptr;
    if (!entries || entries->type != JsonNodeType::Array || Member(*deep, u"type") != u"object" ||
        Member(remote, u"className") != u"Object" || remote.Find(u"subtype"))
        return false;
    json = u"{";
    for (std::uint32_t i = 0; i < entries->count; ++i) {
        const JsonNode* key = entries->At(i)->At(0);
        const JsonNode* value = entries->At(i)->At(1);
        if (!key || key->type != JsonNodeType::String || !value || value->type != JsonNodeType::Object) return false;
        if (Member(*value, u"type") == u"undefined") continue;
        if (json.size() > 1) json += u',';
        json += StringifyString(key->String());
        json += u':';
        if (!AppendDeepPrimitive(json, *value)) return false;
    }
    json += u'}';
    return true;
}

}  // namespace

std::u16string StringifyString(std::u16string_view text) {
    std::u16string out = u"\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        switch (c) {
        case u'"': out += u"\\\""; continue;
        case u'\\': out += u"\\\\"; continue;
        case u'\b': out += u"\\b"; continue;
        case u'\f': out += u"\\f"; continue;
        case u'\n': out += u"\\n"; continue;
        case u'\r': out += u"\\r"; continue;
        case u'\t': out += u"\\t"; continue;
        default: break;
        }
        if (c < 0x20) {
            AppendHex(out, c);
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out += c;
            out += text[++i];
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            AppendHex(out, c);   // a lone half of a pair
        } else {
            out += c;
        }
    }
    out += u'"';
    return out;
}

RemoteEncoding RemoteObjectJson(const JsonNode& remote, std::u16string& json) {
    json.clear();
    if (remote.type != JsonNodeType::Object) {
        json = u"null";
        return RemoteEncoding::Encoded;
    }
    const std::u16string_view type = Member(remote, u"type");
    const JsonNode* value = remote.Find(u"value");
    if (type == u"string") {
        json = StringifyString(value && value->type == JsonNodeType::String ? value->String() : std::u16string_view());
    } else if (type == u"number") {
        // The description is the number's JavaScript text, which is what
        // JSON.stringify writes for a finite number; NaN and the infinities
        // arrive as unserializableValue and stringify to null, -0 to 0.
        const std::u16string_view special = Member(remote, u"unserializableValue");
        if (special == u"-0") json = u"0";
        else if (!special.empty()) json = u"null";
        else if (!Member(remote, u"description").empty()) json = Member(remote, u"description");
        else if (value) SerializeNode(*value, json);
        else json = u"null";
    } else if (type == u"boolean") {
        json = value && value->type == JsonNodeType::Bool && value->boolean ? u"true" : u"false";
    } else if (type == u"object" && (Member(remote, u"subtype") == u"null" || !remote.Find(u"objectId"))) {
        json = u"null";
    } else if (type == u"object") {
        if (ShallowObjectJson(remote, json)) return RemoteEncoding::Encoded;
        json.clear();
        return RemoteEncoding::NeedsStringify;
    } else {
        // undefined, function, symbol, and bigint (which stringify refuses).
        json = u"null";
    }
    return RemoteEncoding::Encoded;
}

std::u16string StringifiedJson(const JsonNode& remote) {
    const JsonNode* value = remote.type == JsonNodeType::Object ? remote.Find(u"value") : nullptr;
    if (!value || value->type != JsonNodeType::String) return u"null";
    return std::u16string(value->String());
}

}  // namespace Corvane::Chromium
