#include "json_query.h"

#include <limits>

namespace Corvane {

namespace {

// Navigation shared by the text queries: the value's offset, or kNotFound for
// an empty json, a syntax error or a missing value.
std::ptrdiff_t Locate(std::u16string_view json, std::u16string_view path) {
    if (json.empty()) return kNotFound;
    PathSegment segments[kMaxPathSegments];
    const int count = TokenizePath(path, segments);
    if (count < 0) return kNotFound;
    return NavigateText(json, segments, count);
}

const JsonNode* Lookup(const JsonDocument& doc, const PathSegment* segments, int count) {
    return LookupNode(doc.Root(), segments, count);
}

std::int32_t ClampCount(std::ptrdiff_t n) {
    return n > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                         : static_cast<std::int32_t>(n);
}

}  // namespace

JsonScalar TextGetValue(std::u16string_view json, std::u16string_view path) {
    if (json.empty()) return JsonScalar::Empty();
    const char16_t* end = json.data() + json.size();
    if (path.empty()) return TextValueToScalar(json.data(), end);
    const std::ptrdiff_t pos = Locate(json, path);
    if (pos < 0) return JsonScalar::Empty();
    return TextValueToScalar(json.data() + pos, end);
}

std::u16string TextGetItem(std::u16string_view json, std::u16string_view path, std::int32_t index) {
    const std::ptrdiff_t pos = Locate(json, path);
    if (pos < 0) return {};
    const std::ptrdiff_t element = FindElementInText(json, static_cast<std::size_t>(pos), index);
    if (element < 0) return {};
    const char16_t* begin = json.data() + element;
    const char16_t* end = json.data() + json.size();
    if (*begin == u'"') return DecodeJsonString(begin, end);
    return std::u16string(ExtractRawValue(begin, end));
}

std::u16string TextGetKeys(std::u16string_view json, std::u16string_view path) {
    const std::ptrdiff_t pos = Locate(json, path);
    if (pos < 0 || json[pos] != u'{') return u"[]";
    std::u16string out = u"[";
    // A broken object gives "[]" rather than the keys read before the fault.
    if (WalkContainerInText(json, static_cast<std::size_t>(pos), &out) < 0) return u"[]";
    out.push_back(u']');
    return out;
}

bool TextExists(std::u16string_view json, std::u16string_view path) {
    if (path.empty()) return !json.empty();
    return Locate(json, path) >= 0;
}

JsonCountResult TextCount(std::u16string_view json, std::u16string_view path) {
    JsonCountResult result;
    if (json.empty()) return result;
    PathSegment segments[kMaxPathSegments];
    const int count = TokenizePath(path, segments);
    if (count < 0) {
        result.error = u"JsonCount: path syntax error.";
        return result;
    }
    // Navigation of its own, to tell the caller which step failed.
    const std::size_t n = json.size();
    std::size_t pos = SkipSpace(json, 0);
    for (int s = 0; s < count; ++s) {
        const PathSegment& segment = segments[s];
        if (segment.HasKey()) {
            const std::ptrdiff_t member = FindMemberInText(json, pos, segment.Key());
            if (member < 0) {
                result.error = u"JsonCount: path not found.";
                return result;
            }
            pos = static_cast<std::size_t>(member);
        }
        if (segment.index >= 0) {
            pos = SkipSpace(json, pos);
            if (pos >= n || json[pos] != u'[') {
                result.error = u"JsonCount: expected array.";
                return result;
            }
            const std::ptrdiff_t element = FindElementInText(json, pos, segment.index);
            if (element < 0) {
                result.error = u"JsonCount: index not found.";
                return result;
            }
            pos = static_cast<std::size_t>(element);
        }
    }
    pos = SkipSpace(json, pos);
    if (pos >= n) {
        result.error = u"JsonCount: path not found.";
        return result;
    }
    // A malformed container counts as no container: a partial count would be wrong.
    const std::ptrdiff_t items = WalkContainerInText(json, pos);
    if (items < 0) {
        result.error = u"JsonCount: target is not an object or array.";
        return result;
    }
    result.count = ClampCount(items);
    return result;
}

JsonScalar CtrlGetValue(std::u16string_view json, std::u16string_view path) {
    JsonScalar value = TextGetValue(json, path);
    if (value.kind == JsonScalar::Kind::Empty) value.kind = JsonScalar::Kind::Null;
    return value;
}

std::int32_t CtrlGetArrayLength(std::u16string_view json, std::u16string_view path) {
    const std::ptrdiff_t pos = Locate(json, path);
    if (pos < 0) return 0;
    if (json[pos] != u'[') return -1;
    const char16_t* p = json.data() + pos + 1;
    const char16_t* end = json.data() + json.size();
    p = SkipSpace(p, end);
    if (p < end && *p == u']') return 0;
    std::ptrdiff_t count = 0;
    for (;;) {
        const char16_t* next = SkipJsonValue(p, end, 1);
        // No progress means a value that cannot start or nests too deep; an
        // array that is not closed properly is not an array with a length.
        if (next == p) return -1;
        ++count;
        p = SkipSpace(next, end);
        if (p >= end) return -1;
        if (*p == u']') return ClampCount(count);
        if (*p != u',') return -1;
        p = SkipSpace(p + 1, end);
    }
}

JsonScalar DocGetValue(const JsonDocument& doc, const PathSegment* segments, int count) {
    const JsonNode* node = Lookup(doc, segments, count);
    return node ? NodeToScalar(*node) : JsonScalar::Empty();
}

std::u16string DocGetItem(const JsonDocument& doc, const PathSegment* segments, int count, std::int32_t index) {
    const JsonNode* node = Lookup(doc, segments, count);
    if (!node || node->type != JsonNodeType::Array || index < 0) return {};
    const JsonNode* element = node->At(index);
    if (!element) return {};
    if (element->type == JsonNodeType::String) return std::u16string(element->String());
    std::u16string out;
    SerializeNode(*element, out);
    return out;
}

std::u16string DocGetKeys(const JsonDocument& doc, const PathSegment* segments, int count) {
    const JsonNode* node = Lookup(doc, segments, count);
    if (!node || node->type != JsonNodeType::Object) return u"[]";
    std::u16string out = u"[";
    for (std::uint32_t i = 0; i < node->count; ++i) {
        if (i) out.push_back(u',');
        out.push_back(u'"');
        AppendEscaped(out, node->members[i].Key());
        out.push_back(u'"');
    }
    out.push_back(u']');
    return out;
}

std::int32_t DocCount(const JsonDocument& doc, const PathSegment* segments, int count) {
    const JsonNode* node = Lookup(doc, segments, count);
    if (!node || !node->IsContainer()) return -1;
    return ClampCount(node->count);
}

bool DocExists(const JsonDocument& doc, const PathSegment* segments, int count) {
    return Lookup(doc, segments, count) != nullptr;
}

}  // namespace Corvane
