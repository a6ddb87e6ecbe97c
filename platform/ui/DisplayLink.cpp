#include "platform/ui/DisplayLink.h"

#include <atomic>

#include <algorithm>
#include <cmath>

#include "platform/ui/Screen.h"
#include "platform/ui/detail/FrameGrid.h"

namespace ui {

QV_DEFINE_CLASS(DisplayLink, "CADisplayLink");

namespace {
int screenRate() {
    return std::max(Screen::main()->maximumFramesPerSecond(), 1);
}
}  // namespace

DisplayLink::DisplayLink(Callback callback)
    : callback_(std::make_shared<const Callback>(std::move(callback))) {}

std::shared_ptr<DisplayLink> DisplayLink::create(Callback callback) {
    if (!callback) return nullptr;
    return std::make_shared<DisplayLink>(std::move(callback));
}

int DisplayLink::step() const {
    const int max = screenRate();
    if (preferred_ <= 0 || preferred_ >= max) return 1;
    return std::max(1, int(std::lround(double(max) / preferred_)));
}

int DisplayLink::framesPerSecond() const {
    return std::max(1, screenRate() / step());
}

double DisplayLink::duration() const {
    return 1.0 / screenRate();
}

void DisplayLink::addToRunLoop(dispatch::RunLoop& loop, dispatch::Mode mode) {
    if (!valid_) return;
    if (!timer_) {
        std::shared_ptr<DisplayLink> self = runtime::retained(this);
        if (!self) return;
        // The timer's callback owns the link: the loop keeps a scheduled link alive.
        timer_ = dispatch::RunLoopTimer::create(
            dispatch::kNever, dispatch::kNanosPerSecond,
            [self](dispatch::RunLoopTimer&, dispatch::Nanos scheduled) { self->tick(scheduled); });
        scheduleNext();
    }
    loop.addTimer(timer_, mode);
}

void DisplayLink::invalidate() {
    if (!valid_) return;
    valid_ = false;
    callback_ = nullptr;
    if (timer_) {
        std::shared_ptr<dispatch::RunLoopTimer> timer = std::move(timer_);
        timer->invalidate();
    }
}

void DisplayLink::setPaused(bool paused) {
    if (paused == paused_) return;
    paused_ = paused;
    scheduleNext();
}

void DisplayLink::setPreferredFramesPerSecond(int fps) {
    fps = std::max(fps, 0);
    if (fps == preferred_) return;
    preferred_ = fps;
    scheduleNext();
}

void DisplayLink::scheduleNext() {
    if (!timer_ || !valid_) return;
    if (paused_) {
        timer_->setFireTime(dispatch::kNever);
        return;
    }
    const int fps = screenRate();
    const std::int64_t next = detail::nextFrameAfter(dispatch::nowNanos(), fps, step());
    timer_->setFireTime(detail::frameTime(next, fps));
}

namespace {
std::atomic<std::uint64_t> gTotalTicks{0};
}  // namespace

std::uint64_t DisplayLink::totalTickCount() {
    return gTotalTicks.load(std::memory_order_relaxed);
}

void DisplayLink::tick(dispatch::Nanos scheduled) {
    if (!valid_ || paused_) return;
    timestamp_ = dispatch::secondsFromNanos(scheduled);
    // Schedule the next tick before the callback runs: the callback may pause, re-rate or
    // invalidate the link, and that must win.
    const int fps = screenRate();
    const std::int64_t next =
        detail::nextFrameAfter(std::max(scheduled, dispatch::nowNanos()), fps, step());
    targetTimestamp_ = dispatch::secondsFromNanos(detail::frameTime(next, fps));
    timer_->setFireTime(detail::frameTime(next, fps));
    std::shared_ptr<DisplayLink> keep = runtime::retained(this);
    gTotalTicks.fetch_add(1, std::memory_order_relaxed);
    if (std::shared_ptr<const Callback> callback = callback_) (*callback)(*this);
}

}  // namespace ui
