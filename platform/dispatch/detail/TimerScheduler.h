#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/dispatch/Time.h"
#include "platform/dispatch/Timer.h"

namespace dispatch::detail {

// Keeps every armed Timer in deadline order and hands each tick to the timer's queue when it
// comes due. Two things hand ticks out:
// - under real time, one timer thread that sleeps until the next deadline (plus leeway);
// - under a manual clock, the thread that moves the clock, synchronously, before the move
//   returns; the timer thread then stays asleep.
// "Handing out" means queueing a tick block on the target queue, never running the handler, so
// handlers always run on their queue.
class TimerScheduler {
  public:
    static TimerScheduler& instance();

    void schedule(const std::shared_ptr<Timer>& timer, Nanos start, Nanos interval, Nanos leeway);
    void cancel(Timer& timer);
    void setHandler(Timer& timer, Timer::Handler handler);
    bool isCancelled(const Timer& timer);
    bool isArmed(const Timer& timer);

    // The handler a tick handed out under `generation` should run, or null when the timer was
    // cancelled or re-armed since.
    std::shared_ptr<const Timer::Handler> claimTick(Timer& timer, std::uint64_t generation);

    // The earliest armed deadline, or kNever.
    Nanos nextDeadline();

    // Hands out, in deadline order, every tick due at the current media time.
    void handDueTimers();

    // The clock was switched between real and manual time.
    void clockChanged();

    TimerScheduler() = default;

  private:
    using Key = std::pair<Nanos, std::uint64_t>;  // deadline, arming order

    void handDue(bool fromTimerThread);
    void ensureThreadLocked();
    void timerThreadMain();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::map<Key, std::shared_ptr<Timer>> armed_;
    std::uint64_t nextSequence_ = 0;
    bool threadStarted_ = false;

    // Serialises hand-outs so that ticks reach their queues in deadline order even when two
    // threads move the clock at once. Taken before mutex_, never while holding it.
    std::mutex handoffMutex_;
};

}  // namespace dispatch::detail
