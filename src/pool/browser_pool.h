// CBrowserPoolObj: the browser pool. It refuses aggregation: pools are
// handed out whole, by CoCreateInstance or Corvane_CreateBrowserPool.
#pragma once

#include "com_object.h"
#include "corvane_h.h"
#include "dispatch.h"
#include "error_info.h"
#include "notimpl.h"

namespace Corvane {

class CBrowserPoolObj final
    : public ComObject<CBrowserPoolObj, DispatchImpl<IBrowserPool, IBrowserPoolNotImplemented>,
                       SupportErrorInfoImpl<&IID_IBrowserPool>> {
public:
    using Exposed = InterfaceList<IBrowserPool, ISupportErrorInfo>;
    static constexpr bool kAggregatable = false;

    explicit CBrowserPoolObj(IUnknown* outer) : ComObject(outer) {}
};

}  // namespace Corvane
