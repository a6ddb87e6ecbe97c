// Which colour fills a glass control's track.
#include <gtest/gtest.h>

#include "settings/controls/LGControlAccent.h"

TEST(ControlAccent, SkipsMissingClearAndNearBlackCandidates) {
    const base::Color red(1, 0, 0);
    const base::Color blue(0, 0, 1);
    EXPECT_EQ(
        LGFirstUsableControlAccent(
            {std::nullopt, base::Color::clear(), base::Color(0.1, 0.05, 0.11), red}, blue, false),
        red);
    // Near-black only counts when it is visible; a dark grey of 0.12 is already usable.
    EXPECT_TRUE(LGIsUsableControlAccent(base::Color(0, 0, 0, 0.01), false));
    EXPECT_FALSE(LGIsUsableControlAccent(base::Color::white(0.05), false));
    EXPECT_TRUE(LGIsUsableControlAccent(base::Color::white(0.12), false));
    // A pattern cannot be judged by its components and is taken as it is.
    EXPECT_TRUE(LGIsUsableControlAccent(base::Color::pattern(), false));
    // Nothing usable: the fallback.
    EXPECT_EQ(LGFirstUsableControlAccent({base::Color::black()}, blue, false), blue);
    // A dynamic colour is judged, and returned, as it shows in the appearance asked for.
    const base::Color dynamic = base::Color::dynamic(red, base::Color::black());
    EXPECT_EQ(LGFirstUsableControlAccent({dynamic}, blue, false), red);
    EXPECT_EQ(LGFirstUsableControlAccent({dynamic}, blue, true), blue);
}
