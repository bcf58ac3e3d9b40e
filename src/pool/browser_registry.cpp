#include "browser_registry.h"

#include "bstr.h"
#include "dispatch.h"
#include "module.h"
#include "variant.h"

namespace Corvane {

namespace {

constexpr wchar_t kParkingClass[] = L"CVN_ParkingLot";
constexpr UINT_PTR kTrackingTimer = 0x4356;
constexpr UINT kTrackingPeriod = 200;
constexpr int kParentWalk = 8;

LRESULT CALLBACK ParkingProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kTrackingTimer) {
        BrowserRegistry::Get().TrackingPass();
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

ComPtr<IDispatch> ParentOf(IDispatch* object) {
    UniqueVariant parent;
    if (FAILED(GetPropertyByName(object, L"Parent", parent.put())) || parent.get()->vt != VT_DISPATCH) return {};
    return ComPtr<IDispatch>(parent.get()->pdispVal);
}

bool ReadLong(IDispatch* object, const wchar_t* name, LONG& value) {
    UniqueVariant v;
    if (FAILED(GetPropertyByName(object, name, v.put()))) return false;
    if (FAILED(VariantChangeType(v.get(), v.get(), 0, VT_I4))) return false;
    value = v.get()->lVal;
    return true;
}

HWND WindowOf(IDispatch* object) {
    UniqueVariant v;
    if (FAILED(GetPropertyByName(object, L"hWnd", v.put()))) return nullptr;
    if (v.get()->vt == VT_I4) return reinterpret_cast<HWND>(static_cast<INT_PTR>(v.get()->lVal));
    if (v.get()->vt == VT_I8) return reinterpret_cast<HWND>(static_cast<INT_PTR>(v.get()->llVal));
    return nullptr;
}

bool ScreenRect(IAccessible* accessible, LONG& left, LONG& top, LONG& width, LONG& height) {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return SUCCEEDED(accessible->accLocation(&left, &top, &width, &height, self));
}

}  // namespace

BrowserRegistry& BrowserRegistry::Get() {
    // Never destroyed: at process exit releasing controls is unsafe.
    static BrowserRegistry* registry = new BrowserRegistry();
    return *registry;
}

void BrowserRegistry::PoolCreated() {
    std::lock_guard<std::mutex> guard(lock_);
    ++pools_;
}

void BrowserRegistry::PoolReleased() {
    HWND parking = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (--pools_ > 0 || !controls_.empty()) return;
        parking = std::exchange(parking_, nullptr);
        tracking_.clear();
    }
    if (parking) {
        KillTimer(parking, kTrackingTimer);
        DestroyWindow(parking);
        UnregisterClassW(kParkingClass, CCorvaneModule::Instance().Handle());
    }
}

HWND BrowserRegistry::ParkingWindow() {
    std::lock_guard<std::mutex> guard(lock_);
    if (parking_ && IsWindow(parking_)) return parking_;
    HINSTANCE module = CCorvaneModule::Instance().Handle();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ParkingProc;
    wc.hInstance = module;
    wc.lpszClassName = kParkingClass;
    RegisterClassExW(&wc);   // already registered is fine
    parking_ = CreateWindowExW(0, kParkingClass, L"CVN Parking", WS_POPUP, 0, 0, 1, 1, HWND_MESSAGE, nullptr, module,
                               nullptr);
    return parking_;
}

NewBrowserSettings BrowserRegistry::Settings() {
    std::lock_guard<std::mutex> guard(lock_);
    return settings_;
}

void BrowserRegistry::SetSettings(const NewBrowserSettings& settings) {
    std::lock_guard<std::mutex> guard(lock_);
    settings_ = settings;
}

