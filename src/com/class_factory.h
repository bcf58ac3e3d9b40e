// The class object of a creatable class. Cached by the module for its whole
// life, so it does not hold the module lock itself; LockServer does.
#pragma once

#include <unknwn.h>

#include "barrier.h"
#include "com_object.h"

namespace Corvane {

template <class T>
class ClassFactory final : public ComObject<ClassFactory<T>, IClassFactory> {
public:
    using Exposed = InterfaceList<IClassFactory>;
    static constexpr bool kAggregatable = false;

    explicit ClassFactory(IUnknown* outer) : ComObject<ClassFactory<T>, IClassFactory>(outer, false) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        return ComBarrier([&] { return CreateComObject<T>(outer, iid, out); });
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) ModuleLock(); else ModuleUnlock();
        return S_OK;
    }
};

}  // namespace Corvane
