// The control's settings and state members (settings_table.h holds the
// table they follow), its diagnostics, and the members that stay in the
// interface without doing any work. Without a browser, browser settings
// answer their defaults and what needs a controller or web view fails.
#include <string>

#include "barrier.h"
#include "bstr.h"
#include "corvane_ctrl.h"
#include "read_property.h"
#include "runtime_loader.h"
#include "runtime_text.h"

namespace Corvane {

namespace {

constexpr std::u16string_view kRuntimeNotInstalled = u"not installed";

}  // namespace

// ---------------------------------------------------------------------------
// The browser's settings object.

// The one place browser settings meet the browser: a versioned row goes
// through the settings revision that carries it; a successful
// IsStatusBarEnabled put reloads the page so the bar follows at once.
CCorvaneCtrl::SettingsReach CCorvaneCtrl::ReachBrowserSettings(BrowserSetting setting, LONG* read, const LONG* write,
                                                              HRESULT& hr) {
    hr = E_FAIL;
    if (!webView_) return SettingsReach::NoWebView;
    ComPtr<ICoreWebView2Settings> base;
    hr = webView_->get_Settings(base.put());
    if (FAILED(hr) || !base) {
        if (SUCCEEDED(hr)) hr = E_FAIL;
        return SettingsReach::Answered;
    }
    auto flag = [&](auto object, auto getter, auto putter) {
        if (!object) return SettingsReach::RevisionMissing;
        if (read) {
            BOOL value = FALSE;
            hr = (object.get()->*getter)(&value);
            if (SUCCEEDED(hr)) *read = value ? VARIANT_TRUE : VARIANT_FALSE;
        } else {
            hr = (object.get()->*putter)(*write != 0 ? TRUE : FALSE);
        }
        return SettingsReach::Answered;
    };
    using S = ICoreWebView2Settings;
    switch (setting) {
    case BrowserSetting::IsScriptEnabled: return flag(base, &S::get_IsScriptEnabled, &S::put_IsScriptEnabled);
    case BrowserSetting::IsWebMessageEnabled:
        return flag(base, &S::get_IsWebMessageEnabled, &S::put_IsWebMessageEnabled);
    case BrowserSetting::DefaultScriptDialogsEnabled:
        return flag(base, &S::get_AreDefaultScriptDialogsEnabled, &S::put_AreDefaultScriptDialogsEnabled);
    case BrowserSetting::IsStatusBarEnabled: {
        SettingsReach reach = flag(base, &S::get_IsStatusBarEnabled, &S::put_IsStatusBarEnabled);
        if (write && SUCCEEDED(hr)) webView_->Reload();
        return reach;
    }
    case BrowserSetting::AreDevToolsEnabled:
        return flag(base, &S::get_AreDevToolsEnabled, &S::put_AreDevToolsEnabled);
    case BrowserSetting::AreDefaultContextMenusEnabled:
        return flag(base, &S::get_AreDefaultContextMenusEnabled, &S::put_AreDefaultContextMenusEnabled);
    case BrowserSetting::AreHostObjectsAllowed:
        return flag(base, &S::get_AreHostObjectsAllowed, &S::put_AreHostObjectsAllowed);
    case BrowserSetting::IsZoomControlEnabled:
        return flag(base, &S::get_IsZoomControlEnabled, &S::put_IsZoomControlEnabled);
    case BrowserSetting::IsBuiltInErrorPageEnabled:
        return flag(base, &S::get_IsBuiltInErrorPageEnabled, &S::put_IsBuiltInErrorPageEnabled);
    case BrowserSetting::AreBrowserAcceleratorKeysEnabled:
        return flag(base.TryQuery<ICoreWebView2Settings3>(), &ICoreWebView2Settings3::get_AreBrowserAcceleratorKeysEnabled,
                    &ICoreWebView2Settings3::put_AreBrowserAcceleratorKeysEnabled);
    case BrowserSetting::IsPasswordAutosaveEnabled:
        return flag(base.TryQuery<ICoreWebView2Settings4>(), &ICoreWebView2Settings4::get_IsPasswordAutosaveEnabled,
                    &ICoreWebView2Settings4::put_IsPasswordAutosaveEnabled);
    case BrowserSetting::IsGeneralAutofillEnabled:
        return flag(base.TryQuery<ICoreWebView2Settings4>(), &ICoreWebView2Settings4::get_IsGeneralAutofillEnabled,
                    &ICoreWebView2Settings4::put_IsGeneralAutofillEnabled);
    case BrowserSetting::IsPinchZoomEnabled:
        return flag(base.TryQuery<ICoreWebView2Settings5>(), &ICoreWebView2Settings5::get_IsPinchZoomEnabled,
                    &ICoreWebView2Settings5::put_IsPinchZoomEnabled);
    case BrowserSetting::IsSwipeNavigationEnabled:
        return flag(base.TryQuery<ICoreWebView2Settings6>(), &ICoreWebView2Settings6::get_IsSwipeNavigationEnabled,
                    &ICoreWebView2Settings6::put_IsSwipeNavigationEnabled);
    case BrowserSetting::IsReputationCheckingRequired:
        return flag(base.TryQuery<ICoreWebView2Settings8>(),
                    &ICoreWebView2Settings8::get_IsReputationCheckingRequired,
                    &ICoreWebView2Settings8::put_IsReputationCheckingRequired);
    case BrowserSetting::NonClientRegionSupportEnabled:
        return flag(base.TryQuery<ICoreWebView2Settings9>(),
                    &ICoreWebView2Settings9::get_IsNonClientRegionSupportEnabled,
                    &ICoreWebView2Settings9::put_IsNonClientRegionSupportEnabled);
    case BrowserSetting::HiddenPdfToolbarItems: {
        auto seventh = base.TryQuery<ICoreWebView2Settings7>();
        if (!seventh) return SettingsReach::RevisionMissing;
        if (read) {
            COREWEBVIEW2_PDF_TOOLBAR_ITEMS items = COREWEBVIEW2_PDF_TOOLBAR_ITEMS_NONE;
            hr = seventh->get_HiddenPdfToolbarItems(&items);
            if (SUCCEEDED(hr)) *read = static_cast<LONG>(items);
        } else {
            hr = seventh->put_HiddenPdfToolbarItems(static_cast<COREWEBVIEW2_PDF_TOOLBAR_ITEMS>(*write));
        }
        return SettingsReach::Answered;
    }
    }
    hr = E_UNEXPECTED;
    return SettingsReach::Answered;
}

HRESULT CCorvaneCtrl::GetBrowserSetting(BrowserSetting setting, LONG* value) {
    if (!value) return E_POINTER;
    const BrowserSettingRow& row = RowOf(setting);
    *value = row.fallback;
    HRESULT hr = S_OK;
    switch (ReachBrowserSettings(setting, value, nullptr, hr)) {
    case SettingsReach::NoWebView:
        *value = row.fallback;
        return S_OK;
    case SettingsReach::RevisionMissing:
        *value = row.fallback;
        return ControlErrorSlot::ComErrorOnly(row.requirement, CVN_E_RUNTIME_TOO_OLD);
    case SettingsReach::Answered:
        return hr;
    }
    return E_UNEXPECTED;
}

HRESULT CCorvaneCtrl::GetBrowserSetting(BrowserSetting setting, VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    LONG raw = VARIANT_FALSE;
    HRESULT hr = GetBrowserSetting(setting, &raw);
    *value = ToVariantBool(raw != 0);
    return hr;
}

HRESULT CCorvaneCtrl::PutBrowserSetting(BrowserSetting setting, LONG value) {
    HRESULT hr = E_FAIL;
    switch (ReachBrowserSettings(setting, nullptr, &value, hr)) {
    case SettingsReach::NoWebView:
        return E_FAIL;
    case SettingsReach::RevisionMissing:
        return ControlErrorSlot::ComErrorOnly(RowOf(setting).requirement, CVN_E_RUNTIME_TOO_OLD);
    case SettingsReach::Answered:
        return hr;
    }
    return E_UNEXPECTED;
}

#define CVN_BROWSER_BOOL(Name)                                                                      \
    HRESULT CCorvaneCtrl::get_##Name(VARIANT_BOOL* value) {                                         \
        return GetBrowserSetting(BrowserSetting::Name, value);                                      \
    }                                                                                               \
    HRESULT CCorvaneCtrl::put_##Name(VARIANT_BOOL value) {                                          \
        return PutBrowserSetting(BrowserSetting::Name, IsTrue(value) ? VARIANT_TRUE : VARIANT_FALSE); \
    }

