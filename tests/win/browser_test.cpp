// The control's browser under Wine's ATL container, with the scriptable test
// runtime standing in for the browser: creation and its failures, readiness,
// parking, recovery, event routing with the host's answers, and the blocking
// calls with their guard. What the real browser shows on demand is proven in
// chromium_test; here are the branches only the stand-in can produce.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser_host.h"
#include "webview2.h"

using namespace CorvaneTest;

namespace {

constexpr HRESULT kReentrant = static_cast<HRESULT>(0x80040203);
constexpr HRESULT kTimeout = HRESULT_FROM_WIN32(ERROR_TIMEOUT);

// A getter's value; string getters as text.
template <class T, class Getter>
T Get(ICorvaneCtrl* ctrl, Getter get) {
    T value{};
    (ctrl->*get)(&value);
    return value;
}
template <class Getter>
std::wstring Text(ICorvaneCtrl* ctrl, Getter get) {
    return TakeBstr(Get<BSTR>(ctrl, get));
}
VARIANT_BOOL IsReady(ICorvaneCtrl* ctrl) { return Get<VARIANT_BOOL>(ctrl, &ICorvaneCtrl::IsReady); }
std::wstring LastError(ICorvaneCtrl* ctrl) { return Text(ctrl, &ICorvaneCtrl::get_LastError); }
LONG LastErrorCode(ICorvaneCtrl* ctrl) { return Get<LONG>(ctrl, &ICorvaneCtrl::get_LastErrorCode); }

std::wstring Log() { return TakeBstr(Runtime().CallLog()); }
std::wstring State() { return TakeBstr(Runtime().State(-1)); }
std::wstring Raise(const wchar_t* event, const wchar_t* args = L"{}") {
    return TakeBstr(Runtime().Raise(-1, event, args));
}
std::wstring ParentIs(HWND window) {
    return L"\"parentWindow\":" + std::to_wstring(reinterpret_cast<LONG_PTR>(window));
}
void ExpectHas(const std::wstring& text, std::initializer_list<std::wstring> parts) {
    for (const std::wstring& part : parts) EXPECT_TRUE(Has(text, part)) << part << L" in " << text;
}

int Occurrences(const std::wstring& text, const std::wstring& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

// Navigates through the runtime's whole healthy sequence and waits for the deferred end.
bool Loaded(HostedControl& control, const wchar_t* url) {
    const int before = control.sink.Count(Ev::NavigationCompleted);
    return control.ctrl->Navigate(Bs(url)) == S_OK &&
           PumpUntil([&] { return control.sink.Count(Ev::NavigationCompleted) > before; });
}

// A property's value as "<vartype>:<text>", so a test states type and value at once.
std::wstring Read(IDispatch* object, const wchar_t* name) {
    VARIANT v;
    VariantInit(&v);
    HRESULT hr = CallByName(object, name, {}, &v);
    if (FAILED(hr)) return L"error:" + std::to_wstring(hr);
    std::wstring text = std::to_wstring(v.vt) + L":";
    VARIANT s;
    VariantInit(&s);
    if (SUCCEEDED(VariantChangeType(&s, &v, VARIANT_ALPHABOOL, VT_BSTR))) text += TakeBstr(s.bstrVal);
    VariantClear(&v);
    return text;
}

class Browser : public ::testing::Test {
protected:
    void SetUp() override {
        Runtime().Reset();
        host = std::make_unique<HostedControl>();
        ASSERT_TRUE(host->ctrl);
        ctrl = host->ctrl;
    }
    void TearDown() override { host.reset(); }

    void Ready() {
        ASSERT_TRUE(host->Attach());
        ASSERT_TRUE(host->WaitReady());
    }
    void Load(const wchar_t* url) { ASSERT_TRUE(Loaded(*host, url)); }
    // Answers the in-out argument `fromLast` of event `id` with `value` from now on.
    void AnswerBoolOf(DISPID id, VARIANT_BOOL value, UINT fromLast = 0) {
        host->sink.onEvent = [=](DISPID seen, DISPPARAMS* params) {
            if (seen == id) AnswerBool(params, fromLast, value);
        };
    }

    std::unique_ptr<HostedControl> host;
    ICorvaneCtrl* ctrl = nullptr;
};

// ---- Creation and readiness ----

TEST_F(Browser, BecomesReadyWithTheTwoEventsAndTheStartUpSettings) {
    ASSERT_TRUE(host->Attach());
    EXPECT_EQ(IsReady(ctrl), VARIANT_FALSE);   // creation is asynchronous: nothing is ready inside the activation
    ASSERT_TRUE(host->WaitReady());
    ASSERT_GE(host->sink.events.size(), 2u);
    EXPECT_EQ(host->sink.events[0].Text(), L"0x22(0,true)");
    EXPECT_EQ(host->sink.events[1].Text(), L"0x30()");
    EXPECT_EQ(IsReady(ctrl), VARIANT_TRUE);
    ExpectHas(State(), {ParentIs(host->Window()), L"\"visible\":true", L"\"AreDevToolsEnabled\":false",
                        L"\"AreDefaultContextMenusEnabled\":false", L"\"AreBrowserAcceleratorKeysEnabled\":false",
                        L"\"IsWebMessageEnabled\":true"});

    const std::wstring dataFolder = Text(ctrl, &ICorvaneCtrl::get_UserDataFolder);
    EXPECT_TRUE(Has(dataFolder, L"\\Corvane\\WebView2Data")) << dataFolder;
    EXPECT_TRUE(Has(Log(), L"Loader.CreateCoreWebView2EnvironmentWithOptions(|" + dataFolder + L"||)")) << Log();
    EXPECT_EQ(GetFileAttributesW(dataFolder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Text(ctrl, &ICorvaneCtrl::get_BrowserVersionString), L"120.0.2210.91");
}

TEST_F(Browser, BrowserArgumentsFollowTheHardwareAccelerationSetting) {
    struct Case { const wchar_t* arguments; bool acceleration; const wchar_t* expected; } cases[] = {
        {L"", false, L"|--disable-gpu|"},
        {L"--lang=de --mute-audio", false, L"|--lang=de --mute-audio --disable-gpu|"},
        {L"--mute-audio", true, L"|--mute-audio|"},
    };
    for (const Case& c : cases) {
        HostedControl control;
        Runtime().ClearCallLog();
        ASSERT_EQ(control.ctrl->put_AdditionalBrowserArguments(Bs(c.arguments)), S_OK);
        ASSERT_EQ(control.ctrl->put_EnableHardwareAcceleration(c.acceleration ? VARIANT_TRUE : VARIANT_FALSE), S_OK);
        control.ctrl->put_Language(Bs(L"de-DE"));
        ASSERT_TRUE(control.Attach());
        ASSERT_TRUE(control.WaitReady());
        EXPECT_TRUE(Has(Log(), std::wstring(c.expected) + L"de-DE)")) << c.arguments << L" " << Log();
    }
}

TEST_F(Browser, CreationFailuresLeaveTheReasonAndRaiseNothing) {
    struct Case { CreationStep step; HRESULT hr; const wchar_t* text; HRESULT code; } cases[] = {
        {CreationStep::Environment, E_ACCESSDENIED, L"WebView2 environment creation failed. Error code: -2147024891",
         E_ACCESSDENIED},
        {CreationStep::Controller, E_ABORT, L"WebView2 controller creation failed. Error code: -2147467260", E_ABORT},
        {CreationStep::Controller, S_FALSE, L"WebView2 controller is NULL (unexpected).", E_FAIL},
        {CreationStep::WebView, E_NOINTERFACE, L"Failed to get CoreWebView2 interface. Error code: -2147467262",
         E_NOINTERFACE},
    };
    for (const Case& c : cases) {
        Runtime().Reset();
        Runtime().FailStep(c.step, c.hr);
        HostedControl control;
        ASSERT_TRUE(control.Attach());
        ASSERT_TRUE(PumpUntil([&] { return LastErrorCode(control.ctrl) != 0; })) << c.text;
        PumpFor(50);
        EXPECT_EQ(LastError(control.ctrl), c.text);
        EXPECT_EQ(LastErrorCode(control.ctrl), c.code);
        EXPECT_TRUE(control.sink.events.empty()) << c.text;
        EXPECT_EQ(IsReady(control.ctrl), VARIANT_FALSE);
    }
}

// The dialog is found and closed by a timer running inside its own modal loop.
std::wstring g_dialogText;
void CALLBACK CloseRuntimeDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowW(L"#32770", L"Corvane - Runtime Required");
    if (!dialog) return;
    EnumChildWindows(dialog, [](HWND child, LPARAM) -> BOOL {
        wchar_t text[1024] = {};
        GetWindowTextW(child, text, 1024);
        if (wcsstr(text, L"Download from:")) g_dialogText = text;
        return TRUE;
    }, 0);
    KillTimer(nullptr, timer);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(Browser, MissingRuntimeShowsTheMessageBoxAndRecordsTheReason) {
    Runtime().SetVersion(L"");
    g_dialogText.clear();
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseRuntimeDialog);
    ASSERT_TRUE(host->Attach());   // returns once the dialog was closed
    KillTimer(nullptr, timer);
    ExpectHas(g_dialogText, {L"Microsoft Edge WebView2 Runtime is required but not installed.\n\nDownload from:\n",
                             L"\n\nAfter installation, restart Excel and try again."});
    EXPECT_EQ(LastError(ctrl), L"Microsoft Edge WebView2 Runtime is required but not installed.");
    EXPECT_EQ(LastErrorCode(ctrl), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(Has(Log(), L"CreateCoreWebView2EnvironmentWithOptions"));
    EXPECT_EQ(Text(ctrl, &ICorvaneCtrl::get_BrowserVersionString), L"not installed");
}

TEST_F(Browser, PendingUrlIsNavigatedOnceAfterReadiness) {
    EXPECT_EQ(ctrl->Navigate(Bs(L"https://first.test/")), S_OK);    // before the browser: kept as the pending URL
    EXPECT_EQ(ctrl->Navigate(Bs(L"https://second.test/")), S_OK);   // replaces it
    Ready();
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(Ev::NavigationCompleted) == 1; }));
    const std::vector<std::wstring> seen = host->sink.Texts();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[1], L"0x30()");
    EXPECT_EQ(seen[2], L"0x1(https://second.test/,&false)");
    EXPECT_EQ(Occurrences(Log(), L"WebView.Navigate("), 1) << Log();
    EXPECT_FALSE(Has(Log(), L"first.test"));
    EXPECT_EQ(Text(ctrl, &ICorvaneCtrl::get_url), L"https://second.test/");
}

