// The control and the Chromium runtime against a real browser: Debian's
// headless Chromium under Wine, with pages from the local test web server
// (started by a ctest fixture, which writes its port to a file).
//  - Control: the control hosted in Wine's ATL container, finding the
//    Chromium runtime as a host's machine would (no runtime DLL named).
//  - Runtime: the runtime's own objects, compiled in, for what the control
//    does not pass on (error status, HTTP status, script exception details).
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser_host.h"
#include "callback.h"
#include "chromium/chromium_runtime.h"
#include "chromium/wine_paths.h"
#include "raw_cdp.h"

using namespace CorvaneTest;
using Corvane::Callback;
using Corvane::ComPtr;

namespace {

constexpr DWORD kReadyMs = 30000;
constexpr DWORD kNavigationMs = 15000;
constexpr DISPID kScriptDialogOpening = 0x7;

std::wstring g_server;   // http://127.0.0.1:<port>

std::wstring Url(const std::wstring& path) { return g_server + path; }

std::wstring ReadServerUrl() {
    wchar_t unix[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"CORVANE_WEB_SERVER_PORT_FILE", unix, MAX_PATH)) return {};
    std::wstring path = std::wstring(L"Z:") + unix;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char text[16] = {};
    DWORD n = 0;
    ReadFile(file, text, sizeof(text) - 1, &n, nullptr);
    CloseHandle(file);
    return L"http://127.0.0.1:" + std::to_wstring(atoi(text));
}

}  // namespace

std::wstring TestServerUrl() { return ReadServerUrl(); }   // for the other live tests of this program

namespace {

// A string the runtime allocated, as text.
std::wstring Co(LPWSTR text) {
    std::wstring out = text ? text : L"(null)";
    CoTaskMemFree(text);
    return out;
}

// Starts an asynchronous call with a completion handler of type H and waits
// until the completion came; `body` gets the completion's arguments.
template <class H, class Start, class Body>
bool Await(Start start, Body body, DWORD ms) {
    bool done = false;
    auto handler = Callback<H>([&](auto... args) {
        body(args...);
        done = true;
        return S_OK;
    });
    return SUCCEEDED(start(handler.get())) && PumpUntil([&] { return done; }, ms);
}

// An event registration for the scope: added now, removed at its end.
struct [[nodiscard]] Registration {
    std::function<void()> remove;
    ~Registration() { if (remove) remove(); }
};
template <class Source, class Handler, class Body>
Registration On(Source* source, HRESULT (STDMETHODCALLTYPE Source::*add)(Handler*, EventRegistrationToken*),
                HRESULT (STDMETHODCALLTYPE Source::*remove)(EventRegistrationToken), Body body) {
    EventRegistrationToken token{};
    (source->*add)(Callback<Handler>([body](auto... args) { body(args...); return S_OK; }).get(), &token);
    return {[=] { (source->*remove)(token); }};
}

// An environment of the Chromium runtime for `folder`; null when none came.
ICoreWebView2Environment* NewEnvironment(const std::wstring& folder, HRESULT* result, DWORD ms) {
    ICoreWebView2Environment* made = nullptr;
    *result = E_PENDING;
    Await<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
        [&](auto* done) { return Corvane::Chromium::CreateEnvironmentWithOptions(nullptr, folder.c_str(), nullptr, done); },
        [&](HRESULT hr, ICoreWebView2Environment* environment) {
            *result = hr;
            if (environment) (made = environment)->AddRef();
        },
        ms);
    return made;
}

// --corvane-orphan=<folder>: start a browser for the folder, wait until it
// answers, then end the process without releasing anything.
const bool g_orphan = [] {
    const wchar_t* flag = wcsstr(GetCommandLineW(), L"--corvane-orphan=\"");
    if (!flag) return false;
    std::wstring folder = flag + wcslen(L"--corvane-orphan=\"");
    folder = folder.substr(0, folder.find(L'"'));
    OleInitialize(nullptr);
    SetEnvironmentVariableW(L"CORVANE_CHROMIUM", L"/usr/bin/chromium");
    HRESULT created;
    ICoreWebView2Environment* leaked = NewEnvironment(folder, &created, 30000);
    ExitProcess(SUCCEEDED(created) && leaked ? 0 : 2);
}();

// --- The control ------------------------------------------------------------

class Control : public LiveControlSuite {
protected:
    static void SetUpTestSuite() {
        g_server = ReadServerUrl();
        LiveControlSuite::SetUpTestSuite();
    }
    void SetUp() override {
        ASSERT_FALSE(g_server.empty()) << "no test web server (CORVANE_WEB_SERVER_PORT_FILE)";
        LiveControlSuite::SetUp();
        ctrl->put_IsScriptEnabled(VARIANT_TRUE);
        ctrl->put_DefaultScriptDialogsEnabled(VARIANT_TRUE);
    }

    // Navigates and waits until the navigation's completion reached the host.
    HRESULT Go(const std::wstring& url) {
        host->sink.events.clear();
        HRESULT hr = ctrl->NavigateSync(Bs(url));
        PumpUntil([&] { return host->sink.Count(Ev::NavigationCompleted) > 0; }, kNavigationMs);
        return hr;
    }
    std::wstring Script(const std::wstring& script, HRESULT* code = nullptr) {
        BSTR result = nullptr;
        HRESULT hr = ctrl->ExecuteScript(Bs(script), &result);
        if (code) *code = hr;
        return SUCCEEDED(hr) ? TakeBstr(result) : L"(failed)";
    }
    // The events the host saw since the last Go, as ids.
    std::vector<DISPID> Seen(std::initializer_list<DISPID> of) {
        std::vector<DISPID> out;
        for (DISPID id : host->sink.Ids())
            for (DISPID wanted : of)
                if (id == wanted) out.push_back(id);
        return out;
    }
};

