// The pool's own members: creating, addressing, parking, moving and
// destroying its browsers, the settings shared by every pool of the process,
// and the runtime queries that need no browser.
#include "browser_pool.h"

#include <shlobj.h>

#include "bstr.h"
#include "profile_name_rules.h"
#include "runtime_loader.h"
#include "runtime_text.h"
#include "settings_table.h"

namespace Corvane {

namespace {

constexpr std::u16string_view kCreateFailed = u"Failed to create browser instance. Ensure WebView2 Runtime is installed.";
constexpr DWORD kDestroySyncWait = 1000;

HWND ToWindow(LONG handle) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle)); }

}  // namespace

CBrowserPoolObj::CBrowserPoolObj(IUnknown* outer) : ComObject(outer) { BrowserRegistry::Get().PoolCreated(); }

CBrowserPoolObj::~CBrowserPoolObj() {
    // The pool's browsers go with it; destroying one can pump messages, so
    // the map is taken first.
    std::map<LONG, std::int64_t> indexes;
    indexes.swap(indexes_);
    for (const auto& entry : indexes) BrowserRegistry::Get().Destroy(entry.second);
    jsonEngine_.Reset();
    BrowserRegistry::Get().PoolReleased();
}

HRESULT CBrowserPoolObj::Lookup(LONG index, PooledBrowser& browser) {
    auto it = indexes_.find(index);
    if (it == indexes_.end()) return ReportError(IID_IBrowserPool, kInvalidBrowserIndex, E_INVALIDARG);
    return BrowserRegistry::Get().Find(it->second, browser) ? S_OK : E_FAIL;
}

HRESULT CBrowserPoolObj::CreateIndexed(HWND parent, BSTR url, LONG x, LONG y, LONG width, LONG height,
                                       const std::u16string* profile, bool inPrivate, LONG* browserIndex) {
    if (!browserIndex) return E_POINTER;
    *browserIndex = 0;
    return ComBarrier([&]() -> HRESULT {
        const std::int64_t handle = BrowserRegistry::Get().Create(parent, url, x, y, width, height, profile, inPrivate);
        if (!handle) return E_FAIL;
        const LONG index = nextIndex_++;
        indexes_[index] = handle;
        *browserIndex = index;
        return S_OK;
    });
}

HRESULT CBrowserPoolObj::Create(LONG hwndParent, BSTR url, LONG x, LONG y, LONG width, LONG height,
                                LONG* browserIndex) {
    HRESULT hr = CreateIndexed(ToWindow(hwndParent), url, x, y, width, height, nullptr, false, browserIndex);
    if (hr == E_FAIL) return ReportError(IID_IBrowserPool, kCreateFailed, E_FAIL);
    return hr;
}

HRESULT CBrowserPoolObj::CreateWithProfile(LONG hwndParent, BSTR url, LONG x, LONG y, LONG width, LONG height,
                                           BSTR profileName, LONG* browserIndex) {
    if (!browserIndex) return E_POINTER;
    return ComBarrier([&] {
        const std::u16string profile = SanitizeProfileName(BstrView(profileName));
        return CreateIndexed(ToWindow(hwndParent), url, x, y, width, height, &profile, false, browserIndex);
    });
}

HRESULT CBrowserPoolObj::CreateWithProfileInPrivate(LONG hwndParent, BSTR url, LONG x, LONG y, LONG width,
                                                    LONG height, BSTR profileName, LONG* browserIndex) {
    if (!browserIndex) return E_POINTER;
    return ComBarrier([&] {
        const std::u16string profile = SanitizeProfileName(BstrView(profileName));
        return CreateIndexed(ToWindow(hwndParent), url, x, y, width, height, &profile, true, browserIndex);
    });
}

