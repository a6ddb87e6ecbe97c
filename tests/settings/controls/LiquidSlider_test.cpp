// The glass slider under synthesised touches: dragging, the rubber band, stretch, haptics, taps,
// an empty range and the display link's life.
#include <cmath>

#include "platform/ui/DisplayLink.h"
#include "platform/ui/FeedbackGenerator.h"
#include "settings/controls/LGSharedGlassView.h"
#include "settings/controls/QVQuorvaneLiquidSlider.h"
#include "tests/settings/controls/ControlsTestFixture.h"

namespace {

// The slider spans x 40…340 on screen at y 200…244; its track is the whole width, so the thumb's
// centre travels from 18 to 282 in its own coordinates (58…322 on screen).
constexpr double kLeft = 40;
constexpr double kY = 222;
constexpr double kMin = 18;
constexpr double kMax = 282;

class LiquidSlider : public GlassControlsTest {
  protected:
    void SetUp() override {
        GlassControlsTest::SetUp();
        slider = QVQuorvaneLiquidSlider::create({kLeft, 200, 300, 44});
        slider->setMinimumValue(0);
        slider->setMaximumValue(100);
        slider->setValue(50);
        window->addSubview(slider);
        log.attach(*slider);
        frames(1);
    }
    void TearDown() override {
        slider.reset();
        GlassControlsTest::TearDown();
    }

    // A screen x for a position along the thumb's travel, in the slider's coordinates.
    static double screenX(double sliderX) { return kLeft + sliderX; }
    static double valueAt(double sliderX) { return (sliderX - kMin) / (kMax - kMin) * 100; }

    int impacts(ui::ImpactFeedbackStyle style) const {
        int n = 0;
        for (const auto& impact : ui::ImpactFeedbackGenerator::recordedImpacts()) {
            if (impact.style == style) ++n;
        }
        return n;
    }

    std::shared_ptr<QVQuorvaneLiquidSlider> slider;
    ControlEventLog log;
};

}  // namespace

TEST_F(LiquidSlider, DragFollowsTheFingerSendsValueChangedWhileDraggingAndTouchUpAtTheEnd) {
    EXPECT_DOUBLE_EQ(slider->thumbCenterXForValue(50), 150);
    ASSERT_TRUE(finger.touchDown({screenX(150), kY}));
    EXPECT_TRUE(slider->trackingActive());
    EXPECT_EQ(slider->targetExpansion(), 1);
    EXPECT_TRUE(slider->thumbDisplayLink());
    EXPECT_EQ(log.count("changed"), 0) << "pressing the thumb does not move it";

    frames(6);
    finger.touchMove({screenX(200), kY});
    EXPECT_NEAR(slider->value(), valueAt(200), 1e-3);
    EXPECT_EQ(log.count("changed"), 1);
    EXPECT_NEAR(slider->logicalThumbCenterX(), 200, 1e-9);
    frames(6);
    finger.touchMove({screenX(100), kY});
    EXPECT_NEAR(slider->value(), valueAt(100), 1e-3);
    EXPECT_EQ(log.count("changed"), 2);
    // The same place again changes nothing and sends nothing.
    frames(1);
    finger.touchMove({screenX(100), kY});
    EXPECT_EQ(log.count("changed"), 2);

    frames(6);
    finger.touchUp({screenX(100), kY});
    EXPECT_EQ(log.names.back(), "upInside");
    EXPECT_FALSE(slider->trackingActive());
    EXPECT_EQ(slider->targetExpansion(), 0);
    EXPECT_NEAR(slider->value(), valueAt(100), 1e-3);
}

