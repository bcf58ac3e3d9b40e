#include "runtime_objects.h"

#include <algorithm>
#include <cwctype>

namespace CorvaneTest::Runtime {

namespace {

const HRESULT kInvalidState = HRESULT_FROM_WIN32(ERROR_INVALID_STATE);

// Navigation steps, each run from its own posted message as a browser would.
enum NavigationStep {
    kStarting,
    kSourceChanged,
    kContentLoading,
    kHistoryChanged,
    kDomContentLoaded,
    kTitleChanged,
    kCompleted,
    kCancelled,
    kFailed,
};

}  // namespace

Bag SettingsDefaults() {
    Bag b;
    for (const wchar_t* on :
         {L"isScriptEnabled", L"isWebMessageEnabled", L"areDefaultScriptDialogsEnabled", L"isStatusBarEnabled",
          L"areDevToolsEnabled", L"areDefaultContextMenusEnabled", L"areHostObjectsAllowed", L"isZoomControlEnabled",
          L"isBuiltInErrorPageEnabled", L"areBrowserAcceleratorKeysEnabled", L"isGeneralAutofillEnabled",
          L"isPinchZoomEnabled", L"isSwipeNavigationEnabled", L"isReputationCheckingRequired"})
        b[on] = Value::Bool(true);
    b[L"isPasswordAutosaveEnabled"] = Value::Bool(false);
    b[L"isNonClientRegionSupportEnabled"] = Value::Bool(false);
    b[L"hiddenPdfToolbarItems"] = Value::Int(0);
    b[L"userAgent"] = Value::String(
        L"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0.0.0 "
        L"Safari/537.36 Edg/120.0.0.0");
    return b;
}

WebView* FindWebView(int index) {
    int i = ResolveIndex(index);
    return i < 0 ? nullptr : G().webViews[i].view;
}

int ResolveIndex(int index) {
    int count = static_cast<int>(G().webViews.size() - G().firstSlot);
    if (index == -1) index = count - 1;
    return index >= 0 && index < count ? static_cast<int>(G().firstSlot) + index : -1;
}

// --- Environment ---

Environment::Environment() : Com(L"Environment") {
    props[L"browserVersionString"] = Value::String(G().version);
    G().environments.push_back(this);
}

Environment::~Environment() {
    auto& list = G().environments;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    for (WebViewSlot& slot : G().webViews)
        if (slot.environment == this) slot.environment = nullptr;
}

HRESULT Environment::CreateCoreWebView2Controller(HWND parentWindow,
                                                  ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
    Trace(L"CreateCoreWebView2Controller", parentWindow);
    return StartController(parentWindow, handler);
}

namespace {

// How many bytes a stream holds from its start (a request body, a response content).
long long StreamBytes(IStream* stream) {
    if (!stream) return -1;
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    char buffer[4096];
    long long total = 0;
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read) total += read;
    return total;
}

}  // namespace

// A response: an argument object of its family; the log shows the content's byte count (-1 for
// none), status, phrase and headers.
HRESULT Environment::CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase, LPCWSTR headers,
                                               ICoreWebView2WebResourceResponse** response) {
    Trace(L"CreateWebResourceResponse", StreamBytes(content), statusCode, reasonPhrase, headers);
    if (!response) return E_POINTER;
    *response = nullptr;
    if (HRESULT hr = Gate(); FAILED(hr)) return hr;
    auto made = Make<EventArgs>("ICoreWebView2WebResourceResponse");
    made->props[L"statusCode"] = Value::Int(statusCode);
    made->props[L"reasonPhrase"] = Value::String(Text(reasonPhrase));
    return made->QueryInterface(__uuidof(ICoreWebView2WebResourceResponse), reinterpret_cast<void**>(response));
}

