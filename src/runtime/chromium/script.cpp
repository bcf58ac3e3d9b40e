// Scripts and web messages. Scripts run in the main frame's default context;
// between a document's end and the next one's context they wait, so a script
// sent during a navigation runs in the new document instead of failing.
// Results are encoded as WebView2 does: JSON.stringify's text, "null" for
// undefined, for values it cannot encode and for exceptions.
#include "json_text.h"
#include "portable/remote_object_json.h"
#include "settings.h"
#include "webview.h"

namespace Corvane::Chromium {

namespace {

constexpr char16_t kObjectGroup[] = u"corvane";
// An object literal of primitives comes back encodable in the evaluate's own reply.
constexpr char16_t kShallowSerialization[] = u"{\"serialization\":\"deep\",\"maxDepth\":1}";
// Result objects are released a batch at a time, when no evaluation is out.
constexpr int kReleaseBatch = 32;
constexpr char16_t kStringify[] = u"function(){return JSON.stringify(this);}";
constexpr char16_t kErrorMessage[] =
    u"function(){return (this!==null&&typeof this==='object'&&'message' in this)?String(this.message):String(this);}";
constexpr char16_t kDispatchHead[] =
    u"(function(d){var w=window.chrome&&window.chrome.webview;if(w&&w.__dispatch)w.__dispatch(d);})(";

bool MentionsContext(std::u16string_view message) {
    return message.find(u"context") != std::u16string_view::npos;
}

}  // namespace

void WebView::Evaluate(std::u16string script, std::function<void(HRESULT, const CdpReply&)> done, bool literal) {
    ComPtr<WebView> self(this);
    firstDocument_ = false;   // a script may leave anything behind in the page
    auto attempt = std::make_shared<std::function<void(bool)>>();
    *attempt = [self, script = std::move(script), done, attempt, literal](bool retried) {
        if (HRESULT hr = self->Usable(); FAILED(hr)) {
            *attempt = nullptr;
            return done(hr, CdpReply{});
        }
        ++self->evaluating_;
        Params params;
        params.Add(u"expression", script).Add(u"objectGroup", kObjectGroup);
        if (literal) params.Raw(u"serializationOptions", kShallowSerialization);
        self->Send(u"Runtime.evaluate", params.Text(),
                   [self, done, attempt, retried](const CdpReply& reply) {
            --self->evaluating_;
            // The document went between our check and the browser's: once more in the next one.
            if (!reply.Ok() && !reply.lost && !retried && MentionsContext(reply.ErrorMessage())) {
                self->contextReady_ = false;
                self->waitingScripts_.push_back([attempt] { if (*attempt) (*attempt)(true); });
                return;
            }
            auto keep = *attempt;   // ends the self-reference of the retry closure
            *attempt = nullptr;
            if (!Str(Obj(reply.result, u"result"), u"objectId").empty() ||
                Obj(Obj(reply.result, u"exceptionDetails"), u"exception"))
                ++self->unreleased_;
            // A member's getter threw while the literal was serialized: the
            // script has run, and JSON.stringify would have thrown as well.
            const bool unencodable = reply.ErrorMessage().find(u"deep serialization") != std::u16string_view::npos;
            done(reply.Ok() || unencodable ? S_OK : (reply.lost ? HRESULT_FROM_WIN32(ERROR_CONNECTION_ABORTED) : E_FAIL),
                 reply);
            self->ReleaseResults();
        });
    };
    if (contextReady_ || FAILED(Usable())) (*attempt)(false);
    else waitingScripts_.push_back([attempt] { if (*attempt) (*attempt)(false); });
}

void WebView::FlushScripts() {
    std::deque<std::function<void()>> waiting;
    waiting.swap(waitingScripts_);
    for (auto& run : waiting) run();
}

void WebView::EncodeResult(const CdpReply& reply, std::function<void(HRESULT, std::u16string)> done) {
    const JsonNode* remote = Obj(reply.result, u"result");
    std::u16string json;
    if (!remote || RemoteObjectJson(*remote, json) == RemoteEncoding::Encoded) {
        done(S_OK, remote ? json : u"null");
        return;
    }
    Send(u"Runtime.callFunctionOn",
         Params().Add(u"objectId", Str(remote, u"objectId")).Add(u"functionDeclaration", kStringify).Add(u"returnByValue", true).Text(),
         [done](const CdpReply& text) {
             if (!text.Ok()) return done(text.lost ? HRESULT_FROM_WIN32(ERROR_CONNECTION_ABORTED) : S_OK, u"null");
             // A cycle or a throwing toJSON makes stringify throw: no encoding.
             if (Obj(text.result, u"exceptionDetails")) return done(S_OK, u"null");
             const JsonNode* value = Obj(text.result, u"result");
             done(S_OK, value ? StringifiedJson(*value) : u"null");
         });
}

void WebView::ReleaseResults() {
    if (evaluating_ > 0 || unreleased_ < kReleaseBatch) return;
    unreleased_ = 0;
    Send(u"Runtime.releaseObjectGroup", Params().Add(u"objectGroup", kObjectGroup).Text());
}

HRESULT WebView::ExecuteScript(LPCWSTR javaScript, ICoreWebView2ExecuteScriptCompletedHandler* handler) {
    return RunScript(javaScript, handler, false);
}

HRESULT WebView::ExecuteLiteralResultScript(LPCWSTR javaScript, ICoreWebView2ExecuteScriptCompletedHandler* handler) {
    return RunScript(javaScript, handler, true);
}

HRESULT WebView::RunScript(LPCWSTR javaScript, ICoreWebView2ExecuteScriptCompletedHandler* handler, bool literal) {
    if (!javaScript) return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    ComPtr<WebView> self(this);
    ComPtr<ICoreWebView2ExecuteScriptCompletedHandler> completed(handler);
    return ComBarrier([&] {
        Evaluate(std::u16string(View(javaScript)), [self, completed, literal](HRESULT hr, const CdpReply& reply) {
            if (FAILED(hr) || Obj(reply.result, u"exceptionDetails")) {
                if (completed) completed->Invoke(hr, L"null");
                return;
            }
            self->EncodeResult(reply, [completed](HRESULT result, std::u16string json) {
                if (completed) completed->Invoke(result, Wide(json).c_str());
            });
        }, literal);
        return S_OK;
    });
}

HRESULT WebView::ExecuteScriptWithResult(LPCWSTR javaScript, ICoreWebView2ExecuteScriptWithResultCompletedHandler* handler) {
    if (!javaScript) return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    ComPtr<WebView> self(this);
    ComPtr<ICoreWebView2ExecuteScriptWithResultCompletedHandler> completed(handler);
    return ComBarrier([&] {
        Evaluate(std::u16string(View(javaScript)), [self, completed](HRESULT hr, const CdpReply& reply) {
            if (!completed) return;
            auto result = Make<ScriptResult>();
            if (FAILED(hr) || !result) return (void)completed->Invoke(FAILED(hr) ? hr : E_OUTOFMEMORY, nullptr);
            const JsonNode* details = Obj(reply.result, u"exceptionDetails");
            if (!details) {
                const JsonNode* remote = Obj(reply.result, u"result");
                result->isString = Str(remote, u"type") == u"string";
                result->text = Str(remote, u"value");
                self->EncodeResult(reply, [completed, result](HRESULT encoded, std::u16string json) {
                    result->succeeded = SUCCEEDED(encoded);
                    result->json = std::move(json);
                    completed->Invoke(encoded, result.get());
                });
                return;
            }
            auto exception = Make<ScriptException>();
            if (!exception) return (void)completed->Invoke(E_OUTOFMEMORY, nullptr);
            result->exception = exception;
            exception->line = static_cast<UINT32>(Num(details, u"lineNumber"));
            exception->column = static_cast<UINT32>(Num(details, u"columnNumber"));
            const JsonNode* thrown = Obj(details, u"exception");
            exception->name = Str(thrown, u"className");
            exception->json.clear();
            SerializeNode(*details, exception->json);
            const std::u16string objectId(Str(thrown, u"objectId"));
            if (objectId.empty()) {
                // A thrown primitive: its text is the message.
                std::u16string json;
                if (thrown) RemoteObjectJson(*thrown, json);
                exception->message = Str(thrown, u"type") == u"string" ? std::u16string(Str(thrown, u"value")) : json;
                completed->Invoke(S_OK, result.get());
                return;
            }
            self->Send(u"Runtime.callFunctionOn",
                       Params().Add(u"objectId", objectId).Add(u"functionDeclaration", kErrorMessage)
                           .Add(u"returnByValue", true).Text(),
                       [completed, result, exception](const CdpReply& message) {
                exception->message = Str(Obj(message.result, u"result"), u"value");
                completed->Invoke(S_OK, result.get());
            });
        });
        return S_OK;
    });
}

HRESULT WebView::AddScriptToExecuteOnDocumentCreated(
    LPCWSTR javaScript, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) {
    if (!javaScript) return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    ComPtr<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler> completed(handler);
    // The script must run in the next document: the first one gets it when a
    // string document is written into it, any other needs a new document.
    if (firstDocument_) firstDocumentScripts_.push_back(std::u16string(View(javaScript)));
    return ComBarrier([&] {
        Send(u"Page.addScriptToEvaluateOnNewDocument", Params().Add(u"source", View(javaScript)).Text(),
             [completed](const CdpReply& reply) {
                 if (!completed) return;
                 if (!reply.Ok()) return (void)completed->Invoke(reply.lost ? HRESULT_FROM_WIN32(ERROR_CONNECTION_ABORTED) : E_FAIL, nullptr);
                 completed->Invoke(S_OK, Wide(Str(reply.result, u"identifier")).c_str());
             });
        return S_OK;
    });
}

HRESULT WebView::RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) {
    if (!id) return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    firstDocument_ = false;   // which of the first document's scripts it was is not known here
    return ComBarrier([&] {
        Send(u"Page.removeScriptToEvaluateOnNewDocument", Params().Add(u"identifier", View(id)).Text());
        return S_OK;
    });
}

