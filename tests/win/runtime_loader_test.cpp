// The runtime loader against stand-in runtime DLLs: the order of choice
// (variable, platform loader next to the module, the built-in Chromium
// runtime when a browser is found, nothing), delegation of both
// entry points, DLLs that are not runtimes, and the once-per-process choice.
// The loader is compiled into this program, so "next to the module" is next
// to the test executable. Each test starts from a forgotten choice through the
// loader's test reset, which also unloads the stand-in and so resets its record.
#include "win_test_support.h"

#include "runtime/runtime_loader.h"

using namespace Corvane;
using CorvaneTest::CountingUnknown;
using CorvaneTest::ExeFolder;

namespace Corvane {
// The built-in runtime compiled in here holds no module lock.
void ModuleLock() {}
void ModuleUnlock() {}
long ModuleLockCount() { return 0; }
}  // namespace Corvane

namespace {

// The loader passes both pointers through untouched; stand-ins count calls.
ICoreWebView2EnvironmentOptions* AsOptions(IUnknown* unknown) {
    return reinterpret_cast<ICoreWebView2EnvironmentOptions*>(unknown);
}
ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* AsHandler(IUnknown* unknown) {
    return reinterpret_cast<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*>(unknown);
}

}  // namespace

namespace {

const HRESULT kNotInstalled = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
const HRESULT kNotUsable = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
const HRESULT kFakeCreation = static_cast<HRESULT>(0x8004DEADL);

std::wstring FakePath() { return ExeFolder() + L"corvane_fake_runtime.dll"; }
std::wstring PartialPath() { return ExeFolder() + L"corvane_fake_runtime_partial.dll"; }
std::wstring BesideModule() { return ExeFolder() + kPlatformLoaderName; }

void SetRuntimeVariable(const std::wstring& value) { SetEnvironmentVariableW(kRuntimeVariable, value.c_str()); }

// The stand-in's record, read through the copy the loader holds (no reference of our own).
struct Creation {
    std::wstring browserFolder, userDataFolder;
    IUnknown* options = nullptr;
    IUnknown* handler = nullptr;
};
Creation LastCreation(const std::wstring& dll) {
    HMODULE module = GetModuleHandleW(dll.c_str());
    auto hook = reinterpret_cast<void (*)(const wchar_t**, const wchar_t**, IUnknown**, IUnknown**)>(
        reinterpret_cast<void*>(GetProcAddress(module, "CorvaneFakeLastCreation")));
    Creation c;
    if (!hook) return c;
    const wchar_t *browser, *data;
    hook(&browser, &data, &c.options, &c.handler);
    c.browserFolder = browser;
    c.userDataFolder = data;
    return c;
}
std::wstring LastVersionFolder(const std::wstring& dll) {
    auto hook = reinterpret_cast<const wchar_t* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(dll.c_str()), "CorvaneFakeLastVersionFolder")));
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

}  // namespace

// --- Delegation to the DLL named by the variable ---

TEST_F(RuntimeLoader, VersionComesFromTheNamedDll) {
    SetRuntimeVariable(FakePath());
    std::wstring version = L"stale";
    EXPECT_EQ(GetAvailableBrowserVersion(L"C:\\browser", version), S_OK);
    EXPECT_EQ(version, L"120.0.0.1-fake");
    EXPECT_EQ(LastVersionFolder(FakePath()), L"C:\\browser");
    EXPECT_EQ(RuntimePath(), FakePath());
}

TEST_F(RuntimeLoader, EmptyBrowserFolderIsPassedAsNone) {
    SetRuntimeVariable(FakePath());
    std::wstring version;
    EXPECT_EQ(GetAvailableBrowserVersion(L"", version), S_OK);
    EXPECT_EQ(LastVersionFolder(FakePath()), L"(null)");
    EXPECT_EQ(GetAvailableBrowserVersion(nullptr, version), S_OK);
    EXPECT_EQ(LastVersionFolder(FakePath()), L"(null)");
}

TEST_F(RuntimeLoader, SuccessWithoutVersionStringIsNotInstalled) {
    SetRuntimeVariable(FakePath());
    std::wstring version = L"stale";
    EXPECT_EQ(GetAvailableBrowserVersion(L"fake:no-version", version), kNotInstalled);
    EXPECT_EQ(version, L"");
}

TEST_F(RuntimeLoader, CreationIsForwardedWithEveryArgument) {
    SetRuntimeVariable(FakePath());
    CountingUnknown options, handler;
    EXPECT_EQ(CreateEnvironment(L"C:\\browser", L"C:\\data", AsOptions(&options), AsHandler(&handler)), kFakeCreation);
    Creation c = LastCreation(FakePath());
    EXPECT_EQ(c.browserFolder, L"C:\\browser");
    EXPECT_EQ(c.userDataFolder, L"C:\\data");
    EXPECT_EQ(c.options, static_cast<IUnknown*>(&options));
    EXPECT_EQ(c.handler, static_cast<IUnknown*>(&handler));

    EXPECT_EQ(CreateEnvironment(nullptr, L"C:\\data", nullptr, AsHandler(&handler)), kFakeCreation);
    c = LastCreation(FakePath());
    EXPECT_EQ(c.browserFolder, L"(null)");
    EXPECT_EQ(c.options, nullptr);
}

