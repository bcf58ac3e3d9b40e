// The test runtime on its own, driven through its exports as the control
// drives it: creation completes only through posted messages, each creation
// step fails on request with the code delivered where a host sees it,
// navigations raise their events in order and keep a history, Raise answers
// what handlers set, scripts answer Now/Later/Never, revisions can be refused,
// and nothing crashes when posted work outlives its objects.
#include "win_test_support.h"

#include <string>
#include <vector>

#include "com_ptr.h"
#include "runtime/callback.h"
#include "runtime/webview2.h"
#include "test_runtime_api.h"

using Corvane::Callback;
using Corvane::ComPtr;

// Handlers lock the module they live in; this test program is never unloaded.
namespace Corvane {
void ModuleLock() {}
void ModuleUnlock() {}
}  // namespace Corvane
using CorvaneTest::CreationStep;
using CorvaneTest::ScriptAnswer;
using CorvaneTest::TestRuntime;
using CorvaneTest::Has;
using CorvaneTest::PumpPosted;

namespace {

using VersionFn = HRESULT(STDAPICALLTYPE*)(PCWSTR, LPWSTR*);
using CreateFn = HRESULT(STDAPICALLTYPE*)(PCWSTR, PCWSTR, ICoreWebView2EnvironmentOptions*,
                                          ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*);

std::wstring DllPath() { return CorvaneTest::ExeFolder() + L"corvane_test_runtime.dll"; }
TestRuntime* Runtime() {
    static TestRuntime* runtime = CorvaneTest::LoadTestRuntime(DllPath().c_str());
    return runtime;
}
template <class F>
F RuntimeExport(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(DllPath().c_str()), name)));
}

std::wstring Take(BSTR s) {
    std::wstring text = s ? std::wstring(s, SysStringLen(s)) : L"(null)";
    SysFreeString(s);
    return text;
}
std::wstring TakeCo(LPWSTR s) {
    std::wstring text = s ? s : L"(null)";
    CoTaskMemFree(s);
    return text;
}

struct Browser {
    ComPtr<ICoreWebView2Environment> environment;
    ComPtr<ICoreWebView2Controller> controller;
    ComPtr<ICoreWebView2> webView;
};

class TestRuntimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Runtime(), nullptr) << "corvane_test_runtime.dll with CorvaneTestRuntime";
        Runtime()->Reset();
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override {
        PumpPosted();
        Runtime()->Reset();
        DestroyWindow(parent_);
    }

    HRESULT StartEnvironment(HRESULT* delivered, ComPtr<ICoreWebView2Environment>* out) {
        auto create = RuntimeExport<CreateFn>("CreateCoreWebView2EnvironmentWithOptions");
        auto handler = Callback<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
            [delivered, out](HRESULT hr, ICoreWebView2Environment* environment) {
                *delivered = hr;
                *out = ComPtr<ICoreWebView2Environment>(environment);
                return S_OK;
            });
        return create(L"C:\\browser", L"C:\\data", nullptr, handler.get());
    }

    HRESULT StartController(ICoreWebView2Environment* environment, HRESULT* delivered,
                            ComPtr<ICoreWebView2Controller>* out) {
        auto handler = Callback<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
            [delivered, out](HRESULT hr, ICoreWebView2Controller* controller) {
                *delivered = hr;
                *out = ComPtr<ICoreWebView2Controller>(controller);
                return S_OK;
            });
        return environment->CreateCoreWebView2Controller(parent_, handler.get());
    }

    Browser Create() {
        Browser b;
        HRESULT hr = E_PENDING;
        EXPECT_EQ(StartEnvironment(&hr, &b.environment), S_OK);
        PumpPosted();
        EXPECT_EQ(hr, S_OK);
        if (!b.environment) return b;
        hr = E_PENDING;
        EXPECT_EQ(StartController(b.environment.get(), &hr, &b.controller), S_OK);
        PumpPosted();
        EXPECT_EQ(hr, S_OK);
        if (b.controller) {
            EXPECT_EQ(b.controller->get_CoreWebView2(b.webView.put()), S_OK);
        }
        return b;
    }

    HWND parent_ = nullptr;
};

// Records, in order, which of the navigation events a web view raised.
struct EventRecorder {
    std::vector<std::wstring> events;
    BOOL lastSuccess = -1;
    COREWEBVIEW2_WEB_ERROR_STATUS lastStatus = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
    int lastHttpStatus = -1;
    bool cancelNext = false;

