// The test runtime: an in-process, scriptable stand-in for the browser
// runtime. corvane_test_runtime.dll exports the platform loader's two entry
// points, so the control finds it through CORVANE_WEBVIEW2_RUNTIME, plus
// CorvaneTestRuntime(), which hands a test the control interface below. A test
// loads the same DLL path with LoadLibraryW, so the control and the test share
// one runtime.
//
// Left alone the runtime behaves like a healthy browser: creations complete
// through messages posted to a hidden window of the calling thread (never
// inside the call), navigations run as a series of posted steps, scripts
// answer "null" through a posted message. Everything lives on the thread that
// created it; call the interface below from that thread too, and pump
// messages for anything posted to happen.
//
// What a host sees:
//  - CreateCoreWebView2EnvironmentWithOptions with no version set fails by
//    itself with HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND); a null handler is
//    E_POINTER. CreateCoreWebView2Controller needs a real parent window
//    (E_INVALIDARG otherwise); the controller starts visible, bounds 0,0,0,0,
//    zoom 1, ParentWindow the given window.
//  - A new web view's Source and DocumentTitle are "about:blank". Navigate
//    needs a URI with a scheme (E_INVALIDARG otherwise). NavigateToString
//    navigates to "about:blank", titled so; other navigations are titled
//    with their URI.
//  - A navigation posts, one message each: NavigationStarting (ids 1, 2, ...
//    per web view); cancelled: NavigationCompleted(FALSE, OPERATION_CANCELED);
//    else SourceChanged, ContentLoading, HistoryChanged, DOMContentLoaded,
//    DocumentTitleChanged, NavigationCompleted(TRUE, status 0, HTTP 200). A new
//    navigation overtakes one still running (which completes as cancelled);
//    Stop cancels running and held ones.
//  - Controller::Close, or letting go of the controller, closes the web view:
//    its handlers and the controller's are released, held navigations and
//    scripts held by Never are dropped, later calls on either answer
//    HRESULT_FROM_WIN32(ERROR_INVALID_STATE) (remove_X and Close excepted).
//    Methods no test needs answer E_NOTIMPL (and are logged).
//    Script answers already posted still arrive.
//
// Web views are numbered 0, 1, ... in creation order since the last Reset (one
// per controller, made when the controller is created); -1 means the newest.
// A released one keeps its number: State answers the state it was released
// in, with "released":true first; Raise answers an error.
//
// Call log: one line per call into a runtime object, "Object.Method(arg|arg)".
// Objects: Loader, Environment, ControllerOptions, Controller, WebView,
// Settings, Profile, Frame, Find, FindOptions, PrintSettings, DevToolsReceiver.
// Arguments are the in-parameters in order
// (out-parameters and handler/object pointers are left out): strings as they
// are ("(null)" for a null one), integers, BOOLs and enums in decimal,
// doubles with %g, HWNDs in decimal, RECT "l,t,r,b", POINT "x,y", colours
// "a,r,g,b", a removal's token in decimal. Getters log too, e.g.
// "WebView.get_Source()". Event arguments objects are not logged. Lines
// written by the runtime itself:
//   Loader.GetAvailableCoreWebView2BrowserVersionString(browserFolder)
//   Loader.CreateCoreWebView2EnvironmentWithOptions(browserFolder|userDataFolder|additionalBrowserArguments|language)
// Set CORVANE_TEST_RUNTIME_TRACE=1 to echo the log to stdout as it is written.
//
// Raise(webView, eventName, argsJson) raises an event synchronously on the
// calling thread and answers, as a JSON object, what the handlers set. The
// events it knows, their senders and answer keys are the table kEvents in
// runtime_events.cpp ("Frame.<Event>" with "frameId" naming a frame made by
// FrameCreated; environment events with no such web view go to the newest
// environment). Argument keys are the args getters in lower camel case
// (get_IsSuccess -> "isSuccess"; "kind" for any ...Kind, "reason" for a focus
// move's reason); missing ones read as ""/0/false, enums are numbers. Special
// keys: ProcessFailed "frameNames" (names of the failed frame infos);
// SourceChanged "source" sets the Source first;
// WebMessageReceived without "webMessageAsString" fails
// TryGetWebMessageAsString, with only it the JSON form is its JSON string.
// For events without arguments the given keys set the sender's properties of
// those names first; Frame.Destroyed also forgets the frame. Every answer also has
// "handlers" (how many were called). An unknown web view, event or frame, or
// unreadable JSON, answers {"error":"..."}.
//
// State(webView) answers a JSON object with the keys: source, parentWindow
// (decimal HWND), visible, bounds [l,t,r,b], suspended, closed, settings
// {"IsScriptEnabled": true, ...: the SDK's names}, handlers {eventName: count;
// the controller's events included}, frames [{"frameId","name"}].
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace CorvaneTest {

enum class CreationStep {
    VersionQuery,   // GetAvailableCoreWebView2BrowserVersionString
    Environment,    // CreateCoreWebView2EnvironmentWithOptions
    Controller,     // ICoreWebView2Environment::CreateCoreWebView2Controller(WithOptions)
    WebView,        // ICoreWebView2Controller::get_CoreWebView2
    COUNT
};

// When an ExecuteScript completion is invoked: through a posted message (what
// a real browser does), or never (until the web view closes).
enum class ScriptAnswer { Later, Never };

// Answers one ExecuteScript of web view `webView` (numbered as below). `hr`
// comes in as S_OK and `resultJson` as null; set them (the runtime frees the
// BSTR). A result left null is "null".
using ScriptFunction = ScriptAnswer (*)(void* context, int webView, const wchar_t* script, HRESULT* hr,
                                        BSTR* resultJson);

class TestRuntime {
public:
    // Healthy defaults again: version, process id, no failures, refusals or
    // holds, the default script function, an empty call log, web view numbers
    // starting again at 0. Held creations, held navigations and scripts held
    // by Never are dropped (never completed); work already posted still runs.
    // Live objects stay alive and keep working.
    virtual void Reset() = 0;

    // Default "120.0.2210.91". Null or empty: the version query fails with
    // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) and no string. Environments
    // created afterwards report it as BrowserVersionString.
    virtual void SetVersion(const wchar_t* version) = 0;

    // The step completes with `hr` (VersionQuery: returns it, with no string;
    // WebView: get_CoreWebView2 returns it with a null pointer). S_FALSE for
    // Controller or WebView: succeeds with a null pointer. S_OK clears.
    virtual void FailStep(CreationStep step, HRESULT hr) = 0;

    // Creation completions stay queued until ReleaseCreation, which posts them
    // and answers how many.
    virtual void HoldCreation(bool held) = 0;
    virtual int ReleaseCreation() = 0;

    // Every runtime object answers E_NOINTERFACE for `iid` (an older runtime).
    virtual void RefuseRevision(REFIID iid) = 0;

    // Navigations raise NavigationStarting and then wait for
    // CompleteNavigation, which finishes the web view's oldest held navigation
    // through posted steps: success runs the usual events, failure raises
    // NavigationCompleted(FALSE, webErrorStatus) with the source unchanged.
    // Answers S_OK, E_INVALIDARG for no such live web view, or
    // HRESULT_FROM_WIN32(ERROR_NOT_FOUND) when none is held.
    virtual void HoldNavigations(bool held) = 0;
    virtual HRESULT CompleteNavigation(int webView, bool success, LONG webErrorStatus) = 0;

    // Null: the default, every script answers S_OK "null" Later.
    virtual void SetScriptFunction(ScriptFunction function, void* context) = 0;

    // Web views created since Reset, released and closed ones included.
    virtual int WebViewCount() = 0;

    // See the comment at the top for events, argument and answer keys.
    virtual BSTR Raise(int webView, const wchar_t* eventName, const wchar_t* argsJson) = 0;
    virtual BSTR State(int webView) = 0;
    virtual BSTR CallLog() = 0;
    virtual void ClearCallLog() = 0;

    // What get_BrowserProcessId answers; default 0x7FFFFFF0, which names no process.
    virtual void SetBrowserProcessId(DWORD pid) = 0;

    // The creating call itself returns `hr` and never completes (Environment:
    // CreateCoreWebView2EnvironmentWithOptions; Controller:
    // CreateCoreWebView2Controller). S_OK clears; Reset clears.
    virtual void FailCall(CreationStep step, HRESULT hr) = 0;

    // Runtime COM objects alive now (environments, controllers, web views,
    // settings, frames, event arguments, ...): 0 once a host let go of all.
    virtual int LiveObjects() = 0;

protected:
    ~TestRuntime() = default;
};

using TestRuntimeExport = TestRuntime* (*)();
inline constexpr const char* kTestRuntimeExport = "CorvaneTestRuntime";

// The runtime of the DLL at `path` (loaded and kept), or null.
inline TestRuntime* LoadTestRuntime(const wchar_t* path) {
    HMODULE module = LoadLibraryW(path);
    if (!module) return nullptr;
    auto get = reinterpret_cast<TestRuntimeExport>(reinterpret_cast<void*>(GetProcAddress(module, kTestRuntimeExport)));
    return get ? get() : nullptr;
}

}  // namespace CorvaneTest

#ifdef CORVANE_TEST_RUNTIME_BUILD
extern "C" __declspec(dllexport) CorvaneTest::TestRuntime* CorvaneTestRuntime();
#endif
