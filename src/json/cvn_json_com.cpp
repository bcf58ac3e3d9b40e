#include "cvn_json_com.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "barrier.h"
#include "bstr.h"
#include "json_edit.h"
#include "json_query.h"
#include "safearray.h"
#include "variant_convert.h"

namespace Corvane {

namespace {

constexpr std::u16string_view kOutOfMemory = u"Corvane.Json: Out of memory";

HRESULT Fail(std::u16string_view description, HRESULT hr) { return ReportError(IID_ICVNJson, description, hr); }

HRESULT NullOut() { return Fail(u"Corvane.Json: Null output pointer", E_POINTER); }

// A success must not leave an earlier failure's description for the host to find.
HRESULT Succeeded() {
    ClearErrorInfo();
    return S_OK;
}

std::u16string Decimal(long value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// Every member runs inside this: no exception crosses the interface, and one
// that was caught still leaves a description for the host.
template <class F>
HRESULT Guard(F&& body) noexcept {
    bool returned = false;
    const HRESULT hr = ComBarrier([&]() -> HRESULT {
        const HRESULT result = body();
        returned = true;
        return result;
    });
    if (!returned) {
        try {
            Fail(hr == E_OUTOFMEMORY ? kOutOfMemory : u"Corvane.Json: Unexpected error", hr);
        } catch (...) {
            ClearErrorInfo();
        }
    }
    return hr;
}

HRESULT ReturnText(std::u16string_view text, BSTR* out) {
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    if (!*out) return Fail(kOutOfMemory, E_OUTOFMEMORY);
    return Succeeded();
}

HRESULT ReturnScalar(const JsonScalar& scalar, VARIANT* out) {
    const HRESULT hr = ScalarToVariant(scalar, out);
    if (FAILED(hr)) return Fail(kOutOfMemory, hr);
    return Succeeded();
}

HRESULT ReturnNode(const JsonNode* node, VARIANT* out) {
    if (!node) return Succeeded();   // not found: VT_EMPTY, no error
    const HRESULT hr = NodeToVariant(*node, out);
    if (FAILED(hr)) return Fail(kOutOfMemory, hr);
    return Succeeded();
}

// An edit's outcome: the new text, or the operation's own message and
// HRESULT. A failed call hands back no string, as COM callers expect.
HRESULT ReturnEdit(const JsonEditResult& edit, BSTR* out) {
    if (!edit.ok) return Fail(edit.message, edit.hresult < 0 ? static_cast<HRESULT>(edit.hresult) : E_FAIL);
    return ReturnText(edit.text, out);
}

// The JSON text of a host value given to an editing member.
HRESULT ValueText(const VARIANT& value, std::u16string& text) {
    std::u16string message;
    const HRESULT hr = VariantToJson(value, text, message);
    if (FAILED(hr)) return Fail(message.empty() ? kOutOfMemory : std::u16string_view(message), hr);
    return S_OK;
}

HRESULT ReturnConverted(HRESULT hr, const std::u16string& message) {
    if (FAILED(hr)) return Fail(message.empty() ? kOutOfMemory : std::u16string_view(message), hr);
    return Succeeded();
}

// ---- bulk reads ----

// The array a host passed by value or by reference. Script hosts pass
// variables as references to VARIANTs, so those are followed first.
HRESULT ArgumentArray(const VARIANT& argument, std::u16string_view name, SAFEARRAY*& array) {
    array = nullptr;
    const VARIANT* v = &argument;
    for (int hops = 0; V_VT(v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(v) && hops < 16; ++hops)
        v = V_VARIANTREF(v);
    const VARTYPE vt = V_VT(v);
    if (!(vt & VT_ARRAY))
        return Fail(u"Corvane.Json: " + std::u16string(name) + u" must be an array", E_INVALIDARG);
    if (vt & VT_BYREF)
        array = V_ARRAYREF(v) ? *V_ARRAYREF(v) : nullptr;
    else
        array = V_ARRAY(v);
    if (!array) return Fail(u"Corvane.Json: " + std::u16string(name) + u" is null", E_INVALIDARG);
    return S_OK;
}

// One input element as the bulk members read it: a string or a small integer.
struct BulkKey {
    enum class Kind { Other, Text, Number } kind = Kind::Other;
    std::u16string_view text;
    LONG number = 0;
};

BulkKey ReadVariantKey(const VARIANT* v) {
    BulkKey key;
    for (int hops = 0; V_VT(v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(v) && hops < 16; ++hops)
        v = V_VARIANTREF(v);
    switch (V_VT(v)) {
        case VT_BSTR: key.kind = BulkKey::Kind::Text; key.text = BstrView(V_BSTR(v)); break;
        case VT_I4: key.kind = BulkKey::Kind::Number; key.number = V_I4(v); break;
        case VT_I2: key.kind = BulkKey::Kind::Number; key.number = V_I2(v); break;
        default: break;
    }
    return key;
}

class SafeArrayLockGuard {
public:
    explicit SafeArrayLockGuard(SAFEARRAY* a) : a_(SUCCEEDED(SafeArrayLock(a)) ? a : nullptr) {}
    SafeArrayLockGuard(const SafeArrayLockGuard&) = delete;
    SafeArrayLockGuard& operator=(const SafeArrayLockGuard&) = delete;
    ~SafeArrayLockGuard() { if (a_) SafeArrayUnlock(a_); }
    bool Locked() const { return a_ != nullptr; }

private:
    SAFEARRAY* a_;
};

// Fills `values` with one answer per element of the first dimension of
// `input` (other dimensions held at their lower bounds), as a 0-based
// VT_ARRAY|VT_VARIANT; VT_EMPTY when there are no elements.
// `answer(const BulkKey&, VARIANT* out)` returns S_OK or an allocation failure.
template <class Answer>
HRESULT AnswerEach(SAFEARRAY* input, VARIANT* values, Answer&& answer) {
    const UINT dims = SafeArrayGetDim(input);
    LONG lower = 0, upper = -1;
    if (dims == 0 || FAILED(SafeArrayGetLBound(input, 1, &lower)) || FAILED(SafeArrayGetUBound(input, 1, &upper)))
        return Succeeded();
    const std::int64_t n = std::int64_t{upper} - lower + 1;
    if (n <= 0) return Succeeded();

    VARTYPE vt = VT_EMPTY;
    if (FAILED(SafeArrayGetVartype(input, &vt))) vt = VT_EMPTY;   // untyped: no element is readable
    // SafeArrayPtrOfIndex takes the first dimension's index first.
    std::vector<LONG> indexes(dims);
    for (UINT d = 1; d < dims; ++d)
        if (FAILED(SafeArrayGetLBound(input, d + 1, &indexes[d]))) return Fail(u"Corvane.Json: Invalid array", E_INVALIDARG);

    UniqueSafeArray output(SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(n)));
    if (!output.get()) return Fail(kOutOfMemory, E_OUTOFMEMORY);
    SafeArrayLockGuard inputLock(input);
    if (!inputLock.Locked()) return Fail(u"Corvane.Json: Invalid array", E_INVALIDARG);
    {
        SafeArrayDataLock out(output.get(), VT_VARIANT, 1);
        if (FAILED(out.Result())) return Fail(kOutOfMemory, E_OUTOFMEMORY);
        VARIANT* cells = out.Data<VARIANT>();
        for (std::int64_t i = 0; i < n; ++i) {
            indexes[0] = static_cast<LONG>(lower + i);
            void* element = nullptr;
            BulkKey key;
            if (SUCCEEDED(SafeArrayPtrOfIndex(input, indexes.data(), &element)) && element) {
                switch (vt) {
                    case VT_VARIANT: key = ReadVariantKey(static_cast<const VARIANT*>(element)); break;
                    case VT_BSTR:
                        key.kind = BulkKey::Kind::Text;
                        key.text = BstrView(*static_cast<BSTR*>(element));
                        break;
                    case VT_I4: key.kind = BulkKey::Kind::Number; key.number = *static_cast<LONG*>(element); break;
                    case VT_I2: key.kind = BulkKey::Kind::Number; key.number = *static_cast<SHORT*>(element); break;
                    default: break;
                }
            }
            if (key.kind == BulkKey::Kind::Other) continue;   // the cell stays VT_EMPTY
            const HRESULT hr = answer(key, &cells[i]);
            if (FAILED(hr)) return Fail(kOutOfMemory, hr);
        }
    }
    V_VT(values) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(values) = output.Detach();
    return Succeeded();
}

}  // namespace

// A document and the segments of a path to look up in it.
struct CCVNJsonCOM::Route {
    const JsonDocument* document = nullptr;
    const PathSegment* segments = nullptr;
    int count = 0;
    PathSegment storage[kMaxPathSegments];

    const JsonNode* Lookup() const { return LookupNode(document->Root(), segments, count); }
};

HRESULT CCVNJsonCOM::FindDocument(LONG handle, const JsonDocument*& document) const {
    document = documents_.Find(handle);
    if (!document) return Fail(u"Corvane.Json: Invalid JSON handle: " + Decimal(handle), E_HANDLE);
    return S_OK;
}

HRESULT CCVNJsonCOM::FindPath(LONG handle, const CompiledPath*& path) const {
    path = paths_.Find(handle);
    if (!path) return Fail(u"Corvane.Json: Invalid path handle: " + Decimal(handle), E_HANDLE);
    return S_OK;
}

HRESULT CCVNJsonCOM::RouteH(LONG jsonHandle, BSTR path, Route& route) const {
    HRESULT hr = FindDocument(jsonHandle, route.document);
    if (FAILED(hr)) return hr;
    const std::u16string_view text = BstrView(path);
    route.segments = route.storage;
    route.count = text.empty() ? 0 : TokenizePath(text, route.storage);
    if (route.count < 0) return Fail(u"Corvane.Json: Invalid path syntax", E_INVALIDARG);
    return S_OK;
}

HRESULT CCVNJsonCOM::RouteHP(LONG jsonHandle, LONG pathHandle, Route& route) const {
    HRESULT hr = FindDocument(jsonHandle, route.document);
    if (FAILED(hr)) return hr;
    const CompiledPath* path = nullptr;
    hr = FindPath(pathHandle, path);
    if (FAILED(hr)) return hr;
    route.segments = path->Segments();
    route.count = path->Count();
    return S_OK;
}

// The H and HP forms differ only in how their route is found; these answer
// on a route once it is (or failed to be) resolved.
template <class R>
HRESULT AnswerValue(HRESULT resolved, const R& route, VARIANT* value) {
    if (FAILED(resolved)) return resolved;
    return ReturnNode(route.Lookup(), value);
}
template <class R>
HRESULT AnswerItem(HRESULT resolved, const R& route, LONG index, BSTR* item) {
    if (FAILED(resolved)) return resolved;
    return ReturnText(DocGetItem(*route.document, route.segments, route.count, index), item);
}
template <class R>
HRESULT AnswerCount(HRESULT resolved, const R& route, LONG* result) {
    if (FAILED(resolved)) return resolved;
    *result = DocCount(*route.document, route.segments, route.count);
    return Succeeded();
}
template <class R>
HRESULT AnswerExists(HRESULT resolved, const R& route, VARIANT_BOOL* result) {
    if (FAILED(resolved)) return resolved;
    *result = route.Lookup() ? VARIANT_TRUE : VARIANT_FALSE;
    return Succeeded();
}

// ---- queries on text ----

HRESULT CCVNJsonCOM::GetValue(BSTR json, BSTR path, VARIANT* value) {
    return Guard([&] {
        if (!value) return NullOut();
        VariantInit(value);
        return ReturnScalar(TextGetValue(BstrView(json), BstrView(path)), value);
    });
}

HRESULT CCVNJsonCOM::GetItem(BSTR json, BSTR path, LONG index, BSTR* item) {
    return Guard([&] {
        if (!item) return NullOut();
        *item = nullptr;
        return ReturnText(TextGetItem(BstrView(json), BstrView(path), index), item);
    });
}

HRESULT CCVNJsonCOM::GetKeys(BSTR json, BSTR path, BSTR* keys) {
    return Guard([&] {
        if (!keys) return NullOut();
        *keys = nullptr;
        return ReturnText(TextGetKeys(BstrView(json), BstrView(path)), keys);
    });
}

HRESULT CCVNJsonCOM::count(BSTR json, BSTR path, LONG* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = -1;
        JsonCountResult counted;
        try {
            counted = TextCount(BstrView(json), BstrView(path));
        } catch (const std::bad_alloc&) {
            return Fail(u"JsonCount: memory allocation failed.", E_OUTOFMEMORY);
        }
        *result = counted.count;
        if (counted.error) return Fail(counted.error, E_INVALIDARG);
        return Succeeded();
    });
}

HRESULT CCVNJsonCOM::exists(BSTR json, BSTR path, VARIANT_BOOL* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = TextExists(BstrView(json), BstrView(path)) ? VARIANT_TRUE : VARIANT_FALSE;
        return Succeeded();
    });
}

