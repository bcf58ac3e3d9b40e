// Per-thread bookkeeping of host events and page-to-host calls, the deferred
// event queue with its dispatcher window, and the guard that keeps blocking
// calls out of places where their completion can never arrive.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace Corvane {

// One per thread. Depths count what is in progress on this thread: calls
// from the page into host objects, and host events raised immediately.
struct DispatchRecord {
    LONG hostCallDepth = 0;
    const wchar_t* hostCallName = nullptr;
    LONG eventDepth = 0;
    const wchar_t* eventName = nullptr;
};

DispatchRecord& ThreadDispatchRecord();

inline constexpr UINT kDispatcherWakeMessage = 0x8356;
inline constexpr UINT_PTR kDispatcherTimerId = 0x4356;
inline constexpr UINT kDispatcherTimerPeriod = 10;
inline constexpr std::size_t kEventNameLimit = 47;

// Runs `call` as an immediate host event named `name`: the event depth and
// name are raised around it, exceptions are swallowed, and deferred events
// that waited for the outermost event are scheduled afterwards.
void RunImmediateEvent(std::u16string_view name, const std::function<void()>& call);

// Appends a deferred event for `owner` and schedules the dispatcher. False
// when the dispatcher could not be scheduled (the item is then not queued).
bool QueueDeferredEvent(const void* owner, std::function<void()> call);

// Schedules the dispatcher when nothing is in progress on this thread and
// deferred events wait; called when an event or host call has unwound.
void ScheduleDeferredIfIdle();

// Forgets every deferred event of `owner` (it is being destroyed); the
// dispatcher window goes when nothing is left.
void PurgeDeferredEvents(const void* owner);

// How a refused blocking call explains itself.
enum class GuardKind { ScriptResult = 0, OtherResult = 1, Completion = 2 };

// True, with the explanation in `message`, when this thread is inside an
// immediate host event or a page-to-host call: the browser would deliver the
// awaited completion only after that returned, so waiting could only time out.
bool RefuseIfNested(std::u16string_view operation, std::u16string& message, GuardKind kind,
                    std::u16string_view alternative = {});

// Waits for `event` while dispatching every message of this thread, waking at
// least every 100 ms. S_OK when signalled; HRESULT_FROM_WIN32(ERROR_TIMEOUT)
// after `timeoutMs` (at once for 0); E_HANDLE without an event; E_FAIL when
// the wait itself fails.
HRESULT PumpWait(HANDLE event, DWORD timeoutMs);

}  // namespace Corvane
