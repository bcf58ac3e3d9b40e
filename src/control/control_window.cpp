// The control's child window: its class, creation and the messages the
// control handles itself, including the five window events.
#include <windowsx.h>

#include "corvane_ctrl.h"
#include "foreign_host.h"
#include "live_controls.h"
#include "preview_host.h"
#include "type_info_cache.h"

namespace Corvane {

namespace {

constexpr wchar_t kWindowClass[] = L"CorvaneCtrlWindow";
constexpr UINT kReflectBase = WM_USER + 0x1C00;   // OCM__BASE: messages a container reflects back

constexpr DISPID kClick = 0x27;
constexpr DISPID kDblClick = 0x28;
constexpr DISPID kKeyPress = 0x29;
constexpr DISPID kMouseEnter = 0x2a;
constexpr DISPID kMouseLeave = 0x2b;

// Windows of this class alive in the process. The class goes when the last
// one does, so an unloaded and reloaded DLL never meets a stale procedure.
LONG liveWindows = 0;

bool IsReflected(UINT msg) {
    switch (msg - kReflectBase) {
    case WM_DRAWITEM: case WM_MEASUREITEM: case WM_DELETEITEM: case WM_VKEYTOITEM: case WM_CHARTOITEM:
    case WM_COMPAREITEM: case WM_NOTIFY: case WM_COMMAND: case WM_HSCROLL: case WM_VSCROLL:
    case WM_CTLCOLORBTN: case WM_CTLCOLORDLG: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_PARENTNOTIFY:
        return msg >= kReflectBase;
    default:
        return false;
    }
}

}  // namespace

LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* control = reinterpret_cast<CCorvaneCtrl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (control && control->window_ == window) control->window_ = nullptr;
        --liveWindows;
        return DefWindowProcW(window, msg, wParam, lParam);
    }
    if (control) {
        bool handled = false;
        LRESULT r = control->OnMessage(window, msg, wParam, lParam, handled);
        if (handled) return r;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

LRESULT CCorvaneCtrl::OnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (msg) {
    case WM_CREATE:
        closing_ = false;
        // The view paints every pixel; an erase brush would only flicker.
        SetClassLongPtrW(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetStockObject(NULL_BRUSH)));
        window_ = window;
        InitializeBrowser();
        return 0;
    case WM_DESTROY:
        // Run by the default procedure afterwards; the browser's own windows are
        // still alive here and move to the parking window with the controller.
        if (!closing_) ParkBrowser();
        ClosePreviewsIn(window);
        handled = false;
        return 0;
    case WM_SIZE:
        if (controller_) {
            RECT bounds{0, 0, LOWORD(lParam), HIWORD(lParam)};
            controller_->put_Bounds(bounds);
        }
        FitPreviewsTo(window, LOWORD(lParam), HIWORD(lParam));
        handled = false;
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        DrawContent(dc, client);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(window, &client);
        DrawContent(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_LBUTTONUP:
        RaiseWindowEvent(kClick);
        return 0;
    case WM_LBUTTONDBLCLK:
        RaiseWindowEvent(kDblClick);
        return 0;
    case WM_KEYDOWN:
        RaiseWindowEvent(kKeyPress, {static_cast<LONG>(wParam)});
        handled = false;   // default processing continues
        return 0;
    case WM_MOUSEMOVE:
        if (!trackingMouseLeave_) {
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof(track);
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = window;
            track.dwHoverTime = HOVER_DEFAULT;
            TrackMouseEvent(&track);
            trackingMouseLeave_ = true;
            RaiseWindowEvent(kMouseEnter);
        }
        return 0;
    case WM_MOUSELEAVE:
        trackingMouseLeave_ = false;
        RaiseWindowEvent(kMouseLeave);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return 0;
    default:
        if (IsReflected(msg)) return DefWindowProcW(window, msg - kReflectBase, wParam, lParam);
        handled = false;
        return 0;
    }
}

HRESULT CCorvaneCtrl::CreateControlWindow(HWND parent, const RECT& position) {
    if (window_) return S_OK;
    HINSTANCE module = ThisModule();
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(module, kWindowClass, &existing)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;   // DblClick needs double-click messages
        wc.lpfnWndProc = ControlWindowProc;
        wc.hInstance = module;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kWindowClass;
        if (!RegisterClassExW(&wc)) return HRESULT_FROM_WIN32(GetLastError());
    }
    ++liveWindows;
    HWND created = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                   position.left, position.top, position.right - position.left,
                                   position.bottom - position.top, parent, nullptr, module, this);
    if (!created) {
        DWORD error = GetLastError();
        if (--liveWindows == 0) UnregisterClassW(kWindowClass, module);
        return HRESULT_FROM_WIN32(error ? error : ERROR_CANNOT_MAKE);
    }
    window_ = created;
    return S_OK;
}

// After a window is gone; the class cannot go while one still exists.
void ReleaseWindowClass() {
    if (liveWindows == 0) UnregisterClassW(kWindowClass, ThisModule());
}

CCorvaneCtrl::CCorvaneCtrl(IUnknown* outer) : ComObject(outer), instanceId_(LiveControls::NextInstanceId()) {
    LiveControls::Add(this);
}

CCorvaneCtrl::~CCorvaneCtrl() {
    // Leave the live set first: a late callback must find the control gone.
    LiveControls::Remove(this);
    closing_ = true;
    ForgetForeignState();
    TeardownBrowser();
    closing_ = true;
    if (window_) DestroyWindow(window_);
    if (parkingWindow_) DestroyWindow(parkingWindow_);
    parkingWindow_ = nullptr;
    PurgeDeferredEvents(this);
    ReleaseWindowClass();
    ForeignHost::ForgetOwner(this);   // the address may come back as another control
    if (instanceHostWindow_) DestroyWindow(instanceHostWindow_);
    if (creationEvent_) CloseHandle(creationEvent_);
}

HRESULT CCorvaneCtrl::RaiseEvent(DISPID id, std::initializer_list<EventArg> args) {
    return BroadcastEvent(Point().Sinks(), id, args.begin(), args.size());
}

void CCorvaneCtrl::RaiseWindowEvent(DISPID id, std::initializer_list<EventArg> args) {
    if (closing_ || eventsSuppressed_) return;
    // Sinks may release the control's last outside reference while an event runs.
    ComPtr<IUnknown> keepAlive(Controlling());
    RaiseEvent(id, args);
}

}  // namespace Corvane
