// Cookies as JSON, browsing data cleared by kind, by time range and per
// profile, and the profile's preferences.
#include <memory>

#include "bstr.h"
#include "callback.h"
#include "corvane_ctrl.h"
#include "error_info.h"
#include "runtime_text.h"

namespace Corvane {

namespace {

constexpr HRESULT kTimeout = HRESULT_FROM_WIN32(ERROR_TIMEOUT);

// What a waiting member and its completion handler share; either may end first.
struct WaitRecord {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HRESULT hr = E_PENDING;
    std::u16string text;
    ~WaitRecord() {
        if (done) CloseHandle(done);
    }
    void Finish(HRESULT result) {
        hr = result;
        SetEvent(done);
    }
};

HRESULT MissingProfile(std::u16string_view message) {
    ReportError(IID_ICorvaneCtrl, message, E_FAIL);
    return CVN_E_RUNTIME_TOO_OLD;
}

template <class Profile>
ComPtr<Profile> ProfileOf(const ComPtr<ICoreWebView2Profile>& profile) {
    return profile ? profile.TryQuery<Profile>() : ComPtr<Profile>();
}

}  // namespace

HRESULT CCorvaneCtrl::GetCookies(BSTR url, BSTR* cookiesJson) {
    if (!url || !cookiesJson) return E_POINTER;
    *cookiesJson = nullptr;
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return E_FAIL;
        auto v2 = webView_.TryQuery<ICoreWebView2_2>();
        if (!v2) return E_NOTIMPL;
        std::u16string message;
        if (RefuseIfNested(u"GetCookies", message, GuardKind::OtherResult)) return Refused(message);
        ComPtr<ICoreWebView2CookieManager> manager;
        HRESULT hr = v2->get_CookieManager(manager.put());
        if (FAILED(hr) || !manager) return FAILED(hr) ? hr : E_FAIL;
        auto record = std::make_shared<WaitRecord>();
        if (!record->done) return E_OUTOFMEMORY;
        auto done = Callback<ICoreWebView2GetCookiesCompletedHandler>([record](HRESULT result, ICoreWebView2CookieList* list) {
            if (FAILED(result)) {
                record->Finish(result);
                return S_OK;
            }
            std::vector<CookieFields> cookies;
            UINT count = 0;
            if (list) list->get_Count(&count);
            for (UINT i = 0; i < count; ++i) {
                ComPtr<ICoreWebView2Cookie> cookie;
                if (FAILED(list->GetValueAtIndex(i, cookie.put())) || !cookie) continue;
                cookies.push_back({ReadRuntimeString(cookie.get(), &ICoreWebView2Cookie::get_Name),
                                   ReadRuntimeString(cookie.get(), &ICoreWebView2Cookie::get_Value),
                                   ReadRuntimeString(cookie.get(), &ICoreWebView2Cookie::get_Domain),
                                   ReadRuntimeString(cookie.get(), &ICoreWebView2Cookie::get_Path)});
            }
            record->text = CookiesJson(cookies);
            record->Finish(S_OK);
            return S_OK;
        });
        if (!done) return E_OUTOFMEMORY;
        ComPtr<IUnknown> keepAlive(Controlling());
        hr = manager->GetCookies(url, done.get());
        if (FAILED(hr)) return hr;
        hr = PumpWait(record->done, 5000);
        if (FAILED(hr)) return errors_.LastErrorOnly(u"GetCookies timed out.", hr);
        if (FAILED(record->hr)) return record->hr;
        *cookiesJson = MakeBstr(record->text);
        return *cookiesJson ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT CCorvaneCtrl::SetCookie(BSTR name, BSTR value, BSTR domain, BSTR path) {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return E_FAIL;
        auto v2 = webView_.TryQuery<ICoreWebView2_2>();
        if (!v2) return E_NOTIMPL;
        ComPtr<ICoreWebView2CookieManager> manager;
        HRESULT hr = v2->get_CookieManager(manager.put());
        if (FAILED(hr) || !manager) return FAILED(hr) ? hr : E_FAIL;
        ComPtr<ICoreWebView2Cookie> cookie;
        hr = manager->CreateCookie(name ? name : L"", value ? value : L"", domain ? domain : L"", path ? path : L"",
                                   cookie.put());
        if (FAILED(hr) || !cookie) return FAILED(hr) ? hr : E_FAIL;
        return manager->AddOrUpdateCookie(cookie.get());
    });
}

