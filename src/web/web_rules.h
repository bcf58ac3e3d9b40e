// The network members' portable rules: the JSON texts hosts read (filters,
// cookies, extensions), the resource contexts handed to the runtime, stored
// Basic credentials, time ranges and download numbers. No COM types here.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Corvane {

struct ResourceFilter {
    std::u16string pattern;
    std::int32_t context = 0;
};

// [{"pattern":"...","context":n},...] with no spaces; inside the pattern only
// the double quote and the backslash are escaped.
std::u16string FiltersJson(const std::vector<ResourceFilter>& filters);

// Removes the first entry equal to (pattern, context); false when none is.
bool RemoveFirstFilter(std::vector<ResourceFilter>& filters, std::u16string_view pattern, std::int32_t context);

// The runtime's resource context for one of ours: the two lists agree up to
// the manifest (12); our "other" (13) is the runtime's 16, its 13 being
// signed exchanges. Values outside our list go through unchanged.
std::int32_t RuntimeResourceContext(std::int32_t context);

struct CookieFields {
    std::u16string name, value, domain, path;
};
// [{"name":"..","value":"..","domain":"..","path":".."},...], escaped as JSON strings.
std::u16string CookiesJson(const std::vector<CookieFields>& cookies);

// [{"id":"..","name":".."},...]; the texts are inserted as they are.
std::u16string ExtensionsJson(const std::vector<std::pair<std::u16string, std::u16string>>& extensions);

struct Credential {
    std::u16string user, password;
};
using CredentialMap = std::map<std::u16string, Credential>;   // by URI pattern, in pattern order
// The first entry, in pattern order, whose pattern is empty or occurs in
// `uri` (plain, case-sensitive); null when none does.
const Credential* FindCredential(const CredentialMap& credentials, std::u16string_view uri);

// An OLE automation date (days since 1899-12-30) as seconds since 1970-01-01.
double OleDateToUnixSeconds(double date);

// The smallest download number not in use: the first download is 1, and a
// number comes free again once its download has finished.
template <class Map>
std::int32_t FreeDownloadId(const Map& running) {
    std::int32_t id = 1;
    while (running.count(id)) ++id;
    return id;
}

}  // namespace Corvane
