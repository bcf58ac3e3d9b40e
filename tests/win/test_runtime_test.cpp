// What makes the test runtime a trustworthy stand-in, driven through its
// exports as the control drives it: creation only through posted messages,
// navigation events in the platform's order, and the navigation switches.
// Its other switches are proven where the control's tests use them.
#include "win_test_support.h"

#include <string>
#include <vector>

#include "com_ptr.h"
#include "runtime/callback.h"
#include "runtime/webview2.h"
#include "test_runtime_api.h"

using Corvane::Callback;
using Corvane::ComPtr;

using CorvaneTest::PumpPosted;
using CorvaneTest::TestRuntime;

namespace {

using CreateFn = HRESULT(STDAPICALLTYPE*)(PCWSTR, PCWSTR, ICoreWebView2EnvironmentOptions*,
                                          ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*);

std::wstring DllPath() { return CorvaneTest::ExeFolder() + L"corvane_test_runtime.dll"; }
TestRuntime* Runtime() {
    static TestRuntime* runtime = CorvaneTest::LoadTestRuntime(DllPath().c_str());
    return runtime;
}

// One creation step: its completion must not come inside the call, and must come once posted messages ran.
template <class Handler, class T, class Start>
ComPtr<T> Created(Start start) {
    HRESULT delivered = E_PENDING;
    ComPtr<T> made;
    EXPECT_EQ(start(Callback<Handler>([&](HRESULT hr, T* object) {
                        delivered = hr;
                        made = ComPtr<T>(object);
                        return S_OK;
                    }).get()),
              S_OK);
    EXPECT_EQ(delivered, E_PENDING) << "completed inside the call";
    PumpPosted();
    EXPECT_EQ(delivered, S_OK);
    return made;
}

std::wstring Source(ICoreWebView2* webView) {
    LPWSTR uri = nullptr;
    webView->get_Source(&uri);
    std::wstring text = uri ? uri : L"(null)";
    CoTaskMemFree(uri);
    return text;
}

class TestRuntimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Runtime(), nullptr) << "corvane_test_runtime.dll with CorvaneTestRuntime";
        Runtime()->Reset();
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        auto create = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(DllPath().c_str()), "CreateCoreWebView2EnvironmentWithOptions")));
        auto environment = Created<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, ICoreWebView2Environment>(
            [&](auto* handler) { return create(L"C:\\browser", L"C:\\data", nullptr, handler); });
        ASSERT_TRUE(environment);
        controller_ = Created<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, ICoreWebView2Controller>(
            [&](auto* handler) { return environment->CreateCoreWebView2Controller(parent_, handler); });
        ASSERT_TRUE(controller_);
        ASSERT_EQ(controller_->get_CoreWebView2(webView_.put()), S_OK);
        Attach();
    }
    void TearDown() override {
        PumpPosted();
        Runtime()->Reset();
        DestroyWindow(parent_);
    }

    // Records, in order, which navigation events the web view raised.
    template <class Owner, class Handler, class Body>
    void On(Owner* source, HRESULT (Owner::*add)(Handler*, EventRegistrationToken*), const wchar_t* name, Body body) {
        EventRegistrationToken token;
        (source->*add)(Callback<Handler>([this, name, body](auto*, auto* args) {
                           events_.push_back(name);
                           body(args);
                           return S_OK;
                       }).get(),
                       &token);
    }
    void Attach() {
        auto none = [](auto*) {};
        ICoreWebView2* w = webView_.get();
        On(w, &ICoreWebView2::add_NavigationStarting, L"NavigationStarting",
           none);
        On(w, &ICoreWebView2::add_SourceChanged, L"SourceChanged", none);
        On(w, &ICoreWebView2::add_ContentLoading, L"ContentLoading", none);
        On(w, &ICoreWebView2::add_HistoryChanged, L"HistoryChanged", none);
        ComPtr<ICoreWebView2_2> second;
        ASSERT_EQ(webView_.Query(second), S_OK);
        On(second.get(), &ICoreWebView2_2::add_DOMContentLoaded, L"DOMContentLoaded", none);
        On(w, &ICoreWebView2::add_DocumentTitleChanged, L"DocumentTitleChanged", none);
        On(w, &ICoreWebView2::add_NavigationCompleted, L"NavigationCompleted",
           [this](ICoreWebView2NavigationCompletedEventArgs* args) {
               args->get_IsSuccess(&lastSuccess_);
               args->get_WebErrorStatus(&lastStatus_);
           });
    }

    HWND parent_ = nullptr;
    ComPtr<ICoreWebView2Controller> controller_;
    ComPtr<ICoreWebView2> webView_;
    std::vector<std::wstring> events_;
    BOOL lastSuccess_ = -1;
    COREWEBVIEW2_WEB_ERROR_STATUS lastStatus_ = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
};

}  // namespace

TEST_F(TestRuntimeTest, NavigationRaisesItsEventsInThePlatformsOrder) {
    ASSERT_EQ(webView_->Navigate(L"https://a.test/"), S_OK);
    EXPECT_TRUE(events_.empty()) << "events inside Navigate";
    PumpPosted();
    const std::vector<std::wstring> order = {L"NavigationStarting", L"SourceChanged",        L"ContentLoading",
                                             L"HistoryChanged",     L"DOMContentLoaded",     L"DocumentTitleChanged",
                                             L"NavigationCompleted"};
    EXPECT_EQ(events_, order);
    EXPECT_EQ(lastSuccess_, TRUE);
    EXPECT_EQ(Source(webView_.get()), L"https://a.test/");
}

TEST_F(TestRuntimeTest, HeldNavigationsEndWithTheirStatus) {
    struct Case {
        bool stop;   // held ones end by Stop or by CompleteNavigation(false, status)
        COREWEBVIEW2_WEB_ERROR_STATUS status;
    };
    for (Case c : {Case{false, COREWEBVIEW2_WEB_ERROR_STATUS_HOST_NAME_NOT_RESOLVED},
                   Case{true, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED}}) {
        events_.clear();
        Runtime()->HoldNavigations(true);
        webView_->Navigate(L"https://held.test/");
        PumpPosted();
        EXPECT_EQ(events_, std::vector<std::wstring>{L"NavigationStarting"});
        if (c.stop)
            webView_->Stop();
        else
            EXPECT_EQ(Runtime()->CompleteNavigation(-1, false, c.status), S_OK);
        PumpPosted();
        EXPECT_EQ(events_, (std::vector<std::wstring>{L"NavigationStarting", L"NavigationCompleted"}));
        EXPECT_EQ(lastSuccess_, FALSE);
        EXPECT_EQ(lastStatus_, c.status);
        EXPECT_EQ(Source(webView_.get()), L"about:blank");
    }
}
