#include "platform/base/AffineTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using base::AffineTransform;
using base::Point;
using base::Rect;

namespace {
void expectNear(Point a, Point b) {
    EXPECT_NEAR(a.x, b.x, 1e-9);
    EXPECT_NEAR(a.y, b.y, 1e-9);
}
}  // namespace

TEST(AffineTransform, ConcatAppliesTheReceiverFirst) {
    const auto scale = AffineTransform::scale(2, 3);
    const auto move = AffineTransform::translation(10, 20);
    expectNear(scale.concat(move).apply(Point{1, 1}), Point{12, 23});
    expectNear(move.concat(scale).apply(Point{1, 1}), Point{22, 63});
    // "scaled" prepends, like the phone's scale on an existing transform.
    expectNear(move.scaled(2, 3).apply(Point{1, 1}), Point{12, 23});
}

TEST(AffineTransform, InverseUndoesAndSingularIsReturnedUnchanged) {
    const auto t =
        AffineTransform::rotation(0.7).concat(AffineTransform::translation(3, -4)).scaled(2, 5);
    expectNear(t.inverted().apply(t.apply(Point{7, -2})), Point{7, -2});
    const auto singular = AffineTransform::scale(0, 1);
    EXPECT_FALSE(singular.isInvertible());
    EXPECT_EQ(singular.inverted(), singular);
}

TEST(AffineTransform, RectMapsToBoundingBoxOfCorners) {
    const auto quarter = AffineTransform::rotation(std::numbers::pi / 2);
    const Rect r = quarter.apply(Rect{0, 0, 4, 2});
    EXPECT_NEAR(r.minX(), -2, 1e-9);
    EXPECT_NEAR(r.width(), 2, 1e-9);
    EXPECT_NEAR(r.height(), 4, 1e-9);
    EXPECT_TRUE(quarter.apply(Rect::null()).isNull());
}
