// IDispatch for a dual interface through the module's type library:
// ITypeInfo::Invoke calls the vtable, so names, dispatch ids, optional
// arguments and coercion behave exactly as the library declares them.
#pragma once

#include <oaidl.h>

#include "com_ptr.h"
#include "type_info_cache.h"

namespace Corvane {

// Script hosts resolve a member's name before every late-bound call, so the
// names of an interface are looked up in a table of their own, built once
// from its type info; anything else (named arguments, unknown names) goes to
// the type info itself.
class DispatchNames {
public:
    explicit DispatchNames(ITypeInfo* info);
    // DISPID_UNKNOWN when the name is not a member.
    DISPID Find(const OLECHAR* name) const;

private:
    struct Entry;
    std::size_t count_ = 0;
    Entry* entries_ = nullptr;   // sorted by folded name; lives as long as the module
};

// A property of another object read by name, as late-bound macro code reads
// it (host object models: forms, frames, tab containers).
HRESULT GetPropertyByName(IDispatch* object, const wchar_t* name, VARIANT* value);

// The type info and name table of interface I, resolved once. They live
// until the module is unloaded, which cannot happen while an object exists.
template <class I>
struct DispatchTables {
    ITypeInfo* info = nullptr;
    const DispatchNames* names = nullptr;
    static const DispatchTables* Get() {
        static const DispatchTables tables = [] {
            DispatchTables t;
            if (SUCCEEDED(GetModuleTypeInfo(__uuidof(I), &t.info))) {
                t.names = new DispatchNames(t.info);
                t.info->Release();   // the module's cache keeps it alive
            }
            return t;
        }();
        return tables.info ? &tables : nullptr;
    }
};

// `Base` is the interface itself or a class implementing it (for example one
// whose members answer E_NOTIMPL until they are written).
template <class I, class Base = I>
class DispatchImpl : public Base {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return GetModuleTypeInfo(__uuidof(I), out);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (!names || !ids) return E_POINTER;
        const DispatchTables<I>* tables = DispatchTables<I>::Get();
        if (!tables) return E_UNEXPECTED;
        if (count == 1 && names[0]) {
            DISPID id = tables->names->Find(names[0]);
            if (id != DISPID_UNKNOWN) {
                ids[0] = id;
                return S_OK;
            }
        }
        return tables->info->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        const DispatchTables<I>* tables = DispatchTables<I>::Get();
        if (!tables) return E_UNEXPECTED;
        return tables->info->Invoke(static_cast<I*>(this), id, flags, params, result, excep, argErr);
    }
};

}  // namespace Corvane
