// Downloads: allowed or refused, placed where the host says, followed by
// number through progress events, paused, resumed or cancelled by number;
// the browser's own download dialog and its placement.
#include "bstr.h"
#include "callback.h"
#include "corvane_ctrl.h"
#include "read_property.h"
#include "runtime_text.h"

namespace Corvane {

namespace Id {
constexpr DISPID DownloadStarting = 0xb;
constexpr DISPID DownloadStartingHex = 0x3e;
constexpr DISPID DownloadProgressChanged = 0xc;
constexpr DISPID DownloadProgressChangedHex = 0x3f;
constexpr DISPID DownloadCompleted = 0xd;
constexpr DISPID DownloadCompletedHex = 0x40;
}  // namespace Id

namespace {

std::u16string HexText(INT64 value) {
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    auto bits = static_cast<UINT64>(value);
    std::u16string out;
    do {
        out.insert(out.begin(), digits[bits & 0xF]);
        bits >>= 4;
    } while (bits);
    return out;
}

COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT RuntimeCorner(std::int32_t value) {
    return static_cast<COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT>(value >= 0 && value <= 3 ? value : 0);
}

}  // namespace

void CCorvaneCtrl::OnDownloadStarting(ICoreWebView2DownloadStartingEventArgs* args) {
    ComPtr<ICoreWebView2DownloadOperation> operation;
    args->get_DownloadOperation(operation.put());
    if (!net_.allowDownloads) {
        args->put_Cancel(TRUE);
        return;
    }
    const std::u16string uri = ReadRuntimeString(operation.get(), &ICoreWebView2DownloadOperation::get_Uri);
    std::u16string mime = ReadRuntimeString(operation.get(), &ICoreWebView2DownloadOperation::get_MimeType);
    if (mime.empty()) mime = u"application/octet-stream";
    INT64 total = 0;
    if (operation) operation->get_TotalBytesToReceive(&total);

    VARIANT_BOOL cancel = VARIANT_FALSE;
    BSTR resultPath = MakeBstr(u"");
    const bool hex = settings_.eventsUseHexadecimal;
    const std::u16string totalHex = HexText(total);
    RaiseNow(u"DownloadStarting", [&] {
        if (hex)
            RaiseEvent(Id::DownloadStartingHex, {std::u16string_view(uri), u"download", std::u16string_view(totalHex),
                                                 std::u16string_view(mime), EventArg::InOut(&cancel),
                                                 EventArg::InOut(&resultPath)});
        else
            RaiseEvent(Id::DownloadStarting, {std::u16string_view(uri), u"download", static_cast<LONG>(total),
                                              std::u16string_view(mime), EventArg::InOut(&cancel),
                                              EventArg::InOut(&resultPath)});
    });
    const std::u16string path(BstrView(resultPath));
    SysFreeString(resultPath);
    if (cancel == VARIANT_TRUE || !operation) {
        args->put_Cancel(TRUE);
        return;
    }
    const std::int32_t id = FreeDownloadId(net_.downloads);
    WebState::Download& download = net_.downloads[id];
    download.operation = operation;
    if (!path.empty()) args->put_ResultFilePath(ToWide(path).c_str());
    if (net_.hiddenDownloadUI) args->put_Handled(TRUE);

    for (const bool stateChanged : {false, true}) {
        auto body = Guarded([this, id, stateChanged](ICoreWebView2DownloadOperation* sender, IUnknown*) {
            OnDownloadChanged(id, sender, stateChanged);
        });
        EventRegistrationToken token{};
        if (stateChanged) {
            auto handler = Callback<ICoreWebView2StateChangedEventHandler>(std::move(body));
            if (handler && SUCCEEDED(operation->add_StateChanged(handler.get(), &token)))
                download.removals.push_back([operation, token] { operation->remove_StateChanged(token); });
        } else {
            auto handler = Callback<ICoreWebView2BytesReceivedChangedEventHandler>(std::move(body));
            if (handler && SUCCEEDED(operation->add_BytesReceivedChanged(handler.get(), &token)))
                download.removals.push_back([operation, token] { operation->remove_BytesReceivedChanged(token); });
        }
    }
}

void CCorvaneCtrl::OnDownloadChanged(std::int32_t id, ICoreWebView2DownloadOperation* operation, bool stateChanged) {
    if (!operation) return;
    COREWEBVIEW2_DOWNLOAD_STATE state = COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS;
    INT64 received = 0, total = 0;
    operation->get_State(&state);
    operation->get_BytesReceived(&received);
    operation->get_TotalBytesToReceive(&total);
    const bool hex = settings_.eventsUseHexadecimal;
    if (hex) {
        const std::u16string receivedHex = HexText(received), totalHex = HexText(total);
        RaiseLater(u"DownloadProgressChangedHex", [this, id, receivedHex, totalHex, state] {
            RaiseEvent(Id::DownloadProgressChangedHex, {static_cast<LONG>(id), std::u16string_view(receivedHex),
                                                        std::u16string_view(totalHex), static_cast<LONG>(state)});
        });
    } else {
        RaiseLater(u"DownloadProgressChanged", [this, id, received, total, state] {
            RaiseEvent(Id::DownloadProgressChanged, {static_cast<LONG>(id), static_cast<LONG>(received),
                                                     static_cast<LONG>(total), static_cast<LONG>(state)});
        });
    }
    if (!stateChanged || state == COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS) return;
    const bool success = state == COREWEBVIEW2_DOWNLOAD_STATE_COMPLETED;
    const std::u16string path = ReadRuntimeString(operation, &ICoreWebView2DownloadOperation::get_ResultFilePath);
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON reason = COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_NONE;
    if (!success) operation->get_InterruptReason(&reason);
    RaiseLater(hex ? u"DownloadCompletedHex" : u"DownloadCompleted", [this, id, path, success, reason, hex] {
        RaiseEvent(hex ? Id::DownloadCompletedHex : Id::DownloadCompleted,
                   {static_cast<LONG>(id), std::u16string_view(path), success, static_cast<LONG>(reason)});
    });
    auto found = net_.downloads.find(id);
    if (found != net_.downloads.end() && found->second.operation.get() == operation) {
        WebState::Download gone = std::move(found->second);
        net_.downloads.erase(found);
        for (auto& remove : gone.removals) remove();
    }
}

HRESULT CCorvaneCtrl::DownloadCommand(LONG id, HRESULT (STDMETHODCALLTYPE ICoreWebView2DownloadOperation::*command)()) {
    return ComBarrier([&]() -> HRESULT {
        auto found = net_.downloads.find(id);
        if (found == net_.downloads.end() || !found->second.operation)
            return errors_.LastErrorOnly(u"Download not found or already completed.", E_FAIL);
        ComPtr<ICoreWebView2DownloadOperation> operation = found->second.operation;
        return (operation.get()->*command)();
    });
}

HRESULT CCorvaneCtrl::PauseDownload(LONG downloadId) {
    return DownloadCommand(downloadId, &ICoreWebView2DownloadOperation::Pause);
}
HRESULT CCorvaneCtrl::ResumeDownload(LONG downloadId) {
    return DownloadCommand(downloadId, &ICoreWebView2DownloadOperation::Resume);
}
HRESULT CCorvaneCtrl::CancelDownload(LONG downloadId) {
    return DownloadCommand(downloadId, &ICoreWebView2DownloadOperation::Cancel);
}

HRESULT CCorvaneCtrl::get_DefaultDownloadFolderPath(BSTR* value) {
    if (!value) return E_POINTER;
    *value = MakeBstr(net_.downloadFolder);
    return *value ? S_OK : E_OUTOFMEMORY;
}

HRESULT CCorvaneCtrl::put_DefaultDownloadFolderPath(BSTR value) {
    return ComBarrier([&] {
        net_.downloadFolder.assign(BstrView(value));
        if (webView_ && !net_.downloadFolder.empty())
            if (auto profile = BrowserProfile()) profile->put_DefaultDownloadFolderPath(value);
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::get_AllowDownloads(VARIANT_BOOL* value) { return ReadBool(net_.allowDownloads, value); }
HRESULT CCorvaneCtrl::put_AllowDownloads(VARIANT_BOOL value) {
    net_.allowDownloads = IsTrue(value);
    return S_OK;
}
HRESULT CCorvaneCtrl::get_HiddenDownloadUI(VARIANT_BOOL* value) { return ReadBool(net_.hiddenDownloadUI, value); }
HRESULT CCorvaneCtrl::put_HiddenDownloadUI(VARIANT_BOOL value) {
    net_.hiddenDownloadUI = IsTrue(value);
    return S_OK;
}

HRESULT CCorvaneCtrl::get_IsDownloadDialogOpen(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = VARIANT_FALSE;
    BOOL open = FALSE;
    if (auto v9 = webView_.TryQuery<ICoreWebView2_9>())
        if (SUCCEEDED(v9->get_IsDefaultDownloadDialogOpen(&open))) *value = ToVariantBool(open != FALSE);
    return S_OK;
}

HRESULT CCorvaneCtrl::OpenDownloadDialog() {
    if (!webView_) return E_FAIL;
    auto v9 = webView_.TryQuery<ICoreWebView2_9>();
    if (!v9)
        return errors_.LastErrorOnly(u"OpenDownloadDialog requires WebView2 runtime version 1.0.902.49 or later.",
                                     E_NOTIMPL);
    return v9->OpenDefaultDownloadDialog();
}

HRESULT CCorvaneCtrl::CloseDownloadDialog() {
    if (!webView_) return E_FAIL;
    auto v9 = webView_.TryQuery<ICoreWebView2_9>();
    if (!v9)
        return errors_.LastErrorOnly(u"CloseDownloadDialog requires WebView2 runtime version 1.0.902.49 or later.",
                                     E_NOTIMPL);
    return v9->CloseDefaultDownloadDialog();
}

HRESULT CCorvaneCtrl::ShowSaveAsDialog() {
    if (!webView_) return E_FAIL;
    auto v25 = webView_.TryQuery<ICoreWebView2_25>();
    if (!v25)
        return errors_.LastErrorOnly(u"ShowSaveAsDialog requires WebView2 runtime version 1.0.2730.45 or later.",
                                     E_NOTIMPL);
    ComPtr<IUnknown> keepAlive(Controlling());
    auto done = Callback<ICoreWebView2ShowSaveAsUICompletedHandler>(
        [this, keepAlive](HRESULT code, COREWEBVIEW2_SAVE_AS_UI_RESULT) {
            if (FAILED(code))
                errors_.LastErrorOnly(u"ShowSaveAsUI failed. Error code: " + DecimalText(static_cast<long>(code)), code);
            return S_OK;
        });
    if (!done) return E_OUTOFMEMORY;
    return v25->ShowSaveAsUI(done.get());
}

HRESULT CCorvaneCtrl::get_DefaultDownloadDialogCornerAlignment(CVN_DOWNLOAD_DIALOG_CORNER_ALIGNMENT* value) {
    if (!value) return E_POINTER;
    *value = static_cast<CVN_DOWNLOAD_DIALOG_CORNER_ALIGNMENT>(net_.cornerAlignment);
    COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT corner{};
    if (auto v9 = webView_.TryQuery<ICoreWebView2_9>())
        if (SUCCEEDED(v9->get_DefaultDownloadDialogCornerAlignment(&corner)))
            *value = static_cast<CVN_DOWNLOAD_DIALOG_CORNER_ALIGNMENT>(corner);
    return S_OK;
}

HRESULT CCorvaneCtrl::put_DefaultDownloadDialogCornerAlignment(CVN_DOWNLOAD_DIALOG_CORNER_ALIGNMENT value) {
    net_.cornerAlignment = static_cast<std::int32_t>(value);
    if (auto v9 = webView_.TryQuery<ICoreWebView2_9>()) v9->put_DefaultDownloadDialogCornerAlignment(RuntimeCorner(value));
    return S_OK;
}

HRESULT CCorvaneCtrl::get_DefaultDownloadDialogMarginX(LONG* value) {
    if (!value) return E_POINTER;
    *value = net_.marginX;
    POINT margin{};
    if (auto v9 = webView_.TryQuery<ICoreWebView2_9>())
        if (SUCCEEDED(v9->get_DefaultDownloadDialogMargin(&margin))) *value = margin.x;
    return S_OK;
}

HRESULT CCorvaneCtrl::get_DefaultDownloadDialogMarginY(LONG* value) {
    if (!value) return E_POINTER;
    *value = net_.marginY;
    POINT margin{};
    if (auto v9 = webView_.TryQuery<ICoreWebView2_9>())
        if (SUCCEEDED(v9->get_DefaultDownloadDialogMargin(&margin))) *value = margin.y;
    return S_OK;
}

HRESULT CCorvaneCtrl::put_DefaultDownloadDialogMarginX(LONG value) {
    net_.marginX = value;
    if (auto v9 = webView_.TryQuery<ICoreWebView2_9>()) v9->put_DefaultDownloadDialogMargin(POINT{net_.marginX, net_.marginY});
    return S_OK;
}

HRESULT CCorvaneCtrl::put_DefaultDownloadDialogMarginY(LONG value) {
    net_.marginY = value;
    if (auto v9 = webView_.TryQuery<ICoreWebView2_9>()) v9->put_DefaultDownloadDialogMargin(POINT{net_.marginX, net_.marginY});
    return S_OK;
}

}  // namespace Corvane
