// Virtual host names mapped to folders: which requests a mapping answers, the
// file a URL path names inside the folder, its content type, byte ranges and
// the cross-origin answer. Portable: the Windows layer (virtual_host.cpp)
// opens the file, checks the resolved path once more and fulfils the request.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Corvane::Chromium {

// A host name a mapping may use: letters, digits, '-', '_' and '.', at most
// 253 characters. Nothing in it is special in a Fetch URL pattern.
bool IsValidVirtualHostName(std::u16string_view host);
std::u16string LowerAscii(std::u16string_view text);

// "https://Host/a/b?q" -> scheme "https", host "host" (lower case), path
// "/a/b?q". Only http and https without a port or user info split; anything
// else returns false (a mapped host is reached on the default ports only).
struct HttpUrlPieces {
    std::u16string scheme, host, path;
};
bool SplitHttpUrl(std::u16string_view url, HttpUrlPieces& pieces);

// The origin of a URL ("https://host[:port]"), or empty when it has none that
// can be compared (about:, data:, file:).
std::u16string OriginOf(std::u16string_view url);

enum class PathVerdict { File, Forbidden, NotFound };

// The URL path (query and fragment are dropped) as a file path relative to
// the mapped folder, segments joined with '/'. Each segment is
// percent-decoded on its own, as UTF-8. Refused (Forbidden): "." and ".."
// segments, empty segments ("//server"), a decoded '/' or '\', ':' (drive
// letters, alternate streams), NUL and other control characters, the
// characters Windows reserves (<>"|?*), segments ending in '.' or ' ' (Windows
// trims those, so "..." or ".. " would name something else), device names
// (CON, NUL, COM1, ...), invalid UTF-8, and over-long paths. A path ending
// in '/' names that folder's index.html.
PathVerdict ResolveVirtualPath(std::u16string_view urlPath, std::u16string& relative);

// The Content-Type for a file name, by its extension (any case);
// application/octet-stream for anything not listed.
std::u16string_view ContentTypeFor(std::u16string_view fileName);

// A Range header against a file of `size` bytes. Only one range of the
// "bytes" unit is served (bytes=a-b, a-, -n); anything else, and a range
// that lies beyond the file, is Unsatisfiable (416). No header: Whole.
enum class RangeVerdict { Whole, Partial, Unsatisfiable };
RangeVerdict ParseByteRange(std::u16string_view header, std::uint64_t size, std::uint64_t& first,
                            std::uint64_t& last);

// The access kind's answer to a request from `requester` (an origin, "null",
// or empty when unknown) for a resource of the mapped host's `hostOrigin`.
// The kinds have COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND's values.
//  0 deny:      other origins get nothing (403), documents excepted;
//  1 allow:     everyone, with Access-Control-Allow-Origin: *;
//  2 deny CORS: served, without CORS headers (the browser refuses reads
//               that need them; plain <img> and <script> loads work).
struct CorsAnswer {
    bool refused = false;
    std::u16string_view allowOrigin;   // the header's value, or empty for none
};
CorsAnswer VirtualHostCors(int accessKind, std::u16string_view requester, std::u16string_view hostOrigin,
                           bool document);

std::u16string Base64(const unsigned char* data, std::size_t size);

}  // namespace Corvane::Chromium
