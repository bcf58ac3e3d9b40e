#include "runtime/runtime_loader.h"

#include <objbase.h>

#include <new>

#include "chromium/chromium_runtime.h"

namespace Corvane {

namespace {

using VersionFn = HRESULT(STDAPICALLTYPE*)(PCWSTR browserFolder, LPWSTR* version);
using CreateFn = HRESULT(STDAPICALLTYPE*)(PCWSTR browserFolder, PCWSTR userDataFolder,
                                          ICoreWebView2EnvironmentOptions* options,
                                          ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

struct Runtime {
    HMODULE module = nullptr;
    VersionFn version = nullptr;
    CreateFn create = nullptr;
    std::wstring path;
};

// Only a usable runtime is kept: a failed search is repeated on the next call,
// so a runtime installed while the host runs is found without a restart.
SRWLOCK g_lock = SRWLOCK_INIT;
Runtime g_runtime;
bool g_builtInChosen = false;   // the last choice was the built-in runtime
constexpr const wchar_t* kBuiltInName = L"(built-in Chromium runtime)";

HRESULT LastErrorResult() {
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

bool IsAbsolute(const std::wstring& path) {
    return (path.size() > 2 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
           (path.size() > 1 && path[0] == L'\\' && path[1] == L'\\');
}

std::wstring EnvironmentValue(const wchar_t* name) {
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (n == 0) return {};
        if (n < value.size()) return value.substr(0, n);
        value.resize(n);
    }
}

// The folder of the module holding this code (the OCX), with a trailing backslash.
std::wstring OwnModuleFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&OwnModuleFolder), &self))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);  // truncated: long paths are legal here
    }
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HRESULT Load(const std::wstring& path, Runtime& out) {
    // An absolute path resolves the runtime's own dependencies from its folder.
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, IsAbsolute(path) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
    if (!module) return LastErrorResult();
    auto version = reinterpret_cast<VersionFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "GetAvailableCoreWebView2BrowserVersionString")));
    auto create = reinterpret_cast<CreateFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "CreateCoreWebView2EnvironmentWithOptions")));
    if (!version || !create) {
        FreeLibrary(module);
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    }
    try {
        out.path = path;
    } catch (const std::bad_alloc&) {
        FreeLibrary(module);
        return E_OUTOFMEMORY;
    }
    out.module = module;
    out.version = version;
    out.create = create;
    return S_OK;
}

// Under the exclusive lock. A named or present DLL that cannot be used is
// reported as such rather than silently replaced by the next choice.
HRESULT Choose(const wchar_t* browserFolder, Runtime& builtIn) {
    if (g_runtime.module) return S_OK;
    std::wstring named = EnvironmentValue(kRuntimeVariable);
    if (!named.empty()) return Load(named, g_runtime);
    std::wstring folder = OwnModuleFolder();
    if (!folder.empty() && FileExists(folder + kPlatformLoaderName)) return Load(folder + kPlatformLoaderName, g_runtime);
    // The built-in runtime, when a browser is there to drive. Not kept: a
    // runtime DLL installed later is preferred at the next call.
    if (Chromium::BrowserPresent(browserFolder)) {
        builtIn = Runtime{nullptr, &Chromium::GetBrowserVersionString, &Chromium::CreateEnvironmentWithOptions,
                          kBuiltInName};
        return S_OK;
    }
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

HRESULT Current(const wchar_t* browserFolder, Runtime& out) {
    AcquireSRWLockExclusive(&g_lock);
    HRESULT hr;
    try {
        Runtime builtIn;
        hr = Choose(browserFolder, builtIn);
        if (SUCCEEDED(hr)) out = builtIn.create ? builtIn : g_runtime;
        if (SUCCEEDED(hr) && builtIn.create) g_builtInChosen = true;
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    ReleaseSRWLockExclusive(&g_lock);
    return hr;
}

const wchar_t* OrNull(const wchar_t* s) { return s && *s ? s : nullptr; }

}  // namespace

HRESULT GetAvailableBrowserVersion(const wchar_t* browserFolder, std::wstring& version) {
    version.clear();
    Runtime runtime;
    HRESULT hr = Current(OrNull(browserFolder), runtime);
    if (FAILED(hr)) return hr;
    LPWSTR text = nullptr;
    hr = runtime.version(OrNull(browserFolder), &text);
    try {
        if (SUCCEEDED(hr) && text) version = text;
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    CoTaskMemFree(text);
    if (FAILED(hr)) {
        version.clear();
        return hr;
    }
    // The platform answers S_OK with no string when nothing is installed.
    return version.empty() ? HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) : S_OK;
}

HRESULT CreateEnvironment(const wchar_t* browserFolder, const wchar_t* userDataFolder,
                          ICoreWebView2EnvironmentOptions* options,
                          ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* completedHandler) {
    if (!completedHandler) return E_POINTER;  // creation could never be reported
    Runtime runtime;
    HRESULT hr = Current(OrNull(browserFolder), runtime);
    if (FAILED(hr)) return hr;
    return runtime.create(OrNull(browserFolder), OrNull(userDataFolder), options, completedHandler);
}

std::wstring RuntimePath() {
    AcquireSRWLockShared(&g_lock);
    std::wstring path;
    try {
        path = g_runtime.module ? g_runtime.path : (g_builtInChosen ? std::wstring(kBuiltInName) : std::wstring());
    } catch (const std::bad_alloc&) {
    }
    ReleaseSRWLockShared(&g_lock);
    return path;
}

void ResetRuntimeLoaderForTests() {
    AcquireSRWLockExclusive(&g_lock);
    if (g_runtime.module) FreeLibrary(g_runtime.module);
    g_runtime = Runtime{};
    g_builtInChosen = false;
    ReleaseSRWLockExclusive(&g_lock);
}

}  // namespace Corvane
