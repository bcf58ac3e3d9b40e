// The navigation sequencer: DevTools events of the main frame become the web
// view's navigation events, in the order a WebView2 host sees them:
// NavigationStarting, SourceChanged, ContentLoading, HistoryChanged,
// DOMContentLoaded, NavigationCompleted, all with one navigation id.
//  - Network documents pause (Fetch) before they are requested: the host's
//    cancel fails the request, so the old page stays.
//  - about:, data: and other local documents never reach Fetch; they start
//    with Page.frameStartedNavigating, where cancel can only stop loading.
//  - Events of an earlier loader that arrive after a new navigation began
//    are dropped; error pages reach load too, so success also requires that
//    the document itself did not fail.
#include "portable/web_error_status.h"
#include "settings.h"
#include "webview.h"
#include "wine_paths.h"

namespace Corvane::Chromium {

namespace {

bool IsNetworkUrl(std::u16string_view url) {
    return url.starts_with(u"http:") || url.starts_with(u"https:");
}

constexpr std::u16string_view kAborted = u"net::ERR_ABORTED";
constexpr std::size_t kMaxStringDocument = 2 * 1024 * 1024;
constexpr int kHistoryAttempts = 20;

}  // namespace

UINT64 WebView::BeginNavigation(std::u16string url, bool userInitiated, bool redirected,
                                std::function<void(bool cancel, UINT64 id)> then) {
    if (!redirected) {
        // A navigation that had not finished is replaced by this one.
        if (nav_.active) Complete(false, static_cast<int>(WebErrorStatus::OperationCanceled));
        nav_ = Navigation{};
        nav_.id = nextNavigationId_++;
        nav_.active = true;
        ++navigationsStarted_;
    }
    nav_.url = url;
    auto args = Make<NavigationStartingArgs>();
    const UINT64 id = nav_.id;
    if (!args) {
        if (then) then(false, id);
        return id;
    }
    args->uri = std::move(url);
    args->userInitiated = userInitiated;
    args->redirected = redirected;
    args->navigationId = nav_.id;
    ComPtr<WebView> self(this);
    Enqueue([self, args, then, id] {
        self->navigationStarting_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                        static_cast<ICoreWebView2NavigationStartingEventArgs*>(args.get()));
        if (then) then(args->cancel, id);
    });
    return id;
}

void WebView::OnRequestPaused(const JsonNode& params) {
    const std::u16string requestId(Str(&params, u"requestId"));
    // Filters, a mapped host's folder or the network answer it (interception.cpp).
    std::shared_ptr<PausedRequest> paused = Paused(params);
    if (!paused->mainDocument) {
        AnswerPaused(paused);
        return;
    }
    const bool redirected = !Str(&params, u"redirectedRequestId").empty() && nav_.active && !nav_.committed;
    const std::u16string networkId(Str(&params, u"networkId"));
    ComPtr<WebView> self(this);
    BeginNavigation(std::u16string(Str(Obj(&params, u"request"), u"url")),
                    Bool(Obj(&params, u"request"), u"hasUserGesture"), redirected, [self, requestId, paused](bool cancel, UINT64 id) {
        if (self->closed_) return;
        if (cancel) {
            self->Send(u"Fetch.failRequest", Params().Add(u"requestId", requestId).Add(u"errorReason", u"Aborted").Text());
            if (self->nav_.id == id && self->nav_.active)
                self->Complete(false, static_cast<int>(WebErrorStatus::OperationCanceled));
            return;
        }
        self->AnswerPaused(paused);
    });
    nav_.requestId = networkId.empty() ? requestId : networkId;
}

void WebView::OnFrameStartedNavigating(const JsonNode& params) {
    if (Str(&params, u"frameId") != mainFrameId_) return;
    const std::u16string url(Str(&params, u"url"));
    if (IsNetworkUrl(url)) return;   // Fetch reports these, and can cancel them
    // Our own NavigateToString or Navigate already announced this one.
    if (nav_.active && !nav_.committed && nav_.url == url && nav_.requestId.empty()) {
        nav_.requestId = Str(&params, u"loaderId");
        return;
    }
    ComPtr<WebView> self(this);
    BeginNavigation(url, false, false, [self](bool cancel, UINT64 id) {
        if (!cancel || self->closed_) return;
        self->Send(u"Page.stopLoading", u"{}");
        if (self->nav_.id == id && self->nav_.active)
            self->Complete(false, static_cast<int>(WebErrorStatus::OperationCanceled));
    });
    nav_.requestId = Str(&params, u"loaderId");
}

