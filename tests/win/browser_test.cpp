// The control's browser under Wine's ATL container, with the scriptable test
// runtime standing in for the browser: creation and its failures, readiness,
// parking, recovery, event routing with the host's answers, and the blocking
// calls with their guard.
#include <activscp.h>

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

std::wstring Log() { return TakeBstr(Runtime().CallLog()); }
std::wstring State() { return TakeBstr(Runtime().State(-1)); }
std::wstring Raise(const wchar_t* event, const wchar_t* args = L"{}") {
    return TakeBstr(Runtime().Raise(-1, event, args));
}

std::wstring LastError(ICorvaneCtrl* ctrl) {
    BSTR text = nullptr;
    ctrl->get_LastError(&text);
    return TakeBstr(text);
}

LONG LastErrorCode(ICorvaneCtrl* ctrl) {
    LONG code = 0;
    ctrl->get_LastErrorCode(&code);
    return code;
}

int Occurrences(const std::wstring& text, const std::wstring& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) ++n;
    return n;
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
    // Navigates through the runtime's whole healthy sequence and waits for the deferred end.
    void Load(const wchar_t* url) {
        const int before = host->sink.Count(Ev::NavigationCompleted);
        BSTR u = SysAllocString(url);
        ASSERT_EQ(ctrl->Navigate(u), S_OK);
        SysFreeString(u);
        ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(Ev::NavigationCompleted) > before; }));
    }

    std::unique_ptr<HostedControl> host;
    ICorvaneCtrl* ctrl = nullptr;
};

// ---- Creation and readiness ----

TEST_F(Browser, BecomesReadyWithTheTwoEventsAndTheStartUpSettings) {
    VARIANT_BOOL ready = VARIANT_TRUE;
    ASSERT_EQ(ctrl->IsReady(&ready), S_OK);
    EXPECT_EQ(ready, VARIANT_FALSE);
    ASSERT_TRUE(host->Attach());
    // Creation is asynchronous: nothing is ready inside the activation.
    ctrl->IsReady(&ready);
    EXPECT_EQ(ready, VARIANT_FALSE);
    ASSERT_TRUE(host->WaitReady());

    ASSERT_GE(host->sink.events.size(), 2u);
    EXPECT_EQ(host->sink.events[0].Text(), L"0x22(0,true)");
    EXPECT_EQ(host->sink.events[1].Text(), L"0x30()");
    ctrl->IsReady(&ready);
    EXPECT_EQ(ready, VARIANT_TRUE);

    const std::wstring state = State();
    EXPECT_TRUE(Has(state, L"\"parentWindow\":" + std::to_wstring(reinterpret_cast<LONG_PTR>(host->Window()))))
        << state;
    EXPECT_TRUE(Has(state, L"\"visible\":true")) << state;
    EXPECT_TRUE(Has(state, L"\"AreDevToolsEnabled\":false")) << state;
    EXPECT_TRUE(Has(state, L"\"AreDefaultContextMenusEnabled\":false")) << state;
    EXPECT_TRUE(Has(state, L"\"AreBrowserAcceleratorKeysEnabled\":false")) << state;
    EXPECT_TRUE(Has(state, L"\"IsWebMessageEnabled\":true")) << state;

    BSTR folder = nullptr;
    ctrl->get_UserDataFolder(&folder);
    const std::wstring dataFolder = TakeBstr(folder);
    EXPECT_TRUE(Has(dataFolder, L"\\Corvane\\WebView2Data")) << dataFolder;
    EXPECT_TRUE(Has(Log(), L"Loader.CreateCoreWebView2EnvironmentWithOptions(|" + dataFolder + L"||)")) << Log();
    EXPECT_EQ(GetFileAttributesW(dataFolder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);

    BSTR version = nullptr;
    ctrl->get_BrowserVersionString(&version);
    EXPECT_EQ(TakeBstr(version), L"120.0.2210.91");
}

TEST_F(Browser, BrowserArgumentsFollowTheHardwareAccelerationSetting) {
    struct Case {
        const wchar_t* arguments;
        bool acceleration;
        const wchar_t* expected;
    } cases[] = {
        {L"", false, L"|--disable-gpu|"},
        {L"--lang=de --mute-audio", false, L"|--lang=de --mute-audio --disable-gpu|"},
        {L"--mute-audio", true, L"|--mute-audio|"},
    };
    for (const Case& c : cases) {
        HostedControl control;
        Runtime().ClearCallLog();
        BSTR args = SysAllocString(c.arguments);
        ASSERT_EQ(control.ctrl->put_AdditionalBrowserArguments(args), S_OK);
        SysFreeString(args);
        ASSERT_EQ(control.ctrl->put_EnableHardwareAcceleration(c.acceleration ? VARIANT_TRUE : VARIANT_FALSE), S_OK);
        BSTR language = SysAllocString(L"de-DE");
        control.ctrl->put_Language(language);
        SysFreeString(language);
        ASSERT_TRUE(control.Attach());
        ASSERT_TRUE(control.WaitReady());
        const std::wstring log = Log();
        EXPECT_TRUE(Has(log, std::wstring(c.expected) + L"de-DE)")) << c.arguments << L" " << log;
    }
}

TEST_F(Browser, CreationFailuresLeaveTheReasonAndRaiseNothing) {
    struct Case {
        CreationStep step;
        HRESULT hr;
        const wchar_t* text;
        HRESULT code;
    } cases[] = {
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
        VARIANT_BOOL ready = VARIANT_TRUE;
        control.ctrl->IsReady(&ready);
        EXPECT_EQ(ready, VARIANT_FALSE);
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
    EXPECT_TRUE(Has(g_dialogText, L"Microsoft Edge WebView2 Runtime is required but not installed.\n\nDownload from:\n"))
        << g_dialogText;
    EXPECT_TRUE(Has(g_dialogText, L"\n\nAfter installation, restart Excel and try again.")) << g_dialogText;
    EXPECT_EQ(LastError(ctrl), L"Microsoft Edge WebView2 Runtime is required but not installed.");
    EXPECT_EQ(LastErrorCode(ctrl), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(Has(Log(), L"CreateCoreWebView2EnvironmentWithOptions"));
    BSTR version = nullptr;
    ctrl->get_BrowserVersionString(&version);
    EXPECT_EQ(TakeBstr(version), L"not installed");
}

TEST_F(Browser, PendingUrlIsNavigatedOnceAfterReadiness) {
    BSTR first = SysAllocString(L"https://first.test/");
    BSTR second = SysAllocString(L"https://second.test/");
    EXPECT_EQ(ctrl->Navigate(first), S_OK);    // before the browser: kept as the pending URL
    EXPECT_EQ(ctrl->Navigate(second), S_OK);   // replaces it
    SysFreeString(first);
    SysFreeString(second);
    Ready();
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(Ev::NavigationCompleted) == 1; }));
    const std::vector<std::wstring> seen = host->sink.Texts();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[1], L"0x30()");
    EXPECT_EQ(seen[2], L"0x1(https://second.test/,&false)");
    EXPECT_EQ(Occurrences(Log(), L"WebView.Navigate("), 1) << Log();
    EXPECT_FALSE(Has(Log(), L"first.test"));
    BSTR url = nullptr;
    ctrl->get_url(&url);
    EXPECT_EQ(TakeBstr(url), L"https://second.test/");
}

