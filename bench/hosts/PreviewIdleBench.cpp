// What `quorvane preview` costs while nobody touches it. The preview runs on a private X display
// (Xvfb) on a fresh device root with the tweak installed; beside it, as the baseline measured in
// the same run, the same two hosts stay up without windows.
//
//   idle CPU:      each process's CPU time over 20 s of wall time, as a share of one core: the
//                  preview command, the home-screen host and the Settings host, first on the
//                  Settings app's root list, then (with xdotool) on the settings page of glass
//                  controls, opened with a click
//   frames:        the lock-screen clock's GPU frames per second meanwhile (its idle rate), and
//                  the frames each window composed and showed (only when its host drew)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "testing/window/XvfbDisplay.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kMeasureSeconds = 20;
constexpr double kWarmUpSeconds = 5;

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

double cpuSeconds(pid_t pid) {
    std::istringstream stat(readFile("/proc/" + std::to_string(pid) + "/stat"));
    std::string field;
    double total = 0;
    for (int i = 1; stat >> field; ++i) {
        if (i == 14 || i == 15) total += std::atof(field.c_str());
    }
    return total / double(::sysconf(_SC_CLK_TCK));
}

pid_t spawn(const std::vector<std::string>& argv, const std::string& display,
            const std::string& log) {
    std::vector<std::string> copy = argv;
    std::vector<char*> raw;
    for (auto& arg : copy) raw.push_back(arg.data());
    raw.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QUORVANE_DEVICE_ROOT");
        if (display.empty()) {
            ::unsetenv("DISPLAY");
        } else {
            ::setenv("DISPLAY", display.c_str(), 1);
        }
        if (!std::freopen(log.c_str(), "w", stdout)) ::_exit(127);
        ::dup2(1, 2);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    return pid;
}

void stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

