// The DLL's exports: the platform loader's two entry points, and the control
// interface a test drives the runtime with.
#include <memory>

#include "json_document.h"
#include "runtime_objects.h"

using namespace CorvaneTest;
using namespace CorvaneTest::Runtime;

namespace {

BSTR Bstr(const std::wstring& s) { return SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }

BSTR ErrorJson(const std::wstring& message) {
    std::wstring out = L"{\"error\":";
    AppendJsonString(out, message);
    return Bstr(out + L"}");
}

std::wstring Wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

Value FromJson(const Corvane::JsonNode& n) {
    using Corvane::JsonNodeType;
    switch (n.type) {
    case JsonNodeType::Bool: return Value::Bool(n.boolean);
    case JsonNodeType::Int: return Value::Int(n.integer);
    case JsonNodeType::Double: return Value::Double(n.number);
    case JsonNodeType::String: return Value::String(Wide(n.String()));
    case JsonNodeType::Array: {
        Value list;
        list.kind = Value::Kind::List;
        for (std::uint32_t i = 0; i < n.count; ++i) {
            const Corvane::JsonNode& e = n.elements[i];
            std::u16string text;
            if (e.type == JsonNodeType::String)
                text = std::u16string(e.String());
            else
                Corvane::SerializeNode(e, text);
            list.list.push_back(Wide(text));
        }
        return list;
    }
    case JsonNodeType::Object: {
        std::u16string text;
        Corvane::SerializeNode(n, text);
        return Value::String(Wide(text));
    }
    default: return Value();
    }
}

// A test's argument object as property values; null or empty text is no arguments.
bool ParseArguments(const wchar_t* json, Bag& out, std::wstring& error) {
    if (!json || !*json) return true;
    std::unique_ptr<Corvane::JsonDocument> document;
    std::u16string message;
    if (!Corvane::ParseDocument(reinterpret_cast<const char16_t*>(json), 1u << 26, document, message)) {
        error = L"unreadable arguments: " + Wide(message);
        return false;
    }
    const Corvane::JsonNode& root = document->Root();
    if (root.type != Corvane::JsonNodeType::Object) {
        error = L"the arguments are not an object";
        return false;
    }
    for (std::uint32_t i = 0; i < root.count; ++i)
        out[Wide(root.members[i].Key())] = FromJson(root.members[i].value);
    return true;
}

bool ValidStep(CreationStep step) { return step >= CreationStep::VersionQuery && step < CreationStep::COUNT; }

std::wstring OptionText(ICoreWebView2EnvironmentOptions* options, HRESULT (STDMETHODCALLTYPE ICoreWebView2EnvironmentOptions::*get)(LPWSTR*)) {
    if (!options) return L"";
    LPWSTR value = nullptr;
    std::wstring text;
    if (SUCCEEDED((options->*get)(&value)) && value) text = value;
    CoTaskMemFree(value);
    return text;
}

class Api final : public TestRuntime {
public:
    void Reset() override {
        ResetGlobals();
        for (auto& slot : G().webViews)
            if (slot.view) slot.view->DropHeldWork();
    }
    void SetVersion(const wchar_t* version) override { G().version = Text(version); }
    void FailStep(CreationStep step, HRESULT hr) override {
        if (ValidStep(step)) G().fail[static_cast<int>(step)] = hr;
    }
    void HoldCreation(bool held) override { G().holdCreation = held; }
    int ReleaseCreation() override {
        auto held = std::move(G().heldCreations);
        G().heldCreations.clear();
        for (auto& work : held) Post(std::move(work));
        return static_cast<int>(held.size());
    }
    void RefuseRevision(REFIID iid) override { G().refused.push_back(iid); }
    void HoldNavigations(bool held) override { G().holdNavigations = held; }
    HRESULT CompleteNavigation(int webView, bool success, LONG webErrorStatus) override {
        WebView* view = FindWebView(webView);
        return view ? view->CompleteHeldNavigation(success, webErrorStatus) : E_INVALIDARG;
    }
    void SetScriptFunction(ScriptFunction function, void* context) override {
        G().script = function;
        G().scriptContext = context;
    }
    int WebViewCount() override { return static_cast<int>(G().webViews.size() - G().firstSlot); }
    BSTR Raise(int webView, const wchar_t* eventName, const wchar_t* argsJson) override {
        Bag values;
        std::wstring error;
        if (!ParseArguments(argsJson, values, error)) return ErrorJson(error);
        std::wstring event = Text(eventName);
        Raised raised = RaiseEvent(ResolveIndex(webView), event, values);
        if (!raised.ok) return ErrorJson(raised.error);
        return Bstr(AnswerJson(event, raised));
    }
    BSTR State(int webView) override {
        int slot = ResolveIndex(webView);
        if (slot < 0) return ErrorJson(L"no such web view");
        WebView* view = G().webViews[slot].view;
        return Bstr(view ? view->StateJson() : G().webViews[slot].finalState);
    }
    BSTR CallLog() override { return Bstr(G().log); }
    void ClearCallLog() override { G().log.clear(); }
    void SetBrowserProcessId(DWORD pid) override { G().browserProcessId = pid; }
    void FailCall(CreationStep step, HRESULT hr) override {
        if (ValidStep(step)) G().failCall[static_cast<int>(step)] = hr;
    }
    int LiveObjects() override { return G().liveObjects; }
};

}  // namespace

#define RUNTIME_EXPORT extern "C" __declspec(dllexport)

RUNTIME_EXPORT HRESULT STDAPICALLTYPE GetAvailableCoreWebView2BrowserVersionString(PCWSTR browserExecutableFolder,
                                                                                   LPWSTR* versionInfo) {
    LogLine(L"Loader.GetAvailableCoreWebView2BrowserVersionString(" +
            (browserExecutableFolder ? std::wstring(browserExecutableFolder) : L"(null)") + L")");
    if (!versionInfo) return E_POINTER;
    *versionInfo = nullptr;
    HRESULT hr = Failure(CreationStep::VersionQuery);
    if (FAILED(hr)) return hr;
    if (G().version.empty()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    return CopyOut(G().version, versionInfo);
}

RUNTIME_EXPORT HRESULT STDAPICALLTYPE CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler) {
    std::wstring arguments = OptionText(environmentOptions, &ICoreWebView2EnvironmentOptions::get_AdditionalBrowserArguments);
    std::wstring language = OptionText(environmentOptions, &ICoreWebView2EnvironmentOptions::get_Language);
    std::wstring browserFolder = Text(browserExecutableFolder), dataFolder = Text(userDataFolder);
    LogLine(L"Loader.CreateCoreWebView2EnvironmentWithOptions(" + browserFolder + L"|" + dataFolder + L"|" + arguments +
            L"|" + language + L")");
    if (!environmentCreatedHandler) return E_POINTER;
    HRESULT call = CallFailure(CreationStep::Environment);
    if (FAILED(call)) return call;
    // Nothing installed: the platform's loader fails the call itself.
    if (G().version.empty()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    HRESULT hr = Failure(CreationStep::Environment);
    ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> done(environmentCreatedHandler);
    CompleteCreation([done, hr] {
        if (FAILED(hr)) {
            done->Invoke(hr, nullptr);
            return;
        }
        auto environment = Make<Environment>();
        done->Invoke(S_OK, environment.get());
    });
    return S_OK;
}

RUNTIME_EXPORT CorvaneTest::TestRuntime* CorvaneTestRuntime() {
    static Api api;
    return &api;
}