constexpr std::initializer_list<DISPID> kNavigationEvents = {
    Ev::NavigationStarting, Ev::SourceChanged, Ev::ContentLoading, Ev::HistoryChanged, Ev::DOMContentLoaded,
    Ev::NavigationCompleted};
const std::vector<DISPID> kFullSequence(kNavigationEvents);

TEST_F(Control, BecomesReadyWithTheRealBrowser) {
    EXPECT_EQ(host->sink.Count(Ev::WebViewReady), 1);
    EXPECT_EQ(host->sink.Count(Ev::CreateWebViewCompleted), 1);
    std::printf("[ info ] control ready in %lu ms\n", readyMs);
}

struct NavigationCase {
    const wchar_t* name;
    std::wstring url;
    std::vector<DISPID> sequence;
    const wchar_t* success;   // NavigationCompleted's second argument
};

TEST_F(Control, NavigationEventsArriveInOrderWithOneIdPerNavigation) {
    const NavigationCase cases[] = {
        {L"success", Url(L"/page1.html"), kFullSequence, L"true"},
        {L"404", Url(L"/missing"), kFullSequence, L"false"},
        {L"redirect", Url(L"/redirect"),
         {Ev::NavigationStarting, Ev::NavigationStarting, Ev::SourceChanged, Ev::ContentLoading, Ev::HistoryChanged,
          Ev::DOMContentLoaded, Ev::NavigationCompleted},
         L"true"},
        {L"unreachable", L"http://127.0.0.1:2/", kFullSequence, L"false"},
    };
    for (const NavigationCase& c : cases) {
        SCOPED_TRACE(c.name);
        Go(c.url);
        EXPECT_EQ(Seen(kNavigationEvents), c.sequence);
        std::wstring ids;
        for (const SeenEvent& e : host->sink.events) {
            if (e.id == Ev::ContentLoading || e.id == Ev::DOMContentLoaded) ids += e.args.at(0) + L";";
            if (e.id == Ev::NavigationCompleted) {
                EXPECT_EQ(e.args.at(1), c.success);
            }
        }
        // ContentLoading and DOMContentLoaded name the same navigation.
        const std::size_t split = ids.find(L';');
        ASSERT_NE(split, std::wstring::npos);
        EXPECT_EQ(ids, ids.substr(0, split + 1) + ids.substr(0, split + 1));
    }
}

TEST_F(Control, SameDocumentNavigationsChangeSourceAndHistoryOnly) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"location.hash = 'part'", L"/page1.html#part"},
        {L"history.pushState({}, '', '/pushed')", L"/pushed"},
    };
    for (const auto& [script, path] : cases) {
        SCOPED_TRACE(script);
        ASSERT_EQ(Go(Url(L"/page1.html")), S_OK);
        host->sink.events.clear();
        Script(script);
        ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(Ev::HistoryChanged) > 0; }, kNavigationMs));
        PumpFor(200);
        EXPECT_EQ(Seen(kNavigationEvents), (std::vector<DISPID>{Ev::SourceChanged, Ev::HistoryChanged}));
        BSTR url = nullptr;
        ctrl->get_url(&url);
        EXPECT_EQ(TakeBstr(url), Url(path));
    }
}

// Primitive encodings are proven in the native tests; here, what only a page shows.
TEST_F(Control, ScriptResultsAreEncodedAsJson) {
    ASSERT_EQ(Go(Url(L"/page1.html")), S_OK);
    const std::pair<const wchar_t*, std::wstring> cases[] = {
        {L"1 + 1", L"2"},
        {L"'\u00e9t\u00e9 \u20ac \U0001F600'", L"\"\u00e9t\u00e9 \u20ac \U0001F600\""},
        {L"({a: [1, {b: null}], c: 'x'})", L"{\"a\":[1,{\"b\":null}],\"c\":\"x\"}"},
        {L"({s: 'x'.repeat(150) + '\u2028', e: 1.5e-7, n: -0, u: undefined, m: 123456789012345680000})",
         L"{\"s\":\"" + std::wstring(150, L'x') + L"\u2028\",\"e\":1.5e-7,\"n\":0,\"m\":123456789012345680000}"},
        {L"new (class { toJSON() { return 5; } })()", L"5"},
        {L"({get a() { throw 1; }})", L"null"},
        {L"[1, '2', undefined, function () {}]", L"[1,\"2\",null,null]"},
        {L"new Date(0)", L"\"1970-01-01T00:00:00.000Z\""},
        {L"var o = {}; o.self = o; o", L"null"},
        {L"throw new Error('boom')", L"null"},
        {L"let twice = 1; twice", L"1"},
        {L"let twice = 2; twice", L"null"},   // a second top-level let of the same name throws
    };
    for (const auto& [script, expected] : cases) {
        HRESULT hr = E_FAIL;
        EXPECT_EQ(Script(script, &hr), expected) << script;
        EXPECT_EQ(hr, S_OK) << script;
    }
}

// A script's outcome with its exception, as the control hands it on.
TEST_F(Control, ExecuteScriptWithResultReportsTheOutcome) {
    const struct { const wchar_t* script; const wchar_t* json; VARIANT_BOOL ok; const wchar_t* message; } cases[] = {
        {L"6 * 7", L"42", VARIANT_TRUE, nullptr},
        {L"throw new Error('bad ' + 1)", L"null", VARIANT_FALSE, L"bad 1"},
    };
    for (const auto& c : cases) {
        BSTR json = nullptr, message = nullptr;
        VARIANT_BOOL ok = 7;
        EXPECT_EQ(ctrl->ExecuteScriptWithResult(Bs(c.script), &json, &ok, &message), S_OK);
        EXPECT_EQ(ok, c.ok) << c.script;
        EXPECT_EQ(TakeBstr(json), c.json) << c.script;
        const std::wstring text = TakeBstr(message);
        EXPECT_TRUE(c.message ? Has(text, c.message) : text.empty()) << text;
    }
}