HRESULT CCVNJsonCOM::isValid(BSTR json, VARIANT_BOOL* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = IsValidJson(BstrView(json)) ? VARIANT_TRUE : VARIANT_FALSE;
        return Succeeded();
    });
}

// ---- editing ----

HRESULT CCVNJsonCOM::CreateObject(BSTR* json) {
    return Guard([&] {
        if (!json) return NullOut();
        *json = nullptr;
        return ReturnText(u"{}", json);
    });
}

HRESULT CCVNJsonCOM::CreateArray(BSTR* json) {
    return Guard([&] {
        if (!json) return NullOut();
        *json = nullptr;
        return ReturnText(u"[]", json);
    });
}

HRESULT CCVNJsonCOM::SetValue(BSTR json, BSTR path, VARIANT value, BSTR* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = nullptr;
        std::u16string text;
        const HRESULT hr = ValueText(value, text);
        if (FAILED(hr)) return hr;
        return ReturnEdit(JsonSetValue(BstrView(json), BstrView(path), text), result);
    });
}

HRESULT CCVNJsonCOM::Remove(BSTR json, BSTR path, BSTR* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = nullptr;
        return ReturnEdit(JsonRemoveKey(BstrView(json), BstrView(path)), result);
    });
}

HRESULT CCVNJsonCOM::Append(BSTR json, BSTR path, VARIANT value, BSTR* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = nullptr;
        std::u16string text;
        const HRESULT hr = ValueText(value, text);
        if (FAILED(hr)) return hr;
        return ReturnEdit(JsonAppend(BstrView(json), BstrView(path), text), result);
    });
}

