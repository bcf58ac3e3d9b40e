// The text scanner: routines that work on JSON text directly, without a tree.
// They never produce messages: they answer false, an unchanged position, -1
// or an empty result. Whitespace is exactly space, tab, LF and CR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "json_document.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Corvane {

inline bool IsJsonSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }


// Past the whitespace at p. Pretty-printed documents indent with long runs of
// spaces, so runs are skipped eight code units at a time.
inline const char16_t* SkipSpace(const char16_t* p, const char16_t* end) {
    if (p >= end || !IsJsonSpace(*p)) return p;
    // One separating space (": ", ", ") is the commonest run of all.
    if (++p >= end || !IsJsonSpace(*p)) return p;
#if defined(__SSE2__)
    const __m128i space = _mm_set1_epi16(u' '), tab = _mm_set1_epi16(u'\t');
    const __m128i lf = _mm_set1_epi16(u'\n'), cr = _mm_set1_epi16(u'\r');
    while (end - p >= 8) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i ws = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, space), _mm_cmpeq_epi16(v, tab)),
                                  _mm_or_si128(_mm_cmpeq_epi16(v, lf), _mm_cmpeq_epi16(v, cr)));
        unsigned other = static_cast<unsigned>(_mm_movemask_epi8(ws)) ^ 0xFFFFu;
        if (other) return p + (__builtin_ctz(other) >> 1);
        p += 8;
    }
#endif
    while (p < end && IsJsonSpace(*p)) ++p;
    return p;
}
inline std::size_t SkipSpace(std::u16string_view text, std::size_t pos) {
    if (pos >= text.size()) return pos;
    return static_cast<std::size_t>(SkipSpace(text.data() + pos, text.data() + text.size()) - text.data());
}

// The first quotation mark or backslash in [p, end), or end. Strings are most
// of most documents, so this runs eight code units at a time where it can.
inline const char16_t* FindQuoteOrBackslash(const char16_t* p, const char16_t* end) {
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi16(u'"');
    const __m128i backslash = _mm_set1_epi16(u'\\');
    while (end - p >= 8) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, quote), _mm_cmpeq_epi16(v, backslash)));
        if (mask) return p + (__builtin_ctz(static_cast<unsigned>(mask)) >> 1);
        p += 8;
    }
#endif
    while (p < end && *p != u'"' && *p != u'\\') ++p;
    return p;
}

// Past the closing quote of the string literal whose quote is at `open`, a
// backslash hiding the unit after it; null when the string never closes.
inline const char16_t* FindStringEnd(const char16_t* open, const char16_t* end) {
    const char16_t* p = open + 1;
    for (;;) {
        p = FindQuoteOrBackslash(p, end);
        if (p >= end) return nullptr;
        if (*p == u'"') return p + 1;
        if (end - p < 2) return nullptr;   // a final backslash: never closed
        p += 2;
    }
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