bool waitForText(const std::string& path, const std::string& text, int seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
        if (readFile(path).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// Shares of one core over the measuring window, in the order of `pids`.
std::vector<double> idleShares(const std::vector<pid_t>& pids) {
    std::vector<double> before;
    for (pid_t pid : pids) before.push_back(cpuSeconds(pid));
    std::this_thread::sleep_for(std::chrono::duration<double>(kMeasureSeconds));
    std::vector<double> shares;
    for (std::size_t i = 0; i < pids.size(); ++i) {
        shares.push_back((cpuSeconds(pids[i]) - before[i]) / kMeasureSeconds);
    }
    return shares;
}

// The view trees of a host's window, written on SIGUSR2.
std::string windowTrees(pid_t host, const std::string& out, const std::string& name) {
    const std::string txt = out + "/" + name + ".txt";
    const std::string png = out + "/" + name + ".png";
    fs::remove(txt);
    fs::remove(png);
    ::kill(host, SIGUSR2);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!fs::exists(png) && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return readFile(txt);
}

// The first number after `key` in `text` at or after `from`; -1 when absent.
double numberAfter(const std::string& text, const std::string& key, std::size_t from = 0) {
    const auto at = text.find(key, from);
    return at == std::string::npos ? -1 : std::atof(text.c_str() + at + key.size());
}

struct FrameCounts {
    double glass = 0;       // the clock's GPU frames
    double lockWindow = 0;  // frames the lock-screen window showed
    double settingsWindow = 0;
};

FrameCounts frameCounts(pid_t home, pid_t settings, const std::string& out) {
    const std::string lock = windowTrees(home, out, "lockscreen-window");
    const auto surface = lock.find("MTKView");
    FrameCounts counts;
    counts.glass = surface == std::string::npos ? -1 : numberAfter(lock, "frames=", surface);
    counts.lockWindow = numberAfter(lock, "window-frames-shown=");
    counts.settingsWindow =
        numberAfter(windowTrees(settings, out, "settings-window"), "window-frames-shown=");
    return counts;
}

}  // namespace

int main() {
    XvfbDisplay display(1600, 1000);
    if (display.name().empty()) {
        std::printf("preview idle: no figures, Xvfb is not installed or did not start\n");
        return 1;
    }
    char pattern[] = "/tmp/qv-preview-bench-XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    const std::string root = pattern;
    const std::string out = root + "/out";
    const std::string tweaks = root + "/var/jb/Library/MobileSubstrate/DynamicLibraries";
    fs::create_directories(tweaks);
    fs::create_directories(root + "/var/jb/Library/PreferenceBundles");
    fs::copy_file(QUORVANE_TWEAK, tweaks + "/libQuorvane.so");
    fs::copy_file(QUORVANE_TWEAK_FILTER, tweaks + "/libQuorvane.plist");
    fs::copy(QV_PREFS_BUNDLE_DIR, root + "/var/jb/Library/PreferenceBundles/QuorvanePrefs.bundle",
             fs::copy_options::recursive);

    // Pass 1: the baseline, both hosts up on the real clock without windows.
    const pid_t homeAlone =
        spawn({HOMESCREEN_BIN, "--device-root", root, "-o", out}, "", root + "/home.txt");
    const pid_t settingsAlone =
        spawn({SETTINGS_BIN, "--device-root", root, "-o", out}, "", root + "/settings.txt");
    std::this_thread::sleep_for(std::chrono::duration<double>(kWarmUpSeconds));
    const auto baseline = idleShares({homeAlone, settingsAlone});
    stop(homeAlone);
    stop(settingsAlone);

    // Pass 2: the preview, once both windows show and the clock has settled.
    const std::string log = root + "/preview.txt";
    const pid_t preview =
        spawn({QUORVANE_BIN, "--device-root", root, "preview", "-o", out}, display.name(), log);
    if (!waitForText(log, "homescreen: window shown", 120) ||
        !waitForText(log, "settings: window shown", 120)) {
        std::printf("preview idle: the preview did not show its windows:\n%s",
                    readFile(log).c_str());
        stop(preview);
        fs::remove_all(root);
        return 1;
    }
    int home = 0, settings = 0;
    const std::string text = readFile(log);
    std::sscanf(text.c_str() + text.find("(home-screen host, pid "),
                "(home-screen host, pid %d) and Settings (pid %d)", &home, &settings);
    std::this_thread::sleep_for(std::chrono::duration<double>(kWarmUpSeconds));
    const FrameCounts framesBefore = frameCounts(home, settings, out);
    const auto shares = idleShares({preview, home, settings});
    const FrameCounts framesAfter = frameCounts(home, settings, out);

    // Pass 3: the settings page open in the Settings window (the preview puts that window 16
    // pixels right of the 393-pixel lock screen).
    std::vector<double> pageShares;
    const std::string list = windowTrees(settings, out, "settings-window");
    const auto row = list.find("text=\"QuorvanePrefs\"");
    double x = 0, y = 0, width = 0, height = 0;
    if (row != std::string::npos &&
        std::sscanf(list.c_str() + list.rfind("frame=(", row), "frame=(%lf,%lf,%lf,%lf", &x, &y,
                    &width, &height) == 4) {
        const std::string click = "DISPLAY=" + display.name() + " xdotool mousemove " +
                                  std::to_string(int(409 + x + width / 2)) + " " +
                                  std::to_string(int(y + height / 2)) + " click 1 >/dev/null 2>&1";
        if (std::system(click.c_str()) == 0) {
            std::this_thread::sleep_for(std::chrono::duration<double>(kWarmUpSeconds));
            if (windowTrees(settings, out, "settings-window").find("QVQuorvaneLiquidSlider") !=
                std::string::npos) {
                pageShares = idleShares({preview, home, settings});
            }
        }
    }
    stop(preview);
    fs::remove_all(root);

    std::printf("idle preview, %.0f s of wall time on Xvfb, share of one core\n", kMeasureSeconds);
    std::printf("  process                 with windows   without (baseline)\n");
    std::printf("  quorvane preview        %9.2f %%\n", shares[0] * 100);
    std::printf("  home-screen host        %9.2f %%     %9.2f %%\n", shares[1] * 100,
                baseline[0] * 100);
    std::printf("  Settings host           %9.2f %%     %9.2f %%\n", shares[2] * 100,
                baseline[1] * 100);
    std::printf("  all together            %9.2f %%     %9.2f %%\n",
                (shares[0] + shares[1] + shares[2]) * 100, (baseline[0] + baseline[1]) * 100);
    std::printf("  glass clock frames      %9.2f per second\n",
                (framesAfter.glass - framesBefore.glass) / kMeasureSeconds);
    std::printf("  lock-screen window      %9.2f frames shown per second\n",
                (framesAfter.lockWindow - framesBefore.lockWindow) / kMeasureSeconds);
    std::printf("  Settings window         %9.2f frames shown per second\n",
                (framesAfter.settingsWindow - framesBefore.settingsWindow) / kMeasureSeconds);
    if (pageShares.empty()) {
        std::printf("settings page open: no figures (xdotool missing or the page did not open)\n");
        return 0;
    }
    std::printf("idle preview with the settings page open, %.0f s, share of one core\n",
                kMeasureSeconds);
    std::printf("  quorvane preview        %9.2f %%\n", pageShares[0] * 100);
    std::printf("  home-screen host        %9.2f %%\n", pageShares[1] * 100);
    std::printf("  Settings host           %9.2f %%\n", pageShares[2] * 100);
    std::printf("  all together            %9.2f %%\n",
                (pageShares[0] + pageShares[1] + pageShares[2]) * 100);
    return 0;
}
