// The controller: where the view sits and how it is shown. A headless
// browser draws into no window, so the parent window is only remembered;
// bounds and zoom become the page's viewport, visibility its window state.
// Input-driven events (focus, accelerator keys, focus requests) accept
// handlers and are never raised: a headless page receives no input.
#include "controller.h"

namespace Corvane::Chromium {

Controller::Controller(ComPtr<WebView> view, HWND parent)
    : ComObject(nullptr), view_(std::move(view)), parent_(parent) {}

Controller::~Controller() {
    if (view_) view_->Close();
}

void Controller::Apply() {
    if (view_) view_->ApplyMetrics(bounds_.right - bounds_.left, bounds_.bottom - bounds_.top, zoom_);
}

HRESULT Controller::get_IsVisible(BOOL* value) {
    if (!value) return E_POINTER;
    *value = view_ && view_->IsVisible();
    return S_OK;
}

HRESULT Controller::put_IsVisible(BOOL value) {
    if (closed_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    return ComBarrier([&] {
        view_->ApplyVisibility(value != FALSE);
        return S_OK;
    });
}

HRESULT Controller::get_Bounds(RECT* value) {
    if (!value) return E_POINTER;
    *value = bounds_;
    return S_OK;
}

HRESULT Controller::put_Bounds(RECT value) {
    if (closed_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    return ComBarrier([&] {
        bounds_ = value;
        Apply();
        return S_OK;
    });
}

HRESULT Controller::get_ZoomFactor(double* value) {
    if (!value) return E_POINTER;
    *value = zoom_;
    return S_OK;
}

HRESULT Controller::put_ZoomFactor(double value) {
    return SetBoundsAndZoomFactor(bounds_, value);
}

HRESULT Controller::SetBoundsAndZoomFactor(RECT bounds, double zoom) {
    if (!(zoom > 0) || zoom > 100) return E_INVALIDARG;
    if (closed_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    return ComBarrier([&] {
        const bool zoomChanged = zoom != zoom_;
        bounds_ = bounds;
        zoom_ = zoom;
        Apply();
        if (zoomChanged) zoomChanged_.Raise(static_cast<ICoreWebView2Controller*>(this), static_cast<IUnknown*>(nullptr));
        return S_OK;
    });
}

HRESULT Controller::get_ParentWindow(HWND* value) {
    if (!value) return E_POINTER;
    *value = parent_;
    return S_OK;
}

HRESULT Controller::put_ParentWindow(HWND value) {
    if (closed_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    if (value && !IsWindow(value)) return E_INVALIDARG;
    parent_ = value;
    return S_OK;
}

HRESULT Controller::Close() {
    if (closed_) return S_OK;
    closed_ = true;
    return ComBarrier([&] {
        zoomChanged_.Clear();
        focusRequested_.Clear();
        gotFocus_.Clear();
        lostFocus_.Clear();
        acceleratorKey_.Clear();
        if (view_) view_->Close();
        return S_OK;
    });
}

HRESULT Controller::get_CoreWebView2(ICoreWebView2** value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    if (!view_) return E_UNEXPECTED;
    *value = static_cast<ICoreWebView2*>(view_.get());
    (*value)->AddRef();
    return S_OK;
}

}  // namespace Corvane::Chromium