TEST_F(Browser, QueuedWorkIsHandedOverInOrderOnceReady) {
    ASSERT_TRUE(host->Attach());
    BSTR json = SysAllocString(L"{\"a\":1}");
    BSTR text = SysAllocString(L"hello");
    BSTR script = SysAllocString(L"window.x = 1");
    EXPECT_EQ(ctrl->PostWebMessageAsJson(json), S_OK);
    EXPECT_EQ(ctrl->PostWebMessageAsString(text), S_OK);
    EXPECT_EQ(ctrl->ExecuteScriptAsync(script), S_OK);
    SysFreeString(json);
    SysFreeString(text);
    SysFreeString(script);
    ASSERT_TRUE(host->WaitReady());
    const std::wstring log = Log();
    const auto json1 = log.find(L"WebView.PostWebMessageAsJson({\"a\":1})");
    const auto text1 = log.find(L"WebView.PostWebMessageAsString(hello)");
    const auto script1 = log.find(L"WebView.ExecuteScript(window.x = 1)");
    ASSERT_NE(json1, std::wstring::npos) << log;
    ASSERT_NE(text1, std::wstring::npos) << log;
    ASSERT_NE(script1, std::wstring::npos) << log;
    EXPECT_LT(json1, text1);
    EXPECT_LT(text1, script1);

    // Without a browser and without one being made, nothing is queued.
    HostedControl idle;
    BSTR late = SysAllocString(L"1");
    EXPECT_EQ(idle.ctrl->ExecuteScriptAsync(late), E_FAIL);
    EXPECT_EQ(idle.ctrl->PostWebMessageAsString(late), E_FAIL);
    SysFreeString(late);
}

// ---- Parking, teardown and recovery ----

TEST_F(Browser, RecreatedWindowGetsTheParkedBrowserBack) {
    Ready();
    Load(L"https://kept.test/");
    const HWND first = host->Window();
    ASSERT_TRUE(host->RecreateWindow());
    const HWND second = host->Window();
    ASSERT_NE(first, second);
    PumpFor(50);
    EXPECT_EQ(host->sink.Count(Ev::WebViewReady), 1);
    EXPECT_EQ(host->sink.Count(Ev::CreateWebViewCompleted), 1);
    EXPECT_EQ(Runtime().WebViewCount(), 1);
    const std::wstring state = State();
    EXPECT_TRUE(Has(state, L"\"parentWindow\":" + std::to_wstring(reinterpret_cast<LONG_PTR>(second)))) << state;
    EXPECT_TRUE(Has(state, L"\"visible\":true")) << state;
    EXPECT_TRUE(Has(state, L"\"source\":\"https://kept.test/\"")) << state;
    VARIANT_BOOL ready = VARIANT_FALSE;
    ctrl->IsReady(&ready);
    EXPECT_EQ(ready, VARIANT_TRUE);
}

TEST_F(Browser, DisposeTearsDownOnceAndLaterCallsKnowIt) {
    Ready();
    const int registrations = Occurrences(Log(), L".add_");
    Runtime().ClearCallLog();
    EXPECT_EQ(ctrl->Dispose(), S_OK);
    EXPECT_EQ(ctrl->Dispose(), S_OK);
    EXPECT_EQ(Occurrences(Log(), L".remove_"), registrations) << "every registration is removed: " << Log();
    EXPECT_EQ(Occurrences(Log(), L"Controller.Close()"), 1) << Log();
    EXPECT_TRUE(Has(State(), L"\"closed\":true"));
    EXPECT_TRUE(Has(State(), L"\"handlers\":{}")) << State();
    VARIANT_BOOL ready = VARIANT_TRUE;
    ctrl->IsReady(&ready);
    EXPECT_EQ(ready, VARIANT_FALSE);
    EXPECT_EQ(ctrl->TrySuspend(), E_FAIL);
    EXPECT_EQ(LastError(ctrl), L"WebView has been disposed.");
    EXPECT_EQ(ctrl->Resume(), E_FAIL);
    LONG pid = 1;
    EXPECT_EQ(ctrl->get_BrowserProcessId(&pid), E_FAIL);
    EXPECT_EQ(LastError(ctrl), L"WebView not initialized.");
}

