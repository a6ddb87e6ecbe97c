// The home-screen host: plays the phone's home-screen process. It builds the lock screen from
// the system's view classes, loads the tweaks meant for it the way the hooking framework does,
// and then either stays up on the real clock or runs a scene script on a manual clock.
#include <signal.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "assets/wallpapers/QuorvaneWallpaper.h"
#include "hosts/homescreen/BuiltInScenes.h"
#include "hosts/homescreen/HomeScreenActions.h"
#include "hosts/homescreen/HomeScreenOptions.h"
#include "hosts/homescreen/LockScreenKeys.h"
#include "hosts/scene/ViewTreeDescription.h"
#include "hosts/window/WindowPresenter.h"
#include "platform/PlatformVersion.h"
#include "platform/base/DeviceRoot.h"
#include "platform/base/ProcessInfo.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/dispatch/WallClock.h"
#include "platform/graphics/ImageFile.h"
#include "platform/lockscreen/LockScreen.h"
#include "platform/substrate/TweakLoader.h"
#include "platform/ui/Screen.h"

namespace {

volatile std::sig_atomic_t gStopRequested = 0;
volatile std::sig_atomic_t gDescribeRequested = 0;

void requestStop(int) {
    gStopRequested = 1;
}

void requestDescription(int) {
    gDescribeRequested = 1;
}

// The folders a phone has, so that the log and preference files appear where programs look.
bool prepareDeviceRoot(std::string& error) {
    for (const char* folder : {"/tmp", "/var/mobile/Library/Preferences",
                               "/var/jb/Library/MobileSubstrate/DynamicLibraries",
                               "/var/jb/Library/PreferenceBundles"}) {
        const std::string path = base::resolveDevicePath(folder);
        if (!base::makeDirectories(path)) {
            error = "cannot make " + path + " in the device root";
            return false;
        }
    }
    return true;
}

std::optional<dispatch::Date> startDate(const std::string& text) {
    const auto civil = parseCivilTime(text);
    if (!civil) return std::nullopt;
    std::tm fields{};
    fields.tm_year = civil->year - 1900;
    fields.tm_mon = civil->month - 1;
    fields.tm_mday = civil->day;
    fields.tm_hour = civil->hour;
    fields.tm_min = civil->minute;
    fields.tm_sec = civil->second;
    fields.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&fields);
    if (seconds == std::time_t(-1)) return std::nullopt;
    return std::chrono::system_clock::from_time_t(seconds);
}

graphics::ImageRef loadWallpaper(const HomeScreenOptions& options, std::string& error) {
    const base::Size size = options.profile.pointSize;
    const double scale = options.profile.scale;
    if (options.wallpaper.empty()) {
        return QVMakeDefaultWallpaper(int(std::lround(size.width * scale)),
                                      int(std::lround(size.height * scale)), scale);
    }
    std::string reason;
    auto image = graphics::readImageFile(options.wallpaper, &reason);
    if (!image) error = "cannot use the wallpaper " + options.wallpaper + ": " + reason;
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const char* envRoot = std::getenv("QUORVANE_DEVICE_ROOT");
    auto options = parseHomeScreenOptions(
        args, envRoot && *envRoot ? std::string(envRoot) : std::string(QV_DEFAULT_DEVICE_ROOT),
        std::cerr);
    if (!options) return 2;
    if (options->help) {
        std::cout << kHomeScreenUsage;
        return 0;
    }
    if (options->version) {
        std::cout << "homescreen " << QV_VERSION << " (platform " << platform::version() << ")\n";
        return 0;
    }

    if (options->window.enabled) WindowPresenter::prepareProcess();

    // Pass 1: the process as the phone would start it.
    std::string error;
    base::setDeviceRoot(options->deviceRoot);
    if (!prepareDeviceRoot(error)) {
        std::cerr << "homescreen: " << error << "\n";
        return 1;
    }
    ::setenv("TZ", options->timeZone.c_str(), 1);
    ::tzset();
    ::setenv("LC_ALL", options->locale.c_str(), 1);
    base::setMainBundleIdentifier(options->bundleIdentifier);
    ui::DeviceProfile profile = options->profile;
    if (options->systemVersion) profile.systemVersion = *options->systemVersion;
    ui::Screen::setMainProfile(profile);
    if (options->dark) ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Dark);

    // Pass 2: the clocks. A scene runs on a manual clock, installed before any timer is armed.
    std::optional<dispatch::ManualClock> manualClock;
    if (options->mode != HomeScreenOptions::Mode::StayUp) manualClock.emplace();
    if (options->startTime) dispatch::setWallClock(*startDate(*options->startTime));

    // Pass 3: everything from outside is checked before anything runs.
    std::unique_ptr<lockscreen::LockScreen> lockScreen;
    const scene::ActionTable actions = makeHomeScreenActions(lockScreen, options->outputDirectory);
    std::optional<scene::Script> script;
    if (options->mode == HomeScreenOptions::Mode::Script) {
        script = scene::loadScript(options->script, actions, error);
    } else if (options->mode == HomeScreenOptions::Mode::BuiltInScene) {
        script = scene::parseScript(builtInScene(options->scene, options->notifications),
                                    "built-in scene " + options->scene, actions, error);
    }
    if (options->mode != HomeScreenOptions::Mode::StayUp && !script) {
        std::cerr << "homescreen: " << error << "\n";
        return 2;
    }
    graphics::ImageRef wallpaper = loadWallpaper(*options, error);
    if (!wallpaper) {
        std::cerr << "homescreen: " << error << "\n";
        return 1;
    }

    // Pass 4: tweaks load before the lock screen is built, as they do at the process's launch,
    // so that their hooks see the lock screen's views arrive.
    if (options->loadTweaks) substrate::loadTweaks(options->bundleIdentifier, "SpringBoard");
    lockScreen = lockscreen::LockScreen::create(std::move(wallpaper));
    dispatch::RunLoop::main().runUntil(dispatch::nowNanos());

    // Pass 5: the window, when asked for. Without a display the host says so and stops.
    std::unique_ptr<WindowPresenter> presenter;
    std::optional<LockScreenKeys> keys;
    if (options->window.enabled) {
        WindowPresenter::Configuration window;
        window.program = "homescreen";
        window.title = "Quorvane \u2014 Lock screen";
        window.options = options->window;
        window.pointWidth = profile.pointSize.width;
        window.pointHeight = profile.pointSize.height;
        window.outputDirectory = options->outputDirectory;
        window.frameName = "lockscreen-window";
        presenter = WindowPresenter::create(window, error);
        if (!presenter) {
            std::cerr << "homescreen: " << error << "\n";
            lockScreen.reset();
            return 3;
        }
        keys.emplace(actions, lockScreen);
        presenter->setKeyHandler([&keys](const std::string& key) { keys->handle(key); });
    }

    // Pass 6: the scene, or the process's life.
    int status = 0;
    if (script) {
        if (!scene::runScript(*script, actions, error)) {
            std::cerr << "homescreen: " << error << "\n";
            status = 1;
        }
    } else {
        std::signal(SIGINT, requestStop);
        std::signal(SIGTERM, requestStop);
        std::signal(SIGUSR1, requestDescription);
        while (!gStopRequested && !(presenter && presenter->isClosed())) {
            dispatch::RunLoop::main().runFor(dispatch::milliseconds(250));
            if (gDescribeRequested) {
                gDescribeRequested = 0;
                if (!scene::writeWindowDescription(options->outputDirectory, "state.txt", error)) {
                    std::cerr << "homescreen: " << error << "\n";
                }
            }
        }
    }
    presenter.reset();
    lockScreen.reset();
    return status;
}
