#include "platform/ui/detail/AnimationDriver.h"

#include <algorithm>
#include <functional>

#include "platform/dispatch/RunLoop.h"
#include "platform/ui/Layer.h"

namespace ui::detail {

namespace {
// The timer's own repeat interval never matters: every firing sets the next fire time.
constexpr dispatch::Nanos kIdleInterval = 3600 * dispatch::kNanosPerSecond;
}  // namespace

AnimationDriver& AnimationDriver::shared() {
    // Never destroyed: layers may end animations while the process exits.
    static AnimationDriver* driver = new AnimationDriver();
    return *driver;
}

void AnimationDriver::track(const std::shared_ptr<Layer>& layer, dispatch::Nanos endNanos) {
    if (!layer) return;
    if (!layer->trackedByDriver_) {
        layer->trackedByDriver_ = true;
        layers_.push_back(layer);
    }
    armAt(endNanos);
}

void AnimationDriver::armAt(dispatch::Nanos when) {
    if (!timer_) {
        timer_ = dispatch::RunLoopTimer::create(
            dispatch::kNever, kIdleInterval,
            [this](dispatch::RunLoopTimer&, dispatch::Nanos) { fire(); });
        dispatch::RunLoop::main().addTimer(timer_, dispatch::Mode::Common);
    }
    if (when >= armedAt_) return;
    armedAt_ = when;
    timer_->setFireTime(when);
}

void AnimationDriver::fire() {
    const dispatch::Nanos now = dispatch::nowNanos();
    std::vector<std::function<void()>> stops;
    dispatch::Nanos next = dispatch::kNever;

    // Pass 1: end what is due on every watched layer and forget layers with nothing left.
    std::vector<std::weak_ptr<Layer>> watched = std::move(layers_);
    layers_.clear();
    for (auto& weak : watched) {
        std::shared_ptr<Layer> layer = weak.lock();
        if (!layer) continue;
        const dispatch::Nanos end = layer->finishDueAnimations(now, stops);
        if (end == dispatch::kNever) {
            layer->trackedByDriver_ = false;
        } else {
            next = std::min(next, end);
            layers_.push_back(std::move(weak));
        }
    }

    // Pass 2: re-arm before reporting, since stop callbacks may start new animations.
    armedAt_ = next;
    timer_->setFireTime(next);

    // Pass 3: report, in the order the layers and their animations were added.
    for (auto& stop : stops) stop();
}

}  // namespace ui::detail
