// The foreign-window path's portable rules: profile names that become folder
// names, Office points in pixels, and the runtime version check.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "embed_rules.h"
#include "profile_name_rules.h"

using namespace Corvane;

TEST(ProfileName, KeepsOnlyASafeLowerCaseFolderName) {
    const std::u16string allowed80(80, u'a');
    const struct {
        std::u16string in, out;
    } cases[] = {
        {u"C:\\Users\\x\\My Profile..", u"my profile"},
        {u"../../Windows/System32", u"system32"},
        {u"Work\\", u""},
        {u"\u00dcn\u00efcode*Name?<>|:\"", u"ncodename"},
        {u"#$()+-.@_~ OK", u"#$()+-.@_~ ok"},
        {allowed80, std::u16string(64, u'a')},
        // Cut to 64 first, then the trailing space the cut exposed goes too.
        {std::u16string(63, u'b') + u" tail", std::u16string(63, u'b')},
        {u". . .", u""},
        {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(SanitizeProfileName(c.in), c.out);
}

TEST(PointsToPixels, TruncatesTowardZeroAndNeverOverflows) {
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    const struct {
        int dpi;
        double points;
        std::int32_t pixels;
    } cases[] = {
        {96, 72, 96}, {144, 10, 20}, {96, 0.9, 1}, {96, -0.9, -1}, {120, 0.5, 0},
        {96, std::nan(""), 0}, {96, 1e12, kMax}, {96, -1e12, kMin}, {96, HUGE_VAL, kMax},
    };
    for (const auto& c : cases) EXPECT_EQ(PixelsFromPoints(c.dpi, c.points), c.pixels) << c.dpi << " " << c.points;
}

TEST(VersionCheck, ComparesFourNumericPartsFromTheLeft) {
    const struct {
        std::u16string_view a, b;
        int sign;
    } cases[] = {
        {u"120.0.2210.91", u"120.0.2210.55", 1},
        {u"99.0.1", u"100", -1},
        {u"120", u"120.0.0.0", 0},
        {u"1.2.3.4.5", u"1.2.3.4", 0},            // a fifth part is not compared
        {u"120.0.2210.91 beta", u"120.0.2210.91", 0},
        {u"99999999999.0", u"4294967295", 0},     // too large for 32 bits stays at the largest
        {u"", u"0.0.0.1", -1},
    };
    for (const auto& c : cases) {
        const int got = CompareVersions(c.a, c.b);
        EXPECT_EQ((got > 0) - (got < 0), c.sign) << std::string(c.a.begin(), c.a.end());
    }
}
