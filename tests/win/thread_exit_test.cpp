// Worker STA threads that used one of the classes must be able to end: hosts
// (ActiveX EXEs, multi-threaded hosts) create objects on threads of their own
// and let them go. Runs while the DLL is registered, so only COM loads it and
// CoUninitialize may unload it at the thread's exit. A thread that cannot end
// holds the loader lock: the process is ended at once, as a failure.
#include <string>

#include "win_test_support.h"

using namespace CorvaneTest;

namespace {

struct Case {
    const wchar_t* progId;
    bool withBrowser;   // the control in Wine's ATL container until its browser is ready
    bool uninitialize;
};

bool IsReady(IDispatch* control) {
    LPOLESTR name = const_cast<LPOLESTR>(L"IsReady");
    DISPID id = 0;
    DISPPARAMS none{};
    VARIANT ready;
    VariantInit(&ready);
    return SUCCEEDED(control->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id)) &&
           SUCCEEDED(control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none,
                                     &ready, nullptr, nullptr)) &&
           ready.vt == VT_BOOL && ready.boolVal == VARIANT_TRUE;
}

HRESULT UseOnce(const Case& c) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(c.progId, &clsid);
    if (FAILED(hr)) return hr;
    IUnknown* object = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&object));
    if (FAILED(hr)) return hr;
    if (c.withBrowser) {
        HMODULE atl = LoadLibraryW(L"atl100.dll");
        auto attach = reinterpret_cast<HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**)>(
            reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxAttachControl")));
        HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                                      nullptr, nullptr);
        IUnknown* container = nullptr;
        hr = attach && window ? attach(object, window, &container) : E_FAIL;
        IDispatch* control = nullptr;
        if (SUCCEEDED(hr)) hr = object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&control));
        if (SUCCEEDED(hr)) {
            if (!PumpUntil([&] { return IsReady(control); })) hr = E_FAIL;
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
    const std::wstring runtime = ExeFolder() + L"corvane_test_runtime.dll";
    SetEnvironmentVariableW(L"CORVANE_WEBVIEW2_RUNTIME", runtime.c_str());
    const Case cases[] = {
        {L"Corvane.CorvaneCtrl", false, true},  {L"Corvane.CorvaneCtrl", false, false},
        {L"Corvane.CorvaneCtrl", true, true},   {L"Corvane.CorvaneCtrl", true, false},
        {L"Corvane.Json", false, true},         {L"Corvane.Json", false, false},
        {L"Corvane.BrowserPool", false, true},  {L"Corvane.BrowserPool", false, false},
    };
    for (const Case& c : cases) {
        HANDLE thread = CreateThread(nullptr, 0, Worker, const_cast<Case*>(&c), 0, nullptr);
        ASSERT_TRUE(thread);
        const DWORD wait = WaitForSingleObject(thread, 10000);
        if (wait != WAIT_OBJECT_0) {
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