TEST_F(Browser, QueuedWorkIsHandedOverInOrderOnceReady) {
    ASSERT_TRUE(host->Attach());
    EXPECT_EQ(ctrl->PostWebMessageAsJson(Bs(L"{\"a\":1}")), S_OK);
    EXPECT_EQ(ctrl->PostWebMessageAsString(Bs(L"hello")), S_OK);
    EXPECT_EQ(ctrl->ExecuteScriptAsync(Bs(L"window.x = 1")), S_OK);
    ASSERT_TRUE(host->WaitReady());
    const std::wstring log = Log();
    std::size_t at = 0;
    for (const wchar_t* call : {L"WebView.PostWebMessageAsJson({\"a\":1})", L"WebView.PostWebMessageAsString(hello)",
                                L"WebView.ExecuteScript(window.x = 1)"}) {
        at = log.find(call, at);
        ASSERT_NE(at, std::wstring::npos) << call << L" in this order: " << log;
    }

    // Without a browser and without one being made, nothing is queued.
    HostedControl idle;
    EXPECT_EQ(idle.ctrl->ExecuteScriptAsync(Bs(L"1")), E_FAIL);
    EXPECT_EQ(idle.ctrl->PostWebMessageAsString(Bs(L"1")), E_FAIL);
}

// ---- Parking, teardown and recovery ----

TEST_F(Browser, RecreatedWindowGetsTheParkedBrowserBack) {
    Ready();
    Load(L"https://kept.test/");
    const HWND first = host->Window();
    ASSERT_TRUE(host->RecreateWindow());
    ASSERT_NE(first, host->Window());
    PumpFor(50);
    EXPECT_EQ(host->sink.Count(Ev::WebViewReady), 1);
    EXPECT_EQ(host->sink.Count(Ev::CreateWebViewCompleted), 1);
    EXPECT_EQ(Runtime().WebViewCount(), 1);
    ExpectHas(State(), {ParentIs(host->Window()), L"\"visible\":true", L"\"source\":\"https://kept.test/\""});
    EXPECT_EQ(IsReady(ctrl), VARIANT_TRUE);
}

TEST_F(Browser, DisposeTearsDownOnceAndLaterCallsKnowIt) {
    Ready();
    const int registrations = Occurrences(Log(), L".add_");
    Runtime().ClearCallLog();
    EXPECT_EQ(ctrl->Dispose(), S_OK);
    EXPECT_EQ(ctrl->Dispose(), S_OK);
    EXPECT_EQ(Occurrences(Log(), L".remove_"), registrations) << "every registration is removed: " << Log();
    EXPECT_EQ(Occurrences(Log(), L"Controller.Close()"), 1) << Log();
    ExpectHas(State(), {L"\"closed\":true", L"\"handlers\":{}"});
    EXPECT_EQ(IsReady(ctrl), VARIANT_FALSE);
    EXPECT_EQ(ctrl->TrySuspend(), E_FAIL);
    EXPECT_EQ(LastError(ctrl), L"WebView has been disposed.");
    EXPECT_EQ(ctrl->Resume(), E_FAIL);
    LONG pid = 1;
    EXPECT_EQ(ctrl->get_BrowserProcessId(&pid), E_FAIL);
    EXPECT_EQ(LastError(ctrl), L"WebView not initialized.");
}

TEST_F(Browser, SuspendResumeAndCloseBrowserProcessGoThroughTheRuntime) {
    Ready();
    EXPECT_EQ(ctrl->TrySuspend(), S_OK);
    ASSERT_TRUE(PumpUntil([] { return Has(State(), L"\"suspended\":true"); }));
    EXPECT_EQ(Get<VARIANT_BOOL>(ctrl, &ICorvaneCtrl::get_IsSuspended), VARIANT_TRUE);
    EXPECT_EQ(ctrl->Resume(), S_OK);
    EXPECT_EQ(Get<VARIANT_BOOL>(ctrl, &ICorvaneCtrl::get_IsSuspended), VARIANT_FALSE);

    // An old runtime: the controller is hidden and the control remembers.
    Runtime().RefuseRevision(__uuidof(ICoreWebView2_3));
    EXPECT_EQ(ctrl->TrySuspend(), S_OK);
    EXPECT_EQ(Get<VARIANT_BOOL>(ctrl, &ICorvaneCtrl::get_IsSuspended), VARIANT_TRUE);
    EXPECT_TRUE(Has(State(), L"\"visible\":false"));

    // Closing the browser process: what stopped it, or the process ended.
    Runtime().SetBrowserProcessId(0);
    EXPECT_EQ(ctrl->CloseBrowserProcess(), E_FAIL);
    EXPECT_EQ(LastError(ctrl), L"Could not get browser process ID.");
    Runtime().SetBrowserProcessId(0x7FFFFFF0);
    EXPECT_EQ(ctrl->CloseBrowserProcess(), E_FAIL);
    EXPECT_EQ(LastError(ctrl), L"Failed to open browser process for termination.");
    EXPECT_EQ(Get<LONG>(ctrl, &ICorvaneCtrl::get_BrowserProcessId), 0x7FFFFFF0);

    // A real process to end: a suspended child of this test.
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    wchar_t command[] = L"cmd.exe /c exit 0";
    ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr,
                               nullptr, &si, &pi));
    Runtime().SetBrowserProcessId(pi.dwProcessId);
    EXPECT_EQ(ctrl->CloseBrowserProcess(), S_OK);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 5000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 1u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(Has(State(), L"\"closed\":true"));
}

