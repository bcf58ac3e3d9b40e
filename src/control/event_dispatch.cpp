#include "event_dispatch.h"

#include <deque>
#include <new>
#include <utility>

namespace Corvane {

namespace {

struct DeferredItem {
    const void* owner;
    std::function<void()> call;
};

// The deferred queue of one thread and its dispatcher window. Per-thread
// state is plain data: a thread-local with a destructor would make the C++
// runtime pin the DLL until thread exit, and the release of that pin can be
// the DLL's last reference, unloading it inside the runtime's own thread-exit
// clean-up, which then waits on a lock it holds. The queue is allocated on
// first use and freed when its thread's last control has purged its events.
struct DeferredQueue {
    std::deque<DeferredItem> items;
    LONG running = 0;
    bool posted = false;
    bool released = false;   // purged while running: free once the run ends
    HWND window = nullptr;
};

thread_local DispatchRecord t_record;
thread_local DeferredQueue* t_queue = nullptr;

bool Idle(const DispatchRecord& record) { return record.hostCallDepth <= 0 && record.eventDepth < 1; }

DeferredQueue* Queue() {
    if (!t_queue) t_queue = new (std::nothrow) DeferredQueue();
    return t_queue;
}

// Frees this thread's queue and window when nothing is queued or running.
void FreeQueueIfUnused() {
    DeferredQueue* queue = t_queue;
    if (!queue || !queue->items.empty()) return;
    if (queue->running != 0) {
        queue->released = true;
        return;
    }
    if (queue->window) DestroyWindow(queue->window);
    t_queue = nullptr;
    delete queue;
}

void RunQueue(DeferredQueue& queue) {
    ++queue.running;
    while (!queue.items.empty()) {
        // Taken off before the call: the call may queue more or purge its owner.
        DeferredItem item = std::move(queue.items.front());
        queue.items.pop_front();
        try {
            item.call();
        } catch (...) {
        }
    }
    --queue.running;
    if (queue.released && queue.running == 0) FreeQueueIfUnused();
}

LRESULT CALLBACK DispatcherProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kDispatcherWakeMessage || (msg == WM_TIMER && wParam == kDispatcherTimerId)) {
        if (msg == WM_TIMER) KillTimer(window, kDispatcherTimerId);
        DeferredQueue* queue = t_queue;
        if (!queue) return 0;
        queue->posted = false;
        if (!queue->items.empty() && queue->running == 0 && Idle(t_record)) RunQueue(*queue);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

HWND DispatcherWindow(DeferredQueue& queue) {
    if (queue.window && IsWindow(queue.window)) return queue.window;
    queue.window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (queue.window)
        SetWindowLongPtrW(queue.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DispatcherProc));
    return queue.window;
}

bool ScheduleDispatcher(DeferredQueue& queue) {
    if (queue.posted) return true;
    HWND window = DispatcherWindow(queue);
    if (!window) return false;
    if (!PostMessageW(window, kDispatcherWakeMessage, 0, 0) &&
        !SetTimer(window, kDispatcherTimerId, kDispatcherTimerPeriod, nullptr))
        return false;
    queue.posted = true;
    return true;
}

}  // namespace

DispatchRecord& ThreadDispatchRecord() { return t_record; }

void RunImmediateEvent(std::u16string_view name, const std::function<void()>& call) {
    DispatchRecord& record = t_record;
    const wchar_t* previous = record.eventName;
    wchar_t buffer[kEventNameLimit + 1];
    std::size_t length = name.size() < kEventNameLimit ? name.size() : kEventNameLimit;
    for (std::size_t i = 0; i < length; ++i) buffer[i] = static_cast<wchar_t>(name[i]);
    buffer[length] = L'\0';
    ++record.eventDepth;
    record.eventName = buffer;
    try {
        call();
    } catch (...) {
    }
    --record.eventDepth;
    record.eventName = previous;
    ScheduleDeferredIfIdle();
}