std::int64_t BrowserRegistry::Create(HWND parent, BSTR url, LONG x, LONG y, LONG width, LONG height,
                                     const std::u16string* profile, bool inPrivate) {
    if (!parent) parent = ParkingWindow();
    if (!parent) return 0;
    PooledBrowser browser;
    if (FAILED(CreateComObject<CCorvaneCtrl>(nullptr, IID_ICorvaneCtrl, browser.control.put_void())) ||
        !browser.control)
        return 0;
    browser.object = static_cast<CCorvaneCtrl*>(browser.control.get());
    browser.object->UseOwnBrowser();

    const NewBrowserSettings settings = Settings();
    if (!settings.arguments.empty()) {
        UniqueBstr arguments(settings.arguments);
        browser.control->put_AdditionalBrowserArguments(arguments.get());
    }
    browser.control->put_EnableHardwareAcceleration(settings.hardwareAcceleration ? VARIANT_TRUE : VARIANT_FALSE);
    if (!settings.executableFolder.empty()) {
        UniqueBstr folder(settings.executableFolder);
        browser.control->put_BrowserExecutableFolder(folder.get());
    }
    if (profile) browser.object->SetProfile(*profile, inPrivate);

    browser.object->SetEmbedOrigin(x, y);
    if (FAILED(browser.control->EmbedInHwnd(reinterpret_cast<INT_PTR>(parent), width, height))) {
        browser.control->Dispose();
        return 0;
    }
    if (url && SysStringLen(url) > 0) browser.control->Navigate(url);

    std::lock_guard<std::mutex> guard(lock_);
    const std::int64_t handle = nextHandle_++;
    controls_[handle] = std::move(browser);
    return handle;
}

bool BrowserRegistry::Find(std::int64_t handle, PooledBrowser& browser) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = controls_.find(handle);
    if (it == controls_.end()) return false;
    browser = it->second;
    return true;
}

HRESULT BrowserRegistry::Destroy(std::int64_t handle, DWORD waitMs) {
    StopTracking(handle);
    PooledBrowser browser;
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto it = controls_.find(handle);
        if (it == controls_.end()) return E_FAIL;
        browser = std::move(it->second);
        controls_.erase(it);
    }
    browser.control->Dispose();
    if (waitMs > 0) {
        // Our reference and the probe's own: anything above is the browser's
        // clean-up still holding the control.
        const ULONGLONG start = GetTickCount64();
        auto holders = [&] {
            ULONG count = browser.control->AddRef();
            browser.control->Release();
            return count;
        };
        while (holders() > 2 && GetTickCount64() - start < waitMs) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            Sleep(10);
        }
    }
    browser.control.Reset();
    return S_OK;
}

std::vector<std::int64_t> BrowserRegistry::ParkedHandles() {
    std::vector<std::pair<std::int64_t, PooledBrowser>> all;
    HWND parking = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        parking = parking_;
        for (const auto& entry : controls_) all.push_back(entry);
    }
    std::vector<std::int64_t> parked;
    if (!parking) return parked;
    // The browser's own parent: pooled controls have no window of their own.
    for (const auto& entry : all)
        if (entry.second.object->BrowserParentWindow() == parking) parked.push_back(entry.first);
    return parked;
}

