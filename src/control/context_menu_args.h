// The object ContextMenuRequested hands to the host: where the menu opens,
// what it is for, and a Handled flag passed on to the browser at once.
#pragma once

#include <oaidl.h>

#include "com_ptr.h"
#include "webview2.h"

namespace Corvane {

ComPtr<IDispatch> CreateContextMenuArgs(ICoreWebView2ContextMenuRequestedEventArgs* args);

}  // namespace Corvane
