// The control's browser: created in three asynchronous steps when the window
// is created, parked across window re-creation, recovered after a renderer
// crash, and torn down in a fixed order.
#include <shlobj.h>

#include <string>
#include <utility>

#include "bstr.h"
#include "callback.h"
#include "corvane_ctrl.h"
#include "environment_options.h"
#include "foreign_host.h"
#include "live_controls.h"
#include "runtime_loader.h"
#include "runtime_text.h"

namespace Corvane {

namespace {

constexpr std::u16string_view kRuntimeRequired = u"Microsoft Edge WebView2 Runtime is required but not installed.";
constexpr wchar_t kRuntimeRequiredTitle[] = L"Corvane - Runtime Required";
constexpr wchar_t kRuntimeDownload[] = L"https://go.microsoft.com/fwlink/p/?LinkId=2124703";
constexpr std::u16string_view kTemporaryFolderWarning = u"Warning: Using temporary folder for WebView2 data.";
constexpr std::u16string_view kDisposed = u"WebView has been disposed.";
constexpr DISPID kCreateWebViewCompleted = 0x22;
constexpr DISPID kWebViewReady = 0x30;

std::u16string WithCode(std::u16string_view text, HRESULT hr) {
    return std::u16string(text) + DecimalText(static_cast<long>(hr));
}

// A hidden 1x1 popup of the STATIC class: the first parent of a new controller
// and the parking place of a browser whose window is gone.
HWND CreateHiddenStatic() {
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
}

RECT ClientRect(HWND window) {
    RECT r{};
    if (window) GetClientRect(window, &r);
    return r;
}

}  // namespace

void CCorvaneCtrl::InitializeBrowser() {
    if (!window_) return;
    ReadAmbientUserMode();
    if (designMode_) return;
    closing_ = false;
    if (controller_ && webView_) {
        // The window was destroyed and created again while the browser was parked.
        controller_->put_ParentWindow(window_);
        controller_->put_Bounds(ClientRect(window_));
        controller_->put_IsVisible(TRUE);
        return;
    }
    if (disposed_ || initializing_) return;

    // Asked for the browser folder the environment will use, so a fixed-version
    // runtime there counts as installed.
    const std::wstring browserFolder = ToWide(settings_.browserExecutableFolder);
    std::wstring version;
    HRESULT hr = GetAvailableBrowserVersion(browserFolder.empty() ? nullptr : browserFolder.c_str(), version);
    if (FAILED(hr) || version.empty()) {
        errors_.LastErrorOnly(kRuntimeRequired, FAILED(hr) ? hr : E_FAIL, FAILED(hr) ? hr : E_FAIL);
        std::wstring text = ToWide(kRuntimeRequired);
        text += L"\n\nDownload from:\n";
        text += kRuntimeDownload;
        text += L"\n\nAfter installation, restart Excel and try again.";
        MessageBoxW(window_, text.c_str(), kRuntimeRequiredTitle, MB_OK | MB_ICONERROR);
        return;
    }

    // The user data folder: under local application data, else the temporary folder.
    wchar_t folder[MAX_PATH + 1] = {};
    HRESULT shell = SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    if (SUCCEEDED(shell) && folder[0]) {
        std::wstring path(folder);
        path += L"\\Corvane\\WebView2Data";
        CreateDirectoryW(path.c_str(), nullptr);   // an existing folder or missing parent is not an error here
        userDataFolder_ = FromWide(path.c_str());
    } else {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, temp);
        userDataFolder_ = FromWide(temp) + u"Corvane_WebView2Data";
        errors_.LastErrorOnly(kTemporaryFolderWarning, S_OK, FAILED(shell) ? shell : E_FAIL);
    }

