// The script-object bridge: macro code binds an alias to an object of the
// page and calls, reads and writes it by that alias. Every operation is one
// generated script whose small JSON envelope says what happened; each
// failure returns its bridge code and stays in the bridge's error slot.
// Bindings are made again in every new document.
#include <string>

#include "barrier.h"
#include "bstr.h"
#include "corvane_ctrl.h"
#include "error_info.h"
#include "runtime_text.h"
#include "variant_convert.h"

namespace Corvane {

namespace {

// Bridge runs wait a fixed time; SynchronousTimeOut does not apply.
constexpr DWORD kBridgeTimeOut = 30000;

// Objects and other values with no JSON form are refused before anything
// reaches the page, as are strings too long for one script.
bool IsBridgeArgument(const VARIANT& value) {
    switch (value.vt & 0xFFF) {
    case VT_DISPATCH: case VT_UNKNOWN: case VT_VOID: case VT_USERDEFINED: return false;
    default: break;
    }
    BSTR text = value.vt == VT_BSTR ? value.bstrVal
              : value.vt == (VT_BSTR | VT_BYREF) && value.pbstrVal ? *value.pbstrVal : nullptr;
    return SysStringLen(text) <= kBridgeMaxText;
}

bool IsOmitted(const VARIANT& value) {
    return value.vt == VT_EMPTY || (value.vt == VT_ERROR && value.scode == DISP_E_PARAMNOTFOUND);
}

struct DepthScope {
    int& depth;
    explicit DepthScope(int& d) : depth(d) { ++depth; }
    ~DepthScope() { --depth; }
};

}  // namespace

HRESULT CCorvaneCtrl::BridgeFail(HRESULT code, std::u16string_view message) {
    bridge_.SetError(code, message.empty() ? std::u16string_view(BridgeCodeName(code)) : message);
    if (FAILED(code)) ReportError(IID_ICorvaneCtrl, bridge_.ErrorText(), code);
    return code;
}

void CCorvaneCtrl::StartBridgeScript(const std::u16string& script) {
    if (webView_) webView_->ExecuteScript(ToWide(script).c_str(), nullptr);
}

// Runs a script whose answer is an envelope; S_OK means the page answered,
// and `outcome` says whether the operation succeeded there.
HRESULT CCorvaneCtrl::RunBridgeScript(std::u16string_view script, BridgeOutcome& outcome) {
    if (!webView_) return BridgeCode::NotReady;
    std::u16string json;
    bool waitFailed = false;
    HRESULT hr = ExecuteAndWait(script, kBridgeTimeOut, json, waitFailed, true);
    if (waitFailed) return BridgeCode::Timeout;
    if (FAILED(hr)) return hr;
    outcome = ReadBridgeEnvelope(json);
    return S_OK;
}

HRESULT CCorvaneCtrl::BridgeOperation(BridgeOp op, BSTR alias, BSTR member, const VARIANT* const* args,
                                      std::size_t count, VARIANT* result, bool wait) {
    if (bridge_.depth >= kBridgeMaxDepth) return BridgeFail(BridgeCode::ReentryBlocked, u"Bridge recursion limit reached");
    if (!IsBridgeAlias(BstrView(alias))) return BridgeFail(BridgeCode::InvalidArg, u"Invalid alias");
    if (!BridgeReady()) return BridgeFail(BridgeCode::NotReady, u"WebView2 not ready");
    DepthScope scope(bridge_.depth);
    const BridgeBinding* binding = bridge_.Find(BstrView(alias));
    if (!binding) return BridgeFail(BridgeCode::AliasNotFound);
    if (!IsBridgeMemberName(BstrView(member))) return BridgeFail(BridgeCode::InvalidArg);
    std::vector<std::u16string> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (!IsBridgeArgument(*args[i])) return BridgeFail(BridgeCode::InvalidArg);
        std::u16string message;
        if (FAILED(VariantToJson(*args[i], values[i], message))) values[i].clear();   // sent as null
    }
    const bool follow = (binding->flags & kBindFollowResolution) != 0;
    const std::int64_t handle = binding->handle;
    const std::u16string script =
        BridgeOperationScript(op, handle, BstrView(member), values, follow, binding->expression);
    if (script.size() > kBridgeMaxText) return BridgeFail(BridgeCode::InvalidArg);
    if (!wait) {
        StartBridgeScript(script);
        return S_OK;
    }
    std::u16string refusal;
    const bool refused =
        op == BridgeOp::Get ? RefuseIfNested(u"GetScriptProperty", refusal, GuardKind::ScriptResult)
        : op == BridgeOp::Set
            ? RefuseIfNested(u"SetScriptProperty", refusal, GuardKind::Completion, u"Use ExecuteScriptAsync instead,")
            : RefuseIfNested(u"CallScriptSync", refusal, GuardKind::Completion,
                             u"Use CallScript instead (it does not wait for the page),");
    if (refused) {
        bridge_.SetError(CVN_E_SYNC_REENTRANT, refusal);
        return Refused(refusal);
    }
    ComPtr<IUnknown> keepAlive(Controlling());
    BridgeOutcome outcome;
    HRESULT hr = RunBridgeScript(script, outcome);
    if (follow) {
        // Unbound or rebound while the page answered: the page must not keep the object.
        const BridgeBinding* now = bridge_.Find(BstrView(alias));
        if (!now || now->handle != handle) StartBridgeScript(BridgeDeleteScript(handle));
    }
    if (FAILED(hr)) return BridgeFail(hr);
    if (outcome.code) return BridgeFail(outcome.code, outcome.message);
    if (result) return ScalarToVariant(outcome.value, result);
    return S_OK;
}

