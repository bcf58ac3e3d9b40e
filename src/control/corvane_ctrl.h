// CCorvaneCtrl: the control object. It answers ICorvaneCtrl (dual), raises
// _DCorvaneCtrlEvents through its one connection point, and may be
// aggregated by a host's form machinery.
#pragma once

#include "com_object.h"
#include "connection_point.h"
#include "corvane_h.h"
#include "dispatch.h"
#include "error_info.h"
#include "notimpl.h"

namespace Corvane {

class CCorvaneCtrl final
    : public ComObject<CCorvaneCtrl, DispatchImpl<ICorvaneCtrl, ICorvaneCtrlNotImplemented>,
                       SupportErrorInfoImpl<&IID_ICorvaneCtrl>, SingleConnectionPointContainer<&DIID__DCorvaneCtrlEvents>> {
public:
    using Exposed = InterfaceList<ICorvaneCtrl, ISupportErrorInfo, IConnectionPointContainer>;
    static constexpr bool kAggregatable = true;

    explicit CCorvaneCtrl(IUnknown* outer) : ComObject(outer) {}
};

}  // namespace Corvane
