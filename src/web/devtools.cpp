// DevTools access for macro code: a protocol call that waits for its JSON
// answer, protocol events as the DevToolsProtocolEventReceived host event,
// the DevTools and task manager windows, and the custom-scheme member that
// can only explain why it comes too late.
#include <memory>
#include <string>
#include <utility>

#include "barrier.h"
#include "bstr.h"
#include "callback.h"
#include "corvane_ctrl.h"
#include "read_property.h"
#include "error_info.h"
#include "json_document.h"
#include "runtime_text.h"

namespace Corvane {

namespace {

constexpr DISPID kDevToolsProtocolEventReceived = 0xa;
constexpr DWORD kDevToolsTimeOut = 30000;
constexpr HRESULT kTimeout = HRESULT_FROM_WIN32(ERROR_TIMEOUT);

// One call's answer. Its event is the control's reusable one (auto-reset, so
// the wait consumes the signal): a call that timed out keeps the event, and
// its late answer can then signal no later call.
struct ProtocolAnswer {
    HANDLE event = nullptr;
    bool owned = false;   // closed here: the wait for it timed out
    HRESULT code = S_OK;
    std::u16string json;
    ~ProtocolAnswer() {
        if (owned && event) CloseHandle(event);
    }
};

// The protocol's own explanation in a failure's JSON ({"code":..,"message":..}).
std::u16string ProtocolMessage(const std::u16string& json) {
    std::unique_ptr<JsonDocument> document;
    std::u16string error;
    if (!ParseDocument(json, 1u << 20, document, error) || document->Root().type != JsonNodeType::Object) return {};
    const JsonNode* message = document->Root().Find(u"message");
    return message && message->type == JsonNodeType::String ? std::u16string(message->String()) : std::u16string();
}

}  // namespace

HRESULT CCorvaneCtrl::CallDevToolsProtocolMethod(BSTR methodName, BSTR parametersAsJson, BSTR* resultJson) {
    if (!methodName || !resultJson) return E_POINTER;
    *resultJson = nullptr;
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        std::u16string message;
        if (RefuseIfNested(u"CallDevToolsProtocolMethod", message, GuardKind::Completion)) return Refused(message);
        auto answer = std::make_shared<ProtocolAnswer>();
        if (!web_.callEvent) web_.callEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!web_.callEvent) return E_OUTOFMEMORY;
        answer->event = std::exchange(web_.callEvent, nullptr);   // a call nested in the wait makes its own
        auto completed = Callback<ICoreWebView2CallDevToolsProtocolMethodCompletedHandler>(
            [answer](HRESULT code, LPCWSTR json) {
                answer->code = code;
                if (json) answer->json = FromWide(json);
                SetEvent(answer->event);
                return S_OK;
            });
        if (!completed) return E_OUTOFMEMORY;
        const std::u16string_view params = BstrView(parametersAsJson);
        ComPtr<IUnknown> keepAlive(Controlling());
        HRESULT hr = webView_->CallDevToolsProtocolMethod(ToWide(BstrView(methodName)).c_str(),
                                                          params.empty() ? L"{}" : ToWide(params).c_str(),
                                                          completed.get());
        if (FAILED(hr)) {
            web_.callEvent = answer->event;   // never signalled: the runtime took no handler
            return errors_.LastErrorOnly(u"Failed to call DevTools Protocol method. Error: " + DecimalText(hr), hr);
        }
        hr = PumpWait(answer->event, kDevToolsTimeOut);
        if (FAILED(hr)) {
            answer->owned = true;
            if (hr == kTimeout) return errors_.LastErrorOnly(u"CallDevToolsProtocolMethod timed out.", hr);
            return hr;
        }
        if (web_.callEvent) CloseHandle(web_.callEvent);
        web_.callEvent = answer->event;
        if (FAILED(answer->code)) {
            // The protocol's reason is kept: "'Foo.bar' wasn't found" is what a macro writer can act on.
            std::u16string text = u"DevTools Protocol method failed. Error: " + DecimalText(answer->code);
            const std::u16string reason = ProtocolMessage(answer->json);
            if (!reason.empty()) text += u". " + reason;
            return errors_.LastErrorOnly(text, answer->code);
        }
        *resultJson = MakeBstr(answer->json);
        return *resultJson || answer->json.empty() ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT CCorvaneCtrl::AddDevToolsProtocolEventHandler(BSTR eventName) {
    if (!eventName) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        const std::u16string name(BstrView(eventName));
        if (web_.devTools.count(name)) return S_OK;   // subscribing twice is harmless
        ComPtr<ICoreWebView2DevToolsProtocolEventReceiver> receiver;
        HRESULT hr = webView_->GetDevToolsProtocolEventReceiver(ToWide(name).c_str(), receiver.put());
        if (FAILED(hr) || !receiver)
            return errors_.LastErrorOnly(u"Failed to get DevTools Protocol event receiver for: " + name, hr);
        const std::uint64_t generation = ++web_.nextGeneration;
        auto handler = Callback<ICoreWebView2DevToolsProtocolEventReceivedEventHandler>(
            [this, name, generation](ICoreWebView2*, ICoreWebView2DevToolsProtocolEventReceivedEventArgs* args) {
                if (!args) return S_OK;
                std::u16string json =
                    ReadRuntimeString(args, &ICoreWebView2DevToolsProtocolEventReceivedEventArgs::get_ParameterObjectAsJson);
                if (json.empty()) return S_OK;
                RaiseLater(u"DevToolsProtocolEventReceived", [this, name, generation, json] {
                    // A subscription removed (or removed and made again) since drops its queued events.
                    auto found = web_.devTools.find(name);
                    if (found == web_.devTools.end() || found->second.generation != generation) return;
                    RaiseEvent(kDevToolsProtocolEventReceived, {std::u16string_view(name), std::u16string_view(json)});
                });
                return S_OK;
            });
        if (!handler) return E_OUTOFMEMORY;
        EventRegistrationToken token{};
        hr = receiver->add_DevToolsProtocolEventReceived(handler.get(), &token);
        if (FAILED(hr)) return errors_.LastErrorOnly(u"Failed to subscribe to DevTools Protocol event: " + name, hr);
        web_.devTools[name] = DevToolsSubscription{receiver, token, generation};
        HookWebFeatureTeardown();
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::RemoveDevToolsProtocolEventHandler(BSTR eventName) {
    if (!eventName) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        auto found = web_.devTools.find(std::u16string(BstrView(eventName)));
        if (found == web_.devTools.end()) return S_OK;
        DevToolsSubscription subscription = std::move(found->second);
        web_.devTools.erase(found);
        return subscription.receiver ? subscription.receiver->remove_DevToolsProtocolEventReceived(subscription.token)
                                     : S_OK;
    });
}