HRESULT CCorvaneCtrl::ClearCookies() {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return E_FAIL;
        auto v2 = webView_.TryQuery<ICoreWebView2_2>();
        ComPtr<ICoreWebView2CookieManager> manager;
        if (!v2 || FAILED(v2->get_CookieManager(manager.put())) || !manager)
            return errors_.LastErrorOnly(u"ClearCookies requires newer WebView2 Runtime.", E_NOTIMPL);
        return manager->DeleteAllCookies();
    });
}

HRESULT CCorvaneCtrl::ClearCache() { return ClearBrowsingData(CVN_DATA_DISK_CACHE); }

HRESULT CCorvaneCtrl::ClearBrowsingData(LONG dataKinds) {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return E_FAIL;
        auto profile = ProfileOf<ICoreWebView2Profile2>(BrowserProfile());
        if (!profile) return errors_.LastErrorOnly(u"ClearBrowsingData requires newer WebView2 Runtime or SDK.", E_NOTIMPL);
        return profile->ClearBrowsingData(static_cast<COREWEBVIEW2_BROWSING_DATA_KINDS>(dataKinds), nullptr);
    });
}

// The runtime counts its range in seconds since 1970; the macro gives dates.
HRESULT CCorvaneCtrl::ClearBrowsingDataInTimeRange(LONG dataKinds, DATE startTime, DATE endTime) {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return E_FAIL;
        std::u16string message;
        if (RefuseIfNested(u"ClearBrowsingDataInTimeRange", message, GuardKind::Completion,
                           u"Use ClearBrowsingData instead (it does not wait),"))
            return Refused(message);
        auto profile = ProfileOf<ICoreWebView2Profile2>(BrowserProfile());
        if (!profile) return errors_.LastErrorOnly(u"ClearBrowsingData requires newer WebView2 Runtime or SDK.", E_NOTIMPL);
        auto record = std::make_shared<WaitRecord>();
        if (!record->done) return E_OUTOFMEMORY;
        auto done = Callback<ICoreWebView2ClearBrowsingDataCompletedHandler>([record](HRESULT result) {
            record->Finish(result);
            return S_OK;
        });
        if (!done) return E_OUTOFMEMORY;
        ComPtr<IUnknown> keepAlive(Controlling());
        HRESULT hr = profile->ClearBrowsingDataInTimeRange(static_cast<COREWEBVIEW2_BROWSING_DATA_KINDS>(dataKinds),
                                                           OleDateToUnixSeconds(startTime),
                                                           OleDateToUnixSeconds(endTime), done.get());
        if (FAILED(hr)) return hr;
        hr = PumpWait(record->done, 30000);
        if (FAILED(hr)) return errors_.LastErrorOnly(u"ClearBrowsingDataInTimeRange timed out.", hr);
        return record->hr;
    });
}

HRESULT CCorvaneCtrl::ClearProfileCookies() {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return E_FAIL;
        auto profile = ProfileOf<ICoreWebView2Profile5>(BrowserProfile());
        if (!profile) return MissingProfile(u"ClearProfileCookies requires WebView2 Runtime with Profile5");
        ComPtr<ICoreWebView2CookieManager> manager;
        if (FAILED(profile->get_CookieManager(manager.put())) || !manager || FAILED(manager->DeleteAllCookies()))
            return E_FAIL;
        return S_OK;
    });
}

// The extension interfaces are not among our runtime declarations: no runtime
// this build talks to lists extensions.
HRESULT CCorvaneCtrl::GetBrowserExtensionList(BSTR* extensionsJson) {
    if (!extensionsJson) return E_POINTER;
    *extensionsJson = nullptr;
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return E_FAIL;
        std::u16string message;
        if (RefuseIfNested(u"GetBrowserExtensionList", message, GuardKind::OtherResult)) return Refused(message);
        return MissingProfile(u"GetBrowserExtensionList requires WebView2 Runtime with Profile7");
    });
}

HRESULT CCorvaneCtrl::get_PreferredColorScheme(CVN_COLOR_SCHEME* value) {
    if (!value) return E_POINTER;
    *value = static_cast<CVN_COLOR_SCHEME>(0);
    if (!webView_) return S_OK;
    auto profile = BrowserProfile();
    if (!profile) return MissingProfile(u"PreferredColorScheme requires WebView2 Runtime 1.0.1054+");
    COREWEBVIEW2_PREFERRED_COLOR_SCHEME scheme = COREWEBVIEW2_PREFERRED_COLOR_SCHEME_AUTO;
    if (FAILED(profile->get_PreferredColorScheme(&scheme))) return E_FAIL;
    *value = static_cast<CVN_COLOR_SCHEME>(scheme);
    return S_OK;
}

