#include <gtest/gtest.h>
#include <cmath>

#include "ControlsTestSupport.h"
#include "platform/ui/Switch.h"
#include "platform/ui/Touch.h"

using base::Point;
using base::Rect;

TEST_F(ControlsTest, DragOnStockSliderTracksBeginContinueEndAndSendsValueChanged) {
    auto slider = std::make_shared<TraceSlider>(Rect{20, 100, 200, 31});
    window->addSubview(slider);
    auto counter = std::make_shared<ActionCounter>();
    slider->addTarget(counter, ActionCounter::kChanged.selector(), ui::ControlEvents::ValueChanged);
    slider->addTarget(counter, ActionCounter::kTapped.selector(), ui::ControlEvents::TouchUpInside);
    step();

    // The thumb of value 0 sits half a thumb in from the left end of the track.
    ASSERT_TRUE(finger.touchDown({20 + 14, 115}));
    EXPECT_TRUE(slider->isTracking());
    EXPECT_TRUE(slider->isHighlighted());
    EXPECT_EQ(counter->changed, 0) << "grabbing the thumb does not move it";
    runUntilSeconds(0.1);
    finger.touchMove({120, 118});
    const float middle = slider->value();
    EXPECT_GT(middle, 0.4f);
    EXPECT_LT(middle, 0.6f);
    // Past the end, within the slop: the value stops at the maximum.
    finger.touchMove({260, 118});
    finger.touchUp({260, 118});

    EXPECT_EQ(slider->calls, (std::vector<std::string>{"begin", "continue", "continue", "end"}));
    EXPECT_FLOAT_EQ(slider->value(), 1.0f);
    EXPECT_EQ(counter->changed, 2);
    EXPECT_EQ(counter->lastSender, slider.get());
    EXPECT_EQ(counter->tapped, 1);
    EXPECT_FALSE(slider->isTracking());
    EXPECT_FALSE(slider->isHighlighted());

    // A press beside the thumb jumps it there first; setting the value from code sends nothing.
    slider->setValue(0.0f);
    EXPECT_EQ(counter->changed, 2);
    ASSERT_TRUE(finger.touchDown({200, 115}));
    EXPECT_GT(slider->value(), 0.8f);
    EXPECT_EQ(counter->changed, 3);
    finger.touchUp({200, 115});
}

TEST_F(ControlsTest, TouchThatLeavesTheControlAndEndsOutsideSendsNoTouchUpInside) {
    auto control = ui::Control::create(Rect{100, 300, 100, 44});
    window->addSubview(control);
    EventLog log;
    log.attach(*control);

    ASSERT_TRUE(finger.touchDown({150, 320}));
    finger.touchMove({150, 320 + 44 + ui::Control::kTouchSlop + 5});
    EXPECT_FALSE(control->isHighlighted());
    finger.touchUp({150, 320 + 44 + ui::Control::kTouchSlop + 5});
    EXPECT_EQ(log.names, (std::vector<std::string>{"down", "exit", "upOutside"}));

    // Leaving and coming back before the lift still counts as inside.
    log.names.clear();
    ASSERT_TRUE(finger.touchDown({150, 320}));
    finger.touchMove({150, 500});
    finger.touchMove({160, 330});
    EXPECT_TRUE(control->isHighlighted());
    finger.touchUp({160, 330});
    EXPECT_EQ(log.names, (std::vector<std::string>{"down", "exit", "enter", "upInside"}));
}

TEST_F(ControlsTest, CancelledTouchEndsTrackingWithoutTouchUp) {
    auto slider = std::make_shared<TraceSlider>(Rect{20, 100, 200, 31});
    window->addSubview(slider);
    EventLog log;
    log.attach(*slider);
    step();

    ASSERT_TRUE(finger.touchDown({34, 115}));
    finger.touchMove({90, 115});
    finger.touchCancel();
    EXPECT_EQ(slider->calls, (std::vector<std::string>{"begin", "continue", "cancel"}));
    EXPECT_FALSE(slider->isTracking());
    EXPECT_FALSE(slider->isHighlighted());
    EXPECT_EQ(log.count("cancel"), 1);
    EXPECT_EQ(log.count("upInside") + log.count("upOutside"), 0);

    // The next touch starts a fresh track.
    slider->calls.clear();
    ASSERT_TRUE(finger.touchDown({34, 115}));
    finger.touchUp({34, 115});
    EXPECT_EQ(slider->calls, (std::vector<std::string>{"begin", "end"}));
}