    void Attach(ICoreWebView2* webView) {
        EventRegistrationToken token;
        webView->add_NavigationStarting(Callback<ICoreWebView2NavigationStartingEventHandler>(
                                            [this](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
                                                events.push_back(L"NavigationStarting");
                                                if (cancelNext) args->put_Cancel(TRUE);
                                                return S_OK;
                                            }).get(),
                                        &token);
        webView->add_SourceChanged(Callback<ICoreWebView2SourceChangedEventHandler>(
                                       [this](ICoreWebView2*, ICoreWebView2SourceChangedEventArgs*) {
                                           events.push_back(L"SourceChanged");
                                           return S_OK;
                                       }).get(),
                                   &token);
        webView->add_ContentLoading(Callback<ICoreWebView2ContentLoadingEventHandler>(
                                        [this](ICoreWebView2*, ICoreWebView2ContentLoadingEventArgs*) {
                                            events.push_back(L"ContentLoading");
                                            return S_OK;
                                        }).get(),
                                    &token);
        webView->add_HistoryChanged(Callback<ICoreWebView2HistoryChangedEventHandler>([this](ICoreWebView2*, IUnknown*) {
                                        events.push_back(L"HistoryChanged");
                                        return S_OK;
                                    }).get(),
                                    &token);
        ComPtr<ICoreWebView2_2> webView2;
        if (SUCCEEDED(ComPtr<ICoreWebView2>(webView).Query(webView2)))
            webView2->add_DOMContentLoaded(Callback<ICoreWebView2DOMContentLoadedEventHandler>(
                                               [this](ICoreWebView2*, ICoreWebView2DOMContentLoadedEventArgs*) {
                                                   events.push_back(L"DOMContentLoaded");
                                                   return S_OK;
                                               }).get(),
                                           &token);
        webView->add_DocumentTitleChanged(Callback<ICoreWebView2DocumentTitleChangedEventHandler>(
                                              [this](ICoreWebView2*, IUnknown*) {
                                                  events.push_back(L"DocumentTitleChanged");
                                                  return S_OK;
                                              }).get(),
                                          &token);
        webView->add_NavigationCompleted(Callback<ICoreWebView2NavigationCompletedEventHandler>(
                                             [this](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* args) {
                                                 events.push_back(L"NavigationCompleted");
                                                 args->get_IsSuccess(&lastSuccess);
                                                 args->get_WebErrorStatus(&lastStatus);
                                                 ComPtr<ICoreWebView2NavigationCompletedEventArgs2> args2;
                                                 if (SUCCEEDED(ComPtr<ICoreWebView2NavigationCompletedEventArgs>(args).Query(args2)))
                                                     args2->get_HttpStatusCode(&lastHttpStatus);
                                                 return S_OK;
                                             }).get(),
                                         &token);
    }
};

std::wstring Source(ICoreWebView2* webView) {
    LPWSTR uri = nullptr;
    webView->get_Source(&uri);
    return TakeCo(uri);
}

}  // namespace

// --- Creation ---

TEST_F(TestRuntimeTest, CreationCompletesOnlyThroughPostedMessages) {
    LPWSTR version = nullptr;
    EXPECT_EQ(RuntimeExport<VersionFn>("GetAvailableCoreWebView2BrowserVersionString")(nullptr, &version), S_OK);
    EXPECT_EQ(TakeCo(version), L"120.0.2210.91");

    HRESULT hr = E_PENDING;
    ComPtr<ICoreWebView2Environment> environment;
    ASSERT_EQ(StartEnvironment(&hr, &environment), S_OK);
    EXPECT_EQ(hr, E_PENDING) << "completed inside the call";
    PumpPosted();
    ASSERT_EQ(hr, S_OK);
    ASSERT_TRUE(environment);
    LPWSTR text = nullptr;
    EXPECT_EQ(environment->get_BrowserVersionString(&text), S_OK);
    EXPECT_EQ(TakeCo(text), L"120.0.2210.91");

    hr = E_PENDING;
    ComPtr<ICoreWebView2Controller> controller;
    ASSERT_EQ(StartController(environment.get(), &hr, &controller), S_OK);
    EXPECT_EQ(hr, E_PENDING);
    PumpPosted();
    ASSERT_EQ(hr, S_OK);
    ASSERT_TRUE(controller);
    HWND parent = nullptr;
    BOOL visible = FALSE;
    controller->get_ParentWindow(&parent);
    controller->get_IsVisible(&visible);
    EXPECT_EQ(parent, parent_);
    EXPECT_TRUE(visible);
    EXPECT_EQ(Runtime()->WebViewCount(), 1);

    std::wstring log = Take(Runtime()->CallLog());
    EXPECT_TRUE(Has(log, L"Loader.CreateCoreWebView2EnvironmentWithOptions(C:\\browser|C:\\data||)\n")) << log;
    EXPECT_TRUE(Has(log, L"Environment.CreateCoreWebView2Controller(" +
                             std::to_wstring(reinterpret_cast<INT_PTR>(parent_)) + L")\n"))
        << log;
    Runtime()->Reset();
    EXPECT_EQ(Runtime()->WebViewCount(), 0) << "numbers start again at Reset";
    EXPECT_TRUE(Has(Take(Runtime()->State(-1)), L"\"error\""));
}

