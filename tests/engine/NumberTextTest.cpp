#include <gtest/gtest.h>

#include "engine/NumberText.h"

namespace vornix::test {
namespace {

TEST(NumberText, HasASignPositionAndNoPadding) {
    EXPECT_EQ(" 1500", ToNumberText(1500));
    EXPECT_EQ(" 0", ToNumberText(0));
    EXPECT_EQ("-1", ToNumberText(-1));
    EXPECT_EQ("-2147483648", ToNumberText(INT32_MIN));
    EXPECT_EQ(" 2147483647", ToNumberText(INT32_MAX));
}

TEST(NumberText, ParsesBlankPaddedNumbersAndRejectsTheRest) {
    EXPECT_EQ(1500, ParseNumberText(" 1500"));
    EXPECT_EQ(1500, ParseNumberText("1500  "));
    EXPECT_EQ(-1, ParseNumberText("-1"));
    EXPECT_EQ(INT32_MIN, ParseNumberText("-2147483648"));
    EXPECT_EQ(INT32_MAX, ParseNumberText("2147483647"));
    for (const char* bad : {"", "   ", "-", "2147483648", "-2147483649", "99999999999999999999",
                            "15 00", "0x10", "1e3", "abc", "12a"}) {
        EXPECT_FALSE(ParseNumberText(bad).has_value()) << "'" << bad << "'";
    }
}

}  // namespace
}  // namespace vornix::test
