// The `quorvane` command-line program: one entry point for the tools a user of this system runs
// from a shell. Each subcommand lives in its own file.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "hosts/quorvane/ControlsCommand.h"
#include "hosts/quorvane/DefaultsCommand.h"
#include "hosts/quorvane/GlassCommand.h"
#include "hosts/quorvane/LockscreenCommand.h"
#include "hosts/quorvane/PreviewCommand.h"
#include "hosts/quorvane/SettingsCommand.h"
#include "platform/PlatformVersion.h"
#include "platform/base/DeviceRoot.h"

namespace {

constexpr const char* kUsage =
    "usage: quorvane [--device-root DIR] <command> [arguments]\n"
    "\n"
    "commands:\n"
    "  controls [options] drag the settings page's glass slider and toggle its glass switch on\n"
    "                     the manual clock, writing PNG frames into out/controls\n"
    "                     (quorvane controls --help lists the options)\n"
    "  defaults read|write|delete <domain> [key] [value]\n"
    "                     read and change preference domains, as on the phone\n"
    "  glass [options]    render glass shaped like \"9:41\" over the built-in wallpaper into a\n"
    "                     PNG (quorvane glass --help lists the options)\n"
    "  lockscreen [options]\n"
    "                     run the home-screen host on a scene script and write its snapshots;\n"
    "                     without --script, one picture of the lock screen into out/\n"
    "                     (quorvane lockscreen --help lists the options)\n"
    "  preview [options]  the lock screen and the Settings app live in two desktop windows\n"
    "                     (quorvane preview --help lists the options)\n"
    "  settings [options] run the Settings host on a scene script and write its snapshots;\n"
    "                     without --script, one picture of the root list into out/\n"
    "                     (quorvane settings --help lists the options)\n"
    "  --help             show this text\n"
    "  --version          show the version\n"
    "\n"
    "The device root is the folder that plays the phone's file system\n"
    "(default: $QUORVANE_DEVICE_ROOT, else the build's device tree).\n";

std::string defaultDeviceRoot() {
    if (const char* env = std::getenv("QUORVANE_DEVICE_ROOT"); env && *env) return env;
    return QV_DEFAULT_DEVICE_ROOT;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string deviceRoot = defaultDeviceRoot();
    // Whether the command line or the environment chose the root, rather than the build.
    const char* envRoot = std::getenv("QUORVANE_DEVICE_ROOT");
    bool rootChosen = envRoot && *envRoot;

    if (!args.empty() && args[0] == "--device-root") {
        // An empty or missing folder would quietly fall back to another root; say so instead.
        if (args.size() < 2 || args[1].empty()) {
            std::fputs(kUsage, stderr);
            std::fputs("quorvane: --device-root needs a folder\n", stderr);
            return 2;
        }
        deviceRoot = args[1];
        rootChosen = true;
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    const std::string_view command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version") {
        std::printf("quorvane %s (platform %s)\n", QV_VERSION, platform::version());
        return 0;
    }
    // A new device root gets the folders every device has (the log's /tmp among them) before
    // any command uses it.
    base::setDeviceRoot(deviceRoot);
    if (command == "controls" || command == "defaults" || command == "glass" ||
        command == "lockscreen" || command == "settings") {
        std::string error;
        if (!base::layOutDeviceRoot(&error)) {
            std::fprintf(stderr, "quorvane: %s\n", error.c_str());
            return 1;
        }
    }
    if (command == "controls") {
        return runControlsCommand(std::vector<std::string>(args.begin() + 1, args.end()), std::cout,
                                  std::cerr);
    }
    if (command == "defaults") {
        return runDefaultsCommand(std::vector<std::string>(args.begin() + 1, args.end()),
                                  deviceRoot);
    }
    if (command == "glass") {
        return runGlassCommand(std::vector<std::string>(args.begin() + 1, args.end()), deviceRoot,
                               std::cout, std::cerr);
    }
    if (command == "lockscreen") {
        return runLockscreenCommand(std::vector<std::string>(args.begin() + 1, args.end()),
                                    deviceRoot);
    }
    if (command == "preview") {
        return runPreviewCommand(std::vector<std::string>(args.begin() + 1, args.end()),
                                 rootChosen ? deviceRoot : std::string());
    }
    if (command == "settings") {
        return runSettingsCommand(std::vector<std::string>(args.begin() + 1, args.end()),
                                  deviceRoot);
    }
    std::fprintf(stderr, "%s\nquorvane: unknown command '%s'\n", kUsage, args[0].c_str());
    return 2;
}