TEST_F(TestRuntimeTest, EachCreationStepFailsWithTheCodeGiven) {
    const HRESULT code = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    for (CreationStep step : {CreationStep::VersionQuery, CreationStep::Environment, CreationStep::Controller,
                              CreationStep::WebView}) {
        SCOPED_TRACE(static_cast<int>(step));
        Runtime()->Reset();
        Runtime()->FailStep(step, code);
        LPWSTR version = nullptr;
        HRESULT versionHr = RuntimeExport<VersionFn>("GetAvailableCoreWebView2BrowserVersionString")(nullptr, &version);
        EXPECT_EQ(versionHr, step == CreationStep::VersionQuery ? code : S_OK);
        EXPECT_EQ(version == nullptr, step == CreationStep::VersionQuery);
        CoTaskMemFree(version);

        HRESULT hr = E_PENDING;
        ComPtr<ICoreWebView2Environment> environment;
        ASSERT_EQ(StartEnvironment(&hr, &environment), S_OK);
        PumpPosted();
        EXPECT_EQ(hr, step == CreationStep::Environment ? code : S_OK);
        if (!environment) continue;
        hr = E_PENDING;
        ComPtr<ICoreWebView2Controller> controller;
        ASSERT_EQ(StartController(environment.get(), &hr, &controller), S_OK);
        PumpPosted();
        EXPECT_EQ(hr, step == CreationStep::Controller ? code : S_OK);
        if (!controller) continue;
        ComPtr<ICoreWebView2> webView;
        EXPECT_EQ(controller->get_CoreWebView2(webView.put()), step == CreationStep::WebView ? code : S_OK);
        EXPECT_EQ(!webView, step == CreationStep::WebView);
    }
}

