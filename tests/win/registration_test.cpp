// Self-registration through the real regsvr32: every key and value of the
// registrar scripts, the type library, and what unregistering removes and
// keeps. The Register suite runs first and leaves the DLL registered for the
// script suites; the Unregister suite runs last.
#include <string>

#include "win_test_support.h"

using namespace CorvaneTest;

namespace {

const std::wstring kCtrl = L"{B8F7F3D4-7E5A-4F5C-8A3B-2C1D4E6F7A8B}";
const std::wstring kPool = L"{B8F7F3D7-7E5A-4F5C-8A3B-2C1D4E6F7A8B}";
const std::wstring kJson = L"{B8F7F3DA-7E5A-4F5C-8A3B-2C1D4E6F7A8B}";
const std::wstring kLib = L"{B8F7F3D2-7E5A-4F5C-8A3B-2C1D4E6F7A8B}";

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

// The string value `name` of key `path` under HKCR; "<missing>" when absent.
std::wstring Value(const std::wstring& path, const wchar_t* name) {
    wchar_t data[1024];
    DWORD size = sizeof(data);
    DWORD type = 0;
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS)
        return L"<missing>";
    if (type != REG_SZ) return L"<not a string>";
    return data;
}

struct ValueRow {
    std::wstring key;
    const wchar_t* name;   // null: the key's default value
    std::wstring expected;
};

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

TEST(Register, Regsvr32Succeeds) { ASSERT_EQ(RunRegsvr32(L"/s"), 0u); }

TEST(Register, EveryKeyAndValueOfTheScripts) {
    const std::wstring module = OcxPath();
    const std::wstring ctrl = L"CLSID\\" + kCtrl;
    const std::vector<ValueRow> rows = {
        {L"Corvane.CorvaneCtrl.1", nullptr, L"Corvane WebView2 Control"},
        {L"Corvane.CorvaneCtrl.1\\CLSID", nullptr, kCtrl},
        {L"Corvane.CorvaneCtrl", nullptr, L"Corvane WebView2 Control"},
        {L"Corvane.CorvaneCtrl\\CLSID", nullptr, kCtrl},
        {L"Corvane.CorvaneCtrl\\CurVer", nullptr, L"Corvane.CorvaneCtrl.1"},
        {ctrl, nullptr, L"Corvane WebView2 Control"},
        {ctrl + L"\\ProgID", nullptr, L"Corvane.CorvaneCtrl.1"},
        {ctrl + L"\\VersionIndependentProgID", nullptr, L"Corvane.CorvaneCtrl"},
        {ctrl + L"\\InprocServer32", nullptr, module},
        {ctrl + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {ctrl + L"\\TypeLib", nullptr, kLib},
        {ctrl + L"\\Version", nullptr, L"1.0"},
        {ctrl + L"\\MiscStatus", nullptr, L"0"},
        {ctrl + L"\\MiscStatus\\1", nullptr, L"131473"},
        {ctrl + L"\\ToolboxBitmap32", nullptr, module + L", 102"},

        {L"Corvane.BrowserPool.1", nullptr, L"BrowserPool Class"},
        {L"Corvane.BrowserPool.1\\CLSID", nullptr, kPool},
        {L"Corvane.BrowserPool", nullptr, L"BrowserPool Class"},
        {L"Corvane.BrowserPool\\CurVer", nullptr, L"Corvane.BrowserPool.1"},
        {L"CLSID\\" + kPool, nullptr, L"BrowserPool Class"},
        {L"CLSID\\" + kPool + L"\\ProgID", nullptr, L"Corvane.BrowserPool.1"},
        {L"CLSID\\" + kPool + L"\\VersionIndependentProgID", nullptr, L"Corvane.BrowserPool"},
        {L"CLSID\\" + kPool + L"\\InprocServer32", nullptr, module},
        {L"CLSID\\" + kPool + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {L"CLSID\\" + kPool + L"\\TypeLib", nullptr, kLib},

        {L"Corvane.Json.1", nullptr, L"Corvane JSON Engine"},
        {L"Corvane.Json.1\\CLSID", nullptr, kJson},
        {L"Corvane.Json", nullptr, L"Corvane JSON Engine"},
        {L"Corvane.Json\\CurVer", nullptr, L"Corvane.Json.1"},
        {L"CLSID\\" + kJson, nullptr, L"Corvane JSON Engine"},
        {L"CLSID\\" + kJson + L"\\ProgID", nullptr, L"Corvane.Json.1"},
        {L"CLSID\\" + kJson + L"\\VersionIndependentProgID", nullptr, L"Corvane.Json"},
        {L"CLSID\\" + kJson + L"\\InprocServer32", nullptr, module},
        {L"CLSID\\" + kJson + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {L"CLSID\\" + kJson + L"\\TypeLib", nullptr, kLib},

        {L"TypeLib\\" + kLib + L"\\1.0", nullptr, L"Corvane 1.0 Type Library"},
        {L"TypeLib\\" + kLib + L"\\1.0\\409\\win64", nullptr, module},   // the library's own locale
    };
    for (const ValueRow& r : rows)
        EXPECT_EQ(Narrow(Value(r.key, r.name)), Narrow(r.expected)) << Narrow(r.key) << " : " << (r.name ? Narrow(r.name) : "(default)");

    for (const wchar_t* marker : {L"Control", L"Programmable", L"Insertable"})
        EXPECT_TRUE(KeyExists(ctrl + L"\\" + marker)) << Narrow(marker);
    for (const wchar_t* category : {L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}", L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}",
                                    L"{40FC6ED4-2438-11CF-A3DB-080036F12502}", L"{40FC6ED5-2438-11CF-A3DB-080036F12502}"})
        EXPECT_TRUE(KeyExists(ctrl + L"\\Implemented Categories\\" + category)) << Narrow(category);
    // Only the control is a control.
    EXPECT_FALSE(KeyExists(L"CLSID\\" + kJson + L"\\Control"));
    EXPECT_FALSE(KeyExists(L"CLSID\\" + kPool + L"\\MiscStatus"));
}

TEST(Register, RegisteredClassesAreCreatableByProgId) {
    for (const wchar_t* progId : {L"Corvane.CorvaneCtrl", L"Corvane.CorvaneCtrl.1", L"Corvane.Json", L"Corvane.Json.1",
                                  L"Corvane.BrowserPool", L"Corvane.BrowserPool.1"}) {
        CLSID clsid;
        ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK) << Narrow(progId);
        IDispatch* object = nullptr;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&object)),
                  S_OK)
            << Narrow(progId);
        if (object) object->Release();
    }
    ITypeLib* lib = nullptr;
    GUID libid;
    CLSIDFromString(kLib.c_str(), &libid);
    ASSERT_EQ(LoadRegTypeLib(libid, 1, 0, 0x409, &lib), S_OK);
    lib->Release();
}

