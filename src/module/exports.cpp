// The DLL's exports: the four COM server entry points and the functions that
// create the three objects without registration.
#include <windows.h>
#include <objbase.h>

#include "corvane_h.h"
#include "manifest_activation.h"
#include "module.h"

using Corvane::CCorvaneModule;

namespace {

// The HRESULT of the last Corvane_CreateBrowserPool, for hosts that only see
// the null pointer.
HRESULT g_lastPoolError = S_OK;

// Creates through the module's own class object: the registry is not consulted.
IDispatch* CreateDirect(REFCLSID clsid, HRESULT* result) {
    IClassFactory* factory = nullptr;
    HRESULT hr = CCorvaneModule::Instance().GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (SUCCEEDED(hr) && !factory) hr = E_NOINTERFACE;
    IDispatch* object = nullptr;
    if (SUCCEEDED(hr)) {
        hr = factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object));
        factory->Release();
        if (FAILED(hr)) object = nullptr;
    }
    if (result) *result = hr;
    return object;
}

IDispatch* CoCreateControl(REFCLSID clsid) {
    IDispatch* object = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        return CCorvaneModule::Instance().Initialize(instance) ? TRUE : FALSE;
    }
    // At process exit (reserved != null) other DLLs may already be gone:
    // releasing COM objects then is unsafe, and the process frees everything.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) CCorvaneModule::Instance().Terminate();
    return TRUE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return CCorvaneModule::Instance().LockCount() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
    return CCorvaneModule::Instance().GetClassObject(clsid, iid, out);
}

extern "C" HRESULT WINAPI DllRegisterServer() { return CCorvaneModule::Instance().RegisterServer(); }
extern "C" HRESULT WINAPI DllUnregisterServer() { return CCorvaneModule::Instance().UnregisterServer(); }

extern "C" IDispatch* WINAPI Corvane_CreateControl() {
    // A host's form machinery creates controls through CoCreateInstance, so the
    // control is created that way too, with the DLL's own manifest active when
    // the host has not activated one.
    Corvane::ActivateOwnManifest();   // not fatal: the registry may still know the class
    if (IDispatch* control = CoCreateControl(CLSID_CorvaneCtrl)) return control;
    Corvane_ResetManifest();
    if (SUCCEEDED(Corvane::ActivateOwnManifest())) {
        if (IDispatch* control = CoCreateControl(CLSID_CorvaneCtrl)) return control;
    }
    CLSID clsid;
    if (SUCCEEDED(CLSIDFromProgID(L"Corvane.CorvaneCtrl", &clsid))) return CoCreateControl(clsid);
    return nullptr;
}

extern "C" IDispatch* WINAPI Corvane_CreateBrowserPool() {
    g_lastPoolError = S_OK;
    HRESULT hr = S_OK;
    IDispatch* pool = CreateDirect(CLSID_BrowserPool, &hr);
    g_lastPoolError = hr;
    return pool;
}

extern "C" HRESULT WINAPI Corvane_GetLastBrowserPoolError() { return g_lastPoolError; }

extern "C" IDispatch* WINAPI Corvane_CreateJson() { return CreateDirect(CLSID_CorvaneJson, nullptr); }
