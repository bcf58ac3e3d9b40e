// The registrar against the real registry: registering, unregistering and
// re-registering under a scratch key of HKCU, scripts read from REGISTRY
// resources, and the project's own scripts with HKCR redirected to scratch.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "module/registrar.h"

using namespace Corvane;

namespace {

constexpr const wchar_t* kScratch = L"Software\\CorvaneRegistrarTest";

std::wstring Path(const std::wstring& sub) { return sub.empty() ? kScratch : std::wstring(kScratch) + L"\\" + sub; }

bool KeyExists(const std::wstring& sub) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Path(sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The value's type and bytes, or nothing when the key or value is missing.
std::optional<std::pair<DWORD, std::string>> Query(const std::wstring& sub, const wchar_t* name) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Path(sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    std::optional<std::pair<DWORD, std::string>> result;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::string bytes(size, '\0');
        if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) == ERROR_SUCCESS)
            result.emplace(type, bytes.substr(0, size));
    }
    RegCloseKey(key);
    return result;
}

std::optional<std::wstring> String(const std::wstring& sub, const wchar_t* name = nullptr) {
    auto v = Query(sub, name);
    if (!v || v->first != REG_SZ || v->second.size() % 2) return std::nullopt;
    std::wstring s(reinterpret_cast<const wchar_t*>(v->second.data()), v->second.size() / 2);
    if (s.empty() || s.back() != L'\0') return std::nullopt;  // REG_SZ written with its terminator
    s.pop_back();
    return s;
}

std::optional<DWORD> Dword(const std::wstring& sub, const wchar_t* name = nullptr) {
    auto v = Query(sub, name);
    if (!v || v->first != REG_DWORD || v->second.size() != sizeof(DWORD)) return std::nullopt;
    DWORD d;
    memcpy(&d, v->second.data(), sizeof d);
    return d;
}

void CreateKey(const std::wstring& sub, const wchar_t* valueName = nullptr, const wchar_t* text = nullptr) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Path(sub).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (text)
        RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// The body sits inside NoRemove parents so that no mistake can reach beyond
// the scratch key.
std::u16string InScratch(std::u16string_view body) {
    return u"HKCU { NoRemove Software { NoRemove CorvaneRegistrarTest {\n" + std::u16string(body) + u"\n} } }";
}

class Registrar : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kScratch); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kScratch); }

    HRESULT Apply(std::u16string_view body, bool registerMode, const ReplacementMap& vars = {}) {
        std::string error;
        HRESULT hr = ApplyRegistrarScript(InScratch(body), vars, registerMode, &error);
        EXPECT_EQ(SUCCEEDED(hr), error.empty()) << error;
        return hr;
    }
};

TEST_F(Registrar, RegistersKeysAndValues) {
    const ReplacementMap vars{{u"MODULE", u"C:\\O'Neil\\Corvane_x64.ocx"}};
    ASSERT_EQ(Apply(uR"(
        App = s 'Application'
        {
            val Count = d '&H10'
            val Path = s '%MODULE%, 102'
            Sub { Leaf = d '7' }
        }
        'Two words' = s 'caf)" u"\u00E9" uR"('
        NoRemove Shared { Mine = s '' })",
                    true, vars),
              S_OK);
    EXPECT_EQ(String(L"App"), L"Application");
    EXPECT_EQ(Dword(L"App", L"Count"), 16u);
    EXPECT_EQ(String(L"App", L"Path"), L"C:\\O'Neil\\Corvane_x64.ocx, 102");
    EXPECT_TRUE(KeyExists(L"App\\Sub"));
    EXPECT_FALSE(Query(L"App\\Sub", nullptr));  // no default value where the script gives none
    EXPECT_EQ(Dword(L"App\\Sub\\Leaf"), 7u);
    EXPECT_EQ(String(L"Two words"), L"caf\u00E9");
    EXPECT_EQ(String(L"Shared\\Mine"), L"");
}

