// One running browser and its DevTools connection, shared by every
// environment of one user data folder on one thread. Page sessions register
// here and get their own events; the browser's end (closed socket, exit) is
// told to every session. The last owner closes the browser: Browser.close,
// a bounded wait, then the process is ended.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "browser_process.h"
#include "cdp_connection.h"

namespace Corvane::Chromium {

class SessionSink {
public:
    virtual void OnSessionEvent(std::u16string_view method, const JsonNode& params) = 0;
    // Target-domain events about this session's target (crash, info change).
    virtual void OnTargetEvent(std::u16string_view method, const JsonNode& params) = 0;
    virtual void OnBrowserGone(HRESULT reason) = 0;

protected:
    ~SessionSink() = default;
};

class Browser final : public CdpListener, public std::enable_shared_from_this<Browser> {
public:
    using ReadyFn = std::function<void(HRESULT, std::shared_ptr<Browser>)>;

    // The browser of `userDataFolder`, started when there is none yet; `ready`
    // runs on this thread once it answers (or failed to start).
    static HRESULT Acquire(const std::wstring& executable, const std::wstring& userDataFolder,
                           const std::wstring& arguments, ReadyFn ready);
    ~Browser();

    void Send(std::u16string_view method, std::u16string_view params, std::u16string_view sessionId = {},
              ReplyFn reply = nullptr) {
        if (connection_) connection_->Send(method, params, sessionId, std::move(reply));
    }
    bool IsAlive() const { return connection_ && connection_->IsOpen(); }
    void AddSession(const std::u16string& sessionId, const std::u16string& targetId, SessionSink* sink);
    void RemoveSession(const std::u16string& sessionId);
    const std::wstring& Version() const { return version_; }
    // The browser's own user agent, as Browser.getVersion tells it at start.
    const std::u16string& UserAgent() const { return userAgent_; }
    // The blank page the browser opened at start, handed to the first web
    // view (a new window would cost a renderer start); empty afterwards.
    std::u16string TakeStartPage() { return std::exchange(startPage_, std::u16string()); }
    // Views are set up one at a time. The browser makes a window in one piece
    // of work that holds up every command sent after it, so a view's set-up
    // goes out before the next window is asked for, and the first views load
    // while later ones are being made. `start` runs when it is this view's
    // turn; the turn passes on when the last copy of the token is gone.
    using Turn = std::shared_ptr<void>;
    void TakeTurn(std::function<void(Turn)> start);
    const std::wstring& UserDataFolder() const { return userDataFolder_; }
    DWORD ProcessId() const { return process_.ProcessId(); }
    // Browser-wide: downloads go to this folder, named by guid, with events.
    // Sent once, not again by every view that listens for downloads.
    void RouteDownloads(const std::u16string& folder);
    // Called once when the browser ends while in use (exit, crash, closed
    // socket); the id removes the listener.
    int AddExitListener(std::function<void()> listener);
    void RemoveExitListener(int id);
    // Browser-level events nobody's session owns (popups opening).
    std::function<void(std::u16string_view method, const JsonNode& params)> onBrowserEvent;

    void OnEvent(std::u16string_view sessionId, std::u16string_view method, const JsonNode& params) override;
    void OnClosed(HRESULT reason) override;

private:
    Browser() = default;
    void Opened(HRESULT hr);
    void Finish(HRESULT hr);
    void NextTurn();

    std::wstring userDataFolder_, version_, registryKey_;
    std::u16string startPage_, userAgent_, downloadFolder_;
    BrowserProcess process_;
    std::shared_ptr<CdpConnection> connection_;
    std::vector<ReadyFn> waiting_;
    bool ready_ = false;
    HRESULT failed_ = S_OK;
    struct Session {
        std::u16string targetId;
        SessionSink* sink;
    };
    std::map<std::u16string, Session> sessions_;
    std::map<int, std::function<void()>> exitListeners_;
    int nextListener_ = 1;
    std::deque<std::function<void(Turn)>> turns_;
    bool turnTaken_ = false;
};

}  // namespace Corvane::Chromium
