// The built-in Chromium runtime's two entry points, with the contract of the
// platform loader's exports, so the runtime loader can choose it like a
// runtime DLL (step 3, after a named DLL and the platform loader).
#pragma once

#include <windows.h>

#include "runtime/webview2.h"

namespace Corvane::Chromium {

// True when a browser is found for `browserFolder` (null: none named).
bool BrowserPresent(PCWSTR browserFolder);

HRESULT STDAPICALLTYPE GetBrowserVersionString(PCWSTR browserFolder, LPWSTR* version);

// Starts (or joins) the browser of the user data folder; the handler runs on
// this thread once it answers, with the environment or the failure.
HRESULT STDAPICALLTYPE CreateEnvironmentWithOptions(PCWSTR browserFolder, PCWSTR userDataFolder,
                                                    ICoreWebView2EnvironmentOptions* options,
                                                    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

}  // namespace Corvane::Chromium
