#include "environment_options.h"

#include <cstring>
#include <string>

#include "barrier.h"
#include "com_object.h"

namespace Corvane {

namespace {

HRESULT CopyOut(const std::wstring& text, LPWSTR* out) {
    if (!out) return E_POINTER;
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    *out = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*out) return E_OUTOFMEMORY;
    std::memcpy(*out, text.c_str(), bytes);
    return S_OK;
}

class CEnvironmentOptions final : public ComObject<CEnvironmentOptions, ICoreWebView2EnvironmentOptions> {
public:
    using Exposed = InterfaceList<ICoreWebView2EnvironmentOptions>;
    CEnvironmentOptions() : ComObject(nullptr) {}

    HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) override {
        return CopyOut(arguments_, value);
    }
    HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) override {
        return Store(arguments_, value);
    }
    HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) override { return CopyOut(language_, value); }
    HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) override { return Store(language_, value); }
    HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) override {
        return CopyOut(target_, value);
    }
    HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) override {
        return Store(target_, value);
    }
    HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) override {
        if (!allow) return E_POINTER;
        *allow = singleSignOn_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) override {
        singleSignOn_ = allow;
        return S_OK;
    }

private:
    static HRESULT Store(std::wstring& slot, LPCWSTR value) {
        return ComBarrier([&] {
            slot.assign(value ? value : L"");
            return S_OK;
        });
    }

    std::wstring arguments_;
    std::wstring language_;
    std::wstring target_ = kTargetCompatibleBrowserVersion;
    BOOL singleSignOn_ = FALSE;
};

}  // namespace

ComPtr<ICoreWebView2EnvironmentOptions> CreateEnvironmentOptions() {
    ComPtr<ICoreWebView2EnvironmentOptions> options;
    options.Attach(new (std::nothrow) CEnvironmentOptions());
    return options;
}

}  // namespace Corvane
