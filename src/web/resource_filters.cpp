// Web resource filters, blocking and response tracking, custom requests and
// responses kept by handle, and navigation with a request the macro built.
#include <string>

#include "bstr.h"
#include "callback.h"
#include "corvane_ctrl.h"
#include "read_property.h"
#include "runtime_text.h"

namespace Corvane {

namespace Id {
constexpr DISPID WebResourceRequested = 0x12;
constexpr DISPID WebResourceResponseReceived = 0x13;
}  // namespace Id

namespace {

std::u16string WithError(std::u16string_view text, HRESULT hr) {
    return std::u16string(text) + DecimalText(static_cast<long>(hr));
}

// Our resource context for the runtime's (its 13 and later are all "other" here).
LONG HostResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
    return context >= 13 ? 13 : static_cast<LONG>(context);
}

// The UTF-8 bytes of `text` in a stream over movable global memory, which the
// stream frees; null for empty text.
HRESULT Utf8Stream(BSTR text, ComPtr<IStream>& stream) {
    stream = nullptr;
    const UINT length = text ? SysStringLen(text) : 0;
    if (!length) return S_OK;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return HRESULT_FROM_WIN32(GetLastError());
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(bytes));
    if (!memory) return E_OUTOFMEMORY;
    void* data = GlobalLock(memory);
    if (!data) {
        GlobalFree(memory);
        return E_OUTOFMEMORY;
    }
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), static_cast<char*>(data), bytes, nullptr, nullptr);
    GlobalUnlock(memory);
    HRESULT hr = CreateStreamOnHGlobal(memory, TRUE, stream.put());
    if (FAILED(hr)) GlobalFree(memory);
    return hr;
}

const std::wstring kEmpty;

}  // namespace

HRESULT CCorvaneCtrl::RegisterRequestHandler() {
    if (net_.removeRequestHandler || !webView_) return S_OK;
    auto handler = Callback<ICoreWebView2WebResourceRequestedEventHandler>(
        Guarded([this](ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs* args) { OnWebResourceRequested(args); }));
    EventRegistrationToken token{};
    if (!handler || FAILED(webView_->add_WebResourceRequested(handler.get(), &token))) return S_OK;
    ComPtr<ICoreWebView2> view = webView_;
    net_.removeRequestHandler = [view, token] { view->remove_WebResourceRequested(token); };
    return S_OK;
}

void CCorvaneCtrl::OnWebResourceRequested(ICoreWebView2WebResourceRequestedEventArgs* args) {
    ComPtr<ICoreWebView2WebResourceRequest> request;
    args->get_Request(request.put());
    std::u16string uri = ReadRuntimeString(request.get(), &ICoreWebView2WebResourceRequest::get_Uri);
    std::u16string method = ReadRuntimeString(request.get(), &ICoreWebView2WebResourceRequest::get_Method);
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT context = COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL;
    args->get_ResourceContext(&context);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    RaiseNow(u"WebResourceRequested", [&] {
        RaiseEvent(Id::WebResourceRequested, {std::u16string_view(uri), std::u16string_view(method),
                                              HostResourceContext(context), EventArg::InOut(&cancel)});
    });
    if (cancel != VARIANT_TRUE && !net_.blocking) return;
    ComPtr<ICoreWebView2WebResourceResponse> blocked;
    if (!environment_ || FAILED(environment_->CreateWebResourceResponse(nullptr, 403, L"Blocked", L"", blocked.put())) ||
        !blocked)
        return;
    if (SUCCEEDED(args->put_Response(blocked.get()))) ++net_.blockedCount;
}