TEST_F(Registrar, UnregisterKeepsNoRemoveKeysAndRemovesTheRest) {
    const std::u16string_view script = uR"(
        NoRemove CLSID
        {
            ForceRemove {11111111-2222-3333-4444-555555555555} = s 'Class'
            {
                InprocServer32 = s 'x.dll' { val ThreadingModel = s 'Apartment' }
                NoRemove 'Implemented Categories' { {7DD95801-9882-11CF-9FA9-00AA006C42C4} }
            }
        }
        Prog.Id = s 'Class' { CLSID = s '{11111111-2222-3333-4444-555555555555}' }
        NoRemove Shared { val Mine = s 'x' Kept = s 'y' }
        Delete NotOurs)";
    ASSERT_EQ(Apply(script, true), S_OK);
    const std::wstring cls = L"CLSID\\{11111111-2222-3333-4444-555555555555}";
    ASSERT_TRUE(KeyExists(cls + L"\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}"));
    // Things other software put beside and below ours.
    CreateKey(L"CLSID\\{OtherClass}");
    CreateKey(L"Prog.Id\\AddedLater");
    CreateKey(L"Shared", L"Foreign", L"keep me");
    CreateKey(L"NotOurs", L"v", L"keep me");

    ASSERT_EQ(Apply(script, false), S_OK);
    EXPECT_TRUE(KeyExists(L"CLSID"));
    EXPECT_TRUE(KeyExists(L"CLSID\\{OtherClass}"));
    EXPECT_FALSE(KeyExists(cls));  // the whole class key, its NoRemove child included
    EXPECT_FALSE(KeyExists(L"Prog.Id"));
    EXPECT_TRUE(KeyExists(L"Shared"));
    EXPECT_FALSE(String(L"Shared", L"Mine"));
    EXPECT_FALSE(KeyExists(L"Shared\\Kept"));
    EXPECT_EQ(String(L"Shared", L"Foreign"), L"keep me");
    EXPECT_EQ(String(L"NotOurs", L"v"), L"keep me");  // Delete acts on register only

    // Unregistering what is not there is no error, down to a missing NoRemove parent.
    EXPECT_EQ(Apply(script, false), S_OK);
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
    EXPECT_EQ(Apply(script, false), S_OK);
    EXPECT_FALSE(KeyExists(L""));
}

TEST_F(Registrar, ReregistersOverExistingKeys) {
    const std::u16string_view script = uR"(
        ForceRemove Forced = s '%VER%' { Fresh = s 'f' val V = d '%VER%' }
        Normal = s '%VER%' { val V = s '%VER%' }
        Delete Obsolete)";
    ASSERT_EQ(Apply(script, true, {{u"VER", u"1"}}), S_OK);
    CreateKey(L"Forced", L"Stale", L"s");
    CreateKey(L"Forced\\StaleKey");
    CreateKey(L"Normal\\Extra");
    CreateKey(L"Obsolete\\Child", L"v", L"x");

    ASSERT_EQ(Apply(script, true, {{u"VER", u"2"}}), S_OK);
    EXPECT_EQ(String(L"Forced"), L"2");
    EXPECT_EQ(Dword(L"Forced", L"V"), 2u);
    EXPECT_EQ(String(L"Forced\\Fresh"), L"f");
    EXPECT_FALSE(String(L"Forced", L"Stale"));
    EXPECT_FALSE(KeyExists(L"Forced\\StaleKey"));
    EXPECT_EQ(String(L"Normal"), L"2");
    EXPECT_EQ(String(L"Normal", L"V"), L"2");
    EXPECT_TRUE(KeyExists(L"Normal\\Extra"));  // only ForceRemove empties a key
    EXPECT_FALSE(KeyExists(L"Obsolete"));
}

