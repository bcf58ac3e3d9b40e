// The browser pool against the Chromium runtime (under Wine), late-bound as a
// macro calls it:
//  - pool_10_vs_1: ten hidden pooled browsers created and each loaded with a
//    page, against doing it for one (the browsers of one environment share a
//    browser process, so ten should cost far less than ten times one);
//  - pool_executescript_vs_control: ExecuteScript("1+1") through the pool by
//    index, against the control's own, called in turn. Medians; each call
//    checks its result.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "browser_host.h"

using namespace CorvaneTest;

namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

IDispatch* NewPool() {
    IClassFactory* factory = nullptr;
    IDispatch* pool = nullptr;
    auto get = Export<GetClassObjectFn>("DllGetClassObject");
    if (get && SUCCEEDED(get(CLSID_BrowserPool, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
        factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&pool));
        factory->Release();
    }
    return pool;
}

// Creates `count` hidden browsers, loads a page into each and destroys them;
// the time to the last page loaded, or a negative number on failure.
double CreateAndLoad(IDispatch* pool, int count) {
    std::vector<LONG> indexes;
    const double start = Now();
    for (int i = 0; i < count; ++i) {
        VARIANT index;
        VariantInit(&index);
        if (FAILED(CallByName(pool, L"Create", {I4(0), Str(L""), I4(0), I4(0), I4(800), I4(600)}, &index)) ||
            index.vt != VT_I4)
            return -1;
        indexes.push_back(index.lVal);
    }
    for (LONG index : indexes) {
        std::wstring error;
        HRESULT hr = CallByName(pool, L"NavigateToStringSync", {I4(index), Str(L"<title>Bench</title><p>page</p>")},
                                nullptr, &error);
        if (FAILED(hr)) {
            VARIANT why;
            VariantInit(&why);
            CallByName(pool, L"GetLastError", {I4(index)}, &why);
            std::printf("pool_bench: browser %ld: 0x%08lx %ls %ls\n", static_cast<long>(index),
                        static_cast<unsigned long>(hr), error.c_str(), why.vt == VT_BSTR ? why.bstrVal : L"");
            VariantClear(&why);
            return -1;
        }
    }
    const double took = Now() - start;
    for (LONG index : indexes) CallByName(pool, L"Destroy", {I4(index)});
    PumpFor(100);
    return took;
}

// One late-bound ExecuteScript("1+1") call's time in microseconds, or a
// negative number when it did not answer "2".
double TimedScript(IDispatch* object, const std::vector<LONG>& index) {
    std::vector<VARIANT> args;
    for (LONG n : index) args.push_back(I4(n));
    args.push_back(Str(L"1+1"));
    VARIANT result;
    VariantInit(&result);
    const double t = Now();
    HRESULT hr = CallByName(object, L"ExecuteScript", std::move(args), &result);
    const double took = Now() - t;
    const bool two = SUCCEEDED(hr) && result.vt == VT_BSTR && std::wstring(result.bstrVal) == L"2";
    if (!two)
        std::printf("pool_bench: ExecuteScript answered 0x%08lx %ls\n", static_cast<unsigned long>(hr),
                    result.vt == VT_BSTR ? result.bstrVal : L"(no text)");
    VariantClear(&result);
    return two ? took : -1;
}

}  // namespace

int main() {
    OleInitialize(nullptr);
    SetEnvironmentVariableW(L"CORVANE_WEBVIEW2_RUNTIME", nullptr);
    SetEnvironmentVariableW(L"CORVANE_CHROMIUM", L"/usr/bin/chromium");
    IDispatch* pool = NewPool();
    if (!pool) {
        std::printf("pool_bench: no pool\n");
        return 1;
    }
    CreateAndLoad(pool, 1);   // the browser process starts once, outside the figures
    std::vector<double> one, ten;
    for (int run = 0; run < 3; ++run) {
        one.push_back(CreateAndLoad(pool, 1));
        ten.push_back(CreateAndLoad(pool, 10));
        if (one.back() < 0 || ten.back() < 0) {
            std::printf("pool_bench: a pooled browser did not load its page\n");
            return 1;
        }
    }

    // The pooled browser and a control of its own, called in turn so that
    // both see the same machine: medians of 1000 calls each, after 100.
    VARIANT index;
    VariantInit(&index);
    CallByName(pool, L"Create", {I4(0), Str(L""), I4(0), I4(0), I4(800), I4(600)}, &index);
    CallByName(pool, L"NavigateToStringSync", {I4(index.lVal), Str(L"<p>pool</p>")});
    double pooled = -1, own = -1;
    {
        HostedControl host(HostRuntime::Chromium);
        IDispatch* control = nullptr;
        if (host.ctrl && host.Attach() && host.WaitReady(30000) &&
            SUCCEEDED(host.ctrl->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&control)))) {
            std::vector<double> byIndex, direct;
            for (int i = 0; i < 1100; ++i) {
                const double a = TimedScript(pool, {index.lVal}), b = TimedScript(control, {});
                if (a < 0 || b < 0) break;
                if (i >= 100) byIndex.push_back(a), direct.push_back(b);
            }
            if (direct.size() == 1000) pooled = Median(byIndex), own = Median(direct);
            control->Release();
        }
    }
    CallByName(pool, L"Destroy", {I4(index.lVal)});
    pool->Release();
    if (pooled < 0 || own < 0) {
        return 1;
    }
    std::printf("pool: 1 browser created and loaded, median %.1f ms; 10 browsers, median %.1f ms\n",
                Median(one) / 1000, Median(ten) / 1000);
    std::printf("pool: ExecuteScript(\"1+1\") by index, median %.1f us; the control's own, median %.1f us\n", pooled, own);
    std::printf("RATIO pool_10_vs_1 %.2f\n", Median(ten) / Median(one));
    std::printf("RATIO pool_executescript_vs_control %.2f\n", pooled / own);
    PumpFor(200);
    OleUninitialize();
    return 0;
}
