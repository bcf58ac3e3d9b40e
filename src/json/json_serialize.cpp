// Compact serialization and the one JSON string escaper of the program.
#include "json_document.h"
#include "json_number.h"
#include "json_text.h"

namespace Corvane {

namespace {

constexpr char16_t kHex[] = u"0123456789abcdef";

void AppendU4(std::u16string& out, char16_t c) {
    char16_t buf[6] = {u'\\', u'u', kHex[(c >> 12) & 15], kHex[(c >> 8) & 15], kHex[(c >> 4) & 15], kHex[c & 15]};
    out.append(buf, 6);
}

// Control characters, quote and backslash: the only units a string body changes.
inline bool NeedsSerializerEscape(char16_t c) { return c < 0x20 || c == u'"' || c == u'\\'; }

bool AppendSimpleEscape(std::u16string& out, char16_t c) {
    switch (c) {
        case u'\b': out.append(u"\\b"); return true;
        case u'\t': out.append(u"\\t"); return true;
        case u'\n': out.append(u"\\n"); return true;
        case u'\f': out.append(u"\\f"); return true;
        case u'\r': out.append(u"\\r"); return true;
        case u'"': out.append(u"\\\""); return true;
        case u'\\': out.append(u"\\\\"); return true;
        default: return false;
    }
}

// The serializer keeps surrogates as they are: its output is UTF-16 text.
void AppendSerializedString(std::u16string& out, std::u16string_view s) {
    out.push_back(u'"');
    std::size_t run = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (!NeedsSerializerEscape(c)) continue;
        out.append(s.data() + run, i - run);
        if (!AppendSimpleEscape(out, c)) AppendU4(out, c);
        run = i + 1;
    }
    out.append(s.data() + run, s.size() - run);
    out.push_back(u'"');
}

}  // namespace

void AppendEscaped(std::u16string& out, std::u16string_view s) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        bool surrogate = c >= 0xD800 && c <= 0xDFFF;
        if (!NeedsSerializerEscape(c) && !surrogate) continue;
        out.append(s.data() + run, i - run);
        if (surrogate) {
            // Surrogates are written as escapes so the text survives any 8-bit
            // transport; a valid pair stays a pair.
            AppendU4(out, c);
            if (c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
                AppendU4(out, s[++i]);
        } else if (!AppendSimpleEscape(out, c)) {
            AppendU4(out, c);
        }
        run = i + 1;
    }
    out.append(s.data() + run, s.size() - run);
}

std::u16string EscapeJsonString(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + 16 + text.size() / 4);
    AppendEscaped(out, text);
    return out;
}

void SerializeNode(const JsonNode& root, std::u16string& out) {
    // Iterative walk: a document is at most 256 levels deep, but nodes built
    // elsewhere need not be, and serializing must never exhaust the stack.
    struct Step { const JsonNode* node; std::uint32_t next; };
    std::vector<Step> stack;
    const JsonNode* node = &root;
    for (;;) {
        switch (node->type) {
            case JsonNodeType::Null: out.append(u"null"); break;
            case JsonNodeType::Bool: out.append(node->boolean ? u"true" : u"false"); break;
            case JsonNodeType::Int: AppendInt32(out, node->integer); break;
            case JsonNodeType::Double: AppendDouble17(out, node->number); break;
            case JsonNodeType::String: AppendSerializedString(out, node->String()); break;
            case JsonNodeType::Array:
            case JsonNodeType::Object:
                out.push_back(node->type == JsonNodeType::Array ? u'[' : u'{');
                stack.push_back({node, 0});
                break;
        }
        // Find the next node to write, closing finished containers.
        node = nullptr;
        while (!stack.empty()) {
            Step& top = stack.back();
            const JsonNode* c = top.node;
            if (top.next == c->count) {
                out.push_back(c->type == JsonNodeType::Array ? u']' : u'}');
                stack.pop_back();
                continue;
            }
            if (top.next) out.push_back(u',');
            if (c->type == JsonNodeType::Array) {
                node = &c->elements[top.next];
            } else {
                const JsonMember& m = c->members[top.next];
                out.push_back(u'"');
                AppendEscaped(out, m.Key());
                out.append(u"\":");
                node = &m.value;
            }
            ++top.next;
            break;
        }
        if (!node) return;
    }
}

}  // namespace Corvane
