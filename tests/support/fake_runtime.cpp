// A stand-in runtime DLL with the platform loader's two exports: it answers a
// fixed version, fails creation with a recognisable code and logs what it was
// given, so the loader's tests can prove which DLL it delegated to. Built once
// more with CORVANE_FAKE_VERSION_ONLY (no creation export) to stand for a DLL
// that is not a usable runtime.
#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <string>

#define FAKE_EXPORT extern "C" __declspec(dllexport)

namespace {

constexpr const wchar_t* kVersion = L"120.0.0.1-fake";
// The null-version answer of a platform with nothing installed, on request.
constexpr const wchar_t* kNoVersionFolder = L"fake:no-version";

std::wstring g_calls;  // one line per call, empty until the first

std::wstring Text(PCWSTR s) { return s ? std::wstring(s) : std::wstring(L"(null)"); }
[[maybe_unused]] std::wstring Address(const void* p) { return std::to_wstring(reinterpret_cast<std::uintptr_t>(p)); }

}  // namespace

FAKE_EXPORT HRESULT STDAPICALLTYPE GetAvailableCoreWebView2BrowserVersionString(PCWSTR browserFolder, LPWSTR* version) {
    if (!version) return E_POINTER;
    *version = nullptr;
    g_calls += L"version " + Text(browserFolder) + L"\n";
    if (browserFolder && lstrcmpW(browserFolder, kNoVersionFolder) == 0) return S_OK;
    size_t bytes = (lstrlenW(kVersion) + 1) * sizeof(wchar_t);
    *version = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*version) return E_OUTOFMEMORY;
    CopyMemory(*version, kVersion, bytes);
    return S_OK;
}

#ifndef CORVANE_FAKE_VERSION_ONLY
FAKE_EXPORT HRESULT STDAPICALLTYPE CreateCoreWebView2EnvironmentWithOptions(PCWSTR browserFolder, PCWSTR userDataFolder,
                                                                            IUnknown* options, IUnknown* handler) {
    g_calls += L"create " + Text(browserFolder) + L" " + Text(userDataFolder) + L" " + Address(options) + L" " +
               Address(handler) + L"\n";
    return static_cast<HRESULT>(0x8004DEADL);
}
#endif

// Test hook: the calls so far ("version <folder>", "create <browser> <data>
// <options> <handler>", a null folder written "(null)", pointers as numbers).
FAKE_EXPORT const wchar_t* CorvaneFakeCalls() { return g_calls.c_str(); }