void WebView::DispatchToPage(const std::u16string& json) {
    std::u16string script = kDispatchHead;
    script += json;
    script += u")";
    Evaluate(std::move(script), [](HRESULT, const CdpReply&) {});
}

HRESULT WebView::PostWebMessageAsJson(LPCWSTR webMessageAsJson) {
    if (!webMessageAsJson || !IsValidJson(View(webMessageAsJson))) return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    if (settings_ && !settings_->webMessage) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    return ComBarrier([&] {
        DispatchToPage(std::u16string(View(webMessageAsJson)));
        return S_OK;
    });
}

HRESULT WebView::PostWebMessageAsString(LPCWSTR webMessageAsString) {
    if (!webMessageAsString) return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    if (settings_ && !settings_->webMessage) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    return ComBarrier([&] {
        DispatchToPage(Quote(View(webMessageAsString)));
        return S_OK;
    });
}

void WebView::OnContextCreated(const JsonNode& params) {
    const JsonNode* context = Obj(&params, u"context");
    const JsonNode* aux = Obj(context, u"auxData");
    const std::u16string frameId(Str(aux, u"frameId"));
    contextFrames_[static_cast<int>(Num(context, u"id"))] = frameId;
    if (Bool(aux, u"isDefault") && frameId == mainFrameId_) {
        contextReady_ = true;
        FlushScripts();
    }
}