TEST_F(Control, ScriptsDisabledStopThePageButNotTheHost) {
    ctrl->put_IsScriptEnabled(VARIANT_FALSE);
    ASSERT_EQ(Go(Url(L"/echo.html")), S_OK);
    EXPECT_EQ(Script(L"typeof chrome.webview"), L"\"object\"");   // the host's own scripts still run
    EXPECT_EQ(Script(L"document.scripts.length + ':' + (window.__echoReady || 'no')"), L"\"1:no\"");
    EXPECT_EQ(Script(L"typeof window.onload"), L"\"object\"");
}

TEST_F(Control, WebMessagesTravelBothWays) {
    ASSERT_EQ(Go(Url(L"/echo.html")), S_OK);
    struct Case { bool json; const wchar_t* sent; const wchar_t* echoed; } cases[] = {
        {true, L"{\"n\":1,\"s\":\"\u00e9\"}", L"{\"echo\":{\"n\":1,\"s\":\"\u00e9\"}}"},
        {false, L"plain \"text\"", L"{\"echo\":\"plain \\\"text\\\"\"}"},
    };
    for (const Case& c : cases) {
        host->sink.events.clear();
        const Bs text(c.sent);
        EXPECT_EQ(c.json ? ctrl->PostWebMessageAsJson(text) : ctrl->PostWebMessageAsString(text), S_OK);
        ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(Ev::WebMessageReceived) > 0; }, kNavigationMs)) << c.sent;
        for (const SeenEvent& e : host->sink.events)
            if (e.id == Ev::WebMessageReceived) {
                EXPECT_EQ(e.args.at(0), c.echoed);
                EXPECT_EQ(e.args.at(1), Url(L"/echo.html"));
            }
    }
    host->sink.events.clear();
    Script(L"chrome.webview.postMessage('from the page')");
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(Ev::WebMessageReceived) > 0; }, kNavigationMs));
    EXPECT_EQ(host->sink.events.back().args.at(0), L"from the page");
}

TEST_F(Control, DialogsNeverWedgeThePage) {
    ASSERT_EQ(Go(Url(L"/page1.html")), S_OK);
    // Default dialogs: no event, a headless answer, and the page goes on.
    EXPECT_EQ(Script(L"alert('a'); confirm('b')"), L"false");
    EXPECT_EQ(host->sink.Count(kScriptDialogOpening), 0);
    // The host's dialogs: the event with message and kind, then the answer.
    ctrl->put_DefaultScriptDialogsEnabled(VARIANT_FALSE);
    host->sink.events.clear();
    EXPECT_EQ(Script(L"confirm('sure?')"), L"false");
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(kScriptDialogOpening) > 0; }, 2000));
    for (const SeenEvent& e : host->sink.events)
        if (e.id == 0x7) {
            EXPECT_EQ(e.Text(), L"0x7(sure?,1)");
        }
    EXPECT_EQ(Script(L"2 * 21"), L"42");
}

TEST_F(Control, RendererCrashRaisesProcessFailedAndRecovers) {
    VARIANT_BOOL recover = VARIANT_FALSE;
    ctrl->get_AutoRecoverOnCrash(&recover);
    ctrl->put_AutoRecoverOnCrash(VARIANT_TRUE);
    ASSERT_EQ(Go(Url(L"/page2.html")), S_OK);
    BSTR folder = nullptr;
    ctrl->get_UserDataFolder(&folder);
    RawCdp raw;
    ASSERT_TRUE(raw.Connect(TakeBstr(folder)));
    const std::u16string session = raw.AttachToPage(u"/page2.html");
    ASSERT_FALSE(session.empty());
    host->sink.events.clear();
    raw.Post(u"Page.crash", u"{}", session);
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(Ev::ProcessFailed) > 0; }, kNavigationMs));
    PumpFor(300);
    EXPECT_EQ(host->sink.Count(Ev::ProcessFailed), 1);   // the page and the browser both report it: once to the host
    for (const SeenEvent& e : host->sink.events)
        if (e.id == Ev::ProcessFailed) {
            EXPECT_EQ(e.args.at(0), L"1");   // the render process exited
        }
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(Ev::NavigationCompleted) > 0; }, kNavigationMs));
    EXPECT_EQ(Script(L"document.title"), L"\"Page Two\"");
    ctrl->put_AutoRecoverOnCrash(recover);
}

// OpenDocument's file URLs and table pages, as the real browser shows them.
TEST_F(Control, OpenDocumentShowsLocalFilesInTheBrowser) {
    const struct {
        const wchar_t* name;
        std::string content;
        const wchar_t *script, *expected;
    } cases[] = {
        {L"cvn report.pdf", "%PDF-1.4\n%%EOF\n", L"document.contentType", L"\"application/pdf\""},
        {L"cvn notes #1.txt", "plain words", L"document.body.innerText.trim()", L"\"plain words\""},
        {L"cvn picture.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='9' height='9'/>",
         L"document.contentType", L"\"image/svg+xml\""},
        {L"cvn table.csv", "h1,h2\n\"a,b\",<i>x</i>\n",
         L"[...document.querySelectorAll('th,td')].map(c => c.textContent).join('|')", L"\"h1|h2|a,b|<i>x</i>\""},
    };
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = std::wstring(temp) + c.name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, c.content.data(), DWORD(c.content.size()), &written, nullptr);
        CloseHandle(file);
        host->sink.events.clear();
        ASSERT_EQ(ctrl->OpenDocument(Bs(path), 0), S_OK);
        // A table page comes after the blank page it is written into: wait for the answer itself.
        std::wstring answer;
        PumpUntil([&] { return (answer = Script(c.script)) == c.expected; }, kNavigationMs);
        EXPECT_EQ(answer, c.expected);
        DeleteFileW(path.c_str());
    }
}

