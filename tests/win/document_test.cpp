// The document viewer and the preview host with the test runtime as the
// browser and our own preview handler DLL, registered here for .docx and, by
// ProgID, for .cvnprog: the handler is found in the registry, created by COM,
// sited, initialised, sized with the control and unloaded, and each failing
// step is reported.
#include <memory>
#include <string>

#include "browser_host.h"
#include "preview_handler/test_preview_handler.h"

using namespace CorvaneTest;

namespace {

constexpr wchar_t kShellEx[] = L"\\shellex\\{8895b1c6-b41f-4c1c-a562-0d564250836f}";

void SetDefault(const std::wstring& key, const std::wstring& value) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr), 0);
    RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
}

std::wstring WriteTemp(const std::wstring& name, const std::string& content) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + name;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(f, content.data(), DWORD(content.size()), &written, nullptr);
    CloseHandle(f);
    return path;
}

std::wstring Num(LONG_PTR n) { return std::to_wstring(n); }
std::wstring Log() { return TakeBstr(Runtime().CallLog()); }

class Documents : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::wstring dll = ExeFolder() + L"corvane_test_preview.dll";
        SetDefault(L"CLSID\\" + std::wstring(kTestPreviewClsid) + L"\\InprocServer32", dll);
        SetDefault(L".docx" + std::wstring(kShellEx), kTestPreviewClsid);
        SetDefault(L".cvnprog", L"Corvane.TestPreviewDoc");
        SetDefault(L"Corvane.TestPreviewDoc" + std::wstring(kShellEx), kTestPreviewClsid);
        HMODULE handler = LoadLibraryW(dll.c_str());
        reset = reinterpret_cast<TestPreviewResetFn>(reinterpret_cast<void*>(GetProcAddress(handler, "CorvaneTestPreviewReset")));
        log = reinterpret_cast<TestPreviewLogFn>(reinterpret_cast<void*>(GetProcAddress(handler, "CorvaneTestPreviewLog")));
    }
    static void TearDownTestSuite() {
        for (const wchar_t* key : {L".docx", L".cvnprog", L"Corvane.TestPreviewDoc"}) RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + std::wstring(kTestPreviewClsid)).c_str());
    }
    void SetUp() override {
        ASSERT_TRUE(reset && log);
        reset(PreviewStep::None, S_OK, FALSE);
        Runtime().Reset();
        host = std::make_unique<HostedControl>();
        ctrl = host->ctrl;
        ASSERT_TRUE(host->Attach() && host->WaitReady());
        window = host->Window();
        Runtime().ClearCallLog();
    }
    void TearDown() override {
        ctrl->CloseDocumentPreview();
        host.reset();
    }
    std::wstring LastError() {
        BSTR text = nullptr;
        ctrl->get_LastError(&text);
        return TakeBstr(text);
    }
    LONG LastCode() {
        LONG code = 0;
        ctrl->get_LastErrorCode(&code);
        return code;
    }
    std::wstring Client(HWND w) {
        RECT r{};
        GetClientRect(w, &r);
        return Num(r.left) + L"," + Num(r.top) + L"," + Num(r.right) + L"," + Num(r.bottom);
    }
    void Resize(int width, int height) {
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    }
    HWND Container() { return FindWindowExW(window, nullptr, L"PreviewContainer", nullptr); }

    static inline TestPreviewResetFn reset;
    static inline TestPreviewLogFn log;
    std::unique_ptr<HostedControl> host;
    ICorvaneCtrl* ctrl = nullptr;
    HWND window = nullptr;
};

