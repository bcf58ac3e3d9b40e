// The environment: one browser (per user data folder), and the web views
// made in it. Also the runtime's entry points.
#include <objbase.h>

#include "browser_process.h"
#include "chromium_runtime.h"
#include "controller.h"
#include "network.h"

namespace Corvane::Chromium {

namespace {

class BrowserExitedArgs final : public ComObject<BrowserExitedArgs, BrowserExitedArgsDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2BrowserProcessExitedEventArgs>;
    explicit BrowserExitedArgs(UINT32 pid) : ComObject(nullptr), pid_(pid) {}
    // Only an unexpected end is ever seen: an environment that closes its
    // browser itself is gone by then.
    HRESULT STDMETHODCALLTYPE get_BrowserProcessExitKind(COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND* kind) override {
        if (!kind) return E_POINTER;
        *kind = COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND_FAILED;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) override { return Answer(value, pid_); }

private:
    UINT32 pid_;
};

// Environment2 makes request objects; 3 and 4 (composition, automation) are
// E_NOTIMPL; 5 brings the browser's exit, 6 print settings and 15 find
// options; the revisions between are E_NOTIMPL.
class Environment final : public ComObject<Environment, EnvironmentDefaults> {
public:
    using Exposed = InterfaceList<ICoreWebView2Environment, ICoreWebView2Environment2, ICoreWebView2Environment3,
                                  ICoreWebView2Environment4, ICoreWebView2Environment5, ICoreWebView2Environment6,
                                  ICoreWebView2Environment7, ICoreWebView2Environment8, ICoreWebView2Environment9,
                                  ICoreWebView2Environment10, ICoreWebView2Environment11, ICoreWebView2Environment12,
                                  ICoreWebView2Environment13, ICoreWebView2Environment14, ICoreWebView2Environment15>;
    explicit Environment(std::shared_ptr<Browser> browser) : ComObject(nullptr), browser_(std::move(browser)) {
        exitListener_ = browser_->AddExitListener([this] {
            ComPtr<Environment> self(this);
            auto args = Make<BrowserExitedArgs>(static_cast<UINT32>(browser_->ProcessId()));
            if (args) exited_.Raise(static_cast<ICoreWebView2Environment*>(this),
                                    static_cast<ICoreWebView2BrowserProcessExitedEventArgs*>(args.get()));
        });
    }
    ~Environment() override { browser_->RemoveExitListener(exitListener_); }