TEST_F(Browser, SuspendAndResumeGoThroughTheRuntime) {
    Ready();
    EXPECT_EQ(ctrl->TrySuspend(), S_OK);
    ASSERT_TRUE(PumpUntil([] { return Has(State(), L"\"suspended\":true"); }));
    VARIANT_BOOL suspended = VARIANT_FALSE;
    ctrl->get_IsSuspended(&suspended);
    EXPECT_EQ(suspended, VARIANT_TRUE);
    EXPECT_EQ(ctrl->Resume(), S_OK);
    ctrl->get_IsSuspended(&suspended);
    EXPECT_EQ(suspended, VARIANT_FALSE);

    // An old runtime: the controller is hidden and the control remembers.
    Runtime().RefuseRevision(__uuidof(ICoreWebView2_3));
    EXPECT_EQ(ctrl->TrySuspend(), S_OK);
    ctrl->get_IsSuspended(&suspended);
    EXPECT_EQ(suspended, VARIANT_TRUE);
    EXPECT_TRUE(Has(State(), L"\"visible\":false"));
}

TEST_F(Browser, CloseBrowserProcessReportsWhatStoppedIt) {
    Ready();
    Runtime().SetBrowserProcessId(0);
    EXPECT_EQ(ctrl->CloseBrowserProcess(), E_FAIL);
    EXPECT_EQ(LastError(ctrl), L"Could not get browser process ID.");
    Runtime().SetBrowserProcessId(0x7FFFFFF0);
    EXPECT_EQ(ctrl->CloseBrowserProcess(), E_FAIL);
    EXPECT_EQ(LastError(ctrl), L"Failed to open browser process for termination.");
    LONG pid = 0;
    EXPECT_EQ(ctrl->get_BrowserProcessId(&pid), S_OK);
    EXPECT_EQ(pid, 0x7FFFFFF0);

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
        BSTR url = SysAllocString(L"https://crash.test/");
        control.ctrl->Navigate(url);
        SysFreeString(url);
        ASSERT_TRUE(PumpUntil([&] { return control.sink.Count(Ev::NavigationCompleted) == 1; }));
        control.ctrl->put_AutoRecoverOnCrash(c.autoRecover ? VARIANT_TRUE : VARIANT_FALSE);
        Runtime().ClearCallLog();
        std::wstring args = L"{\"processFailedKind\":" + std::to_wstring(c.kind) +
                            L",\"reason\":2,\"exitCode\":-3,\"processDescription\":\"renderer\",\"frameNames\":[\"main\",\"ad\"]}";
        Raise(L"ProcessFailed", args.c_str());
        ASSERT_EQ(control.sink.Count(Ev::ProcessFailed), 1);
        EXPECT_EQ(control.sink.events.back().Text(), L"0x11(" + std::to_wstring(c.kind) + L",2,-3,renderer,main)");
        EXPECT_EQ(Has(Log(), L"WebView.Navigate(https://crash.test/)"), c.navigates) << c.autoRecover << c.kind;
    }
}

// ---- Event routing ----

TEST_F(Browser, OnlyExactlyTrueCancelsANavigation) {
    Ready();
    struct Case {
        VARIANT_BOOL answer;
        bool cancels;
    } cases[] = {{1, false}, {VARIANT_FALSE, false}, {VARIANT_TRUE, true}};
    for (const Case& c : cases) {
        host->sink.onEvent = [&](DISPID id, DISPPARAMS* params) {
            if (id == Ev::NavigationStarting) AnswerBool(params, 0, c.answer);
        };
        const std::wstring answer = Raise(L"NavigationStarting", L"{\"uri\":\"https://c.test/\"}");
        EXPECT_EQ(Has(answer, L"\"cancel\":true"), c.cancels) << c.answer << L" " << answer;
    }
}

TEST_F(Browser, NavigationEventsAreDeferredAndKeepTheCaches) {
    Ready();
    Load(L"https://one.test/");
    const std::vector<DISPID> ids = host->sink.Ids();
    const std::vector<DISPID> expected = {Ev::CreateWebViewCompleted, Ev::WebViewReady,  Ev::NavigationStarting,
                                          Ev::SourceChanged,          Ev::ContentLoading, Ev::HistoryChanged,
                                          Ev::DOMContentLoaded,       Ev::DocumentTitleChanged,
                                          Ev::NavigationCompleted};
    EXPECT_EQ(ids, expected);
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
    VARIANT_BOOL can = VARIANT_FALSE;
    ctrl->get_CanGoBack(&can);
    EXPECT_EQ(can, VARIANT_TRUE);
    BSTR title = nullptr;
    ctrl->get_DocumentTitle(&title);
    EXPECT_EQ(TakeBstr(title), L"https://two.test/");
    EXPECT_EQ(ctrl->GoBack(), S_OK);
    ASSERT_TRUE(PumpUntil([] { return Has(State(), L"\"source\":\"https://one.test/\""); }));
}