#ifdef CORVANE_TRT_HAS_ICoreWebView2Environment10
HRESULT Environment::CreatePrintSettings(ICoreWebView2PrintSettings** settings) {
    Trace(L"CreatePrintSettings");
    if (!settings) return E_POINTER;
    Bag defaults;
    defaults[L"orientation"] = Value::Int(0);
    defaults[L"scaleFactor"] = Value::Double(1.0);
    defaults[L"pageWidth"] = Value::Double(8.5);
    defaults[L"pageHeight"] = Value::Double(11.0);
    for (const wchar_t* margin : {L"marginTop", L"marginBottom", L"marginLeft", L"marginRight"})
        defaults[margin] = Value::Double(0.4);
    for (const wchar_t* flag : {L"shouldPrintBackgrounds", L"shouldPrintSelectionOnly", L"shouldPrintHeaderAndFooter"})
        defaults[flag] = Value::Bool(false);
    defaults[L"headerTitle"] = defaults[L"footerUri"] = defaults[L"pageRanges"] = Value::String(L"");
    defaults[L"copies"] = defaults[L"pagesPerSide"] = Value::Int(1);
    auto object = Make<PrintSettingsObject>(L"PrintSettings", std::move(defaults));
    return object->QueryInterface(__uuidof(ICoreWebView2PrintSettings), reinterpret_cast<void**>(settings));
}

HRESULT Environment::CreateFindOptions(ICoreWebView2FindOptions** options) {
    Trace(L"CreateFindOptions");
    if (!options) return E_POINTER;
    auto object = Make<FindOptionsObject>(L"FindOptions", Bag());
    return object->QueryInterface(__uuidof(ICoreWebView2FindOptions), reinterpret_cast<void**>(options));
}

FindObject::FindObject() : Com(L"Find") { props[L"activeMatchIndex"] = Value::Int(-1); }

HRESULT FindObject::Start(ICoreWebView2FindOptions* options, ICoreWebView2FindStartCompletedHandler* handler) {
    if (!options) return E_INVALIDARG;
    LPWSTR term = nullptr;
    BOOL cs = FALSE, word = FALSE, all = FALSE, quiet = FALSE;
    options->get_FindTerm(&term);
    options->get_IsCaseSensitive(&cs);
    options->get_ShouldMatchWord(&word);
    options->get_ShouldHighlightAllMatches(&all);
    options->get_SuppressDefaultFindDialog(&quiet);
    Trace(L"Start", static_cast<const wchar_t*>(term ? term : L""), int(cs), int(word), int(all), int(quiet));
    CoTaskMemFree(term);
    ComPtr<ICoreWebView2FindStartCompletedHandler> done(handler);
    if (done) Post([done] { done->Invoke(S_OK); });
    return Gate();
}

HRESULT WebView::get_Find(ICoreWebView2Find** value) {
    Trace(L"get_Find");
    if (!value) return E_POINTER;
    *value = nullptr;
    if (closed_) return kInvalidState;
    if (!find) find = Make<FindObject>();
    return find->QueryInterface(__uuidof(ICoreWebView2Find), reinterpret_cast<void**>(value));
}

namespace {

// The settings a print used, as one log line: "PrintSettings.Used(k=v|...)".
void LogPrintSettings(ICoreWebView2PrintSettings* settings) {
    auto* object = settings ? dynamic_cast<RuntimeObject*>(settings) : nullptr;
    if (!object) return;
    std::wstring line;
    for (const auto& [key, value] : object->props) {
        std::wstring json;
        if (value.kind == Value::Kind::Double) AppendArg(json, value.d);
        else AppendJson(json, value);
        line += (line.empty() ? L"" : L"|") + key + L"=" + json;
    }
    object->Trace(L"Used", line.c_str());
}

}  // namespace

HRESULT WebView::PrintToPdf(LPCWSTR resultFilePath, ICoreWebView2PrintSettings* printSettings,
                            ICoreWebView2PrintToPdfCompletedHandler* handler) {
    Trace(L"PrintToPdf", resultFilePath);
    if (closed_) return kInvalidState;
    if (!resultFilePath) return E_INVALIDARG;
    LogPrintSettings(printSettings);
    ComPtr<ICoreWebView2PrintToPdfCompletedHandler> done(handler);
    if (done) Post([done] { done->Invoke(S_OK, TRUE); });
    return S_OK;
}

