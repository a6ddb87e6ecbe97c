// The glass switch under synthesised touches: taps, drags, edge toggles, touches that end
// outside, changes from code, and its display link's life.
#include <algorithm>
#include <cmath>

#include "platform/ui/DisplayLink.h"
#include "platform/ui/FeedbackGenerator.h"
#include "settings/controls/LGSharedGlassView.h"
#include "settings/controls/QVQuorvaneLiquidSwitch.h"
#include "tests/settings/controls/ControlsTestFixture.h"

namespace {

// The switch sits at (100, 300), 63 × 28; its thumb travels from x 20 to 43 in its own
// coordinates (120…143 on screen).
constexpr double kLeft = 100;
constexpr double kY = 314;
constexpr double kOff = 20;
constexpr double kOn = 43;

class LiquidSwitch : public GlassControlsTest {
  protected:
    void SetUp() override {
        GlassControlsTest::SetUp();
        control = QVQuorvaneLiquidSwitch::create({kLeft, 300, 10, 10});
        window->addSubview(control);
        log.attach(*control);
        frames(1);
    }
    void TearDown() override {
        control.reset();
        GlassControlsTest::TearDown();
    }

    static base::Point at(double switchX, double dy = 0) { return {kLeft + switchX, kY + dy}; }
    // Presses at `from`, waits past the tap time, then moves to each x in turn.
    void drag(double from, std::initializer_list<double> to) {
        ASSERT_TRUE(finger.touchDown(at(from)));
        runUntilSeconds(elapsed() + 0.2);
        for (double x : to) {
            finger.touchMove(at(x));
            frames(1);
        }
    }
    bool settle() {
        return framesUntil([&] { return control->displayLink() == nullptr; }) < 300;
    }

    std::shared_ptr<QVQuorvaneLiquidSwitch> control;
    ControlEventLog log;
};

}  // namespace

TEST_F(LiquidSwitch, SizeAndGeometry) {
    EXPECT_EQ(control->frame().size, (base::Size{63, 28}));
    EXPECT_EQ(control->intrinsicContentSize(), (base::Size{63, 28}));
    EXPECT_EQ(control->sizeThatFits({200, 200}), (base::Size{63, 28}));
    EXPECT_EQ(control->minimumThumbCenterX(), kOff);
    EXPECT_EQ(control->maximumThumbCenterX(), kOn);
    // Nine points past an end the thumb goes three.
    EXPECT_DOUBLE_EQ(control->rubberBandedThumbCenterXForValue(kOn + 9), kOn + 3);
    EXPECT_DOUBLE_EQ(control->rubberBandedThumbCenterXForValue(kOff - 9), kOff - 3);
    EXPECT_TRUE(control->pointInside({-9, -9}, nullptr));
    EXPECT_FALSE(control->pointInside({-11, 5}, nullptr));
}

TEST_F(LiquidSwitch, TapFlipsOnceKeepsTheGlassAndContractsAfterTheDelay) {
    ASSERT_TRUE(finger.touchDown(at(31)));
    EXPECT_EQ(control->targetExpansion(), 1);
    EXPECT_TRUE(control->displayLink());
    runUntilSeconds(elapsed() + 0.05);
    const double released = elapsed();
    finger.touchUp(at(31));
    EXPECT_TRUE(control->isOn());
    EXPECT_EQ(log.count("changed"), 1);
    EXPECT_EQ(ui::ImpactFeedbackGenerator::recordedImpacts().size(), 1u);
    EXPECT_TRUE(control->pendingTapAutoContract());

    runUntilSeconds(released + 0.21);
    EXPECT_EQ(control->targetExpansion(), 1) << "the glass stays for 0.22 s";
    runUntilSeconds(released + 0.23);
    EXPECT_EQ(control->targetExpansion(), 0);
    EXPECT_FALSE(control->pendingTapAutoContract());
    ASSERT_TRUE(settle());
    EXPECT_EQ(control->renderedProgress(), 1);
    EXPECT_EQ(control->renderedExpansion(), 0);
    EXPECT_TRUE(control->glassThumbView()->isHidden());
    EXPECT_EQ(log.count("changed"), 1);
}

TEST_F(LiquidSwitch, SecondTapKeepsTheGlassForItsOwnDelay) {
    // Regression: the first tap's contraction fired 0.22 s after the first tap, cutting the
    // second tap's glass short.
    ASSERT_TRUE(finger.tap(at(31), 0.05));
    runUntilSeconds(elapsed() + 0.1);
    const double second = elapsed() + 0.05;
    ASSERT_TRUE(finger.tap(at(31), 0.05));
    EXPECT_FALSE(control->isOn());
    EXPECT_EQ(log.count("changed"), 2);
    runUntilSeconds(second + 0.2);
    EXPECT_EQ(control->targetExpansion(), 1);
    runUntilSeconds(second + 0.23);
    EXPECT_EQ(control->targetExpansion(), 0);
}

