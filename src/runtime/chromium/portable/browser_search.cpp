#include "browser_search.h"

namespace Corvane::Chromium {

namespace {

bool IsUnixPath(std::u16string_view path) { return !path.empty() && path.front() == u'/'; }

bool LooksLikeExecutable(std::u16string_view path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    const std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    if (name.ends_with(u".exe") || name.ends_with(u".EXE")) return true;
    // Unix executables have no extension: chromium, chrome, google-chrome...
    return IsUnixPath(path) && name.find(u'.') == std::u16string_view::npos && !name.empty();
}

// The executables a folder may hold: Chrome and Edge on Windows, the Debian
// and Google names for a Unix folder.
void AddFolder(std::vector<std::u16string>& out, std::u16string folder) {
    if (folder.empty()) return;
    const bool unix = IsUnixPath(folder);
    const char16_t separator = unix ? u'/' : u'\\';
    if (folder.back() != u'/' && folder.back() != u'\\') folder += separator;
    if (unix) {
        for (const char16_t* name : {u"chromium", u"chromium-browser", u"chrome", u"google-chrome"})
            out.push_back(folder + name);
    } else {
        for (const char16_t* name : {u"chrome.exe", u"msedge.exe", u"chromium.exe"}) out.push_back(folder + name);
    }
}

}  // namespace

std::vector<std::u16string> BrowserCandidates(const SearchPlaces& places) {
    std::vector<std::u16string> out;
    for (const std::u16string* named : {&places.executableFolder, &places.variable}) {
        if (named->empty()) continue;
        // A Unix name without an extension may be the program or its folder:
        // both are tried, and only a file is taken.
        if (LooksLikeExecutable(*named)) out.push_back(*named);
        if (!named->ends_with(u".exe") && !named->ends_with(u".EXE")) AddFolder(out, *named);
        return out;
    }
    for (const std::u16string* root : {&places.programFiles, &places.programFilesX86, &places.localAppData}) {
        if (root->empty()) continue;
        std::u16string base = *root;
        if (base.back() != u'\\') base += u'\\';
        out.push_back(base + u"Google\\Chrome\\Application\\chrome.exe");
        out.push_back(base + u"Microsoft\\Edge\\Application\\msedge.exe");
        out.push_back(base + u"Chromium\\Application\\chrome.exe");
    }
    if (places.underWine) {
        out.push_back(u"/usr/bin/chromium");
        out.push_back(u"/usr/bin/chromium-browser");
    }
    return out;
}

std::u16string VersionFromVersionOutput(std::u16string_view output) {
    std::size_t i = 0;
    while (i < output.size()) {
        while (i < output.size() && !(output[i] >= u'0' && output[i] <= u'9')) ++i;
        std::size_t start = i;
        bool dot = false;
        while (i < output.size() && ((output[i] >= u'0' && output[i] <= u'9') || output[i] == u'.')) {
            dot = dot || output[i] == u'.';
            ++i;
        }
        std::u16string_view token = output.substr(start, i - start);
        while (token.ends_with(u'.')) token.remove_suffix(1);
        // A token must start the output or follow a space: "x86_64" is no version.
        const bool standsAlone = start == 0 || output[start - 1] == u' ';
        if (dot && standsAlone && token.find(u'.') != std::u16string_view::npos) return std::u16string(token);
    }
    return {};
}

namespace {

// Flags that keep a headless browser quiet, local and scriptable. Popups need
// no gesture, history navigations hit the network, and an error page does
// not reload itself a second later.
constexpr const char16_t* kSwitches[] = {
    u"--headless=new", u"--no-sandbox", u"--disable-gpu", u"--disable-background-networking",
    u"--disable-component-update", u"--disable-sync", u"--no-first-run", u"--no-default-browser-check",
    u"--disable-popup-blocking", u"--disable-back-forward-cache", u"--disable-auto-reload",
    u"--remote-debugging-port=0",
};

// Every window of a headless browser would load the address bar's popup
// pages, which nobody sees and which keep a renderer busy for as long as the
// window lives (about 0.1 core for each window of an idle pool).
constexpr char16_t kDisabledFeatures[] = u"WebUIOmniboxPopup,WebUIOmniboxAimPopup";
constexpr std::u16string_view kDisableFeatures = u"--disable-features=";

std::vector<std::u16string> SplitArguments(std::u16string_view text) {
    std::vector<std::u16string> out;
    std::u16string current;
    bool quoted = false, any = false;
    for (char16_t c : text) {
        if (c == u'"') {
            quoted = !quoted;
            any = true;
        } else if ((c == u' ' || c == u'\t') && !quoted) {
            if (any) out.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any) out.push_back(current);
    return out;
}

}  // namespace

std::vector<std::u16string> BrowserSwitches(std::u16string_view hostArguments) {
    std::vector<std::u16string> out(std::begin(kSwitches), std::end(kSwitches));
    std::u16string disabled = kDisabledFeatures;
    for (std::u16string& argument : SplitArguments(hostArguments)) {
        if (argument.starts_with(kDisableFeatures)) {
            if (argument.size() > kDisableFeatures.size()) disabled += u"," + argument.substr(kDisableFeatures.size());
        } else {
            out.push_back(std::move(argument));
        }
    }
    out.push_back(std::u16string(kDisableFeatures) + disabled);
    return out;
}

}  // namespace Corvane::Chromium
