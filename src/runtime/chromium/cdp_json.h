// Small helpers for DevTools messages: UTF-8 <-> UTF-16 at the socket, member
// access on parsed messages, and a writer for command parameters. Parsing and
// serialising are the JSON core's.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "json_document.h"

namespace Corvane::Chromium {

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);
inline std::u16string_view View(const wchar_t* text) {
    return text ? std::u16string_view(reinterpret_cast<const char16_t*>(text)) : std::u16string_view();
}
inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// Member access that tolerates a missing or differently typed member.
std::u16string_view Str(const JsonNode* object, std::u16string_view key);
double Num(const JsonNode* object, std::u16string_view key, double fallback = 0);
bool Bool(const JsonNode* object, std::u16string_view key, bool fallback = false);
const JsonNode* Obj(const JsonNode* object, std::u16string_view key);

// A copy of `text` in task memory for an LPWSTR out-parameter.
HRESULT CoString(std::u16string_view text, LPWSTR* out);

// {"a":1,"b":"x"} built member by member; values are escaped here.
class Params {
public:
    Params& Add(std::u16string_view key, std::u16string_view text);
    Params& Add(std::u16string_view key, const char16_t* text) { return Add(key, std::u16string_view(text)); }
    Params& Add(std::u16string_view key, bool value);
    Params& Add(std::u16string_view key, double value);
    Params& Add(std::u16string_view key, int value) { return Add(key, static_cast<double>(value)); }
    // A value that is already JSON text (an object, array or number).
    Params& Raw(std::u16string_view key, std::u16string_view json);
    std::u16string Text() const { return text_ + u"}"; }

private:
    void Key(std::u16string_view key);
    std::u16string text_ = u"{";
};

// A JSON string literal, quotes included.
std::u16string Quote(std::u16string_view text);

}  // namespace Corvane::Chromium
