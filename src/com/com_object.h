// The object base: IUnknown from a table of interfaces, with aggregation.
//
// Every object owns a non-delegating unknown (Inner) that counts references
// and answers QueryInterface from the table. The IUnknown methods of the
// object's own interfaces go to the controlling unknown: the aggregator's
// when there is one, else Inner. Objects start with one reference, which
// CreateComObject trades for the interface the caller asked for.
#pragma once

#include <objbase.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

#include "module_lock.h"

namespace Corvane {

struct InterfaceEntry {
    const IID* iid;          // null ends a table
    std::ptrdiff_t offset;   // from the object to the interface
};

class ComObjectRoot {
public:
    ComObjectRoot(const ComObjectRoot&) = delete;
    ComObjectRoot& operator=(const ComObjectRoot&) = delete;

    IUnknown* Inner() { return &inner_; }
    IUnknown* Controlling() const { return controlling_; }
    bool IsAggregated() const { return controlling_ != &inner_; }

protected:
    // `locksModule` is false only for cached class objects, which live until
    // the module goes and must not keep it loaded.
    explicit ComObjectRoot(IUnknown* outer, bool locksModule = true)
        : controlling_(outer ? outer : &inner_), locksModule_(locksModule) {
        inner_.owner = this;
        if (locksModule_) ModuleLock();
    }
    virtual ~ComObjectRoot() {
        if (locksModule_) ModuleUnlock();
    }

    virtual const InterfaceEntry* InterfaceTable() const = 0;
    // A second chance for interfaces that are not in the table (tear-offs, or
    // IDispatch answered by a dual interface).
    virtual HRESULT QueryExtra(REFIID, void** out) { *out = nullptr; return E_NOINTERFACE; }

public:
    // Work that may fail after construction; the object is released on failure.
    HRESULT FinalConstruct() { return S_OK; }

protected:
    HRESULT InternalQueryInterface(REFIID iid, void** out) {
        for (const InterfaceEntry* e = InterfaceTable(); e->iid; ++e) {
            if (IsEqualIID(iid, *e->iid)) {
                auto* unk = reinterpret_cast<IUnknown*>(reinterpret_cast<char*>(this) + e->offset);
                unk->AddRef();
                *out = unk;
                return S_OK;
            }
        }
        return QueryExtra(iid, out);
    }

    IUnknown* controlling_;

private:
    struct InnerUnknown final : IUnknown {
        ComObjectRoot* owner = nullptr;
        std::atomic<ULONG> refs{1};
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
            if (!out) return E_POINTER;
            *out = nullptr;
            if (IsEqualIID(iid, IID_IUnknown)) {
                *out = static_cast<IUnknown*>(this);
                AddRef();
                return S_OK;
            }
            return owner->InternalQueryInterface(iid, out);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
        ULONG STDMETHODCALLTYPE Release() override {
            ULONG n = --refs;
            if (n == 0) delete owner;
            return n;
        }
    };

    InnerUnknown inner_;
    bool locksModule_;
};

// The interfaces an object answers, in the order QueryInterface tries them.
template <class... I>
struct InterfaceList {};

// Implements the IUnknown methods of every base once, forwarding to the
// controlling unknown. Bases are interfaces or classes implementing them;
// Derived names what it answers with `using Exposed = InterfaceList<...>`.
// IDispatch is answered by the first exposed interface derived from it.
template <class Derived, class... Bases>
class ComObject : public ComObjectRoot, public Bases... {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return controlling_->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return controlling_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return controlling_->Release(); }

protected:
    explicit ComObject(IUnknown* outer, bool locksModule = true) : ComObjectRoot(outer, locksModule) {}

    const InterfaceEntry* InterfaceTable() const override { return Table(typename Derived::Exposed{}); }

    HRESULT QueryExtra(REFIID iid, void** out) override {
        *out = nullptr;
        if (IsEqualIID(iid, IID_IDispatch)) return DispatchFrom(typename Derived::Exposed{}, out);
        return E_NOINTERFACE;
    }

private:
    template <class... I>
    static const InterfaceEntry* Table(InterfaceList<I...>) {
        static const InterfaceEntry table[] = {{&__uuidof(I), OffsetOf<I>()}..., {nullptr, 0}};
        return table;
    }
    template <class... I>
    HRESULT DispatchFrom(InterfaceList<I...>, void** out) { return AnswerDispatch<I...>(out); }

    template <class I>
    static std::ptrdiff_t OffsetOf() {
        // The classic offset-of-base trick: a fake, suitably aligned address.
        Derived* fake = reinterpret_cast<Derived*>(static_cast<std::uintptr_t>(0x1000));
        return reinterpret_cast<char*>(static_cast<I*>(fake)) - reinterpret_cast<char*>(static_cast<ComObjectRoot*>(fake));
    }

    template <class I = void, class... Rest>
    HRESULT AnswerDispatch(void** out) {
        if constexpr (std::is_void_v<I>) {
            return E_NOINTERFACE;
        } else if constexpr (std::is_base_of_v<IDispatch, I>) {
            I* p = static_cast<I*>(static_cast<Derived*>(this));
            p->AddRef();
            *out = static_cast<IDispatch*>(p);
            return S_OK;
        } else {
            return AnswerDispatch<Rest...>(out);
        }
    }
};

// Creates an object of class T and asks it for `iid`. T declares whether it
// may be aggregated with `static constexpr bool kAggregatable`. An outer
// object may only ask for IUnknown (COM's aggregation rule).
template <class T, class... Args>
HRESULT CreateComObject(IUnknown* outer, REFIID iid, void** out, Args&&... args) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer && (!T::kAggregatable || !IsEqualIID(iid, IID_IUnknown))) return CLASS_E_NOAGGREGATION;
    T* object = new (std::nothrow) T(outer, std::forward<Args>(args)...);
    if (!object) return E_OUTOFMEMORY;
    IUnknown* inner = object->Inner();
    HRESULT hr = object->FinalConstruct();
    if (SUCCEEDED(hr)) hr = inner->QueryInterface(iid, out);
    inner->Release();
    return hr;
}

}  // namespace Corvane
