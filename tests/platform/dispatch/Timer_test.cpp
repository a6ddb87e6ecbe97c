#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <latch>

#include "ManualTimeTest.h"
#include "platform/dispatch/Queue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Timer.h"

using namespace dispatch;

namespace {

class TimerTest : public ManualTimeTest {
  protected:
    void SetUp() override { ASSERT_NE(queue, nullptr); }

    // A timer on `queue` that records the media time of each tick.
    std::shared_ptr<Timer> recordingTimer() {
        auto timer = Timer::create(queue);
        timer->setHandler([this] { ticks.add(nowNanos()); });
        return timer;
    }

    std::shared_ptr<Queue> queue = Queue::createSerial("test.timers");
    SharedLog<Nanos> ticks;
};

}  // namespace

TEST_F(TimerTest, CancelledBeforeItFiresNeverRuns) {
    // Cancelled while still armed.
    auto early = recordingTimer();
    early->scheduleAfter(milliseconds(50));
    clock.advanceNanos(milliseconds(20));
    early->cancel();
    clock.advanceNanos(milliseconds(100));
    queue->sync([] {});
    EXPECT_TRUE(ticks.items().empty());
    EXPECT_FALSE(early->isArmed());

    // Cancelled after its tick was handed to the queue but before the queue got to it.
    std::latch gate(1);
    queue->async([&] { gate.wait(); });
    auto handed = recordingTimer();
    handed->scheduleAfter(milliseconds(10));
    clock.advanceNanos(milliseconds(10));  // the tick now waits behind the gate
    handed->cancel();
    gate.count_down();
    queue->sync([] {});
    EXPECT_TRUE(ticks.items().empty());

    // Cancelled from the queue itself, by a block queued ahead of the tick.
    auto own = recordingTimer();
    own->scheduleAfter(milliseconds(10));
    std::latch gate2(1);
    queue->async([&] { gate2.wait(); });
    queue->async([&] { own->cancel(); });
    clock.advanceNanos(milliseconds(10));
    gate2.count_down();
    queue->sync([] {});
    EXPECT_TRUE(ticks.items().empty());

    // A cancelled timer cannot be re-armed.
    own->scheduleAfter(milliseconds(10));
    clock.advanceNanos(milliseconds(10));
    queue->sync([] {});
    EXPECT_TRUE(ticks.items().empty());
}

TEST_F(TimerTest, RearmingDebouncesToOneTickAtTheLastDeadline) {
    auto timer = recordingTimer();
    const auto write = [&] {
        queue->sync([&] { timer->scheduleAfter(milliseconds(80), 0, milliseconds(20)); });
    };

    write();
    clock.advanceNanos(milliseconds(30));
    write();
    clock.advanceNanos(milliseconds(30));
    write();  // last write at T0 + 60 ms

    clock.setNanos(T0 + milliseconds(140) - 1);
    queue->sync([] {});
    EXPECT_TRUE(ticks.items().empty());

    clock.setNanos(T0 + milliseconds(140));
    queue->sync([] {});
    EXPECT_EQ(ticks.items(), (std::vector<Nanos>{T0 + milliseconds(140)}));

    clock.advanceNanos(kNanosPerSecond);
    queue->sync([] {});
    EXPECT_EQ(ticks.items().size(), 1u);

    // Re-armed after its tick was handed out but before it ran: the stale tick is discarded.
    std::latch gate(1);
    timer->scheduleAfter(milliseconds(80));
    queue->async([&] { gate.wait(); });
    clock.advanceNanos(milliseconds(80));  // tick handed, waiting behind the gate
    timer->scheduleAfter(milliseconds(80));
    gate.count_down();
    queue->sync([] {});
    EXPECT_EQ(ticks.items().size(), 1u);
    clock.advanceNanos(milliseconds(80));
    queue->sync([] {});
    EXPECT_EQ(ticks.items().back(), clock.nanos());
    EXPECT_EQ(ticks.items().size(), 2u);
}

