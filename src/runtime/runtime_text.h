// Text between the runtime and our code: the runtime speaks wchar_t and hands
// out strings the caller frees with CoTaskMemFree; our code is char16_t.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>
#include <string_view>

namespace Corvane {

inline std::u16string FromWide(const wchar_t* text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

inline std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

inline std::u16string DecimalText(long long value) { return FromWide(std::to_wstring(value).c_str()); }

// Takes ownership of a runtime string; a missing one reads as empty.
inline std::u16string TakeRuntimeString(LPWSTR text) {
    std::u16string out = FromWide(text);
    CoTaskMemFree(text);
    return out;
}

// A string property of a runtime object; empty when the getter fails.
template <class Obj, class Getter>
std::u16string ReadRuntimeString(Obj* object, Getter getter) {
    LPWSTR raw = nullptr;
    if (!object || FAILED((object->*getter)(&raw))) {
        CoTaskMemFree(raw);
        return {};
    }
    return TakeRuntimeString(raw);
}

}  // namespace Corvane
