// The settings page's cost, printed as figures and as ratios to a baseline of the same run.
//
//   page build:  from creating the page (viewDidLoad builds every row) to its first composed
//                frame, against the Settings app's own list page with as many plain rows
//   change → clock frame: from a settings write in this process (the page's own write path:
//                LGPrefsSetValue, published 80 ms after the last write of a burst) until the
//                home-screen host, a real process on the same device root, has drawn the
//                clock's next frame with the reloaded value; against the same path with the
//                write published at once (the cross-process part alone)
//
// Runs are interleaved and medians printed.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/DeviceRoot.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/settings/ListController.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "settings/model/LGSettingsItems.h"
#include "settings/page/QVQuorvaneSurfaceController.h"
#include "support/LGSharedSupport.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kBuildRuns = 9;
constexpr int kLatencyRuns = 5;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A Settings list of `rows` plain rows: the page the Settings app would show without a bundle.
class PlainList : public settings::ListController {
    QV_OBJECT(PlainList, settings::ListController);

  public:
    int rows = 0;

  private:
    static void registerMethods(runtime::MethodList<PlainList>& methods) {
        methods.add<&PlainList::rowsOfList>(kSpecifiers);
    }
    Specifiers rowsOfList() {
        Specifiers out;
        for (int i = 0; i < rows; ++i) {
            out.push_back(
                settings::Specifier::create("行 " + std::to_string(i), settings::CellType::Static));
        }
        return out;
    }
};
QV_DEFINE_CLASS(PlainList, "QVBenchPlainList");

// Seconds from making `controller` to its first composed frame in a fresh window.
template <class Make>
double buildSeconds(Make make) {
    const auto start = Clock::now();
    auto window = ui::Window::create(ui::Screen::main()->bounds());
    window->setRootViewController(ui::NavigationController::create(make()));
    window->makeKeyAndVisible();
    window->layoutIfNeeded();
    const graphics::ImageRef frame = ui::renderViewImage(*window);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!frame) std::fprintf(stderr, "bench: the page composed no frame\n");
    window->setHidden(true);
    return seconds;
}

// One change → clock frame measurement against a fresh home-screen host.
double latencySeconds(const std::string& dir, int run, bool debounced) {
    const std::string out = dir + "/out" + std::to_string(run);
    fs::remove_all(out);
    const std::string scene = dir + "/await.json";
    std::ofstream(scene) << R"({"steps": [
        {"after": 0.5, "do": "mark", "file": "ready.txt"},
        {"do": "await", "name": "com.velk.quorvane.InProcessReload", "timeout": 60},
        {"after": 0.0167, "do": "mark", "file": "drawn.txt"}
    ]})";
    const pid_t host = ::fork();
    if (host == 0) {
        const std::string command = std::string(HOMESCREEN_BIN) + " --device-root " + dir + " -o " +
                                    out + " --script " + scene + " >/dev/null 2>&1";
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    while (!fs::exists(out + "/ready.txt"))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto start = Clock::now();
    LGPrefsSetValue("Quorvane.Clock.BezelWidth", base::PlistValue::real(10 + run));
    if (!debounced) LGPrefsPublishNow();
    while (!fs::exists(out + "/drawn.txt"))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    int status = 0;
    ::waitpid(host, &status, 0);
    return seconds;
}

}  // namespace

int main() {
    char pattern[] = "/tmp/qv-settings-bench-XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    const std::string dir = pattern;
    base::setDeviceRoot(dir);
    for (const char* folder : {"/tmp", "/var/mobile/Library/Preferences"}) {
        fs::create_directories(base::resolveDevicePath(folder));
    }
    ui::Screen::setMainProfile(ui::DeviceProfile::modernPhone());

    // Page build, interleaved with the plain list of the same number of rows.
    const std::size_t rows = LGLockscreenSurfaceItems().size();
    std::vector<double> page, plain;
    for (int i = 0; i < kBuildRuns; ++i) {
        page.push_back(buildSeconds([] {
            return QVQuorvaneSurfaceController::create(std::nullopt, "Lockscreen",
                                                       LGLockscreenSurfaceItems());
        }));
        plain.push_back(buildSeconds([rows] {
            auto list = std::make_shared<PlainList>();
            list->rows = static_cast<int>(rows);
            return list;
        }));
        dispatch::RunLoop::main().runUntil(dispatch::nowNanos());
    }
    const double pageMs = median(page) * 1000, plainMs = median(plain) * 1000;
    std::printf("page build (viewDidLoad to first frame), %zu items: %.1f ms\n", rows, pageMs);
    std::printf("  plain Settings list of %zu rows: %.1f ms  (ratio %.2f)\n", rows, plainMs,
                pageMs / plainMs);

    // An idle page: once built and settled, nothing on it should tick or draw.
    {
        auto window = ui::Window::create(ui::Screen::main()->bounds());
        window->setRootViewController(
            ui::NavigationController::create(QVQuorvaneSurfaceController::create(
                std::nullopt, "Lockscreen", LGLockscreenSurfaceItems())));
        window->makeKeyAndVisible();
        dispatch::RunLoop::main().runFor(dispatch::milliseconds(500));
        const std::uint64_t ticks = ui::DisplayLink::totalTickCount();
        const std::clock_t cpu = std::clock();
        dispatch::RunLoop::main().runFor(dispatch::milliseconds(2000));
        const double cpuMs = 1000.0 * double(std::clock() - cpu) / CLOCKS_PER_SEC / 2;
        std::printf("idle page: %.1f display-link ticks/s, %.2f ms CPU/s\n",
                    double(ui::DisplayLink::totalTickCount() - ticks) / 2, cpuMs);
        window->setHidden(true);
    }

    // Change → clock frame across the two processes.
    const std::string tweaks = dir + "/var/jb/Library/MobileSubstrate/DynamicLibraries";
    const std::string bundle = dir + "/var/jb/Library/PreferenceBundles/QuorvanePrefs.bundle";
    fs::create_directories(tweaks);
    fs::create_directories(bundle);
    fs::copy_file(QUORVANE_TWEAK, tweaks + "/libQuorvane.so");
    fs::copy_file(QUORVANE_TWEAK_FILTER, tweaks + "/libQuorvane.plist");
    fs::copy_file(QV_CLOCK_FONT_FILE, bundle + "/SFAdaptiveSoftNumeric-VF.otf");
    std::vector<double> debounced, immediate;
    for (int i = 0; i < kLatencyRuns; ++i) {
        debounced.push_back(latencySeconds(dir, 2 * i, true));
        immediate.push_back(latencySeconds(dir, 2 * i + 1, false));
    }
    const double withDebounce = median(debounced) * 1000, direct = median(immediate) * 1000;
    std::printf("settings change → clock frame: %.1f ms (80 ms of it the publish debounce)\n",
                withDebounce);
    std::printf("  published at once (the cross-process path alone): %.1f ms  (ratio %.2f)\n",
                direct, withDebounce / direct);
    fs::remove_all(dir);
    return 0;
}
