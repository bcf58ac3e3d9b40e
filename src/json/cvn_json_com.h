// CCVNJsonCOM: the standalone JSON engine object (ICVNJson). Apartment-
// threaded; may be aggregated. Text members are stateless; Parse and
// CompilePath fill per-object handle tables that live until released.
#pragma once

#include <cstdint>

#include "com_object.h"
#include "corvane_h.h"
#include "dispatch.h"
#include "error_info.h"
#include "json_handles.h"
#include "notimpl.h"

namespace Corvane {

class CCVNJsonCOM final
    : public ComObject<CCVNJsonCOM, DispatchImpl<ICVNJson, ICVNJsonNotImplemented>,
                       SupportErrorInfoImpl<&IID_ICVNJson>> {
public:
    using Exposed = InterfaceList<ICVNJson, ISupportErrorInfo>;
    static constexpr bool kAggregatable = true;

    explicit CCVNJsonCOM(IUnknown* outer) : ComObject(outer) {}

    // Queries on text.
    HRESULT STDMETHODCALLTYPE GetValue(BSTR json, BSTR path, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE GetItem(BSTR json, BSTR path, LONG index, BSTR* item) override;
    HRESULT STDMETHODCALLTYPE GetKeys(BSTR json, BSTR path, BSTR* keys) override;
    HRESULT STDMETHODCALLTYPE count(BSTR json, BSTR path, LONG* result) override;
    HRESULT STDMETHODCALLTYPE exists(BSTR json, BSTR path, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE isValid(BSTR json, VARIANT_BOOL* result) override;

    // Editing.
    HRESULT STDMETHODCALLTYPE CreateObject(BSTR* json) override;
    HRESULT STDMETHODCALLTYPE CreateArray(BSTR* json) override;
    HRESULT STDMETHODCALLTYPE SetValue(BSTR json, BSTR path, VARIANT value, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE Remove(BSTR json, BSTR path, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE Append(BSTR json, BSTR path, VARIANT value, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE Insert(BSTR json, BSTR path, LONG index, VARIANT value, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE Clear(BSTR json, BSTR path, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE Merge(BSTR json1, BSTR json2, VARIANT_BOOL deep, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE Compact(BSTR json, BSTR path, BSTR* result) override;

    // Formatting and host values.
    HRESULT STDMETHODCALLTYPE PrettyPrint(BSTR json, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE Flatten(BSTR json, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE Unflatten(BSTR json, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE ToArray(BSTR json, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE ToRowArray(BSTR json, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE BuildJson(VARIANT inputData, BSTR* json) override;
    HRESULT STDMETHODCALLTYPE UnwrapString(BSTR jsonValue, BSTR* result) override;

    // Handles.
    HRESULT STDMETHODCALLTYPE Parse(BSTR json, LONG* jsonHandle) override;
    HRESULT STDMETHODCALLTYPE ReleaseHandle(LONG jsonHandle) override;
    HRESULT STDMETHODCALLTYPE ReleaseAll() override;
    HRESULT STDMETHODCALLTYPE GetValueH(LONG jsonHandle, BSTR path, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE GetItemH(LONG jsonHandle, BSTR path, LONG index, BSTR* item) override;
    HRESULT STDMETHODCALLTYPE GetKeysH(LONG jsonHandle, BSTR path, BSTR* keys) override;
    HRESULT STDMETHODCALLTYPE CountH(LONG jsonHandle, BSTR path, LONG* result) override;
    HRESULT STDMETHODCALLTYPE ExistsH(LONG jsonHandle, BSTR path, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE CompilePath(BSTR path, LONG* pathHandle) override;
    HRESULT STDMETHODCALLTYPE ReleasePath(LONG pathHandle) override;
    HRESULT STDMETHODCALLTYPE GetValueHP(LONG jsonHandle, LONG pathHandle, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE GetItemHP(LONG jsonHandle, LONG pathHandle, LONG index, BSTR* item) override;
    HRESULT STDMETHODCALLTYPE CountHP(LONG jsonHandle, LONG pathHandle, LONG* result) override;
    HRESULT STDMETHODCALLTYPE ExistsHP(LONG jsonHandle, LONG pathHandle, VARIANT_BOOL* result) override;

    // Many paths in one call.
    HRESULT STDMETHODCALLTYPE GetValues(BSTR json, VARIANT pathsArray, VARIANT* values) override;
    HRESULT STDMETHODCALLTYPE GetValuesH(LONG jsonHandle, VARIANT pathsArray, VARIANT* values) override;
    HRESULT STDMETHODCALLTYPE GetValuesHP(LONG jsonHandle, VARIANT pathHandlesArray, VARIANT* values) override;

    HRESULT STDMETHODCALLTYPE get_MaxSize(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_MaxSize(LONG value) override;

private:
    struct Route;
    HRESULT FindDocument(LONG handle, const JsonDocument*& document) const;
    HRESULT FindPath(LONG handle, const CompiledPath*& path) const;
    HRESULT RouteH(LONG jsonHandle, BSTR path, Route& route) const;
    HRESULT RouteHP(LONG jsonHandle, LONG pathHandle, Route& route) const;

    HandleTable<JsonDocument> documents_;
    HandleTable<CompiledPath> paths_;
    std::int32_t maxSize_ = kDefaultMaxSize;
};

}  // namespace Corvane
