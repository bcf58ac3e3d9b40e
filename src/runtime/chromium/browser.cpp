#include "browser.h"

#include "cdp_json.h"

namespace Corvane::Chromium {

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kCloseWaitMs = 3000;

// Browsers by user data folder and thread. Raw pointers: a browser removes
// itself when its last owner goes. Never freed, so nothing runs at unload.
// Host threads each have their own entries but share the map: it is locked.
SRWLOCK g_registryLock = SRWLOCK_INIT;

std::map<std::wstring, Browser*>& Registry() {
    static auto* registry = new std::map<std::wstring, Browser*>();
    return *registry;
}

struct RegistryLock {
    RegistryLock() { AcquireSRWLockExclusive(&g_registryLock); }
    ~RegistryLock() { ReleaseSRWLockExclusive(&g_registryLock); }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;
};

std::wstring RegistryKey(const std::wstring& folder) {
    std::wstring key = folder;
    for (wchar_t& c : key) {
        if (c == L'/') c = L'\\';
        c = static_cast<wchar_t>(towlower(c));
    }
    while (key.size() > 3 && key.back() == L'\\') key.pop_back();
    wchar_t thread[16];
    wsprintfW(thread, L"|%lu", GetCurrentThreadId());
    return key + thread;
}

}  // namespace

HRESULT Browser::Acquire(const std::wstring& executable, const std::wstring& userDataFolder,
                         const std::wstring& arguments, ReadyFn ready) {
    const std::wstring key = RegistryKey(userDataFolder);
    std::shared_ptr<Browser> existing;
    {
        RegistryLock lock;
        auto found = Registry().find(key);
        if (found != Registry().end()) {
            existing = found->second->weak_from_this().lock();
            // A browser that ended is replaced; its owners still hold it.
            if (!existing || !existing->connection_ || existing->connection_->IsClosedOrFailed()) {
                Registry().erase(found);
                existing.reset();
            }
        }
    }
    if (existing) {
        if (existing->ready_) existing->connection_->Post([ready, existing] { ready(S_OK, existing); });
        else existing->waiting_.push_back(std::move(ready));
        return S_OK;
    }

    std::shared_ptr<Browser> browser(new (std::nothrow) Browser());
    if (!browser) return E_OUTOFMEMORY;
    browser->userDataFolder_ = userDataFolder;
    browser->registryKey_ = key;
    browser->connection_ = CdpConnection::Create();
    if (!browser->connection_) return E_OUTOFMEMORY;
    HRESULT hr = browser->process_.Start(executable, userDataFolder, arguments);
    if (FAILED(hr)) return hr;
    browser->connection_->SetListener(browser.get());
    browser->waiting_.push_back(std::move(ready));
    std::weak_ptr<Browser> weak = browser;
    // The reader's first report keeps the browser alive until it is handed out.
    hr = browser->connection_->Open(
        browser->process_.PortFile(), kStartTimeoutMs, [browser](HRESULT result) { browser->Opened(result); },
        browser->process_.Process(), browser->process_.EndedFile());
    if (FAILED(hr)) return hr;
    RegistryLock lock;
    Registry()[key] = browser.get();
    return S_OK;
}

Browser::~Browser() {
    {
        RegistryLock lock;
        auto found = Registry().find(registryKey_);
        if (found != Registry().end() && found->second == this) Registry().erase(found);
    }
    if (connection_) {
        if (connection_->IsOpen()) {
            connection_->Send(u"Browser.close", u"{}");
            connection_->WaitClosedByPeer(kCloseWaitMs);
            // The next browser of this folder may be asked for at once.
            process_.WaitEnded(kCloseWaitMs);
        }
        connection_->Close(500);
    }
    process_.Stop(kCloseWaitMs);
}

