#include "profile_name_rules.h"

namespace Corvane {

namespace {

bool Allowed(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) return true;
    return std::u16string_view(u" #$()+-.@_~").find(c) != std::u16string_view::npos;
}

constexpr std::size_t kMaxProfileName = 64;

}  // namespace

std::u16string SanitizeProfileName(std::u16string_view name) {
    const std::size_t slash = name.find_last_of(u"\\/");
    if (slash != std::u16string_view::npos) name.remove_prefix(slash + 1);
    std::u16string out;
    for (char16_t c : name) {
        if (!Allowed(c)) continue;
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        out.push_back(c);
    }
    if (out.size() > kMaxProfileName) out.resize(kMaxProfileName);
    while (!out.empty() && (out.back() == u'.' || out.back() == u' ')) out.pop_back();
    return out;
}

}  // namespace Corvane
