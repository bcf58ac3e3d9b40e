// The runtime loader against stand-in runtime DLLs: the order of choice
// (variable, platform loader next to the module, the built-in Chromium
// runtime when a browser is found, nothing), delegation of both
// entry points, DLLs that are not runtimes, and the once-per-process choice.
// The loader is compiled into this program, so "next to the module" is next
// to the test executable. Each test starts from a forgotten choice through the
// loader's test reset, which also unloads the stand-in and so resets its record.
#include "win_test_support.h"

#include <cstdint>

#include "runtime/runtime_loader.h"

using namespace Corvane;
using CorvaneTest::CountingUnknown;
using CorvaneTest::ExeFolder;

namespace {

const HRESULT kNotInstalled = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
const HRESULT kNotUsable = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
const HRESULT kFakeCreation = static_cast<HRESULT>(0x8004DEADL);
const wchar_t* const kFakeVersion = L"120.0.0.1-fake";

std::wstring FakePath() { return ExeFolder() + L"corvane_fake_runtime.dll"; }
std::wstring PartialPath() { return ExeFolder() + L"corvane_fake_runtime_partial.dll"; }
std::wstring BesideModule() { return ExeFolder() + kPlatformLoaderName; }

void SetRuntimeVariable(const std::wstring& value) { SetEnvironmentVariableW(kRuntimeVariable, value.c_str()); }

// The loader passes both pointers through untouched; the stand-in logs them.
ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* AsHandler(IUnknown* unknown) {
    return reinterpret_cast<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*>(unknown);
}
std::wstring Address(const void* p) { return std::to_wstring(reinterpret_cast<std::uintptr_t>(p)); }

// The stand-in's log of calls, read through the copy the loader holds.
std::wstring Calls() {
    auto hook = reinterpret_cast<const wchar_t* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(FakePath().c_str()), "CorvaneFakeCalls")));
    return hook ? hook() : L"(not loaded)";
}

class RuntimeLoader : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        ResetRuntimeLoaderForTests();
        SetEnvironmentVariableW(kRuntimeVariable, nullptr);
        // A named browser that is not there: the built-in runtime finds nothing.
        SetEnvironmentVariableW(L"CORVANE_CHROMIUM", L"C:\\no\\such\\browser.exe");
        DeleteFileW(BesideModule().c_str());
        ASSERT_EQ(GetFileAttributesW(BesideModule().c_str()), INVALID_FILE_ATTRIBUTES);
    }
};

TEST_F(RuntimeLoader, DelegatesBothEntryPointsToTheNamedDll) {
    SetRuntimeVariable(FakePath());
    CountingUnknown options, handler;
    // Without a handler creation could never be reported: refused before the runtime.
    EXPECT_EQ(CreateEnvironment(nullptr, L"C:\\data", nullptr, nullptr), E_POINTER);

    std::wstring version = L"stale";
    EXPECT_EQ(GetAvailableBrowserVersion(L"C:\\browser", version), S_OK);
    EXPECT_EQ(version, kFakeVersion);
    EXPECT_EQ(RuntimePath(), FakePath());
    EXPECT_EQ(GetAvailableBrowserVersion(L"", version), S_OK);  // an empty folder is passed as none
    // The platform answers S_OK and no string when nothing is installed.
    EXPECT_EQ(GetAvailableBrowserVersion(L"fake:no-version", version), kNotInstalled);
    EXPECT_EQ(version, L"");
    EXPECT_EQ(CreateEnvironment(L"C:\\browser", L"C:\\data",
                                reinterpret_cast<ICoreWebView2EnvironmentOptions*>(static_cast<IUnknown*>(&options)),
                                AsHandler(&handler)),
              kFakeCreation);
    EXPECT_EQ(CreateEnvironment(L"", L"C:\\data", nullptr, AsHandler(&handler)), kFakeCreation);
    EXPECT_EQ(Calls(), L"version C:\\browser\nversion (null)\nversion fake:no-version\n"
                       L"create C:\\browser C:\\data " + Address(&options) + L" " + Address(&handler) + L"\n"
                       L"create (null) C:\\data 0 " + Address(&handler) + L"\n");
}