TEST_F(LiquidSlider, RubberBandPastEitherEndKeepsTheValueAtTheEnd) {
    // 100 points past an end the thumb shows 1.24 × √100 = 12.4 points past it.
    EXPECT_NEAR(slider->rubberBandedCenterXForTouchX(kMax + 100) - kMax, 12.4, 1e-9);
    EXPECT_NEAR(kMin - slider->rubberBandedCenterXForTouchX(kMin - 100), 12.4, 1e-9);
    EXPECT_EQ(slider->rubberBandedCenterXForTouchX(120), 120);
    EXPECT_EQ(slider->overshootDistanceForTouchX(kMax + 9), 9);

    ASSERT_TRUE(finger.touchDown({screenX(150), kY}));
    frames(20);
    finger.touchMove({screenX(kMax + 100), kY});
    EXPECT_FLOAT_EQ(slider->value(), 100);
    EXPECT_NEAR(slider->rubberBandOffset(), 12.4, 1e-9);
    // The full-stretch lead (2.4) and a speed lead in the direction of motion come on top.
    EXPECT_GE(slider->presentedThumbCenterX() - (kMax + 12.4), 2.4 - 1e-9);
    EXPECT_LE(slider->presentedThumbCenterX() - (kMax + 12.4), 2.4 + 5.1 + 1e-9);

    frames(20);
    finger.touchMove({screenX(kMin - 100), kY});
    EXPECT_FLOAT_EQ(slider->value(), 0);
    EXPECT_NEAR(slider->rubberBandOffset(), -12.4, 1e-9);
    EXPECT_LE(slider->presentedThumbCenterX(), kMin - 12.4 - 2.4 + 1e-9);
    finger.touchUp({screenX(kMin - 100), kY});
    EXPECT_EQ(slider->rubberBandOffset(), 0);
}

TEST_F(LiquidSlider, FastDragStretchesTheThumbAndLeadsItSlowDragBarely) {
    ASSERT_TRUE(finger.touchDown({screenX(100), kY}));
    frames(1);
    // 100 points in one 60 Hz frame: far above 900 points per second.
    finger.touchMove({screenX(200), kY});
    EXPECT_GT(slider->thumbVelocityX(), 900);
    EXPECT_NEAR(slider->targetThumbSize().width, 54 + 19.5, 1e-9);
    EXPECT_NEAR(slider->targetThumbSize().height, 34 - 5.4, 1e-9);
    EXPECT_NEAR(slider->presentedThumbCenterX(), 200 + 5.1, 1e-9);
    finger.touchUp({screenX(200), kY});

    ASSERT_TRUE(finger.touchDown({screenX(200), kY}));
    runUntilSeconds(elapsed() + 1);
    finger.touchMove({screenX(200.5), kY});
    EXPECT_LT(slider->targetThumbSize().width - 54, 0.5);
    EXPECT_LT(slider->presentedThumbCenterX() - 200.5, 0.15);
    finger.touchUp({screenX(200.5), kY});
}

TEST_F(LiquidSlider, EdgeHapticsFireOncePerApproachAndReArmInsideTheRange) {
    using Style = ui::ImpactFeedbackStyle;
    ASSERT_TRUE(finger.touchDown({screenX(150), kY}));
    frames(10);
    finger.touchMove({screenX(kMin + 1), kY});
    EXPECT_EQ(impacts(Style::Light), 1);
    // Lingering at the end, or backing off less than 4 points, gives no second tap.
    finger.touchMove({screenX(kMin - 30), kY});
    finger.touchMove({screenX(kMin + 3.5), kY});
    finger.touchMove({screenX(kMin), kY});
    EXPECT_EQ(impacts(Style::Light), 1);
    // More than 4 points inside re-arms it.
    finger.touchMove({screenX(kMin + 10), kY});
    finger.touchMove({screenX(kMin + 2), kY});
    EXPECT_EQ(impacts(Style::Light), 2);

    // The far end taps medium, and arms the near end again straight away.
    finger.touchMove({screenX(kMax - 1), kY});
    EXPECT_EQ(impacts(Style::Medium), 1);
    finger.touchMove({screenX(kMax + 40), kY});
    EXPECT_EQ(impacts(Style::Medium), 1);
    finger.touchMove({screenX(kMin), kY});
    EXPECT_EQ(impacts(Style::Light), 3);
    finger.touchUp({screenX(kMin), kY});
}

