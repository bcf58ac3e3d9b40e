// The environment options handed to the runtime: browser arguments, language,
// target version and single sign-on, the same object the platform SDK offers.
#pragma once

#include "com_ptr.h"
#include "webview2.h"

namespace Corvane {

// The browser version our interface declarations follow; the runtime must be
// at least this new to honour every revision we ask for.
inline constexpr wchar_t kTargetCompatibleBrowserVersion[] = L"120.0.2210.55";

ComPtr<ICoreWebView2EnvironmentOptions> CreateEnvironmentOptions();

}  // namespace Corvane
