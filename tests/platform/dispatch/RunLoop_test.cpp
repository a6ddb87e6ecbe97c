#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ManualTimeTest.h"
#include "platform/dispatch/Queue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/RunLoopItems.h"
#include "platform/dispatch/Timer.h"

using namespace dispatch;

namespace {

RunLoop& loop() {
    return RunLoop::main();
}

class RunLoopTest : public ManualTimeTest {
  protected:
    void TearDown() override {
        for (auto& timer : timers) timer->invalidate();
        ManualTimeTest::TearDown();
    }

    std::shared_ptr<RunLoopTimer> addTimer(Nanos fireTime, Nanos interval, Mode mode,
                                           std::function<void(Nanos)> onFire) {
        auto timer = RunLoopTimer::create(
            fireTime, interval, [onFire](RunLoopTimer&, Nanos scheduled) { onFire(scheduled); });
        loop().addTimer(timer, mode);
        timers.push_back(timer);
        return timer;
    }

    std::vector<std::shared_ptr<RunLoopTimer>> timers;
};

}  // namespace

TEST_F(RunLoopTest, ATurnRunsBlocksThenTimersThenSourcesThenObserversByOrder) {
    std::vector<std::string> log;
    auto display = RunLoopObserver::create(200, [&] { log.push_back("display"); });
    auto layout = RunLoopObserver::create(100, [&] { log.push_back("layout"); });
    auto dropped = RunLoopObserver::create(150, [&] { log.push_back("dropped"); });
    loop().addObserver(display, Mode::Common);
    loop().addObserver(layout, Mode::Common);
    loop().addObserver(dropped, Mode::Common);
    dropped->invalidate();
    auto source = RunLoopSource::create([&] { log.push_back("source"); });
    loop().addSource(source, Mode::Default);

    // A callback that moves a later-sorted due timer away stops it firing in this turn.
    std::shared_ptr<RunLoopTimer> moved;
    addTimer(T0, 0, Mode::Default, [&](Nanos) {
        log.push_back("timer");
        moved->setFireTime(T0 + kNanosPerSecond);
    });
    moved = addTimer(T0, 0, Mode::Default, [&](Nanos) { log.push_back("moved"); });
    source->signal();
    source->signal();  // signals coalesce
    Queue::main()->async([&] { log.push_back("block"); });

    EXPECT_TRUE(loop().runOnce());
    EXPECT_EQ(log, (std::vector<std::string>{"block", "timer", "source", "layout", "display"}));

    // An idle turn runs only the observers; the one-shot timer and the source are spent.
    log.clear();
    EXPECT_FALSE(loop().runOnce());
    EXPECT_EQ(log, (std::vector<std::string>{"layout", "display"}));
    EXPECT_FALSE(timers.front()->isValid());
    EXPECT_TRUE(moved->isValid());

    layout->invalidate();
    display->invalidate();
    source->invalidate();
}

TEST_F(RunLoopTest, TrackingModeRunsCommonItemsAndHoldsDefaultOnes) {
    std::vector<std::string> fired;
    addTimer(T0 + milliseconds(10), 0, Mode::Default, [&](Nanos) { fired.push_back("default"); });
    addTimer(T0 + milliseconds(10), 0, Mode::Common, [&](Nanos) {
        fired.push_back("common");
        EXPECT_EQ(loop().currentMode(), Mode::Tracking);
    });
    addTimer(T0 + milliseconds(10), 0, Mode::Tracking, [&](Nanos) { fired.push_back("tracking"); });
    // The main queue and dispatch timers on it run in every mode.
    Queue::main()->after(milliseconds(5), [&] { fired.push_back("after"); });
    auto source = RunLoopSource::create([&] { fired.push_back("source"); });
    loop().addSource(source, Mode::Default);
    source->signal();

    loop().runUntil(T0 + milliseconds(20), Mode::Tracking);
    EXPECT_EQ(fired, (std::vector<std::string>{"after", "common", "tracking"}));
    EXPECT_EQ(nowNanos(), T0 + milliseconds(20));

    // Back in the default mode the held timer is late and fires at once, and the source runs.
    fired.clear();
    EXPECT_TRUE(loop().runOnce(Mode::Default));
    EXPECT_EQ(fired, (std::vector<std::string>{"default", "source"}));
    source->invalidate();
}

TEST_F(RunLoopTest, NestedTrackingRunReturnsToTheOuterMode) {
    std::vector<Mode> modes;
    Queue::main()->async([&] {
        modes.push_back(loop().currentMode());
        loop().runFor(milliseconds(10), Mode::Tracking);  // a touch drag
        modes.push_back(loop().currentMode());
    });
    addTimer(T0 + milliseconds(5), 0, Mode::Common,
             [&](Nanos) { modes.push_back(loop().currentMode()); });

    loop().runUntil(T0 + milliseconds(30));
    EXPECT_EQ(modes, (std::vector<Mode>{Mode::Default, Mode::Tracking, Mode::Default}));
    EXPECT_FALSE(loop().isRunning());
}

TEST_F(RunLoopTest, RepeatingTimerKeepsItsGridCanBeHeldAndSkipsMissedFires) {
    std::vector<Nanos> scheduled;
    auto timer = addTimer(T0 + milliseconds(16), milliseconds(16), Mode::Common,
                          [&](Nanos at) { scheduled.push_back(at); });

    loop().runUntil(T0 + milliseconds(50));
    EXPECT_EQ(scheduled, (std::vector<Nanos>{T0 + milliseconds(16), T0 + milliseconds(32),
                                             T0 + milliseconds(48)}));

    // Held: time passes, nothing fires, and runUntil does not stop at the held fire time.
    timer->setFireTime(kNever);
    loop().runUntil(T0 + milliseconds(500));
    EXPECT_EQ(scheduled.size(), 3u);

    // Resumed, then the loop falls behind by several intervals: one fire, back on the grid.
    timer->setFireTime(T0 + milliseconds(510));
    clock.setNanos(T0 + milliseconds(560));
    loop().runOnce();
    EXPECT_EQ(scheduled.back(), T0 + milliseconds(510));
    EXPECT_EQ(timer->fireTime(), T0 + milliseconds(574));
}

TEST_F(RunLoopTest, StopEndsTheRunAndSelfRequeuingWorkCannotStallTime) {
    loop().stop();  // not running: no effect on the next run
    Queue::main()->after(milliseconds(10), [] { loop().stop(); });
    int late = 0;
    Queue::main()->after(milliseconds(20), [&] { ++late; });
    loop().runUntil(T0 + kNanosPerSecond);
    EXPECT_EQ(nowNanos(), T0 + milliseconds(10));
    EXPECT_EQ(late, 0);

    // A block that always queues itself again keeps every turn busy; the run still ends.
    bool spinning = true;
    std::function<void()> spin = [&] {
        if (spinning) Queue::main()->async(spin);
    };
    Queue::main()->async(spin);
    loop().runUntil(T0 + kNanosPerSecond);
    EXPECT_EQ(nowNanos(), T0 + kNanosPerSecond);
    EXPECT_EQ(late, 1);
    spinning = false;
    loop().runOnce();  // the last queued spin sees the flag and ends
}
