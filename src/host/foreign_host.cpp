#include "foreign_host.h"

#include <map>
#include <mutex>

#include "callback.h"
#include "environment_options.h"
#include "module.h"
#include "runtime_loader.h"

namespace Corvane::ForeignHost {

namespace {

struct EnvironmentSlot {
    ComPtr<ICoreWebView2Environment> environment;
    bool creating = false;
    int holders = 0;
    std::vector<EnvironmentReady> waiting;
};

// Never destroyed: releasing runtime objects at process exit is unsafe, and
// by the time the DLL can unload every holder has let go.
struct State {
    std::mutex pendingLock;
    std::map<HWND, CCorvaneCtrl*> pending;
    std::map<std::wstring, EnvironmentSlot> environments;
    SharedBrowser shared;
    CRITICAL_SECTION ownerLock;
    std::map<HWND, CCorvaneCtrl*> owners;
    CCorvaneCtrl* currentOwner = nullptr;
    State() { InitializeCriticalSection(&ownerLock); }
};

State& S() {
    static State* state = new State();
    return *state;
}

constexpr wchar_t kHostClass[] = L"Corvane_HiddenHost";

class OwnerGuard {
public:
    OwnerGuard() { EnterCriticalSection(&S().ownerLock); }
    ~OwnerGuard() { LeaveCriticalSection(&S().ownerLock); }
    OwnerGuard(const OwnerGuard&) = delete;
    OwnerGuard& operator=(const OwnerGuard&) = delete;
};

}  // namespace

HWND CreateHostWindow() {
    static std::once_flag registered;
    HINSTANCE module = CCorvaneModule::Instance().Handle();
    std::call_once(registered, [module] {
        // DefWindowProc lives in user32, so the class stays harmless after the DLL unloads.
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = module;
        wc.lpszClassName = kHostClass;
        RegisterClassExW(&wc);
    });
    return CreateWindowExW(WS_EX_TOOLWINDOW, kHostClass, L"Corvane Host", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           module, nullptr);
}

void AddPending(HWND host, CCorvaneCtrl* control) {
    std::lock_guard<std::mutex> lock(S().pendingLock);
    S().pending[host] = control;
}

CCorvaneCtrl* FindPending(HWND host) {
    std::lock_guard<std::mutex> lock(S().pendingLock);
    auto it = S().pending.find(host);
    return it == S().pending.end() ? nullptr : it->second;
}

CCorvaneCtrl* TakePending(HWND host) {
    std::lock_guard<std::mutex> lock(S().pendingLock);
    auto it = S().pending.find(host);
    if (it == S().pending.end()) return nullptr;
    CCorvaneCtrl* control = it->second;
    S().pending.erase(it);
    return control;
}

void ForgetPending(const CCorvaneCtrl* control) {
    std::lock_guard<std::mutex> lock(S().pendingLock);
    for (auto it = S().pending.begin(); it != S().pending.end();)
        it = it->second == control ? S().pending.erase(it) : std::next(it);
    auto& waiting = S().shared.waiting;
    for (auto it = waiting.begin(); it != waiting.end();) it = *it == control ? waiting.erase(it) : std::next(it);
}

bool HasPending(const CCorvaneCtrl* control) {
    std::lock_guard<std::mutex> lock(S().pendingLock);
    for (const auto& entry : S().pending)
        if (entry.second == control) return true;
    for (const CCorvaneCtrl* waiting : S().shared.waiting)
        if (waiting == control) return true;
    return false;
}

std::wstring EnvironmentOptions::Key() const {
    // Separators no path or argument text contains.
    std::wstring key = browserFolder + L'\x1' + userDataFolder + L'\x1' + arguments + L'\x1' + language;
    key += singleSignOn ? L"\x1" L"1" : L"\x1" L"0";
    return key;
}

HRESULT WithEnvironment(const EnvironmentOptions& options, EnvironmentReady ready) {
    const std::wstring key = options.Key();
    EnvironmentSlot& slot = S().environments[key];
    if (slot.environment) {
        ComPtr<ICoreWebView2Environment> environment = slot.environment;
        ready(S_OK, environment.get());
        return S_OK;
    }
    if (slot.creating) {
        slot.waiting.push_back(std::move(ready));
        return S_OK;
    }
    ComPtr<ICoreWebView2EnvironmentOptions> runtimeOptions = CreateEnvironmentOptions();
    if (!runtimeOptions) return E_OUTOFMEMORY;
    if (!options.arguments.empty()) runtimeOptions->put_AdditionalBrowserArguments(options.arguments.c_str());
    if (!options.language.empty()) runtimeOptions->put_Language(options.language.c_str());
    if (options.singleSignOn) runtimeOptions->put_AllowSingleSignOnUsingOSPrimaryAccount(TRUE);
    auto completed = Callback<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
        [key](HRESULT hr, ICoreWebView2Environment* environment) {
            auto found = S().environments.find(key);
            if (found == S().environments.end()) return S_OK;
            EnvironmentSlot& done = found->second;
            done.creating = false;
            if (SUCCEEDED(hr) && !environment) hr = E_FAIL;
            if (SUCCEEDED(hr)) done.environment = ComPtr<ICoreWebView2Environment>(environment);
            std::vector<EnvironmentReady> waiting;
            waiting.swap(done.waiting);
            // A caller may start more creations or give up its hold; the
            // environment stays referenced here until the calls are over.
            ComPtr<ICoreWebView2Environment> keep(environment);
            for (EnvironmentReady& call : waiting) call(hr, SUCCEEDED(hr) ? environment : nullptr);
            auto again = S().environments.find(key);
            if (again != S().environments.end() && again->second.holders == 0 && again->second.waiting.empty() &&
                !again->second.creating)
                S().environments.erase(again);
            return S_OK;
        });
    if (!completed) return E_OUTOFMEMORY;
    slot.creating = true;
    slot.waiting.push_back(std::move(ready));
    HRESULT hr = CreateEnvironment(options.browserFolder.empty() ? nullptr : options.browserFolder.c_str(),
                                   options.userDataFolder.c_str(), runtimeOptions.get(), completed.get());
    if (FAILED(hr)) S().environments.erase(key);   // nothing will call back
    return hr;
}