HRESULT CCVNJsonCOM::Insert(BSTR json, BSTR path, LONG index, VARIANT value, BSTR* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = nullptr;
        std::u16string text;
        const HRESULT hr = ValueText(value, text);
        if (FAILED(hr)) return hr;
        return ReturnEdit(JsonInsert(BstrView(json), BstrView(path), index, text), result);
    });
}

HRESULT CCVNJsonCOM::Clear(BSTR json, BSTR path, BSTR* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = nullptr;
        return ReturnEdit(JsonClear(BstrView(json), BstrView(path)), result);
    });
}

HRESULT CCVNJsonCOM::Merge(BSTR json1, BSTR json2, VARIANT_BOOL deep, BSTR* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = nullptr;
        return ReturnEdit(JsonMerge(BstrView(json1), BstrView(json2), deep != VARIANT_FALSE), result);
    });
}

HRESULT CCVNJsonCOM::Compact(BSTR json, BSTR path, BSTR* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = nullptr;
        return ReturnEdit(JsonCompact(BstrView(json), BstrView(path)), result);
    });
}

// ---- formatting and host values ----

HRESULT CCVNJsonCOM::PrettyPrint(BSTR json, BSTR* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = nullptr;
        return ReturnEdit(JsonPrettyPrint(BstrView(json)), result);
    });
}