HRESULT CCorvaneCtrl::put_PreferredColorScheme(CVN_COLOR_SCHEME value) {
    if (!webView_) return E_FAIL;
    auto profile = BrowserProfile();
    if (!profile) return MissingProfile(u"PreferredColorScheme requires WebView2 Runtime 1.0.1054+");
    return SUCCEEDED(profile->put_PreferredColorScheme(static_cast<COREWEBVIEW2_PREFERRED_COLOR_SCHEME>(value)))
               ? S_OK
               : E_FAIL;
}

HRESULT CCorvaneCtrl::get_PreferredTrackingPreventionLevel(CVN_TRACKING_PREVENTION* value) {
    if (!value) return E_POINTER;
    *value = static_cast<CVN_TRACKING_PREVENTION>(2);
    if (!webView_) return S_OK;
    auto profile = ProfileOf<ICoreWebView2Profile3>(BrowserProfile());
    if (!profile) return MissingProfile(u"PreferredTrackingPreventionLevel requires WebView2 Runtime 1.0.1185+");
    COREWEBVIEW2_TRACKING_PREVENTION_LEVEL level = COREWEBVIEW2_TRACKING_PREVENTION_LEVEL_BALANCED;
    if (FAILED(profile->get_PreferredTrackingPreventionLevel(&level))) return E_FAIL;
    *value = static_cast<CVN_TRACKING_PREVENTION>(level);
    return S_OK;
}

HRESULT CCorvaneCtrl::put_PreferredTrackingPreventionLevel(CVN_TRACKING_PREVENTION value) {
    if (!webView_) return E_FAIL;
    auto profile = ProfileOf<ICoreWebView2Profile3>(BrowserProfile());
    if (!profile) return MissingProfile(u"PreferredTrackingPreventionLevel requires WebView2 Runtime 1.0.1185+");
    return SUCCEEDED(profile->put_PreferredTrackingPreventionLevel(
               static_cast<COREWEBVIEW2_TRACKING_PREVENTION_LEVEL>(value)))
               ? S_OK
               : E_FAIL;
}

// The two autofill switches of the profile: read without a browser answers true.
HRESULT CCorvaneCtrl::ProfileBool(bool autosave, VARIANT_BOOL* read, const VARIANT_BOOL* write) {
    if (read) *read = VARIANT_TRUE;
    if (!webView_) return read ? S_OK : E_FAIL;
    auto profile = ProfileOf<ICoreWebView2Profile6>(BrowserProfile());
    if (!profile)
        return MissingProfile(autosave ? u"ProfileIsPasswordAutosaveEnabled requires WebView2 Runtime with Profile6"
                                       : u"ProfileIsGeneralAutofillEnabled requires WebView2 Runtime with Profile6");
    HRESULT hr;
    if (read) {
        BOOL on = TRUE;
        hr = autosave ? profile->get_IsPasswordAutosaveEnabled(&on) : profile->get_IsGeneralAutofillEnabled(&on);
        if (SUCCEEDED(hr)) *read = ToVariantBool(on != FALSE);
    } else {
        const BOOL on = IsTrue(*write) ? TRUE : FALSE;
        hr = autosave ? profile->put_IsPasswordAutosaveEnabled(on) : profile->put_IsGeneralAutofillEnabled(on);
    }
    return SUCCEEDED(hr) ? S_OK : E_FAIL;
}

HRESULT CCorvaneCtrl::get_ProfileIsPasswordAutosaveEnabled(VARIANT_BOOL* value) {
    return value ? ProfileBool(true, value, nullptr) : E_POINTER;
}
HRESULT CCorvaneCtrl::put_ProfileIsPasswordAutosaveEnabled(VARIANT_BOOL value) { return ProfileBool(true, nullptr, &value); }
HRESULT CCorvaneCtrl::get_ProfileIsGeneralAutofillEnabled(VARIANT_BOOL* value) {
    return value ? ProfileBool(false, value, nullptr) : E_POINTER;
}
HRESULT CCorvaneCtrl::put_ProfileIsGeneralAutofillEnabled(VARIANT_BOOL value) { return ProfileBool(false, nullptr, &value); }

}  // namespace Corvane
