// Quick activation (one call instead of a container's many), property pages
// (none) and the data object that hands containers a picture of the view.
#include "barrier.h"
#include "corvane_ctrl.h"

namespace Corvane {

HRESULT CCorvaneCtrl::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
}

HRESULT CCorvaneCtrl::QuickActivate(QACONTAINER* container, QACONTROL* control) {
    if (!container || !control) return E_POINTER;
    if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL)) return E_UNEXPECTED;
    return ComBarrier([&]() -> HRESULT {
        HRESULT hr = SetClientSite(container->pClientSite);
        if (FAILED(hr)) return hr;
        // The container hands its ambients over here; they win over asking the site.
        SetDesignMode(!(container->dwAmbientFlags & QACONTAINER_USERMODE));
        if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
        control->dwEventCookie = 0;
        control->dwPropNotifyCookie = 0;   // no property-change notifications
        control->dwPointerActivationPolicy = 0;
        if (container->pUnkEventSink) {
            hr = Point().Advise(container->pUnkEventSink, &control->dwEventCookie);
            if (FAILED(hr)) return hr;
        }
        GetMiscStatus(DVASPECT_CONTENT, &control->dwMiscStatus);
        GetViewStatus(&control->dwViewStatus);
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::SetContentExtent(LPSIZEL size) { return SetExtent(DVASPECT_CONTENT, size); }
HRESULT CCorvaneCtrl::GetContentExtent(LPSIZEL size) { return GetExtent(DVASPECT_CONTENT, size); }

// IDataObject: the view as an enhanced metafile or a metafile picture, of
// the control's extent.

namespace {

bool Offered(const FORMATETC& f) {
    return f.dwAspect == DVASPECT_CONTENT &&
           ((f.cfFormat == CF_ENHMETAFILE && (f.tymed & TYMED_ENHMF)) ||
            (f.cfFormat == CF_METAFILEPICT && (f.tymed & TYMED_MFPICT)));
}

SIZE PixelsOf(SIZEL himetric) {
    HDC screen = GetDC(nullptr);
    SIZE px{MulDiv(himetric.cx, GetDeviceCaps(screen, LOGPIXELSX), 2540),
            MulDiv(himetric.cy, GetDeviceCaps(screen, LOGPIXELSY), 2540)};
    ReleaseDC(nullptr, screen);
    return px;
}

}  // namespace

HRESULT CCorvaneCtrl::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium) return E_POINTER;
    if (!Offered(*format)) return DV_E_FORMATETC;
    const SIZE px = PixelsOf(extent_);
    const RECT area{0, 0, px.cx, px.cy};
    *medium = STGMEDIUM{};
    if (format->cfFormat == CF_ENHMETAFILE) {
        const RECT frame{0, 0, extent_.cx, extent_.cy};   // HIMETRIC, as the frame wants
        HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
        if (!dc) return E_OUTOFMEMORY;
        DrawContent(dc, area);
        medium->hEnhMetaFile = CloseEnhMetaFile(dc);
        if (!medium->hEnhMetaFile) return E_OUTOFMEMORY;
        medium->tymed = TYMED_ENHMF;
        return S_OK;
    }
    HDC dc = CreateMetaFileW(nullptr);
    if (!dc) return E_OUTOFMEMORY;
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, px.cx, px.cy, nullptr);
    DrawContent(dc, area);
    HMETAFILE metafile = CloseMetaFile(dc);
    HGLOBAL picture = metafile ? GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT)) : nullptr;
    if (!picture) {
        if (metafile) DeleteMetaFile(metafile);
        return E_OUTOFMEMORY;
    }
    auto* mfp = static_cast<METAFILEPICT*>(GlobalLock(picture));
    *mfp = METAFILEPICT{MM_ANISOTROPIC, extent_.cx, extent_.cy, metafile};
    GlobalUnlock(picture);
    medium->tymed = TYMED_MFPICT;
    medium->hMetaFilePict = picture;
    return S_OK;
}

HRESULT CCorvaneCtrl::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT CCorvaneCtrl::QueryGetData(FORMATETC* format) {
    if (!format) return E_POINTER;
    return Offered(*format) ? S_OK : DV_E_FORMATETC;
}

HRESULT CCorvaneCtrl::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT CCorvaneCtrl::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT CCorvaneCtrl::EnumFormatEtc(DWORD, IEnumFORMATETC** formats) {
    if (!formats) return E_POINTER;
    *formats = nullptr;
    return OLE_S_USEREG;
}

HRESULT CCorvaneCtrl::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!dataAdvise_) {
        HRESULT hr = CreateDataAdviseHolder(dataAdvise_.put());
        if (FAILED(hr)) return hr;
    }
    return dataAdvise_->Advise(static_cast<IDataObject*>(this), format, flags, sink, cookie);
}

HRESULT CCorvaneCtrl::DUnadvise(DWORD cookie) {
    return dataAdvise_ ? dataAdvise_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT CCorvaneCtrl::EnumDAdvise(IEnumSTATDATA** advise) {
    if (!advise) return E_POINTER;
    *advise = nullptr;
    return dataAdvise_ ? dataAdvise_->EnumAdvise(advise) : OLE_E_ADVISENOTSUPPORTED;
}

}  // namespace Corvane