// --- The runtime's own objects ----------------------------------------------

class Runtime : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (g_server.empty()) g_server = ReadServerUrl();
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = new std::wstring(std::wstring(temp) + L"corvane_chromium_runtime_test");
        window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
        HRESULT created;
        if (!(env = NewEnvironment(*folder, &created, kReadyMs))) return;
        Await<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
            [](auto* done) { return env->CreateCoreWebView2Controller(window, done); },
            [](HRESULT, ICoreWebView2Controller* controller) {
                if (controller) (ctl = controller)->AddRef();
            },
            kReadyMs);
        if (ctl) ctl->get_CoreWebView2(&view);
    }
    static void TearDownTestSuite() {
        if (view) view->Release();
        if (ctl) {
            ctl->Close();
            ctl->Release();
        }
        if (env) env->Release();
        view = nullptr;
        ctl = nullptr;
        env = nullptr;
        PumpFor(100);
        DestroyWindow(window);
        delete folder;
    }
    void SetUp() override { ASSERT_TRUE(view) << "no web view from the runtime"; }

    struct Completed {
        bool done = false, success = false;
        COREWEBVIEW2_WEB_ERROR_STATUS status{};
        int http = -1;
        std::vector<std::wstring> starts;   // "uri|redirected"
    };
    // Starts a navigation and records its start(s) and its completion.
    Completed Navigation(const std::function<HRESULT()>& start, bool cancel = false) {
        Completed out;
        Registration started = On(view, &ICoreWebView2::add_NavigationStarting, &ICoreWebView2::remove_NavigationStarting,
            [&](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
                LPWSTR uri = nullptr;
                BOOL redirected = FALSE;
                args->get_Uri(&uri);
                args->get_IsRedirected(&redirected);
                out.starts.push_back(Co(uri) + (redirected ? L"|redirected" : L""));
                if (cancel) args->put_Cancel(TRUE);
            });
        Registration completed = On(view, &ICoreWebView2::add_NavigationCompleted,
            &ICoreWebView2::remove_NavigationCompleted, [&](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* args) {
                BOOL success = FALSE;
                args->get_IsSuccess(&success);
                args->get_WebErrorStatus(&out.status);
                ComPtr<ICoreWebView2NavigationCompletedEventArgs2> second;
                if (SUCCEEDED(args->QueryInterface(__uuidof(ICoreWebView2NavigationCompletedEventArgs2), second.put_void())))
                    second->get_HttpStatusCode(&out.http);
                out.success = success != FALSE;
                out.done = true;
            });
        EXPECT_EQ(start(), S_OK);
        PumpUntil([&] { return out.done; }, kNavigationMs);
        return out;
    }
    Completed Navigate(const std::wstring& url, bool cancel = false) {
        return Navigation([&] { return view->Navigate(url.c_str()); }, cancel);
    }

    std::wstring Script(const wchar_t* script) {
        std::wstring out = L"(failed)";
        Await<ICoreWebView2ExecuteScriptCompletedHandler>([&](auto* done) { return view->ExecuteScript(script, done); },
                                                          [&](HRESULT hr, LPCWSTR json) {
                                                              if (SUCCEEDED(hr) && json) out = json;
                                                          },
                                                          kNavigationMs);
        return out;
    }
    std::wstring Title() {
        LPWSTR title = nullptr;
        view->get_DocumentTitle(&title);
        return Co(title);
    }

    static std::wstring* folder;
    static HWND window;
    static ICoreWebView2Environment* env;
    static ICoreWebView2Controller* ctl;
    static ICoreWebView2* view;
};

std::wstring* Runtime::folder = nullptr;
HWND Runtime::window = nullptr;
ICoreWebView2Environment* Runtime::env = nullptr;
ICoreWebView2Controller* Runtime::ctl = nullptr;
ICoreWebView2* Runtime::view = nullptr;