TEST_F(RuntimeLoader, CreationWithoutHandlerIsRefusedBeforeTheRuntime) {
    SetRuntimeVariable(FakePath());
    EXPECT_EQ(CreateEnvironment(nullptr, L"C:\\data", nullptr, nullptr), E_POINTER);
    std::wstring version;
    ASSERT_EQ(GetAvailableBrowserVersion(nullptr, version), S_OK);  // loads the stand-in to read its record
    EXPECT_EQ(LastCreation(FakePath()).userDataFolder, L"(none)");
}

// --- Order of choice ---

TEST_F(RuntimeLoader, NothingFoundIsNotInstalled) {
    std::wstring version = L"stale";
    EXPECT_EQ(GetAvailableBrowserVersion(nullptr, version), kNotInstalled);
    EXPECT_EQ(version, L"");
    CountingUnknown handler;
    EXPECT_EQ(CreateEnvironment(nullptr, L"C:\\data", nullptr, AsHandler(&handler)), kNotInstalled);
    EXPECT_EQ(RuntimePath(), L"");
}

TEST_F(RuntimeLoader, PlatformLoaderNextToTheModuleIsUsed) {
    ASSERT_TRUE(CopyFileW(FakePath().c_str(), BesideModule().c_str(), FALSE));
    std::wstring version;
    EXPECT_EQ(GetAvailableBrowserVersion(nullptr, version), S_OK);
    EXPECT_EQ(version, L"120.0.0.1-fake");
    EXPECT_EQ(RuntimePath(), BesideModule());
}

TEST_F(RuntimeLoader, VariableComesBeforeThePlatformLoader) {
    ASSERT_TRUE(CopyFileW(FakePath().c_str(), BesideModule().c_str(), FALSE));
    SetRuntimeVariable(PartialPath());
    std::wstring version;
    EXPECT_EQ(GetAvailableBrowserVersion(nullptr, version), kNotUsable);
    EXPECT_EQ(GetModuleHandleW(BesideModule().c_str()), nullptr);
}

TEST_F(RuntimeLoader, NamedDllThatCannotLoadIsReportedNotReplaced) {
    ASSERT_TRUE(CopyFileW(FakePath().c_str(), BesideModule().c_str(), FALSE));
    SetRuntimeVariable(ExeFolder() + L"no_such_runtime.dll");
    std::wstring version = L"stale";
    HRESULT hr = GetAvailableBrowserVersion(nullptr, version);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_NE(hr, kNotInstalled);
    EXPECT_EQ(version, L"");
    EXPECT_EQ(RuntimePath(), L"");
}

// --- DLLs that are not runtimes ---

TEST_F(RuntimeLoader, DllWithoutBothExportsIsNotUsableAndReleased) {
    SetRuntimeVariable(PartialPath());
    std::wstring version = L"stale";
    EXPECT_EQ(GetAvailableBrowserVersion(nullptr, version), kNotUsable);
    EXPECT_EQ(version, L"");
    CountingUnknown handler;
    EXPECT_EQ(CreateEnvironment(nullptr, L"C:\\data", nullptr, AsHandler(&handler)), kNotUsable);
    EXPECT_EQ(GetModuleHandleW(PartialPath().c_str()), nullptr);
    EXPECT_EQ(RuntimePath(), L"");
}

TEST_F(RuntimeLoader, DllWithoutEitherExportIsNotUsable) {
    SetRuntimeVariable(L"kernel32.dll");  // a real DLL, no runtime exports
    std::wstring version;
    EXPECT_EQ(GetAvailableBrowserVersion(nullptr, version), kNotUsable);
}

// --- Once per process ---

TEST_F(RuntimeLoader, ChosenDllIsKeptForTheProcess) {
    SetRuntimeVariable(FakePath());
    std::wstring version;
    ASSERT_EQ(GetAvailableBrowserVersion(nullptr, version), S_OK);
    HMODULE first = GetModuleHandleW(FakePath().c_str());
    ASSERT_NE(first, nullptr);
    SetRuntimeVariable(PartialPath());  // no longer consulted
    EXPECT_EQ(GetAvailableBrowserVersion(nullptr, version), S_OK);
    EXPECT_EQ(version, L"120.0.0.1-fake");
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
    EXPECT_EQ(version, L"120.0.0.1-fake");
}

TEST_F(RuntimeLoader, FailedSearchIsRepeatedOnTheNextCall) {
    std::wstring version;
    ASSERT_EQ(GetAvailableBrowserVersion(nullptr, version), kNotInstalled);
    SetRuntimeVariable(FakePath());  // installed while running
    EXPECT_EQ(GetAvailableBrowserVersion(nullptr, version), S_OK);
    EXPECT_EQ(version, L"120.0.0.1-fake");
}
