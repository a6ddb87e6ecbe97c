#include "hosts/homescreen/HomeScreenOptions.h"

#include <cstdio>
#include <map>

#include "platform/text/Locale.h"

const char* const kHomeScreenUsage =
    "usage: homescreen [options]\n"
    "\n"
    "Plays the phone's home-screen process: builds the lock screen, loads the tweaks meant for\n"
    "it, and either stays up on the real clock or runs a scene script on a manual clock.\n"
    "\n"
    "options:\n"
    "  --device-root DIR     the folder that plays the phone's file system\n"
    "  --device NAME         modern-phone (default), phone-60hz, legacy-phone, tablet\n"
    "  --system-version V    the system version to report, e.g. 15.4 (default: the device's)\n"
    "  --wallpaper FILE      PNG or JPEG wallpaper (default: the built-in one)\n"
    "  --appearance STYLE    light (default) or dark\n"
    "  --locale ID           locale of the clock and date, e.g. en_US (default), zh_CN\n"
    "  --time-zone ZONE      time zone, e.g. UTC (default), Europe/Berlin\n"
    "  --time TIME           the clock at start, \"YYYY-MM-DD HH:MM\" (default 2026-12-07 09:41),\n"
    "                        or \"now\" for the machine's time\n"
    "  --script FILE         run this scene script on a manual clock, then exit\n"
    "  --scene NAME          run a built-in scene, then exit: picture (lockscreen.png, a second\n"
    "                        after start) or frames (PNG frames of a scroll and of a\n"
    "                        notification arriving)\n"
    "  --default-scene       the same as --scene picture\n"
    "  --notifications N     sample notifications shown in the picture scene (0 to 6)\n"
    "  -o, --output-dir DIR  where snapshots are written (default: the current directory)\n"
    "  --bundle-id ID        the bundle identifier to play (default com.apple.springboard)\n"
    "  --no-tweaks           load no tweaks\n" QV_WINDOW_OPTIONS_USAGE
    "  -h, --help            show this text\n"
    "  --version             show the version\n"
    "\n"
    "Without --script, --scene or --default-scene the host stays up until it is interrupted;\n"
    "SIGUSR1 makes it write its windows' view trees to state.txt in the output folder. In its\n"
    "window the keys Left/Right scroll the pages, N and R add and remove a notification, C opens\n"
    "the camera, P the passcode view and D switches the appearance.\n";

namespace {

bool fail(std::ostream& err, const std::string& message) {
    err << "homescreen: " << message << "\n\n" << kHomeScreenUsage;
    return false;
}

bool daysInMonthValid(int year, int month, int day) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= days[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool validLocale(const std::string& id) {
    if (id.empty() || id.size() > 32) return false;
    for (char c : id) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '@' || c == '=' ||
                        c == '.';
        if (!ok) return false;
    }
    return true;
}

}  // namespace

std::optional<CivilTime> parseCivilTime(const std::string& text) {
    CivilTime t;
    char separator = 0;
    int consumed = 0;
    int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d%n", &t.year, &t.month, &t.day,
                             &separator, &t.hour, &t.minute, &consumed);
    if (fields != 6 || (separator != ' ' && separator != 'T')) return std::nullopt;
    if (std::size_t(consumed) < text.size()) {
        int more = 0;
        if (std::sscanf(text.c_str() + consumed, ":%2d%n", &t.second, &more) != 1 ||
            std::size_t(consumed + more) != text.size()) {
            return std::nullopt;
        }
    }
    if (t.year < 1970 || t.year > 9999 || !daysInMonthValid(t.year, t.month, t.day) || t.hour < 0 ||
        t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59) {
        return std::nullopt;
    }
    return t;
}

