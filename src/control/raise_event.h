// Event arguments and the broadcast to connected sinks. Kept free of the
// control so the broadcast rules can be checked on their own.
#pragma once

#include <oaidl.h>

#include <string_view>
#include <vector>

#include "com_ptr.h"

namespace Corvane {

// One event argument, as the caller sees it. Strings are copied afresh for
// every sink; in-out arguments point at one variable shared by all sinks,
// so the last sink's answer is the one the caller reads.
class EventArg {
public:
    EventArg(std::u16string_view text) : kind_(Kind::Text), text_(text) {}
    EventArg(const char16_t* text) : kind_(Kind::Text), text_(text ? text : u"") {}
    EventArg(LONG value) : kind_(Kind::Long), long_(value) {}
    EventArg(bool value) : kind_(Kind::Bool), long_(value) {}
    EventArg(double value) : kind_(Kind::Double), double_(value) {}
    EventArg(IDispatch* object) : kind_(Kind::Object), object_(object) {}

    static EventArg InOut(VARIANT_BOOL* shared) { return EventArg(VT_BOOL, shared); }
    static EventArg InOut(LONG* shared) { return EventArg(VT_I4, shared); }
    static EventArg InOut(BSTR* shared) { return EventArg(VT_BSTR, shared); }

    // A VARIANT for one sink; the caller clears it after the call.
    HRESULT ToVariant(VARIANT& out) const;

private:
    enum class Kind { Text, Long, Bool, Double, Object, ByRef };
    EventArg(VARTYPE type, void* shared) : kind_(Kind::ByRef), byRefType_(type), shared_(shared) {}

    Kind kind_;
    std::u16string_view text_;
    LONG long_ = 0;
    double double_ = 0;
    IDispatch* object_ = nullptr;
    VARTYPE byRefType_ = VT_EMPTY;
    void* shared_ = nullptr;
};

// Calls IDispatch::Invoke(id) on every sink in order, arguments last-first.
// A failing sink does not stop the others; the result is the last Invoke's.
HRESULT BroadcastEvent(const std::vector<ComPtr<IDispatch>>& sinks, DISPID id, const EventArg* args,
                       std::size_t count);

}  // namespace Corvane
