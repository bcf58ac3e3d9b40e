#include "manifest_activation.h"

#include <cwchar>

#include "type_info_cache.h"

namespace Corvane {

namespace {

// Process-wide and unguarded: the operations are meant for the host's one thread.
bool g_active = false;
HANDLE g_context = INVALID_HANDLE_VALUE;
ULONG_PTR g_cookie = 0;

constexpr ULONG kManifestResourceId = 2;

// The description for `path`, whose folder (up to the last backslash) is the
// assembly directory; `folder` must outlive the description.
ACTCTXW DescribeManifest(const wchar_t* path, wchar_t (&folder)[MAX_PATH]) {
    wcsncpy(folder, path, MAX_PATH - 1);
    folder[MAX_PATH - 1] = L'\0';
    if (wchar_t* slash = wcsrchr(folder, L'\\')) *slash = L'\0';
    ACTCTXW ctx = {};
    ctx.cbSize = sizeof(ctx);
    ctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_ASSEMBLY_DIRECTORY_VALID;
    ctx.lpSource = path;
    ctx.lpAssemblyDirectory = folder;
    ctx.lpResourceName = MAKEINTRESOURCEW(kManifestResourceId);
    return ctx;
}

HRESULT LastErrorResult() {
    DWORD e = GetLastError();
    return e ? HRESULT_FROM_WIN32(e) : S_OK;
}

// Deactivating a cookie that is no longer on top of the thread's stack raises
// a non-continuable exception; a reset must complete all the same. g++ has no
// __try, so the guard is built from the platform's own pieces: the context is
// captured before the call, and a vectored handler, which sees the exception
// first, resumes the thread at that capture. Only thread-locals are read
// after resuming: registers hold whatever they held at the capture.
thread_local CONTEXT t_resume;
thread_local bool t_guarding = false;
thread_local bool t_faulted = false;
thread_local PVOID t_handler = nullptr;

LONG CALLBACK ResumeAfterGuardedFault(EXCEPTION_POINTERS* info) {
    if (!t_guarding) return EXCEPTION_CONTINUE_SEARCH;
    t_guarding = false;
    t_faulted = true;
    *info->ContextRecord = t_resume;
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Runs `call` and swallows any exception it raises. Not reentrant.
__attribute__((noinline)) void GuardedSystemCall(void (*call)(void*), void* arg) {
    t_faulted = false;
    t_handler = AddVectoredExceptionHandler(1, ResumeAfterGuardedFault);
    RtlCaptureContext(&t_resume);
    if (!t_faulted) {
        t_guarding = true;
        call(arg);
        t_guarding = false;
    }
    if (t_handler) RemoveVectoredExceptionHandler(t_handler);
    t_handler = nullptr;
}

void DeactivateCall(void* cookie) { DeactivateActCtx(0, *static_cast<ULONG_PTR*>(cookie)); }
void ReleaseCall(void* handle) { ReleaseActCtx(*static_cast<HANDLE*>(handle)); }

}  // namespace

HRESULT ActivateOwnManifest() {
    if (g_active) return S_OK;
    wchar_t path[MAX_PATH];
    SetLastError(0);
    DWORD n = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return LastErrorResult();
    wchar_t folder[MAX_PATH];
    ACTCTXW ctx = DescribeManifest(path, folder);
    HANDLE handle = CreateActCtxW(&ctx);
    if (handle == INVALID_HANDLE_VALUE) return LastErrorResult();
    g_context = handle;
    if (ActivateActCtx(handle, &g_cookie)) {
        g_active = true;
        return S_OK;
    }
    HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
    ReleaseActCtx(handle);
    g_context = INVALID_HANDLE_VALUE;
    g_cookie = 0;
    return hr;
}

}  // namespace Corvane

using namespace Corvane;

extern "C" HRESULT WINAPI Corvane_ActivateManifest(LPCWSTR path) {
    if (g_active) return S_OK;
    if (!path || !*path) return E_INVALIDARG;
    wchar_t source[MAX_PATH];
    wcsncpy(source, path, MAX_PATH - 1);
    source[MAX_PATH - 1] = L'\0';
    wchar_t folder[MAX_PATH];
    ACTCTXW ctx = DescribeManifest(source, folder);
    g_context = CreateActCtxW(&ctx);
    if (g_context != INVALID_HANDLE_VALUE) {
        ULONG_PTR cookie = 0;
        if (ActivateActCtx(g_context, &cookie)) g_cookie = cookie;
    }
    // The flag is set whatever happened: Corvane_CreateControl repairs a
    // failed activation through its reset-and-retry path.
    g_active = true;
    return S_OK;
}

extern "C" void WINAPI Corvane_DeactivateManifest() {
    if (g_active) {
        DeactivateActCtx(0, g_cookie);
        g_cookie = 0;
        g_active = false;
    }
    if (g_context != INVALID_HANDLE_VALUE) {
        ReleaseActCtx(g_context);
        g_context = INVALID_HANDLE_VALUE;
    }
}

extern "C" void WINAPI Corvane_ResetManifest() {
    if (g_cookie != 0) GuardedSystemCall(&DeactivateCall, &g_cookie);
    g_cookie = 0;
    if (g_context != INVALID_HANDLE_VALUE) GuardedSystemCall(&ReleaseCall, &g_context);
    g_context = INVALID_HANDLE_VALUE;
    g_active = false;
}

extern "C" BOOL WINAPI Corvane_IsManifestActive() { return g_active ? TRUE : FALSE; }