void HoldEnvironment(const std::wstring& key) { ++S().environments[key].holders; }

void ReleaseEnvironment(const std::wstring& key) {
    auto it = S().environments.find(key);
    if (it == S().environments.end()) return;
    if (--it->second.holders <= 0 && !it->second.creating && it->second.waiting.empty()) S().environments.erase(it);
}

SharedBrowser& Shared() { return S().shared; }

void CloseSharedBrowser() {
    SharedBrowser& shared = S().shared;
    ComPtr<ICoreWebView2Controller> controller = std::move(shared.controller);
    shared.webView.Reset();
    shared.ready = false;
    const std::wstring key = std::move(shared.environmentKey);
    shared.environmentKey.clear();
    if (controller) controller->Close();
    controller.Reset();
    if (!key.empty()) ReleaseEnvironment(key);
}

void SetOwner(HWND parent, CCorvaneCtrl* control) {
    OwnerGuard guard;
    S().owners[parent] = control;
    S().currentOwner = control;
}

void ForgetOwner(const CCorvaneCtrl* control) {
    OwnerGuard guard;
    if (S().currentOwner == control) S().currentOwner = nullptr;
    for (auto it = S().owners.begin(); it != S().owners.end();)
        it = it->second == control ? S().owners.erase(it) : std::next(it);
}

CCorvaneCtrl* RoutedOwner() {
    HWND parent = nullptr;
    if (S().shared.controller) S().shared.controller->get_ParentWindow(&parent);
    OwnerGuard guard;
    auto it = S().owners.find(parent);
    return it != S().owners.end() ? it->second : S().currentOwner;
}

}  // namespace Corvane::ForeignHost