bool QueueDeferredEvent(const void* owner, std::function<void()> call) {
    DeferredQueue* queue = Queue();
    if (!queue) return false;
    queue->items.push_back({owner, std::move(call)});
    if (ScheduleDispatcher(*queue)) return true;
    queue->items.pop_back();
    return false;
}

void ScheduleDeferredIfIdle() {
    DeferredQueue* queue = t_queue;
    if (queue && t_record.hostCallDepth == 0 && t_record.eventDepth == 0 && !queue->items.empty() &&
        queue->running == 0)
        ScheduleDispatcher(*queue);
}

void PurgeDeferredEvents(const void* owner) {
    DeferredQueue* queue = t_queue;
    if (!queue) return;
    std::erase_if(queue->items, [owner](const DeferredItem& item) { return item.owner == owner; });
    FreeQueueIfUnused();
}

bool RefuseIfNested(std::u16string_view operation, std::u16string& message, GuardKind kind,
                    std::u16string_view alternative) {
    const DispatchRecord& record = t_record;
    if (record.hostCallDepth < 1 && record.eventDepth < 1) return false;
    auto wide = [](const wchar_t* text, std::u16string_view fallback) {
        if (!text) return std::u16string(fallback);
        std::u16string out;
        for (; *text; ++text) out.push_back(static_cast<char16_t>(*text));
        return out;
    };
    std::u16string reason;
    if (record.hostCallDepth < 1) {
        reason = u"WebView2 is still raising the " + wide(record.eventName, u"current") + u" event";
    } else {
        reason = u"the page is in the middle of calling into VBA through the host object '" +
                 wide(record.hostCallName, u"?") + u"'";
    }
    message.assign(operation);
    switch (kind) {
    case GuardKind::ScriptResult:
        message += u" cannot return a result here: " + reason +
                   u", and WebView2 does not deliver script results until that has returned. Waiting would only "
                   u"end in a timeout. Use ExecuteScriptAsync instead (the page can send its answer with "
                   u"window.chrome.webview.postMessage, handled in WebMessageReceived), or make the synchronous "
                   u"call after this handler has returned, for example from a timer.";
        break;
    case GuardKind::OtherResult:
        message += u" cannot return a result here: " + reason +
                   u", and WebView2 does not deliver results until that has returned. Waiting would only end in a "
                   u"timeout. Make the call after this handler has returned, for example from a timer.";
        break;
    case GuardKind::Completion:
        message += u" cannot complete here: " + reason +
                   u", and WebView2 does not report the end of the operation until that has returned. Waiting "
                   u"would only end in a timeout, so nothing was started. ";
        if (!alternative.empty()) {
            message += alternative;
            message += u" or call it after this handler has returned, for example from a timer.";
        } else {
            message += u"Call it after this handler has returned, for example from a timer.";
        }
        break;
    }
    return true;
}

HRESULT PumpWait(HANDLE event, DWORD timeoutMs) {
    if (!event) return E_HANDLE;
    const DWORD start = GetTickCount();
    if (GetTickCount() - start >= timeoutMs) return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    bool quitSeen = false;
    int quitCode = 0;
    HRESULT result = S_OK;
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        const DWORD remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
        const DWORD slice = remaining < 100 ? remaining : 100;
        const DWORD wait = MsgWaitForMultipleObjectsEx(1, &event, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (wait == WAIT_OBJECT_0) break;
        if (wait == WAIT_OBJECT_0 + 1 || wait == WAIT_TIMEOUT) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                // A quit request belongs to the host's own loop: keep it for after the wait.
                if (msg.message == WM_QUIT) {
                    quitSeen = true;
                    quitCode = static_cast<int>(msg.wParam);
                    continue;
                }
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        } else {
            result = E_FAIL;
            break;
        }
        if (WaitForSingleObject(event, 0) == WAIT_OBJECT_0) break;
        if (GetTickCount() - start >= timeoutMs) {
            result = HRESULT_FROM_WIN32(ERROR_TIMEOUT);
            break;
        }
    }
    if (quitSeen) PostQuitMessage(quitCode);
    return result;
}

}  // namespace Corvane
