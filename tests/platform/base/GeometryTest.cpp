#include "platform/base/Geometry.h"

#include <gtest/gtest.h>

using base::EdgeInsets;
using base::Point;
using base::Rect;

TEST(Rect, NegativeSizesAreStandardisedForEveryQuery) {
    const Rect r{10, 20, -4, -6};
    EXPECT_EQ(r.standardized(), (Rect{6, 14, 4, 6}));
    EXPECT_DOUBLE_EQ(r.minX(), 6);
    EXPECT_DOUBLE_EQ(r.maxY(), 20);
    EXPECT_DOUBLE_EQ(r.width(), 4);
    EXPECT_TRUE(r.contains(Point{7, 15}));
    EXPECT_EQ(r.intersection(Rect{0, 0, 8, 16}), (Rect{6, 14, 2, 2}));
}

TEST(Rect, NullAndEmptyAreDistinct) {
    EXPECT_TRUE(Rect::null().isNull());
    EXPECT_TRUE(Rect::null().isEmpty());
    const Rect line{5, 5, 0, 10};
    EXPECT_FALSE(line.isNull());
    EXPECT_TRUE(line.isEmpty());
    EXPECT_FALSE(Rect::infinite().isEmpty());
    EXPECT_TRUE(Rect::infinite().isInfinite());
    EXPECT_TRUE(Rect::infinite().contains(Rect{-1e12, 1e12, 5, 5}));
}

TEST(Rect, IntersectionOfDisjointIsNullAndTouchingIsZeroSize) {
    const Rect a{0, 0, 10, 10};
    EXPECT_TRUE(a.intersection(Rect{20, 20, 5, 5}).isNull());
    EXPECT_TRUE(a.intersection(Rect::null()).isNull());
    const Rect touching = a.intersection(Rect{10, 0, 5, 10});
    EXPECT_FALSE(touching.isNull());
    EXPECT_EQ(touching, (Rect{10, 0, 0, 10}));
    EXPECT_FALSE(a.intersects(Rect{10, 0, 5, 10}));
    EXPECT_TRUE(a.intersects(Rect{9, 9, 5, 5}));
}

TEST(Rect, UnionIgnoresNullButKeepsEmptyPlaces) {
    const Rect a{0, 0, 10, 10};
    EXPECT_EQ(a.unionWith(Rect::null()), a);
    EXPECT_EQ(Rect::null().unionWith(a), a);
    EXPECT_TRUE(Rect::null().unionWith(Rect::null()).isNull());
    // A zero-size rectangle still widens the union to reach it.
    EXPECT_EQ(a.unionWith(Rect{20, 5, 0, 0}), (Rect{0, 0, 20, 10}));
}

TEST(Rect, InsetBeyondHalfTheSizeBecomesNull) {
    const Rect a{0, 0, 10, 4};
    EXPECT_EQ(a.insetBy(1, 1), (Rect{1, 1, 8, 2}));
    EXPECT_EQ(a.insetBy(-1, -1), (Rect{-1, -1, 12, 6}));
    EXPECT_TRUE(a.insetBy(1, 3).isNull());
    EXPECT_EQ(a.inset(EdgeInsets{1, 2, 0, 3}), (Rect{2, 1, 5, 3}));
    EXPECT_TRUE(Rect::null().insetBy(-5, -5).isNull());
    EXPECT_TRUE(Rect::null().offsetBy(3, 3).isNull());
}

TEST(Rect, IntegralContainsTheOriginalAndContainmentIsHalfOpen) {
    EXPECT_EQ((Rect{0.5, -0.5, 1.2, 1.0}).integral(), (Rect{0, -1, 2, 2}));
    const Rect a{0, 0, 10, 10};
    EXPECT_TRUE(a.contains(Point{0, 0}));
    EXPECT_FALSE(a.contains(Point{10, 5}));
    EXPECT_TRUE(a.contains(Rect{0, 0, 10, 10}));
    EXPECT_FALSE(a.contains(Rect{5, 5, 6, 1}));
    EXPECT_FALSE(a.contains(Rect::null()));
}
