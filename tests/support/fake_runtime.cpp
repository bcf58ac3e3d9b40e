// A stand-in runtime DLL with the platform loader's two exports: it answers a
// fixed version, fails creation with a recognisable code and records what it
// was given, so the loader's tests can prove which DLL it delegated to. Built
// once more with CORVANE_FAKE_VERSION_ONLY (no creation export) to stand for a
// DLL that is not a usable runtime.
#include <windows.h>
#include <objbase.h>

#include <string>

#define FAKE_EXPORT extern "C" __declspec(dllexport)

namespace {

constexpr const wchar_t* kVersion = L"120.0.0.1-fake";
// The null-version answer of a platform with nothing installed, on request.
constexpr const wchar_t* kNoVersionFolder = L"fake:no-version";

std::wstring Recorded(PCWSTR s) { return s ? std::wstring(s) : std::wstring(L"(null)"); }

std::wstring g_versionFolder = L"(none)";
std::wstring g_createBrowserFolder = L"(none)";
std::wstring g_createUserDataFolder = L"(none)";
IUnknown* g_createOptions = nullptr;
IUnknown* g_createHandler = nullptr;

}  // namespace

FAKE_EXPORT HRESULT STDAPICALLTYPE GetAvailableCoreWebView2BrowserVersionString(PCWSTR browserFolder, LPWSTR* version) {
    if (!version) return E_POINTER;
    *version = nullptr;
    g_versionFolder = Recorded(browserFolder);
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
    g_createBrowserFolder = Recorded(browserFolder);
    g_createUserDataFolder = Recorded(userDataFolder);
    g_createOptions = options;
    g_createHandler = handler;
    return static_cast<HRESULT>(0x8004DEADL);
}
#endif

// Test hooks: what the last calls were given ("(none)" before any, "(null)" for a null folder).
FAKE_EXPORT const wchar_t* CorvaneFakeLastVersionFolder() { return g_versionFolder.c_str(); }

FAKE_EXPORT void CorvaneFakeLastCreation(const wchar_t** browserFolder, const wchar_t** userDataFolder,
                                         IUnknown** options, IUnknown** handler) {
    *browserFolder = g_createBrowserFolder.c_str();
    *userDataFolder = g_createUserDataFolder.c_str();
    *options = g_createOptions;
    *handler = g_createHandler;
}