CVN_BROWSER_BOOL(IsScriptEnabled)
CVN_BROWSER_BOOL(IsWebMessageEnabled)
CVN_BROWSER_BOOL(DefaultScriptDialogsEnabled)
CVN_BROWSER_BOOL(IsStatusBarEnabled)
CVN_BROWSER_BOOL(AreDevToolsEnabled)
CVN_BROWSER_BOOL(AreDefaultContextMenusEnabled)
CVN_BROWSER_BOOL(AreHostObjectsAllowed)
CVN_BROWSER_BOOL(IsZoomControlEnabled)
CVN_BROWSER_BOOL(IsBuiltInErrorPageEnabled)
CVN_BROWSER_BOOL(AreBrowserAcceleratorKeysEnabled)
CVN_BROWSER_BOOL(IsPasswordAutosaveEnabled)
CVN_BROWSER_BOOL(IsGeneralAutofillEnabled)
CVN_BROWSER_BOOL(IsPinchZoomEnabled)
CVN_BROWSER_BOOL(IsSwipeNavigationEnabled)
CVN_BROWSER_BOOL(IsReputationCheckingRequired)
CVN_BROWSER_BOOL(NonClientRegionSupportEnabled)

#undef CVN_BROWSER_BOOL

HRESULT CCorvaneCtrl::get_HiddenPdfToolbarItems(LONG* value) {
    return GetBrowserSetting(BrowserSetting::HiddenPdfToolbarItems, value);
}

