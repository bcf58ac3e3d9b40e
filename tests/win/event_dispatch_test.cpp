// The per-thread event bookkeeping, the deferred queue and its dispatcher
// window, the guard's messages, and PumpWait, compiled in and driven directly.
#include <string>
#include <vector>

#include "control/event_dispatch.h"
#include "win_test_support.h"

using namespace Corvane;
using CorvaneTest::PumpPosted;

namespace {

std::u16string U(const wchar_t* text) { return std::u16string(text, text + wcslen(text)); }

TEST(Guard, ExplainsWhereTheCallIsAndWhatToDoInstead) {
    DispatchRecord& record = ThreadDispatchRecord();
    std::u16string message;
    EXPECT_FALSE(RefuseIfNested(u"Op", message, GuardKind::Completion));
    EXPECT_TRUE(message.empty());

    struct Case {
        LONG hostCalls;
        const wchar_t* hostName;
        LONG events;
        const wchar_t* eventName;
        GuardKind kind;
        const char16_t* alternative;
        const wchar_t* expected;
    } cases[] = {
        {0, nullptr, 1, L"WebMessageReceived", GuardKind::ScriptResult, u"",
         L"Op cannot return a result here: WebView2 is still raising the WebMessageReceived event, and WebView2 does "
         L"not deliver script results until that has returned. Waiting would only end in a timeout. Use "
         L"ExecuteScriptAsync instead (the page can send its answer with window.chrome.webview.postMessage, handled "
         L"in WebMessageReceived), or make the synchronous call after this handler has returned, for example from a "
         L"timer."},
        {0, nullptr, 2, nullptr, GuardKind::OtherResult, u"",
         L"Op cannot return a result here: WebView2 is still raising the current event, and WebView2 does not deliver "
         L"results until that has returned. Waiting would only end in a timeout. Make the call after this handler has "
         L"returned, for example from a timer."},
        {1, L"Sheet", 1, L"NavigationStarting", GuardKind::Completion, u"",
         L"Op cannot complete here: the page is in the middle of calling into VBA through the host object 'Sheet', "
         L"and WebView2 does not report the end of the operation until that has returned. Waiting would only end in a "
         L"timeout, so nothing was started. Call it after this handler has returned, for example from a timer."},
        {1, nullptr, 0, nullptr, GuardKind::Completion, u"Use Other instead,",
         L"Op cannot complete here: the page is in the middle of calling into VBA through the host object '?', and "
         L"WebView2 does not report the end of the operation until that has returned. Waiting would only end in a "
         L"timeout, so nothing was started. Use Other instead, or call it after this handler has returned, for "
         L"example from a timer."},
    };
    for (const Case& c : cases) {
        record.hostCallDepth = c.hostCalls;
        record.hostCallName = c.hostName;
        record.eventDepth = c.events;
        record.eventName = c.eventName;
        EXPECT_TRUE(RefuseIfNested(u"Op", message, c.kind, c.alternative));
        EXPECT_EQ(message, U(c.expected));
    }
    record = DispatchRecord{};
}

TEST(DeferredQueue, WaitsForTheOutermostEventAndRunsInOrder) {
    std::vector<int> ran;
    int owner = 0;
    RunImmediateEvent(u"AVeryLongEventNameThatGoesOnAndOnBeyondTheFortySevenCharacterLimit", [&] {
        EXPECT_EQ(std::wstring(ThreadDispatchRecord().eventName),
                  std::wstring(L"AVeryLongEventNameThatGoesOnAndOnBeyondTheForty"));
        RunImmediateEvent(u"Inner", [&] {
            ASSERT_TRUE(QueueDeferredEvent(&owner, [&] {
                ran.push_back(1);
                // Queued while the queue runs: still in order, in the same run.
                QueueDeferredEvent(&owner, [&] { ran.push_back(3); });
            }));
            PumpPosted();   // an event is in progress: nothing runs
        });
        EXPECT_EQ(std::wstring(ThreadDispatchRecord().eventName),
                  std::wstring(L"AVeryLongEventNameThatGoesOnAndOnBeyondTheForty"));
        // Queued inside a single-level event, with the dispatcher woken: still held.
        ASSERT_TRUE(QueueDeferredEvent(&owner, [&] { ran.push_back(2); }));
        PumpPosted();
        EXPECT_TRUE(ran.empty());
        throw 1;   // swallowed: the runtime never sees it
    });
    EXPECT_EQ(ThreadDispatchRecord().eventDepth, 0);
    EXPECT_EQ(ThreadDispatchRecord().eventName, nullptr);
    PumpPosted();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));

    // A page call into the host holds the queue back too.
    ThreadDispatchRecord().hostCallDepth = 1;
    QueueDeferredEvent(&owner, [&] { ran.push_back(4); });
    PumpPosted();
    EXPECT_EQ(ran.size(), 3u);
    ThreadDispatchRecord().hostCallDepth = 0;
    ScheduleDeferredIfIdle();
    PumpPosted();
    EXPECT_EQ(ran.size(), 4u);
}

TEST(DeferredQueue, APurgedOwnersEventsNeverRunAndTheWindowGoes) {
    int a = 0, b = 0;
    std::vector<int> ran;
    QueueDeferredEvent(&a, [&] { ran.push_back(1); });
    QueueDeferredEvent(&b, [&] { ran.push_back(2); });
    HWND dispatcher = FindWindowExW(HWND_MESSAGE, nullptr, L"STATIC", nullptr);
    ASSERT_TRUE(dispatcher);
    PurgeDeferredEvents(&a);
    EXPECT_TRUE(IsWindow(dispatcher));   // b still waits
    PumpPosted();
    EXPECT_EQ(ran, std::vector<int>{2});
    QueueDeferredEvent(&a, [&] { ran.push_back(3); });
    PurgeDeferredEvents(&a);
    EXPECT_FALSE(IsWindow(dispatcher));
    PumpPosted();
    EXPECT_EQ(ran, std::vector<int>{2});
}

TEST(PumpWaitTest, SignalTimeOutAndMissingEvent) {
    EXPECT_EQ(PumpWait(nullptr, 100), E_HANDLE);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(PumpWait(event, 0), HRESULT_FROM_WIN32(ERROR_TIMEOUT));
    const DWORD start = GetTickCount();
    EXPECT_EQ(PumpWait(event, 250), HRESULT_FROM_WIN32(ERROR_TIMEOUT));
    const DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 240u);

    // The signal comes from a message the wait itself dispatches; a quit
    // request seen meanwhile is handed back to the host's loop.
    static HANDLE s_event;
    s_event = event;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        SetEvent(s_event);
    });
    PostQuitMessage(7);
    EXPECT_EQ(PumpWait(event, 5000), S_OK);
    KillTimer(nullptr, timer);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    CloseHandle(event);
}

}  // namespace
