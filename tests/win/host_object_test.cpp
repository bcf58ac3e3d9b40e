// Host objects through the Chromium runtime and the real browser: a scripted
// host IDispatch called from pages through chrome.webview.hostObjects.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "browser_host.h"
#include "callback.h"
#include "chromium/chromium_runtime.h"
#include "win_test_support.h"

using namespace CorvaneTest;

std::wstring TestServerUrl();
using Corvane::Callback;
using Corvane::ComPtr;

namespace {

using Args = std::vector<VARIANT*>;   // first to last

using Member = std::function<HRESULT(Args&, VARIANT*, EXCEPINFO*)>;

struct Scripted final : IDispatch {
    explicit Scripted(std::vector<std::pair<std::wstring, Member>> m) : members(std::move(m)) { ++alive; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? this : nullptr;
        return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs ? refs : (--alive, delete this, 0); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }   // no type information
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
        for (std::size_t i = 0; i < members.size(); ++i)
            if (!_wcsicmp(names[0], members[i].first.c_str())) return *id = static_cast<DISPID>(i + 1), S_OK;
        return *id = DISPID_UNKNOWN, DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT* out, EXCEPINFO* info, UINT*) override {
        Args args;
        for (UINT i = p->cArgs; i-- > 0;) args.push_back(&p->rgvarg[i]);
        return members.at(id - 1).second(args, out, info);
    }
    std::vector<std::pair<std::wstring, Member>> members;
    LONG refs = 1;
    static inline int alive = 0;
};

