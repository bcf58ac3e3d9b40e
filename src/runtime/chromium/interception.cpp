// Requests the page makes, paused by Fetch: the host's resource filters see
// them first (WebResourceRequested, answered with the host's response or let
// through), then a custom request's method, body and headers, a mapped
// host's folder or the network answer them. Every paused request is answered
// exactly once. Also: responses reported to the host, Basic authentication
// challenges of paused requests, and server certificate errors.
#include "portable/request_rules.h"
#include "portable/virtual_host_rules.h"
#include "portable/web_error_status.h"
#include "webview.h"

namespace Corvane::Chromium {

namespace {

std::u16string HeadersJson(const std::vector<std::pair<std::u16string, std::u16string>>& headers) {
    std::u16string json = u"[";
    for (const auto& [name, value] : headers) {
        if (json.size() > 1) json += u',';
        json += Params().Add(u"name", name).Add(u"value", value).Text();
    }
    return json + u"]";
}

bool SameName(std::u16string_view a, std::u16string_view b) { return LowerAscii(a) == LowerAscii(b); }

}  // namespace

// --- Runtime objects of requests and responses -----------------------------

bool ReadAll(IStream* stream, std::string& bytes) {
    bytes.clear();
    if (!stream) return true;
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    char buffer[16384];
    for (;;) {
        ULONG read = 0;
        HRESULT hr = stream->Read(buffer, sizeof buffer, &read);
        if (FAILED(hr)) return false;
        bytes.append(buffer, read);
        if (read == 0 || hr == S_FALSE) return true;
    }
}

ComPtr<IStream> StreamOf(const std::string& bytes) {
    ComPtr<IStream> stream;
    if (bytes.empty()) return stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) ||
        FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr)))
        return nullptr;
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

HRESULT WebResourceRequest::put_Uri(LPCWSTR value) {
    if (!value) return E_INVALIDARG;
    return ComBarrier([&] {
        uri = View(value);
        changed = true;
        return S_OK;
    });
}

HRESULT WebResourceRequest::put_Method(LPCWSTR value) {
    if (!value) return E_INVALIDARG;
    return ComBarrier([&] {
        method = View(value);
        changed = true;
        return S_OK;
    });
}

HRESULT WebResourceRequest::get_Content(IStream** value) {
    if (!value) return E_POINTER;
    *value = StreamOf(body).Detach();
    return S_OK;
}

HRESULT WebResourceRequest::put_Content(IStream* value) {
    return ComBarrier([&] {
        changed = true;
        return ReadAll(value, body) ? S_OK : E_INVALIDARG;
    });
}

HRESULT WebResourceResponse::get_Content(IStream** value) {
    if (!value) return E_POINTER;
    *value = StreamOf(body).Detach();
    return S_OK;
}

HRESULT WebResourceResponse::put_Content(IStream* value) {
    return ComBarrier([&] { return ReadAll(value, body) ? S_OK : E_INVALIDARG; });
}

HRESULT WebResourceResponse::put_ReasonPhrase(LPCWSTR value) {
    return ComBarrier([&] {
        phrase = View(value);
        return S_OK;
    });
}

HRESULT RequestedArgs::get_Request(ICoreWebView2WebResourceRequest** value) {
    if (!value) return E_POINTER;
    *value = request ? static_cast<ICoreWebView2WebResourceRequest*>(request.get()) : nullptr;
    if (*value) (*value)->AddRef();
    return S_OK;
}

HRESULT ResponseReceivedArgs::get_Request(ICoreWebView2WebResourceRequest** value) {
    if (!value) return E_POINTER;
    *value = request ? static_cast<ICoreWebView2WebResourceRequest*>(request.get()) : nullptr;
    if (*value) (*value)->AddRef();
    return S_OK;
}

HRESULT ResponseReceivedArgs::get_Response(ICoreWebView2WebResourceResponseView** value) {
    if (!value) return E_POINTER;
    *value = response ? static_cast<ICoreWebView2WebResourceResponseView*>(response.get()) : nullptr;
    if (*value) (*value)->AddRef();
    return S_OK;
}

HRESULT BasicAuthResponse::put_UserName(LPCWSTR value) {
    return ComBarrier([&] {
        user = View(value);
        given = true;
        return S_OK;
    });
}

HRESULT BasicAuthResponse::put_Password(LPCWSTR value) {
    return ComBarrier([&] {
        password = View(value);
        given = true;
        return S_OK;
    });
}

HRESULT BasicAuthArgs::get_Response(ICoreWebView2BasicAuthenticationResponse** value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    if (!response) response = Make<BasicAuthResponse>();
    if (!response) return E_OUTOFMEMORY;
    *value = response.get();
    (*value)->AddRef();
    return S_OK;
}

// --- Filters ----------------------------------------------------------------

