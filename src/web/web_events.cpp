// The network's handlers on a new browser, and their release with it. The
// listed filters and response tracking are registered again with a browser
// made after them (crash recovery, re-creation): the control says they are in
// force, so they must be.
#include "bstr.h"
#include "callback.h"
#include "corvane_ctrl.h"
#include "runtime_text.h"

namespace Corvane {

void CCorvaneCtrl::RegisterWebEvents() {
    ComPtr<ICoreWebView2> view = webView_;
    auto& removals = webViewRemovals_;
    // A new navigation may use stored credentials again.
    Listen(view, &ICoreWebView2::add_NavigationStarting, &ICoreWebView2::remove_NavigationStarting, removals,
           Guarded([this](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs*) { net_.storedAnswerPending.clear(); }));
    if (auto v10 = view.TryQuery<ICoreWebView2_10>())
        Listen(v10, &ICoreWebView2_10::add_BasicAuthenticationRequested,
               &ICoreWebView2_10::remove_BasicAuthenticationRequested, removals,
               Guarded([this](ICoreWebView2*, ICoreWebView2BasicAuthenticationRequestedEventArgs* args) {
                   OnBasicAuthentication(args);
               }));
    if (auto v4 = view.TryQuery<ICoreWebView2_4>())
        Listen(v4, &ICoreWebView2_4::add_DownloadStarting, &ICoreWebView2_4::remove_DownloadStarting, removals,
               Guarded([this](ICoreWebView2*, ICoreWebView2DownloadStartingEventArgs* args) { OnDownloadStarting(args); }));
    removals.push_back([this] { ReleaseWebEvents(); });

    if (!net_.filters.empty()) {
        RegisterRequestHandler();
        for (const ResourceFilter& filter : net_.filters)
            view->AddWebResourceRequestedFilter(
                ToWide(filter.pattern).c_str(),
                static_cast<COREWEBVIEW2_WEB_RESOURCE_CONTEXT>(RuntimeResourceContext(filter.context)));
    }
    if (net_.tracking) EnableWebResourceResponseTracking(VARIANT_TRUE);
    // Download settings made before the browser existed apply to it.
    if (!net_.downloadFolder.empty())
        if (auto profile = BrowserProfile()) profile->put_DefaultDownloadFolderPath(ToWide(net_.downloadFolder).c_str());
    if (auto v9 = view.TryQuery<ICoreWebView2_9>()) {
        if (net_.cornerAlignment != 0)
            v9->put_DefaultDownloadDialogCornerAlignment(
                static_cast<COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT>(
                    net_.cornerAlignment >= 0 && net_.cornerAlignment <= 3 ? net_.cornerAlignment : 0));
        if (net_.marginX || net_.marginY) v9->put_DefaultDownloadDialogMargin(POINT{net_.marginX, net_.marginY});
    }
}

void CCorvaneCtrl::ReleaseWebEvents() {
    if (auto remove = std::exchange(net_.removeRequestHandler, nullptr)) remove();
    if (auto remove = std::exchange(net_.removeResponseHandler, nullptr)) remove();
    auto downloads = std::move(net_.downloads);
    net_.downloads.clear();
    for (auto& [id, download] : downloads)
        for (auto& remove : download.removals) remove();
    net_.storedAnswerPending.clear();
}

}  // namespace Corvane