HRESULT WebView::CallDevToolsProtocolMethod(LPCWSTR methodName, LPCWSTR parametersAsJson,
                                            ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) {
    Trace(L"CallDevToolsProtocolMethod", methodName, parametersAsJson);
    if (closed_) return kInvalidState;
    if (!methodName) return E_INVALIDARG;
    const std::wstring method = methodName;
    std::wstring json;
    HRESULT hr = S_OK;
    if (method.rfind(L"Unknown.", 0) == 0) {
        hr = E_FAIL;
        json = L"{\"code\":-32601,\"message\":";
        AppendJsonString(json, L"'" + method + L"' wasn't found");
        json += L"}";
    } else {
        json = L"{\"method\":";
        AppendJsonString(json, method);
        json += L",\"params\":" + std::wstring(parametersAsJson ? parametersAsJson : L"null") + L"}";
    }
    ComPtr<ICoreWebView2CallDevToolsProtocolMethodCompletedHandler> done(handler);
    if (done) Post([done, hr, json] { done->Invoke(hr, json.c_str()); });
    return S_OK;
}

HRESULT WebView::GetDevToolsProtocolEventReceiver(LPCWSTR eventName, ICoreWebView2DevToolsProtocolEventReceiver** receiver) {
    Trace(L"GetDevToolsProtocolEventReceiver", eventName);
    if (!receiver) return E_POINTER;
    *receiver = nullptr;
    if (closed_) return kInvalidState;
    if (!eventName) return E_INVALIDARG;
    auto& slot = receivers[eventName];
    if (!slot) slot = Make<DevToolsReceiverObject>(L"DevToolsReceiver", Bag());
    return slot->QueryInterface(__uuidof(ICoreWebView2DevToolsProtocolEventReceiver), reinterpret_cast<void**>(receiver));
}

HRESULT Environment::CreateCoreWebView2ControllerOptions(ICoreWebView2ControllerOptions** options) {
    Trace(L"CreateCoreWebView2ControllerOptions");
    if (!options) return E_POINTER;
    auto object = Make<ControllerOptionsObject>(L"ControllerOptions", Bag());
    return object->QueryInterface(__uuidof(ICoreWebView2ControllerOptions), reinterpret_cast<void**>(options));
}

HRESULT Environment::CreateCoreWebView2ControllerWithOptions(
    HWND parentWindow, ICoreWebView2ControllerOptions* options,
    ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
    std::wstring profile;
    BOOL inPrivate = FALSE;
    if (options) {
        LPWSTR name = nullptr;
        if (SUCCEEDED(options->get_ProfileName(&name)) && name) profile = name;
        CoTaskMemFree(name);
        options->get_IsInPrivateModeEnabled(&inPrivate);
    }
    Trace(L"CreateCoreWebView2ControllerWithOptions", parentWindow, profile.c_str(), inPrivate);
    return StartController(parentWindow, handler);
}

#endif

HRESULT Environment::StartController(HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
    if (!handler) return E_POINTER;
    if (!IsWindow(parentWindow)) return E_INVALIDARG;
    HRESULT call = CallFailure(CreationStep::Controller);
    if (FAILED(call)) return call;
    HRESULT hr = Failure(CreationStep::Controller);
    ComPtr<Environment> self(this);
    ComPtr<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler> done(handler);
    CompleteCreation([self, done, parentWindow, hr] {
        if (hr == S_FALSE) {
            done->Invoke(S_OK, nullptr);
        } else if (FAILED(hr)) {
            done->Invoke(hr, nullptr);
        } else {
            auto controller = Make<Controller>(self.get(), parentWindow);
            done->Invoke(S_OK, controller.get());
        }
    });
    return S_OK;
}

// --- Controller ---

Controller::Controller(Environment* environment, HWND parentWindow)
    : Com(L"Controller"), index_(static_cast<int>(G().webViews.size())) {
    props[L"isVisible"] = Value::Bool(true);
    props[L"bounds"] = Value::Bytes(RECT{0, 0, 0, 0});
    props[L"zoomFactor"] = Value::Double(1.0);
    props[L"parentWindow"] = Value::Int(reinterpret_cast<INT_PTR>(parentWindow));
    G().webViews.push_back({nullptr, this, environment, {}});
    view_ = Make<WebView>(environment, this, index_);
    G().webViews[index_].view = view_.get();
}