void WebView::OnBindingCalled(const JsonNode& params) {
    if (Str(&params, u"name") != u"__corvaneBridge") return;
    std::unique_ptr<JsonDocument> message;
    std::u16string error;
    if (!ParseDocument(Str(&params, u"payload"), 1ull << 30, message, error)) return;
    const std::u16string_view kind = Str(&message->Root(), u"k");
    const int context = static_cast<int>(Num(&params, u"executionContextId"));
    auto frame = contextFrames_.find(context);
    const bool fromMain = frame == contextFrames_.end() || frame->second == mainFrameId_;
    if (kind == u"c") {
        ComPtr<WebView> self(this);
        if (fromMain) Enqueue([self] {
            self->windowCloseRequested_.Raise(static_cast<ICoreWebView2*>(self.get()), static_cast<IUnknown*>(nullptr));
        });
        return;
    }
    if (kind == u"h") {
        OnHostCall(message->Root(), context);
        return;
    }
    if (kind == u"t") {
        if (fromMain) OnTitle(std::u16string(Str(&message->Root(), u"d")));
        return;
    }
    if (kind != u"m" || (settings_ && !settings_->webMessage)) return;
    std::u16string json(Str(&message->Root(), u"d"));
    std::u16string text;
    bool isString = false;
    std::unique_ptr<JsonDocument> data;
    if (ParseDocument(json, 1ull << 30, data, error) && data->Root().type == JsonNodeType::String) {
        isString = true;
        text = data->Root().String();
    }
    std::u16string source = source_;
    if (!fromMain) {
        auto url = frameUrls_.find(frame->second);
        if (url != frameUrls_.end()) source = url->second;
    }
    auto args = Make<WebMessageArgs>(std::move(source), std::move(json), std::move(text), isString);
    ComPtr<WebView> self(this);
    if (args) Enqueue([self, args] {
        self->webMessageReceived_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                        static_cast<ICoreWebView2WebMessageReceivedEventArgs*>(args.get()));
    });
}

}  // namespace Corvane::Chromium
