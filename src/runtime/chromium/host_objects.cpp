// Host objects: IDispatch objects the host names for the page. The page's
// proxies (the bootstrap's chrome.webview.hostObjects) send each get, set and
// call through the binding; the call waits in the same queue as the host's
// events, so it runs on the host thread, one at a time and in arrival order,
// never inside another host callback. The answer settles the page's promise
// in the execution context that asked, by Runtime.callFunctionOn.
//
// References: one per registered object, given back on Remove and Close; one
// per object an answer handed to the page, given back when the page's proxy
// is collected, when its document ends, and on Close.
//
// VT_DATE carries no time zone; it is read as the host's local time, as
// macro code's Now is, and a page Date is given to the host the same way.
#include <algorithm>
#include <cmath>

#include <dispex.h>

#include "json_number.h"
#include "portable/host_object_rules.h"
#include "portable/remote_object_json.h"
#include "settings.h"
#include "webview.h"

namespace Corvane::Chromium {

namespace {

constexpr char16_t kSettle[] =
    u"function(c,ok,v){var w=window.chrome&&window.chrome.webview;if(w&&w.__hostSettle)w.__hostSettle(c,ok,v);}";
// Objects handed to pages and not yet released, over all documents.
constexpr std::size_t kMaxLiveResults = 100000;
// Page calls waiting for the host thread; a page that sends faster is refused.
constexpr std::size_t kMaxQueuedCalls = 10000;

// --- Dates: VT_DATE is local time, the page's Date milliseconds are UTC.

constexpr double kFileTimeUnixMs = 11644473600000.0;   // 1601-01-01 to 1970-01-01

bool MsToSystemTime(double ms, SYSTEMTIME& out) {
    const double ticks = (ms + kFileTimeUnixMs) * 10000.0;
    if (!(ticks >= 0 && ticks < 9.0e18)) return false;
    ULARGE_INTEGER value;
    value.QuadPart = static_cast<ULONGLONG>(ticks);
    FILETIME file{value.LowPart, value.HighPart};
    return FileTimeToSystemTime(&file, &out) != FALSE;
}

double SystemTimeToMs(const SYSTEMTIME& time) {
    FILETIME file{};
    SystemTimeToFileTime(&time, &file);
    ULARGE_INTEGER value;
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    return static_cast<double>(value.QuadPart / 10000) - kFileTimeUnixMs;
}

// Local minus UTC at `ms` (UTC when `fromUtc`, local otherwise); zero where
// Windows keeps no time (before 1601).
double ZoneOffsetMs(double ms, bool fromUtc) {
    const double whole = std::floor(ms / 1000.0) * 1000.0;
    SYSTEMTIME given{}, other{};
    if (!MsToSystemTime(whole, given)) return 0;
    if (fromUtc ? !SystemTimeToTzSpecificLocalTime(nullptr, &given, &other)
                : !TzSpecificLocalTimeToSystemTime(nullptr, &given, &other))
        return 0;
    const double converted = SystemTimeToMs(other);
    return fromUtc ? converted - whole : whole - converted;
}

bool DateToUtcMs(DATE date, double& ms) {
    if (!OleDateToUnixMs(date, ms)) return false;
    ms -= ZoneOffsetMs(ms, false);
    return true;
}

bool UtcMsToDate(double ms, DATE& date) { return UnixMsToOleDate(ms + ZoneOffsetMs(ms, true), date); }

// --- Host values to page values.

class ResultReader {
public:
    // `mint` gives an object its id, or says why it cannot.
    using Mint = std::function<std::u16string_view(IDispatch*, std::int64_t&)>;
    explicit ResultReader(Mint mint) : mint_(std::move(mint)) {}

