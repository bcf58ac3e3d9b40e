// The control's error slot and its three ways of reporting a failure. Every
// member says which one it uses:
//  - COM error information only (pre-init refusals, missing runtime revisions);
//  - LastError only: the text is stored and the method returns its failure;
//  - both: LastError, LastErrorCode and COM error information together.
// LastError and LastErrorCode keep their values until the next method that
// records one: nothing clears them on success.
#pragma once

#include <objbase.h>

#include <string>
#include <string_view>

namespace Corvane {

class ControlErrorSlot {
public:
    // COM error information only; the slot is left as it is.
    static HRESULT ComErrorOnly(std::u16string_view text, HRESULT hr);
    // LastError only (LastErrorCode too when `code` is given).
    HRESULT LastErrorOnly(std::u16string_view text, HRESULT hr);
    HRESULT LastErrorOnly(std::u16string_view text, HRESULT hr, HRESULT code);
    // LastError, LastErrorCode = `code`, and COM error information.
    HRESULT Both(std::u16string_view text, HRESULT hr, HRESULT code);

    const std::u16string& Text() const { return text_; }
    HRESULT Code() const { return code_; }

private:
    std::u16string text_;
    HRESULT code_ = S_OK;
};

}  // namespace Corvane