// Every other routed event: what the host receives, and for the ones with an
// in-out argument, that exactly TRUE reaches the browser.
TEST_F(Browser, EachBrowserEventReachesTheHostWithItsArguments) {
    Ready();
    struct Case {
        const wchar_t* event;
        const wchar_t* args;
        const wchar_t* seen;       // the host event as raised (in-out arguments before the answer)
        const wchar_t* answerKey;  // set to TRUE by the host; null: no in-out argument
    } cases[] = {
        {L"WebMessageReceived", L"{\"source\":\"https://m.test/\",\"webMessageAsString\":\"hi\"}",
         L"0x3(hi,https://m.test/)", nullptr},
        {L"WebMessageReceived", L"{\"source\":\"https://m.test/\",\"webMessageAsJson\":\"{\\\"a\\\":1}\"}",
         L"0x3({\"a\":1},https://m.test/)", nullptr},
        {L"ScriptDialogOpening", L"{\"kind\":2,\"message\":\"Sure?\"}", L"0x7(Sure?,2)", nullptr},
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
    BSTR text = nullptr;
    ctrl->get_StatusBarText(&text);
    EXPECT_EQ(TakeBstr(text), L"Loading");
    VARIANT_BOOL full = VARIANT_FALSE;
    ctrl->get_ContainsFullScreenElement(&full);
    EXPECT_EQ(full, VARIANT_TRUE);

    // An empty string message has no text of its own: its JSON form is used.
    Raise(L"WebMessageReceived", L"{\"webMessageAsString\":\"\"}");
    ASSERT_TRUE(PumpUntil([&] { return host->sink.events.back().Text() == L"0x3(\"\",)"; }, 1000))
        << host->sink.events.back().Text();
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
    BSTR script = SysAllocString(L"1");
    EXPECT_EQ(disposed.ctrl->ExecuteScriptAsync(script), E_FAIL);   // nothing is being made any more
    SysFreeString(script);
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
    struct Case {
        CVN_POPUP_MODE mode;
        VARIANT_BOOL hostCancel;
        bool raised;
        bool handled;
        bool navigated;
    } cases[] = {
        {CVN_POPUP_BLOCK, VARIANT_FALSE, false, true, false},
        {CVN_POPUP_SAME_WINDOW, VARIANT_FALSE, false, true, true},
        {CVN_POPUP_ALLOW, VARIANT_FALSE, true, false, false},
        {CVN_POPUP_ALLOW, VARIANT_TRUE, true, true, false},
    };
    for (const Case& c : cases) {
        ctrl->put_PopupMode(c.mode);
        host->sink.events.clear();
        host->sink.onEvent = [&](DISPID id, DISPPARAMS* params) {
            if (id == Ev::NewWindowRequested) AnswerBool(params, 0, c.hostCancel);
        };
        Runtime().ClearCallLog();
        const std::wstring answer = Raise(L"NewWindowRequested", L"{\"uri\":\"https://popup.test/\"}");
        EXPECT_EQ(host->sink.Count(Ev::NewWindowRequested), c.raised ? 1 : 0) << c.mode;
        EXPECT_EQ(Has(answer, L"\"handled\":true"), c.handled) << c.mode << L" " << answer;
        EXPECT_EQ(Has(Log(), L"WebView.Navigate(https://popup.test/)"), c.navigated) << c.mode;
    }
}

TEST_F(Browser, HostAnswersReachTheBrowserOnlyInTheirDocumentedForms) {
    Ready();
    struct Case {
        const wchar_t* event;
        const wchar_t* args;
        DISPID id;
        std::function<void(DISPPARAMS*)> answer;
        bool ignoreCertificateErrors;
        const wchar_t* expected;
    } cases[] = {
        {L"PermissionRequested", L"{\"uri\":\"https://p.test/\",\"permissionKind\":2}", Ev::PermissionRequested,
         [](DISPPARAMS* p) { AnswerLong(p, 0, 1); }, false, L"\"state\":1"},
        {L"PermissionRequested", L"{\"permissionKind\":2}", Ev::PermissionRequested,
         [](DISPPARAMS* p) { AnswerLong(p, 0, 2); }, false, L"\"state\":2"},
        {L"PermissionRequested", L"{\"permissionKind\":2}", Ev::PermissionRequested,
         [](DISPPARAMS* p) { AnswerLong(p, 0, 3); }, false, L"\"state\":0"},
        {L"ServerCertificateErrorDetected", L"{\"requestUri\":\"https://bad.test/\",\"errorStatus\":1}",
         Ev::ServerCertificateErrorDetected, [](DISPPARAMS* p) { AnswerLong(p, 0, 1); }, false, L"\"action\":0"},
        {L"ServerCertificateErrorDetected", L"{\"errorStatus\":1}", Ev::ServerCertificateErrorDetected,
         [](DISPPARAMS* p) { AnswerLong(p, 0, 2); }, false, L"\"action\":1"},
        {L"ServerCertificateErrorDetected", L"{\"errorStatus\":1}", Ev::ServerCertificateErrorDetected,
         [](DISPPARAMS* p) { AnswerLong(p, 0, 0); }, false, L"\"action\":2"},
        {L"ServerCertificateErrorDetected", L"{\"errorStatus\":1}", Ev::ServerCertificateErrorDetected,
         [](DISPPARAMS* p) { AnswerLong(p, 0, 2); }, true, L"\"action\":0"},
    };
    for (const Case& c : cases) {
        ctrl->put_IgnoreCertificateErrors(c.ignoreCertificateErrors ? VARIANT_TRUE : VARIANT_FALSE);
        host->sink.onEvent = [&](DISPID id, DISPPARAMS* params) {
            if (id == c.id) c.answer(params);
        };
        const int before = host->sink.Count(c.id);
        const std::wstring answer = Raise(c.event, c.args);
        EXPECT_EQ(host->sink.Count(c.id), before + 1) << c.event;
        EXPECT_TRUE(Has(answer, c.expected)) << c.event << L" " << c.args << L" " << answer;
    }
    EXPECT_EQ(host->sink.events.back().Text(), L"0x10(,1,,&0)");   // as raised, before the answer
}

TEST_F(Browser, F12WithDevToolsOffIsSwallowed) {
    Ready();
    const std::wstring f12 = L"{\"keyEventKind\":0,\"virtualKey\":123,\"keyEventLParam\":1}";
    std::wstring answer = Raise(L"AcceleratorKeyPressed", f12.c_str());
    EXPECT_EQ(host->sink.Count(Ev::AcceleratorKeyPressed), 0);
    EXPECT_TRUE(Has(answer, L"\"handled\":true")) << answer;

    host->sink.onEvent = [](DISPID id, DISPPARAMS* params) {
        if (id == Ev::AcceleratorKeyPressed) AnswerBool(params, 0, VARIANT_TRUE);
    };
    answer = Raise(L"AcceleratorKeyPressed", L"{\"keyEventKind\":0,\"virtualKey\":65,\"keyEventLParam\":7}");
    ASSERT_EQ(host->sink.Count(Ev::AcceleratorKeyPressed), 1);
    EXPECT_EQ(host->sink.events.back().Text(), L"0x21(0,65,7,&false)");
    EXPECT_TRUE(Has(answer, L"\"handled\":true")) << answer;

    ASSERT_EQ(ctrl->put_AreDevToolsEnabled(VARIANT_TRUE), S_OK);
    host->sink.onEvent = nullptr;
    answer = Raise(L"AcceleratorKeyPressed", f12.c_str());
    EXPECT_EQ(host->sink.Count(Ev::AcceleratorKeyPressed), 2);
    EXPECT_TRUE(Has(answer, L"\"handled\":false")) << answer;
}

TEST_F(Browser, ContextMenuEventsOnlyOnceTheHostEnabledMenus) {
    Ready();
    const wchar_t* args = L"{\"locationX\":5,\"locationY\":7,\"pageUri\":\"https://page.test/\",\"linkUri\":\"https://link.test/\"}";
    std::wstring answer = Raise(L"ContextMenuRequested", args);
    EXPECT_EQ(host->sink.Count(Ev::ContextMenuRequested), 0);
    EXPECT_TRUE(Has(answer, L"\"handled\":true")) << answer;

    ASSERT_EQ(ctrl->put_AreDefaultContextMenusEnabled(VARIANT_TRUE), S_OK);
    std::wstring page, link;
    LONG x = 0, y = 0;
    HRESULT badName = S_OK;
    host->sink.onEvent = [&](DISPID id, DISPPARAMS* params) {
        if (id != Ev::ContextMenuRequested) return;
        IDispatch* menu = params->rgvarg[0].pdispVal;
        VARIANT v;
        VariantInit(&v);
        CallByName(menu, L"pageuri", {}, &v);
        page = v.bstrVal ? v.bstrVal : L"";
        VariantClear(&v);
        CallByName(menu, L"LinkUri", {}, &v);
        link = v.bstrVal ? v.bstrVal : L"";
        VariantClear(&v);
        CallByName(menu, L"LocationX", {}, &v);
        x = v.lVal;
        CallByName(menu, L"LocationY", {}, &v);
        y = v.lVal;
        badName = CallByName(menu, L"Nothing", {});
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
    EXPECT_EQ(page, L"https://page.test/");
    EXPECT_EQ(link, L"https://link.test/");
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 7);
    EXPECT_EQ(badName, DISP_E_UNKNOWNNAME);
    EXPECT_TRUE(Has(answer, L"\"handled\":true")) << answer;
}

TEST_F(Browser, FramesGetIdsAndTheirOwnHandlers) {
    Ready();
    Raise(L"FrameCreated", L"{\"name\":\"ads\",\"frameId\":5}");
    ASSERT_EQ(host->sink.Count(Ev::FrameCreated), 1);
    EXPECT_EQ(host->sink.events.back().Text(), L"0x23(ads,frame_5)");
    host->sink.onEvent = [](DISPID id, DISPPARAMS* params) {
        if (id == Ev::FrameNavigationStarting) AnswerBool(params, 0, VARIANT_TRUE);
    };
    std::wstring answer =
        Raise(L"Frame.NavigationStarting", L"{\"frameId\":5,\"uri\":\"https://ads.test/\",\"isRedirected\":true}");
    EXPECT_EQ(host->sink.events.back().Text(), L"0x24(frame_5,https://ads.test/,true,&false)");
    EXPECT_TRUE(Has(answer, L"\"cancel\":true")) << answer;
    Raise(L"Frame.Destroyed", L"{\"frameId\":5}");
    EXPECT_EQ(host->sink.events.back().Text(), L"0x26(frame_5)");
    EXPECT_TRUE(Has(State(), L"\"frames\":[]")) << State();
}

TEST_F(Browser, TwoSinksBothHearAndTheLastAnswerWins) {
    Ready();
    EventSink second;
    IConnectionPointContainer* points = nullptr;
    ASSERT_EQ(ctrl->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points)), S_OK);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(points->FindConnectionPoint(DIID__DCorvaneCtrlEvents, &point), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&second, &cookie), S_OK);
    host->sink.onEvent = [](DISPID id, DISPPARAMS* params) {
        if (id == Ev::NavigationStarting) AnswerBool(params, 0, VARIANT_TRUE);
    };
    second.onEvent = [](DISPID id, DISPPARAMS* params) {
        if (id == Ev::NavigationStarting) AnswerBool(params, 0, VARIANT_FALSE);
    };
    const std::wstring answer = Raise(L"NavigationStarting", L"{\"uri\":\"https://two.test/\"}");
    EXPECT_TRUE(Has(answer, L"\"cancel\":false")) << answer;
    EXPECT_EQ(host->sink.Count(Ev::NavigationStarting), 1);
    EXPECT_EQ(second.Count(Ev::NavigationStarting), 1);
    EXPECT_EQ(second.events.back().Text(), L"0x1(https://two.test/,&true)");   // saw the first sink's answer
    point->Unadvise(cookie);
    point->Release();
    points->Release();
}

