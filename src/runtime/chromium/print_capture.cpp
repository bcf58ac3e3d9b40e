// PDF, printing and capture. PDFs come from Page.printToPDF and pictures from
// Page.captureScreenshot, both as base64 in the reply. A headless browser has
// no print spooler and no dialogs: printing to a printer completes with
// "printer unavailable", and the print dialogs are not supported.
#include "portable/print_rules.h"
#include "webview.h"

namespace Corvane::Chromium {

namespace {

// The settings a host handed in, read through the interface: the host may
// have made its own object.
PdfSettings ReadSettings(ICoreWebView2PrintSettings* settings) {
    PdfSettings pdf;
    if (!settings) return pdf;
    COREWEBVIEW2_PRINT_ORIENTATION orientation = COREWEBVIEW2_PRINT_ORIENTATION_PORTRAIT;
    BOOL flag = FALSE;
    LPWSTR text = nullptr;
    if (SUCCEEDED(settings->get_Orientation(&orientation)))
        pdf.landscape = orientation == COREWEBVIEW2_PRINT_ORIENTATION_LANDSCAPE;
    settings->get_ScaleFactor(&pdf.scale);
    settings->get_PageWidth(&pdf.pageWidth);
    settings->get_PageHeight(&pdf.pageHeight);
    settings->get_MarginTop(&pdf.marginTop);
    settings->get_MarginBottom(&pdf.marginBottom);
    settings->get_MarginLeft(&pdf.marginLeft);
    settings->get_MarginRight(&pdf.marginRight);
    if (SUCCEEDED(settings->get_ShouldPrintBackgrounds(&flag))) pdf.backgrounds = flag != FALSE;
    if (SUCCEEDED(settings->get_ShouldPrintHeaderAndFooter(&flag))) pdf.headerAndFooter = flag != FALSE;
    auto readText = [&](std::u16string& slot) {
        if (text) slot = View(text);
        CoTaskMemFree(text);
        text = nullptr;
    };
    if (SUCCEEDED(settings->get_HeaderTitle(&text))) readText(pdf.headerTitle);
    if (SUCCEEDED(settings->get_FooterUri(&text))) readText(pdf.footerUri);
    ComPtr<ICoreWebView2PrintSettings2> second;
    if (SUCCEEDED(settings->QueryInterface(__uuidof(ICoreWebView2PrintSettings2), reinterpret_cast<void**>(second.put()))) &&
        second && SUCCEEDED(second->get_PageRanges(&text)))
        readText(pdf.pageRanges);
    return pdf;
}

// The browser refused the parameters (a page range beyond the document, ...)
// or went away before answering.
HRESULT ReplyFailure(const CdpReply& reply) {
    return reply.lost ? HRESULT_FROM_WIN32(ERROR_CONNECTION_ABORTED) : E_INVALIDARG;
}

HRESULT WriteWholeFile(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    // A temporary file beside the target, moved over it once complete: a
    // failed write never leaves half a PDF under the host's name.
    const std::wstring temporary = path + L".partial";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const HRESULT hr = HRESULT_FROM_WIN32(ok ? GetLastError() : error);
        DeleteFileW(temporary.c_str());
        return FAILED(hr) ? hr : E_FAIL;
    }
    return S_OK;
}

}  // namespace

HRESULT NewPrintSettings(ICoreWebView2PrintSettings** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto settings = Make<PrintSettings>();
    if (!settings) return E_OUTOFMEMORY;
    *out = static_cast<ICoreWebView2PrintSettings*>(settings.get());
    (*out)->AddRef();
    return S_OK;
}

void WebView::MakePdf(ICoreWebView2PrintSettings* settings, std::function<void(HRESULT, std::vector<unsigned char>&)> done) {
    std::u16string params, reason;
    std::vector<unsigned char> none;
    if (!PrintToPdfParams(ReadSettings(settings), params, reason)) return done(E_INVALIDARG, none);
    Send(u"Page.printToPDF", params, [done](const CdpReply& reply) {
        std::vector<unsigned char> bytes;
        if (!reply.Ok()) return done(ReplyFailure(reply), bytes);
        if (!DecodeBase64(Str(reply.result, u"data"), bytes) || bytes.empty()) return done(E_UNEXPECTED, bytes);
        done(S_OK, bytes);
    });
}

