// The Settings host: plays the phone's Settings app. Its first page lists the preference bundles
// installed in the device root; choosing one loads it and shows its root controller. It either
// stays up on the real clock or runs a scene script on a manual clock.
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "hosts/settings/SettingsActions.h"
#include "hosts/settings/SettingsRootController.h"
#include "hosts/window/WindowPresenter.h"
#include "platform/PlatformVersion.h"
#include "platform/base/DeviceRoot.h"
#include "platform/base/ProcessInfo.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace {

constexpr const char* kUsage =
    "usage: settings [options]\n"
    "\n"
    "  --device-root DIR   the folder that plays the phone's file system\n"
    "  --script FILE       run the scene script on a manual clock, then exit\n"
    "  --default-scene     run the built-in scene (a picture of the root list)\n"
    "  --scene NAME        run a built-in scene: root (the root list) or page (the settings\n"
    "                      page of QuorvanePrefs, top and bottom)\n"
    "  --device NAME       modern-phone (default), phone-60hz, legacy-phone, tablet\n"
    "  -o, --output-dir DIR\n"
    "                      where snapshots go (default: the current folder)\n"
    "  --dark              start in dark appearance\n" QV_WINDOW_OPTIONS_USAGE
    "  --help, --version\n"
    "\n"
    "Without a script the host stays up on the real clock until interrupted. In its window the\n"
    "mouse is a finger on the screen and typing goes to the text field that has the focus.\n";

struct Options {
    std::string deviceRoot;
    std::string script;
    std::string outputDirectory = ".";
    std::string scene;
    ui::DeviceProfile device = ui::DeviceProfile::modernPhone();
    bool defaultScene = false;
    bool dark = false;
    WindowOptions window;
    bool help = false;
    bool version = false;
};

std::optional<Options> parse(const std::vector<std::string>& args, std::string root) {
    Options o;
    o.deviceRoot = std::move(root);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&](std::string& into) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                std::cerr << "settings: " << a << " needs a value\n";
                return false;
            }
            into = args[++i];
            return true;
        };
        std::string windowError;
        const WindowOptionParse window = takeWindowOption(args, i, o.window, windowError);
        if (window == WindowOptionParse::Invalid) {
            std::cerr << "settings: " << windowError << "\n";
            return std::nullopt;
        }
        if (window == WindowOptionParse::Taken) continue;
        if (a == "--device-root") {
            if (!value(o.deviceRoot)) return std::nullopt;
        } else if (a == "--script") {
            if (!value(o.script)) return std::nullopt;
        } else if (a == "-o" || a == "--output-dir") {
            if (!value(o.outputDirectory)) return std::nullopt;
        } else if (a == "--default-scene") {
            o.defaultScene = true;
        } else if (a == "--scene") {
            if (!value(o.scene)) return std::nullopt;
            if (builtInSettingsScene(o.scene) == nullptr) {
                std::cerr << "settings: unknown scene '" << o.scene << "' (root or page)\n";
                return std::nullopt;
            }
        } else if (a == "--device") {
            std::string name;
            if (!value(name)) return std::nullopt;
            const std::optional<ui::DeviceProfile> profile = ui::DeviceProfile::named(name);
            if (!profile) {
                std::cerr << "settings: unknown device '" << name
                          << "' (modern-phone, phone-60hz, legacy-phone or tablet)\n";
                return std::nullopt;
            }
            o.device = *profile;
        } else if (a == "--dark") {
            o.dark = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else {
            std::cerr << "settings: unknown option '" << a << "'\n\n" << kUsage;
            return std::nullopt;
        }
    }
    if (int(!o.script.empty()) + int(o.defaultScene) + int(!o.scene.empty()) > 1) {
        std::cerr << "settings: --script, --scene and --default-scene exclude each other\n";
        return std::nullopt;
    }
    if (o.window.enabled && (!o.script.empty() || o.defaultScene || !o.scene.empty())) {
        std::cerr << "settings: --window runs on the real clock; it excludes --script, --scene "
                     "and --default-scene\n";
        return std::nullopt;
    }
    if (o.window.placementGiven() && !o.window.enabled) {
        std::cerr << "settings: --window-scale and --window-position need --window\n";
        return std::nullopt;
    }
    if (o.defaultScene) o.scene = "root";
    return o;
}

