// The browser runtime loader: finds a runtime DLL with the platform loader's
// two exports and forwards to it, so the control is written against the same
// contract whether the runtime is the platform's or one of ours.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>

#include "webview2.h"

namespace Corvane {

// Environment variable naming a runtime DLL to use before anything else.
inline constexpr const wchar_t* kRuntimeVariable = L"CORVANE_WEBVIEW2_RUNTIME";
// The platform loader, looked for next to the module that holds this code.
inline constexpr const wchar_t* kPlatformLoaderName = L"WebView2Loader.dll";

// The installed browser's version for `browserFolder` (null or empty: the
// runtime's own choice). S_OK with a non-empty version, or a failure with an
// empty one; no runtime at all is HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), a
// runtime DLL without both exports HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND).
HRESULT GetAvailableBrowserVersion(const wchar_t* browserFolder, std::wstring& version);

// Starts environment creation; the runtime completes it through
// `completedHandler`, on this thread, through its message loop.
HRESULT CreateEnvironment(const wchar_t* browserFolder, const wchar_t* userDataFolder,
                          ICoreWebView2EnvironmentOptions* options,
                          ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* completedHandler);

// Full path of the runtime DLL in use; empty until one was chosen.
std::wstring RuntimePath();

// For tests: releases the kept runtime DLL and forgets the choice, so the next
// call chooses again (after the test changed the variable or the files).
void ResetRuntimeLoaderForTests();

}  // namespace Corvane