// Conversions, members, nested objects, host failures; then a document's end, Remove and Close let go.
TEST(HostObjects, PagesReachHostObjectsUntilTheirDocumentRemoveOrClose) {
    ComPtr<ICoreWebView2Environment> env;
    ComPtr<ICoreWebView2Controller> ctl;
    ComPtr<ICoreWebView2> view;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    Corvane::Chromium::CreateEnvironmentWithOptions(nullptr, (std::wstring(temp) + L"corvane_host_object_test").c_str(), nullptr,
        Callback<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>([&](HRESULT, ICoreWebView2Environment* e) {
            if ((env = ComPtr<ICoreWebView2Environment>(e)))   // the runtime only remembers the parent window
                e->CreateCoreWebView2Controller(GetDesktopWindow(), Callback<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
                    [&](HRESULT, ICoreWebView2Controller* c) { return (ctl = ComPtr<ICoreWebView2Controller>(c)) ? c->get_CoreWebView2(view.put()) : S_OK; }).get());
            return S_OK;
        }).get());
    ASSERT_TRUE(PumpUntil([&] { return view.get() != nullptr; }, 30000)) << "no browser";
    std::wstring seen, name = L"start";
    Scripted* calc = new Scripted({
        {L"Echo", [&](Args& args, VARIANT* out, EXCEPINFO*) {   // the arguments back, their types noted
            out->vt = VT_ARRAY | VT_VARIANT, out->parray = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(args.size()));
            for (LONG i = 0; i < static_cast<LONG>(args.size()); ++i)
                seen += std::to_wstring(args[i]->vt) + L" ", SafeArrayPutElement(out->parray, &i, args[i]);
            return S_OK;
        }},
        {L"Grid", [](Args&, VARIANT* out, EXCEPINFO*) {   // Dim a(1 To 2, 1 To 3) As Long
            SAFEARRAYBOUND bounds[] = {{2, 1}, {3, 1}};
            out->vt = VT_ARRAY | VT_I4, out->parray = SafeArrayCreate(VT_I4, 2, bounds);
            for (LONG row = 1, value; row <= 2; ++row)
                for (LONG at[] = {row, 1}; at[1] <= 3; ++at[1]) SafeArrayPutElement(out->parray, at, &(value = row * 10 + at[1]));
            return S_OK;
        }},
        {L"Name", [&](Args& args, VARIANT* out, EXCEPINFO*) {
            if (args.empty()) return out->vt = VT_BSTR, out->bstrVal = SysAllocString(name.c_str()), S_OK;
            return name = args[0]->bstrVal, S_OK;
        }},
        {L"Child", [](Args&, VARIANT* out, EXCEPINFO*) {
            return out->vt = VT_DISPATCH, out->pdispVal = new Scripted({{L"Twice", [](Args& a, VARIANT* r, EXCEPINFO*) {
                return r->vt = VT_I4, r->lVal = 2 * a[0]->lVal, S_OK; }}}), S_OK;
        }},
        {L"Fail", [](Args& a, VARIANT*, EXCEPINFO* e) { return e->bstrDescription = SysAllocString(a[0]->bstrVal), DISP_E_EXCEPTION; }},
    });
    auto add = [&] {
        VARIANT object{};
        object.vt = VT_DISPATCH, object.pdispVal = calc;
        ASSERT_EQ(view->AddHostObjectToScript(L"calc", &object), S_OK);
    };
    auto run = [&](const std::wstring& script) {
        std::wstring out = L"(none)";
        view->ExecuteScript(script.c_str(), Callback<ICoreWebView2ExecuteScriptCompletedHandler>([&](HRESULT, LPCWSTR json) {
            return out = json ? json : L"", S_OK; }).get());
        PumpUntil([&] { return out != L"(none)"; }, 10000);
        return out;
    };
    auto load = [&] {   // a new document
        run(L"window.doc=1");
        view->NavigateToString(L"<p>page</p>");
        PumpUntil([&] { return run(L"window.doc") == L"null"; }, 15000);
    };
    // What `expr` (o is hostObjects.calc) settles with, strings in single quotes.
    auto page = [&](const std::wstring& expr) {
        run(L"var o=chrome.webview.hostObjects.calc;window.r=undefined;var show=v=>Array.isArray(v)?'['+v.map(show)+']':"
            L"v instanceof Date?'Date:'+v.toISOString():typeof v==='string'?\"'\"+v+\"'\":v&&typeof v==='object'?'object':String(v);"
            L"Promise.resolve().then(()=>" + expr + L").then(v=>window.r=show(v),e=>window.r='rejected: '+e.message);0");
        std::wstring out;
        for (int i = 0; i < 200 && (out = run(L"window.r===undefined?null:window.r")) == L"null"; ++i) PumpFor(20);
        return out.substr(1, out.size() - 2);
    };
    add();
    load();
    const struct { const wchar_t *expr, *seen, *shown; } cases[] = {   // seen: the host's VARTYPEs
        {L"o.Echo(1, 'a', true, 2.5)", L"3 8 11 5 ", L"[1,'a',true,2.5]"},
        {L"o.Echo(null, undefined, NaN)", L"1 0 5 ", L"[null,undefined,NaN]"},
        {L"o.Echo(new Date(Date.UTC(2024, 0, 2, 3, 4, 5, 6)))", L"7 ", L"[Date:2024-01-02T03:04:05.006Z]"},
        {L"o.Echo([1, ['b', false]], [])", L"8204 8204 ", L"[[1,['b',false]],[]]"},
        {L"o.Grid", L"", L"[[11,12,13],[21,22,23]]"},
        {L"(o.Name = 'set', o.Name)", L"", L"'set'"},
        {L"o.setHostProperty('Name', 'again').then(() => o.getHostProperty('Name'))", L"", L"'again'"},
        {L"o.Child.Twice(5)", L"", L"10"},
        {L"o.Child.then(c => o.Echo(c))", L"9 ", L"[object]"},
        {L"o.Fail('bad thing')", L"", L"rejected: bad thing"},
        {L"o.Missing()", L"", L"rejected: The host object has no member 'Missing'."},
        {L"o.Echo(() => 1)", L"", L"rejected: A host object cannot take this function value"},
    };
    for (const auto& c : cases) {
        seen.clear();
        EXPECT_EQ(page(c.expr), c.shown) << c.expr;
        EXPECT_EQ(seen, c.seen) << c.expr;
    }
    for (int round : {1, 2}) {   // the children go with their document; the registered object stays
        load();
        EXPECT_TRUE(PumpUntil([] { return Scripted::alive == 1; })) << round;
        EXPECT_EQ(calc->refs, 2);   // the test's and the view's
        EXPECT_EQ(page(L"o.Child.then(c => (window.keep = c).Twice(1))"), L"2");
        EXPECT_EQ(Scripted::alive, 2);
    }
    EXPECT_EQ(page(L"o.Echo(7)"), L"[7]");
    ASSERT_EQ(view->RemoveHostObjectFromScript(L"calc"), S_OK);
    EXPECT_EQ(calc->refs, 1);
    EXPECT_EQ(page(L"o.Echo(7)"), L"rejected: There is no host object named 'calc'.");
    add();
    EXPECT_EQ(page(L"o.Child.then(c => (window.keep = c).Twice(2))"), L"4");
    ctl->Close();
    EXPECT_EQ(calc->refs, 1);
    EXPECT_EQ(Scripted::alive, 1);
    calc->Release();
    view.Reset(), ctl.Reset(), env.Reset();
    PumpFor(100);
}

