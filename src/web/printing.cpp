// Printing and capture: the stored print settings, PDF files written with
// fixed or stored settings, the print dialogs and silent printing, and PNG
// captures of the visible page. File results arrive as events.
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "barrier.h"
#include "bstr.h"
#include "callback.h"
#include "corvane_ctrl.h"
#include "read_property.h"
#include "runtime_text.h"

namespace Corvane {

namespace {

constexpr DISPID kPrintToPdfCompleted = 0x8;
constexpr DISPID kCaptureScreenshotCompleted = 0x9;

// Creates the folder part of `path` (before its last '\' or '/') with every
// missing level; S_OK when there is none or it exists.
HRESULT EnsureParentFolder(const std::wstring& path) {
    const std::size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos || cut == 0) return S_OK;
    std::wstring folder = path.substr(0, cut);
    if (folder.size() == 2 && folder[1] == L':') return S_OK;   // a drive's root
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(folder.c_str(), MAX_PATH, full, nullptr);
    if (!length || length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME);
    const int made = SHCreateDirectoryExW(nullptr, full, nullptr);
    if (made == ERROR_SUCCESS || made == ERROR_ALREADY_EXISTS || made == ERROR_FILE_EXISTS) {
        const DWORD attributes = GetFileAttributesW(full);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                   ? S_OK
                   : HRESULT_FROM_WIN32(ERROR_DIRECTORY);
    }
    return HRESULT_FROM_WIN32(made);
}

}  // namespace

// The stored settings: stored as given, checked by the runtime when a print starts.
HRESULT CCorvaneCtrl::get_PrintOrientation(CVN_PRINT_ORIENTATION* v) { return ReadValue(web_.print.orientation, v); }
HRESULT CCorvaneCtrl::put_PrintOrientation(CVN_PRINT_ORIENTATION v) { web_.print.orientation = v; return S_OK; }
HRESULT CCorvaneCtrl::get_PrintScaleFactor(double* v) { return ReadValue(web_.print.scaleFactor, v); }
HRESULT CCorvaneCtrl::put_PrintScaleFactor(double v) { web_.print.scaleFactor = v; return S_OK; }
HRESULT CCorvaneCtrl::get_PrintMarginTop(double* v) { return ReadValue(web_.print.marginTop, v); }
HRESULT CCorvaneCtrl::put_PrintMarginTop(double v) { web_.print.marginTop = v; return S_OK; }
HRESULT CCorvaneCtrl::get_PrintMarginBottom(double* v) { return ReadValue(web_.print.marginBottom, v); }
HRESULT CCorvaneCtrl::put_PrintMarginBottom(double v) { web_.print.marginBottom = v; return S_OK; }
HRESULT CCorvaneCtrl::get_PrintMarginLeft(double* v) { return ReadValue(web_.print.marginLeft, v); }
HRESULT CCorvaneCtrl::put_PrintMarginLeft(double v) { web_.print.marginLeft = v; return S_OK; }
HRESULT CCorvaneCtrl::get_PrintMarginRight(double* v) { return ReadValue(web_.print.marginRight, v); }
HRESULT CCorvaneCtrl::put_PrintMarginRight(double v) { web_.print.marginRight = v; return S_OK; }
HRESULT CCorvaneCtrl::get_PrintPageWidth(double* v) { return ReadValue(web_.print.pageWidth, v); }
HRESULT CCorvaneCtrl::put_PrintPageWidth(double v) { web_.print.pageWidth = v; return S_OK; }
HRESULT CCorvaneCtrl::get_PrintPageHeight(double* v) { return ReadValue(web_.print.pageHeight, v); }
HRESULT CCorvaneCtrl::put_PrintPageHeight(double v) { web_.print.pageHeight = v; return S_OK; }
HRESULT CCorvaneCtrl::get_PrintShouldPrintBackgrounds(VARIANT_BOOL* v) { return ReadBool(web_.print.backgrounds, v); }
HRESULT CCorvaneCtrl::put_PrintShouldPrintBackgrounds(VARIANT_BOOL v) { web_.print.backgrounds = v == VARIANT_TRUE; return S_OK; }
HRESULT CCorvaneCtrl::get_PrintShouldPrintSelectionOnly(VARIANT_BOOL* v) { return ReadBool(web_.print.selectionOnly, v); }
HRESULT CCorvaneCtrl::put_PrintShouldPrintSelectionOnly(VARIANT_BOOL v) { web_.print.selectionOnly = v == VARIANT_TRUE; return S_OK; }
HRESULT CCorvaneCtrl::get_PrintShouldPrintHeaderAndFooter(VARIANT_BOOL* v) { return ReadBool(web_.print.headerAndFooter, v); }
HRESULT CCorvaneCtrl::put_PrintShouldPrintHeaderAndFooter(VARIANT_BOOL v) { web_.print.headerAndFooter = v == VARIANT_TRUE; return S_OK; }
HRESULT CCorvaneCtrl::get_PrintHeaderTitle(BSTR* v) { return ReadText(web_.print.headerTitle, v); }
HRESULT CCorvaneCtrl::put_PrintHeaderTitle(BSTR v) { return ComBarrier([&] { web_.print.headerTitle = BstrView(v); return S_OK; }); }
HRESULT CCorvaneCtrl::get_PrintFooterUri(BSTR* v) { return ReadText(web_.print.footerUri, v); }
HRESULT CCorvaneCtrl::put_PrintFooterUri(BSTR v) { return ComBarrier([&] { web_.print.footerUri = BstrView(v); return S_OK; }); }
HRESULT CCorvaneCtrl::get_PrintCopies(LONG* v) { return ReadValue(web_.print.copies, v); }
HRESULT CCorvaneCtrl::put_PrintCopies(LONG v) { web_.print.copies = v; return S_OK; }
HRESULT CCorvaneCtrl::get_PrintPagesPerSide(LONG* v) { return ReadValue(web_.print.pagesPerSide, v); }
HRESULT CCorvaneCtrl::put_PrintPagesPerSide(LONG v) { web_.print.pagesPerSide = v; return S_OK; }
HRESULT CCorvaneCtrl::get_PrintPageRanges(BSTR* v) { return ReadText(web_.print.pageRanges, v); }
HRESULT CCorvaneCtrl::put_PrintPageRanges(BSTR v) { return ComBarrier([&] { web_.print.pageRanges = BstrView(v); return S_OK; }); }

