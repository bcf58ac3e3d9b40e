// The text scanner: routines that work on JSON text directly, without a tree.
// They never produce messages: they answer false, an unchanged position, -1
// or an empty result. Whitespace is exactly space, tab, LF and CR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "json_document.h"

namespace Corvane {

inline bool IsJsonSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

inline const char16_t* SkipSpace(const char16_t* p, const char16_t* end) {
    while (p < end && IsJsonSpace(*p)) ++p;
    return p;
}
inline std::size_t SkipSpace(std::u16string_view text, std::size_t pos) {
    while (pos < text.size() && IsJsonSpace(text[pos])) ++pos;
    return pos;
}

// Escapes the content of a JSON string literal (no quotes added); `/` is kept.
std::u16string EscapeJsonString(std::u16string_view text);
void AppendEscaped(std::u16string& out, std::u16string_view text);

inline constexpr int kValidateMaxDepth = 512;
inline constexpr int kSkipMaxDepth = 512;
inline constexpr int kFindMaxDepth = 256;

// Strict RFC 8259 validation of a whole text (512 levels). Empty text is invalid.
bool IsValidJson(std::u16string_view text);

// Lenient: the position just past the value at `begin` (after whitespace).
// Never fails; returns `begin` unchanged when nesting would pass 512 levels.
const char16_t* SkipJsonValue(const char16_t* begin, const char16_t* end, int depth = 0);

// Like SkipJsonValue but strict about structure: -1 when the nesting counted in
// `depth` passes 256; the end of the text for anything malformed.
std::ptrdiff_t FindValueEnd(std::u16string_view text, std::size_t position, int& depth);

// Decodes the string literal whose opening quote is at `begin` (empty text if
// there is none), up to its closing quote or the end.
std::u16string DecodeJsonString(const char16_t* begin, const char16_t* end);

// The exact source text of the value at `begin` (leading whitespace skipped).
std::u16string_view ExtractRawValue(const char16_t* begin, const char16_t* end);

// The portable form of a VARIANT answer: the Windows layer maps each kind to
// VT_EMPTY, VT_NULL, VT_BOOL, VT_I4, VT_R8 or VT_BSTR (String and Raw alike).
struct JsonScalar {
    enum class Kind : std::uint8_t { Empty, Null, Bool, Int, Double, String, Raw };
    Kind kind = Kind::Empty;
    bool boolean = false;
    std::int32_t integer = 0;
    double number = 0;
    std::u16string text;   // String: decoded text; Raw: JSON text

    static JsonScalar Empty() { return {}; }
    static JsonScalar MakeNull() { JsonScalar s; s.kind = Kind::Null; return s; }
};

// Value at `begin` as the engine hands it to hosts: strings decoded, containers
// as their source text verbatim, numbers as Int when they fit 32 bits.
JsonScalar TextValueToScalar(const char16_t* begin, const char16_t* end);
// Node as hosts get it from a document: containers as compact JSON.
JsonScalar NodeToScalar(const JsonNode& node);

}  // namespace Corvane
