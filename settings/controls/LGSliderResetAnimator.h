#pragma once

#include <cstdint>
#include <memory>

#include "platform/ui/DisplayLink.h"
#include "platform/ui/Label.h"
#include "platform/ui/Slider.h"

// Moves a slider (and the label that shows its value) back to a value over 0.42 s, easing out,
// when the settings page resets it. While it runs it is attached to its slider, which keeps it
// alive; it holds the slider and the label weakly and ends by itself when the time is up or the
// slider is gone. It sets values only: no event is sent and nothing is written.
//
// Main thread only.
class LGSliderResetAnimator : public runtime::Object {
    QV_OBJECT(LGSliderResetAnimator, runtime::Object);

  public:
    static constexpr double kDuration = 0.42;

    // Stops the animation already running on `slider` (if any) and starts one from `startValue`
    // to `targetValue`, labelled with `decimals` digits, driven by a display link on the main
    // run loop in the common modes. nullptr, starting nothing, for a null slider or a value that
    // is not a finite number.
    static std::shared_ptr<LGSliderResetAnimator> start(
        const std::shared_ptr<ui::Slider>& slider, const std::shared_ptr<ui::Label>& valueLabel,
        double startValue, double targetValue, int64_t decimals);
    // The animation running on `slider`; nullptr when none runs.
    static std::shared_ptr<LGSliderResetAnimator> attachedTo(const ui::Slider& slider);

    // The animated value `t` seconds after the start: start + (target − start) × (1 − (1 − u)³)
    // with u = t / 0.42 clamped to 0…1.
    static double valueAtElapsed(double startValue, double targetValue, double elapsed);

    std::shared_ptr<ui::Slider> slider() const { return slider_.lock(); }
    std::shared_ptr<ui::Label> valueLabel() const { return valueLabel_.lock(); }
    const std::shared_ptr<ui::DisplayLink>& displayLink() const { return displayLink_; }
    double startTime() const { return startTime_; }
    double startValue() const { return startValue_; }
    double targetValue() const { return targetValue_; }
    int64_t decimals() const { return decimals_; }

    // One frame: sets the slider and its label for now; at the end stops and detaches.
    void tick(ui::DisplayLink& link);

    LGSliderResetAnimator() = default;

  private:
    void stop();

    std::weak_ptr<ui::Slider> slider_;
    std::weak_ptr<ui::Label> valueLabel_;
    std::shared_ptr<ui::DisplayLink> displayLink_;
    double startTime_ = 0;
    double startValue_ = 0;
    double targetValue_ = 0;
    int64_t decimals_ = 0;
};
