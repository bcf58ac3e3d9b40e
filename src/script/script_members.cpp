// Running script in the page: blocking and fire-and-forget execution, typed
// outcomes, named functions with converted arguments, document-created
// scripts, host objects and the one-line conveniences. Work asked for while
// the browser is being made waits in the control's queues.
#include <memory>
#include <string>

#include "bstr.h"
#include "callback.h"
#include "corvane_ctrl.h"
#include "error_info.h"
#include "host_call_proxy.h"
#include "literal_script.h"
#include "runtime_text.h"
#include "script_rules.h"
#include "variant_convert.h"

namespace Corvane {

namespace {

constexpr HRESULT kTimeout = HRESULT_FROM_WIN32(ERROR_TIMEOUT);
constexpr DWORD kDocumentScriptTimeOut = 5000;

// What a blocking call and its completion handler share; it outlives a wait
// that timed out, so a late completion writes into it harmlessly.
struct Completion {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HRESULT code = S_OK;
    std::u16string text;
    bool succeeded = false;
    std::u16string exception;
    ~Completion() {
        if (event) CloseHandle(event);
    }
};

}  // namespace

HRESULT CCorvaneCtrl::ExecuteAndWait(std::u16string_view script, DWORD timeout, std::u16string& json,
                                     bool& waitFailed, bool literalResult) {
    waitFailed = false;
    auto state = std::make_shared<Completion>();
    if (!state->event) return E_OUTOFMEMORY;
    auto completed = Callback<ICoreWebView2ExecuteScriptCompletedHandler>([state](HRESULT code, LPCWSTR result) {
        state->code = code;
        if (SUCCEEDED(code) && result) state->text = FromWide(result);
        SetEvent(state->event);
        return S_OK;
    });
    if (!completed) return E_OUTOFMEMORY;
    ComPtr<IUnknown> keepAlive(Controlling());
    // Our Chromium runtime reads a literal's JSON from the evaluation's own reply.
    ComPtr<ICorvaneLiteralResultScript> literal;
    if (literalResult) webView_->QueryInterface(__uuidof(ICorvaneLiteralResultScript), literal.put_void());
    HRESULT hr = literal ? literal->ExecuteLiteralResultScript(ToWide(script).c_str(), completed.get())
                         : webView_->ExecuteScript(ToWide(script).c_str(), completed.get());
    if (FAILED(hr)) return hr;
    hr = PumpWait(state->event, timeout);
    if (FAILED(hr)) {
        waitFailed = true;
        return hr;
    }
    if (FAILED(state->code)) return state->code;
    json = std::move(state->text);
    return S_OK;
}

HRESULT CCorvaneCtrl::RunScript(std::u16string_view script, std::u16string& json) {
    DWORD timeout = ScriptTimeOut();
    HRESULT ready = AwaitBrowser(u"ExecuteScript", GuardKind::ScriptResult, {}, timeout);
    if (FAILED(ready)) return ready;
    if (!webView_) return E_FAIL;
    std::u16string message;
    if (RefuseIfNested(u"ExecuteScript", message, GuardKind::ScriptResult)) return Refused(message);
    bool waitFailed = false;
    HRESULT hr = ExecuteAndWait(script, timeout, json, waitFailed);
    if (waitFailed && hr == kTimeout) {
        std::u16string text = u"ExecuteScript got no result from the page within " + DecimalText(ScriptTimeOut()) +
                              u" ms (SynchronousTimeOut). The page's JavaScript may still be busy.";
        ReportError(IID_ICorvaneCtrl, text, kTimeout);
        return errors_.LastErrorOnly(text, kTimeout, kTimeout);
    }
    return hr;
}

HRESULT CCorvaneCtrl::ExecuteScript(BSTR script, BSTR* result) {
    if (result) *result = nullptr;
    if (!script || !result) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        std::u16string json;
        HRESULT hr = RunScript(BstrView(script), json);
        if (FAILED(hr)) return hr;
        *result = MakeBstr(json);
        return !*result && !json.empty() ? E_OUTOFMEMORY : S_OK;
    });
}

HRESULT CCorvaneCtrl::StartScript(std::u16string_view script) {
    if (webView_) return webView_->ExecuteScript(ToWide(script).c_str(), nullptr);
    if (!InitialisationUnderWay()) return E_FAIL;
    pendingScripts_.emplace_back(script);
    return S_OK;
}

HRESULT CCorvaneCtrl::ExecuteScriptAsync(BSTR script) {
    if (!script) return E_POINTER;
    return ComBarrier([&] { return StartScript(BstrView(script)); });
}

