// The web view's settings. Values the page sees are pushed to the browser by
// the web view when they change (scripts, user agent, web messages); the
// rest are read when they matter (dialogs, error page). Settings without a
// meaning in a headless browser (status bar, context menus, DevTools,
// accelerator keys) keep their value and have no further effect.
#pragma once

#include <functional>
#include <string>

#include "cdp_json.h"
#include "runtime_object.h"

namespace Corvane::Chromium {

class Settings final : public ComObject<Settings, SettingsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2Settings, ICoreWebView2Settings2, ICoreWebView2Settings3>;
    Settings() : ComObject(nullptr) {}

    bool script = true, webMessage = true, defaultDialogs = true, statusBar = true, devTools = true,
         contextMenus = true, hostObjects = true, zoomControl = true, errorPage = true, acceleratorKeys = true;
    std::u16string userAgent, defaultUserAgent;
    std::function<void()> changed;

#define CORVANE_FLAG(Name, member)                                                         \
    HRESULT STDMETHODCALLTYPE get_##Name(BOOL* value) override {                          \
        if (!value) return E_POINTER;                                                      \
        *value = member ? TRUE : FALSE;                                                    \
        return S_OK;                                                                       \
    }                                                                                      \
    HRESULT STDMETHODCALLTYPE put_##Name(BOOL value) override {                           \
        const bool next = value != FALSE;                                                  \
        if (next == member) return S_OK;                                                   \
        member = next;                                                                     \
        return Changed();                                                                  \
    }
    CORVANE_FLAG(IsScriptEnabled, script)
    CORVANE_FLAG(IsWebMessageEnabled, webMessage)
    CORVANE_FLAG(AreDefaultScriptDialogsEnabled, defaultDialogs)
    CORVANE_FLAG(IsStatusBarEnabled, statusBar)
    CORVANE_FLAG(AreDevToolsEnabled, devTools)
    CORVANE_FLAG(AreDefaultContextMenusEnabled, contextMenus)
    CORVANE_FLAG(AreHostObjectsAllowed, hostObjects)
    CORVANE_FLAG(IsZoomControlEnabled, zoomControl)
    CORVANE_FLAG(IsBuiltInErrorPageEnabled, errorPage)
    CORVANE_FLAG(AreBrowserAcceleratorKeysEnabled, acceleratorKeys)
#undef CORVANE_FLAG

    HRESULT STDMETHODCALLTYPE get_UserAgent(LPWSTR* value) override {
        return CoString(userAgent.empty() ? defaultUserAgent : userAgent, value);
    }
    HRESULT STDMETHODCALLTYPE put_UserAgent(LPCWSTR value) override {
        return ComBarrier([&] {
            userAgent = View(value);
            return Changed();
        });
    }

private:
    HRESULT Changed() {
        return ComBarrier([&] {
            if (changed) changed();
            return S_OK;
        });
    }
};

}  // namespace Corvane::Chromium
