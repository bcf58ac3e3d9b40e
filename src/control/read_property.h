// The shape of every simple property getter: a null out-parameter answers
// E_POINTER, anything else gets the value (text as a new BSTR).
#pragma once

#include <oleauto.h>

#include <string_view>

#include "barrier.h"
#include "bstr.h"

namespace Corvane {

template <class T>
HRESULT ReadValue(T value, T* out) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

inline HRESULT ReadBool(bool flag, VARIANT_BOOL* out) { return ReadValue<VARIANT_BOOL>(flag ? VARIANT_TRUE : VARIANT_FALSE, out); }

inline HRESULT ReadText(std::u16string_view text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return ComBarrier([&] {
        *out = MakeBstr(text);
        return *out || text.empty() ? S_OK : E_OUTOFMEMORY;
    });
}

}  // namespace Corvane
