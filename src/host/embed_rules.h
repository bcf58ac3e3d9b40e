// Arithmetic of the foreign-window path that needs no window: Office sizes in
// points turned into pixels, and the runtime version check.
#pragma once

#include <cstdint>
#include <string_view>

namespace Corvane {

// dpi * points / 72, truncated toward zero. Not-a-number gives 0 and results
// beyond the 32-bit range stop at its ends, so no host value can overflow.
std::int32_t PixelsFromPoints(int dpi, double points);

// Compares dotted versions part by part from the left, up to four unsigned
// parts, missing parts 0: negative when `a` is older than `b`.
int CompareVersions(std::u16string_view a, std::u16string_view b);

}  // namespace Corvane