HRESULT CBrowserPoolObj::CreateInControlIndexed(BSTR url, IDispatch* control, const std::u16string* profile,
                                                LONG* browserIndex) {
    if (!browserIndex) return E_POINTER;
    *browserIndex = 0;
    if (!control) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        LONG index = 0;
        HRESULT hr = CreateIndexed(nullptr, url, 0, 0, 100, 100, profile, false, &index);
        if (FAILED(hr)) return hr;
        const std::int64_t handle = indexes_[index];
        if (FAILED(BrowserRegistry::Get().EmbedInControl(handle, control))) {
            BrowserRegistry::Get().Destroy(handle);
            indexes_.erase(index);
            return E_FAIL;
        }
        *browserIndex = index;
        return S_OK;
    });
}

HRESULT CBrowserPoolObj::CreateInControl(BSTR url, IDispatch* control, LONG* browserIndex) {
    return CreateInControlIndexed(url, control, nullptr, browserIndex);
}

HRESULT CBrowserPoolObj::CreateInControlWithProfile(BSTR url, IDispatch* control, BSTR profileName,
                                                    LONG* browserIndex) {
    if (!browserIndex) return E_POINTER;
    return ComBarrier([&] {
        const std::u16string profile = SanitizeProfileName(BstrView(profileName));
        return CreateInControlIndexed(url, control, &profile, browserIndex);
    });
}

HRESULT CBrowserPoolObj::EmbedInControl(LONG browserIndex, IDispatch* control) {
    return ComBarrier([&]() -> HRESULT {
        PooledBrowser browser;
        HRESULT hr = Lookup(browserIndex, browser);
        if (FAILED(hr)) return hr;
        return FAILED(BrowserRegistry::Get().EmbedInControl(indexes_[browserIndex], control)) ? E_FAIL : S_OK;
    });
}

HRESULT CBrowserPoolObj::MoveInto(LONG browserIndex, HWND parent, LONG x, LONG y, LONG width, LONG height) {
    return ComBarrier([&]() -> HRESULT {
        PooledBrowser browser;
        HRESULT hr = Lookup(browserIndex, browser);
        if (FAILED(hr)) return hr;
        if (!parent) return E_FAIL;
        browser.object->SetEmbedOrigin(x, y);
        return FAILED(browser.control->EmbedInHwnd(reinterpret_cast<INT_PTR>(parent), width, height)) ? E_FAIL : S_OK;
    });
}

HRESULT CBrowserPoolObj::Park(LONG browserIndex) {
    return MoveInto(browserIndex, BrowserRegistry::Get().ParkingWindow(), 0, 0, 1, 1);
}

HRESULT CBrowserPoolObj::ParkBrowser(LONG browserIndex) { return Park(browserIndex); }

HRESULT CBrowserPoolObj::Reparent(LONG browserIndex, LONG hwndNewParent, LONG x, LONG y, LONG width, LONG height) {
    return MoveInto(browserIndex, ToWindow(hwndNewParent), x, y, width, height);
}

HRESULT CBrowserPoolObj::Resize(LONG browserIndex, LONG x, LONG y, LONG width, LONG height) {
    return ComBarrier([&]() -> HRESULT {
        PooledBrowser browser;
        HRESULT hr = Lookup(browserIndex, browser);
        if (FAILED(hr)) return hr;
        browser.control->MoveEmbedded(x, y);
        browser.control->ResizeEmbedded(width, height);
        return S_OK;
    });
}

HRESULT CBrowserPoolObj::DestroyIndexed(LONG browserIndex, bool forget, DWORD waitMs) {
    return ComBarrier([&]() -> HRESULT {
        auto it = indexes_.find(browserIndex);
        if (it == indexes_.end()) return ReportError(IID_IBrowserPool, kInvalidBrowserIndex, E_INVALIDARG);
        const std::int64_t handle = it->second;
        // Forgotten before the destruction pumps messages, so nothing can
        // reach the index meanwhile.
        if (forget) indexes_.erase(it);
        return BrowserRegistry::Get().Destroy(handle, waitMs);
    });
}

HRESULT CBrowserPoolObj::Destroy(LONG browserIndex) { return DestroyIndexed(browserIndex, true, 0); }
HRESULT CBrowserPoolObj::DestroySync(LONG browserIndex) { return DestroyIndexed(browserIndex, true, kDestroySyncWait); }
HRESULT CBrowserPoolObj::DestroyBrowser(LONG browserIndex) { return DestroyIndexed(browserIndex, false, 0); }

