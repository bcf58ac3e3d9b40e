#include "browser_process.h"

#include <shlobj.h>

#include <map>
#include <vector>

#include "portable/browser_search.h"
#include "cdp_json.h"
#include "wine_paths.h"

namespace Corvane::Chromium {

namespace {

constexpr DWORD kVersionTimeoutMs = 15000;
constexpr DWORD kHeartbeatMs = 1000;

// Under Wine: starts the browser (the arguments after the heartbeat file) in
// the background and ends it when the heartbeat file is gone or older than 5 s;
// "<heartbeat>.ended" tells the host the watch is over (the browser may have
// exited by itself, which is how a browser that cannot start shows).
constexpr wchar_t kWatchScript[] =
    L"hb=$1; shift; \"$@\" </dev/null >/dev/null 2>&1 & p=$!; "
    L"while kill -0 $p 2>/dev/null && [ -f \"$hb\" ] && [ $(( $(date +%s) - $(stat -c %Y \"$hb\") )) -lt 5 ]; "
    L"do sleep 1; done; : >\"$hb.ended\"; kill $p 2>/dev/null; sleep 3; kill -9 $p 2>/dev/null";

std::wstring Variable(const wchar_t* name) {
    wchar_t buffer[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    return n && n < std::size(buffer) ? std::wstring(buffer, n) : std::wstring();
}

std::u16string KnownFolder(int csidl) {
    wchar_t path[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return std::u16string(View(path));
}

bool IsFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(WindowsPathOf(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Starts a Linux program under Wine. Its standard handles are the host's own
// Unix ones (Wine passes no Windows handles to a Linux process), and the
// process handle Wine returns is not waitable.
HRESULT StartUnix(const std::vector<std::wstring>& argv) {
    std::wstring command;
    for (const std::wstring& arg : argv) {
        if (!command.empty()) command += L' ';
        command += QuoteArgument(arg);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &info))
        return HRESULT_FROM_WIN32(GetLastError());
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
    return S_OK;
}

std::wstring TempFileName(const wchar_t* prefix) {
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, folder);
    wchar_t name[64];
    wsprintfW(name, L"%s%lu_%lu.txt", prefix, GetCurrentProcessId(), GetTickCount());
    return std::wstring(folder) + name;
}

std::string ReadSmallFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char buffer[4096];
    DWORD n = 0;
    std::string text;
    if (ReadFile(file, buffer, sizeof(buffer), &n, nullptr)) text.assign(buffer, n);
    CloseHandle(file);
    return text;
}

// Under Wine, `chromium --version` into a file (renamed when complete);
// on Windows the executable's product version.
HRESULT AskVersion(const std::wstring& executable, std::wstring& version) {
    if (UnderWine() && !executable.empty() && executable[0] == L'/') {
        const std::wstring result = TempFileName(L"corvane_browser_version_");
        const std::wstring unixResult = UnixPathOf(result);
        if (unixResult.empty()) return E_FAIL;
        HRESULT hr = StartUnix({L"/bin/sh", L"-c", L"\"$1\" --version >\"$2.part\" 2>/dev/null; mv \"$2.part\" \"$2\"",
                                L"corvane-version", executable, unixResult});
        if (FAILED(hr)) return hr;
        const DWORD start = GetTickCount();
        while (GetFileAttributesW(result.c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (GetTickCount() - start > kVersionTimeoutMs) return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
            Sleep(20);
        }
        std::u16string output = FromUtf8(ReadSmallFile(result));
        DeleteFileW(result.c_str());
        version = Wide(VersionFromVersionOutput(output));
        return version.empty() ? HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) : S_OK;
    }
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(executable.c_str(), &ignored);
    if (!size) return HRESULT_FROM_WIN32(GetLastError());
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(executable.c_str(), 0, size, data.data())) return HRESULT_FROM_WIN32(GetLastError());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) return E_FAIL;
    wchar_t text[64];
    wsprintfW(text, L"%u.%u.%u.%u", HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
              HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS));
    version = text;
    return S_OK;
}

SRWLOCK g_versionLock = SRWLOCK_INIT;

std::map<std::wstring, std::wstring>& VersionCache() {
    static auto* cache = new std::map<std::wstring, std::wstring>();   // never freed: no destructor at unload
    return *cache;
}

}  // namespace