HRESULT CCorvaneCtrl::ExecuteScriptWithResult(BSTR script, BSTR* resultAsJson, VARIANT_BOOL* succeeded,
                                              BSTR* exceptionMessage) {
    if (!resultAsJson || !succeeded || !exceptionMessage) return E_POINTER;
    *resultAsJson = nullptr;
    *succeeded = VARIANT_FALSE;
    *exceptionMessage = nullptr;
    return ComBarrier([&]() -> HRESULT {
        DWORD timeout = ScriptTimeOut();
        HRESULT ready = AwaitBrowser(u"ExecuteScriptWithResult", GuardKind::ScriptResult, {}, timeout);
        if (FAILED(ready)) return ready;
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        if (!script) return E_INVALIDARG;
        std::u16string message;
        if (RefuseIfNested(u"ExecuteScriptWithResult", message, GuardKind::ScriptResult)) return Refused(message);
        auto newer = webView_.TryQuery<ICoreWebView2_21>();
        if (!newer)
            return ControlErrorSlot::ComErrorOnly(u"ExecuteScriptWithResult requires WebView2 Runtime 1.0.1082+",
                                                  CVN_E_RUNTIME_TOO_OLD);
        auto state = std::make_shared<Completion>();
        if (!state->event) return E_OUTOFMEMORY;
        auto completed = Callback<ICoreWebView2ExecuteScriptWithResultCompletedHandler>(
            [state](HRESULT code, ICoreWebView2ExecuteScriptResult* result) {
                state->code = code;
                if (SUCCEEDED(code) && result) {
                    BOOL ok = FALSE;
                    result->get_Succeeded(&ok);
                    state->succeeded = ok != FALSE;
                    state->text = ReadRuntimeString(result, &ICoreWebView2ExecuteScriptResult::get_ResultAsJson);
                    ComPtr<ICoreWebView2ScriptException> exception;
                    if (SUCCEEDED(result->get_Exception(exception.put())) && exception)
                        state->exception = ReadRuntimeString(exception.get(), &ICoreWebView2ScriptException::get_Message);
                }
                SetEvent(state->event);
                return S_OK;
            });
        if (!completed) return E_OUTOFMEMORY;
        ComPtr<IUnknown> keepAlive(Controlling());
        HRESULT hr = newer->ExecuteScriptWithResult(ToWide(BstrView(script)).c_str(), completed.get());
        if (FAILED(hr)) return hr;
        hr = PumpWait(state->event, timeout);
        if (FAILED(hr)) {
            std::u16string text =
                hr == kTimeout ? u"ExecuteScriptWithResult got no result from the page within " +
                                     DecimalText(ScriptTimeOut()) +
                                     u" ms (SynchronousTimeOut). The page's JavaScript may still be busy."
                               : u"ExecuteScriptWithResult could not wait for the result.";
            errors_.LastErrorOnly(text, hr, hr);
            *exceptionMessage = MakeBstr(text);
            return S_OK;
        }
        // A failed completion is the browser's error, not the script's outcome.
        if (FAILED(state->code)) return state->code;
        *resultAsJson = MakeBstr(state->text);
        *succeeded = state->succeeded ? VARIANT_TRUE : VARIANT_FALSE;
        if (!state->exception.empty()) *exceptionMessage = MakeBstr(state->exception);
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::ExecuteScriptWithArgs(BSTR functionName, VARIANT arguments, BSTR* scriptResult) {
    if (scriptResult) *scriptResult = nullptr;
    return ComBarrier([&]() -> HRESULT {
        if (!stage_.ready || !webView_) {
            if (!CreationUnderWay()) {
                ReportError(IID_ICorvaneCtrl, u"WebView2 is not ready", E_FAIL);
                return errors_.LastErrorOnly(u"WebView2 is not ready", E_FAIL);
            }
        }
        if (!IsScriptFunctionName(BstrView(functionName))) return E_INVALIDARG;
        if (!scriptResult) return E_POINTER;
        std::u16string json, message;
        HRESULT hr = VariantToJson(arguments, json, message);
        if (FAILED(hr)) return hr;
        if (json.empty()) json = u"null";
        const VARIANT* value = &arguments;
        while (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal) value = value->pvarVal;
        const bool array = (value->vt & VT_ARRAY) != 0;
        std::u16string result;
        hr = RunScript(ApplyFunctionScript(BstrView(functionName), json, array), result);
        if (FAILED(hr)) return hr;
        *scriptResult = MakeBstr(result);
        return !*scriptResult && !result.empty() ? E_OUTOFMEMORY : S_OK;
    });
}

HRESULT CCorvaneCtrl::AddScriptToExecuteOnDocumentCreated(BSTR script, BSTR* scriptId) {
    if (scriptId) *scriptId = nullptr;
    if (!script) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) {
            if (!InitialisationUnderWay()) return E_FAIL;
            pendingDocumentScripts_.emplace_back(BstrView(script));
            return S_OK;
        }
        std::u16string message;
        if (RefuseIfNested(u"AddScriptToExecuteOnDocumentCreated", message, GuardKind::Completion,
                           u"Call it before the browser is ready (for example in Form_Load, where it is queued),"))
            return Refused(message);
        auto state = std::make_shared<Completion>();
        if (!state->event) return E_OUTOFMEMORY;
        auto completed = Callback<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler>(
            [state](HRESULT code, LPCWSTR id) {
                state->code = code;
                if (SUCCEEDED(code)) state->text = FromWide(id);
                SetEvent(state->event);
                return S_OK;
            });
        if (!completed) return E_OUTOFMEMORY;
        ComPtr<IUnknown> keepAlive(Controlling());
        HRESULT hr = webView_->AddScriptToExecuteOnDocumentCreated(ToWide(BstrView(script)).c_str(), completed.get());
        if (FAILED(hr)) return hr;
        hr = PumpWait(state->event, kDocumentScriptTimeOut);
        if (FAILED(hr)) return hr;
        if (FAILED(state->code)) return state->code;
        if (scriptId) *scriptId = MakeBstr(state->text);
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::RemoveScriptToExecuteOnDocumentCreated(BSTR id) {
    if (!id) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return E_FAIL;
        return webView_->RemoveScriptToExecuteOnDocumentCreated(ToWide(BstrView(id)).c_str());
    });
}

// The page reaches the object through a proxy that tells blocking calls and
// deferred events that a page-to-host call is running.
HRESULT CCorvaneCtrl::AddHostObjectToScript(BSTR name, IDispatch* hostObject) {
    if (!name || !hostObject) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        ComPtr<IDispatch> proxy;
        proxy.Attach(HostCallProxy::Create(hostObject, BstrView(name)));
        if (!proxy) return E_OUTOFMEMORY;
        if (stage_.ready && webView_) {
            VARIANT value;
            value.vt = VT_DISPATCH;
            value.pdispVal = proxy.get();
            return webView_->AddHostObjectToScript(ToWide(BstrView(name)).c_str(), &value);
        }
        pendingHostObjects_.push_back({std::u16string(BstrView(name)), proxy});
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::RemoveHostObjectToScript(BSTR name) {
    if (!name) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        if (!stage_.ready || !webView_) return E_FAIL;
        return webView_->RemoveHostObjectFromScript(ToWide(BstrView(name)).c_str());
    });
}

