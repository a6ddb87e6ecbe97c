#include "platform/dispatch/detail/TimerScheduler.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <vector>

#include "platform/dispatch/Queue.h"
#include "platform/dispatch/detail/ClockControl.h"
#include "platform/dispatch/detail/Immortal.h"
#include "platform/dispatch/detail/TimeMath.h"

namespace dispatch::detail {

TimerScheduler& TimerScheduler::instance() {
    static Immortal<TimerScheduler> scheduler;
    return scheduler.value;
}

void TimerScheduler::schedule(const std::shared_ptr<Timer>& timer, Nanos start, Nanos interval,
                              Nanos leeway) {
    std::shared_ptr<Timer> replaced;  // released after the lock, see cancel()
    {
        std::lock_guard lock(mutex_);
        if (timer->cancelled_) return;
        if (timer->armed_) {
            auto node = armed_.extract(Key{timer->deadline_, timer->sequence_});
            if (node) replaced = std::move(node.mapped());
        }
        ++timer->generation_;
        timer->deadline_ = start;
        timer->interval_ = std::max<Nanos>(interval, 0);
        timer->leeway_ = std::max<Nanos>(leeway, 0);
        timer->sequence_ = nextSequence_++;
        timer->armed_ = true;
        armed_.emplace(Key{start, timer->sequence_}, timer);
        ensureThreadLocked();
        // The timer thread recomputes its wake-up: this deadline plus its leeway may come
        // before the one it sleeps towards, even when an earlier deadline exists.
        wake_.notify_all();
    }
    // A deadline that has already come is handed out now instead of waiting for the clock to
    // move again; under a manual clock that might never happen.
    if (start <= nowNanos()) handDue(false);
}

void TimerScheduler::cancel(Timer& timer) {
    // Handlers and timers may own anything, queues included, whose destruction can call back
    // into the scheduler: they are destroyed only after the lock is released.
    std::shared_ptr<const Timer::Handler> handler;
    std::shared_ptr<Timer> entry;
    {
        std::lock_guard lock(mutex_);
        if (timer.cancelled_) return;
        timer.cancelled_ = true;
        ++timer.generation_;
        if (timer.armed_) {
            auto node = armed_.extract(Key{timer.deadline_, timer.sequence_});
            if (node) entry = std::move(node.mapped());
            timer.armed_ = false;
        }
        handler = std::move(timer.handler_);
    }
}

void TimerScheduler::setHandler(Timer& timer, Timer::Handler handler) {
    auto shared = handler ? std::make_shared<const Timer::Handler>(std::move(handler)) : nullptr;
    {
        std::lock_guard lock(mutex_);
        if (timer.cancelled_) return;  // `shared` is released below, outside the lock
        std::swap(timer.handler_, shared);
    }
}

bool TimerScheduler::isCancelled(const Timer& timer) {
    std::lock_guard lock(mutex_);
    return timer.cancelled_;
}

bool TimerScheduler::isArmed(const Timer& timer) {
    std::lock_guard lock(mutex_);
    return timer.armed_;
}

std::shared_ptr<const Timer::Handler> TimerScheduler::claimTick(Timer& timer,
                                                                std::uint64_t generation) {
    std::lock_guard lock(mutex_);
    if (timer.cancelled_ || timer.generation_ != generation) return nullptr;
    return timer.handler_;
}

Nanos TimerScheduler::nextDeadline() {
    std::lock_guard lock(mutex_);
    return armed_.empty() ? kNever : armed_.begin()->first.first;
}

void TimerScheduler::handDueTimers() {
    handDue(false);
}

void TimerScheduler::clockChanged() {
    std::lock_guard lock(mutex_);
    wake_.notify_all();
}

void TimerScheduler::handDue(bool fromTimerThread) {
    // Declared before the hand-off lock so that it is destroyed after it is released.
    std::vector<std::shared_ptr<const void>> released;
    std::lock_guard handoff(handoffMutex_);
    for (;;) {
        std::shared_ptr<Timer> timer;
        std::shared_ptr<Queue> queue;
        std::uint64_t generation = 0;
        {
            std::lock_guard lock(mutex_);
            // The clock may have been switched to manual time since the timer thread woke up:
            // real deadlines mean nothing to it.
            if (fromTimerThread && manualClockActive()) return;
            const Nanos now = nowNanos();
            if (armed_.empty() || armed_.begin()->first.first > now) return;

            auto node = armed_.extract(armed_.begin());
            timer = std::move(node.mapped());
            queue = timer->queue_.lock();
            if (!queue) {
                // Nobody can run it any more: the timer dies with its queue.
                timer->cancelled_ = true;
                timer->armed_ = false;
                ++timer->generation_;
                released.emplace_back(std::move(timer->handler_));
                released.emplace_back(std::move(timer));
                continue;
            }
            generation = timer->generation_;
            if (timer->interval_ > 0) {
                timer->deadline_ = nextOnGrid(timer->deadline_, timer->interval_, now);
                node.key() = Key{timer->deadline_, timer->sequence_};
                node.mapped() = timer;
                armed_.insert(std::move(node));
            } else {
                timer->armed_ = false;
            }
        }
        queue->enqueue([timer, generation] { timer->fire(generation); });
        released.emplace_back(std::move(queue));
        released.emplace_back(std::move(timer));
    }
}

void TimerScheduler::ensureThreadLocked() {
    if (threadStarted_) return;
    try {
        std::thread(&TimerScheduler::timerThreadMain, this).detach();
        threadStarted_ = true;
    } catch (const std::system_error&) {
        // Without the thread, real-time timers fire only when they are already due at
        // schedule(); the next schedule() tries again.
    }
}

void TimerScheduler::timerThreadMain() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (manualClockActive() || armed_.empty()) {
            wake_.wait(lock);
            continue;
        }
        // Wake at the earliest time by which some timer must have fired: its deadline plus its
        // leeway. Timers with later deadlines cannot lower that bound, so the scan stops there.
        Nanos wakeAt = kNever;
        for (const auto& [key, timer] : armed_) {
            if (key.first >= wakeAt) break;
            wakeAt = std::min(wakeAt, saturatingAdd(key.first, timer->leeway_));
        }
        if (wakeAt == kNever) {
            wake_.wait(lock);
            continue;
        }
        if (nowNanos() < wakeAt) {
            wake_.wait_until(
                lock, std::chrono::steady_clock::time_point(std::chrono::nanoseconds(wakeAt)));
            continue;
        }
        lock.unlock();
        handDue(true);
        lock.lock();
    }
}

}  // namespace dispatch::detail
