#include "live_controls.h"

#include <windows.h>

#include <atomic>
#include <set>

namespace Corvane::LiveControls {

namespace {

// One critical section for the whole process, made on first use.
struct LiveSet {
    CRITICAL_SECTION lock;
    std::set<const CCorvaneCtrl*> controls;
    LiveSet() { InitializeCriticalSection(&lock); }
};

LiveSet& Set() {
    static LiveSet* set = new LiveSet();   // never destroyed: controls may outlive static teardown
    return *set;
}

class Guard {
public:
    Guard() { EnterCriticalSection(&Set().lock); }
    ~Guard() { LeaveCriticalSection(&Set().lock); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
};

std::atomic<std::uint32_t> g_counter{0};

}  // namespace

std::uint32_t NextInstanceId() {
    return (static_cast<std::uint32_t>(GetCurrentProcessId()) << 16) | (++g_counter & 0xFFFFu);
}

void Add(const CCorvaneCtrl* control) {
    Guard g;
    Set().controls.insert(control);
}

void Remove(const CCorvaneCtrl* control) {
    Guard g;
    Set().controls.erase(control);
}

bool IsLive(const CCorvaneCtrl* control) {
    Guard g;
    return Set().controls.count(control) != 0;
}

bool RunIfLive(const CCorvaneCtrl* control, const std::function<void()>& body) {
    Guard g;
    if (Set().controls.count(control) == 0) return false;
    body();
    return true;
}

std::size_t Count() {
    Guard g;
    return Set().controls.size();
}

}  // namespace Corvane::LiveControls