HRESULT CCVNJsonCOM::Flatten(BSTR json, BSTR* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = nullptr;
        return ReturnEdit(JsonFlatten(BstrView(json)), result);
    });
}

HRESULT CCVNJsonCOM::Unflatten(BSTR json, BSTR* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = nullptr;
        return ReturnEdit(JsonUnflatten(BstrView(json)), result);
    });
}

HRESULT CCVNJsonCOM::ToArray(BSTR json, VARIANT* result) {
    return Guard([&] {
        if (!result) return NullOut();
        VariantInit(result);
        std::u16string message;
        return ReturnConverted(EngineToArray(json, maxSize_, result, message), message);
    });
}

HRESULT CCVNJsonCOM::ToRowArray(BSTR json, VARIANT* result) {
    return Guard([&] {
        if (!result) return NullOut();
        VariantInit(result);
        std::u16string message;
        return ReturnConverted(EngineToRowArray(json, maxSize_, result, message), message);
    });
}

HRESULT CCVNJsonCOM::BuildJson(VARIANT inputData, BSTR* json) {
    return Guard([&] {
        if (!json) return NullOut();
        *json = nullptr;
        std::u16string message;
        return ReturnConverted(VariantToJsonBstr(inputData, json, message), message);
    });
}

HRESULT CCVNJsonCOM::UnwrapString(BSTR jsonValue, BSTR* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = nullptr;
        return ReturnText(JsonUnwrapString(BstrView(jsonValue)), result);
    });
}