TEST_F(Documents, EachBrowserKindReachesTheBrowserAsAFileUrlOrATablePage) {
    const struct {
        const wchar_t* name;
        std::string content;
        const wchar_t *type, *call;
    } cases[] = {
        {L"photo.PNG", "\x89PNG", L"Image", L"WebView.Navigate(file:///"},
        {L"report.pdf", "%PDF-1.4", L"PDF", L"WebView.Navigate(file:///"},
        {L"notes #1.txt", "hello", L"Text", L"%231.txt)"},
        {L"table.csv", "a,<b>\n1,2\n", L"Text", L"WebView.NavigateToString(<!DOCTYPE html>"},
        {L"empty.csv", "", L"Text", L"empty.csv)"},
        {L"data.xyz", "?", L"Unknown", L"data.xyz)"},
    };
    for (const auto& c : cases) {
        const std::wstring path = WriteTemp(c.name, c.content);
        Runtime().ClearCallLog();
        EXPECT_EQ(ctrl->OpenDocument(Bs(path), 0), S_OK) << c.name;
        const std::wstring calls = Log();
        EXPECT_TRUE(Has(calls, c.call)) << calls;
        EXPECT_FALSE(Has(calls, L"\\")) << calls;   // no backslash reaches the browser
        BSTR type = nullptr, current = nullptr;
        ctrl->get_CurrentDocumentType(&type);
        ctrl->get_CurrentDocumentPath(&current);
        EXPECT_EQ(TakeBstr(type), c.type);
        EXPECT_EQ(TakeBstr(current), path);
    }
    const std::wstring table = WriteTemp(L"t.csv", "x,<script>y</script>\n");
    Runtime().ClearCallLog();
    ctrl->OpenDocument(Bs(table), 0);
    EXPECT_TRUE(Has(Log(), L"<th>&lt;script&gt;y&lt;/script&gt;</th></tr></table>")) << Log();
}

TEST_F(Documents, BadPathsAreRefusedByEveryMember) {
    const std::wstring missing = L"C:\\no\\such\\file.docx";
    for (int member = 0; member < 3; ++member) {
        auto call = [&](BSTR path) {
            return member == 0 ? ctrl->OpenDocument(path, 0)
                   : member == 1 ? ctrl->ShowDocumentPreview(path, 0)
                                 : ctrl->ShowDocumentPreviewInBrowserFrame(path);
        };
        EXPECT_EQ(call(nullptr), E_INVALIDARG);
        EXPECT_EQ(LastError(), L"File path is NULL");
        EXPECT_EQ(call(Bs(missing)), E_FAIL);
        EXPECT_EQ(LastError(), L"File not found: " + missing);
    }
    EXPECT_EQ(ctrl->CloseDocumentPreview(), S_OK);   // nothing shown
}

TEST_F(Documents, TheViewerPreviewIsSitedInitialisedSizedWithTheControlAndUnloaded) {
    Resize(300, 200);
    const std::wstring docx = WriteTemp(L"letter.docx", "PK");
    ASSERT_EQ(ctrl->OpenDocument(Bs(docx), 0), S_OK) << LastError();
    const std::wstring w = Num(reinterpret_cast<LONG_PTR>(window));
    EXPECT_EQ(std::wstring(log()), L"SetSite(window=" + w + L",frame=0,service=0)\nInitializeWithFile(" + docx +
                                       L",0)\nSetWindow(" + w + L",0,0,300,200)\nDoPreview()\n");
    EXPECT_TRUE(Has(Log(), L"Controller.put_IsVisible(0)"));
    reset(PreviewStep::None, S_OK, FALSE);
    Resize(320, 240);
    EXPECT_EQ(std::wstring(log()), L"SetRect(0,0,320,240)\n");
    // A browser kind closes it and shows the browser again.
    reset(PreviewStep::None, S_OK, FALSE);
    Runtime().ClearCallLog();
    ASSERT_EQ(ctrl->OpenDocument(Bs(WriteTemp(L"n.txt", "x")), 0), S_OK);
    EXPECT_EQ(std::wstring(log()), L"SetSite(null)\nUnload()\nReleased()\n");
    EXPECT_TRUE(Has(Log(), L"Controller.put_IsVisible(1)"));
}

