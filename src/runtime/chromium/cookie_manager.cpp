// Cookies and the profile over the view's session: the browser keeps one
// cookie store per user data folder, so the view's manager is the profile's.
// Browsing data is cleared by the kinds the protocol can reach: cookies, the
// disk cache, and the storage of the origins the view shows now.
#include <algorithm>
#include <memory>

#include "portable/virtual_host_rules.h"
#include "webview.h"

namespace Corvane::Chromium {

namespace {

COREWEBVIEW2_COOKIE_SAME_SITE_KIND SameSiteOf(std::u16string_view text) {
    if (text == u"Strict") return COREWEBVIEW2_COOKIE_SAME_SITE_KIND_STRICT;
    if (text == u"None") return COREWEBVIEW2_COOKIE_SAME_SITE_KIND_NONE;
    return COREWEBVIEW2_COOKIE_SAME_SITE_KIND_LAX;
}

std::u16string_view SameSiteText(COREWEBVIEW2_COOKIE_SAME_SITE_KIND kind) {
    switch (kind) {
    case COREWEBVIEW2_COOKIE_SAME_SITE_KIND_STRICT: return u"Strict";
    case COREWEBVIEW2_COOKIE_SAME_SITE_KIND_NONE: return u"None";
    default: return u"Lax";
    }
}

std::u16string Read(ICoreWebView2Cookie* cookie, HRESULT (STDMETHODCALLTYPE ICoreWebView2Cookie::*get)(LPWSTR*)) {
    LPWSTR text = nullptr;
    std::u16string out;
    if (SUCCEEDED((cookie->*get)(&text)) && text) out = View(text);
    CoTaskMemFree(text);
    return out;
}

// Browsing data kinds (COREWEBVIEW2_BROWSING_DATA_KINDS).
constexpr int kStorageKinds = 1 | 2 | 4 | 8 | 16 | 32;
constexpr int kCookies = 64, kAllSite = 128, kDiskCache = 256, kAllProfile = 16384;

}  // namespace

HRESULT Cookie::put_Value(LPCWSTR text) {
    return ComBarrier([&] {
        value = View(text);
        return S_OK;
    });
}

HRESULT CookieList::GetValueAtIndex(UINT index, ICoreWebView2Cookie** cookie) {
    if (!cookie) return E_POINTER;
    *cookie = nullptr;
    if (index >= cookies.size()) return E_INVALIDARG;
    *cookie = cookies[index].get();
    (*cookie)->AddRef();
    return S_OK;
}

HRESULT CookieManager::Send(std::u16string_view method, std::u16string params, std::function<void(const CdpReply&)> done) {
    if (!view_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    if (HRESULT hr = view_->UsableForNetwork(); FAILED(hr)) return hr;
    ComPtr<CookieManager> self(this);
    view_->SendForNetwork(method, params, [self, done](const CdpReply& reply) {
        if (done) done(reply);
    });
    return S_OK;
}

HRESULT CookieManager::CreateCookie(LPCWSTR name, LPCWSTR value, LPCWSTR domain, LPCWSTR path,
                                    ICoreWebView2Cookie** cookie) {
    if (!cookie) return E_POINTER;
    *cookie = nullptr;
    if (!name || !*name || !domain || !*domain) return E_INVALIDARG;
    return ComBarrier([&] {
        auto made = Make<Cookie>();
        if (!made) return E_OUTOFMEMORY;
        made->name = View(name);
        made->value = View(value);
        made->domain = View(domain);
        made->path = path && *path ? View(path) : u"/";
        *cookie = made.Detach();
        return S_OK;
    });
}

HRESULT CookieManager::CopyCookie(ICoreWebView2Cookie* from, ICoreWebView2Cookie** cookie) {
    if (!from || !cookie) return E_POINTER;
    *cookie = nullptr;
    return ComBarrier([&] {
        auto made = Make<Cookie>();
        if (!made) return E_OUTOFMEMORY;
        made->name = Read(from, &ICoreWebView2Cookie::get_Name);
        made->value = Read(from, &ICoreWebView2Cookie::get_Value);
        made->domain = Read(from, &ICoreWebView2Cookie::get_Domain);
        made->path = Read(from, &ICoreWebView2Cookie::get_Path);
        from->get_Expires(&made->expires);
        BOOL flag = FALSE;
        from->get_IsHttpOnly(&flag);
        made->httpOnly = flag != FALSE;
        from->get_IsSecure(&flag);
        made->secure = flag != FALSE;
        from->get_SameSite(&made->sameSite);
        made->session = made->expires < 0;
        *cookie = made.Detach();
        return S_OK;
    });
}

HRESULT CookieManager::GetCookies(LPCWSTR uri, ICoreWebView2GetCookiesCompletedHandler* handler) {
    if (!handler) return E_POINTER;
    ComPtr<ICoreWebView2GetCookiesCompletedHandler> done(handler);
    std::u16string params = uri && *uri ? u"{\"urls\":[" + Quote(View(uri)) + u"]}" : u"{}";
    return ComBarrier([&] {
        return Send(uri && *uri ? u"Network.getCookies" : u"Network.getAllCookies", params, [done](const CdpReply& reply) {
            if (!reply.Ok()) {
                done->Invoke(E_FAIL, nullptr);
                return;
            }
            auto list = Make<CookieList>();
            const JsonNode* cookies = reply.result ? reply.result->Find(u"cookies") : nullptr;
            for (std::uint32_t i = 0; list && cookies && cookies->type == JsonNodeType::Array && i < cookies->count; ++i) {
                const JsonNode* one = &cookies->elements[i];
                auto cookie = Make<Cookie>();
                if (!cookie) continue;
                cookie->name = Str(one, u"name");
                cookie->value = Str(one, u"value");
                cookie->domain = Str(one, u"domain");
                cookie->path = Str(one, u"path");
                cookie->session = Bool(one, u"session");
                cookie->expires = cookie->session ? -1 : Num(one, u"expires", -1);
                cookie->httpOnly = Bool(one, u"httpOnly");
                cookie->secure = Bool(one, u"secure");
                cookie->sameSite = SameSiteOf(Str(one, u"sameSite"));
                list->cookies.push_back(cookie);
            }
            done->Invoke(list ? S_OK : E_OUTOFMEMORY, list ? static_cast<ICoreWebView2CookieList*>(list.get()) : nullptr);
        });
    });
}

HRESULT CookieManager::AddOrUpdateCookie(ICoreWebView2Cookie* cookie) {
    if (!cookie) return E_POINTER;
    return ComBarrier([&] {
        Params params;
        params.Add(u"name", Read(cookie, &ICoreWebView2Cookie::get_Name))
            .Add(u"value", Read(cookie, &ICoreWebView2Cookie::get_Value))
            .Add(u"domain", Read(cookie, &ICoreWebView2Cookie::get_Domain))
            .Add(u"path", Read(cookie, &ICoreWebView2Cookie::get_Path));
        BOOL flag = FALSE;
        if (SUCCEEDED(cookie->get_IsHttpOnly(&flag))) params.Add(u"httpOnly", flag != FALSE);
        if (SUCCEEDED(cookie->get_IsSecure(&flag))) params.Add(u"secure", flag != FALSE);
        COREWEBVIEW2_COOKIE_SAME_SITE_KIND sameSite = COREWEBVIEW2_COOKIE_SAME_SITE_KIND_LAX;
        if (SUCCEEDED(cookie->get_SameSite(&sameSite))) params.Add(u"sameSite", SameSiteText(sameSite));
        double expires = -1;
        if (SUCCEEDED(cookie->get_Expires(&expires)) && expires >= 0) params.Add(u"expires", expires);
        return Send(u"Network.setCookie", params.Text());
    });
}

HRESULT CookieManager::DeleteCookie(ICoreWebView2Cookie* cookie) {
    if (!cookie) return E_POINTER;
    return ComBarrier([&] {
        return Send(u"Network.deleteCookies", Params()
                                                  .Add(u"name", Read(cookie, &ICoreWebView2Cookie::get_Name))
                                                  .Add(u"domain", Read(cookie, &ICoreWebView2Cookie::get_Domain))
                                                  .Add(u"path", Read(cookie, &ICoreWebView2Cookie::get_Path))
                                                  .Text());
    });
}

HRESULT CookieManager::DeleteCookies(LPCWSTR name, LPCWSTR uri) {
    if (!name || !uri) return E_POINTER;
    return ComBarrier([&] { return Send(u"Network.deleteCookies", Params().Add(u"name", View(name)).Add(u"url", View(uri)).Text()); });
}

HRESULT CookieManager::DeleteCookiesWithDomainAndPath(LPCWSTR name, LPCWSTR domain, LPCWSTR path) {
    if (!name || !domain || !path) return E_POINTER;
    return ComBarrier([&] {
        return Send(u"Network.deleteCookies",
                    Params().Add(u"name", View(name)).Add(u"domain", View(domain)).Add(u"path", View(path)).Text());
    });
}

HRESULT CookieManager::DeleteAllCookies() {
    return ComBarrier([&] { return Send(u"Network.clearBrowserCookies", u"{}"); });
}

// --- The profile ------------------------------------------------------------

HRESULT Profile::get_ProfileName(LPWSTR* value) { return CoString(u"Default", value); }

HRESULT Profile::get_ProfilePath(LPWSTR* value) {
    if (!view_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    const std::wstring folder = view_->UserDataFolder() + L"\\Default";
    return CoString(View(folder.c_str()), value);
}

HRESULT Profile::get_DefaultDownloadFolderPath(LPWSTR* value) {
    if (!downloadFolder.empty()) return CoString(downloadFolder, value);
    wchar_t home[MAX_PATH] = {};
    GetEnvironmentVariableW(L"USERPROFILE", home, MAX_PATH);
    return CoString(View((std::wstring(home) + L"\\Downloads").c_str()), value);
}

HRESULT Profile::put_DefaultDownloadFolderPath(LPCWSTR value) {
    if (!value || !*value) return E_INVALIDARG;
    return ComBarrier([&] {
        downloadFolder = View(value);
        return S_OK;
    });
}

// Emulated for this view's page: the protocol has no profile-wide scheme.
HRESULT Profile::put_PreferredColorScheme(COREWEBVIEW2_PREFERRED_COLOR_SCHEME value) {
    if (value < COREWEBVIEW2_PREFERRED_COLOR_SCHEME_AUTO || value > COREWEBVIEW2_PREFERRED_COLOR_SCHEME_DARK)
        return E_INVALIDARG;
    if (!view_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    if (HRESULT hr = view_->UsableForNetwork(); FAILED(hr)) return hr;
    return ComBarrier([&] {
        scheme_ = value;
        const std::u16string_view names[] = {u"", u"light", u"dark"};
        std::u16string feature = Params().Add(u"name", u"prefers-color-scheme").Add(u"value", names[value]).Text();
        view_->SendForNetwork(u"Emulation.setEmulatedMedia", u"{\"features\":[" + feature + u"]}");
        return S_OK;
    });
}

HRESULT Profile::ClearBrowsingData(COREWEBVIEW2_BROWSING_DATA_KINDS kinds,
                                   ICoreWebView2ClearBrowsingDataCompletedHandler* handler) {
    if (!view_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    if (HRESULT hr = view_->UsableForNetwork(); FAILED(hr)) return hr;
    ComPtr<ICoreWebView2ClearBrowsingDataCompletedHandler> done(handler);
    return ComBarrier([&] {
        const int bits = static_cast<int>(kinds);
        const bool every = bits & (kAllSite | kAllProfile);
        // The handler runs once every command has answered.
        struct Pending {
            int left = 1;
            bool failed = false;
            ComPtr<ICoreWebView2ClearBrowsingDataCompletedHandler> done;
        };
        auto pending = std::make_shared<Pending>();
        pending->done = done;
        auto settle = [pending](bool ok) {
            if (!ok) pending->failed = true;
            if (--pending->left == 0 && pending->done) pending->done->Invoke(pending->failed ? E_FAIL : S_OK);
        };
        auto finish = [settle](const CdpReply& reply) { settle(reply.Ok()); };
        auto send = [&](std::u16string_view method, std::u16string params) {
            ++pending->left;
            view_->SendForNetwork(method, params, finish);
        };
        if (every || (bits & kCookies)) send(u"Network.clearBrowserCookies", u"{}");
        if (every || (bits & kDiskCache)) send(u"Network.clearBrowserCache", u"{}");
        if (every || (bits & kStorageKinds))
            for (const std::u16string& origin : view_->FrameOrigins())
                send(u"Storage.clearDataForOrigin", Params().Add(u"origin", origin).Add(u"storageTypes", u"all").Text());
        settle(true);   // the count's own start
        return S_OK;
    });
}

HRESULT Profile::ClearBrowsingDataAll(ICoreWebView2ClearBrowsingDataCompletedHandler* handler) {
    return ClearBrowsingData(static_cast<COREWEBVIEW2_BROWSING_DATA_KINDS>(kAllProfile), handler);
}

HRESULT Profile::get_CookieManager(ICoreWebView2CookieManager** value) {
    if (!view_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    return view_->get_CookieManager(value);
}

HRESULT WebView::get_CookieManager(ICoreWebView2CookieManager** value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    if (!cookieManager_) cookieManager_ = Make<CookieManager>(this);
    if (!cookieManager_) return E_OUTOFMEMORY;
    *value = cookieManager_.get();
    (*value)->AddRef();
    return S_OK;
}

HRESULT WebView::get_Profile(ICoreWebView2Profile** value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    if (!profile_) profile_ = Make<Profile>(this);
    if (!profile_) return E_OUTOFMEMORY;
    *value = static_cast<ICoreWebView2Profile*>(static_cast<ICoreWebView2Profile5*>(profile_.get()));
    (*value)->AddRef();
    return S_OK;
}

std::vector<std::u16string> WebView::FrameOrigins() const {
    std::vector<std::u16string> origins;
    for (const auto& [frame, url] : frameUrls_) {
        std::u16string origin = OriginOf(url);
        if (!origin.empty() && origin != u"null" && std::find(origins.begin(), origins.end(), origin) == origins.end())
            origins.push_back(origin);
    }
    return origins;
}

}  // namespace Corvane::Chromium
