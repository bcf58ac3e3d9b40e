// A DevTools RemoteObject (the result of Runtime.evaluate without
// returnByValue) as the JSON text a script result is reported with: what
// JSON.stringify gives, and "null" where it gives undefined or throws.
// Objects cannot be encoded from their preview; the caller stringifies them
// in the page and passes the resulting text to StringifiedJson.
#pragma once

#include <string>
#include <string_view>

#include "json_document.h"

namespace Corvane::Chromium {

enum class RemoteEncoding { Encoded, NeedsStringify };

// Writes the JSON of a primitive into `json`; objects, arrays and other
// values with an objectId answer NeedsStringify and leave `json` empty.
RemoteEncoding RemoteObjectJson(const JsonNode& remoteObject, std::u16string& json);

// A string literal exactly as JSON.stringify writes it: only the quote, the
// backslash, control characters and unpaired surrogates are escaped.
std::u16string StringifyString(std::u16string_view text);

// The JSON of an in-page JSON.stringify result (a RemoteObject by value): its
// string, or "null" when stringify answered undefined.
std::u16string StringifiedJson(const JsonNode& remoteObject);

}  // namespace Corvane::Chromium