HRESULT CCorvaneCtrl::get_HasPrintToPdf(VARIANT_BOOL* value) {
    return ReadBool(webView_ && webView_.TryQuery<ICoreWebView2_7>(), value);
}

HRESULT CCorvaneCtrl::get_HasCapturePreview(VARIANT_BOOL* value) { return get_HasPrintToPdf(value); }

// The runtime's settings from the stored ones. A value the runtime refuses
// (a scale of 5, a negative margin) fails the print that uses it.
HRESULT CCorvaneCtrl::BuildPrintSettings(ComPtr<ICoreWebView2PrintSettings>& settings) {
    auto sixth = environment_.TryQuery<ICoreWebView2Environment6>();
    if (!sixth) return E_NOINTERFACE;
    HRESULT hr = sixth->CreatePrintSettings(settings.put());
    if (FAILED(hr) || !settings) return FAILED(hr) ? hr : E_FAIL;
    const StoredPrintSettings& s = web_.print;
    const HRESULT steps[] = {
        settings->put_Orientation(s.orientation == 1 ? COREWEBVIEW2_PRINT_ORIENTATION_LANDSCAPE
                                                     : COREWEBVIEW2_PRINT_ORIENTATION_PORTRAIT),
        settings->put_ScaleFactor(s.scaleFactor),
        settings->put_MarginTop(s.marginTop),
        settings->put_MarginBottom(s.marginBottom),
        settings->put_MarginLeft(s.marginLeft),
        settings->put_MarginRight(s.marginRight),
        settings->put_PageWidth(s.pageWidth),
        settings->put_PageHeight(s.pageHeight),
        settings->put_ShouldPrintBackgrounds(s.backgrounds ? TRUE : FALSE),
        settings->put_ShouldPrintSelectionOnly(s.selectionOnly ? TRUE : FALSE),
        settings->put_ShouldPrintHeaderAndFooter(s.headerAndFooter ? TRUE : FALSE),
        settings->put_HeaderTitle(ToWide(s.headerTitle).c_str()),
        settings->put_FooterUri(ToWide(s.footerUri).c_str()),
    };
    for (HRESULT step : steps)
        if (FAILED(step)) return step;
    if (auto second = settings.TryQuery<ICoreWebView2PrintSettings2>()) {
        if (FAILED(hr = second->put_Copies(s.copies))) return hr;
        if (FAILED(hr = second->put_PagesPerSide(s.pagesPerSide))) return hr;
        if (!s.pageRanges.empty() && FAILED(hr = second->put_PageRanges(ToWide(s.pageRanges).c_str()))) return hr;
    }
    return S_OK;
}

