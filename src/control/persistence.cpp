// Persistence: the extent (_cx, _cy, HIMETRIC) and Url, and nothing else.
// A loaded Url becomes the pending URL, which the navigation work opens
// once the browser is ready; saving writes the current URL, or the pending
// one while nothing has been navigated yet.
//
// Stream layout: DWORD layout version, ULONG _cx, ULONG _cy, then Url as a
// VARTYPE (VT_BSTR) and a ULONG byte count that includes the terminating
// NUL (0 for an empty Url) followed by the characters.
#include <string>

#include "barrier.h"
#include "bstr.h"
#include "corvane_ctrl.h"

namespace Corvane {

namespace {

constexpr DWORD kStreamLayout = 0x0100;
constexpr ULONG kMaxUrlBytes = 16u * 1024 * 1024;   // no real URL comes near; guards a corrupt stream
constexpr wchar_t kStorageStream[] = L"Contents";

HRESULT ReadExactly(IStream* stream, void* data, ULONG size) {
    ULONG got = 0;
    HRESULT hr = stream->Read(data, size, &got);
    if (FAILED(hr)) return hr;
    return got == size ? S_OK : STG_E_READFAULT;
}

HRESULT WriteExactly(IStream* stream, const void* data, ULONG size) {
    ULONG put = 0;
    HRESULT hr = stream->Write(data, size, &put);
    if (FAILED(hr)) return hr;
    return put == size ? S_OK : STG_E_WRITEFAULT;
}

// A property read from the bag in whatever type it holds, then converted
// here, so a value that does not convert is an error and not a missing
// property; S_FALSE when the bag lacks it.
HRESULT ReadProperty(IPropertyBag* bag, IErrorLog* log, const wchar_t* name, VARTYPE type, VARIANT& value) {
    VariantInit(&value);
    if (FAILED(bag->Read(name, &value, log))) {
        VariantInit(&value);
        return S_FALSE;
    }
    HRESULT hr = value.vt == type ? S_OK : VariantChangeType(&value, &value, 0, type);
    if (FAILED(hr)) VariantClear(&value);
    return hr;
}

}  // namespace

std::u16string CCorvaneCtrl::UrlForSaving() const { return currentUrl_.empty() ? pendingUrl_ : currentUrl_; }

HRESULT CCorvaneCtrl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_CorvaneCtrl;
    return S_OK;
}

HRESULT CCorvaneCtrl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

HRESULT CCorvaneCtrl::InitNew() { return S_OK; }

HRESULT CCorvaneCtrl::LoadFromStream(IStream* stream) {
    DWORD layout = 0;
    ULONG size[2] = {};
    VARTYPE type = VT_EMPTY;
    ULONG bytes = 0;
    HRESULT hr = ReadExactly(stream, &layout, sizeof(layout));
    if (SUCCEEDED(hr) && layout != kStreamLayout) hr = STG_E_OLDFORMAT;
    if (SUCCEEDED(hr)) hr = ReadExactly(stream, size, sizeof(size));
    if (SUCCEEDED(hr)) hr = ReadExactly(stream, &type, sizeof(type));
    if (SUCCEEDED(hr) && type != VT_BSTR) hr = STG_E_INVALIDHEADER;
    if (SUCCEEDED(hr)) hr = ReadExactly(stream, &bytes, sizeof(bytes));
    if (SUCCEEDED(hr) && (bytes % 2 != 0 || bytes == 1 || bytes > kMaxUrlBytes)) hr = STG_E_INVALIDHEADER;
    if (FAILED(hr)) return hr;
    std::u16string url(bytes / 2, u'\0');
    if (bytes) hr = ReadExactly(stream, url.data(), bytes);
    if (FAILED(hr)) return hr;
    if (!url.empty()) {
        if (url.back() != u'\0') return STG_E_INVALIDHEADER;
        url.pop_back();
    }
    // All read: only now does the control change.
    extent_ = SIZEL{static_cast<LONG>(size[0]), static_cast<LONG>(size[1])};
    pendingUrl_ = std::move(url);
    dirty_ = false;
    return S_OK;
}

