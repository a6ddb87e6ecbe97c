// The thread that makes the second band of a tall edge field: what it does with work it has not
// begun, and when it takes none.
#include <gtest/gtest.h>

#include <sched.h>

#include <atomic>

#include "glass/detail/LGMaskBandThread.h"

namespace {

// CPUs this thread may run on.
int allowedCpus() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0) return 0;
    return CPU_COUNT(&allowed);
}

}  // namespace

TEST(GlassBandThread, WorkNotBegunGoesBackToTheCallerInsteadOfBeingWaitedFor) {
    // A band thread made directly never serves: what start() takes stays unbegun, as it does while
    // the thread waits for a CPU. wait() must hand it back at once, not wait for the thread.
    LGMaskBandThread idle;
    int runs = 0;
    const bool started = idle.start([&] { ++runs; });
    if (allowedCpus() < 2) {
        EXPECT_FALSE(started) << "with one CPU there is nowhere else for a band to run";
        return;
    }
    ASSERT_TRUE(started);
    EXPECT_FALSE(idle.start([&] { ++runs; })) << "one band at a time";
    EXPECT_FALSE(idle.wait()) << "unbegun work is the caller's to do";
    EXPECT_EQ(runs, 0);
    // Handed back, the thread takes work again.
    EXPECT_TRUE(idle.start([&] { ++runs; }));
    EXPECT_FALSE(idle.wait());
    EXPECT_EQ(runs, 0);
}

TEST(GlassBandThread, TwoBandsCoverEveryRowOnceWhetherOrNotTheThreadTakesOne) {
    // Rows 0...199 in two bands: every row is worked exactly once, by whichever thread, however
    // often this runs (the shared thread may take the second band, or hand it back).
    for (int round = 0; round < 20; ++round) {
        std::atomic<int> rows[200] = {};
        LGMaskInTwoBands(0, 200, [&](std::size_t from, std::size_t to) {
            for (std::size_t y = from; y < to; ++y) rows[y].fetch_add(1);
        });
        for (int y = 0; y < 200; ++y) ASSERT_EQ(rows[y].load(), 1) << "row " << y;
    }
}