TEST_F(Registrar, BadScriptWritesNothing) {
    std::string error;
    std::u16string script = InScratch(u"First = s 'x'") + u"\nHKCU { Second = s '%NOT_GIVEN%' }";
    EXPECT_EQ(ApplyRegistrarScript(script, {}, true, &error), DISP_E_EXCEPTION);
    EXPECT_EQ(error, "line 4, column 20: unknown replacement variable %NOT_GIVEN%");
    EXPECT_FALSE(KeyExists(L""));
}

TEST_F(Registrar, FirstFailingCallStopsAndIsReturned) {
    // Registry key names are limited to 255 characters.
    std::u16string tooLong(300, u'x');
    HRESULT hr = Apply(u"Before = s 'b' '" + tooLong + u"' After = s 'a'", true);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(HRESULT_FACILITY(hr), FACILITY_WIN32) << std::hex << hr;
    EXPECT_EQ(String(L"Before"), L"b");
    EXPECT_FALSE(KeyExists(L"After"));
}

// REGISTRY resources written into a copy of this executable.
class RegistrarResources : public Registrar {
protected:
    void SetUp() override {
        Registrar::SetUp();
        wchar_t self[MAX_PATH], dir[MAX_PATH];
        ASSERT_TRUE(GetModuleFileNameW(nullptr, self, MAX_PATH));
        ASSERT_TRUE(GetTempPathW(MAX_PATH, dir));
        copy_ = std::wstring(dir) + L"corvane_registrar_res_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
        ASSERT_TRUE(CopyFileW(self, copy_.c_str(), FALSE));
        HANDLE update = BeginUpdateResourceW(copy_.c_str(), FALSE);
        ASSERT_TRUE(update);
        auto add = [&](int id, const std::string& bytes) {
            EXPECT_TRUE(UpdateResourceW(update, L"REGISTRY", MAKEINTRESOURCEW(id), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                        const_cast<char*>(bytes.data()), static_cast<DWORD>(bytes.size())));
        };
        const std::u16string utf16 = InScratch(u"FromUtf16 = s '\u00E9\u4E2D'");
        add(1, InScratchUtf8("FromUtf8 = s 'caf\xC3\xA9 %MODULE%'"));
        add(2, "\xEF\xBB\xBF" + InScratchUtf8("FromUtf8Bom = d '5'"));
        add(3, "\xFF\xFE" + std::string(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2));
        add(4, "HKCU { '\xE9' }");  // Latin-1, not UTF-8
        add(5, InScratchUtf8("Broken = s"));
        ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
        module_ = LoadLibraryExW(copy_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module_);
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
        if (!copy_.empty()) DeleteFileW(copy_.c_str());
        Registrar::TearDown();
    }

    static std::string InScratchUtf8(const std::string& body) {
        return "HKCU { NoRemove Software { NoRemove CorvaneRegistrarTest { " + body + " } } }";
    }

    std::wstring copy_;
    HMODULE module_ = nullptr;
};

TEST_F(RegistrarResources, DecodesAndApplies) {
    const ReplacementMap vars{{u"MODULE", u"m.ocx"}};
    EXPECT_EQ(RunRegistryResource(module_, 1, vars, true), S_OK);
    EXPECT_EQ(String(L"FromUtf8"), L"caf\u00E9 m.ocx");
    EXPECT_EQ(RunRegistryResource(module_, 2, vars, true), S_OK);
    EXPECT_EQ(Dword(L"FromUtf8Bom"), 5u);
    EXPECT_EQ(RunRegistryResource(module_, 3, vars, true), S_OK);
    EXPECT_EQ(String(L"FromUtf16"), L"\u00E9\u4E2D");

    EXPECT_EQ(RunRegistryResource(module_, 4, vars, true), HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION));
    std::string error;
    EXPECT_EQ(RunRegistryResource(module_, 5, vars, true, &error), DISP_E_EXCEPTION);
    EXPECT_NE(error.find("expected a quoted value"), std::string::npos) << error;
    EXPECT_EQ(RunRegistryResource(module_, 99, vars, true), HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));

    EXPECT_EQ(RunRegistryResource(module_, 1, vars, false), S_OK);
    EXPECT_FALSE(KeyExists(L"FromUtf8"));
    EXPECT_TRUE(KeyExists(L"FromUtf16"));
}