    bool Read(const VARIANT& v, HostValue& out, int depth) {
        if (++nodes_ > kHostValueMaxNodes) return Fail(u"The host's answer is too large.");
        if (depth > kHostValueMaxDepth) return Fail(u"The host's answer nests too deeply.");
        if (v.vt & VT_ARRAY) return Array(v, out, depth);
        if (v.vt & VT_BYREF) {
            VARIANT copy;
            VariantInit(&copy);
            if (FAILED(VariantCopyInd(&copy, const_cast<VARIANT*>(&v)))) return Fail(u"The host's answer cannot be read.");
            const bool read = Read(copy, out, depth + 1);
            VariantClear(&copy);
            return read;
        }
        switch (v.vt) {
        case VT_EMPTY: out.kind = HostValue::Kind::Undefined; return true;
        case VT_ERROR:   // a missing optional value
            out.kind = HostValue::Kind::Undefined;
            return true;
        case VT_NULL: out.kind = HostValue::Kind::Null; return true;
        case VT_BOOL: out.kind = HostValue::Kind::Bool; out.boolean = v.boolVal != VARIANT_FALSE; return true;
        case VT_BSTR:
            out.kind = HostValue::Kind::String;
            if (v.bstrVal) out.text.assign(reinterpret_cast<const char16_t*>(v.bstrVal), SysStringLen(v.bstrVal));
            return true;
        case VT_DATE:
            out.kind = HostValue::Kind::Date;
            return DateToUtcMs(v.date, out.number) || Fail(u"The host's date is out of range.");
        case VT_DISPATCH:
        case VT_UNKNOWN: {
            ComPtr<IDispatch> object;
            if (v.punkVal) v.punkVal->QueryInterface(IID_IDispatch, object.put_void());
            if (!object) {
                out.kind = HostValue::Kind::Null;
                return v.punkVal == nullptr || Fail(u"The host answered an object without IDispatch.");
            }
            out.kind = HostValue::Kind::Object;
            const std::u16string_view refused = mint_(object.get(), out.id);
            return refused.empty() || Fail(refused);
        }
        default: {
            VARIANT number;
            VariantInit(&number);
            if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(&v), 0, VT_R8))) return Fail(u"The host answered a value of an unsupported type.");
            out.kind = HostValue::Kind::Number;
            out.number = number.dblVal;
            return true;
        }
        }
    }
    const std::u16string& Error() const { return error_; }

private:
    // Arrays of any element type and rank; a rank above one nests, the leftmost dimension outermost.
    bool Array(const VARIANT& v, HostValue& out, int depth) {
        SAFEARRAY* array = (v.vt & VT_BYREF) ? (v.pparray ? *v.pparray : nullptr) : v.parray;
        out.kind = HostValue::Kind::Array;
        if (!array) return true;
        VARTYPE type = VT_EMPTY;
        if (FAILED(SafeArrayGetVartype(array, &type)) || type == VT_RECORD)
            return Fail(u"The host answered an array of an unsupported type.");
        const UINT rank = SafeArrayGetDim(array);
        if (rank == 0 || static_cast<int>(rank) + depth > kHostValueMaxDepth)
            return Fail(u"The host's answer nests too deeply.");
        std::vector<LONG> index(rank);
        return Dimension(array, type, 1, index, out, depth);
    }
    bool Dimension(SAFEARRAY* array, VARTYPE type, UINT dim, std::vector<LONG>& index, HostValue& out, int depth) {
        LONG low = 0, high = -1;
        SafeArrayGetLBound(array, dim, &low);
        SafeArrayGetUBound(array, dim, &high);
        out.kind = HostValue::Kind::Array;
        if (high < low) return true;
        const std::uint64_t count = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low + 1);
        if (count > kHostValueMaxNodes - nodes_) return Fail(u"The host's answer is too large.");
        out.items.resize(static_cast<std::size_t>(count));
        const UINT rank = static_cast<UINT>(index.size());
        for (std::size_t i = 0; i < out.items.size(); ++i) {
            index[dim - 1] = low + static_cast<LONG>(i);   // indexes go in the order of the bounds
            if (dim < rank) {
                if (++nodes_ > kHostValueMaxNodes) return Fail(u"The host's answer is too large.");
                if (!Dimension(array, type, dim + 1, index, out.items[i], depth + 1)) return false;
                continue;
            }
            VARIANT element;
            VariantInit(&element);
            HRESULT hr;
            if (type == VT_VARIANT) {
                hr = SafeArrayGetElement(array, index.data(), &element);
            } else if (type == VT_DECIMAL) {
                hr = SafeArrayGetElement(array, index.data(), &element.decVal);
                element.vt = VT_DECIMAL;   // the decimal's first field overlaps the type
            } else {
                hr = SafeArrayGetElement(array, index.data(), &element.lVal);
                if (SUCCEEDED(hr)) element.vt = type;
            }
            const bool read = SUCCEEDED(hr) ? Read(element, out.items[i], depth + 1)
                                            : Fail(u"The host's array cannot be read.");
            VariantClear(&element);
            if (!read) return false;
        }
        return true;
    }
    bool Fail(std::u16string_view why) {
        error_ = why;
        return false;
    }

    Mint mint_;
    std::size_t nodes_ = 0;
    std::u16string error_;
};

