#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/dispatch/Time.h"

namespace dispatch {

class RunLoop;

// The things the main loop runs besides main-queue blocks. Each is added to the loop in a mode
// (RunLoop::addTimer and friends), is held by the loop until invalidated, and runs on the main
// thread. Their methods may be called from any thread.

// A timer the main loop fires itself, in the modes it was added for. Unlike a dispatch Timer it
// does not fire while the loop runs a mode it was not added for (a default-mode timer waits out
// a touch drag, which runs the tracking mode).
//
// A repeating timer fires at most once per turn; when the loop fell behind by more than an
// interval it fires once and resumes on its grid fireTime + k * interval.
class RunLoopTimer {
  public:
    // `scheduledTime` is the fire time this call is for; `now` can be later under real time.
    using Callback = std::function<void(RunLoopTimer& timer, Nanos scheduledTime)>;

    // Fires first at media time `fireTime`, then every `interval` nanoseconds (0: once, after
    // which the timer is invalid). nullptr when the callback is empty or interval negative.
    static std::shared_ptr<RunLoopTimer> create(Nanos fireTime, Nanos interval, Callback callback);

    // The next fire time; kNever holds the timer without invalidating it.
    Nanos fireTime() const;
    void setFireTime(Nanos fireTime);
    Nanos interval() const;
    // Negative values are ignored; 0 makes the next firing the last.
    void setInterval(Nanos interval);

    void invalidate();
    bool isValid() const;

  private:
    friend class RunLoop;
    RunLoopTimer(Nanos fireTime, Nanos interval, Callback callback);

    // Guarded by the main loop's mutex.
    Nanos fireTime_;
    Nanos interval_;
    std::shared_ptr<Callback> callback_;
    std::uint8_t modes_ = 0;
    std::uint64_t sequence_ = 0;
    bool valid_ = true;
};

// Work that another thread asks the main loop to do: signal() marks it, and the loop performs it
// once on its next turn in one of the source's modes, however often it was signalled.
class RunLoopSource {
  public:
    using Callback = std::function<void()>;

    // nullptr when the callback is empty.
    static std::shared_ptr<RunLoopSource> create(Callback callback);

    void signal();
    void invalidate();
    bool isValid() const;

  private:
    friend class RunLoop;
    explicit RunLoopSource(Callback callback);

    // Guarded by the main loop's mutex.
    std::shared_ptr<Callback> callback_;
    std::uint8_t modes_ = 0;
    bool signalled_ = false;
    bool valid_ = true;
};

// A callback at the end of every turn of the main loop in its modes, after blocks, timers and
// sources: the place for "layout, then draw". Lower orders run first; equal orders run in the
// order they were added.
class RunLoopObserver {
  public:
    using Callback = std::function<void()>;

    // nullptr when the callback is empty.
    static std::shared_ptr<RunLoopObserver> create(int order, Callback callback);

    int order() const { return order_; }
    void invalidate();
    bool isValid() const;

  private:
    friend class RunLoop;
    RunLoopObserver(int order, Callback callback);

    const int order_;
    // Guarded by the main loop's mutex.
    std::shared_ptr<Callback> callback_;
    std::uint8_t modes_ = 0;
    bool valid_ = true;
};

}  // namespace dispatch