TEST_F(Runtime, CompletionCarriesErrorStatusAndHttpStatus) {
    struct Case {
        std::wstring url;
        bool cancel, success;
        COREWEBVIEW2_WEB_ERROR_STATUS status;
        int http;
        std::vector<std::wstring> starts;
    } cases[] = {
        {Url(L"/page1.html"), false, true, COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN, 200, {Url(L"/page1.html")}},
        {Url(L"/missing"), false, false, COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN, 404, {Url(L"/missing")}},
        {Url(L"/redirect"), false, true, COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN, 200,
         {Url(L"/redirect"), Url(L"/page2.html|redirected")}},
        {L"http://127.0.0.1:2/", false, false, COREWEBVIEW2_WEB_ERROR_STATUS_CANNOT_CONNECT, 0, {L"http://127.0.0.1:2/"}},
        {L"http://no-such-host.invalid/", false, false, COREWEBVIEW2_WEB_ERROR_STATUS_HOST_NAME_NOT_RESOLVED, 0,
         {L"http://no-such-host.invalid/"}},
        {Url(L"/page2.html"), true, false, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED, 0, {Url(L"/page2.html")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        Completed got = Navigate(c.url, c.cancel);
        ASSERT_TRUE(got.done);
        EXPECT_EQ(got.success, c.success);
        EXPECT_EQ(got.status, c.status);
        EXPECT_EQ(got.http, c.http);
        EXPECT_EQ(got.starts, c.starts);
    }
    LPWSTR source = nullptr;
    view->get_Source(&source);
    EXPECT_STREQ(source, L"http://no-such-host.invalid/");   // the cancelled one never replaced it
    CoTaskMemFree(source);
}

// Each result as "succeeded|json|its string or -", then for an exception "|name|message|line".
TEST_F(Runtime, ScriptResultsCarryTheExceptionDetails) {
    ASSERT_TRUE(Navigate(Url(L"/page1.html")).success);
    ComPtr<ICoreWebView2_21> view21;
    ASSERT_EQ(view->QueryInterface(__uuidof(ICoreWebView2_21), view21.put_void()), S_OK);
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"'text'", L"1|\"text\"|text"},
        {L"({a: 1})", L"1|{\"a\":1}|-"},
        {L"\n\nnull.x", L"0|null|-|TypeError|Cannot read properties of null (reading 'x')|2"},
        {L"throw new RangeError('out')", L"0|null|-|RangeError|out|0"},
        {L"throw 'bare'", L"0|null|-||bare|0"},
    };
    for (const auto& [script, expected] : cases) {
        std::wstring seen;
        ASSERT_TRUE(Await<ICoreWebView2ExecuteScriptWithResultCompletedHandler>(
            [&](auto* done) { return view21->ExecuteScriptWithResult(script, done); },
            [&](HRESULT hr, ICoreWebView2ExecuteScriptResult* result) {
                if (FAILED(hr) || !result) return (void)(seen = L"failed: " + std::to_wstring(hr));
                BOOL succeeded = 2, isString = 2;
                LPWSTR json = nullptr, text = nullptr;
                result->get_Succeeded(&succeeded);
                result->get_ResultAsJson(&json);
                result->TryGetResultAsString(&text, &isString);
                const std::wstring asString = Co(text);
                seen = std::to_wstring(succeeded) + L"|" + Co(json) + L"|" + (isString ? asString : L"-");
                ComPtr<ICoreWebView2ScriptException> exception;
                result->get_Exception(exception.put());
                if (!exception) return;
                LPWSTR name = nullptr, message = nullptr;
                UINT32 line = 99;
                exception->get_Name(&name);
                exception->get_Message(&message);
                exception->get_LineNumber(&line);
                seen += L"|" + Co(name) + L"|" + Co(message) + L"|" + std::to_wstring(line);
            },
            kNavigationMs)) << script;
        EXPECT_EQ(seen, expected) << script;
    }
}

TEST_F(Runtime, DocumentCreatedScriptsRunBeforeThePageUntilRemoved) {
    std::wstring id;
    ASSERT_TRUE(Await<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler>(
        [&](auto* done) {
            return view->AddScriptToExecuteOnDocumentCreated(
                L"window.seenAt = document.readyState + '/' + typeof chrome.webview;", done);
        },
        [&](HRESULT, LPCWSTR text) { id = text ? text : L"(none)"; }, kNavigationMs));
    ASSERT_TRUE(Navigate(Url(L"/page1.html")).success);
    EXPECT_EQ(Script(L"window.seenAt"), L"\"loading/object\"");
    ASSERT_EQ(view->RemoveScriptToExecuteOnDocumentCreated(id.c_str()), S_OK);
    ASSERT_TRUE(Navigate(Url(L"/page2.html")).success);
    EXPECT_EQ(Script(L"window.seenAt"), L"null");
}

TEST_F(Runtime, FramesArePairedCreatedAndDestroyed) {
    ComPtr<ICoreWebView2_4> view4;
    ASSERT_EQ(view->QueryInterface(__uuidof(ICoreWebView2_4), view4.put_void()), S_OK);
    std::vector<std::wstring> seen;
    std::vector<ComPtr<ICoreWebView2Frame>> frames;
    Registration created = On(view4.get(), &ICoreWebView2_4::add_FrameCreated, &ICoreWebView2_4::remove_FrameCreated,
        [&](ICoreWebView2*, ICoreWebView2FrameCreatedEventArgs* args) {
            ComPtr<ICoreWebView2Frame> frame;
            args->get_Frame(frame.put());
            EventRegistrationToken ignored{};
            frame->add_Destroyed(Callback<ICoreWebView2FrameDestroyedEventHandler>([&](ICoreWebView2Frame* sender, IUnknown*) {
                LPWSTR name = nullptr;
                sender->get_Name(&name);
                seen.push_back(L"destroyed:" + Co(name));
                return S_OK;
            }).get(), &ignored);
            frames.push_back(frame);
            seen.push_back(L"created");
        });
    ASSERT_TRUE(Navigate(Url(L"/frames.html")).success);
    ASSERT_TRUE(Navigate(Url(L"/page1.html")).success);
    PumpUntil([&] { return seen.size() >= 2; }, 2000);
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"created", L"destroyed:inner"}));
    ASSERT_EQ(frames.size(), 1u);
    BOOL destroyed = FALSE;
    frames[0]->IsDestroyed(&destroyed);
    EXPECT_TRUE(destroyed);
}

TEST_F(Runtime, PageOpenedWindowsAskTheHost) {
    ASSERT_TRUE(Navigate(Url(L"/page1.html")).success);
    std::vector<std::wstring> seen;
    Registration opened = On(view, &ICoreWebView2::add_NewWindowRequested, &ICoreWebView2::remove_NewWindowRequested,
        [&](ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* args) {
            LPWSTR uri = nullptr;
            args->get_Uri(&uri);
            seen.push_back(L"new:" + Co(uri));
            args->put_Handled(TRUE);   // the host keeps it: no window may stay open
        });
    Registration closing = On(view, &ICoreWebView2::add_WindowCloseRequested,
        &ICoreWebView2::remove_WindowCloseRequested, [&](ICoreWebView2*, IUnknown*) { seen.push_back(L"close"); });
    Script(L"window.open('/page2.html', 'w', 'width=300'), 1");
    ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }, kNavigationMs));
    Script(L"window.close(), 1");
    PumpUntil([&] { return seen.size() >= 2; }, kNavigationMs);
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"new:" + Url(L"/page2.html"), L"close"}));
    RawCdp raw;
    ASSERT_TRUE(raw.Connect(*folder));
    bool popupGone = PumpUntil([&] { return raw.Call(u"Target.getTargets").find(u"/page2.html") == std::u16string::npos; }, 5000);
    EXPECT_TRUE(popupGone);
}

