#include "request_rules.h"

namespace Corvane::Chromium {

namespace {

constexpr std::u16string_view kTypes[] = {
    u"",          u"Document",  u"Stylesheet",  u"Image",    u"Media",         u"Font",
    u"Script",    u"XHR",       u"Fetch",       u"TextTrack", u"EventSource",  u"WebSocket",
    u"Manifest",  u"SignedExchange", u"Ping",   u"CSPViolationReport", u"Other"};
constexpr int kOther = 16;

}  // namespace

bool WildcardMatch(std::u16string_view pattern, std::u16string_view text) {
    // Greedy with one backtrack point: linear enough for URLs.
    std::size_t p = 0, t = 0, star = std::u16string_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == text[t])) {
            ++p, ++t;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            resume = t;
        } else if (star != std::u16string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

int ContextOfResourceType(std::u16string_view resourceType) {
    for (int context = 1; context <= kOther; ++context)
        if (kTypes[context] == resourceType) return context;
    return kOther;
}

std::u16string_view ResourceTypeOfContext(int context) {
    return context > 0 && context <= kOther ? kTypes[context] : std::u16string_view();
}

std::vector<std::pair<std::u16string, std::u16string>> HeaderLines(std::u16string_view text) {
    std::vector<std::pair<std::u16string, std::u16string>> out;
    while (!text.empty()) {
        std::size_t end = text.find(u'\n');
        std::u16string_view line = text.substr(0, end);
        text = end == std::u16string_view::npos ? std::u16string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        const std::size_t colon = line.find(u':');
        if (colon == std::u16string_view::npos || colon == 0) continue;
        std::u16string_view value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == u' ' || value.front() == u'\t')) value.remove_prefix(1);
        out.emplace_back(std::u16string(line.substr(0, colon)), std::u16string(value));
    }
    return out;
}

std::u16string ChallengeText(std::u16string_view scheme, std::u16string_view realm) {
    std::u16string out(scheme);
    if (!out.empty() && out[0] >= u'a' && out[0] <= u'z') out[0] = static_cast<char16_t>(out[0] - u'a' + u'A');
    out += u" realm=\"";
    for (char16_t c : realm) {
        if (c == u'"' || c == u'\\') out += u'\\';
        out += c;
    }
    return out + u"\"";
}

}  // namespace Corvane::Chromium
