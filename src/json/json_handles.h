// The engine's tables of parsed documents and compiled paths. A handle is a
// slot number plus one; released slots are reused last-freed-first, so a
// stale handle may name a newer entry (hosts are told to release with care).
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "json_document.h"
#include "json_path.h"

namespace Corvane {

// A path tokenized once. It owns its text and copies of its keys, so the
// caller's string may go away; the copies live in one heap block that never
// moves, which keeps the segments valid however the object itself is held.
class CompiledPath {
public:
    // Null on a syntax error.
    static std::unique_ptr<CompiledPath> Compile(std::u16string_view path);

    std::u16string_view Text() const { return text_; }
    const PathSegment* Segments() const { return segments_.data(); }
    int Count() const { return static_cast<int>(segments_.size()); }

    CompiledPath(const CompiledPath&) = delete;
    CompiledPath& operator=(const CompiledPath&) = delete;

private:
    CompiledPath() = default;
    std::u16string text_;
    std::unique_ptr<char16_t[]> keys_;
    std::vector<PathSegment> segments_;
};

template <class T>
class HandleTable {
public:
    using Handle = std::int32_t;

    // Stores `item` (non-null) and answers its handle, 1 or more.
    Handle Add(std::unique_ptr<T> item) {
        if (!free_.empty()) {
            const std::size_t index = free_.back();
            slots_[index] = std::move(item);
            free_.pop_back();
            return static_cast<Handle>(index + 1);
        }
        if (slots_.size() >= static_cast<std::size_t>(std::numeric_limits<Handle>::max())) throw std::bad_alloc();
        // The free stack can never outgrow the slots: reserving it here keeps
        // Release from ever needing memory.
        free_.reserve(slots_.size() + 1);
        slots_.push_back(std::move(item));
        return static_cast<Handle>(slots_.size());
    }

    // The live entry behind `handle`, or null for 0, negatives, numbers never
    // issued and released slots.
    T* Find(Handle handle) const {
        if (handle < 1 || static_cast<std::size_t>(handle) > slots_.size()) return nullptr;
        return slots_[static_cast<std::size_t>(handle) - 1].get();
    }

    // Frees the entry; anything that is not a live handle is ignored, so a
    // second release cannot put the slot on the free stack twice.
    void Release(Handle handle) noexcept {
        if (!Find(handle)) return;
        const std::size_t index = static_cast<std::size_t>(handle) - 1;
        slots_[index].reset();
        free_.push_back(index);
    }

    // Frees everything; numbering starts again at 1.
    void Clear() noexcept {
        slots_.clear();
        slots_.shrink_to_fit();
        free_.clear();
        free_.shrink_to_fit();
    }

    std::size_t SlotCount() const { return slots_.size(); }
    std::size_t LiveCount() const { return slots_.size() - free_.size(); }

private:
    std::vector<std::unique_ptr<T>> slots_;   // null: a free slot
    std::vector<std::size_t> free_;           // freed slot indexes, the last freed on top
};

// The byte limit of Parse, ToArray and ToRowArray (2 bytes per code unit),
// and the DOM memory budget of Parse.
inline constexpr std::int32_t kDefaultMaxSize = 50 * 1048576;
inline constexpr std::int32_t kMinMaxSize = 1024;
inline constexpr std::int32_t kMaxMaxSize = 500 * 1048576;

inline std::int32_t ClampMaxSize(std::int32_t value) {
    return value < kMinMaxSize ? kMinMaxSize : value > kMaxMaxSize ? kMaxMaxSize : value;
}
inline bool ExceedsMaxSize(std::size_t codeUnits, std::int32_t maxSize) {
    return static_cast<std::uint64_t>(codeUnits) * 2 > static_cast<std::uint64_t>(maxSize < 0 ? 0 : maxSize);
}

}  // namespace Corvane