// The real browser's renderer crash is proven in chromium_test; only here can
// a browser process failure (kind 0) be raised on demand.
TEST_F(Browser, RendererCrashIsRecoveredOnlyWhenAskedAndOnlyForTheRenderer) {
    struct Case {
        bool autoRecover;
        int kind;
        bool navigates;
    } cases[] = {{true, 1, true}, {false, 1, false}, {true, 0, false}};
    for (const Case& c : cases) {
        Runtime().Reset();
        HostedControl control;
        ASSERT_TRUE(control.Attach());
        ASSERT_TRUE(control.WaitReady());
        ASSERT_TRUE(Loaded(control, L"https://crash.test/"));
        control.ctrl->put_AutoRecoverOnCrash(c.autoRecover ? VARIANT_TRUE : VARIANT_FALSE);
        Runtime().ClearCallLog();
        Raise(L"ProcessFailed", (L"{\"processFailedKind\":" + std::to_wstring(c.kind) +
                                 L",\"reason\":2,\"exitCode\":-3,\"processDescription\":\"renderer\","
                                 L"\"frameNames\":[\"main\",\"ad\"]}").c_str());
        ASSERT_EQ(control.sink.Count(Ev::ProcessFailed), 1);
        EXPECT_EQ(control.sink.events.back().Text(), L"0x11(" + std::to_wstring(c.kind) + L",2,-3,renderer,main)");
        EXPECT_EQ(Has(Log(), L"WebView.Navigate(https://crash.test/)"), c.navigates) << c.autoRecover << c.kind;
    }
}

// ---- Event routing ----

TEST_F(Browser, OnlyExactlyTrueCancelsANavigation) {
    Ready();
    using Answer = std::pair<VARIANT_BOOL, bool>;   // what the host sets, whether it cancels
    for (auto [answer, cancels] : {Answer{1, false}, Answer{VARIANT_FALSE, false}, Answer{VARIANT_TRUE, true}}) {
        AnswerBoolOf(Ev::NavigationStarting, answer);
        const std::wstring raised = Raise(L"NavigationStarting", L"{\"uri\":\"https://c.test/\"}");
        EXPECT_EQ(Has(raised, L"\"cancel\":true"), cancels) << answer << L" " << raised;
    }
}

TEST_F(Browser, NavigationEventsAreDeferredAndKeepTheCaches) {
    Ready();
    Load(L"https://one.test/");   // the events' order is proven on the real browser
    EXPECT_EQ(host->sink.Count(Ev::DocumentTitleChanged), 1);
    EXPECT_EQ(host->sink.events.back().Text(), L"0x2(https://one.test/,true)");
    // Same-window popups (the default): every loaded page gets the override.
    EXPECT_TRUE(Has(Log(), L"WebView.ExecuteScript((function(){window.open=function(u)")) << Log();

    // The deferred event arrives after the runtime's callback has returned.
    const int before = host->sink.Count(Ev::NavigationCompleted);
    Raise(L"NavigationCompleted", L"{\"isSuccess\":false,\"navigationId\":9}");
    EXPECT_EQ(host->sink.Count(Ev::NavigationCompleted), before);
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(Ev::NavigationCompleted) == before + 1; }));
    EXPECT_EQ(host->sink.events.back().Text(), L"0x2(https://one.test/,false)");

    Load(L"https://two.test/");
    EXPECT_EQ(Get<VARIANT_BOOL>(ctrl, &ICorvaneCtrl::get_CanGoBack), VARIANT_TRUE);
    EXPECT_EQ(Text(ctrl, &ICorvaneCtrl::get_DocumentTitle), L"https://two.test/");
    EXPECT_EQ(ctrl->GoBack(), S_OK);
    ASSERT_TRUE(PumpUntil([] { return Has(State(), L"\"source\":\"https://one.test/\""); }));
}

// Every other routed event (web messages and script dialogs are proven on the
// real browser): what the host receives, and for the ones with an in-out
// argument, that exactly TRUE reaches the browser.
TEST_F(Browser, EachBrowserEventReachesTheHostWithItsArguments) {
    Ready();
    struct Case {
        const wchar_t* event;
        const wchar_t* args;
        const wchar_t* seen;       // the host event as raised (in-out arguments before the answer)
        const wchar_t* answerKey;  // set to TRUE by the host; null: no in-out argument
    } cases[] = {
        {L"ZoomFactorChanged", L"{\"zoomFactor\":1.5}", L"0x1a(1.5)", nullptr},
        {L"MoveFocusRequested", L"{\"reason\":2}", L"0x25c(2,&false)", L"\"handled\":true"},
        {L"ContainsFullScreenElementChanged", L"{\"containsFullScreenElement\":true}", L"0x1c(true)", nullptr},
        {L"StatusBarTextChanged", L"{\"statusBarText\":\"Loading\"}", L"0x1d(Loading)", nullptr},
        {L"WindowCloseRequested", L"{}", L"0x1b()", nullptr},
        {L"IsMutedChanged", L"{\"isMuted\":true}", L"0x1f(true)", nullptr},
        {L"IsDocumentPlayingAudioChanged", L"{\"isDocumentPlayingAudio\":true}", L"0x20(true)", nullptr},
        {L"FaviconChanged", L"{\"faviconUri\":\"https://f.test/i.ico\"}", L"0x258(https://f.test/i.ico)", nullptr},
        {L"LaunchingExternalUriScheme", L"{\"uri\":\"mailto:a@b.test\"}", L"0x25a(mailto:a@b.test,&false)",
         L"\"cancel\":true"},
        {L"NotificationReceived", L"{}", L"0x25b()", nullptr},
        {L"SaveAsUIShowing", L"{}", L"0x25f(&false)", L"\"cancel\":true"},
        {L"ScreenCaptureStarting", L"{}", L"0x260(&false)", L"\"cancel\":true"},
        {L"SaveFileSecurityCheckStarting", L"{\"filePath\":\"C:\\\\d\\\\a.exe\"}", L"0x261(C:\\d\\a.exe,&false)",
         L"\"cancelSave\":true"},
        {L"IsDefaultDownloadDialogOpenChanged", L"{}", L"0x25e()", nullptr},
        {L"BrowserProcessExited", L"{\"browserProcessExitKind\":1,\"browserProcessId\":4242}", L"0x25d(1,4242)",
         nullptr},
        // An empty string message has no text of its own: its JSON form is used.
        {L"WebMessageReceived", L"{\"webMessageAsString\":\"\"}", L"0x3(\"\",)", nullptr},
    };
    host->sink.onEvent = [](DISPID, DISPPARAMS* params) {
        for (UINT i = 0; i < params->cArgs; ++i)
            if (params->rgvarg[i].vt == (VT_BYREF | VT_BOOL)) *params->rgvarg[i].pboolVal = VARIANT_TRUE;
    };
    for (const Case& c : cases) {
        const std::size_t before = host->sink.events.size();
        const std::wstring answer = Raise(c.event, c.args);
        ASSERT_TRUE(PumpUntil([&] { return host->sink.events.size() > before; }, 1000)) << c.event << L" " << answer;
        EXPECT_EQ(host->sink.events.back().Text(), c.seen) << c.event;
        if (c.answerKey) {
            EXPECT_TRUE(Has(answer, c.answerKey)) << c.event << L" " << answer;
        }
    }
    EXPECT_EQ(Text(ctrl, &ICorvaneCtrl::get_StatusBarText), L"Loading");
    EXPECT_EQ(Get<VARIANT_BOOL>(ctrl, &ICorvaneCtrl::get_ContainsFullScreenElement), VARIANT_TRUE);
}

