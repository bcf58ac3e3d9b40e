// CCorvaneCtrl: the control object. It answers ICorvaneCtrl (dual), raises
// _DCorvaneCtrlEvents through its one connection point, and may be
// aggregated by a host's form machinery.
#pragma once

#include "com_object.h"
#include "connection_point.h"
#include "control_errors.h"
#include "corvane_h.h"
#include "dispatch.h"
#include "error_info.h"
#include "notimpl.h"

namespace Corvane {

class CCorvaneCtrl final
    : public ComObject<CCorvaneCtrl, DispatchImpl<ICorvaneCtrl, ICorvaneCtrlNotImplemented>,
                       SupportErrorInfoImpl<&IID_ICorvaneCtrl>, SingleConnectionPointContainer<&DIID__DCorvaneCtrlEvents>> {
public:
    using Exposed = InterfaceList<ICorvaneCtrl, ISupportErrorInfo, IConnectionPointContainer>;
    static constexpr bool kAggregatable = true;

    explicit CCorvaneCtrl(IUnknown* outer) : ComObject(outer) {}

    // The error slot (control_errors.h).
    HRESULT STDMETHODCALLTYPE get_LastError(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_LastErrorCode(LONG* value) override;

    // JSON members that need no browser (control_json.cpp).
    HRESULT STDMETHODCALLTYPE JsonGetValue(BSTR json, BSTR path, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE JsonGetArrayLength(BSTR json, BSTR path, LONG* length) override;
    HRESULT STDMETHODCALLTYPE JsonGetArrayItem(BSTR json, BSTR path, LONG index, BSTR* item) override;
    HRESULT STDMETHODCALLTYPE JsonGetKeys(BSTR json, BSTR path, BSTR* keys) override;
    HRESULT STDMETHODCALLTYPE JsonIsValid(BSTR json, VARIANT_BOOL* isValid) override;
    HRESULT STDMETHODCALLTYPE JsonExists(BSTR json, BSTR path, VARIANT_BOOL* exists) override;
    HRESULT STDMETHODCALLTYPE JsonCount(BSTR json, BSTR path, LONG* count) override;
    HRESULT STDMETHODCALLTYPE JsonToArray(BSTR jsonArrayString, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE get_JsonToArrayMaxSize(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_JsonToArrayMaxSize(LONG value) override;
    HRESULT STDMETHODCALLTYPE BuildJson(VARIANT inputData, BSTR* json) override;
    HRESULT STDMETHODCALLTYPE JsonToRowArray(BSTR json, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE JsonCreateObject(BSTR* json) override;
    HRESULT STDMETHODCALLTYPE JsonCreateArray(BSTR* json) override;
    HRESULT STDMETHODCALLTYPE JsonSetValue(BSTR json, BSTR path, VARIANT value, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonRemoveKey(BSTR json, BSTR path, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonAppend(BSTR json, BSTR path, VARIANT value, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonMerge(BSTR json1, BSTR json2, VARIANT_BOOL deep, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonPrettyPrint(BSTR json, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonInsert(BSTR json, BSTR path, LONG index, VARIANT value, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonClear(BSTR json, BSTR path, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonFlatten(BSTR json, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonUnflatten(BSTR json, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonUnwrapString(BSTR jsonValue, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE JsonCompact(BSTR json, BSTR path, BSTR* result) override;

private:
    ControlErrorSlot errors_;
    LONG jsonToArrayMaxSize_ = 52428800;
};

}  // namespace Corvane
