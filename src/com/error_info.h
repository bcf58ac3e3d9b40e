// Rich error information for automation hosts: what VBA shows in
// Err.Description and Err.Source. The source is always "Corvane".
#pragma once

#include <oaidl.h>

#include <string_view>

namespace Corvane {

// Installs an error object for `iid` with `description` and returns `hr`,
// so a member can end with `return ReportError(IID_ICVNJson, u"...", E_FAIL);`.
HRESULT ReportError(REFIID iid, std::u16string_view description, HRESULT hr);

// Clears the thread's error object: a successful call must not leave an old
// description behind for the host to find.
void ClearErrorInfo();

// ISupportErrorInfo for a fixed set of interfaces.
template <const IID*... Iids>
class SupportErrorInfoImpl : public ISupportErrorInfo {
public:
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return ((IsEqualIID(riid, *Iids)) || ...) ? S_OK : S_FALSE;
    }
};

}  // namespace Corvane
