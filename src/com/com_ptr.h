// ComPtr: an owning interface pointer. A few precise verbs: put() releases
// before handing out the address, Attach/Detach move ownership, Query
// answers an HRESULT, TryQuery a null pointer when the interface is missing.
#pragma once

#include <objbase.h>

#include <utility>

namespace Corvane {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Copies take a reference: passing a raw pointer here does not adopt it.
    explicit ComPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }
    ComPtr(const ComPtr& o) : p_(o.p_) { if (p_) p_->AddRef(); }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& o) {
        if (o.p_) o.p_->AddRef();
        Reset();
        p_ = o.p_;
        return *this;
    }
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) { Reset(); p_ = std::exchange(o.p_, nullptr); }
        return *this;
    }

    void Reset() { if (T* p = std::exchange(p_, nullptr)) p->Release(); }
    T** put() { Reset(); return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void Attach(T* p) { Reset(); p_ = p; }
    T* Detach() { return std::exchange(p_, nullptr); }
    // Hands out one more reference in an out-parameter.
    HRESULT CopyTo(T** out) const {
        if (!out) return E_POINTER;
        *out = p_;
        if (p_) p_->AddRef();
        return S_OK;
    }

    template <class U>
    HRESULT Query(ComPtr<U>& out) const {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(__uuidof(U), out.put_void());
    }
    HRESULT Query(REFIID iid, void** out) const { return p_ ? p_->QueryInterface(iid, out) : E_POINTER; }
    template <class U>
    ComPtr<U> TryQuery() const {
        ComPtr<U> out;
        if (p_) p_->QueryInterface(__uuidof(U), out.put_void());
        return out;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

}  // namespace Corvane
