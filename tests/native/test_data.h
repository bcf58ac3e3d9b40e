// Locating the data that sits beside a development checkout (benchmark files,
// the conformance suite) and turning UTF-8 files into the engine's UTF-16.
#pragma once

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <cstdio>

namespace CorvaneTest {

// The shared data folder, or empty when this checkout has none.
inline std::string SharedDir() {
    const char* dir = std::getenv("CORVANE_SHARED_DIR");
    if (!dir || !*dir) return {};
    std::string s = dir;
#ifdef _WIN32
    if (!s.empty() && s[0] == '/') s = "Z:" + s;   // Wine maps the Unix root to Z:
#endif
    return s;
}

inline std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Strict UTF-8 to UTF-16: overlongs, surrogates, values past U+10FFFF and
// truncated sequences all fail.
inline std::optional<std::u16string> DecodeUtf8(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        unsigned c = *p++;
        if (c < 0x80) { out.push_back(static_cast<char16_t>(c)); continue; }
        int extra;
        unsigned cp, min;
        if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; min = 0x80; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; min = 0x800; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; min = 0x10000; }
        else return std::nullopt;
        if (end - p < extra) return std::nullopt;
        for (int i = 0; i < extra; ++i) {
            unsigned b = *p++;
            if ((b & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

// ASCII text to UTF-16.
inline std::u16string Widen(std::string_view s) { return std::u16string(s.begin(), s.end()); }

// u"..." to a printable string for assertion messages.
inline std::string Narrow(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) {
        if (c >= 0x20 && c < 0x7F) out.push_back(static_cast<char>(c));
        else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

}  // namespace CorvaneTest