// Page-to-macro calls through the pool on the real browser: auto-dispatch
// runs only allowed macros, under their allowed names; the rest reaches the
// web message macro or nothing; a data-vba button posts once per 100 ms; the
// cvn callback object and the ready callback reach their methods.
TEST(HostCallbacks, PagesReachOnlyTheMacrosTheHostAllows) {
    SetEnvironmentVariableW(L"CORVANE_WEBVIEW2_RUNTIME", nullptr);
    ComPtr<IBrowserPool> pool;
    pool.Attach(NewObject<IBrowserPool>(CLSID_BrowserPool, IID_IBrowserPool));
    LONG idx = 0;
    ASSERT_TRUE(pool && pool->Create(0, Bs(L""), 0, 0, 400, 300, &idx) == S_OK);
    std::vector<std::wstring> runs;
    auto record = [&](const wchar_t* prefix) {
        return [&runs, prefix](Args& args, VARIANT*, EXCEPINFO*) {
            std::wstring line = prefix;
            for (VARIANT* v : args) line += L"|" + std::wstring(v->vt == VT_BSTR ? v->bstrVal : L"?");
            return runs.push_back(line), S_OK;
        };
    };
    auto* app = new Scripted({{L"Run", record(L"Run")}});
    auto* callbacks = new Scripted({{L"OnReady", record(L"ready")}, {L"OnNotify", record(L"notify")}});
    ASSERT_EQ(pool->SetReadyCallback(idx, callbacks, Bs(L"OnReady")), S_OK);   // fires when the browser is ready
    ASSERT_EQ(pool->SetWebMessageCallback(idx, app, Bs(L"OnMessage")), S_OK);
    ASSERT_EQ(pool->SetAllowedVBAMacros(idx, Bs(L" DoThing ,Other,Module1.DoThing")), S_OK);
    ASSERT_EQ(pool->EnableAutoDispatch(idx, VARIANT_TRUE), S_OK);
    ASSERT_EQ(pool->NavigateSync(idx, Bs(TestServerUrl() + L"/callbacks.html")), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return runs.size() == 1; }, 10000));
    ASSERT_EQ(pool->ClearReadyCallback(idx), S_OK);
    ASSERT_EQ(pool->SetReadyCallback(idx, callbacks, Bs(L"OnReady")), S_OK);   // ready now: at once
    ASSERT_EQ(pool->SetReadyCallback(idx, callbacks, Bs(L"OnReady")), S_OK);   // and not again
    ASSERT_EQ(pool->RegisterVbaCallback(idx, Bs(L"notify"), callbacks, Bs(L"OnNotify")), S_OK);
    auto run = [&](const std::wstring& script) {
        BSTR out = nullptr;
        EXPECT_EQ(pool->ExecuteScript(idx, Bs(script), &out), S_OK) << script;
        return TakeBstr(out);
    };
    PumpFor(300);
    ASSERT_EQ(runs.size(), 2u);
    run(L"chrome.webview.hostObjects.cvn.notify('1','two');0");
    EXPECT_TRUE(PumpUntil([&] { return runs.size() == 3; }, 10000));
    // Hostile calls are rejected in the page, or reach the host whole.
    std::wstring many;
    for (int i = 0; i < 40; ++i) many += L"'a',";
    run(L"var d=[];for(var i=0;i<20;i++)d=[d];var c=chrome.webview.hostObjects.cvn;Promise.allSettled([c.other(),"
        L"c.notify(d),c.notify(" + many + L"),c.notify('x'.repeat(1<<20))]).then(r=>window.h=r.map(x=>x.status).join());0");
    EXPECT_TRUE(PumpUntil([&] { return run(L"window.h||null") != L"null"; }, 10000));
    EXPECT_EQ(run(L"window.h"), L"\"rejected,rejected,rejected,fulfilled\"");
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs.back().size(), 7u + (1u << 20));
    runs.pop_back();
    std::vector<std::wstring> expected = {L"ready", L"ready", L"notify|1|two", L"Run|DoThing|C:\\new\\table.csv"};
    run(L"var b=document.getElementById('b');b.click();b.click();0");
    const std::wstring source = TestServerUrl() + L"/callbacks.html";
    const struct { const wchar_t *posted, *run; } messages[] = {   // run: what reaches Run, null for nothing
        {LR"({"macro":"DoThing","args":"42"})", L"DoThing|42"},
        {LR"({"macro":"D.oThing","args":"x"})", L"DoThing|x"},                  // the allowed name, not the page's
        {LR"({"macro":"DO THING","args":"C:\\new\\t.csv"})", L"DoThing|C:\\new\\t.csv"},
        {LR"({"macro":"Do\u0054hing","args":["a"]})", L"DoThing|"},
        {LR"({"macro":"Evil"})", nullptr},
        {LR"({"macro":"Module1.DoThing"})", nullptr},
        {LR"({"macro":"Evil","macro":"DoThing"})", nullptr},
        {LR"({"macro":"DoThing\u0000Evil"})", nullptr},
        {LR"({"macro":"\uff24oThing"})", nullptr},                              // a look-alike letter
        {LR"({"macro":42})", L"OnMessage|{\"macro\":42}|"},
        {LR"({"x":{"macro":"DoThing"}})", L"OnMessage|{\"x\":{\"macro\":\"DoThing\"}}|"},
        {LR"(not json "macro":"DoThing")", L"OnMessage|not json \"macro\":\"DoThing\"|"},
    };
    std::wstring posts;
    for (const auto& m : messages) {
        posts += L"chrome.webview.postMessage(\"";
        for (const wchar_t* c = m.posted; *c; ++c) posts += *c == L'\\' || *c == L'"' ? std::wstring{L'\\', *c} : std::wstring{*c};
        posts += L"\");";
        if (m.run) expected.push_back(std::wstring(L"Run|") + m.run + (m.run[0] == L'O' ? source : L""));
    }
    run(posts + L"0");
    EXPECT_TRUE(PumpUntil([&] { return runs.size() >= expected.size(); }, 10000));
    PumpFor(300);   // a message that should have been dropped would show up now
    EXPECT_EQ(runs, expected);
    std::printf("HostCallbacks: %zu page messages tried against the allow-list\n", std::size(messages));
    pool->Destroy(idx);
    pool.Reset();
    PumpFor(100);
    EXPECT_EQ(app->refs, 1);
    EXPECT_EQ(callbacks->refs, 1);
    app->Release();
    callbacks->Release();
}

