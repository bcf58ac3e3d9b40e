// The view: one drawing routine for the window's paint and for containers
// that render the control themselves (IViewObject::Draw).
#include "corvane_ctrl.h"

namespace Corvane {

namespace {

constexpr COLORREF kDesignFill = RGB(15, 23, 42);
constexpr COLORREF kDesignAccent = RGB(59, 175, 219);
constexpr COLORREF kDesignNote = RGB(160, 160, 160);

void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void DrawCentredLine(HDC dc, RECT box, const wchar_t* text, int pixelHeight, int weight, COLORREF colour, UINT vAlign) {
    HFONT font = CreateFontW(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Segoe UI");
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, colour);
    DrawTextW(dc, text, -1, &box, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | vAlign);
    SelectObject(dc, old);
    DeleteObject(font);
}

}  // namespace

void CCorvaneCtrl::DrawContent(HDC dc, const RECT& bounds) const {
    if (!designMode_) {
        if (!transparentBackground_) FillSolid(dc, bounds, RGB(255, 255, 255));
        return;
    }
    const int saved = SaveDC(dc);
    FillSolid(dc, bounds, kDesignFill);
    HBRUSH frame = CreateSolidBrush(kDesignAccent);
    FrameRect(dc, &bounds, frame);
    DeleteObject(frame);
    SetBkMode(dc, TRANSPARENT);
    const int centre = bounds.top + (bounds.bottom - bounds.top) / 2;
    DrawCentredLine(dc, RECT{bounds.left, bounds.top, bounds.right, centre}, L"Corvane", 28, FW_BOLD, kDesignAccent,
                    DT_BOTTOM);
    DrawCentredLine(dc, RECT{bounds.left, centre + 8, bounds.right, bounds.bottom},
                    L"Design Mode: runtime browser activates when the form opens.", 14, FW_NORMAL, kDesignNote, DT_TOP);
    RestoreDC(dc, saved);
}

HRESULT CCorvaneCtrl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                           BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc) return E_INVALIDARG;
    RECT r;
    if (bounds) {
        r = RECT{bounds->left, bounds->top, bounds->right, bounds->bottom};
    } else if (window_) {
        GetClientRect(window_, &r);
    } else {
        return E_INVALIDARG;   // a windowed view needs the container's rectangle
    }
    DrawContent(dc, r);
    return S_OK;
}

HRESULT CCorvaneCtrl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
    if (colors) *colors = nullptr;
    return E_NOTIMPL;
}
HRESULT CCorvaneCtrl::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }
HRESULT CCorvaneCtrl::Unfreeze(DWORD) { return E_NOTIMPL; }

HRESULT CCorvaneCtrl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewAdvise_ = ComPtr<IAdviseSink>(sink);
    viewAdviseAspects_ = aspects;
    viewAdviseFlags_ = flags;
    return S_OK;
}

HRESULT CCorvaneCtrl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = viewAdviseAspects_;
    if (flags) *flags = viewAdviseFlags_;
    if (sink) viewAdvise_.CopyTo(sink);
    return S_OK;
}

HRESULT CCorvaneCtrl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = extent_;
    return S_OK;
}

HRESULT CCorvaneCtrl::GetRect(DWORD, LPRECTL) { return E_NOTIMPL; }

HRESULT CCorvaneCtrl::GetViewStatus(DWORD* status) {
    if (!status) return E_POINTER;
    *status = transparentBackground_ ? 0 : (VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND);
    return S_OK;
}

HRESULT CCorvaneCtrl::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG, DWORD* result) {
    if (!result || !bounds) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *result = PtInRect(bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

HRESULT CCorvaneCtrl::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG, DWORD* result) {
    if (!result || !bounds || !location) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    RECT overlap;
    *result = IntersectRect(&overlap, bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

HRESULT CCorvaneCtrl::GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) { return E_NOTIMPL; }

}  // namespace Corvane