TEST_F(Documents, TheContainerFollowsTheControlAndASecondOpenReplacesTheFirst) {
    Resize(300, 200);
    reset(PreviewStep::None, S_OK, TRUE);   // stream only, found through the ProgID
    ASSERT_EQ(ctrl->ShowDocumentPreviewInBrowserFrame(Bs(WriteTemp(L"a.cvnprog", "first line\nmore"))), S_OK);
    HWND container = Container();
    ASSERT_TRUE(container);
    const std::wstring c = Num(reinterpret_cast<LONG_PTR>(container));
    EXPECT_EQ(Client(container), L"0,0,300,200");
    EXPECT_EQ(std::wstring(log()), L"SetSite(window=" + c + L",frame=0,service=0)\nInitializeWithStream(first line)\n"
                                   L"SetWindow(" + c + L",0,0,300,200)\nSetRect(0,0,300,200)\nDoPreview()\nSetFocus()\n");
    EXPECT_TRUE(FindWindowExW(container, nullptr, kTestPreviewWindowClass, nullptr));
    reset(PreviewStep::None, S_OK, FALSE);
    Resize(260, 180);
    EXPECT_EQ(Client(container), L"0,0,260,180");
    EXPECT_EQ(std::wstring(log()), L"SetRect(0,0,260,180)\n");

    reset(PreviewStep::None, S_OK, FALSE);
    const std::wstring docx = WriteTemp(L"b.docx", "PK");
    ASSERT_EQ(ctrl->ShowDocumentPreview(Bs(docx), 0), S_OK);
    EXPECT_TRUE(Has(log(), L"SetSite(null)\nUnload()\nReleased()\nSetSite(window=")) << log();
    EXPECT_TRUE(Has(log(), L"InitializeWithFile(" + docx + L",0)"));
    EXPECT_FALSE(IsWindow(container));
    reset(PreviewStep::None, S_OK, FALSE);
    EXPECT_EQ(ctrl->CloseDocumentPreview(), S_OK);
    EXPECT_EQ(std::wstring(log()), L"SetSite(null)\nUnload()\nReleased()\n");
    EXPECT_FALSE(Container());
}

TEST_F(Documents, EveryFailingStepIsReportedAndLeavesNothingBehind) {
    const std::wstring file = WriteTemp(L"f.cvnprog", "x"), docx = WriteTemp(L"f.docx", "PK");
    const HRESULT kBroken = HRESULT(0x80041234);
    for (PreviewStep step : {PreviewStep::Create, PreviewStep::Initialize, PreviewStep::SetWindow, PreviewStep::SetRect,
                             PreviewStep::DoPreview}) {
        reset(step, kBroken, FALSE);
        Runtime().ClearCallLog();
        EXPECT_EQ(ctrl->ShowDocumentPreviewInBrowserFrame(Bs(file)), E_FAIL);
        EXPECT_EQ(LastError(), L"Failed to show document preview");
        EXPECT_EQ(LastCode(), kBroken) << int(step);
        EXPECT_FALSE(Container());
        EXPECT_TRUE(Has(Log(), L"Controller.put_IsVisible(1)"));
        if (step != PreviewStep::Create) {
            EXPECT_TRUE(Has(log(), L"SetSite(null)\nReleased()\n")) << log();
        }
        if (step == PreviewStep::SetRect) continue;   // the viewer never calls SetRect
        EXPECT_EQ(ctrl->OpenDocument(Bs(docx), 0), E_FAIL);
        EXPECT_EQ(LastError(), L"Failed to open Office document preview.");
        EXPECT_EQ(LastCode(), kBroken);
    }
    // No handler anywhere for the extension.
    reset(PreviewStep::None, S_OK, FALSE);
    EXPECT_EQ(ctrl->ShowDocumentPreviewInBrowserFrame(Bs(WriteTemp(L"f.nohandler", "x"))), E_FAIL);
    EXPECT_EQ(LastCode(), E_FAIL);
    EXPECT_EQ(std::wstring(log()), L"");
}

}  // namespace
