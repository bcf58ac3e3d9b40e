// The browser's events as host events. Events whose answer the browser needs
// are raised at once; the rest wait until the runtime's callback returned.
#include <string>

#include "bstr.h"
#include "callback.h"
#include "context_menu_args.h"
#include "corvane_ctrl.h"
#include "foreign_host.h"
#include "live_controls.h"
#include "runtime_text.h"

namespace Corvane {

namespace {

namespace Id {
constexpr DISPID NavigationStarting = 0x1;
constexpr DISPID NavigationCompleted = 0x2;
constexpr DISPID NavigationCompletedHex = 0x3c;
constexpr DISPID WebMessageReceived = 0x3;
constexpr DISPID DocumentTitleChanged = 0x4;
constexpr DISPID NewWindowRequested = 0x5;
constexpr DISPID SourceChanged = 0x6;
constexpr DISPID ScriptDialogOpening = 0x7;
constexpr DISPID ServerCertificateErrorDetected = 0x10;
constexpr DISPID ProcessFailed = 0x11;
constexpr DISPID DOMContentLoaded = 0x17;
constexpr DISPID ContentLoading = 0x18;
constexpr DISPID ContentLoadingHex = 0x3d;
constexpr DISPID HistoryChanged = 0x19;
constexpr DISPID ZoomFactorChanged = 0x1a;
constexpr DISPID WindowCloseRequested = 0x1b;
constexpr DISPID ContainsFullScreenElementChanged = 0x1c;
constexpr DISPID StatusBarTextChanged = 0x1d;
constexpr DISPID PermissionRequested = 0x1e;
constexpr DISPID IsMutedChanged = 0x1f;
constexpr DISPID IsDocumentPlayingAudioChanged = 0x20;
constexpr DISPID AcceleratorKeyPressed = 0x21;
constexpr DISPID FrameCreated = 0x23;
constexpr DISPID FrameNavigationStarting = 0x24;
constexpr DISPID FrameNavigationCompleted = 0x25;
constexpr DISPID FrameDestroyed = 0x26;
constexpr DISPID FaviconChanged = 0x258;
constexpr DISPID ContextMenuRequested = 0x259;
constexpr DISPID LaunchingExternalUriScheme = 0x25a;
constexpr DISPID NotificationReceived = 0x25b;
constexpr DISPID MoveFocusRequested = 0x25c;
constexpr DISPID BrowserProcessExited = 0x25d;
constexpr DISPID IsDefaultDownloadDialogOpenChanged = 0x25e;
constexpr DISPID SaveAsUIShowing = 0x25f;
constexpr DISPID ScreenCaptureStarting = 0x260;
constexpr DISPID SaveFileSecurityCheckStarting = 0x261;
}  // namespace Id

// Turns every link that would open a new window into a same-window link,
// now and for links added later.
constexpr wchar_t kPopupOverrideScript[] =
    L"(function(){"
    L"window.open=function(u){if(u){window.location.href=u;}return window;};"
    L"function fix(root){var a=(root||document).querySelectorAll('a[target=\"_blank\"]');"
    L"for(var i=0;i<a.length;i++){a[i].target='_self';}}"
    L"fix(document);"
    L"document.addEventListener('click',function(e){var t=e.target;"
    L"while(t&&t.tagName!=='A'){t=t.parentElement;}"
    L"if(t&&t.target==='_blank'&&t.href){e.preventDefault();e.stopPropagation();window.location.href=t.href;}},true);"
    L"if(document.body){new MutationObserver(function(){fix(document);})"
    L".observe(document.body,{childList:true,subtree:true});}"
    L"})();";

template <class Obj, class Getter>
bool ReadBool(Obj* object, Getter getter) {
    BOOL value = FALSE;
    return object && SUCCEEDED((object->*getter)(&value)) && value;
}

std::u16string Decimal(UINT64 value) { return FromWide(std::to_wstring(value).c_str()); }

// Upper-case hexadecimal without prefix or leading zeros, like "%llX".
std::u16string Hex(UINT64 value) {
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    std::u16string out;
    do {
        out.insert(out.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value);
    return out;
}

}  // namespace

bool CCorvaneCtrl::AcceptsBrowserEvent() const {
    // The shared browser's events belong to the control whose window holds it.
    return LiveControls::IsLive(this) && !closing_ && webView_ &&
           (!holdsSharedBrowser_ || ForeignHost::RoutedOwner() == this);
}

void CCorvaneCtrl::RefreshHistoryCaches() {
    if (!webView_) return;
    BOOL flag = FALSE;
    if (SUCCEEDED(webView_->get_CanGoBack(&flag))) canGoBack_ = flag != FALSE;
    flag = FALSE;
    if (SUCCEEDED(webView_->get_CanGoForward(&flag))) canGoForward_ = flag != FALSE;
}

void CCorvaneCtrl::RunPopupOverride() {
    if (webView_) webView_->ExecuteScript(kPopupOverrideScript, nullptr);
}

void CCorvaneCtrl::RegisterBrowserEvents() {
    auto& removals = webViewRemovals_;
    ComPtr<ICoreWebView2> view = webView_;

    Listen(view, &ICoreWebView2::add_NavigationStarting, &ICoreWebView2::remove_NavigationStarting, removals,
           Guarded([this](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
               std::u16string uri = ReadRuntimeString(args, &ICoreWebView2NavigationStartingEventArgs::get_Uri);
               isLoading_ = true;
               currentUrl_ = uri;
               VARIANT_BOOL cancel = VARIANT_FALSE;
               RaiseNow(u"NavigationStarting", [&] {
                   RaiseEvent(Id::NavigationStarting, {std::u16string_view(uri), EventArg::InOut(&cancel)});
               });
               if (cancel == VARIANT_TRUE) args->put_Cancel(TRUE);
           }));

    Listen(view, &ICoreWebView2::add_NavigationCompleted, &ICoreWebView2::remove_NavigationCompleted, removals,
           Guarded([this](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* args) {
               const bool success = ReadBool(args, &ICoreWebView2NavigationCompletedEventArgs::get_IsSuccess);
               UINT64 navigationId = 0;
               args->get_NavigationId(&navigationId);
               isLoading_ = false;
               RefreshHistoryCaches();
               OnBridgeNavigationCompleted();
               if (navigationWaiting_ && navigationEvent_) SetEvent(navigationEvent_);
               std::u16string url = ReadRuntimeString(webView_.get(), &ICoreWebView2::get_Source);
               if (settings_.eventsUseHexadecimal) {
                   std::u16string hex = Hex(navigationId);
                   RaiseLater(u"NavigationCompletedHex", [this, url, success, hex] {
                       RaiseEvent(Id::NavigationCompletedHex,
                                  {std::u16string_view(url), success, std::u16string_view(hex)});
                   });
               } else {
                   RaiseLater(u"NavigationCompleted", [this, url, success] {
                       RaiseEvent(Id::NavigationCompleted, {std::u16string_view(url), success});
                   });
               }
               if (success && settings_.popupMode == CVN_POPUP_SAME_WINDOW) RunPopupOverride();
           }));

    Listen(view, &ICoreWebView2::add_ContentLoading, &ICoreWebView2::remove_ContentLoading, removals,
           Guarded([this](ICoreWebView2*, ICoreWebView2ContentLoadingEventArgs* args) {
               UINT64 navigationId = 0;
               args->get_NavigationId(&navigationId);
               const bool errorPage = ReadBool(args, &ICoreWebView2ContentLoadingEventArgs::get_IsErrorPage);
               const bool hex = settings_.eventsUseHexadecimal;
               std::u16string id = hex ? Hex(navigationId) : Decimal(navigationId);
               RaiseLater(hex ? u"ContentLoadingHex" : u"ContentLoading", [this, id, errorPage, hex] {
                   RaiseEvent(hex ? Id::ContentLoadingHex : Id::ContentLoading,
                              {std::u16string_view(id), errorPage});
               });
           }));

    Listen(view, &ICoreWebView2::add_SourceChanged, &ICoreWebView2::remove_SourceChanged, removals,
           Guarded([this](ICoreWebView2*, ICoreWebView2SourceChangedEventArgs*) {
               std::u16string url = ReadRuntimeString(webView_.get(), &ICoreWebView2::get_Source);
               currentUrl_ = url;
               RaiseLater(u"SourceChanged", [this, url] {
                   RaiseEvent(Id::SourceChanged, {std::u16string_view(url)});
               });
           }));

    Listen(view, &ICoreWebView2::add_HistoryChanged, &ICoreWebView2::remove_HistoryChanged, removals,
           Guarded([this](ICoreWebView2*, IUnknown*) {
               RefreshHistoryCaches();
               RaiseLater(u"HistoryChanged", [this] { RaiseEvent(Id::HistoryChanged); });
           }));

    Listen(view, &ICoreWebView2::add_DocumentTitleChanged, &ICoreWebView2::remove_DocumentTitleChanged, removals,
           Guarded([this](ICoreWebView2*, IUnknown*) {
               std::u16string title = ReadRuntimeString(webView_.get(), &ICoreWebView2::get_DocumentTitle);
               documentTitle_ = title;
               RaiseLater(u"DocumentTitleChanged", [this, title] {
                   RaiseEvent(Id::DocumentTitleChanged, {std::u16string_view(title)});
               });
           }));

    Listen(view, &ICoreWebView2::add_WebMessageReceived, &ICoreWebView2::remove_WebMessageReceived, removals,
           Guarded([this](ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs* args) {
               std::u16string message =
                   ReadRuntimeString(args, &ICoreWebView2WebMessageReceivedEventArgs::TryGetWebMessageAsString);
               if (message.empty())
                   message = ReadRuntimeString(args, &ICoreWebView2WebMessageReceivedEventArgs::get_WebMessageAsJson);
               if (message.empty() || ConsumeWebMessage(message)) return;
               std::u16string source = ReadRuntimeString(args, &ICoreWebView2WebMessageReceivedEventArgs::get_Source);
               RaiseLater(u"WebMessageReceived", [this, message, source] {
                   RaiseEvent(Id::WebMessageReceived, {std::u16string_view(message), std::u16string_view(source)});
               });
               AfterWebMessage(message, source);
           }));

    Listen(view, &ICoreWebView2::add_NewWindowRequested, &ICoreWebView2::remove_NewWindowRequested, removals,
           Guarded([this](ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* args) {
               std::u16string uri = ReadRuntimeString(args, &ICoreWebView2NewWindowRequestedEventArgs::get_Uri);
               if (settings_.popupMode == CVN_POPUP_BLOCK) {
                   args->put_Handled(TRUE);
                   return;
               }
               if (settings_.popupMode == CVN_POPUP_SAME_WINDOW) {
                   webView_->Navigate(ToWide(uri).c_str());
                   args->put_Handled(TRUE);
                   return;
               }
               VARIANT_BOOL cancel = VARIANT_FALSE;
               RaiseNow(u"NewWindowRequested", [&] {
                   RaiseEvent(Id::NewWindowRequested, {std::u16string_view(uri), EventArg::InOut(&cancel)});
               });
               if (cancel == VARIANT_TRUE) args->put_Handled(TRUE);
           }));

    Listen(view, &ICoreWebView2::add_ScriptDialogOpening, &ICoreWebView2::remove_ScriptDialogOpening, removals,
           Guarded([this](ICoreWebView2*, ICoreWebView2ScriptDialogOpeningEventArgs* args) {
               std::u16string message = ReadRuntimeString(args, &ICoreWebView2ScriptDialogOpeningEventArgs::get_Message);
               COREWEBVIEW2_SCRIPT_DIALOG_KIND kind = COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT;
               args->get_Kind(&kind);
               RaiseNow(u"ScriptDialogOpening", [&] {
                   RaiseEvent(Id::ScriptDialogOpening, {std::u16string_view(message), static_cast<LONG>(kind)});
               });
           }));

    Listen(view, &ICoreWebView2::add_PermissionRequested, &ICoreWebView2::remove_PermissionRequested, removals,
           Guarded([this](ICoreWebView2*, ICoreWebView2PermissionRequestedEventArgs* args) {
               std::u16string uri = ReadRuntimeString(args, &ICoreWebView2PermissionRequestedEventArgs::get_Uri);
               COREWEBVIEW2_PERMISSION_KIND kind = COREWEBVIEW2_PERMISSION_KIND_UNKNOWN_PERMISSION;
               args->get_PermissionKind(&kind);
               const bool user = ReadBool(args, &ICoreWebView2PermissionRequestedEventArgs::get_IsUserInitiated);
               LONG state = 0;
               RaiseNow(u"PermissionRequested", [&] {
                   RaiseEvent(Id::PermissionRequested,
                              {std::u16string_view(uri), static_cast<LONG>(kind), user, EventArg::InOut(&state)});
               });
               if (state == COREWEBVIEW2_PERMISSION_STATE_ALLOW || state == COREWEBVIEW2_PERMISSION_STATE_DENY)
                   args->put_State(static_cast<COREWEBVIEW2_PERMISSION_STATE>(state));
           }));

    Listen(view, &ICoreWebView2::add_ProcessFailed, &ICoreWebView2::remove_ProcessFailed, removals,
           Guarded([this](ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs* args) {
               COREWEBVIEW2_PROCESS_FAILED_KIND kind = COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED;
               args->get_ProcessFailedKind(&kind);
               COREWEBVIEW2_PROCESS_FAILED_REASON reason = COREWEBVIEW2_PROCESS_FAILED_REASON_UNEXPECTED;
               int exitCode = 0;
               std::u16string description;
               std::u16string frameName;
               ComPtr<ICoreWebView2ProcessFailedEventArgs> base(args);
               if (auto second = base.TryQuery<ICoreWebView2ProcessFailedEventArgs2>()) {
                   second->get_Reason(&reason);
                   second->get_ExitCode(&exitCode);
                   description = ReadRuntimeString(second.get(), &ICoreWebView2ProcessFailedEventArgs2::get_ProcessDescription);
                   ComPtr<ICoreWebView2FrameInfoCollection> frames;
                   ComPtr<ICoreWebView2FrameInfoCollectionIterator> iterator;
                   BOOL hasCurrent = FALSE;
                   ComPtr<ICoreWebView2FrameInfo> first;
                   if (SUCCEEDED(second->get_FrameInfosForFailedProcess(frames.put())) && frames &&
                       SUCCEEDED(frames->GetIterator(iterator.put())) && iterator &&
                       SUCCEEDED(iterator->get_HasCurrent(&hasCurrent)) && hasCurrent &&
                       SUCCEEDED(iterator->GetCurrent(first.put())) && first)
                       frameName = ReadRuntimeString(first.get(), &ICoreWebView2FrameInfo::get_Name);
               }
               // Raised under the live-control lock: the host must not destroy the control here.
               LiveControls::RunIfLive(this, [&] {
                   if (closing_) return;
                   RaiseNow(u"ProcessFailed", [&] {
                       RaiseEvent(Id::ProcessFailed,
                                  {static_cast<LONG>(kind), static_cast<LONG>(reason), static_cast<LONG>(exitCode),
                                   std::u16string_view(description), std::u16string_view(frameName)});
                   });
               });
               RecoverAfterCrash(kind);
           }));

    Listen(view, &ICoreWebView2::add_ContainsFullScreenElementChanged,
           &ICoreWebView2::remove_ContainsFullScreenElementChanged, removals,
           Guarded([this](ICoreWebView2*, IUnknown*) {
               containsFullScreenElement_ = ReadBool(webView_.get(), &ICoreWebView2::get_ContainsFullScreenElement);
               const bool contains = containsFullScreenElement_;
               RaiseNow(u"ContainsFullScreenElementChanged",
                        [&] { RaiseEvent(Id::ContainsFullScreenElementChanged, {contains}); });
           }));

    Listen(view, &ICoreWebView2::add_WindowCloseRequested, &ICoreWebView2::remove_WindowCloseRequested, removals,
           Guarded([this](ICoreWebView2*, IUnknown*) {
               RaiseNow(u"WindowCloseRequested", [&] { RaiseEvent(Id::WindowCloseRequested); });
           }));

    if (auto v2 = view.TryQuery<ICoreWebView2_2>()) {
        Listen(v2, &ICoreWebView2_2::add_DOMContentLoaded, &ICoreWebView2_2::remove_DOMContentLoaded, removals,
               Guarded([this](ICoreWebView2*, ICoreWebView2DOMContentLoadedEventArgs* args) {
                   UINT64 navigationId = 0;
                   args->get_NavigationId(&navigationId);
                   std::u16string id = Decimal(navigationId);
                   RaiseLater(u"DOMContentLoaded", [this, id] {
                       RaiseEvent(Id::DOMContentLoaded, {std::u16string_view(id)});
                   });
               }));
    }

    if (auto v4 = view.TryQuery<ICoreWebView2_4>()) {
        Listen(v4, &ICoreWebView2_4::add_FrameCreated, &ICoreWebView2_4::remove_FrameCreated, removals,
               Guarded([this](ICoreWebView2*, ICoreWebView2FrameCreatedEventArgs* args) {
                   ComPtr<ICoreWebView2Frame> frame;
                   if (FAILED(args->get_Frame(frame.put())) || !frame) return;
                   ListenToFrame(frame.get());
               }));
    }

    if (auto v8 = view.TryQuery<ICoreWebView2_8>()) {
        Listen(v8, &ICoreWebView2_8::add_IsMutedChanged, &ICoreWebView2_8::remove_IsMutedChanged, removals,
               Guarded([this, v8](ICoreWebView2*, IUnknown*) {
                   const bool muted = ReadBool(v8.get(), &ICoreWebView2_8::get_IsMuted);
                   RaiseNow(u"IsMutedChanged", [&] { RaiseEvent(Id::IsMutedChanged, {muted}); });
               }));
        Listen(v8, &ICoreWebView2_8::add_IsDocumentPlayingAudioChanged,
               &ICoreWebView2_8::remove_IsDocumentPlayingAudioChanged, removals,
               Guarded([this, v8](ICoreWebView2*, IUnknown*) {
                   const bool playing = ReadBool(v8.get(), &ICoreWebView2_8::get_IsDocumentPlayingAudio);
                   RaiseNow(u"IsDocumentPlayingAudioChanged",
                            [&] { RaiseEvent(Id::IsDocumentPlayingAudioChanged, {playing}); });
               }));
    }

    if (auto v9 = view.TryQuery<ICoreWebView2_9>()) {
        Listen(v9, &ICoreWebView2_9::add_IsDefaultDownloadDialogOpenChanged,
               &ICoreWebView2_9::remove_IsDefaultDownloadDialogOpenChanged, removals,
               Guarded([this](ICoreWebView2*, IUnknown*) {
                   RaiseNow(u"IsDefaultDownloadDialogOpenChanged",
                            [&] { RaiseEvent(Id::IsDefaultDownloadDialogOpenChanged); });
               }));
    }

    if (auto v11 = view.TryQuery<ICoreWebView2_11>()) {
        Listen(v11, &ICoreWebView2_11::add_ContextMenuRequested, &ICoreWebView2_11::remove_ContextMenuRequested,
               removals, Guarded([this](ICoreWebView2*, ICoreWebView2ContextMenuRequestedEventArgs* args) {
                   // The start-up setting turns default menus off: then nothing is shown or raised.
                   ComPtr<ICoreWebView2Settings> settings;
                   BOOL menus = TRUE;
                   if (SUCCEEDED(webView_->get_Settings(settings.put())) && settings)
                       settings->get_AreDefaultContextMenusEnabled(&menus);
                   if (!menus) {
                       args->put_Handled(TRUE);
                       return;
                   }
                   ComPtr<IDispatch> menuArgs = CreateContextMenuArgs(args);
                   if (!menuArgs) return;
                   RaiseNow(u"ContextMenuRequested",
                            [&] { RaiseEvent(Id::ContextMenuRequested, {menuArgs.get()}); });
               }));
    }

    if (auto v12 = view.TryQuery<ICoreWebView2_12>()) {
        Listen(v12, &ICoreWebView2_12::add_StatusBarTextChanged, &ICoreWebView2_12::remove_StatusBarTextChanged,
               removals, Guarded([this, v12](ICoreWebView2*, IUnknown*) {
                   statusBarText_ = ReadRuntimeString(v12.get(), &ICoreWebView2_12::get_StatusBarText);
                   std::u16string text = statusBarText_;
                   RaiseNow(u"StatusBarTextChanged",
                            [&] { RaiseEvent(Id::StatusBarTextChanged, {std::u16string_view(text)}); });
               }));
    }

    if (auto v14 = view.TryQuery<ICoreWebView2_14>()) {
        Listen(v14, &ICoreWebView2_14::add_ServerCertificateErrorDetected,
               &ICoreWebView2_14::remove_ServerCertificateErrorDetected, removals,
               Guarded([this](ICoreWebView2*, ICoreWebView2ServerCertificateErrorDetectedEventArgs* args) {
                   using Args = ICoreWebView2ServerCertificateErrorDetectedEventArgs;
                   std::u16string uri = ReadRuntimeString(args, &Args::get_RequestUri);
                   COREWEBVIEW2_WEB_ERROR_STATUS status = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
                   args->get_ErrorStatus(&status);
                   std::u16string subject;
                   ComPtr<ICoreWebView2Certificate> certificate;
                   if (SUCCEEDED(args->get_ServerCertificate(certificate.put())) && certificate)
                       subject = ReadRuntimeString(certificate.get(), &ICoreWebView2Certificate::get_Subject);
                   LONG action = 0;
                   RaiseNow(u"ServerCertificateErrorDetected", [&] {
                       RaiseEvent(Id::ServerCertificateErrorDetected,
                                  {std::u16string_view(uri), static_cast<LONG>(status), std::u16string_view(subject),
                                   EventArg::InOut(&action)});
                   });
                   if (action == 1 || settings_.ignoreCertificateErrors)
                       args->put_Action(COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_ALWAYS_ALLOW);
                   else if (action == 2)
                       args->put_Action(COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_CANCEL);
                   else
                       args->put_Action(COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_DEFAULT);
               }));
    }

    if (auto v15 = view.TryQuery<ICoreWebView2_15>()) {
        Listen(v15, &ICoreWebView2_15::add_FaviconChanged, &ICoreWebView2_15::remove_FaviconChanged, removals,
               Guarded([this, v15](ICoreWebView2*, IUnknown*) {
                   std::u16string uri = ReadRuntimeString(v15.get(), &ICoreWebView2_15::get_FaviconUri);
                   RaiseNow(u"FaviconChanged", [&] { RaiseEvent(Id::FaviconChanged, {std::u16string_view(uri)}); });
               }));
    }

    if (auto v18 = view.TryQuery<ICoreWebView2_18>()) {
        Listen(v18, &ICoreWebView2_18::add_LaunchingExternalUriScheme,
               &ICoreWebView2_18::remove_LaunchingExternalUriScheme, removals,
               Guarded([this](ICoreWebView2*, ICoreWebView2LaunchingExternalUriSchemeEventArgs* args) {
                   std::u16string uri = ReadRuntimeString(args, &ICoreWebView2LaunchingExternalUriSchemeEventArgs::get_Uri);
                   VARIANT_BOOL cancel = VARIANT_FALSE;
                   RaiseNow(u"LaunchingExternalUriScheme", [&] {
                       RaiseEvent(Id::LaunchingExternalUriScheme, {std::u16string_view(uri), EventArg::InOut(&cancel)});
                   });
                   if (cancel == VARIANT_TRUE) args->put_Cancel(TRUE);
               }));
    }

    if (auto v24 = view.TryQuery<ICoreWebView2_24>()) {
        Listen(v24, &ICoreWebView2_24::add_NotificationReceived, &ICoreWebView2_24::remove_NotificationReceived,
               removals, Guarded([this](ICoreWebView2*, ICoreWebView2NotificationReceivedEventArgs* args) {
                   std::u16string body;
                   ComPtr<ICoreWebView2Notification> notification;
                   if (SUCCEEDED(args->get_Notification(notification.put())) && notification)
                       body = ReadRuntimeString(notification.get(), &ICoreWebView2Notification::get_Body);
                   RaiseNow(u"NotificationReceived",
                            [&] { RaiseEvent(Id::NotificationReceived, {std::u16string_view(body)}); });
               }));
    }

    if (auto v25 = view.TryQuery<ICoreWebView2_25>()) {
        Listen(v25, &ICoreWebView2_25::add_SaveAsUIShowing, &ICoreWebView2_25::remove_SaveAsUIShowing, removals,
               Guarded([this](ICoreWebView2*, ICoreWebView2SaveAsUIShowingEventArgs* args) {
                   VARIANT_BOOL cancel = VARIANT_FALSE;
                   RaiseNow(u"SaveAsUIShowing",
                            [&] { RaiseEvent(Id::SaveAsUIShowing, {EventArg::InOut(&cancel)}); });
                   if (cancel == VARIANT_TRUE) args->put_Cancel(TRUE);
               }));
    }

    if (auto v26 = view.TryQuery<ICoreWebView2_26>()) {
        Listen(v26, &ICoreWebView2_26::add_SaveFileSecurityCheckStarting,
               &ICoreWebView2_26::remove_SaveFileSecurityCheckStarting, removals,
               Guarded([this](ICoreWebView2*, ICoreWebView2SaveFileSecurityCheckStartingEventArgs* args) {
                   std::u16string path =
                       ReadRuntimeString(args, &ICoreWebView2SaveFileSecurityCheckStartingEventArgs::get_FilePath);
                   VARIANT_BOOL cancel = VARIANT_FALSE;
                   RaiseNow(u"SaveFileSecurityCheckStarting", [&] {
                       RaiseEvent(Id::SaveFileSecurityCheckStarting,
                                  {std::u16string_view(path), EventArg::InOut(&cancel)});
                   });
                   if (cancel == VARIANT_TRUE) args->put_CancelSave(TRUE);
               }));
    }

    if (auto v27 = view.TryQuery<ICoreWebView2_27>()) {
        Listen(v27, &ICoreWebView2_27::add_ScreenCaptureStarting, &ICoreWebView2_27::remove_ScreenCaptureStarting,
               removals, Guarded([this](ICoreWebView2*, ICoreWebView2ScreenCaptureStartingEventArgs* args) {
                   VARIANT_BOOL cancel = VARIANT_FALSE;
                   RaiseNow(u"ScreenCaptureStarting",
                            [&] { RaiseEvent(Id::ScreenCaptureStarting, {EventArg::InOut(&cancel)}); });
                   if (cancel == VARIANT_TRUE) args->put_Cancel(TRUE);
               }));
    }

    // The controller's events.
    ComPtr<ICoreWebView2Controller> controller = controller_;
    Listen(controller, &ICoreWebView2Controller::add_ZoomFactorChanged,
           &ICoreWebView2Controller::remove_ZoomFactorChanged, controllerRemovals_,
           Guarded([this](ICoreWebView2Controller*, IUnknown*) {
               double zoom = 1.0;
               if (controller_) controller_->get_ZoomFactor(&zoom);
               RaiseNow(u"ZoomFactorChanged", [&] { RaiseEvent(Id::ZoomFactorChanged, {zoom}); });
           }));
    Listen(controller, &ICoreWebView2Controller::add_MoveFocusRequested,
           &ICoreWebView2Controller::remove_MoveFocusRequested, controllerRemovals_,
           Guarded([this](ICoreWebView2Controller*, ICoreWebView2MoveFocusRequestedEventArgs* args) {
               COREWEBVIEW2_MOVE_FOCUS_REASON reason = COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC;
               args->get_Reason(&reason);
               VARIANT_BOOL handled = VARIANT_FALSE;
               RaiseNow(u"MoveFocusRequested", [&] {
                   RaiseEvent(Id::MoveFocusRequested, {static_cast<LONG>(reason), EventArg::InOut(&handled)});
               });
               if (handled == VARIANT_TRUE) args->put_Handled(TRUE);
           }));
    Listen(controller, &ICoreWebView2Controller::add_AcceleratorKeyPressed,
           &ICoreWebView2Controller::remove_AcceleratorKeyPressed, controllerRemovals_,
           Guarded([this](ICoreWebView2Controller*, ICoreWebView2AcceleratorKeyPressedEventArgs* args) {
               COREWEBVIEW2_KEY_EVENT_KIND kind = COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN;
               args->get_KeyEventKind(&kind);
               UINT key = 0;
               args->get_VirtualKey(&key);
               INT lParam = 0;
               args->get_KeyEventLParam(&lParam);
               if (key == VK_F12 && kind == COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN) {
                   // DevTools stay closed while they are disabled.
                   ComPtr<ICoreWebView2Settings> settings;
                   BOOL devTools = TRUE;
                   if (SUCCEEDED(webView_->get_Settings(settings.put())) && settings)
                       settings->get_AreDevToolsEnabled(&devTools);
                   if (!devTools) {
                       args->put_Handled(TRUE);
                       return;
                   }
               }
               VARIANT_BOOL handled = VARIANT_FALSE;
               RaiseNow(u"AcceleratorKeyPressed", [&] {
                   RaiseEvent(Id::AcceleratorKeyPressed, {static_cast<LONG>(kind), static_cast<LONG>(key),
                                                          static_cast<LONG>(lParam), EventArg::InOut(&handled)});
               });
               if (handled == VARIANT_TRUE) args->put_Handled(TRUE);
           }));

    RegisterWebEvents();

    // The environment's.
    if (auto env5 = environment_.TryQuery<ICoreWebView2Environment5>()) {
        Listen(env5, &ICoreWebView2Environment5::add_BrowserProcessExited,
               &ICoreWebView2Environment5::remove_BrowserProcessExited, environmentRemovals_,
               Guarded([this](ICoreWebView2Environment*, ICoreWebView2BrowserProcessExitedEventArgs* args) {
                   COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND kind = COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND_NORMAL;
                   args->get_BrowserProcessExitKind(&kind);
                   UINT32 pid = 0;
                   args->get_BrowserProcessId(&pid);
                   RaiseNow(u"BrowserProcessExited", [&] {
                       RaiseEvent(Id::BrowserProcessExited, {static_cast<LONG>(kind), static_cast<LONG>(pid)});
                   });
               }));
    }
}

// A new frame: announced, then followed through its own navigation events
// until it is destroyed.
void CCorvaneCtrl::ListenToFrame(ICoreWebView2Frame* rawFrame) {
    ComPtr<ICoreWebView2Frame> frame(rawFrame);
    UINT32 number = 0;
    if (auto fifth = frame.TryQuery<ICoreWebView2Frame5>()) fifth->get_FrameId(&number);
    else number = ++nextFrameNumber_;
    std::u16string id = u"frame_" + Decimal(number);
    std::u16string name = ReadRuntimeString(frame.get(), &ICoreWebView2Frame::get_Name);

    FrameEntry entry;
    entry.frame = frame;
    entry.id = id;
    if (auto second = frame.TryQuery<ICoreWebView2Frame2>()) {
        Listen(second, &ICoreWebView2Frame2::add_NavigationStarting, &ICoreWebView2Frame2::remove_NavigationStarting,
               entry.removals, Guarded([this, id](ICoreWebView2Frame*, ICoreWebView2NavigationStartingEventArgs* args) {
                   std::u16string uri = ReadRuntimeString(args, &ICoreWebView2NavigationStartingEventArgs::get_Uri);
                   const bool redirected =
                       ReadBool(args, &ICoreWebView2NavigationStartingEventArgs::get_IsRedirected);
                   VARIANT_BOOL cancel = VARIANT_FALSE;
                   RaiseNow(u"FrameNavigationStarting", [&] {
                       RaiseEvent(Id::FrameNavigationStarting, {std::u16string_view(id), std::u16string_view(uri),
                                                                redirected, EventArg::InOut(&cancel)});
                   });
                   if (cancel == VARIANT_TRUE) args->put_Cancel(TRUE);
               }));
        Listen(second, &ICoreWebView2Frame2::add_NavigationCompleted,
               &ICoreWebView2Frame2::remove_NavigationCompleted, entry.removals,
               Guarded([this, id](ICoreWebView2Frame*, ICoreWebView2NavigationCompletedEventArgs* args) {
                   const bool success = ReadBool(args, &ICoreWebView2NavigationCompletedEventArgs::get_IsSuccess);
                   COREWEBVIEW2_WEB_ERROR_STATUS status = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
                   args->get_WebErrorStatus(&status);
                   RaiseNow(u"FrameNavigationCompleted", [&] {
                       RaiseEvent(Id::FrameNavigationCompleted,
                                  {std::u16string_view(id), success, static_cast<LONG>(status)});
                   });
               }));
    }
    Listen(frame, &ICoreWebView2Frame::add_Destroyed, &ICoreWebView2Frame::remove_Destroyed, entry.removals,
           Guarded([this, id](ICoreWebView2Frame*, IUnknown*) {
               RaiseNow(u"FrameDestroyed", [&] { RaiseEvent(Id::FrameDestroyed, {std::u16string_view(id)}); });
               // The frame is gone: forget it and its handlers.
               for (auto it = frames_.begin(); it != frames_.end(); ++it) {
                   if (it->id != id) continue;
                   FrameEntry gone = std::move(*it);
                   frames_.erase(it);
                   for (auto& remove : gone.removals) remove();
                   break;
               }
           }));
    frames_.push_back(std::move(entry));
    RaiseNow(u"FrameCreated", [&] {
        RaiseEvent(Id::FrameCreated, {std::u16string_view(name), std::u16string_view(id)});
    });
}

}  // namespace Corvane
