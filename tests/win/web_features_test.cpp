// Find, PDF, capture and DevTools access through the control, against the
// real browser and the test web server (chromium_test's fixture).
#include <wincodec.h>

#include <cstdio>
#include <string>

#include "browser_host.h"

using namespace CorvaneTest;

std::wstring TestServerUrl();

namespace {

constexpr DISPID kPdfDone = 0x8, kCaptureDone = 0x9, kDevToolsEvent = 0xa, kFindCount = 0x14, kFindActive = 0x15,
                 kFindDone = 0x16;

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n) bytes.append(buffer, n);
    CloseHandle(file);
    return bytes;
}

// Pages ("/Type /Page", not "/Pages"), the first page's size in points, and whether any font is used.
struct PdfFacts {
    int pages = 0;
    double width = 0, height = 0;
    bool fonts = false;
};
PdfFacts ReadPdf(const std::string& pdf) {
    PdfFacts facts;
    for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
        if (pdf.compare(at + 11, 1, "s") != 0) ++facts.pages;
    const std::size_t box = pdf.find("/MediaBox [");
    double x = 0, y = 0;
    if (box != std::string::npos) std::sscanf(pdf.c_str() + box + 11, "%lf %lf %lf %lf", &x, &y, &facts.width, &facts.height);
    facts.fonts = pdf.find("/Font") != std::string::npos;
    return facts;
}

class WebFeatures : public LiveControlSuite {
protected:
    void SetUp() override {
        LiveControlSuite::SetUp();
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"corvane_web_features\\";
    }
    void Go(const std::wstring& path) {
        host->sink.events.clear();
        ASSERT_EQ(ctrl->NavigateSync(Bs(TestServerUrl() + path)), S_OK);
    }
    bool Await(DISPID id, int count = 1) { return PumpUntil([&] { return host->sink.Count(id) >= count; }, 15000); }
    std::wstring Last(DISPID id) {
        for (auto e = host->sink.events.rbegin(); e != host->sink.events.rend(); ++e)
            if (e->id == id) return e->Text();
        return L"(none)";
    }
    std::wstring LastError() {
        BSTR text = nullptr;
        ctrl->get_LastError(&text);
        return TakeBstr(text);
    }
    LONG FindValue(HRESULT (STDMETHODCALLTYPE ICorvaneCtrl::*get)(LONG*)) {
        LONG v = -99;
        (ctrl->*get)(&v);
        return v;
    }
    std::wstring folder;
};

TEST_F(WebFeatures, DevToolsCallsAnswerOnTheirOwnSessionAndEventsReachTheHost) {
    Go(L"/page1.html");
    BSTR json = nullptr;
    ASSERT_EQ(ctrl->CallDevToolsProtocolMethod(Bs(L"Runtime.evaluate"), Bs(L"{\"expression\":\"6*7\",\"returnByValue\":true}"), &json), S_OK);
    EXPECT_TRUE(Has(TakeBstr(json), L"\"value\":42"));
    EXPECT_EQ(ctrl->CallDevToolsProtocolMethod(Bs(L"No.suchMethod"), Bs(L""), &json), E_FAIL);
    EXPECT_TRUE(Has(LastError(), L"DevTools Protocol method failed. Error: -2147467259. 'No.suchMethod' wasn't found")) << LastError();
    // The host's own session: its Network.disable leaves the runtime's navigation tracking alone.
    ASSERT_EQ(ctrl->AddDevToolsProtocolEventHandler(Bs(L"Network.requestWillBeSent")), S_OK);
    ASSERT_EQ(ctrl->CallDevToolsProtocolMethod(Bs(L"Network.enable"), Bs(L""), &json), S_OK);
    SysFreeString(json);
    Go(L"/page2.html");
    ASSERT_TRUE(Await(kDevToolsEvent));
    PumpFor(200);
    int documents = 0;   // the browser may make other requests (a favicon) for the page too
    for (const std::wstring& text : host->sink.Texts())
        documents += Has(text, L"Network.requestWillBeSent,{") && Has(text, L"/page2.html\"") && Has(text, L"\"Document\"");
    EXPECT_EQ(documents, 1);
    // Removed in the first event's handler, once the others queued behind it: they are dropped.
    host->sink.events.clear();
    host->sink.onEvent = [&](DISPID id, DISPPARAMS*) {
        if (id != kDevToolsEvent || host->sink.Count(kDevToolsEvent) > 1) return;
        PumpFor(300);
        ctrl->RemoveDevToolsProtocolEventHandler(Bs(L"Network.requestWillBeSent"));
    };
    ctrl->ExecuteScript(Bs(L"for (let i = 0; i < 8; i++) fetch('/page2.html?' + i); 1"), &json);
    SysFreeString(json);
    ASSERT_TRUE(Await(kDevToolsEvent));
    PumpFor(500);
    host->sink.onEvent = nullptr;
    EXPECT_EQ(host->sink.Count(kDevToolsEvent), 1);
    ASSERT_EQ(ctrl->CallDevToolsProtocolMethod(Bs(L"Network.disable"), Bs(L"{}"), &json), S_OK);
    SysFreeString(json);
    Go(L"/missing");
    PumpUntil([&] { return host->sink.Count(Ev::NavigationCompleted) > 0; }, 15000);
    EXPECT_TRUE(Has(Last(Ev::NavigationCompleted), L",false")) << Last(Ev::NavigationCompleted);   // the 404 still seen
    EXPECT_EQ(host->sink.Count(kDevToolsEvent), 0);
}

