#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <latch>
#include <thread>

#include "ManualTimeTest.h"
#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/Queue.h"
#include "platform/dispatch/Timer.h"

using namespace dispatch;

using SerialQueue = ManualTimeTest;

TEST_F(SerialQueue, RunsBlocksInOrderOnItsOwnThread) {
    auto queue = Queue::createSerial("com.example.work");
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(queue->label(), "com.example.work");
    EXPECT_FALSE(queue->isCurrent());

    std::vector<int> order;  // touched only on the queue until the barrier
    std::thread::id first, second;
    std::atomic<bool> sawMain{true};
    for (int i = 0; i < 100; ++i) queue->async([&, i] { order.push_back(i); });
    queue->async([&] {
        first = std::this_thread::get_id();
        sawMain = isMainThread();
        // sync onto the queue from the queue runs inline instead of deadlocking.
        queue->sync([&] { second = std::this_thread::get_id(); });
    });
    queue->sync([] {});

    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
    EXPECT_NE(first, std::this_thread::get_id());
    EXPECT_EQ(first, second);
    EXPECT_FALSE(sawMain);
}

TEST_F(SerialQueue, DroppingTheQueueRunsQueuedBlocksAndDropsItsTimers) {
    auto queue = Queue::createSerial("test.dying");
    auto sentinel = std::make_shared<int>(0);
    std::weak_ptr<int> watch = sentinel;

    std::latch gate(1);
    std::atomic<int> ran{0};
    queue->async([&] { gate.wait(); });
    for (int i = 0; i < 50; ++i) queue->async([&, sentinel] { ++ran; });
    // Delayed work and timers aimed at the queue must not run after it is gone, and must let go
    // of what they hold.
    bool lateRan = false;
    queue->after(milliseconds(10), [&, sentinel] { lateRan = true; });
    auto timer = Timer::create(queue);
    timer->setHandler([&, sentinel] { lateRan = true; });
    timer->schedule(T0 + milliseconds(10), milliseconds(10));
    sentinel.reset();

    std::thread opener([&] { gate.count_down(); });
    queue.reset();  // waits for the blocks already queued
    opener.join();
    EXPECT_EQ(ran, 50);

    clock.advanceNanos(milliseconds(50));
    EXPECT_FALSE(lateRan);
    EXPECT_TRUE(timer->isCancelled());
    EXPECT_TRUE(watch.expired());
}

TEST_F(SerialQueue, ABlockHoldingTheLastReferenceEndsTheQueueWithoutDeadlock) {
    struct Probe {
        std::promise<void> destroyed;
        ~Probe() { destroyed.set_value(); }
    };
    auto probe = std::make_shared<Probe>();
    auto gone = probe->destroyed.get_future();
    {
        auto queue = Queue::createSerial("test.self-owned");
        // Shared, not on this stack: the worker may still be inside wait() when the scope ends
        // (AddressSanitizer caught the stack latch going away under it).
        auto gate = std::make_shared<std::latch>(1);
        queue->async([gate] { gate->wait(); });
        queue->async([queue, probe] {});
        probe.reset();
        gate->count_down();
    }  // the block now holds the queue's only reference; its thread destroys the queue
    ASSERT_EQ(gone.wait_for(std::chrono::seconds(30)), std::future_status::ready);
}
