// The network's runtime objects: requests and responses (made by the
// environment or reported by the page), the arguments of the request,
// response, authentication, certificate and download events, cookies and
// their manager, the profile, and one download. Plain values filled in by
// the web view; answers the host writes are read back after its handlers.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "event_args.h"
#include "runtime_object.h"

namespace Corvane::Chromium {

class WebView;

// The bytes of a stream from its start; false when it cannot be read.
bool ReadAll(IStream* stream, std::string& bytes);
// A stream over a copy of `bytes`; null for none.
ComPtr<IStream> StreamOf(const std::string& bytes);

class WebResourceRequest final : public ComObject<WebResourceRequest, WebResourceRequestDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2WebResourceRequest>;
    WebResourceRequest() : ComObject(nullptr) {}
    std::u16string uri, method = u"GET", headers;   // headers: "Name: value" lines
    std::string body;
    bool changed = false;                            // the host rewrote uri, method or body
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override { return CoString(uri, value); }
    HRESULT STDMETHODCALLTYPE put_Uri(LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Method(LPWSTR* value) override { return CoString(method, value); }
    HRESULT STDMETHODCALLTYPE put_Method(LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Content(IStream** value) override;
    HRESULT STDMETHODCALLTYPE put_Content(IStream* value) override;
};

class WebResourceResponse final : public ComObject<WebResourceResponse, WebResourceResponseDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2WebResourceResponse>;
    WebResourceResponse() : ComObject(nullptr) {}
    int status = 200;
    std::u16string phrase = u"OK", headers;
    std::string body;
    HRESULT STDMETHODCALLTYPE get_Content(IStream** value) override;
    HRESULT STDMETHODCALLTYPE put_Content(IStream* value) override;
    HRESULT STDMETHODCALLTYPE get_StatusCode(int* value) override { return Answer(value, status); }
    HRESULT STDMETHODCALLTYPE put_StatusCode(int value) override { status = value; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_ReasonPhrase(LPWSTR* value) override { return CoString(phrase, value); }
    HRESULT STDMETHODCALLTYPE put_ReasonPhrase(LPCWSTR value) override;
};

// The deferral every answering event offers: the answer waits for it.
template <class Defaults>
class DeferrableArgs : public Defaults {
public:
    ComPtr<Deferral> deferral;
    std::function<void()> onComplete;
    HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        // The answer runs once and lets go of what it holds (the arguments among them).
        if (!deferral) deferral = Make<Deferral>([this] {
            if (auto answer = std::exchange(onComplete, nullptr)) answer();
        });
        if (!deferral) return E_OUTOFMEMORY;
        *out = deferral.get();
        (*out)->AddRef();
        return S_OK;
    }
    // Runs `answer` now, or once the host completes the deferral it took.
    void AnswerWhenDone(std::function<void()> answer) {
        if (deferral && deferral->Pending()) onComplete = std::move(answer);
        else answer();
    }
};

class RequestedArgs final : public ComObject<RequestedArgs, DeferrableArgs<RequestedArgsDefaults>> {
public:
    using Exposed = InterfaceList<ICoreWebView2WebResourceRequestedEventArgs>;
    RequestedArgs() : ComObject(nullptr) {}
    ComPtr<WebResourceRequest> request;
    ComPtr<ICoreWebView2WebResourceResponse> response;
    int context = 0;
    HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** value) override;
    HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponse** value) override {
        return response.CopyTo(value);
    }
    HRESULT STDMETHODCALLTYPE put_Response(ICoreWebView2WebResourceResponse* value) override {
        response = ComPtr<ICoreWebView2WebResourceResponse>(value);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* value) override {
        return Answer(value, context);
    }
};

class ResponseView final : public ComObject<ResponseView, ResponseViewDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2WebResourceResponseView>;
    ResponseView(int status, std::u16string phrase) : ComObject(nullptr), status_(status), phrase_(std::move(phrase)) {}
    HRESULT STDMETHODCALLTYPE get_StatusCode(int* value) override { return Answer(value, status_); }
    HRESULT STDMETHODCALLTYPE get_ReasonPhrase(LPWSTR* value) override { return CoString(phrase_, value); }

