// The Chromium runtime against plain DevTools use of the same browser, in one
// process (under Wine):
//  - ready_vs_raw_launch: the control created to WebViewReady, against
//    starting the browser and getting its first DevTools answer;
//  - executescript_vs_raw_cdp: the control's ExecuteScript("1+1") called
//    late-bound, as a macro calls it, against Runtime.evaluate sent by a plain
//    client on the same page, alternated call by call. Medians; each call
//    checks its result;
//  - dom_get_value_vs_executescript: GetElementValueById against ExecuteScript
//    of the same script written by hand;
//  - bridge_call_vs_executescript: CallScriptSync on a bound page object
//    against the same call written as ExecuteScript;
//  - devtools_call_vs_raw_cdp: CallDevToolsProtocolMethod("Runtime.evaluate")
//    late-bound against the plain client's Runtime.evaluate on the same page.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "browser_host.h"
#include "chromium/browser_process.h"
#include "raw_cdp.h"

using namespace CorvaneTest;

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

std::wstring TempFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name;
}

// Starting the browser and its first DevTools answer, with nothing else.
double RawLaunchMicros(int run) {
    const std::wstring folder = TempFolder(L"corvane_bench_raw_") + std::to_wstring(run);
    std::wstring executable;
    if (FAILED(Corvane::Chromium::FindBrowser(nullptr, executable))) return -1;
    Corvane::Chromium::BrowserProcess process;
    const double start = Now();
    if (FAILED(process.Start(executable, folder, L""))) return -1;
    RawCdp raw;
    while (!raw.Connect(folder)) {
        if (Now() - start > 30e6) return -1;
        Sleep(5);
    }
    if (raw.Call(u"Browser.getVersion").find(u"product") == std::u16string::npos) return -1;
    const double took = Now() - start;
    raw.Post(u"Browser.close", u"{}", {});
    process.Stop(3000);
    return took;
}

// Late-bound calls as a macro makes them; arguments in reading order.
struct LateBound {
    IDispatch* dispatch;
    double Call(const wchar_t* member, std::vector<VARIANT> args, const wchar_t* expected) {
        DISPID id = 0;
        LPOLESTR name = const_cast<LPOLESTR>(member);
        dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
        std::reverse(args.begin(), args.end());
        DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        VARIANT result;
        VariantInit(&result);
        const double t = Now();
        HRESULT hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
        const double took = Now() - t;
        VariantChangeType(&result, &result, 0, VT_BSTR);
        const bool ok = SUCCEEDED(hr) && (!expected || (result.vt == VT_BSTR && std::wstring(result.bstrVal) == expected));
        VariantClear(&result);
        for (VARIANT& arg : args) VariantClear(&arg);
        if (!ok) {
            std::printf("chromium_bench: %ls gave no %ls (0x%08lx)\n", member, expected, static_cast<unsigned long>(hr));
            std::exit(1);
        }
        return took;
    }
};

// Two ways of doing the same thing, alternated call by call; the ratio of the
// medians of `calls` calls each, after 30 that warm up.
template <class A, class B>
double Compare(A a, B b, int calls = 300) {
    std::vector<double> first, second;
    for (int i = 0; i < calls + 30; ++i) {
        const double ta = a(), tb = b();
        if (i < 30) continue;   // warming up
        first.push_back(ta);
        second.push_back(tb);
    }
    return Median(first) / Median(second);
}

}  // namespace