// A host that ends without releasing anything (ExitProcess, a crash, a
// killed Office) leaves no browser: this process starts itself as such a
// host, which exits as soon as its browser answers.
TEST_F(Runtime, BrowserEndsWhenItsHostEndsWithoutReleasing) {
    const std::wstring orphanFolder = *folder + L"_orphan";
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(exe) + L"\" --corvane-orphan=\"" + orphanFolder + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    CloseHandle(info.hThread);
    ASSERT_EQ(WaitForSingleObject(info.hProcess, kReadyMs), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    ASSERT_EQ(code, 0u) << "the orphaned host never had its browser";
    RawCdp raw;
    EXPECT_TRUE(raw.Connect(orphanFolder)) << "the browser was gone at once: nothing proven";
    const DWORD start = GetTickCount();
    bool gone = false;
    while (!gone && GetTickCount() - start < 15000) {
        RawCdp probe;
        gone = !probe.Connect(orphanFolder);
        if (!gone) Sleep(250);
    }
    EXPECT_TRUE(gone) << "a browser outlived its host";
    std::printf("[ info ] orphaned browser ended %lu ms after its host\n", GetTickCount() - start);
}

TEST_F(Runtime, StringDocumentsAndHistoryNavigate) {
    ASSERT_TRUE(Navigate(L"about:blank").success);   // settle on a known entry first
    auto settles = [&](HRESULT (STDMETHODCALLTYPE ICoreWebView2::*step)()) {
        return Navigation([&] { return (view->*step)(); }).success;
    };
    EXPECT_TRUE(Navigation([] { return view->NavigateToString(L"<title>Written</title><script>window.x = 6 * 7;</script>"); })
                    .success);
    EXPECT_EQ(Title(), L"Written");   // known when the navigation ends, as hosts read it then
    EXPECT_EQ(Script(L"window.x + ':' + document.title + ':' + location.href"), L"\"42:Written:about:blank\"");
    Script(L"document.title = 'Changed \u00e9'");   // and it follows the document
    EXPECT_TRUE(PumpUntil([&] { return Title() == L"Changed \u00e9"; }, 2000)) << Title();
    EXPECT_TRUE(Navigate(Url(L"/page1.html")).success);
    EXPECT_EQ(Title(), L"Page One");
    EXPECT_TRUE(Navigate(Url(L"/page2.html")).success);
    BOOL back = FALSE, forward = TRUE;
    view->get_CanGoBack(&back);
    view->get_CanGoForward(&forward);
    EXPECT_TRUE(back);
    EXPECT_FALSE(forward);
    EXPECT_TRUE(settles(&ICoreWebView2::GoBack));
    EXPECT_EQ(Script(L"document.title"), L"\"Page One\"");
    view->get_CanGoForward(&forward);
    EXPECT_TRUE(forward);
    EXPECT_TRUE(settles(&ICoreWebView2::GoForward));
    EXPECT_EQ(Script(L"document.title"), L"\"Page Two\"");
    Script(L"window.marker = 1");
    EXPECT_TRUE(settles(&ICoreWebView2::Reload));
    EXPECT_EQ(Script(L"window.marker"), L"null");   // a new document
}

// A view's first string document goes straight into the blank page the view
// was made with (its own window, or the start page) unless something touched
// that page: either way a whole navigation to a new document, bootstrap and
// document scripts included.
TEST_F(Runtime, AFreshViewsStringDocumentIsANewDocument) {
    const struct { const wchar_t *name, *script, *document, *seen; bool startPage; } cases[] = {
        {L"untouched", nullptr, nullptr, L"undefined:undefined", false},
        {L"the start page", nullptr, nullptr, L"undefined:undefined", true},
        {L"a script ran", L"window.left = 1", nullptr, L"undefined:undefined", false},
        // its listeners outlive the document.open that writes the content
        {L"a document script", nullptr, L"early = typeof chrome.webview; addEventListener('load', () => early += z)",
         L"undefined:object7", false},
    };
    struct Shared { ICoreWebView2* kept = view; ~Shared() { if (view != kept) view->Release(); view = kept; } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<ICoreWebView2Environment> own;
        HRESULT made = E_PENDING;
        if (c.startPage) own.Attach(NewEnvironment(*folder + L"_start", &made, kReadyMs));
        ComPtr<ICoreWebView2Controller> controller;
        Await<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
            [&](auto* done) { return (own ? own.get() : env)->CreateCoreWebView2Controller(window, done); },
            [&](HRESULT, ICoreWebView2Controller* got) { controller = ComPtr<ICoreWebView2Controller>(got); }, kReadyMs);
        ASSERT_TRUE(controller) << made;
        Shared shared;   // the fixture's helpers drive `view`: here the fresh one
        controller->get_CoreWebView2(&view);
        if (c.script) Script(c.script);
        if (c.document) view->AddScriptToExecuteOnDocumentCreated(c.document, nullptr);
        int contentLoading = 0;
        Registration loading = On(view, &ICoreWebView2::add_ContentLoading, &ICoreWebView2::remove_ContentLoading,
                                  [&](auto...) { ++contentLoading; });
        EXPECT_TRUE(Navigation([] { return view->NavigateToString(L"<title>Fresh</title><script>z = 7;</script>"); }).success);
        EXPECT_EQ(contentLoading, 1);
        EXPECT_EQ(Script(L"[typeof left, String(window.early), z, document.title, typeof chrome.webview.postMessage].join(':')"),
                  L"\"" + std::wstring(c.seen) + L":7:Fresh:function\"");
        controller->Close();
    }
}