    std::u16string arguments = settings_.additionalBrowserArguments;
    // The proxy settings reach the browser as its own switches; a quote in a
    // value would end the switch and let the rest become switches of its own.
    for (const auto& [flag, value] : {std::pair{u"--proxy-server=\"", &settings_.proxyServer},
                                      std::pair{u"--proxy-bypass-list=\"", &settings_.proxyBypassList}}) {
        if (value->empty()) continue;
        if (!arguments.empty()) arguments += u' ';
        arguments += flag;
        for (char16_t c : *value)
            if (c != u'"') arguments += c;
        arguments += u'"';
    }
    if (!settings_.enableHardwareAcceleration) {
        if (!arguments.empty()) arguments += u' ';
        arguments += u"--disable-gpu";
    }
    ComPtr<ICoreWebView2EnvironmentOptions> options = CreateEnvironmentOptions();
    auto completed = Callback<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
        [this](HRESULT result, ICoreWebView2Environment* environment) {
            return OnEnvironmentCreated(result, environment);
        });
    if (!options || !completed) {
        errors_.LastErrorOnly(WithCode(u"WebView2 environment creation failed. Error code: ", E_OUTOFMEMORY),
                              E_OUTOFMEMORY, E_OUTOFMEMORY);
        return;
    }
    if (!arguments.empty()) options->put_AdditionalBrowserArguments(ToWide(arguments).c_str());
    if (!settings_.language.empty()) options->put_Language(ToWide(settings_.language).c_str());
    if (settings_.allowSingleSignOnUsingOSPrimaryAccount) options->put_AllowSingleSignOnUsingOSPrimaryAccount(TRUE);
    environmentOptions_ = options;
    const std::wstring dataFolder = ToWide(userDataFolder_);
    BeginCreation();
    hr = CreateEnvironment(browserFolder.empty() ? nullptr : browserFolder.c_str(), dataFolder.c_str(),
                           options.get(), completed.get());
    if (FAILED(hr)) {
        // The runtime refused to start: nothing will call back.
        EndCreation(hr);
        errors_.LastErrorOnly(WithCode(u"WebView2 environment creation failed. Error code: ", hr), hr, hr);
    }
}

HRESULT CCorvaneCtrl::OnEnvironmentCreated(HRESULT hr, ICoreWebView2Environment* environment) {
    if (!LiveControls::IsLive(this) || closing_ || disposed_) return S_OK;
    if (FAILED(hr) || !environment) {
        if (SUCCEEDED(hr)) hr = E_FAIL;
        EndCreation(hr);
        errors_.LastErrorOnly(WithCode(u"WebView2 environment creation failed. Error code: ", hr), hr, hr);
        return hr;
    }
    environment_ = ComPtr<ICoreWebView2Environment>(environment);
    if (!window_) {
        EndCreation(E_FAIL);
        return E_FAIL;
    }
    HWND firstParent = CreateHiddenStatic();
    if (!firstParent) firstParent = window_;
    auto completed = Callback<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
        [this, firstParent](HRESULT result, ICoreWebView2Controller* controller) {
            return OnControllerCreated(result, controller, firstParent);
        });
    HRESULT started = completed ? environment->CreateCoreWebView2Controller(firstParent, completed.get())
                                : E_OUTOFMEMORY;
    if (FAILED(started)) {
        if (firstParent != window_) DestroyWindow(firstParent);
        EndCreation(started);
        errors_.LastErrorOnly(WithCode(u"WebView2 controller creation failed. Error code: ", started), started,
                              started);
        return started;
    }
    return S_OK;
}

HRESULT CCorvaneCtrl::OnControllerCreated(HRESULT hr, ICoreWebView2Controller* controller, HWND firstParent) {
    const bool ownParent = firstParent && firstParent != window_;
    if (!LiveControls::IsLive(this) || closing_ || disposed_) {
        if (ownParent) DestroyWindow(firstParent);
        return S_OK;
    }
    if (FAILED(hr)) {
        if (ownParent) DestroyWindow(firstParent);
        EndCreation(hr);
        errors_.LastErrorOnly(WithCode(u"WebView2 controller creation failed. Error code: ", hr), hr, hr);
        return hr;
    }
    if (!controller) {
        if (ownParent) DestroyWindow(firstParent);
        EndCreation(E_FAIL);
        errors_.LastErrorOnly(u"WebView2 controller is NULL (unexpected).", E_FAIL, E_FAIL);
        return E_FAIL;
    }
    // Events raised below may release the host's last reference.
    ComPtr<IUnknown> keepAlive(Controlling());
    controller_ = ComPtr<ICoreWebView2Controller>(controller);
    if (ownParent) {
        // The window may have gone while the controller was being made: the
        // browser then waits parked for the next one.
        if (!window_ && !parkingWindow_) parkingWindow_ = CreateHiddenStatic();
        HWND parent = window_ ? window_ : parkingWindow_;
        if (parent) controller_->put_ParentWindow(parent);
        DestroyWindow(firstParent);
    }
    hr = controller_->get_CoreWebView2(webView_.put());
    if (FAILED(hr) || !webView_) {
        if (SUCCEEDED(hr)) hr = E_NOINTERFACE;
        webView_.Reset();
        EndCreation(hr);
        errors_.LastErrorOnly(WithCode(u"Failed to get CoreWebView2 interface. Error code: ", hr), hr, hr);
        return E_FAIL;
    }
    controller_->put_IsVisible(window_ ? TRUE : FALSE);
    controller_->put_Bounds(ClientRect(window_));
    EnterReadiness(true);
    if (window_) {
        InvalidateRect(window_, nullptr, TRUE);
        UpdateWindow(window_);
    }
    return S_OK;
}