void WebView::OnFrameNavigated(const JsonNode& params) {
    const JsonNode* frame = Obj(&params, u"frame");
    const std::u16string frameId(Str(frame, u"id"));
    std::u16string url(Str(frame, u"url"));
    frameUrls_[frameId] = url;
    if (!Str(frame, u"parentId").empty() || frameId != mainFrameId_) {
        auto child = frames_.find(frameId);
        if (child != frames_.end()) {
            ComPtr<Frame> renamed = child->second;
            std::u16string name(Str(frame, u"name"));
            Enqueue([renamed, name] { renamed->Rename(name); });
        }
        return;
    }
    crashed_ = false;
    const bool errorPage = url.starts_with(u"chrome-error:");
    if (errorPage && !Str(frame, u"unreachableUrl").empty()) url = Str(frame, u"unreachableUrl");
    // A navigation that did not pass through a start we saw (history served
    // locally, a document written by the page): announced now.
    if (!nav_.active || nav_.committed) BeginNavigation(url, false, false, nullptr);
    // The old document's iframes went with it; the browser reports no
    // detach for them when the main frame commits a new document (v156).
    std::map<std::u16string, ComPtr<Frame>> gone;
    gone.swap(frames_);
    for (auto& entry : gone) {
        ComPtr<Frame> frame = entry.second;
        Enqueue([frame] { frame->Destroy(); });
    }
    nav_.committed = true;
    nav_.errorPage = errorPage;
    nav_.loaderId = Str(frame, u"loaderId");
    nav_.historyPending = true;
    const UINT64 id = nav_.id;
    ComPtr<WebView> self(this);
    if (url != source_) {
        source_ = url;
        Enqueue([self] {
            auto changed = Make<SourceChangedArgs>(true);
            if (changed) self->sourceChanged_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                                    static_cast<ICoreWebView2SourceChangedEventArgs*>(changed.get()));
        });
    }
    Enqueue([self, errorPage, id] {
        auto loading = Make<ContentLoadingArgs>(errorPage, id);
        if (loading) self->contentLoading_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                                 static_cast<ICoreWebView2ContentLoadingEventArgs*>(loading.get()));
    });
    // Without the built-in error page the failed navigation shows a blank
    // document. The browser's error page ignores Page.setDocumentContent
    // (v156), so it is emptied from inside, in its own context.
    if (errorPage && settings_ && !settings_->errorPage) BlankErrorPage();
    RefreshHistory();
}

void WebView::BlankErrorPage() {
    Evaluate(u"document.documentElement.innerHTML = '<head></head><body></body>', 0", [](HRESULT, const CdpReply&) {});
}

void WebView::OnSameDocument(const JsonNode& params) {
    if (Str(&params, u"frameId") != mainFrameId_) return;
    source_ = Str(&params, u"url");
    ComPtr<WebView> self(this);
    Enqueue([self] {
        auto changed = Make<SourceChangedArgs>(false);
        if (changed) self->sourceChanged_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                                static_cast<ICoreWebView2SourceChangedEventArgs*>(changed.get()));
    });
    RefreshHistory();
}

void WebView::OnLifecycle(const JsonNode& params) {
    if (Str(&params, u"frameId") != mainFrameId_ || !nav_.active || !nav_.committed || nav_.stringContent) return;
    if (Str(&params, u"loaderId") != nav_.loaderId) return;   // an earlier document's late event
    const std::u16string_view name = Str(&params, u"name");
    // The error page's own script fills it in as it loads: empty it again then.
    if (name == u"load" && nav_.errorPage && settings_ && !settings_->errorPage) BlankErrorPage();
    if ((name == u"DOMContentLoaded" || name == u"load") && nav_.historyRetry) {
        nav_.historyRetry = false;
        RefreshHistory(1);
    }
    if (name == u"DOMContentLoaded") ConfirmTitle();
    if (name == u"DOMContentLoaded" && !nav_.domFired) {
        nav_.domDeferred = true;
        if (!nav_.historyPending) FlushDeferred();
    } else if (name == u"load") {
        nav_.domDeferred = !nav_.domFired;
        nav_.completeDeferred = true;
        if (!nav_.historyPending) FlushDeferred();
    }
}

