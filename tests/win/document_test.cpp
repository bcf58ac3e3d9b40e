// The document viewer and the preview host with the test runtime as the
// browser and our own preview handler DLL, registered here for .docx and, by
// ProgID, for .cvnprog: found in the registry, created by COM, sited,
// initialised, sized with the control, unloaded, and every failing step reported.
#include <memory>
#include <string>

#include "browser_host.h"
#include "preview_handler/test_preview_handler.h"

using namespace CorvaneTest;

namespace {

void SetDefault(const std::wstring& key, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(), DWORD((value.size() + 1) * 2));
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

std::wstring Num(HWND w) { return std::to_wstring(reinterpret_cast<LONG_PTR>(w)); }
std::wstring Log() { return TakeBstr(Runtime().CallLog()); }
template <class Getter>
std::wstring Read(ICorvaneCtrl* ctrl, Getter get) {
    BSTR text = nullptr;
    (ctrl->*get)(&text);
    return TakeBstr(text);
}

class Documents : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::wstring dll = ExeFolder() + L"corvane_test_preview.dll", shellEx =
            L"\\shellex\\{8895b1c6-b41f-4c1c-a562-0d564250836f}";
        SetDefault(L"CLSID\\" + std::wstring(kTestPreviewClsid) + L"\\InprocServer32", dll);
        SetDefault(L".docx" + shellEx, kTestPreviewClsid);
        SetDefault(L".cvnprog", L"Corvane.TestPreviewDoc");
        SetDefault(L"Corvane.TestPreviewDoc" + shellEx, kTestPreviewClsid);
        HMODULE handler = LoadLibraryW(dll.c_str());
        reset = reinterpret_cast<TestPreviewResetFn>(reinterpret_cast<void*>(GetProcAddress(handler, "CorvaneTestPreviewReset")));
        log = reinterpret_cast<TestPreviewLogFn>(reinterpret_cast<void*>(GetProcAddress(handler, "CorvaneTestPreviewLog")));
    }
    static void TearDownTestSuite() {
        for (const std::wstring& key : {std::wstring(L".docx"), std::wstring(L".cvnprog"),
                                        std::wstring(L"Corvane.TestPreviewDoc"), L"CLSID\\" + std::wstring(kTestPreviewClsid)})
            RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    }
    void SetUp() override {
        ASSERT_TRUE(reset && log);
        Fresh();
        Runtime().Reset();
        host = std::make_unique<HostedControl>();
        ctrl = host->ctrl;
        ASSERT_TRUE(host->Attach() && host->WaitReady());
        window = host->Window();
        SetWindowPos(window, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    }
    void TearDown() override {
        ctrl->CloseDocumentPreview();
        host.reset();
    }
    void Fresh(PreviewStep fail = PreviewStep::None, HRESULT hr = S_OK, BOOL streamOnly = FALSE) {
        reset(fail, hr, streamOnly);
        Runtime().ClearCallLog();
    }
    // The handler's calls since the last Fresh.
    std::wstring Calls() { return log(); }
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
        {L"t.csv", "x,<script>y</script>\n", L"Text", L"<th>&lt;script&gt;y&lt;/script&gt;</th></tr></table>"},
        {L"empty.csv", "", L"Text", L"empty.csv)"},
        {L"data.xyz", "?", L"Unknown", L"data.xyz)"},
    };
    for (const auto& c : cases) {
        const std::wstring path = WriteTemp(c.name, c.content);
        Fresh();
        EXPECT_EQ(ctrl->OpenDocument(Bs(path), 0), S_OK) << c.name;
        EXPECT_TRUE(Has(Log(), c.call)) << Log();
        EXPECT_FALSE(Has(Log(), L"\\")) << Log();   // no backslash reaches the browser
        EXPECT_EQ(Read(ctrl, &ICorvaneCtrl::get_CurrentDocumentType), c.type);
        EXPECT_EQ(Read(ctrl, &ICorvaneCtrl::get_CurrentDocumentPath), path);
    }
    EXPECT_EQ(ctrl->ShowDocumentPreviewInBrowserFrame(nullptr), E_INVALIDARG);
    EXPECT_EQ(Read(ctrl, &ICorvaneCtrl::get_LastError), L"File path is NULL");
    EXPECT_EQ(ctrl->ShowDocumentPreview(Bs(L"C:\\no\\such.docx"), 0), E_FAIL);
    EXPECT_EQ(Read(ctrl, &ICorvaneCtrl::get_LastError), L"File not found: C:\\no\\such.docx");
}

