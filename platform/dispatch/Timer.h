#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/dispatch/Time.h"

namespace dispatch {

class Queue;

namespace detail {
class TimerScheduler;
}

// A timer source: runs its handler on a target queue at a media time, once or repeatedly.
//
// Timing rules, the same under real and manual time:
// - A timer never fires before its deadline. When its deadline has already passed at
//   schedule(), it is handed to its queue at once.
// - Leeway is how late it may fire; real time uses it to wake once for several timers. Under a
//   manual clock timers are handed exactly when the clock reaches their deadline.
// - A repeating timer fires on the grid start + k * interval. One that fell behind by more than
//   an interval (the clock jumped) fires once and resumes on the grid; missed ticks are dropped.
// - schedule() replaces the previous schedule, including a tick already handed to the queue but
//   not yet run: that tick is discarded. This is what a debounce needs.
// - A cancelled timer never runs its handler again, including a tick already handed to the
//   queue. Cancelling from the target queue itself is exact; from another thread, a tick that is
//   already starting on the queue may still run.
//
// An armed timer is kept alive until its last tick, cancel(), or the end of its target queue,
// so a one-shot timer may be created, scheduled and forgotten.
class Timer : public std::enable_shared_from_this<Timer> {
  public:
    using Handler = std::function<void()>;

    // nullptr when `queue` is null.
    static std::shared_ptr<Timer> create(const std::shared_ptr<Queue>& queue);

    void setHandler(Handler handler);

    // Arms (or re-arms) the timer: first tick at media time `start`, then every `interval`
    // nanoseconds (0: once). Negative interval or leeway count as 0. Ignored once cancelled.
    void schedule(Nanos start, Nanos interval = 0, Nanos leeway = 0);
    // schedule(nowNanos() + delay, ...).
    void scheduleAfter(Nanos delay, Nanos interval = 0, Nanos leeway = 0);

    // Disarms the timer for good and drops its handler.
    void cancel();
    bool isCancelled() const;
    // Whether a future tick is scheduled.
    bool isArmed() const;

  private:
    friend class detail::TimerScheduler;

    explicit Timer(const std::shared_ptr<Queue>& queue);

    // Runs on the target queue for the tick handed out under `generation`.
    void fire(std::uint64_t generation);

    std::weak_ptr<Queue> queue_;

    // Everything below is guarded by the scheduler's mutex.
    std::shared_ptr<const Handler> handler_;
    Nanos deadline_ = 0;
    Nanos interval_ = 0;
    Nanos leeway_ = 0;
    // Bumped by every schedule() and cancel(); a handed-out tick carries the value it was
    // handed under and runs only if it still matches.
    std::uint64_t generation_ = 0;
    // Tie-breaker among equal deadlines: the order of arming.
    std::uint64_t sequence_ = 0;
    bool armed_ = false;
    bool cancelled_ = false;
};

}  // namespace dispatch
