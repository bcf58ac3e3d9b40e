#include "raise_event.h"

#include <oleauto.h>

#include <vector>

namespace Corvane {

HRESULT EventArg::ToVariant(VARIANT& out) const {
    VariantInit(&out);
    switch (kind_) {
    case Kind::Text:
        out.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text_.data()), static_cast<UINT>(text_.size()));
        if (!out.bstrVal) return E_OUTOFMEMORY;
        out.vt = VT_BSTR;
        return S_OK;
    case Kind::Long:
        out.vt = VT_I4;
        out.lVal = long_;
        return S_OK;
    case Kind::Bool:
        out.vt = VT_BOOL;
        out.boolVal = long_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case Kind::Double:
        out.vt = VT_R8;
        out.dblVal = double_;
        return S_OK;
    case Kind::Object:
        out.vt = VT_DISPATCH;
        out.pdispVal = object_;
        if (object_) object_->AddRef();
        return S_OK;
    case Kind::ByRef:
        out.vt = VT_BYREF | byRefType_;
        out.byref = shared_;
        return S_OK;
    }
    return E_UNEXPECTED;
}

HRESULT BroadcastEvent(const std::vector<ComPtr<IDispatch>>& sinks, DISPID id, const EventArg* args,
                       std::size_t count) {
    HRESULT last = S_OK;
    std::vector<VARIANT> values(count);
    const std::size_t connections = sinks.size();   // sinks connected later wait for the next event
    for (std::size_t i = 0; i < connections; ++i) {
        ComPtr<IDispatch> sink = sinks[i];   // held for the whole call
        if (!sink) continue;
        std::size_t built = 0;
        HRESULT hr = S_OK;
        for (; built < count && SUCCEEDED(hr); ++built) hr = args[count - 1 - built].ToVariant(values[built]);
        if (SUCCEEDED(hr)) {
            DISPPARAMS params{count ? values.data() : nullptr, nullptr, static_cast<UINT>(count), 0};
            last = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        } else {
            last = hr;
        }
        for (std::size_t k = 0; k < built; ++k) VariantClear(&values[k]);
    }
    return last;
}

}  // namespace Corvane