TEST_F(Browser, CallbacksForAControlThatIsGoneOrDisposedAreIgnored) {
    Runtime().HoldCreation(true);
    ASSERT_TRUE(host->Attach());
    PumpFor(30);
    host.reset();   // the control goes while its environment is being made
    EXPECT_EQ(Runtime().ReleaseCreation(), 1);
    PumpFor(50);
    EXPECT_FALSE(Has(Log(), L"Environment.CreateCoreWebView2Controller"));

    HostedControl disposed;
    ASSERT_TRUE(disposed.Attach());
    PumpFor(30);
    EXPECT_EQ(disposed.ctrl->Dispose(), S_OK);
    EXPECT_EQ(Runtime().ReleaseCreation(), 1);
    Runtime().HoldCreation(false);
    PumpFor(50);
    EXPECT_FALSE(Has(Log(), L"Environment.CreateCoreWebView2Controller"));
    EXPECT_TRUE(disposed.sink.events.empty());
    EXPECT_EQ(disposed.ctrl->ExecuteScriptAsync(Bs(L"1")), E_FAIL);   // nothing is being made any more
}

TEST_F(Browser, HexadecimalEventsReplaceThePlainOnes) {
    Ready();
    ctrl->put_EventsUseHexadecimal(VARIANT_TRUE);
    Raise(L"ContentLoading", L"{\"navigationId\":26,\"isErrorPage\":true}");
    Raise(L"NavigationCompleted", L"{\"isSuccess\":true,\"navigationId\":26}");
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(Ev::NavigationCompletedHex) == 1; }));
    EXPECT_EQ(host->sink.Count(Ev::NavigationCompleted), 0);
    EXPECT_EQ(host->sink.Count(Ev::ContentLoading), 0);
    EXPECT_EQ(host->sink.events[host->sink.events.size() - 2].Text(), L"0x3d(1A,true)");
    EXPECT_EQ(host->sink.events.back().Text(), L"0x3c(about:blank,true,1A)");   // the source before any load

    ctrl->put_EventsUseHexadecimal(VARIANT_FALSE);
    Raise(L"ContentLoading", L"{\"navigationId\":26}");
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(Ev::ContentLoading) == 1; }));
    EXPECT_EQ(host->sink.events.back().Text(), L"0x18(26,false)");
}

TEST_F(Browser, PopupModesBlockRedirectOrAskTheHost) {
    Ready();
    struct Case { CVN_POPUP_MODE mode; VARIANT_BOOL hostCancel; bool raised, handled, navigated; } cases[] = {
        {CVN_POPUP_BLOCK, VARIANT_FALSE, false, true, false},
        {CVN_POPUP_SAME_WINDOW, VARIANT_FALSE, false, true, true},
        {CVN_POPUP_ALLOW, VARIANT_FALSE, true, false, false},
        {CVN_POPUP_ALLOW, VARIANT_TRUE, true, true, false},
    };
    for (const Case& c : cases) {
        ctrl->put_PopupMode(c.mode);
        host->sink.events.clear();
        AnswerBoolOf(Ev::NewWindowRequested, c.hostCancel);
        Runtime().ClearCallLog();
        const std::wstring answer = Raise(L"NewWindowRequested", L"{\"uri\":\"https://popup.test/\"}");
        EXPECT_EQ(host->sink.Count(Ev::NewWindowRequested), c.raised ? 1 : 0) << c.mode;
        EXPECT_EQ(Has(answer, L"\"handled\":true"), c.handled) << c.mode << L" " << answer;
        EXPECT_EQ(Has(Log(), L"WebView.Navigate(https://popup.test/)"), c.navigated) << c.mode;
    }
}

TEST_F(Browser, HostAnswersReachTheBrowserOnlyInTheirDocumentedForms) {
    Ready();
    const wchar_t* permission = L"PermissionRequested";
    const wchar_t* certificate = L"ServerCertificateErrorDetected";
    struct Case {
        const wchar_t* event;
        const wchar_t* args;
        LONG answer;
        bool ignoreCertificateErrors;
        const wchar_t* expected;
    } cases[] = {
        {permission, L"{\"uri\":\"https://p.test/\",\"permissionKind\":2}", 1, false, L"\"state\":1"},
        {permission, L"{\"permissionKind\":2}", 2, false, L"\"state\":2"},
        {permission, L"{\"permissionKind\":2}", 3, false, L"\"state\":0"},
        {certificate, L"{\"requestUri\":\"https://bad.test/\",\"errorStatus\":1}", 1, false, L"\"action\":0"},
        {certificate, L"{\"errorStatus\":1}", 2, false, L"\"action\":1"},
        {certificate, L"{\"errorStatus\":1}", 0, false, L"\"action\":2"},
        {certificate, L"{\"errorStatus\":1}", 2, true, L"\"action\":0"},
    };
    for (const Case& c : cases) {
        const DISPID id = c.event == permission ? Ev::PermissionRequested : Ev::ServerCertificateErrorDetected;
        ctrl->put_IgnoreCertificateErrors(c.ignoreCertificateErrors ? VARIANT_TRUE : VARIANT_FALSE);
        host->sink.onEvent = [&](DISPID seen, DISPPARAMS* params) {
            if (seen == id) AnswerLong(params, 0, c.answer);
        };
        const int before = host->sink.Count(id);
        const std::wstring answer = Raise(c.event, c.args);
        EXPECT_EQ(host->sink.Count(id), before + 1) << c.event;
        EXPECT_TRUE(Has(answer, c.expected)) << c.event << L" " << c.args << L" " << answer;
    }
    EXPECT_EQ(host->sink.events.back().Text(), L"0x10(,1,,&0)");   // as raised, before the answer
}