Controller::~Controller() {
    G().webViews[index_].controller = nullptr;
    // Letting go of the last controller reference closes the browser.
    if (!closed_) view_->MarkClosed();
    view_->ControllerGone(props);
}

HRESULT Controller::Gate() { return closed_ ? kInvalidState : S_OK; }

HRESULT Controller::get_CoreWebView2(ICoreWebView2** coreWebView2) {
    Trace(L"get_CoreWebView2");
    if (!coreWebView2) return E_POINTER;
    *coreWebView2 = nullptr;
    if (closed_) return kInvalidState;
    HRESULT hr = Failure(CreationStep::WebView);
    if (hr == S_FALSE) return S_OK;
    if (FAILED(hr)) return hr;
    return view_->QueryInterface(__uuidof(ICoreWebView2), reinterpret_cast<void**>(coreWebView2));
}

void Controller::SetZoom(double zoomFactor) {
    const Value* old = Find(L"zoomFactor");
    bool changed = !old || old->AsDouble() != zoomFactor;
    props[L"zoomFactor"] = Value::Double(zoomFactor);
    if (!changed) return;
    ComPtr<Controller> self(this);
    Post([self] {
        if (!self->closed_)
            self->RaiseHandlers(L"ZoomFactorChanged", static_cast<ICoreWebView2Controller*>(self.get()), nullptr);
    });
}

HRESULT Controller::put_ZoomFactor(double zoomFactor) {
    Trace(L"put_ZoomFactor", zoomFactor);
    if (closed_) return kInvalidState;
    if (!(zoomFactor > 0)) return E_INVALIDARG;
    SetZoom(zoomFactor);
    return S_OK;
}

HRESULT Controller::Close() {
    Trace(L"Close");
    if (closed_) return S_OK;
    closed_ = true;
    // The platform's runtime lets go of the host's handlers here, which breaks their cycles.
    DropHandlers();
    view_->MarkClosed();
    return S_OK;
}

// --- WebView ---

WebView::WebView(Environment* environment, Controller* controller, int index)
    : Com(L"WebView"), environment_(environment), controller_(controller), index_(index) {
    props[L"source"] = Value::String(L"about:blank");
    props[L"documentTitle"] = Value::String(L"about:blank");
    settings_ = Make<SettingsObject>(L"Settings", SettingsDefaults());
    profile_ = Make<ProfileObject>(L"Profile", Bag());
}

WebView::~WebView() {
    G().webViews[index_].view = nullptr;
    G().webViews[index_].finalState = StateJson(true);
}

HRESULT WebView::Gate() { return closed_ ? kInvalidState : S_OK; }

void WebView::MarkClosed() {
    if (closed_) return;
    closed_ = true;
    DropHandlers();
    for (auto& nav : inFlight_) nav->canceled = true;
    DropHeldWork();
    for (auto& f : frames) f.frame->DropHandlers();
    frames.clear();
}

void WebView::DropHeldWork() {
    held_.clear();
    auto scripts = std::move(heldScripts_);
    heldScripts_.clear();
}

HRESULT WebView::get_Settings(ICoreWebView2Settings** settings) {
    Trace(L"get_Settings");
    if (!settings) return E_POINTER;
    *settings = nullptr;
    if (closed_) return kInvalidState;
    return settings_->QueryInterface(__uuidof(ICoreWebView2Settings), reinterpret_cast<void**>(settings));
}

HRESULT WebView::get_Profile(ICoreWebView2Profile** value) {
    Trace(L"get_Profile");
    if (!value) return E_POINTER;
    *value = nullptr;
    if (closed_) return kInvalidState;
    return profile_->QueryInterface(__uuidof(ICoreWebView2Profile), reinterpret_cast<void**>(value));
}

// --- Navigation ---

void WebView::StartNavigation(const std::wstring& uri, const std::wstring& title, COREWEBVIEW2_NAVIGATION_KIND kind,
                              int historyTarget) {
    // A new navigation overtakes the ones still running (held ones wait for the test).
    for (auto& running : inFlight_) running->canceled = true;
    auto nav = std::make_shared<Navigation>();
    nav->id = ++lastNavigationId_;
    nav->uri = uri;
    nav->title = title;
    nav->kind = kind;
    nav->historyTarget = historyTarget;
    inFlight_.push_back(nav);
    PostStep(nav, kStarting);
}

