// The page calling the macro: posted messages handed to a host macro or
// auto-dispatched to an allowed one, a callback object the page reaches as
// the host object "cvn", and the ready callback. Calls into the host never
// run inside a browser event or a page-to-host call: they are posted to a
// message-only window and run when the host's message loop dispatches them.
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>

#include "barrier.h"
#include "bstr.h"
#include "corvane_ctrl.h"
#include "event_dispatch.h"
#include "host_call_proxy.h"
#include "module.h"
#include "module_lock.h"
#include "runtime_text.h"

namespace Corvane {

namespace {

constexpr UINT kRunMacroMessage = 0x1737;
constexpr UINT kReadyCallbackMessage = 0x1738;
constexpr LCID kNeutralLocale = 1024;
constexpr wchar_t kCallbackClass[] = L"Corvane_CallbackHelper";

struct DeferredCall {
    ComPtr<IDispatch> target;
    std::u16string name;      // the macro, or the ready callback's method
    std::u16string message;
    std::u16string source;
};

DISPID FindMember(IDispatch* object, const std::u16string& name) {
    std::wstring wide = ToWide(name);
    LPOLESTR names[] = {wide.data()};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, kNeutralLocale, &id))) return DISPID_UNKNOWN;
    return id;
}

// Calls `name` as a method with string arguments; the host's answer and failures are its own.
HRESULT CallMethod(IDispatch* object, DISPID id, std::initializer_list<std::u16string_view> args) {
    VARIANT values[3];
    UINT count = 0;
    for (std::u16string_view arg : args) {   // DISPPARAMS holds arguments last first
        VARIANT& value = values[args.size() - 1 - count++];
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(arg.data()), static_cast<UINT>(arg.size()));
    }
    DISPPARAMS params{values, nullptr, count, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    const HRESULT hr = object->Invoke(id, IID_NULL, kNeutralLocale, DISPATCH_METHOD, &params, &result, &exception, nullptr);
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    for (UINT i = 0; i < count; ++i) VariantClear(&values[i]);
    return hr;
}

void RunDeferred(UINT message, const DeferredCall& call) {
    if (message == kRunMacroMessage) {
        const DISPID run = FindMember(call.target.get(), u"Run");
        if (run == DISPID_UNKNOWN) return;
        if (call.source.empty()) CallMethod(call.target.get(), run, {call.name, call.message});
        else CallMethod(call.target.get(), run, {call.name, call.message, call.source});
        return;
    }
    const DISPID method = FindMember(call.target.get(), call.name);
    if (method != DISPID_UNKNOWN && SUCCEEDED(CallMethod(call.target.get(), method, {}))) return;
    const DISPID run = FindMember(call.target.get(), u"Run");
    if (run != DISPID_UNKNOWN) CallMethod(call.target.get(), run, {call.name});
}

LRESULT CALLBACK CallbackWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunMacroMessage && message != kReadyCallbackMessage)
        return DefWindowProcW(window, message, wParam, lParam);
    std::unique_ptr<DeferredCall> call(reinterpret_cast<DeferredCall*>(lParam));
    try {
        if (call && call->target) RunDeferred(message, *call);
    } catch (...) {
    }
    call.reset();
    ModuleUnlock();   // taken by Post: the DLL stays loaded while a call waits in the queue
    return 0;
}

// One callback window per thread: a host's objects are called on the thread
// that handed them over, as apartment rules require. A window goes with its
// thread; the next use on a thread finds it gone and makes a new one.
HWND CallbackWindow() {
    static std::once_flag registered;
    static std::mutex lock;
    static auto* windows = new std::unordered_map<DWORD, HWND>();   // never freed: no exit-time destructor
    const HINSTANCE module = CCorvaneModule::Instance().Handle();
    std::call_once(registered, [module] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = CallbackWindowProc;
        wc.hInstance = module;
        wc.lpszClassName = kCallbackClass;
        RegisterClassExW(&wc);
    });
    const DWORD thread = GetCurrentThreadId();
    std::lock_guard<std::mutex> guard(lock);
    HWND& window = (*windows)[thread];
    if (window && IsWindow(window) && GetWindowThreadProcessId(window, nullptr) == thread) return window;
    window = CreateWindowExW(0, kCallbackClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    return window;
}

void Post(UINT message, IDispatch* target, std::u16string name, std::u16string text = {}, std::u16string source = {}) {
    auto call = std::unique_ptr<DeferredCall>(new (std::nothrow) DeferredCall);
    if (!call) return;
    call->target = ComPtr<IDispatch>(target);
    call->name = std::move(name);
    call->message = std::move(text);
    call->source = std::move(source);
    const HWND window = CallbackWindow();
    ModuleLock();
    if (window && PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(call.get()))) call.release();
    else ModuleUnlock();
}

// The object the page reaches as hostObjects.cvn: one member, the script
// name, calling the host's method with the page's arguments.
class VbaCallbackBridge final : public IDispatch {
public:
    VbaCallbackBridge(IDispatch* target, std::u16string_view scriptName, const std::u16string& methodName)
        : target_(target), scriptName_(scriptName.begin(), scriptName.end()) {
        targetId_ = FindMember(target, methodName);
        ModuleLock();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch)) return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids || count == 0) return E_POINTER;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        if (!names[0] || scriptName_ != names[0]) return DISP_E_UNKNOWNNAME;
        ids[0] = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
        if (id != 1 || !target_ || targetId_ == DISPID_UNKNOWN) return DISP_E_MEMBERNOTFOUND;
        ComPtr<IDispatch> keep(this);
        return InvokeAsHostCall(target_.get(), scriptName_.c_str(), targetId_, iid, lcid, flags, params, result,
                                exception, argError);
    }

