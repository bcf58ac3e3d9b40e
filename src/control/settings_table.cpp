#include "settings_table.h"

#include <cmath>
#include <iterator>

namespace Corvane {

bool AdmitPreInit(const PreInitRow& row, BrowserStage stage, ControlErrorSlot& errors, HRESULT& hr) {
    hr = S_OK;
    switch (row.rule) {
    case PreInitRule::A:
        if (!stage.ready && !stage.foreignWindow) return true;
        hr = ControlErrorSlot::ComErrorOnly(row.lateMessage, CVN_E_PREINIT_ONLY);
        return false;
    case PreInitRule::B:
        if (!stage.ready) return true;
        hr = errors.LastErrorOnly(row.lateMessage, E_FAIL);
        return false;
    case PreInitRule::C:
        if (stage.ready) errors.LastErrorOnly(row.lateMessage, S_OK);
        return true;
    }
    hr = E_UNEXPECTED;
    return false;
}

namespace {

constexpr LONG kOn = VARIANT_TRUE;
constexpr LONG kOff = VARIANT_FALSE;

// Defaults left open by the table are the runtime's own documented defaults,
// so a getter before the browser answers what the browser will start with.
constexpr BrowserSettingRow kBrowserSettings[] = {
    // setting                                           name                                fallback  requirement
    {BrowserSetting::IsScriptEnabled,                  u"IsScriptEnabled",                  kOn,  {}},
    {BrowserSetting::IsWebMessageEnabled,              u"IsWebMessageEnabled",              kOn,  {}},
    {BrowserSetting::DefaultScriptDialogsEnabled,      u"DefaultScriptDialogsEnabled",      kOn,  {}},
    {BrowserSetting::IsStatusBarEnabled,               u"IsStatusBarEnabled",               kOn,  {}},
    {BrowserSetting::AreDevToolsEnabled,               u"AreDevToolsEnabled",               kOn,  {}},
    {BrowserSetting::AreDefaultContextMenusEnabled,    u"AreDefaultContextMenusEnabled",    kOn,  {}},
    {BrowserSetting::AreHostObjectsAllowed,            u"AreHostObjectsAllowed",            kOn,  {}},
    {BrowserSetting::IsZoomControlEnabled,             u"IsZoomControlEnabled",             kOn,  {}},
    {BrowserSetting::IsBuiltInErrorPageEnabled,        u"IsBuiltInErrorPageEnabled",        kOn,  {}},
    {BrowserSetting::AreBrowserAcceleratorKeysEnabled, u"AreBrowserAcceleratorKeysEnabled", kOn,
        u"AreBrowserAcceleratorKeysEnabled requires WebView2 Runtime 1.0.902+"},
    {BrowserSetting::IsPasswordAutosaveEnabled,        u"IsPasswordAutosaveEnabled",        kOff,
        u"IsPasswordAutosaveEnabled requires WebView2 Runtime 1.0.902+"},
    {BrowserSetting::IsGeneralAutofillEnabled,         u"IsGeneralAutofillEnabled",         kOn,
        u"IsGeneralAutofillEnabled requires WebView2 Runtime 1.0.902+"},
    {BrowserSetting::IsPinchZoomEnabled,               u"IsPinchZoomEnabled",               kOn,
        u"IsPinchZoomEnabled requires WebView2 Runtime 1.0.1185+"},
    {BrowserSetting::IsSwipeNavigationEnabled,         u"IsSwipeNavigationEnabled",         kOn,
        u"IsSwipeNavigationEnabled requires WebView2 Runtime 1.0.1245+"},
    {BrowserSetting::HiddenPdfToolbarItems,            u"HiddenPdfToolbarItems",            CVN_PDF_NONE,
        u"HiddenPdfToolbarItems requires WebView2 Runtime 1.0.1262+"},
    {BrowserSetting::IsReputationCheckingRequired,     u"IsReputationCheckingRequired",     kOn,
        u"IsReputationCheckingRequired requires WebView2 Runtime 1.0.1292+"},
    {BrowserSetting::NonClientRegionSupportEnabled,    u"NonClientRegionSupportEnabled",    kOff,
        u"NonClientRegionSupportEnabled requires WebView2 Runtime 1.0.1343+"},
};

// RowOf indexes by the enumerator: the table must list every one, in order.
constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < std::size(kBrowserSettings); ++i)
        if (static_cast<std::size_t>(kBrowserSettings[i].setting) != i) return false;
    return std::size(kBrowserSettings) == static_cast<std::size_t>(BrowserSetting::NonClientRegionSupportEnabled) + 1;
}
static_assert(InEnumOrder(), "kBrowserSettings must follow BrowserSetting");

}  // namespace

const BrowserSettingRow& RowOf(BrowserSetting setting) { return kBrowserSettings[static_cast<std::size_t>(setting)]; }

bool ClampZoom(double requested, double& zoom) {
    if (std::isnan(requested)) return false;
    zoom = requested < kZoomMin ? kZoomMin : requested > kZoomMax ? kZoomMax : requested;
    return true;
}

}  // namespace Corvane
