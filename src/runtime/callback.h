// Completion and event handler objects made from callables: the runtime calls
// Invoke, the callable answers. Reference counted, no exception crosses.
#pragma once

#include <windows.h>

#include <eventtoken.h>

#include <functional>
#include <new>
#include <utility>
#include <vector>

#include "barrier.h"
#include "com_ptr.h"
#include "module_lock.h"

namespace Corvane {

template <class I, class F, class Method>
class CallbackObject;

template <class I, class F, class... A>
class CallbackObject<I, F, HRESULT (I::*)(A...)> final : public I {
public:
    explicit CallbackObject(F body) : body_(std::move(body)) { ModuleLock(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(I))) {
            *out = static_cast<I*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE Invoke(A... args) override {
        // The body may remove its own registration, releasing the runtime's reference.
        AddRef();
        HRESULT hr = ComBarrier([&] { return body_(args...); });
        Release();
        return hr;
    }

private:
    ~CallbackObject() { ModuleUnlock(); }
    LONG refs_ = 1;
    F body_;
};

// A handler of interface I whose Invoke calls `body` with Invoke's arguments.
template <class I, class F>
ComPtr<I> Callback(F body) {
    ComPtr<I> handler;
    handler.Attach(new (std::nothrow) CallbackObject<I, F, decltype(&I::Invoke)>(std::move(body)));
    return handler;
}

// Registers `body` for one event of `source` (its add and remove members) and
// keeps how to remove it in `removals`.
template <class Source, class Owner, class Handler, class Body>
void Listen(const ComPtr<Source>& source, HRESULT (Owner::*add)(Handler*, EventRegistrationToken*),
            HRESULT (Owner::*remove)(EventRegistrationToken), std::vector<std::function<void()>>& removals,
            Body body) {
    if (!source) return;
    ComPtr<Handler> handler = Callback<Handler>(std::move(body));
    EventRegistrationToken token{};
    if (!handler || FAILED((source.get()->*add)(handler.get(), &token))) return;
    removals.push_back([source, remove, token] { (source.get()->*remove)(token); });
}

}  // namespace Corvane