HRESULT CCorvaneCtrl::get_HasDevToolsProtocol(VARIANT_BOOL* value) { return ReadBool(static_cast<bool>(webView_), value); }

HRESULT CCorvaneCtrl::OpenDevToolsWindow() {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        return webView_->OpenDevToolsWindow();
    });
}

HRESULT CCorvaneCtrl::OpenTaskManagerWindow() {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        auto sixth = webView_.TryQuery<ICoreWebView2_6>();
        if (!sixth) return ReportError(IID_ICorvaneCtrl, u"OpenTaskManagerWindow requires WebView2 Runtime 1.0.864+",
                                       CVN_E_RUNTIME_TOO_OLD);
        return sixth->OpenTaskManagerWindow();
    });
}

HRESULT CCorvaneCtrl::AddCustomSchemeRegistration(BSTR schemeName, VARIANT_BOOL) {
    if (!schemeName) return E_POINTER;
    if (!webView_)
        return errors_.LastErrorOnly(u"Custom scheme registration is not implemented in this version. Consider using "
                                     u"environment options or virtual host mapping instead.",
                                     E_NOTIMPL);
    return errors_.LastErrorOnly(u"Custom schemes must be registered before the WebView is created. Use environment "
                                 u"options during initialization.",
                                 E_FAIL);
}

// Subscriptions and the find run belong to the browser they were made on:
// its teardown ends them.
void CCorvaneCtrl::HookWebFeatureTeardown() {
    if (web_.hookedWebView == webView_.get()) return;
    web_.hookedWebView = webView_.get();
    webViewRemovals_.push_back([this] { ReleaseWebFeatures(); });
}

void CCorvaneCtrl::ReleaseWebFeatures() {
    StopFindRun();
    web_.findActive = false;
    for (auto& [name, subscription] : web_.devTools)
        if (subscription.receiver) subscription.receiver->remove_DevToolsProtocolEventReceived(subscription.token);
    web_.devTools.clear();
    web_.hookedWebView = nullptr;
}

}  // namespace Corvane
