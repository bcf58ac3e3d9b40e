#include "error_info.h"

#include <string>

#include "com_ptr.h"

namespace Corvane {

HRESULT ReportError(REFIID iid, std::u16string_view description, HRESULT hr) {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.put()))) return hr;
    // Descriptions are short; copying here gives the API its terminator.
    std::wstring text(description.begin(), description.end());
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(L"Corvane"));
    create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.Query(IID_IErrorInfo, info.put_void()))) SetErrorInfo(0, info.get());
    return hr;
}

void ClearErrorInfo() { SetErrorInfo(0, nullptr); }

}  // namespace Corvane
