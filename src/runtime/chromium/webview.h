// The web view: one page target of the browser, driven through its own
// flattened DevTools session. It answers ICoreWebView2 up to _21; what the
// DevTools protocol cannot do returns E_NOTIMPL from the generated defaults.
//
// Files: webview.cpp (creation, session set-up, properties, close),
// navigation.cpp (the navigation sequencer), script.cpp (scripts and web
// messages), host_objects.cpp (objects the host names for the page),
// page_events.cpp (dialogs, crashes, titles, popups, frames), virtual_host.cpp
// (host names mapped to folders), print_capture.cpp (PDF, printing, capture),
// devtools.cpp (the host's own DevTools session), find.cpp (find in page).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "browser.h"
#include "event_args.h"
#include "frame.h"
#include "literal_script.h"
#include "network.h"
#include "portable/host_object_rules.h"
#include "runtime_object.h"
#include "web_features.h"

namespace Corvane::Chromium {

class Settings;

// A folder a virtual host name is mapped to (virtual_host.cpp).
struct VirtualFolder {
    std::wstring root;        // full path, no trailing separator
    std::wstring finalRoot;   // the same with links followed, as opened handles report it
    int accessKind = 0;       // COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND
};
// A paused request to a mapped host, kept while NavigationStarting is raised.
struct VirtualRequest {
    std::u16string requestId, host, hostOrigin, path, method, range, requester;
    bool document = false;
};

class WebView final : public ComObject<WebView, WebViewDefaults, ICorvaneLiteralResultScript>, public SessionSink {
public:
    using Exposed = InterfaceList<ICoreWebView2, ICoreWebView2_2, ICoreWebView2_3, ICoreWebView2_4, ICoreWebView2_5,
                                  ICoreWebView2_6, ICoreWebView2_7, ICoreWebView2_8, ICoreWebView2_9, ICoreWebView2_10,
                                  ICoreWebView2_11, ICoreWebView2_12, ICoreWebView2_13, ICoreWebView2_14,
                                  ICoreWebView2_15, ICoreWebView2_16, ICoreWebView2_17, ICoreWebView2_18,
                                  ICoreWebView2_19, ICoreWebView2_20, ICoreWebView2_21, ICoreWebView2_22,
                                  ICoreWebView2_23, ICoreWebView2_24, ICoreWebView2_25, ICoreWebView2_26,
                                  ICoreWebView2_27, ICoreWebView2_28, ICorvaneLiteralResultScript>;

    WebView(std::shared_ptr<Browser> browser, ComPtr<ICoreWebView2Environment> environment);
    ~WebView() override;

    // Creates the page target and sets up its session; `done` runs once.
    void Start(std::function<void(HRESULT)> done);
    // The controller closed: the target goes, events stop, calls fail.
    void Close();
    bool IsClosed() const { return closed_; }
    // Controller state that maps to the page.
    void ApplyMetrics(int width, int height, double zoom);
    void ApplyVisibility(bool visible);
    bool IsVisible() const { return visible_; }
    void SettingsChanged();