std::u16string WebView::FilterPatterns() const {
    std::u16string json;
    for (const Filter& filter : filters_) {
        Params pattern;
        pattern.Add(u"urlPattern", filter.pattern).Add(u"requestStage", u"Request");
        const std::u16string_view type = ResourceTypeOfContext(filter.context);
        if (!type.empty()) pattern.Add(u"resourceType", type);
        json += u"," + pattern.Text();
    }
    return json;
}

HRESULT WebView::AddWebResourceRequestedFilter(LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
    if (!uri || !*uri) return E_INVALIDARG;
    if (context < COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL || context > COREWEBVIEW2_WEB_RESOURCE_CONTEXT_OTHER)
        return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    return ComBarrier([&] {
        filters_.push_back({std::u16string(View(uri)), static_cast<int>(context)});
        Send(u"Fetch.enable", FetchPatterns());
        return S_OK;
    });
}

HRESULT WebView::RemoveWebResourceRequestedFilter(LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
    if (!uri) return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    return ComBarrier([&]() -> HRESULT {
        for (auto it = filters_.begin(); it != filters_.end(); ++it) {
            if (it->pattern == View(uri) && it->context == static_cast<int>(context)) {
                filters_.erase(it);
                Send(u"Fetch.enable", FetchPatterns());
                return S_OK;
            }
        }
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    });
}

std::shared_ptr<WebView::PausedRequest> WebView::Paused(const JsonNode& params) const {
    auto paused = std::make_shared<PausedRequest>();
    const JsonNode* request = Obj(&params, u"request");
    paused->requestId = Str(&params, u"requestId");
    paused->url = Str(request, u"url");
    paused->method = Str(request, u"method");
    paused->resourceType = Str(&params, u"resourceType");
    paused->frameId = Str(&params, u"frameId");
    paused->mainDocument = paused->resourceType == u"Document" && paused->frameId == mainFrameId_;
    const JsonNode* headers = Obj(request, u"headers");
    for (std::uint32_t i = 0; headers && headers->type == JsonNodeType::Object && i < headers->count; ++i) {
        const JsonMember& member = headers->members[i];
        if (member.value.type == JsonNodeType::String)
            paused->headers.emplace_back(std::u16string(member.Key()), std::u16string(member.value.String()));
    }
    paused->body = ToUtf8(Str(request, u"postData"));
    paused->mapped = MatchVirtualHost(params);
    return paused;
}

