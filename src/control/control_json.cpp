// The control's JSON members: the engine's text queries, edits and
// conversions, needing no browser. Edits and counts report failures with
// LastError, LastErrorCode and COM error information; conversions record
// their message as LastError.
#include <string>

#include "barrier.h"
#include "bstr.h"
#include "corvane_ctrl.h"
#include "json_edit.h"
#include "json_query.h"
#include "variant_convert.h"

namespace Corvane {

namespace {

HRESULT PutText(std::u16string_view text, BSTR* out) {
    *out = MakeBstr(text);
    return S_OK;
}

// Edits and counts answer with all three reports.
HRESULT EditOutcome(ControlErrorSlot& errors, const JsonEditResult& edit, BSTR* out) {
    if (!edit.ok) {
        HRESULT hr = edit.hresult < 0 ? static_cast<HRESULT>(edit.hresult) : E_FAIL;
        return errors.Both(edit.message, hr, hr);
    }
    return PutText(edit.text, out);
}

// The value argument of an edit, as JSON text; a host value that cannot be
// converted is reported like the edit's own failures.
HRESULT ValueText(ControlErrorSlot& errors, const VARIANT& value, std::u16string& text) {
    std::u16string message;
    HRESULT hr = VariantToJson(value, text, message);
    return FAILED(hr) ? errors.Both(message, hr, hr) : S_OK;
}

}  // namespace

HRESULT CCorvaneCtrl::get_LastError(BSTR* value) {
    if (!value) return E_POINTER;
    return ComBarrier([&] { return PutText(errors_.Text(), value); });
}

HRESULT CCorvaneCtrl::get_LastErrorCode(LONG* value) {
    if (!value) return E_POINTER;
    *value = errors_.Code();
    return S_OK;
}

HRESULT CCorvaneCtrl::JsonGetValue(BSTR json, BSTR path, VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    return ComBarrier([&] { return ScalarToVariant(CtrlGetValue(BstrView(json), BstrView(path)), value); });
}

HRESULT CCorvaneCtrl::JsonGetArrayLength(BSTR json, BSTR path, LONG* length) {
    if (!length) return E_POINTER;
    return ComBarrier([&] {
        *length = CtrlGetArrayLength(BstrView(json), BstrView(path));
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::JsonGetArrayItem(BSTR json, BSTR path, LONG index, BSTR* item) {
    if (!item) return E_POINTER;
    *item = nullptr;
    return ComBarrier([&] { return PutText(TextGetItem(BstrView(json), BstrView(path), index), item); });
}

HRESULT CCorvaneCtrl::JsonGetKeys(BSTR json, BSTR path, BSTR* keys) {
    if (!keys) return E_POINTER;
    *keys = nullptr;
    return ComBarrier([&] { return PutText(TextGetKeys(BstrView(json), BstrView(path)), keys); });
}

HRESULT CCorvaneCtrl::JsonIsValid(BSTR json, VARIANT_BOOL* isValid) {
    if (!isValid) return E_POINTER;
    *isValid = IsValidJson(BstrView(json)) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CCorvaneCtrl::JsonExists(BSTR json, BSTR path, VARIANT_BOOL* exists) {
    if (!exists) return E_POINTER;
    *exists = TextExists(BstrView(json), BstrView(path)) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CCorvaneCtrl::JsonCount(BSTR json, BSTR path, LONG* count) {
    if (!count) return E_POINTER;
    *count = -1;
    return ComBarrier([&] {
        JsonCountResult r = TextCount(BstrView(json), BstrView(path));
        *count = r.count;
        if (r.error) return errors_.Both(r.error, E_INVALIDARG, E_INVALIDARG);
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::JsonToArray(BSTR jsonArrayString, VARIANT* result) {
    if (!result) return E_POINTER;
    VariantInit(result);
    return ComBarrier([&] {
        std::u16string message;
        HRESULT hr = ControlJsonToArray(jsonArrayString, jsonToArrayMaxSize_, result, message);
        return FAILED(hr) ? errors_.LastErrorOnly(message, hr) : hr;
    });
}

HRESULT CCorvaneCtrl::get_JsonToArrayMaxSize(LONG* value) {
    if (!value) return E_POINTER;
    *value = jsonToArrayMaxSize_;
    return S_OK;
}

HRESULT CCorvaneCtrl::put_JsonToArrayMaxSize(LONG value) {
    if (value < 0) return ControlErrorSlot::ComErrorOnly(u"JsonToArrayMaxSize cannot be negative.", E_INVALIDARG);
    jsonToArrayMaxSize_ = value;
    return S_OK;
}

HRESULT CCorvaneCtrl::BuildJson(VARIANT inputData, BSTR* json) {
    if (!json) return E_POINTER;
    *json = nullptr;
    return ComBarrier([&] {
        std::u16string message;
        HRESULT hr = VariantToJsonBstr(inputData, json, message);
        return FAILED(hr) ? errors_.LastErrorOnly(message, hr) : hr;
    });
}

HRESULT CCorvaneCtrl::JsonToRowArray(BSTR json, VARIANT* result) {
    if (!result) return E_POINTER;
    VariantInit(result);
    return ComBarrier([&] {
        std::u16string message;
        HRESULT hr = Corvane::JsonToRowArray(BstrView(json), jsonToArrayMaxSize_, result, message);
        return FAILED(hr) ? errors_.LastErrorOnly(message, hr) : hr;
    });
}

HRESULT CCorvaneCtrl::JsonCreateObject(BSTR* json) {
    if (!json) return E_POINTER;
    return ComBarrier([&] { return PutText(u"{}", json); });
}

HRESULT CCorvaneCtrl::JsonCreateArray(BSTR* json) {
    if (!json) return E_POINTER;
    return ComBarrier([&] { return PutText(u"[]", json); });
}

HRESULT CCorvaneCtrl::JsonSetValue(BSTR json, BSTR path, VARIANT value, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return ComBarrier([&] {
        std::u16string text;
        if (HRESULT hr = ValueText(errors_, value, text); FAILED(hr)) return hr;
        return EditOutcome(errors_, Corvane::JsonSetValue(BstrView(json), BstrView(path), text), result);
    });
}

HRESULT CCorvaneCtrl::JsonRemoveKey(BSTR json, BSTR path, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return ComBarrier([&] { return EditOutcome(errors_, Corvane::JsonRemoveKey(BstrView(json), BstrView(path)), result); });
}

HRESULT CCorvaneCtrl::JsonAppend(BSTR json, BSTR path, VARIANT value, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return ComBarrier([&] {
        std::u16string text;
        if (HRESULT hr = ValueText(errors_, value, text); FAILED(hr)) return hr;
        return EditOutcome(errors_, Corvane::JsonAppend(BstrView(json), BstrView(path), text), result);
    });
}

HRESULT CCorvaneCtrl::JsonMerge(BSTR json1, BSTR json2, VARIANT_BOOL deep, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return ComBarrier([&] {
        return EditOutcome(errors_, Corvane::JsonMerge(BstrView(json1), BstrView(json2), deep == VARIANT_TRUE), result);
    });
}

HRESULT CCorvaneCtrl::JsonPrettyPrint(BSTR json, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return ComBarrier([&] { return EditOutcome(errors_, Corvane::JsonPrettyPrint(BstrView(json)), result); });
}

HRESULT CCorvaneCtrl::JsonInsert(BSTR json, BSTR path, LONG index, VARIANT value, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return ComBarrier([&] {
        std::u16string text;
        if (HRESULT hr = ValueText(errors_, value, text); FAILED(hr)) return hr;
        return EditOutcome(errors_, Corvane::JsonInsert(BstrView(json), BstrView(path), index, text), result);
    });
}

HRESULT CCorvaneCtrl::JsonClear(BSTR json, BSTR path, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return ComBarrier([&] { return EditOutcome(errors_, Corvane::JsonClear(BstrView(json), BstrView(path)), result); });
}

HRESULT CCorvaneCtrl::JsonFlatten(BSTR json, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return ComBarrier([&] { return EditOutcome(errors_, Corvane::JsonFlatten(BstrView(json)), result); });
}

HRESULT CCorvaneCtrl::JsonUnflatten(BSTR json, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return ComBarrier([&] { return EditOutcome(errors_, Corvane::JsonUnflatten(BstrView(json)), result); });
}

HRESULT CCorvaneCtrl::JsonUnwrapString(BSTR jsonValue, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return ComBarrier([&] { return PutText(Corvane::JsonUnwrapString(BstrView(jsonValue)), result); });
}

HRESULT CCorvaneCtrl::JsonCompact(BSTR json, BSTR path, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return ComBarrier([&] { return EditOutcome(errors_, Corvane::JsonCompact(BstrView(json), BstrView(path)), result); });
}

}  // namespace Corvane
