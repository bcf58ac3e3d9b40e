#include "preview_host.h"

#include <ocidl.h>
#include <cwctype>
#include <utility>
#include <propsys.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include "com_object.h"
#include "com_ptr.h"
#include "document_rules.h"
#include "module.h"
#include "module_lock.h"
#include "runtime_text.h"

namespace Corvane {

// The site a preview handler talks to: it asks for its window and frame here.
// It holds the window of the preview it serves until the preview is unloaded.
class CPreviewHandlerSite final
    : public ComObject<CPreviewHandlerSite, IOleWindow, IServiceProvider, IPreviewHandlerFrame, IPreviewHandlerVisuals> {
public:
    using Exposed = InterfaceList<IOleWindow, IServiceProvider, IPreviewHandlerFrame, IPreviewHandlerVisuals>;
    static constexpr bool kAggregatable = false;

    CPreviewHandlerSite(IUnknown* outer, HWND window) : ComObject(outer), window_(window) {}
    void ClearWindow() { window_ = nullptr; }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = window_ && IsWindow(window_) ? window_ : nullptr;
        return *window ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualGUID(service, IID_IPreviewHandlerFrame) && !IsEqualGUID(service, IID_IOleWindow))
            return E_NOINTERFACE;
        return QueryInterface(iid, out);
    }

    HRESULT STDMETHODCALLTYPE GetWindowContext(PREVIEWHANDLERFRAMEINFO* info) override {
        if (!info) return E_POINTER;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }

    HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetFont(const LOGFONTW*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTextColor(COLORREF) override { return E_NOTIMPL; }

private:
    HWND window_;
};

namespace {

constexpr wchar_t kPreviewHandlerKey[] = L"\\shellex\\{8895b1c6-b41f-4c1c-a562-0d564250836f}";
constexpr wchar_t kContainerClass[] = L"PreviewContainer";
constexpr wchar_t kViewerClass[] = L"CorvanePreviewContainer";

struct FallbackHandler {
    const wchar_t* extensions;   // space-separated, each followed by a space
    const wchar_t* clsid;
};
constexpr FallbackHandler kFallbackHandlers[] = {
    {L"pptx ppt ppsx pps ", L"{65235197-874B-4A07-BDC5-E65EA825B718}"},
    {L"docx doc docm ", L"{84F66100-FF7C-4fb4-B0C0-02CD7FB668FE}"},
    {L"xlsx xls xlsm ", L"{00021827-0000-0000-C000-000000000046}"},
    {L"png jpg jpeg gif bmp ico tiff tif wdp hdp ", L"{C7657C4A-9F68-40fa-A4DF-96BC08EB3551}"},
    {L"pdf ", L"{3D1975AF-48C6-4f8e-A182-BE0E08FA86A9}"},
};

// The default value of HKCR\<key>, or empty.
std::wstring ClassesDefault(const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return {};
    wchar_t value[257] = {};
    DWORD type = 0, size = sizeof(value) - sizeof(wchar_t);
    const LSTATUS status = RegQueryValueExW(opened, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
    return value;
}

bool ParseClsid(const std::wstring& text, CLSID* clsid) {
    return !text.empty() && SUCCEEDED(CLSIDFromString(text.c_str(), clsid));
}

// A handler made for a file, with the site it was given.
struct LoadedHandler {
    ComPtr<IPreviewHandler> handler;
    ComPtr<IOleWindow> site;

    // `share` is the sharing mode of the stream a stream-only handler reads.
    HRESULT Load(const std::wstring& path, HWND host, DWORD share) {
        const std::u16string extension = DocumentExtension(FromWide(path.c_str()));
        if (extension.empty()) return E_FAIL;
        CLSID clsid;
        HRESULT hr = GetPreviewHandlerCLSID(L"." + ToWide(extension), &clsid);
        if (FAILED(hr)) return hr;
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IPreviewHandler,
                              handler.put_void());
        if (FAILED(hr)) return hr;
        if (!handler) return E_NOINTERFACE;
        if (auto withSite = handler.TryQuery<IObjectWithSite>()) {
            if (SUCCEEDED(CreateComObject<CPreviewHandlerSite>(nullptr, IID_IOleWindow, site.put_void(), host)))
                withSite->SetSite(site.get());   // a handler that refuses its site may still preview
        }
        if (auto withFile = handler.TryQuery<IInitializeWithFile>()) {
            hr = withFile->Initialize(path.c_str(), STGM_READ);
        } else if (auto withStream = handler.TryQuery<IInitializeWithStream>()) {
            ComPtr<IStream> stream;
            hr = SHCreateStreamOnFileW(path.c_str(), STGM_READ | share, stream.put());
            if (SUCCEEDED(hr)) hr = withStream->Initialize(stream.get(), STGM_READ);
        } else {
            hr = E_NOINTERFACE;
        }
        return hr;
    }

    // After a failed step: the handler goes without Unload, it never previewed.
    void Drop() {
        if (auto withSite = handler.TryQuery<IObjectWithSite>()) withSite->SetSite(nullptr);
        handler.Reset();
        if (site) static_cast<CPreviewHandlerSite*>(site.get())->ClearWindow();
        site.Reset();
    }

    void Unload() {
        if (!handler) return;
        if (site) static_cast<CPreviewHandlerSite*>(site.get())->ClearWindow();
        if (auto withSite = handler.TryQuery<IObjectWithSite>()) withSite->SetSite(nullptr);
        site.Reset();
        handler->Unload();
        handler.Reset();
    }
};

void DrainMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HINSTANCE ModuleInstance() {
    HINSTANCE instance = CCorvaneModule::Instance().Handle();
    return instance ? instance : GetModuleHandleW(nullptr);
}

class PreviewContainer;
PreviewContainer* g_container = nullptr;

// The process-wide container: one window, one preview.
class PreviewContainer {
public:
    PreviewContainer() { ModuleLock(); }   // its window procedure lives in this DLL
    ~PreviewContainer() {
        Unload();
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
        UnregisterClassW(kContainerClass, ModuleInstance());   // fails while another window of it exists
        ModuleUnlock();
    }

