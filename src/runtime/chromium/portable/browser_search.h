// Where the Chromium runtime looks for a browser, in order, how it reads a
// version from `chromium --version`, and the switches it starts it with.
// Portable: the Windows layer supplies the folders and tests each candidate
// for existence.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Corvane::Chromium {

struct SearchPlaces {
    std::u16string executableFolder;   // the caller's BrowserExecutableFolder
    std::u16string variable;           // CORVANE_CHROMIUM: a folder or an executable
    bool underWine = false;
    std::u16string programFiles;
    std::u16string programFilesX86;
    std::u16string localAppData;
};

// The executables to try, first match wins. A caller's folder, else the
// variable, is the only place looked at when given: a host (or a test) that
// names a browser must not silently get another one.
std::vector<std::u16string> BrowserCandidates(const SearchPlaces& places);

// "Chromium 156.0.8078.129 built on Debian ..." -> "156.0.8078.129"; the first
// token of digits and dots with at least one dot, or empty.
std::u16string VersionFromVersionOutput(std::u16string_view output);

// The switches a browser starts with: ours, then the host's extra arguments
// (split on spaces outside double quotes, so a host's switch can override
// one of ours). Every "--disable-features=" list, ours and the host's, ends
// up in one switch: the browser reads only the last one it is given.
std::vector<std::u16string> BrowserSwitches(std::u16string_view hostArguments);

}  // namespace Corvane::Chromium