// The queued work, the event handlers, the ready events and the pending URL,
// in that order; blocking calls waiting for the creation go on afterwards.
void CCorvaneCtrl::EnterReadiness(bool fresh) {
    if (fresh) ApplyInitialSettings();
    stage_.ready = true;
    initializing_ = false;
    DrainEarlyQueues(true);
    // A browser this control had before keeps its handlers.
    if (webViewRemovals_.empty()) RegisterBrowserEvents();

    RaiseNow(u"CreateWebViewCompleted", [this] {
        RaiseEvent(kCreateWebViewCompleted, {static_cast<LONG>(S_OK), true});
    });
    RaiseNow(u"WebViewReady", [this] { RaiseEvent(kWebViewReady); });
    if (stage_.foreignWindow) OnEmbeddedReady();

    if (webView_) {
        std::vector<std::u16string> scripts;
        scripts.swap(pendingScripts_);
        int ran = 0;
        for (const std::u16string& script : scripts) {
            if (script.empty()) continue;
            webView_->ExecuteScript(ToWide(script).c_str(), nullptr);
            ++ran;
        }
        if (ran) {
            wchar_t trace[96];
            wsprintfW(trace, L"Corvane: Processed %d queued scripts from initialization\n", ran);
            OutputDebugStringW(trace);
        }
        DrainEarlyQueues(false);
        if (!pendingUrl_.empty()) {
            std::wstring url = ToWide(pendingUrl_);
            pendingUrl_.clear();
            webView_->Navigate(url.c_str());
        }
    }
    EndCreation(S_OK);
}

void CCorvaneCtrl::BeginCreation() {
    initializing_ = true;
    creationResult_ = S_OK;
    if (!creationEvent_) creationEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    else ResetEvent(creationEvent_);
}

void CCorvaneCtrl::EndCreation(HRESULT hr) {
    initializing_ = false;
    creationResult_ = hr;
    if (creationEvent_) SetEvent(creationEvent_);
}

void CCorvaneCtrl::ApplyInitialSettings() {
    ComPtr<ICoreWebView2Settings> settings;
    if (FAILED(webView_->get_Settings(settings.put())) || !settings) return;
    settings->put_IsWebMessageEnabled(TRUE);
    settings->put_AreDevToolsEnabled(FALSE);
    settings->put_AreDefaultContextMenusEnabled(FALSE);
    if (settings_.popupMode == CVN_POPUP_SAME_WINDOW) {
        settings->put_AreDefaultScriptDialogsEnabled(TRUE);
        if (auto third = settings.TryQuery<ICoreWebView2Settings3>()) third->put_AreBrowserAcceleratorKeysEnabled(FALSE);
    }
}

// Work callers queued before readiness, in arrival order. Host objects only
// on the first drain: they are never queued once the browser is ready.
void CCorvaneCtrl::DrainEarlyQueues(bool hostObjects) {
    if (!webView_) return;
    if (hostObjects) {
        std::vector<PendingHostObject> objects;
        objects.swap(pendingHostObjects_);
        int added = 0;
        for (PendingHostObject& entry : objects) {
            if (entry.name.empty() || !entry.object) continue;
            VARIANT value;
            VariantInit(&value);
            value.vt = VT_DISPATCH;
            value.pdispVal = entry.object.get();
            if (SUCCEEDED(webView_->AddHostObjectToScript(ToWide(entry.name).c_str(), &value))) ++added;
        }
        if (!objects.empty()) {
            wchar_t trace[96];
            wsprintfW(trace, L"[HostObjectQueue] Processed %d queued host objects\n", added);
            OutputDebugStringW(trace);
        }
    }
    std::vector<PendingMessage> messages;
    messages.swap(pendingMessages_);
    for (const PendingMessage& message : messages) {
        if (message.text.empty()) continue;
        const std::wstring text = ToWide(message.text);
        if (message.json) webView_->PostWebMessageAsJson(text.c_str());
        else webView_->PostWebMessageAsString(text.c_str());
    }
    std::vector<std::u16string> documentScripts;
    documentScripts.swap(pendingDocumentScripts_);
    for (const std::u16string& script : documentScripts) {
        if (script.empty()) continue;
        webView_->AddScriptToExecuteOnDocumentCreated(ToWide(script).c_str(), nullptr);
    }
    OnBridgeReady();
}

// The window is going: keep the browser alive on a hidden parking window so a
// re-created window gets the same page back.
void CCorvaneCtrl::ParkBrowser() {
    if (!controller_) {
        TeardownBrowser();
        return;
    }
    if (!parkingWindow_) parkingWindow_ = CreateHiddenStatic();
    if (!parkingWindow_) {
        TeardownBrowser();
        return;
    }
    controller_->put_IsVisible(FALSE);
    controller_->put_ParentWindow(parkingWindow_);
}

