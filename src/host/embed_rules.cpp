#include "embed_rules.h"

#include <array>
#include <cmath>
#include <limits>

namespace Corvane {

std::int32_t PixelsFromPoints(int dpi, double points) {
    const double pixels = std::trunc(static_cast<double>(dpi) * points / 72.0);
    if (std::isnan(pixels)) return 0;
    if (pixels >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (pixels <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(pixels);
}

namespace {

// Digits of each part; anything else ends the part's number. A part too large
// for 32 bits stays at the largest value instead of wrapping.
std::array<std::uint32_t, 4> VersionParts(std::u16string_view text) {
    std::array<std::uint32_t, 4> parts{};
    std::size_t part = 0;
    bool inNumber = true;
    for (char16_t c : text) {
        if (c == u'.') {
            if (++part == parts.size()) break;
            inNumber = true;
            continue;
        }
        if (!inNumber) continue;
        if (c < u'0' || c > u'9') {
            inNumber = false;
            continue;
        }
        const std::uint64_t next = static_cast<std::uint64_t>(parts[part]) * 10 + static_cast<std::uint32_t>(c - u'0');
        parts[part] = next > std::numeric_limits<std::uint32_t>::max() ? std::numeric_limits<std::uint32_t>::max()
                                                                       : static_cast<std::uint32_t>(next);
    }
    return parts;
}

}  // namespace

int CompareVersions(std::u16string_view a, std::u16string_view b) {
    const auto left = VersionParts(a), right = VersionParts(b);
    for (std::size_t i = 0; i < left.size(); ++i)
        if (left[i] != right[i]) return left[i] < right[i] ? -1 : 1;
    return 0;
}

}  // namespace Corvane