std::optional<HomeScreenOptions> parseHomeScreenOptions(const std::vector<std::string>& args,
                                                        const std::string& defaultDeviceRoot,
                                                        std::ostream& err) {
    HomeScreenOptions o;
    o.deviceRoot = defaultDeviceRoot;
    std::string device;
    std::string appearance;
    std::string version;
    std::string time;
    std::string notifications;
    bool sawScript = false;
    bool sawDefault = false;
    const std::map<std::string, std::string*> valued = {{"--device-root", &o.deviceRoot},
                                                        {"--device", &device},
                                                        {"--system-version", &version},
                                                        {"--wallpaper", &o.wallpaper},
                                                        {"--appearance", &appearance},
                                                        {"--locale", &o.locale},
                                                        {"--time-zone", &o.timeZone},
                                                        {"--time", &time},
                                                        {"--script", &o.script},
                                                        {"--output-dir", &o.outputDirectory},
                                                        {"-o", &o.outputDirectory},
                                                        {"--bundle-id", &o.bundleIdentifier},
                                                        {"--scene", &o.scene},
                                                        {"--notifications", &notifications}};
    std::map<std::string, bool> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            o.help = true;
            return o;
        }
        if (arg == "--version") {
            o.version = true;
            return o;
        }
        if (arg == "--no-tweaks") {
            o.loadTweaks = false;
            continue;
        }
        if (arg == "--default-scene") {
            sawDefault = true;
            continue;
        }
        std::string windowError;
        const WindowOptionParse window = takeWindowOption(args, i, o.window, windowError);
        if (window == WindowOptionParse::Invalid) {
            fail(err, windowError);
            return std::nullopt;
        }
        if (window == WindowOptionParse::Taken) continue;
        const auto it = valued.find(arg);
        if (it == valued.end()) {
            fail(err, "unknown option '" + arg + "'");
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            fail(err, arg + " needs a value");
            return std::nullopt;
        }
        if (seen[arg == "-o" ? "--output-dir" : arg]) {
            fail(err, arg + " given twice");
            return std::nullopt;
        }
        seen[arg == "-o" ? "--output-dir" : arg] = true;
        *it->second = args[++i];
        if (arg == "--script") sawScript = true;
        if (arg == "--scene") sawDefault = true;
        if (it->second->empty()) {
            fail(err, arg + " needs a non-empty value");
            return std::nullopt;
        }
    }

    if (sawScript && sawDefault) {
        fail(err, "--script and a built-in scene exclude each other");
        return std::nullopt;
    }
    o.mode = sawScript    ? HomeScreenOptions::Mode::Script
             : sawDefault ? HomeScreenOptions::Mode::BuiltInScene
                          : HomeScreenOptions::Mode::StayUp;
    if (o.window.enabled && o.mode != HomeScreenOptions::Mode::StayUp) {
        fail(err, "--window runs on the real clock; it excludes --script and built-in scenes");
        return std::nullopt;
    }
    if (o.window.placementGiven() && !o.window.enabled) {
        fail(err, "--window-scale and --window-position need --window");
        return std::nullopt;
    }
    if (o.scene != "picture" && o.scene != "frames") {
        fail(err, "--scene must be picture or frames (got '" + o.scene + "')");
        return std::nullopt;
    }
    if (!notifications.empty()) {
        if (notifications.size() != 1 || notifications[0] < '0' || notifications[0] > '6') {
            fail(err, "--notifications must be a number from 0 to 6 (got '" + notifications + "')");
            return std::nullopt;
        }
        o.notifications = notifications[0] - '0';
    }
    if (!device.empty()) {
        auto profile = ui::DeviceProfile::named(device);
        if (!profile) {
            fail(err, "unknown device '" + device +
                          "' (modern-phone, phone-60hz, legacy-phone, tablet)");
            return std::nullopt;
        }
        o.profile = *profile;
    }
    if (!version.empty()) {
        o.systemVersion = base::parseOperatingSystemVersion(version);
        if (!o.systemVersion || o.systemVersion->majorVersion < 15 ||
            o.systemVersion->majorVersion > 30) {
            fail(err, "--system-version must be a version from 15 to 30, e.g. 15.4 (got '" +
                          version + "')");
            return std::nullopt;
        }
    }
    if (!appearance.empty()) {
        if (appearance != "light" && appearance != "dark") {
            fail(err, "--appearance must be light or dark (got '" + appearance + "')");
            return std::nullopt;
        }
        o.dark = appearance == "dark";
    }
    if (!validLocale(o.locale)) {
        fail(err, "--locale must be a locale identifier such as en_US (got '" + o.locale + "')");
        return std::nullopt;
    }
    if (!text::TimeZone::named(o.timeZone)) {
        fail(err, "unknown time zone '" + o.timeZone + "'");
        return std::nullopt;
    }
    if (time == "now") {
        o.startTime.reset();
    } else if (!time.empty()) {
        if (!parseCivilTime(time)) {
            fail(err, "--time must be \"YYYY-MM-DD HH:MM[:SS]\" or \"now\" (got '" + time + "')");
            return std::nullopt;
        }
        o.startTime = time;
    }
    if (o.bundleIdentifier.size() > 255) {
        fail(err, "--bundle-id is too long");
        return std::nullopt;
    }
    return o;
}