HRESULT CBrowserPoolObj::DestroyBrowserSync(LONG browserIndex, LONG timeoutMs) {
    return DestroyIndexed(browserIndex, false, timeoutMs > 0 ? static_cast<DWORD>(timeoutMs) : 0);
}

HRESULT CBrowserPoolObj::DestroyAllParked(LONG* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return ComBarrier([&] {
        for (std::int64_t handle : BrowserRegistry::Get().ParkedHandles())
            if (SUCCEEDED(BrowserRegistry::Get().Destroy(handle))) ++*count;
        return S_OK;
    });
}

HRESULT CBrowserPoolObj::GetParkedBrowserCount(LONG* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return ComBarrier([&] {
        *count = static_cast<LONG>(BrowserRegistry::Get().ParkedHandles().size());
        return S_OK;
    });
}

HRESULT CBrowserPoolObj::IsValidIndex(LONG browserIndex, VARIANT_BOOL* isValid) {
    if (!isValid) return E_POINTER;
    *isValid = VARIANT_FALSE;
    if (indexes_.count(browserIndex) == 0) {
        ReportError(IID_IBrowserPool, kInvalidBrowserIndex, E_INVALIDARG);
        return S_OK;
    }
    *isValid = VARIANT_TRUE;
    return S_OK;
}

HRESULT CBrowserPoolObj::IsValidHandle(LONG browserIndex, VARIANT_BOOL* isValid) {
    if (!isValid) return E_POINTER;
    *isValid = VARIANT_FALSE;
    return ComBarrier([&]() -> HRESULT {
        PooledBrowser browser;
        HRESULT hr = Lookup(browserIndex, browser);
        if (hr == E_INVALIDARG) return S_OK;   // the error information says why
        *isValid = ToVariantBool(SUCCEEDED(hr));
        return S_OK;
    });
}

HRESULT CBrowserPoolObj::GetBrowserCount(LONG* count) {
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(indexes_.size());
    return S_OK;
}

HRESULT CBrowserPoolObj::GetProfileName(LONG browserIndex, BSTR* profileName) {
    if (!profileName) return E_POINTER;
    *profileName = nullptr;
    return ComBarrier([&]() -> HRESULT {
        PooledBrowser browser;
        HRESULT hr = Lookup(browserIndex, browser);
        if (FAILED(hr)) return hr;
        std::u16string name = browser.object->StoredProfileName();
        if (auto profile = browser.object->BrowserProfile()) {
            std::u16string text = ReadRuntimeString(profile.get(), &ICoreWebView2Profile::get_ProfileName);
            if (!text.empty()) name = std::move(text);
        }
        *profileName = MakeBstr(name);
        return S_OK;
    });
}

HRESULT CBrowserPoolObj::GetProfilePath(LONG browserIndex, BSTR* profilePath) {
    if (!profilePath) return E_POINTER;
    *profilePath = nullptr;
    return ComBarrier([&]() -> HRESULT {
        PooledBrowser browser;
        HRESULT hr = Lookup(browserIndex, browser);
        if (FAILED(hr)) return hr;
        std::u16string path = u"Initializing...";
        if (auto profile = browser.object->BrowserProfile()) {
            path = ReadRuntimeString(profile.get(), &ICoreWebView2Profile::get_ProfilePath);
            if (path.empty()) path = u"Not available yet";
        }
        *profilePath = MakeBstr(path);
        return S_OK;
    });
}