HRESULT CCorvaneCtrl::BindScriptObject(BSTR alias, BSTR jsExpression, LONG flags) {
    return ComBarrier([&]() -> HRESULT {
        const std::u16string_view name = BstrView(alias);
        if (!IsBridgeAlias(name)) return BridgeFail(BridgeCode::InvalidArg, u"Invalid alias");
        const std::u16string_view expression = BstrView(jsExpression);
        if (expression.empty()) return BridgeFail(BridgeCode::InvalidArg, u"Empty expression");
        const auto bits = static_cast<std::uint32_t>(flags);
        if (!(bits & kBindRawExpression)) {
            if (const char16_t* fault = CheckBridgePath(&expression))
                return BridgeFail(BridgeCode::InvalidExpression, fault);
        }
        if ((bits & kBindFailIfBound) && bridge_.Find(name))
            return BridgeFail(BridgeCode::AliasAlreadyBound, u"Alias already bound");
        const bool ready = BridgeReady();
        const bool validate = (bits & kBindValidate) != 0;
        if (validate && ready) {
            std::u16string refusal;
            if (RefuseIfNested(u"BindScriptObject", refusal, GuardKind::Completion,
                               u"Bind without CVN_BIND_VALIDATE instead (a missing object is then reported by the "
                               u"first call that uses it),")) {
                bridge_.SetError(CVN_E_SYNC_REENTRANT, refusal);
                return Refused(refusal);
            }
        }
        std::int64_t replaced = 0;
        const BridgeBinding binding = bridge_.Bind(name, expression, bits, replaced);
        if (!ready) {
            bridge_.Defer(binding);
            return S_OK;
        }
        if (replaced) StartBridgeScript(BridgeDeleteScript(replaced));
        if (!validate) {
            StartBridgeScript(BridgeBindScript(binding.handle, binding.expression, false));
            return S_OK;
        }
        ComPtr<IUnknown> keepAlive(Controlling());
        BridgeOutcome outcome;
        HRESULT hr = RunBridgeScript(BridgeBindScript(binding.handle, binding.expression, true), outcome);
        if (FAILED(hr)) return BridgeFail(hr);
        return outcome.code ? BridgeFail(outcome.code, outcome.message) : S_OK;
    });
}

