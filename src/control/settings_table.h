// The control's settings, laid out like its property table:
//  - pre-init settings, kept by the control and handed to the browser when it
//    is created, each with the rule that governs a put once it exists;
//  - browser settings, answered by the browser's settings object (some only
//    by a later revision of it), with the default a getter gives without one;
//  - stored settings, kept by the control for its other parts.
#pragma once

#include <objbase.h>

#include <string>
#include <string_view>

#include "control_errors.h"
#include "corvane_h.h"

namespace Corvane {

inline constexpr HRESULT CVN_E_PREINIT_ONLY = static_cast<HRESULT>(0x80040201);
inline constexpr HRESULT CVN_E_RUNTIME_TOO_OLD = static_cast<HRESULT>(0x80040202);
inline constexpr HRESULT CVN_E_SYNC_REENTRANT = static_cast<HRESULT>(0x80040203);

inline constexpr std::u16string_view kControlVersion = u"1.0.1.0";
inline constexpr std::u16string_view kWebViewNotInitialized = u"WebView not initialized.";

// A put stores TRUE only for exactly VARIANT_TRUE; getters answer -1 or 0.
inline bool IsTrue(VARIANT_BOOL v) { return v == VARIANT_TRUE; }
inline VARIANT_BOOL ToVariantBool(bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; }

// ---------------------------------------------------------------------------
// Pre-init settings.
//   A  strict:  once the browser exists (or a foreign window holds one) the
//               put is refused with COM error information only and
//               CVN_E_PREINIT_ONLY.
//   B  lenient: once the browser exists the put sets LastError, returns
//               E_FAIL and keeps the old value.
//   C  always stored; once the browser exists LastError carries a note and
//               the put still succeeds.
enum class PreInitRule { A, B, C };

struct PreInitRow {
    std::u16string_view name;
    PreInitRule rule;
    std::u16string_view lateMessage;   // refusal (A, B) or note (C)
};

namespace PreInit {
inline constexpr PreInitRow AdditionalBrowserArguments{u"AdditionalBrowserArguments", PreInitRule::A,
    u"This property must be set before the browser is created."};
inline constexpr PreInitRow EnableHardwareAcceleration{u"EnableHardwareAcceleration", PreInitRule::A,
    u"EnableHardwareAcceleration must be set before the browser is created."};
inline constexpr PreInitRow Language{u"Language", PreInitRule::A,
    u"Language must be set before browser is created."};
inline constexpr PreInitRow BrowserExecutableFolder{u"BrowserExecutableFolder", PreInitRule::A,
    u"BrowserExecutableFolder must be set before browser is created."};
inline constexpr PreInitRow ProxyServer{u"proxyServer", PreInitRule::B,
    u"ProxyServer must be set BEFORE WebView initialization."};
inline constexpr PreInitRow ProxyBypassList{u"ProxyBypassList", PreInitRule::B,
    u"ProxyBypassList must be set BEFORE WebView initialization."};
inline constexpr PreInitRow AllowSingleSignOnUsingOSPrimaryAccount{u"AllowSingleSignOnUsingOSPrimaryAccount",
    PreInitRule::B, u"AllowSingleSignOnUsingOSPrimaryAccount must be set BEFORE WebView initialization."};
inline constexpr PreInitRow IgnoreCertificateErrors{u"IgnoreCertificateErrors", PreInitRule::C,
    u"IgnoreCertificateErrors has limited effect after initialization."};
}  // namespace PreInit

// Where the browser stands, as far as a pre-init put is concerned.
struct BrowserStage {
    bool ready = false;
    bool foreignWindow = false;   // a browser was created for a foreign window or by the pool
};

// Judges a pre-init put: true when the value is to be stored. `hr` is the
// put's answer; any report the rule asks for has been made.
bool AdmitPreInit(const PreInitRow& row, BrowserStage stage, ControlErrorSlot& errors, HRESULT& hr);

// ---------------------------------------------------------------------------
// Browser settings. Booleans are held as VARIANT_BOOL values in `fallback`;
// HiddenPdfToolbarItems holds a CVN_PDF_TOOLBAR_ITEMS mask. A row with a
// `requirement` lives on a later settings revision; without it both get and
// put answer CVN_E_RUNTIME_TOO_OLD with that text as COM error information.
enum class BrowserSetting {
    IsScriptEnabled,
    IsWebMessageEnabled,
    DefaultScriptDialogsEnabled,
    IsStatusBarEnabled,
    AreDevToolsEnabled,
    AreDefaultContextMenusEnabled,
    AreHostObjectsAllowed,
    IsZoomControlEnabled,
    IsBuiltInErrorPageEnabled,
    AreBrowserAcceleratorKeysEnabled,
    IsPasswordAutosaveEnabled,
    IsGeneralAutofillEnabled,
    IsPinchZoomEnabled,
    IsSwipeNavigationEnabled,
    HiddenPdfToolbarItems,
    IsReputationCheckingRequired,
    NonClientRegionSupportEnabled,
};

struct BrowserSettingRow {
    BrowserSetting setting;
    std::u16string_view name;
    LONG fallback;                       // the getter's answer without a web view
    std::u16string_view requirement;     // empty: on every runtime
};

const BrowserSettingRow& RowOf(BrowserSetting setting);

// zoomFactor is put into [0.1, 5.0]; NaN has no place in it and is refused.
inline constexpr double kZoomMin = 0.1;
inline constexpr double kZoomMax = 5.0;
bool ClampZoom(double requested, double& zoom);

// ---------------------------------------------------------------------------
// What the control keeps in memory (nothing here is persisted). The pre-init
// values are what the browser work reads when it creates the browser; the
// stored ones are read by navigation, events and embedding.
struct ControlSettings {
    // pre-init, rule A
    std::u16string additionalBrowserArguments;
    bool enableHardwareAcceleration = true;
    std::u16string language;
    std::u16string browserExecutableFolder;
    // pre-init, rule B
    std::u16string proxyServer;
    std::u16string proxyBypassList;
    bool allowSingleSignOnUsingOSPrimaryAccount = false;
    // rule C
    bool ignoreCertificateErrors = false;
    // stored
    LONG synchronousTimeOut = 30000;      // ms; negative refused
    bool autoRecoverOnCrash = false;
    bool eventsUseHexadecimal = false;
    std::u16string requiredMinimumVersion;
    bool smartResize = true;
    CVN_POPUP_MODE popupMode = CVN_POPUP_SAME_WINDOW;

    // PopupMode and OpenPopupsInSameWindow are one setting seen two ways.
    bool OpenPopupsInSameWindow() const { return popupMode == CVN_POPUP_SAME_WINDOW; }
    void SetOpenPopupsInSameWindow(bool same) { popupMode = same ? CVN_POPUP_SAME_WINDOW : CVN_POPUP_ALLOW; }
};

}  // namespace Corvane
