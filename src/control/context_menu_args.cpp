#include "context_menu_args.h"

#include <string>

#include "barrier.h"
#include "bstr.h"
#include "com_object.h"
#include "runtime_text.h"

namespace Corvane {

namespace {

struct Member {
    const wchar_t* name;
    DISPID id;
};

constexpr DISPID kLocationX = 100;
constexpr DISPID kLocationY = 101;
constexpr DISPID kPageUri = 102;
constexpr DISPID kLinkUri = 103;
constexpr DISPID kHandled = 104;

constexpr Member kMembers[] = {
    {L"LocationX", kLocationX}, {L"LocationY", kLocationY}, {L"PageUri", kPageUri},
    {L"LinkUri", kLinkUri},     {L"Handled", kHandled},
};

class CContextMenuArgs final : public ComObject<CContextMenuArgs, IDispatch> {
public:
    using Exposed = InterfaceList<IDispatch>;

    explicit CContextMenuArgs(ICoreWebView2ContextMenuRequestedEventArgs* args) : ComObject(nullptr), args_(args) {
        POINT location{};
        if (args && SUCCEEDED(args->get_Location(&location))) location_ = location;
        ComPtr<ICoreWebView2ContextMenuTarget> target;
        if (args && SUCCEEDED(args->get_ContextMenuTarget(target.put())) && target) {
            pageUri_ = ReadRuntimeString(target.get(), &ICoreWebView2ContextMenuTarget::get_PageUri);
            linkUri_ = ReadRuntimeString(target.get(), &ICoreWebView2ContextMenuTarget::get_LinkUri);
        }
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids) return E_INVALIDARG;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (const Member& member : kMembers)
                if (names[i] && lstrcmpiW(names[i], member.name) == 0) ids[i] = member.id;
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        return ComBarrier([&]() -> HRESULT {
            if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
                if (id != kHandled) return DISP_E_MEMBERNOTFOUND;
                if (!params || params->cArgs < 1) return DISP_E_BADPARAMCOUNT;
                const VARIANT& value = params->rgvarg[0];
                const VARIANT& v = (value.vt & VT_BYREF) && value.pvarVal && value.vt == (VT_BYREF | VT_VARIANT)
                                       ? *value.pvarVal
                                       : value;
                bool handled;
                switch (v.vt) {
                case VT_BOOL: handled = v.boolVal == VARIANT_TRUE; break;
                case VT_I2: handled = v.iVal != 0; break;
                case VT_I4: handled = v.lVal != 0; break;
                default: return DISP_E_TYPEMISMATCH;
                }
                handled_ = handled;
                if (args_) args_->put_Handled(handled ? TRUE : FALSE);
                return S_OK;
            }
            if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
            VARIANT out;
            VariantInit(&out);
            switch (id) {
            case kLocationX: out.vt = VT_I4; out.lVal = location_.x; break;
            case kLocationY: out.vt = VT_I4; out.lVal = location_.y; break;
            case kPageUri: out.vt = VT_BSTR; out.bstrVal = MakeBstr(pageUri_); break;
            case kLinkUri: out.vt = VT_BSTR; out.bstrVal = MakeBstr(linkUri_); break;
            case kHandled: out.vt = VT_BOOL; out.boolVal = handled_ ? VARIANT_TRUE : VARIANT_FALSE; break;
            default: return DISP_E_MEMBERNOTFOUND;
            }
            if (result) *result = out;
            else VariantClear(&out);
            return S_OK;
        });
    }

private:
    ComPtr<ICoreWebView2ContextMenuRequestedEventArgs> args_;
    POINT location_{};
    std::u16string pageUri_;
    std::u16string linkUri_;
    bool handled_ = false;
};

}  // namespace

ComPtr<IDispatch> CreateContextMenuArgs(ICoreWebView2ContextMenuRequestedEventArgs* args) {
    ComPtr<IDispatch> object;
    object.Attach(new (std::nothrow) CContextMenuArgs(args));
    return object;
}

}  // namespace Corvane