private:
    ~VbaCallbackBridge() { ModuleUnlock(); }

    std::atomic<ULONG> refs_{1};
    ComPtr<IDispatch> target_;
    DISPID targetId_ = DISPID_UNKNOWN;
    std::wstring scriptName_;
};

}  // namespace

HRESULT CCorvaneCtrl::SetWebMessageCallback(IDispatch* vbaApplication, BSTR macroName) {
    return ComBarrier([&]() -> HRESULT {
        if (!vbaApplication) return errors_.LastErrorOnly(u"VBA Application object is required", E_INVALIDARG);
        hostApplication_ = ComPtr<IDispatch>(vbaApplication);
        webMessageMacro_ = BstrView(macroName);   // empty: auto-dispatch only, no catch-all macro
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::ClearWebMessageCallback() {
    webMessageMacro_.clear();
    hostApplication_.Reset();
    return S_OK;
}

bool CCorvaneCtrl::ConsumeWebMessage(const std::u16string& message) {
    if (!autoDispatch_ || !hostApplication_) return false;
    const DispatchDecision decision = DecideDispatch(message, allowedMacros_);
    if (decision.verdict == DispatchDecision::Verdict::Run) {
        Post(kRunMacroMessage, hostApplication_.get(), decision.macro, decision.args);
        return true;
    }
    if (decision.verdict == DispatchDecision::Verdict::NotConsumed) return false;
    OutputDebugStringW(L"Corvane: [AutoDispatch] BLOCKED a page message naming no allowed macro\n");
    return true;
}

void CCorvaneCtrl::AfterWebMessage(const std::u16string& message, const std::u16string& source) {
    if (inspectorOn_ && stage_.foreignWindow && webView_)
        webView_->ExecuteScript(ToWide(InspectorLogScript(message)).c_str(), nullptr);
    if (!webMessageMacro_.empty() && hostApplication_)
        Post(kRunMacroMessage, hostApplication_.get(), webMessageMacro_, message, source);
}

HRESULT CCorvaneCtrl::RegisterVbaCallback(BSTR jsName, IDispatch* callbackObject, BSTR methodName) {
    if (!jsName || !callbackObject || !methodName) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        if (!stage_.ready || !webView_) return E_FAIL;
        UnregisterVbaCallback();
        auto* created = new VbaCallbackBridge(callbackObject, BstrView(jsName), std::u16string(BstrView(methodName)));
        ComPtr<IDispatch> bridge;
        bridge.Attach(created);
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_DISPATCH;
        value.pdispVal = bridge.get();
        const HRESULT hr = webView_->AddHostObjectToScript(L"cvn", &value);
        if (SUCCEEDED(hr)) callbackBridge_ = bridge;
        return hr;
    });
}

HRESULT CCorvaneCtrl::UnregisterVbaCallback() {
    if (webView_) webView_->RemoveHostObjectFromScript(L"cvn");
    callbackBridge_.Reset();
    return S_OK;
}

HRESULT CCorvaneCtrl::SetReadyCallback(IDispatch* callbackObject, BSTR methodName) {
    if (!callbackObject || SysStringLen(methodName) == 0) return E_INVALIDARG;
    return ComBarrier([&]() -> HRESULT {
        readyCallback_ = ComPtr<IDispatch>(callbackObject);
        readyMethod_ = BstrView(methodName);
        if (stage_.ready && webView_ && !readyFired_) {
            readyFired_ = true;
            Post(kReadyCallbackMessage, readyCallback_.get(), readyMethod_);
        }
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::ClearReadyCallback() {
    readyCallback_.Reset();
    readyMethod_.clear();
    readyFired_ = false;
    return S_OK;
}

HRESULT CCorvaneCtrl::SetAllowedVBAMacros(BSTR macroList) {
    return ComBarrier([&] {
        allowedMacros_.Set(BstrView(macroList));
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::ClearAllowedVBAMacros() {
    allowedMacros_.Clear();
    return S_OK;
}

HRESULT CCorvaneCtrl::EnableAutoDispatch(VARIANT_BOOL enabled) {
    autoDispatch_ = enabled == VARIANT_TRUE;
    return S_OK;
}

HRESULT CCorvaneCtrl::IsAutoDispatchEnabled(VARIANT_BOOL* isEnabled) {
    if (!isEnabled) return E_POINTER;
    *isEnabled = autoDispatch_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

void CCorvaneCtrl::OnEmbeddedReady() {
    if (!webView_) return;
    if (wiredWebView_ != webView_.get()) {
        wiredWebView_ = webView_.get();
        webView_->AddScriptToExecuteOnDocumentCreated(ToWide(ElementWiringScript()).c_str(), nullptr);
    }
    if (readyCallback_ && !readyFired_) {
        readyFired_ = true;
        Post(kReadyCallbackMessage, readyCallback_.get(), readyMethod_);
    }
}

void CCorvaneCtrl::ReleaseHostCallbacks() {
    UnregisterVbaCallback();
    hostApplication_.Reset();
    webMessageMacro_.clear();
    readyCallback_.Reset();
}

}  // namespace Corvane