// The target's title is the URL until the document's title is known: read
// the document's own once it is parsed. The navigation's remaining events wait
// for it, so a host reading the title when the load completes sees the page's.
void WebView::ConfirmTitle() {
    ComPtr<WebView> self(this);
    const UINT64 id = nav_.id;
    nav_.titlePending = nav_.active;
    Evaluate(u"document.title", [self, id](HRESULT hr, const CdpReply& reply) {
        if (self->closed_) return;
        const std::u16string_view title = Str(Obj(reply.result, u"result"), u"value");
        if (SUCCEEDED(hr) && !title.empty()) self->OnTitle(std::u16string(title));
        if (self->nav_.id != id || !self->nav_.titlePending) return;
        self->nav_.titlePending = false;
        self->FlushDeferred();
    });
}

void WebView::FlushDeferred() {
    if (nav_.historyPending || nav_.titlePending) return;
    const UINT64 id = nav_.id;
    ComPtr<WebView> self(this);
    if (nav_.domDeferred && !nav_.domFired) {
        nav_.domDeferred = false;
        nav_.domFired = true;
        Enqueue([self, id] {
            auto args = Make<DOMContentLoadedArgs>(id);
            if (args) self->domContentLoaded_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                                    static_cast<ICoreWebView2DOMContentLoadedEventArgs*>(args.get()));
        });
    }
    if (nav_.completeDeferred) {
        nav_.completeDeferred = false;
        // An HTTP error page is a document, but not the one that was asked for.
        const bool failed = nav_.errorPage || !nav_.errorText.empty() || nav_.httpStatus >= 400;
        const int status = nav_.errorText.empty() ? static_cast<int>(WebErrorStatus::Unknown)
                                                  : static_cast<int>(WebErrorStatusFromErrorText(nav_.errorText));
        Complete(!failed, failed ? status : static_cast<int>(WebErrorStatus::Unknown));
    }
}

void WebView::OnDocumentFailed(std::u16string_view requestId, std::u16string_view errorText) {
    if (!nav_.active || requestId != nav_.requestId || nav_.committed) return;
    nav_.errorText = errorText;
    // An aborted document shows no error page: nothing more will come for it.
    if (errorText == kAborted) Complete(false, static_cast<int>(WebErrorStatusFromErrorText(errorText)));
}

void WebView::CompleteIfStopped() {
    // Loading stopped with no load event to come for the document we wait
    // for: it never committed, or it failed after committing. The blank
    // document under a string document stops before its content is written.
    if (!nav_.active || nav_.completeDeferred || nav_.stringContent) return;
    if (!nav_.committed) {
        const std::u16string text = nav_.errorText.empty() ? std::u16string(kAborted) : nav_.errorText;
        Complete(false, static_cast<int>(WebErrorStatusFromErrorText(text)));
        return;
    }
    if (nav_.errorText.empty()) return;   // the load event decides
    nav_.completeDeferred = true;
    if (nav_.historyRetry) {
        nav_.historyRetry = false;
        RefreshHistory(1);
    } else if (!nav_.historyPending) {
        FlushDeferred();
    }
}

void WebView::Complete(bool success, int status) {
    if (!nav_.active) return;
    nav_.active = false;
    auto args = Make<NavigationCompletedArgs>(success, status, nav_.id, nav_.httpStatus);
    if (!args) return;
    ComPtr<WebView> self(this);
    Enqueue([self, args] {
        self->navigationCompleted_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                         static_cast<ICoreWebView2NavigationCompletedEventArgs*>(args.get()));
    });
}

