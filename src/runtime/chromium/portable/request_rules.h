// Web resource requests as the DevTools protocol sees them: filter patterns
// matched the way Fetch matches them, resource types as WebView2 resource
// contexts, header text split into lines, and the challenge text of an
// authentication request. No COM types here.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Corvane::Chromium {

// '*' matches any run of characters, '?' exactly one; everything else itself.
bool WildcardMatch(std::u16string_view pattern, std::u16string_view text);

// COREWEBVIEW2_WEB_RESOURCE_CONTEXT of a Fetch/Network resource type; 16 (other) for unknown ones.
int ContextOfResourceType(std::u16string_view resourceType);
// The resource type a filter's context pauses; empty for 0 (all) and for unknown contexts.
std::u16string_view ResourceTypeOfContext(int context);

// "Name: value" lines (CRLF or LF) as pairs; lines without a colon or with an
// empty name are dropped, the value loses its leading blanks.
std::vector<std::pair<std::u16string, std::u16string>> HeaderLines(std::u16string_view text);

// The WWW-Authenticate form of a challenge: "Basic realm=\"x\"" from "basic" and "x".
std::u16string ChallengeText(std::u16string_view scheme, std::u16string_view realm);

}  // namespace Corvane::Chromium