// --- Page values to host values. `find` resolves an object the page passed back.

HRESULT ToVariant(const HostValue& value, VARIANT* out, const std::function<IDispatch*(const HostValue&)>& find,
                  std::u16string& error) {
    VariantInit(out);
    switch (value.kind) {
    case HostValue::Kind::Undefined: return S_OK;
    case HostValue::Kind::Null: out->vt = VT_NULL; return S_OK;
    case HostValue::Kind::Bool:
        out->vt = VT_BOOL;
        out->boolVal = value.boolean ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case HostValue::Kind::Number:
        // Whole numbers a Long holds go as one, as a script engine passes them.
        if (value.number == std::trunc(value.number) && std::fabs(value.number) <= 2147483647.0 &&
            !(value.number == 0 && std::signbit(value.number))) {
            out->vt = VT_I4;
            out->lVal = static_cast<LONG>(value.number);
        } else {
            out->vt = VT_R8;
            out->dblVal = value.number;
        }
        return S_OK;
    case HostValue::Kind::String:
        out->bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(value.text.data()),
                                         static_cast<UINT>(value.text.size()));
        if (!out->bstrVal) return E_OUTOFMEMORY;
        out->vt = VT_BSTR;
        return S_OK;
    case HostValue::Kind::Date:
        if (!UtcMsToDate(value.number, out->date)) {
            error = u"The date is out of the host's range.";
            return E_INVALIDARG;
        }
        out->vt = VT_DATE;
        return S_OK;
    case HostValue::Kind::Object:
    case HostValue::Kind::Named: {
        IDispatch* object = find(value);
        if (!object) {
            error = u"The host object passed is gone.";
            return E_INVALIDARG;
        }
        out->vt = VT_DISPATCH;
        (out->pdispVal = object)->AddRef();
        return S_OK;
    }
    case HostValue::Kind::Array: {
        SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(value.items.size()));
        if (!array) return E_OUTOFMEMORY;
        VARIANT* data = nullptr;
        SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
        HRESULT hr = S_OK;
        for (std::size_t i = 0; i < value.items.size() && SUCCEEDED(hr); ++i) hr = ToVariant(value.items[i], &data[i], find, error);
        SafeArrayUnaccessData(array);
        if (FAILED(hr)) {
            SafeArrayDestroy(array);
            return hr;
        }
        out->vt = VT_ARRAY | VT_VARIANT;
        out->parray = array;
        return S_OK;
    }
    }
    return E_INVALIDARG;
}

std::u16string HexCode(HRESULT hr) {
    std::u16string text = u"0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += u"0123456789ABCDEF"[(static_cast<unsigned long>(hr) >> shift) & 0xF];
    return text;
}

// One member of one object: get, put or call, with `args` in call order (they
// are left reversed). On failure `error` says why, with the host's own
// description when it gave one.
HRESULT InvokeMember(IDispatch* object, const std::u16string& name, HostCall::Op op, std::vector<VARIANT>& args,
                     VARIANT* result, std::u16string& error) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(reinterpret_cast<const OLECHAR*>(name.c_str()))};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    // Some script engines' objects only answer names through IDispatchEx
    // (Wine's VBScript class instances among them); the call still goes
    // through IDispatch, and so through any proxy in between.
    ComPtr<IDispatchEx> expando;
    if (FAILED(hr) && SUCCEEDED(object->QueryInterface(__uuidof(IDispatchEx), expando.put_void()))) {
        BSTR text = SysAllocStringLen(names[0], static_cast<UINT>(name.size()));
        hr = text ? expando->GetDispID(text, fdexNameCaseInsensitive, &id) : E_OUTOFMEMORY;
        SysFreeString(text);
    }
    if (FAILED(hr)) {
        error = u"The host object has no member '" + name + u"'.";
        return hr;
    }
    std::reverse(args.begin(), args.end());   // the last argument comes first
    DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    DISPID put = DISPID_PROPERTYPUT;
    WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    if (op == HostCall::Op::Set) {
        flags = args[0].vt == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    EXCEPINFO info{};
    UINT argError = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info, &argError);
    if (hr == DISP_E_MEMBERNOTFOUND && flags == DISPATCH_PROPERTYPUTREF) {
        info = EXCEPINFO{};
        hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, result, &info, &argError);
    }
    if (hr == DISP_E_EXCEPTION && info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    if (FAILED(hr)) {
        if (hr == DISP_E_EXCEPTION && info.bstrDescription && SysStringLen(info.bstrDescription))
            error.assign(reinterpret_cast<const char16_t*>(info.bstrDescription), SysStringLen(info.bstrDescription));
        else
            error = u"The host object's '" + name + u"' failed with " +
                    HexCode(hr == DISP_E_EXCEPTION && FAILED(info.scode) ? info.scode : hr) + u".";
    }
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return hr;
}

}  // namespace