int main() {
    OleInitialize(nullptr);
    SetEnvironmentVariableW(L"CORVANE_WEBVIEW2_RUNTIME", nullptr);
    SetEnvironmentVariableW(L"CORVANE_CHROMIUM", L"/usr/bin/chromium");

    std::vector<double> raw, ready;
    for (int run = 0; run < 3; ++run) {
        const double micros = RawLaunchMicros(run);
        if (micros < 0) {
            std::printf("chromium_bench: the browser did not start\n");
            return 1;
        }
        raw.push_back(micros);
        Sleep(1500);   // the closed browser leaves before the next one starts
    }

    std::vector<double> control, plain, devtools, devtoolsPlain;
    double devtoolsRatio = 0, executeRatio = 0;
    for (int run = 0; run < 3; ++run) {
        auto host = std::make_unique<HostedControl>(HostRuntime::Chromium);
        const double start = Now();
        if (!host->ctrl || !host->Attach() || !host->WaitReady(30000)) {
            std::printf("chromium_bench: the control never became ready\n");
            return 1;
        }
        ready.push_back(Now() - start);
        if (run == 2) {
            IDispatch* dispatch = nullptr;
            host->ctrl->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
            DISPID id = 0;
            LPOLESTR name = const_cast<LPOLESTR>(L"ExecuteScript");
            dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
            VARIANT script = Str(L"1+1");
            DISPPARAMS params{&script, nullptr, 1, 0};
            // A mark on the page so the plain client evaluates on the same one.
            VARIANT mark = Str(L"history.replaceState(null, '', '#corvane-bench'), 1");
            DISPPARAMS markParams{&mark, nullptr, 1, 0};
            VARIANT result;
            VariantInit(&result);
            dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &markParams, &result, nullptr, nullptr);
            VariantClear(&result);
            VariantClear(&mark);

            LateBound late{dispatch};
            late.Call(L"ExecuteScript", {Str(L"document.body.innerHTML='<input id=b value=x>';"
                                             L"window.pc={add:function(a){return a+1;}};1")}, L"1");
            late.Call(L"BindScriptObject", {Str(L"pc"), Str(L"window.pc")}, nullptr);
            const double dom = Compare(
                [&] { return late.Call(L"GetElementValueById", {Str(L"b")}, L"\"x\""); },
                [&] {
                    return late.Call(L"ExecuteScript",
                                     {Str(L"(function(){var e=document.getElementById('b');"
                                          L"return e?e.value||e.textContent||'':'';})()")},
                                     L"\"x\"");
                });
            const double bridge = Compare([&] { return late.Call(L"CallScriptSync", {Str(L"pc"), Str(L"add"), I4(1)}, L"2"); },
                                          [&] { return late.Call(L"ExecuteScript", {Str(L"window.pc.add(1)")}, L"2"); });
            std::printf("RATIO dom_get_value_vs_executescript %.2f\n", dom);
            std::printf("RATIO bridge_call_vs_executescript %.2f\n", bridge);

            BSTR folder = nullptr;
            host->ctrl->get_UserDataFolder(&folder);
            RawCdp client;
            if (!client.Connect(TakeBstr(folder))) return 1;
            const std::u16string session = client.AttachToPage(u"#corvane-bench");
            if (session.empty()) return 1;
            // ExecuteScript late-bound against the plain client's Runtime.evaluate, alternated
            // call by call so that both see the same machine.
            bool wrongScript = false;
            executeRatio = Compare(
                [&] {
                    const double t = Now();
                    HRESULT hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                                                  nullptr, nullptr);
                    control.push_back(Now() - t);
                    wrongScript |= FAILED(hr) || result.vt != VT_BSTR || std::wstring(result.bstrVal) != L"2";
                    VariantClear(&result);
                    return control.back();
                },
                [&] {
                    const double t = Now();
                    wrongScript |= client.Call(u"Runtime.evaluate", u"{\"expression\":\"1+1\"}", session)
                                       .find(u"\"value\":2") == std::u16string::npos;
                    plain.push_back(Now() - t);
                    return plain.back();
                },
                1000);
            VariantClear(&script);
            if (wrongScript) {
                std::printf("chromium_bench: ExecuteScript or the plain client gave no 2\n");
                return 1;
            }
            // The protocol call through the control against the plain client, alternated call by
            // call; the member's id looked up once, as a compiled macro call does.
            DISPID devtoolsId = 0;
            LPOLESTR devtoolsName = const_cast<LPOLESTR>(L"CallDevToolsProtocolMethod");
            dispatch->GetIDsOfNames(IID_NULL, &devtoolsName, 1, LOCALE_USER_DEFAULT, &devtoolsId);
            VARIANT call[2] = {Str(L"{\"expression\":\"1+1\"}"), Str(L"Runtime.evaluate")};   // last first
            DISPPARAMS callParams{call, nullptr, 2, 0};
            bool wrong = false;
            devtoolsRatio = Compare(
                [&] {
                    const double t = Now();
                    HRESULT hr = dispatch->Invoke(devtoolsId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                                  &callParams, &result, nullptr, nullptr);
                    const double took = Now() - t;
                    wrong |= FAILED(hr) || result.vt != VT_BSTR || !wcsstr(result.bstrVal, L"\"value\":2");
                    VariantClear(&result);
                    devtools.push_back(took);
                    return took;
                },
                [&] {
                    const double t = Now();
                    wrong |= client.Call(u"Runtime.evaluate", u"{\"expression\":\"1+1\"}", session)
                                 .find(u"\"value\":2") == std::u16string::npos;
                    devtoolsPlain.push_back(Now() - t);
                    return devtoolsPlain.back();
                });
            VariantClear(&call[0]);
            VariantClear(&call[1]);
            if (wrong) {
                std::printf("chromium_bench: CallDevToolsProtocolMethod or the plain client gave no 2\n");
                return 1;
            }
            dispatch->Release();
        }
        host.reset();
        PumpFor(50);
        Sleep(1500);
    }

    std::printf("chromium: browser start to first DevTools answer, median %.1f ms\n", Median(raw) / 1000);
    std::printf("chromium: control created to WebViewReady, median %.1f ms\n", Median(ready) / 1000);
    std::printf("chromium: ExecuteScript(\"1+1\") late-bound, median %.1f us, alternated with the plain client's "
                "Runtime.evaluate, median %.1f us\n", Median(control), Median(plain));
    std::printf("RATIO executescript_vs_raw_cdp %.2f\n", executeRatio);
    std::printf("RATIO ready_vs_raw_launch %.2f\n", Median(ready) / Median(raw));
    std::printf("chromium: CallDevToolsProtocolMethod(Runtime.evaluate) late-bound, median %.1f us, "
                "alternated with the plain client's, median %.1f us\n", Median(devtools), Median(devtoolsPlain));
    std::printf("RATIO devtools_call_vs_raw_cdp %.2f\n", devtoolsRatio);
    OleUninitialize();
    return 0;
}