// ---- Navigation and the blocking calls ----

TEST_F(Browser, NavigateAcceptsOnlyWebAndAboutSchemes) {
    struct Case {
        const wchar_t* url;
        HRESULT hr;
    } cases[] = {{L"file:///C:/x.html", E_ACCESSDENIED}, {L"javascript:alert(1)", E_ACCESSDENIED},
                 {L"ABOUT:blank", S_OK}, {L"HTTPS://up.test/", S_OK}, {L"http://plain.test/", S_OK}};
    Ready();
    for (const Case& c : cases) {
        Runtime().ClearCallLog();
        BSTR url = SysAllocString(c.url);
        EXPECT_EQ(ctrl->Navigate(url), c.hr) << c.url;
        SysFreeString(url);
        EXPECT_EQ(Has(Log(), std::wstring(L"WebView.Navigate(") + c.url), c.hr == S_OK) << c.url;
    }
    EXPECT_EQ(ctrl->Navigate(nullptr), E_INVALIDARG);
    ASSERT_TRUE(PumpUntil([] { return Has(State(), L"\"source\":\"http://plain.test/\""); }));
    PumpFor(50);

    // A local page reads as no URL.
    Load(L"about:blank");
    BSTR url = nullptr;
    ctrl->get_url(&url);
    EXPECT_EQ(TakeBstr(url), L"");
    // A put never navigates a ready browser.
    Runtime().ClearCallLog();
    BSTR later = SysAllocString(L"https://later.test/");
    EXPECT_EQ(ctrl->put_url(later), S_OK);
    SysFreeString(later);
    EXPECT_FALSE(Has(Log(), L"Navigate("));
}

