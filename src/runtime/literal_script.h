// An interface of our own Chromium runtime's web view, beside the WebView2
// family: ExecuteScript for scripts whose object result is an object literal
// of the script's own making (own data members, Object.prototype as its
// prototype). Such a result's JSON is read from the evaluation's reply when
// its members are primitives, without a second trip to the page to run
// JSON.stringify there. Callers fall back to ExecuteScript where a runtime
// does not answer it.
#pragma once

#include "webview2.h"

WV2_INTERFACE(ICorvaneLiteralResultScript, IUnknown, "1aa5fe5d-624a-4875-8534-172aa951c770") {
    virtual HRESULT STDMETHODCALLTYPE ExecuteLiteralResultScript(LPCWSTR javaScript,
                                                                 ICoreWebView2ExecuteScriptCompletedHandler* handler) = 0;
};
