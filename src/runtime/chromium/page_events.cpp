// Page events that are not navigation or script: dialogs (always answered,
// since an open dialog stalls every script of the page), crashes, the title,
// popups and iframes.
#include "settings.h"
#include "webview.h"

namespace Corvane::Chromium {

void WebView::OnDialog(const JsonNode& params) {
    const std::u16string_view type = Str(&params, u"type");
    // Without a host answer: alerts and leaving the page are accepted,
    // questions are declined, as a user closing the dialog would.
    const bool acceptByDefault = type == u"alert" || type == u"beforeunload";
    if (!settings_ || settings_->defaultDialogs || scriptDialogOpening_.Empty()) {
        AnswerDialog(acceptByDefault, {});
        return;
    }
    auto args = Make<ScriptDialogArgs>();
    if (!args) {
        AnswerDialog(acceptByDefault, {});
        return;
    }
    args->uri = Str(&params, u"url");
    args->message = Str(&params, u"message");
    args->defaultText = Str(&params, u"defaultPrompt");
    args->kind = type == u"confirm"        ? COREWEBVIEW2_SCRIPT_DIALOG_KIND_CONFIRM
                 : type == u"prompt"       ? COREWEBVIEW2_SCRIPT_DIALOG_KIND_PROMPT
                 : type == u"beforeunload" ? COREWEBVIEW2_SCRIPT_DIALOG_KIND_BEFOREUNLOAD
                                           : COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT;
    ComPtr<WebView> self(this);
    Enqueue([self, args] {
        ComPtr<ScriptDialogArgs> keep = args;
        args->onComplete = [self, keep] { self->AnswerDialog(keep->accepted, keep->resultText); };
        self->scriptDialogOpening_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                         static_cast<ICoreWebView2ScriptDialogOpeningEventArgs*>(args.get()));
        // A deferral holds its own copy of the answer until it is completed.
        args->onComplete = nullptr;
        if (!args->deferral) self->AnswerDialog(args->accepted, args->resultText);
    });
}

void WebView::AnswerDialog(bool accept, const std::u16string& text) {
    if (closed_) return;
    Params params;
    params.Add(u"accept", accept);
    if (accept) params.Add(u"promptText", text);
    Send(u"Page.handleJavaScriptDialog", params.Text());
}

void WebView::OnCrashed() {
    if (crashed_) return;   // both the page and the browser report it
    crashed_ = true;
    contextReady_ = false;
    if (nav_.active) {
        nav_.errorText = u"net::ERR_FAILED";
        Complete(false, 0);
    }
    ComPtr<WebView> self(this);
    Enqueue([self] {
        auto args = Make<ProcessFailedArgs>(COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED);
        if (args) self->processFailed_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                             static_cast<ICoreWebView2ProcessFailedEventArgs*>(args.get()));
    });
}

void WebView::OnTitle(std::u16string title) {
    if (title == title_) return;
    title_ = std::move(title);
    ComPtr<WebView> self(this);
    Enqueue([self] {
        self->documentTitleChanged_.Raise(static_cast<ICoreWebView2*>(self.get()), static_cast<IUnknown*>(nullptr));
    });
}

void WebView::OnWindowOpen(const JsonNode& params) {
    auto args = Make<NewWindowArgs>();
    if (!args) return;
    args->uri = Str(&params, u"url");
    args->userInitiated = Bool(&params, u"userGesture");
    ComPtr<WebView> self(this);
    auto decide = [self](bool close) {
        if (self->closed_) return;
        self->popupDecisions_.push_back(close);
        // The popup's target and this decision arrive in either order.
        while (!self->popupDecisions_.empty() && !self->unmatchedPopups_.empty()) {
            const bool closeIt = self->popupDecisions_.front();
            const std::u16string target = self->unmatchedPopups_.front();
            self->popupDecisions_.pop_front();
            self->unmatchedPopups_.pop_front();
            if (closeIt) self->browser_->Send(u"Target.closeTarget", Params().Add(u"targetId", target).Text());
        }
    };
    Enqueue([self, args, decide] {
        ComPtr<NewWindowArgs> keep = args;
        args->onComplete = [decide, keep] { decide(keep->handled); };
        self->newWindowRequested_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                        static_cast<ICoreWebView2NewWindowRequestedEventArgs*>(args.get()));
        args->onComplete = nullptr;
        if (!args->deferral) decide(args->handled);
    });
}

void WebView::OnPopupTarget(const JsonNode& targetInfo) {
    unmatchedPopups_.push_back(std::u16string(Str(&targetInfo, u"targetId")));
    while (!popupDecisions_.empty() && !unmatchedPopups_.empty()) {
        const bool closeIt = popupDecisions_.front();
        const std::u16string target = unmatchedPopups_.front();
        popupDecisions_.pop_front();
        unmatchedPopups_.pop_front();
        if (closeIt) browser_->Send(u"Target.closeTarget", Params().Add(u"targetId", target).Text());
    }
}

void WebView::OnFrameAttached(const JsonNode& params) {
    if (Str(&params, u"parentFrameId") != mainFrameId_) return;
    const std::u16string frameId(Str(&params, u"frameId"));
    if (frames_.count(frameId)) return;
    auto frame = Make<Frame>();
    if (!frame) return;
    frames_[frameId] = frame;
    auto args = Make<FrameCreatedArgs>(frame);
    ComPtr<WebView> self(this);
    if (args) Enqueue([self, args] {
        self->frameCreated_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                  static_cast<ICoreWebView2FrameCreatedEventArgs*>(args.get()));
    });
}

void WebView::OnFrameDetached(const JsonNode& params) {
    if (Str(&params, u"reason") == u"swap") return;   // moved to another process, still there
    auto found = frames_.find(std::u16string(Str(&params, u"frameId")));
    if (found == frames_.end()) return;
    ComPtr<Frame> frame = found->second;
    frames_.erase(found);
    Enqueue([frame] { frame->Destroy(); });
}

}  // namespace Corvane::Chromium