HRESULT WebView::AddHostObjectToScript(LPCWSTR name, VARIANT* object) {
    const std::u16string_view key = View(name);
    if (key.empty() || key.size() > kHostNameMaxLength || !object) return E_INVALIDARG;
    if (closed_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    const VARIANT* value = object;
    if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal) value = value->pvarVal;
    IUnknown* unknown = nullptr;
    if (value->vt == VT_DISPATCH || value->vt == VT_UNKNOWN) unknown = value->punkVal;
    else if (value->vt == (VT_BYREF | VT_DISPATCH) || value->vt == (VT_BYREF | VT_UNKNOWN))
        unknown = value->ppunkVal ? *value->ppunkVal : nullptr;
    ComPtr<IDispatch> dispatch;
    if (!unknown || FAILED(unknown->QueryInterface(IID_IDispatch, dispatch.put_void()))) return E_INVALIDARG;
    return ComBarrier([&] {
        hostObjects_[std::u16string(key)] = std::move(dispatch);
        return S_OK;
    });
}

HRESULT WebView::RemoveHostObjectFromScript(LPCWSTR name) {
    if (!name) return E_INVALIDARG;
    // Released outside the table: the object's last release may call back in.
    ComPtr<IDispatch> removed;
    auto found = hostObjects_.find(std::u16string(View(name)));
    if (found != hostObjects_.end()) {
        removed = std::move(found->second);
        hostObjects_.erase(found);
    }
    return S_OK;
}

void WebView::OnHostCall(const JsonNode& message, int context) {
    auto call = std::make_shared<HostCall>();
    std::u16string error;
    // A malformed call never reaches the host; one with a call number is answered.
    if (!ParseHostCall(message, *call, error)) {
        std::int64_t callId = 0;
        const JsonNode* number = message.Find(u"c");
        if (number && number->type == JsonNodeType::Int && number->integer > 0) callId = number->integer;
        if (callId) SettleHostCall(context, callId, false, StringifyString(u"Invalid host object call: " + error + u"."));
        return;
    }
    if (call->op == HostCall::Op::Release) {
        ReleaseHostResult(call->targetId, context);
        return;
    }
    if (hostCallsQueued_ >= kMaxQueuedCalls) {
        SettleHostCall(context, call->callId, false, StringifyString(u"Too many host object calls are waiting."));
        return;
    }
    ++hostCallsQueued_;
    ComPtr<WebView> self(this);
    Enqueue([self, call, context] {
        --self->hostCallsQueued_;
        self->RunHostCall(*call, context);
    });
}

IDispatch* WebView::FindHostObject(const HostValue& value, int context) const {
    if (value.kind == HostValue::Kind::Named) {
        auto found = hostObjects_.find(value.text);
        return found == hostObjects_.end() ? nullptr : found->second.get();
    }
    auto found = hostResults_.find(value.id);
    return found == hostResults_.end() || found->second.context != context ? nullptr : found->second.object.get();
}

