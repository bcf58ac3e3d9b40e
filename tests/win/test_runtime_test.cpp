// What makes the test runtime a trustworthy stand-in, driven through its
// exports as the control drives it: a faithful healthy sequence (creation
// only through posted messages, navigation events in the platform's order)
// and the navigation switches. Its other switches (failed creation steps,
// script answers) are proven where the control's tests use them.
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
using CorvaneTest::TestRuntime;
using CorvaneTest::PumpPosted;

namespace {

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
    bool cancelNext = false;

    template <class Owner, class Handler, class Body>
    void On(Owner* source, HRESULT (Owner::*add)(Handler*, EventRegistrationToken*), const wchar_t* name, Body body) {
        EventRegistrationToken token;
        (source->*add)(Callback<Handler>([this, name, body](auto*, auto* args) {
                           events.push_back(name);
                           body(args);
                           return S_OK;
                       }).get(),
                       &token);
    }
    void Attach(ICoreWebView2* webView) {
        auto none = [](auto*) {};
        On(webView, &ICoreWebView2::add_NavigationStarting, L"NavigationStarting",
           [this](ICoreWebView2NavigationStartingEventArgs* args) { if (cancelNext) args->put_Cancel(TRUE); });
        On(webView, &ICoreWebView2::add_SourceChanged, L"SourceChanged", none);
        On(webView, &ICoreWebView2::add_ContentLoading, L"ContentLoading", none);
        On(webView, &ICoreWebView2::add_HistoryChanged, L"HistoryChanged", none);
        ComPtr<ICoreWebView2_2> second;
        if (SUCCEEDED(ComPtr<ICoreWebView2>(webView).Query(second)))
            On(second.get(), &ICoreWebView2_2::add_DOMContentLoaded, L"DOMContentLoaded", none);
        On(webView, &ICoreWebView2::add_DocumentTitleChanged, L"DocumentTitleChanged", none);
        On(webView, &ICoreWebView2::add_NavigationCompleted, L"NavigationCompleted",
           [this](ICoreWebView2NavigationCompletedEventArgs* args) {
               args->get_IsSuccess(&lastSuccess);
               args->get_WebErrorStatus(&lastStatus);
           });
    }
};

std::wstring Source(ICoreWebView2* webView) {
    LPWSTR uri = nullptr;
    webView->get_Source(&uri);
    return TakeCo(uri);
}

}  // namespace

TEST_F(TestRuntimeTest, CreationCompletesOnlyThroughPostedMessages) {
    HRESULT hr = E_PENDING;
    ComPtr<ICoreWebView2Environment> environment;
    ASSERT_EQ(StartEnvironment(&hr, &environment), S_OK);
    EXPECT_EQ(hr, E_PENDING) << "completed inside the call";
    PumpPosted();
    ASSERT_EQ(hr, S_OK);
    ASSERT_TRUE(environment);
    hr = E_PENDING;
    ComPtr<ICoreWebView2Controller> controller;
    ASSERT_EQ(StartController(environment.get(), &hr, &controller), S_OK);
    EXPECT_EQ(hr, E_PENDING);
    PumpPosted();
    ASSERT_EQ(hr, S_OK);
    ASSERT_TRUE(controller);
    HWND parent = nullptr;
    controller->get_ParentWindow(&parent);
    EXPECT_EQ(parent, parent_);
}

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
    EXPECT_EQ(Source(b.webView.get()), L"https://a.test/");
    b.webView->NavigateToString(L"<html><title>Second</title></html>");
    PumpPosted();
    ASSERT_EQ(b.webView->GoBack(), S_OK);
    PumpPosted();
    EXPECT_EQ(Source(b.webView.get()), L"https://a.test/");
    BOOL back = TRUE, forward = FALSE;
    b.webView->get_CanGoBack(&back);
    b.webView->get_CanGoForward(&forward);
    EXPECT_FALSE(back);
    EXPECT_TRUE(forward);
}

TEST_F(TestRuntimeTest, CancelledAndHeldNavigationsEndWithTheirStatus) {
    Browser b = Create();
    ASSERT_TRUE(b.webView);
    EventRecorder recorder;
    recorder.Attach(b.webView.get());
    const std::vector<std::wstring> startAndEnd = {L"NavigationStarting", L"NavigationCompleted"};
    struct Case {
        bool cancel, hold, stop;   // held ones end by Stop or by CompleteNavigation(false, status)
        COREWEBVIEW2_WEB_ERROR_STATUS status;
    };
    for (Case c : {Case{true, false, false, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED},
                   Case{false, true, false, COREWEBVIEW2_WEB_ERROR_STATUS_HOST_NAME_NOT_RESOLVED},
                   Case{false, true, true, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED}}) {
        recorder.cancelNext = c.cancel;
        recorder.events.clear();
        Runtime()->HoldNavigations(c.hold);
        b.webView->Navigate(L"https://held.test/");
        PumpPosted();
        if (c.hold) {
            EXPECT_EQ(recorder.events, std::vector<std::wstring>{L"NavigationStarting"});
            if (c.stop)
                b.webView->Stop();
            else
                EXPECT_EQ(Runtime()->CompleteNavigation(-1, false, c.status), S_OK);
            PumpPosted();
        }
        EXPECT_EQ(recorder.events, startAndEnd);
        EXPECT_EQ(recorder.lastSuccess, FALSE);
        EXPECT_EQ(recorder.lastStatus, c.status);
        EXPECT_EQ(Source(b.webView.get()), L"about:blank");
    }
}
