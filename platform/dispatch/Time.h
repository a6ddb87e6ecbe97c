#pragma once

#include <cstdint>

namespace dispatch {

// Media time: one monotonic clock for the whole process. Deadlines, timer fire times and
// animation timestamps are all read from it, so a test that installs a ManualClock controls
// every timed behaviour at once.
//
// The clock counts whole nanoseconds (Nanos); now() gives the same instant in seconds.
using Nanos = std::int64_t;

inline constexpr Nanos kNanosPerSecond = 1'000'000'000;
inline constexpr Nanos kNanosPerMillisecond = 1'000'000;
// A deadline that never comes.
inline constexpr Nanos kNever = INT64_MAX;

constexpr Nanos milliseconds(std::int64_t ms) {
    return ms * kNanosPerMillisecond;
}
// Rounds to the nearest nanosecond; NaN gives 0 and out-of-range values saturate.
Nanos nanosFromSeconds(double seconds);
double secondsFromNanos(Nanos nanos);

// The current media time. Real time is the system's monotonic clock (time since boot).
double now();
Nanos nowNanos();

// While an instance lives, media time stands still except when the instance moves it.
//
// Moving the clock is also what makes timers fire: set() and advance() hand every dispatch timer
// that came due (Timer, Queue::after) to its target queue, in deadline order, before they
// return. A test can therefore advance the clock, put a barrier on a serial queue with
// queue->sync([] {}) and then turn the main loop, and see the timer's work every time.
//
// Run-loop timers are not handed anywhere: the main loop fires them itself on its next turn
// (RunLoop::runOnce), or RunLoop::runUntil moves this clock from deadline to deadline.
//
// Only one manual clock may exist at a time; destroying it returns to real time. Timers keep
// their absolute deadlines across the switch, so arm them after installing the clock.
class ManualClock {
  public:
    // Starts at 1000 s rather than 0 so that code treating a zero timestamp as "never" behaves
    // as it does on a device that has been up for a while.
    explicit ManualClock(double startSeconds = 1000.0);
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    Nanos nanos() const;
    double seconds() const;

    // Media time is monotonic: a time earlier than the current one is ignored.
    void setNanos(Nanos time);
    void set(double seconds);
    void advanceNanos(Nanos delta);
    void advance(double seconds);
};

}  // namespace dispatch
