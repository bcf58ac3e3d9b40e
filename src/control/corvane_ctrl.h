// CCorvaneCtrl: the control object. It answers ICorvaneCtrl (dual), raises
// _DCorvaneCtrlEvents through its one connection point, and may be
// aggregated by a host's form machinery.
#pragma once

#include <cstdint>

#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "bridge_rules.h"
#include "com_object.h"
#include "com_ptr.h"
#include "connection_point.h"
#include "control_errors.h"
#include "corvane_h.h"
#include "dispatch.h"
#include "error_info.h"
#include "event_dispatch.h"
#include "notimpl.h"
#include "page_rules.h"
#include "raise_event.h"
#include "script_rules.h"
#include "settings_table.h"
#include "network_state.h"
#include "web_state.h"
#include "webview2.h"

#ifndef CORVANE_OBJECTSAFETY_UUID
#define CORVANE_OBJECTSAFETY_UUID
// mingw's objsafe.h declares the IID but not the __uuidof binding.
__CRT_UUID_DECL(IObjectSafety, 0xcb5bdc81, 0x93c1, 0x11cf, 0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0, 0x64)
#endif

namespace Corvane {

LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// Unregisters the control's window class once no window of it is left.
void ReleaseWindowClass();

class CCorvaneCtrl final
    : public ComObject<CCorvaneCtrl, DispatchImpl<ICorvaneCtrl, ICorvaneCtrlNotImplemented>,
                       IViewObjectEx, IOleInPlaceObjectWindowless, IOleInPlaceActiveObject, IOleControl, IOleObject,
                       IPersistStreamInit, IPersistPropertyBag, ISpecifyPropertyPages, IQuickActivate,
                       IPersistStorage, IDataObject, IObjectSafety, IProvideClassInfo2,
                       SupportErrorInfoImpl<&IID_ICorvaneCtrl>, SingleConnectionPointContainer<&DIID__DCorvaneCtrlEvents>> {
public:
    // IPersist and IOleWindow have several paths here; QueryExtra answers them.
    using Exposed = InterfaceList<ICorvaneCtrl, IViewObjectEx, IViewObject2, IViewObject, IOleInPlaceObjectWindowless,
                                  IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl, IOleObject,
                                  IPersistStreamInit, IPersistPropertyBag, ISpecifyPropertyPages, IQuickActivate,
                                  IPersistStorage, IDataObject, IObjectSafety,
                                  IProvideClassInfo, IProvideClassInfo2, IConnectionPointContainer, ISupportErrorInfo>;
    static constexpr bool kAggregatable = true;

    explicit CCorvaneCtrl(IUnknown* outer);
    ~CCorvaneCtrl() override;

    // (process id << 16) | per-process counter, fixed at construction.
    std::uint32_t InstanceId() const { return instanceId_; }

    // IViewObject, IViewObject2, IViewObjectEx (view_drawing.cpp).
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target, HDC targetDc,
                                   HDC dc, LPCRECTL bounds, LPCRECTL metaBounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                                   ULONG_PTR contArg) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target,
                                          HDC targetDc, LOGPALETTE** colors) override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD freeze) override;
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, LPSIZEL size) override;
    HRESULT STDMETHODCALLTYPE GetRect(DWORD aspect, LPRECTL rect) override;
    HRESULT STDMETHODCALLTYPE GetViewStatus(DWORD* status) override;
    HRESULT STDMETHODCALLTYPE QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG closeHint,
                                            DWORD* result) override;
    HRESULT STDMETHODCALLTYPE QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG closeHint,
                                           DWORD* result) override;
    HRESULT STDMETHODCALLTYPE GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, HDC targetDc,
                                               DVEXTENTINFO* info, LPSIZEL size) override;

    // IOleWindow, IOleInPlaceObject(Windowless), IOleInPlaceActiveObject (in_place.cpp).
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget** target) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

    // IOleControl, IOleObject (ole_object.cpp).
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* msg) override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                                     LPCRECT position) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

    // IObjectSafety, IProvideClassInfo2 (ole_object.cpp).
    HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override;
    HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override;
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;

    // IPersist, IPersistStreamInit, IPersistPropertyBag, IPersistStorage (persistence.cpp).
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL sameAsLoad) override;
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override;

    // ISpecifyPropertyPages, IQuickActivate, IDataObject (quick_activate.cpp).
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;
    HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL size) override;
    HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL size) override;
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advise) override;

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

    // The browser's life (browser_init.cpp).
    HRESULT STDMETHODCALLTYPE Dispose() override;
    HRESULT STDMETHODCALLTYPE CloseBrowserProcess() override;
    HRESULT STDMETHODCALLTYPE get_BrowserProcessId(LONG* value) override;
    HRESULT STDMETHODCALLTYPE TrySuspend() override;
    HRESULT STDMETHODCALLTYPE Resume() override;
    HRESULT STDMETHODCALLTYPE get_IsSuspended(VARIANT_BOOL* value) override;

    // Navigation, plain and blocking, and web messages (navigation.cpp).
    HRESULT STDMETHODCALLTYPE Navigate(BSTR url) override;
    HRESULT STDMETHODCALLTYPE get_url(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_url(BSTR value) override;
    HRESULT STDMETHODCALLTYPE GoBack() override;
    HRESULT STDMETHODCALLTYPE GoForward() override;
    HRESULT STDMETHODCALLTYPE Refresh() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE get_CanGoBack(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_CanGoForward(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE NavigateToString(BSTR html) override;
    HRESULT STDMETHODCALLTYPE NavigateSync(BSTR url) override;
    HRESULT STDMETHODCALLTYPE NavigateToStringSync(BSTR html) override;
    HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(BSTR webMessageAsJson) override;
    HRESULT STDMETHODCALLTYPE PostWebMessageAsString(BSTR webMessageAsString) override;

    // Script in the page (src/script/script_members.cpp).
    HRESULT STDMETHODCALLTYPE ExecuteScript(BSTR script, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE ExecuteScriptAsync(BSTR script) override;
    HRESULT STDMETHODCALLTYPE ExecuteScriptWithResult(BSTR script, BSTR* resultAsJson, VARIANT_BOOL* succeeded,
                                                      BSTR* exceptionMessage) override;
    HRESULT STDMETHODCALLTYPE ExecuteScriptWithArgs(BSTR functionName, VARIANT arguments, BSTR* scriptResult) override;
    HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(BSTR script, BSTR* scriptId) override;
    HRESULT STDMETHODCALLTYPE RemoveScriptToExecuteOnDocumentCreated(BSTR id) override;
    HRESULT STDMETHODCALLTYPE AddHostObjectToScript(BSTR name, IDispatch* hostObject) override;
    HRESULT STDMETHODCALLTYPE RemoveHostObjectToScript(BSTR name) override;
    HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(BSTR name) override;
    HRESULT STDMETHODCALLTYPE FireJsEvent(BSTR eventName, BSTR jsonData) override;
    HRESULT STDMETHODCALLTYPE CallJsFunction(BSTR funcPath, BSTR jsonArgs) override;
    HRESULT STDMETHODCALLTYPE SetJsVariable(BSTR path, BSTR jsonValue) override;
    HRESULT STDMETHODCALLTYPE PushRecordset(IDispatch* recordset, BSTR jsCallback) override;

    // The script-object bridge (src/script/bridge.cpp).
    HRESULT STDMETHODCALLTYPE BindScriptObject(BSTR alias, BSTR jsExpression, LONG flags) override;
    HRESULT STDMETHODCALLTYPE UnbindScriptObject(BSTR alias) override;
    HRESULT STDMETHODCALLTYPE CallScript(BSTR alias, BSTR methodName, VARIANT arg1, VARIANT arg2, VARIANT arg3,
                                         VARIANT arg4, VARIANT arg5, VARIANT arg6, VARIANT arg7,
                                         VARIANT arg8) override;
    HRESULT STDMETHODCALLTYPE CallScriptSync(BSTR alias, BSTR methodName, VARIANT arg1, VARIANT arg2, VARIANT arg3,
                                             VARIANT arg4, VARIANT arg5, VARIANT arg6, VARIANT arg7, VARIANT arg8,
                                             VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE GetScriptProperty(BSTR alias, BSTR propertyName, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE SetScriptProperty(BSTR alias, BSTR propertyName, VARIANT value) override;
    HRESULT STDMETHODCALLTYPE GetLastBridgeError(LONG* code, BSTR* message) override;

    // The page calling the macro (src/script/host_callbacks.cpp) and page
    // services (src/script/page_services.cpp).
    HRESULT STDMETHODCALLTYPE SetWebMessageCallback(IDispatch* vbaApplication, BSTR macroName) override;
    HRESULT STDMETHODCALLTYPE ClearWebMessageCallback() override;
    HRESULT STDMETHODCALLTYPE EnableCvFacade(VARIANT_BOOL enabled) override;
    HRESULT STDMETHODCALLTYPE get_IsCvFacadeEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE ToggleBridgeInspector() override;
    HRESULT STDMETHODCALLTYPE SetLocalContentRoot(BSTR folderPath) override;
    HRESULT STDMETHODCALLTYPE NavigateToLocalFile(BSTR filename) override;
    HRESULT STDMETHODCALLTYPE SetVirtualHostNameToFolderMapping(BSTR hostName, BSTR folderPath, LONG accessKind) override;
    HRESULT STDMETHODCALLTYPE ClearVirtualHostNameToFolderMapping(BSTR hostName) override;

    // DOM commands (src/script/dom_commands.cpp).
    HRESULT STDMETHODCALLTYPE GetElementValueById(BSTR elementId, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE SetElementValueById(BSTR elementId, BSTR value) override;
    HRESULT STDMETHODCALLTYPE GetElementValueByName(BSTR elementName, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE SetElementValueByName(BSTR elementName, BSTR value) override;
    HRESULT STDMETHODCALLTYPE ClickElementById(BSTR elementId) override;
    HRESULT STDMETHODCALLTYPE ClickElementByName(BSTR elementName) override;
    HRESULT STDMETHODCALLTYPE ClickElementBySelector(BSTR cssSelector) override;
    HRESULT STDMETHODCALLTYPE GetInnerHtmlById(BSTR elementId, BSTR* html) override;
    HRESULT STDMETHODCALLTYPE SetInnerHtmlById(BSTR elementId, BSTR html) override;
    HRESULT STDMETHODCALLTYPE GetOuterHtmlById(BSTR elementId, BSTR* html) override;
    HRESULT STDMETHODCALLTYPE SetOuterHtmlById(BSTR elementId, BSTR html) override;
    HRESULT STDMETHODCALLTYPE GetPageHtml(BSTR* html) override;
    HRESULT STDMETHODCALLTYPE GetPageText(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE ElementExistsById(BSTR elementId, VARIANT_BOOL* exists) override;
    HRESULT STDMETHODCALLTYPE ElementExistsBySelector(BSTR cssSelector, VARIANT_BOOL* exists) override;
    HRESULT STDMETHODCALLTYPE SubmitFormById(BSTR formId) override;
    HRESULT STDMETHODCALLTYPE SetCheckboxById(BSTR elementId, VARIANT_BOOL checked) override;
    HRESULT STDMETHODCALLTYPE GetCheckboxById(BSTR elementId, VARIANT_BOOL* checked) override;
    HRESULT STDMETHODCALLTYPE GetElementAttributeById(BSTR elementId, BSTR attrName, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE SetElementAttributeById(BSTR elementId, BSTR attrName, BSTR value) override;
    HRESULT STDMETHODCALLTYPE RemoveElementAttributeById(BSTR elementId, BSTR attrName) override;
    HRESULT STDMETHODCALLTYPE GetElementTextById(BSTR elementId, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE SetElementTextById(BSTR elementId, BSTR text) override;
    HRESULT STDMETHODCALLTYPE SelectOptionById(BSTR elementId, BSTR optionValue) override;
    HRESULT STDMETHODCALLTYPE GetSelectedOptionById(BSTR elementId, BSTR* optionValue) override;
    HRESULT STDMETHODCALLTYPE FocusElementById(BSTR elementId) override;
    HRESULT STDMETHODCALLTYPE ScrollToElementById(BSTR elementId) override;
    HRESULT STDMETHODCALLTYPE GetOuterHtmlByName(BSTR elementName, BSTR* html) override;
    HRESULT STDMETHODCALLTYPE SetOuterHtmlByName(BSTR elementName, BSTR html) override;
    HRESULT STDMETHODCALLTYPE GetTextBySelector(BSTR cssSelector, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE WaitForElement(BSTR cssSelector, LONG timeoutMs, VARIANT_BOOL* found) override;

    // Find in page, printing and capture, DevTools access (src/web/).
    HRESULT STDMETHODCALLTYPE StartFind(BSTR searchText, VARIANT_BOOL caseSensitive, VARIANT_BOOL matchWholeWord) override;
    HRESULT STDMETHODCALLTYPE FindNext() override;
    HRESULT STDMETHODCALLTYPE FindPrevious() override;
    HRESULT STDMETHODCALLTYPE StopFind(VARIANT_BOOL cancel) override;
    HRESULT STDMETHODCALLTYPE get_FindMatchCount(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FindActiveMatchIndex(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_IsFindActive(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_SuppressFindUI(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_SuppressFindUI(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_FindHighlightAllMatches(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_FindHighlightAllMatches(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE PrintPage() override;
    HRESULT STDMETHODCALLTYPE ShowPrintDialog() override;
    HRESULT STDMETHODCALLTYPE PrintWithSettings() override;
    HRESULT STDMETHODCALLTYPE PrintToPdf(BSTR filePath) override;
    HRESULT STDMETHODCALLTYPE PrintToPdfWithSettings(BSTR filePath) override;
    HRESULT STDMETHODCALLTYPE CaptureScreenshot(BSTR filePath, LONG* result) override;
    HRESULT STDMETHODCALLTYPE get_HasPrintToPdf(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_HasCapturePreview(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_PrintOrientation(CVN_PRINT_ORIENTATION* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintOrientation(CVN_PRINT_ORIENTATION value) override;
    HRESULT STDMETHODCALLTYPE get_PrintScaleFactor(double* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintScaleFactor(double value) override;
    HRESULT STDMETHODCALLTYPE get_PrintMarginTop(double* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintMarginTop(double value) override;
    HRESULT STDMETHODCALLTYPE get_PrintMarginBottom(double* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintMarginBottom(double value) override;
    HRESULT STDMETHODCALLTYPE get_PrintMarginLeft(double* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintMarginLeft(double value) override;
    HRESULT STDMETHODCALLTYPE get_PrintMarginRight(double* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintMarginRight(double value) override;
    HRESULT STDMETHODCALLTYPE get_PrintPageWidth(double* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintPageWidth(double value) override;
    HRESULT STDMETHODCALLTYPE get_PrintPageHeight(double* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintPageHeight(double value) override;
    HRESULT STDMETHODCALLTYPE get_PrintShouldPrintBackgrounds(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintShouldPrintBackgrounds(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_PrintShouldPrintSelectionOnly(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintShouldPrintSelectionOnly(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_PrintShouldPrintHeaderAndFooter(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintShouldPrintHeaderAndFooter(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_PrintHeaderTitle(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintHeaderTitle(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_PrintFooterUri(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintFooterUri(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_PrintCopies(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintCopies(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_PrintPagesPerSide(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintPagesPerSide(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_PrintPageRanges(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_PrintPageRanges(BSTR value) override;
    HRESULT STDMETHODCALLTYPE OpenDevToolsWindow() override;
    HRESULT STDMETHODCALLTYPE OpenTaskManagerWindow() override;
    HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethod(BSTR methodName, BSTR parametersAsJson, BSTR* resultJson) override;
    HRESULT STDMETHODCALLTYPE AddDevToolsProtocolEventHandler(BSTR eventName) override;
    HRESULT STDMETHODCALLTYPE RemoveDevToolsProtocolEventHandler(BSTR eventName) override;
    HRESULT STDMETHODCALLTYPE get_HasDevToolsProtocol(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE AddCustomSchemeRegistration(BSTR schemeName, VARIANT_BOOL treatAsSecure) override;

    // The document viewer and the preview host (src/host/document_viewer.cpp);
    // Office document editing was removed, its members stay and do no work.
    HRESULT STDMETHODCALLTYPE OpenDocument(BSTR filePath, LONG viewMode) override;
    HRESULT STDMETHODCALLTYPE get_CurrentDocumentPath(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_CurrentDocumentType(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE ShowDocumentPreview(BSTR filePath, LONG_PTR hwndTarget) override;
    HRESULT STDMETHODCALLTYPE ShowDocumentPreviewInBrowserFrame(BSTR filePath) override;
    HRESULT STDMETHODCALLTYPE CloseDocumentPreview() override;
    HRESULT STDMETHODCALLTYPE OpenOfficeDocument(BSTR filePath) override;
    HRESULT STDMETHODCALLTYPE CloseOfficeDocument() override;
    HRESULT STDMETHODCALLTYPE SaveOfficeDocument() override;
    HRESULT STDMETHODCALLTYPE SaveOfficeDocumentAs(BSTR filePath) override;
    HRESULT STDMETHODCALLTYPE get_IsOfficeDocumentOpen(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_OfficeDocumentPath(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_OfficeDocumentType(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_WordApplication(IDispatch** value) override;
    HRESULT STDMETHODCALLTYPE get_WordDocument(IDispatch** value) override;

    // Embedding into any window and Office frames (src/host/embedding.cpp).
    HRESULT STDMETHODCALLTYPE EmbedInHwnd(__int64 hwndParent, LONG width, LONG height) override;
    HRESULT STDMETHODCALLTYPE EmbedInHwndByLong(LONG hwndParent, LONG width, LONG height) override;
    HRESULT STDMETHODCALLTYPE ResizeEmbedded(LONG width, LONG height) override;
    HRESULT STDMETHODCALLTYPE MoveEmbedded(LONG left, LONG top) override;
    HRESULT STDMETHODCALLTYPE CloseEmbedded() override;
    HRESULT STDMETHODCALLTYPE get_EmbeddedParentHwnd(LONG_PTR* value) override;
    HRESULT STDMETHODCALLTYPE QuickInitInFrame(IDispatch* parentForm, IDispatch* targetFrame) override;
    HRESULT STDMETHODCALLTYPE GetDefaultOcxPath(BSTR* folderPath) override;
    HRESULT STDMETHODCALLTYPE PointsToPixels(double points, VARIANT_BOOL isHorizontal, LONG* pixels) override;

    // The network: resource filters and custom requests, cookies, browsing
    // data and the profile, authentication, downloads (src/web/).
    HRESULT STDMETHODCALLTYPE get_PreferredColorScheme(CVN_COLOR_SCHEME* value) override;
    HRESULT STDMETHODCALLTYPE put_PreferredColorScheme(CVN_COLOR_SCHEME value) override;
    HRESULT STDMETHODCALLTYPE get_PreferredTrackingPreventionLevel(CVN_TRACKING_PREVENTION* value) override;
    HRESULT STDMETHODCALLTYPE put_PreferredTrackingPreventionLevel(CVN_TRACKING_PREVENTION value) override;
    HRESULT STDMETHODCALLTYPE ClearBrowsingDataInTimeRange(LONG dataKinds, DATE startTime, DATE endTime) override;
    HRESULT STDMETHODCALLTYPE GetBrowserExtensionList(BSTR* extensionsJson) override;
    HRESULT STDMETHODCALLTYPE ClearProfileCookies() override;
    HRESULT STDMETHODCALLTYPE get_ProfileIsPasswordAutosaveEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_ProfileIsPasswordAutosaveEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_ProfileIsGeneralAutofillEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_ProfileIsGeneralAutofillEnabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE CreateWebResourceRequest(BSTR method, BSTR uri, BSTR headers, BSTR body, LONG* requestHandle) override;
    HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(BSTR content, LONG statusCode, BSTR reasonPhrase, BSTR headers, LONG* responseHandle) override;
    HRESULT STDMETHODCALLTYPE NavigateWithCustomRequest(LONG requestHandle) override;
    HRESULT STDMETHODCALLTYPE NavigateWithWebResourceRequestSync(LONG requestHandle) override;
    HRESULT STDMETHODCALLTYPE ClearCache() override;
    HRESULT STDMETHODCALLTYPE ClearCookies() override;
    HRESULT STDMETHODCALLTYPE ClearBrowsingData(LONG dataKinds) override;
    HRESULT STDMETHODCALLTYPE GetCookies(BSTR url, BSTR* cookiesJson) override;
    HRESULT STDMETHODCALLTYPE SetCookie(BSTR name, BSTR value, BSTR domain, BSTR path) override;
    HRESULT STDMETHODCALLTYPE NavigateWithWebResourceRequest(BSTR uri, BSTR httpMethod, BSTR postData, BSTR headers) override;
    HRESULT STDMETHODCALLTYPE get_DefaultDownloadFolderPath(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_DefaultDownloadFolderPath(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_AllowDownloads(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_AllowDownloads(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_IsDownloadDialogOpen(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE OpenDownloadDialog() override;
    HRESULT STDMETHODCALLTYPE CloseDownloadDialog() override;
    HRESULT STDMETHODCALLTYPE PauseDownload(LONG downloadId) override;
    HRESULT STDMETHODCALLTYPE ResumeDownload(LONG downloadId) override;
    HRESULT STDMETHODCALLTYPE CancelDownload(LONG downloadId) override;
    HRESULT STDMETHODCALLTYPE ShowSaveAsDialog() override;
    HRESULT STDMETHODCALLTYPE get_HiddenDownloadUI(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_HiddenDownloadUI(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_DefaultDownloadDialogCornerAlignment(CVN_DOWNLOAD_DIALOG_CORNER_ALIGNMENT* value) override;
    HRESULT STDMETHODCALLTYPE put_DefaultDownloadDialogCornerAlignment(CVN_DOWNLOAD_DIALOG_CORNER_ALIGNMENT value) override;
    HRESULT STDMETHODCALLTYPE get_DefaultDownloadDialogMarginX(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_DefaultDownloadDialogMarginX(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_DefaultDownloadDialogMarginY(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_DefaultDownloadDialogMarginY(LONG value) override;
    HRESULT STDMETHODCALLTYPE SetBasicAuthCredentials(BSTR uriPattern, BSTR username, BSTR password) override;
    HRESULT STDMETHODCALLTYPE ClearBasicAuthCredentials() override;
    HRESULT STDMETHODCALLTYPE get_HasAuthenticationSupport(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(BSTR uriPattern, LONG resourceContext) override;
    HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(BSTR uriPattern, LONG resourceContext) override;
    HRESULT STDMETHODCALLTYPE ClearAllWebResourceRequestedFilters() override;
    HRESULT STDMETHODCALLTYPE GetWebResourceRequestedFilters(BSTR* filtersJson) override;
    HRESULT STDMETHODCALLTYPE SetWebResourceBlocking(VARIANT_BOOL enabled) override;
    HRESULT STDMETHODCALLTYPE get_IsWebResourceBlockingEnabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_BlockedRequestCount(LONG* value) override;
    HRESULT STDMETHODCALLTYPE ResetBlockedRequestCount() override;
    HRESULT STDMETHODCALLTYPE EnableWebResourceResponseTracking(VARIANT_BOOL enabled) override;

    // Operations the browser pool reaches by browser index; the control's own
    // interface does not publish them (src/script/host_callbacks.cpp).
    HRESULT RegisterVbaCallback(BSTR jsName, IDispatch* callbackObject, BSTR methodName);
    HRESULT UnregisterVbaCallback();
    HRESULT SetReadyCallback(IDispatch* callbackObject, BSTR methodName);
    HRESULT ClearReadyCallback();
    HRESULT SetAllowedVBAMacros(BSTR macroList);
    HRESULT ClearAllowedVBAMacros();
    HRESULT EnableAutoDispatch(VARIANT_BOOL enabled);
    HRESULT IsAutoDispatchEnabled(VARIANT_BOOL* isEnabled);

    // What the browser pool sets and reads beside the interface.
    void SetEmbedOrigin(LONG x, LONG y) { embedX_ = x; embedY_ = y; }
    void UseOwnBrowser() { useOwnWebView_ = true; }
    void SetProfile(std::u16string name, bool inPrivate) {
        profileName_ = std::move(name);
        inPrivateMode_ = inPrivate;
    }
    const std::u16string& StoredProfileName() const { return profileName_; }
    bool StoredInPrivate() const { return inPrivateMode_; }
    // The browser's profile once it exists, else null.
    ComPtr<ICoreWebView2Profile> BrowserProfile() const;
    // The window the browser sits in now: the controller's parent, else the
    // target of a creation still under way.
    HWND BrowserParentWindow() const;

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

protected:
    HRESULT QueryExtra(REFIID iid, void** out) override;

private:
    std::uint32_t instanceId_;
    friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);

    // Broadcasts one event to every connected sink (raise_event.h); the
    // window's own events go through RaiseWindowEvent, which honours the
    // closing and events-suppressed flags.
    HRESULT RaiseEvent(DISPID id, std::initializer_list<EventArg> args = {});
    void RaiseWindowEvent(DISPID id, std::initializer_list<EventArg> args = {});

    // Drawing shared by WM_PAINT, WM_PRINTCLIENT and IViewObject::Draw.
    void DrawContent(HDC dc, const RECT& bounds) const;
    void ReadAmbientUserMode();
    void SetDesignMode(bool design);
    HRESULT ActivateInPlace(LONG verb, IOleClientSite* site, HWND parent, LPCRECT position);
    HRESULT CreateControlWindow(HWND parent, const RECT& position);
    LRESULT OnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    HRESULT SaveToStream(IStream* stream);
    HRESULT LoadFromStream(IStream* stream);
    std::u16string UrlForSaving() const;

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
    HRESULT ReadAudioFlag(HRESULT (STDMETHODCALLTYPE ICoreWebView2_8::*getter)(BOOL*), std::u16string_view tooOld,
                          VARIANT_BOOL* value);

    ControlSettings settings_;
    BrowserStage stage_;                  // the ready flag and the foreign-window flag

    // Browser creation, parking and teardown (browser_init.cpp).
    void InitializeBrowser();
    HRESULT OnEnvironmentCreated(HRESULT hr, ICoreWebView2Environment* environment);
    HRESULT OnControllerCreated(HRESULT hr, ICoreWebView2Controller* controller, HWND firstParent);
    void ApplyInitialSettings();
    void DrainEarlyQueues(bool hostObjects);
    void OnBridgeReady();
    void OnBridgeNavigationCompleted();
    // A page message: true when auto-dispatch took it (run or dropped); else,
    // after the event, the inspector's log line and the web message macro.
    bool ConsumeWebMessage(const std::u16string& message);
    void AfterWebMessage(const std::u16string& message, const std::u16string& source);
    // A browser made through the embedding paths is ready: element wiring and the ready callback.
    void OnEmbeddedReady();
    void ReleaseHostCallbacks();
    void ParkBrowser();
    void TeardownBrowser();
    bool InitialisationUnderWay() const { return initializing_ && !stage_.ready && !closing_; }
    void RecoverAfterCrash(COREWEBVIEW2_PROCESS_FAILED_KIND kind);

    // Browser events (browser_events.cpp, raise rules in event_dispatch.h).
    // Every handler answers S_OK and stays quiet once the control is gone,
    // closing or without its web view.
    bool AcceptsBrowserEvent() const;
    template <class Body>
    auto Guarded(Body body) {
        return [this, body](auto* sender, auto* args) -> HRESULT {
            if (!AcceptsBrowserEvent()) return S_OK;
            ComPtr<IUnknown> keepAlive(Controlling());
            body(sender, args);
            return S_OK;
        };
    }
    void RegisterBrowserEvents();
    void ListenToFrame(ICoreWebView2Frame* frame);
    void RefreshHistoryCaches();
    void RunPopupOverride();
    template <class F>
    void RaiseNow(std::u16string_view name, F&& call) {
        if (closing_ || eventsSuppressed_) return;
        ComPtr<IUnknown> keepAlive(Controlling());
        RunImmediateEvent(name, std::function<void()>(std::forward<F>(call)));
    }
    template <class F>
    void RaiseLater(std::u16string_view name, F call) {
        if (closing_ || eventsSuppressed_) return;
        auto deferred = [this, call]() {
            if (closing_ || eventsSuppressed_) return;
            ComPtr<IUnknown> keepAlive(Controlling());
            call();
        };
        if (!QueueDeferredEvent(this, deferred)) RaiseNow(name, call);
    }

    HRESULT PostWebMessage(bool json, BSTR message);

    // Browser creation as blocking calls see it: a call made while the
    // browser is being created waits for it within its own time-out.
    void BeginCreation();
    void EndCreation(HRESULT hr);
    bool CreationUnderWay() const { return initializing_ && !disposed_ && !stage_.ready; }
    HRESULT AwaitBrowser(std::u16string_view operation, GuardKind kind, std::u16string_view alternative,
                         DWORD& budget);
    // Readiness once a controller and its web view are the control's own.
    void EnterReadiness(bool fresh);

    // The foreign-window path (src/host/embedding.cpp).
    HRESULT StartForeignCreation();
    void StartForeignController(ICoreWebView2Environment* environment, HWND host, const std::wstring& key);
    static HRESULT OnForeignControllerCreated(HWND host, HRESULT hr, ICoreWebView2Controller* controller);
    void AdoptForeignController(HWND host, ICoreWebView2Controller* controller);
    void ForeignCreationFailed(std::u16string_view text, HRESULT hr);
    bool TakeSharedBrowser();
    void ApplyEmbedBounds();
    void MoveBrowserToTarget();
    void LeaveEmbedding(bool pump);
    void ReleaseBrowserReferences();
    void ForgetForeignState();

    // The document viewer (src/host/document_viewer.cpp).
    void SetBrowserVisible(bool visible);
    HRESULT NavigateToDocument(std::u16string_view path);
    std::u16string documentPath_;
    std::u16string documentType_;

    // Blocking calls (navigation.cpp).
    HRESULT Refused(std::u16string_view message);
    HRESULT BlockingNavigation(std::u16string_view operation, std::u16string_view alternative,
                               const std::function<HRESULT()>& start);
    DWORD ScriptTimeOut() const { return settings_.synchronousTimeOut > 0 ? settings_.synchronousTimeOut : 30000; }

    // Script in the page (src/script/).
    // ExecuteScript's wait: the guard, the time-out and its message.
    HRESULT RunScript(std::u16string_view script, std::u16string& json);
    // Starts the script and waits, pumping, for its JSON; `waitFailed` tells
    // a failed wait (PumpWait's code) from the browser's own failure.
    // `literalResult`: an object result is a literal the script built (the bridge's envelopes).
    HRESULT ExecuteAndWait(std::u16string_view script, DWORD timeout, std::u16string& json, bool& waitFailed,
                           bool literalResult = false);
    // ExecuteScriptAsync: at once, queued while the browser is being made, else E_FAIL.
    HRESULT StartScript(std::u16string_view script);
    // The bridge: its errors, its runs and its one operation behind call, get and set.
    HRESULT BridgeFail(HRESULT code, std::u16string_view message = {});
    bool BridgeReady() const { return stage_.ready && webView_; }
    void StartBridgeScript(const std::u16string& script);
    HRESULT RunBridgeScript(std::u16string_view script, BridgeOutcome& outcome);
    HRESULT BridgeOperation(BridgeOp op, BSTR alias, BSTR member, const VARIANT* const* args, std::size_t count,
                            VARIANT* result, bool wait);
    HRESULT RunDomCommand(DomCommand command, std::initializer_list<BSTR> inputs, BSTR* text, VARIANT_BOOL* answer,
                          bool flag = false);

    // The browser's objects.
    HWND window_ = nullptr;
    HWND parkingWindow_ = nullptr;
    ComPtr<ICoreWebView2Environment> environment_;
    ComPtr<ICoreWebView2EnvironmentOptions> environmentOptions_;
    ComPtr<ICoreWebView2Controller> controller_;
    ComPtr<ICoreWebView2> webView_;
    bool initializing_ = false;           // environment creation started, not ready yet
    HANDLE creationEvent_ = nullptr;      // set when the creation under way ends
    HRESULT creationResult_ = S_OK;

    // Embedding into a foreign window.
    HWND embeddedParent_ = nullptr;
    bool embedded_ = false;
    LONG embedX_ = 0, embedY_ = 0, embedWidth_ = 0, embedHeight_ = 0;
    bool useOwnWebView_ = false;          // pooled: a browser of its own, not the shared one
    bool holdsSharedBrowser_ = false;
    HWND instanceHostWindow_ = nullptr;
    std::u16string profileName_;
    std::wstring environmentKey_;         // the foreign environment this control holds
    bool disposed_ = false;
    bool suspended_ = false;

    // Each registration knows how to remove itself with its token; teardown
    // runs the web view's, then the controller's, then the environment's.
    std::vector<std::function<void()>> webViewRemovals_;
    std::vector<std::function<void()>> controllerRemovals_;
    std::vector<std::function<void()>> environmentRemovals_;
    struct FrameEntry {
        ComPtr<ICoreWebView2Frame> frame;
        std::u16string id;
        std::vector<std::function<void()>> removals;
    };
    std::vector<FrameEntry> frames_;
    UINT32 nextFrameNumber_ = 0;

    // Work queued by callers before the browser is ready.
    struct PendingMessage {
        bool json;
        std::u16string text;
    };
    struct PendingHostObject {
        std::u16string name;
        ComPtr<IDispatch> object;
    };
    std::vector<std::u16string> pendingScripts_;
    std::vector<std::u16string> pendingDocumentScripts_;
    std::vector<PendingMessage> pendingMessages_;
    std::vector<PendingHostObject> pendingHostObjects_;
    ScriptBridge bridge_;

    // Page-to-macro calls.
    ComPtr<IDispatch> hostApplication_;   // its Run serves the web message macro and auto-dispatch
    std::u16string webMessageMacro_;
    bool autoDispatch_ = false;
    MacroAllowList allowedMacros_;
    ComPtr<IDispatch> callbackBridge_;
    ComPtr<IDispatch> readyCallback_;
    std::u16string readyMethod_;
    bool readyFired_ = false;
    const void* wiredWebView_ = nullptr;  // the web view the element wiring went to
    bool cvFacade_ = false;
    bool inspectorOn_ = false;

    // One blocking navigation waits at a time.
    HANDLE navigationEvent_ = nullptr;
    bool navigationWaiting_ = false;

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

    // OLE embedding state.
    ComPtr<IOleClientSite> clientSite_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    ComPtr<IOleAdviseHolder> oleAdvise_;
    ComPtr<IDataAdviseHolder> dataAdvise_;
    ComPtr<IAdviseSink> viewAdvise_;
    DWORD viewAdviseAspects_ = 0;
    DWORD viewAdviseFlags_ = 0;
    SIZEL extent_{5080, 5080};            // HIMETRIC, two inches like other controls start with
    bool inPlaceActive_ = false;
    bool uiActive_ = false;
    bool dirty_ = false;
    LONG eventsFrozen_ = 0;
    DWORD safetyOptions_ = 0;

    bool designMode_ = false;             // the container's ambient user mode is FALSE
    bool closing_ = false;
    bool eventsSuppressed_ = false;
    bool trackingMouseLeave_ = false;

    // Page features (src/web/): the find run, stored print settings, DevTools events.
    WebFeatureState web_;
    void StopFindRun();
    void ReleaseWebFeatures();
    void HookWebFeatureTeardown();
    HRESULT StartPdf(BSTR filePath, bool stored);
    HRESULT BuildPrintSettings(ComPtr<ICoreWebView2PrintSettings>& settings);
    // The network's browser side (src/web/): handlers registered with every
    // new browser and released with it.
    void RegisterWebEvents();
    void ReleaseWebEvents();
    HRESULT RegisterRequestHandler();
    void OnWebResourceRequested(ICoreWebView2WebResourceRequestedEventArgs* args);
    void OnBasicAuthentication(ICoreWebView2BasicAuthenticationRequestedEventArgs* args);
    void OnDownloadStarting(ICoreWebView2DownloadStartingEventArgs* args);
    void OnDownloadChanged(std::int32_t id, ICoreWebView2DownloadOperation* operation, bool stateChanged);
    HRESULT DownloadCommand(LONG id, HRESULT (STDMETHODCALLTYPE ICoreWebView2DownloadOperation::*command)());
    HRESULT ProfileBool(bool autosave, VARIANT_BOOL* read, const VARIANT_BOOL* write);
    WebState net_;

    ControlErrorSlot errors_;
    LONG jsonToArrayMaxSize_ = 52428800;
};

}  // namespace Corvane
