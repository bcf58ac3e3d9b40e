#include "runtime_core.h"

#include <algorithm>
#include <memory>

namespace CorvaneTest::Runtime {

namespace {

constexpr UINT kRunWork = WM_APP + 1;
constexpr const wchar_t* kWindowClass = L"CorvaneTestRuntimeWork";

LRESULT CALLBACK WorkWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunWork) {
        std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(lParam));
        try {
            (*work)();
        } catch (...) {
            // A test's handler threw through us; the message loop must go on.
        }
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&WorkWindowProc), &module);
    return module;
}

// One message-only window per thread, made on first use.
HWND WorkWindow() {
    thread_local HWND window = nullptr;
    if (window && IsWindow(window)) return window;
    static const bool registered = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WorkWindowProc;
        wc.hInstance = ThisModule();
        wc.lpszClassName = kWindowClass;
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr);
    return window;
}

}  // namespace

Globals& G() {
    // Never destroyed: at process exit COM may be gone, and held work would release into it.
    static Globals* globals = [] {
        auto* g = new Globals;
        g->version = L"120.0.2210.91";
        g->browserProcessId = 0x7FFFFFF0;
        return g;
    }();
    return *globals;
}

void ResetGlobals() {
    Globals& g = G();
    g.version = L"120.0.2210.91";
    std::fill(std::begin(g.fail), std::end(g.fail), S_OK);
    std::fill(std::begin(g.failCall), std::end(g.failCall), S_OK);
    g.holdCreation = false;
    // Moved out first: releasing a completion may run code that looks at the list.
    auto held = std::move(g.heldCreations);
    g.heldCreations.clear();
    held.clear();
    g.refused.clear();
    g.holdNavigations = false;
    g.script = nullptr;
    g.scriptContext = nullptr;
    g.browserProcessId = 0x7FFFFFF0;
    g.log.clear();
    g.firstSlot = g.webViews.size();
}

HRESULT Failure(CreationStep step) { return G().fail[static_cast<int>(step)]; }
HRESULT CallFailure(CreationStep step) { return G().failCall[static_cast<int>(step)]; }

void Post(std::function<void()> work) {
    auto* boxed = new std::function<void()>(std::move(work));
    HWND window = WorkWindow();
    if (!window || !PostMessageW(window, kRunWork, 0, reinterpret_cast<LPARAM>(boxed))) delete boxed;
}

void CompleteCreation(std::function<void()> work) {
    if (G().holdCreation)
        G().heldCreations.push_back(std::move(work));
    else
        Post(std::move(work));
}

void LogLine(const std::wstring& line) {
    G().log += line + L"\n";
    // CORVANE_TEST_RUNTIME_TRACE=1 echoes the log to stdout, between the test's own lines.
    static const bool echo = GetEnvironmentVariableW(L"CORVANE_TEST_RUNTIME_TRACE", nullptr, 0) != 0;
    if (echo) {
        std::printf("[runtime] %ls\n", line.c_str());
        std::fflush(stdout);
    }
}

HRESULT CopyOut(const std::wstring& text, LPWSTR* out) {
    if (!out) return E_POINTER;
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    *out = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*out) return E_OUTOFMEMORY;
    std::memcpy(*out, text.c_str(), bytes);
    return S_OK;
}

std::wstring Text(const wchar_t* s) { return s ? std::wstring(s) : std::wstring(); }

// ---------------------------------------------------------------------------

HRESULT RuntimeObject::RemoveHandler(const wchar_t* event, EventRegistrationToken token) {
    Trace((L"remove_" + std::wstring(event)).c_str(), token);
    auto it = std::find_if(handlers_.begin(), handlers_.end(),
                           [&](const Handler& h) { return h.token == token.value && h.event == event; });
    if (it != handlers_.end()) {
        ComPtr<IUnknown> keep = it->handler;   // released after the list is consistent again
        handlers_.erase(it);
    }
    return S_OK;
}

int RuntimeObject::RaiseHandlers(const std::wstring& event, IUnknown* sender, IUnknown* args) {
    std::vector<INT64> tokens;
    for (const Handler& h : handlers_)
        if (h.event == event) tokens.push_back(h.token);
    int called = 0;
    for (INT64 token : tokens) {
        auto it = std::find_if(handlers_.begin(), handlers_.end(), [&](const Handler& h) { return h.token == token; });
        if (it == handlers_.end()) continue;
        // No reference of our own while it runs: a handler that removes its
        // registration from inside Invoke must keep itself alive.
        reinterpret_cast<AnyHandler*>(it->handler.get())->Invoke(sender, args);
        ++called;
    }
    return called;
}

std::map<std::wstring, int> RuntimeObject::HandlerCounts() const {
    std::map<std::wstring, int> counts;
    for (const Handler& h : handlers_) ++counts[h.event];
    return counts;
}

HRESULT RuntimeObject::QueryImpl(REFIID iid, void** out, IUnknown* identity, void* found, const char* name) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto& refused = G().refused;
    if (std::any_of(refused.begin(), refused.end(), [&](const IID& r) { return IsEqualIID(r, iid); }))
        return E_NOINTERFACE;
    void* answer = IsEqualIID(iid, IID_IUnknown) ? identity : (found && Accepts(name) ? found : nullptr);
    if (!answer) return E_NOINTERFACE;
    AddRefImpl();
    *out = answer;
    return S_OK;
}

}  // namespace CorvaneTest::Runtime
