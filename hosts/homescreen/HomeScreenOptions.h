#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "hosts/window/WindowOptions.h"
#include "platform/base/ProcessInfo.h"
#include "platform/ui/DeviceProfile.h"

// The home-screen host's command line.
struct HomeScreenOptions {
    std::string deviceRoot;
    ui::DeviceProfile profile = ui::DeviceProfile::modernPhone();
    std::optional<base::OperatingSystemVersion> systemVersion;  // the profile's when unset
    std::string wallpaper;                                      // empty: the built-in one
    bool dark = false;
    std::string locale = "en_US";
    std::string timeZone = "UTC";
    // The wall clock at start, "YYYY-MM-DD HH:MM[:SS]" in the time zone; nullopt: real time.
    std::optional<std::string> startTime = "2026-12-07 09:41";
    std::string bundleIdentifier = "com.apple.springboard";
    bool loadTweaks = true;
    enum class Mode { StayUp, Script, BuiltInScene } mode = Mode::StayUp;
    std::string script;
    std::string scene = "picture";  // the built-in scene's name
    int notifications = 0;          // sample notifications in the "picture" scene
    std::string outputDirectory = ".";
    // Stay up showing the lock screen in a desktop window (StayUp mode only).
    WindowOptions window;
    bool help = false;
    bool version = false;
};

extern const char* const kHomeScreenUsage;

// The options, or nullopt after writing what was wrong (and the usage) to `err`.
std::optional<HomeScreenOptions> parseHomeScreenOptions(const std::vector<std::string>& args,
                                                        const std::string& defaultDeviceRoot,
                                                        std::ostream& err);

// "2026-12-07 09:41" or "2026-12-07T09:41:30" → its fields; nullopt for anything else or an
// impossible date.
struct CivilTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
std::optional<CivilTime> parseCivilTime(const std::string& text);
