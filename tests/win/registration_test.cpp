// Self-registration through the real regsvr32: what the project's registrar
// scripts and the type library leave in the registry, and what unregistering
// removes and keeps. The Register suite runs first and leaves the DLL
// registered for the script suites; the Unregister suite runs last.
#include <string>

#include "win_test_support.h"

using namespace CorvaneTest;

namespace {

const std::wstring kCtrl = L"{B8F7F3D4-7E5A-4F5C-8A3B-2C1D4E6F7A8B}";
const std::wstring kLib = L"{B8F7F3D2-7E5A-4F5C-8A3B-2C1D4E6F7A8B}";

struct Class { std::wstring progId, clsid, description; };
const Class kClasses[] = {
    {L"Corvane.CorvaneCtrl", kCtrl, L"Corvane WebView2 Control"},
    {L"Corvane.BrowserPool", L"{B8F7F3D7-7E5A-4F5C-8A3B-2C1D4E6F7A8B}", L"BrowserPool Class"},
    {L"Corvane.Json", L"{B8F7F3DA-7E5A-4F5C-8A3B-2C1D4E6F7A8B}", L"Corvane JSON Engine"},
};

DWORD RunRegsvr32(const std::wstring& options) {
    std::wstring cmd = L"regsvr32.exe " + options + L" \"" + OcxPath() + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return ~0u;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = ~0u;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

bool KeyExists(const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The string value `name` (null: the default value) of key `path` under HKCR.
std::wstring Value(const std::wstring& path, const wchar_t* name = nullptr) {
    wchar_t data[1024];
    DWORD size = sizeof(data), type = 0;
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return type == REG_SZ ? data : L"<not a string>";
}

TEST(Register, Regsvr32Succeeds) { ASSERT_EQ(RunRegsvr32(L"/s"), 0u); }

TEST(Register, EveryKeyAndValueOfTheScripts) {
    const std::wstring module = OcxPath(), ctrl = L"CLSID\\" + kCtrl;
    for (const Class& c : kClasses) {
        SCOPED_TRACE(c.progId);
        const std::wstring v1 = c.progId + L".1", cls = L"CLSID\\" + c.clsid;
        for (const std::wstring& progId : {c.progId, v1}) {
            EXPECT_EQ(Value(progId), c.description);
            EXPECT_EQ(Value(progId + L"\\CLSID"), c.clsid);
        }
        const std::pair<std::wstring, std::wstring> rows[] = {
            {c.progId + L"\\CurVer", v1}, {cls, c.description}, {cls + L"\\ProgID", v1},
            {cls + L"\\VersionIndependentProgID", c.progId}, {cls + L"\\InprocServer32", module},
            {cls + L"\\TypeLib", kLib}};
        for (const auto& [key, value] : rows) EXPECT_EQ(Value(key), value) << key;
        EXPECT_EQ(Value(cls + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
        EXPECT_EQ(KeyExists(cls + L"\\Control"), c.clsid == kCtrl);   // only the control is a control
    }
    const std::pair<std::wstring, std::wstring> rows[] = {
        {ctrl + L"\\Version", L"1.0"}, {ctrl + L"\\MiscStatus", L"0"}, {ctrl + L"\\MiscStatus\\1", L"131473"},
        {ctrl + L"\\ToolboxBitmap32", module + L", 102"}, {L"TypeLib\\" + kLib + L"\\1.0", L"Corvane 1.0 Type Library"},
        {L"TypeLib\\" + kLib + L"\\1.0\\409\\win64", module}};   // the library's own locale
    for (const auto& [key, value] : rows) EXPECT_EQ(Value(key), value) << key;
    for (const wchar_t* key : {L"Programmable", L"Insertable"}) EXPECT_TRUE(KeyExists(ctrl + L"\\" + key)) << key;
    for (const wchar_t* category : {L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}", L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}",
                                    L"{40FC6ED4-2438-11CF-A3DB-080036F12502}", L"{40FC6ED5-2438-11CF-A3DB-080036F12502}"})
        EXPECT_TRUE(KeyExists(ctrl + L"\\Implemented Categories\\" + category)) << category;
}

TEST(Register, RegisteringAgainKeepsTheCallersThreadLocale) {
    // Registration runs in the system default locale and must hand the
    // host's thread back as it found it.
    auto reg = Export<HRESULT(WINAPI*)()>("DllRegisterServer");
    ASSERT_NE(reg, nullptr);
    const LCID saved = GetThreadLocale(), german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    ASSERT_TRUE(SetThreadLocale(german));
    EXPECT_EQ(reg(), S_OK);
    EXPECT_EQ(GetThreadLocale(), german);
    SetThreadLocale(saved);
    EXPECT_EQ(Value(L"CLSID\\" + kCtrl + L"\\MiscStatus\\1"), L"131473");
}

TEST(Unregister, RemovesTheClassesAndKeepsTheSharedParents) {
    ASSERT_EQ(RunRegsvr32(L"/s /u"), 0u);
    for (const Class& c : kClasses)
        for (const std::wstring& gone : {L"CLSID\\" + c.clsid, c.progId, c.progId + L".1"})
            EXPECT_FALSE(KeyExists(gone)) << gone;
    EXPECT_FALSE(KeyExists(L"TypeLib\\" + kLib));
    EXPECT_TRUE(KeyExists(L"CLSID"));
}

}  // namespace
