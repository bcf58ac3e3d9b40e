// The objects of the web view's page features: print settings, DevTools
// event receivers with their arguments, and find-in-page with its options.
// print_capture.cpp, devtools.cpp and find.cpp hold the web view's side.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "browser.h"
#include "cdp_json.h"
#include "portable/print_rules.h"
#include "runtime_object.h"

namespace Corvane::Chromium {

class WebView;

class PrintSettings final : public ComObject<PrintSettings, PrintSettingsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2PrintSettings, ICoreWebView2PrintSettings2>;
    PrintSettings() : ComObject(nullptr) {}
    // The values a PDF is made with; the others only matter to a printer.
    PdfSettings pdf;
    INT32 copies = 1, pagesPerSide = 1;
    COREWEBVIEW2_PRINT_COLLATION collation = COREWEBVIEW2_PRINT_COLLATION_DEFAULT;
    COREWEBVIEW2_PRINT_COLOR_MODE colorMode = COREWEBVIEW2_PRINT_COLOR_MODE_DEFAULT;
    COREWEBVIEW2_PRINT_DUPLEX duplex = COREWEBVIEW2_PRINT_DUPLEX_DEFAULT;
    COREWEBVIEW2_PRINT_MEDIA_SIZE mediaSize = COREWEBVIEW2_PRINT_MEDIA_SIZE_DEFAULT;
    bool selectionOnly = false;
    std::u16string printerName;

