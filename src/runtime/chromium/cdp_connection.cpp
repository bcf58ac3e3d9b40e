#include "cdp_connection.h"

#include <deque>

#include "cdp_json.h"
#include "websocket.h"

namespace Corvane::Chromium {

namespace {

constexpr UINT kQueued = WM_APP + 0x43;
constexpr wchar_t kWindowClass[] = L"CorvaneChromiumHost";

HMODULE OwnModule() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&OwnModule), &self);
    return self;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kQueued) {
        if (auto* connection = reinterpret_cast<CdpConnection*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            connection->Drain();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

struct CdpConnection::Channel {
    enum class Kind { Opened, Message, Closed, Failed, Task };
    struct Item {
        explicit Item(Kind k, HRESULT h = S_OK, int i = 0) : kind(k), hr(h), id(i) {}
        Kind kind;
        HRESULT hr;
        int id;
        std::unique_ptr<JsonDocument> document;
        std::function<void()> task;
    };

    SRWLOCK lock = SRWLOCK_INIT;
    std::deque<Item> items;
    HWND window = nullptr;
    bool posted = false;
    bool closedByPeer = false;
    HANDLE abort = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    WebSocket socket;
    std::wstring portFile, endedFile;
    HANDLE process = nullptr;   // our duplicate
    DWORD timeoutMs = 0;

    ~Channel() {
        if (abort) CloseHandle(abort);
        if (ended) CloseHandle(ended);
        if (process) CloseHandle(process);
    }

    bool BrowserEnded() const {
        if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return true;
        return !endedFile.empty() && GetFileAttributesW(endedFile.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    void Push(Item item) {
        AcquireSRWLockExclusive(&lock);
        items.push_back(std::move(item));
        const bool post = !posted;
        posted = true;
        HWND target = window;
        ReleaseSRWLockExclusive(&lock);
        if (post && target) PostMessageW(target, kQueued, 0, 0);
    }

    // Reads "port\n/devtools/browser/<id>" once the browser has written it.
    HRESULT WaitForPort(INTERNET_PORT& port, std::wstring& path) {
        const DWORD start = GetTickCount();
        for (;;) {
            HANDLE file = CreateFileW(portFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                char buffer[512];
                DWORD n = 0;
                BOOL read = ReadFile(file, buffer, sizeof(buffer) - 1, &n, nullptr);
                CloseHandle(file);
                std::string text(buffer, read ? n : 0);
                const std::size_t newline = text.find('\n');
                if (newline != std::string::npos && newline + 1 < text.size()) {
                    port = static_cast<INTERNET_PORT>(atoi(text.substr(0, newline).c_str()));
                    std::string rest = text.substr(newline + 1);
                    while (!rest.empty() && (rest.back() == '\n' || rest.back() == '\r')) rest.pop_back();
                    path.assign(rest.begin(), rest.end());
                    if (port && !path.empty()) return S_OK;
                }
            }
            if (BrowserEnded()) return HRESULT_FROM_WIN32(ERROR_PROCESS_ABORTED);
            if (GetTickCount() - start > timeoutMs) return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
            if (WaitForSingleObject(abort, 25) == WAIT_OBJECT_0) return E_ABORT;
        }
    }

    void Run() {
        INTERNET_PORT port = 0;
        std::wstring path;
        HRESULT hr = WaitForPort(port, path);
        if (SUCCEEDED(hr)) hr = WaitForSingleObject(abort, 0) == WAIT_OBJECT_0 ? E_ABORT : socket.Connect(port, path);
        Push(Item(Kind::Opened, hr));
        if (FAILED(hr)) {
            SetEvent(ended);
            return;
        }
        std::string message;
        for (;;) {
            hr = socket.Receive(message);
            if (FAILED(hr)) break;
            std::unique_ptr<JsonDocument> document;
            std::u16string error;
            // A message that does not parse is dropped: nothing could route it.
            if (!ParseDocument(FromUtf8(message), 1ull << 31, document, error)) continue;
            Item item(Kind::Message);
            item.document = std::move(document);
            Push(std::move(item));
        }
        AcquireSRWLockExclusive(&lock);
        closedByPeer = WaitForSingleObject(abort, 0) != WAIT_OBJECT_0;
        ReleaseSRWLockExclusive(&lock);
        Push(Item(Kind::Closed, hr));
        SetEvent(ended);
    }
};

namespace {

struct ThreadStart {
    std::shared_ptr<CdpConnection::Channel> channel;
};

DWORD WINAPI ReaderThread(void* param) {
    {
        std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(param));
        start->channel->Run();
    }
    // The thread held a reference on the module: code must not vanish under it.
    FreeLibraryAndExitThread(OwnModule(), 0);
}

}  // namespace

std::u16string_view CdpReply::ErrorMessage() const {
    if (lost) return u"The browser connection ended.";
    return Str(error, u"message");
}

std::shared_ptr<CdpConnection> CdpConnection::Create() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = OwnModule();
        wc.lpszClassName = kWindowClass;
        return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered) return nullptr;
    std::shared_ptr<CdpConnection> connection(new (std::nothrow) CdpConnection());
    if (!connection) return nullptr;
    connection->channel_ = std::make_shared<Channel>();
    if (!connection->channel_->abort || !connection->channel_->ended) return nullptr;
    connection->window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, OwnModule(), nullptr);
    if (!connection->window_) return nullptr;
    SetWindowLongPtrW(connection->window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(connection.get()));
    connection->channel_->window = connection->window_;
    return connection;
}

