// Running under Wine: the browser is a Linux program, so its paths are Unix
// paths and its process is not a Windows process.
#pragma once

#include <string>

namespace Corvane::Chromium {

// True when ntdll exports wine_get_version.
bool UnderWine();
// "C:\users\x" -> "/home/x/.wine/drive_c/users/x"; empty when not under Wine
// or not convertible.
std::wstring UnixPathOf(const std::wstring& windowsPath);
// "/usr/bin/chromium" -> "Z:\usr\bin\chromium"; the path itself when not
// under Wine or not a Unix path.
std::wstring WindowsPathOf(const std::wstring& path);

// "file:///C:/dir/a%23b.txt" -> "file:///home/x/.wine/drive_c/dir/a%23b.txt":
// the browser reads Unix paths. Any other URL, or outside Wine, unchanged.
std::wstring BrowserFileUrl(const std::wstring& url);

}  // namespace Corvane::Chromium
