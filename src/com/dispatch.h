// IDispatch for a dual interface through the module's type library:
// ITypeInfo::Invoke calls the vtable, so names, dispatch ids, optional
// arguments and coercion behave exactly as the library declares them.
#pragma once

#include <oaidl.h>

#include "com_ptr.h"
#include "type_info_cache.h"

namespace Corvane {

// `Base` is the interface itself or a class implementing it (for example one
// whose members answer E_NOTIMPL until they are written).
template <class I, class Base = I>
class DispatchImpl : public Base {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return GetModuleTypeInfo(__uuidof(I), out);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> info;
        HRESULT hr = GetModuleTypeInfo(__uuidof(I), info.put());
        if (FAILED(hr)) return hr;
        return info->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> info;
        HRESULT hr = GetModuleTypeInfo(__uuidof(I), info.put());
        if (FAILED(hr)) return hr;
        return info->Invoke(static_cast<I*>(this), id, flags, params, result, excep, argErr);
    }
};

}  // namespace Corvane
