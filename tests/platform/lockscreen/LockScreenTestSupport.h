#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "platform/base/ProcessInfo.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/dispatch/WallClock.h"
#include "platform/lockscreen/LockScreen.h"
#include "platform/ui/DeviceProfile.h"
#include "platform/ui/Screen.h"

// A lock screen on a manual clock, in en_US and UTC, with the wall clock at 9:41:00 on
// 2026-12-07 (a Monday), on the profile the test chooses.
class LockScreenTest : public ::testing::Test {
  protected:
    static constexpr dispatch::Nanos T0 = 1000 * dispatch::kNanosPerSecond;
    // 2026-12-07 09:41:00 UTC.
    static constexpr std::time_t kStart = 1796636460;

    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        ::setenv("LC_ALL", "en_US", 1);
        dispatch::setWallClock(std::chrono::system_clock::from_time_t(kStart));
    }
    void TearDown() override {
        lock.reset();
        dispatch::RunLoop::main().runUntil(dispatch::nowNanos());
        dispatch::resetWallClock();
        ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone());
    }

    void build(const ui::DeviceProfile& profile) {
        ui::Screen::setMainProfile(profile);
        lock = lockscreen::LockScreen::create(nullptr);
        ASSERT_NE(lock, nullptr);
    }

    void runUntilSeconds(double seconds) {
        dispatch::RunLoop::main().runUntil(T0 + dispatch::nanosFromSeconds(seconds));
    }

    dispatch::ManualClock clock{dispatch::secondsFromNanos(T0)};
    std::unique_ptr<lockscreen::LockScreen> lock;
};
