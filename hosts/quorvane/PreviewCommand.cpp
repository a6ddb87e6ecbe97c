#include "hosts/quorvane/PreviewCommand.h"

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

#include "hosts/quorvane/HostGroup.h"
#include "hosts/quorvane/HostLauncher.h"
#include "hosts/quorvane/PreviewDeviceRoot.h"
#include "hosts/window/DisplayConnection.h"
#include "hosts/window/WindowOptions.h"
#include "platform/base/DeviceRoot.h"
#include "platform/ui/DeviceProfile.h"

namespace {

constexpr const char* kUsage =
    "usage: quorvane preview [options]\n"
    "\n"
    "Shows the lock screen and the Settings app in two desktop windows: the home-screen host and\n"
    "the Settings host run as real processes on one device root, and every change made in the\n"
    "Settings window reaches the glass clock in the lock-screen window.\n"
    "\n"
    "options:\n"
    "  --device-root DIR     the device root to run on (default: a fresh one with the build's\n"
    "                        tweak and preference bundles, removed at the end)\n"
    "  --device NAME         the device both windows play: modern-phone (default), phone-60hz,\n"
    "                        legacy-phone, tablet\n"
    "  --scale S             window pixels per point, 0.25 to 4 (default 1)\n"
    "  --appearance STYLE    light (default) or dark\n"
    "  -o, --output-dir DIR  where F12 or SIGUSR2 to a host writes its window's frame\n"
    "                        (lockscreen-window.png, settings-window.png; default out)\n"
    "  -h, --help            show this text\n"
    "\n"
    "In the Settings window the mouse is a finger and typing goes to the focused text field. In\n"
    "the lock-screen window Left/Right scroll the pages, N and R add and remove a notification,\n"
    "C opens the camera, P the passcode view, D switches the appearance. Closing either window,\n"
    "Ctrl-C or SIGTERM ends both.\n";

// The gap between the two windows on the desktop, in pixels.
constexpr int kWindowGap = 16;
// The status with which a host says it could not open its window (it printed why).
constexpr int kHostNoWindow = 3;

struct PreviewOptions {
    std::string deviceRoot;
    std::string device = "modern-phone";
    double scale = 1.0;
    bool dark = false;
    std::string outputDirectory = "out";
    bool help = false;
};

std::optional<PreviewOptions> parse(const std::vector<std::string>& args, std::string& error) {
    PreviewOptions o;
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            o.help = true;
            return o;
        }
        const std::string name = arg == "-o" ? "--output-dir" : arg;
        if (name != "--device-root" && name != "--device" && name != "--scale" &&
            name != "--appearance" && name != "--output-dir") {
            error = "unknown option '" + arg + "'";
            return std::nullopt;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = arg + " needs a value";
            return std::nullopt;
        }
        for (const auto& earlier : seen) {
            if (earlier == name) {
                error = arg + " given twice";
                return std::nullopt;
            }
        }
        seen.push_back(name);
        const std::string& value = args[++i];
        if (name == "--device-root") {
            o.deviceRoot = value;
        } else if (name == "--device") {
            if (!ui::DeviceProfile::named(value)) {
                error = "unknown device '" + value +
                        "' (modern-phone, phone-60hz, legacy-phone, tablet)";
                return std::nullopt;
            }
            o.device = value;
        } else if (name == "--scale") {
            const auto scale = parseWindowScale(value);
            if (!scale) {
                error = "--scale must be a number from 0.25 to 4 (got '" + value + "')";
                return std::nullopt;
            }
            o.scale = *scale;
        } else if (name == "--appearance") {
            if (value != "light" && value != "dark") {
                error = "--appearance must be light or dark (got '" + value + "')";
                return std::nullopt;
            }
            o.dark = value == "dark";
        } else {
            o.outputDirectory = value;
        }
    }
    return o;
}

std::string formatScale(double scale) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", scale);
    return text;
}

// "exit status 4", "signal 11": how a host ended.
std::string describeEnd(int status) {
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
}

}  // namespace

int runPreviewCommand(const std::vector<std::string>& args, const std::string& chosenDeviceRoot) {
    // Pass 1: the command line, checked before anything starts.
    std::string error;
    auto options = parse(args, error);
    if (!options) {
        std::fprintf(stderr, "%s\nquorvane preview: %s\n", kUsage, error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    // Pass 2: a display to show the windows on. Asking here, before any host starts, gives one
    // clear line instead of two hosts failing the same way.
    if (!DisplayConnection::open(error)) {
        std::fprintf(stderr, "quorvane preview: %s\n", error.c_str());
        return 1;
    }

    // Pass 3: the device root.
    std::unique_ptr<PreviewDeviceRoot> fresh;
    std::string root = options->deviceRoot.empty() ? chosenDeviceRoot : options->deviceRoot;
    if (root.empty()) {
        fresh = std::make_unique<PreviewDeviceRoot>();
        std::string notes;
        const bool made = fresh->create(QV_DEFAULT_DEVICE_ROOT, error, notes);
        std::fputs(notes.c_str(), stderr);
        if (!made) {
            std::fprintf(stderr, "quorvane preview: %s\n", error.c_str());
            return 1;
        }
        root = fresh->path();
    } else {
        base::setDeviceRoot(root);
        if (!base::layOutDeviceRoot(&error)) {
            std::fprintf(stderr, "quorvane preview: %s\n", error.c_str());
            return 1;
        }
    }

    // Pass 4: the two hosts, side by side.
    const ui::DeviceProfile profile = *ui::DeviceProfile::named(options->device);
    const int lockWidth = int(std::lround(profile.pointSize.width * options->scale));
    const std::string scale = formatScale(options->scale);
    const std::vector<std::string> common = {"--device-root",         root,  "--window",
                                             "--window-scale",        scale, "--output-dir",
                                             options->outputDirectory};
    std::vector<std::string> lockArgs = {"homescreen"};
    lockArgs.insert(lockArgs.end(), common.begin(), common.end());
    lockArgs.insert(lockArgs.end(), {"--window-position", "0,0", "--device", options->device,
                                     "--appearance", options->dark ? "dark" : "light"});
    std::vector<std::string> settingsArgs = {"settings"};
    settingsArgs.insert(settingsArgs.end(), common.begin(), common.end());
    settingsArgs.insert(settingsArgs.end(),
                        {"--window-position", std::to_string(lockWidth + kWindowGap) + ",0",
                         "--device", options->device});
    if (options->dark) settingsArgs.push_back("--dark");

    HostGroup group;
    if (!group.start("home-screen", hostProgramPath("homescreen", QV_HOMESCREEN_PATH), lockArgs,
                     error) ||
        !group.start("Settings", hostProgramPath("settings", QV_SETTINGS_PATH), settingsArgs,
                     error)) {
        std::fprintf(stderr, "quorvane preview: %s\n", error.c_str());
        group.stop();
        return 1;
    }
    std::printf(
        "quorvane preview: lock screen (home-screen host, pid %d) and Settings (pid %d) on the "
        "device root %s; close a window or press Ctrl-C to end\n",
        int(group.hosts()[0].pid), int(group.hosts()[1].pid), root.c_str());
    std::fflush(stdout);

    // Pass 5: until either window closes, either host dies, or the command is asked to stop.
    const HostGroup::Ending ending = group.wait();
    group.stop();
    if (ending.signalled || !ending.first) return 0;
    const int status = ending.first->status;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return 0;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kHostNoWindow) return 1;
    std::fprintf(stderr, "quorvane preview: the %s host stopped (%s); the preview ends\n",
                 ending.first->name.c_str(), describeEnd(status).c_str());
    return 1;
}