private:
    int status_;
    std::u16string phrase_;
};

class ResponseReceivedArgs final : public ComObject<ResponseReceivedArgs, ResponseReceivedArgsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2WebResourceResponseReceivedEventArgs>;
    ResponseReceivedArgs() : ComObject(nullptr) {}
    ComPtr<WebResourceRequest> request;
    ComPtr<ResponseView> response;
    HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** value) override;
    HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponseView** value) override;
};

class BasicAuthResponse final : public ComObject<BasicAuthResponse, BasicAuthResponseDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2BasicAuthenticationResponse>;
    BasicAuthResponse() : ComObject(nullptr) {}
    std::u16string user, password;
    bool given = false;   // the host wrote either
    HRESULT STDMETHODCALLTYPE get_UserName(LPWSTR* value) override { return CoString(user, value); }
    HRESULT STDMETHODCALLTYPE put_UserName(LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Password(LPWSTR* value) override { return CoString(password, value); }
    HRESULT STDMETHODCALLTYPE put_Password(LPCWSTR value) override;
};

class BasicAuthArgs final : public ComObject<BasicAuthArgs, DeferrableArgs<BasicAuthArgsDefaults>> {
public:
    using Exposed = InterfaceList<ICoreWebView2BasicAuthenticationRequestedEventArgs>;
    BasicAuthArgs() : ComObject(nullptr) {}
    std::u16string uri, challenge;
    ComPtr<BasicAuthResponse> response;
    bool cancel = false;
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override { return CoString(uri, value); }
    HRESULT STDMETHODCALLTYPE get_Challenge(LPWSTR* value) override { return CoString(challenge, value); }
    HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2BasicAuthenticationResponse** value) override;
    HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* value) override { return Answer(value, cancel); }
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL value) override { cancel = value != FALSE; return S_OK; }
};

// The protocol tells the error and the address, not the certificate: the
// host gets no certificate object.
class CertificateErrorArgs final : public ComObject<CertificateErrorArgs, DeferrableArgs<CertificateErrorArgsDefaults>> {
public:
    using Exposed = InterfaceList<ICoreWebView2ServerCertificateErrorDetectedEventArgs>;
    CertificateErrorArgs() : ComObject(nullptr) {}
    std::u16string uri;
    int status = 0;
    COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION action = COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_DEFAULT;
    HRESULT STDMETHODCALLTYPE get_ErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* value) override { return Answer(value, status); }
    HRESULT STDMETHODCALLTYPE get_RequestUri(LPWSTR* value) override { return CoString(uri, value); }
    HRESULT STDMETHODCALLTYPE get_ServerCertificate(ICoreWebView2Certificate** value) override {
        if (!value) return E_POINTER;
        *value = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Action(COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION* value) override {
        return Answer(value, action);
    }
    HRESULT STDMETHODCALLTYPE put_Action(COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION value) override {
        action = value;
        return S_OK;
    }
};

