#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ManualTimeTest.h"
#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/Queue.h"
#include "platform/dispatch/RunLoop.h"

using namespace dispatch;

namespace {

RunLoop& loop() {
    return RunLoop::main();
}

}  // namespace

using MainQueue = ManualTimeTest;

TEST_F(MainQueue, BlocksRunInFifoOrderIncludingBlocksFromOtherThreads) {
    auto main = Queue::main();
    SharedLog<int> log;

    main->async([&] {
        log.add(1);
        main->async([&] { log.add(6); });  // queued during the turn: runs on the next one
    });
    main->async([&] { log.add(2); });
    std::thread([&] {
        main->async([&] { log.add(3); });
        main->async([&] { log.add(4); });
    }).join();
    main->async([&] { log.add(5); });

    EXPECT_TRUE(loop().runOnce());
    EXPECT_EQ(log.items(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(loop().runOnce());
    EXPECT_EQ(log.items(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_FALSE(loop().runOnce());

    // Racing producers: each one's blocks keep their order, none is lost.
    SharedLog<std::pair<int, int>> raced;
    std::vector<std::thread> producers;
    for (int p = 0; p < 4; ++p) {
        producers.emplace_back([&, p] {
            for (int i = 0; i < 200; ++i) main->async([&, p, i] { raced.add({p, i}); });
        });
    }
    for (auto& producer : producers) producer.join();
    loop().runOnce();
    const auto items = raced.items();
    ASSERT_EQ(items.size(), 800u);
    int next[4] = {0, 0, 0, 0};
    for (const auto& [p, i] : items) EXPECT_EQ(i, next[p]++);
}

TEST_F(MainQueue, AfterRunsWhenTheClockReachesItsDeadlineNotANanosecondEarlier) {
    auto main = Queue::main();
    const Nanos delay = milliseconds(80) + 1;
    Nanos ranAt = 0;
    main->after(delay, [&] { ranAt = nowNanos(); });

    clock.setNanos(T0 + delay - 1);
    loop().runOnce();
    EXPECT_EQ(ranAt, 0);

    clock.setNanos(T0 + delay);
    loop().runOnce();
    EXPECT_EQ(ranAt, T0 + delay);

    // No delay, or a negative one, means the next turn, without moving the clock.
    int immediate = 0;
    main->after(0, [&] { ++immediate; });
    main->after(-5, [&] { ++immediate; });
    loop().runOnce();
    EXPECT_EQ(immediate, 2);
}

TEST_F(MainQueue, RunUntilStepsTheClockFromDeadlineToDeadline) {
    auto main = Queue::main();
    std::vector<Nanos> ranAt;
    main->after(milliseconds(30), [&] { ranAt.push_back(nowNanos()); });
    main->after(milliseconds(10), [&] {
        ranAt.push_back(nowNanos());
        main->after(milliseconds(5), [&] { ranAt.push_back(nowNanos()); });
    });

    loop().runUntil(T0 + milliseconds(20));
    EXPECT_EQ(ranAt, (std::vector<Nanos>{T0 + milliseconds(10), T0 + milliseconds(15)}));
    EXPECT_EQ(nowNanos(), T0 + milliseconds(20));

    loop().runFor(milliseconds(100));
    EXPECT_EQ(ranAt.back(), T0 + milliseconds(30));
    EXPECT_EQ(nowNanos(), T0 + milliseconds(120));
}

// Real time here: the main loop really waits for the other thread's block.
TEST(MainQueueRealTime, SyncFromAnotherThreadRunsOnTheMainThreadWhileTheLoopRuns) {
    auto main = Queue::main();
    EXPECT_TRUE(isMainThread());
    EXPECT_TRUE(main->isCurrent());

    // On the main thread itself sync runs inline: no loop turn, no deadlock.
    bool inline_ = false;
    main->sync([&] { inline_ = true; });
    EXPECT_TRUE(inline_);

    std::atomic<bool> workerIsMain{true};
    std::atomic<bool> blockSawMain{false};
    int value = 0;  // written on main, read by the worker after sync returns
    int seenByWorker = 0;
    std::thread worker([&] {
        workerIsMain = isMainThread() || main->isCurrent();
        main->sync([&] {
            blockSawMain = isMainThread();
            value = 42;
        });
        seenByWorker = value;
        main->async([] { RunLoop::main().stop(); });
    });
    // The deadline only bounds a failure; stop() ends the run.
    loop().runFor(30 * kNanosPerSecond);
    worker.join();

    EXPECT_FALSE(workerIsMain);
    EXPECT_TRUE(blockSawMain);
    EXPECT_EQ(seenByWorker, 42);
    EXPECT_FALSE(loop().isRunning());
}

// A serial queue's work reaches the main queue through a barrier, never through luck.
TEST_F(MainQueue, SerialTimerWorkIsObservedAfterAdvanceBarrierAndOneTurn) {
    auto writer = Queue::createSerial("test.writer");
    ASSERT_NE(writer, nullptr);
    int published = 0;
    writer->after(milliseconds(80), [&] { Queue::main()->async([&] { ++published; }); });

    for (int round = 0; round < 50; ++round) {
        // Nothing is due yet: the barrier and the turn find nothing.
        writer->sync([] {});
        loop().runOnce();
    }
    EXPECT_EQ(published, 0);

    clock.advanceNanos(milliseconds(80));
    writer->sync([] {});
    loop().runOnce();
    EXPECT_EQ(published, 1);
}