void CCorvaneCtrl::TeardownBrowser() {
    if (holdsSharedBrowser_) {
        // Other forms use the shared browser: this control only lets go of it.
        if (embedded_) LeaveEmbedding(false);
        else ReleaseBrowserReferences();
        return;
    }
    // Nothing created yet: a creation under way goes on and finds the window
    // (or its absence) when it completes.
    if (!webView_ && !controller_ && !environment_) return;
    closing_ = true;
    stage_.ready = false;
    if (initializing_) EndCreation(E_ABORT);
    for (FrameEntry& entry : frames_)
        for (auto& remove : entry.removals) remove();
    frames_.clear();
    for (auto& remove : webViewRemovals_) remove();
    webViewRemovals_.clear();
    webView_.Reset();
    wiredWebView_ = nullptr;
    for (auto& remove : controllerRemovals_) remove();
    controllerRemovals_.clear();
    if (controller_) controller_->Close();
    controller_.Reset();
    for (auto& remove : environmentRemovals_) remove();
    environmentRemovals_.clear();
    environment_.Reset();
    if (!environmentKey_.empty()) ForeignHost::ReleaseEnvironment(std::exchange(environmentKey_, std::wstring()));
    closing_ = false;
}

HRESULT CCorvaneCtrl::Dispose() {
    return ComBarrier([&] {
        if (disposed_) return S_OK;
        ReleaseHostCallbacks();
        ForgetForeignState();
        TeardownBrowser();
        disposed_ = true;
        stage_.ready = false;
        // A creation still under way is ignored when it completes; calls
        // waiting for it end now.
        if (initializing_) EndCreation(E_ABORT);
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::get_BrowserProcessId(LONG* value) {
    if (!value) return E_POINTER;
    *value = 0;
    return ComBarrier([&] {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        UINT32 pid = 0;
        HRESULT hr = webView_->get_BrowserProcessId(&pid);
        *value = static_cast<LONG>(pid);
        return hr;
    });
}

HRESULT CCorvaneCtrl::CloseBrowserProcess() {
    return ComBarrier([&] {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        UINT32 pid = 0;
        if (FAILED(webView_->get_BrowserProcessId(&pid)) || pid == 0)
            return errors_.LastErrorOnly(u"Could not get browser process ID.", E_FAIL);
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
        if (!process) return errors_.LastErrorOnly(u"Failed to open browser process for termination.", E_FAIL);
        TerminateProcess(process, 1);
        CloseHandle(process);
        TeardownBrowser();
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::TrySuspend() {
    return ComBarrier([&] {
        // Disposed first: after Dispose there is no web view either, and the
        // caller should learn why.
        if (disposed_) return errors_.LastErrorOnly(kDisposed, E_FAIL);
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        if (auto third = webView_.TryQuery<ICoreWebView2_3>()) {
            ComPtr<IUnknown> keepAlive(Controlling());
            auto completed = Callback<ICoreWebView2TrySuspendCompletedHandler>(
                [this, keepAlive](HRESULT result, BOOL suspended) {
                    if (!LiveControls::IsLive(this)) return S_OK;
                    if ((FAILED(result) || !suspended) && controller_) controller_->put_IsVisible(FALSE);
                    suspended_ = true;
                    return S_OK;
                });
            if (completed && SUCCEEDED(third->TrySuspend(completed.get()))) return S_OK;
        }
        if (controller_) controller_->put_IsVisible(FALSE);
        suspended_ = true;
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::Resume() {
    return ComBarrier([&] {
        if (disposed_) return errors_.LastErrorOnly(kDisposed, E_FAIL);
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        if (auto third = webView_.TryQuery<ICoreWebView2_3>()) third->Resume();
        if (controller_) controller_->put_IsVisible(TRUE);
        suspended_ = false;
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::get_IsSuspended(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = ToVariantBool(suspended_);
    if (webView_) {
        if (auto third = webView_.TryQuery<ICoreWebView2_3>()) {
            BOOL suspended = FALSE;
            if (SUCCEEDED(third->get_IsSuspended(&suspended))) *value = ToVariantBool(suspended != FALSE);
        }
    }
    return S_OK;
}

void CCorvaneCtrl::RecoverAfterCrash(COREWEBVIEW2_PROCESS_FAILED_KIND kind) {
    if (!settings_.autoRecoverOnCrash || kind != COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED) return;
    if (!webView_ || currentUrl_.empty()) return;
    webView_->Navigate(ToWide(currentUrl_).c_str());
}

}  // namespace Corvane