void WebView::RefreshHistory(int attempt) {
    ComPtr<WebView> self(this);
    const UINT64 id = nav_.id;
    Send(u"Page.getNavigationHistory", u"{}", [self, id, attempt](const CdpReply& reply) {
        if (self->closed_) return;
        bool changed = false;
        if (reply.Ok()) {
            const JsonNode* entries = reply.result->Find(u"entries");
            std::vector<int> ids;
            std::u16string key;
            for (std::uint32_t i = 0; entries && entries->type == JsonNodeType::Array && i < entries->count; ++i) {
                ids.push_back(static_cast<int>(Num(&entries->elements[i], u"id")));
                key += Str(&entries->elements[i], u"url");
                key += u'\n';
            }
            const int index = static_cast<int>(Num(reply.result, u"currentIndex"));
            key += std::u16string(1, static_cast<char16_t>(index));
            changed = key != self->historyKey_ || ids != self->historyEntries_;
            self->historyKey_ = std::move(key);
            self->historyEntries_ = std::move(ids);
            self->historyIndex_ = index;
        }
        const bool waiting = self->nav_.id == id && self->nav_.historyPending;
        // Right after a commit the browser may still answer with the old list,
        // or refuse while the page changes hands ("not attached to an active
        // page"): look again when the document is parsed, or at once if it is.
        if (!changed && waiting && attempt < kHistoryAttempts && !reply.lost) {
            if (self->nav_.completeDeferred || self->nav_.domDeferred || attempt > 0) self->RefreshHistory(attempt + 1);
            else self->nav_.historyRetry = true;
            return;
        }
        if (changed) self->Enqueue([self] {
            self->historyChanged_.Raise(static_cast<ICoreWebView2*>(self.get()), static_cast<IUnknown*>(nullptr));
        });
        if (!waiting) return;
        self->nav_.historyPending = false;
        self->FlushDeferred();
    });
}

void WebView::OnNavigateReply(UINT64 startedBefore, std::u16string url, const CdpReply& reply) {
    if (closed_) return;
    const std::u16string_view errorText = reply.Ok() ? Str(reply.result, u"errorText") : std::u16string_view();
    if (navigationsStarted_ == startedBefore) {
        // Refused before any request was made (an unsafe port, a malformed
        // address): the host still hears of a navigation, and of its failure.
        if (reply.Ok() && errorText.empty()) return;
        BeginNavigation(std::move(url), false, false, nullptr);
        nav_.errorText = reply.Ok() ? errorText : kAborted;
        Complete(false, static_cast<int>(WebErrorStatusFromErrorText(nav_.errorText)));
        return;
    }
    if (!errorText.empty()) OnDocumentFailed(nav_.requestId, errorText);
}

HRESULT WebView::Navigate(LPCWSTR uri) {
    if (!uri) return E_INVALIDARG;
    std::u16string url(View(BrowserFileUrl(uri).c_str()));
    // An absolute URI has a scheme: letters, digits, + - . before a colon.
    const std::size_t colon = url.find(u':');
    if (colon == std::u16string::npos || colon == 0) return E_INVALIDARG;
    for (std::size_t i = 0; i < colon; ++i) {
        const char16_t c = url[i];
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                        (i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'));
        if (!ok) return E_INVALIDARG;
    }
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    firstDocument_ = false;
    return ComBarrier([&] {
        ComPtr<WebView> self(this);
        auto go = [self, url] {
            const UINT64 before = self->navigationsStarted_;
            self->Send(u"Page.navigate", Params().Add(u"url", url).Text(),
                       [self, before, url](const CdpReply& reply) { self->OnNavigateReply(before, url, reply); });
        };
        if (IsNetworkUrl(url)) {
            go();
            return S_OK;
        }
        // Local documents never pause in Fetch: the host decides before we ask.
        BeginNavigation(url, false, false, [self, go](bool cancel, UINT64) {
            if (self->closed_) return;
            if (cancel) self->Complete(false, static_cast<int>(WebErrorStatus::OperationCanceled));
            else go();
        });
        return S_OK;
    });
}

HRESULT WebView::NavigateToString(LPCWSTR htmlContent) {
    if (!htmlContent) return E_INVALIDARG;
    std::u16string html(View(htmlContent));
    if (html.size() > kMaxStringDocument) return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    return ComBarrier([&] {
        ComPtr<WebView> self(this);
        BeginNavigation(u"about:blank", false, false, [self, html](bool cancel, UINT64 id) {
            if (self->closed_ || self->nav_.id != id || !self->nav_.active) return;
            if (cancel) return self->Complete(false, static_cast<int>(WebErrorStatus::OperationCanceled));
            self->WriteDocument(id, html);
        });
        nav_.stringContent = true;
        return S_OK;
    });
}

// A blank document first, then the content written into it: the blank
// document's own events do not count, ours are raised once the content is in.
// A view's untouched first document is already such a blank document: the
// content goes straight into it, and its commit is announced here instead.
void WebView::WriteDocument(UINT64 id, std::u16string html) {
    ComPtr<WebView> self(this);
    std::vector<std::u16string> scripts = std::move(firstDocumentScripts_);
    firstDocumentScripts_.clear();
    // With scripts disabled, running the document scripts here is not ours to
    // decide: a new document then, as for any other navigation.
    if (std::exchange(firstDocument_, false) && (scripts.empty() || !sentScriptDisabled_)) {
        nav_.committed = true;
        nav_.historyPending = true;
        Enqueue([self, id] {
            auto loading = Make<ContentLoadingArgs>(false, id);
            if (loading) self->contentLoading_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                                     static_cast<ICoreWebView2ContentLoadingEventArgs*>(loading.get()));
        });
        RefreshHistory();
        WriteContent(id, std::move(html), std::move(scripts));
        return;
    }
    Send(u"Page.navigate", Params().Add(u"url", u"about:blank").Text(), [self, id, html](const CdpReply& reply) {
        if (self->closed_ || self->nav_.id != id || !self->nav_.active) return;
        if (!reply.Ok() || !Str(reply.result, u"errorText").empty()) {
            self->Complete(false, static_cast<int>(WebErrorStatus::UnexpectedError));
            return;
        }
        self->WriteContent(id, html);
    });
}

