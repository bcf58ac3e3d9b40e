// One DevTools connection to a browser. A reader thread waits for the port
// file, connects, then only receives, parses and queues; it posts to a
// message-only window on the host thread, where every reply and event is
// handled. Commands may be sent from the host thread at any time.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "json_document.h"

namespace Corvane::Chromium {

struct CdpReply {
    const JsonNode* result = nullptr;   // the reply's result on success
    const JsonNode* error = nullptr;    // the protocol's error object
    bool lost = false;                  // the connection ended first
    bool Ok() const { return result && !error && !lost; }
    std::u16string_view ErrorMessage() const;
};
using ReplyFn = std::function<void(const CdpReply&)>;

class CdpListener {
public:
    virtual void OnEvent(std::u16string_view sessionId, std::u16string_view method, const JsonNode& params) = 0;
    // The connection ended (browser gone, socket closed): once, after Open succeeded.
    virtual void OnClosed(HRESULT reason) = 0;

protected:
    ~CdpListener() = default;
};

class CdpConnection : public std::enable_shared_from_this<CdpConnection> {
public:
    struct Channel;

    // Creates the host window on the calling thread; null when it cannot.
    static std::shared_ptr<CdpConnection> Create();
    ~CdpConnection();

    // Starts the reader: it waits up to `timeoutMs` for `portFile`, connects
    // and calls `opened` on the host thread with the outcome.
    // A browser that ends first (its process ends, or `endedFile` appears)
    // fails the wait at once.
    HRESULT Open(const std::wstring& portFile, DWORD timeoutMs, std::function<void(HRESULT)> opened,
                 HANDLE process = nullptr, const std::wstring& endedFile = {});
    void SetListener(CdpListener* listener) { listener_ = listener; }
    // Sends a command; `reply` (optional) runs on the host thread, with
    // `lost` set when the connection ends before the browser answered.
    void Send(std::u16string_view method, std::u16string_view params, std::u16string_view sessionId = {},
              ReplyFn reply = nullptr);
    bool IsOpen() const { return open_ && !closed_; }
    bool IsClosedOrFailed() const { return closed_ || failedOpen_; }
    // Runs `task` on the host thread after the work already queued.
    void Post(std::function<void()> task);
    // Ends the connection and waits up to `waitMs` for the reader to end;
    // no listener call or reply follows.
    void Close(DWORD waitMs);
    // Waits up to `waitMs` for the browser to close the connection itself.
    bool WaitClosedByPeer(DWORD waitMs);

    void Drain();   // host thread: handles what the reader queued

private:
    CdpConnection() = default;
    void Fail(int id);
    void EndPending();

    std::shared_ptr<Channel> channel_;
    HWND window_ = nullptr;
    HANDLE thread_ = nullptr;
    CdpListener* listener_ = nullptr;
    std::function<void(HRESULT)> opened_;
    std::map<int, ReplyFn> pending_;
    int nextId_ = 1;
    bool open_ = false;
    bool failedOpen_ = false;
    bool closed_ = false;
    bool silenced_ = false;
};

}  // namespace Corvane::Chromium