HRESULT CBrowserPoolObj::IsInPrivateMode(LONG browserIndex, VARIANT_BOOL* inPrivate) {
    if (!inPrivate) return E_POINTER;
    *inPrivate = VARIANT_FALSE;
    return ComBarrier([&]() -> HRESULT {
        PooledBrowser browser;
        HRESULT hr = Lookup(browserIndex, browser);
        if (FAILED(hr)) return hr;
        bool answer = browser.object->StoredInPrivate();
        if (auto profile = browser.object->BrowserProfile()) {
            BOOL enabled = FALSE;
            if (SUCCEEDED(profile->get_IsInPrivateModeEnabled(&enabled))) answer = enabled != FALSE;
        }
        *inPrivate = ToVariantBool(answer);
        return S_OK;
    });
}

HRESULT CBrowserPoolObj::ClearProfileBrowsingData(LONG browserIndex, LONG dataKinds) {
    return ComBarrier([&]() -> HRESULT {
        PooledBrowser browser;
        HRESULT hr = Lookup(browserIndex, browser);
        if (FAILED(hr)) return hr;
        auto second = browser.object->BrowserProfile().TryQuery<ICoreWebView2Profile2>();
        if (!second) return E_FAIL;
        return FAILED(second->ClearBrowsingData(static_cast<COREWEBVIEW2_BROWSING_DATA_KINDS>(dataKinds), nullptr))
                   ? E_FAIL
                   : S_OK;
    });
}

HRESULT CBrowserPoolObj::ClearProfileBrowsingDataAll(LONG browserIndex) {
    return ComBarrier([&]() -> HRESULT {
        PooledBrowser browser;
        HRESULT hr = Lookup(browserIndex, browser);
        if (FAILED(hr)) return hr;
        auto second = browser.object->BrowserProfile().TryQuery<ICoreWebView2Profile2>();
        if (!second) return E_FAIL;
        return FAILED(second->ClearBrowsingDataAll(nullptr)) ? E_FAIL : S_OK;
    });
}

HRESULT CBrowserPoolObj::get_ControlVersion(BSTR* value) {
    if (!value) return E_POINTER;
    *value = MakeBstr(kControlVersion);
    return *value ? S_OK : E_OUTOFMEMORY;
}

namespace {

// The text settings every pool of the process shares.
HRESULT GetSharedText(std::u16string NewBrowserSettings::*field, BSTR* value) {
    if (!value) return E_POINTER;
    return ComBarrier([&] {
        *value = MakeBstr(BrowserRegistry::Get().Settings().*field);
        return S_OK;
    });
}

HRESULT PutSharedText(std::u16string NewBrowserSettings::*field, BSTR value) {
    return ComBarrier([&] {
        NewBrowserSettings settings = BrowserRegistry::Get().Settings();
        (settings.*field).assign(BstrView(value));
        BrowserRegistry::Get().SetSettings(settings);
        return S_OK;
    });
}

}  // namespace

HRESULT CBrowserPoolObj::get_AdditionalBrowserArguments(BSTR* value) {
    return GetSharedText(&NewBrowserSettings::arguments, value);
}
HRESULT CBrowserPoolObj::put_AdditionalBrowserArguments(BSTR value) {
    return PutSharedText(&NewBrowserSettings::arguments, value);
}
HRESULT CBrowserPoolObj::get_BrowserExecutableFolder(BSTR* value) {
    return GetSharedText(&NewBrowserSettings::executableFolder, value);
}
HRESULT CBrowserPoolObj::put_BrowserExecutableFolder(BSTR value) {
    return PutSharedText(&NewBrowserSettings::executableFolder, value);
}

HRESULT CBrowserPoolObj::get_EnableHardwareAcceleration(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = ToVariantBool(BrowserRegistry::Get().Settings().hardwareAcceleration);
    return S_OK;
}

HRESULT CBrowserPoolObj::put_EnableHardwareAcceleration(VARIANT_BOOL value) {
    return ComBarrier([&] {
        NewBrowserSettings settings = BrowserRegistry::Get().Settings();
        settings.hardwareAcceleration = IsTrue(value);
        BrowserRegistry::Get().SetSettings(settings);
        return S_OK;
    });
}

HRESULT CBrowserPoolObj::IsWebView2RuntimeInstalled(VARIANT_BOOL* installed) {
    if (!installed) return E_POINTER;
    return ComBarrier([&] {
        std::wstring version;
        *installed = ToVariantBool(SUCCEEDED(GetAvailableBrowserVersion(nullptr, version)) && !version.empty());
        return S_OK;
    });
}