HRESULT CCorvaneCtrl::SaveToStream(IStream* stream) {
    const std::u16string url = UrlForSaving();
    const ULONG size[2] = {static_cast<ULONG>(extent_.cx), static_cast<ULONG>(extent_.cy)};
    const VARTYPE type = VT_BSTR;
    const ULONG bytes = url.empty() ? 0 : static_cast<ULONG>((url.size() + 1) * sizeof(char16_t));
    HRESULT hr = WriteExactly(stream, &kStreamLayout, sizeof(kStreamLayout));
    if (SUCCEEDED(hr)) hr = WriteExactly(stream, size, sizeof(size));
    if (SUCCEEDED(hr)) hr = WriteExactly(stream, &type, sizeof(type));
    if (SUCCEEDED(hr)) hr = WriteExactly(stream, &bytes, sizeof(bytes));
    if (SUCCEEDED(hr) && bytes) hr = WriteExactly(stream, url.c_str(), bytes);
    return hr;
}

HRESULT CCorvaneCtrl::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    return ComBarrier([&] { return LoadFromStream(stream); });
}

HRESULT CCorvaneCtrl::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    return ComBarrier([&] {
        HRESULT hr = SaveToStream(stream);
        if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
        return hr;
    });
}

HRESULT CCorvaneCtrl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    const std::u16string url = UrlForSaving();
    size->QuadPart = sizeof(DWORD) + 2 * sizeof(ULONG) + sizeof(VARTYPE) + sizeof(ULONG) +
                     (url.empty() ? 0 : (url.size() + 1) * sizeof(char16_t));
    return S_OK;
}

// IPersistPropertyBag: a missing property keeps its current value, so forms
// saved without one still load.
HRESULT CCorvaneCtrl::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        VARIANT cx, cy, url;
        HRESULT hr = ReadProperty(bag, log, L"_cx", VT_UI4, cx);
        if (FAILED(hr)) return hr;
        hr = ReadProperty(bag, log, L"_cy", VT_UI4, cy);
        if (FAILED(hr)) return hr;
        hr = ReadProperty(bag, log, L"Url", VT_BSTR, url);
        if (FAILED(hr)) return hr;
        if (cx.vt == VT_UI4) extent_.cx = static_cast<LONG>(cx.ulVal);
        if (cy.vt == VT_UI4) extent_.cy = static_cast<LONG>(cy.ulVal);
        if (url.vt == VT_BSTR) pendingUrl_ = std::u16string(BstrView(url.bstrVal));
        VariantClear(&url);
        dirty_ = false;
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_UI4;
        v.ulVal = static_cast<ULONG>(extent_.cx);
        HRESULT hr = bag->Write(L"_cx", &v);
        if (FAILED(hr)) return hr;
        v.ulVal = static_cast<ULONG>(extent_.cy);
        hr = bag->Write(L"_cy", &v);
        if (FAILED(hr)) return hr;
        v.vt = VT_BSTR;
        v.bstrVal = MakeBstr(UrlForSaving());
        hr = bag->Write(L"Url", &v);
        VariantClear(&v);
        if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
        return hr;
    });
}

// IPersistStorage: the stream layout above, in one stream of the storage.
HRESULT CCorvaneCtrl::InitNew(IStorage* storage) { return storage ? S_OK : E_POINTER; }

HRESULT CCorvaneCtrl::Load(IStorage* storage) {
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    HRESULT hr = storage->OpenStream(kStorageStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put());
    if (FAILED(hr)) return hr;
    return Load(stream.get());
}

HRESULT CCorvaneCtrl::Save(IStorage* storage, BOOL) {
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    HRESULT hr = storage->CreateStream(kStorageStream, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                       stream.put());
    if (FAILED(hr)) return hr;
    return Save(stream.get(), TRUE);
}

HRESULT CCorvaneCtrl::SaveCompleted(IStorage*) { return S_OK; }
HRESULT CCorvaneCtrl::HandsOffStorage() { return S_OK; }

}  // namespace Corvane