    HRESULT STDMETHODCALLTYPE get_Orientation(COREWEBVIEW2_PRINT_ORIENTATION* v) override {
        return Answer(v, pdf.landscape ? COREWEBVIEW2_PRINT_ORIENTATION_LANDSCAPE : COREWEBVIEW2_PRINT_ORIENTATION_PORTRAIT);
    }
    HRESULT STDMETHODCALLTYPE put_Orientation(COREWEBVIEW2_PRINT_ORIENTATION v) override {
        if (v != COREWEBVIEW2_PRINT_ORIENTATION_PORTRAIT && v != COREWEBVIEW2_PRINT_ORIENTATION_LANDSCAPE) return E_INVALIDARG;
        pdf.landscape = v == COREWEBVIEW2_PRINT_ORIENTATION_LANDSCAPE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ScaleFactor(double* v) override { return Answer(v, pdf.scale); }
    HRESULT STDMETHODCALLTYPE put_ScaleFactor(double v) override { return Store(pdf.scale, v, 0.1, 2.0); }
    HRESULT STDMETHODCALLTYPE get_PageWidth(double* v) override { return Answer(v, pdf.pageWidth); }
    HRESULT STDMETHODCALLTYPE put_PageWidth(double v) override { return Store(pdf.pageWidth, v, 0.01, 1e6); }
    HRESULT STDMETHODCALLTYPE get_PageHeight(double* v) override { return Answer(v, pdf.pageHeight); }
    HRESULT STDMETHODCALLTYPE put_PageHeight(double v) override { return Store(pdf.pageHeight, v, 0.01, 1e6); }
    HRESULT STDMETHODCALLTYPE get_MarginTop(double* v) override { return Answer(v, pdf.marginTop); }
    HRESULT STDMETHODCALLTYPE put_MarginTop(double v) override { return Store(pdf.marginTop, v, 0, 1e6); }
    HRESULT STDMETHODCALLTYPE get_MarginBottom(double* v) override { return Answer(v, pdf.marginBottom); }
    HRESULT STDMETHODCALLTYPE put_MarginBottom(double v) override { return Store(pdf.marginBottom, v, 0, 1e6); }
    HRESULT STDMETHODCALLTYPE get_MarginLeft(double* v) override { return Answer(v, pdf.marginLeft); }
    HRESULT STDMETHODCALLTYPE put_MarginLeft(double v) override { return Store(pdf.marginLeft, v, 0, 1e6); }
    HRESULT STDMETHODCALLTYPE get_MarginRight(double* v) override { return Answer(v, pdf.marginRight); }
    HRESULT STDMETHODCALLTYPE put_MarginRight(double v) override { return Store(pdf.marginRight, v, 0, 1e6); }
    HRESULT STDMETHODCALLTYPE get_ShouldPrintBackgrounds(BOOL* v) override { return Answer(v, pdf.backgrounds); }
    HRESULT STDMETHODCALLTYPE put_ShouldPrintBackgrounds(BOOL v) override { pdf.backgrounds = v != FALSE; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_ShouldPrintSelectionOnly(BOOL* v) override { return Answer(v, selectionOnly); }
    HRESULT STDMETHODCALLTYPE put_ShouldPrintSelectionOnly(BOOL v) override { selectionOnly = v != FALSE; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_ShouldPrintHeaderAndFooter(BOOL* v) override { return Answer(v, pdf.headerAndFooter); }
    HRESULT STDMETHODCALLTYPE put_ShouldPrintHeaderAndFooter(BOOL v) override { pdf.headerAndFooter = v != FALSE; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_HeaderTitle(LPWSTR* v) override { return CoString(pdf.headerTitle, v); }
    HRESULT STDMETHODCALLTYPE put_HeaderTitle(LPCWSTR v) override { pdf.headerTitle = View(v); return S_OK; }
    HRESULT STDMETHODCALLTYPE get_FooterUri(LPWSTR* v) override { return CoString(pdf.footerUri, v); }
    HRESULT STDMETHODCALLTYPE put_FooterUri(LPCWSTR v) override { pdf.footerUri = View(v); return S_OK; }
    HRESULT STDMETHODCALLTYPE get_PageRanges(LPWSTR* v) override { return CoString(pdf.pageRanges, v); }
    HRESULT STDMETHODCALLTYPE put_PageRanges(LPCWSTR v) override { pdf.pageRanges = View(v); return S_OK; }
    HRESULT STDMETHODCALLTYPE get_PagesPerSide(INT32* v) override { return Answer(v, pagesPerSide); }
    HRESULT STDMETHODCALLTYPE put_PagesPerSide(INT32 v) override {
        if (v != 1 && v != 2 && v != 4 && v != 6 && v != 9 && v != 16) return E_INVALIDARG;
        pagesPerSide = v;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Copies(INT32* v) override { return Answer(v, copies); }
    HRESULT STDMETHODCALLTYPE put_Copies(INT32 v) override {
        if (v < 1 || v > 999) return E_INVALIDARG;
        copies = v;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Collation(COREWEBVIEW2_PRINT_COLLATION* v) override { return Answer(v, collation); }
    HRESULT STDMETHODCALLTYPE put_Collation(COREWEBVIEW2_PRINT_COLLATION v) override { collation = v; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_ColorMode(COREWEBVIEW2_PRINT_COLOR_MODE* v) override { return Answer(v, colorMode); }
    HRESULT STDMETHODCALLTYPE put_ColorMode(COREWEBVIEW2_PRINT_COLOR_MODE v) override { colorMode = v; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_Duplex(COREWEBVIEW2_PRINT_DUPLEX* v) override { return Answer(v, duplex); }
    HRESULT STDMETHODCALLTYPE put_Duplex(COREWEBVIEW2_PRINT_DUPLEX v) override { duplex = v; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_MediaSize(COREWEBVIEW2_PRINT_MEDIA_SIZE* v) override { return Answer(v, mediaSize); }
    HRESULT STDMETHODCALLTYPE put_MediaSize(COREWEBVIEW2_PRINT_MEDIA_SIZE v) override { mediaSize = v; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_PrinterName(LPWSTR* v) override { return CoString(printerName, v); }
    HRESULT STDMETHODCALLTYPE put_PrinterName(LPCWSTR v) override { printerName = View(v); return S_OK; }

private:
    // The runtime's documented ranges: a value outside is refused, not clamped.
    static HRESULT Store(double& slot, double value, double low, double high) {
        if (!(value >= low && value <= high)) return E_INVALIDARG;
        slot = value;
        return S_OK;
    }
};

class FindOptions final : public ComObject<FindOptions, FindOptionsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2FindOptions>;
    FindOptions() : ComObject(nullptr) {}
    std::u16string term;
    bool caseSensitive = false, highlightAll = false, wholeWord = false, suppressDialog = false;

    HRESULT STDMETHODCALLTYPE get_FindTerm(LPWSTR* v) override { return CoString(term, v); }
    HRESULT STDMETHODCALLTYPE put_FindTerm(LPCWSTR v) override { term = View(v); return S_OK; }
    HRESULT STDMETHODCALLTYPE get_IsCaseSensitive(BOOL* v) override { return Answer(v, caseSensitive); }
    HRESULT STDMETHODCALLTYPE put_IsCaseSensitive(BOOL v) override { caseSensitive = v != FALSE; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_ShouldHighlightAllMatches(BOOL* v) override { return Answer(v, highlightAll); }
    HRESULT STDMETHODCALLTYPE put_ShouldHighlightAllMatches(BOOL v) override { highlightAll = v != FALSE; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_ShouldMatchWord(BOOL* v) override { return Answer(v, wholeWord); }
    HRESULT STDMETHODCALLTYPE put_ShouldMatchWord(BOOL v) override { wholeWord = v != FALSE; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_SuppressDefaultFindDialog(BOOL* v) override { return Answer(v, suppressDialog); }
    HRESULT STDMETHODCALLTYPE put_SuppressDefaultFindDialog(BOOL v) override { suppressDialog = v != FALSE; return S_OK; }
};

class DevToolsEventArgs final : public ComObject<DevToolsEventArgs, DevToolsArgsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2DevToolsProtocolEventReceivedEventArgs,
                                  ICoreWebView2DevToolsProtocolEventReceivedEventArgs2>;
    DevToolsEventArgs(std::u16string json, std::u16string sessionId)
        : ComObject(nullptr), json_(std::move(json)), sessionId_(std::move(sessionId)) {}
    HRESULT STDMETHODCALLTYPE get_ParameterObjectAsJson(LPWSTR* v) override { return CoString(json_, v); }
    // Events of the page itself report no session, as the runtime's do.
    HRESULT STDMETHODCALLTYPE get_SessionId(LPWSTR* v) override { return CoString(sessionId_, v); }

private:
    std::u16string json_, sessionId_;
};

class DevToolsReceiver final : public ComObject<DevToolsReceiver, DevToolsReceiverDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2DevToolsProtocolEventReceiver>;
    DevToolsReceiver() : ComObject(nullptr) {}
    HRESULT STDMETHODCALLTYPE add_DevToolsProtocolEventReceived(ICoreWebView2DevToolsProtocolEventReceivedEventHandler* h,
                                                                EventRegistrationToken* t) override {
        return handlers.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_DevToolsProtocolEventReceived(EventRegistrationToken t) override {
        return handlers.Remove(t);
    }
    EventList<ICoreWebView2DevToolsProtocolEventReceivedEventHandler> handlers;
};

// Find in page, emulated in an isolated world of the page (find.cpp): text
// nodes of the document, its open shadow roots and its same-origin frames
// are searched; matches are shown with the CSS highlight API.
class Find final : public ComObject<Find, FindDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2Find>;
    explicit Find(WebView* view) : ComObject(nullptr), view_(view) {}
    void ViewGone() { view_ = nullptr; }

    HRESULT STDMETHODCALLTYPE get_ActiveMatchIndex(INT32* v) override { return Answer(v, active_); }
    HRESULT STDMETHODCALLTYPE get_MatchCount(INT32* v) override { return Answer(v, count_); }
    HRESULT STDMETHODCALLTYPE add_ActiveMatchIndexChanged(ICoreWebView2FindActiveMatchIndexChangedEventHandler* h,
                                                          EventRegistrationToken* t) override {
        return activeChanged_.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_ActiveMatchIndexChanged(EventRegistrationToken t) override {
        return activeChanged_.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE add_MatchCountChanged(ICoreWebView2FindMatchCountChangedEventHandler* h,
                                                    EventRegistrationToken* t) override {
        return countChanged_.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_MatchCountChanged(EventRegistrationToken t) override { return countChanged_.Remove(t); }
    HRESULT STDMETHODCALLTYPE Start(ICoreWebView2FindOptions* options, ICoreWebView2FindStartCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE FindNext() override { return Step(1); }
    HRESULT STDMETHODCALLTYPE FindPrevious() override { return Step(-1); }
    HRESULT STDMETHODCALLTYPE Stop() override;

private:
    HRESULT Step(int direction);
    // Reads {count, active} from a reply and raises what changed.
    void Update(const JsonNode* state);
    WebView* view_;
    int context_ = 0;       // the isolated world's execution context (0: none yet)
    bool stopped_ = false;
    UINT64 run_ = 0;        // the current Start; replies of older runs are dropped
    INT32 count_ = 0, active_ = -1;
    EventList<ICoreWebView2FindActiveMatchIndexChangedEventHandler> activeChanged_;
    EventList<ICoreWebView2FindMatchCountChangedEventHandler> countChanged_;
};

// The host's own DevTools session on the view's page (devtools.cpp). The
// runtime's session keeps its domains to itself: a host that disables
// Network or enables Fetch here changes nothing the runtime relies on. The
// session is attached at first use; calls made meanwhile wait for it.
class DevToolsChannel final : public SessionSink, public std::enable_shared_from_this<DevToolsChannel> {
public:
    DevToolsChannel(std::shared_ptr<Browser> browser, std::u16string targetId, WebView* view)
        : browser_(std::move(browser)), targetId_(std::move(targetId)), view_(view) {}
    ~DevToolsChannel();
    void Call(std::u16string_view method, std::u16string_view params, ReplyFn reply);
    // The receiver of one event name, made on first request.
    ComPtr<DevToolsReceiver> Receiver(std::u16string_view eventName);
    // The view closed: pending calls fail, the session is detached.
    void Close();

    void OnSessionEvent(std::u16string_view method, const JsonNode& params) override;
    void OnTargetEvent(std::u16string_view, const JsonNode&) override {}
    void OnBrowserGone(HRESULT) override { Fail(); }

private:
    void Attach();
    void Fail();
    std::shared_ptr<Browser> browser_;
    std::u16string targetId_, sessionId_;
    WebView* view_;
    bool attaching_ = false, closed_ = false;
    std::vector<std::function<void(bool attached)>> waiting_;
    std::map<std::u16string, ComPtr<DevToolsReceiver>, std::less<>> receivers_;
};

// Fresh objects for the environment's factories.
HRESULT NewPrintSettings(ICoreWebView2PrintSettings** out);
HRESULT NewFindOptions(ICoreWebView2FindOptions** out);

}  // namespace Corvane::Chromium
