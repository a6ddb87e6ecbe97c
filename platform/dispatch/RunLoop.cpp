#include "platform/dispatch/RunLoop.h"

#include <algorithm>
#include <chrono>

#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/detail/ClockControl.h"
#include "platform/dispatch/detail/Immortal.h"
#include "platform/dispatch/detail/TimeMath.h"
#include "platform/dispatch/detail/TimerScheduler.h"

namespace dispatch {

namespace {

constexpr std::uint8_t kDefaultBit = 1;
constexpr std::uint8_t kTrackingBit = 2;
constexpr std::uint8_t kEveryMode = 0xff;

std::uint8_t modesForAdding(Mode mode) {
    switch (mode) {
        case Mode::Default:
            return kDefaultBit;
        case Mode::Tracking:
            return kTrackingBit;
        case Mode::Common:
            return kEveryMode;
    }
    return kDefaultBit;
}

Mode runnableMode(Mode mode) {
    return mode == Mode::Tracking ? Mode::Tracking : Mode::Default;
}

std::uint8_t modesForRunning(Mode mode) {
    return runnableMode(mode) == Mode::Tracking ? kTrackingBit : kDefaultBit;
}

}  // namespace

// Records the mode of a run for currentMode(), and makes a stop() end only the run it hit.
struct RunLoop::RunScope {
    RunScope(RunLoop& loop, Mode mode) : loop(loop) {
        std::lock_guard lock(loop.mutex_);
        loop.runModes_.push_back(runnableMode(mode));
    }
    ~RunScope() {
        std::lock_guard lock(loop.mutex_);
        loop.runModes_.pop_back();
        loop.stopRequested_ = false;
    }
    RunLoop& loop;
};

RunLoop& RunLoop::main() {
    static detail::Immortal<RunLoop> loop;
    return loop.value;
}

void RunLoop::addTimer(const std::shared_ptr<RunLoopTimer>& timer, Mode mode) {
    if (!timer) return;
    std::lock_guard lock(mutex_);
    if (!timer->valid_) return;
    if (timer->modes_ == 0) {
        timer->sequence_ = nextTimerSequence_++;
        timers_.push_back(timer);
    }
    timer->modes_ |= modesForAdding(mode);
    wakeLocked();
}

void RunLoop::addSource(const std::shared_ptr<RunLoopSource>& source, Mode mode) {
    if (!source) return;
    std::lock_guard lock(mutex_);
    if (!source->valid_) return;
    if (source->modes_ == 0) sources_.push_back(source);
    source->modes_ |= modesForAdding(mode);
    wakeLocked();
}

void RunLoop::addObserver(const std::shared_ptr<RunLoopObserver>& observer, Mode mode) {
    if (!observer) return;
    std::lock_guard lock(mutex_);
    if (!observer->valid_) return;
    if (observer->modes_ == 0) {
        // After every observer of the same order: equal orders run in the order they came.
        auto at =
            std::upper_bound(observers_.begin(), observers_.end(), observer->order_,
                             [](int order, const auto& other) { return order < other->order_; });
        observers_.insert(at, observer);
    }
    observer->modes_ |= modesForAdding(mode);
}

bool RunLoop::runOnce(Mode mode) {
    if (!isMainThread()) return false;
    RunScope scope(*this, mode);
    return turn(modesForRunning(mode));
}

void RunLoop::runUntil(Nanos deadline, Mode mode) {
    if (!isMainThread()) return;
    RunScope scope(*this, mode);
    const std::uint8_t modes = modesForRunning(mode);
    for (;;) {
        const bool idle = runUntilIdle(modes);

        std::unique_lock lock(mutex_);
        if (stopRequested_) return;
        const Nanos now = nowNanos();
        if (now >= deadline) return;
        const bool manual = detail::manualClockActive();
        // Work that arrived since the last turn runs before any waiting. Under a manual clock a
        // loop that never went idle lets time move on instead.
        if ((idle || !manual) && hasReadyWorkLocked(modes, now)) continue;
        const Nanos nextTimer = nextTimerLocked(modes);

        if (manual) {
            // Nothing to wait for: time jumps to the next deadline. Moving the clock hands the
            // dispatch timers due by then to their queues before the next turn looks at them.
            lock.unlock();
            const Nanos next =
                std::min(nextTimer, detail::TimerScheduler::instance().nextDeadline());
            detail::advanceManualClockTo(std::clamp(next, now + 1, deadline));
            continue;
        }

        // Dispatch timers are handed out by the timer thread; their main-queue ticks arrive as
        // blocks and wake this wait like any other block.
        const Nanos wakeAt = std::min(nextTimer, deadline);
        const std::uint64_t seen = changes_;
        const auto woken = [&] { return stopRequested_ || changes_ != seen; };
        if (wakeAt == kNever) {
            wake_.wait(lock, woken);
        } else {
            wake_.wait_until(
                lock, std::chrono::steady_clock::time_point(std::chrono::nanoseconds(wakeAt)),
                woken);
        }
    }
}

void RunLoop::runFor(Nanos duration, Mode mode) {
    runUntil(detail::saturatingAdd(nowNanos(), std::max<Nanos>(duration, 0)), mode);
}

void RunLoop::stop() {
    std::lock_guard lock(mutex_);
    if (runModes_.empty()) return;
    stopRequested_ = true;
    wakeLocked();
}

Mode RunLoop::currentMode() const {
    std::lock_guard lock(mutex_);
    return runModes_.empty() ? Mode::Default : runModes_.back();
}

bool RunLoop::isRunning() const {
    std::lock_guard lock(mutex_);
    return !runModes_.empty();
}

void RunLoop::enqueueBlock(std::function<void()> block) {
    std::lock_guard lock(mutex_);
    mainQueue_.push_back(std::move(block));
    wakeLocked();
}

void RunLoop::wakeLocked() {
    ++changes_;
    wake_.notify_all();
}

bool RunLoop::runUntilIdle(std::uint8_t modes) {
    for (int turns = 0; turns < kMaxTurnsPerInstant; ++turns) {
        turn(modes);
        std::lock_guard lock(mutex_);
        if (stopRequested_ || !hasReadyWorkLocked(modes, nowNanos())) return true;
    }
    return false;
}

// Callbacks are copied out under the lock and called without it: they may add, change or
// invalidate items, queue blocks, or run the loop again.
bool RunLoop::turn(std::uint8_t modes) {
    bool ran = false;
    const auto invalid = [](const auto& item) { return !item->valid_; };

    // Pass 1: main-queue blocks, one at a time so that a nested run continues the same order.
    std::size_t count = 0;
    {
        std::lock_guard lock(mutex_);
        count = mainQueue_.size();
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::function<void()> block;
        {
            std::lock_guard lock(mutex_);
            if (mainQueue_.empty()) break;
            block = std::move(mainQueue_.front());
            mainQueue_.pop_front();
        }
        block();
        ran = true;
    }

    // Pass 2: due timers, earliest first. Each is re-checked before it fires, since an
    // earlier callback may have moved or invalidated it.
    const Nanos now = nowNanos();
    std::vector<std::shared_ptr<RunLoopTimer>> due;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(timers_, invalid);
        for (const auto& timer : timers_) {
            if ((timer->modes_ & modes) && timer->fireTime_ <= now) due.push_back(timer);
        }
        std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) {
            return a->fireTime_ != b->fireTime_ ? a->fireTime_ < b->fireTime_
                                                : a->sequence_ < b->sequence_;
        });
    }
    for (const auto& timer : due) {
        std::shared_ptr<RunLoopTimer::Callback> callback;
        Nanos scheduled = 0;
        {
            std::lock_guard lock(mutex_);
            if (!timer->valid_ || timer->fireTime_ > now) continue;
            scheduled = timer->fireTime_;
            callback = timer->callback_;
            if (timer->interval_ > 0) {
                timer->fireTime_ = detail::nextOnGrid(scheduled, timer->interval_, now);
            } else {
                timer->valid_ = false;
                timer->callback_ = nullptr;  // `callback` still holds it
            }
        }
        (*callback)(*timer, scheduled);
        ran = true;
    }

    // Pass 3: signalled sources.
    std::vector<std::shared_ptr<RunLoopSource>> signalled;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(sources_, invalid);
        for (const auto& source : sources_) {
            if ((source->modes_ & modes) && source->signalled_) {
                source->signalled_ = false;
                signalled.push_back(source);
            }
        }
    }
    for (const auto& source : signalled) {
        std::shared_ptr<RunLoopSource::Callback> callback;
        {
            std::lock_guard lock(mutex_);
            if (!source->valid_) continue;
            callback = source->callback_;
        }
        (*callback)();
        ran = true;
    }

    // Pass 4: observers, in order.
    std::vector<std::shared_ptr<RunLoopObserver>> observers;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(observers_, invalid);
        for (const auto& observer : observers_) {
            if (observer->modes_ & modes) observers.push_back(observer);
        }
    }
    for (const auto& observer : observers) {
        std::shared_ptr<RunLoopObserver::Callback> callback;
        {
            std::lock_guard lock(mutex_);
            if (!observer->valid_) continue;
            callback = observer->callback_;
        }
        (*callback)();
    }
    return ran;
}

bool RunLoop::hasReadyWorkLocked(std::uint8_t modes, Nanos now) const {
    if (!mainQueue_.empty()) return true;
    for (const auto& source : sources_) {
        if (source->valid_ && (source->modes_ & modes) && source->signalled_) return true;
    }
    for (const auto& timer : timers_) {
        if (timer->valid_ && (timer->modes_ & modes) && timer->fireTime_ <= now) return true;
    }
    return false;
}

Nanos RunLoop::nextTimerLocked(std::uint8_t modes) const {
    Nanos next = kNever;
    for (const auto& timer : timers_) {
        if (timer->valid_ && (timer->modes_ & modes)) next = std::min(next, timer->fireTime_);
    }
    return next;
}

}  // namespace dispatch
