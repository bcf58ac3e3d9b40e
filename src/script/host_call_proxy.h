// The object a page reaches through chrome.webview.hostObjects: it wraps the
// host's IDispatch under its registered name and keeps the thread's dispatch
// record up to date, so blocking calls made inside a page-to-host call are
// refused with that name, and deferred events wait until the call returns.
#pragma once

#include <oaidl.h>

#include <atomic>
#include <string>

namespace Corvane {

// Calls `object` as a page-to-host call named `name`: the thread's dispatch
// record says so while it runs, and deferred events may run once it is over.
HRESULT InvokeAsHostCall(IDispatch* object, const wchar_t* name, DISPID id, REFIID iid, LCID lcid, WORD flags,
                         DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* argError);

class HostCallProxy final : public IDispatch {
public:
    // Null when `object` is null or memory runs out; one reference otherwise.
    static HostCallProxy* Create(IDispatch* object, std::u16string_view name);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

private:
    HostCallProxy(IDispatch* object, std::u16string_view name);
    ~HostCallProxy();

    std::atomic<ULONG> refs_{1};
    IDispatch* object_;
    std::wstring name_;
};

}  // namespace Corvane