// ---- handles ----

HRESULT CCVNJsonCOM::Parse(BSTR json, LONG* jsonHandle) {
    return Guard([&] {
        if (!jsonHandle) return NullOut();
        *jsonHandle = 0;
        const std::u16string_view text = BstrView(json);
        if (text.empty()) return Fail(u"Corvane.Json: Empty JSON string", E_INVALIDARG);
        if (ExceedsMaxSize(text.size(), maxSize_)) return Fail(u"Corvane.Json: JSON exceeds maximum size", E_FAIL);
        std::unique_ptr<JsonDocument> document;
        std::u16string error;
        if (!ParseDocument(text, static_cast<std::uint64_t>(maxSize_), document, error))
            return Fail(error, E_INVALIDARG);
        *jsonHandle = documents_.Add(std::move(document));
        return Succeeded();
    });
}

HRESULT CCVNJsonCOM::ReleaseHandle(LONG jsonHandle) {
    return Guard([&] {
        documents_.Release(jsonHandle);
        return Succeeded();
    });
}

HRESULT CCVNJsonCOM::ReleaseAll() {
    return Guard([&] {
        documents_.Clear();
        paths_.Clear();
        return Succeeded();
    });
}

HRESULT CCVNJsonCOM::GetValueH(LONG jsonHandle, BSTR path, VARIANT* value) {
    return Guard([&] {
        if (!value) return NullOut();
        VariantInit(value);
        Route route;
        return AnswerValue(RouteH(jsonHandle, path, route), route, value);
    });
}

HRESULT CCVNJsonCOM::GetItemH(LONG jsonHandle, BSTR path, LONG index, BSTR* item) {
    return Guard([&] {
        if (!item) return NullOut();
        *item = nullptr;
        Route route;
        return AnswerItem(RouteH(jsonHandle, path, route), route, index, item);
    });
}

HRESULT CCVNJsonCOM::GetKeysH(LONG jsonHandle, BSTR path, BSTR* keys) {
    return Guard([&] {
        if (!keys) return NullOut();
        *keys = nullptr;
        Route route;
        const HRESULT hr = RouteH(jsonHandle, path, route);
        if (FAILED(hr)) return hr;
        return ReturnText(DocGetKeys(*route.document, route.segments, route.count), keys);
    });
}

HRESULT CCVNJsonCOM::CountH(LONG jsonHandle, BSTR path, LONG* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = -1;
        Route route;
        return AnswerCount(RouteH(jsonHandle, path, route), route, result);
    });
}

HRESULT CCVNJsonCOM::ExistsH(LONG jsonHandle, BSTR path, VARIANT_BOOL* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = VARIANT_FALSE;
        Route route;
        return AnswerExists(RouteH(jsonHandle, path, route), route, result);
    });
}

HRESULT CCVNJsonCOM::CompilePath(BSTR path, LONG* pathHandle) {
    return Guard([&] {
        if (!pathHandle) return NullOut();
        *pathHandle = 0;
        const std::u16string_view text = BstrView(path);
        std::unique_ptr<CompiledPath> compiled = CompiledPath::Compile(text);
        if (!compiled) return Fail(u"Corvane.Json: Invalid path syntax: '" + std::u16string(text) + u"'", E_INVALIDARG);
        *pathHandle = paths_.Add(std::move(compiled));
        return Succeeded();
    });
}

HRESULT CCVNJsonCOM::ReleasePath(LONG pathHandle) {
    return Guard([&] {
        paths_.Release(pathHandle);
        return Succeeded();
    });
}

HRESULT CCVNJsonCOM::GetValueHP(LONG jsonHandle, LONG pathHandle, VARIANT* value) {
    return Guard([&] {
        if (!value) return NullOut();
        VariantInit(value);
        Route route;
        return AnswerValue(RouteHP(jsonHandle, pathHandle, route), route, value);
    });
}