HRESULT CCorvaneCtrl::put_HiddenPdfToolbarItems(LONG value) {
    return PutBrowserSetting(BrowserSetting::HiddenPdfToolbarItems, value);
}

// ---------------------------------------------------------------------------
// The controller and web view themselves.

HRESULT CCorvaneCtrl::get_zoomFactor(double* value) {
    if (!value) return E_POINTER;
    *value = 1.0;
    return controller_ ? controller_->get_ZoomFactor(value) : S_OK;
}

HRESULT CCorvaneCtrl::put_zoomFactor(double value) {
    if (!controller_) return E_FAIL;
    double zoom = 1.0;
    if (!ClampZoom(value, zoom)) return E_INVALIDARG;
    return controller_->put_ZoomFactor(zoom);
}

HRESULT CCorvaneCtrl::get_userAgent(BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return ComBarrier([&]() -> HRESULT {
        ComPtr<ICoreWebView2Settings> base;
        if (!webView_ || FAILED(webView_->get_Settings(base.put())) || !base) {
            *value = MakeBstr({});
            return S_OK;
        }
        auto second = base.TryQuery<ICoreWebView2Settings2>();
        if (!second) return E_NOTIMPL;
        LPWSTR raw = nullptr;
        HRESULT hr = second->get_UserAgent(&raw);
        *value = MakeBstr(TakeRuntimeString(raw));
        return hr;
    });
}

