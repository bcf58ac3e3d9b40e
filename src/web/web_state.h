// What the control keeps for its page features: the find run and its
// counters, the stored print settings, and the DevTools event
// subscriptions. The members live in find.cpp, printing.cpp and devtools.cpp.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "com_ptr.h"
#include "corvane_h.h"
#include "webview2.h"

namespace Corvane {

struct StoredPrintSettings {
    CVN_PRINT_ORIENTATION orientation = static_cast<CVN_PRINT_ORIENTATION>(0);
    double scaleFactor = 1.0;
    double marginTop = 0, marginBottom = 0, marginLeft = 0, marginRight = 0;
    double pageWidth = 8.5, pageHeight = 11.0;
    bool backgrounds = true, selectionOnly = false, headerAndFooter = false;
    std::u16string headerTitle, footerUri, pageRanges;
    LONG copies = 1, pagesPerSide = 1;
};

struct DevToolsSubscription {
    ComPtr<ICoreWebView2DevToolsProtocolEventReceiver> receiver;
    EventRegistrationToken token{};
    std::uint64_t generation = 0;
};

struct WebFeatureState {
    // Find in page.
    ComPtr<ICoreWebView2Find> findRun;
    EventRegistrationToken matchCountToken{}, activeMatchToken{};
    LONG findMatchCount = 0, findActiveMatchIndex = 0;
    bool findActive = false, highlightAll = false, suppressFindUI = true;
    // Printing.
    StoredPrintSettings print;
    // DevTools events by exact name; a subscription's generation tells a
    // queued event of an older subscription of the same name.
    std::map<std::u16string, DevToolsSubscription> devTools;
    std::uint64_t nextGeneration = 0;
    HANDLE callEvent = nullptr;   // reused by blocking protocol calls
    ~WebFeatureState() {
        if (callEvent) CloseHandle(callEvent);
    }
    // The browser's teardown ends find runs and subscriptions with it.
    const void* hookedWebView = nullptr;
};

}  // namespace Corvane
