// What the thumbs look like once pressed: glass over a picture of the track, composed into a
// small offscreen window and compared with the stock controls.
#include <algorithm>
#include <cmath>

#include "platform/graphics/Path.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/SystemColors.h"
#include "settings/controls/LGInsetShadowView.h"
#include "settings/controls/LGSharedGlassView.h"
#include "settings/controls/LGSwitchInsetShadowView.h"
#include "settings/controls/QVQuorvaneLiquidSlider.h"
#include "settings/controls/QVQuorvaneLiquidSwitch.h"
#include "tests/settings/controls/ControlsTestFixture.h"

namespace {

constexpr double kScale = 3;

// Mean absolute difference of the colour bytes of two images over a rectangle given in points.
double meanDifference(const graphics::Image& a, const graphics::Image& b, const base::Rect& r) {
    double sum = 0;
    int n = 0;
    for (int y = int(r.minY() * kScale); y < int(r.maxY() * kScale); ++y) {
        for (int x = int(r.minX() * kScale); x < int(r.maxX() * kScale); ++x) {
            const graphics::Pixel p = a.pixelAt(x, y);
            const graphics::Pixel q = b.pixelAt(x, y);
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
            n += 3;
        }
    }
    return n ? sum / n : 0;
}

// How many pixels of a column of the glass's frame show the track (anything clearly darker or
// more colourful than the white page), where the glass is opaque.
int trackRows(const graphics::Image& glass, int column) {
    int n = 0;
    for (int j = 0; j < glass.pixelHeight(); ++j) {
        const graphics::Pixel p = glass.pixelAt(column, j);
        if (p.a > 250 && std::min({p.r, p.g, p.b}) < 225) ++n;
    }
    return n;
}

class GlassThumbs : public GlassControlsTest {
  protected:
    void SetUp() override {
        GlassControlsTest::SetUp();
        window->setHidden(true);
        small = ui::Window::create({0, 0, 240, 80});
        small->setBackgroundColor(base::Color::white(1));
        small->makeKeyAndVisible();
    }
    void TearDown() override {
        if (finger.isTouching()) finger.touchCancel();
        small->setHidden(true);
        small.reset();
        GlassControlsTest::TearDown();
    }
    graphics::ImageRef render() {
        small->layoutIfNeeded();
        return ui::renderViewImage(*small, kScale);
    }

    std::shared_ptr<ui::Window> small;
};

}  // namespace

TEST_F(GlassThumbs, PressedSliderThumbIsGlassOverTheTrack) {
    auto slider = QVQuorvaneLiquidSlider::create({20, 18, 200, 44});
    slider->setValue(0.5);
    small->addSubview(slider);
    frames(2);
    const base::Point thumb{20 + slider->thumbCenterXForValue(0.5), 40};
    ASSERT_TRUE(finger.touchDown(thumb));
    frames(40);
    ASSERT_GT(slider->renderedExpansion(), 0.99);
    auto& glass = *slider->glassThumbView();
    ASSERT_GT(glass.surfaceView()->presentedFrameCount(), 0u);
    const auto pressed = render();
    const graphics::ImageRef glassFrame = glass.surfaceView()->presentedImage();

    // The stock slider pressed at the same place.
    slider->removeFromSuperview();
    finger.touchCancel();
    auto stock = ui::Slider::create({20, 18, 200, 44});
    stock->setValue(0.5);
    small->addSubview(stock);
    frames(2);
    const auto stockImage = render();

    const base::Rect underThumb{thumb.x - 24, thumb.y - 14, 48, 28};
    EXPECT_GT(meanDifference(*pressed, *stockImage, underThumb), 8)
        << "the glass thumb looks like the stock thumb";

    // The track is 4 points (12 pixels) high. Through the flat middle of the glass it keeps
    // about that; within the bezel the glass bends it into a flare several times as high.
    const auto& shown = *glassFrame;
    const int middle = trackRows(shown, shown.pixelWidth() / 3);
    EXPECT_GE(middle, 10);
    EXPECT_LE(middle, 18);
    int rim = 0;
    for (int column = 1; column <= 6; ++column) rim = std::max(rim, trackRows(shown, column));
    EXPECT_GE(rim, 2 * middle) << "the track does not bend at the rim";
}

