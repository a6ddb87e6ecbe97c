// The wallpaper snapshot against the home-screen host's real wallpaper windows.
#include <gtest/gtest.h>

#include "ClockTestFixture.h"
#include "glass/LGWallpaperSnapshot.h"
#include "platform/graphics/ImageContext.h"
#include "platform/runtime/Hooks.h"
#include "platform/ui/Window.h"
#include "tweak/LGClockWallpaper.h"

namespace {

graphics::ImageRef solid(base::Color color) {
    auto context = graphics::ImageContext::begin({8, 8}, true, 1);
    context->context().fillRect({0, 0, 8, 8}, color);
    return context->image();
}

graphics::Pixel centre(const graphics::ImageRef& image) {
    return image->pixelAt(image->pixelWidth() / 2, image->pixelHeight() / 2);
}

}  // namespace

TEST_F(ClockTest, SnapshotPrefersTheSecureWallpaperWindowAndDrawsItAtScreenScale) {
    buildModern();
    lock->wallpaperWindow()->imageView()->setImage(solid({0, 0, 1}));
    lock->secureWallpaperWindow()->imageView()->setImage(solid({1, 0, 0}));
    auto image = LGCaptureWallpaperSnapshot();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixelWidth(), 1179);
    EXPECT_EQ(image->pixelHeight(), 2556);
    EXPECT_EQ(centre(image).r, 255);
    EXPECT_EQ(centre(image).b, 0);
    EXPECT_EQ(LGWallpaperSnapshotOrigin(), (base::Point{0, 0}));

    // Without a secure window the plain one is used.
    lock->secureWallpaperWindow()->setWindowScene(nullptr);
    runUntilSeconds(2.0);
    image = LGCaptureWallpaperSnapshot();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(centre(image).b, 255);
}

TEST_F(ClockTest, SnapshotIsThrottledTwoSecondsWhileHeldAQuarterSecondWhileNot) {
    // No wallpaper window yet: nothing, and no new attempt for 0.25 s.
    EXPECT_EQ(LGCaptureWallpaperSnapshot(), nullptr);
    buildModern();
    runUntilSeconds(0.2);
    EXPECT_EQ(LGCaptureWallpaperSnapshot(), nullptr);
    runUntilSeconds(0.25);
    auto first = LGCaptureWallpaperSnapshot();
    ASSERT_NE(first, nullptr);

    // Held: the same image until two seconds after the last attempt, even when the wallpaper
    // changed meanwhile; then a new one.
    lock->secureWallpaperWindow()->imageView()->setImage(solid({0, 0, 1}));
    runUntilSeconds(2.2);
    EXPECT_EQ(LGCaptureWallpaperSnapshot(), first);
    runUntilSeconds(2.25);
    auto second = LGCaptureWallpaperSnapshot();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(centre(second).b, 255);

    // A failed capture keeps the held image and its origin.
    lock.reset();
    runUntilSeconds(5);
    EXPECT_EQ(LGCaptureWallpaperSnapshot(), second);
}

namespace {
bool (*gPreviousDrawHierarchy)(runtime::Object*, runtime::SEL, base::Rect, bool) = nullptr;
bool refuseDrawHierarchy(runtime::Object*, runtime::SEL, base::Rect, bool) {
    return false;
}
}  // namespace

TEST_F(ClockTest, SnapshotFallsBackToTheWindowsLayerAndKeepsTheWindowsOrigin) {
    buildModern();
    lock->secureWallpaperWindow()->imageView()->setImage(solid({0, 1, 0}));
    lock->secureWallpaperWindow()->setFrame({10, 20, 393, 852});
    runtime::Class* cls = runtime::lookUpClass("_SBWallpaperSecureWindow");
    ASSERT_TRUE(runtime::replaceMethod(cls, ui::View::kDrawHierarchyInRect.selector(),
                                       &refuseDrawHierarchy, &gPreviousDrawHierarchy));
    auto image = LGCaptureWallpaperSnapshot();
    runtime::replaceMethod(cls, ui::View::kDrawHierarchyInRect.selector(),
                           runtime::toImp(gPreviousDrawHierarchy));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(centre(image).g, 255);
    EXPECT_EQ(LGWallpaperSnapshotOrigin(), (base::Point{10, 20}));
}

TEST_F(ClockTest, CurrentWallpaperKeepsTheFirstImageForWhenCapturesFail) {
    EXPECT_EQ(LGClockCurrentWallpaper(), nullptr);
    buildModern();
    runUntilSeconds(1);
    auto first = LGClockCurrentWallpaper();
    ASSERT_NE(first, nullptr);
    lock.reset();
    runUntilSeconds(10);
    // The capture holds the last image; the clock never ends up without one.
    EXPECT_EQ(LGClockCurrentWallpaper(), first);
}

TEST_F(ClockTest, UnchangedWallpaperGivesTheHeldImageAgainSoNothingIsUploaded) {
    // Regression: every capture made a new image of the same pixels, which each clock took for a
    // new wallpaper (upload, blur, frame) every two seconds of an idle lock screen.
    buildModern();
    auto first = LGCaptureWallpaperSnapshot();
    ASSERT_NE(first, nullptr);
    runUntilSeconds(10);
    lock->timeLabel()->setText("9:42");  // another window's change is no wallpaper change
    EXPECT_EQ(LGCaptureWallpaperSnapshot(), first);
    // The window moving, or its contents changing, are.
    runUntilSeconds(20);
    lock->secureWallpaperWindow()->setFrame({0, 10, 393, 852});
    auto moved = LGCaptureWallpaperSnapshot();
    EXPECT_NE(moved, first);
    EXPECT_EQ(LGWallpaperSnapshotOrigin(), (base::Point{0, 10}));
    runUntilSeconds(30);
    lock->secureWallpaperWindow()->imageView()->setImage(solid({1, 1, 0}));
    EXPECT_NE(LGCaptureWallpaperSnapshot(), moved);
}