std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') out.append(backslashes * 2 + 1, L'\\');
        else out.append(backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

HRESULT FindBrowser(const wchar_t* folder, std::wstring& executable) {
    executable.clear();
    SearchPlaces places;
    if (folder && *folder) places.executableFolder = std::u16string(View(folder));
    places.variable = std::u16string(View(Variable(L"CORVANE_CHROMIUM").c_str()));
    places.underWine = UnderWine();
    places.programFiles = KnownFolder(CSIDL_PROGRAM_FILES);
    places.programFilesX86 = KnownFolder(CSIDL_PROGRAM_FILESX86);
    places.localAppData = KnownFolder(CSIDL_LOCAL_APPDATA);
    for (const std::u16string& candidate : BrowserCandidates(places)) {
        std::wstring path = Wide(candidate);
        if (IsFile(path)) {
            executable = path;
            return S_OK;
        }
    }
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

HRESULT BrowserVersion(const std::wstring& executable, std::wstring& version) {
    version.clear();
    AcquireSRWLockShared(&g_versionLock);
    auto found = VersionCache().find(executable);
    if (found != VersionCache().end()) version = found->second;
    ReleaseSRWLockShared(&g_versionLock);
    if (!version.empty()) return S_OK;
    HRESULT hr = AskVersion(executable, version);
    if (FAILED(hr)) return hr;
    AcquireSRWLockExclusive(&g_versionLock);
    VersionCache()[executable] = version;
    ReleaseSRWLockExclusive(&g_versionLock);
    return S_OK;
}

HRESULT BrowserProcess::Start(const std::wstring& executable, const std::wstring& userDataFolder,
                              const std::wstring& arguments) {
    userDataFolder_ = userDataFolder;
    // The whole path: a host may name a folder whose parents do not exist yet.
    SHCreateDirectoryExW(nullptr, userDataFolder.c_str(), nullptr);
    // A port file left by an earlier browser would name a dead endpoint.
    DeleteFileW(PortFile().c_str());

    const bool unix = UnderWine() && !executable.empty() && executable[0] == L'/';
    std::vector<std::wstring> argv;
    if (unix) {
        const std::wstring unixFolder = UnixPathOf(userDataFolder);
        if (unixFolder.empty()) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        heartbeatFile_ = userDataFolder + L"\\CorvaneHost.alive";
        DeleteFileW(EndedFile().c_str());
        HANDLE beat = CreateFileW(heartbeatFile_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
        if (beat == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
        CloseHandle(beat);
        argv = {L"/bin/sh", L"-c", kWatchScript, L"corvane-browser", UnixPathOf(heartbeatFile_), executable};
        argv.push_back(L"--user-data-dir=" + unixFolder);
    } else {
        argv = {executable, L"--user-data-dir=" + userDataFolder};
    }
    for (const std::u16string& flag : BrowserSwitches(View(arguments.c_str())))
        argv.push_back(Wide(flag));
    argv.push_back(L"about:blank");

    if (unix) {
        heartbeatStop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!heartbeatStop_) return HRESULT_FROM_WIN32(GetLastError());
        HRESULT hr = StartUnix(argv);
        if (FAILED(hr)) return hr;
        heartbeatThread_ = CreateThread(nullptr, 0, &BrowserProcess::Heartbeat, this, 0, nullptr);
        if (!heartbeatThread_) {
            DeleteFileW(heartbeatFile_.c_str());   // the launcher ends the browser within a second
            return HRESULT_FROM_WIN32(GetLastError());
        }
        return S_OK;
    }

    std::wstring command;
    for (const std::wstring& arg : argv) {
        if (!command.empty()) command += L' ';
        command += QuoteArgument(arg);
    }
    job_ = CreateJobObjectW(nullptr, nullptr);
    if (job_) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(executable.c_str(), command.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &info))
        return HRESULT_FROM_WIN32(GetLastError());
    if (job_) AssignProcessToJobObject(job_, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return S_OK;
}

DWORD WINAPI BrowserProcess::Heartbeat(void* param) {
    auto* self = static_cast<BrowserProcess*>(param);
    do {
        HANDLE beat = CreateFileW(self->heartbeatFile_.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        if (beat != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(beat, "1", 1, &written, nullptr);
            CloseHandle(beat);
        }
    } while (WaitForSingleObject(self->heartbeatStop_, kHeartbeatMs) == WAIT_TIMEOUT);
    return 0;
}

void BrowserProcess::WaitEnded(DWORD waitMs) const {
    if (process_) {
        WaitForSingleObject(process_, waitMs);
        return;
    }
    const std::wstring ended = EndedFile();
    if (ended.empty()) return;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < waitMs; Sleep(25))
        if (GetFileAttributesW(ended.c_str()) != INVALID_FILE_ATTRIBUTES) return;
}

void BrowserProcess::Stop(DWORD waitMs) {
    if (heartbeatThread_) {
        SetEvent(heartbeatStop_);
        WaitForSingleObject(heartbeatThread_, INFINITE);
        CloseHandle(heartbeatThread_);
        heartbeatThread_ = nullptr;
    }
    if (heartbeatStop_) {
        CloseHandle(heartbeatStop_);
        heartbeatStop_ = nullptr;
    }
    if (!heartbeatFile_.empty()) {
        // The launcher sees the file go and ends the browser if it still runs.
        DeleteFileW(heartbeatFile_.c_str());
        heartbeatFile_.clear();
    }
    if (process_) {
        if (WaitForSingleObject(process_, waitMs) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
        CloseHandle(process_);
        process_ = nullptr;
    }
    if (job_) {
        CloseHandle(job_);   // kills what is left of the browser's processes
        job_ = nullptr;
    }
    processId_ = 0;
}

}  // namespace Corvane::Chromium
