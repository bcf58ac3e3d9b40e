#include "remote_object_json.h"


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