    // --- ICoreWebView2
    HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) override;
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) override;
    HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override;
    HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR htmlContent) override;
    HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler* h, EventRegistrationToken* t) override { return navigationStarting_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken t) override { return navigationStarting_.Remove(t); }
    HRESULT STDMETHODCALLTYPE add_ContentLoading(ICoreWebView2ContentLoadingEventHandler* h, EventRegistrationToken* t) override { return contentLoading_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_ContentLoading(EventRegistrationToken t) override { return contentLoading_.Remove(t); }
    HRESULT STDMETHODCALLTYPE add_SourceChanged(ICoreWebView2SourceChangedEventHandler* h, EventRegistrationToken* t) override { return sourceChanged_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_SourceChanged(EventRegistrationToken t) override { return sourceChanged_.Remove(t); }
    HRESULT STDMETHODCALLTYPE add_HistoryChanged(ICoreWebView2HistoryChangedEventHandler* h, EventRegistrationToken* t) override { return historyChanged_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_HistoryChanged(EventRegistrationToken t) override { return historyChanged_.Remove(t); }
    HRESULT STDMETHODCALLTYPE add_NavigationCompleted(ICoreWebView2NavigationCompletedEventHandler* h, EventRegistrationToken* t) override { return navigationCompleted_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(EventRegistrationToken t) override { return navigationCompleted_.Remove(t); }
    HRESULT STDMETHODCALLTYPE add_ScriptDialogOpening(ICoreWebView2ScriptDialogOpeningEventHandler* h, EventRegistrationToken* t) override { return scriptDialogOpening_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_ScriptDialogOpening(EventRegistrationToken t) override { return scriptDialogOpening_.Remove(t); }
    HRESULT STDMETHODCALLTYPE add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler* h, EventRegistrationToken* t) override { return processFailed_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken t) override { return processFailed_.Remove(t); }
    HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(LPCWSTR javaScript, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) override;
    HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR javaScript, ICoreWebView2ExecuteScriptCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE ExecuteLiteralResultScript(LPCWSTR javaScript,
                                                         ICoreWebView2ExecuteScriptCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE Reload() override;
    HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR webMessageAsJson) override;
    HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR webMessageAsString) override;
    HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* h, EventRegistrationToken* t) override { return webMessageReceived_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken t) override { return webMessageReceived_.Remove(t); }
    HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethod(LPCWSTR methodName, LPCWSTR parametersAsJson, ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) override;
    HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* canGoBack) override;
    HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL* canGoForward) override;
    HRESULT STDMETHODCALLTYPE GoBack() override;
    HRESULT STDMETHODCALLTYPE GoForward() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* h, EventRegistrationToken* t) override { return newWindowRequested_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken t) override { return newWindowRequested_.Remove(t); }
    HRESULT STDMETHODCALLTYPE add_DocumentTitleChanged(ICoreWebView2DocumentTitleChangedEventHandler* h, EventRegistrationToken* t) override { return documentTitleChanged_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_DocumentTitleChanged(EventRegistrationToken t) override { return documentTitleChanged_.Remove(t); }
    HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR* title) override;
    HRESULT STDMETHODCALLTYPE AddHostObjectToScript(LPCWSTR name, VARIANT* object) override;
    HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE add_WindowCloseRequested(ICoreWebView2WindowCloseRequestedEventHandler* h, EventRegistrationToken* t) override { return windowCloseRequested_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_WindowCloseRequested(EventRegistrationToken t) override { return windowCloseRequested_.Remove(t); }
    // --- ICoreWebView2_2
    HRESULT STDMETHODCALLTYPE add_DOMContentLoaded(ICoreWebView2DOMContentLoadedEventHandler* h, EventRegistrationToken* t) override { return domContentLoaded_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_DOMContentLoaded(EventRegistrationToken t) override { return domContentLoaded_.Remove(t); }
    HRESULT STDMETHODCALLTYPE get_Environment(ICoreWebView2Environment** environment) override { return environment_.CopyTo(environment); }
    // --- ICoreWebView2_3
    HRESULT STDMETHODCALLTYPE TrySuspend(ICoreWebView2TrySuspendCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE Resume() override;
    HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL* isSuspended) override;
    HRESULT STDMETHODCALLTYPE SetVirtualHostNameToFolderMapping(LPCWSTR hostName, LPCWSTR folderPath,
                                                                COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND accessKind) override;
    HRESULT STDMETHODCALLTYPE ClearVirtualHostNameToFolderMapping(LPCWSTR hostName) override;
    // --- ICoreWebView2_4
    HRESULT STDMETHODCALLTYPE add_FrameCreated(ICoreWebView2FrameCreatedEventHandler* h, EventRegistrationToken* t) override { return frameCreated_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_FrameCreated(EventRegistrationToken t) override { return frameCreated_.Remove(t); }
    // --- ICoreWebView2_21
    HRESULT STDMETHODCALLTYPE ExecuteScriptWithResult(LPCWSTR javaScript, ICoreWebView2ExecuteScriptWithResultCompletedHandler* handler) override;
    // --- Page features: capture, PDF and printing, DevTools events, find.
    HRESULT STDMETHODCALLTYPE CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT imageFormat, IStream* imageStream,
                                             ICoreWebView2CapturePreviewCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE GetDevToolsProtocolEventReceiver(LPCWSTR eventName,
                                                               ICoreWebView2DevToolsProtocolEventReceiver** receiver) override;
    HRESULT STDMETHODCALLTYPE PrintToPdf(LPCWSTR resultFilePath, ICoreWebView2PrintSettings* printSettings,
                                         ICoreWebView2PrintToPdfCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE Print(ICoreWebView2PrintSettings* printSettings, ICoreWebView2PrintCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE ShowPrintUI(COREWEBVIEW2_PRINT_DIALOG_KIND printDialogKind) override;
    HRESULT STDMETHODCALLTYPE PrintToPdfStream(ICoreWebView2PrintSettings* printSettings,
                                               ICoreWebView2PrintToPdfStreamCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE get_Find(ICoreWebView2Find** value) override;

    // --- The network (interception.cpp, cookie_manager.cpp, download_operation.cpp)
    HRESULT STDMETHODCALLTYPE add_WebResourceRequested(ICoreWebView2WebResourceRequestedEventHandler* h, EventRegistrationToken* t) override { return webResourceRequested_.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_WebResourceRequested(EventRegistrationToken t) override { return webResourceRequested_.Remove(t); }
    HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) override;
    HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) override;
    HRESULT STDMETHODCALLTYPE add_WebResourceResponseReceived(ICoreWebView2WebResourceResponseReceivedEventHandler* h, EventRegistrationToken* t) override;
    HRESULT STDMETHODCALLTYPE remove_WebResourceResponseReceived(EventRegistrationToken t) override { return webResourceResponseReceived_.Remove(t); }
    HRESULT STDMETHODCALLTYPE NavigateWithWebResourceRequest(ICoreWebView2WebResourceRequest* request) override;
    HRESULT STDMETHODCALLTYPE get_CookieManager(ICoreWebView2CookieManager** value) override;
    HRESULT STDMETHODCALLTYPE add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler* h, EventRegistrationToken* t) override;
    HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken t) override { return downloadStarting_.Remove(t); }
    HRESULT STDMETHODCALLTYPE add_BasicAuthenticationRequested(ICoreWebView2BasicAuthenticationRequestedEventHandler* h, EventRegistrationToken* t) override;
    HRESULT STDMETHODCALLTYPE remove_BasicAuthenticationRequested(EventRegistrationToken t) override;
    HRESULT STDMETHODCALLTYPE get_Profile(ICoreWebView2Profile** value) override;
    HRESULT STDMETHODCALLTYPE add_ServerCertificateErrorDetected(ICoreWebView2ServerCertificateErrorDetectedEventHandler* h, EventRegistrationToken* t) override;
    HRESULT STDMETHODCALLTYPE remove_ServerCertificateErrorDetected(EventRegistrationToken t) override;
    // What the network's objects ask of their view.
    HRESULT UsableForNetwork() const { return Usable(); }
    void SendForNetwork(std::u16string_view method, std::u16string_view params, ReplyFn reply = nullptr) {
        Send(method, params, std::move(reply));
    }
    void CancelDownload(const std::u16string& guid);
    std::wstring UserDataFolder() const { return browser_ ? browser_->UserDataFolder() : std::wstring(); }
    // The origins of the documents the view shows now.
    std::vector<std::u16string> FrameOrigins() const;

    // --- SessionSink
    void OnSessionEvent(std::u16string_view method, const JsonNode& params) override;
    void OnTargetEvent(std::u16string_view method, const JsonNode& params) override;
    void OnBrowserGone(HRESULT reason) override;

private:
    struct Navigation {
        UINT64 id = 0;
        std::u16string url, requestId, loaderId, errorText;
        bool active = false, committed = false, errorPage = false, domFired = false;
        bool historyPending = false, domDeferred = false, completeDeferred = false;
        bool titlePending = false;    // the document's title is being read: its events wait for it
        bool stringContent = false;   // NavigateToString: the blank document's own events do not count
        bool historyRetry = false;    // the history looked unchanged at commit: ask again later
        int httpStatus = 0;
    };
    struct ScriptCall;

    HRESULT Usable() const;
    void Send(std::u16string_view method, std::u16string_view params, ReplyFn reply = nullptr);
    void SetUpSession(std::function<void(HRESULT)> done);
    std::u16string Bootstrap() const;
    void InstallBootstrap();

    // navigation.cpp
    // Starts a navigation now; its NavigationStarting is raised in turn and
    // `then` gets the host's cancel.
    UINT64 BeginNavigation(std::u16string url, bool userInitiated, bool redirected,
                           std::function<void(bool cancel, UINT64 id)> then);
    void WriteDocument(UINT64 id, std::u16string html);
    void WriteContent(UINT64 id, std::u16string html, std::vector<std::u16string> scripts = {});
    // Raises host events one at a time, in the order their causes arrived: a
    // handler that pumps messages lets DevTools messages be handled, but the
    // events they cause wait until the running handler returned.
    void Enqueue(std::function<void()> raise);
    void OnRequestPaused(const JsonNode& params);
    void OnFrameStartedNavigating(const JsonNode& params);
    void OnFrameNavigated(const JsonNode& params);
    void OnSameDocument(const JsonNode& params);
    void OnLifecycle(const JsonNode& params);
    void OnDocumentFailed(std::u16string_view requestId, std::u16string_view errorText);
    void OnNavigateReply(UINT64 startedBefore, std::u16string url, const CdpReply& reply);
    void Complete(bool success, int status);
    void CompleteIfStopped();
    void RefreshHistory(int attempt = 0);
    void ConfirmTitle();
    void BlankErrorPage();
    void FlushDeferred();

    // script.cpp
    void Evaluate(std::u16string script, std::function<void(HRESULT, const CdpReply&)> done, bool literal = false);
    void EncodeResult(const CdpReply& reply, std::function<void(HRESULT, std::u16string json)> done);
    HRESULT RunScript(LPCWSTR javaScript, ICoreWebView2ExecuteScriptCompletedHandler* handler, bool literal);
    void ReleaseResults();
    void DispatchToPage(const std::u16string& json);
    void OnBindingCalled(const JsonNode& params);
    void OnContextCreated(const JsonNode& params);
    void FlushScripts();

    // host_objects.cpp
    void OnHostCall(const JsonNode& message, int context);
    void RunHostCall(const HostCall& call, int context);
    void SettleHostCall(int context, std::int64_t callId, bool ok, const std::u16string& valueJson);
    IDispatch* FindHostObject(const HostValue& value, int context) const;
    void ReleaseHostResult(std::int64_t id, int context);
    void ReleaseHostResults(int context, bool all = false);
    void ReleaseHostObjects();

    // virtual_host.cpp
    std::u16string FetchPatterns() const;   // Fetch.enable's parameters: every pattern the view needs
    std::shared_ptr<VirtualRequest> MatchVirtualHost(const JsonNode& requestPaused) const;   // null: not mapped
    void ServeVirtualHost(const VirtualRequest& request);

    // print_capture.cpp: the PDF's bytes, or the failure with the browser's reason.
    void MakePdf(ICoreWebView2PrintSettings* settings,
                 std::function<void(HRESULT, std::vector<unsigned char>&)> done);
    friend struct FindAccess;
    friend class DevToolsChannel;
    ComPtr<Find> find_;
    std::shared_ptr<DevToolsChannel> devtools_;   // shared: a reply may come after the view went

    // page_events.cpp
    void OnDialog(const JsonNode& params);
    void AnswerDialog(bool accept, const std::u16string& text);
    void OnCrashed();
    void OnTitle(std::u16string title);
    void OnWindowOpen(const JsonNode& params);
    void OnPopupTarget(const JsonNode& targetInfo);
    void OnFrameAttached(const JsonNode& params);
    void OnFrameDetached(const JsonNode& params);

    // interception.cpp: paused requests answered by filters, custom requests,
    // virtual hosts or the network; authentication and certificate errors.
    struct PausedRequest {
        std::u16string requestId, url, method, resourceType, frameId;
        std::vector<std::pair<std::u16string, std::u16string>> headers;
        std::string body;
        bool mainDocument = false, rewritten = false;
        std::shared_ptr<VirtualRequest> mapped;
    };
    struct CustomRequest {
        std::u16string url, method, headers;
        std::string body;
    };
    std::shared_ptr<PausedRequest> Paused(const JsonNode& params) const;
    void AnswerPaused(std::shared_ptr<PausedRequest> request);
    void ContinuePaused(const PausedRequest& request);
    std::u16string FilterPatterns() const;
    void OnAuthRequired(const JsonNode& params);
    void OnCertificateError(const JsonNode& params);
    void OnNetworkEvent(std::u16string_view method, const JsonNode& params);
    void OnDownloadEvent(std::u16string_view method, const JsonNode& params);
    void FinishDownload(const ComPtr<DownloadOperation>& operation);
    struct Filter {
        std::u16string pattern;
        int context = 0;
    };
    std::vector<Filter> filters_;
    std::shared_ptr<CustomRequest> customRequest_;              // the next main document's method, body and headers
    std::map<std::u16string, std::u16string> requestMethods_;    // network request id -> method, while responses are tracked
    ComPtr<CookieManager> cookieManager_;
    ComPtr<Profile> profile_;
    std::map<std::u16string, ComPtr<DownloadOperation>> downloads_;   // by the browser's guid
    std::map<std::u16string, bool> announced_;                         // guid -> the host has answered DownloadStarting
    EventList<ICoreWebView2WebResourceRequestedEventHandler> webResourceRequested_;
    EventList<ICoreWebView2WebResourceResponseReceivedEventHandler> webResourceResponseReceived_;
    EventList<ICoreWebView2DownloadStartingEventHandler> downloadStarting_;
    EventList<ICoreWebView2BasicAuthenticationRequestedEventHandler> basicAuthenticationRequested_;
    EventList<ICoreWebView2ServerCertificateErrorDetectedEventHandler> serverCertificateErrorDetected_;

    std::shared_ptr<Browser> browser_;
    ComPtr<ICoreWebView2Environment> environment_;
    ComPtr<Settings> settings_;
    std::u16string targetId_, sessionId_, mainFrameId_;
    bool closed_ = false, dead_ = false, visible_ = true, suspended_ = false, crashed_ = false;
    // The target still holds the blank document it was created with, and
    // nothing but our set-up has run in it: a string document may be written
    // straight into it (NavigateToString).
    bool firstDocument_ = false;
    // Document scripts added while the first document was untouched: they
    // run in it, after its document.open, when a string document is written.
    std::vector<std::u16string> firstDocumentScripts_;
    // The main frame's loading as the set-up saw it (the blank page the
    // target was made with may still be loading when we attach).
    enum class BlankLoad { Unseen, Loading, Ended };
    BlankLoad blankLoad_ = BlankLoad::Unseen;
    bool settingUp_ = false;
    // What the session was last told, so that a settings change sends only
    // what differs: scripts disabled, and the user agent override (empty:
    // the browser's own).
    bool sentScriptDisabled_ = false;
    std::u16string sentUserAgent_;

    std::u16string source_ = u"about:blank", title_;
    Navigation nav_;
    UINT64 nextNavigationId_ = 1;
    UINT64 navigationsStarted_ = 0;
    int historyIndex_ = 0;
    std::vector<int> historyEntries_;
    std::u16string historyKey_;

    bool contextReady_ = true;
    int evaluating_ = 0;    // Runtime.evaluate commands without their reply yet
    int unreleased_ = 0;    // result objects the page keeps for us in our object group
    std::deque<std::function<void()>> waitingScripts_;
    std::map<int, std::u16string> contextFrames_;       // execution context -> frame id
    std::map<std::u16string, std::u16string> frameUrls_;
    std::u16string bootstrapId_;
    bool bootstrapWebMessages_ = true, bootstrapHostObjects_ = true;

    struct HostResult {
        ComPtr<IDispatch> object;
        int context = 0;   // the execution context the object was handed to
    };
    std::map<std::u16string, ComPtr<IDispatch>> hostObjects_;   // by the name pages use
    std::map<std::int64_t, HostResult> hostResults_;             // by the id pages use
    std::int64_t nextHostResult_ = 1;
    std::size_t hostCallsQueued_ = 0;

    std::deque<bool> popupDecisions_;                    // true: close the popup
    std::deque<std::u16string> unmatchedPopups_;

    std::map<std::u16string, ComPtr<Frame>> frames_;
    std::map<std::u16string, VirtualFolder> virtualHosts_;   // by lower-case host name
    std::deque<std::function<void()>> raises_;
    bool raising_ = false;

    EventList<ICoreWebView2NavigationStartingEventHandler> navigationStarting_;
    EventList<ICoreWebView2ContentLoadingEventHandler> contentLoading_;
    EventList<ICoreWebView2SourceChangedEventHandler> sourceChanged_;
    EventList<ICoreWebView2HistoryChangedEventHandler> historyChanged_;
    EventList<ICoreWebView2NavigationCompletedEventHandler> navigationCompleted_;
    EventList<ICoreWebView2ScriptDialogOpeningEventHandler> scriptDialogOpening_;
    EventList<ICoreWebView2ProcessFailedEventHandler> processFailed_;
    EventList<ICoreWebView2WebMessageReceivedEventHandler> webMessageReceived_;
    EventList<ICoreWebView2NewWindowRequestedEventHandler> newWindowRequested_;
    EventList<ICoreWebView2DocumentTitleChangedEventHandler> documentTitleChanged_;
    EventList<ICoreWebView2WindowCloseRequestedEventHandler> windowCloseRequested_;
    EventList<ICoreWebView2DOMContentLoadedEventHandler> domContentLoaded_;
    EventList<ICoreWebView2FrameCreatedEventHandler> frameCreated_;
};

}  // namespace Corvane::Chromium