TEST_F(Browser, HistoryMethodsNeedABrowserAndSomewhereToGo) {
    EXPECT_EQ(ctrl->GoBack(), E_FAIL);
    EXPECT_EQ(ctrl->Refresh(), E_FAIL);
    EXPECT_EQ(ctrl->Stop(), E_FAIL);
    Ready();
    EXPECT_EQ(ctrl->GoBack(), S_FALSE);
    EXPECT_EQ(ctrl->GoForward(), S_FALSE);
    EXPECT_EQ(ctrl->Refresh(), S_OK);
    EXPECT_EQ(ctrl->Stop(), S_OK);
}

TEST_F(Browser, NavigateSyncWaitsForTheDeferredCompletion) {
    Ready();
    BSTR url = SysAllocString(L"https://sync.test/");
    EXPECT_EQ(ctrl->NavigateSync(url), S_OK);
    SysFreeString(url);
    EXPECT_TRUE(Has(State(), L"\"source\":\"https://sync.test/\""));

    BSTR html = SysAllocString(L"<title>T</title>");
    EXPECT_EQ(ctrl->NavigateToStringSync(html), S_OK);
    SysFreeString(html);

    // A load that ends in an error still completes the wait.
    Runtime().HoldNavigations(true);
    ctrl->put_SynchronousTimeOut(3000);
    UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        Runtime().CompleteNavigation(-1, false, 6);
    });
    url = SysAllocString(L"https://broken.test/");
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
        BSTR inner = SysAllocString(L"https://nested.test/");
        s_nested = s_ctrl->NavigateSync(inner);
        SysFreeString(inner);
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
    SysFreeString(url);
}

TEST_F(Browser, BlockingCallsAreRefusedInsideImmediateEventsOnly) {
    Ready();
    IDispatch* automation = nullptr;
    ASSERT_EQ(ctrl->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&automation)), S_OK);
    HRESULT inStarting = S_OK, inCompleted = E_FAIL, scriptInStarting = S_OK;
    std::wstring description, scriptDescription;
    bool nested = false;
    host->sink.onEvent = [&](DISPID id, DISPPARAMS*) {
        if (nested) return;
        nested = true;
        if (id == Ev::NavigationStarting && inStarting == S_OK) {
            inStarting = CallByName(automation, L"NavigateSync", {Str(L"https://inner.test/")}, nullptr, &description);
            scriptInStarting = CallByName(automation, L"ExecuteScript", {Str(L"1+1")}, nullptr, &scriptDescription);
        } else if (id == Ev::NavigationCompleted && inCompleted == E_FAIL) {
            inCompleted = CallByName(automation, L"NavigateSync", {Str(L"https://after.test/")});
        }
        nested = false;
    };
    Load(L"https://outer.test/");
    ASSERT_TRUE(PumpUntil([&] { return inCompleted != E_FAIL; }));

    const std::wstring expected =
        L"NavigateSync cannot complete here: WebView2 is still raising the NavigationStarting event, and WebView2 "
        L"does not report the end of the operation until that has returned. Waiting would only end in a timeout, "
        L"so nothing was started. Use Navigate instead (NavigationCompleted reports the end of the load), or call "
        L"it after this handler has returned, for example from a timer.";
    EXPECT_EQ(inStarting, kReentrant);
    EXPECT_EQ(description, expected);
    EXPECT_EQ(scriptInStarting, kReentrant);
    EXPECT_TRUE(Has(scriptDescription, L"ExecuteScript cannot return a result here: WebView2 is still raising the "
                                       L"NavigationStarting event, and WebView2 does not deliver script results"))
        << scriptDescription;
    EXPECT_EQ(inCompleted, S_OK);
    EXPECT_FALSE(Has(Log(), L"inner.test"));
    EXPECT_TRUE(Has(Log(), L"WebView.Navigate(https://after.test/)"));
    automation->Release();
}

