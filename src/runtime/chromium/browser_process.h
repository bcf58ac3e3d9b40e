// Finding, asking and starting the browser. One BrowserProcess is one running
// browser with its own user data folder; it never outlives its owner:
//  - on Windows the process is in a job that kills it when the job closes;
//  - under Wine the browser is a Linux process that no Windows handle owns,
//    so a small shell launcher watches a heartbeat file the owner touches
//    every second, and ends the browser when the file goes or goes stale
//    (the owner released it, or ended without releasing anything).
#pragma once

#include <windows.h>

#include <string>

namespace Corvane::Chromium {

// The executable the runtime would use for `folder` (null or empty: the
// caller named none), or HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND).
HRESULT FindBrowser(const wchar_t* folder, std::wstring& executable);

// The browser's version ("156.0.8078.129") without starting a page; cached
// per executable for the life of the process.
HRESULT BrowserVersion(const std::wstring& executable, std::wstring& version);

// Windows command-line quoting of one argument (CommandLineToArgvW rules).
std::wstring QuoteArgument(const std::wstring& argument);

class BrowserProcess {
public:
    BrowserProcess() = default;
    ~BrowserProcess() { Stop(0); }
    BrowserProcess(const BrowserProcess&) = delete;
    BrowserProcess& operator=(const BrowserProcess&) = delete;

    // Starts the browser; `arguments` are the caller's extra flags, appended
    // after ours so they can override them.
    HRESULT Start(const std::wstring& executable, const std::wstring& userDataFolder, const std::wstring& arguments);
    // The file the browser writes its DevTools port and path to.
    std::wstring PortFile() const { return userDataFolder_ + L"\\DevToolsActivePort"; }
    // Ends the browser: waits up to `waitMs` for it to end by itself (after
    // Browser.close), then kills it.
    void Stop(DWORD waitMs);
    // Waits up to `waitMs` for a browser told to close to have ended. Until it
    // has, it holds its user data folder: a browser started for the same
    // folder would hand its command line to it and end at once.
    void WaitEnded(DWORD waitMs) const;
    // Exists once the browser ended by itself (under Wine), else empty.
    std::wstring EndedFile() const { return heartbeatFile_.empty() ? std::wstring() : heartbeatFile_ + L".ended"; }
    // The browser's process, for waiting (Windows); null under Wine.
    HANDLE Process() const { return process_; }
    // The Windows process id; 0 under Wine, where the browser has none.
    DWORD ProcessId() const { return processId_; }

private:
    static DWORD WINAPI Heartbeat(void* self);

    std::wstring userDataFolder_;
    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr;
    DWORD processId_ = 0;
    std::wstring heartbeatFile_;
    HANDLE heartbeatStop_ = nullptr;
    HANDLE heartbeatThread_ = nullptr;
};

}  // namespace Corvane::Chromium