class Cookie final : public ComObject<Cookie, CookieDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2Cookie>;
    Cookie() : ComObject(nullptr) {}
    std::u16string name, value, domain, path;
    double expires = -1;
    bool httpOnly = false, secure = false, session = true;
    COREWEBVIEW2_COOKIE_SAME_SITE_KIND sameSite = COREWEBVIEW2_COOKIE_SAME_SITE_KIND_LAX;
    HRESULT STDMETHODCALLTYPE get_Name(LPWSTR* out) override { return CoString(name, out); }
    HRESULT STDMETHODCALLTYPE get_Value(LPWSTR* out) override { return CoString(value, out); }
    HRESULT STDMETHODCALLTYPE put_Value(LPCWSTR text) override;
    HRESULT STDMETHODCALLTYPE get_Domain(LPWSTR* out) override { return CoString(domain, out); }
    HRESULT STDMETHODCALLTYPE get_Path(LPWSTR* out) override { return CoString(path, out); }
    HRESULT STDMETHODCALLTYPE get_Expires(double* out) override { return Answer(out, expires); }
    HRESULT STDMETHODCALLTYPE put_Expires(double in) override { expires = in; session = in < 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_IsHttpOnly(BOOL* out) override { return Answer(out, httpOnly); }
    HRESULT STDMETHODCALLTYPE put_IsHttpOnly(BOOL in) override { httpOnly = in != FALSE; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_SameSite(COREWEBVIEW2_COOKIE_SAME_SITE_KIND* out) override { return Answer(out, sameSite); }
    HRESULT STDMETHODCALLTYPE put_SameSite(COREWEBVIEW2_COOKIE_SAME_SITE_KIND in) override { sameSite = in; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_IsSecure(BOOL* out) override { return Answer(out, secure); }
    HRESULT STDMETHODCALLTYPE put_IsSecure(BOOL in) override { secure = in != FALSE; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_IsSession(BOOL* out) override { return Answer(out, session); }
};

class CookieList final : public ComObject<CookieList, CookieListDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2CookieList>;
    CookieList() : ComObject(nullptr) {}
    std::vector<ComPtr<Cookie>> cookies;
    HRESULT STDMETHODCALLTYPE get_Count(UINT* count) override { return Answer(count, cookies.size()); }
    HRESULT STDMETHODCALLTYPE GetValueAtIndex(UINT index, ICoreWebView2Cookie** cookie) override;
};

// Cookies through the web view's session: the browser keeps one cookie
// store per profile, so this manager is the profile's too.
class CookieManager final : public ComObject<CookieManager, CookieManagerDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2CookieManager>;
    explicit CookieManager(WebView* view) : ComObject(nullptr), view_(view) {}
    void Detach() { view_ = nullptr; }
    HRESULT STDMETHODCALLTYPE CreateCookie(LPCWSTR name, LPCWSTR value, LPCWSTR domain, LPCWSTR path,
                                           ICoreWebView2Cookie** cookie) override;
    HRESULT STDMETHODCALLTYPE CopyCookie(ICoreWebView2Cookie* from, ICoreWebView2Cookie** cookie) override;
    HRESULT STDMETHODCALLTYPE GetCookies(LPCWSTR uri, ICoreWebView2GetCookiesCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE AddOrUpdateCookie(ICoreWebView2Cookie* cookie) override;
    HRESULT STDMETHODCALLTYPE DeleteCookie(ICoreWebView2Cookie* cookie) override;
    HRESULT STDMETHODCALLTYPE DeleteCookies(LPCWSTR name, LPCWSTR uri) override;
    HRESULT STDMETHODCALLTYPE DeleteCookiesWithDomainAndPath(LPCWSTR name, LPCWSTR domain, LPCWSTR path) override;
    HRESULT STDMETHODCALLTYPE DeleteAllCookies() override;

private:
    HRESULT Send(std::u16string_view method, std::u16string params, std::function<void(const CdpReply&)> done = nullptr);
    WebView* view_;   // cleared when the view closes
};

// The profile of a web view. Tracking prevention, permissions (Profile3, 4)
// have no protocol equivalent and answer E_NOTIMPL.
class Profile final : public ComObject<Profile, ProfileDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2Profile, ICoreWebView2Profile2, ICoreWebView2Profile3,
                                  ICoreWebView2Profile4, ICoreWebView2Profile5>;
    explicit Profile(WebView* view) : ComObject(nullptr), view_(view) {}
    void Detach() { view_ = nullptr; }
    std::u16string downloadFolder;   // empty: the user's Downloads folder
    HRESULT STDMETHODCALLTYPE get_ProfileName(LPWSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_IsInPrivateModeEnabled(BOOL* value) override { return Answer(value, false); }
    HRESULT STDMETHODCALLTYPE get_ProfilePath(LPWSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_DefaultDownloadFolderPath(LPWSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_DefaultDownloadFolderPath(LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE get_PreferredColorScheme(COREWEBVIEW2_PREFERRED_COLOR_SCHEME* value) override {
        return Answer(value, scheme_);
    }
    HRESULT STDMETHODCALLTYPE put_PreferredColorScheme(COREWEBVIEW2_PREFERRED_COLOR_SCHEME value) override;
    HRESULT STDMETHODCALLTYPE ClearBrowsingData(COREWEBVIEW2_BROWSING_DATA_KINDS kinds,
                                                ICoreWebView2ClearBrowsingDataCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE ClearBrowsingDataAll(ICoreWebView2ClearBrowsingDataCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE get_CookieManager(ICoreWebView2CookieManager** value) override;

private:
    WebView* view_;
    COREWEBVIEW2_PREFERRED_COLOR_SCHEME scheme_ = COREWEBVIEW2_PREFERRED_COLOR_SCHEME_AUTO;
};

// One download the browser runs under its guid in our download folder; on
// completion the file moves to its result path. The protocol cannot pause or
// resume a download.
class DownloadOperation final : public ComObject<DownloadOperation, DownloadOperationDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2DownloadOperation>;
    explicit DownloadOperation(WebView* view) : ComObject(nullptr), view_(view) {}
    void Detach() { view_ = nullptr; }
    std::u16string guid, uri, resultPath, mimeType, contentDisposition;
    INT64 total = 0, received = 0;
    COREWEBVIEW2_DOWNLOAD_STATE state = COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS;
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON reason = COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_NONE;
    EventList<ICoreWebView2BytesReceivedChangedEventHandler> bytesChanged;
    EventList<ICoreWebView2StateChangedEventHandler> stateChanged;

    HRESULT STDMETHODCALLTYPE add_BytesReceivedChanged(ICoreWebView2BytesReceivedChangedEventHandler* h,
                                                       EventRegistrationToken* t) override { return bytesChanged.Add(h, t); }
    HRESULT STDMETHODCALLTYPE remove_BytesReceivedChanged(EventRegistrationToken t) override { return bytesChanged.Remove(t); }
    HRESULT STDMETHODCALLTYPE add_StateChanged(ICoreWebView2StateChangedEventHandler* h, EventRegistrationToken* t) override {
        return stateChanged.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_StateChanged(EventRegistrationToken t) override { return stateChanged.Remove(t); }
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override { return CoString(uri, value); }
    HRESULT STDMETHODCALLTYPE get_ContentDisposition(LPWSTR* value) override { return CoString(contentDisposition, value); }
    HRESULT STDMETHODCALLTYPE get_MimeType(LPWSTR* value) override { return CoString(mimeType, value); }
    HRESULT STDMETHODCALLTYPE get_TotalBytesToReceive(INT64* value) override { return Answer(value, total); }
    HRESULT STDMETHODCALLTYPE get_BytesReceived(INT64* value) override { return Answer(value, received); }
    HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* value) override { return CoString(resultPath, value); }
    HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_DOWNLOAD_STATE* value) override { return Answer(value, state); }
    HRESULT STDMETHODCALLTYPE get_InterruptReason(COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON* value) override {
        return Answer(value, reason);
    }
    HRESULT STDMETHODCALLTYPE Cancel() override;
    HRESULT STDMETHODCALLTYPE get_CanResume(BOOL* value) override { return Answer(value, false); }

private:
    WebView* view_;
};

class DownloadStartingArgs final : public ComObject<DownloadStartingArgs, DeferrableArgs<DownloadStartingArgsDefaults>> {
public:
    using Exposed = InterfaceList<ICoreWebView2DownloadStartingEventArgs>;
    DownloadStartingArgs() : ComObject(nullptr) {}
    ComPtr<DownloadOperation> operation;
    bool cancel = false, handled = false;
    std::u16string resultPath;
    HRESULT STDMETHODCALLTYPE get_DownloadOperation(ICoreWebView2DownloadOperation** value) override;
    HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* value) override { return Answer(value, cancel); }
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL value) override { cancel = value != FALSE; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* value) override { return CoString(resultPath, value); }
    HRESULT STDMETHODCALLTYPE put_ResultFilePath(LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) override { return Answer(value, handled); }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) override { handled = value != FALSE; return S_OK; }
};

}  // namespace Corvane::Chromium