TEST_F(Browser, F12WithDevToolsOffIsSwallowedAndContextMenusNeedEnabling) {
    Ready();
    const wchar_t* f12 = L"{\"keyEventKind\":0,\"virtualKey\":123,\"keyEventLParam\":1}";
    std::wstring answer = Raise(L"AcceleratorKeyPressed", f12);
    EXPECT_EQ(host->sink.Count(Ev::AcceleratorKeyPressed), 0);
    EXPECT_TRUE(Has(answer, L"\"handled\":true")) << answer;

    AnswerBoolOf(Ev::AcceleratorKeyPressed, VARIANT_TRUE);
    answer = Raise(L"AcceleratorKeyPressed", L"{\"keyEventKind\":0,\"virtualKey\":65,\"keyEventLParam\":7}");
    ASSERT_EQ(host->sink.Count(Ev::AcceleratorKeyPressed), 1);
    EXPECT_EQ(host->sink.events.back().Text(), L"0x21(0,65,7,&false)");
    EXPECT_TRUE(Has(answer, L"\"handled\":true")) << answer;

    ASSERT_EQ(ctrl->put_AreDevToolsEnabled(VARIANT_TRUE), S_OK);
    host->sink.onEvent = nullptr;
    answer = Raise(L"AcceleratorKeyPressed", f12);
    EXPECT_EQ(host->sink.Count(Ev::AcceleratorKeyPressed), 2);
    EXPECT_TRUE(Has(answer, L"\"handled\":false")) << answer;

    // Context menus reach the host only once it enabled them.
    const wchar_t* args =
        L"{\"locationX\":5,\"locationY\":7,\"pageUri\":\"https://page.test/\",\"linkUri\":\"https://link.test/\"}";
    answer = Raise(L"ContextMenuRequested", args);
    EXPECT_EQ(host->sink.Count(Ev::ContextMenuRequested), 0);
    EXPECT_TRUE(Has(answer, L"\"handled\":true")) << answer;

    ASSERT_EQ(ctrl->put_AreDefaultContextMenusEnabled(VARIANT_TRUE), S_OK);
    std::vector<std::wstring> read;
    host->sink.onEvent = [&](DISPID id, DISPPARAMS* params) {
        if (id != Ev::ContextMenuRequested) return;
        IDispatch* menu = params->rgvarg[0].pdispVal;
        for (const wchar_t* name : {L"pageuri", L"LinkUri", L"LocationX", L"LocationY", L"Nothing"})
            read.push_back(Read(menu, name));
        // Handled := 1 (an integer, as some hosts pass it) counts as TRUE.
        DISPID handled = 0;
        LPOLESTR name = const_cast<LPOLESTR>(L"Handled");
        menu->GetIDsOfNames(IID_NULL, &name, 1, 0, &handled);
        EXPECT_EQ(handled, 104);
        VARIANT one = I2(1);
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS put{&one, &named, 1, 1};
        EXPECT_EQ(menu->Invoke(handled, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr), S_OK);
    };
    answer = Raise(L"ContextMenuRequested", args);
    EXPECT_EQ(host->sink.Count(Ev::ContextMenuRequested), 1);
    EXPECT_EQ(read, (std::vector<std::wstring>{L"8:https://page.test/", L"8:https://link.test/", L"3:5", L"3:7",
                                               L"error:" + std::to_wstring(DISP_E_UNKNOWNNAME)}));
    EXPECT_TRUE(Has(answer, L"\"handled\":true")) << answer;
}

TEST_F(Browser, FramesGetIdsAndTheirOwnHandlers) {
    Ready();
    Raise(L"FrameCreated", L"{\"name\":\"ads\",\"frameId\":5}");
    ASSERT_EQ(host->sink.Count(Ev::FrameCreated), 1);
    EXPECT_EQ(host->sink.events.back().Text(), L"0x23(ads,frame_5)");
    AnswerBoolOf(Ev::FrameNavigationStarting, VARIANT_TRUE);
    std::wstring answer =
        Raise(L"Frame.NavigationStarting", L"{\"frameId\":5,\"uri\":\"https://ads.test/\",\"isRedirected\":true}");
    EXPECT_EQ(host->sink.events.back().Text(), L"0x24(frame_5,https://ads.test/,true,&false)");
    EXPECT_TRUE(Has(answer, L"\"cancel\":true")) << answer;
    Raise(L"Frame.Destroyed", L"{\"frameId\":5}");
    EXPECT_EQ(host->sink.events.back().Text(), L"0x26(frame_5)");
    EXPECT_TRUE(Has(State(), L"\"frames\":[]")) << State();
}

// ---- Navigation and the blocking calls ----

TEST_F(Browser, NavigateAcceptsOnlyWebAndAboutSchemesAndHistoryNeedsABrowser) {
    struct Case {
        const wchar_t* url;
        HRESULT hr;
    } cases[] = {{L"file:///C:/x.html", E_ACCESSDENIED}, {L"javascript:alert(1)", E_ACCESSDENIED},
                 {L"ABOUT:blank", S_OK}, {L"HTTPS://up.test/", S_OK}, {L"http://plain.test/", S_OK}};
    // History needs a browser, and somewhere to go.
    EXPECT_EQ(ctrl->GoBack(), E_FAIL);
    EXPECT_EQ(ctrl->Refresh(), E_FAIL);
    EXPECT_EQ(ctrl->Stop(), E_FAIL);
    Ready();
    EXPECT_EQ(ctrl->GoBack(), S_FALSE);
    EXPECT_EQ(ctrl->GoForward(), S_FALSE);
    EXPECT_EQ(ctrl->Refresh(), S_OK);
    EXPECT_EQ(ctrl->Stop(), S_OK);
    for (const Case& c : cases) {
        Runtime().ClearCallLog();
        EXPECT_EQ(ctrl->Navigate(Bs(c.url)), c.hr) << c.url;
        EXPECT_EQ(Has(Log(), std::wstring(L"WebView.Navigate(") + c.url), c.hr == S_OK) << c.url;
    }
    EXPECT_EQ(ctrl->Navigate(nullptr), E_INVALIDARG);
    ASSERT_TRUE(PumpUntil([] { return Has(State(), L"\"source\":\"http://plain.test/\""); }));
    PumpFor(50);

    // A local page reads as no URL.
    Load(L"about:blank");
    EXPECT_EQ(Text(ctrl, &ICorvaneCtrl::get_url), L"");
    // A put never navigates a ready browser.
    Runtime().ClearCallLog();
    EXPECT_EQ(ctrl->put_url(Bs(L"https://later.test/")), S_OK);
    EXPECT_FALSE(Has(Log(), L"Navigate("));
}

// A healthy NavigateSync is proven on the real browser; here, the ends only
// the stand-in produces on demand.
TEST_F(Browser, NavigateSyncWaitsForTheDeferredCompletion) {
    Ready();
    EXPECT_EQ(ctrl->NavigateToStringSync(Bs(L"<title>T</title>")), S_OK);

    // A load that ends in an error still completes the wait.
    Runtime().HoldNavigations(true);
    ctrl->put_SynchronousTimeOut(3000);
    UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        Runtime().CompleteNavigation(-1, false, 6);
    });
    const Bs url(L"https://broken.test/");
    EXPECT_EQ(ctrl->NavigateSync(url), S_OK);
    KillTimer(nullptr, timer);

    // A second blocking navigation from inside the first one's wait is refused.
    static HRESULT s_nested;
    static std::wstring s_nestedError;
    static ICorvaneCtrl* s_ctrl;
    s_ctrl = ctrl;
    s_nested = S_OK;
    timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        s_nested = s_ctrl->NavigateSync(Bs(L"https://nested.test/"));
        s_nestedError = LastError(s_ctrl);
        Runtime().CompleteNavigation(-1, true, 0);
    });
    EXPECT_EQ(ctrl->NavigateSync(url), S_OK);
    KillTimer(nullptr, timer);
    EXPECT_EQ(s_nested, kReentrant);
    EXPECT_TRUE(Has(s_nestedError, L"NavigateSync cannot start while another synchronous navigation of this control "
                                   L"is waiting."))
        << s_nestedError;
    Runtime().HoldNavigations(false);

    // No time at all: started, then timed out at once.
    ctrl->put_SynchronousTimeOut(0);
    Runtime().ClearCallLog();
    const DWORD start = GetTickCount();
    EXPECT_EQ(ctrl->NavigateSync(url), kTimeout);
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_TRUE(Has(Log(), L"WebView.Navigate(https://broken.test/)"));
    EXPECT_EQ(ctrl->NavigateSync(nullptr), E_INVALIDARG);
}

