#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/ui/AnimatableValue.h"
#include "platform/ui/TimingFunction.h"

namespace ui {

// An animation of one layer property from one value to another over a stretch of media time.
//
// Adding it to a layer (Layer::addAnimation) copies it; the layer's model value is not touched:
// the animation only changes what the layer's presentation layer shows while it runs. Before its
// begin time the presentation shows `fromValue`; once it ends it is removed and the presentation
// shows the model value again (unless removedOnCompletion is false: then it holds `toValue`
// until it is removed).
struct BasicAnimation {
    std::string keyPath;
    // Missing values mean the layer's model value: `fromValue` as it was when the animation was
    // added, `toValue` as it is at each moment.
    std::optional<AnimatableValue> fromValue;
    std::optional<AnimatableValue> toValue;
    // Media time in seconds at which the animation starts; 0 means when it is added.
    double beginTime = 0;
    double duration = 0.25;
    TimingFunction timingFunction = TimingFunction::linear();
    bool removedOnCompletion = true;
    // Whether views under the animation still take touches.
    bool allowsUserInteraction = false;
    // Called once on the main thread: with true when the animation reached its end, with false
    // when it was removed or replaced before that.
    std::function<void(bool finished)> didStop;

    double endTime() const { return beginTime + duration; }
};

}  // namespace ui
