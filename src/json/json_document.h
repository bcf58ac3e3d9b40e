// The JSON document model: an immutable tree parsed from UTF-16 text.
//
// A JsonDocument owns a private copy of its source, a pool for the decoded
// copies of escaped strings, and an arena holding every node. Strings without
// escapes are views into the source copy, so parsing copies nothing but
// structure. Object members keep document order (duplicates included, they
// are serialized back) while the per-object hash index answers lookups with
// the last occurrence of a key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Corvane {

enum class JsonNodeType : std::uint8_t { Null = 0, Bool = 1, Int = 2, Double = 3, String = 4, Array = 5, Object = 6 };

struct JsonMember;

// 16 bytes: a tag, a count (string length, element or member count) and the payload.
struct JsonNode {
    JsonNodeType type = JsonNodeType::Null;
    std::uint32_t count = 0;
    union {
        bool boolean;
        std::int32_t integer;
        double number;
        const char16_t* text;       // String
        const JsonNode* elements;   // Array
        const JsonMember* members;  // Object; the hash index follows the members
    };

    JsonNode() : number(0) {}

    bool IsContainer() const { return type == JsonNodeType::Array || type == JsonNodeType::Object; }
    std::u16string_view String() const { return {text, count}; }

    // Object lookup through the hash index: the last member with this key, or null.
    const JsonNode* Find(std::u16string_view key) const;
    // Array element, or null when out of range or not an array.
    const JsonNode* At(std::int64_t index) const;
};

struct JsonMember {
    const char16_t* key;
    std::uint32_t keyLength;
    JsonNode value;
    std::u16string_view Key() const { return {key, keyLength}; }
};

// Objects up to this size are searched linearly from the end (same answer as
// the index, cheaper than hashing); larger ones carry an open-addressing index
// of member positions, placed right after their members.
inline constexpr std::uint32_t kLinearLookupMax = 8;
inline std::uint32_t IndexCapacity(std::uint32_t count) {
    std::uint32_t cap = 16;
    while (cap < std::uint64_t{count} * 2) cap *= 2;
    return cap;
}
inline std::uint32_t* IndexSlots(const JsonMember* members, std::uint32_t count);
void BuildMemberIndex(JsonMember* members, std::uint32_t count, std::uint32_t* slots);

// 64-bit FNV-1a over whole UTF-16 code units.
inline std::uint64_t HashKey(std::u16string_view key) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (char16_t c : key) {
        h ^= static_cast<std::uint64_t>(c);
        h *= 0x100000001b3ull;
    }
    return h;
}

inline std::uint32_t* IndexSlots(const JsonMember* members, std::uint32_t count) {
    // JsonMember is 8-byte aligned, so the slots that follow are 4-byte aligned.
    return reinterpret_cast<std::uint32_t*>(const_cast<JsonMember*>(members + count));
}

// Bump allocator for nodes, members, hash indexes and decoded strings. Blocks
// never move, so every view handed out stays valid for the document's life.
class JsonArena {
public:
    JsonArena() = default;
    JsonArena(const JsonArena&) = delete;
    JsonArena& operator=(const JsonArena&) = delete;

    void* Allocate(std::size_t bytes, std::size_t align = alignof(std::max_align_t));
    std::size_t BytesReserved() const { return reserved_; }

private:
    std::vector<std::unique_ptr<unsigned char[]>> blocks_;
    unsigned char* cursor_ = nullptr;
    std::size_t left_ = 0;
    std::size_t nextBlock_ = 4096;
    std::size_t reserved_ = 0;
};

class JsonDocument {
public:
    const JsonNode& Root() const { return root_; }
    std::u16string_view Source() const { return source_; }

private:
    friend class JsonDomBuilder;
    friend bool ParseDocument(std::u16string_view, std::uint64_t, std::unique_ptr<JsonDocument>&, std::u16string&);
    std::u16string source_;
    JsonArena arena_;   // nodes, members, indexes and the string pool
    JsonNode root_;
};

// Builds the DOM of `text`. On failure returns false, leaves `document` empty
// and sets `error` to the parser's exact message. `byteLimit` is the memory
// budget: 2 bytes per source code unit, 168 per element or member, 2 per
// decoded code unit of escaped strings.
bool ParseDocument(std::u16string_view text, std::uint64_t byteLimit,
                   std::unique_ptr<JsonDocument>& document, std::u16string& error);

inline constexpr int kDomMaxDepth = 256;
inline constexpr std::uint64_t kDomBytesPerElement = 168;

// Compact JSON of a node, appended to `out`. No whitespace is written.
void SerializeNode(const JsonNode& node, std::u16string& out);

}  // namespace Corvane