// Late-bound, as a macro calls: the refusal reaches the caller's exception
// information, LastError and LastErrorCode alike.
TEST_F(Browser, BlockingCallsAreRefusedInsideImmediateEventsOnly) {
    Ready();
    IDispatch* automation = nullptr;
    ASSERT_EQ(ctrl->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&automation)), S_OK);
    HRESULT inStarting = S_OK, inCompleted = E_FAIL, scriptInStarting = S_OK;
    std::wstring description, lastError, scriptDescription;
    LONG lastCode = 0;
    bool nested = false;
    host->sink.onEvent = [&](DISPID id, DISPPARAMS*) {
        if (nested) return;
        nested = true;
        if (id == Ev::NavigationStarting && inStarting == S_OK) {
            inStarting = CallByName(automation, L"NavigateSync", {Str(L"https://inner.test/")}, nullptr, &description);
            lastError = LastError(ctrl);
            lastCode = LastErrorCode(ctrl);
            scriptInStarting = CallByName(automation, L"ExecuteScript", {Str(L"1+1")}, nullptr, &scriptDescription);
        } else if (id == Ev::NavigationCompleted && inCompleted == E_FAIL) {
            inCompleted = CallByName(automation, L"NavigateSync", {Str(L"https://after.test/")});
        }
        nested = false;
    };
    Load(L"https://outer.test/");
    ASSERT_TRUE(PumpUntil([&] { return inCompleted != E_FAIL; }));

    // The sentence's pieces are proven with the guard; here, which ones NavigateSync chose.
    EXPECT_EQ(inStarting, kReentrant);
    ExpectHas(description, {L"NavigateSync cannot complete here: WebView2 is still raising the NavigationStarting event",
                            L"Use Navigate instead (NavigationCompleted reports the end of the load), or call it"});
    EXPECT_EQ(lastError, description);
    EXPECT_EQ(lastCode, kReentrant);
    EXPECT_EQ(scriptInStarting, kReentrant);
    EXPECT_TRUE(Has(scriptDescription, L"ExecuteScript cannot return a result here: WebView2 is still raising the "
                                       L"NavigationStarting event, and WebView2 does not deliver script results"))
        << scriptDescription;
    EXPECT_EQ(inCompleted, S_OK);
    EXPECT_FALSE(Has(Log(), L"inner.test"));
    EXPECT_TRUE(Has(Log(), L"WebView.Navigate(https://after.test/)"));
    automation->Release();
}

// The script and DOM members inside an immediate event: each refuses the way
// its kind says; outside one, the texts a macro's arguments become.
TEST_F(Browser, ScriptMembersRefuseInsideEventsAndBuildTheirScripts) {
    EXPECT_EQ(ctrl->BindScriptObject(Bs(L"pc"), Bs(L"window.pc"), 1), S_OK);   // waits for readiness
    Ready();
    ExpectHas(Log(), {L"window.__cvn_objects = Object.create(null);", L"o[1]=(window.pc);}catch(e){}})();"});
    struct Seen { HRESULT hr; std::wstring error; LONG code; VARIANT_BOOL flag; };
    std::vector<Seen> seen;
    auto record = [&](HRESULT hr, VARIANT_BOOL flag = VARIANT_FALSE) {
        seen.push_back({hr, LastError(ctrl), LastErrorCode(ctrl), flag});
    };
    bool done = false;
    host->sink.onEvent = [&](DISPID id, DISPPARAMS*) {
        if (id != Ev::NavigationStarting || done) return;
        done = true;
        BSTR text = nullptr;
        record(ctrl->GetElementValueById(Bs(L"x"), &text));
        VARIANT_BOOL found = VARIANT_TRUE;
        HRESULT hr = ctrl->WaitForElement(Bs(L"#x"), 5000, &found);
        record(hr, found);
        record(ctrl->AddScriptToExecuteOnDocumentCreated(Bs(L"1"), &text));
        VARIANT_BOOL ok = VARIANT_TRUE;
        BSTR json = nullptr, message = nullptr;
        hr = ctrl->ExecuteScriptWithResult(Bs(L"1"), &json, &ok, &message);
        record(hr, ok);
        VARIANT none = Var(VT_EMPTY), value = Var(VT_EMPTY);
        record(ctrl->CallScriptSync(Bs(L"pc"), Bs(L"m"), none, none, none, none, none, none, none, none, &value));
        record(ctrl->GetScriptProperty(Bs(L"pc"), Bs(L"p"), &value));
        LONG code = 0;
        BSTR bridgeText = nullptr;
        ctrl->GetLastBridgeError(&code, &bridgeText);
        seen.push_back({code, bridgeText, kReentrant, VARIANT_FALSE});
        SysFreeString(bridgeText);
    };
    Load(L"https://outer.test/");
    ASSERT_EQ(seen.size(), 7u);
    const struct { HRESULT hr; const wchar_t* error; } expected[] = {
        {kReentrant, L"ExecuteScript cannot return a result here: WebView2 is still raising the NavigationStarting"},
        {S_OK, L"WaitForElement cannot return a result here: WebView2 is still raising the NavigationStarting"},
        {kReentrant, L"Call it before the browser is ready (for example in Form_Load, where it is queued),"},
        {kReentrant, L"ExecuteScriptWithResult cannot return a result here"},
        {kReentrant, L"Use CallScript instead (it does not wait for the page), or call it after"},
        {kReentrant, L"GetScriptProperty cannot return a result here"},
        {kReentrant, L"GetScriptProperty cannot return a result here"},   // the bridge's own error slot
    };
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].hr, expected[i].hr) << i;
        EXPECT_TRUE(Has(seen[i].error, expected[i].error)) << seen[i].error;
        EXPECT_EQ(seen[i].code, kReentrant) << i;
        EXPECT_EQ(seen[i].flag, VARIANT_FALSE) << i;
    }

    // Only VARIANT_TRUE checks a box; a scalar argument is one argument, an array spreads.
    EXPECT_EQ(ctrl->SetCheckboxById(Bs(L"c"), 1), S_OK);
    VARIANT five = I4(5);
    BSTR result = nullptr;
    EXPECT_EQ(ctrl->ExecuteScriptWithArgs(Bs(L"f"), five, &result), S_OK);
    SysFreeString(result);
    EXPECT_EQ(ctrl->ExecuteScriptWithArgs(Bs(L"f-g"), five, &result), E_INVALIDARG);
    ExpectHas(Log(), {L"e.checked=false;", L"WebView.ExecuteScript(f(5))"});
    BSTR json = nullptr, message = nullptr;
    VARIANT_BOOL ok = VARIANT_TRUE;
    Runtime().RefuseRevision(__uuidof(ICoreWebView2_21));
    EXPECT_EQ(ctrl->ExecuteScriptWithResult(Bs(L"1"), &json, &ok, &message), static_cast<HRESULT>(0x80040202));
}

// Results themselves are proven on the real browser; here, a failed
// completion and a page that never answers.
TEST_F(Browser, ExecuteScriptFailsWithTheBrowsersCodeOrTimesOut) {
    Ready();
    Runtime().SetScriptFunction(
        [](void*, int, const wchar_t* script, HRESULT* hr, BSTR* result) {
            if (wcscmp(script, L"forever") == 0) return ScriptAnswer::Never;
            *hr = E_INVALIDARG;   // the browser reports an error code
            *result = SysAllocString(L"\"abc\"");
            return ScriptAnswer::Later;
        },
        nullptr);
    BSTR result = SysAllocString(L"sentinel");
    EXPECT_EQ(ctrl->ExecuteScript(Bs(L"fails"), &result), E_INVALIDARG);
    EXPECT_EQ(result, nullptr);

    ctrl->put_SynchronousTimeOut(150);
    EXPECT_EQ(ctrl->ExecuteScript(Bs(L"forever"), &result), kTimeout);
    EXPECT_EQ(LastError(ctrl), L"ExecuteScript got no result from the page within 150 ms (SynchronousTimeOut). "
                               L"The page's JavaScript may still be busy.");
    EXPECT_EQ(LastErrorCode(ctrl), kTimeout);
    Runtime().SetScriptFunction(nullptr, nullptr);
}

