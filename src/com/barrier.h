// The exception barrier at every interface method: no C++ exception crosses
// the ABI. Allocation failures become E_OUTOFMEMORY, anything else E_UNEXPECTED.
#pragma once

#include <objbase.h>

#include <new>

namespace Corvane {

template <class F>
HRESULT ComBarrier(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace Corvane