TEST(Register, RegisteringAgainKeepsTheCallersThreadLocale) {
    // Registration runs in the system default locale and must hand the
    // host's thread back as it found it.
    using RegisterFn = HRESULT(WINAPI*)();
    auto reg = Export<RegisterFn>("DllRegisterServer");
    ASSERT_NE(reg, nullptr);
    LCID saved = GetThreadLocale();
    ASSERT_TRUE(SetThreadLocale(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT)));
    EXPECT_EQ(reg(), S_OK);
    EXPECT_EQ(GetThreadLocale(), MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    SetThreadLocale(saved);
    EXPECT_EQ(Value(L"CLSID\\" + kCtrl + L"\\MiscStatus\\1", nullptr), L"131473");
}

TEST(Unregister, RemovesTheClassesAndKeepsTheSharedParents) {
    ASSERT_EQ(RunRegsvr32(L"/s /u"), 0u);
    for (const std::wstring& gone :
         {L"CLSID\\" + kCtrl, L"CLSID\\" + kPool, L"CLSID\\" + kJson, std::wstring(L"Corvane.CorvaneCtrl"),
          std::wstring(L"Corvane.CorvaneCtrl.1"), std::wstring(L"Corvane.Json"), std::wstring(L"Corvane.Json.1"),
          std::wstring(L"Corvane.BrowserPool"), std::wstring(L"Corvane.BrowserPool.1"), L"TypeLib\\" + kLib})
        EXPECT_FALSE(KeyExists(gone)) << Narrow(gone);
    EXPECT_TRUE(KeyExists(L"CLSID"));
    CLSID clsid;
    EXPECT_NE(CLSIDFromProgID(L"Corvane.Json", &clsid), S_OK);
}

}  // namespace
