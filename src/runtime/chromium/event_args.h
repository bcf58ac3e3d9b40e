// The arguments objects of the web view's events and the script result: plain
// values filled in by the runtime before the event is raised, read by the
// host during it. Answers written by the host (Cancel, ResultText, NewWindow,
// Handled) are read back by the runtime after the handlers returned.
#pragma once

#include <functional>
#include <string>

#include "cdp_json.h"
#include "runtime_object.h"

namespace Corvane::Chromium {

class NavigationStartingArgs final : public ComObject<NavigationStartingArgs, NavigationStartingArgsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2NavigationStartingEventArgs>;
    NavigationStartingArgs() : ComObject(nullptr) {}
    std::u16string uri;
    bool userInitiated = false, redirected = false, cancel = false;
    UINT64 navigationId = 0;

    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override { return CoString(uri, value); }
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override { return Put(value, userInitiated); }
    HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL* value) override { return Put(value, redirected); }
    HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* value) override { return Put(value, cancel); }
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL value) override { cancel = value != FALSE; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* value) override { return Answer(value, navigationId); }

private:
    static HRESULT Put(BOOL* out, bool value) {
        if (!out) return E_POINTER;
        *out = value ? TRUE : FALSE;
        return S_OK;
    }
};

class ContentLoadingArgs final : public ComObject<ContentLoadingArgs, ContentLoadingArgsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2ContentLoadingEventArgs>;
    ContentLoadingArgs(bool errorPage, UINT64 id) : ComObject(nullptr), errorPage_(errorPage), id_(id) {}
    HRESULT STDMETHODCALLTYPE get_IsErrorPage(BOOL* value) override { return Answer(value, errorPage_); }
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* value) override { return Answer(value, id_); }

private:
    bool errorPage_;
    UINT64 id_;
};

class SourceChangedArgs final : public ComObject<SourceChangedArgs, SourceChangedArgsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2SourceChangedEventArgs>;
    explicit SourceChangedArgs(bool newDocument) : ComObject(nullptr), newDocument_(newDocument) {}
    HRESULT STDMETHODCALLTYPE get_IsNewDocument(BOOL* value) override { return Answer(value, newDocument_); }

private:
    bool newDocument_;
};

class NavigationCompletedArgs final : public ComObject<NavigationCompletedArgs, NavigationCompletedArgsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2NavigationCompletedEventArgs, ICoreWebView2NavigationCompletedEventArgs2>;
    NavigationCompletedArgs(bool success, int status, UINT64 id, int httpStatus)
        : ComObject(nullptr), success_(success), status_(status), id_(id), httpStatus_(httpStatus) {}
    HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL* value) override { return Answer(value, success_); }
    HRESULT STDMETHODCALLTYPE get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* value) override { return Answer(value, status_); }
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* value) override { return Answer(value, id_); }
    HRESULT STDMETHODCALLTYPE get_HttpStatusCode(int* value) override { return Answer(value, httpStatus_); }

private:
    bool success_;
    int status_;
    UINT64 id_;
    int httpStatus_;
};

class DOMContentLoadedArgs final : public ComObject<DOMContentLoadedArgs, DOMContentLoadedArgsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2DOMContentLoadedEventArgs>;
    explicit DOMContentLoadedArgs(UINT64 id) : ComObject(nullptr), id_(id) {}
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* value) override { return Answer(value, id_); }

private:
    UINT64 id_;
};

class WebMessageArgs final : public ComObject<WebMessageArgs, WebMessageArgsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2WebMessageReceivedEventArgs>;
    // `json` is the message as JSON; `isString` says whether it is a string literal.
    WebMessageArgs(std::u16string source, std::u16string json, std::u16string text, bool isString)
        : ComObject(nullptr), source_(std::move(source)), json_(std::move(json)), text_(std::move(text)),
          isString_(isString) {}
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* value) override { return CoString(source_, value); }
    HRESULT STDMETHODCALLTYPE get_WebMessageAsJson(LPWSTR* value) override { return CoString(json_, value); }
    HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR* value) override {
        if (!value) return E_POINTER;
        *value = nullptr;
        return isString_ ? CoString(text_, value) : E_INVALIDARG;
    }

private:
    std::u16string source_, json_, text_;
    bool isString_;
};

// Completes once: the runtime's continuation runs on the first Complete.
class Deferral final : public ComObject<Deferral, DeferralDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2Deferral>;
    explicit Deferral(std::function<void()> done) : ComObject(nullptr), done_(std::move(done)) {}
    HRESULT STDMETHODCALLTYPE Complete() override {
        if (!done_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
        auto done = std::move(done_);
        done_ = nullptr;
        return ComBarrier([&] {
            done();
            return S_OK;
        });
    }
    bool Pending() const { return static_cast<bool>(done_); }

private:
    std::function<void()> done_;
};

