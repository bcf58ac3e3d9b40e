// What the generated forwarding members (pool_forwarding.h) use: the result
// mappings and a BSTR copy that owns itself.
#pragma once

#include <oleauto.h>

#include <new>

namespace Corvane {

enum class ForwardKind {
    Mapped,    // failure E_FAIL, E_NOTIMPL passed on, success S_OK
    Bool,      // VARIANT_BOOL answer: true only for VARIANT_TRUE, else false with S_OK
    Bridge,    // the control's HRESULT unchanged
    Lenient,   // an unknown index reports the error and then fails at the registry
};

// The caller's string copied for the call; a null string stays null, a
// failed copy throws (the member then answers E_UNEXPECTED).
class PoolBstr {
public:
    explicit PoolBstr(BSTR source) {
        if (!source) return;
        copy_ = SysAllocStringLen(source, SysStringLen(source));
        if (!copy_) throw std::bad_alloc();
    }
    ~PoolBstr() { SysFreeString(copy_); }
    PoolBstr(const PoolBstr&) = delete;
    PoolBstr& operator=(const PoolBstr&) = delete;
    BSTR get() const { return copy_; }

private:
    BSTR copy_ = nullptr;
};

}  // namespace Corvane