TEST_F(RuntimeLoader, OrderOfChoiceAndDllsThatAreNotRuntimes) {
    const HRESULT kOtherFailure = E_FAIL;  // a failure that is not "not installed"
    struct Case { const char* what; std::wstring variable; bool besideModule; HRESULT expected; std::wstring chosen; };
    const Case cases[] = {
        {"nothing found", L"", false, kNotInstalled, L""},
        {"the platform loader next to the module", L"", true, S_OK, BesideModule()},
        {"the variable before the platform loader", PartialPath(), true, kNotUsable, L""},
        {"a named DLL that cannot load is reported, not replaced", ExeFolder() + L"no_such.dll", true, kOtherFailure, L""},
        {"a DLL without either export", L"kernel32.dll", false, kNotUsable, L""},
        {"a DLL without the creation export", PartialPath(), false, kNotUsable, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Clean();
        if (!c.variable.empty()) SetRuntimeVariable(c.variable);
        ASSERT_TRUE(!c.besideModule || CopyFileW(FakePath().c_str(), BesideModule().c_str(), FALSE));
        std::wstring version = L"stale";
        HRESULT hr = GetAvailableBrowserVersion(nullptr, version);
        if (c.expected == kOtherFailure) {
            EXPECT_TRUE(FAILED(hr) && hr != kNotInstalled) << std::hex << hr;
        } else {
            EXPECT_EQ(hr, c.expected);
        }
        EXPECT_EQ(version, SUCCEEDED(hr) ? kFakeVersion : L"");
        EXPECT_EQ(RuntimePath(), c.chosen);
        CountingUnknown handler;
        EXPECT_EQ(CreateEnvironment(nullptr, L"C:\\data", nullptr, AsHandler(&handler)), SUCCEEDED(hr) ? kFakeCreation : hr);
        if (FAILED(hr)) {  // a DLL that is not used is not kept loaded
            EXPECT_EQ(GetModuleHandleW(PartialPath().c_str()), nullptr);
            EXPECT_EQ(GetModuleHandleW(BesideModule().c_str()), nullptr);
        }
    }
}

TEST_F(RuntimeLoader, ChoiceIsKeptForTheProcessAndAFailedSearchIsRepeated) {
    std::wstring version;
    ASSERT_EQ(GetAvailableBrowserVersion(nullptr, version), kNotInstalled);
    SetRuntimeVariable(FakePath());  // installed while running
    ASSERT_EQ(GetAvailableBrowserVersion(nullptr, version), S_OK);
    HMODULE first = GetModuleHandleW(FakePath().c_str());
    ASSERT_NE(first, nullptr);
    SetRuntimeVariable(PartialPath());  // no longer consulted
    EXPECT_EQ(GetAvailableBrowserVersion(nullptr, version), S_OK);
    EXPECT_EQ(GetModuleHandleW(FakePath().c_str()), first);
    EXPECT_EQ(RuntimePath(), FakePath());

    ResetRuntimeLoaderForTests();  // forgets the choice and unloads the stand-in
    EXPECT_EQ(GetModuleHandleW(FakePath().c_str()), nullptr);
    EXPECT_EQ(GetAvailableBrowserVersion(nullptr, version), kNotUsable);
}

TEST_F(RuntimeLoader, BuiltInChromiumRuntimeIsTheThirdChoice) {
    SetEnvironmentVariableW(L"CORVANE_CHROMIUM", L"/usr/bin/chromium");
    std::wstring version;
    ASSERT_EQ(GetAvailableBrowserVersion(nullptr, version), S_OK);
    EXPECT_EQ(version.substr(0, version.find(L'.')).size(), 3u) << version;   // "156.0.8078.129"
    EXPECT_EQ(RuntimePath(), L"(built-in Chromium runtime)");
    // A folder without a browser is not installed, even with the variable set.
    EXPECT_EQ(GetAvailableBrowserVersion(L"C:\\windows", version), kNotInstalled);
    SetRuntimeVariable(FakePath());   // a named runtime DLL still comes first
    EXPECT_EQ(GetAvailableBrowserVersion(nullptr, version), S_OK);
    EXPECT_EQ(version, kFakeVersion);
}

}  // namespace
