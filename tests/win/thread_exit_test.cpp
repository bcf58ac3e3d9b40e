// Worker STA threads that used one of the classes must be able to end: hosts
// (ActiveX EXEs, multi-threaded hosts) create objects on threads of their own
// and let them go. Runs while the DLL is registered, so only COM loads it and
// CoUninitialize may unload it at the thread's exit. A thread that cannot end
// holds the loader lock: the process is ended at once, as a failure.
#include <string>
#include <vector>

#include "corvane_h.h"
#include "win_test_support.h"

using namespace CorvaneTest;

namespace {

struct Case {
    const wchar_t* progId;
    bool withBrowser;   // the control in Wine's ATL container until its browser is ready
    bool uninitialize;
};

HRESULT UseOnce(const Case& c) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(c.progId, &clsid);
    IUnknown* object = nullptr;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&object));
    if (FAILED(hr)) return hr;
    if (c.withBrowser) {
        auto attach = reinterpret_cast<HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**)>(
            reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"atl100.dll"), "AtlAxAttachControl")));
        HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                                      nullptr, nullptr);
        IUnknown* container = nullptr;
        ICorvaneCtrl* control = nullptr;
        hr = attach && window ? attach(object, window, &container) : E_FAIL;
        if (SUCCEEDED(hr)) hr = object->QueryInterface(IID_ICorvaneCtrl, reinterpret_cast<void**>(&control));
        if (SUCCEEDED(hr)) {
            VARIANT_BOOL ready = VARIANT_FALSE;
            if (!PumpUntil([&] { return SUCCEEDED(control->IsReady(&ready)) && ready == VARIANT_TRUE; })) hr = E_FAIL;
            control->Release();
        }
        if (window) DestroyWindow(window);
        if (container) container->Release();
    }
    object->Release();
    PumpFor(20);
    return hr;
}

DWORD WINAPI Worker(void* param) {
    const Case& c = *static_cast<const Case*>(param);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    HRESULT hr = UseOnce(c);
    if (c.uninitialize) CoUninitialize();
    return SUCCEEDED(hr) ? 0 : 1;
}

TEST(ThreadExit, WorkerThreadsThatUsedAnObjectEnd) {
    SetEnvironmentVariableW(L"CORVANE_WEBVIEW2_RUNTIME", (ExeFolder() + L"corvane_test_runtime.dll").c_str());
    std::vector<Case> cases;
    const wchar_t* const control = L"Corvane.CorvaneCtrl";
    for (const wchar_t* progId : {control, L"Corvane.Json", L"Corvane.BrowserPool"})
        for (bool withBrowser : {false, true})   // only the control has a browser of its own
            for (bool uninitialize : {true, false})
                if (!withBrowser || progId == control) cases.push_back({progId, withBrowser, uninitialize});
    for (const Case& c : cases) {
        HANDLE thread = CreateThread(nullptr, 0, Worker, const_cast<Case*>(&c), 0, nullptr);
        ASSERT_TRUE(thread);
        if (WaitForSingleObject(thread, 10000) != WAIT_OBJECT_0) {
            std::wprintf(L"FAILED: a thread that used %ls (browser %d, CoUninitialize %d) did not end\n", c.progId,
                         c.withBrowser, c.uninitialize);
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        DWORD code = 9;
        GetExitCodeThread(thread, &code);
        CloseHandle(thread);
        EXPECT_EQ(code, 0u) << c.progId << " browser " << c.withBrowser << " uninitialize " << c.uninitialize;
    }
}

}  // namespace