    bool Create(HWND parent, const RECT& rect) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = Proc;
        wc.hInstance = ModuleInstance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kContainerClass;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
        window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kContainerClass, L"",
                                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, wc.hInstance, this);
        if (!window_) return false;
        SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
        return true;
    }

    HRESULT ShowPreview(const std::wstring& path) {
        if (!window_ || path.empty()) return E_INVALIDARG;
        if (busy_) return S_FALSE;
        busy_ = true;
        HRESULT hr = Show(path);
        busy_ = false;
        return hr;
    }

    void Unload() {
        loaded_.Unload();
        path_.clear();
        active_ = false;
        if (window_ && IsWindow(window_)) InvalidateRect(window_, nullptr, TRUE);
    }

    HWND Window() const { return window_; }
    bool Busy() const { return busy_; }
    bool fillsParent = false;   // made over the parent's whole client area
    bool orphaned = false;      // closed while its show ran: deleted once the show returns

private:
    HRESULT Show(const std::wstring& path) {
        Unload();
        HRESULT hr = loaded_.Load(path, window_, STGM_SHARE_DENY_WRITE);
        RECT rect{};
        GetClientRect(window_, &rect);
        if (SUCCEEDED(hr)) hr = loaded_.handler->SetWindow(window_, &rect);
        if (SUCCEEDED(hr)) hr = loaded_.handler->SetRect(&rect);
        if (SUCCEEDED(hr)) {
            hr = loaded_.handler->DoPreview();
            DrainMessages();
        }
        if (FAILED(hr)) {
            loaded_.Drop();
            return hr;
        }
        DrainMessages();
        if (!loaded_.handler) return E_ABORT;   // closed while the messages ran
        path_ = path;
        active_ = true;
        loaded_.handler->SetFocus();
        return S_OK;
    }

    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<PreviewContainer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self) return DefWindowProcW(window, msg, wParam, lParam);
        switch (msg) {
            case WM_SIZE:
                if (self->active_ && self->loaded_.handler) {
                    RECT rect{0, 0, LOWORD(lParam), HIWORD(lParam)};
                    self->loaded_.handler->SetRect(&rect);
                }
                break;
            case WM_SETFOCUS:
                if (self->active_ && self->loaded_.handler) {
                    self->loaded_.handler->SetFocus();
                    return 0;
                }
                if (HWND child = GetWindow(window, GW_CHILD)) SetFocus(child);
                return 0;
            case WM_ERASEBKGND:
                if (self->active_) break;
                {
                    RECT client;
                    GetClientRect(window, &client);
                    FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_WINDOW));
                }
                return 1;
            case WM_MOUSEACTIVATE: return MA_ACTIVATE;
            case WM_DESTROY: self->Unload(); break;
            case WM_NCDESTROY: {
                self->window_ = nullptr;
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                const LRESULT result = DefWindowProcW(window, msg, wParam, lParam);
                // Destroyed with its parent (a form closed without closing the
                // preview): the slot lets go, so the module can unload.
                if (g_container == self && !self->busy_) {
                    g_container = nullptr;
                    delete self;
                }
                return result;
            }
        }
        return DefWindowProcW(window, msg, wParam, lParam);
    }

    HWND window_ = nullptr;
    LoadedHandler loaded_;
    std::wstring path_;
    bool active_ = false;
    bool busy_ = false;
};

// The viewer's preview: its handler, the window it draws into (repainted when
// it goes) and the child window made for it, if any.
struct ViewerPreview {
    LoadedHandler loaded;
    HWND host = nullptr;
    HWND container = nullptr;
    bool classRegistered = false;
    bool locked = false;   // a shown preview keeps the module loaded, as the container does
};
// Never destroyed: releasing a handler while the process exits could reach an unloaded DLL.
ViewerPreview& g_viewer = *new ViewerPreview;