void WebView::AnswerPaused(std::shared_ptr<PausedRequest> paused) {
    const int context = ContextOfResourceType(paused->resourceType);
    bool filtered = false;
    for (const Filter& filter : filters_)
        if ((filter.context == 0 || filter.context == context) && WildcardMatch(filter.pattern, paused->url))
            filtered = true;
    if (!filtered || webResourceRequested_.Empty()) return ContinuePaused(*paused);

    auto args = Make<RequestedArgs>();
    auto request = Make<WebResourceRequest>();
    if (!args || !request) return ContinuePaused(*paused);
    request->uri = paused->url;
    request->method = paused->method;
    request->body = paused->body;
    for (const auto& [name, value] : paused->headers) request->headers += name + u": " + value + u"\r\n";
    args->request = request;
    args->context = context;
    ComPtr<WebView> self(this);
    Enqueue([self, args, paused] {
        self->webResourceRequested_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                          static_cast<ICoreWebView2WebResourceRequestedEventArgs*>(args.get()));
        args->AnswerWhenDone([self, args, paused] {
            if (self->closed_) return;
            if (!args->response) {
                // The host may have rewritten the request.
                if (args->request->changed) {
                    paused->url = args->request->uri;
                    paused->method = args->request->method;
                    paused->body = args->request->body;
                    paused->mapped = nullptr;
                    paused->rewritten = true;
                }
                return self->ContinuePaused(*paused);
            }
            int status = 200;
            args->response->get_StatusCode(&status);
            LPWSTR phrase = nullptr;
            args->response->get_ReasonPhrase(&phrase);
            std::u16string reason(View(phrase));
            CoTaskMemFree(phrase);
            std::string body;
            std::vector<std::pair<std::u16string, std::u16string>> headers;
            if (auto* ours = dynamic_cast<WebResourceResponse*>(args->response.get())) {
                body = ours->body;
                headers = HeaderLines(ours->headers);
            } else {
                ComPtr<IStream> content;
                if (SUCCEEDED(args->response->get_Content(content.put()))) ReadAll(content.get(), body);
            }
            Params fulfil;
            fulfil.Add(u"requestId", paused->requestId).Add(u"responseCode", status).Raw(u"responseHeaders", HeadersJson(headers));
            if (!reason.empty()) fulfil.Add(u"responsePhrase", reason);
            fulfil.Add(u"body", Base64(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
            self->Send(u"Fetch.fulfillRequest", fulfil.Text());
        });
    });
}

void WebView::ContinuePaused(const PausedRequest& paused) {
    // The request the host built goes with the next main document only, which
    // is its own unless something else started first (the browser may add a '/').
    std::shared_ptr<CustomRequest> custom = paused.mainDocument ? std::move(customRequest_) : nullptr;
    if (custom && (custom->url == paused.url || custom->url + u"/" == paused.url)) {
        // Its method, body and headers over the browser's.
        auto headers = paused.headers;
        for (auto& [name, value] : HeaderLines(custom->headers)) {
            std::erase_if(headers, [&](const auto& h) { return SameName(h.first, name); });
            headers.emplace_back(name, value);
        }
        Params next;
        next.Add(u"requestId", paused.requestId).Add(u"method", custom->method).Raw(u"headers", HeadersJson(headers));
        if (!custom->body.empty())
            next.Add(u"postData", Base64(reinterpret_cast<const unsigned char*>(custom->body.data()), custom->body.size()));
        Send(u"Fetch.continueRequest", next.Text());
        return;
    }
    if (paused.mapped) return ServeVirtualHost(*paused.mapped);
    Params next;
    next.Add(u"requestId", paused.requestId);
    if (paused.rewritten) {
        // Rewritten by the host in WebResourceRequested: its address, method and body.
        next.Add(u"url", paused.url).Add(u"method", paused.method);
        if (!paused.body.empty())
            next.Add(u"postData", Base64(reinterpret_cast<const unsigned char*>(paused.body.data()), paused.body.size()));
    }
    Send(u"Fetch.continueRequest", next.Text());
}

HRESULT WebView::NavigateWithWebResourceRequest(ICoreWebView2WebResourceRequest* request) {
    if (!request) return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    return ComBarrier([&]() -> HRESULT {
        auto custom = std::make_shared<CustomRequest>();
        LPWSTR text = nullptr;
        if (FAILED(request->get_Uri(&text)) || !text) return E_INVALIDARG;
        custom->url = View(text);
        CoTaskMemFree(text);
        text = nullptr;
        request->get_Method(&text);
        custom->method = text && *text ? View(text) : u"GET";
        CoTaskMemFree(text);
        ComPtr<IStream> content;
        if (SUCCEEDED(request->get_Content(content.put()))) ReadAll(content.get(), custom->body);
        if (auto* ours = dynamic_cast<WebResourceRequest*>(request)) custom->headers = ours->headers;
        if (!custom->url.starts_with(u"http:") && !custom->url.starts_with(u"https:")) return E_INVALIDARG;
        customRequest_ = custom;
        return Navigate(Wide(custom->url).c_str());
    });
}

// --- Responses --------------------------------------------------------------

HRESULT WebView::add_WebResourceResponseReceived(ICoreWebView2WebResourceResponseReceivedEventHandler* h,
                                                  EventRegistrationToken* t) {
    return webResourceResponseReceived_.Add(h, t);
}

void WebView::OnNetworkEvent(std::u16string_view method, const JsonNode& params) {
    if (webResourceResponseReceived_.Empty()) {
        requestMethods_.clear();
        return;
    }
    const std::u16string id(Str(&params, u"requestId"));
    if (method == u"Network.requestWillBeSent") {
        requestMethods_[id] = Str(Obj(&params, u"request"), u"method");
    } else if (method == u"Network.loadingFailed") {
        requestMethods_.erase(id);
    } else if (method == u"Network.responseReceived") {
        const JsonNode* response = Obj(&params, u"response");
        auto args = Make<ResponseReceivedArgs>();
        auto request = Make<WebResourceRequest>();
        if (!args || !request) return;
        request->uri = Str(response, u"url");
        auto known = requestMethods_.find(id);
        if (known != requestMethods_.end()) {
            request->method = known->second;
            requestMethods_.erase(known);
        }
        args->request = request;
        args->response = Make<ResponseView>(static_cast<int>(Num(response, u"status")),
                                            std::u16string(Str(response, u"statusText")));
        ComPtr<WebView> self(this);
        Enqueue([self, args] {
            self->webResourceResponseReceived_.Raise(
                static_cast<ICoreWebView2*>(self.get()),
                static_cast<ICoreWebView2WebResourceResponseReceivedEventArgs*>(args.get()));
        });
    }
}

// --- Authentication ---------------------------------------------------------

HRESULT WebView::add_BasicAuthenticationRequested(ICoreWebView2BasicAuthenticationRequestedEventHandler* h,
                                                  EventRegistrationToken* t) {
    const bool first = basicAuthenticationRequested_.Empty();
    HRESULT hr = basicAuthenticationRequested_.Add(h, t);
    if (SUCCEEDED(hr) && first && !sessionId_.empty() && !closed_) Send(u"Fetch.enable", FetchPatterns());
    return hr;
}

HRESULT WebView::remove_BasicAuthenticationRequested(EventRegistrationToken t) {
    basicAuthenticationRequested_.Remove(t);
    if (basicAuthenticationRequested_.Empty() && !sessionId_.empty() && !closed_) Send(u"Fetch.enable", FetchPatterns());
    return S_OK;
}

void WebView::OnAuthRequired(const JsonNode& params) {
    const std::u16string requestId(Str(&params, u"requestId"));
    const JsonNode* challenge = Obj(&params, u"authChallenge");
    auto answer = [this, requestId](std::u16string_view response, std::u16string_view user = {},
                                    std::u16string_view password = {}) {
        Params reply;
        reply.Add(u"response", response);
        if (response == u"ProvideCredentials") reply.Add(u"username", user).Add(u"password", password);
        Send(u"Fetch.continueWithAuth",
             Params().Add(u"requestId", requestId).Raw(u"authChallengeResponse", reply.Text()).Text());
    };
    // Only a server's Basic challenge is the host's; the browser handles the rest.
    if (basicAuthenticationRequested_.Empty() || Str(challenge, u"source") == u"Proxy" ||
        LowerAscii(Str(challenge, u"scheme")) != u"basic")
        return answer(u"Default");
    auto args = Make<BasicAuthArgs>();
    if (!args) return answer(u"Default");
    args->uri = Str(Obj(&params, u"request"), u"url");
    args->challenge = ChallengeText(Str(challenge, u"scheme"), Str(challenge, u"realm"));
    ComPtr<WebView> self(this);
    Enqueue([self, args, requestId] {
        self->basicAuthenticationRequested_.Raise(
            static_cast<ICoreWebView2*>(self.get()),
            static_cast<ICoreWebView2BasicAuthenticationRequestedEventArgs*>(args.get()));
        args->AnswerWhenDone([self, args, requestId] {
            if (self->closed_) return;
            Params reply;
            if (args->cancel) reply.Add(u"response", u"CancelAuth");
            else if (args->response && args->response->given)
                reply.Add(u"response", u"ProvideCredentials")
                    .Add(u"username", args->response->user)
                    .Add(u"password", args->response->password);
            else reply.Add(u"response", u"Default");
            self->Send(u"Fetch.continueWithAuth",
                       Params().Add(u"requestId", requestId).Raw(u"authChallengeResponse", reply.Text()).Text());
        });
    });
}

// --- Certificates -----------------------------------------------------------

// While the host listens, every certificate error waits for its answer: allow
// continues, anything else cancels the request (no error page is shown).
HRESULT WebView::add_ServerCertificateErrorDetected(ICoreWebView2ServerCertificateErrorDetectedEventHandler* h,
                                                    EventRegistrationToken* t) {
    const bool first = serverCertificateErrorDetected_.Empty();
    HRESULT hr = serverCertificateErrorDetected_.Add(h, t);
    if (SUCCEEDED(hr) && first && !sessionId_.empty() && !closed_) {
        Send(u"Security.enable", u"{}");
        Send(u"Security.setOverrideCertificateErrors", Params().Add(u"override", true).Text());
    }
    return hr;
}

HRESULT WebView::remove_ServerCertificateErrorDetected(EventRegistrationToken t) {
    serverCertificateErrorDetected_.Remove(t);
    if (serverCertificateErrorDetected_.Empty() && !sessionId_.empty() && !closed_)
        Send(u"Security.setOverrideCertificateErrors", Params().Add(u"override", false).Text());
    return S_OK;
}

void WebView::OnCertificateError(const JsonNode& params) {
    const double eventId = Num(&params, u"eventId");
    auto args = Make<CertificateErrorArgs>();
    auto answer = [this, eventId](bool allow) {
        Send(u"Security.handleCertificateError",
             Params().Add(u"eventId", eventId).Add(u"action", allow ? u"continue" : u"cancel").Text());
    };
    if (!args || serverCertificateErrorDetected_.Empty()) return answer(false);
    args->uri = Str(&params, u"requestURL");
    args->status = static_cast<int>(WebErrorStatusFromErrorText(Str(&params, u"errorType")));
    ComPtr<WebView> self(this);
    Enqueue([self, args, eventId] {
        self->serverCertificateErrorDetected_.Raise(
            static_cast<ICoreWebView2*>(self.get()),
            static_cast<ICoreWebView2ServerCertificateErrorDetectedEventArgs*>(args.get()));
        args->AnswerWhenDone([self, args, eventId] {
            if (self->closed_) return;
            const bool allow = args->action == COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_ALWAYS_ALLOW;
            self->Send(u"Security.handleCertificateError",
                       Params().Add(u"eventId", eventId).Add(u"action", allow ? u"continue" : u"cancel").Text());
        });
    });
}

}  // namespace Corvane::Chromium
