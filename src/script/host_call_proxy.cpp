#include "host_call_proxy.h"

#include <new>

#include "event_dispatch.h"
#include "module_lock.h"

namespace Corvane {

HostCallProxy* HostCallProxy::Create(IDispatch* object, std::u16string_view name) {
    if (!object) return nullptr;
    return new (std::nothrow) HostCallProxy(object, name);
}

HostCallProxy::HostCallProxy(IDispatch* object, std::u16string_view name)
    : object_(object), name_(name.begin(), name.end()) {
    object_->AddRef();
    ModuleLock();
}

HostCallProxy::~HostCallProxy() {
    object_->Release();
    ModuleUnlock();
}

// IUnknown and IDispatch are the proxy's own; any other interface is the
// wrapped object's, so hosts that look for their own interfaces find them.
HRESULT HostCallProxy::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return object_->QueryInterface(iid, out);
}

ULONG HostCallProxy::AddRef() { return ++refs_; }

ULONG HostCallProxy::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT HostCallProxy::GetTypeInfoCount(UINT* count) { return object_->GetTypeInfoCount(count); }

HRESULT HostCallProxy::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
    return object_->GetTypeInfo(index, lcid, info);
}

HRESULT HostCallProxy::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) {
    return object_->GetIDsOfNames(iid, names, count, lcid, ids);
}

HRESULT InvokeAsHostCall(IDispatch* object, const wchar_t* name, DISPID id, REFIID iid, LCID lcid, WORD flags,
                         DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    DispatchRecord& record = ThreadDispatchRecord();
    const wchar_t* previous = record.hostCallName;
    ++record.hostCallDepth;
    record.hostCallName = name;
    const HRESULT hr = object->Invoke(id, iid, lcid, flags, params, result, exception, argError);
    --record.hostCallDepth;
    record.hostCallName = previous;
    ScheduleDeferredIfIdle();
    return hr;
}

HRESULT HostCallProxy::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO* exception, UINT* argError) {
    AddRef();   // the call may let go of the page's last reference
    const HRESULT hr = InvokeAsHostCall(object_, name_.c_str(), id, iid, lcid, flags, params, result, exception, argError);
    Release();
    return hr;
}

}  // namespace Corvane