// ---- Settings ----

// Start-up settings put once the browser exists: each row answers by its own
// rule, and only some through COM error information.
TEST_F(Browser, LateStartUpSettingsAnswerByTheirRule) {
    Ready();
    const Bs text(L"x");
    struct Row {
        const wchar_t* name;
        std::function<HRESULT()> put;
        HRESULT hr;
        bool errorInfo;
        const wchar_t* lastError;   // null: LastError is left alone
    } rows[] = {
        {L"Language", [&] { return ctrl->put_Language(text); }, static_cast<HRESULT>(0x80040201), true, nullptr},
        {L"proxyServer", [&] { return ctrl->put_proxyServer(text); }, E_FAIL, false,
         L"ProxyServer must be set BEFORE WebView initialization."},
        {L"ProxyBypassList", [&] { return ctrl->put_ProxyBypassList(text); }, E_FAIL, false,
         L"ProxyBypassList must be set BEFORE WebView initialization."},
        {L"AllowSingleSignOnUsingOSPrimaryAccount",
         [&] { return ctrl->put_AllowSingleSignOnUsingOSPrimaryAccount(VARIANT_TRUE); }, E_FAIL, false,
         L"AllowSingleSignOnUsingOSPrimaryAccount must be set BEFORE WebView initialization."},
        {L"IgnoreCertificateErrors", [&] { return ctrl->put_IgnoreCertificateErrors(VARIANT_TRUE); }, S_OK, false,
         L"IgnoreCertificateErrors has limited effect after initialization."},
    };
    for (const Row& row : rows) {
        SetErrorInfo(0, nullptr);
        const std::wstring before = LastError(ctrl);
        EXPECT_EQ(row.put(), row.hr) << row.name;
        IErrorInfo* info = nullptr;
        EXPECT_EQ(GetErrorInfo(0, &info) == S_OK && info, row.errorInfo) << row.name;
        if (info) info->Release();
        EXPECT_EQ(LastError(ctrl), row.lastError ? std::wstring(row.lastError) : before) << row.name;
    }
}

TEST_F(Browser, LiveSettingsReachTheBrowser) {
    EXPECT_EQ(ctrl->put_zoomFactor(2.0), E_FAIL);
    Ready();
    EXPECT_EQ(ctrl->put_zoomFactor(7.0), S_OK);
    EXPECT_EQ(Get<double>(ctrl, &ICorvaneCtrl::get_zoomFactor), 5.0);
    EXPECT_EQ(ctrl->put_zoomFactor(0.0), S_OK);
    EXPECT_EQ(Get<double>(ctrl, &ICorvaneCtrl::get_zoomFactor), 0.1);

    Runtime().ClearCallLog();
    EXPECT_EQ(ctrl->put_IsStatusBarEnabled(VARIANT_FALSE), S_OK);
    EXPECT_TRUE(Has(Log(), L"WebView.Reload()"));
    Runtime().ClearCallLog();
    VARIANT_BOOL flag = VARIANT_TRUE;
    EXPECT_EQ(ctrl->get_IsStatusBarEnabled(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);
    EXPECT_FALSE(Has(Log(), L"Reload")) << "a read acted on the browser: " << Log();

    // An old runtime without the fifth settings revision.
    Runtime().RefuseRevision(__uuidof(ICoreWebView2Settings5));
    EXPECT_EQ(ctrl->put_IsPinchZoomEnabled(VARIANT_FALSE), static_cast<HRESULT>(0x80040202));
    EXPECT_EQ(ctrl->get_IsPinchZoomEnabled(&flag), static_cast<HRESULT>(0x80040202));

    EXPECT_EQ(ctrl->put_IsVisible(VARIANT_FALSE), S_OK);
    EXPECT_TRUE(Has(State(), L"\"visible\":false"));
}

// The settings store before a browser exists, late-bound as a macro uses it
// (the script suite adds what only a macro sees: Err, names in any case).
TEST_F(Browser, SettingsBeforeTheBrowserKeepTheirValuesOrRefuse) {
    IDispatch* o = nullptr;
    ASSERT_EQ(ctrl->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&o)), S_OK);
    // Kept by the control: a put reads back; an empty text clears (proxyServer: the script suite).
    struct Kept {
        const wchar_t* name;
        std::wstring before;
        VARIANT value;
        std::wstring after;
        HRESULT hr = S_OK;
    } kept[] = {
        {L"AdditionalBrowserArguments", L"8:", Str(L"--mute-audio"), L"8:--mute-audio"},
        {L"Language", L"8:", Str(L"de-DE"), L"8:de-DE"},
        {L"BrowserExecutableFolder", L"8:", Str(L"C:\\Runtimes\\Fixed 120"), L"8:C:\\Runtimes\\Fixed 120"},
        {L"ProxyBypassList", L"8:", Str(L"*.local;<local>"), L"8:*.local;<local>"},
        {L"RequiredMinimumVersion", L"8:", Str(L"1.0.1245.22"), L"8:1.0.1245.22"},
        {L"EnableHardwareAcceleration", L"11:True", Bool(false), L"11:False"},
        {L"AllowSingleSignOnUsingOSPrimaryAccount", L"11:False", Bool(true), L"11:True"},
        {L"IgnoreCertificateErrors", L"11:False", Bool(true), L"11:True"},
        {L"AutoRecoverOnCrash", L"11:False", I4(1), L"11:True"},
        {L"EventsUseHexadecimal", L"11:False", Bool(true), L"11:True"},
        {L"SmartResize", L"11:True", Bool(false), L"11:False"},
        {L"SynchronousTimeOut", L"3:30000", I4(0), L"3:0"},
        {L"PopupMode", L"3:2", I4(1), L"3:1"},
        {L"OpenPopupsInSameWindow", L"11:False", Bool(true), L"11:True"},   // the same setting as PopupMode
        {L"PopupMode", L"3:2", I4(0), L"3:0"},
        {L"Language", L"8:de-DE", Var(VT_EMPTY), L"8:"},
        {L"SynchronousTimeOut", L"3:0", I4(-1), L"3:0", E_INVALIDARG},   // its reason: the script suite
    };
    for (Kept& row : kept) {
        EXPECT_EQ(Read(o, row.name), row.before) << row.name;
        EXPECT_EQ(PutByName(o, row.name, row.value), row.hr) << row.name;
        EXPECT_EQ(Read(o, row.name), row.after) << row.name;
    }

    // The browser's own settings answer their defaults; puts fail and change nothing
    // (IsScriptEnabled: the script suite).
    struct Live { const wchar_t* name; std::wstring value; VARIANT put; } live[] = {
        {L"IsWebMessageEnabled", L"11:True", Bool(false)},       {L"DefaultScriptDialogsEnabled", L"11:True", Bool(false)},
        {L"IsStatusBarEnabled", L"11:True", Bool(false)},        {L"AreDevToolsEnabled", L"11:True", Bool(false)},
        {L"AreHostObjectsAllowed", L"11:True", Bool(false)},     {L"IsPasswordAutosaveEnabled", L"11:False", Bool(true)},
        {L"HiddenPdfToolbarItems", L"3:0", I4(3)},               {L"NonClientRegionSupportEnabled", L"11:False", Bool(true)},
        {L"IsMuted", L"11:False", Bool(true)},
        {L"MemoryUsageTargetLevel", L"3:0", I4(1)},             {L"userAgent", L"8:", Str(L"CorvaneTest/1.0")},
        {L"zoomFactor", L"5:1", R8(2)},                          {L"IsVisible", L"11:False", Bool(true)},
    };
    for (Live& row : live) {
        EXPECT_EQ(PutByName(o, row.name, row.put), E_FAIL) << row.name;
        EXPECT_EQ(Read(o, row.name), row.value) << row.name;
    }
    // IsVisible's refusal went to LastError only: the code recorded before it stays.
    EXPECT_EQ(LastError(ctrl), L"WebView not initialized.");

    VARIANT diagnostics;
    VariantInit(&diagnostics);
    ASSERT_EQ(CallByName(o, L"GetDiagnostics", {}, &diagnostics), S_OK);
    EXPECT_EQ(TakeBstr(diagnostics.bstrVal),
              L"Window Handle: NULL\nWebView Ready: No\nEnvironment: NULL\nController: NULL\nWebView: NULL\n"
              L"Pending URL: (none)\nCan Go Back: No\nCan Go Forward: No\nIs Loading: No\nCurrent URL: (none)\n"
              L"Document Title: (none)");
    EXPECT_EQ(Read(o, L"BrowserVersionString"), L"8:120.0.2210.91");

    // Members that stay in the interface without doing any work say why in
    // LastError (OpenOfficeDocument's reason: the script suite).
    EXPECT_EQ(CallByName(o, L"EnableStealthMode", {}), E_NOTIMPL);
    EXPECT_EQ(LastError(ctrl), L"EnableStealthMode is not available in this build.");
    EXPECT_EQ(CallByName(o, L"SolveRecaptchaV2", {Str(L"key"), Str(L"https://example.com/")}), E_NOTIMPL);
    EXPECT_EQ(LastError(ctrl), L"SolveRecaptchaV2 is not available in this build.");
    o->Release();
}

}  // namespace