TEST_F(Runtime, SettingsReachThePage) {
    ComPtr<ICoreWebView2Settings> settings;
    ASSERT_EQ(view->get_Settings(settings.put()), S_OK);
    ComPtr<ICoreWebView2Settings2> second;
    ASSERT_EQ(settings->QueryInterface(__uuidof(ICoreWebView2Settings2), second.put_void()), S_OK);
    LPWSTR agent = nullptr;
    second->get_UserAgent(&agent);
    const std::wstring original = Co(agent);
    EXPECT_TRUE(Has(original, L"Chrome/")) << original;
    EXPECT_EQ(second->put_UserAgent(L"CorvaneAgent/1.0"), S_OK);
    ASSERT_TRUE(Navigate(Url(L"/page1.html")).success);
    EXPECT_EQ(Script(L"navigator.userAgent"), L"\"CorvaneAgent/1.0\"");
    second->put_UserAgent(original.c_str());

    // Without the built-in error page a failed navigation leaves a blank document.
    settings->put_IsBuiltInErrorPageEnabled(FALSE);
    Completed failed = Navigate(L"http://127.0.0.1:2/");
    settings->put_IsBuiltInErrorPageEnabled(TRUE);
    EXPECT_FALSE(failed.success);
    EXPECT_EQ(failed.status, COREWEBVIEW2_WEB_ERROR_STATUS_CANNOT_CONNECT);
    PumpFor(300);
    EXPECT_EQ(Script(L"document.documentElement ? document.documentElement.innerText : ''"), L"\"\"");
}

TEST_F(Runtime, OnlyAHiddenViewIsSuspended) {
    ComPtr<ICoreWebView2_3> view3;
    ASSERT_EQ(view->QueryInterface(__uuidof(ICoreWebView2_3), view3.put_void()), S_OK);
    ASSERT_TRUE(Navigate(Url(L"/page1.html")).success);
    EXPECT_EQ(view3->TrySuspend(nullptr), HRESULT_FROM_WIN32(ERROR_INVALID_STATE));
    ASSERT_EQ(ctl->put_IsVisible(FALSE), S_OK);
    HRESULT code = E_PENDING;
    BOOL suspended = FALSE;
    ASSERT_TRUE(Await<ICoreWebView2TrySuspendCompletedHandler>([&](auto* done) { return view3->TrySuspend(done); },
                                                               [&](HRESULT hr, BOOL result) {
                                                                   code = hr;
                                                                   suspended = result;
                                                               },
                                                               kNavigationMs));
    EXPECT_EQ(code, S_OK);
    EXPECT_TRUE(suspended);
    BOOL state = FALSE;
    view3->get_IsSuspended(&state);
    EXPECT_TRUE(state);
    ASSERT_EQ(ctl->put_IsVisible(TRUE), S_OK);   // showing the view resumes it
    view3->get_IsSuspended(&state);
    EXPECT_FALSE(state);
    EXPECT_EQ(Script(L"1 + 2"), L"3");
}

TEST_F(Runtime, StoppedAndReplacedNavigationsEndCancelled) {
    ASSERT_TRUE(Navigate(Url(L"/page1.html")).success);
    std::vector<std::pair<UINT64, COREWEBVIEW2_WEB_ERROR_STATUS>> ends;   // failures only
    std::vector<UINT64> successes;
    Registration completed = On(view, &ICoreWebView2::add_NavigationCompleted,
        &ICoreWebView2::remove_NavigationCompleted, [&](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* args) {
            BOOL ok = FALSE;
            UINT64 id = 0;
            COREWEBVIEW2_WEB_ERROR_STATUS status{};
            args->get_IsSuccess(&ok);
            args->get_NavigationId(&id);
            args->get_WebErrorStatus(&status);
            if (ok) successes.push_back(id);
            else ends.emplace_back(id, status);
        });
    // The slow page answers after 3 s: Stop ends it first.
    ASSERT_EQ(view->Navigate(Url(L"/slow.html").c_str()), S_OK);
    PumpFor(300);
    ASSERT_EQ(view->Stop(), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !ends.empty(); }, kNavigationMs));
    EXPECT_EQ(ends.back().second, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED);
    EXPECT_EQ(Script(L"document.title"), L"\"Page One\"");
    // A navigation started while another is under way replaces it.
    ends.clear();
    ASSERT_EQ(view->Navigate(Url(L"/slow.html").c_str()), S_OK);
    PumpFor(300);
    ASSERT_EQ(view->Navigate(Url(L"/page2.html").c_str()), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !successes.empty(); }, kNavigationMs));
    PumpFor(300);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].second, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED);
    EXPECT_LT(ends[0].first, successes[0]);
    EXPECT_EQ(Script(L"document.title"), L"\"Page Two\"");
}