TEST_F(WebFeatures, CaptureWritesAPngOfTheVisiblePage) {
    Go(L"/solid.html");
    const std::wstring path = folder + L"shots\\solid.png";
    DeleteFileW(path.c_str());
    LONG started = 0;
    ASSERT_EQ(ctrl->CaptureScreenshot(Bs(path), &started), S_OK);
    EXPECT_EQ(started, 1);
    ASSERT_TRUE(Await(kCaptureDone));
    EXPECT_EQ(Last(kCaptureDone), L"0x9(" + path + L",true)");
    BSTR size = nullptr;
    ctrl->ExecuteScript(Bs(L"Math.round(innerWidth*devicePixelRatio)+'x'+Math.round(innerHeight*devicePixelRatio)"), &size);
    const std::string png = ReadAll(path);
    ASSERT_GT(png.size(), 24u);
    auto be32 = [&](std::size_t at) {
        return (unsigned(png[at] & 0xff) << 24) | (unsigned(png[at + 1] & 0xff) << 16) | (unsigned(png[at + 2] & 0xff) << 8) |
               unsigned(png[at + 3] & 0xff);
    };
    ASSERT_EQ(png.compare(12, 4, "IHDR"), 0);
    EXPECT_EQ(L"\"" + std::to_wstring(be32(16)) + L"x" + std::to_wstring(be32(20)) + L"\"", TakeBstr(size));
    // The pixels, decoded by the system's own codecs: the page's background everywhere sampled.
    IWICImagingFactory* wic = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&wic)), S_OK);
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* bgra = nullptr;
    ASSERT_EQ(wic->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &decoder), S_OK);
    ASSERT_EQ(decoder->GetFrame(0, &frame), S_OK);
    ASSERT_EQ(wic->CreateFormatConverter(&bgra), S_OK);
    ASSERT_EQ(bgra->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0, WICBitmapPaletteTypeCustom), S_OK);
    UINT w = 0, h = 0;
    bgra->GetSize(&w, &h);
    for (const auto& [x, y] : {std::pair{0u, 0u}, std::pair{w / 2, h / 2}, std::pair{w - 1, h - 1}}) {
        BYTE pixel[4] = {};
        WICRect one{INT(x), INT(y), 1, 1};
        ASSERT_EQ(bgra->CopyPixels(&one, 4, 4, pixel), S_OK);
        EXPECT_EQ((pixel[2] << 16) | (pixel[1] << 8) | pixel[0], 0x3366cc) << x << "," << y;
    }
    bgra->Release();
    frame->Release();
    decoder->Release();
    wic->Release();
}

struct PdfCase {
    const wchar_t* name;
    bool stored, landscape, header;
    const wchar_t* ranges;
    int pages;          // 0: the print fails
    double width, height;
};

