// Navigation, plain and blocking, and web messages. Blocking
// calls wait with PumpWait and refuse to start where their completion could
// only arrive after the current event or page call has returned.
#include <memory>
#include <string>

#include "bstr.h"
#include "callback.h"
#include "corvane_ctrl.h"
#include "error_info.h"
#include "runtime_text.h"

namespace Corvane {

namespace {

constexpr HRESULT kTimeout = HRESULT_FROM_WIN32(ERROR_TIMEOUT);

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char16_t a = text[i], b = prefix[i];
        if (a >= u'A' && a <= u'Z') a = static_cast<char16_t>(a - u'A' + u'a');
        if (a != b) return false;
    }
    return true;
}

bool IsLocalPage(std::u16string_view url) { return StartsWithNoCase(url, u"data:") || StartsWithNoCase(url, u"about:"); }

}  // namespace

HRESULT CCorvaneCtrl::Refused(std::u16string_view message) {
    ReportError(IID_ICorvaneCtrl, message, CVN_E_SYNC_REENTRANT);
    return errors_.LastErrorOnly(message, CVN_E_SYNC_REENTRANT, CVN_E_SYNC_REENTRANT);
}

// A blocking call made while the browser is still being created waits for
// the creation in the same loop and within the same time-out as its own
// operation: macro code has no other way to wait. S_FALSE when there is no
// browser and none is being made.
HRESULT CCorvaneCtrl::AwaitBrowser(std::u16string_view operation, GuardKind kind, std::u16string_view alternative,
                                   DWORD& budget) {
    if (webView_) return S_OK;
    if (!CreationUnderWay() || !creationEvent_) return S_FALSE;
    std::u16string message;
    if (RefuseIfNested(operation, message, kind, alternative)) return Refused(message);
    ComPtr<IUnknown> keepAlive(Controlling());
    const ULONGLONG start = GetTickCount64();
    HRESULT hr = PumpWait(creationEvent_, budget);
    const ULONGLONG spent = GetTickCount64() - start;
    const DWORD allowed = budget;
    budget = spent >= budget ? 0 : budget - static_cast<DWORD>(spent);
    if (hr == kTimeout) {
        std::u16string text = std::u16string(operation) + u" waited " + DecimalText(allowed) +
                              u" ms (SynchronousTimeOut) for the browser to be created.";
        ReportError(IID_ICorvaneCtrl, text, kTimeout);
        return errors_.LastErrorOnly(text, kTimeout, kTimeout);
    }
    if (FAILED(hr)) return hr;
    if (webView_) return S_OK;
    // The creation recorded its own error.
    if (FAILED(creationResult_)) return creationResult_;
    return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
}