HRESULT CCorvaneCtrl::put_userAgent(BSTR value) {
    return ComBarrier([&]() -> HRESULT {
        ComPtr<ICoreWebView2Settings> base;
        if (!webView_ || FAILED(webView_->get_Settings(base.put())) || !base) return E_FAIL;
        auto second = base.TryQuery<ICoreWebView2Settings2>();
        if (!second) return E_NOTIMPL;
        return second->put_UserAgent(ToWide(BstrView(value)).c_str());
    });
}

HRESULT CCorvaneCtrl::get_IsVisible(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = VARIANT_FALSE;
    BOOL visible = FALSE;
    if (controller_ && SUCCEEDED(controller_->get_IsVisible(&visible))) *value = ToVariantBool(visible != FALSE);
    return S_OK;
}

HRESULT CCorvaneCtrl::put_IsVisible(VARIANT_BOOL value) {
    return ComBarrier([&] {
        if (!controller_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        return controller_->put_IsVisible(IsTrue(value) ? TRUE : FALSE);
    });
}

HRESULT CCorvaneCtrl::put_IsDragDropEnabled(VARIANT_BOOL value) {
    if (!controller_) return E_FAIL;
    auto fourth = controller_.TryQuery<ICoreWebView2Controller4>();
    if (!fourth)
        return ControlErrorSlot::ComErrorOnly(u"IsDragDropEnabled (AllowExternalDrop) requires WebView2 Runtime 1.0.961+",
                                              CVN_E_RUNTIME_TOO_OLD);
    return fourth->put_AllowExternalDrop(IsTrue(value) ? TRUE : FALSE);
}

namespace {
constexpr std::u16string_view kMutedTooOld = u"IsMuted requires WebView2 runtime version 1.0.1072.54 or later";
constexpr std::u16string_view kAudioTooOld =
    u"IsDocumentPlayingAudio requires WebView2 runtime version 1.0.1072.54 or later";
}  // namespace

// IsMuted and IsDocumentPlayingAudio live on the web view revision with audio state.
HRESULT CCorvaneCtrl::ReadAudioFlag(HRESULT (STDMETHODCALLTYPE ICoreWebView2_8::*getter)(BOOL*),
                                    std::u16string_view tooOld, VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = VARIANT_FALSE;
    if (!webView_) return S_OK;
    return ComBarrier([&] {
        auto eighth = webView_.TryQuery<ICoreWebView2_8>();
        if (!eighth) return errors_.LastErrorOnly(tooOld, E_NOTIMPL);
        BOOL flag = FALSE;
        HRESULT hr = (eighth.get()->*getter)(&flag);
        *value = ToVariantBool(flag != FALSE);
        return hr;
    });
}

HRESULT CCorvaneCtrl::get_IsMuted(VARIANT_BOOL* value) {
    return ReadAudioFlag(&ICoreWebView2_8::get_IsMuted, kMutedTooOld, value);
}

HRESULT CCorvaneCtrl::put_IsMuted(VARIANT_BOOL value) {
    if (!webView_) return E_FAIL;
    return ComBarrier([&] {
        auto eighth = webView_.TryQuery<ICoreWebView2_8>();
        if (!eighth) return errors_.LastErrorOnly(kMutedTooOld, E_NOTIMPL);
        return eighth->put_IsMuted(IsTrue(value) ? TRUE : FALSE);
    });
}

HRESULT CCorvaneCtrl::get_IsDocumentPlayingAudio(VARIANT_BOOL* value) {
    return ReadAudioFlag(&ICoreWebView2_8::get_IsDocumentPlayingAudio, kAudioTooOld, value);
}

HRESULT CCorvaneCtrl::get_MemoryUsageTargetLevel(CVN_MEMORY_USAGE* value) {
    if (!value) return E_POINTER;
    *value = CVN_MEMORY_NORMAL;
    if (!webView_) return S_OK;   // the default, like every live setting
    auto nineteenth = webView_.TryQuery<ICoreWebView2_19>();
    if (!nineteenth) return S_OK;
    COREWEBVIEW2_MEMORY_USAGE_TARGET_LEVEL level = COREWEBVIEW2_MEMORY_USAGE_TARGET_LEVEL_NORMAL;
    HRESULT hr = nineteenth->get_MemoryUsageTargetLevel(&level);
    *value = level == COREWEBVIEW2_MEMORY_USAGE_TARGET_LEVEL_LOW ? CVN_MEMORY_LOW : CVN_MEMORY_NORMAL;
    return hr;
}

HRESULT CCorvaneCtrl::put_MemoryUsageTargetLevel(CVN_MEMORY_USAGE value) {
    if (!webView_) return E_FAIL;
    auto nineteenth = webView_.TryQuery<ICoreWebView2_19>();
    if (!nineteenth) return E_NOTIMPL;
    return nineteenth->put_MemoryUsageTargetLevel(value == CVN_MEMORY_LOW ? COREWEBVIEW2_MEMORY_USAGE_TARGET_LEVEL_LOW
                                                                          : COREWEBVIEW2_MEMORY_USAGE_TARGET_LEVEL_NORMAL);
}

HRESULT CCorvaneCtrl::MoveFocus(CVN_FOCUS_REASON reason) {
    if (!controller_) return E_FAIL;
    return controller_->MoveFocus(static_cast<COREWEBVIEW2_MOVE_FOCUS_REASON>(reason));
}

HRESULT CCorvaneCtrl::NotifyParentWindowPositionChanged() {
    return controller_ ? controller_->NotifyParentWindowPositionChanged() : S_OK;
}

HRESULT CCorvaneCtrl::SetDefaultBackgroundColor(LONG argbColor) {
    const DWORD argb = static_cast<DWORD>(argbColor);
    transparentBackground_ = (argb >> 24) == 0;
    backgroundColor_ = RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    if (window_) {
        // Transparent: the children must not be clipped out of the parent's paint.
        LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
        style = transparentBackground_ ? (style & ~static_cast<LONG_PTR>(WS_CLIPCHILDREN)) : (style | WS_CLIPCHILDREN);
        SetWindowLongPtrW(window_, GWL_STYLE, style);
        SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    if (!controller_) return E_FAIL;   // the flag and colour stay set
    auto second = controller_.TryQuery<ICoreWebView2Controller2>();
    if (!second)
        return errors_.LastErrorOnly(u"SetDefaultBackgroundColor requires WebView2 runtime version 1.0.774.44 or later",
                                     E_NOTIMPL);
    COREWEBVIEW2_COLOR color{static_cast<BYTE>(argb >> 24), static_cast<BYTE>((argb >> 16) & 0xFF),
                             static_cast<BYTE>((argb >> 8) & 0xFF), static_cast<BYTE>(argb & 0xFF)};
    return second->put_DefaultBackgroundColor(color);
}

// The environment's version once it exists; before that the runtime loader's.
HRESULT CCorvaneCtrl::get_BrowserVersionString(BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return ComBarrier([&] {
        std::u16string version =
            ReadRuntimeString(environment_.get(), &ICoreWebView2Environment::get_BrowserVersionString);
        if (version.empty() && (FAILED(QueryAvailableBrowserVersion(version)) || version.empty()))
            version.assign(kRuntimeNotInstalled);
        *value = MakeBstr(version);
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::QueryAvailableBrowserVersion(std::u16string& version) {
    std::wstring found;
    HRESULT hr = GetAvailableBrowserVersion(nullptr, found);
    version = FromWide(found.c_str());
    return hr;
}

// ---------------------------------------------------------------------------
// Pre-init settings.

HRESULT CCorvaneCtrl::PutPreInit(const PreInitRow& row, std::u16string& slot, BSTR value) {
    return ComBarrier([&] {
        HRESULT hr = S_OK;
        if (AdmitPreInit(row, stage_, errors_, hr)) slot.assign(BstrView(value));
        return hr;
    });
}

HRESULT CCorvaneCtrl::PutPreInit(const PreInitRow& row, bool& slot, VARIANT_BOOL value) {
    return ComBarrier([&] {
        HRESULT hr = S_OK;
        if (AdmitPreInit(row, stage_, errors_, hr)) slot = IsTrue(value);
        return hr;
    });
}

HRESULT CCorvaneCtrl::get_AdditionalBrowserArguments(BSTR* value) {
    return ReadText(settings_.additionalBrowserArguments, value);
}
HRESULT CCorvaneCtrl::put_AdditionalBrowserArguments(BSTR value) {
    return PutPreInit(PreInit::AdditionalBrowserArguments, settings_.additionalBrowserArguments, value);
}

HRESULT CCorvaneCtrl::get_EnableHardwareAcceleration(VARIANT_BOOL* value) {
    return ReadBool(settings_.enableHardwareAcceleration, value);
}
HRESULT CCorvaneCtrl::put_EnableHardwareAcceleration(VARIANT_BOOL value) {
    return PutPreInit(PreInit::EnableHardwareAcceleration, settings_.enableHardwareAcceleration, value);
}

HRESULT CCorvaneCtrl::get_Language(BSTR* value) { return ReadText(settings_.language, value); }
HRESULT CCorvaneCtrl::put_Language(BSTR value) { return PutPreInit(PreInit::Language, settings_.language, value); }

HRESULT CCorvaneCtrl::get_BrowserExecutableFolder(BSTR* value) {
    return ReadText(settings_.browserExecutableFolder, value);
}
HRESULT CCorvaneCtrl::put_BrowserExecutableFolder(BSTR value) {
    return PutPreInit(PreInit::BrowserExecutableFolder, settings_.browserExecutableFolder, value);
}

HRESULT CCorvaneCtrl::get_proxyServer(BSTR* value) { return ReadText(settings_.proxyServer, value); }
HRESULT CCorvaneCtrl::put_proxyServer(BSTR value) {
    return PutPreInit(PreInit::ProxyServer, settings_.proxyServer, value);
}

HRESULT CCorvaneCtrl::get_ProxyBypassList(BSTR* value) { return ReadText(settings_.proxyBypassList, value); }
HRESULT CCorvaneCtrl::put_ProxyBypassList(BSTR value) {
    return PutPreInit(PreInit::ProxyBypassList, settings_.proxyBypassList, value);
}

HRESULT CCorvaneCtrl::get_AllowSingleSignOnUsingOSPrimaryAccount(VARIANT_BOOL* value) {
    return ReadBool(settings_.allowSingleSignOnUsingOSPrimaryAccount, value);
}
HRESULT CCorvaneCtrl::put_AllowSingleSignOnUsingOSPrimaryAccount(VARIANT_BOOL value) {
    return PutPreInit(PreInit::AllowSingleSignOnUsingOSPrimaryAccount,
                      settings_.allowSingleSignOnUsingOSPrimaryAccount, value);
}

HRESULT CCorvaneCtrl::get_IgnoreCertificateErrors(VARIANT_BOOL* value) {
    return ReadBool(settings_.ignoreCertificateErrors, value);
}
HRESULT CCorvaneCtrl::put_IgnoreCertificateErrors(VARIANT_BOOL value) {
    return PutPreInit(PreInit::IgnoreCertificateErrors, settings_.ignoreCertificateErrors, value);
}

HRESULT CCorvaneCtrl::get_UserDataFolder(BSTR* value) { return ReadText(userDataFolder_, value); }

// ---------------------------------------------------------------------------
// Stored settings.

HRESULT CCorvaneCtrl::get_SynchronousTimeOut(LONG* value) { return ReadValue<LONG>(settings_.synchronousTimeOut, value); }

HRESULT CCorvaneCtrl::put_SynchronousTimeOut(LONG value) {
    if (value < 0) return ControlErrorSlot::ComErrorOnly(u"SynchronousTimeOut cannot be negative.", E_INVALIDARG);
    settings_.synchronousTimeOut = value;
    return S_OK;
}

HRESULT CCorvaneCtrl::get_AutoRecoverOnCrash(VARIANT_BOOL* value) {
    return ReadBool(settings_.autoRecoverOnCrash, value);
}
HRESULT CCorvaneCtrl::put_AutoRecoverOnCrash(VARIANT_BOOL value) {
    settings_.autoRecoverOnCrash = IsTrue(value);
    return S_OK;
}

HRESULT CCorvaneCtrl::get_EventsUseHexadecimal(VARIANT_BOOL* value) {
    return ReadBool(settings_.eventsUseHexadecimal, value);
}
HRESULT CCorvaneCtrl::put_EventsUseHexadecimal(VARIANT_BOOL value) {
    settings_.eventsUseHexadecimal = IsTrue(value);
    return S_OK;
}

HRESULT CCorvaneCtrl::get_RequiredMinimumVersion(BSTR* value) {
    return ReadText(settings_.requiredMinimumVersion, value);
}
HRESULT CCorvaneCtrl::put_RequiredMinimumVersion(BSTR value) {
    return ComBarrier([&] {
        settings_.requiredMinimumVersion.assign(BstrView(value));
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::get_SmartResize(VARIANT_BOOL* value) { return ReadBool(settings_.smartResize, value); }
HRESULT CCorvaneCtrl::put_SmartResize(VARIANT_BOOL value) {
    settings_.smartResize = IsTrue(value);
    return S_OK;
}

HRESULT CCorvaneCtrl::get_PopupMode(CVN_POPUP_MODE* value) {
    if (!value) return E_POINTER;
    *value = settings_.popupMode;
    return S_OK;
}
HRESULT CCorvaneCtrl::put_PopupMode(CVN_POPUP_MODE value) {
    settings_.popupMode = value;
    return S_OK;
}

HRESULT CCorvaneCtrl::get_OpenPopupsInSameWindow(VARIANT_BOOL* value) {
    return ReadBool(settings_.OpenPopupsInSameWindow(), value);
}
HRESULT CCorvaneCtrl::put_OpenPopupsInSameWindow(VARIANT_BOOL value) {
    settings_.SetOpenPopupsInSameWindow(IsTrue(value));
    return S_OK;
}

// ---------------------------------------------------------------------------
// State.

HRESULT CCorvaneCtrl::get_ControlVersion(BSTR* value) { return ReadText(kControlVersion, value); }
HRESULT CCorvaneCtrl::IsReady(VARIANT_BOOL* ready) { return ReadBool(stage_.ready, ready); }
HRESULT CCorvaneCtrl::get_WebViewCreated(VARIANT_BOOL* value) { return ReadBool(stage_.ready, value); }
HRESULT CCorvaneCtrl::get_IsLoading(VARIANT_BOOL* value) { return ReadBool(isLoading_, value); }
HRESULT CCorvaneCtrl::get_DocumentTitle(BSTR* value) { return ReadText(documentTitle_, value); }
HRESULT CCorvaneCtrl::get_StatusBarText(BSTR* value) { return ReadText(statusBarText_, value); }
HRESULT CCorvaneCtrl::get_ContainsFullScreenElement(VARIANT_BOOL* value) {
    return ReadBool(containsFullScreenElement_, value);
}
HRESULT CCorvaneCtrl::get_InPrivateMode(VARIANT_BOOL* value) { return ReadBool(inPrivateMode_, value); }

HRESULT CCorvaneCtrl::GetDiagnostics(BSTR* diagnostics) {
    if (!diagnostics) return E_POINTER;
    *diagnostics = nullptr;
    return ComBarrier([&] {
        std::u16string text;
        auto line = [&](std::u16string_view label, std::u16string_view value) {
            if (!text.empty()) text += u'\n';
            text += label;
            text += value;
        };
        auto created = [](bool exists) { return exists ? u"Created" : u"NULL"; };
        auto yesNo = [](bool flag) { return flag ? u"Yes" : u"No"; };
        auto orNone = [](const std::u16string& s) { return s.empty() ? std::u16string_view(u"(none)") : s; };
        line(u"Window Handle: ", window_ ? u"Valid" : u"NULL");
        line(u"WebView Ready: ", yesNo(stage_.ready));
        line(u"Environment: ", created(static_cast<bool>(environment_)));
        line(u"Controller: ", created(static_cast<bool>(controller_)));
        line(u"WebView: ", created(static_cast<bool>(webView_)));
        line(u"Pending URL: ", orNone(pendingUrl_));
        line(u"Can Go Back: ", yesNo(canGoBack_));
        line(u"Can Go Forward: ", yesNo(canGoForward_));
        line(u"Is Loading: ", yesNo(isLoading_));
        line(u"Current URL: ", orNone(currentUrl_));
        line(u"Document Title: ", orNone(documentTitle_));
        *diagnostics = MakeBstr(text);
        return S_OK;
    });
}

// ---------------------------------------------------------------------------
// Stealth and CAPTCHA members: refused, with the reason in LastError.

HRESULT CCorvaneCtrl::NotInThisBuild(std::u16string_view member) {
    return ComBarrier([&] {
        std::u16string text(member);
        text += u" is not available in this build.";
        return errors_.LastErrorOnly(text, E_NOTIMPL);
    });
}

HRESULT CCorvaneCtrl::EnableStealthMode() { return NotInThisBuild(u"EnableStealthMode"); }
HRESULT CCorvaneCtrl::HideWebDriver() { return NotInThisBuild(u"HideWebDriver"); }
HRESULT CCorvaneCtrl::SpoofWebGL(BSTR, BSTR) { return NotInThisBuild(u"SpoofWebGL"); }
HRESULT CCorvaneCtrl::RandomizeCanvasFingerprint() { return NotInThisBuild(u"RandomizeCanvasFingerprint"); }
HRESULT CCorvaneCtrl::SpoofScreenSize(LONG, LONG) { return NotInThisBuild(u"SpoofScreenSize"); }
HRESULT CCorvaneCtrl::DisableWebRTC() { return NotInThisBuild(u"DisableWebRTC"); }
HRESULT CCorvaneCtrl::EnableMouseNoise() { return NotInThisBuild(u"EnableMouseNoise"); }
HRESULT CCorvaneCtrl::EnableTimingNoise() { return NotInThisBuild(u"EnableTimingNoise"); }

HRESULT CCorvaneCtrl::get_IsStealthEnabled(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = VARIANT_FALSE;
    return NotInThisBuild(u"IsStealthEnabled");
}

HRESULT CCorvaneCtrl::SetCaptchaService(BSTR, BSTR) { return NotInThisBuild(u"SetCaptchaService"); }

HRESULT CCorvaneCtrl::DetectCaptcha(BSTR* captchaKind) {
    if (!captchaKind) return E_POINTER;
    *captchaKind = nullptr;
    return NotInThisBuild(u"DetectCaptcha");
}

HRESULT CCorvaneCtrl::SolveCaptcha(BSTR* token) {
    if (!token) return E_POINTER;
    *token = nullptr;
    return NotInThisBuild(u"SolveCaptcha");
}

HRESULT CCorvaneCtrl::SolveRecaptchaV2(BSTR, BSTR, BSTR* token) {
    if (!token) return E_POINTER;
    *token = nullptr;
    return NotInThisBuild(u"SolveRecaptchaV2");
}

HRESULT CCorvaneCtrl::SolveHCaptcha(BSTR, BSTR, BSTR* token) {
    if (!token) return E_POINTER;
    *token = nullptr;
    return NotInThisBuild(u"SolveHCaptcha");
}

HRESULT CCorvaneCtrl::SubmitCaptchaToken(BSTR) { return NotInThisBuild(u"SubmitCaptchaToken"); }

}  // namespace Corvane