volatile std::sig_atomic_t gStop = 0;

void requestStop(int) {
    gStop = 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const char* envRoot = std::getenv("QUORVANE_DEVICE_ROOT");
    auto options = parse(args, envRoot && *envRoot ? envRoot : QV_DEFAULT_DEVICE_ROOT);
    if (!options) return 2;
    if (options->help) {
        std::cout << kUsage;
        return 0;
    }
    if (options->version) {
        std::cout << "settings " << QV_VERSION << " (platform " << platform::version() << ")\n";
        return 0;
    }

    if (options->window.enabled) WindowPresenter::prepareProcess();

    // Pass 1: the process as the phone starts the Settings app.
    base::setDeviceRoot(options->deviceRoot);
    for (const char* folder :
         {"/tmp", "/var/mobile/Library/Preferences", "/var/jb/Library/PreferenceBundles"}) {
        if (!base::makeDirectories(base::resolveDevicePath(folder))) {
            std::cerr << "settings: cannot make " << folder << " in the device root\n";
            return 1;
        }
    }
    base::setMainBundleIdentifier("com.apple.Preferences");
    ui::Screen::setMainProfile(options->device);
    if (options->dark) ui::Screen::main()->setUserInterfaceStyle(ui::UserInterfaceStyle::Dark);
    const bool scripted = !options->scene.empty() || !options->script.empty();
    std::optional<dispatch::ManualClock> manualClock;
    if (scripted) manualClock.emplace();

    // Pass 2: the pages.
    auto root = std::make_shared<SettingsRootController>();
    auto navigation = ui::NavigationController::create(root);
    auto window = ui::Window::create(ui::Screen::main()->bounds());
    window->setRootViewController(navigation);

    // Pass 3: the script is checked before anything runs.
    std::string error;
    const scene::ActionTable actions =
        makeSettingsActions(navigation, root, options->outputDirectory);
    std::optional<scene::Script> script;
    if (!options->script.empty()) {
        script = scene::loadScript(options->script, actions, error);
    } else if (!options->scene.empty()) {
        script = scene::parseScript(builtInSettingsScene(options->scene),
                                    "built-in scene " + options->scene, actions, error);
    }
    if (scripted && !script) {
        std::cerr << "settings: " << error << "\n";
        return 2;
    }

    window->makeKeyAndVisible();
    root->reloadBundles();
    dispatch::RunLoop::main().runUntil(dispatch::nowNanos());

    // Pass 4: the window, when asked for. Without a display the host says so and stops.
    std::unique_ptr<WindowPresenter> presenter;
    if (options->window.enabled) {
        WindowPresenter::Configuration configuration;
        configuration.program = "settings";
        configuration.title = "Quorvane \u2014 Settings";
        configuration.options = options->window;
        configuration.pointWidth = ui::Screen::main()->bounds().width();
        configuration.pointHeight = ui::Screen::main()->bounds().height();
        configuration.outputDirectory = options->outputDirectory;
        configuration.frameName = "settings-window";
        presenter = WindowPresenter::create(configuration, error);
        if (!presenter) {
            std::cerr << "settings: " << error << "\n";
            window->setHidden(true);
            return 3;
        }
    }

    // Pass 5: the scene, or the process's life.
    int status = 0;
    if (script) {
        if (!scene::runScript(*script, actions, error)) {
            std::cerr << "settings: " << error << "\n";
            status = 1;
        }
    } else {
        std::signal(SIGINT, requestStop);
        std::signal(SIGTERM, requestStop);
        while (!gStop && !(presenter && presenter->isClosed())) {
            dispatch::RunLoop::main().runFor(dispatch::milliseconds(250));
        }
    }
    presenter.reset();
    window->setHidden(true);
    return status;
}