TEST_F(LiquidSlider, QuickTapMovesTheValueALongStillPressDoesNot) {
    ASSERT_TRUE(finger.tap({screenX(84), kY}, 0.05));
    EXPECT_NEAR(slider->value(), valueAt(84), 1e-3);
    EXPECT_EQ(log.count("changed"), 1);

    log.names.clear();
    ASSERT_TRUE(finger.touchDown({screenX(250), kY}));
    runUntilSeconds(elapsed() + 0.3);
    finger.touchUp({screenX(250), kY});
    EXPECT_NEAR(slider->value(), valueAt(84), 1e-3);
    EXPECT_EQ(log.count("changed"), 0);
}

TEST_F(LiquidSlider, EqualMinimumAndMaximumKeepTheThumbLeftAndTheValueStill) {
    slider->setMinimumValue(5);
    slider->setMaximumValue(5);
    EXPECT_FLOAT_EQ(slider->value(), 5);
    EXPECT_EQ(slider->thumbCenterXForValue(5), kMin);
    EXPECT_EQ(slider->maximumThumbCenterX(), kMin);
    ASSERT_TRUE(finger.touchDown({screenX(kMin), kY}));
    frames(2);
    finger.touchMove({screenX(200), kY});
    finger.touchMove({screenX(-50), kY});
    finger.touchUp({screenX(-50), kY});
    EXPECT_FLOAT_EQ(slider->value(), 5);
    EXPECT_EQ(log.count("changed"), 0);
    ASSERT_TRUE(finger.tap({screenX(250), kY}, 0.05));
    EXPECT_EQ(log.count("changed"), 0);
}

TEST_F(LiquidSlider, DisplayLinkStopsOnceSettledAndNothingIsDrawnWhileIdle) {
    ASSERT_TRUE(finger.touchDown({screenX(150), kY}));
    frames(10);
    finger.touchMove({screenX(230), kY});
    frames(10);
    finger.touchUp({screenX(230), kY});
    const int settling = framesUntil([&] { return slider->thumbDisplayLink() == nullptr; });
    EXPECT_LT(settling, 120) << "the thumb never settled";
    EXPECT_TRUE(slider->glassThumbView()->isHidden());
    EXPECT_FALSE(slider->contractedThumbView()->isHidden());
    EXPECT_DOUBLE_EQ(slider->renderedThumbCenterX(), slider->thumbCenterXForValue(slider->value()));

    const auto ticks = ui::DisplayLink::totalTickCount();
    const auto drawn = slider->glassThumbView()->surfaceView()->presentedFrameCount();
    frames(60);
    EXPECT_EQ(ui::DisplayLink::totalTickCount(), ticks);
    EXPECT_EQ(slider->glassThumbView()->surfaceView()->presentedFrameCount(), drawn);

    // Leaving the window stops a running link at once.
    ASSERT_TRUE(finger.touchDown({screenX(150), kY}));
    EXPECT_TRUE(slider->thumbDisplayLink());
    finger.touchCancel();
    slider->removeFromSuperview();
    EXPECT_EQ(slider->thumbDisplayLink(), nullptr);
}

TEST_F(LiquidSlider, TouchAreaReachesBeyondTheBounds) {
    EXPECT_TRUE(slider->pointInside({-17, 22}, nullptr));
    EXPECT_TRUE(slider->pointInside({317, -13}, nullptr));
    EXPECT_FALSE(slider->pointInside({-19, 22}, nullptr));
    EXPECT_FALSE(slider->pointInside({150, 44 + 15}, nullptr));
    // A press just above the slider still grabs it.
    ASSERT_TRUE(finger.touchDown({screenX(150), 200 - 10}));
    EXPECT_EQ(finger.capturedView(), slider);
    finger.touchUp({screenX(150), 200 - 10});
}