TEST_F(ControlsTest, DisabledControlsLetTouchesThroughAndDisablingMidPressCancels) {
    auto behind = ui::Control::create(Rect{0, 200, 300, 100});
    auto front = ui::Control::create(Rect{50, 220, 100, 44});
    window->addSubview(behind);
    window->addSubview(front);
    EventLog backLog, frontLog;
    backLog.attach(*behind);
    frontLog.attach(*front);

    front->setEnabled(false);
    ASSERT_TRUE(finger.touchDown({60, 230}));
    EXPECT_EQ(finger.capturedView(), behind);
    finger.touchUp({60, 230});
    EXPECT_TRUE(frontLog.names.empty());

    front->setEnabled(true);
    ASSERT_TRUE(finger.touchDown({60, 230}));
    front->setEnabled(false);
    EXPECT_FALSE(front->isHighlighted());
    finger.touchUp({60, 230});
    EXPECT_EQ(frontLog.names, (std::vector<std::string>{"down", "cancel"}));
}

TEST_F(ControlsTest, HitTestingHappensOnceAtTouchDownAndPointInsideIsOverridable) {
    auto left = ui::Control::create(Rect{0, 400, 100, 40});
    auto right = ui::Control::create(Rect{100, 400, 100, 40});
    window->addSubview(left);
    window->addSubview(right);
    EventLog leftLog;
    leftLog.attach(*left);

    ASSERT_TRUE(finger.touchDown({50, 420}));
    finger.touchMove({150, 420});  // over the other control: the touch stays with the first
    finger.touchUp({150, 420});
    EXPECT_EQ(leftLog.names, (std::vector<std::string>{"down", "upInside"}));

    // A hook on pointInside:withEvent: widens what the left control claims.
    static bool (*previous)(runtime::Object*, runtime::SEL, Point, ui::Event*) = nullptr;
    static const ui::View* widened = nullptr;
    widened = left.get();
    ScopedHook hook(
        "UIControl", ui::View::kPointInside.selector(),
        +[](runtime::Object* self, runtime::SEL cmd, Point p, ui::Event* e) {
            if (self == widened) return p.y >= -20 && p.y < 60 && p.x >= 0 && p.x < 100;
            return previous(self, cmd, p, e);
        },
        &previous);
    ASSERT_TRUE(hook.installed());
    ASSERT_TRUE(finger.touchDown({50, 395}));
    EXPECT_EQ(finger.capturedView(), left);
    finger.touchUp({50, 395});
}

TEST_F(ControlsTest, SwitchTogglesOnTapAndOnDragOnlyForTheUser) {
    auto toggle = ui::Switch::create(Rect{40, 500, 0, 0});
    window->addSubview(toggle);
    EXPECT_EQ(toggle->frame().size, ui::Switch::kSize);
    EventLog log;
    log.attach(*toggle);
    step();

    toggle->setOn(true, false);
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(log.count("changed"), 0) << "code that sets the value sends nothing";

    ASSERT_TRUE(finger.tap({60, 515}));
    EXPECT_FALSE(toggle->isOn());
    EXPECT_EQ(log.count("changed"), 1);

    // A drag to the right end turns it on; one that goes back to where it started does not.
    ASSERT_TRUE(finger.touchDown({52, 515}));
    finger.touchMove({70, 515});
    finger.touchMove({90, 515});
    finger.touchUp({90, 515});
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(log.count("changed"), 2);
    ASSERT_TRUE(finger.touchDown({80, 515}));
    finger.touchMove({60, 515});
    finger.touchMove({85, 515});
    finger.touchUp({85, 515});
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(log.count("changed"), 2);

    // A cancelled tap leaves it as it was.
    ASSERT_TRUE(finger.touchDown({60, 515}));
    finger.touchCancel();
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(log.count("changed"), 2);
}

TEST_F(ControlsTest, SliderRangeChangesReclampWithoutNotifying) {
    auto slider = ui::Slider::create(Rect{0, 0, 200, 31});
    EventLog log;
    log.attach(*slider);
    slider->setMaximumValue(50);
    slider->setValue(40);
    slider->setMaximumValue(30);
    EXPECT_FLOAT_EQ(slider->value(), 30);
    slider->setMinimumValue(60);  // above the maximum: both move up
    EXPECT_FLOAT_EQ(slider->maximumValue(), 60);
    EXPECT_FLOAT_EQ(slider->value(), 60);
    slider->setValue(std::nanf(""));
    EXPECT_FLOAT_EQ(slider->value(), 60);
    EXPECT_TRUE(log.names.empty());
    // An empty range maps every point to the minimum.
    EXPECT_FLOAT_EQ(slider->valueForThumbCenterX(150), 60);
}
