// Shared pieces of the Windows tests: COM on the test thread, the built DLL
// next to the test executable, and small fakes that count references.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>

namespace CorvaneTest {

// The folder of the running executable, with a trailing backslash.
inline std::wstring ExeFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L'\\') + 1);
}

inline std::wstring OcxPath() { return ExeFolder() + L"Corvane_x64.ocx"; }

// The DLL, loaded once per process; its exports by name.
inline HMODULE Ocx() {
    static HMODULE module = LoadLibraryW(OcxPath().c_str());
    return module;
}
template <class F>
F Export(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Ocx(), name)));
}

// An object made by the DLL's own class object, as COM makes it; null on failure.
template <class I>
I* NewObject(REFCLSID clsid, REFIID iid) {
    IClassFactory* f = nullptr;
    I* p = nullptr;
    Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(clsid, IID_IClassFactory,
                                                                          reinterpret_cast<void**>(&f));
    EXPECT_TRUE(f && f->CreateInstance(nullptr, iid, reinterpret_cast<void**>(&p)) == S_OK);
    if (f) f->Release();
    return p;
}

// A visible top-level window to host controls in.
inline HWND NewTopWindow(int width, int height) {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CorvaneTestTop";
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    return CreateWindowExW(0, L"CorvaneTestTop", L"test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                           width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// VARIANTs for arguments; the caller owns them (VariantClear).
inline VARIANT Var(VARTYPE vt) {
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    return v;
}
inline VARIANT Str(const wchar_t* s) { VARIANT v = Var(VT_BSTR); v.bstrVal = SysAllocString(s); return v; }
inline VARIANT I4(LONG n) { VARIANT v = Var(VT_I4); v.lVal = n; return v; }
inline VARIANT I2(SHORT n) { VARIANT v = Var(VT_I2); v.iVal = n; return v; }
inline VARIANT R8(double d) { VARIANT v = Var(VT_R8); v.dblVal = d; return v; }
inline VARIANT Bool(bool b) { VARIANT v = Var(VT_BOOL); v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE; return v; }
inline VARIANT Disp(IDispatch* d) { VARIANT v = Var(VT_DISPATCH); v.pdispVal = d; return v; }

// Text of a BSTR the caller owned; null reads as empty.
inline std::wstring TakeBstr(BSTR text) {
    std::wstring out(text ? text : L"", SysStringLen(text));
    SysFreeString(text);
    return out;
}

// A string argument that lives as long as the call it is passed to.
struct Bs {
    BSTR s;
    explicit Bs(const wchar_t* text) : s(SysAllocString(text)) {}
    explicit Bs(const std::wstring& text) : s(SysAllocStringLen(text.data(), UINT(text.size()))) {}
    ~Bs() { SysFreeString(s); }
    operator BSTR() const { return s; }
};

// The description of the thread's error information (taking it), or empty.
inline std::wstring ErrorDescription() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return L"";
    BSTR text = nullptr;
    info->GetDescription(&text);
    info->Release();
    return TakeBstr(text);
}

inline bool Has(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// Dispatches this thread's messages until none has come for a few rounds.
inline void PumpPosted() {
    MSG msg;
    for (int idle = 0; idle < 3;) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            idle = 0;
        } else {
            ++idle;
        }
    }
}

// Dispatches this thread's messages, as a host's loop would, until `done` or
// `timeoutMs`; false on time-out.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        bool any = false;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            any = true;
            if (done()) return true;
        }
        if (!any) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

// COM for the whole test program, single-threaded apartment like every host.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK); }
    void TearDown() override { CoUninitialize(); }
};

// An object that counts its references and answers only the interfaces it is told to.
class CountingUnknown : public IDispatch {
public:
    std::atomic<long> refs{1};
    bool answersDispatch = true;
    IUnknown* inner = nullptr;      // set when used as the outer object of an aggregate
    IID delegated = IID_NULL;       // interface the outer object fetches from `inner`
    int queries = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        ++queries;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || (answersDispatch && IsEqualIID(iid, IID_IDispatch))) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        if (inner && IsEqualIID(iid, delegated)) return inner->QueryInterface(iid, out);
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }   // lives on the stack
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return S_OK;
    }
};

}  // namespace CorvaneTest