HRESULT CCorvaneCtrl::Navigate(BSTR url) {
    if (!url) return E_INVALIDARG;
    return ComBarrier([&]() -> HRESULT {
        std::u16string_view target = BstrView(url);
        if (!StartsWithNoCase(target, u"https://") && !StartsWithNoCase(target, u"http://") &&
            !StartsWithNoCase(target, u"about:"))
            return E_ACCESSDENIED;
        if (stage_.ready && webView_) {
            if (!controller_) return E_POINTER;
            return webView_->Navigate(ToWide(target).c_str());
        }
        pendingUrl_.assign(target);
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::get_url(BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return ComBarrier([&] {
        *value = MakeBstr(IsLocalPage(currentUrl_) ? std::u16string_view() : std::u16string_view(currentUrl_));
        return S_OK;
    });
}

// Never navigates a ready browser: the URL waits for the next readiness.
HRESULT CCorvaneCtrl::put_url(BSTR value) {
    if (!value) return S_OK;
    return ComBarrier([&] {
        if (!IsLocalPage(BstrView(value))) pendingUrl_.assign(BstrView(value));
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::GoBack() {
    if (!webView_) return E_FAIL;
    BOOL can = FALSE;
    if (FAILED(webView_->get_CanGoBack(&can)) || !can) return S_FALSE;
    return webView_->GoBack();
}

HRESULT CCorvaneCtrl::GoForward() {
    if (!webView_) return E_FAIL;
    BOOL can = FALSE;
    if (FAILED(webView_->get_CanGoForward(&can)) || !can) return S_FALSE;
    return webView_->GoForward();
}

HRESULT CCorvaneCtrl::Refresh() { return webView_ ? webView_->Reload() : E_FAIL; }

HRESULT CCorvaneCtrl::Stop() { return webView_ ? webView_->Stop() : E_FAIL; }

HRESULT CCorvaneCtrl::get_CanGoBack(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    BOOL can = FALSE;
    *value = ToVariantBool(webView_ && SUCCEEDED(webView_->get_CanGoBack(&can)) ? can != FALSE : canGoBack_);
    return S_OK;
}

HRESULT CCorvaneCtrl::get_CanGoForward(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    BOOL can = FALSE;
    *value = ToVariantBool(webView_ && SUCCEEDED(webView_->get_CanGoForward(&can)) ? can != FALSE : canGoForward_);
    return S_OK;
}

HRESULT CCorvaneCtrl::NavigateToString(BSTR html) {
    if (!html) return E_POINTER;
    if (!webView_) return E_FAIL;
    return ComBarrier([&] { return webView_->NavigateToString(ToWide(BstrView(html)).c_str()); });
}

// One blocking navigation per control: a second one started from inside the
// first one's wait is refused as nested, because the first holds the event.
HRESULT CCorvaneCtrl::BlockingNavigation(std::u16string_view operation, std::u16string_view alternative,
                                         const std::function<HRESULT()>& start) {
    DWORD budget = static_cast<DWORD>(settings_.synchronousTimeOut < 0 ? 0 : settings_.synchronousTimeOut);
    HRESULT ready = AwaitBrowser(operation, GuardKind::Completion, alternative, budget);
    if (FAILED(ready)) return ready;
    if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
    std::u16string message;
    if (RefuseIfNested(operation, message, GuardKind::Completion, alternative)) return Refused(message);
    if (navigationWaiting_) {
        message.assign(operation);
        message += u" cannot start while another synchronous navigation of this control is waiting. ";
        message += alternative;
        message += u" or call it after the first one has returned.";
        return Refused(message);
    }
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!event) return E_OUTOFMEMORY;
    navigationEvent_ = event;
    navigationWaiting_ = true;
    ComPtr<IUnknown> keepAlive(Controlling());
    auto finish = [this, event] {
        navigationWaiting_ = false;
        navigationEvent_ = nullptr;
        CloseHandle(event);
    };
    HRESULT hr = start();
    if (FAILED(hr)) {
        finish();
        return hr;
    }
    hr = PumpWait(event, budget);
    finish();
    return SUCCEEDED(hr) ? S_OK : hr;
}

HRESULT CCorvaneCtrl::NavigateSync(BSTR url) {
    if (!url) return E_INVALIDARG;
    return ComBarrier([&] {
        return BlockingNavigation(u"NavigateSync",
                                  u"Use Navigate instead (NavigationCompleted reports the end of the load),",
                                  [&] { return Navigate(url); });
    });
}

HRESULT CCorvaneCtrl::NavigateToStringSync(BSTR html) {
    if (!html) return E_INVALIDARG;
    return ComBarrier([&] {
        return BlockingNavigation(u"NavigateToStringSync",
                                  u"Use NavigateToString instead (NavigationCompleted reports the end of the load),",
                                  [&] { return NavigateToString(html); });
    });
}

// Sent at once to a browser, queued while one is being made, refused otherwise.
HRESULT CCorvaneCtrl::PostWebMessage(bool json, BSTR message) {
    if (!message) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        if (webView_) {
            const std::wstring text = ToWide(BstrView(message));
            return json ? webView_->PostWebMessageAsJson(text.c_str()) : webView_->PostWebMessageAsString(text.c_str());
        }
        if (!InitialisationUnderWay()) return E_FAIL;
        pendingMessages_.push_back({json, std::u16string(BstrView(message))});
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::PostWebMessageAsJson(BSTR webMessageAsJson) { return PostWebMessage(true, webMessageAsJson); }

HRESULT CCorvaneCtrl::PostWebMessageAsString(BSTR webMessageAsString) {
    return PostWebMessage(false, webMessageAsString);
}

}  // namespace Corvane
