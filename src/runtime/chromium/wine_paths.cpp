#include "wine_paths.h"

#include <windows.h>

#include <cwctype>

namespace Corvane::Chromium {

namespace {

using ToUnixFn = char*(CDECL*)(LPCWSTR);
using ToDosFn = WCHAR*(CDECL*)(LPCSTR);

template <class Fn>
Fn Kernel32(const char* name) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name))) : nullptr;
}

}  // namespace

bool UnderWine() {
    static const bool wine = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

std::wstring UnixPathOf(const std::wstring& windowsPath) {
    if (!UnderWine() || windowsPath.empty()) return {};
    auto convert = Kernel32<ToUnixFn>("wine_get_unix_file_name");
    if (!convert) return {};
    char* unix = convert(windowsPath.c_str());
    if (!unix) return {};
    // The Unix name is in the Unix code page (UTF-8 on any current system).
    int n = MultiByteToWideChar(CP_UTF8, 0, unix, -1, nullptr, 0);
    std::wstring out(n > 0 ? static_cast<std::size_t>(n - 1) : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, unix, -1, out.data(), n);
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

std::wstring WindowsPathOf(const std::wstring& path) {
    if (!UnderWine() || path.empty() || path[0] != L'/') return path;
    auto convert = Kernel32<ToDosFn>("wine_get_dos_file_name");
    if (!convert) return path;
    int n = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string unix(n > 0 ? static_cast<std::size_t>(n) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, unix.data(), n, nullptr, nullptr);
    WCHAR* dos = convert(unix.c_str());
    if (!dos) return path;
    std::wstring out = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return out;
}

std::wstring BrowserFileUrl(const std::wstring& url) {
    if (!UnderWine() || url.compare(0, 8, L"file:///") != 0 || url.size() < 11 || url[9] != L':') return url;
    auto hex = [](wchar_t c) { return c <= L'9' ? c - L'0' : (c | 0x20) - L'a' + 10; };
    std::wstring path;
    for (std::size_t i = 8; i < url.size(); ++i) {
        if (url[i] == L'%' && i + 2 < url.size() && iswxdigit(url[i + 1]) && iswxdigit(url[i + 2]) &&
            hex(url[i + 1]) < 8) {
            path += static_cast<wchar_t>(hex(url[i + 1]) * 16 + hex(url[i + 2]));
            i += 2;
        } else {
            path += url[i] == L'/' ? L'\\' : url[i];
        }
    }
    const std::wstring unix = UnixPathOf(path);
    if (unix.empty()) return url;
    std::wstring out = L"file://";
    for (wchar_t c : unix) out += c == L'%' ? L"%25" : c == L'#' ? L"%23" : c == L'?' ? L"%3F" : std::wstring(1, c);
    return out;
}

}  // namespace Corvane::Chromium