HRESULT BrowserRegistry::EmbedInControl(std::int64_t handle, IDispatch* formControl) {
    PooledBrowser browser;
    if (!formControl || !Find(handle, browser)) return E_FAIL;

    HWND window = nullptr;
    if (auto oleWindow = ComPtr<IDispatch>(formControl).TryQuery<IOleWindow>()) oleWindow->GetWindow(&window);
    if (!window) {
        if (auto inPlace = ComPtr<IDispatch>(formControl).TryQuery<IOleInPlaceObject>()) inPlace->GetWindow(&window);
    }
    if (window) {
        RECT client{};
        GetClientRect(window, &client);
        browser.object->SetEmbedOrigin(0, 0);
        return browser.control->EmbedInHwnd(reinterpret_cast<INT_PTR>(window), client.right - client.left,
                                            client.bottom - client.top);
    }

    // Windowless: its place on screen from accessibility, its window from an
    // enclosing object that has one.
    auto accessible = ComPtr<IDispatch>(formControl).TryQuery<IAccessible>();
    if (!accessible) return E_FAIL;
    LONG left = 0, top = 0, width = 0, height = 0;
    if (!ScreenRect(accessible.get(), left, top, width, height)) return E_FAIL;
    HWND host = nullptr;
    ComPtr<IDispatch> current = ParentOf(formControl);
    for (int step = 0; current && step < kParentWalk && !host; ++step) {
        HWND candidate = WindowOf(current.get());
        if (candidate && IsWindow(candidate)) host = candidate;
        else current = ParentOf(current.get());
    }
    if (!host) return E_FAIL;
    POINT origin{left, top};
    ScreenToClient(host, &origin);
    browser.object->SetEmbedOrigin(origin.x, origin.y);
    HRESULT hr = browser.control->EmbedInHwnd(reinterpret_cast<INT_PTR>(host), width, height);
    if (FAILED(hr)) return hr;

    PageTrackingEntry entry;
    entry.accessible = accessible;
    entry.hostWindow = host;
    ComPtr<IDispatch> child(formControl);
    for (int step = 0; child && step < kParentWalk; ++step) {
        ComPtr<IDispatch> parent = ParentOf(child.get());
        if (!parent) break;
        LONG page = 0, selected = 0;
        if (ReadLong(child.get(), L"PageIndex", page) && ReadLong(parent.get(), L"Value", selected))
            entry.pageChain.emplace_back(parent, page);
        child = parent;
    }
    HWND parking = ParkingWindow();
    bool first = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        first = tracking_.empty();
        tracking_[handle] = std::move(entry);
    }
    if (first && parking) SetTimer(parking, kTrackingTimer, kTrackingPeriod, nullptr);
    return S_OK;
}

void BrowserRegistry::StopTracking(std::int64_t handle) {
    bool empty = false;
    HWND parking = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!tracking_.erase(handle)) return;
        empty = tracking_.empty();
        parking = parking_;
    }
    if (empty && parking) KillTimer(parking, kTrackingTimer);
}

// Browsers in windowless controls follow their tabbed containers: hidden when
// another page is selected, shown, moved and sized again when theirs is.
void BrowserRegistry::TrackingPass() {
    std::map<std::int64_t, PageTrackingEntry> entries;
    {
        std::lock_guard<std::mutex> guard(lock_);
        entries = tracking_;
    }
    for (auto& [handle, entry] : entries) {
        PooledBrowser browser;
        if (!Find(handle, browser)) {
            StopTracking(handle);
            continue;
        }
        bool visible = true, decided = false;
        if (!entry.pageChain.empty()) {
            decided = true;
            for (auto& [container, page] : entry.pageChain) {
                LONG selected = 0;
                if (!ReadLong(container.get(), L"Value", selected)) {
                    decided = false;
                    break;
                }
                if (selected != page) {
                    visible = false;
                    break;
                }
            }
        }
        if (!decided) {
            VARIANT self, state;
            VariantInit(&self);
            VariantInit(&state);
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            if (FAILED(entry.accessible->get_accState(self, &state)) || state.vt != VT_I4) {
                VariantClear(&state);
                continue;
            }
            visible = (state.lVal & STATE_SYSTEM_INVISIBLE) == 0;
        }
        if (visible == entry.lastVisible) continue;
        if (visible && IsWindow(entry.hostWindow)) {
            LONG left = 0, top = 0, width = 0, height = 0;
            if (ScreenRect(entry.accessible.get(), left, top, width, height) && width >= 1 && height >= 1) {
                POINT origin{left, top};
                ScreenToClient(entry.hostWindow, &origin);
                browser.object->SetEmbedOrigin(origin.x, origin.y);
                browser.control->ResizeEmbedded(width, height);
            }
        }
        if (SUCCEEDED(browser.control->put_IsVisible(visible ? VARIANT_TRUE : VARIANT_FALSE))) {
            std::lock_guard<std::mutex> guard(lock_);
            auto live = tracking_.find(handle);
            if (live != tracking_.end()) live->second.lastVisible = visible;
        }
    }
}

}  // namespace Corvane