void WebView::PostStep(const std::shared_ptr<Navigation>& nav, int step) {
    ComPtr<WebView> self(this);
    Post([self, nav, step] { self->Step(nav, step); });
}

void WebView::FinishNavigation(const std::shared_ptr<Navigation>& nav, bool success, LONG status) {
    nav->finished = true;
    inFlight_.erase(std::remove(inFlight_.begin(), inFlight_.end(), nav), inFlight_.end());
    Bag a;
    a[L"isSuccess"] = Value::Bool(success);
    a[L"webErrorStatus"] = Value::Int(status);
    a[L"navigationId"] = Value::Int(static_cast<long long>(nav->id));
    a[L"httpStatusCode"] = Value::Int(success ? 200 : 0);
    RaiseEvent(index_, L"NavigationCompleted", a);
}

void WebView::Step(const std::shared_ptr<Navigation>& nav, int step) {
    if (closed_ || nav->finished) return;
    if (step > kStarting && step < kCancelled && nav->canceled) step = kCancelled;
    Bag a;
    a[L"navigationId"] = Value::Int(static_cast<long long>(nav->id));
    switch (step) {
    case kStarting: {
        a[L"uri"] = Value::String(nav->uri);
        a[L"isUserInitiated"] = Value::Bool(false);
        a[L"isRedirected"] = Value::Bool(false);
        a[L"navigationKind"] = Value::Int(nav->kind);
        Raised r = RaiseEvent(index_, L"NavigationStarting", a);
        if (closed_) return;
        const Value* cancel = r.args ? r.args->Find(L"cancel") : nullptr;
        if ((cancel && cancel->AsBool()) || nav->canceled) {
            PostStep(nav, kCancelled);
        } else if (G().holdNavigations) {
            inFlight_.erase(std::remove(inFlight_.begin(), inFlight_.end(), nav), inFlight_.end());
            held_.push_back(nav);
        } else {
            PostStep(nav, kSourceChanged);
        }
        return;
    }
    case kSourceChanged:
        props[L"source"] = Value::String(nav->uri);
        RaiseEvent(index_, L"SourceChanged", {{L"isNewDocument", Value::Bool(true)}});
        break;
    case kContentLoading:
        a[L"isErrorPage"] = Value::Bool(false);
        RaiseEvent(index_, L"ContentLoading", a);
        break;
    case kHistoryChanged:
        if (nav->kind == COREWEBVIEW2_NAVIGATION_KIND_NEW_DOCUMENT) {
            history_.resize(historyIndex_ + 1);
            history_.emplace_back(nav->uri, nav->title);
            historyIndex_ = static_cast<int>(history_.size()) - 1;
        } else if (nav->kind == COREWEBVIEW2_NAVIGATION_KIND_BACK_OR_FORWARD &&
                   nav->historyTarget < static_cast<int>(history_.size())) {
            historyIndex_ = nav->historyTarget;
        }
        RaiseEvent(index_, L"HistoryChanged", {});
        break;
    case kDomContentLoaded:
        RaiseEvent(index_, L"DOMContentLoaded", a);
        break;
    case kTitleChanged:
        props[L"documentTitle"] = Value::String(nav->title);
        RaiseEvent(index_, L"DocumentTitleChanged", {});
        break;
    case kCompleted:
        FinishNavigation(nav, true, COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN);
        return;
    case kCancelled:
        FinishNavigation(nav, false, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED);
        return;
    case kFailed:
        FinishNavigation(nav, false, nav->failStatus);
        return;
    }
    if (!closed_) PostStep(nav, step + 1);
}

HRESULT WebView::CompleteHeldNavigation(bool success, LONG webErrorStatus) {
    if (held_.empty()) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    auto nav = held_.front();
    held_.pop_front();
    inFlight_.push_back(nav);
    nav->failStatus = webErrorStatus;
    PostStep(nav, success ? kSourceChanged : kFailed);
    return S_OK;
}