// The project's scripts, with HKCR redirected so the real class registrations
// of this prefix are never touched.
class RegistrarProjectScripts : public Registrar {
protected:
    void SetUp() override {
        Registrar::SetUp();
        const char* dir = std::getenv("CORVANE_SOURCE_DIR");
        if (!dir || !*dir) GTEST_SKIP() << "CORVANE_SOURCE_DIR is not set";
        dir_ = dir;
        if (dir_[0] == '/') dir_ = "Z:" + dir_;
        CreateKey(L"Classes");
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Path(L"Classes").c_str(), 0, KEY_ALL_ACCESS, &classes_), ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_), ERROR_SUCCESS);
        overridden_ = true;
    }
    void TearDown() override {
        if (overridden_) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        if (classes_) RegCloseKey(classes_);
        Registrar::TearDown();
    }

    HRESULT Run(const char* file, bool registerMode) {
        std::ifstream in(dir_ + "/src/idl/" + file, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        auto text = DecodeRegistrarScript(bytes.str());
        EXPECT_TRUE(in && text) << file;
        std::string error;
        HRESULT hr = ApplyRegistrarScript(text ? *text : u"", vars_, registerMode, &error);
        EXPECT_EQ(hr, S_OK) << file << ": " << error;
        return hr;
    }

    std::string dir_;
    HKEY classes_ = nullptr;
    bool overridden_ = false;
    const ReplacementMap vars_{{u"MODULE", u"C:\\Corvane\\Corvane_x64.ocx"},
                               {u"APPID", u"{B8F7F3D2-7E5A-4F5C-8A3B-2C1D4E6F7A8B}"}};
};

TEST_F(RegistrarProjectScripts, RegisterAndUnregister) {
    const char* files[] = {"module.rgs", "control.rgs", "json.rgs", "pool.rgs"};
    for (const char* f : files) ASSERT_EQ(Run(f, true), S_OK);

    const std::wstring ctrl = L"Classes\\CLSID\\{B8F7F3D4-7E5A-4F5C-8A3B-2C1D4E6F7A8B}";
    EXPECT_EQ(String(ctrl + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(String(ctrl + L"\\MiscStatus\\1"), L"131473");
    EXPECT_TRUE(KeyExists(ctrl + L"\\Implemented Categories\\{40FC6ED5-2438-11CF-A3DB-080036F12502}"));
    EXPECT_EQ(String(L"Classes\\Corvane.Json.1\\CLSID"), L"{B8F7F3DA-7E5A-4F5C-8A3B-2C1D4E6F7A8B}");
    EXPECT_FALSE(KeyExists(L"CLSID"));  // nothing escaped the redirection

    for (const char* f : files) ASSERT_EQ(Run(f, false), S_OK);
    EXPECT_TRUE(KeyExists(L"Classes\\CLSID"));
    EXPECT_FALSE(KeyExists(ctrl));
    for (const wchar_t* gone : {L"Classes\\Corvane.CorvaneCtrl", L"Classes\\Corvane.CorvaneCtrl.1", L"Classes\\Corvane.Json",
                                L"Classes\\Corvane.BrowserPool.1",
                                L"Classes\\CLSID\\{B8F7F3DA-7E5A-4F5C-8A3B-2C1D4E6F7A8B}",
                                L"Classes\\CLSID\\{B8F7F3D7-7E5A-4F5C-8A3B-2C1D4E6F7A8B}"})
        EXPECT_FALSE(KeyExists(gone)) << testing::PrintToString(std::wstring(gone));
}

}  // namespace