// ---- Find, DevTools and custom schemes ----

TEST_F(Browser, FindRunsAndDevToolsSubscriptionsFollowTheHost) {
    constexpr DISPID kDevToolsEvent = 0xa, kFindCount = 0x14, kFindDone = 0x16;
    VARIANT_BOOL flag = VARIANT_TRUE;
    ctrl->get_HasDevToolsProtocol(&flag);
    EXPECT_EQ(flag, VARIANT_FALSE);
    const std::pair<HRESULT, const wchar_t*> schemes[] = {{E_NOTIMPL, L"not implemented in this version"},
                                                          {E_FAIL, L"before the WebView is created"}};
    for (const auto& [code, text] : schemes) {
        EXPECT_EQ(ctrl->AddCustomSchemeRegistration(Bs(L"app"), VARIANT_TRUE), code);
        EXPECT_TRUE(Has(LastError(ctrl), text)) << LastError(ctrl);
        if (code == E_NOTIMPL) Ready();
    }
    // Only exactly true is true; a second run stops the first, whose events no longer arrive.
    Runtime().ClearCallLog();
    ASSERT_EQ(ctrl->StartFind(Bs(L"x"), 1, VARIANT_TRUE), S_OK);
    ASSERT_EQ(ctrl->StartFind(Bs(L"y"), VARIANT_TRUE, VARIANT_FALSE), S_OK);
    ExpectHas(Log(), {L"Find.Start(x|0|1|0|1)", L"Find.remove_MatchCountChanged(", L"Find.Stop()", L"Find.Start(y|1|0|0|1)"});
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(kFindDone) == 2; }));
    EXPECT_TRUE(Has(Raise(L"Find.MatchCountChanged", L"{\"matchCount\":3}"), L"\"handlers\":1"));
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(kFindCount) == 1; }));
    EXPECT_EQ(Get<LONG>(ctrl, &ICorvaneCtrl::get_FindMatchCount), 3);
    // An empty parameter text is sent as {}; the protocol's refusal keeps its reason.
    BSTR json = nullptr;
    ASSERT_EQ(ctrl->CallDevToolsProtocolMethod(Bs(L"Page.reload"), Bs(L""), &json), S_OK);
    EXPECT_EQ(TakeBstr(json), L"{\"method\":\"Page.reload\",\"params\":{}}");
    EXPECT_EQ(ctrl->CallDevToolsProtocolMethod(Bs(L"Unknown.x"), nullptr, &json), E_FAIL);
    EXPECT_EQ(LastError(ctrl), L"DevTools Protocol method failed. Error: -2147467259. 'Unknown.x' wasn't found");
    // One receiver per name; an event queued before its subscription was made again is dropped.
    ASSERT_EQ(ctrl->AddDevToolsProtocolEventHandler(Bs(L"A.b")), S_OK);
    ASSERT_EQ(ctrl->AddDevToolsProtocolEventHandler(Bs(L"A.b")), S_OK);
    EXPECT_EQ(Occurrences(Log(), L"GetDevToolsProtocolEventReceiver(A.b)"), 1);
    const wchar_t* event = L"{\"eventName\":\"A.b\",\"parameterObjectAsJson\":\"{\\\"n\\\":1}\"}";
    for (bool again : {false, true}) {   // removed; removed and made again
        Raise(L"DevToolsProtocolEventReceived", event);
        ASSERT_EQ(ctrl->RemoveDevToolsProtocolEventHandler(Bs(L"A.b")), S_OK);
        if (again) { ASSERT_EQ(ctrl->AddDevToolsProtocolEventHandler(Bs(L"A.b")), S_OK); }
        PumpFor(100);
        EXPECT_EQ(host->sink.Count(kDevToolsEvent), 0);
        if (!again) { ASSERT_EQ(ctrl->AddDevToolsProtocolEventHandler(Bs(L"A.b")), S_OK); }
    }
    Raise(L"DevToolsProtocolEventReceived", event);
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(kDevToolsEvent) == 1; }));
    EXPECT_EQ(host->sink.Texts().back(), L"0xa(A.b,{\"n\":1})");
    EXPECT_EQ(ctrl->RemoveDevToolsProtocolEventHandler(Bs(L"never.added")), S_OK);
}

TEST_F(Browser, PrintsTakeTheStoredSettingsOrTheFixedOnes) {
    Ready();
    ctrl->put_PrintOrientation(static_cast<CVN_PRINT_ORIENTATION>(2));   // read back as given, printed portrait
    EXPECT_EQ(Get<CVN_PRINT_ORIENTATION>(ctrl, &ICorvaneCtrl::get_PrintOrientation), 2);
    ctrl->put_PrintShouldPrintHeaderAndFooter(1);                       // only exactly true is true
    const std::pair<bool, const wchar_t*> cases[] = {
        {true, L"PrintSettings.Used(copies=1|footerUri=\"\"|headerTitle=\"\"|marginBottom=0|marginLeft=0|marginRight=0|"
               L"marginTop=0|orientation=0|pageHeight=11|pageRanges=\"\"|pageWidth=8.5|pagesPerSide=1|scaleFactor=1|"
               L"shouldPrintBackgrounds=true|shouldPrintHeaderAndFooter=false|shouldPrintSelectionOnly=false)"},
        {false, L"marginBottom=0.4|marginLeft=0.4|marginRight=0.4|marginTop=0.4|orientation=0|pageHeight=11|"
                L"pageRanges=\"\"|pageWidth=8.5|pagesPerSide=1|scaleFactor=1|shouldPrintBackgrounds=true|"
                L"shouldPrintHeaderAndFooter=false"},
    };
    for (const auto& [stored, used] : cases) {
        Runtime().ClearCallLog();
        host->sink.events.clear();
        ASSERT_EQ(stored ? ctrl->PrintToPdfWithSettings(Bs(L"out.pdf")) : ctrl->PrintToPdf(Bs(L"out.pdf")), S_OK);
        EXPECT_TRUE(Has(Log(), used)) << Log();
        EXPECT_FALSE(Has(Log(), L"put_PageRanges")) << Log();
        ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(0x8) == 1; }));
        EXPECT_EQ(host->sink.Texts().back(), L"0x8(out.pdf,true)");
    }
}
