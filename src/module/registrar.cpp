#include "registrar.h"

#include <new>

namespace Corvane {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

HKEY RootHandle(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users: return HKEY_USERS;
    case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return nullptr;
}

class OpenKey {
public:
    OpenKey() = default;
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

bool IsMissing(LONG status) { return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND; }

LONG DeleteTree(HKEY parent, const std::u16string& name) {
    LONG status = RegDeleteTreeW(parent, Wide(name));
    return IsMissing(status) ? ERROR_SUCCESS : status;
}

LONG SetValue(HKEY key, const wchar_t* name, const RegistryValue& value) {
    if (value.type == RegistryValue::Type::Dword) {
        DWORD number = value.number;
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    }
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                          static_cast<DWORD>((value.text.size() + 1) * sizeof(char16_t)));
}

LONG RegisterKey(HKEY parent, const RegistryKey& key);
LONG UnregisterKey(HKEY parent, const RegistryKey& key);

LONG RegisterContents(HKEY key, const std::vector<NamedValue>& values, const std::vector<RegistryKey>& subkeys) {
    for (const auto& v : values)
        if (LONG status = SetValue(key, Wide(v.name), v.value); status != ERROR_SUCCESS) return status;
    for (const auto& k : subkeys)
        if (LONG status = RegisterKey(key, k); status != ERROR_SUCCESS) return status;
    return ERROR_SUCCESS;
}

LONG UnregisterContents(HKEY key, const std::vector<NamedValue>& values, const std::vector<RegistryKey>& subkeys) {
    for (const auto& v : values)
        if (LONG status = RegDeleteValueW(key, Wide(v.name)); status != ERROR_SUCCESS && !IsMissing(status)) return status;
    for (const auto& k : subkeys)
        if (LONG status = UnregisterKey(key, k); status != ERROR_SUCCESS) return status;
    return ERROR_SUCCESS;
}

LONG RegisterKey(HKEY parent, const RegistryKey& key) {
    if (key.disposition == KeyDisposition::Delete) return DeleteTree(parent, key.name);
    if (key.disposition == KeyDisposition::ForceRemove)
        if (LONG status = DeleteTree(parent, key.name); status != ERROR_SUCCESS) return status;
    OpenKey opened;
    LONG status = RegCreateKeyExW(parent, Wide(key.name), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                  nullptr, opened.Out(), nullptr);
    if (status != ERROR_SUCCESS) return status;
    if (key.defaultValue)
        if (status = SetValue(opened.Get(), nullptr, *key.defaultValue); status != ERROR_SUCCESS) return status;
    return RegisterContents(opened.Get(), key.values, key.subkeys);
}

// A NoRemove key below a key that goes is removed with it: deleting a class
// key has to take all of it, or a half-registered class would remain.
LONG UnregisterKey(HKEY parent, const RegistryKey& key) {
    switch (key.disposition) {
    case KeyDisposition::Delete: return ERROR_SUCCESS;
    case KeyDisposition::Normal:
    case KeyDisposition::ForceRemove: return DeleteTree(parent, key.name);
    case KeyDisposition::NoRemove: break;
    }
    OpenKey opened;
    LONG status = RegOpenKeyExW(parent, Wide(key.name), 0, KEY_READ | KEY_WRITE, opened.Out());
    if (IsMissing(status)) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    return UnregisterContents(opened.Get(), key.values, key.subkeys);
}

void Report(const std::string& message, std::string* error) {
    if (error) *error = message;
    OutputDebugStringA(("Corvane registrar: " + message + "\n").c_str());
}

}  // namespace

HRESULT ApplyRegistrarScript(std::u16string_view script, const ReplacementMap& replacements, bool registerMode,
                             std::string* error) {
    try {
        if (error) error->clear();
        RegistrarScript parsed = ParseRegistrarScript(script, replacements);
        if (!parsed) {
            Report(parsed.error->Describe(), error);
            return DISP_E_EXCEPTION;
        }
        for (const auto& tree : parsed.trees) {
            HKEY root = RootHandle(tree.root);
            LONG status = registerMode ? RegisterContents(root, tree.values, tree.keys)
                                       : UnregisterContents(root, tree.values, tree.keys);
            if (status != ERROR_SUCCESS) {
                Report("registry call failed with error " + std::to_string(status), error);
                return HRESULT_FROM_WIN32(status);
            }
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT RunRegistryResource(HMODULE module, int resourceId, const ReplacementMap& replacements, bool registerMode,
                            std::string* error) {
    auto lastError = [] {
        DWORD code = GetLastError();
        return HRESULT_FROM_WIN32(code ? code : ERROR_RESOURCE_DATA_NOT_FOUND);
    };
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"REGISTRY");
    if (!found) return lastError();
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return lastError();
    try {
        auto text = DecodeRegistrarScript(std::string_view(static_cast<const char*>(data), SizeofResource(module, found)));
        if (!text) {
            Report("REGISTRY resource " + std::to_string(resourceId) + " is neither UTF-8 nor UTF-16 text", error);
            return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
        }
        return ApplyRegistrarScript(*text, replacements, registerMode, error);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace Corvane