class ScriptDialogArgs final : public ComObject<ScriptDialogArgs, ScriptDialogArgsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2ScriptDialogOpeningEventArgs>;
    ScriptDialogArgs() : ComObject(nullptr) {}
    std::u16string uri, message, defaultText, resultText;
    COREWEBVIEW2_SCRIPT_DIALOG_KIND kind = COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT;
    bool accepted = false;
    ComPtr<Deferral> deferral;   // set when the host asked for one
    std::function<void()> onComplete;

    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override { return CoString(uri, value); }
    HRESULT STDMETHODCALLTYPE get_Kind(COREWEBVIEW2_SCRIPT_DIALOG_KIND* value) override { return Answer(value, kind); }
    HRESULT STDMETHODCALLTYPE get_Message(LPWSTR* value) override { return CoString(message, value); }
    HRESULT STDMETHODCALLTYPE Accept() override { accepted = true; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_DefaultText(LPWSTR* value) override { return CoString(defaultText, value); }
    HRESULT STDMETHODCALLTYPE get_ResultText(LPWSTR* value) override { return CoString(resultText, value); }
    HRESULT STDMETHODCALLTYPE put_ResultText(LPCWSTR value) override {
        return ComBarrier([&] {
            resultText = View(value);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!deferral) deferral = Make<Deferral>(onComplete);
        if (!deferral) return E_OUTOFMEMORY;
        *out = deferral.get();
        (*out)->AddRef();
        return S_OK;
    }
};

class ProcessFailedArgs final : public ComObject<ProcessFailedArgs, ProcessFailedArgsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2ProcessFailedEventArgs>;
    explicit ProcessFailedArgs(COREWEBVIEW2_PROCESS_FAILED_KIND kind) : ComObject(nullptr), kind_(kind) {}
    HRESULT STDMETHODCALLTYPE get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* value) override { return Answer(value, kind_); }

private:
    COREWEBVIEW2_PROCESS_FAILED_KIND kind_;
};

class NewWindowArgs final : public ComObject<NewWindowArgs, NewWindowArgsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2NewWindowRequestedEventArgs>;
    NewWindowArgs() : ComObject(nullptr) {}
    std::u16string uri;
    bool userInitiated = false, handled = false;
    ComPtr<ICoreWebView2> newWindow;
    ComPtr<Deferral> deferral;
    std::function<void()> onComplete;

    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override { return CoString(uri, value); }
    HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2* value) override {
        newWindow = ComPtr<ICoreWebView2>(value);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2** value) override { return newWindow.CopyTo(value); }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) override { handled = value != FALSE; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) override { return Answer(value, handled); }
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override { return Answer(value, userInitiated); }
    HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!deferral) deferral = Make<Deferral>(onComplete);
        if (!deferral) return E_OUTOFMEMORY;
        *out = deferral.get();
        (*out)->AddRef();
        return S_OK;
    }
};

class ScriptException final : public ComObject<ScriptException, ScriptExceptionDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2ScriptException>;
    ScriptException() : ComObject(nullptr) {}
    UINT32 line = 0, column = 0;
    std::u16string name, message, json = u"null";
    HRESULT STDMETHODCALLTYPE get_LineNumber(UINT32* value) override { return Answer(value, line); }
    HRESULT STDMETHODCALLTYPE get_ColumnNumber(UINT32* value) override { return Answer(value, column); }
    HRESULT STDMETHODCALLTYPE get_Name(LPWSTR* value) override { return CoString(name, value); }
    HRESULT STDMETHODCALLTYPE get_Message(LPWSTR* value) override { return CoString(message, value); }
    HRESULT STDMETHODCALLTYPE get_ToJson(LPWSTR* value) override { return CoString(json, value); }
};

class ScriptResult final : public ComObject<ScriptResult, ScriptResultDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2ExecuteScriptResult>;
    ScriptResult() : ComObject(nullptr) {}
    bool succeeded = false;
    std::u16string json = u"null";
    bool isString = false;
    std::u16string text;
    ComPtr<ScriptException> exception;

    HRESULT STDMETHODCALLTYPE get_Succeeded(BOOL* value) override { return Answer(value, succeeded); }
    HRESULT STDMETHODCALLTYPE get_ResultAsJson(LPWSTR* value) override { return CoString(json, value); }
    HRESULT STDMETHODCALLTYPE TryGetResultAsString(LPWSTR* value, BOOL* isString_) override {
        if (!value || !isString_) return E_POINTER;
        *isString_ = isString && succeeded;
        return CoString(*isString_ ? std::u16string_view(text) : std::u16string_view(), value);
    }
    HRESULT STDMETHODCALLTYPE get_Exception(ICoreWebView2ScriptException** value) override {
        if (!value) return E_POINTER;
        *value = nullptr;
        if (!exception) return S_OK;
        *value = exception.get();
        (*value)->AddRef();
        return S_OK;
    }
};

}  // namespace Corvane::Chromium