TEST_F(GlassThumbs, PressedSwitchThumbIsGlassOverTheTrack) {
    auto control = QVQuorvaneLiquidSwitch::create({88, 26, 0, 0});
    control->setOnTintColor(ui::colors::systemGreen());
    control->setOn(true);
    small->addSubview(control);
    frames(2);
    ASSERT_TRUE(finger.touchDown({88 + 43, 40}));
    frames(40);
    ASSERT_GT(control->renderedExpansion(), 0.99);
    auto& glass = *control->glassThumbView();
    ASSERT_GT(glass.surfaceView()->presentedFrameCount(), 0u);
    const auto pressed = render();
    const graphics::ImageRef glassFrame = glass.surfaceView()->presentedImage();
    finger.touchCancel();

    auto stock = ui::Switch::create({88, 26, 0, 0});
    stock->setOn(true);
    control->removeFromSuperview();
    small->addSubview(stock);
    frames(2);
    const auto stockImage = render();

    const base::Rect underThumb{88 + 43 - 24, 40 - 14, 48, 28};
    EXPECT_GT(meanDifference(*pressed, *stockImage, underThumb), 8);
    // The fill behind is a capsule 21 points high with straight sides where the glass's left
    // bezel lies; bent by the 6-point bezel it shows noticeably higher there than through the
    // flat middle.
    const auto& shown = *glassFrame;
    const int middle = trackRows(shown, 60);
    EXPECT_GE(middle, 60);
    EXPECT_GE(trackRows(shown, 20), middle + 6) << "the track does not bend at the rim";
}

TEST_F(GlassThumbs, AppearanceChangeRestylesBothThumbs) {
    auto slider = QVQuorvaneLiquidSlider::create({20, 18, 200, 44});
    auto control = QVQuorvaneLiquidSwitch::create({88, 60, 0, 0});
    small->addSubview(slider);
    small->addSubview(control);
    frames(1);
    EXPECT_EQ(slider->glassThumbView()->updateGroup(), 0);
    EXPECT_EQ(slider->glassThumbView()->specularOpacity(), 0);
    EXPECT_EQ(slider->glassInsetShadowView()->alpha(), 1.0);

    small->setOverrideUserInterfaceStyle(ui::UserInterfaceStyle::Dark);
    frames(1);
    EXPECT_DOUBLE_EQ(slider->glassThumbView()->specularOpacity(), 0.02);
    EXPECT_DOUBLE_EQ(slider->glassInsetShadowView()->alpha(), 0.68);
    EXPECT_FLOAT_EQ(slider->glassThumbView()->layer()->shadowOpacity(), 0.12f);
    EXPECT_DOUBLE_EQ(control->glassThumbView()->specularOpacity(), 0.02);
    EXPECT_DOUBLE_EQ(control->glassInsetShadowView()->alpha(), 0.68);
    EXPECT_EQ(control->trackView()->backgroundColor(), base::Color::white(1.0, 0.18));
}

TEST_F(GlassThumbs, InsetShadowIsARingJustOutsideTheThumb) {
    auto slider = QVQuorvaneLiquidSlider::create({20, 18, 200, 44});
    small->addSubview(slider);
    ASSERT_TRUE(finger.touchDown({20 + slider->thumbCenterXForValue(0), 40}));
    frames(40);
    auto& inset = *slider->glassInsetShadowView();
    inset.layoutIfNeeded();
    const base::Rect b = inset.bounds();
    EXPECT_NEAR(b.width(), 54, 0.2) << "the shadow view follows the glass thumb's size";
    EXPECT_NEAR(b.height(), 34, 0.2);
    const auto path = inset.layer()->shadowPath();
    ASSERT_TRUE(path);
    const base::Rect outline = path->bounds();
    EXPECT_NEAR(outline.minX(), b.minX() - 1, 1e-9);
    EXPECT_NEAR(outline.minY(), b.minY() - 1.75, 1e-9);
    EXPECT_NEAR(outline.width(), b.width() + 2, 1e-9);
    EXPECT_NEAR(outline.height(), b.height() + 3.5, 1e-9);
    EXPECT_EQ(inset.layer()->compositingFilter(), "multiplyBlendMode");
}

TEST_F(GlassThumbs, GlassFindsTheTrackInAWindowAwayFromTheScreenOrigin) {
    // The picture and the glass must agree on where the picture lies; a window away from the
    // screen's origin shows whether they measure from the same place.
    small->setFrame({50, 120, 240, 80});
    auto slider = QVQuorvaneLiquidSlider::create({20, 18, 200, 44});
    small->addSubview(slider);
    frames(1);
    ASSERT_TRUE(finger.touchDown({50 + 20 + slider->thumbCenterXForValue(0), 120 + 40}));
    frames(40);
    const graphics::ImageRef shown = slider->glassThumbView()->surfaceView()->presentedImage();
    ASSERT_TRUE(shown);
    EXPECT_GE(trackRows(*shown, shown->pixelWidth() / 2), 8);
    finger.touchCancel();

    auto control = QVQuorvaneLiquidSwitch::create({88, 26, 0, 0});
    control->setOn(true);
    small->addSubview(control);
    frames(1);
    ASSERT_TRUE(finger.touchDown({50 + 88 + 43, 120 + 40}));
    frames(40);
    const graphics::ImageRef switchShown =
        control->glassThumbView()->surfaceView()->presentedImage();
    ASSERT_TRUE(switchShown);
    EXPECT_GE(trackRows(*switchShown, 60), 60);
}
