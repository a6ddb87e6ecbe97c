// The desktop mouse as a finger: window pixels become screen points at the window's scale, and the
// motions between two polls reach the touch as one move.
#include <gtest/gtest.h>

#include <memory>

#include "hosts/window/WindowPointer.h"
#include "platform/dispatch/Time.h"
#include "platform/ui/Control.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Window.h"

namespace {

class WindowPointerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone());
        window_ = ui::Window::create(ui::Screen::main()->bounds());
        window_->makeKeyAndVisible();
        slider_ = ui::Slider::create({20, 100, 300, 31});
        slider_->setMaximumValue(100);
        slider_->setValue(0);
        window_->addSubview(slider_);
        window_->layoutIfNeeded();
        count(ui::ControlEvents::ValueChanged, changes_);
        count(ui::ControlEvents::TouchUpInside | ui::ControlEvents::TouchUpOutside, releases_);
        count(ui::ControlEvents::TouchCancel, cancels_);
    }
    void TearDown() override { window_->setHidden(true); }

    void count(ui::ControlEvents events, int& counter) {
        slider_->addAction(ui::Action::create({}, nullptr, [&counter](ui::Action&) { ++counter; }),
                           events);
    }

    dispatch::ManualClock clock_;
    std::shared_ptr<ui::Window> window_;
    std::shared_ptr<ui::Slider> slider_;
    int changes_ = 0;
    int releases_ = 0;
    int cancels_ = 0;
};

}  // namespace

TEST_F(WindowPointerTest, PixelsOfAScaledWindowAreScreenPointsAndMovesWaitForTheFlush) {
    // At scale 2 the thumb at the slider's left end (about x 35, y 115 in points) is at twice
    // those pixels; at scale 1 the same pixels would miss the slider altogether.
    WindowPointer pointer(2.0);
    pointer.press(70, 230);
    ASSERT_TRUE(pointer.isDown());

    // Many motions between two polls: the slider sees none of them until the flush, and then
    // only where the mouse ended up (the middle of the track, x 170 points).
    pointer.move(120, 230);
    pointer.move(200, 231);
    pointer.move(340, 232);
    EXPECT_EQ(slider_->value(), 0.0f);
    EXPECT_EQ(changes_, 0);
    pointer.flush();
    EXPECT_NEAR(slider_->value(), 50.0f, 6.0f);
    EXPECT_EQ(changes_, 1);
    pointer.flush();
    EXPECT_EQ(changes_, 1);

    // The release moves the finger to where the button came up (past the track's right end,
    // beyond the last motion) before lifting it.
    pointer.move(500, 232);
    pointer.release(700, 232);
    EXPECT_FALSE(pointer.isDown());
    EXPECT_EQ(slider_->value(), 100.0f);
    EXPECT_EQ(releases_, 1);
    pointer.release(700, 232);
    pointer.move(80, 232);
    pointer.flush();
    EXPECT_EQ(releases_, 1);
    EXPECT_EQ(slider_->value(), 100.0f);
}

TEST_F(WindowPointerTest, ACancelledPressEndsTheTouchAndAPressOnNothingHoldsNoFinger) {
    WindowPointer pointer(1.0);
    pointer.press(35, 115);
    pointer.move(170, 115);
    pointer.cancel();
    EXPECT_FALSE(pointer.isDown());
    EXPECT_EQ(cancels_, 1);
    // The motion held back at the cancel never arrives.
    pointer.flush();
    EXPECT_EQ(changes_, 0);

    // Below every view: no touch starts, so later motion and release do nothing.
    slider_->removeFromSuperview();
    window_->setHidden(true);
    pointer.press(35, 115);
    EXPECT_FALSE(pointer.isDown());
    pointer.release(35, 115);
    EXPECT_EQ(releases_, 0);
}
