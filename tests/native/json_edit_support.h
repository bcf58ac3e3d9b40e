// Shared by the editing tests: text builders and the one way an edit's
// outcome is checked.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "json_edit.h"

namespace Corvane {

inline std::u16string Repeat(std::u16string_view unit, int times) {
    std::u16string out;
    for (int i = 0; i < times; ++i) out += unit;
    return out;
}

// `levels` nested arrays around 1.
inline std::u16string Deep(int levels) { return Repeat(u"[", levels) + u"1" + Repeat(u"]", levels); }

// Success: `expected` is the text. Failure: `expected` is the message, and the
// input must come back unchanged.
inline void Check(const JsonEditResult& r, std::u16string_view input, std::u16string_view expected, std::int32_t hr) {
    if (hr == kS_OK) {
        EXPECT_TRUE(r.ok) << ::testing::PrintToString(r.message);
        EXPECT_EQ(r.hresult, kS_OK);
        EXPECT_EQ(r.message, u"");
        EXPECT_EQ(r.text, expected);
    } else {
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.hresult, hr);
        EXPECT_EQ(r.message, expected);
        EXPECT_EQ(r.text, input);
    }
}

}  // namespace Corvane
