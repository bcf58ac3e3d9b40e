#include "module.h"

#include <string>

#include "class_factory.h"
#include "com_ptr.h"
#include "corvane_h.h"
#include "registrar.h"
#include "type_info_cache.h"
#include "../control/corvane_ctrl.h"
#include "../json/cvn_json_com.h"
#include "../pool/browser_pool.h"

namespace Corvane {

void ModuleLock() { CCorvaneModule::Instance().Lock(); }
void ModuleUnlock() { CCorvaneModule::Instance().Unlock(); }
long ModuleLockCount() { return CCorvaneModule::Instance().LockCount(); }

namespace {

template <class T>
HRESULT CreateClassObjectOf(void** out) {
    return CreateComObject<ClassFactory<T>>(nullptr, IID_IUnknown, out);
}

// Registration walks this in order.
ObjectMapEntry g_objectMap[] = {
    {&CLSID_CorvaneCtrl, 102, &CreateClassObjectOf<CCorvaneCtrl>, nullptr},
    {&CLSID_CorvaneJson, 104, &CreateClassObjectOf<CCVNJsonCOM>, nullptr},
    {&CLSID_BrowserPool, 103, &CreateClassObjectOf<CBrowserPoolObj>, nullptr},
};

constexpr wchar_t kLibId[] = L"{B8F7F3D2-7E5A-4F5C-8A3B-2C1D4E6F7A8B}";

std::wstring ModulePath(HINSTANCE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The replacement variables of the registrar scripts, for one entry (or the
// module script when `entry` is null).
ReplacementMap ScriptVariables(const std::wstring& modulePath, const ObjectMapEntry* entry) {
    ReplacementMap vars{{u"MODULE", std::u16string(modulePath.begin(), modulePath.end())},
                        {u"APPID", std::u16string(kLibId, kLibId + wcslen(kLibId))}};
    if (entry && entry->registryResource == 102) vars[u"OLEMISC"] = u"131473";
    return vars;
}

// Registration runs in the system default locale, whatever the host's
// thread uses, and puts the thread's locale back on every exit.
class SystemLocaleScope {
public:
    SystemLocaleScope() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocaleScope() { SetThreadLocale(saved_); }
private:
    LCID saved_;
};

}  // namespace

CCorvaneModule& CCorvaneModule::Instance() {
    static CCorvaneModule module;
    return module;
}

bool CCorvaneModule::Initialize(HINSTANCE module) {
    InitializeCriticalSection(&classObjectLock_);
    instance_ = module;
    return true;
}

void CCorvaneModule::Terminate() {
    if (!instance_) return;
    for (ObjectMapEntry& e : g_objectMap) {
        if (IUnknown* cached = e.cachedClassObject) {
            e.cachedClassObject = nullptr;
            cached->Release();
        }
    }
    ReleaseModuleTypeLib();
    DeleteCriticalSection(&classObjectLock_);
    instance_ = nullptr;
}

HRESULT CCorvaneModule::GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!instance_) return E_UNEXPECTED;
    for (ObjectMapEntry& e : g_objectMap) {
        if (memcmp(e.clsid, &clsid, sizeof(CLSID)) != 0) continue;
        if (!e.cachedClassObject) {
            // Double-checked: later requests read the cache without the lock.
            EnterCriticalSection(&classObjectLock_);
            if (!e.cachedClassObject) {
                void* created = nullptr;
                if (SUCCEEDED(e.createClassObject(&created))) e.cachedClassObject = static_cast<IUnknown*>(created);
            }
            LeaveCriticalSection(&classObjectLock_);
        }
        if (!e.cachedClassObject) return CLASS_E_CLASSNOTAVAILABLE;
        HRESULT hr = e.cachedClassObject->QueryInterface(iid, out);
        if (SUCCEEDED(hr) && !*out) return CLASS_E_CLASSNOTAVAILABLE;
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CCorvaneModule::RegisterServer() {
    SystemLocaleScope locale;
    std::wstring path = ModulePath(instance_);
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    HRESULT hr = RunRegistryResource(instance_, 101, ScriptVariables(path, nullptr), true);
    if (FAILED(hr)) return hr;
    for (const ObjectMapEntry& e : g_objectMap) {
        hr = RunRegistryResource(instance_, e.registryResource, ScriptVariables(path, &e), true);
        if (FAILED(hr)) return hr;
    }
    ComPtr<ITypeLib> lib;
    hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.put());
    if (FAILED(hr)) return hr;
    std::wstring helpDir = path.substr(0, path.find_last_of(L'\\') + 1);
    return RegisterTypeLib(lib.get(), path.data(), helpDir.empty() ? nullptr : helpDir.data());
}

HRESULT CCorvaneModule::UnregisterServer() {
    SystemLocaleScope locale;
    std::wstring path = ModulePath(instance_);
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    HRESULT hr;
    for (const ObjectMapEntry& e : g_objectMap) {
        hr = RunRegistryResource(instance_, e.registryResource, ScriptVariables(path, &e), false);
        if (FAILED(hr)) return hr;
    }
    ComPtr<ITypeLib> lib;
    hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.put());
    if (FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    hr = lib->GetLibAttr(&attr);
    if (FAILED(hr)) return hr;
    hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
    lib->ReleaseTLibAttr(attr);
    if (FAILED(hr)) return hr;
    return RunRegistryResource(instance_, 101, ScriptVariables(path, nullptr), false);
}

}  // namespace Corvane
