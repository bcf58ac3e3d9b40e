// Embedding: IOleObject, IOleControl, ambient properties, class info and
// object safety.
#include "barrier.h"
#include "corvane_ctrl.h"
#include "type_info_cache.h"

namespace Corvane {

HRESULT CCorvaneCtrl::QueryExtra(REFIID iid, void** out) {
    // Interfaces reached through more than one base: pick one path.
    IUnknown* answer = nullptr;
    if (IsEqualIID(iid, IID_IPersist)) answer = static_cast<IPersistStreamInit*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow)) answer = static_cast<IOleInPlaceObjectWindowless*>(this);
    if (answer) {
        answer->AddRef();
        *out = answer;
        return S_OK;
    }
    return ComObject::QueryExtra(iid, out);
}

// Design mode only when the container says so: a site without ambient
// properties is a running form.
void CCorvaneCtrl::ReadAmbientUserMode() {
    bool design = false;
    if (auto ambient = clientSite_.TryQuery<IDispatch>()) {
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        VARIANT result;
        VariantInit(&result);
        if (SUCCEEDED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                      &none, &result, nullptr, nullptr)) &&
            SUCCEEDED(VariantChangeType(&result, &result, 0, VT_BOOL))) {
            design = result.boolVal == VARIANT_FALSE;
        }
        VariantClear(&result);
    }
    SetDesignMode(design);
}

void CCorvaneCtrl::SetDesignMode(bool design) {
    if (design == designMode_) return;
    designMode_ = design;
    if (window_) InvalidateRect(window_, nullptr, TRUE);
}

// IOleControl

HRESULT CCorvaneCtrl::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;   // no mnemonics
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT CCorvaneCtrl::OnMnemonic(MSG*) { return E_NOTIMPL; }

HRESULT CCorvaneCtrl::OnAmbientPropertyChange(DISPID id) {
    if (id == DISPID_AMBIENT_USERMODE || id == DISPID_UNKNOWN) ReadAmbientUserMode();
    return S_OK;
}

HRESULT CCorvaneCtrl::FreezeEvents(BOOL freeze) {
    if (freeze) ++eventsFrozen_;
    else if (eventsFrozen_ > 0) --eventsFrozen_;
    return S_OK;
}

// IOleObject

HRESULT CCorvaneCtrl::SetClientSite(IOleClientSite* site) {
    clientSite_ = ComPtr<IOleClientSite>(site);
    if (site) ReadAmbientUserMode();
    return S_OK;
}

HRESULT CCorvaneCtrl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    return clientSite_.CopyTo(site);
}

HRESULT CCorvaneCtrl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT CCorvaneCtrl::Close(DWORD saveOption) {
    closing_ = true;
    InPlaceDeactivate();
    if (dirty_ && clientSite_ && (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE))
        clientSite_->SaveObject();
    if (oleAdvise_) oleAdvise_->SendOnClose();
    return S_OK;
}

HRESULT CCorvaneCtrl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT CCorvaneCtrl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT CCorvaneCtrl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT CCorvaneCtrl::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

HRESULT CCorvaneCtrl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) {
    return ComBarrier([&]() -> HRESULT {
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_UIACTIVATE:
        case OLEIVERB_INPLACEACTIVATE:
            return ActivateInPlace(verb, site, parent, position);
        case OLEIVERB_HIDE:
            UIDeactivate();
            if (window_) ShowWindow(window_, SW_HIDE);
            return S_OK;
        default:
            return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
        }
    });
}

// Verbs and user type live in the registration, as for any control.
HRESULT CCorvaneCtrl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (!verbs) return E_POINTER;
    *verbs = nullptr;
    return OLE_S_USEREG;
}

HRESULT CCorvaneCtrl::Update() { return S_OK; }
HRESULT CCorvaneCtrl::IsUpToDate() { return S_OK; }

HRESULT CCorvaneCtrl::GetUserClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_CorvaneCtrl;
    return S_OK;
}

HRESULT CCorvaneCtrl::GetUserType(DWORD, LPOLESTR* type) {
    if (!type) return E_POINTER;
    *type = nullptr;
    return OLE_S_USEREG;
}

HRESULT CCorvaneCtrl::SetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (size->cx != extent_.cx || size->cy != extent_.cy) {
        extent_ = *size;
        dirty_ = true;
    }
    return S_OK;
}

HRESULT CCorvaneCtrl::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = extent_;
    return S_OK;
}

HRESULT CCorvaneCtrl::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!oleAdvise_) {
        HRESULT hr = CreateOleAdviseHolder(oleAdvise_.put());
        if (FAILED(hr)) return hr;
    }
    return oleAdvise_->Advise(sink, cookie);
}

HRESULT CCorvaneCtrl::Unadvise(DWORD cookie) {
    return oleAdvise_ ? oleAdvise_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT CCorvaneCtrl::EnumAdvise(IEnumSTATDATA** advise) {
    if (!advise) return E_POINTER;
    *advise = nullptr;
    return oleAdvise_ ? oleAdvise_->EnumAdvise(advise) : S_OK;
}

HRESULT CCorvaneCtrl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
              OLEMISC_SETCLIENTSITEFIRST;
    return S_OK;
}

HRESULT CCorvaneCtrl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// IObjectSafety: both options for every interface the object answers.

namespace {
constexpr DWORD kSafeOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
}

HRESULT CCorvaneCtrl::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) {
    if (!supported || !enabled) return E_POINTER;
    *supported = *enabled = 0;
    ComPtr<IUnknown> probe;
    if (FAILED(Inner()->QueryInterface(iid, probe.put_void()))) return E_NOINTERFACE;
    *supported = kSafeOptions;
    *enabled = safetyOptions_;
    return S_OK;
}

HRESULT CCorvaneCtrl::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) {
    if (mask & ~kSafeOptions) return E_FAIL;
    ComPtr<IUnknown> probe;
    if (FAILED(Inner()->QueryInterface(iid, probe.put_void()))) return E_NOINTERFACE;
    // Only the bits in the mask change.
    safetyOptions_ = (safetyOptions_ & ~mask) | (enabled & mask);
    return S_OK;
}

// IProvideClassInfo2

HRESULT CCorvaneCtrl::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return GetModuleTypeInfo(CLSID_CorvaneCtrl, info);
}

HRESULT CCorvaneCtrl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID__DCorvaneCtrlEvents;
    return S_OK;
}

}  // namespace Corvane