void WebView::RunHostCall(const HostCall& call, int context) {
    auto fail = [&](std::u16string message) { SettleHostCall(context, call.callId, false, StringifyString(message)); };
    if (settings_ && !settings_->hostObjects) return fail(u"Host objects are not allowed in this view.");
    HostValue targetRef;
    targetRef.kind = call.targetName.empty() ? HostValue::Kind::Object : HostValue::Kind::Named;
    targetRef.id = call.targetId;
    targetRef.text = call.targetName;
    ComPtr<IDispatch> target(FindHostObject(targetRef, context));
    if (!target) {
        return fail(call.targetName.empty() ? u"The host object is gone."
                                            : u"There is no host object named '" + call.targetName + u"'.");
    }

    std::u16string error;
    // Every name but the last reads the object the next one is looked up on.
    for (std::size_t i = 0; i + 1 < call.path.size(); ++i) {
        std::vector<VARIANT> none;
        VARIANT next;
        VariantInit(&next);
        if (FAILED(InvokeMember(target.get(), call.path[i], HostCall::Op::Get, none, &next, error))) return fail(error);
        ComPtr<IDispatch> object;
        if ((next.vt == VT_DISPATCH || next.vt == VT_UNKNOWN) && next.punkVal)
            next.punkVal->QueryInterface(IID_IDispatch, object.put_void());
        VariantClear(&next);
        if (!object) return fail(u"The host member '" + call.path[i] + u"' is not an object.");
        target = std::move(object);
    }

    std::vector<VARIANT> args(call.args.size());
    for (VARIANT& arg : args) VariantInit(&arg);
    auto clearArgs = [&args] {
        for (VARIANT& arg : args) VariantClear(&arg);
    };
    const auto find = [this, context](const HostValue& value) { return FindHostObject(value, context); };
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (FAILED(ToVariant(call.args[i], &args[i], find, error))) {
            clearArgs();
            return fail(error.empty() ? u"The arguments cannot be given to the host." : error);
        }
    }
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = InvokeMember(target.get(), call.path.back(), call.op, args, &result, error);
    clearArgs();
    if (FAILED(hr)) {
        VariantClear(&result);
        return fail(error);
    }

    HostValue answer;
    if (call.op != HostCall::Op::Set) {
        // Objects minted for a document already gone would wait for Close.
        ComPtr<WebView> self(this);
        std::vector<std::int64_t> minted;
        ResultReader reader([self, context, &minted](IDispatch* object, std::int64_t& id) -> std::u16string_view {
            if (!self->contextFrames_.count(context)) return u"The page that called has gone.";
            if (self->hostResults_.size() >= kMaxLiveResults || self->nextHostResult_ > 0x7FFFFFFF)
                return u"Too many host objects are held by pages.";
            id = self->nextHostResult_++;
            self->hostResults_[id] = HostResult{ComPtr<IDispatch>(object), context};
            minted.push_back(id);
            return {};
        });
        const bool read = reader.Read(result, answer, 0);
        VariantClear(&result);
        if (!read) {
            for (std::int64_t id : minted) ReleaseHostResult(id, context);
            return fail(reader.Error());
        }
    } else {
        VariantClear(&result);
    }
    std::u16string json;
    AppendHostValueJson(answer, json);
    SettleHostCall(context, call.callId, true, json);
}

void WebView::SettleHostCall(int context, std::int64_t callId, bool ok, const std::u16string& valueJson) {
    if (FAILED(Usable())) return;
    std::u16string arguments = u"[{\"value\":";
    AppendDouble17(arguments, static_cast<double>(callId));
    arguments += ok ? u"},{\"value\":true},{\"value\":" : u"},{\"value\":false},{\"value\":";
    arguments += valueJson;
    arguments += u"}]";
    // A document that went meanwhile makes this fail: nobody is left to answer.
    Send(u"Runtime.callFunctionOn", Params()
                                        .Add(u"functionDeclaration", kSettle)
                                        .Add(u"executionContextId", context)
                                        .Raw(u"arguments", arguments)
                                        .Add(u"returnByValue", true)
                                        .Text());
}

void WebView::ReleaseHostResult(std::int64_t id, int context) {
    auto found = hostResults_.find(id);
    if (found == hostResults_.end() || found->second.context != context) return;
    ComPtr<IDispatch> released = std::move(found->second.object);
    hostResults_.erase(found);
}

void WebView::ReleaseHostResults(int context, bool all) {
    std::vector<ComPtr<IDispatch>> released;
    for (auto it = hostResults_.begin(); it != hostResults_.end();) {
        if (all || it->second.context == context) {
            released.push_back(std::move(it->second.object));
            it = hostResults_.erase(it);
        } else {
            ++it;
        }
    }
}

void WebView::ReleaseHostObjects() {
    std::map<std::u16string, ComPtr<IDispatch>> objects;
    objects.swap(hostObjects_);
    ReleaseHostResults(0, true);
}

}  // namespace Corvane::Chromium