// The window.cv facade answered by the host with a result and with an error,
// the inspector shown and removed, and content folders the control refuses.
TEST(PageServices, FacadeInspectorAndContentFolders) {
    HostedControl host(HostRuntime::Chromium);
    ASSERT_TRUE(host.ctrl && host.Attach() && host.WaitReady(30000));
    ICorvaneCtrl* ctrl = host.ctrl;
    std::vector<std::wstring> calls;
    auto* app = new Scripted({{L"Run", [&](Args& a, VARIANT*, EXCEPINFO*) {   // the macro answers each call
        const std::wstring message = a[1]->bstrVal, id = message.substr(message.find(L"\"id\":") + 5, 1);
        calls.push_back(message);
        const bool add = message.find(L"\"macro\":\"Add\",\"args\":[1,2]") != std::wstring::npos;
        ctrl->PostWebMessageAsJson(Bs(L"{\"__cv\":\"reply\",\"id\":" + id + (add ? L",\"result\":3}" : L",\"err\":\"nope\"}")));
        return S_OK;
    }}});
    ASSERT_EQ(ctrl->SetWebMessageCallback(app, Bs(L"OnMessage")), S_OK);
    ASSERT_EQ(ctrl->EnableCvFacade(VARIANT_TRUE), S_OK);
    ASSERT_EQ(ctrl->NavigateSync(Bs(TestServerUrl() + L"/page1.html")), S_OK);
    auto eval = [&](const std::wstring& script) {
        BSTR out = nullptr;
        ctrl->ExecuteScript(Bs(script), &out);
        return TakeBstr(out);
    };
    eval(L"Promise.all([cv.call('Add',1,2),cv.call('Fail').catch(e=>'err:'+e.message)]).then(r=>window.r=r.join());0");
    EXPECT_TRUE(PumpUntil([&] { return eval(L"window.r||null") != L"null"; }, 10000));
    EXPECT_EQ(eval(L"window.r"), L"\"3,err:nope\"");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_NE(calls[1].find(L"{\"__cv\":\"call\",\"id\":2,\"macro\":\"Fail\",\"args\":[]}"), std::wstring::npos) << calls[1];

    ctrl->ToggleBridgeInspector();
    EXPECT_EQ(eval(L"for(var i=0;i<60;i++)__cvnBridgeInspectorLog('in',i);document.getElementById('cvn-bi-log').childNodes.length"
                   L"+document.getElementById('cvn-bi-log').firstChild.textContent.slice(-6)"), L"\"50 in 10\"");
    ctrl->ToggleBridgeInspector();
    EXPECT_EQ(eval(L"!document.getElementById('cvn-bridge-inspector')&&window.__cvnBridgeInspectorLog('a','b')===undefined"),
              L"true");

    wchar_t windows[MAX_PATH] = {}, programs[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    GetEnvironmentVariableW(L"ProgramFiles", programs, MAX_PATH);
    const struct { std::wstring path; HRESULT hr; } roots[] = {   // the comparison itself is in the native table
        {std::wstring(windows) + L"\\SYSTEM32\\", E_ACCESSDENIED},
        {programs, E_ACCESSDENIED},
        {std::wstring(windows) + L"\\win.ini", E_INVALIDARG},
    };
    for (const auto& root : roots) EXPECT_EQ(ctrl->SetLocalContentRoot(Bs(root.path)), root.hr) << root.path;
    // A folder inside Program Files is fine: a page and its stylesheet from it.
    const std::wstring folder = std::wstring(programs) + L"\\corvane-content";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\app").c_str(), nullptr);
    auto write = [](const std::wstring& path, const char* text) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
        CloseHandle(file);
    };
    write(folder + L"\\app\\index.html", "<!doctype html><title>Local</title><link rel=stylesheet href=style.css><p id=p>x</p>");
    write(folder + L"\\app\\style.css", "#p { color: rgb(1, 2, 3) }");
    ASSERT_EQ(ctrl->SetLocalContentRoot(Bs(folder + L"\\.\\")), S_OK);
    ASSERT_EQ(ctrl->NavigateToLocalFile(Bs(L"app/index.html")), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return eval(L"document.title") == L"\"Local\""; }, 10000));
    EXPECT_TRUE(PumpUntil([&] { return eval(L"getComputedStyle(document.getElementById('p')).color") ==
                                       L"\"rgb(1, 2, 3)\""; }, 5000));
    EXPECT_EQ(eval(L"location.href"), L"\"https://content.corvane.test/app/index.html\"");
    ctrl->ClearWebMessageCallback();
    EXPECT_EQ(app->refs, 1);
    app->Release();
}

}  // namespace
