// In-place activation: the window inside the container's, and the
// in-place object interfaces a container drives it through.
#include "corvane_ctrl.h"

namespace Corvane {

HRESULT CCorvaneCtrl::ActivateInPlace(LONG verb, IOleClientSite* site, HWND parent, LPCRECT position) {
    if (!clientSite_ && site) SetClientSite(site);
    if (!clientSite_) return E_UNEXPECTED;
    if (!inPlaceActive_) {
        ComPtr<IOleInPlaceSite> ips;
        HRESULT hr = clientSite_.Query(ips);
        if (FAILED(hr)) return hr;
        if (ips->CanInPlaceActivate() != S_OK) return E_FAIL;
        hr = ips->OnInPlaceActivate();
        if (FAILED(hr)) return hr;
        inPlaceSite_ = ips;
        inPlaceActive_ = true;

        HWND container = nullptr;
        hr = ips->GetWindow(&container);
        if (SUCCEEDED(hr) && !container) hr = E_FAIL;
        RECT pos{}, clip{};
        if (SUCCEEDED(hr)) {
            ComPtr<IOleInPlaceFrame> frame;
            ComPtr<IOleInPlaceUIWindow> doc;
            OLEINPLACEFRAMEINFO info{};
            info.cb = sizeof(info);
            if (FAILED(ips->GetWindowContext(frame.put(), doc.put(), &pos, &clip, &info))) {
                if (!position) hr = E_FAIL;
                else pos = *position;
            }
        }
        if (SUCCEEDED(hr)) hr = CreateControlWindow(container, pos);
        if (FAILED(hr)) {
            InPlaceDeactivate();
            return hr;
        }
    }
    if (verb != OLEIVERB_INPLACEACTIVATE && !uiActive_) {
        uiActive_ = true;
        inPlaceSite_->OnUIActivate();
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> doc;
        RECT pos, clip;
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof(info);
        if (SUCCEEDED(inPlaceSite_->GetWindowContext(frame.put(), doc.put(), &pos, &clip, &info))) {
            if (frame) frame->SetActiveObject(this, nullptr);
            if (doc) doc->SetActiveObject(this, nullptr);
        }
        if (window_ && GetFocus() != window_) SetFocus(window_);
    }
    if (window_) ShowWindow(window_, SW_SHOW);
    return S_OK;
}

// IOleWindow

HRESULT CCorvaneCtrl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

HRESULT CCorvaneCtrl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// IOleInPlaceObject(Windowless)

HRESULT CCorvaneCtrl::InPlaceDeactivate() {
    if (!inPlaceActive_) return S_OK;
    if (uiActive_) UIDeactivate();
    inPlaceActive_ = false;
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
    ReleaseWindowClass();
    ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
    if (site) site->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT CCorvaneCtrl::UIDeactivate() {
    if (!uiActive_) return S_OK;
    uiActive_ = false;
    if (inPlaceSite_) {
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> doc;
        RECT pos, clip;
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof(info);
        if (SUCCEEDED(inPlaceSite_->GetWindowContext(frame.put(), doc.put(), &pos, &clip, &info))) {
            if (doc) doc->SetActiveObject(nullptr, nullptr);
            if (frame) frame->SetActiveObject(nullptr, nullptr);
        }
        inPlaceSite_->OnUIDeactivate(FALSE);
    }
    return S_OK;
}

HRESULT CCorvaneCtrl::SetObjectRects(LPCRECT position, LPCRECT clip) {
    if (!position) return E_POINTER;
    if (!window_) return S_OK;
    SetWindowPos(window_, nullptr, position->left, position->top, position->right - position->left,
                 position->bottom - position->top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Show only the part of the window inside the container's clip rectangle.
    RECT visible;
    if (clip && IntersectRect(&visible, position, clip) && !EqualRect(&visible, position)) {
        OffsetRect(&visible, -position->left, -position->top);
        SetWindowRgn(window_, CreateRectRgnIndirect(&visible), TRUE);
    } else if (clip && !IntersectRect(&visible, position, clip)) {
        SetWindowRgn(window_, CreateRectRgn(0, 0, 0, 0), TRUE);
    } else {
        SetWindowRgn(window_, nullptr, TRUE);
    }
    return S_OK;
}

HRESULT CCorvaneCtrl::ReactivateAndUndo() { return E_NOTIMPL; }

// A windowed control: its window gets its own messages.
HRESULT CCorvaneCtrl::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
    if (result) *result = 0;
    return S_FALSE;
}

HRESULT CCorvaneCtrl::GetDropTarget(IDropTarget** target) {
    if (!target) return E_POINTER;
    *target = nullptr;
    return E_NOTIMPL;
}

// IOleInPlaceActiveObject

HRESULT CCorvaneCtrl::TranslateAccelerator(LPMSG) { return S_FALSE; }
HRESULT CCorvaneCtrl::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT CCorvaneCtrl::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT CCorvaneCtrl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
HRESULT CCorvaneCtrl::EnableModeless(BOOL) { return S_OK; }

}  // namespace Corvane
