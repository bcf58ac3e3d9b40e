// The process's pooled browsers: every control the pools created, by browser
// handle, the hidden parking window, the settings every new pooled browser
// starts with, and the page tracking of browsers inside windowless form
// controls. Its lock guards the maps only; control members are always called
// with it released, because they pump messages and can come back here.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "com_ptr.h"
#include "corvane_ctrl.h"

namespace Corvane {

struct PooledBrowser {
    ComPtr<ICorvaneCtrl> control;
    CCorvaneCtrl* object = nullptr;
};

struct PageTrackingEntry {
    ComPtr<IAccessible> accessible;
    std::vector<std::pair<ComPtr<IDispatch>, LONG>> pageChain;   // container, page index of the control's page
    HWND hostWindow = nullptr;
    bool lastVisible = true;
};

// Settings handed to every pooled browser created after they were put.
struct NewBrowserSettings {
    std::u16string arguments;
    std::u16string executableFolder;
    bool hardwareAcceleration = true;
};

class BrowserRegistry {
public:
    static BrowserRegistry& Get();

    // Pools count themselves in and out: the parking window lives while one
    // does (its window procedure is in this DLL, which may unload afterwards).
    void PoolCreated();
    void PoolReleased();

    HWND ParkingWindow();
    NewBrowserSettings Settings();
    void SetSettings(const NewBrowserSettings& settings);

    // A new pooled browser in `parent` (0: the parking window); its handle, or
    // 0 when it could not be created.
    std::int64_t Create(HWND parent, BSTR url, LONG x, LONG y, LONG width, LONG height, const std::u16string* profile,
                        bool inPrivate);
    bool Find(std::int64_t handle, PooledBrowser& browser);
    // Disposes and releases the browser; `waitMs` > 0 then pumps messages up
    // to that long while something else still holds the control.
    HRESULT Destroy(std::int64_t handle, DWORD waitMs = 0);
    std::vector<std::int64_t> ParkedHandles();

    // Moves a browser into a form control: windowed, or windowless through its
    // accessibility object and the window of an enclosing object.
    HRESULT EmbedInControl(std::int64_t handle, IDispatch* formControl);
    void TrackingPass();

private:
    BrowserRegistry() = default;
    void StopTracking(std::int64_t handle);

    std::mutex lock_;
    HWND parking_ = nullptr;
    int pools_ = 0;
    std::int64_t nextHandle_ = 1;
    std::map<std::int64_t, PooledBrowser> controls_;
    std::map<std::int64_t, PageTrackingEntry> tracking_;
    NewBrowserSettings settings_;
};

}  // namespace Corvane