HRESULT WebView::Navigate(LPCWSTR uri) {
    Trace(L"Navigate", uri);
    if (closed_) return kInvalidState;
    if (!uri || !std::wcschr(uri, L':')) return E_INVALIDARG;
    StartNavigation(uri, uri, COREWEBVIEW2_NAVIGATION_KIND_NEW_DOCUMENT, -1);
    return S_OK;
}

HRESULT WebView::NavigateToString(LPCWSTR htmlContent) {
    Trace(L"NavigateToString", htmlContent);
    if (closed_) return kInvalidState;
    if (!htmlContent) return E_INVALIDARG;
    StartNavigation(L"about:blank", L"about:blank", COREWEBVIEW2_NAVIGATION_KIND_NEW_DOCUMENT, -1);
    return S_OK;
}

HRESULT WebView::GoBack() {
    Trace(L"GoBack");
    if (closed_) return kInvalidState;
    if (historyIndex_ > 0) {
        const auto& entry = history_[historyIndex_ - 1];
        StartNavigation(entry.first, entry.second, COREWEBVIEW2_NAVIGATION_KIND_BACK_OR_FORWARD, historyIndex_ - 1);
    }
    return S_OK;
}

HRESULT WebView::Reload() {
    Trace(L"Reload");
    if (closed_) return kInvalidState;
    StartNavigation(Find(L"source")->s, Find(L"documentTitle")->s, COREWEBVIEW2_NAVIGATION_KIND_RELOAD, -1);
    return S_OK;
}

HRESULT WebView::Stop() {
    Trace(L"Stop");
    if (closed_) return kInvalidState;
    for (auto& running : inFlight_) running->canceled = true;
    while (!held_.empty()) {
        auto nav = held_.front();
        held_.pop_front();
        inFlight_.push_back(nav);
        PostStep(nav, kCancelled);
    }
    return S_OK;
}

HRESULT WebView::get_CanGoBack(BOOL* canGoBack) {
    Trace(L"get_CanGoBack");
    if (!canGoBack) return E_POINTER;
    *canGoBack = historyIndex_ > 0;
    return Gate();
}

HRESULT WebView::get_CanGoForward(BOOL* canGoForward) {
    Trace(L"get_CanGoForward");
    if (!canGoForward) return E_POINTER;
    *canGoForward = historyIndex_ + 1 < static_cast<int>(history_.size());
    return Gate();
}

// --- Scripts and messages ---

HRESULT WebView::ExecuteScript(LPCWSTR javaScript, ICoreWebView2ExecuteScriptCompletedHandler* handler) {
    Trace(L"ExecuteScript", javaScript);
    if (closed_) return kInvalidState;
    if (!javaScript) return E_INVALIDARG;
    HRESULT hr = S_OK;
    BSTR result = nullptr;
    ScriptAnswer when = ScriptAnswer::Later;
    if (G().script)
        when = G().script(G().scriptContext, index_ - static_cast<int>(G().firstSlot), javaScript, &hr, &result);
    std::wstring json = result ? std::wstring(result, SysStringLen(result)) : std::wstring(L"null");
    SysFreeString(result);
    ComPtr<ICoreWebView2ExecuteScriptCompletedHandler> done(handler);
    if (!done) return S_OK;
    switch (when) {
    case ScriptAnswer::Later:
        Post([done, hr, json] { done->Invoke(hr, json.c_str()); });
        break;
    case ScriptAnswer::Never:
        heldScripts_.push_back({done});
        break;
    }
    return S_OK;
}

HRESULT WebView::AddScriptToExecuteOnDocumentCreated(
    LPCWSTR javaScript, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) {
    Trace(L"AddScriptToExecuteOnDocumentCreated", javaScript);
    if (closed_) return kInvalidState;
    if (!javaScript) return E_INVALIDARG;
    std::wstring id = L"script" + std::to_wstring(nextDocumentScript_++);
    ComPtr<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler> done(handler);
    if (done) Post([done, id] { done->Invoke(S_OK, id.c_str()); });
    return S_OK;
}

HRESULT WebView::PostWebMessageAsJson(LPCWSTR webMessageAsJson) {
    Trace(L"PostWebMessageAsJson", webMessageAsJson);
    if (closed_) return kInvalidState;
    if (!webMessageAsJson) return E_INVALIDARG;
    return S_OK;
}

