#include "cdp_json.h"

#include <objbase.h>

#include <cmath>
#include <cstring>

#include "json_number.h"
#include "json_text.h"

namespace Corvane::Chromium {

std::string ToUtf8(std::u16string_view text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    int n = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::u16string FromUtf8(std::string_view text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<wchar_t*>(out.data()),
                        n);
    return out;
}

std::u16string_view Str(const JsonNode* object, std::u16string_view key) {
    const JsonNode* node = object && object->type == JsonNodeType::Object ? object->Find(key) : nullptr;
    return node && node->type == JsonNodeType::String ? node->String() : std::u16string_view();
}

double Num(const JsonNode* object, std::u16string_view key, double fallback) {
    const JsonNode* node = object && object->type == JsonNodeType::Object ? object->Find(key) : nullptr;
    if (!node) return fallback;
    if (node->type == JsonNodeType::Int) return node->integer;
    if (node->type == JsonNodeType::Double) return node->number;
    return fallback;
}

bool Bool(const JsonNode* object, std::u16string_view key, bool fallback) {
    const JsonNode* node = object && object->type == JsonNodeType::Object ? object->Find(key) : nullptr;
    return node && node->type == JsonNodeType::Bool ? node->boolean : fallback;
}

const JsonNode* Obj(const JsonNode* object, std::u16string_view key) {
    const JsonNode* node = object && object->type == JsonNodeType::Object ? object->Find(key) : nullptr;
    return node && node->type == JsonNodeType::Object ? node : nullptr;
}

HRESULT CoString(std::u16string_view text, LPWSTR* out) {
    if (!out) return E_POINTER;
    *out = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    if (!*out) return E_OUTOFMEMORY;
    if (!text.empty()) std::memcpy(*out, text.data(), text.size() * sizeof(wchar_t));
    (*out)[text.size()] = L'\0';
    return S_OK;
}

std::u16string Quote(std::u16string_view text) {
    std::u16string out = u"\"";
    AppendEscaped(out, text);
    out += u'"';
    return out;
}

void Params::Key(std::u16string_view key) {
    if (text_.size() > 1) text_ += u',';
    text_ += Quote(key);
    text_ += u':';
}

Params& Params::Add(std::u16string_view key, std::u16string_view text) {
    Key(key);
    text_ += Quote(text);
    return *this;
}

Params& Params::Add(std::u16string_view key, bool value) {
    Key(key);
    text_ += value ? u"true" : u"false";
    return *this;
}

Params& Params::Add(std::u16string_view key, double value) {
    Key(key);
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
        std::string digits = std::to_string(static_cast<long long>(value));
        text_.append(digits.begin(), digits.end());
    } else {
        AppendDouble17(text_, value);
    }
    return *this;
}

Params& Params::Raw(std::u16string_view key, std::u16string_view json) {
    Key(key);
    text_ += json;
    return *this;
}

}  // namespace Corvane::Chromium
