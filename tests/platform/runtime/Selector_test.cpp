#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/runtime/Selector.h"

using runtime::Selector;

TEST(Selector, SameTextInternsToOneSelectorAndKeepsItsName) {
    const std::string built = std::string("set") + "Alpha:";
    EXPECT_EQ(Selector::named("setAlpha:"), Selector::named(built));
    EXPECT_NE(Selector::named("setAlpha:"), Selector::named("setAlpha"));
    EXPECT_EQ(Selector::named(built).name(), "setAlpha:");
    EXPECT_EQ(QV_SEL("setAlpha:"), Selector::named("setAlpha:"));

    EXPECT_FALSE(Selector::named(""));
    EXPECT_EQ(Selector::named(""), Selector());
    EXPECT_EQ(Selector().name(), "");
}

TEST(Selector, ThreadsInterningTheSameNamesAgree) {
    constexpr int kThreads = 4;
    constexpr int kNames = 200;
    std::vector<std::vector<Selector>> seen(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &seen] {
            for (int i = 0; i < kNames; ++i) {
                seen[t].push_back(Selector::named("concurrent" + std::to_string(i) + ":"));
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 1; t < kThreads; ++t) EXPECT_EQ(seen[t], seen[0]);
    EXPECT_EQ(seen[0][17].name(), "concurrent17:");
}