// A mapped host is served from its folder and from nowhere else; "deny"
// still lets the host's own pages load what lies beside them.
TEST_F(Runtime, VirtualHostServesItsFolderOnly) {
    ComPtr<ICoreWebView2_3> view3;
    ASSERT_EQ(view->QueryInterface(__uuidof(ICoreWebView2_3), view3.put_void()), S_OK);
    const std::wstring base = *folder + L"_vhost", site = base + L"\\site", outside = base + L"\\outside.txt";
    CreateDirectoryW(base.c_str(), nullptr);
    CreateDirectoryW(site.c_str(), nullptr);
    auto write = [](const std::wstring& path, const std::string& bytes) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
        CloseHandle(file);
    };
    write(site + L"\\index.html", "<title>Mapped</title><link rel=stylesheet href=style.css><p id=p>x</p>");
    write(site + L"\\style.css", "#p { color: rgb(1, 2, 3); }");
    write(site + L"\\clip.bin", "0123456789abcdefghij");
    write(outside, "SECRET");
    // Links leading out, a file's and a folder's: Wine makes none itself, Unix's ln does.
    for (const auto& [target, link] : {std::pair{outside, site + L"\\link.txt"}, std::pair{base, site + L"\\up"}}) {
        std::wstring command = L"ln -sfn " + Corvane::Chromium::UnixPathOf(target) + L" " + Corvane::Chromium::UnixPathOf(link);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(L"Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) continue;
        WaitForSingleObject(info.hProcess, 30000);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    const bool linked = PumpUntil([&] { return GetFileAttributesW((site + L"\\up").c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000);
    ASSERT_EQ(view3->SetVirtualHostNameToFolderMapping(L"App.Corvane.Test", site.c_str(),
                                                       COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_DENY), S_OK);
    const Completed page = Navigate(L"https://app.corvane.test/index.html");
    EXPECT_TRUE(page.success);
    EXPECT_EQ(page.http, 200);
    EXPECT_EQ(Title(), L"Mapped");
    EXPECT_EQ(Script(L"getComputedStyle(document.getElementById('p')).color + '|' + isSecureContext"),
              L"\"rgb(1, 2, 3)|true\"");
    // Each fetch as "status:body"; the browser itself folds "/../" and "%2e%2e" away.
    std::wstring outsideEncoded;
    for (wchar_t c : outside) outsideEncoded += c == L'\\' ? L"%5C" : c == L':' ? L"%3A" : std::wstring(1, c);
    Script((L"window.vh = null; Promise.all(['/../outside.txt', '/%2e%2e/outside.txt', '/%2E%2E%2foutside.txt', "
            L"'/..%5coutside.txt', '/.%2e/.%2e/outside.txt', '/%5c%5c127.0.0.1%5cshare%5coutside.txt', '/" + outsideEncoded + L"', "
            L"'/index.html%00', '/link.txt', '/up/outside.txt'].map(p => fetch(p).then(r => r.text().then(t => r.status + ':' + t)))"
            L").then(a => window.vh = a.join('|'), e => window.vh = String(e)), 1").c_str());
    std::wstring traversal;
    PumpUntil([&] { return (traversal = Script(L"window.vh")) != L"null"; }, kNavigationMs);
    EXPECT_FALSE(Has(traversal, L"SECRET")) << traversal;
    EXPECT_TRUE(Has(traversal, L"403:")) << traversal;
    EXPECT_TRUE(linked) << "no links were made: the link cases prove nothing";
    std::printf("VirtualHost: %zu paths leading out of the folder tried: %ls\n",
                static_cast<std::size_t>(std::count(traversal.begin(), traversal.end(), L'|') + 1), traversal.c_str());
    Script(L"window.vh = null; fetch('/clip.bin', {headers: {Range: 'bytes=10-14'}}).then(r => r.text().then(t => "
           L"window.vh = r.status + ' ' + r.headers.get('content-range') + ' ' + t)), 1");
    std::wstring ranged;
    PumpUntil([&] { return (ranged = Script(L"window.vh")) != L"null"; }, kNavigationMs);
    EXPECT_EQ(ranged, L"\"206 bytes 10-14/20 abcde\"");
    ASSERT_EQ(view3->ClearVirtualHostNameToFolderMapping(L"app.corvane.test"), S_OK);
    EXPECT_FALSE(Navigate(L"https://app.corvane.test/index.html").success);
}

TEST_F(Runtime, StartUpFailureIsReportedThroughTheCompletion) {
    // A "browser" that exits at once: creation fails quickly, it does not hang.
    SetEnvironmentVariableW(L"CORVANE_CHROMIUM", L"/bin/true");
    const DWORD start = GetTickCount();
    HRESULT result;
    ICoreWebView2Environment* made = NewEnvironment(*folder + L"_failing", &result, kReadyMs);
    SetEnvironmentVariableW(L"CORVANE_CHROMIUM", L"/usr/bin/chromium");
    EXPECT_EQ(result, HRESULT_FROM_WIN32(ERROR_PROCESS_ABORTED));
    EXPECT_EQ(made, nullptr);
    EXPECT_LT(GetTickCount() - start, 10000u);
}

// Last: it ends the suite's browser.
TEST_F(Runtime, BrowserExitIsReportedAsProcessFailed) {
    COREWEBVIEW2_PROCESS_FAILED_KIND kind = COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED;
    int failures = 0;
    Registration failed = On(view, &ICoreWebView2::add_ProcessFailed, &ICoreWebView2::remove_ProcessFailed,
                             [&](ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs* args) {
                                 ++failures;
                                 args->get_ProcessFailedKind(&kind);
                             });
    ComPtr<ICoreWebView2Environment5> env5;
    ASSERT_EQ(env->QueryInterface(__uuidof(ICoreWebView2Environment5), env5.put_void()), S_OK);
    COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND exitKind = COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND_NORMAL;
    int exits = 0;
    Registration exited = On(env5.get(), &ICoreWebView2Environment5::add_BrowserProcessExited,
                             &ICoreWebView2Environment5::remove_BrowserProcessExited,
                             [&](ICoreWebView2Environment*, ICoreWebView2BrowserProcessExitedEventArgs* args) {
                                 ++exits;
                                 args->get_BrowserProcessExitKind(&exitKind);
                             });
    RawCdp raw;
    ASSERT_TRUE(raw.Connect(*folder));
    raw.Post(u"Browser.close", u"{}", {});
    ASSERT_TRUE(PumpUntil([&] { return failures > 0 && exits > 0; }, kNavigationMs));
    EXPECT_EQ(kind, COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED);
    EXPECT_EQ(exitKind, COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND_FAILED);
    EXPECT_EQ(view->Navigate(Url(L"/page1.html").c_str()), HRESULT_FROM_WIN32(ERROR_CONNECTION_ABORTED));
    EXPECT_EQ(Script(L"1"), L"(failed)");
}

}  // namespace
