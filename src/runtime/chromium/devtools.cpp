// The host's DevTools access: its calls and event receivers use a session of
// their own on the view's page (web_features.h says why).
#include "json_text.h"
#include "webview.h"

namespace Corvane::Chromium {

DevToolsChannel::~DevToolsChannel() { Close(); }

void DevToolsChannel::Attach() {
    if (attaching_ || !sessionId_.empty() || closed_) return;
    attaching_ = true;
    auto self = shared_from_this();
    browser_->Send(u"Target.attachToTarget", Params().Add(u"targetId", targetId_).Add(u"flatten", true).Text(), {},
                   [self](const CdpReply& reply) {
        self->attaching_ = false;
        if (self->closed_) {
            // Closed while attaching: the session that came is not wanted.
            if (reply.Ok() && self->browser_->IsAlive())
                self->browser_->Send(u"Target.detachFromTarget", Params().Add(u"sessionId", Str(reply.result, u"sessionId")).Text());
            return;
        }
        if (!reply.Ok()) return self->Fail();
        self->sessionId_ = Str(reply.result, u"sessionId");
        self->browser_->AddSession(self->sessionId_, self->targetId_, self.get());
        auto waiting = std::move(self->waiting_);
        self->waiting_.clear();
        for (auto& go : waiting) go(true);
    });
}

void DevToolsChannel::Fail() {
    auto waiting = std::move(waiting_);
    waiting_.clear();
    for (auto& go : waiting) go(false);
}

void DevToolsChannel::Close() {
    if (closed_) return;
    closed_ = true;
    view_ = nullptr;
    if (!sessionId_.empty() && browser_) {
        browser_->RemoveSession(sessionId_);
        if (browser_->IsAlive())
            browser_->Send(u"Target.detachFromTarget", Params().Add(u"sessionId", sessionId_).Text());
    }
    Fail();
    receivers_.clear();
}

void DevToolsChannel::Call(std::u16string_view method, std::u16string_view params, ReplyFn reply) {
    if (!sessionId_.empty()) return browser_->Send(method, params, sessionId_, std::move(reply));
    waiting_.push_back([this, method = std::u16string(method), params = std::u16string(params),
                        reply = std::move(reply)](bool attached) {
        if (attached) return browser_->Send(method, params, sessionId_, reply);
        CdpReply lost;
        lost.lost = true;
        if (reply) reply(lost);
    });
    Attach();
}

ComPtr<DevToolsReceiver> DevToolsChannel::Receiver(std::u16string_view eventName) {
    auto found = receivers_.find(eventName);
    if (found != receivers_.end()) return found->second;
    auto receiver = Make<DevToolsReceiver>();
    if (!receiver) return receiver;
    receivers_.emplace(std::u16string(eventName), receiver);
    // Events flow once the session exists, whatever the host calls first.
    Attach();
    return receiver;
}

void DevToolsChannel::OnSessionEvent(std::u16string_view method, const JsonNode& params) {
    auto found = receivers_.find(method);
    if (closed_ || found == receivers_.end() || found->second->handlers.Empty() || !view_) return;
    std::u16string json;
    SerializeNode(params, json);
    auto args = Make<DevToolsEventArgs>(std::move(json), std::u16string());
    if (!args) return;
    ComPtr<DevToolsReceiver> receiver = found->second;
    ComPtr<WebView> view(view_);
    view_->Enqueue([receiver, view, args] {
        receiver->handlers.Raise(static_cast<ICoreWebView2*>(view.get()),
                                 static_cast<ICoreWebView2DevToolsProtocolEventReceivedEventArgs*>(args.get()));
    });
}

HRESULT WebView::CallDevToolsProtocolMethod(LPCWSTR methodName, LPCWSTR parametersAsJson,
                                            ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) {
    if (!methodName || !*methodName) return E_INVALIDARG;
    std::u16string_view params = View(parametersAsJson);
    if (params.empty()) params = u"{}";
    if (!IsValidJson(params) || params.front() != u'{') return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    ComPtr<ICoreWebView2CallDevToolsProtocolMethodCompletedHandler> done(handler);
    firstDocument_ = false;   // the host may have changed the page in any way
    return ComBarrier([&] {
        if (!devtools_) devtools_ = std::make_shared<DevToolsChannel>(browser_, targetId_, this);
        devtools_->Call(View(methodName), params, [done](const CdpReply& reply) {
            if (!done) return;
            // A failure carries the protocol's error object ({"code":..,"message":..}).
            std::u16string json;
            if (reply.result && reply.Ok()) SerializeNode(*reply.result, json);
            else if (reply.error) SerializeNode(*reply.error, json);
            else json = u"{\"code\":-32000,\"message\":\"The browser is gone.\"}";
            done->Invoke(reply.Ok() ? S_OK : E_FAIL, Wide(json).c_str());
        });
        return S_OK;
    });
}

HRESULT WebView::GetDevToolsProtocolEventReceiver(LPCWSTR eventName, ICoreWebView2DevToolsProtocolEventReceiver** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!eventName || !*eventName) return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    return ComBarrier([&]() -> HRESULT {
        if (!devtools_) devtools_ = std::make_shared<DevToolsChannel>(browser_, targetId_, this);
        ComPtr<DevToolsReceiver> receiver = devtools_->Receiver(View(eventName));
        if (!receiver) return E_OUTOFMEMORY;
        *out = receiver.get();
        (*out)->AddRef();
        return S_OK;
    });
}

}  // namespace Corvane::Chromium
