#include "platform/base/Color.h"

#include <gtest/gtest.h>

using base::Color;

TEST(Color, ComponentsClampAndWhiteLevelsAreGrey) {
    const Color c(1.5, -1, 0.5, 2);
    EXPECT_EQ(c.red(), 1);
    EXPECT_EQ(c.green(), 0);
    EXPECT_EQ(c.alpha(), 1);
    const Color w = Color::white(0.25, 0.5);
    EXPECT_TRUE(w.isWhiteBased());
    EXPECT_EQ(w.red(), 0.25);
    EXPECT_EQ(w.blue(), 0.25);
    EXPECT_EQ(w, Color(0.25, 0.25, 0.25, 0.5));
}

TEST(Color, ClearIsOnlyTheTransparentBlack) {
    EXPECT_TRUE(Color::clear().isClear());
    EXPECT_FALSE(Color(1, 1, 1, 0).isClear());
    EXPECT_FALSE(Color::black().isClear());
}

TEST(Color, DynamicResolvesPerAppearanceAndPatternsAreUnreadable) {
    const Color d = Color::dynamic(Color::white(1), Color::white(0, 0.5));
    EXPECT_TRUE(d.isDynamic());
    EXPECT_EQ(d.resolved(false), Color::white(1));
    EXPECT_EQ(d.resolved(true), Color::white(0, 0.5));
    EXPECT_EQ(d.withAlpha(0.2).resolved(true).alpha(), 0.2);
    EXPECT_NE(d, Color::white(1));

    const Color p = Color::pattern();
    EXPECT_FALSE(p.componentsReadable());
    EXPECT_EQ(p, p);
    EXPECT_NE(p, Color::pattern());
}
