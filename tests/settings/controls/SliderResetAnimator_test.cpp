// The slider reset animation: its values over time, its label, replacing a running one, and
// ending when the slider goes away.
#include <cmath>

#include "platform/ui/Label.h"
#include "settings/controls/LGSliderResetAnimator.h"
#include "settings/controls/QVQuorvaneLiquidSlider.h"
#include "tests/settings/controls/ControlsTestFixture.h"

namespace {

class SliderResetAnimation : public GlassControlsTest {
  protected:
    void SetUp() override {
        GlassControlsTest::SetUp();
        slider = QVQuorvaneLiquidSlider::create({20, 200, 300, 44});
        slider->setMinimumValue(0);
        slider->setMaximumValue(50);
        slider->setValue(10);
        label = ui::Label::create();
        window->addSubview(slider);
        window->addSubview(label);
        log.attach(*slider);
    }

    std::shared_ptr<QVQuorvaneLiquidSlider> slider;
    std::shared_ptr<ui::Label> label;
    ControlEventLog log;
};

}  // namespace

TEST_F(SliderResetAnimation, EasesOutOverItsDurationAndDetachesAtTheEnd) {
    EXPECT_DOUBLE_EQ(LGSliderResetAnimator::valueAtElapsed(10, 20, 0.21), 18.75);
    EXPECT_DOUBLE_EQ(LGSliderResetAnimator::valueAtElapsed(10, 20, -1), 10);
    EXPECT_DOUBLE_EQ(LGSliderResetAnimator::valueAtElapsed(10, 20, 5), 20);

    // Started between refreshes so that one falls exactly half-way through.
    runUntilSeconds(0.04);
    auto animator = LGSliderResetAnimator::start(slider, label, 10, 20, 2);
    ASSERT_TRUE(animator);
    EXPECT_EQ(LGSliderResetAnimator::attachedTo(*slider), animator);
    EXPECT_TRUE(animator->displayLink());
    runUntilSeconds(0.25);
    EXPECT_NEAR(slider->value(), 18.75f, 1e-4);
    EXPECT_EQ(label->text(), "18.75");

    runUntilSeconds(0.04 + 0.45);
    EXPECT_FLOAT_EQ(slider->value(), 20);
    EXPECT_EQ(label->text(), "20.00");
    EXPECT_EQ(LGSliderResetAnimator::attachedTo(*slider), nullptr);
    EXPECT_EQ(animator->displayLink(), nullptr);
    EXPECT_EQ(log.count("changed"), 0) << "a reset sets values; it is not the user's change";
    // The liquid slider's thumb followed without its own animation.
    EXPECT_DOUBLE_EQ(slider->renderedThumbCenterX(), slider->thumbCenterXForValue(20));
}

TEST_F(SliderResetAnimation, StartingAgainStopsTheRunningOne) {
    auto first = LGSliderResetAnimator::start(slider, label, 10, 40, 0);
    ASSERT_TRUE(first);
    auto link = first->displayLink();
    runUntilSeconds(0.1);
    auto second = LGSliderResetAnimator::start(slider, nullptr, slider->value(), 0, 0);
    ASSERT_TRUE(second);
    EXPECT_FALSE(link->isValid());
    EXPECT_EQ(LGSliderResetAnimator::attachedTo(*slider), second);
    const std::string shown = label->text();
    runUntilSeconds(1);
    EXPECT_FLOAT_EQ(slider->value(), 0);
    EXPECT_EQ(label->text(), shown) << "the stopped animation no longer labels";

    EXPECT_EQ(LGSliderResetAnimator::start(nullptr, label, 0, 1, 0), nullptr);
    EXPECT_EQ(LGSliderResetAnimator::start(slider, label, 0, std::nan(""), 0), nullptr);
}

TEST_F(SliderResetAnimation, EndsWhenTheSliderGoesAway) {
    std::weak_ptr<LGSliderResetAnimator> animator =
        LGSliderResetAnimator::start(slider, label, 10, 40, 1);
    auto link = animator.lock()->displayLink();
    frames(2);
    slider->removeFromSuperview();
    slider.reset();
    frames(1);
    EXPECT_FALSE(link->isValid());
    EXPECT_TRUE(animator.expired());
}
