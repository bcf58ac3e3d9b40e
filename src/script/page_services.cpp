// Page services: the window.cv facade for page authors, the bridge
// inspector overlay, and local content folders served under a virtual host
// name with ordinary https URLs.
#include <string>
#include <vector>

#include "barrier.h"
#include "bstr.h"
#include "corvane_ctrl.h"
#include "error_info.h"
#include "runtime_text.h"

namespace Corvane {

namespace {

std::u16string EnvironmentFolder(const wchar_t* name) {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(name, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};   // unset, or too long to be a folder we compare
    return FromWide(buffer);
}

}  // namespace

HRESULT CCorvaneCtrl::EnableCvFacade(VARIANT_BOOL enabled) {
    if (enabled == VARIANT_FALSE) {
        cvFacade_ = false;   // a registered script stays for later documents
        return S_OK;
    }
    return ComBarrier([&]() -> HRESULT {
        if (webView_) {
            std::u16string message;
            if (RefuseIfNested(u"EnableCvFacade", message, GuardKind::Completion,
                               u"Call it before the browser is ready (for example in Form_Load, where it is queued),"))
                return Refused(message);
        }
        UniqueBstr script(FacadeScript());
        const HRESULT hr = AddScriptToExecuteOnDocumentCreated(script.get(), nullptr);
        if (SUCCEEDED(hr)) cvFacade_ = true;
        return hr;
    });
}

HRESULT CCorvaneCtrl::get_IsCvFacadeEnabled(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = cvFacade_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CCorvaneCtrl::ToggleBridgeInspector() {
    inspectorOn_ = !inspectorOn_;
    if (webView_)
        webView_->ExecuteScript(ToWide(inspectorOn_ ? InspectorScript() : InspectorRemovalScript()).c_str(), nullptr);
    return S_OK;
}

HRESULT CCorvaneCtrl::SetLocalContentRoot(BSTR folderPath) {
    if (!folderPath) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        wchar_t full[MAX_PATH];
        const DWORD length = GetFullPathNameW(ToWide(BstrView(folderPath)).c_str(), MAX_PATH, full, nullptr);
        if (length == 0 || length >= MAX_PATH) return E_INVALIDARG;
        const DWORD attributes = GetFileAttributesW(full);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return E_INVALIDARG;
        wchar_t windows[MAX_PATH] = L"";
        const UINT windowsLength = GetWindowsDirectoryW(windows, MAX_PATH);
        const std::vector<std::u16string> programFolders = {EnvironmentFolder(L"ProgramFiles"),
                                                            EnvironmentFolder(L"ProgramFiles(x86)"),
                                                            EnvironmentFolder(L"ProgramW6432")};
        const std::u16string path = FromWide(full);
        if (IsProtectedFolder(path, windowsLength && windowsLength < MAX_PATH ? FromWide(windows) : std::u16string(),
                              programFolders))
            return E_ACCESSDENIED;
        UniqueBstr folder(path), host(kContentHost), legacy(kLegacyContentHost);
        const HRESULT hr = SetVirtualHostNameToFolderMapping(host.get(), folder.get(), 1);
        SetVirtualHostNameToFolderMapping(legacy.get(), folder.get(), 1);
        return hr;
    });
}

HRESULT CCorvaneCtrl::NavigateToLocalFile(BSTR filename) {
    if (!filename) return E_POINTER;
    return ComBarrier([&] {
        UniqueBstr url(std::u16string(u"https://") + kContentHost + u"/" + std::u16string(BstrView(filename)));
        return Navigate(url.get());
    });
}

HRESULT CCorvaneCtrl::SetVirtualHostNameToFolderMapping(BSTR hostName, BSTR folderPath, LONG accessKind) {
    if (!hostName || !folderPath) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        auto third = webView_.TryQuery<ICoreWebView2_3>();
        if (!third)
            return errors_.LastErrorOnly(u"SetVirtualHostNameToFolderMapping requires newer WebView2 Runtime.", E_NOTIMPL);
        return third->SetVirtualHostNameToFolderMapping(ToWide(BstrView(hostName)).c_str(),
                                                        ToWide(BstrView(folderPath)).c_str(),
                                                        static_cast<COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND>(accessKind));
    });
}

HRESULT CCorvaneCtrl::ClearVirtualHostNameToFolderMapping(BSTR hostName) {
    if (!hostName) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        auto third = webView_.TryQuery<ICoreWebView2_3>();
        if (!third)
            return errors_.LastErrorOnly(u"ClearVirtualHostNameToFolderMapping requires newer WebView2 Runtime.",
                                         E_NOTIMPL);
        return third->ClearVirtualHostNameToFolderMapping(ToWide(BstrView(hostName)).c_str());
    });
}

}  // namespace Corvane
