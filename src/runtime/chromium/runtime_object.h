// What every Chromium runtime object shares: the object base with generated
// E_NOTIMPL defaults underneath, a way to make one, and event lists.
#pragma once

#include <new>
#include <utility>
#include <vector>

#include "barrier.h"
#include "com_object.h"
#include "com_ptr.h"
#include "runtime_defaults.h"

namespace Corvane::Chromium {

// A new object with its one reference, or null when memory ran out.
template <class T, class... Args>
ComPtr<T> Make(Args&&... args) {
    ComPtr<T> object;
    object.Attach(new (std::nothrow) T(std::forward<Args>(args)...));
    return object;
}

// An out-parameter answered with `value`: the body of every plain getter.
template <class T, class V>
HRESULT Answer(T* out, V value) {
    if (!out) return E_POINTER;
    *out = static_cast<T>(value);
    return S_OK;
}

// The handlers of one event. Raising works on a copy, so a handler may add
// or remove registrations (its own included) while it runs.
template <class Handler>
class EventList {
public:
    HRESULT Add(Handler* handler, EventRegistrationToken* token) {
        if (!handler || !token) return E_INVALIDARG;
        return ComBarrier([&] {
            handlers_.emplace_back(next_, ComPtr<Handler>(handler));
            token->value = next_++;
            return S_OK;
        });
    }
    HRESULT Remove(EventRegistrationToken token) {
        for (auto it = handlers_.begin(); it != handlers_.end(); ++it) {
            if (it->first == token.value) {
                handlers_.erase(it);
                break;
            }
        }
        return S_OK;
    }
    template <class... A>
    void Raise(A... args) {
        auto copy = handlers_;
        for (auto& entry : copy) entry.second->Invoke(args...);
    }
    bool Empty() const { return handlers_.empty(); }
    void Clear() { handlers_.clear(); }

private:
    std::vector<std::pair<INT64, ComPtr<Handler>>> handlers_;
    INT64 next_ = 1;
};

}  // namespace Corvane::Chromium
