// A control hosted in Wine's ATL container with the test runtime (or the
// built-in Chromium runtime driving a real browser) as its browser, an event
// sink that records what the host sees, and the pumping a host's message loop
// would do.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <string>
#include <vector>

#include "corvane_h.h"
#include "test_runtime/test_runtime_api.h"
#include "win_test_support.h"

namespace CorvaneTest {

// Event ids of _DCorvaneCtrlEvents the tests look at.
namespace Ev {
constexpr DISPID NavigationStarting = 0x1, NavigationCompleted = 0x2, NavigationCompletedHex = 0x3c,
                 WebMessageReceived = 0x3, DocumentTitleChanged = 0x4, NewWindowRequested = 0x5,
                 SourceChanged = 0x6, ServerCertificateErrorDetected = 0x10, ProcessFailed = 0x11,
                 DOMContentLoaded = 0x17, ContentLoading = 0x18, ContentLoadingHex = 0x3d, HistoryChanged = 0x19,
                 PermissionRequested = 0x1e, AcceleratorKeyPressed = 0x21, CreateWebViewCompleted = 0x22,
                 FrameCreated = 0x23, FrameNavigationStarting = 0x24, FrameDestroyed = 0x26, WebViewReady = 0x30,
                 ContextMenuRequested = 0x259, BrowserProcessExited = 0x25d;
}

// One event as the sink saw it: arguments first to last, by-reference ones
// prefixed with '&'.
struct SeenEvent {
    DISPID id;
    std::vector<std::wstring> args;
    std::wstring Text() const;
};

class EventSink : public IDispatch {
public:
    std::vector<SeenEvent> events;
    // Runs inside the event, after it was recorded; may answer in-out arguments.
    std::function<void(DISPID, DISPPARAMS*)> onEvent;

    int Count(DISPID id) const;
    // The events' texts in order, e.g. "0x1(https://a.test/,&0)".
    std::vector<std::wstring> Texts() const;
    std::vector<DISPID> Ids() const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }   // owned by the test
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

private:
    LONG refs_ = 0;
};

// The answer to an in-out argument (the last argument is rgvarg[0]).
void AnswerBool(DISPPARAMS* params, UINT fromLast, VARIANT_BOOL value);
void AnswerLong(DISPPARAMS* params, UINT fromLast, LONG value);

// A late-bound call by name, as a macro makes it; `error` receives the
// exception information's description.
HRESULT CallByName(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args, VARIANT* result = nullptr,
                   std::wstring* error = nullptr);

// A property put by name; `error` as CallByName.
HRESULT PutByName(IDispatch* object, const wchar_t* name, VARIANT value, std::wstring* error = nullptr);

// The process's test runtime, chosen for the OCX through CORVANE_WEBVIEW2_RUNTIME.
TestRuntime& Runtime();

// Which runtime the control finds: the test runtime through
// CORVANE_WEBVIEW2_RUNTIME, or (with that variable unset) the Chromium runtime
// with the browser named by CORVANE_CHROMIUM.
enum class HostRuntime { Test, Chromium };

class HostedControl {
public:
    explicit HostedControl(HostRuntime runtime = HostRuntime::Test);
    ~HostedControl();
    HostedControl(const HostedControl&) = delete;
    HostedControl& operator=(const HostedControl&) = delete;

    // Puts the control into the container: its window is created and, outside
    // design mode, browser creation starts.
    bool Attach();
    bool WaitReady(DWORD timeoutMs = 5000);
    // Destroys the control's window and creates it again, as a host form being
    // hidden and shown does.
    bool RecreateWindow();
    HWND Window() const;

    ICorvaneCtrl* ctrl = nullptr;
    EventSink sink;
    HWND top = nullptr;
    HWND axWindow = nullptr;

private:
    IUnknown* container_ = nullptr;
    DWORD cookie_ = 0;
};

// One control on the real browser for a whole suite, made ready once; each
// test starts with no event callback.
class LiveControlSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        host = new HostedControl(HostRuntime::Chromium);
        const DWORD start = GetTickCount();
        ready = host->ctrl && host->Attach() && host->WaitReady(30000);
        readyMs = GetTickCount() - start;
    }
    static void TearDownTestSuite() {
        delete host;
        host = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(ready) << "the control never became ready";
        ctrl = host->ctrl;
        host->sink.onEvent = nullptr;
    }
    static inline HostedControl* host = nullptr;
    static inline bool ready = false;
    static inline DWORD readyMs = 0;
    ICorvaneCtrl* ctrl = nullptr;
};

}  // namespace CorvaneTest
