// Find in page: one find run at a time, its match count and active match
// kept here as the runtime last reported them, and raised as events.
#include "barrier.h"
#include "bstr.h"
#include "callback.h"
#include "corvane_ctrl.h"
#include "read_property.h"
#include "runtime_text.h"

namespace Corvane {

namespace {

constexpr DISPID kFindMatchCountChanged = 0x14;
constexpr DISPID kFindActiveMatchChanged = 0x15;
constexpr DISPID kFindCompleted = 0x16;

}  // namespace

void CCorvaneCtrl::StopFindRun() {
    if (!web_.findRun) return;
    ComPtr<ICoreWebView2Find> run = std::move(web_.findRun);
    web_.findRun.Reset();
    run->remove_MatchCountChanged(web_.matchCountToken);
    run->remove_ActiveMatchIndexChanged(web_.activeMatchToken);
    web_.matchCountToken = {};
    web_.activeMatchToken = {};
    run->Stop();
}

HRESULT CCorvaneCtrl::StartFind(BSTR searchText, VARIANT_BOOL caseSensitive, VARIANT_BOOL matchWholeWord) {
    if (!searchText) return S_OK;   // nothing to look for
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        auto find28 = webView_.TryQuery<ICoreWebView2_28>();
        if (!find28)
            return errors_.LastErrorOnly(u"Find API requires newer WebView2 Runtime (SDK 1.0.3405+).", E_NOINTERFACE);
        StopFindRun();
        ComPtr<ICoreWebView2Find> run;
        HRESULT hr = find28->get_Find(run.put());
        if (FAILED(hr) || !run) return errors_.LastErrorOnly(u"Failed to get Find interface.", FAILED(hr) ? hr : E_FAIL);
        ICoreWebView2Find* raw = run.get();
        auto onActive = Callback<ICoreWebView2FindActiveMatchIndexChangedEventHandler>(
            [this, raw](ICoreWebView2Find* sender, IUnknown*) {
                if (raw != web_.findRun.get() || !sender) return S_OK;   // a replaced run
                INT32 index = 0;
                if (FAILED(sender->get_ActiveMatchIndex(&index))) return S_OK;
                web_.findActiveMatchIndex = index;
                RaiseLater(u"FindActiveMatchChanged", [this, index] { RaiseEvent(kFindActiveMatchChanged, {LONG(index)}); });
                return S_OK;
            });
        auto onCount = Callback<ICoreWebView2FindMatchCountChangedEventHandler>(
            [this, raw](ICoreWebView2Find* sender, IUnknown*) {
                if (raw != web_.findRun.get() || !sender) return S_OK;
                INT32 count = 0;
                if (FAILED(sender->get_MatchCount(&count))) return S_OK;
                web_.findMatchCount = count;
                RaiseLater(u"FindMatchCountChanged", [this, count] { RaiseEvent(kFindMatchCountChanged, {LONG(count)}); });
                return S_OK;
            });
        if (!onActive || !onCount) return E_OUTOFMEMORY;
        if (FAILED(hr = run->add_ActiveMatchIndexChanged(onActive.get(), &web_.activeMatchToken))) return hr;
        if (FAILED(hr = run->add_MatchCountChanged(onCount.get(), &web_.matchCountToken))) {
            run->remove_ActiveMatchIndexChanged(web_.activeMatchToken);
            return hr;
        }
        web_.findRun = run;
        HookWebFeatureTeardown();
        auto fifteenth = environment_.TryQuery<ICoreWebView2Environment15>();
        if (!fifteenth)
            return errors_.LastErrorOnly(u"Find API requires WebView2 SDK with ICoreWebView2Environment15.", E_NOINTERFACE);
        ComPtr<ICoreWebView2FindOptions> options;
        hr = fifteenth->CreateFindOptions(options.put());
        if (FAILED(hr) || !options) return errors_.LastErrorOnly(u"Failed to create FindOptions.", FAILED(hr) ? hr : E_FAIL);
        options->put_FindTerm(ToWide(BstrView(searchText)).c_str());
        options->put_IsCaseSensitive(caseSensitive == VARIANT_TRUE ? TRUE : FALSE);
        options->put_ShouldMatchWord(matchWholeWord == VARIANT_TRUE ? TRUE : FALSE);
        options->put_SuppressDefaultFindDialog(web_.suppressFindUI ? TRUE : FALSE);
        options->put_ShouldHighlightAllMatches(web_.highlightAll ? TRUE : FALSE);
        web_.findActive = true;
        web_.findMatchCount = 0;
        web_.findActiveMatchIndex = 0;
        auto started = Callback<ICoreWebView2FindStartCompletedHandler>([this, raw](HRESULT code) {
            if (FAILED(code) || raw != web_.findRun.get()) return S_OK;
            INT32 count = 0, index = 0;
            if (SUCCEEDED(raw->get_MatchCount(&count))) web_.findMatchCount = count;
            // The active match too: the change event does not come when the new
            // run's first match has the index the last run ended on.
            if (SUCCEEDED(raw->get_ActiveMatchIndex(&index))) web_.findActiveMatchIndex = index;
            const LONG total = web_.findMatchCount;
            RaiseLater(u"FindCompleted", [this, total] { RaiseEvent(kFindCompleted, {total}); });
            return S_OK;
        });
        if (!started) return E_OUTOFMEMORY;
        return run->Start(options.get(), started.get());
    });
}

HRESULT CCorvaneCtrl::FindNext() {
    return ComBarrier([&]() -> HRESULT {
        if (!web_.findRun) return errors_.LastErrorOnly(u"No active find session. Call StartFind first.", E_FAIL);
        return web_.findRun->FindNext();
    });
}

HRESULT CCorvaneCtrl::FindPrevious() {
    return ComBarrier([&]() -> HRESULT {
        if (!web_.findRun) return errors_.LastErrorOnly(u"No active find session. Call StartFind first.", E_FAIL);
        return web_.findRun->FindPrevious();
    });
}

HRESULT CCorvaneCtrl::StopFind(VARIANT_BOOL) {
    return ComBarrier([&]() -> HRESULT {
        web_.findActive = false;
        if (!web_.findRun) return S_OK;
        ComPtr<ICoreWebView2Find> run = std::move(web_.findRun);
        web_.findRun.Reset();
        run->remove_MatchCountChanged(web_.matchCountToken);
        run->remove_ActiveMatchIndexChanged(web_.activeMatchToken);
        return run->Stop();
    });
}

HRESULT CCorvaneCtrl::get_FindMatchCount(LONG* value) { return ReadValue<LONG>(web_.findMatchCount, value); }

HRESULT CCorvaneCtrl::get_FindActiveMatchIndex(LONG* value) { return ReadValue<LONG>(web_.findActiveMatchIndex, value); }

HRESULT CCorvaneCtrl::get_IsFindActive(VARIANT_BOOL* value) { return ReadBool(web_.findActive, value); }

HRESULT CCorvaneCtrl::get_SuppressFindUI(VARIANT_BOOL* value) { return ReadBool(web_.suppressFindUI, value); }

HRESULT CCorvaneCtrl::put_SuppressFindUI(VARIANT_BOOL value) {
    web_.suppressFindUI = value == VARIANT_TRUE;
    return S_OK;
}

HRESULT CCorvaneCtrl::get_FindHighlightAllMatches(VARIANT_BOOL* value) { return ReadBool(web_.highlightAll, value); }

HRESULT CCorvaneCtrl::put_FindHighlightAllMatches(VARIANT_BOOL value) {
    web_.highlightAll = value == VARIANT_TRUE;
    return S_OK;
}

}  // namespace Corvane