HRESULT CCVNJsonCOM::GetItemHP(LONG jsonHandle, LONG pathHandle, LONG index, BSTR* item) {
    return Guard([&] {
        if (!item) return NullOut();
        *item = nullptr;
        Route route;
        return AnswerItem(RouteHP(jsonHandle, pathHandle, route), route, index, item);
    });
}

HRESULT CCVNJsonCOM::CountHP(LONG jsonHandle, LONG pathHandle, LONG* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = -1;
        Route route;
        return AnswerCount(RouteHP(jsonHandle, pathHandle, route), route, result);
    });
}

HRESULT CCVNJsonCOM::ExistsHP(LONG jsonHandle, LONG pathHandle, VARIANT_BOOL* result) {
    return Guard([&] {
        if (!result) return NullOut();
        *result = VARIANT_FALSE;
        Route route;
        return AnswerExists(RouteHP(jsonHandle, pathHandle, route), route, result);
    });
}

// ---- many paths in one call ----

HRESULT CCVNJsonCOM::GetValues(BSTR json, VARIANT pathsArray, VARIANT* values) {
    return Guard([&] {
        if (!values) return NullOut();
        VariantInit(values);
        SAFEARRAY* paths = nullptr;
        const HRESULT hr = ArgumentArray(pathsArray, u"pathsArray", paths);
        if (FAILED(hr)) return hr;
        const std::u16string_view text = BstrView(json);
        return AnswerEach(paths, values, [&](const BulkKey& key, VARIANT* out) -> HRESULT {
            if (key.kind != BulkKey::Kind::Text) return S_OK;
            return ScalarToVariant(TextGetValue(text, key.text), out);
        });
    });
}

HRESULT CCVNJsonCOM::GetValuesH(LONG jsonHandle, VARIANT pathsArray, VARIANT* values) {
    return Guard([&] {
        if (!values) return NullOut();
        VariantInit(values);
        const JsonDocument* document = nullptr;
        HRESULT hr = FindDocument(jsonHandle, document);
        if (FAILED(hr)) return hr;
        SAFEARRAY* paths = nullptr;
        hr = ArgumentArray(pathsArray, u"pathsArray", paths);
        if (FAILED(hr)) return hr;
        PathSegment segments[kMaxPathSegments];
        return AnswerEach(paths, values, [&](const BulkKey& key, VARIANT* out) -> HRESULT {
            if (key.kind != BulkKey::Kind::Text) return S_OK;
            const int count = key.text.empty() ? 0 : TokenizePath(key.text, segments);
            if (count < 0) return S_OK;   // a bad path answers Empty, the others still count
            const JsonNode* node = LookupNode(document->Root(), segments, count);
            return node ? NodeToVariant(*node, out) : S_OK;
        });
    });
}

HRESULT CCVNJsonCOM::GetValuesHP(LONG jsonHandle, VARIANT pathHandlesArray, VARIANT* values) {
    return Guard([&] {
        if (!values) return NullOut();
        VariantInit(values);
        const JsonDocument* document = nullptr;
        HRESULT hr = FindDocument(jsonHandle, document);
        if (FAILED(hr)) return hr;
        SAFEARRAY* handles = nullptr;
        hr = ArgumentArray(pathHandlesArray, u"pathHandlesArray", handles);
        if (FAILED(hr)) return hr;
        return AnswerEach(handles, values, [&](const BulkKey& key, VARIANT* out) -> HRESULT {
            if (key.kind != BulkKey::Kind::Number) return S_OK;
            const CompiledPath* path = paths_.Find(key.number);
            if (!path) return S_OK;
            const JsonNode* node = LookupNode(document->Root(), path->Segments(), path->Count());
            return node ? NodeToVariant(*node, out) : S_OK;
        });
    });
}

// ---- limit ----

HRESULT CCVNJsonCOM::get_MaxSize(LONG* value) {
    return Guard([&] {
        if (!value) return NullOut();
        *value = maxSize_;
        return Succeeded();
    });
}

HRESULT CCVNJsonCOM::put_MaxSize(LONG value) {
    return Guard([&] {
        maxSize_ = ClampMaxSize(value);
        return Succeeded();
    });
}

}  // namespace Corvane
