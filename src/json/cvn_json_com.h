// CCVNJsonCOM: the standalone JSON engine object (ICVNJson). Apartment-
// threaded; may be aggregated.
#pragma once

#include "com_object.h"
#include "corvane_h.h"
#include "dispatch.h"
#include "error_info.h"
#include "notimpl.h"

namespace Corvane {

class CCVNJsonCOM final
    : public ComObject<CCVNJsonCOM, DispatchImpl<ICVNJson, ICVNJsonNotImplemented>,
                       SupportErrorInfoImpl<&IID_ICVNJson>> {
public:
    using Exposed = InterfaceList<ICVNJson, ISupportErrorInfo>;
    static constexpr bool kAggregatable = true;

    explicit CCVNJsonCOM(IUnknown* outer) : ComObject(outer) {}
};

}  // namespace Corvane