void CloseContainer() {
    // Out of the slot first: a handler's messages during teardown may ask for a new one.
    PreviewContainer* container = std::exchange(g_container, nullptr);
    if (!container) return;
    if (!container->Busy()) {
        delete container;
        return;
    }
    // Closed from a message its own show dispatched: that show is still on the stack.
    container->orphaned = true;
    container->Unload();
    if (container->Window()) DestroyWindow(container->Window());
}

void CloseViewer() {
    g_viewer.loaded.Unload();
    if (g_viewer.host && IsWindow(g_viewer.host)) {
        InvalidateRect(g_viewer.host, nullptr, TRUE);
        UpdateWindow(g_viewer.host);
    }
    if (g_viewer.container && IsWindow(g_viewer.container)) DestroyWindow(g_viewer.container);
    g_viewer.host = g_viewer.container = nullptr;
    if (std::exchange(g_viewer.locked, false)) ModuleUnlock();
}

}  // namespace

HRESULT GetPreviewHandlerCLSID(const std::wstring& extension, CLSID* clsid) {
    if (!clsid) return E_POINTER;
    std::wstring key = extension;
    for (wchar_t& c : key) c = static_cast<wchar_t>(towlower(c));
    if (ParseClsid(ClassesDefault(key + kPreviewHandlerKey), clsid)) return S_OK;
    const std::wstring progId = ClassesDefault(key);
    if (!progId.empty() && ParseClsid(ClassesDefault(progId + kPreviewHandlerKey), clsid)) return S_OK;
    const std::wstring bare = (key.empty() || key[0] != L'.' ? key : key.substr(1)) + L" ";
    for (const FallbackHandler& row : kFallbackHandlers) {
        const std::wstring list = row.extensions;
        for (std::size_t at = list.find(bare); at != std::wstring::npos; at = list.find(bare, at + 1))
            if (at == 0 || list[at - 1] == L' ') return CLSIDFromString(row.clsid, clsid);
    }
    return E_FAIL;
}

bool ShowPreviewInContainer(const std::wstring& path, HWND parent, const RECT* rect, HRESULT* failure) {
    HRESULT ignored;
    HRESULT& hr = failure ? *failure : ignored;
    hr = E_INVALIDARG;
    if (!parent || !IsWindow(parent) || !rect) return false;
    CloseContainer();
    auto* container = new (std::nothrow) PreviewContainer;
    if (!container) return hr = E_OUTOFMEMORY, false;
    g_container = container;
    hr = E_FAIL;
    if (container->Create(parent, *rect)) {
        RECT client{};
        GetClientRect(parent, &client);
        container->fillsParent = EqualRect(&client, rect);
        hr = container->ShowPreview(path);
        if (container->orphaned) {
            delete container;
            hr = E_ABORT;
            return false;
        }
        if (hr == S_OK) return true;
        if (hr == S_FALSE) hr = E_FAIL;
    }
    if (g_container == container) CloseContainer();
    return false;
}

bool ShowViewerPreview(const std::wstring& path, HWND parent, const RECT* rect, HRESULT* failure) {
    HRESULT ignored;
    HRESULT& hr = failure ? *failure : ignored;
    CloseViewer();
    hr = E_INVALIDARG;
    if (!parent || !IsWindow(parent)) return false;
    g_viewer.host = parent;
    if (rect && rect->right > rect->left && rect->bottom > rect->top) {
        HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
        if (!instance) instance = GetModuleHandleW(nullptr);
        if (!g_viewer.classRegistered) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.style = CS_HREDRAW | CS_VREDRAW;
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = instance;
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = kViewerClass;
            g_viewer.classRegistered = RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
        }
        g_viewer.container = CreateWindowExW(0, kViewerClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                             rect->left, rect->top, rect->right - rect->left,
                                             rect->bottom - rect->top, parent, nullptr, instance, nullptr);
        if (g_viewer.container) g_viewer.host = g_viewer.container;
    }
    hr = g_viewer.loaded.Load(path, g_viewer.host, STGM_SHARE_DENY_NONE);
    RECT client{};
    GetClientRect(g_viewer.host, &client);
    if (SUCCEEDED(hr)) hr = g_viewer.loaded.handler->SetWindow(g_viewer.host, &client);
    if (SUCCEEDED(hr)) hr = g_viewer.loaded.handler->DoPreview();
    if (SUCCEEDED(hr)) {
        ModuleLock();
        g_viewer.locked = true;
        return true;
    }
    g_viewer.loaded.Drop();
    CloseViewer();
    return false;
}

void ClosePreview() {
    CloseContainer();
    CloseViewer();
}

void FitPreviewsTo(HWND parent, int width, int height) {
    if (g_container && g_container->fillsParent && g_container->Window() &&
        GetParent(g_container->Window()) == parent)
        SetWindowPos(g_container->Window(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    if (g_viewer.loaded.handler && g_viewer.host == parent) {
        RECT rect{0, 0, width, height};
        g_viewer.loaded.handler->SetRect(&rect);
    }
}

void ClosePreviewsIn(HWND window) {
    if (g_viewer.host && (g_viewer.host == window || IsChild(window, g_viewer.host))) CloseViewer();
}

}  // namespace Corvane
