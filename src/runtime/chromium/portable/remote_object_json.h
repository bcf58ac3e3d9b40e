// A DevTools RemoteObject (the result of Runtime.evaluate without
// returnByValue) as the JSON text a script result is reported with: what
// JSON.stringify gives, and "null" where it gives undefined or throws.
// Objects are stringified in the page by the caller, who passes the
// resulting text to StringifiedJson; an object literal of primitives is
// encoded from the shallow "deep" serialization sent with it.
#pragma once

#include <string>
#include <string_view>

#include "json_document.h"

namespace Corvane::Chromium {

enum class RemoteEncoding { Encoded, NeedsStringify };

// Writes the JSON of a primitive into `json`; objects answer NeedsStringify
// and leave `json` empty. An object that came with its shallow "deep"
// serialization (asked for only where the result is known to be an object
// literal, so no prototype's toJSON applies) is written too when its members
// are all primitives.
RemoteEncoding RemoteObjectJson(const JsonNode& remoteObject, std::u16string& json);

// A string literal exactly as JSON.stringify writes it: only the quote, the
// backslash, control characters and unpaired surrogates are escaped.
std::u16string StringifyString(std::u16string_view text);

// The JSON of an in-page JSON.stringify result (a RemoteObject by value): its
// string, or "null" when stringify answered undefined.
std::u16string StringifiedJson(const JsonNode& remoteObject);

}  // namespace Corvane::Chromium