void Browser::Opened(HRESULT hr) {
    if (FAILED(hr)) {
        Finish(hr);
        return;
    }
    auto self = shared_from_this();
    // Three questions at once; the last answer finishes the start.
    Send(u"Browser.getVersion", u"{}", {}, [self](const CdpReply& reply) {
        if (!reply.Ok()) return;
        // "HeadlessChrome/156.0.8078.129" -> "156.0.8078.129"
        std::u16string_view product = Str(reply.result, u"product");
        const std::size_t slash = product.find(u'/');
        self->version_ = Wide(slash == std::u16string_view::npos ? product : product.substr(slash + 1));
        self->userAgent_ = Str(reply.result, u"userAgent");
    });
    Send(u"Target.getTargets", u"{}", {}, [self](const CdpReply& reply) {
        const JsonNode* infos = reply.Ok() ? reply.result->Find(u"targetInfos") : nullptr;
        for (std::uint32_t i = 0; infos && infos->type == JsonNodeType::Array && i < infos->count; ++i) {
            const JsonNode* info = &infos->elements[i];
            if (Str(info, u"type") == u"page" && Str(info, u"url") == u"about:blank" && !Bool(info, u"attached")) {
                self->startPage_ = Str(info, u"targetId");
                break;
            }
        }
    });
    Send(u"Target.setDiscoverTargets", Params().Add(u"discover", true).Text(), {},
         [self](const CdpReply& discover) { self->Finish(discover.Ok() && !self->version_.empty() ? S_OK : E_FAIL); });
}

void Browser::Finish(HRESULT hr) {
    ready_ = SUCCEEDED(hr);
    failed_ = hr;
    std::vector<ReadyFn> waiting;
    waiting.swap(waiting_);
    auto self = shared_from_this();
    for (ReadyFn& ready : waiting) ready(hr, SUCCEEDED(hr) ? self : nullptr);
}

void Browser::AddSession(const std::u16string& sessionId, const std::u16string& targetId, SessionSink* sink) {
    sessions_[sessionId] = Session{targetId, sink};
}

void Browser::RemoveSession(const std::u16string& sessionId) { sessions_.erase(sessionId); }

void Browser::OnEvent(std::u16string_view sessionId, std::u16string_view method, const JsonNode& params) {
    auto self = weak_from_this().lock();
    if (!self) return;
    if (!sessionId.empty()) {
        auto found = sessions_.find(std::u16string(sessionId));
        if (found != sessions_.end()) found->second.sink->OnSessionEvent(method, params);
        return;
    }
    if (method.starts_with(u"Target.")) {
        // Events about a target go to its session, and a new target to its opener's.
        const JsonNode* info = Obj(&params, u"targetInfo");
        std::u16string_view targetId = Str(&params, u"targetId");
        if (targetId.empty()) targetId = Str(info, u"targetId");
        std::u16string_view openerId = Str(info, u"openerId");
        for (auto& [id, session] : std::map<std::u16string, Session>(sessions_)) {
            const bool concerned = session.targetId == targetId || (!openerId.empty() && session.targetId == openerId);
            if (concerned && sessions_.count(id)) session.sink->OnTargetEvent(method, params);
        }
    }
    // Downloads are the browser's: every view looks whether one is its own.
    if (method.starts_with(u"Browser.download"))
        for (auto& [id, session] : std::map<std::u16string, Session>(sessions_))
            if (sessions_.count(id)) session.sink->OnTargetEvent(method, params);
    if (onBrowserEvent) onBrowserEvent(method, params);
}

void Browser::OnClosed(HRESULT reason) {
    auto self = weak_from_this().lock();
    if (!self) return;
    if (!ready_) {
        Finish(FAILED(reason) ? reason : E_FAIL);
        return;
    }
    ready_ = false;
    for (auto& [id, session] : std::map<std::u16string, Session>(sessions_)) {
        if (sessions_.count(id)) session.sink->OnBrowserGone(reason);
    }
    for (auto& [id, listener] : std::map<int, std::function<void()>>(exitListeners_)) {
        if (exitListeners_.count(id)) listener();
    }
}

int Browser::AddExitListener(std::function<void()> listener) {
    exitListeners_[nextListener_] = std::move(listener);
    return nextListener_++;
}

void Browser::RemoveExitListener(int id) { exitListeners_.erase(id); }

void Browser::TakeTurn(std::function<void(Turn)> start) {
    turns_.push_back(std::move(start));
    if (!turnTaken_) NextTurn();
}

void Browser::NextTurn() {
    turnTaken_ = !turns_.empty();
    if (!turnTaken_) return;
    std::function<void(Turn)> start = std::move(turns_.front());
    turns_.pop_front();
    std::weak_ptr<Browser> weak = weak_from_this();
    start(Turn(nullptr, [weak](void*) {
        if (auto self = weak.lock()) self->NextTurn();
    }));
}

}  // namespace Corvane::Chromium
