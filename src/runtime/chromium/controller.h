#pragma once

#include "webview.h"

namespace Corvane::Chromium {

class Controller final : public ComObject<Controller, ControllerDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2Controller>;
    Controller(ComPtr<WebView> view, HWND parent);
    ~Controller() override;

    HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* isVisible) override;
    HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL isVisible) override;
    HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) override;
    HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) override;
    HRESULT STDMETHODCALLTYPE get_ZoomFactor(double* zoomFactor) override;
    HRESULT STDMETHODCALLTYPE put_ZoomFactor(double zoomFactor) override;
    HRESULT STDMETHODCALLTYPE add_ZoomFactorChanged(ICoreWebView2ZoomFactorChangedEventHandler* h, EventRegistrationToken* t) override { return zoomChanged_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_ZoomFactorChanged(EventRegistrationToken t) override { return zoomChanged_.Remove(t); }
    HRESULT STDMETHODCALLTYPE SetBoundsAndZoomFactor(RECT bounds, double zoomFactor) override;
    HRESULT STDMETHODCALLTYPE add_MoveFocusRequested(ICoreWebView2MoveFocusRequestedEventHandler* h, EventRegistrationToken* t) override { return focusRequested_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_MoveFocusRequested(EventRegistrationToken t) override { return focusRequested_.Remove(t); }
    HRESULT STDMETHODCALLTYPE add_GotFocus(ICoreWebView2FocusChangedEventHandler* h, EventRegistrationToken* t) override { return gotFocus_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_GotFocus(EventRegistrationToken t) override { return gotFocus_.Remove(t); }
    HRESULT STDMETHODCALLTYPE add_LostFocus(ICoreWebView2FocusChangedEventHandler* h, EventRegistrationToken* t) override { return lostFocus_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_LostFocus(EventRegistrationToken t) override { return lostFocus_.Remove(t); }
    HRESULT STDMETHODCALLTYPE add_AcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventHandler* h, EventRegistrationToken* t) override { return acceleratorKey_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_AcceleratorKeyPressed(EventRegistrationToken t) override { return acceleratorKey_.Remove(t); }
    HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parentWindow) override;
    HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND parentWindow) override;
    HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** coreWebView2) override;

private:
    void Apply();

    ComPtr<WebView> view_;
    HWND parent_;
    RECT bounds_{};
    double zoom_ = 1.0;
    bool closed_ = false;
    EventList<ICoreWebView2ZoomFactorChangedEventHandler> zoomChanged_;
    EventList<ICoreWebView2MoveFocusRequestedEventHandler> focusRequested_;
    EventList<ICoreWebView2FocusChangedEventHandler> gotFocus_, lostFocus_;
    EventList<ICoreWebView2AcceleratorKeyPressedEventHandler> acceleratorKey_;
};

}  // namespace Corvane::Chromium
