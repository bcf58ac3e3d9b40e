#include "control_errors.h"

#include "corvane_h.h"
#include "error_info.h"

namespace Corvane {

HRESULT ControlErrorSlot::ComErrorOnly(std::u16string_view text, HRESULT hr) {
    return ReportError(IID_ICorvaneCtrl, text, hr);
}

HRESULT ControlErrorSlot::LastErrorOnly(std::u16string_view text, HRESULT hr) {
    text_.assign(text);
    return hr;
}

HRESULT ControlErrorSlot::LastErrorOnly(std::u16string_view text, HRESULT hr, HRESULT code) {
    text_.assign(text);
    code_ = code;
    return hr;
}

HRESULT ControlErrorSlot::Both(std::u16string_view text, HRESULT hr, HRESULT code) {
    text_.assign(text);
    code_ = code;
    return ReportError(IID_ICorvaneCtrl, text, hr);
}

}  // namespace Corvane