HRESULT WebView::PostWebMessageAsString(LPCWSTR webMessageAsString) {
    Trace(L"PostWebMessageAsString", webMessageAsString);
    if (closed_) return kInvalidState;
    if (!webMessageAsString) return E_INVALIDARG;
    return S_OK;
}

HRESULT WebView::get_BrowserProcessId(UINT32* value) {
    Trace(L"get_BrowserProcessId");
    if (!value) return E_POINTER;
    *value = G().browserProcessId;
    return Gate();
}

HRESULT WebView::TrySuspend(ICoreWebView2TrySuspendCompletedHandler* handler) {
    Trace(L"TrySuspend");
    if (closed_) return kInvalidState;
    ComPtr<WebView> self(this);
    ComPtr<ICoreWebView2TrySuspendCompletedHandler> done(handler);
    Post([self, done] {
        self->props[L"isSuspended"] = Value::Bool(true);
        if (done) done->Invoke(S_OK, TRUE);
    });
    return S_OK;
}

HRESULT WebView::Resume() {
    Trace(L"Resume");
    if (closed_) return kInvalidState;
    props[L"isSuspended"] = Value::Bool(false);
    return S_OK;
}

// --- Frame ---

Frame::Frame(const std::wstring& name, UINT32 id) : Com(L"Frame") {
    props[L"name"] = Value::String(name);
    props[L"frameId"] = Value::Int(id);
}

// Request filters are logged; no request is served.
HRESULT WebView::AddWebResourceRequestedFilter(LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
    Trace(L"AddWebResourceRequestedFilter", uri, context);
    return FAILED(Gate()) ? Gate() : (uri && *uri ? S_OK : E_INVALIDARG);
}

std::wstring WebView::StateJson(bool released) {
    std::wstring o = released ? L"{\"released\":true" : L"{";
    const Bag& controllerProps = controller_ ? controller_->props : controllerProps_;
    auto key = [&](const wchar_t* k) {
        if (o.size() > 1) o += L',';
        AppendJsonString(o, k);
        o += L':';
    };
    auto prop = [&](const wchar_t* k, const Bag& from, const wchar_t* name, const Value& fallback) {
        key(k);
        auto it = from.find(name);
        AppendJson(o, it != from.end() ? it->second : fallback);
    };
    auto flag = [&](const wchar_t* k, bool b) { key(k); o += b ? L"true" : L"false"; };
    prop(L"source", props, L"source", Value::String(L""));
    prop(L"parentWindow", controllerProps, L"parentWindow", Value::Int(0));
    prop(L"visible", controllerProps, L"isVisible", Value::Bool(false));
    prop(L"bounds", controllerProps, L"bounds", Value::Bytes(RECT{0, 0, 0, 0}));
    prop(L"suspended", props, L"isSuspended", Value::Bool(false));
    flag(L"closed", closed_);
    key(L"settings");
    o += L'{';
    bool first = true;
    for (const auto& [name, v] : settings_->props) {
        if (!first) o += L',';
        first = false;
        // Named as the SDK names the setting: IsScriptEnabled.
        AppendJsonString(o, std::wstring(1, std::towupper(name[0])) + name.substr(1));
        o += L':';
        AppendJson(o, v);
    }
    o += L'}';
    key(L"handlers");
    auto counts = HandlerCounts();
    if (controller_)
        for (const auto& [name, n] : controller_->HandlerCounts()) counts[name] += n;
    o += L'{';
    first = true;
    for (const auto& [name, n] : counts) {
        if (!first) o += L',';
        first = false;
        AppendJsonString(o, name);
        o += L':' + std::to_wstring(n);
    }
    o += L'}';
    key(L"frames");
    o += L'[';
    for (size_t i = 0; i < frames.size(); ++i) {
        o += (i ? L",{\"frameId\":" : L"{\"frameId\":") + std::to_wstring(frames[i].id) + L",\"name\":";
        const Value* name = frames[i].frame->Find(L"name");
        AppendJsonString(o, name ? name->s : std::wstring());
        o += L'}';
    }
    o += L']';
    return o + L"}";
}

}  // namespace CorvaneTest::Runtime