TEST_F(Documents, TheViewerPreviewIsSitedInitialisedSizedWithTheControlAndUnloaded) {
    const std::wstring docx = WriteTemp(L"letter.docx", "PK"), w = Num(window);
    ASSERT_EQ(ctrl->OpenDocument(Bs(docx), 0), S_OK);
    EXPECT_EQ(Calls(), L"SetSite(window=" + w + L",frame=0,service=0)\nInitializeWithFile(" + docx +
                           L",0)\nSetWindow(" + w + L",0,0,300,200)\nDoPreview()\n");
    EXPECT_TRUE(Has(Log(), L"Controller.put_IsVisible(0)"));
    Fresh();
    SetWindowPos(window, nullptr, 0, 0, 320, 240, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(Calls(), L"SetRect(0,0,320,240)\n");
    // A browser kind closes it and shows the browser again.
    Fresh();
    ASSERT_EQ(ctrl->OpenDocument(Bs(WriteTemp(L"n.txt", "x")), 0), S_OK);
    EXPECT_EQ(Calls(), L"SetSite(null)\nUnload()\nReleased()\n");
    EXPECT_TRUE(Has(Log(), L"Controller.put_IsVisible(1)"));
    // A control that goes takes the preview drawn into its window along.
    ASSERT_EQ(ctrl->OpenDocument(Bs(docx), 0), S_OK);
    Fresh();
    DestroyWindow(window);
    EXPECT_EQ(Calls(), L"SetSite(null)\nUnload()\nReleased()\n");
}

TEST_F(Documents, TheContainerFollowsTheControlAndASecondOpenReplacesTheFirst) {
    Fresh(PreviewStep::None, S_OK, TRUE);   // stream only, found through the ProgID
    ASSERT_EQ(ctrl->ShowDocumentPreviewInBrowserFrame(Bs(WriteTemp(L"a.cvnprog", "first line\nmore"))), S_OK);
    HWND container = Container();
    RECT client{};
    ASSERT_TRUE(GetClientRect(container, &client));
    EXPECT_EQ(client.right * 1000 + client.bottom, 300200);
    const std::wstring c = Num(container);
    EXPECT_EQ(Calls(), L"SetSite(window=" + c + L",frame=0,service=0)\nInitializeWithStream(first line)\nSetWindow(" +
                           c + L",0,0,300,200)\nSetRect(0,0,300,200)\nDoPreview()\nSetFocus()\n");
    EXPECT_TRUE(FindWindowExW(container, nullptr, kTestPreviewWindowClass, nullptr));
    Fresh();
    SetWindowPos(window, nullptr, 0, 0, 260, 180, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(Calls(), L"SetRect(0,0,260,180)\n");   // the container followed and passed its size on

    Fresh();
    const std::wstring docx = WriteTemp(L"b.docx", "PK");
    ASSERT_EQ(ctrl->ShowDocumentPreview(Bs(docx), 0), S_OK);
    EXPECT_TRUE(Has(Calls(), L"SetSite(null)\nUnload()\nReleased()\nSetSite(window=")) << Calls();
    EXPECT_TRUE(Has(Calls(), L"InitializeWithFile(" + docx + L",0)"));
    EXPECT_FALSE(IsWindow(container));
    Fresh();
    EXPECT_EQ(ctrl->CloseDocumentPreview(), S_OK);
    EXPECT_EQ(Calls(), L"SetSite(null)\nUnload()\nReleased()\n");
    EXPECT_FALSE(Container());
}

TEST_F(Documents, AnEmbeddedBrowsersPreviewsLieOverItsBoundsInTheFormsWindow) {
    HWND form = NewTopWindow(400, 300);
    HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 20, 30, 300, 200, form, nullptr, nullptr,
                                 nullptr);
    ASSERT_EQ(ctrl->EmbedInHwnd(reinterpret_cast<INT_PTR>(frame), 200, 100), S_OK);
    ctrl->MoveEmbedded(5, 6);
    auto placed = [&](const wchar_t* windowClass) {
        RECT r{};
        GetWindowRect(FindWindowExW(form, nullptr, windowClass, nullptr), &r);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
        return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," +
               std::to_wstring(r.bottom);
    };
    const std::wstring docx = WriteTemp(L"e.docx", "PK");
    ASSERT_EQ(ctrl->OpenDocument(Bs(docx), 0), S_OK);
    EXPECT_EQ(placed(L"CorvanePreviewContainer"), L"25,36,225,136");
    ASSERT_EQ(ctrl->ShowDocumentPreviewInBrowserFrame(Bs(docx)), S_OK);
    EXPECT_EQ(placed(L"PreviewContainer"), L"25,36,225,136");
    ASSERT_EQ(ctrl->ShowDocumentPreview(Bs(docx), 0), S_OK);   // the whole form
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(placed(L"PreviewContainer"), L"0,0," + std::to_wstring(client.right) + L"," + std::to_wstring(client.bottom));
    ctrl->CloseDocumentPreview();
    ctrl->CloseEmbedded();
    DestroyWindow(form);
}

TEST_F(Documents, EveryFailingStepIsReportedAndLeavesNothingBehind) {
    const std::wstring file = WriteTemp(L"f.cvnprog", "x"), docx = WriteTemp(L"f.docx", "PK");
    const HRESULT kBroken = HRESULT(0x80041234);
    auto expectFailure = [&](const wchar_t* text, HRESULT code) {
        EXPECT_EQ(Read(ctrl, &ICorvaneCtrl::get_LastError), text);
        LONG seen = 0;
        ctrl->get_LastErrorCode(&seen);
        EXPECT_EQ(seen, code);
        EXPECT_FALSE(Container());
        EXPECT_TRUE(Has(Log(), L"Controller.put_IsVisible(1)"));   // the browser is back
    };
    for (PreviewStep step : {PreviewStep::Create, PreviewStep::Initialize, PreviewStep::SetWindow, PreviewStep::SetRect,
                             PreviewStep::DoPreview}) {
        Fresh(step, kBroken);
        EXPECT_EQ(ctrl->ShowDocumentPreviewInBrowserFrame(Bs(file)), E_FAIL);
        expectFailure(L"Failed to show document preview", kBroken);
        if (step != PreviewStep::Create) {
            EXPECT_TRUE(Has(Calls(), L"SetSite(null)\nReleased()\n")) << Calls();
        }
        if (step == PreviewStep::SetRect) continue;   // the viewer never calls SetRect
        Runtime().ClearCallLog();
        EXPECT_EQ(ctrl->OpenDocument(Bs(docx), 0), E_FAIL);
        expectFailure(L"Failed to open Office document preview.", kBroken);
    }
    Fresh();   // no handler anywhere for the extension
    EXPECT_EQ(ctrl->ShowDocumentPreviewInBrowserFrame(Bs(WriteTemp(L"f.nohandler", "x"))), E_FAIL);
    expectFailure(L"Failed to show document preview", E_FAIL);
    EXPECT_EQ(Calls(), L"");
}

}  // namespace
