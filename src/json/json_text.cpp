// The text scanner: validation, skipping, decoding and reading single values
// straight from JSON text. All loops are iterative with bounded state.
#include "json_text.h"

#include <cmath>
#include <cstring>

#include "json_number.h"

namespace Corvane {

namespace {

inline int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Four hex digits at p (the caller guarantees four units), or -1.
inline int ReadHex4(const char16_t* p) {
    int v = 0;
    for (int i = 0; i < 4; ++i) {
        int d = HexDigit(p[i]);
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

inline bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
inline bool IsHigh(int v) { return v >= 0xD800 && v <= 0xDBFF; }
inline bool IsLow(int v) { return v >= 0xDC00 && v <= 0xDFFF; }

// Lenient: `end` when the string never closes.
inline const char16_t* SkipString(const char16_t* p, const char16_t* end) {
    const char16_t* q = FindStringEnd(p, end);
    return q ? q : end;
}

// The lenient number span: '-', digits, '.', digits, exponent.
inline const char16_t* SkipNumber(const char16_t* p, const char16_t* end) {
    if (p < end && *p == u'-') ++p;
    while (p < end && IsDigit(*p)) ++p;
    if (p < end && *p == u'.') {
        ++p;
        while (p < end && IsDigit(*p)) ++p;
    }
    if (p < end && (*p == u'e' || *p == u'E')) {
        ++p;
        if (p < end && (*p == u'+' || *p == u'-')) ++p;
        while (p < end && IsDigit(*p)) ++p;
    }
    return p;
}

bool ValidString(const char16_t*& p, const char16_t* end) {
    const char16_t* q = p + 1;
    for (;;) {
        if (q >= end) return false;
        char16_t c = *q++;
        if (c == u'"') break;
        if (c < 0x20) return false;
        if (c != u'\\') continue;
        if (q >= end) return false;
        switch (*q++) {
            case u'"': case u'\\': case u'/': case u'b': case u'f': case u'n': case u'r': case u't':
                break;
            case u'u': {
                if (end - q < 4) return false;
                int v = ReadHex4(q);
                if (v < 0 || IsLow(v)) return false;
                q += 4;
                if (IsHigh(v)) {
                    if (end - q < 6 || q[0] != u'\\' || q[1] != u'u') return false;
                    int w = ReadHex4(q + 2);
                    if (!IsLow(w)) return false;
                    q += 6;
                }
                break;
            }
            default:
                return false;
        }
    }
    p = q;
    return true;
}

bool ValidNumber(const char16_t*& p, const char16_t* end) {
    const char16_t* q = p;
    if (q < end && *q == u'-') ++q;
    if (q >= end || !IsDigit(*q)) return false;
    if (*q == u'0') ++q;
    else while (q < end && IsDigit(*q)) ++q;
    if (q < end && *q == u'.') {
        ++q;
        if (q >= end || !IsDigit(*q)) return false;
        while (q < end && IsDigit(*q)) ++q;
    }
    if (q < end && (*q == u'e' || *q == u'E')) {
        ++q;
        if (q < end && (*q == u'+' || *q == u'-')) ++q;
        if (q >= end || !IsDigit(*q)) return false;
        while (q < end && IsDigit(*q)) ++q;
    }
    p = q;
    return true;
}

bool MatchLiteral(const char16_t* p, const char16_t* end, std::u16string_view word) {
    return static_cast<std::size_t>(end - p) >= word.size() &&
           std::memcmp(p, word.data(), word.size() * sizeof(char16_t)) == 0;
}

std::u16string_view LiteralFor(char16_t c) {
    return c == u't' ? std::u16string_view(u"true") : c == u'f' ? std::u16string_view(u"false")
                                                                 : std::u16string_view(u"null");
}

}  // namespace

bool IsValidJson(std::u16string_view text) {
    if (text.empty()) return false;
    const char16_t* p = text.data();
    const char16_t* end = p + text.size();
    // One flag a level: is this container an object?
    bool isObject[kValidateMaxDepth + 1];
    int depth = 0;

value:
    p = SkipSpace(p, end);
    if (p >= end) return false;
    switch (*p) {
        case u'{':
        case u'[': {
            if (depth == kValidateMaxDepth) return false;
            bool object = *p == u'{';
            isObject[++depth] = object;
            p = SkipSpace(p + 1, end);
            if (p < end && *p == (object ? u'}' : u']')) { ++p; --depth; goto after; }
            if (object) goto key;
            goto value;
        }
        case u'"':
            if (!ValidString(p, end)) return false;
            goto after;
        case u't': case u'f': case u'n': {
            std::u16string_view word = LiteralFor(*p);
            if (!MatchLiteral(p, end, word)) return false;
            p += word.size();
            goto after;
        }
        default:
            if (!ValidNumber(p, end)) return false;
            goto after;
    }

key:
    if (p >= end || *p != u'"' || !ValidString(p, end)) return false;
    p = SkipSpace(p, end);
    if (p >= end || *p != u':') return false;
    ++p;
    goto value;

after:
    p = SkipSpace(p, end);
    if (depth == 0) return p == end;
    if (p >= end) return false;
    if (*p == (isObject[depth] ? u'}' : u']')) { ++p; --depth; goto after; }
    if (*p != u',') return false;
    p = SkipSpace(p + 1, end);
    if (isObject[depth]) goto key;
    goto value;
}

const char16_t* SkipJsonValue(const char16_t* begin, const char16_t* end, int depth) {
    bool isObject[kSkipMaxDepth + 1];
    int level = 0;
    const char16_t* p = SkipSpace(begin, end);

value:
    if (p >= end) return p;
    switch (*p) {
        case u'"': p = SkipString(p, end); goto after;
        case u't': case u'n': p += (end - p < 4 ? end - p : 4); goto after;
        case u'f': p += (end - p < 5 ? end - p : 5); goto after;
        case u'{':
        case u'[': {
            if (depth + level >= kSkipMaxDepth) return begin;
            bool object = *p == u'{';
            isObject[++level] = object;
            p = SkipSpace(p + 1, end);
            if (p < end && *p == (object ? u'}' : u']')) { ++p; --level; goto after; }
            if (object) goto member;
            goto value;
        }
        default:
            if (*p == u'-' || IsDigit(*p)) { p = SkipNumber(p, end); goto after; }
            return p;   // cannot start a value: the scan ends here
    }

member:
    if (p >= end || *p != u'"') return p;
    p = SkipSpace(SkipString(p, end), end);
    if (p < end && *p == u':') ++p;
    p = SkipSpace(p, end);
    goto value;

after:
    if (level == 0) return p;
    p = SkipSpace(p, end);
    if (p >= end) return p;
    if (*p == (isObject[level] ? u'}' : u']')) { ++p; --level; goto after; }
    if (*p != u',') return p;
    p = SkipSpace(p + 1, end);
    if (isObject[level]) goto member;
    goto value;
}

std::ptrdiff_t FindValueEnd(std::u16string_view text, std::size_t position, int& depth) {
    const char16_t* const base = text.data();
    const char16_t* const end = base + text.size();
    const std::ptrdiff_t bad = static_cast<std::ptrdiff_t>(text.size());
    const int entryDepth = depth;
    if (depth < 0) depth = 0;   // the level table below is sized from 0
    // Containers opened by this call; beyond 256 the caller gets -1 anyway.
    bool isObject[kFindMaxDepth + 2];
    int level = 0;
    if (position > text.size()) return bad;
    const char16_t* p = SkipSpace(base + position, end);

value:
    if (p >= end) { depth = entryDepth; return bad; }
    switch (*p) {
        case u'"':
            p = FindStringEnd(p, end);
            if (!p) { depth = entryDepth; return bad; }
            goto after;
        case u't': case u'f': case u'n': {
            std::u16string_view word = LiteralFor(*p);
            if (!MatchLiteral(p, end, word)) { depth = entryDepth; return bad; }
            p += word.size();
            goto after;
        }
        case u'{':
        case u'[': {
            if (++depth > kFindMaxDepth) { depth = entryDepth; return -1; }
            bool object = *p == u'{';
            isObject[++level] = object;
            p = SkipSpace(p + 1, end);
            if (p < end && *p == (object ? u'}' : u']')) { ++p; --level; --depth; goto after; }
            if (object) goto member;
            goto value;
        }
        default:
            if (*p == u'-' || IsDigit(*p)) { p = SkipNumber(p, end); goto after; }
            depth = entryDepth;
            return bad;
    }

member: {
    if (p >= end || *p != u'"') { depth = entryDepth; return bad; }
    p = FindStringEnd(p, end);
    if (!p) { depth = entryDepth; return bad; }
    p = SkipSpace(p, end);
    if (p >= end || *p != u':') { depth = entryDepth; return bad; }
    p = SkipSpace(p + 1, end);
    goto value;
}

after:
    if (level == 0) return p - base;
    p = SkipSpace(p, end);
    if (p >= end) { depth = entryDepth; return bad; }
    if (*p == (isObject[level] ? u'}' : u']')) { ++p; --level; --depth; goto after; }
    if (*p != u',') { depth = entryDepth; return bad; }
    p = SkipSpace(p + 1, end);
    if (isObject[level]) goto member;
    goto value;
}

std::u16string DecodeJsonString(const char16_t* begin, const char16_t* end) {
    std::u16string out;
    if (begin >= end || *begin != u'"') return out;
    const char16_t* p = begin + 1;
    const char16_t* run = p;
    for (; p < end && *p != u'"'; ++p) {
        if (*p != u'\\') continue;
        out.append(run, p);
        if (p + 1 >= end) { out.push_back(u'\\'); run = end; p = end; break; }
        char16_t e = p[1];
        p += 1;   // now at the escape letter; the loop's ++p moves past it
        switch (e) {
            case u'b': out.push_back(u'\b'); break;
            case u'f': out.push_back(u'\f'); break;
            case u'n': out.push_back(u'\n'); break;
            case u'r': out.push_back(u'\r'); break;
            case u't': out.push_back(u'\t'); break;
            case u'u': {
                if (end - (p + 1) < 4) { out.push_back(u'u'); break; }
                int v = ReadHex4(p + 1);
                if (v < 0) { out.push_back(0xFFFD); break; }   // the four units follow as plain text
                p += 4;
                out.push_back(static_cast<char16_t>(v));
                if (IsHigh(v) && end - (p + 1) >= 6 && p[1] == u'\\' && p[2] == u'u') {
                    int w = ReadHex4(p + 3);
                    if (IsLow(w)) { out.push_back(static_cast<char16_t>(w)); p += 6; }
                }
                break;
            }
            default: out.push_back(e); break;
        }
        run = p + 1;
    }
    if (run < p) out.append(run, p);
    return out;
}

std::u16string_view ExtractRawValue(const char16_t* begin, const char16_t* end) {
    const char16_t* start = SkipSpace(begin, end);
    const char16_t* stop = SkipJsonValue(start, end, 0);
    return {start, static_cast<std::size_t>(stop - start)};
}

JsonScalar TextValueToScalar(const char16_t* begin, const char16_t* end) {
    JsonScalar s;
    const char16_t* p = SkipSpace(begin, end);
    if (p >= end) return s;
    char16_t c = *p;
    if (c == u'"') {
        s.kind = JsonScalar::Kind::String;
        s.text = DecodeJsonString(p, end);
    } else if (MatchLiteral(p, end, u"null")) {
        s.kind = JsonScalar::Kind::Null;
    } else if (MatchLiteral(p, end, u"true") || MatchLiteral(p, end, u"false")) {
        s.kind = JsonScalar::Kind::Bool;
        s.boolean = c == u't';
    } else if (c == u'[' || c == u'{') {
        s.kind = JsonScalar::Kind::Raw;
        s.text = ExtractRawValue(p, end);
    } else if (c == u'-' || IsDigit(c)) {
        std::u16string_view token = ExtractRawValue(p, end);
        std::size_t consumed = 0;
        if (token.find_first_of(u".eE") != std::u16string_view::npos) {
            double d = ReadDoublePrefix(token, consumed);
            if (consumed == token.size()) {
                s.kind = JsonScalar::Kind::Double;
                s.number = d;
            } else {
                s.kind = JsonScalar::Kind::String;   // e.g. "1e" stays the text it is
                s.text = token;
            }
        } else if (ReadInt32Token(token, s.integer)) {
            s.kind = JsonScalar::Kind::Int;
        } else {
            s.kind = JsonScalar::Kind::Double;
            s.number = ReadDoublePrefix(token, consumed);
        }
    } else {
        s.kind = JsonScalar::Kind::Null;
    }
    return s;
}

JsonScalar NodeToScalar(const JsonNode& node) {
    JsonScalar s;
    switch (node.type) {
        case JsonNodeType::Null: s.kind = JsonScalar::Kind::Null; break;
        case JsonNodeType::Bool: s.kind = JsonScalar::Kind::Bool; s.boolean = node.boolean; break;
        case JsonNodeType::Int: s.kind = JsonScalar::Kind::Int; s.integer = node.integer; break;
        case JsonNodeType::Double: s.kind = JsonScalar::Kind::Double; s.number = node.number; break;
        case JsonNodeType::String: s.kind = JsonScalar::Kind::String; s.text = node.String(); break;
        case JsonNodeType::Array:
        case JsonNodeType::Object: s.kind = JsonScalar::Kind::Raw; SerializeNode(node, s.text); break;
    }
    return s;
}

}  // namespace Corvane