namespace {

// The browser's print dialog of `kind`, or window.print() where the runtime has none.
HRESULT ShowPrintUi(const ComPtr<ICoreWebView2>& webView, ControlErrorSlot& errors, COREWEBVIEW2_PRINT_DIALOG_KIND kind,
                    std::u16string_view member) {
    return ComBarrier([&]() -> HRESULT {
        if (!webView) return errors.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        auto sixteenth = webView.TryQuery<ICoreWebView2_16>();
        if (!sixteenth) return webView->ExecuteScript(L"window.print();", nullptr);
        const HRESULT hr = sixteenth->ShowPrintUI(kind);
        if (FAILED(hr)) return errors.LastErrorOnly(std::u16string(member) + u" failed. Error code: " + DecimalText(hr), hr);
        return hr;
    });
}

}  // namespace

HRESULT CCorvaneCtrl::PrintPage() {
    return ShowPrintUi(webView_, errors_, COREWEBVIEW2_PRINT_DIALOG_KIND_SYSTEM, u"PrintPage");
}

HRESULT CCorvaneCtrl::ShowPrintDialog() {
    return ShowPrintUi(webView_, errors_, COREWEBVIEW2_PRINT_DIALOG_KIND_BROWSER, u"ShowPrintDialog");
}

HRESULT CCorvaneCtrl::PrintWithSettings() {
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        auto sixteenth = webView_.TryQuery<ICoreWebView2_16>();
        if (!sixteenth)
            return errors_.LastErrorOnly(u"PrintWithSettings requires WebView2 runtime with Print support.", E_NOINTERFACE);
        ComPtr<ICoreWebView2PrintSettings> settings;
        HRESULT hr = BuildPrintSettings(settings);
        if (FAILED(hr))
            return errors_.LastErrorOnly(u"Failed to initiate PrintWithSettings. Error code: " + DecimalText(hr), hr);
        // The print ends later; a print that did not happen (no printer) is
        // recorded then, so the macro can tell it from one that did.
        ComPtr<IUnknown> keepAlive(Controlling());
        auto done = Callback<ICoreWebView2PrintCompletedHandler>(
            [this, keepAlive](HRESULT code, COREWEBVIEW2_PRINT_STATUS status) {
                if (FAILED(code))
                    errors_.LastErrorOnly(u"PrintWithSettings failed. Error code: " + DecimalText(code), code);
                else if (status == COREWEBVIEW2_PRINT_STATUS_PRINTER_UNAVAILABLE)
                    errors_.LastErrorOnly(u"PrintWithSettings failed: no printer is available.", E_FAIL);
                else if (status != COREWEBVIEW2_PRINT_STATUS_SUCCEEDED)
                    errors_.LastErrorOnly(u"PrintWithSettings failed.", E_FAIL);
                return S_OK;
            });
        if (!done) return E_OUTOFMEMORY;
        return sixteenth->Print(settings.get(), done.get());
    });
}