    HRESULT STDMETHODCALLTYPE add_BrowserProcessExited(ICoreWebView2BrowserProcessExitedEventHandler* h,
                                                       EventRegistrationToken* t) override {
        return exited_.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_BrowserProcessExited(EventRegistrationToken t) override { return exited_.Remove(t); }

    HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override {
        if (!handler) return E_INVALIDARG;
        if (parentWindow && !IsWindow(parentWindow)) return E_INVALIDARG;
        if (!browser_->IsAlive()) return HRESULT_FROM_WIN32(ERROR_CONNECTION_ABORTED);
        return ComBarrier([&] {
            auto view = Make<WebView>(browser_, ComPtr<ICoreWebView2Environment>(this));
            if (!view) return E_OUTOFMEMORY;
            ComPtr<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler> done(handler);
            view->Start([view, done, parentWindow](HRESULT hr) {
                ComPtr<Controller> controller;
                if (SUCCEEDED(hr)) controller = Make<Controller>(view, parentWindow);
                if (SUCCEEDED(hr) && !controller) hr = E_OUTOFMEMORY;
                if (FAILED(hr)) {
                    view->Close();
                    done->Invoke(hr, nullptr);
                    return;
                }
                done->Invoke(S_OK, static_cast<ICoreWebView2Controller*>(controller.get()));
            });
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE CreatePrintSettings(ICoreWebView2PrintSettings** settings) override {
        return NewPrintSettings(settings);
    }
    HRESULT STDMETHODCALLTYPE CreateFindOptions(ICoreWebView2FindOptions** options) override {
        return NewFindOptions(options);
    }
    HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase,
                                                        LPCWSTR headers, ICoreWebView2WebResourceResponse** response) override {
        if (!response) return E_POINTER;
        *response = nullptr;
        return ComBarrier([&] {
            auto made = Make<WebResourceResponse>();
            if (!made) return E_OUTOFMEMORY;
            if (!ReadAll(content, made->body)) return E_INVALIDARG;
            made->status = statusCode;
            made->phrase = View(reasonPhrase);
            made->headers = View(headers);
            *response = made.Detach();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE CreateWebResourceRequest(LPCWSTR uri, LPCWSTR method, IStream* postData, LPCWSTR headers,
                                                       ICoreWebView2WebResourceRequest** request) override {
        if (!request) return E_POINTER;
        *request = nullptr;
        if (!uri || !method) return E_INVALIDARG;
        return ComBarrier([&] {
            auto made = Make<WebResourceRequest>();
            if (!made) return E_OUTOFMEMORY;
            if (!ReadAll(postData, made->body)) return E_INVALIDARG;
            made->uri = View(uri);
            made->method = View(method);
            made->headers = View(headers);
            *request = made.Detach();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* value) override {
        return CoString(View(browser_->Version().c_str()), value);
    }
    // A browser found on the machine announces no updates: nothing to raise.
    HRESULT STDMETHODCALLTYPE add_NewBrowserVersionAvailable(ICoreWebView2NewBrowserVersionAvailableEventHandler* h,
                                                             EventRegistrationToken* t) override {
        return newVersion_.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_NewBrowserVersionAvailable(EventRegistrationToken t) override {
        return newVersion_.Remove(t);
    }

private:
    std::shared_ptr<Browser> browser_;
    int exitListener_ = 0;
    EventList<ICoreWebView2NewBrowserVersionAvailableEventHandler> newVersion_;
    EventList<ICoreWebView2BrowserProcessExitedEventHandler> exited_;
};

std::wstring OptionText(ICoreWebView2EnvironmentOptions* options,
                        HRESULT (STDMETHODCALLTYPE ICoreWebView2EnvironmentOptions::*get)(LPWSTR*)) {
    LPWSTR text = nullptr;
    std::wstring out;
    if (options && SUCCEEDED((options->*get)(&text)) && text) out = text;
    CoTaskMemFree(text);
    return out;
}

}  // namespace

bool BrowserPresent(PCWSTR browserFolder) {
    std::wstring executable;
    return SUCCEEDED(FindBrowser(browserFolder, executable));
}

HRESULT STDAPICALLTYPE GetBrowserVersionString(PCWSTR browserFolder, LPWSTR* version) {
    if (!version) return E_POINTER;
    *version = nullptr;
    return ComBarrier([&] {
        std::wstring executable, text;
        HRESULT hr = FindBrowser(browserFolder, executable);
        if (SUCCEEDED(hr)) hr = BrowserVersion(executable, text);
        if (FAILED(hr)) return hr;
        return CoString(View(text.c_str()), version);
    });
}

HRESULT STDAPICALLTYPE CreateEnvironmentWithOptions(PCWSTR browserFolder, PCWSTR userDataFolder,
                                                    ICoreWebView2EnvironmentOptions* options,
                                                    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    if (!handler) return E_POINTER;
    return ComBarrier([&] {
        std::wstring executable;
        HRESULT hr = FindBrowser(browserFolder, executable);
        if (FAILED(hr)) return hr;
        std::wstring folder = userDataFolder && *userDataFolder ? std::wstring(userDataFolder) : std::wstring();
        if (folder.empty()) {
            wchar_t temp[MAX_PATH + 1] = {};
            GetTempPathW(MAX_PATH, temp);
            folder = std::wstring(temp) + L"Corvane_ChromiumData";
        }
        std::wstring arguments = OptionText(options, &ICoreWebView2EnvironmentOptions::get_AdditionalBrowserArguments);
        const std::wstring language = OptionText(options, &ICoreWebView2EnvironmentOptions::get_Language);
        if (!language.empty()) arguments += L" --lang=" + language;
        ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> done(handler);
        return Browser::Acquire(executable, folder, arguments, [done](HRESULT result, std::shared_ptr<Browser> browser) {
            ComPtr<Environment> environment;
            if (SUCCEEDED(result)) environment = Make<Environment>(std::move(browser));
            if (SUCCEEDED(result) && !environment) result = E_OUTOFMEMORY;
            done->Invoke(result, environment ? static_cast<ICoreWebView2Environment*>(environment.get()) : nullptr);
        });
    });
}

}  // namespace Corvane::Chromium