TEST_F(LiquidSwitch, DragReleasedPastTheMiddleLandsOnTheNearerSide) {
    drag(kOff, {kOff + 8, kOff + 15});
    EXPECT_TRUE(control->isDragging());
    EXPECT_NEAR(control->renderedProgress(), 15.0 / 23, 1e-9) << "the thumb follows the finger";
    EXPECT_FALSE(control->isOn()) << "no toggle before an end";
    finger.touchUp(at(kOff + 15));
    EXPECT_TRUE(control->isOn());
    EXPECT_EQ(log.count("changed"), 1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(control->renderedProgress(), 1);

    // And back: from on, let go a little left of the middle.
    drag(kOn, {kOn - 7, kOn - 13});
    finger.touchUp(at(kOn - 13));
    EXPECT_FALSE(control->isOn());
    EXPECT_EQ(log.count("changed"), 2);
    ASSERT_TRUE(settle());

    // Let go short of the middle: nothing changes, nothing is sent.
    drag(kOff, {kOff + 9});
    finger.touchUp(at(kOff + 9));
    EXPECT_FALSE(control->isOn());
    EXPECT_EQ(log.count("changed"), 2);
}

TEST_F(LiquidSwitch, ReachingAnEndTogglesAtOnceWithOneEventAndOneTap) {
    drag(kOff, {kOff + 10, kOn - 4});
    EXPECT_TRUE(control->isOn()) << "within 5 points of the end";
    EXPECT_EQ(log.count("changed"), 1);
    EXPECT_EQ(ui::ImpactFeedbackGenerator::recordedImpacts().size(), 1u);
    // Past the end and back a little: no second toggle.
    finger.touchMove(at(kOn + 20));
    finger.touchMove(at(kOn - 2));
    finger.touchUp(at(kOn - 2));
    EXPECT_TRUE(control->isOn());
    EXPECT_EQ(log.count("changed"), 1);

    // Out to the far end and back in one drag toggles twice, one event each.
    log.names.clear();
    drag(kOn, {kOff + 2, kOn});
    finger.touchUp(at(kOn));
    EXPECT_TRUE(control->isOn());
    EXPECT_EQ(log.count("changed"), 2);
}

TEST_F(LiquidSwitch, QuickFlickToTheEndTogglesOnlyOnce) {
    // Regression: a flick shorter than a tap toggled at the end, then counted as a tap on
    // release and flipped straight back, sending two events for no change.
    ASSERT_TRUE(finger.touchDown(at(kOff)));
    runUntilSeconds(elapsed() + 0.03);
    finger.touchMove(at(kOn));
    EXPECT_TRUE(control->isOn());
    runUntilSeconds(elapsed() + 0.03);
    finger.touchUp(at(kOn));
    EXPECT_TRUE(control->isOn());
    EXPECT_EQ(log.count("changed"), 1);
}

TEST_F(LiquidSwitch, TouchEndingOutsideRestoresTheValueUnlessTheDragToggled) {
    drag(kOff, {kOff + 10});
    finger.touchMove(at(kOff + 10, 60));
    finger.touchUp(at(kOff + 10, 60));
    EXPECT_FALSE(control->isOn());
    EXPECT_EQ(control->targetProgress(), 0);
    EXPECT_EQ(log.count("changed"), 0);

    // A quick tap whose finger slid off before lifting does not flip.
    ASSERT_TRUE(finger.touchDown(at(31)));
    finger.touchUp(at(31, 40));
    EXPECT_FALSE(control->isOn());
    EXPECT_EQ(log.count("changed"), 0);

    drag(kOff, {kOn});
    finger.touchMove(at(kOn, 60));
    finger.touchUp(at(kOn, 60));
    EXPECT_TRUE(control->isOn());
    EXPECT_EQ(control->targetProgress(), 1);
    EXPECT_EQ(log.count("changed"), 1);
}

TEST_F(LiquidSwitch, CancelledTouchReturnsToTheValueWithoutEvents) {
    drag(kOff, {kOff + 15});
    finger.touchCancel();
    EXPECT_FALSE(control->isOn());
    EXPECT_FALSE(control->isPressed());
    EXPECT_EQ(control->targetProgress(), 0);
    EXPECT_EQ(control->targetExpansion(), 0);
    EXPECT_EQ(log.count("changed"), 0);
    EXPECT_TRUE(settle());
}

TEST_F(LiquidSwitch, ValueFromCodeSendsNothing) {
    control->setOn(true);
    EXPECT_TRUE(control->isOn());
    EXPECT_EQ(control->renderedProgress(), 1) << "without animation the thumb is there at once";
    EXPECT_EQ(control->renderedFillAlpha(), 1);
    EXPECT_EQ(control->displayLink(), nullptr);

    // Animated, the thumb swells into glass and settles back.
    control->setOn(false, true);
    EXPECT_FALSE(control->isOn());
    EXPECT_EQ(control->targetExpansion(), 1);
    EXPECT_TRUE(control->displayLink());
    EXPECT_TRUE(settle());
    EXPECT_EQ(control->renderedProgress(), 0);
    EXPECT_EQ(control->renderedExpansion(), 0);
    EXPECT_EQ(control->renderedFillAlpha(), 0);

    // The same value again does not swell the thumb.
    control->setOn(false, true);
    EXPECT_EQ(control->displayLink(), nullptr);
    EXPECT_EQ(log.count("changed"), 0);
}

TEST_F(LiquidSwitch, DisplayLinkStopsWhenIdleAndNothingIsDrawn) {
    ASSERT_TRUE(finger.tap(at(31), 0.05));
    ASSERT_TRUE(settle());
    const auto ticks = ui::DisplayLink::totalTickCount();
    const auto drawn = control->glassThumbView()->surfaceView()->presentedFrameCount();
    EXPECT_GT(drawn, 0u) << "the glass drew while it was shown";
    frames(60);
    EXPECT_EQ(ui::DisplayLink::totalTickCount(), ticks);
    EXPECT_EQ(control->glassThumbView()->surfaceView()->presentedFrameCount(), drawn);

    // Out of its window it makes no link at all.
    control->removeFromSuperview();
    control->setOn(false, true);
    EXPECT_EQ(control->displayLink(), nullptr);
}

TEST_F(LiquidSwitch, DeallocWritesOneConsoleLine) {
    ::testing::internal::CaptureStderr();
    control->removeFromSuperview();
    control.reset();
    const std::string out = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(out.rfind("[Quorvane][Settings] switch dealloc self=", 0), 0u) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
}
