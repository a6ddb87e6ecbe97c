// The clock's costs, on a lock screen built from the home-screen process's own view classes:
//   - one LGClockIsHostBlocked walk on a lock screen with 20 notifications;
//   - one mask build for "10:09" at the modern clock's size;
//   - one idle refreshForDisplayLink (nothing changed: it runs on every tick) against one that
//     rebuilds the mask (the label's text changed).
//
//   qv_clock_bench [google-benchmark flags]
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/base/DeviceRoot.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/dispatch/WallClock.h"
#include "platform/lockscreen/LockScreen.h"
#include "platform/ui/Screen.h"
#include "tweak/LGClockFonts.h"
#include "tweak/LGClockGlassView.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGClockInjection.h"
#include "tweak/LGClockMask.h"
#include "tweak/LGClockTick.h"

namespace fs = std::filesystem;

namespace {

// A lock screen for the whole run, on a device root holding the clock font, with `notifications`
// notifications below the clock.
struct Scene {
    explicit Scene(int notifications) {
        std::string pattern = (fs::temp_directory_path() / "quorvane-clock-bench-XXXXXX").string();
        root = ::mkdtemp(pattern.data()) ? pattern : std::string();
        base::setDeviceRoot(root);
        const fs::path font =
            root +
            "/var/jb/Library/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf";
        fs::create_directories(font.parent_path());
        fs::create_directories(root + "/tmp");
        fs::copy_file(QV_CLOCK_FONT_FILE, font);
        ::setenv("TZ", "UTC", 1);
        ::setenv("LC_ALL", "en_US", 1);
        dispatch::setWallClock(std::chrono::system_clock::from_time_t(1796636460));
        lock = lockscreen::LockScreen::create(nullptr);
        for (int i = 0; i < notifications; ++i) {
            lock->addNotification({"n" + std::to_string(i), "MAIL", "Title", "Body", i % 3 == 0});
        }
        lock->layoutIfNeeded();
        LGClockUpdateHost(lock->clockView());
        overlay = LGClockOverlayForHost(lock->clockView().get());
        // Past the busy period: the clock is idle.
        dispatch::RunLoop::main().runUntil(dispatch::nowNanos() + dispatch::nanosFromSeconds(2));
    }
    ~Scene() {
        lock.reset();
        fs::remove_all(root);
    }
    std::string root;
    std::unique_ptr<lockscreen::LockScreen> lock;
    std::shared_ptr<LGClockGlassView> overlay;
};

// One manual clock for every scene; one scene alive at a time.
dispatch::ManualClock& manualClock() {
    static dispatch::ManualClock clock{1000};
    return clock;
}

Scene& scene(int notifications) {
    manualClock();
    static std::unique_ptr<Scene> current;
    static int shown = -1;
    if (shown != notifications) {
        current.reset();
        current = std::make_unique<Scene>(notifications);
        shown = notifications;
    }
    return *current;
}

void BM_HostBlockedWithTwentyNotifications(benchmark::State& state) {
    auto host = scene(20).lock->clockView();
    for (auto _ : state) benchmark::DoNotOptimize(LGClockIsHostBlocked(host));
}
BENCHMARK(BM_HostBlockedWithTwentyNotifications);

void BM_MaskFor1009AtModernClockSize(benchmark::State& state) {
    Scene& s = scene(0);
    LGClockDisplayState display;
    display.text = "10:09";
    display.font = LGClockDisplayFont(s.lock->timeLabel().get(), s.lock->clockView().get());
    display.layoutFont = display.font;
    const base::Rect bounds = s.overlay->bounds();
    for (auto _ : state) {
        benchmark::DoNotOptimize(LGClockMaskImage(display, bounds, s.lock->clockView().get()));
    }
    state.counters["width_pt"] = bounds.width();
    state.counters["height_pt"] = bounds.height();
}
BENCHMARK(BM_MaskFor1009AtModernClockSize)->Unit(benchmark::kMillisecond);

// The tick of a quiet clock: nothing changed, no notification.
void BM_IdleRefreshForDisplayLink(benchmark::State& state) {
    Scene& s = scene(0);
    for (auto _ : state) s.overlay->refreshForDisplayLink();
}
BENCHMARK(BM_IdleRefreshForDisplayLink);

// The tick with notifications right below the clock: a full check (walk, height axis) each tick.
void BM_RefreshWithNotificationsBelow(benchmark::State& state) {
    Scene& s = scene(20);
    for (auto _ : state) s.overlay->refreshForDisplayLink();
}
BENCHMARK(BM_RefreshWithNotificationsBelow)->Unit(benchmark::kMicrosecond);

void BM_RefreshThatRebuildsTheMask(benchmark::State& state) {
    Scene& s = scene(0);
    auto label = s.lock->timeLabel();
    bool odd = false;
    for (auto _ : state) {
        state.PauseTiming();
        // The label changes behind the overlay's back (the hooks are not installed here).
        label->setText(odd ? "10:09" : "10:08");
        odd = !odd;
        state.ResumeTiming();
        s.overlay->refreshForDisplayLink();
    }
}
BENCHMARK(BM_RefreshThatRebuildsTheMask)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
