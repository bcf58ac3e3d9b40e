// Downloads: the browser saves each one under its guid in a folder of ours
// (the protocol names no other place); DownloadStarting lets the host cancel
// it or choose its result path, and on completion the file moves there.
// Pausing and resuming have no protocol equivalent (E_NOTIMPL).
#include "wine_paths.h"
#include "webview.h"

namespace Corvane::Chromium {

namespace {

std::wstring DownloadFolder(const std::wstring& userDataFolder) { return userDataFolder + L"\\CorvaneDownloads"; }

// A suggested name as one file name: no folders, no characters Windows refuses.
std::u16string SafeFileName(std::u16string_view name) {
    std::u16string out;
    for (char16_t c : name) out += (c < 32 || std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos) ? u'_' : c;
    while (!out.empty() && (out.back() == u'.' || out.back() == u' ')) out.pop_back();
    return out.empty() ? u"download" : out;
}

}  // namespace

HRESULT DownloadOperation::Cancel() {
    if (!view_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    if (state != COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS) return S_OK;
    return ComBarrier([&] {
        view_->CancelDownload(guid);
        return S_OK;
    });
}

HRESULT DownloadStartingArgs::get_DownloadOperation(ICoreWebView2DownloadOperation** value) {
    if (!value) return E_POINTER;
    *value = operation ? static_cast<ICoreWebView2DownloadOperation*>(operation.get()) : nullptr;
    if (*value) (*value)->AddRef();
    return S_OK;
}

HRESULT DownloadStartingArgs::put_ResultFilePath(LPCWSTR value) {
    if (!value || !*value) return E_INVALIDARG;
    return ComBarrier([&] {
        resultPath = View(value);
        return S_OK;
    });
}

HRESULT WebView::add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler* h, EventRegistrationToken* t) {
    HRESULT hr = downloadStarting_.Add(h, t);
    if (FAILED(hr) || !browser_ || closed_) return hr;
    const std::wstring folder = DownloadFolder(browser_->UserDataFolder());
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring browserPath = UnderWine() ? UnixPathOf(folder) : folder;
    if (browserPath.empty()) browserPath = folder;
    browser_->RouteDownloads(std::u16string(View(browserPath.c_str())));
    return hr;
}

void Browser::RouteDownloads(const std::u16string& folder) {
    if (folder == downloadFolder_) return;
    downloadFolder_ = folder;
    Send(u"Browser.setDownloadBehavior",
         Params().Add(u"behavior", u"allowAndName").Add(u"downloadPath", folder).Add(u"eventsEnabled", true).Text());
}

void WebView::CancelDownload(const std::u16string& guid) {
    if (browser_ && browser_->IsAlive()) browser_->Send(u"Browser.cancelDownload", Params().Add(u"guid", guid).Text());
}

void WebView::OnDownloadEvent(std::u16string_view method, const JsonNode& params) {
    const std::u16string guid(Str(&params, u"guid"));
    if (method == u"Browser.downloadWillBegin") {
        const std::u16string frameId(Str(&params, u"frameId"));
        if (frameId != mainFrameId_ && !frames_.count(frameId)) return;   // another view's
        auto operation = Make<DownloadOperation>(this);
        auto args = Make<DownloadStartingArgs>();
        if (!operation || !args) return CancelDownload(guid);
        operation->guid = guid;
        operation->uri = Str(&params, u"url");
        LPWSTR folder = nullptr;
        ComPtr<ICoreWebView2Profile> profile;
        if (SUCCEEDED(get_Profile(profile.put())) && profile) profile->get_DefaultDownloadFolderPath(&folder);
        args->resultPath = std::u16string(View(folder)) + u"\\" + SafeFileName(Str(&params, u"suggestedFilename"));
        CoTaskMemFree(folder);
        args->operation = operation;
        downloads_[guid] = operation;
        announced_[guid] = false;
        if (downloadStarting_.Empty()) {
            operation->resultPath = args->resultPath;
            announced_[guid] = true;
            return;
        }
        ComPtr<WebView> self(this);
        Enqueue([self, args, operation, guid] {
            self->downloadStarting_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                          static_cast<ICoreWebView2DownloadStartingEventArgs*>(args.get()));
            args->AnswerWhenDone([self, args, operation, guid] {
                if (args->cancel) {
                    // Never the host's: no further events for it.
                    self->downloads_.erase(guid);
                    self->announced_.erase(guid);
                    operation->state = COREWEBVIEW2_DOWNLOAD_STATE_INTERRUPTED;
                    operation->reason = COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_USER_CANCELED;
                    self->CancelDownload(guid);
                    return;
                }
                operation->resultPath = args->resultPath;
                self->announced_[guid] = true;
                // It may have ended while the host decided.
                if (operation->state != COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS)
                    self->FinishDownload(operation);
            });
        });
        return;
    }
    // Browser.downloadProgress
    auto found = downloads_.find(guid);
    if (found == downloads_.end()) return;
    ComPtr<DownloadOperation> operation = found->second;
    const std::u16string_view state = Str(&params, u"state");
    const INT64 total = static_cast<INT64>(Num(&params, u"totalBytes"));
    const INT64 received = static_cast<INT64>(Num(&params, u"receivedBytes"));
    const bool grew = received != operation->received || total != operation->total;
    operation->total = total;
    operation->received = received;
    const bool announced = announced_[guid];
    if (state == u"inProgress") {
        if (grew && announced) {
            ComPtr<WebView> self(this);
            Enqueue([operation] {
                operation->bytesChanged.Raise(static_cast<ICoreWebView2DownloadOperation*>(operation.get()),
                                              static_cast<IUnknown*>(nullptr));
            });
        }
        return;
    }
    operation->state = state == u"completed" ? COREWEBVIEW2_DOWNLOAD_STATE_COMPLETED : COREWEBVIEW2_DOWNLOAD_STATE_INTERRUPTED;
    if (operation->state == COREWEBVIEW2_DOWNLOAD_STATE_INTERRUPTED)
        operation->reason = COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_USER_CANCELED;
    if (announced) FinishDownload(operation);
}

// The file moves to its result path, then the host hears of the end.
void WebView::FinishDownload(const ComPtr<DownloadOperation>& operation) {
    downloads_.erase(operation->guid);
    announced_.erase(operation->guid);
    const std::wstring saved = DownloadFolder(UserDataFolder()) + L"\\" + Wide(operation->guid);
    if (operation->state == COREWEBVIEW2_DOWNLOAD_STATE_COMPLETED) {
        const std::wstring target = Wide(operation->resultPath);
        if (!MoveFileExW(saved.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
            operation->state = COREWEBVIEW2_DOWNLOAD_STATE_INTERRUPTED;
            operation->reason = COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_FILE_FAILED;
            DeleteFileW(saved.c_str());
        }
    } else {
        DeleteFileW(saved.c_str());
    }
    ComPtr<WebView> self(this);
    Enqueue([operation] {
        operation->stateChanged.Raise(static_cast<ICoreWebView2DownloadOperation*>(operation.get()),
                                      static_cast<IUnknown*>(nullptr));
    });
}

}  // namespace Corvane::Chromium