TEST_F(TimerTest, RepeatingTimerTicksOnItsGridAndSkipsTicksAClockJumpMissed) {
    auto timer = recordingTimer();
    timer->schedule(T0 + milliseconds(100), milliseconds(100));

    // Ticks record the time when they run, so the queue catches up after each step.
    for (int step = 0; step < 7; ++step) {  // to T0 + 350
        clock.advanceNanos(milliseconds(50));
        queue->sync([] {});
    }
    EXPECT_EQ(ticks.items(), (std::vector<Nanos>{T0 + milliseconds(100), T0 + milliseconds(200),
                                                 T0 + milliseconds(300)}));

    // One jump over several ticks delivers one, then the grid resumes.
    clock.setNanos(T0 + milliseconds(1050));
    queue->sync([] {});
    clock.setNanos(T0 + milliseconds(1100));
    queue->sync([] {});
    EXPECT_EQ(ticks.items().size(), 5u);
    EXPECT_EQ(ticks.items()[3], T0 + milliseconds(1050));
    EXPECT_EQ(ticks.items()[4], T0 + milliseconds(1100));

    timer->cancel();
    clock.advanceNanos(kNanosPerSecond);
    queue->sync([] {});
    EXPECT_EQ(ticks.items().size(), 5u);
}

TEST_F(TimerTest, OneAdvanceHandsDueTicksOutInDeadlineOrder) {
    SharedLog<char> order;
    std::vector<std::shared_ptr<Timer>> timers;
    const auto arm = [&](char name, Nanos delay) {
        auto timer = Timer::create(queue);
        timer->setHandler([&order, name] { order.add(name); });
        timer->scheduleAfter(delay);
        timers.push_back(timer);
    };
    arm('a', milliseconds(30));
    arm('b', milliseconds(10));
    arm('c', milliseconds(20));
    arm('d', milliseconds(10));  // same deadline as b, armed later
    arm('e', milliseconds(60));  // not due

    clock.advanceNanos(milliseconds(50));
    queue->sync([] {});
    EXPECT_EQ(order.items(), (std::vector<char>{'b', 'd', 'c', 'a'}));
    timers.back()->cancel();
}

// runUntil moves the clock through every deadline, the serial queue's included: each of its
// ticks is handed out (their handlers run on their own thread, so only their count is exact).
TEST_F(TimerTest, RunUntilDeliversMainAndSerialTimersAtTheirDeadlines) {
    auto onMain = Timer::create(Queue::main());
    std::vector<Nanos> mainTicks;
    onMain->setHandler([&] { mainTicks.push_back(nowNanos()); });
    onMain->schedule(T0 + milliseconds(40), milliseconds(40));
    auto serial = Timer::create(queue);
    std::atomic<int> serialTicks{0};
    serial->setHandler([&] { ++serialTicks; });
    serial->schedule(T0 + milliseconds(25), milliseconds(25));

    RunLoop::main().runUntil(T0 + milliseconds(100));
    queue->sync([] {});
    EXPECT_EQ(mainTicks, (std::vector<Nanos>{T0 + milliseconds(40), T0 + milliseconds(80)}));
    EXPECT_EQ(serialTicks, 4);
    onMain->cancel();
    serial->cancel();
}

// Real time: the timer thread sleeps until a deadline and hands the tick out. Waits are bounded
// only to report a failure; the assertions are about order and lower bounds, never durations.
TEST(TimerRealTime, TheTimerThreadHandsTicksOutNoEarlierThanTheirDeadline) {
    auto queue = Queue::createSerial("test.realtime");
    const Nanos start = nowNanos();

    std::promise<Nanos> serialRan;
    queue->after(milliseconds(3), [&] { serialRan.set_value(nowNanos()); });

    std::atomic<int> repeats{0};
    std::promise<void> repeatedThrice;
    auto repeating = Timer::create(queue);
    repeating->setHandler([&] {
        if (++repeats == 3) {
            repeating->cancel();  // from its own queue: exact
            repeatedThrice.set_value();
        }
    });
    repeating->scheduleAfter(milliseconds(1), milliseconds(1), milliseconds(1));

    Nanos mainRanAt = 0;
    Queue::main()->after(milliseconds(2), [&] {
        mainRanAt = nowNanos();
        RunLoop::main().stop();
    });
    RunLoop::main().runFor(30 * kNanosPerSecond);
    EXPECT_GE(mainRanAt, start + milliseconds(2));

    auto serialFuture = serialRan.get_future();
    ASSERT_EQ(serialFuture.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_GE(serialFuture.get(), start + milliseconds(3));
    ASSERT_EQ(repeatedThrice.get_future().wait_for(std::chrono::seconds(30)),
              std::future_status::ready);
    queue->sync([] {});
    EXPECT_EQ(repeats, 3);
}