TEST_F(Browser, ExecuteScriptReturnsThePagesJsonOrTimesOut) {
    Ready();
    Runtime().SetScriptFunction(
        [](void*, int, const wchar_t* script, HRESULT* hr, BSTR* result) {
            if (wcscmp(script, L"forever") == 0) return ScriptAnswer::Never;
            if (wcscmp(script, L"fails") == 0) *hr = E_INVALIDARG;   // the browser reports an error code
            *result = SysAllocString(wcscmp(script, L"1+1") == 0 ? L"2" : L"\"abc\"");
            return ScriptAnswer::Later;
        },
        nullptr);
    BSTR script = SysAllocString(L"1+1");
    BSTR result = nullptr;
    EXPECT_EQ(ctrl->ExecuteScript(script, &result), S_OK);
    EXPECT_EQ(TakeBstr(result), L"2");
    SysFreeString(script);
    script = SysAllocString(L"'abc'");
    EXPECT_EQ(ctrl->ExecuteScript(script, &result), S_OK);
    EXPECT_EQ(TakeBstr(result), L"\"abc\"");
    SysFreeString(script);

    script = SysAllocString(L"fails");
    result = SysAllocString(L"sentinel");
    EXPECT_EQ(ctrl->ExecuteScript(script, &result), E_INVALIDARG);
    EXPECT_EQ(result, nullptr);
    SysFreeString(script);

    ctrl->put_SynchronousTimeOut(150);
    script = SysAllocString(L"forever");
    EXPECT_EQ(ctrl->ExecuteScript(script, &result), kTimeout);
    EXPECT_EQ(LastError(ctrl), L"ExecuteScript got no result from the page within 150 ms (SynchronousTimeOut). "
                               L"The page's JavaScript may still be busy.");
    EXPECT_EQ(LastErrorCode(ctrl), kTimeout);
    SysFreeString(script);
    Runtime().SetScriptFunction(nullptr, nullptr);
}

// Start-up settings put once the browser exists: each row answers by its own
// rule, and only some through COM error information.
TEST_F(Browser, LateStartUpSettingsAnswerByTheirRule) {
    Ready();
    BSTR text = SysAllocString(L"x");
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
    SysFreeString(text);
}

TEST_F(Browser, LiveSettingsReachTheBrowser) {
    double zoom = 0;
    EXPECT_EQ(ctrl->put_zoomFactor(2.0), E_FAIL);
    Ready();
    EXPECT_EQ(ctrl->put_zoomFactor(7.0), S_OK);
    ctrl->get_zoomFactor(&zoom);
    EXPECT_EQ(zoom, 5.0);
    EXPECT_EQ(ctrl->put_zoomFactor(0.0), S_OK);
    ctrl->get_zoomFactor(&zoom);
    EXPECT_EQ(zoom, 0.1);

    Runtime().ClearCallLog();
    EXPECT_EQ(ctrl->put_IsStatusBarEnabled(VARIANT_FALSE), S_OK);
    EXPECT_TRUE(Has(Log(), L"WebView.Reload()"));
    VARIANT_BOOL flag = VARIANT_TRUE;
    Runtime().ClearCallLog();
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


// ---- The settings store before a browser exists, late-bound as a macro uses it ----

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

TEST_F(Browser, SettingsBeforeTheBrowserKeepTheirValuesOrRefuse) {
    IDispatch* o = nullptr;
    ASSERT_EQ(ctrl->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&o)), S_OK);
    // Kept by the control: a put reads back; an empty text clears.
    struct Kept {
        const wchar_t* name;
        std::wstring before;
        VARIANT value;
        std::wstring after;
    } kept[] = {
        {L"AdditionalBrowserArguments", L"8:", Str(L"--mute-audio"), L"8:--mute-audio"},
        {L"Language", L"8:", Str(L"de-DE"), L"8:de-DE"},
        {L"BrowserExecutableFolder", L"8:", Str(L"C:\\Runtimes\\Fixed 120"), L"8:C:\\Runtimes\\Fixed 120"},
        {L"proxyServer", L"8:", Str(L"http://proxy.example:8080"), L"8:http://proxy.example:8080"},
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
    };
    for (Kept& row : kept) {
        EXPECT_EQ(Read(o, row.name), row.before) << row.name;
        EXPECT_EQ(PutByName(o, row.name, row.value), S_OK) << row.name;
        EXPECT_EQ(Read(o, row.name), row.after) << row.name;
    }
    EXPECT_EQ(PutByName(o, L"Language", Var(VT_EMPTY)), S_OK);
    EXPECT_EQ(Read(o, L"Language"), L"8:");
    std::wstring error;
    EXPECT_EQ(PutByName(o, L"SynchronousTimeOut", I4(-1), &error), E_INVALIDARG);
    EXPECT_EQ(error, L"SynchronousTimeOut cannot be negative.");
    EXPECT_EQ(Read(o, L"SynchronousTimeOut"), L"3:0");

    // The browser's own settings answer their defaults; puts fail and change nothing.
    struct Live {
        const wchar_t* name;
        std::wstring value;
        VARIANT put;
    } live[] = {
        {L"IsScriptEnabled", L"11:True", Bool(false)},          {L"IsWebMessageEnabled", L"11:True", Bool(false)},
        {L"DefaultScriptDialogsEnabled", L"11:True", Bool(false)}, {L"IsStatusBarEnabled", L"11:True", Bool(false)},
        {L"AreDevToolsEnabled", L"11:True", Bool(false)},       {L"AreHostObjectsAllowed", L"11:True", Bool(false)},
        {L"IsPasswordAutosaveEnabled", L"11:False", Bool(true)}, {L"HiddenPdfToolbarItems", L"3:0", I4(3)},
        {L"NonClientRegionSupportEnabled", L"11:False", Bool(true)}, {L"IsMuted", L"11:False", Bool(true)},
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

    // Members that stay in the interface without doing any work say why in LastError.
    struct Gone {
        const wchar_t* name;
        std::vector<VARIANT> args;
        const wchar_t* reason;
    } gone[] = {
        {L"OpenOfficeDocument", {Str(L"C:\\q3.docx")},
         L"Office document editing has been removed. Use ShowDocumentPreview() for read-only preview."},
        {L"EnableStealthMode", {}, L"EnableStealthMode is not available in this build."},
        {L"SolveRecaptchaV2", {Str(L"key"), Str(L"https://example.com/")},
         L"SolveRecaptchaV2 is not available in this build."},
    };
    for (Gone& row : gone) {
        EXPECT_EQ(CallByName(o, row.name, row.args), E_NOTIMPL) << row.name;
        EXPECT_EQ(LastError(ctrl), row.reason);
    }
    o->Release();
}

}  // namespace

