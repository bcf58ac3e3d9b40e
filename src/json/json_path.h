// The path language (`data.items[0].name`) and its two evaluators: one walks
// JSON text without building a tree, the other walks a parsed document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "json_document.h"

namespace Corvane {

inline constexpr int kMaxPathSegments = 32;
inline constexpr std::int32_t kMaxPathIndex = 999999;
inline constexpr std::ptrdiff_t kNotFound = -1;

// A step: a member key, an element index, or a key followed by an index
// (`items[0]`). key == nullptr with keyLength 0 is an index-only step; index -1
// means no index.
struct PathSegment {
    const char16_t* key = nullptr;
    std::uint32_t keyLength = 0;
    std::int32_t index = -1;
    std::u16string_view Key() const { return {key, keyLength}; }
    bool HasKey() const { return key != nullptr; }
};

// 0 for the empty path (the root), 1..32 segments, or -1 on a syntax error.
// `segments` must hold kMaxPathSegments entries; keys point into `text`.
int TokenizePath(const char16_t* text, std::size_t length, PathSegment* segments);
inline int TokenizePath(std::u16string_view path, PathSegment* segments) {
    return TokenizePath(path.data(), path.size(), segments);
}

// Position of the value of member `key` of the object whose `{` is at or after
// `position` (whitespace skipped); kNotFound if absent or malformed.
std::ptrdiff_t FindMemberInText(std::u16string_view json, std::size_t position, std::u16string_view key);
// Position of element `index` of the array whose `[` is at `position`.
std::ptrdiff_t FindElementInText(std::u16string_view json, std::size_t position, std::int32_t index);
// Walks the whole array or object at `position` (whitespace skipped) to its
// closing bracket the way navigation walks: the element or member count, or
// kNotFound when it is not a container, is malformed or nests past 256 levels.
// `rawKeys`, if given, receives each member key as written in the source
// (quotes and escapes kept), comma-separated; it is undefined on kNotFound.
std::ptrdiff_t WalkContainerInText(std::u16string_view json, std::size_t position,
                                   std::u16string* rawKeys = nullptr);
// Offset of the first character of the addressed value, or kNotFound.
std::ptrdiff_t NavigateText(std::u16string_view json, const PathSegment* segments, int count);

const JsonNode* LookupNode(const JsonNode& root, const PathSegment* segments, int count);

}  // namespace Corvane