HRESULT CCorvaneCtrl::RemoveHostObjectFromScript(BSTR name) {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return E_FAIL;
        auto newer = webView_.TryQuery<ICoreWebView2_13>();
        if (!newer) return E_NOTIMPL;
        return newer->RemoveHostObjectFromScript(ToWide(BstrView(name)).c_str());
    });
}

HRESULT CCorvaneCtrl::FireJsEvent(BSTR eventName, BSTR jsonData) {
    if (!eventName) return E_POINTER;
    return ComBarrier([&] {
        return StartScript(FireEventScript(BstrView(eventName), jsonData ? BstrView(jsonData) : u"null"));
    });
}

HRESULT CCorvaneCtrl::CallJsFunction(BSTR funcPath, BSTR jsonArgs) {
    if (!funcPath) return E_POINTER;
    return ComBarrier([&] {
        return StartScript(CallFunctionScript(BstrView(funcPath), jsonArgs ? BstrView(jsonArgs) : u"[]"));
    });
}

HRESULT CCorvaneCtrl::SetJsVariable(BSTR path, BSTR jsonValue) {
    if (!path || !jsonValue) return E_POINTER;
    return ComBarrier([&] { return StartScript(SetVariableScript(BstrView(path), BstrView(jsonValue))); });
}

HRESULT CCorvaneCtrl::PushRecordset(IDispatch* recordset, BSTR jsCallback) {
    return ComBarrier([&]() -> HRESULT {
        if (!recordset || BstrView(jsCallback).empty())
            return errors_.Both(u"PushRecordset: recordset and jsCallback required", E_INVALIDARG, E_INVALIDARG);
        std::u16string json, message;
        if (FAILED(RecordsetToJson(recordset, json, message)))
            return errors_.Both(u"PushRecordset: RecordsetToJsonArray failed", E_FAIL, E_FAIL);
        HRESULT hr = StartScript(std::u16string(BstrView(jsCallback)) + u"(" + json + u");");
        if (FAILED(hr)) return errors_.Both(u"PushRecordset: ExecuteScriptAsync failed", hr, hr);
        return S_OK;
    });
}

}  // namespace Corvane
