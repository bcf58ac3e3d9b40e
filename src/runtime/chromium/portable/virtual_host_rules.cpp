#include "virtual_host_rules.h"

#include <string>

namespace Corvane::Chromium {

namespace {

constexpr std::size_t kMaxHostName = 253;
constexpr std::size_t kMaxRelativePath = 1024;

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    c = Lower(c);
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// One percent-encoded segment as UTF-16; false for a broken escape or
// invalid UTF-8 (overlong forms, surrogates, out of range).
bool DecodeSegment(std::u16string_view raw, std::u16string& out) {
    out.clear();
    std::size_t i = 0;
    auto nextByte = [&](int& byte) {
        if (raw[i] != u'%' || i + 2 >= raw.size()) return false;
        const int hi = HexValue(raw[i + 1]), lo = HexValue(raw[i + 2]);
        if (hi < 0 || lo < 0) return false;
        byte = hi * 16 + lo;
        i += 3;
        return true;
    };
    while (i < raw.size()) {
        if (raw[i] != u'%') {
            out += raw[i++];
            continue;
        }
        int byte = 0;
        if (!nextByte(byte)) return false;
        if (byte < 0x80) {
            out += static_cast<char16_t>(byte);
            continue;
        }
        int more = 0;
        char32_t code = 0, least = 0;
        if ((byte & 0xE0) == 0xC0) more = 1, code = byte & 0x1F, least = 0x80;
        else if ((byte & 0xF0) == 0xE0) more = 2, code = byte & 0x0F, least = 0x800;
        else if ((byte & 0xF8) == 0xF0) more = 3, code = byte & 0x07, least = 0x10000;
        else return false;
        for (int k = 0; k < more; ++k) {
            int next = 0;
            if (i >= raw.size() || !nextByte(next) || (next & 0xC0) != 0x80) return false;
            code = (code << 6) | static_cast<char32_t>(next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return true;
}

// CON, PRN, AUX, NUL, COM0-9, LPT0-9 (and the console's own names) open a
// device wherever they appear, whatever the extension.
bool IsDeviceName(std::u16string_view segment) {
    std::u16string_view base = segment.substr(0, segment.find(u'.'));
    while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
    static constexpr std::u16string_view kPlain[] = {u"con", u"prn", u"aux", u"nul", u"conin$", u"conout$"};
    for (std::u16string_view name : kPlain)
        if (EqualNoCase(base, name)) return true;
    if (base.size() == 4 && (EqualNoCase(base.substr(0, 3), u"com") || EqualNoCase(base.substr(0, 3), u"lpt"))) {
        const char16_t d = base[3];
        return (d >= u'0' && d <= u'9') || d == u'\u00b9' || d == u'\u00b2' || d == u'\u00b3';
    }
    return false;
}

bool IsSafeSegment(std::u16string_view segment) {
    if (segment.empty() || segment == u"." || segment == u"..") return false;
    if (segment.back() == u'.' || segment.back() == u' ') return false;
    for (char16_t c : segment) {
        if (c < 0x20 || c == 0x7F) return false;
        switch (c) {
        case u'/': case u'\\': case u':': case u'<': case u'>': case u'"': case u'|': case u'?': case u'*':
            return false;
        default:
            break;
        }
    }
    return !IsDeviceName(segment);
}

struct TypeRow {
    std::u16string_view extension;
    std::u16string_view type;
};

constexpr TypeRow kTypes[] = {
    {u"html", u"text/html"},
    {u"htm", u"text/html"},
    {u"css", u"text/css"},
    {u"js", u"text/javascript"},
    {u"mjs", u"text/javascript"},
    {u"json", u"application/json"},
    {u"svg", u"image/svg+xml"},
    {u"png", u"image/png"},
    {u"jpg", u"image/jpeg"},
    {u"jpeg", u"image/jpeg"},
    {u"gif", u"image/gif"},
    {u"webp", u"image/webp"},
    {u"ico", u"image/x-icon"},
    {u"txt", u"text/plain"},
    {u"pdf", u"application/pdf"},
    {u"mp4", u"video/mp4"},
    {u"webm", u"video/webm"},
    {u"m4v", u"video/mp4"},
    {u"ogv", u"video/ogg"},
    {u"mov", u"video/quicktime"},
    {u"mp3", u"audio/mpeg"},
    {u"m4a", u"audio/mp4"},
    {u"aac", u"audio/aac"},
    {u"oga", u"audio/ogg"},
    {u"ogg", u"audio/ogg"},
    {u"opus", u"audio/ogg"},
    {u"flac", u"audio/flac"},
    {u"wav", u"audio/wav"},
    {u"vtt", u"text/vtt"},
    {u"avif", u"image/avif"},
    {u"bmp", u"image/bmp"},
    {u"csv", u"text/csv"},
    {u"woff", u"font/woff"},
    {u"woff2", u"font/woff2"},
    {u"wasm", u"application/wasm"},
    {u"xml", u"application/xml"},
};

// Digits only, without overflow; false for none or too many.
bool ParseNumber(std::u16string_view text, std::uint64_t& value) {
    if (text.empty() || text.size() > 19) return false;
    value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - u'0');
    }
    return true;
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

bool IsValidVirtualHostName(std::u16string_view host) {
    if (host.empty() || host.size() > kMaxHostName || host.front() == u'.' || host.back() == u'.') return false;
    for (char16_t c : host) {
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
                        c == u'_' || c == u'.';
        if (!ok) return false;
    }
    return true;
}

std::u16string LowerAscii(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) c = Lower(c);
    return out;
}

bool SplitHttpUrl(std::u16string_view url, HttpUrlPieces& pieces) {
    const std::size_t colon = url.find(u"://");
    if (colon == std::u16string_view::npos) return false;
    std::u16string scheme = LowerAscii(url.substr(0, colon));
    if (scheme != u"http" && scheme != u"https") return false;
    std::u16string_view rest = url.substr(colon + 3);
    const std::size_t end = rest.find_first_of(u"/?#");
    const std::u16string_view authority = rest.substr(0, end);
    if (authority.empty() || authority.find_first_of(u"@:") != std::u16string_view::npos) return false;
    pieces.scheme = std::move(scheme);
    pieces.host = LowerAscii(authority);
    pieces.path = end == std::u16string_view::npos ? std::u16string(u"/") : std::u16string(rest.substr(end));
    if (pieces.path.front() != u'/') pieces.path.insert(pieces.path.begin(), u'/');
    return true;
}

std::u16string OriginOf(std::u16string_view url) {
    const std::size_t colon = url.find(u"://");
    if (colon == std::u16string_view::npos) return {};
    const std::u16string scheme = LowerAscii(url.substr(0, colon));
    if (scheme != u"http" && scheme != u"https") return {};
    std::u16string_view authority = url.substr(colon + 3);
    authority = authority.substr(0, authority.find_first_of(u"/?#"));
    if (const std::size_t at = authority.rfind(u'@'); at != std::u16string_view::npos) authority.remove_prefix(at + 1);
    if (authority.empty()) return {};
    return scheme + u"://" + LowerAscii(authority);
}

PathVerdict ResolveVirtualPath(std::u16string_view urlPath, std::u16string& relative) {
    relative.clear();
    urlPath = urlPath.substr(0, urlPath.find_first_of(u"?#"));
    if (urlPath.empty() || urlPath.front() != u'/') return PathVerdict::Forbidden;
    urlPath.remove_prefix(1);
    // A folder's address names its index.html.
    std::u16string withIndex;
    if (urlPath.empty() || urlPath.back() == u'/') {
        withIndex.assign(urlPath);
        withIndex += u"index.html";
        urlPath = withIndex;
    }
    std::u16string segment;
    while (true) {
        const std::size_t slash = urlPath.find(u'/');
        if (!DecodeSegment(urlPath.substr(0, slash), segment) || !IsSafeSegment(segment)) {
            relative.clear();
            return PathVerdict::Forbidden;
        }
        if (!relative.empty()) relative += u'/';
        relative += segment;
        if (relative.size() > kMaxRelativePath) {
            relative.clear();
            return PathVerdict::NotFound;
        }
        if (slash == std::u16string_view::npos) break;
        urlPath.remove_prefix(slash + 1);
    }
    return PathVerdict::File;
}

std::u16string_view ContentTypeFor(std::u16string_view fileName) {
    const std::size_t slash = fileName.find_last_of(u"/\\");
    if (slash != std::u16string_view::npos) fileName.remove_prefix(slash + 1);
    const std::size_t dot = fileName.rfind(u'.');
    if (dot != std::u16string_view::npos && dot > 0) {
        const std::u16string_view extension = fileName.substr(dot + 1);
        for (const TypeRow& row : kTypes)
            if (EqualNoCase(extension, row.extension)) return row.type;
    }
    return u"application/octet-stream";
}

RangeVerdict ParseByteRange(std::u16string_view header, std::uint64_t size, std::uint64_t& first,
                            std::uint64_t& last) {
    header = Trim(header);
    if (header.empty()) return RangeVerdict::Whole;
    const std::size_t equals = header.find(u'=');
    if (equals == std::u16string_view::npos || !EqualNoCase(Trim(header.substr(0, equals)), u"bytes"))
        return RangeVerdict::Unsatisfiable;
    // One range only: a multipart answer is not made.
    const std::u16string_view ranges = Trim(header.substr(equals + 1));
    const std::size_t dash = ranges.find(u'-');
    if (dash == std::u16string_view::npos || ranges.find(u',') != std::u16string_view::npos)
        return RangeVerdict::Unsatisfiable;
    const std::u16string_view from = Trim(ranges.substr(0, dash)), to = Trim(ranges.substr(dash + 1));
    std::uint64_t a = 0, b = 0;
    if (from.empty()) {   // the last n bytes
        if (!ParseNumber(to, b) || b == 0 || size == 0) return RangeVerdict::Unsatisfiable;
        first = b >= size ? 0 : size - b;
        last = size - 1;
        return RangeVerdict::Partial;
    }
    if (!ParseNumber(from, a) || a >= size) return RangeVerdict::Unsatisfiable;
    if (to.empty()) b = size - 1;
    else if (!ParseNumber(to, b) || b < a) return RangeVerdict::Unsatisfiable;
    first = a;
    last = b >= size ? size - 1 : b;
    return RangeVerdict::Partial;
}

CorsAnswer VirtualHostCors(int accessKind, std::u16string_view requester, std::u16string_view hostOrigin,
                           bool document) {
    CorsAnswer answer;
    switch (accessKind) {
    case 1:
        answer.allowOrigin = u"*";
        break;
    case 2:
        break;
    default:
        // An unknown requester is refused too: deny is the cautious kind.
        answer.refused = !document && !EqualNoCase(requester, hostOrigin);
        break;
    }
    return answer;
}

std::u16string Base64(const unsigned char* data, std::size_t size) {
    static constexpr char16_t kDigits[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::u16string out;
    out.reserve((size + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < size; i += 3) {
        const std::uint32_t n = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
        out += kDigits[(n >> 18) & 63];
        out += kDigits[(n >> 12) & 63];
        out += kDigits[(n >> 6) & 63];
        out += kDigits[n & 63];
    }
    if (i < size) {
        const std::uint32_t n = (data[i] << 16) | (i + 1 < size ? data[i + 1] << 8 : 0);
        out += kDigits[(n >> 18) & 63];
        out += kDigits[(n >> 12) & 63];
        out += i + 1 < size ? kDigits[(n >> 6) & 63] : u'=';
        out += u'=';
    }
    return out;
}

}  // namespace Corvane::Chromium
