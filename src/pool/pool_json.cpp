// The pool's JSON members: they need no browser and ignore the index, so they
// run the control's JSON members on a browser-less control the pool keeps.
#include "browser_pool.h"

#include "bstr.h"
#include "variant_convert.h"

namespace Corvane {

ICorvaneCtrl* CBrowserPoolObj::JsonEngine() {
    if (!jsonEngine_) CreateComObject<CCorvaneCtrl>(nullptr, IID_ICorvaneCtrl, jsonEngine_.put_void());
    if (!jsonEngine_) throw std::bad_alloc();
    return jsonEngine_.get();
}

HRESULT CBrowserPoolObj::BuildJson(LONG, VARIANT inputData, BSTR* json) {
    if (!json) return E_POINTER;
    *json = nullptr;
    return ComBarrier([&] { return FAILED(JsonEngine()->BuildJson(inputData, json)) ? E_FAIL : S_OK; });
}

HRESULT CBrowserPoolObj::JsonCreateObject(LONG, BSTR* json) {
    if (!json) return E_POINTER;
    *json = MakeBstr(u"{}");
    return *json ? S_OK : E_OUTOFMEMORY;
}

HRESULT CBrowserPoolObj::JsonCreateArray(LONG, BSTR* json) {
    if (!json) return E_POINTER;
    *json = MakeBstr(u"[]");
    return *json ? S_OK : E_OUTOFMEMORY;
}

HRESULT CBrowserPoolObj::JsonSetValue2(LONG, BSTR json, BSTR path, VARIANT value, BSTR* result) {
    return ComBarrier([&] { return JsonEngine()->JsonSetValue(json, path, value, result); });
}

HRESULT CBrowserPoolObj::JsonRemoveKey2(LONG, BSTR json, BSTR path, BSTR* result) {
    return ComBarrier([&] { return JsonEngine()->JsonRemoveKey(json, path, result); });
}

HRESULT CBrowserPoolObj::JsonExists(LONG, BSTR json, BSTR path, VARIANT_BOOL* exists) {
    return ComBarrier([&] { return JsonEngine()->JsonExists(json, path, exists); });
}

HRESULT CBrowserPoolObj::JsonAppend(LONG, BSTR json, BSTR path, VARIANT value, BSTR* result) {
    return ComBarrier([&] { return JsonEngine()->JsonAppend(json, path, value, result); });
}

HRESULT CBrowserPoolObj::JsonMerge(LONG, BSTR json1, BSTR json2, VARIANT_BOOL deep, BSTR* result) {
    return ComBarrier([&] { return JsonEngine()->JsonMerge(json1, json2, deep, result); });
}

HRESULT CBrowserPoolObj::JsonCount(LONG, BSTR json, BSTR path, LONG* count) {
    return ComBarrier([&] { return JsonEngine()->JsonCount(json, path, count); });
}

HRESULT CBrowserPoolObj::JsonPrettyPrint(LONG, BSTR json, BSTR* result) {
    return ComBarrier([&] { return JsonEngine()->JsonPrettyPrint(json, result); });
}

HRESULT CBrowserPoolObj::JsonInsert(LONG, BSTR json, BSTR path, LONG index, VARIANT value, BSTR* result) {
    return ComBarrier([&] { return JsonEngine()->JsonInsert(json, path, index, value, result); });
}

HRESULT CBrowserPoolObj::JsonClear(LONG, BSTR json, BSTR path, BSTR* result) {
    return ComBarrier([&] { return JsonEngine()->JsonClear(json, path, result); });
}

HRESULT CBrowserPoolObj::JsonFlatten(LONG, BSTR json, BSTR* result) {
    return ComBarrier([&] { return JsonEngine()->JsonFlatten(json, result); });
}

HRESULT CBrowserPoolObj::JsonUnflatten(LONG, BSTR json, BSTR* result) {
    return ComBarrier([&] { return JsonEngine()->JsonUnflatten(json, result); });
}

HRESULT CBrowserPoolObj::JsonToRowArray2(LONG, BSTR json, VARIANT* result) {
    return ComBarrier([&] { return JsonEngine()->JsonToRowArray(json, result); });
}

HRESULT CBrowserPoolObj::JsonUnwrapString(LONG, BSTR jsonValue, BSTR* result) {
    return ComBarrier([&] { return JsonEngine()->JsonUnwrapString(jsonValue, result); });
}

HRESULT CBrowserPoolObj::JsonCompact(LONG, BSTR json, BSTR path, BSTR* result) {
    return ComBarrier([&] { return JsonEngine()->JsonCompact(json, path, result); });
}

HRESULT CBrowserPoolObj::JsonSetValue(LONG index, BSTR json, BSTR path, VARIANT value, BSTR* result) {
    return JsonSetValue2(index, json, path, value, result);
}

HRESULT CBrowserPoolObj::JsonRemoveKey(LONG index, BSTR json, BSTR path, BSTR* result) {
    return JsonRemoveKey2(index, json, path, result);
}

HRESULT CBrowserPoolObj::JsonToRowArray(LONG index, BSTR json, VARIANT* result) {
    return JsonToRowArray2(index, json, result);
}

HRESULT CBrowserPoolObj::PushRecordset(LONG browserIndex, IDispatch* recordset, BSTR jsCallback) {
    return ComBarrier([&]() -> HRESULT {
        PooledBrowser browser;
        HRESULT hr = Lookup(browserIndex, browser);
        if (hr == E_INVALIDARG) return hr;
        if (FAILED(hr) || !recordset || !jsCallback || SysStringLen(jsCallback) == 0) return E_FAIL;
        std::u16string json, message;
        if (FAILED(RecordsetToJson(recordset, json, message))) return E_FAIL;
        std::u16string script(BstrView(jsCallback));
        script += u'(';
        script += json;
        script += u");";
        UniqueBstr text(script);
        return FAILED(browser.control->ExecuteScriptAsync(text.get())) ? E_FAIL : S_OK;
    });
}

}  // namespace Corvane
