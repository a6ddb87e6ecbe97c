#include "settings/controls/LGSliderResetAnimator.h"

#include <algorithm>
#include <cmath>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "settings/model/LGSettingsItems.h"
#include "support/LGSharedSupport.h"

QV_DEFINE_CLASS(LGSliderResetAnimator, "LGSliderResetAnimator");

namespace {

// The slider's running animation lives here, strongly.
char kAnimatorKey;

}  // namespace

std::shared_ptr<LGSliderResetAnimator> LGSliderResetAnimator::start(
    const std::shared_ptr<ui::Slider>& slider, const std::shared_ptr<ui::Label>& valueLabel,
    double startValue, double targetValue, int64_t decimals) {
    LGAssertMainThread();
    if (!slider || !std::isfinite(startValue) || !std::isfinite(targetValue)) return nullptr;
    if (auto running = attachedTo(*slider)) running->stop();

    auto animator = std::make_shared<LGSliderResetAnimator>();
    animator->slider_ = slider;
    animator->valueLabel_ = valueLabel;
    animator->startTime_ = dispatch::now();
    animator->startValue_ = startValue;
    animator->targetValue_ = targetValue;
    animator->decimals_ = decimals;
    // The link's callback holds the animator, so an animator whose slider died still gets the
    // tick that notices and invalidates the link (which lets go of the callback and so of it).
    animator->displayLink_ =
        ui::DisplayLink::create([animator](ui::DisplayLink& link) { animator->tick(link); });
    animator->displayLink_->addToRunLoop(dispatch::RunLoop::main(), dispatch::Mode::Common);
    runtime::setAttachedValue(slider.get(), &kAnimatorKey, animator);
    return animator;
}

std::shared_ptr<LGSliderResetAnimator> LGSliderResetAnimator::attachedTo(const ui::Slider& slider) {
    return runtime::attachedValue<LGSliderResetAnimator>(&slider, &kAnimatorKey);
}

double LGSliderResetAnimator::valueAtElapsed(double startValue, double targetValue,
                                             double elapsed) {
    const double t = std::clamp(elapsed / kDuration, 0.0, 1.0);
    const double eased = 1 - std::pow(1 - t, 3);
    return startValue + (targetValue - startValue) * eased;
}

void LGSliderResetAnimator::stop() {
    if (displayLink_) displayLink_->invalidate();
    displayLink_.reset();
}

void LGSliderResetAnimator::tick(ui::DisplayLink&) {
    const std::shared_ptr<ui::Slider> slider = slider_.lock();
    if (!slider) {
        stop();
        return;
    }
    // Keeps this animator alive while it detaches itself below.
    const auto self = std::static_pointer_cast<LGSliderResetAnimator>(shared_from_this());
    const double elapsed = dispatch::now() - startTime_;
    const double value = valueAtElapsed(startValue_, targetValue_, elapsed);
    slider->setValue(float(value));
    if (auto label = valueLabel_.lock()) label->setText(LGFormatSliderValue(decimals_, value));
    if (elapsed >= kDuration) {
        stop();
        if (attachedTo(*slider) == self)
            runtime::setAttachedValue(slider.get(), &kAnimatorKey, nullptr);
    }
}
