#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/ui/Control.h"
#include "platform/ui/TouchSource.h"
#include "platform/ui/Window.h"
#include "tests/platform/prefs/TestDeviceRoot.h"

// The glass controls in a shown window at the screen's origin, on a manual clock at T0 with a
// fresh device root. Touches are synthesised through the process's finger, in screen points.
class GlassControlsTest : public ::testing::Test {
  protected:
    static constexpr double T0 = 1000;

    void SetUp() override;
    void TearDown() override;

    // Seconds since T0.
    double elapsed() const;
    // Runs the main loop to `seconds` after T0 (timers and display links on the way fire).
    void runUntilSeconds(double seconds);
    // n screen refreshes.
    void frames(int n);
    // Refreshes until `done` or `limit` refreshes have passed; the refreshes it took.
    template <class Done>
    int framesUntil(Done done, int limit = 600) {
        for (int i = 0; i < limit; ++i) {
            if (done()) return i;
            frames(1);
        }
        return limit;
    }

    TestDeviceRoot root;
    dispatch::ManualClock clock{T0};
    std::shared_ptr<ui::Window> window;
    ui::TouchSource& finger = ui::TouchSource::shared();
};

// Counts the control events a control sends, by name.
struct ControlEventLog {
    std::vector<std::string> names;
    void attach(ui::Control& control);
    int count(const std::string& name) const;
};