HRESULT CCorvaneCtrl::AddWebResourceRequestedFilter(BSTR uriPattern, LONG resourceContext) {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        if (BstrView(uriPattern).empty()) return errors_.LastErrorOnly(u"URI pattern cannot be empty.", E_INVALIDARG);
        RegisterRequestHandler();
        const auto context = static_cast<COREWEBVIEW2_WEB_RESOURCE_CONTEXT>(RuntimeResourceContext(resourceContext));
        HRESULT hr = E_NOINTERFACE;
        if (auto v22 = webView_.TryQuery<ICoreWebView2_22>())
            hr = v22->AddWebResourceRequestedFilterWithRequestSourceKinds(
                uriPattern, context, static_cast<COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS>(0xFFFFFFFF));
        if (FAILED(hr)) hr = webView_->AddWebResourceRequestedFilter(uriPattern, context);
        if (FAILED(hr)) return errors_.LastErrorOnly(WithError(u"Failed to add web resource filter. HRESULT=", hr), hr);
        net_.filters.push_back({std::u16string(BstrView(uriPattern)), resourceContext});
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::RemoveWebResourceRequestedFilter(BSTR uriPattern, LONG resourceContext) {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, S_OK);
        if (!uriPattern) return S_OK;
        webView_->RemoveWebResourceRequestedFilter(
            uriPattern, static_cast<COREWEBVIEW2_WEB_RESOURCE_CONTEXT>(RuntimeResourceContext(resourceContext)));
        RemoveFirstFilter(net_.filters, BstrView(uriPattern), resourceContext);
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::ClearAllWebResourceRequestedFilters() {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        for (const ResourceFilter& filter : net_.filters)
            webView_->RemoveWebResourceRequestedFilter(
                ToWide(filter.pattern).c_str(),
                static_cast<COREWEBVIEW2_WEB_RESOURCE_CONTEXT>(RuntimeResourceContext(filter.context)));
        net_.filters.clear();
        if (auto remove = std::exchange(net_.removeRequestHandler, nullptr)) remove();
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::GetWebResourceRequestedFilters(BSTR* filtersJson) {
    if (!filtersJson) return E_POINTER;
    *filtersJson = nullptr;
    return ComBarrier([&] {
        *filtersJson = MakeBstr(FiltersJson(net_.filters));
        return *filtersJson ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT CCorvaneCtrl::SetWebResourceBlocking(VARIANT_BOOL enabled) {
    net_.blocking = IsTrue(enabled);
    return S_OK;
}

HRESULT CCorvaneCtrl::get_IsWebResourceBlockingEnabled(VARIANT_BOOL* value) { return ReadBool(net_.blocking, value); }

HRESULT CCorvaneCtrl::get_BlockedRequestCount(LONG* value) { return ReadValue(static_cast<LONG>(net_.blockedCount), value); }

HRESULT CCorvaneCtrl::ResetBlockedRequestCount() {
    net_.blockedCount = 0;
    return S_OK;
}

HRESULT CCorvaneCtrl::EnableWebResourceResponseTracking(VARIANT_BOOL enabled) {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        net_.tracking = IsTrue(enabled);
        if (!net_.tracking) {
            if (auto remove = std::exchange(net_.removeResponseHandler, nullptr)) remove();
            return S_OK;
        }
        if (net_.removeResponseHandler) return S_OK;
        auto v2 = webView_.TryQuery<ICoreWebView2_2>();
        if (!v2)
            return errors_.LastErrorOnly(
                u"WebView2 version does not support WebResourceResponseReceived (requires ICoreWebView2_2).", E_FAIL);
        auto handler = Callback<ICoreWebView2WebResourceResponseReceivedEventHandler>(
            Guarded([this](ICoreWebView2*, ICoreWebView2WebResourceResponseReceivedEventArgs* args) {
                if (!net_.tracking) return;
                ComPtr<ICoreWebView2WebResourceRequest> request;
                ComPtr<ICoreWebView2WebResourceResponseView> response;
                args->get_Request(request.put());
                args->get_Response(response.put());
                std::u16string uri = ReadRuntimeString(request.get(), &ICoreWebView2WebResourceRequest::get_Uri);
                std::u16string phrase =
                    ReadRuntimeString(response.get(), &ICoreWebView2WebResourceResponseView::get_ReasonPhrase);
                int status = 0;
                if (response) response->get_StatusCode(&status);
                RaiseNow(u"WebResourceResponseReceived", [&] {
                    RaiseEvent(Id::WebResourceResponseReceived,
                               {std::u16string_view(uri), static_cast<LONG>(status), std::u16string_view(phrase)});
                });
            }));
        EventRegistrationToken token{};
        if (!handler || FAILED(v2->add_WebResourceResponseReceived(handler.get(), &token)))
            return errors_.LastErrorOnly(u"Failed to register WebResourceResponseReceived handler.", E_FAIL);
        net_.removeResponseHandler = [v2, token] { v2->remove_WebResourceResponseReceived(token); };
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::CreateWebResourceRequest(BSTR method, BSTR uri, BSTR headers, BSTR body, LONG* requestHandle) {
    if (!requestHandle) return E_POINTER;
    *requestHandle = 0;
    if (!uri) return E_INVALIDARG;
    return ComBarrier([&]() -> HRESULT {
        if (!environment_) return errors_.LastErrorOnly(u"WebView environment not available.", E_FAIL);
        auto env2 = environment_.TryQuery<ICoreWebView2Environment2>();
        if (!env2) return errors_.LastErrorOnly(u"CreateWebResourceRequest requires newer WebView2 Runtime.", E_NOTIMPL);
        ComPtr<IStream> content;
        HRESULT hr = Utf8Stream(body, content);
        if (FAILED(hr)) return errors_.LastErrorOnly(u"Failed to create POST data stream.", hr);
        ComPtr<ICoreWebView2WebResourceRequest> request;
        hr = env2->CreateWebResourceRequest(uri, BstrView(method).empty() ? L"GET" : method, content.get(),
                                            headers ? headers : L"", request.put());
        if (SUCCEEDED(hr) && !request) hr = E_FAIL;
        if (FAILED(hr)) return errors_.LastErrorOnly(WithError(u"CreateWebResourceRequest failed. Error: ", hr), hr);
        const std::int32_t handle = net_.nextHandle++;
        net_.requests[handle] = request;
        *requestHandle = handle;
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::CreateWebResourceResponse(BSTR content, LONG statusCode, BSTR reasonPhrase, BSTR headers,
                                                LONG* responseHandle) {
    if (!responseHandle) return E_POINTER;
    *responseHandle = 0;
    return ComBarrier([&]() -> HRESULT {
        if (!environment_) return errors_.LastErrorOnly(u"WebView environment not available.", E_FAIL);
        ComPtr<IStream> stream;
        HRESULT hr = Utf8Stream(content, stream);
        if (FAILED(hr)) return errors_.LastErrorOnly(u"Failed to create response content stream.", hr);
        ComPtr<ICoreWebView2WebResourceResponse> response;
        hr = environment_->CreateWebResourceResponse(stream.get(), statusCode,
                                                     BstrView(reasonPhrase).empty() ? L"OK" : reasonPhrase,
                                                     headers ? headers : L"", response.put());
        if (SUCCEEDED(hr) && !response) hr = E_FAIL;
        if (FAILED(hr)) return errors_.LastErrorOnly(WithError(u"CreateWebResourceResponse failed. Error: ", hr), hr);
        const std::int32_t handle = net_.nextHandle++;
        net_.responses[handle] = response;
        *responseHandle = handle;
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::NavigateWithCustomRequest(LONG requestHandle) {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        auto found = net_.requests.find(requestHandle);
        if (found == net_.requests.end()) return errors_.LastErrorOnly(u"Invalid request handle.", E_INVALIDARG);
        auto v2 = webView_.TryQuery<ICoreWebView2_2>();
        if (!v2)
            return errors_.LastErrorOnly(u"NavigateWithWebResourceRequest requires newer WebView2 Runtime.", E_NOTIMPL);
        HRESULT hr = v2->NavigateWithWebResourceRequest(found->second.get());
        if (FAILED(hr))
            return errors_.LastErrorOnly(WithError(u"NavigateWithWebResourceRequest failed. Error: ", hr), hr);
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::NavigateWithWebResourceRequestSync(LONG requestHandle) {
    return ComBarrier([&]() -> HRESULT {
        // A handle that names no request fails before any wait.
        if (webView_ && !net_.requests.count(requestHandle))
            return errors_.LastErrorOnly(u"Invalid request handle.", E_INVALIDARG);
        return BlockingNavigation(u"NavigateWithWebResourceRequestSync",
                                  u"Use NavigateWithCustomRequest instead (NavigationCompleted reports the end of the load),",
                                  [&] { return NavigateWithCustomRequest(requestHandle); });
    });
}

HRESULT CCorvaneCtrl::NavigateWithWebResourceRequest(BSTR uri, BSTR httpMethod, BSTR postData, BSTR headers) {
    if (!uri) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        auto v2 = webView_.TryQuery<ICoreWebView2_2>();
        if (!v2)
            return errors_.LastErrorOnly(u"NavigateWithWebResourceRequest requires newer WebView2 Runtime.", E_NOTIMPL);
        if (!environment_) return errors_.LastErrorOnly(u"WebView environment not available.", E_FAIL);
        auto env2 = environment_.TryQuery<ICoreWebView2Environment2>();
        if (!env2) return errors_.LastErrorOnly(u"CreateWebResourceRequest requires newer WebView2 Runtime.", E_NOTIMPL);
        ComPtr<IStream> body;
        if (FAILED(Utf8Stream(postData, body))) body = nullptr;   // sent without a body
        ComPtr<ICoreWebView2WebResourceRequest> request;
        HRESULT hr = env2->CreateWebResourceRequest(uri, BstrView(httpMethod).empty() ? L"GET" : httpMethod, body.get(),
                                                    headers ? headers : L"", request.put());
        if (SUCCEEDED(hr) && !request) hr = E_FAIL;
        if (FAILED(hr))
            return errors_.LastErrorOnly(WithError(u"Failed to create web resource request. Error: ", hr), hr);
        hr = v2->NavigateWithWebResourceRequest(request.get());
        if (FAILED(hr))
            return errors_.LastErrorOnly(WithError(u"NavigateWithWebResourceRequest failed. Error: ", hr), hr);
        return S_OK;
    });
}

}  // namespace Corvane