// ---- What a macro sees: VBScript run by Wine's own engine ----

namespace {

const CLSID kVBScript = {0xB54F3741, 0x5B07, 0x11CF, {0xA4, 0xB0, 0x00, 0xAA, 0x00, 0x4A, 0x55, 0xE8}};
// IActiveScriptParse of 64-bit engines; mingw's uuid library lacks it.
const IID kActiveScriptParse64 = {0xC7EF7658, 0xE1EE, 0x480E, {0x97, 0xEA, 0xD5, 0x2C, 0xB4, 0xD7, 0x6D, 0x17}};

// Answers every name with one member and keeps the last call's arguments:
// the script reports through it what it saw.
class Recorder : public IDispatch {
public:
    std::vector<std::wstring> args;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT n, LCID, DISPID* ids) override {
        for (UINT i = 0; i < n; ++i) ids[i] = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        args.clear();
        for (UINT i = params->cArgs; i-- > 0;) {
            VARIANT text;
            VariantInit(&text);
            VariantChangeType(&text, &params->rgvarg[i], 0, VT_BSTR);
            args.push_back(text.vt == VT_BSTR ? std::wstring(text.bstrVal, SysStringLen(text.bstrVal)) : L"?");
            VariantClear(&text);
        }
        return S_OK;
    }
};

// The smallest script site: named items "Ctrl" (the control) and "Out".
class ScriptSite : public IActiveScriptSite {
public:
    ScriptSite(IDispatch* ctrl, IDispatch* out) : ctrl_(ctrl), out_(out) {}
    std::wstring error;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IActiveScriptSite)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** unknown, ITypeInfo** info) override {
        if (info) *info = nullptr;
        if (!(mask & SCRIPTINFO_IUNKNOWN)) return S_OK;
        IDispatch* item = _wcsicmp(name, L"Ctrl") == 0 ? ctrl_ : _wcsicmp(name, L"Out") == 0 ? out_ : nullptr;
        if (!item) return TYPE_E_ELEMENTNOTFOUND;
        item->AddRef();
        *unknown = item;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* e) override {
        EXCEPINFO info{};
        e->GetExceptionInfo(&info);
        error = info.bstrDescription ? info.bstrDescription : L"script error";
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

private:
    IDispatch* ctrl_;
    IDispatch* out_;
};

}  // namespace

// Wine's script host cannot connect a script's handlers to an object's
// events, so a C++ sink takes the event and the macro code inside it is
// VBScript run by Wine's engine: Err is exactly what a macro would read.
TEST_F(Browser, VBScriptSeesTheGuardsErrorInsideAnImmediateEvent) {
    Ready();
    IDispatch* automation = nullptr;
    ASSERT_EQ(ctrl->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&automation)), S_OK);
    IActiveScript* engine = nullptr;
    ASSERT_EQ(CoCreateInstance(kVBScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                               reinterpret_cast<void**>(&engine)), S_OK);
    IActiveScriptParse* parse = nullptr;
    ASSERT_EQ(engine->QueryInterface(kActiveScriptParse64, reinterpret_cast<void**>(&parse)), S_OK);
    Recorder out;
    ScriptSite site(automation, &out);
    ASSERT_EQ(engine->SetScriptSite(&site), S_OK);
    ASSERT_EQ(parse->InitNew(), S_OK);
    ASSERT_EQ(engine->AddNamedItem(L"Ctrl", SCRIPTITEM_ISVISIBLE), S_OK);
    ASSERT_EQ(engine->AddNamedItem(L"Out", SCRIPTITEM_ISVISIBLE), S_OK);
    ASSERT_EQ(engine->SetScriptState(SCRIPTSTATE_CONNECTED), S_OK);

    const wchar_t* macro =
        L"On Error Resume Next\n"
        L"Ctrl.NavigateSync \"https://inner.test/\"\n"
        L"Out.Report Hex(Err.Number), Err.Description, Ctrl.LastError, Hex(Ctrl.LastErrorCode)\n";
    bool ran = false;
    host->sink.onEvent = [&](DISPID id, DISPPARAMS*) {
        if (id != Ev::NavigationStarting || ran) return;
        ran = true;
        EXCEPINFO info{};
        EXPECT_EQ(parse->ParseScriptText(macro, nullptr, nullptr, nullptr, 0, 0, SCRIPTTEXT_ISVISIBLE, nullptr, &info),
                  S_OK);
    };
    Raise(L"NavigationStarting", L"{\"uri\":\"https://outer.test/\"}");
    ASSERT_TRUE(ran);
    EXPECT_EQ(site.error, L"");
    // The sentence itself is checked where the blocking calls are: here, that a macro reads it.
    ASSERT_EQ(out.args.size(), 4u);
    EXPECT_EQ(out.args[0], L"80040203");
    EXPECT_TRUE(Has(out.args[1], L"NavigateSync cannot complete here: WebView2 is still raising the NavigationStarting"))
        << out.args[1];
    EXPECT_EQ(out.args[2], out.args[1]);
    EXPECT_EQ(out.args[3], L"80040203");
    EXPECT_FALSE(Has(Log(), L"inner.test"));

    engine->Close();
    parse->Release();
    engine->Release();
    automation->Release();
}
