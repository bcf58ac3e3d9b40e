#include "web_rules.h"

#include "json_text.h"

namespace Corvane {

namespace {

std::u16string Decimal(long long value) {
    const std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

}  // namespace

std::u16string FiltersJson(const std::vector<ResourceFilter>& filters) {
    std::u16string out = u"[";
    for (const ResourceFilter& filter : filters) {
        if (out.size() > 1) out += u',';
        out += u"{\"pattern\":\"";
        for (char16_t c : filter.pattern) {
            if (c == u'"' || c == u'\\') out += u'\\';
            out += c;
        }
        out += u"\",\"context\":" + Decimal(filter.context) + u"}";
    }
    return out + u"]";
}

bool RemoveFirstFilter(std::vector<ResourceFilter>& filters, std::u16string_view pattern, std::int32_t context) {
    for (auto it = filters.begin(); it != filters.end(); ++it) {
        if (it->pattern == pattern && it->context == context) {
            filters.erase(it);
            return true;
        }
    }
    return false;
}

std::int32_t RuntimeResourceContext(std::int32_t context) { return context == 13 ? 16 : context; }

std::u16string CookiesJson(const std::vector<CookieFields>& cookies) {
    std::u16string out = u"[";
    for (const CookieFields& cookie : cookies) {
        if (out.size() > 1) out += u',';
        out += u"{\"name\":\"" + EscapeJsonString(cookie.name) + u"\",\"value\":\"" + EscapeJsonString(cookie.value) +
               u"\",\"domain\":\"" + EscapeJsonString(cookie.domain) + u"\",\"path\":\"" +
               EscapeJsonString(cookie.path) + u"\"}";
    }
    return out + u"]";
}

std::u16string ExtensionsJson(const std::vector<std::pair<std::u16string, std::u16string>>& extensions) {
    std::u16string out = u"[";
    for (const auto& [id, name] : extensions) {
        if (out.size() > 1) out += u',';
        out += u"{\"id\":\"" + id + u"\",\"name\":\"" + name + u"\"}";
    }
    return out + u"]";
}

const Credential* FindCredential(const CredentialMap& credentials, std::u16string_view uri) {
    for (const auto& [pattern, credential] : credentials)
        if (pattern.empty() || uri.find(pattern) != std::u16string_view::npos) return &credential;
    return nullptr;
}

double OleDateToUnixSeconds(double date) { return (date - 25569.0) * 86400.0; }

}  // namespace Corvane
