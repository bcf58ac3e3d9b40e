// Any local file in the control: OpenDocument sends what the browser renders
// to the browser (CSV as a table page) and Office documents to a preview
// handler laid over the control; the preview members show a file with a
// handler where the host asks. The Office editing members of old stay in the
// interface and say that editing is gone.
#include <string>

#include "barrier.h"
#include "bstr.h"
#include "corvane_ctrl.h"
#include "read_property.h"
#include "document_rules.h"
#include "preview_host.h"
#include "runtime_text.h"

namespace Corvane {

namespace {

constexpr std::u16string_view kOfficeEditingRemoved =
    u"Office document editing has been removed. Use ShowDocumentPreview() for read-only preview.";

// The whole file when it may become a table: not empty, under the limit, read in full.
bool ReadTableFile(const std::wstring& path, std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < LONGLONG(kCsvTableFileLimit);
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
    }
    CloseHandle(file);
    return ok;
}

// A child window's parent; null for a top-level window (whose "parent" is its owner).
HWND ParentOfChild(HWND window) {
    if (!(GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) return nullptr;
    HWND parent = GetParent(window);
    return parent && IsWindow(parent) ? parent : nullptr;
}

}  // namespace

void CCorvaneCtrl::SetBrowserVisible(bool visible) {
    if (controller_) controller_->put_IsVisible(visible ? TRUE : FALSE);
}

// Navigate refuses every scheme but http, https and about; the viewer's own
// file URLs go the same way without that check.
HRESULT CCorvaneCtrl::NavigateToDocument(std::u16string_view path) {
    const std::u16string url = DocumentFileUrl(path);
    if (stage_.ready && webView_) {
        if (!controller_) return E_POINTER;
        return webView_->Navigate(ToWide(url).c_str());
    }
    pendingUrl_ = url;
    return S_OK;
}

namespace {

// The caller's path when it names something that exists, else the error answered.
HRESULT ExistingFile(BSTR filePath, ControlErrorSlot& errors, std::u16string& path) {
    if (!filePath) return errors.LastErrorOnly(u"File path is NULL", E_INVALIDARG);
    path = BstrView(filePath);
    if (GetFileAttributesW(ToWide(path).c_str()) == INVALID_FILE_ATTRIBUTES)
        return errors.LastErrorOnly(u"File not found: " + path, E_FAIL);
    return S_OK;
}

}  // namespace

HRESULT CCorvaneCtrl::OpenDocument(BSTR filePath, LONG viewMode) {
    return ComBarrier([&]() -> HRESULT {
        std::u16string path;
        if (HRESULT hr = ExistingFile(filePath, errors_, path); FAILED(hr)) return hr;
        const std::wstring widePath = ToWide(path);
        const DocumentKind kind = ClassifyDocument(path);
        if (embedded_ && !webView_ && !IsOfficeKind(kind))
            return errors_.LastErrorOnly(u"WebView2 not initialized yet. Please wait and try again.", E_FAIL);
        documentPath_ = path;
        documentType_ = DocumentTypeName(kind);

        if (IsOfficeKind(kind)) {
            SetBrowserVisible(false);
            HWND target = embedded_ ? embeddedParent_ : window_;
            HRESULT hr = E_FAIL;
            if (target && IsWindow(target)) {
                RECT rect{embedX_, embedY_, embedX_ + embedWidth_, embedY_ + embedHeight_};
                const bool bounded = embedded_ && embedWidth_ > 0 && embedHeight_ > 0;
                if (bounded) {
                    if (HWND up = ParentOfChild(target)) {
                        MapWindowPoints(target, up, reinterpret_cast<POINT*>(&rect), 2);
                        target = up;
                    }
                }
                if (ShowViewerPreview(widePath, target, bounded ? &rect : nullptr, &hr)) return S_OK;
            }
            SetBrowserVisible(true);
            return errors_.LastErrorOnly(u"Failed to open Office document preview.", E_FAIL, hr);
        }
        if (IsBrowserKind(kind)) {
            ClosePreview();
            SetBrowserVisible(true);
            std::string bytes;
            std::u16string html;
            if (DocumentExtension(path) == u"csv" && ReadTableFile(widePath, bytes) &&
                RenderCsvTable(bytes, html).rendered) {
                if (!webView_) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
                return webView_->NavigateToString(ToWide(html).c_str());
            }
        }
        return NavigateToDocument(path);
    });
}

HRESULT CCorvaneCtrl::get_CurrentDocumentPath(BSTR* value) { return ReadText(documentPath_, value); }
HRESULT CCorvaneCtrl::get_CurrentDocumentType(BSTR* value) { return ReadText(documentType_, value); }

HRESULT CCorvaneCtrl::ShowDocumentPreview(BSTR filePath, LONG_PTR hwndTarget) {
    return ComBarrier([&]() -> HRESULT {
        std::u16string path;
        if (HRESULT hr = ExistingFile(filePath, errors_, path); FAILED(hr)) return hr;
        const std::wstring widePath = ToWide(path);
        const DocumentKind kind = ClassifyDocument(path);
        if (!IsOfficeKind(kind)) {
            // A preview left over the browser would hide the file it is asked to show.
            if (IsBrowserKind(kind)) {
                ClosePreview();
                SetBrowserVisible(true);
            }
            return NavigateToDocument(path);
        }
        HWND parent = nullptr;
        for (HWND candidate : {reinterpret_cast<HWND>(hwndTarget), embeddedParent_, window_}) {
            if (candidate && IsWindow(candidate)) {
                parent = candidate;
                break;
            }
        }
        if (!parent) return errors_.LastErrorOnly(u"No valid parent window available", E_FAIL);
        if (embedded_ && parent == embeddedParent_)
            if (HWND up = ParentOfChild(parent)) parent = up;
        RECT rect{};
        GetClientRect(parent, &rect);
        HRESULT hr = E_FAIL;
        if (!ShowPreviewInContainer(widePath, parent, &rect, &hr))
            return errors_.LastErrorOnly(u"Failed to show Office document preview", E_FAIL, hr);
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::ShowDocumentPreviewInBrowserFrame(BSTR filePath) {
    return ComBarrier([&]() -> HRESULT {
        std::u16string path;
        if (HRESULT hr = ExistingFile(filePath, errors_, path); FAILED(hr)) return hr;
        const std::wstring widePath = ToWide(path);
        HWND parent = embeddedParent_ && IsWindow(embeddedParent_) ? embeddedParent_
                      : window_ && IsWindow(window_)               ? window_
                                                                   : nullptr;
        if (!parent) return errors_.LastErrorOnly(u"No valid parent window", E_FAIL);
        SetBrowserVisible(false);
        // The browser fills the control's window unless it is embedded at its own bounds.
        RECT rect{embedX_, embedY_, embedX_ + embedWidth_, embedY_ + embedHeight_};
        if (parent == embeddedParent_) {
            if (HWND up = ParentOfChild(parent)) {
                MapWindowPoints(parent, up, reinterpret_cast<POINT*>(&rect), 2);
                parent = up;
            }
        } else {
            GetClientRect(parent, &rect);
        }
        HRESULT hr = E_FAIL;
        if (ShowPreviewInContainer(widePath, parent, &rect, &hr)) return S_OK;
        SetBrowserVisible(true);
        return errors_.LastErrorOnly(u"Failed to show document preview", E_FAIL, hr);
    });
}

HRESULT CCorvaneCtrl::CloseDocumentPreview() {
    return ComBarrier([&] {
        ClosePreview();
        SetBrowserVisible(true);
        return S_OK;
    });
}

// ---------------------------------------------------------------------------
// Office document editing: kept for old macros, doing no work.

HRESULT CCorvaneCtrl::OpenOfficeDocument(BSTR filePath) {
    return ComBarrier([&] { return errors_.LastErrorOnly(kOfficeEditingRemoved, E_NOTIMPL); });
}
HRESULT CCorvaneCtrl::CloseOfficeDocument() { return E_NOTIMPL; }
HRESULT CCorvaneCtrl::SaveOfficeDocument() { return E_NOTIMPL; }
HRESULT CCorvaneCtrl::SaveOfficeDocumentAs(BSTR filePath) { return E_NOTIMPL; }
HRESULT CCorvaneCtrl::get_IsOfficeDocumentOpen(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = VARIANT_FALSE;
    return S_OK;
}
HRESULT CCorvaneCtrl::get_OfficeDocumentPath(BSTR* value) { return ReadText({}, value); }
HRESULT CCorvaneCtrl::get_OfficeDocumentType(BSTR* value) { return ReadText({}, value); }

HRESULT CCorvaneCtrl::get_WordApplication(IDispatch** value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return E_NOTIMPL;
}

HRESULT CCorvaneCtrl::get_WordDocument(IDispatch** value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return E_NOTIMPL;
}

}  // namespace Corvane
