// What the control keeps for its network members: resource filters and
// their handler, blocking and its counter, custom requests and responses by
// handle, stored Basic credentials, download settings and the downloads in
// progress by number.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "com_ptr.h"
#include "web_rules.h"
#include "webview2.h"

namespace Corvane {

struct WebState {
    std::vector<ResourceFilter> filters;
    std::function<void()> removeRequestHandler;     // set while the request handler is registered
    bool blocking = false;
    std::uint32_t blockedCount = 0;
    bool tracking = false;
    std::function<void()> removeResponseHandler;    // set while the response handler is registered
    std::int32_t nextHandle = 1;                    // shared by requests and responses
    std::map<std::int32_t, ComPtr<ICoreWebView2WebResourceRequest>> requests;
    std::map<std::int32_t, ComPtr<ICoreWebView2WebResourceResponse>> responses;

    CredentialMap credentials;
    // URIs answered from stored credentials whose answer the server has not
    // accepted yet: a second challenge for one of them goes to the host.
    std::set<std::u16string> storedAnswerPending;

    std::u16string downloadFolder;
    bool allowDownloads = true;
    bool hiddenDownloadUI = false;
    std::int32_t cornerAlignment = 0;
    std::int32_t marginX = 0, marginY = 0;
    struct Download {
        ComPtr<ICoreWebView2DownloadOperation> operation;
        std::vector<std::function<void()>> removals;
    };
    std::map<std::int32_t, Download> downloads;
};

}  // namespace Corvane