HRESULT WebView::PrintToPdf(LPCWSTR resultFilePath, ICoreWebView2PrintSettings* printSettings,
                            ICoreWebView2PrintToPdfCompletedHandler* handler) {
    if (!resultFilePath || !*resultFilePath) return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    // Settings the browser would refuse fail the call itself, as bad arguments do.
    std::u16string params, reason;
    if (!PrintToPdfParams(ReadSettings(printSettings), params, reason)) return E_INVALIDARG;
    ComPtr<ICoreWebView2PrintToPdfCompletedHandler> done(handler);
    const std::wstring path = resultFilePath;
    return ComBarrier([&] {
        MakePdf(printSettings, [done, path](HRESULT hr, std::vector<unsigned char>& bytes) {
            if (SUCCEEDED(hr)) hr = WriteWholeFile(path, bytes);
            if (done) done->Invoke(hr, SUCCEEDED(hr) ? TRUE : FALSE);
        });
        return S_OK;
    });
}

HRESULT WebView::PrintToPdfStream(ICoreWebView2PrintSettings* printSettings,
                                  ICoreWebView2PrintToPdfStreamCompletedHandler* handler) {
    if (!handler) return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    std::u16string params, reason;
    if (!PrintToPdfParams(ReadSettings(printSettings), params, reason)) return E_INVALIDARG;
    ComPtr<ICoreWebView2PrintToPdfStreamCompletedHandler> done(handler);
    return ComBarrier([&] {
        MakePdf(printSettings, [done](HRESULT hr, std::vector<unsigned char>& bytes) {
            ComPtr<IStream> stream;
            if (SUCCEEDED(hr)) hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
            if (SUCCEEDED(hr)) hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
            if (SUCCEEDED(hr)) hr = stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
            done->Invoke(hr, SUCCEEDED(hr) ? stream.get() : nullptr);
        });
        return S_OK;
    });
}

HRESULT WebView::Print(ICoreWebView2PrintSettings* printSettings, ICoreWebView2PrintCompletedHandler* handler) {
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    std::u16string params, reason;
    if (!PrintToPdfParams(ReadSettings(printSettings), params, reason)) return E_INVALIDARG;
    ComPtr<ICoreWebView2PrintCompletedHandler> done(handler);
    // No printer can be reached from the browser: the print completes, after
    // a round trip like every completion, as the runtime reports a missing printer.
    return ComBarrier([&] {
        browser_->Send(u"Browser.getVersion", u"{}", {}, [done](const CdpReply&) {
            if (done) done->Invoke(S_OK, COREWEBVIEW2_PRINT_STATUS_PRINTER_UNAVAILABLE);
        });
        return S_OK;
    });
}

HRESULT WebView::ShowPrintUI(COREWEBVIEW2_PRINT_DIALOG_KIND kind) {
    if (kind != COREWEBVIEW2_PRINT_DIALOG_KIND_BROWSER && kind != COREWEBVIEW2_PRINT_DIALOG_KIND_SYSTEM)
        return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);   // a headless browser shows no dialogs
}

HRESULT WebView::CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT format, IStream* stream,
                                ICoreWebView2CapturePreviewCompletedHandler* handler) {
    if (!stream) return E_INVALIDARG;
    if (format != COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG && format != COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG)
        return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    ComPtr<IStream> target(stream);
    ComPtr<ICoreWebView2CapturePreviewCompletedHandler> done(handler);
    return ComBarrier([&] {
        Send(u"Page.captureScreenshot",
             Params().Add(u"format", format == COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG ? u"png" : u"jpeg").Text(),
             [target, done](const CdpReply& reply) {
                 HRESULT hr = reply.Ok() ? S_OK : ReplyFailure(reply);
                 std::vector<unsigned char> bytes;
                 if (SUCCEEDED(hr) && !DecodeBase64(Str(reply.result, u"data"), bytes)) hr = E_UNEXPECTED;
                 ULONG written = 0;
                 if (SUCCEEDED(hr)) hr = target->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
                 if (SUCCEEDED(hr) && written != bytes.size()) hr = STG_E_MEDIUMFULL;
                 if (done) done->Invoke(hr);
             });
        return S_OK;
    });
}

}  // namespace Corvane::Chromium
