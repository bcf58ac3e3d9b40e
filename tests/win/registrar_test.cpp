// The registrar against the real registry, under a scratch key of HKCU:
// registering, registering again, unregistering, failures, and scripts read
// from REGISTRY resources. The parser's rules are checked natively
// (registrar_script_test); the project's scripts through regsvr32
// (registration_test).
#include <gtest/gtest.h>
#include <windows.h>

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

// A value as text: "sz:<text>" (a REG_SZ must be stored with its
// terminator), "dword:<n>", or "<missing>".
std::wstring Read(const std::wstring& sub, const wchar_t* name = nullptr) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Path(sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return L"<missing>";
    wchar_t data[512];
    DWORD type = 0, size = sizeof(data);
    LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return L"<missing>";
    DWORD number = 0;
    if (type == REG_DWORD && size == sizeof(DWORD) && memcpy(&number, data, size)) return L"dword:" + std::to_wstring(number);
    if (type != REG_SZ || size < sizeof(wchar_t) || size % 2 || data[size / 2 - 1]) return L"<not a terminated string>";
    return L"sz:" + std::wstring(data, size / 2 - 1);
}

// A key other software made, with a string value when `text` is given.
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
std::u16string InScratch(const std::u16string& body) {
    return u"HKCU { NoRemove Software { NoRemove CorvaneRegistrarTest {\n" + body + u"\n} } }";
}

class Registrar : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kScratch); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kScratch); }

    HRESULT Apply(const std::u16string& body, bool registerMode, const ReplacementMap& vars = {}) {
        std::string error;
        HRESULT hr = ApplyRegistrarScript(InScratch(body), vars, registerMode, &error);
        EXPECT_EQ(SUCCEEDED(hr), error.empty()) << error;
        return hr;
    }
};

// One script through its life: registered, registered again over what
// other software added, unregistered, and unregistered when already gone.
TEST_F(Registrar, RegistersAgainAndUnregistersBesideOtherSoftware) {
    const std::wstring cls = L"CLSID\\{11111111-2222-3333-4444-555555555555}";
    const std::u16string script = uR"(
        NoRemove CLSID
        {
            ForceRemove {11111111-2222-3333-4444-555555555555} = s '%MODULE%, 102'
            {
                val Count = d '&H10'
                NoRemove 'Implemented Categories' { {7DD95801-9882-11CF-9FA9-00AA006C42C4} }
            }
        }
        'Prog Id' = s 'caf)" u"\u00E9" uR"(' { Version = s '%MODULE%' { val V = s '%MODULE%' } }
        NoRemove Shared { val Mine = s '' Kept = s 'y' }
        Delete Obsolete)";
    const ReplacementMap first{{u"MODULE", u"1"}}, second{{u"MODULE", u"2"}};
    ASSERT_EQ(Apply(script, true, first), S_OK);
    EXPECT_EQ(Read(cls), L"sz:1, 102");
    EXPECT_EQ(Read(cls, L"Count"), L"dword:16");
    const std::wstring category = cls + L"\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
    EXPECT_TRUE(KeyExists(category));
    EXPECT_EQ(Read(category), L"<missing>");  // no default value where the script gives none
    EXPECT_EQ(Read(L"Prog Id"), L"sz:caf\u00E9");
    EXPECT_EQ(Read(L"Shared", L"Mine"), L"sz:");
    EXPECT_EQ(Read(L"Shared\\Kept"), L"sz:y");

    // Things other software put beside and below ours.
    CreateKey(L"CLSID\\{OtherClass}");
    CreateKey(cls, L"Stale", L"s");
    CreateKey(cls + L"\\StaleKey");
    CreateKey(L"Prog Id\\AddedLater");
    CreateKey(L"Shared", L"Foreign", L"keep me");
    CreateKey(L"Obsolete\\Child", L"v", L"x");
    ASSERT_EQ(Apply(script, true, second), S_OK);
    EXPECT_EQ(Read(cls), L"sz:2, 102");
    EXPECT_EQ(Read(cls, L"Stale"), L"<missing>");
    EXPECT_FALSE(KeyExists(cls + L"\\StaleKey"));
    EXPECT_EQ(Read(L"Prog Id\\Version", L"V"), L"sz:2");
    EXPECT_TRUE(KeyExists(L"Prog Id\\AddedLater"));  // only ForceRemove empties a key
    EXPECT_FALSE(KeyExists(L"Obsolete"));

    CreateKey(L"Obsolete", L"v", L"keep me");
    ASSERT_EQ(Apply(script, false, second), S_OK);
    EXPECT_TRUE(KeyExists(L"CLSID\\{OtherClass}"));
    EXPECT_FALSE(KeyExists(cls));  // the whole class key, its NoRemove child included
    EXPECT_FALSE(KeyExists(L"Prog Id"));
    EXPECT_EQ(Read(L"Shared", L"Mine"), L"<missing>");
    EXPECT_FALSE(KeyExists(L"Shared\\Kept"));
    EXPECT_EQ(Read(L"Shared", L"Foreign"), L"sz:keep me");
    EXPECT_EQ(Read(L"Obsolete", L"v"), L"sz:keep me");  // Delete acts on register only

    // Unregistering what is not there is no error, down to a missing NoRemove parent.
    EXPECT_EQ(Apply(script, false, second), S_OK);
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
    EXPECT_EQ(Apply(script, false, second), S_OK);
    EXPECT_FALSE(KeyExists(L""));
}

TEST_F(Registrar, FailuresStopWhereTheyHappen) {
    // A script that does not parse writes nothing, not even its good first tree.
    std::string error;
    std::u16string script = InScratch(u"First = s 'x'") + u"\nHKCU { Second = s '%NOT_GIVEN%' }";
    EXPECT_EQ(ApplyRegistrarScript(script, {}, true, &error), DISP_E_EXCEPTION);
    EXPECT_EQ(error, "line 4, column 20: unknown replacement variable %NOT_GIVEN%");
    EXPECT_FALSE(KeyExists(L""));

    // The first failing registry call (names are limited to 255 characters) stops and is returned.
    HRESULT hr = Apply(u"Before = s 'b' '" + std::u16string(300, u'x') + u"' After = s 'a'", true);
    EXPECT_EQ(HRESULT_FACILITY(hr), FACILITY_WIN32) << std::hex << hr;
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(Read(L"Before"), L"sz:b");
    EXPECT_FALSE(KeyExists(L"After"));
}

// The decoding is checked natively, and resources that register and
// unregister through regsvr32; here what a resource that cannot run answers.
TEST_F(Registrar, RegistryResourcesThatCannotRun) {
    // A REGISTRY resource in Latin-1, not UTF-8, written into a copy of this executable.
    wchar_t self[MAX_PATH], dir[MAX_PATH];
    ASSERT_TRUE(GetModuleFileNameW(nullptr, self, MAX_PATH));
    ASSERT_TRUE(GetTempPathW(MAX_PATH, dir));
    const std::wstring copy = std::wstring(dir) + L"corvane_registrar_res_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
    ASSERT_TRUE(update);
    char latin1[] = "HKCU { '\xE9' }";
    ASSERT_TRUE(UpdateResourceW(update, L"REGISTRY", MAKEINTRESOURCEW(3), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), latin1,
                                sizeof latin1 - 1));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
    HMODULE module = LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module);
    EXPECT_EQ(RunRegistryResource(module, 3, {}, true), HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(RunRegistryResource(module, 99, {}, true), HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
    FreeLibrary(module);
    DeleteFileW(copy.c_str());
}

}  // namespace
