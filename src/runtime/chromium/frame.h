// An iframe of the web view's main document, from Page.frameAttached until
// it is removed (a "swap" to another process is the same frame).
#pragma once

#include <string>

#include "cdp_json.h"
#include "runtime_object.h"

namespace Corvane::Chromium {

class Frame final : public ComObject<Frame, FrameDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2Frame>;
    Frame() : ComObject(nullptr) {}

    void Rename(std::u16string name) {
        if (name == name_ || destroyed_) return;
        name_ = std::move(name);
        nameChanged_.Raise(static_cast<ICoreWebView2Frame*>(this), static_cast<IUnknown*>(nullptr));
    }
    void Destroy() {
        if (destroyed_) return;
        destroyed_ = true;
        destroyedEvent_.Raise(static_cast<ICoreWebView2Frame*>(this), static_cast<IUnknown*>(nullptr));
        nameChanged_.Clear();
        destroyedEvent_.Clear();
    }

    HRESULT STDMETHODCALLTYPE get_Name(LPWSTR* value) override { return CoString(name_, value); }
    HRESULT STDMETHODCALLTYPE add_NameChanged(ICoreWebView2FrameNameChangedEventHandler* h, EventRegistrationToken* t) override { return nameChanged_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_NameChanged(EventRegistrationToken t) override { return nameChanged_.Remove(t); }
    HRESULT STDMETHODCALLTYPE add_Destroyed(ICoreWebView2FrameDestroyedEventHandler* h, EventRegistrationToken* t) override { return destroyedEvent_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_Destroyed(EventRegistrationToken t) override { return destroyedEvent_.Remove(t); }
    HRESULT STDMETHODCALLTYPE IsDestroyed(BOOL* value) override { return Answer(value, destroyed_); }

private:
    std::u16string name_;
    bool destroyed_ = false;
    EventList<ICoreWebView2FrameNameChangedEventHandler> nameChanged_;
    EventList<ICoreWebView2FrameDestroyedEventHandler> destroyedEvent_;
};

class FrameCreatedArgs final : public ComObject<FrameCreatedArgs, FrameCreatedArgsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2FrameCreatedEventArgs>;
    explicit FrameCreatedArgs(ComPtr<Frame> frame) : ComObject(nullptr), frame_(std::move(frame)) {}
    HRESULT STDMETHODCALLTYPE get_Frame(ICoreWebView2Frame** out) override {
        if (!out) return E_POINTER;
        *out = frame_.get();
        if (*out) (*out)->AddRef();
        return S_OK;
    }

private:
    ComPtr<Frame> frame_;
};

}  // namespace Corvane::Chromium
