#include "type_info_cache.h"

#include <map>
#include <mutex>

#include "com_ptr.h"

namespace Corvane {

namespace {

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};

std::mutex g_lock;
ITypeLib* g_typeLib = nullptr;
std::map<GUID, ITypeInfo*, GuidLess>* g_infos = nullptr;

}  // namespace

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

HRESULT GetModuleTypeLib(ITypeLib** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_typeLib) {
        wchar_t path[MAX_PATH];
        DWORD n = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return HRESULT_FROM_WIN32(n ? ERROR_INSUFFICIENT_BUFFER : GetLastError());
        HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &g_typeLib);
        if (FAILED(hr)) return hr;
    }
    g_typeLib->AddRef();
    *out = g_typeLib;
    return S_OK;
}

HRESULT GetModuleTypeInfo(REFGUID guid, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        if (g_infos) {
            auto it = g_infos->find(guid);
            if (it != g_infos->end()) {
                it->second->AddRef();
                *out = it->second;
                return S_OK;
            }
        }
    }
    ComPtr<ITypeLib> lib;
    HRESULT hr = GetModuleTypeLib(lib.put());
    if (FAILED(hr)) return hr;
    ComPtr<ITypeInfo> info;
    hr = lib->GetTypeInfoOfGuid(guid, info.put());
    if (FAILED(hr)) return hr;
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_infos) g_infos = new std::map<GUID, ITypeInfo*, GuidLess>();
    auto [it, inserted] = g_infos->emplace(guid, info.get());
    if (inserted) info->AddRef();
    it->second->AddRef();
    *out = it->second;
    return S_OK;
}

void ReleaseModuleTypeLib() {
    std::lock_guard<std::mutex> guard(g_lock);
    if (g_infos) {
        for (auto& [guid, info] : *g_infos) info->Release();
        delete g_infos;
        g_infos = nullptr;
    }
    if (g_typeLib) {
        g_typeLib->Release();
        g_typeLib = nullptr;
    }
}

}  // namespace Corvane
