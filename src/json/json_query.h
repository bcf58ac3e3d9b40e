// Read queries over JSON text (walking the text along the path, never building
// a tree) and over parsed documents. Nothing here throws for bad input: path
// syntax errors read as "not found" in the text forms, except in count.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "json_document.h"
#include "json_path.h"
#include "json_text.h"

namespace Corvane {

// ---- text forms (an empty json is treated like a null one) ----
JsonScalar TextGetValue(std::u16string_view json, std::u16string_view path);
std::u16string TextGetItem(std::u16string_view json, std::u16string_view path, std::int32_t index);
std::u16string TextGetKeys(std::u16string_view json, std::u16string_view path);
bool TextExists(std::u16string_view json, std::u16string_view path);
inline bool TextIsValid(std::u16string_view json) { return IsValidJson(json); }

struct JsonCountResult {
    std::int32_t count = -1;
    const char16_t* error = nullptr;   // one of the "JsonCount: …" messages, or null
};
JsonCountResult TextCount(std::u16string_view json, std::u16string_view path);

// The control's flavours: Null where GetValue answers Empty, and the array
// length (0 for empty json, missing path or empty array; -1 for a non-array).
JsonScalar CtrlGetValue(std::u16string_view json, std::u16string_view path);
std::int32_t CtrlGetArrayLength(std::u16string_view json, std::u16string_view path);

// ---- document forms (the path is tokenized by the caller, who reports syntax errors) ----
JsonScalar DocGetValue(const JsonDocument& doc, const PathSegment* segments, int count);
std::u16string DocGetItem(const JsonDocument& doc, const PathSegment* segments, int count, std::int32_t index);
std::u16string DocGetKeys(const JsonDocument& doc, const PathSegment* segments, int count);
std::int32_t DocCount(const JsonDocument& doc, const PathSegment* segments, int count);
bool DocExists(const JsonDocument& doc, const PathSegment* segments, int count);

}  // namespace Corvane
