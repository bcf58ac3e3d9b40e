#include "json_document.h"

#include <cstring>
#include <new>

namespace Corvane {

void* JsonArena::Allocate(std::size_t bytes, std::size_t align) {
    std::size_t pad = reinterpret_cast<std::uintptr_t>(cursor_) & (align - 1);
    if (pad) pad = align - pad;
    if (cursor_ == nullptr || pad + bytes > left_) {
        // Blocks double up to 128 KiB, a size the C runtime recycles from its heap
        // instead of mapping fresh pages; a larger request gets its own block.
        std::size_t size = bytes + align > nextBlock_ ? bytes + align : nextBlock_;
        if (nextBlock_ < (std::size_t{1} << 17)) nextBlock_ *= 2;
        blocks_.emplace_back(new unsigned char[size]);
        reserved_ += size;
        cursor_ = blocks_.back().get();
        left_ = size;
        pad = reinterpret_cast<std::uintptr_t>(cursor_) & (align - 1);
        if (pad) pad = align - pad;
    }
    void* result = cursor_ + pad;
    cursor_ += pad + bytes;
    left_ -= pad + bytes;
    return result;
}

const JsonNode* JsonNode::Find(std::u16string_view key) const {
    if (type != JsonNodeType::Object || count == 0) return nullptr;
    if (count <= kLinearLookupMax) {
        // Small objects are searched from the end: the same last-wins answer as the index.
        for (std::uint32_t i = count; i-- > 0;) {
            const JsonMember& m = members[i];
            if (m.keyLength == key.size() &&
                std::memcmp(m.key, key.data(), key.size() * sizeof(char16_t)) == 0)
                return &m.value;
        }
        return nullptr;
    }
    const std::uint32_t* slots = IndexSlots(members, count);
    std::uint32_t mask = IndexCapacity(count) - 1;
    for (std::uint64_t h = HashKey(key);; ++h) {
        std::uint32_t slot = slots[h & mask];
        if (slot == 0) return nullptr;
        const JsonMember& m = members[slot - 1];
        if (m.keyLength == key.size() &&
            std::memcmp(m.key, key.data(), key.size() * sizeof(char16_t)) == 0)
            return &m.value;
    }
}

const JsonNode* JsonNode::At(std::int64_t index) const {
    if (type != JsonNodeType::Array || index < 0 || index >= count) return nullptr;
    return &elements[index];
}

void BuildMemberIndex(JsonMember* members, std::uint32_t count, std::uint32_t* slots) {
    std::uint32_t capacity = IndexCapacity(count);
    std::memset(slots, 0, capacity * sizeof(std::uint32_t));
    std::uint32_t mask = capacity - 1;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::u16string_view key = members[i].Key();
        for (std::uint64_t h = HashKey(key);; ++h) {
            std::uint32_t& slot = slots[h & mask];
            if (slot == 0) { slot = i + 1; break; }
            const JsonMember& m = members[slot - 1];
            if (m.Key() == key) { slot = i + 1; break; }   // a later duplicate wins
        }
    }
}

}  // namespace Corvane
