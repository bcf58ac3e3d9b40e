#include "dispatch.h"

#include <algorithm>
#include <string>
#include <vector>

namespace Corvane {

namespace {

// Member names are ASCII; automation matches them without regard to case.
std::u16string Fold(const OLECHAR* name) {
    std::u16string s;
    for (; *name; ++name) {
        char16_t c = static_cast<char16_t>(*name);
        s.push_back(c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c);
    }
    return s;
}

}  // namespace

struct DispatchNames::Entry {
    std::u16string name;
    DISPID id;
    bool operator<(const Entry& o) const { return name < o.name; }
};

DispatchNames::DispatchNames(ITypeInfo* info) {
    std::vector<Entry> entries;
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attr))) {
        for (UINT i = 0; i < attr->cFuncs; ++i) {
            FUNCDESC* f = nullptr;
            if (FAILED(info->GetFuncDesc(i, &f))) continue;
            BSTR name = nullptr;
            UINT got = 0;
            if (SUCCEEDED(info->GetNames(f->memid, &name, 1, &got)) && got == 1) {
                entries.push_back({Fold(name), f->memid});
                SysFreeString(name);
            }
            info->ReleaseFuncDesc(f);
        }
        info->ReleaseTypeAttr(attr);
    }
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [](const Entry& a, const Entry& b) { return a.name == b.name; }),
                  entries.end());
    count_ = entries.size();
    entries_ = new Entry[count_];
    std::move(entries.begin(), entries.end(), entries_);
}

DISPID DispatchNames::Find(const OLECHAR* name) const {
    Entry key{Fold(name), DISPID_UNKNOWN};
    const Entry* begin = entries_;
    const Entry* end = entries_ + count_;
    const Entry* hit = std::lower_bound(begin, end, key);
    return hit != end && hit->name == key.name ? hit->id : DISPID_UNKNOWN;
}

HRESULT GetPropertyByName(IDispatch* object, const wchar_t* name, VARIANT* value) {
    VariantInit(value);
    if (!object) return E_POINTER;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS none{};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr, nullptr);
}

}  // namespace Corvane