HRESULT CBrowserPoolObj::GetWebView2RuntimeVersion(BSTR* version) {
    if (!version) return E_POINTER;
    *version = nullptr;
    return ComBarrier([&]() -> HRESULT {
        std::wstring found;
        if (FAILED(GetAvailableBrowserVersion(nullptr, found)) || found.empty()) return E_FAIL;
        *version = MakeBstr(FromWide(found.c_str()));
        return S_OK;
    });
}

HRESULT CBrowserPoolObj::GetWebView2RuntimePath(BSTR* folderPath) {
    if (!folderPath) return E_POINTER;
    *folderPath = nullptr;
    return ComBarrier([&]() -> HRESULT {
        std::wstring version;
        if (FAILED(GetAvailableBrowserVersion(nullptr, version)) || version.empty()) return E_FAIL;
        wchar_t location[520] = {};
        DWORD size = sizeof(location) - sizeof(wchar_t);
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                          L"SOFTWARE\\WOW6432Node\\Microsoft\\EdgeUpdate\\Clients\\"
                          L"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}",
                          0, KEY_READ, &key) == ERROR_SUCCESS) {
            DWORD type = 0;
            if (RegQueryValueExW(key, L"location", nullptr, &type, reinterpret_cast<BYTE*>(location), &size) !=
                    ERROR_SUCCESS ||
                type != REG_SZ)
                location[0] = 0;
            RegCloseKey(key);
        }
        std::wstring path = location;
        if (path.empty()) {
            wchar_t programs[MAX_PATH + 1] = {};
            SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILESX86, nullptr, SHGFP_TYPE_CURRENT, programs);
            path = std::wstring(programs) + L"\\Microsoft\\EdgeWebView\\Application\\" + version;
        }
        *folderPath = MakeBstr(FromWide(path.c_str()));
        return S_OK;
    });
}

HRESULT CBrowserPoolObj::SetAllowedVBAMacros(LONG i, BSTR list) {
    return WithControl(i, [&](CCorvaneCtrl& c) { return c.SetAllowedVBAMacros(list); });
}
HRESULT CBrowserPoolObj::ClearAllowedVBAMacros(LONG i) {
    return WithControl(i, [&](CCorvaneCtrl& c) { return c.ClearAllowedVBAMacros(); });
}
HRESULT CBrowserPoolObj::EnableAutoDispatch(LONG i, VARIANT_BOOL enabled) {
    return WithControl(i, [&](CCorvaneCtrl& c) { return c.EnableAutoDispatch(enabled); });
}
HRESULT CBrowserPoolObj::IsAutoDispatchEnabled(LONG i, VARIANT_BOOL* isEnabled) {
    if (!isEnabled) return E_POINTER;
    *isEnabled = VARIANT_FALSE;
    return WithControl(i, [&](CCorvaneCtrl& c) { return c.IsAutoDispatchEnabled(isEnabled); });
}
HRESULT CBrowserPoolObj::SetReadyCallback(LONG i, IDispatch* object, BSTR method) {
    return WithControl(i, [&](CCorvaneCtrl& c) { return c.SetReadyCallback(object, method); });
}
HRESULT CBrowserPoolObj::ClearReadyCallback(LONG i) {
    return WithControl(i, [&](CCorvaneCtrl& c) { return c.ClearReadyCallback(); });
}
HRESULT CBrowserPoolObj::RegisterVbaCallback(LONG i, BSTR jsName, IDispatch* object, BSTR method) {
    return WithControl(i, [&](CCorvaneCtrl& c) { return c.RegisterVbaCallback(jsName, object, method); });
}
HRESULT CBrowserPoolObj::UnregisterVbaCallback(LONG i) {
    return WithControl(i, [&](CCorvaneCtrl& c) { return c.UnregisterVbaCallback(); });
}

}  // namespace Corvane
