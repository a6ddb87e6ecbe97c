#include <algorithm>
#include <cassert>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/Queue.h"
#include "platform/dispatch/Time.h"
#include "platform/ui/Layer.h"
#include "platform/ui/View.h"
#include "platform/ui/detail/ViewAnimationRecorder.h"

namespace ui {

namespace detail {

namespace {

// The completion of one animation block: it runs once every animation the block started has
// stopped, and only after the block itself returned.
class CompletionGroup {
  public:
    explicit CompletionGroup(std::function<void(bool)> completion)
        : completion_(std::move(completion)) {}

    void started() { ++pending_; }
    void stopped(bool finished) {
        allFinished_ = allFinished_ && finished;
        if (--pending_ == 0 && sealed_) fire();
    }
    // The block returned. With nothing started the completion still runs, on the next turn.
    void seal(const std::shared_ptr<CompletionGroup>& self) {
        sealed_ = true;
        if (pending_ == 0) dispatch::Queue::main()->async([self] { self->fire(); });
    }

  private:
    void fire() {
        if (auto completion = std::move(completion_)) {
            completion_ = nullptr;
            completion(allFinished_);
        }
    }

    std::function<void(bool)> completion_;
    int pending_ = 0;
    bool allFinished_ = true;
    bool sealed_ = false;
};

struct Transaction {
    double duration;
    double delay;
    AnimationOptions options;
    std::shared_ptr<CompletionGroup> group;
};

// Main thread only, like everything that sets view properties.
std::vector<Transaction>& openTransactions() {
    static std::vector<Transaction> stack;
    return stack;
}

int gDisabledDepth = 0;
bool gAnimationsEnabled = true;

TimingFunction curveFor(AnimationOptions options) {
    switch (curveOf(options)) {
        case 1:
            return TimingFunction::easeIn();
        case 2:
            return TimingFunction::easeOut();
        case 3:
            return TimingFunction::linear();
        default:
            return TimingFunction::easeInEaseOut();
    }
}

}  // namespace

// Layer internals the animation machinery of views needs.
struct LayerAccess {
    static void record(Layer& layer, LayerProperty property, const AnimatableValue& oldValue) {
        auto& open = openTransactions();
        if (open.empty() || gDisabledDepth > 0 || !gAnimationsEnabled) return;
        const Transaction& tx = open.back();
        if (!(tx.duration > 0)) return;

        const std::string_view key = keyPathFor(property);
        const AnimatableValue newValue = layer.modelValue(property);
        Layer::RunningAnimation* existing = nullptr;
        for (auto& r : layer.animations_) {
            if (r.key == key) existing = &r;
        }

        // The same block setting the property again retargets its own animation.
        if (existing != nullptr && existing->transaction == tx.group) {
            existing->animation.toValue = newValue;
            return;
        }

        Layer::RunningAnimation running;
        running.key = std::string(key);
        running.from = oldValue;
        if (hasOption(tx.options, AnimationOptions::BeginFromCurrentState) && existing != nullptr &&
            Layer::isActive(*existing, dispatch::nowNanos())) {
            running.from = layer.presentationValue(property);
        }
        BasicAnimation& a = running.animation;
        a.keyPath = std::string(key);
        a.fromValue = running.from;
        a.toValue = newValue;
        a.beginTime = dispatch::now() + std::max(tx.delay, 0.0);
        a.duration = tx.duration;
        a.timingFunction = curveFor(tx.options);
        a.allowsUserInteraction = hasOption(tx.options, AnimationOptions::AllowUserInteraction);
        a.didStop = [group = tx.group](bool finished) { group->stopped(finished); };
        running.transaction = tx.group;
        tx.group->started();
        layer.addRunningAnimation(std::move(running));
    }

    static bool blocksInteraction(const Layer& layer) {
        const dispatch::Nanos now = dispatch::nowNanos();
        return std::any_of(layer.animations_.begin(), layer.animations_.end(), [&](const auto& r) {
            return Layer::isActive(r, now) && !r.animation.allowsUserInteraction;
        });
    }
};

void recordViewAnimation(Layer& layer, LayerProperty property, const AnimatableValue& oldValue) {
    LayerAccess::record(layer, property, oldValue);
}

bool animationBlocksInteraction(const Layer& layer) {
    return LayerAccess::blocksInteraction(layer);
}

}  // namespace detail

void View::animate(double duration, double delay, AnimationOptions options,
                   const std::function<void()>& animations,
                   std::function<void(bool finished)> completion) {
    assert(dispatch::isMainThread() && "view animations start on the main thread");
    auto group = std::make_shared<detail::CompletionGroup>(std::move(completion));
    auto& open = detail::openTransactions();
    open.push_back(
        {std::isfinite(duration) ? duration : 0, std::isfinite(delay) ? delay : 0, options, group});
    if (animations) animations();
    open.pop_back();
    group->seal(group);
}

void View::animate(double duration, const std::function<void()>& animations,
                   std::function<void(bool finished)> completion) {
    animate(duration, 0, AnimationOptions::None, animations, std::move(completion));
}

void View::performWithoutAnimation(const std::function<void()>& actions) {
    ++detail::gDisabledDepth;
    if (actions) actions();
    --detail::gDisabledDepth;
}

bool View::isInsideAnimationBlock() {
    return !detail::openTransactions().empty() && detail::gDisabledDepth == 0 &&
           detail::gAnimationsEnabled;
}

bool View::areAnimationsEnabled() {
    return detail::gAnimationsEnabled;
}

void View::setAnimationsEnabled(bool enabled) {
    detail::gAnimationsEnabled = enabled;
}

}  // namespace ui