TEST_F(TestRuntimeTest, OtherCreationFailures) {
    // A controller that "succeeds" without an object, a call that fails by
    // itself, and a runtime with no browser installed.
    Browser b = Create();
    Runtime()->FailStep(CreationStep::Controller, S_FALSE);
    HRESULT hr = E_PENDING;
    ComPtr<ICoreWebView2Controller> controller;
    ASSERT_EQ(StartController(b.environment.get(), &hr, &controller), S_OK);
    PumpPosted();
    EXPECT_EQ(hr, S_OK);
    EXPECT_FALSE(controller);

    Runtime()->FailCall(CreationStep::Controller, E_ABORT);
    hr = E_PENDING;
    EXPECT_EQ(StartController(b.environment.get(), &hr, &controller), E_ABORT);
    PumpPosted();
    EXPECT_EQ(hr, E_PENDING) << "a failed call must not complete as well";

    Runtime()->Reset();
    Runtime()->SetVersion(L"");
    LPWSTR version = nullptr;
    EXPECT_EQ(RuntimeExport<VersionFn>("GetAvailableCoreWebView2BrowserVersionString")(nullptr, &version),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(version, nullptr);
    ComPtr<ICoreWebView2Environment> environment;
    EXPECT_EQ(StartEnvironment(&hr, &environment), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST_F(TestRuntimeTest, HeldCreationWaitsForRelease) {
    Runtime()->HoldCreation(true);
    HRESULT hr = E_PENDING;
    ComPtr<ICoreWebView2Environment> environment;
    ASSERT_EQ(StartEnvironment(&hr, &environment), S_OK);
    PumpPosted();
    EXPECT_EQ(hr, E_PENDING);
    EXPECT_EQ(Runtime()->ReleaseCreation(), 1);
    EXPECT_EQ(hr, E_PENDING) << "released completions are posted, not run";
    PumpPosted();
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(Runtime()->ReleaseCreation(), 0);
}

TEST_F(TestRuntimeTest, RefusedRevisionIsMissingOnEveryObjectUntilReset) {
    Browser b = Create();
    ASSERT_TRUE(b.webView);
    Runtime()->RefuseRevision(__uuidof(ICoreWebView2_3));
    ComPtr<ICoreWebView2_3> third;
    ComPtr<ICoreWebView2_2> second;
    EXPECT_EQ(b.webView.Query(third), E_NOINTERFACE);
    EXPECT_EQ(b.webView.Query(second), S_OK);
    EXPECT_EQ(second.Query(third), E_NOINTERFACE);
    Runtime()->Reset();
    EXPECT_EQ(b.webView.Query(third), S_OK);
    // Revisions are one object.
    ComPtr<IUnknown> a, c;
    b.webView.Query(a);
    third.Query(c);
    EXPECT_EQ(a.get(), c.get());
}

// --- Navigation ---

TEST_F(TestRuntimeTest, NavigationRaisesItsEventsInOrderAndKeepsHistory) {
    Browser b = Create();
    ASSERT_TRUE(b.webView);
    EventRecorder recorder;
    recorder.Attach(b.webView.get());

    ASSERT_EQ(b.webView->Navigate(L"https://a.test/"), S_OK);
    EXPECT_TRUE(recorder.events.empty()) << "events inside Navigate";
    PumpPosted();
    const std::vector<std::wstring> order = {L"NavigationStarting", L"SourceChanged",        L"ContentLoading",
                                             L"HistoryChanged",     L"DOMContentLoaded",     L"DocumentTitleChanged",
                                             L"NavigationCompleted"};
    EXPECT_EQ(recorder.events, order);
    EXPECT_EQ(recorder.lastSuccess, TRUE);
    EXPECT_EQ(recorder.lastHttpStatus, 200);
    EXPECT_EQ(Source(b.webView.get()), L"https://a.test/");

    BOOL back = TRUE, forward = TRUE;
    b.webView->get_CanGoBack(&back);
    EXPECT_FALSE(back) << "the first page has nothing behind it";
    b.webView->NavigateToString(L"<html><title>Second</title></html>");
    PumpPosted();
    LPWSTR title = nullptr;
    b.webView->get_DocumentTitle(&title);
    EXPECT_EQ(TakeCo(title), L"Second");
    EXPECT_EQ(Source(b.webView.get()), L"about:blank");
    b.webView->get_CanGoBack(&back);
    EXPECT_TRUE(back);

    ASSERT_EQ(b.webView->GoBack(), S_OK);
    PumpPosted();
    EXPECT_EQ(Source(b.webView.get()), L"https://a.test/");
    b.webView->get_CanGoBack(&back);
    b.webView->get_CanGoForward(&forward);
    EXPECT_FALSE(back);
    EXPECT_TRUE(forward);
    recorder.events.clear();
    EXPECT_EQ(b.webView->GoBack(), S_OK);
    PumpPosted();
    EXPECT_TRUE(recorder.events.empty()) << "GoBack with nothing behind must do nothing";
}

TEST_F(TestRuntimeTest, CancelledAndHeldNavigationsEndWithTheirStatus) {
    Browser b = Create();
    ASSERT_TRUE(b.webView);
    EventRecorder recorder;
    recorder.Attach(b.webView.get());
    const std::vector<std::wstring> startAndEnd = {L"NavigationStarting", L"NavigationCompleted"};

    recorder.cancelNext = true;
    b.webView->Navigate(L"https://cancelled.test/");
    PumpPosted();
    EXPECT_EQ(recorder.events, startAndEnd);
    EXPECT_EQ(recorder.lastSuccess, FALSE);
    EXPECT_EQ(recorder.lastStatus, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED);
    EXPECT_EQ(Source(b.webView.get()), L"about:blank");

    struct Case {
        bool stop;   // else CompleteNavigation(false, status)
        COREWEBVIEW2_WEB_ERROR_STATUS status;
    };
    for (Case c : {Case{false, COREWEBVIEW2_WEB_ERROR_STATUS_HOST_NAME_NOT_RESOLVED},
                   Case{true, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED}}) {
        recorder.cancelNext = false;
        recorder.lastSuccess = -1;
        recorder.events.clear();
        Runtime()->HoldNavigations(true);
        b.webView->Navigate(L"https://held.test/");
        PumpPosted();
        EXPECT_EQ(recorder.events, std::vector<std::wstring>{L"NavigationStarting"});
        EXPECT_TRUE(Has(Take(Runtime()->State(-1)), L"\"heldNavigations\":1"));
        if (c.stop)
            b.webView->Stop();
        else
            EXPECT_EQ(Runtime()->CompleteNavigation(-1, false, c.status), S_OK);
        PumpPosted();
        EXPECT_EQ(recorder.events, startAndEnd);
        EXPECT_EQ(recorder.lastSuccess, FALSE);
        EXPECT_EQ(recorder.lastStatus, c.status);
        EXPECT_EQ(Source(b.webView.get()), L"about:blank");
        EXPECT_EQ(Runtime()->CompleteNavigation(-1, true, 0), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    }
}

// --- Raise, handlers and tokens ---

TEST_F(TestRuntimeTest, RaiseAnswersWhatHandlersSet) {
    Browser b = Create();
    ASSERT_TRUE(b.webView);
    std::wstring seenUri;
    UINT64 seenId = 0;
    EventRegistrationToken token;
    b.webView->add_NavigationStarting(Callback<ICoreWebView2NavigationStartingEventHandler>(
                                          [&](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
                                              LPWSTR uri = nullptr;
                                              args->get_Uri(&uri);
                                              seenUri = TakeCo(uri);
                                              args->get_NavigationId(&seenId);
                                              return args->put_Cancel(TRUE);
                                          }).get(),
                                      &token);
    b.controller->add_AcceleratorKeyPressed(Callback<ICoreWebView2AcceleratorKeyPressedEventHandler>(
                                                [](ICoreWebView2Controller*, ICoreWebView2AcceleratorKeyPressedEventArgs* args) {
                                                    UINT key = 0;
                                                    args->get_VirtualKey(&key);
                                                    return args->put_Handled(key == VK_F5);
                                                }).get(),
                                            &token);

    struct Case {
        const wchar_t* event;
        const wchar_t* args;
        const wchar_t* answer;
    };
    const Case cases[] = {
        {L"NavigationStarting", L"{\"uri\":\"https://a.test/\",\"navigationId\":7}",
         L"{\"cancel\":true,\"additionalAllowedFrameAncestors\":\"\",\"handlers\":1,\"deferred\":false}"},
        {L"AcceleratorKeyPressed", L"{\"virtualKey\":116}",
         L"{\"handled\":true,\"isBrowserAcceleratorKeyEnabled\":true,\"handlers\":1,\"deferred\":false}"},
        {L"AcceleratorKeyPressed", L"{\"virtualKey\":65}",
         L"{\"handled\":false,\"isBrowserAcceleratorKeyEnabled\":true,\"handlers\":1,\"deferred\":false}"},
        {L"PermissionRequested", L"{\"state\":2}",
         L"{\"state\":2,\"handled\":false,\"savesInProfile\":true,\"handlers\":0,\"deferred\":false}"},
        {L"NoSuchEvent", L"{}", L"{\"error\":\"unknown event NoSuchEvent\"}"},
        {L"NavigationStarting", L"{not json", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event);
        std::wstring answer = Take(Runtime()->Raise(-1, c.event, c.args));
        if (c.answer) {
            EXPECT_EQ(answer, c.answer);
        } else {
            EXPECT_TRUE(Has(answer, L"\"error\"")) << answer;
        }
    }
    EXPECT_EQ(seenUri, L"https://a.test/");
    EXPECT_EQ(seenId, 7u);

    // Nobody handled the popup: it would open.
    Runtime()->ClearCallLog();
    Take(Runtime()->Raise(-1, L"NewWindowRequested", L"{\"uri\":\"https://popup.test/\"}"));
    EXPECT_EQ(Take(Runtime()->CallLog()), L"WebView.OpenedPopup(https://popup.test/)\n");
}

TEST_F(TestRuntimeTest, FramesAndDeferralsFollowTheirEvents) {
    Browser b = Create();
    ComPtr<ICoreWebView2_4> webView4;
    ASSERT_EQ(b.webView.Query(webView4), S_OK);
    ComPtr<ICoreWebView2Frame> frame;
    EventRegistrationToken token;
    webView4->add_FrameCreated(Callback<ICoreWebView2FrameCreatedEventHandler>(
                                   [&](ICoreWebView2*, ICoreWebView2FrameCreatedEventArgs* args) {
                                       return args->get_Frame(frame.put());
                                   }).get(),
                               &token);
    EXPECT_TRUE(Has(Take(Runtime()->Raise(-1, L"FrameCreated", L"{\"name\":\"side\",\"frameId\":3}")),
                    L"\"frameId\":3"));
    ASSERT_TRUE(frame);
    LPWSTR name = nullptr;
    frame->get_Name(&name);
    EXPECT_EQ(TakeCo(name), L"side");
    ComPtr<ICoreWebView2Frame2> frame2;
    ASSERT_EQ(frame.Query(frame2), S_OK);
    frame2->add_NavigationStarting(Callback<ICoreWebView2FrameNavigationStartingEventHandler>(
                                       [](ICoreWebView2Frame*, ICoreWebView2NavigationStartingEventArgs* args) {
                                           return args->put_Cancel(TRUE);
                                       }).get(),
                                   &token);
    EXPECT_TRUE(Has(Take(Runtime()->Raise(-1, L"Frame.NavigationStarting", L"{\"frameId\":3}")), L"\"cancel\":true"));
    EXPECT_TRUE(Has(Take(Runtime()->Raise(-1, L"NavigationStarting", nullptr)), L"\"cancel\":false"))
        << "a frame's handler answered the web view's event";
    Take(Runtime()->Raise(-1, L"Frame.Destroyed", L"{\"frameId\":3}"));
    BOOL destroyed = FALSE;
    frame->IsDestroyed(&destroyed);
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(Has(Take(Runtime()->Raise(-1, L"Frame.NameChanged", L"{\"frameId\":3}")), L"\"error\""));

    // A deferred NewWindowRequested opens its popup when the deferral completes.
    ComPtr<ICoreWebView2Deferral> deferral;
    b.webView->add_NewWindowRequested(Callback<ICoreWebView2NewWindowRequestedEventHandler>(
                                          [&](ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* args) {
                                              return args->GetDeferral(deferral.put());
                                          }).get(),
                                      &token);
    Runtime()->ClearCallLog();
    EXPECT_TRUE(Has(Take(Runtime()->Raise(-1, L"NewWindowRequested", L"{\"uri\":\"https://p.test/\"}")),
                    L"\"deferred\":true"));
    EXPECT_FALSE(Has(Take(Runtime()->CallLog()), L"OpenedPopup"));
    ASSERT_TRUE(deferral);
    deferral->Complete();
    EXPECT_TRUE(Has(Take(Runtime()->CallLog()), L"WebView.OpenedPopup(https://p.test/)\n"));
}

TEST_F(TestRuntimeTest, RemovedHandlerIsNotCalled) {
    Browser b = Create();
    ASSERT_TRUE(b.webView);
    int first = 0, second = 0;
    EventRegistrationToken t1, t2;
    auto counter = [](int* n) {
        return Callback<ICoreWebView2WebMessageReceivedEventHandler>(
            [n](ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs*) {
                ++*n;
                return S_OK;
            });
    };
    b.webView->add_WebMessageReceived(counter(&first).get(), &t1);
    b.webView->add_WebMessageReceived(counter(&second).get(), &t2);
    EXPECT_NE(t1.value, t2.value);
    EXPECT_EQ(b.webView->remove_WebMessageReceived(t1), S_OK);
    EXPECT_EQ(b.webView->remove_WebMessageReceived(t1), S_OK) << "an unknown token is not an error";
    EXPECT_TRUE(Has(Take(Runtime()->Raise(-1, L"WebMessageReceived", L"{\"webMessageAsString\":\"hi\"}")),
                    L"\"handlers\":1"));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_TRUE(Has(Take(Runtime()->State(-1)), L"\"WebMessageReceived\":1"));
}

// --- Scripts ---

TEST_F(TestRuntimeTest, ScriptsAnswerNowLaterOrNever) {
    Browser b = Create();
    ASSERT_TRUE(b.webView);
    static ScriptAnswer when;
    Runtime()->SetScriptFunction(
        [](void*, int webView, const wchar_t* script, HRESULT* hr, BSTR* result) {
            *result = SysAllocString((std::wstring(L"\"") + script + L"\"").c_str());
            return when;
        },
        nullptr);
    for (ScriptAnswer answer : {ScriptAnswer::Now, ScriptAnswer::Later, ScriptAnswer::Never}) {
        SCOPED_TRACE(static_cast<int>(answer));
        when = answer;
        std::wstring result = L"(none)";
        ASSERT_EQ(b.webView->ExecuteScript(L"x", Callback<ICoreWebView2ExecuteScriptCompletedHandler>(
                                                     [&](HRESULT, LPCWSTR json) {
                                                         result = json;
                                                         return S_OK;
                                                     }).get()),
                  S_OK);
        EXPECT_EQ(result, answer == ScriptAnswer::Now ? L"\"x\"" : L"(none)");
        PumpPosted();
        EXPECT_EQ(result, answer == ScriptAnswer::Never ? L"(none)" : L"\"x\"");
        if (answer == ScriptAnswer::Never) {
            EXPECT_TRUE(Has(Take(Runtime()->State(-1)), L"\"pendingScripts\":1"));
            EXPECT_EQ(Runtime()->CompleteScript(-1, S_OK, L"42"), S_OK);
            EXPECT_EQ(result, L"42");
        }
    }
    // The default answers "null", never inside the call.
    Runtime()->SetScriptFunction(nullptr, nullptr);
    std::wstring result = L"(none)";
    b.webView->ExecuteScript(L"1+1", Callback<ICoreWebView2ExecuteScriptCompletedHandler>([&](HRESULT, LPCWSTR json) {
                                         result = json;
                                         return S_OK;
                                     }).get());
    EXPECT_EQ(result, L"(none)");
    PumpPosted();
    EXPECT_EQ(result, L"null");
}

// --- Call log, closing and lifetime ---

TEST_F(TestRuntimeTest, CallLogNamesObjectMethodAndArguments) {
    Browser b = Create();
    ASSERT_TRUE(b.webView);
    ComPtr<ICoreWebView2Settings> settings;
    ASSERT_EQ(b.webView->get_Settings(settings.put()), S_OK);
    BOOL scripts = FALSE;
    settings->get_IsScriptEnabled(&scripts);
    EXPECT_TRUE(scripts);
    Runtime()->ClearCallLog();
    settings->put_IsScriptEnabled(FALSE);
    b.controller->put_Bounds(RECT{1, 2, 30, 40});
    b.webView->PostWebMessageAsJson(L"{\"a\":1}");
    EXPECT_EQ(b.webView->PostWebMessageAsJson(L"{bad"), E_INVALIDARG);
    EXPECT_EQ(Take(Runtime()->CallLog()),
              L"Settings.put_IsScriptEnabled(0)\n"
              L"Controller.put_Bounds(1,2,30,40)\n"
              L"WebView.PostWebMessageAsJson({\"a\":1})\n"
              L"WebView.PostWebMessageAsJson({bad)\n");
    std::wstring state = Take(Runtime()->State(-1));
    EXPECT_TRUE(Has(state, L"\"IsScriptEnabled\":false")) << state;
    EXPECT_TRUE(Has(state, L"\"bounds\":[1,2,30,40]")) << state;
    EXPECT_TRUE(Has(state, L"\"postedMessages\":[{\"asJson\":\"{\\\"a\\\":1}\"}]")) << state;
}

TEST_F(TestRuntimeTest, ClosedWebViewRefusesAndPostedWorkOutlivesItsObjects) {
    int before = Runtime()->LiveObjects();
    {
        Browser b = Create();
        ASSERT_TRUE(b.webView);
        b.webView->Navigate(L"https://a.test/");   // its steps are still posted below
        EXPECT_EQ(b.controller->Close(), S_OK);
        EXPECT_EQ(b.webView->Navigate(L"https://b.test/"), HRESULT_FROM_WIN32(ERROR_INVALID_STATE));
        EXPECT_TRUE(Has(Take(Runtime()->State(-1)), L"\"closed\":true"));

        Browser other = Create();
        other.webView->Navigate(L"https://c.test/");
    }
    PumpPosted();
    EXPECT_EQ(Runtime()->LiveObjects(), before);
    std::wstring last = Take(Runtime()->State(-1));
    EXPECT_TRUE(Has(last, L"{\"released\":true,")) << last;
    EXPECT_TRUE(Has(last, L"\"closed\":true")) << "letting go of the controller closes the browser: " << last;
    EXPECT_TRUE(Has(Take(Runtime()->Raise(-1, L"NavigationStarting", nullptr)), L"\"error\""));
}
