// CCorvaneCtrl: the control object. It answers ICorvaneCtrl (dual), raises
// _DCorvaneCtrlEvents through its one connection point, and may be
// aggregated by a host's form machinery.
#pragma once

#include "com_object.h"
#include "com_ptr.h"
#include "connection_point.h"
#include "control_errors.h"
#include "corvane_h.h"
#include "dispatch.h"
#include "error_info.h"
#include "notimpl.h"
#include "settings_table.h"

namespace Corvane {

class CCorvaneCtrl final
    : public ComObject<CCorvaneCtrl, DispatchImpl<ICorvaneCtrl, ICorvaneCtrlNotImplemented>,
                       SupportErrorInfoImpl<&IID_ICorvaneCtrl>, SingleConnectionPointContainer<&DIID__DCorvaneCtrlEvents>> {
public:
    using Exposed = InterfaceList<ICorvaneCtrl, ISupportErrorInfo, IConnectionPointContainer>;
    static constexpr bool kAggregatable = true;

    explicit CCorvaneCtrl(IUnknown* outer) : ComObject(outer) {}

    // The error slot (control_errors.h).
    HRESULT STDMETHODCALLTYPE get_LastError(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_LastErrorCode(LONG* value) override;

    // JSON members that need no browser (control_json.cpp).
    HRESULT STDMETHODCALLTYPE JsonGetValue(BSTR json, BSTR path, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE JsonGetArrayLength(BSTR json, BSTR path, LONG* length) override;
    HRESULT STDMETHODCALLTYPE JsonGetArrayItem(BSTR json, BSTR path, LONG index, BSTR* item) override;
    HRESULT STDMETHODCALLTYPE JsonGetKeys(BSTR json, BSTR path, BSTR* keys) override;
    HRESULT STDMETHODCALLTYPE JsonIsValid(BSTR json, VARIANT_BOOL* isValid) override;
    HRESULT STDMETHODCALLTYPE JsonExists(BSTR json, BSTR path, VARIANT_BOOL* exists) override;
    HRESULT STDMETHODCALLTYPE JsonCount(BSTR json, BSTR path, LONG* count) override;
    HRESULT STDMETHODCALLTYPE JsonToArray(BSTR jsonArrayString, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE get_JsonToArrayMaxSize(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_JsonToArrayMaxSize(LONG value) override;
    HRESULT STDMETHODCALLTYPE BuildJson(VARIANT inputData, BSTR* json) override;
    HRESULT STDMETHODCALLTYPE JsonToRowArray(BSTR json, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE JsonCreateObject(BSTR* json) override;
    HRESULT STDMETHODCALLTYPE JsonCreateArray(BSTR* json) override;
    HRESULT STDMETHODCALLTYPE JsonSetValue(BSTR json, BSTR path, VARIANT value, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonRemoveKey(BSTR json, BSTR path, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonAppend(BSTR json, BSTR path, VARIANT value, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonMerge(BSTR json1, BSTR json2, VARIANT_BOOL deep, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonPrettyPrint(BSTR json, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonInsert(BSTR json, BSTR path, LONG index, VARIANT value, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonClear(BSTR json, BSTR path, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonFlatten(BSTR json, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonUnflatten(BSTR json, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonUnwrapString(BSTR jsonValue, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonCompact(BSTR json, BSTR path, BSTR* result) override;

    // Settings, state and the members that need no browser (control_settings.cpp).
    HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_EnableHardwareAcceleration(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_EnableHardwareAcceleration(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_Language(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_Language(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_BrowserExecutableFolder(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_BrowserExecutableFolder(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_proxyServer(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_proxyServer(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_ProxyBypassList(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_ProxyBypassList(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_IgnoreCertificateErrors(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IgnoreCertificateErrors(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_UserDataFolder(BSTR* value) override;

    HRESULT STDMETHODCALLTYPE get_IsScriptEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_IsWebMessageEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IsWebMessageEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_DefaultScriptDialogsEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_DefaultScriptDialogsEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_IsStatusBarEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_AreDevToolsEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_AreDefaultContextMenusEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_AreHostObjectsAllowed(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_IsZoomControlEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_IsBuiltInErrorPageEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IsBuiltInErrorPageEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_AreBrowserAcceleratorKeysEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_AreBrowserAcceleratorKeysEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_IsPasswordAutosaveEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IsPasswordAutosaveEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_IsGeneralAutofillEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IsGeneralAutofillEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_IsPinchZoomEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IsPinchZoomEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_IsSwipeNavigationEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IsSwipeNavigationEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_HiddenPdfToolbarItems(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_HiddenPdfToolbarItems(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_IsReputationCheckingRequired(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IsReputationCheckingRequired(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_NonClientRegionSupportEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_NonClientRegionSupportEnabled(VARIANT_BOOL value) override;

    HRESULT STDMETHODCALLTYPE get_zoomFactor(double* value) override;
    HRESULT STDMETHODCALLTYPE put_zoomFactor(double value) override;
    HRESULT STDMETHODCALLTYPE get_userAgent(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_userAgent(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_IsVisible(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IsVisible(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE put_IsDragDropEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_IsMuted(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IsMuted(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_IsDocumentPlayingAudio(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_MemoryUsageTargetLevel(CVN_MEMORY_USAGE* value) override;
    HRESULT STDMETHODCALLTYPE put_MemoryUsageTargetLevel(CVN_MEMORY_USAGE value) override;

    HRESULT STDMETHODCALLTYPE get_SynchronousTimeOut(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_SynchronousTimeOut(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_AutoRecoverOnCrash(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_AutoRecoverOnCrash(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_EventsUseHexadecimal(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_EventsUseHexadecimal(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_RequiredMinimumVersion(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_RequiredMinimumVersion(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_SmartResize(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_SmartResize(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_PopupMode(CVN_POPUP_MODE* value) override;
    HRESULT STDMETHODCALLTYPE put_PopupMode(CVN_POPUP_MODE value) override;
    HRESULT STDMETHODCALLTYPE get_OpenPopupsInSameWindow(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_OpenPopupsInSameWindow(VARIANT_BOOL value) override;

    HRESULT STDMETHODCALLTYPE get_ControlVersion(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE IsReady(VARIANT_BOOL* ready) override;
    HRESULT STDMETHODCALLTYPE get_WebViewCreated(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_IsLoading(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_DocumentTitle(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_StatusBarText(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_ContainsFullScreenElement(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_InPrivateMode(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE GetDiagnostics(BSTR* diagnostics) override;
    HRESULT STDMETHODCALLTYPE MoveFocus(CVN_FOCUS_REASON reason) override;
    HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() override;
    HRESULT STDMETHODCALLTYPE SetDefaultBackgroundColor(LONG argbColor) override;
    HRESULT STDMETHODCALLTYPE get_BrowserVersionString(BSTR* value) override;

    // Office document editing was removed; the members stay and do no work.
    HRESULT STDMETHODCALLTYPE OpenOfficeDocument(BSTR filePath) override;
    HRESULT STDMETHODCALLTYPE CloseOfficeDocument() override;
    HRESULT STDMETHODCALLTYPE SaveOfficeDocument() override;
    HRESULT STDMETHODCALLTYPE SaveOfficeDocumentAs(BSTR filePath) override;
    HRESULT STDMETHODCALLTYPE get_IsOfficeDocumentOpen(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_OfficeDocumentPath(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_OfficeDocumentType(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_WordApplication(IDispatch** value) override;
    HRESULT STDMETHODCALLTYPE get_WordDocument(IDispatch** value) override;

    // Automation stealth and CAPTCHA services are not part of this build.
    HRESULT STDMETHODCALLTYPE EnableStealthMode() override;
    HRESULT STDMETHODCALLTYPE HideWebDriver() override;
    HRESULT STDMETHODCALLTYPE SpoofWebGL(BSTR vendor, BSTR renderer) override;
    HRESULT STDMETHODCALLTYPE RandomizeCanvasFingerprint() override;
    HRESULT STDMETHODCALLTYPE SpoofScreenSize(LONG width, LONG height) override;
    HRESULT STDMETHODCALLTYPE DisableWebRTC() override;
    HRESULT STDMETHODCALLTYPE EnableMouseNoise() override;
    HRESULT STDMETHODCALLTYPE EnableTimingNoise() override;
    HRESULT STDMETHODCALLTYPE get_IsStealthEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE SetCaptchaService(BSTR serviceName, BSTR apiKey) override;
    HRESULT STDMETHODCALLTYPE DetectCaptcha(BSTR* captchaKind) override;
    HRESULT STDMETHODCALLTYPE SolveCaptcha(BSTR* token) override;
    HRESULT STDMETHODCALLTYPE SolveRecaptchaV2(BSTR siteKey, BSTR pageUrl, BSTR* token) override;
    HRESULT STDMETHODCALLTYPE SolveHCaptcha(BSTR siteKey, BSTR pageUrl, BSTR* token) override;
    HRESULT STDMETHODCALLTYPE SubmitCaptchaToken(BSTR token) override;

private:
    // How a call reached the browser's settings object.
    enum class SettingsReach { NoWebView, RevisionMissing, Answered };
    SettingsReach ReachBrowserSettings(BrowserSetting setting, LONG* read, const LONG* write, HRESULT& hr);
    HRESULT GetBrowserSetting(BrowserSetting setting, LONG* value);
    HRESULT GetBrowserSetting(BrowserSetting setting, VARIANT_BOOL* value);
    HRESULT PutBrowserSetting(BrowserSetting setting, LONG value);
    HRESULT PutPreInit(const PreInitRow& row, std::u16string& slot, BSTR value);
    HRESULT PutPreInit(const PreInitRow& row, bool& slot, VARIANT_BOOL value);
    HRESULT NotInThisBuild(std::u16string_view member);
    static HRESULT QueryAvailableBrowserVersion(std::u16string& version);

    ControlSettings settings_;
    BrowserStage stage_;                  // the ready flag and the foreign-window flag

    // The browser's objects; the browser work gives them their WebView2 types.
    HWND window_ = nullptr;
    ComPtr<IUnknown> environment_;
    ComPtr<IUnknown> controller_;
    ComPtr<IUnknown> webView_;

    // Navigation caches kept by the browser's events.
    std::u16string pendingUrl_;
    std::u16string currentUrl_;
    std::u16string documentTitle_;
    std::u16string statusBarText_;
    std::u16string userDataFolder_;
    bool canGoBack_ = false;
    bool canGoForward_ = false;
    bool isLoading_ = false;
    bool containsFullScreenElement_ = false;
    bool inPrivateMode_ = false;

    bool transparentBackground_ = false;
    COLORREF backgroundColor_ = RGB(255, 255, 255);

    ControlErrorSlot errors_;
    LONG jsonToArrayMaxSize_ = 52428800;
};

}  // namespace Corvane