HRESULT CCorvaneCtrl::StartPdf(BSTR filePath, bool stored) {
    if (!filePath) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        const std::u16string name = stored ? u"PrintToPdfWithSettings" : u"PrintToPdf";
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        auto seventh = webView_.TryQuery<ICoreWebView2_7>();
        if (!seventh)
            return errors_.LastErrorOnly(stored ? u"PrintToPdfWithSettings requires WebView2 runtime with PrintToPdf support."
                                                : u"PrintToPdf is not supported by the current WebView2 runtime.",
                                         E_NOINTERFACE);
        const std::u16string path(BstrView(filePath));
        HRESULT hr = EnsureParentFolder(ToWide(path));
        if (FAILED(hr)) return errors_.LastErrorOnly(u"Failed to create parent directory for PDF file.", hr);
        ComPtr<ICoreWebView2PrintSettings> settings;
        if (stored) {
            hr = BuildPrintSettings(settings);
        } else if (auto sixth = environment_.TryQuery<ICoreWebView2Environment6>()) {
            hr = sixth->CreatePrintSettings(settings.put());
            if (SUCCEEDED(hr) && settings) {
                settings->put_ShouldPrintBackgrounds(TRUE);
                settings->put_ShouldPrintHeaderAndFooter(FALSE);
            }
        }
        if (FAILED(hr))
            return errors_.LastErrorOnly(u"Failed to initiate " + name + u". Error code: " + DecimalText(hr), hr);
        auto done = Callback<ICoreWebView2PrintToPdfCompletedHandler>([this, path, stored](HRESULT code, BOOL ok) {
            const bool success = SUCCEEDED(code) && ok;
            if (FAILED(code) || !ok) {
                const HRESULT reported = FAILED(code) ? code : E_FAIL;
                errors_.LastErrorOnly((stored ? u"PrintToPdfWithSettings failed. Error code: "
                                              : u"PrintToPdf operation failed. Error code: ") +
                                          DecimalText(reported),
                                      reported);
            }
            RaiseLater(u"PrintToPdfCompleted", [this, path, success] {
                RaiseEvent(kPrintToPdfCompleted, {std::u16string_view(path), success});
            });
            return S_OK;
        });
        if (!done) return E_OUTOFMEMORY;
        hr = seventh->PrintToPdf(ToWide(path).c_str(), settings.get(), done.get());
        if (FAILED(hr))
            return errors_.LastErrorOnly(u"Failed to initiate " + name + u". Error code: " + DecimalText(hr), hr);
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::PrintToPdf(BSTR filePath) { return StartPdf(filePath, false); }
HRESULT CCorvaneCtrl::PrintToPdfWithSettings(BSTR filePath) { return StartPdf(filePath, true); }

HRESULT CCorvaneCtrl::CaptureScreenshot(BSTR filePath, LONG* result) {
    if (result) *result = 0;
    if (!filePath || !result) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        const std::u16string path(BstrView(filePath));
        HRESULT hr = EnsureParentFolder(ToWide(path));
        if (FAILED(hr)) return errors_.LastErrorOnly(u"Failed to create parent directory for screenshot file.", hr);
        ComPtr<IStream> stream;
        hr = SHCreateStreamOnFileEx(ToWide(path).c_str(), STGM_CREATE | STGM_WRITE | STGM_SHARE_DENY_WRITE,
                                    FILE_ATTRIBUTE_NORMAL, TRUE, nullptr, stream.put());
        if (FAILED(hr)) return errors_.LastErrorOnly(u"Failed to create file stream for screenshot.", hr);
        // The handler holds the stream until the capture ends; releasing it closes the file.
        auto held = std::make_shared<ComPtr<IStream>>(stream);
        auto done = Callback<ICoreWebView2CapturePreviewCompletedHandler>([this, path, held](HRESULT code) {
            held->Reset();
            if (FAILED(code))
                errors_.LastErrorOnly(u"CaptureScreenshot operation failed. Error code: " + DecimalText(code), code);
            const bool success = SUCCEEDED(code);
            RaiseLater(u"CaptureScreenshotCompleted", [this, path, success] {
                RaiseEvent(kCaptureScreenshotCompleted, {std::u16string_view(path), success});
            });
            return S_OK;
        });
        if (!done) return E_OUTOFMEMORY;
        hr = webView_->CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG, stream.get(), done.get());
        if (FAILED(hr))
            return errors_.LastErrorOnly(u"Failed to initiate CaptureScreenshot. Error code: " + DecimalText(hr), hr);
        *result = 1;
        return S_OK;
    });
}

}  // namespace Corvane
