#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"

// Tests that run on a manual clock starting at T0, and leave the main queue empty behind them.
class ManualTimeTest : public ::testing::Test {
  protected:
    static constexpr dispatch::Nanos T0 = 1000 * dispatch::kNanosPerSecond;

    void TearDown() override { dispatch::RunLoop::main().runUntil(dispatch::nowNanos()); }

    dispatch::ManualClock clock{dispatch::secondsFromNanos(T0)};
};

// A list that blocks on any thread can append to.
template <class T>
class SharedLog {
  public:
    void add(T value) {
        std::lock_guard lock(mutex_);
        items_.push_back(std::move(value));
    }
    std::vector<T> items() const {
        std::lock_guard lock(mutex_);
        return items_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<T> items_;
};