TEST_F(WebFeatures, PdfsFollowTheirSettings) {
    Go(L"/pages.html");
    const PdfCase cases[] = {
        {L"fixed", false, false, false, L"", 5, 612, 792},
        {L"stored", true, true, true, L"2-3", 2, 792, 612},
        {L"out of range", true, false, false, L"7-9", 0, 0, 0},
    };
    for (const PdfCase& c : cases) {
        SCOPED_TRACE(c.name);
        ctrl->put_PrintOrientation(static_cast<CVN_PRINT_ORIENTATION>(c.landscape ? 1 : 0));
        ctrl->put_PrintMarginTop(0.5);
        ctrl->put_PrintMarginBottom(0.5);
        ctrl->put_PrintShouldPrintHeaderAndFooter(c.header ? VARIANT_TRUE : VARIANT_FALSE);
        ctrl->put_PrintHeaderTitle(Bs(L"Quarterly <report>"));
        ctrl->put_PrintPageRanges(Bs(c.ranges));
        const std::wstring path = folder + L"new\\chain\\" + c.name + L".pdf";
        DeleteFileW(path.c_str());
        host->sink.events.clear();
        ASSERT_EQ(c.stored ? ctrl->PrintToPdfWithSettings(Bs(path)) : ctrl->PrintToPdf(Bs(path)), S_OK);
        ASSERT_TRUE(Await(kPdfDone));
        EXPECT_EQ(Last(kPdfDone), L"0x8(" + path + (c.pages ? L",true)" : L",false)"));
        const PdfFacts pdf = ReadPdf(ReadAll(path));
        EXPECT_EQ(pdf.pages, c.pages);
        EXPECT_NEAR(pdf.width, c.width, 1);
        EXPECT_NEAR(pdf.height, c.height, 1);
        EXPECT_EQ(pdf.fonts, c.header);   // the page itself has no text: fonts come from header and footer
        if (!c.pages) {
            EXPECT_TRUE(Has(LastError(), L"PrintToPdfWithSettings failed. Error code: -2147024809")) << LastError();
        }
    }
    ctrl->put_PrintPageRanges(Bs(L""));
    // No printer and no dialogs here: each says so instead of pretending.
    EXPECT_EQ(ctrl->PrintPage(), HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(ctrl->ShowPrintDialog(), HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
    EXPECT_TRUE(Has(LastError(), L"ShowPrintDialog failed. Error code: -2147024846")) << LastError();
    ASSERT_EQ(ctrl->PrintWithSettings(), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return LastError() == L"PrintWithSettings failed: no printer is available."; }, 5000))
        << LastError();
}

struct FindCase {
    VARIANT_BOOL caseSensitive, wholeWord;
    LONG count;
};

TEST_F(WebFeatures, FindCountsMatchesAndMovesTheActiveOne) {
    Go(L"/find.html");
    PumpFor(300);   // the frame's document
    EXPECT_EQ(ctrl->FindNext(), E_FAIL);
    const FindCase cases[] = {{VARIANT_FALSE, VARIANT_FALSE, 6}, {VARIANT_TRUE, VARIANT_FALSE, 4},
                              {1, VARIANT_FALSE, 6}, {VARIANT_FALSE, VARIANT_TRUE, 4}};
    ctrl->put_FindHighlightAllMatches(VARIANT_TRUE);
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.count);
        host->sink.events.clear();
        ASSERT_EQ(ctrl->StartFind(Bs(L"apple"), c.caseSensitive, c.wholeWord), S_OK);
        ASSERT_TRUE(Await(kFindDone));
        EXPECT_EQ(FindValue(&ICorvaneCtrl::get_FindMatchCount), c.count);
        EXPECT_EQ(Last(kFindDone), L"0x16(" + std::to_wstring(c.count) + L")");
        EXPECT_EQ(FindValue(&ICorvaneCtrl::get_FindActiveMatchIndex), 1);
    }
    EXPECT_TRUE(Await(kFindCount));
    const std::pair<bool, LONG> steps[] = {{true, 2}, {false, 1}, {false, 4}, {true, 1}};   // wrapping both ways
    int seen = host->sink.Count(kFindActive);
    for (const auto& [forward, index] : steps) {
        ASSERT_EQ(forward ? ctrl->FindNext() : ctrl->FindPrevious(), S_OK);
        ASSERT_TRUE(Await(kFindActive, ++seen));
        EXPECT_EQ(Last(kFindActive), L"0x15(" + std::to_wstring(index) + L")");
        EXPECT_EQ(FindValue(&ICorvaneCtrl::get_FindActiveMatchIndex), index);
    }
    BSTR highlights = nullptr;
    ctrl->ExecuteScript(Bs(L"CSS.highlights.size"), &highlights);
    EXPECT_EQ(TakeBstr(highlights), L"2");
    ASSERT_EQ(ctrl->StopFind(VARIANT_FALSE), S_OK);
    ctrl->ExecuteScript(Bs(L"CSS.highlights.size"), &highlights);
    EXPECT_EQ(TakeBstr(highlights), L"0");
    VARIANT_BOOL active = VARIANT_TRUE;
    ctrl->get_IsFindActive(&active);
    EXPECT_EQ(active, VARIANT_FALSE);
}

}  // namespace
