// SAFEARRAY ownership and data access. SafeArrayDataLock refuses an array of
// the wrong element type or dimension count instead of reading it wrongly.
#pragma once

#include <oleauto.h>

#include <utility>

namespace Corvane {

class UniqueSafeArray {
public:
    UniqueSafeArray() = default;
    explicit UniqueSafeArray(SAFEARRAY* a) : a_(a) {}   // adopts `a`
    UniqueSafeArray(UniqueSafeArray&& o) noexcept : a_(std::exchange(o.a_, nullptr)) {}
    UniqueSafeArray& operator=(UniqueSafeArray&& o) noexcept {
        if (this != &o) { Reset(); a_ = std::exchange(o.a_, nullptr); }
        return *this;
    }
    UniqueSafeArray(const UniqueSafeArray&) = delete;
    UniqueSafeArray& operator=(const UniqueSafeArray&) = delete;
    ~UniqueSafeArray() { Reset(); }

    void Reset() { if (SAFEARRAY* a = std::exchange(a_, nullptr)) SafeArrayDestroy(a); }
    SAFEARRAY* get() const { return a_; }
    SAFEARRAY* Detach() { return std::exchange(a_, nullptr); }

private:
    SAFEARRAY* a_ = nullptr;
};

// Locks the data of an array for direct access while in scope.
class SafeArrayDataLock {
public:
    SafeArrayDataLock(SAFEARRAY* a, VARTYPE expected, UINT dims) {
        VARTYPE vt = VT_EMPTY;
        if (!a) { hr_ = E_POINTER; return; }
        hr_ = SafeArrayGetVartype(a, &vt);
        if (SUCCEEDED(hr_) && (vt != expected || SafeArrayGetDim(a) != dims)) hr_ = DISP_E_TYPEMISMATCH;
        if (SUCCEEDED(hr_)) hr_ = SafeArrayAccessData(a, &data_);
        if (SUCCEEDED(hr_)) a_ = a;
    }
    SafeArrayDataLock(const SafeArrayDataLock&) = delete;
    SafeArrayDataLock& operator=(const SafeArrayDataLock&) = delete;
    ~SafeArrayDataLock() { if (a_) SafeArrayUnaccessData(a_); }

    HRESULT Result() const { return hr_; }
    template <class T>
    T* Data() const { return static_cast<T*>(data_); }

private:
    SAFEARRAY* a_ = nullptr;
    void* data_ = nullptr;
    HRESULT hr_ = E_FAIL;
};

}  // namespace Corvane
