#pragma once

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>

#include "glass/detail/LGWallpaperSnapshotTesting.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/dispatch/WallClock.h"
#include "platform/lockscreen/LockScreen.h"
#include "platform/ui/DeviceProfile.h"
#include "platform/ui/Screen.h"
#include "tests/support/SupportTestFixture.h"
#include "tweak/detail/LGClockTickTesting.h"
#include "tweak/detail/LGClockVariableFontTesting.h"

// The clock's code against lock screens built from the home-screen process's own view classes,
// in process: a manual clock, en_US in UTC at 9:41 on 2026-12-07, a fresh device root holding the
// clock font where the settings bundle keeps it, and a fresh wallpaper snapshot.
class ClockTest : public SupportTest {
  protected:
    static constexpr double T0 = 1000;

    ClockTest() {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        ::setenv("LC_ALL", "en_US", 1);
        dispatch::setWallClock(std::chrono::system_clock::from_time_t(1796636460));
        LGWallpaperSnapshotResetForTesting();
        lg::detail::resetClockVariableFontForTesting();
        lg::detail::resetClockTickForTesting();
        const std::filesystem::path font = root.resolve(
            "/var/jb/Library/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf");
        std::filesystem::create_directories(font.parent_path());
        std::filesystem::create_directories(root.resolve("/tmp"));
        std::filesystem::copy_file(QV_CLOCK_FONT_FILE, font);
    }
    ~ClockTest() override {
        lock.reset();
        dispatch::RunLoop::main().runUntil(dispatch::nowNanos());
        dispatch::resetWallClock();
        lg::detail::resetClockTickForTesting();
        LGWallpaperSnapshotResetForTesting();
        lg::detail::resetClockVariableFontForTesting();
        ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone());
    }

    // The lock screen of a profile; the process reports the profile's system version.
    void build(const ui::DeviceProfile& profile, graphics::ImageRef wallpaper = nullptr) {
        ui::Screen::setMainProfile(profile);
        lg::detail::resetProcessFactsForTesting();
        lock = lockscreen::LockScreen::create(std::move(wallpaper));
        lock->layoutIfNeeded();
    }
    void buildModern() { build(ui::DeviceProfile::modernPhone()); }
    void buildLegacy() { build(ui::DeviceProfile::legacyPhone()); }

    // Stores the settings as the settings page would and lets the store see them.
    void setSettings(const base::PlistDictionary& entries) {
        storeDomain(entries);
        LGPrefsReload();
    }

    void runUntilSeconds(double seconds) {
        dispatch::RunLoop::main().runUntil(dispatch::nanosFromSeconds(T0 + seconds));
    }

    dispatch::ManualClock clock{T0};
    std::unique_ptr<lockscreen::LockScreen> lock;
};
