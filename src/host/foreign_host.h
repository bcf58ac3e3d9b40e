// What the foreign-window path shares across the process: the hidden host
// windows browsers are created in, the creations still pending (keyed by
// their host window), the browser environments, and the one shared browser
// that controls without a browser of their own hand from form to form.
// Everything is used from the host's thread; the locks keep the tables
// consistent when a second apartment thread embeds too.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "com_ptr.h"
#include "webview2.h"

namespace Corvane {

class CCorvaneCtrl;

namespace ForeignHost {

// A hidden 1x1 tool window of class "Corvane_HiddenHost", title "Corvane Host".
HWND CreateHostWindow();

// Pending creations. A control has at most one; its record goes when the
// controller's completion takes it or the control is destroyed.
void AddPending(HWND host, CCorvaneCtrl* control);
CCorvaneCtrl* FindPending(HWND host);
CCorvaneCtrl* TakePending(HWND host);
void ForgetPending(const CCorvaneCtrl* control);
bool HasPending(const CCorvaneCtrl* control);

// The start-up options an environment was made with. Browsers whose options
// differ get environments of their own, so a setting put before a creation
// always reaches that browser.
struct EnvironmentOptions {
    std::wstring browserFolder;
    std::wstring userDataFolder;
    std::wstring arguments;
    std::wstring language;
    bool singleSignOn = false;
    std::wstring Key() const;
};

using EnvironmentReady = std::function<void(HRESULT, ICoreWebView2Environment*)>;

// Calls `ready` at once when an environment with these options exists, else
// when its creation completes (every caller that asked meanwhile is called,
// in order). A creation that cannot start returns its failure and `ready`
// is not called.
HRESULT WithEnvironment(const EnvironmentOptions& options, EnvironmentReady ready);
// Holders of an environment count themselves in and out; the process lets go
// of it with the last one, so no browser process outlives its browsers.
void HoldEnvironment(const std::wstring& key);
void ReleaseEnvironment(const std::wstring& key);

// The shared browser of controls without one of their own.
struct SharedBrowser {
    ComPtr<ICoreWebView2Controller> controller;
    ComPtr<ICoreWebView2> webView;
    std::wstring environmentKey;
    bool ready = false;
    bool creating = false;
    HWND parking = nullptr;              // holds the browser between embeddings
    HWND creationHost = nullptr;         // host window of the creation under way
    LONG embedCount = 0;                 // shared-mode controls embedded now
    std::vector<CCorvaneCtrl*> waiting;  // embedded while the creation ran
};
SharedBrowser& Shared();
// Closes and lets go of the shared browser (the last embedding ended, or it
// died); the embed count is the caller's.
void CloseSharedBrowser();

// Which control a parent window belongs to, and which control received the
// shared browser last: events of the shared browser go to the control whose
// window holds it now.
void SetOwner(HWND parent, CCorvaneCtrl* control);
void ForgetOwner(const CCorvaneCtrl* control);
CCorvaneCtrl* RoutedOwner();

}  // namespace ForeignHost
}  // namespace Corvane
