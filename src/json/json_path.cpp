#include "json_path.h"

#include "json_text.h"

#include <algorithm>

namespace Corvane {

namespace {

constexpr std::size_t kNoPos = static_cast<std::size_t>(-1);

inline bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

inline int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// `[digits]` at text[i]; leaves i past the `]`. Every prefix value is checked
// so a long run of digits can never overflow.
bool ReadIndexStep(const char16_t* text, std::size_t length, std::size_t& i, std::int32_t& index) {
    ++i;
    const std::size_t first = i;
    std::int32_t value = 0;
    while (i < length && IsDigit(text[i])) {
        value = value * 10 + (text[i] - u'0');
        if (value > kMaxPathIndex) return false;
        ++i;
    }
    if (i == first || i >= length || text[i] != u']') return false;
    ++i;
    index = value;
    return true;
}

// Past the closing quote of the string literal opening at `pos`, or kNoPos.
inline std::size_t StringEnd(std::u16string_view json, std::size_t pos) {
    const char16_t* close = FindStringEnd(json.data() + pos, json.data() + json.size());
    return close ? static_cast<std::size_t>(close - json.data()) : kNoPos;
}

// Compares the key literal opening at `pos` with `key`, decoding escapes on
// the fly as DecodeJsonString would, so nothing is allocated. Returns the
// position past the closing quote (kNoPos if unterminated).
std::size_t MatchKey(std::u16string_view json, std::size_t pos, std::u16string_view key, bool& equal) {
    const char16_t* data = json.data();
    const char16_t* end = data + json.size();
    const std::size_t n = json.size();
    std::size_t i = pos + 1;
    std::size_t k = 0;
    equal = false;
    for (;;) {
        // Plain runs are compared whole; only escapes go unit by unit.
        const char16_t* run = data + i;
        const std::size_t length = static_cast<std::size_t>(FindQuoteOrBackslash(run, end) - run);
        if (length > key.size() - k ||
            !std::equal(run, run + length, key.data() + k))
            break;
        k += length;
        i += length;
        if (i >= n) return kNoPos;
        if (data[i] == u'"') {
            equal = k == key.size();
            return i + 1;
        }
        if (i + 1 >= n) return kNoPos;   // a trailing backslash: the key never closes
        char16_t unit;
        const char16_t e = data[i + 1];
        i += 2;
        switch (e) {
            case u'b': unit = 0x08; break;
            case u'f': unit = 0x0C; break;
            case u'n': unit = 0x0A; break;
            case u'r': unit = 0x0D; break;
            case u't': unit = 0x09; break;
            case u'u':
                if (n - i < 4) {
                    unit = u'u';
                } else {
                    int v = 0;
                    for (std::size_t h = 0; h < 4 && v >= 0; ++h) {
                        const int d = HexValue(data[i + h]);
                        v = d < 0 ? -1 : v * 16 + d;
                    }
                    if (v < 0) {
                        unit = 0xFFFD;   // the four units are read again as plain text
                    } else {
                        unit = static_cast<char16_t>(v);
                        i += 4;
                    }
                }
                break;
            default: unit = e; break;
        }
        if (k >= key.size() || key[k] != unit) break;
        ++k;
    }
    // Mismatch: only the end of the literal matters now. FindStringEnd skips
    // the unit it is given as the quote, so it scans from i; that agrees with
    // scanning from the opening quote, as hex digits are never `\` or `"`.
    const char16_t* close = i <= n ? FindStringEnd(data + i - 1, end) : nullptr;
    return close ? static_cast<std::size_t>(close - data) : kNoPos;
}

// After a member key: whitespace, an optional `:`, whitespace.
inline std::size_t MemberValueStart(std::u16string_view json, std::size_t pos) {
    pos = SkipSpace(json, pos);
    if (pos < json.size() && json[pos] == u':') ++pos;
    return SkipSpace(json, pos);
}

// Past the value at `pos`, then whitespace; kNoPos when FindValueEnd gives up.
inline std::size_t SkipValueAndSpace(std::u16string_view json, std::size_t pos) {
    int depth = 0;
    const std::ptrdiff_t end = FindValueEnd(json, pos, depth);
    if (end < 0) return kNoPos;
    return SkipSpace(json, static_cast<std::size_t>(end));
}

// Walks the array whose `[` is at `pos` to its `]`. Returns the element count
// (kNotFound if malformed); `hit` gets the start of element `index`.
std::ptrdiff_t WalkArray(std::u16string_view json, std::size_t pos, std::int64_t index, std::ptrdiff_t& hit) {
    const std::size_t n = json.size();
    hit = kNotFound;
    pos = SkipSpace(json, pos + 1);
    if (pos < n && json[pos] == u']') return 0;
    for (std::int64_t i = 0;; ++i) {
        if (i == index) hit = static_cast<std::ptrdiff_t>(pos);
        pos = SkipValueAndSpace(json, pos);
        if (pos >= n) return kNotFound;   // includes kNoPos
        if (json[pos] == u']') return static_cast<std::ptrdiff_t>(i + 1);
        if (json[pos] != u',') return kNotFound;
        pos = SkipSpace(json, pos + 1);
    }
}

std::ptrdiff_t WalkObject(std::u16string_view json, std::size_t pos, std::u16string* rawKeys) {
    const std::size_t n = json.size();
    pos = SkipSpace(json, pos + 1);
    if (pos < n && json[pos] == u'}') return 0;
    for (std::ptrdiff_t count = 0;;) {
        if (pos >= n || json[pos] != u'"') return kNotFound;
        const std::size_t keyEnd = StringEnd(json, pos);
        if (keyEnd == kNoPos) return kNotFound;
        if (rawKeys) {
            if (count) rawKeys->push_back(u',');
            rawKeys->append(json.substr(pos, keyEnd - pos));
        }
        ++count;
        pos = SkipValueAndSpace(json, MemberValueStart(json, keyEnd));
        if (pos >= n) return kNotFound;
        if (json[pos] == u'}') return count;
        if (json[pos] != u',') return kNotFound;
        pos = SkipSpace(json, pos + 1);
    }
}

}  // namespace

int TokenizePath(const char16_t* text, std::size_t length, PathSegment* segments) {
    if (length == 0) return 0;
    if (!text) return -1;
    int count = 0;
    std::size_t i = 0;
    while (i < length) {
        // One dot is optional between steps; a dot may not end the path.
        if (text[i] == u'.' && ++i >= length) return -1;
        PathSegment segment;
        if (text[i] == u'[') {
            if (!ReadIndexStep(text, length, i, segment.index)) return -1;
        } else {
            const std::size_t start = i;
            while (i < length && text[i] != u'.' && text[i] != u'[' && text[i] != u']') ++i;
            if (i == start) return -1;   // empty key: `..`, `]`
            segment.key = text + start;
            segment.keyLength = static_cast<std::uint32_t>(i - start);
            if (i < length && text[i] == u'[' && !ReadIndexStep(text, length, i, segment.index)) return -1;
        }
        if (count == kMaxPathSegments) return -1;
        segments[count++] = segment;
    }
    return count;
}

std::ptrdiff_t FindMemberInText(std::u16string_view json, std::size_t position, std::u16string_view key) {
    const std::size_t n = json.size();
    std::size_t pos = SkipSpace(json, position);
    if (pos >= n || json[pos] != u'{') return kNotFound;
    ++pos;
    for (;;) {
        pos = SkipSpace(json, pos);
        if (pos >= n || json[pos] != u'"') return kNotFound;
        bool equal = false;
        pos = MatchKey(json, pos, key, equal);
        if (pos == kNoPos) return kNotFound;
        pos = MemberValueStart(json, pos);
        if (equal) return pos < n ? static_cast<std::ptrdiff_t>(pos) : kNotFound;
        pos = SkipValueAndSpace(json, pos);
        if (pos >= n || json[pos] != u',') return kNotFound;
        ++pos;
    }
}

std::ptrdiff_t FindElementInText(std::u16string_view json, std::size_t position, std::int32_t index) {
    if (index < 0) return kNotFound;
    const std::size_t pos = SkipSpace(json, position);
    if (pos >= json.size() || json[pos] != u'[') return kNotFound;
    // The whole array is walked: a hit inside a broken array is no answer.
    std::ptrdiff_t hit = kNotFound;
    if (WalkArray(json, pos, index, hit) < 0) return kNotFound;
    return hit;
}

std::ptrdiff_t WalkContainerInText(std::u16string_view json, std::size_t position, std::u16string* rawKeys) {
    const std::size_t pos = SkipSpace(json, position);
    if (pos >= json.size()) return kNotFound;
    if (json[pos] == u'[') {
        std::ptrdiff_t hit;
        return WalkArray(json, pos, -1, hit);
    }
    if (json[pos] == u'{') return WalkObject(json, pos, rawKeys);
    return kNotFound;
}

std::ptrdiff_t NavigateText(std::u16string_view json, const PathSegment* segments, int count) {
    if (count < 0) return kNotFound;
    const std::size_t n = json.size();
    std::ptrdiff_t pos = static_cast<std::ptrdiff_t>(SkipSpace(json, 0));
    for (int s = 0; s < count; ++s) {
        const PathSegment& segment = segments[s];
        if (segment.HasKey()) {
            pos = FindMemberInText(json, static_cast<std::size_t>(pos), segment.Key());
            if (pos < 0) return kNotFound;
        }
        if (segment.index >= 0) {
            pos = FindElementInText(json, static_cast<std::size_t>(pos), segment.index);
            if (pos < 0) return kNotFound;
        }
    }
    return static_cast<std::size_t>(pos) < n ? pos : kNotFound;
}

const JsonNode* LookupNode(const JsonNode& root, const PathSegment* segments, int count) {
    if (count < 0) return nullptr;
    const JsonNode* node = &root;
    for (int s = 0; s < count; ++s) {
        const PathSegment& segment = segments[s];
        if (segment.HasKey()) {
            if (node->type != JsonNodeType::Object) return nullptr;
            node = node->Find(segment.Key());
            if (!node) return nullptr;
        }
        if (segment.index >= 0) {
            node = node->At(segment.index);   // null unless an array holding that index
            if (!node) return nullptr;
        }
    }
    return node;
}

}  // namespace Corvane
