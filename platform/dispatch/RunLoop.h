#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dispatch/RunLoopItems.h"
#include "platform/dispatch/Time.h"

namespace dispatch {

namespace detail {
class MainQueue;
}

// Run-loop modes. Items are added for Default, Tracking, or Common (every mode); the loop runs
// in Default or Tracking. Running "Common" runs Default.
enum class Mode : std::uint8_t { Default, Tracking, Common };

// The main thread's run loop. Each turn does, in this order:
//   Pass 1: the main-queue blocks that were queued when the turn began, oldest first (blocks
//           they queue wait for the next turn);
//   Pass 2: the run-loop timers of the mode that are due, earliest first, each at most once;
//   Pass 3: the signalled sources of the mode;
//   Pass 4: the observers of the mode, by order (layout, then display).
// The main queue and dispatch timers aimed at it run in every mode.
//
// Between turns the loop waits for the next run-loop timer or new work. Under a manual clock
// it does not wait: runUntil moves the clock to the next deadline itself (dispatch timers
// included), so time-driven behaviour runs to completion without sleeping. Work that other
// threads produce meanwhile is picked up by whatever turn runs after it arrives; a test that
// needs it first makes it arrive (e.g. serialQueue->sync([] {})) and then turns the loop.
//
// Only the main thread may run the loop (the run calls do nothing elsewhere). Runs may nest: a
// block may run the loop again, in another mode, and the outer run resumes in its own mode.
class RunLoop {
  public:
    static RunLoop& main();

    void addTimer(const std::shared_ptr<RunLoopTimer>& timer, Mode mode);
    void addSource(const std::shared_ptr<RunLoopSource>& source, Mode mode);
    void addObserver(const std::shared_ptr<RunLoopObserver>& observer, Mode mode);

    // One turn without waiting and without moving a manual clock. Returns whether a block,
    // timer or source ran.
    bool runOnce(Mode mode = Mode::Default);

    // Runs turns until media time reaches `deadline` and the loop has nothing left to do at
    // that time, or until stop(). A deadline already past runs the loop until it is idle.
    void runUntil(Nanos deadline, Mode mode = Mode::Default);
    void runFor(Nanos duration, Mode mode = Mode::Default);

    // Ends the innermost run at the end of its current turn. Any thread; nothing happens when
    // the loop is not running.
    void stop();

    // The mode of the innermost run; Default when the loop is not running.
    Mode currentMode() const;
    bool isRunning() const;

    RunLoop() = default;

  private:
    friend class RunLoopTimer;
    friend class RunLoopSource;
    friend class RunLoopObserver;
    friend class detail::MainQueue;

    // A run of a non-idle loop that keeps finding work at the same instant (a block that
    // re-queues itself) gives up after this many turns, so that time can move on.
    static constexpr int kMaxTurnsPerInstant = 10000;

    struct RunScope;

    void enqueueBlock(std::function<void()> block);
    // Every change that can shorten the wait or give the loop work calls this with the lock.
    void wakeLocked();

    bool turn(std::uint8_t modes);
    // False when it gave up after kMaxTurnsPerInstant turns.
    bool runUntilIdle(std::uint8_t modes);
    bool hasReadyWorkLocked(std::uint8_t modes, Nanos now) const;
    Nanos nextTimerLocked(std::uint8_t modes) const;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> mainQueue_;
    std::vector<std::shared_ptr<RunLoopTimer>> timers_;
    std::vector<std::shared_ptr<RunLoopSource>> sources_;
    std::vector<std::shared_ptr<RunLoopObserver>> observers_;  // sorted by order
    std::uint64_t nextTimerSequence_ = 0;
    std::uint64_t changes_ = 0;   // bumped by wakeLocked()
    std::vector<Mode> runModes_;  // one per nested run, innermost last
    bool stopRequested_ = false;
};

}  // namespace dispatch
