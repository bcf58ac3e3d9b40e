// A plain DevTools client for tests and benchmarks: one blocking WebSocket to
// a browser's endpoint, commands answered in order, events skipped. It stands
// apart from the runtime on purpose, to reach a page behind the control's back.
#pragma once

#include <string>

#include "chromium/cdp_json.h"
#include "chromium/websocket.h"

namespace CorvaneTest {

class RawCdp {
public:
    // Reads <userDataFolder>\DevToolsActivePort and connects.
    bool Connect(const std::wstring& userDataFolder);
    // Sends and waits for the reply; the reply's whole JSON text, empty on failure.
    std::u16string Call(std::u16string_view method, std::u16string_view params = u"{}",
                        std::u16string_view sessionId = {});
    // Sends without waiting (a command whose reply may never come).
    void Post(std::u16string_view method, std::u16string_view params, std::u16string_view sessionId);
    // Attaches to the first page whose URL contains `part`; the session id or empty.
    std::u16string AttachToPage(std::u16string_view part);

private:
    std::string Message(int id, std::u16string_view method, std::u16string_view params, std::u16string_view sessionId);
    Corvane::Chromium::WebSocket socket_;
    int next_ = 1;
};

}  // namespace CorvaneTest