CdpConnection::~CdpConnection() {
    Close(0);
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

HRESULT CdpConnection::Open(const std::wstring& portFile, DWORD timeoutMs, std::function<void(HRESULT)> opened,
                            HANDLE process, const std::wstring& endedFile) {
    if (thread_) return E_UNEXPECTED;
    channel_->portFile = portFile;
    channel_->endedFile = endedFile;
    if (process)
        DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &channel_->process, SYNCHRONIZE, FALSE, 0);
    channel_->timeoutMs = timeoutMs;
    opened_ = std::move(opened);
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&OwnModule), &pinned);
    auto* start = new (std::nothrow) ThreadStart{channel_};
    thread_ = start ? CreateThread(nullptr, 0, ReaderThread, start, 0, nullptr) : nullptr;
    if (!thread_) {
        delete start;
        if (pinned) FreeLibrary(pinned);
        return start ? HRESULT_FROM_WIN32(GetLastError()) : E_OUTOFMEMORY;
    }
    return S_OK;
}

void CdpConnection::Send(std::u16string_view method, std::u16string_view params, std::u16string_view sessionId,
                         ReplyFn reply) {
    const int id = nextId_++;
    std::u16string text = u"{\"id\":";
    std::string digits = std::to_string(id);
    text.append(digits.begin(), digits.end());
    text += u",\"method\":";
    text += Quote(method);
    if (!params.empty()) {
        text += u",\"params\":";
        text += params;
    }
    if (!sessionId.empty()) {
        text += u",\"sessionId\":";
        text += Quote(sessionId);
    }
    text += u'}';
    if (reply) pending_.emplace(id, std::move(reply));
    if (!IsOpen() || FAILED(channel_->socket.Send(ToUtf8(text)))) Fail(id);
}

// A reply that cannot come is reported through the queue, never from inside Send.
void CdpConnection::Fail(int id) {
    if (pending_.count(id)) channel_->Push(Channel::Item(Channel::Kind::Failed, E_ABORT, id));
}

void CdpConnection::EndPending() {
    std::map<int, ReplyFn> pending;
    pending.swap(pending_);
    CdpReply lost;
    lost.lost = true;
    for (auto& [id, reply] : pending) reply(lost);
}

void CdpConnection::Drain() {
    auto self = shared_from_this();   // a handler may release the last owner
    for (;;) {
        Channel::Item item(Channel::Kind::Failed);
        AcquireSRWLockExclusive(&channel_->lock);
        if (channel_->items.empty()) {
            channel_->posted = false;
            ReleaseSRWLockExclusive(&channel_->lock);
            return;
        }
        item = std::move(channel_->items.front());
        channel_->items.pop_front();
        ReleaseSRWLockExclusive(&channel_->lock);
        if (silenced_) continue;

        switch (item.kind) {
        case Channel::Kind::Opened: {
            open_ = SUCCEEDED(item.hr);
            failedOpen_ = FAILED(item.hr);
            auto opened = std::move(opened_);
            opened_ = nullptr;
            if (opened) opened(item.hr);
            break;
        }
        case Channel::Kind::Failed: {
            auto found = pending_.find(item.id);
            if (found == pending_.end()) break;
            ReplyFn reply = std::move(found->second);
            pending_.erase(found);
            CdpReply lost;
            lost.lost = true;
            reply(lost);
            break;
        }
        case Channel::Kind::Task:
            if (item.task) item.task();
            break;
        case Channel::Kind::Closed:
            if (closed_) break;
            closed_ = true;
            EndPending();
            if (listener_ && !silenced_) listener_->OnClosed(item.hr);
            break;
        case Channel::Kind::Message: {
            const JsonNode& root = item.document->Root();
            const JsonNode* id = root.type == JsonNodeType::Object ? root.Find(u"id") : nullptr;
            if (id && id->type == JsonNodeType::Int) {
                auto found = pending_.find(id->integer);
                if (found == pending_.end()) break;
                ReplyFn reply = std::move(found->second);
                pending_.erase(found);
                CdpReply answer;
                answer.result = Obj(&root, u"result");
                answer.error = Obj(&root, u"error");
                static const JsonNode empty = [] {
                    JsonNode node;
                    node.type = JsonNodeType::Object;
                    return node;
                }();
                if (!answer.result && !answer.error) answer.result = &empty;
                reply(answer);
            } else if (listener_) {
                static const JsonNode noParams;
                const JsonNode* params = Obj(&root, u"params");
                listener_->OnEvent(Str(&root, u"sessionId"), Str(&root, u"method"), params ? *params : noParams);
            }
            break;
        }
        }
    }
}

void CdpConnection::Post(std::function<void()> task) {
    Channel::Item item(Channel::Kind::Task);
    item.task = std::move(task);
    channel_->Push(std::move(item));
}

bool CdpConnection::WaitClosedByPeer(DWORD waitMs) {
    if (!thread_) return true;
    return WaitForSingleObject(channel_->ended, waitMs) == WAIT_OBJECT_0;
}

void CdpConnection::Close(DWORD waitMs) {
    silenced_ = true;
    listener_ = nullptr;
    if (thread_) {
        SetEvent(channel_->abort);
        channel_->socket.Abort();
        WaitForSingleObject(channel_->ended, waitMs);
        CloseHandle(thread_);   // the thread keeps its own share of the channel
        thread_ = nullptr;
    }
    closed_ = true;
    EndPending();
}

}  // namespace Corvane::Chromium