HRESULT CCorvaneCtrl::UnbindScriptObject(BSTR alias) {
    return ComBarrier([&]() -> HRESULT {
        if (!IsBridgeAlias(BstrView(alias))) return BridgeFail(BridgeCode::InvalidArg, u"Invalid alias");
        const std::int64_t handle = bridge_.Unbind(BstrView(alias));
        if (handle && BridgeReady()) StartBridgeScript(BridgeDeleteScript(handle));
        return S_OK;
    });
}

// Omitted arguments at the end are not passed; a gap inside is.
#define CVN_BRIDGE_ARGS                                                                        \
    const VARIANT* args[] = {&arg1, &arg2, &arg3, &arg4, &arg5, &arg6, &arg7, &arg8};        \
    std::size_t count = 8;                                                                     \
    while (count > 0 && IsOmitted(*args[count - 1])) --count;

HRESULT CCorvaneCtrl::CallScript(BSTR alias, BSTR methodName, VARIANT arg1, VARIANT arg2, VARIANT arg3, VARIANT arg4,
                                 VARIANT arg5, VARIANT arg6, VARIANT arg7, VARIANT arg8) {
    CVN_BRIDGE_ARGS
    return ComBarrier([&] { return BridgeOperation(BridgeOp::Call, alias, methodName, args, count, nullptr, false); });
}

HRESULT CCorvaneCtrl::CallScriptSync(BSTR alias, BSTR methodName, VARIANT arg1, VARIANT arg2, VARIANT arg3,
                                     VARIANT arg4, VARIANT arg5, VARIANT arg6, VARIANT arg7, VARIANT arg8,
                                     VARIANT* result) {
    if (!result) return E_POINTER;
    VariantInit(result);
    CVN_BRIDGE_ARGS
    return ComBarrier([&] { return BridgeOperation(BridgeOp::Call, alias, methodName, args, count, result, true); });
}

HRESULT CCorvaneCtrl::GetScriptProperty(BSTR alias, BSTR propertyName, VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    return ComBarrier([&] { return BridgeOperation(BridgeOp::Get, alias, propertyName, nullptr, 0, value, true); });
}

HRESULT CCorvaneCtrl::SetScriptProperty(BSTR alias, BSTR propertyName, VARIANT value) {
    const VARIANT* args[] = {&value};
    return ComBarrier([&] { return BridgeOperation(BridgeOp::Set, alias, propertyName, args, 1, nullptr, true); });
}

HRESULT CCorvaneCtrl::GetLastBridgeError(LONG* code, BSTR* message) {
    if (code) *code = bridge_.ErrorCode();
    if (!message) return S_OK;
    *message = nullptr;
    return ComBarrier([&] {   // a message that cannot be copied is E_OUTOFMEMORY
        *message = MakeBstr(bridge_.ErrorText());
        return S_OK;
    });
}

// Readiness: every new document gets the page registry, and binds made
// before the browser existed reach the page (without validation: nobody waits).
void CCorvaneCtrl::OnBridgeReady() {
    if (!webView_) return;
    if (!bridge_.bootstrapped) {
        webView_->AddScriptToExecuteOnDocumentCreated(ToWide(BridgeBootstrapScript()).c_str(), nullptr);
        bridge_.bootstrapped = true;
    }
    for (const BridgeBinding& entry : bridge_.TakePending())
        StartBridgeScript(BridgeBindScript(entry.handle, entry.expression, false));
}

// A new document holds an empty registry: transient bindings end here, the
// others are resolved again in it.
void CCorvaneCtrl::OnBridgeNavigationCompleted() {
    for (const BridgeBinding& binding : bridge_.Renavigate())
        StartBridgeScript(BridgeBindScript(binding.handle, binding.expression, false));
    OnBridgeReady();
}

}  // namespace Corvane
