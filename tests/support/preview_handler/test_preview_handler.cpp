#include "test_preview_handler.h"

#include <ocidl.h>
#include <propsys.h>
#include <shobjidl.h>

#include <atomic>
#include <string>

namespace {

HINSTANCE g_module;
std::atomic<long> g_objects{0};
std::wstring g_log, g_logCopy;
PreviewStep g_fail = PreviewStep::None;
HRESULT g_failHr = E_FAIL;
bool g_streamOnly = false;

void Log(const std::wstring& line) { g_log += line + L"\n"; }
std::wstring Num(long long n) { return std::to_wstring(n); }
std::wstring Rect(const RECT& r) {
    return Num(r.left) + L"," + Num(r.top) + L"," + Num(r.right) + L"," + Num(r.bottom);
}
HRESULT Step(PreviewStep step) { return g_fail == step ? g_failHr : S_OK; }

LRESULT CALLBACK PaintProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(RGB(0x20, 0x60, 0xA0));
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        DrawTextW(dc, L"Corvane test preview", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

class Handler final : public IPreviewHandler, public IInitializeWithFile, public IInitializeWithStream,
                      public IObjectWithSite, public IOleWindow {
public:
    Handler() { ++g_objects; }
    ~Handler() {
        if (window_) DestroyWindow(window_);
        if (site_) site_->Release();
        Log(L"Released()");
        --g_objects;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IPreviewHandler) *out = static_cast<IPreviewHandler*>(this);
        else if (iid == IID_IInitializeWithFile && !g_streamOnly) *out = static_cast<IInitializeWithFile*>(this);
        else if (iid == IID_IInitializeWithStream) *out = static_cast<IInitializeWithStream*>(this);
        else if (iid == IID_IObjectWithSite) *out = static_cast<IObjectWithSite*>(this);
        else if (iid == IID_IOleWindow) *out = static_cast<IOleWindow*>(this);
        else return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }

    // IInitializeWithFile, IInitializeWithStream
    HRESULT STDMETHODCALLTYPE Initialize(LPCWSTR path, DWORD mode) override {
        Log(L"InitializeWithFile(" + std::wstring(path ? path : L"(null)") + L"," + Num(mode) + L")");
        return Step(PreviewStep::Initialize);
    }
    HRESULT STDMETHODCALLTYPE Initialize(IStream* stream, DWORD mode) override {
        char bytes[128] = {};
        ULONG read = 0;
        if (stream) stream->Read(bytes, sizeof(bytes) - 1, &read);
        std::wstring line;
        for (ULONG i = 0; i < read && bytes[i] != '\n' && bytes[i] != '\r'; ++i) line += static_cast<wchar_t>(bytes[i]);
        Log(L"InitializeWithStream(" + line + L")");
        return Step(PreviewStep::Initialize);
    }

    // IObjectWithSite
    HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override {
        if (site_) site_->Release();
        site_ = site;
        if (!site) {
            Log(L"SetSite(null)");
            return S_OK;
        }
        site->AddRef();
        HWND window = nullptr;
        IOleWindow* oleWindow = nullptr;
        if (SUCCEEDED(site->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&oleWindow)))) {
            oleWindow->GetWindow(&window);
            oleWindow->Release();
        }
        HRESULT frameHr = E_NOINTERFACE, serviceHr = E_NOINTERFACE;
        IPreviewHandlerFrame* frame = nullptr;
        if (SUCCEEDED(site->QueryInterface(IID_IPreviewHandlerFrame, reinterpret_cast<void**>(&frame)))) {
            PREVIEWHANDLERFRAMEINFO info{reinterpret_cast<HACCEL>(1), 99};
            frameHr = frame->GetWindowContext(&info);
            if (info.haccel || info.cAccelEntries) frameHr = E_UNEXPECTED;
            frame->Release();
        }
        IServiceProvider* services = nullptr;
        if (SUCCEEDED(site->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&services)))) {
            IPreviewHandlerFrame* viaService = nullptr;
            serviceHr = services->QueryService(IID_IPreviewHandlerFrame, IID_IPreviewHandlerFrame,
                                               reinterpret_cast<void**>(&viaService));
            if (viaService) viaService->Release();
            services->Release();
        }
        Log(L"SetSite(window=" + Num(reinterpret_cast<LONG_PTR>(window)) + L",frame=" + Num(frameHr) +
            L",service=" + Num(serviceHr) + L")");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSite(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return site_ ? site_->QueryInterface(iid, out) : E_FAIL;
    }

    // IPreviewHandler
    HRESULT STDMETHODCALLTYPE SetWindow(HWND parent, const RECT* rect) override {
        Log(L"SetWindow(" + Num(reinterpret_cast<LONG_PTR>(parent)) + L"," + (rect ? Rect(*rect) : L"null") + L")");
        if (HRESULT hr = Step(PreviewStep::SetWindow); FAILED(hr)) return hr;
        parent_ = parent;
        if (rect) rect_ = *rect;
        if (window_) SetParent(window_, parent_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetRect(const RECT* rect) override {
        Log(L"SetRect(" + (rect ? Rect(*rect) : std::wstring(L"null")) + L")");
        if (HRESULT hr = Step(PreviewStep::SetRect); FAILED(hr)) return hr;
        if (!rect) return E_INVALIDARG;
        rect_ = *rect;
        if (window_) MoveWindow(window_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, TRUE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DoPreview() override {
        Log(L"DoPreview()");
        if (HRESULT hr = Step(PreviewStep::DoPreview); FAILED(hr)) return hr;
        if (!parent_) return E_UNEXPECTED;   // SetWindow first, as the shell does
        WNDCLASSW wc{};
        wc.lpfnWndProc = PaintProc;
        wc.hInstance = g_module;
        wc.lpszClassName = kTestPreviewWindowClass;
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, kTestPreviewWindowClass, L"", WS_CHILD | WS_VISIBLE, rect_.left, rect_.top,
                                  rect_.right - rect_.left, rect_.bottom - rect_.top, parent_, nullptr, g_module,
                                  nullptr);
        return window_ ? S_OK : HRESULT_FROM_WIN32(GetLastError());
    }
    HRESULT STDMETHODCALLTYPE Unload() override {
        Log(L"Unload()");
        if (window_) DestroyWindow(window_);
        window_ = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetFocus() override {
        Log(L"SetFocus()");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryFocus(HWND* focus) override {
        if (!focus) return E_POINTER;
        *focus = GetFocus();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = window_;
        return window_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    std::atomic<ULONG> refs_{1};
    IUnknown* site_ = nullptr;
    HWND parent_ = nullptr, window_ = nullptr;
    RECT rect_{};
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (HRESULT hr = Step(PreviewStep::Create); FAILED(hr)) return hr;
        Handler* handler = new Handler;
        HRESULT hr = handler->QueryInterface(iid, out);
        handler->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++g_objects : --g_objects;
        return S_OK;
    }
};
Factory g_factory;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = module;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    CLSID mine;
    CLSIDFromString(kTestPreviewClsid, &mine);
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != mine) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

// Objects stay counted in the log's module, which the test keeps loaded anyway.
extern "C" __declspec(dllexport) HRESULT __stdcall DllCanUnloadNow() { return g_objects ? S_FALSE : S_OK; }

extern "C" __declspec(dllexport) void __stdcall CorvaneTestPreviewReset(PreviewStep fail, HRESULT hr, BOOL streamOnly) {
    g_log.clear();
    g_fail = fail;
    g_failHr = hr;
    g_streamOnly = streamOnly != FALSE;
}

extern "C" __declspec(dllexport) const wchar_t* __stdcall CorvaneTestPreviewLog() {
    g_logCopy = g_log;
    return g_logCopy.c_str();
}
