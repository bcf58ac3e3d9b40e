// A WebSocket client over WinHTTP for the browser's DevTools endpoint on the
// loopback interface: one thread receives (blocking), any thread sends, and
// sends are serialized by a lock.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <string>

namespace Corvane::Chromium {

class WebSocket {
public:
    WebSocket() = default;
    ~WebSocket();
    WebSocket(const WebSocket&) = delete;
    WebSocket& operator=(const WebSocket&) = delete;

    // ws://127.0.0.1:<port><path>
    HRESULT Connect(INTERNET_PORT port, const std::wstring& path);
    HRESULT Send(const std::string& utf8);
    // One whole text message. Fails once the socket is closed or aborted.
    HRESULT Receive(std::string& message);
    // Closes the handles; a Receive blocked in another thread returns.
    void Abort();

private:
    SRWLOCK sendLock_ = SRWLOCK_INIT;
    HINTERNET session_ = nullptr;
    HINTERNET connection_ = nullptr;
    HINTERNET socket_ = nullptr;
};

}  // namespace Corvane::Chromium
