// CCorvaneModule: the DLL's module object. It keeps the lock count, the
// object map of the three creatable classes (in registration order) and
// their cached class objects.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <atomic>

namespace Corvane {

struct ObjectMapEntry {
    const CLSID* clsid;
    int registryResource;                       // the class's registrar script
    HRESULT (*createClassObject)(void** out);   // an IUnknown of a new class object
    IUnknown* cachedClassObject;
};

class CCorvaneModule {
public:
    static CCorvaneModule& Instance();

    bool Initialize(HINSTANCE module);
    void Terminate();
    bool IsInitialized() const { return instance_ != nullptr; }
    HINSTANCE Handle() const { return instance_; }

    void Lock() { ++locks_; }
    void Unlock() { --locks_; }
    long LockCount() const { return locks_; }

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out);
    HRESULT RegisterServer();
    HRESULT UnregisterServer();

private:
    HINSTANCE instance_ = nullptr;
    std::atomic<long> locks_{0};
    CRITICAL_SECTION classObjectLock_;
};

}  // namespace Corvane
