// BSTR helpers. A BSTR's length is its prefix, not its first NUL: views and
// copies always use SysStringLen so embedded U+0000 survives.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace Corvane {

// The text of a BSTR (null reads as empty).
inline std::u16string_view BstrView(BSTR s) {
    return s ? std::u16string_view(reinterpret_cast<const char16_t*>(s), SysStringLen(s)) : std::u16string_view();
}

// A fresh BSTR holding `text`; throws std::bad_alloc when the allocator refuses.
inline BSTR MakeBstr(std::u16string_view text) {
    BSTR s = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    if (!s) throw std::bad_alloc();
    return s;
}

class UniqueBstr {
public:
    UniqueBstr() = default;
    explicit UniqueBstr(std::u16string_view text) : s_(MakeBstr(text)) {}
    UniqueBstr(UniqueBstr&& o) noexcept : s_(std::exchange(o.s_, nullptr)) {}
    UniqueBstr& operator=(UniqueBstr&& o) noexcept {
        if (this != &o) { Reset(); s_ = std::exchange(o.s_, nullptr); }
        return *this;
    }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    ~UniqueBstr() { Reset(); }

    void Reset() { SysFreeString(std::exchange(s_, nullptr)); }
    BSTR* put() { Reset(); return &s_; }
    BSTR get() const { return s_; }
    BSTR Detach() { return std::exchange(s_, nullptr); }
    std::u16string_view View() const { return BstrView(s_); }

private:
    BSTR s_ = nullptr;
};

}  // namespace Corvane
