// CBrowserPoolObj: the browser pool. Browsers without a form, addressed by an
// index this pool hands out (1, 2, 3 ..., never reused); the controls behind
// them belong to the process-wide BrowserRegistry. Most members forward to the
// control by index (pool_forwarding.h, generated from pool_members.txt). It
// refuses aggregation: pools are handed out whole, by CoCreateInstance or
// Corvane_CreateBrowserPool.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "barrier.h"
#include "browser_registry.h"
#include "com_object.h"
#include "corvane_h.h"
#include "dispatch.h"
#include "error_info.h"
#include "pool_forwarding.h"

namespace Corvane {

inline constexpr HRESULT CVN_E_BRIDGE_NO_BROWSER = static_cast<HRESULT>(0x80040508);
inline constexpr std::u16string_view kInvalidBrowserIndex = u"Invalid browser index. Use the value returned by Create().";

class CBrowserPoolObj final
    : public ComObject<CBrowserPoolObj, DispatchImpl<IBrowserPool, BrowserPoolForwarding<CBrowserPoolObj>>,
                       SupportErrorInfoImpl<&IID_IBrowserPool>> {
public:
    using Exposed = InterfaceList<IBrowserPool, ISupportErrorInfo>;
    static constexpr bool kAggregatable = false;

    explicit CBrowserPoolObj(IUnknown* outer);
    ~CBrowserPoolObj() override;

    // Lifecycle (browser_pool.cpp).
    HRESULT STDMETHODCALLTYPE Create(LONG hwndParent, BSTR url, LONG x, LONG y, LONG width, LONG height,
                                     LONG* browserIndex) override;
    HRESULT STDMETHODCALLTYPE CreateWithProfile(LONG hwndParent, BSTR url, LONG x, LONG y, LONG width, LONG height,
                                                BSTR profileName, LONG* browserIndex) override;
    HRESULT STDMETHODCALLTYPE CreateWithProfileInPrivate(LONG hwndParent, BSTR url, LONG x, LONG y, LONG width,
                                                         LONG height, BSTR profileName, LONG* browserIndex) override;
    HRESULT STDMETHODCALLTYPE CreateInControl(BSTR url, IDispatch* control, LONG* browserIndex) override;
    HRESULT STDMETHODCALLTYPE CreateInControlWithProfile(BSTR url, IDispatch* control, BSTR profileName,
                                                         LONG* browserIndex) override;
    HRESULT STDMETHODCALLTYPE EmbedInControl(LONG browserIndex, IDispatch* control) override;
    HRESULT STDMETHODCALLTYPE Park(LONG browserIndex) override;
    HRESULT STDMETHODCALLTYPE ParkBrowser(LONG browserIndex) override;
    HRESULT STDMETHODCALLTYPE Reparent(LONG browserIndex, LONG hwndNewParent, LONG x, LONG y, LONG width,
                                       LONG height) override;
    HRESULT STDMETHODCALLTYPE Destroy(LONG browserIndex) override;
    HRESULT STDMETHODCALLTYPE DestroySync(LONG browserIndex) override;
    HRESULT STDMETHODCALLTYPE DestroyBrowser(LONG browserIndex) override;
    HRESULT STDMETHODCALLTYPE DestroyBrowserSync(LONG browserIndex, LONG timeoutMs) override;
    HRESULT STDMETHODCALLTYPE DestroyAllParked(LONG* count) override;
    HRESULT STDMETHODCALLTYPE GetParkedBrowserCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE IsValidIndex(LONG browserIndex, VARIANT_BOOL* isValid) override;
    HRESULT STDMETHODCALLTYPE IsValidHandle(LONG browserIndex, VARIANT_BOOL* isValid) override;
    HRESULT STDMETHODCALLTYPE GetBrowserCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE GetProfileName(LONG browserIndex, BSTR* profileName) override;
    HRESULT STDMETHODCALLTYPE GetProfilePath(LONG browserIndex, BSTR* profilePath) override;
    HRESULT STDMETHODCALLTYPE IsInPrivateMode(LONG browserIndex, VARIANT_BOOL* inPrivate) override;
    HRESULT STDMETHODCALLTYPE ClearProfileBrowsingData(LONG browserIndex, LONG dataKinds) override;
    HRESULT STDMETHODCALLTYPE ClearProfileBrowsingDataAll(LONG browserIndex) override;
    HRESULT STDMETHODCALLTYPE Resize(LONG browserIndex, LONG x, LONG y, LONG width, LONG height) override;

    // Pool-wide settings and runtime queries.
    HRESULT STDMETHODCALLTYPE get_ControlVersion(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_BrowserExecutableFolder(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_BrowserExecutableFolder(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_EnableHardwareAcceleration(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_EnableHardwareAcceleration(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE IsWebView2RuntimeInstalled(VARIANT_BOOL* installed) override;
    HRESULT STDMETHODCALLTYPE GetWebView2RuntimeVersion(BSTR* version) override;
    HRESULT STDMETHODCALLTYPE GetWebView2RuntimePath(BSTR* folderPath) override;

    // JSON members that ignore the index (pool_json.cpp).
    HRESULT STDMETHODCALLTYPE BuildJson(LONG browserIndex, VARIANT inputData, BSTR* json) override;
    HRESULT STDMETHODCALLTYPE JsonCreateObject(LONG browserIndex, BSTR* json) override;
    HRESULT STDMETHODCALLTYPE JsonCreateArray(LONG browserIndex, BSTR* json) override;
    HRESULT STDMETHODCALLTYPE JsonSetValue2(LONG browserIndex, BSTR json, BSTR path, VARIANT value, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonRemoveKey2(LONG browserIndex, BSTR json, BSTR path, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonExists(LONG browserIndex, BSTR json, BSTR path, VARIANT_BOOL* exists) override;
    HRESULT STDMETHODCALLTYPE JsonAppend(LONG browserIndex, BSTR json, BSTR path, VARIANT value, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonMerge(LONG browserIndex, BSTR json1, BSTR json2, VARIANT_BOOL deep,
                                        BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonCount(LONG browserIndex, BSTR json, BSTR path, LONG* count) override;
    HRESULT STDMETHODCALLTYPE JsonPrettyPrint(LONG browserIndex, BSTR json, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonInsert(LONG browserIndex, BSTR json, BSTR path, LONG index, VARIANT value,
                                         BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonClear(LONG browserIndex, BSTR json, BSTR path, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonFlatten(LONG browserIndex, BSTR json, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonUnflatten(LONG browserIndex, BSTR json, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonToRowArray2(LONG browserIndex, BSTR json, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE JsonUnwrapString(LONG browserIndex, BSTR jsonValue, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonCompact(LONG browserIndex, BSTR json, BSTR path, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonSetValue(LONG browserIndex, BSTR json, BSTR path, VARIANT value, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonRemoveKey(LONG browserIndex, BSTR json, BSTR path, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonToRowArray(LONG browserIndex, BSTR json, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE PushRecordset(LONG browserIndex, IDispatch* recordset, BSTR jsCallback) override;

    // The control's operations for page-to-macro calls, which only the pool publishes.
    HRESULT STDMETHODCALLTYPE SetAllowedVBAMacros(LONG browserIndex, BSTR macroList) override;
    HRESULT STDMETHODCALLTYPE ClearAllowedVBAMacros(LONG browserIndex) override;
    HRESULT STDMETHODCALLTYPE EnableAutoDispatch(LONG browserIndex, VARIANT_BOOL enabled) override;
    HRESULT STDMETHODCALLTYPE IsAutoDispatchEnabled(LONG browserIndex, VARIANT_BOOL* isEnabled) override;
    HRESULT STDMETHODCALLTYPE SetReadyCallback(LONG browserIndex, IDispatch* callbackObject, BSTR methodName) override;
    HRESULT STDMETHODCALLTYPE ClearReadyCallback(LONG browserIndex) override;
    HRESULT STDMETHODCALLTYPE RegisterVbaCallback(LONG browserIndex, BSTR jsName, IDispatch* callbackObject,
                                                  BSTR methodName) override;
    HRESULT STDMETHODCALLTYPE UnregisterVbaCallback(LONG browserIndex) override;

    // The forwarding rule, used by every generated member.
    template <class F>
    HRESULT Forward(LONG index, ForwardKind kind, VARIANT_BOOL* answer, F&& call) noexcept {
        try {
            PooledBrowser browser;
            HRESULT found = Lookup(index, browser);
            if (found == E_INVALIDARG) return kind == ForwardKind::Lenient ? E_FAIL : found;
            if (FAILED(found)) {
                if (kind == ForwardKind::Bool) return S_OK;   // answer already false
                return kind == ForwardKind::Bridge ? CVN_E_BRIDGE_NO_BROWSER : E_FAIL;
            }
            HRESULT hr = call(browser.control.get());
            switch (kind) {
            case ForwardKind::Bridge:
                return hr;
            case ForwardKind::Bool:
                if (hr == E_NOTIMPL) return hr;
                *answer = SUCCEEDED(hr) && *answer == VARIANT_TRUE ? VARIANT_TRUE : VARIANT_FALSE;
                return S_OK;
            default:
                // A member a later release implements keeps its own answer.
                if (hr == E_NOTIMPL) return hr;
                return FAILED(hr) ? E_FAIL : S_OK;
            }
        } catch (...) {
            return E_UNEXPECTED;
        }
    }

private:
    // The pooled control's own object for an operation outside its interface;
    // E_INVALIDARG for an index that names no browser.
    template <class F>
    HRESULT WithControl(LONG index, F&& call) {
        return ComBarrier([&]() -> HRESULT {
            PooledBrowser browser;
            if (FAILED(Lookup(index, browser)) || !browser.object) return E_INVALIDARG;
            return call(*browser.object);
        });
    }
    // E_INVALIDARG with the error information for an index this pool never
    // handed out (or forgot); E_FAIL when the registry no longer holds it.
    HRESULT Lookup(LONG index, PooledBrowser& browser);
    HRESULT CreateIndexed(HWND parent, BSTR url, LONG x, LONG y, LONG width, LONG height,
                          const std::u16string* profile, bool inPrivate, LONG* browserIndex);
    HRESULT CreateInControlIndexed(BSTR url, IDispatch* control, const std::u16string* profile, LONG* browserIndex);
    HRESULT MoveInto(LONG browserIndex, HWND parent, LONG x, LONG y, LONG width, LONG height);
    HRESULT DestroyIndexed(LONG browserIndex, bool forget, DWORD waitMs);
    // A browser-less control whose JSON members the index-free JSON members use.
    ICorvaneCtrl* JsonEngine();

    std::map<LONG, std::int64_t> indexes_;
    LONG nextIndex_ = 1;
    ComPtr<ICorvaneCtrl> jsonEngine_;
};

}  // namespace Corvane