// Document scripts added since the set-up run in the first document between
// its document.open, which ends the listeners and content it had, and the
// writing of the content, exactly as in a new document.
void WebView::WriteContent(UINT64 id, std::u16string html, std::vector<std::u16string> scripts) {
    ComPtr<WebView> self(this);
    std::u16string method = u"Page.setDocumentContent";
    std::u16string params = Params().Add(u"frameId", mainFrameId_).Add(u"html", html).Text();
    if (!scripts.empty()) {
        Send(u"Runtime.evaluate", Params().Add(u"expression", u"document.open()").Text());
        for (const std::u16string& script : scripts) Send(u"Runtime.evaluate", Params().Add(u"expression", script).Text());
        method = u"Runtime.evaluate";
        params = Params().Add(u"expression", u"document.write(" + Quote(html) + u");document.close()").Text();
    }
    Send(method, params, [self, id](const CdpReply& written) {
        if (self->closed_ || self->nav_.id != id || !self->nav_.active) return;
        if (!written.Ok()) {
            self->Complete(false, static_cast<int>(WebErrorStatus::UnexpectedError));
            return;
        }
        // The written document's title is known before the navigation
        // ends, as with any page: hosts read it when the load completes.
        self->Evaluate(u"document.title", [self, id](HRESULT hr, const CdpReply& reply) {
            if (self->closed_ || self->nav_.id != id || !self->nav_.active) return;
            const std::u16string_view title = Str(Obj(reply.result, u"result"), u"value");
            if (SUCCEEDED(hr) && !title.empty()) self->OnTitle(std::u16string(title));
            self->nav_.domDeferred = !self->nav_.domFired;
            self->nav_.completeDeferred = true;
            self->nav_.errorText.clear();
            self->nav_.errorPage = false;
            self->nav_.httpStatus = 0;
            if (self->nav_.historyRetry) {
                self->nav_.historyRetry = false;
                self->RefreshHistory(1);
            } else if (!self->nav_.historyPending) {
                self->FlushDeferred();
            }
        });
    });
}

HRESULT WebView::Reload() {
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    firstDocument_ = false;
    return ComBarrier([&] {
        Send(u"Page.reload", u"{}");
        return S_OK;
    });
}

HRESULT WebView::Stop() {
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    return ComBarrier([&] {
        Send(u"Page.stopLoading", u"{}");
        return S_OK;
    });
}

HRESULT WebView::GoBack() {
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    firstDocument_ = false;
    if (historyIndex_ <= 0 || historyIndex_ > static_cast<int>(historyEntries_.size())) return S_OK;
    return ComBarrier([&] {
        Send(u"Page.navigateToHistoryEntry", Params().Add(u"entryId", historyEntries_[historyIndex_ - 1]).Text());
        return S_OK;
    });
}

HRESULT WebView::GoForward() {
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    firstDocument_ = false;
    if (historyIndex_ + 1 >= static_cast<int>(historyEntries_.size())) return S_OK;
    return ComBarrier([&] {
        Send(u"Page.navigateToHistoryEntry", Params().Add(u"entryId", historyEntries_[historyIndex_ + 1]).Text());
        return S_OK;
    });
}

}  // namespace Corvane::Chromium
