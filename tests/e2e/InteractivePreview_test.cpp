// `quorvane preview` from the outside: the two hosts in windows on a private X display, the mouse
// and keyboard driven with xdotool, each window's frame read back through the host's SIGUSR2.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageFile.h"
#include "testing/window/XvfbDisplay.h"
#include "tests/common/HostProcessTest.h"
#include "tests/e2e/WindowCloseRequest.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// The preview puts the lock screen at the desktop's origin and the Settings window 16 pixels to
// its right; at scale 1 a modern phone is 393 x 852.
constexpr int kPhoneWidth = 393;
constexpr int kPhoneHeight = 852;
constexpr int kSettingsLeft = kPhoneWidth + 16;
// Generous: two hosts start on a software rasteriser on a shared machine.
constexpr auto kDeadline = std::chrono::seconds(90);

std::vector<std::string> linesWith(const std::string& text, const std::string& needle) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.find(needle) != std::string::npos) lines.push_back(line);
    }
    return lines;
}

struct Box {
    double x = NAN, y = NAN, width = 0, height = 0;
    // The centre in desktop pixels, for a window whose top-left corner is at `left`, 0.
    std::string centre(int left) const {
        return std::to_string(int(left + x + width / 2)) + " " +
               std::to_string(int(y + height / 2));
    }
};

// The frame (in the window, in points) of the first view line holding `needle`; NaNs when
// there is none.
Box frameOf(const std::string& tree, const std::string& needle) {
    const auto lines = linesWith(tree, needle);
    Box box;
    const auto at = lines.empty() ? std::string::npos : lines[0].find("frame=(");
    if (at == std::string::npos || std::sscanf(lines[0].c_str() + at, "frame=(%lf,%lf,%lf,%lf",
                                               &box.x, &box.y, &box.width, &box.height) != 4) {
        return {};
    }
    return box;
}

double frameY(const std::string& tree, const std::string& needle) {
    return frameOf(tree, needle).y;
}

// The frame of the first view of class `cls` listed after the label showing `title`: the control
// of that row.
Box controlAfter(const std::string& tree, const std::string& title, const std::string& cls) {
    const std::string label = "text=\"" + title + "\"";
    const auto at = tree.find(label);
    if (at == std::string::npos) return {};
    const auto control = tree.find(" " + cls + " frame=", at);
    if (control == std::string::npos) return {};
    return frameOf(tree.substr(control), cls + " frame=");
}

// The text of the first label listed after the label showing `title`: the value of that row.
std::string valueAfter(const std::string& tree, const std::string& title) {
    const std::string label = "text=\"" + title + "\"";
    const auto at = tree.find(label);
    if (at == std::string::npos) return {};
    const auto next = tree.find("text=\"", at + label.size());
    if (next == std::string::npos) return {};
    const auto start = next + 6;
    return tree.substr(start, tree.find('"', start) - start);
}

bool samePixels(const graphics::Image& a, const graphics::Image& b) {
    return a.pixelWidth() == b.pixelWidth() && a.pixelHeight() == b.pixelHeight() &&
           std::memcmp(a.pixels(), b.pixels(), a.byteCount()) == 0;
}

// Pixels in rows [top, bottom) whose colour moved by more than a rounding step.
int changedPixels(const graphics::Image& a, const graphics::Image& b, int top, int bottom) {
    int count = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, a.pixelHeight()); ++y) {
        for (int x = 0; x < a.pixelWidth(); ++x) {
            const auto p = a.pixelAt(x, y);
            const auto q = b.pixelAt(x, y);
            count += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 24;
        }
    }
    return count;
}

// Runs a program with the environment of a desktop session on `display` (empty: none), with its
// output in `log`. Returns the child's pid.
pid_t spawn(const std::vector<std::string>& argv, const std::string& display,
            const std::string& log) {
    std::vector<char*> raw;
    std::vector<std::string> copy = argv;
    for (auto& arg : copy) raw.push_back(arg.data());
    raw.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QUORVANE_DEVICE_ROOT");
        ::unsetenv("SDL_VIDEODRIVER");
        if (display.empty()) {
            ::unsetenv("DISPLAY");
        } else {
            ::setenv("DISPLAY", display.c_str(), 1);
        }
        std::freopen(log.c_str(), "w", stdout);
        ::dup2(1, 2);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    return pid;
}

// The exit status once the process ended within `limit`; nullopt if it is still running.
std::optional<int> waitForExit(pid_t pid, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

bool processGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Runs `quorvane preview` with `arguments` and no display at all, or on `display`; the exit
// status and the output.
std::pair<int, std::string> runWithoutWindows(const std::vector<std::string>& arguments,
                                              const std::string& display, const std::string& log) {
    std::vector<std::string> argv = {QUORVANE_BIN, "preview"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const pid_t pid = spawn(argv, display, log);
    const auto status = waitForExit(pid, std::chrono::seconds(30));
    if (!status) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    return {status.value_or(-1), readWholeFile(log)};
}

class Preview : public ::testing::Test {
  protected:
    void SetUp() override {
        if (XvfbDisplay::program().empty()) GTEST_SKIP() << "Xvfb is not installed";
        display_ = std::make_unique<XvfbDisplay>(1600, 1000);
        ASSERT_FALSE(display_->name().empty()) << "Xvfb did not start";
        char pattern[] = "/tmp/qv-preview-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        out_ = root_ + "/out";
        log_ = root_ + "/preview.txt";
    }

    void TearDown() override {
        if (preview_ > 0) {
            ::kill(preview_, SIGTERM);
            if (!waitForExit(preview_, std::chrono::seconds(30))) {
                ::kill(preview_, SIGKILL);
                ::waitpid(preview_, nullptr, 0);
            }
        }
        if (!root_.empty()) fs::remove_all(root_);
    }

    // The deliverables where the build lays them out.
    void install() {
        const std::string tweaks = root_ + "/var/jb/Library/MobileSubstrate/DynamicLibraries";
        const std::string bundles = root_ + "/var/jb/Library/PreferenceBundles";
        fs::create_directories(tweaks);
        fs::create_directories(bundles);
        fs::copy_file(QUORVANE_TWEAK, tweaks + "/libQuorvane.so");
        fs::copy_file(QUORVANE_TWEAK_FILTER, tweaks + "/libQuorvane.plist");
        fs::copy(QV_PREFS_BUNDLE_DIR, bundles + "/QuorvanePrefs.bundle",
                 fs::copy_options::recursive);
    }

    // The probe bundle of the Settings host tests: a page of stock controls that prints a line
    // for each thing done to it.
    void installProbe() {
        const std::string dir = root_ + "/var/jb/Library/PreferenceBundles/Probe.bundle";
        fs::create_directories(dir);
        std::ofstream(dir + "/Info.plist") << R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>CFBundleExecutable</key><string>ProbePrefs</string>
<key>NSPrincipalClass</key><string>ProbeRootListController</string></dict></plist>
)";
        fs::copy_file(PROBE_PREFS, dir + "/ProbePrefs");
    }

    std::string log() const { return readWholeFile(log_); }

    // Polls `condition` until it holds or the deadline passes.
    bool eventually(const std::function<bool()>& condition) {
        const auto deadline = Clock::now() + kDeadline;
        while (Clock::now() < deadline) {
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    // Starts the preview (on this test's root unless `freshRoot`) and waits until it names the
    // hosts' pids and both show their windows.
    void start(bool freshRoot) {
        std::vector<std::string> argv = {QUORVANE_BIN};
        if (!freshRoot) argv.insert(argv.end(), {"--device-root", root_});
        argv.insert(argv.end(), {"preview", "-o", out_});
        // The log of an earlier preview must not be mistaken for this one's.
        fs::remove(log_);
        lockPid_ = settingsPid_ = -1;
        preview_ = spawn(argv, display_->name(), log_);
        const auto deadline = Clock::now() + kDeadline;
        while (Clock::now() < deadline) {
            const std::string text = readWholeFile(log_);
            int lock = 0, settings = 0;
            const auto at = text.find("(home-screen host, pid ");
            if (at != std::string::npos &&
                std::sscanf(text.c_str() + at, "(home-screen host, pid %d) and Settings (pid %d)",
                            &lock, &settings) == 2) {
                lockPid_ = lock;
                settingsPid_ = settings;
            }
            // Ready once both windows show: a window that appears later may take the keyboard.
            if (lockPid_ > 0 && text.find("homescreen: window shown") != std::string::npos &&
                text.find("settings: window shown") != std::string::npos) {
                return;
            }
            if (waitForExit(preview_, std::chrono::seconds(0))) {
                preview_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        FAIL() << "the preview did not show its windows:\n" << readWholeFile(log_);
    }

    struct Frame {
        graphics::ImageRef image;
        std::string tree;
    };

    // The window's frame and view trees, asked for with SIGUSR2 once the host showed its window
    // (before that the signal would end it), and read once written.
    Frame frame(pid_t host, const std::string& name) {
        const std::string png = out_ + "/" + name + ".png";
        const std::string txt = out_ + "/" + name + ".txt";
        const std::string shown =
            (host == lockPid_ ? "homescreen" : "settings") + std::string(": window shown");
        fs::remove(png);
        fs::remove(txt);
        const auto deadline = Clock::now() + kDeadline;
        while (readWholeFile(log_).find(shown) == std::string::npos && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        auto asked = Clock::now() - std::chrono::seconds(1);
        while (Clock::now() < deadline) {
            // A signal that arrived while the host was busy is still answered; ask again only
            // after a while, in case the host was between polls.
            if (Clock::now() - asked > std::chrono::milliseconds(500)) {
                ::kill(host, SIGUSR2);
                asked = Clock::now();
            }
            if (fs::exists(png)) {
                auto image = graphics::readImageFile(png);
                if (image) return {image, readWholeFile(txt)};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ADD_FAILURE() << "no frame from " << name << ":\n" << readWholeFile(log_);
        return {};
    }

    // The first frame for which `wanted` holds that the next one repeats exactly: the host has
    // finished drawing whatever led to it.
    Frame settledFrame(pid_t host, const std::string& name,
                       const std::function<bool(const Frame&)>& wanted = {}) {
        const auto deadline = Clock::now() + kDeadline;
        Frame last = frame(host, name);
        while (last.image && Clock::now() < deadline) {
            Frame next = frame(host, name);
            if (!next.image) break;
            if (samePixels(*last.image, *next.image) && (!wanted || wanted(next))) return next;
            last = std::move(next);
        }
        ADD_FAILURE() << name << " did not settle as wanted; it shows:\n" << last.tree;
        return {};
    }

    // The X window whose title ends in `title`; 0 when there is none.
    unsigned long windowNamed(const std::string& title) {
        const std::string ids = root_ + "/windows.txt";
        std::system(("DISPLAY=" + display_->name() + " xdotool search --name '" + title + "$' >" +
                     ids + " 2>/dev/null")
                        .c_str());
        return std::strtoul(readWholeFile(ids).c_str(), nullptr, 10);
    }

    int xdotool(const std::string& arguments) {
        return std::system(
            ("DISPLAY=" + display_->name() + " xdotool " + arguments + " >/dev/null 2>&1").c_str());
    }

    std::unique_ptr<XvfbDisplay> display_;
    std::string root_;
    std::string out_;
    std::string log_;
    pid_t preview_ = -1;
    pid_t lockPid_ = -1;
    pid_t settingsPid_ = -1;
};

}  // namespace

TEST(PreviewCommand, RefusesBadOptionsAndAMissingDisplayInOneLineWithoutStartingAnything) {
    char pattern[] = "/tmp/qv-preview-args-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    const std::string log = folder + "/log.txt";

    // Options are checked before the display: these fail the same with or without one.
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"--scale", "0"}, "--scale"},
        {{"--scale", "inf"}, "--scale"},
        {{"--scale", "1e400"}, "--scale"},
        {{"--scale", "5"}, "--scale"},
        {{"--scale"}, "--scale needs a value"},
        {{"--device", "watch"}, "unknown device"},
        {{"--appearance", "sepia"}, "--appearance"},
        {{"--scale", "1", "--scale", "2"}, "given twice"},
        {{"--frobnicate"}, "unknown option"},
        {{"-o", ""}, "-o needs a value"}};
    for (const auto& [arguments, message] : bad) {
        const auto [status, output] = runWithoutWindows(arguments, "", log);
        EXPECT_EQ(status, 2) << arguments[0];
        EXPECT_NE(output.find(message), std::string::npos) << output;
    }

    // No display named at all, and one that does not exist: one line each, a failing status.
    const auto [noneStatus, none] = runWithoutWindows({}, "", log);
    EXPECT_EQ(noneStatus, 1);
    EXPECT_EQ(linesWith(none, "").size(), 1u) << none;
    EXPECT_NE(none.find("DISPLAY"), std::string::npos) << none;
    std::string absent = ":4091";
    while (fs::exists("/tmp/.X11-unix/X" + absent.substr(1))) absent += "1";
    const auto [absentStatus, unreachable] = runWithoutWindows({}, absent, log);
    EXPECT_EQ(absentStatus, 1);
    EXPECT_EQ(linesWith(unreachable, "").size(), 1u) << unreachable;
    EXPECT_NE(unreachable.find(absent), std::string::npos) << unreachable;
    fs::remove_all(folder);
}

TEST(WindowHosts, RefuseWindowOptionsTheyCannotHonourAndSayWhenThereIsNoDisplay) {
    char pattern[] = "/tmp/qv-window-hosts-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    const std::string log = root + "/log.txt";
    const auto run = [&](const std::string& program, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {program, "--device-root", root, "-o", root});
        const pid_t pid = spawn(arguments, "", log);
        const auto status = waitForExit(pid, std::chrono::seconds(60));
        if (!status) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        return std::make_pair(status.value_or(-1), readWholeFile(log));
    };

    // A window lives on the real clock, so it excludes scenes; its placement means nothing
    // without it; its values are checked.
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"--window", "--default-scene"}, "excludes"},
        {{"--window-scale", "2"}, "need --window"},
        {{"--window-position", "10,10"}, "need --window"},
        {{"--window", "--window-scale", "nan"}, "--window-scale must be"},
        {{"--window", "--window-scale", "0.1"}, "--window-scale must be"},
        {{"--window", "--window-scale", "1", "--window-scale", "2"}, "given twice"},
        {{"--window", "--window-position", "10"}, "--window-position must be"},
        {{"--window", "--window-position", "10,ten"}, "--window-position must be"},
        {{"--window", "--window-position", "1,99999999"}, "--window-position must be"},
        {{"--window", "--window-position"}, "needs a value"}};
    for (const char* program : {HOMESCREEN_BIN, SETTINGS_BIN}) {
        for (const auto& [arguments, message] : bad) {
            const auto [status, output] = run(program, arguments);
            EXPECT_EQ(status, 2) << program << " " << arguments[0] << " " << arguments.back();
            EXPECT_NE(output.find(message), std::string::npos) << output;
        }
        // Without a display each host stops with one line that says so.
        const auto [status, output] = run(program, {"--window"});
        EXPECT_EQ(status, 3) << output;
        EXPECT_EQ(linesWith(output, "no display").size(), 1u) << output;
    }
    fs::remove_all(root);
}

TEST_F(Preview, TheMouseIsAFingerAndTypingGoesToTheFocusedTextField) {
    install();
    installProbe();
    ASSERT_NO_FATAL_FAILURE(start(false));

    // The root list at the device's size; a click on a row opens that bundle's page.
    const Frame list = settledFrame(settingsPid_, "settings-window", [](const Frame& f) {
        return !std::isnan(frameY(f.tree, "text=\"Probe\""));
    });
    ASSERT_TRUE(list.image);
    EXPECT_EQ(list.image->pixelWidth(), kPhoneWidth);
    EXPECT_EQ(list.image->pixelHeight(), kPhoneHeight);
    ASSERT_EQ(xdotool("mousemove " + frameOf(list.tree, "text=\"Probe\"").centre(kSettingsLeft) +
                      " click 1"),
              0);
    const Frame page = settledFrame(settingsPid_, "settings-window", [](const Frame& f) {
        return !linesWith(f.tree, "text=\"Probe switch\"").empty();
    });
    ASSERT_TRUE(page.image);

    // Pressed on the slider's thumb (at 10 of 0 to 50), dragged right and released: the slider
    // follows the finger and reports the value where it was let go.
    const Box slider = frameOf(page.tree, "UISlider");
    ASSERT_FALSE(std::isnan(slider.x)) << page.tree;
    const int y = int(slider.y + slider.height / 2);
    const int from = kSettingsLeft + int(slider.x + 15 + (slider.width - 30) * 0.2);
    ASSERT_EQ(
        xdotool("mousemove " + std::to_string(from) + " " + std::to_string(y) + " mousedown 1"), 0);
    for (int step = 1; step <= 6; ++step) {
        const int x = from + int((slider.width - 30) * 0.6 * step / 6);
        ASSERT_EQ(xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y)), 0);
    }
    ASSERT_EQ(xdotool("mouseup 1"), 0);
    ASSERT_TRUE(eventually([&] { return log().find("[Probe] slider ") != std::string::npos; }))
        << log();
    const int value = std::atoi(log().c_str() + log().find("[Probe] slider ") + 15);
    EXPECT_GE(value, 34);
    EXPECT_LE(value, 46);

    // The value button opens an alert whose text field has the focus: typing goes there, Return
    // ends the editing, and the alert's button applies what was typed.
    ASSERT_EQ(
        xdotool("mousemove " + frameOf(page.tree, "text=\"Enter a value\"").centre(kSettingsLeft) +
                " click 1"),
        0);
    ASSERT_TRUE(settledFrame(settingsPid_, "settings-window", [](const Frame& f) {
                    return !linesWith(f.tree, "text=\"Edge width\"").empty();
                }).image);
    ASSERT_EQ(xdotool("type 5"), 0);
    ASSERT_EQ(xdotool("key BackSpace"), 0);
    ASSERT_EQ(xdotool("type 7"), 0);
    ASSERT_EQ(xdotool("key Return"), 0);
    const Frame typed = settledFrame(settingsPid_, "settings-window", [](const Frame& f) {
        return !linesWith(f.tree, "text=\"107\"").empty();
    });
    ASSERT_TRUE(typed.image) << log();
    ASSERT_EQ(xdotool("mousemove " + frameOf(typed.tree, "text=\"Apply\"").centre(kSettingsLeft) +
                      " click 1"),
              0);
    EXPECT_TRUE(eventually([&] { return log().find("[Probe] applied 107") != std::string::npos; }))
        << log();
}

TEST_F(Preview, TheLockScreenTakesKeysAndItsClockFollowsTheEdgeWidthSlider) {
    install();
    ASSERT_NO_FATAL_FAILURE(start(false));

    const Frame lock = settledFrame(lockPid_, "lockscreen-window", [](const Frame& f) {
        return !linesWith(f.tree, "LGClockGlassView").empty();
    });
    ASSERT_TRUE(lock.image);
    EXPECT_EQ(lock.image->pixelWidth(), kPhoneWidth);
    EXPECT_EQ(lock.image->pixelHeight(), kPhoneHeight);

    // A key over the lock screen adds a notification the way a scene step does; another takes
    // it away again.
    ASSERT_EQ(xdotool("mousemove 200 600 key n"), 0);
    EXPECT_TRUE(settledFrame(lockPid_, "lockscreen-window", [](const Frame& f) {
                    return !linesWith(f.tree, "text=\"Notification 1\"").empty();
                }).image);
    ASSERT_EQ(xdotool("key r"), 0);
    EXPECT_TRUE(settledFrame(lockPid_, "lockscreen-window", [](const Frame& f) {
                    return linesWith(f.tree, "text=\"Notification 1\"").empty();
                }).image);

    // The settings page, opened from the root list with a click.
    const Frame list = settledFrame(settingsPid_, "settings-window", [](const Frame& f) {
        return !linesWith(f.tree, "text=\"QuorvanePrefs\"").empty();
    });
    ASSERT_TRUE(list.image);
    ASSERT_EQ(
        xdotool("mousemove " + frameOf(list.tree, "text=\"QuorvanePrefs\"").centre(kSettingsLeft) +
                " click 1"),
        0);
    const Frame page = settledFrame(settingsPid_, "settings-window", [](const Frame& f) {
        return !std::isnan(controlAfter(f.tree, "边缘宽度", "QVQuorvaneLiquidSlider").x);
    });
    ASSERT_TRUE(page.image);
    const Box slider = controlAfter(page.tree, "边缘宽度", "QVQuorvaneLiquidSlider");
    ASSERT_EQ(valueAfter(page.tree, "边缘宽度"), "24.0") << page.tree;

    // The edge-width slider dragged and released in the Settings window changes the glass clock
    // in the other. The clock's own minute change could also alter the digits, so the change
    // counts only between two frames that show the same time; a minute passes at most once in
    // two tries. The thumb stands on a track inset 18 points at each end, 0 to 50.
    bool compared = false;
    double value = 24;
    for (const double target : {50.0, 0.0}) {
        const Frame before = settledFrame(lockPid_, "lockscreen-window");
        ASSERT_TRUE(before.image);
        const int y = int(slider.y + slider.height / 2);
        const double thumb = kSettingsLeft + slider.x + 18 + (slider.width - 36) * value / 50;
        const double end =
            kSettingsLeft + (target > value ? slider.x + slider.width + 40 : slider.x - 40);
        ASSERT_EQ(xdotool("mousemove " + std::to_string(int(thumb)) + " " + std::to_string(y) +
                          " mousedown 1"),
                  0);
        for (int step = 1; step <= 8; ++step) {
            const int x = int(thumb + (end - thumb) * step / 8);
            ASSERT_EQ(xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y)), 0);
        }
        ASSERT_EQ(xdotool("mouseup 1"), 0);
        const std::string shown = target > value ? "50.0" : "0.0";
        EXPECT_TRUE(settledFrame(settingsPid_, "settings-window", [&](const Frame& f) {
                        return valueAfter(f.tree, "边缘宽度") == shown;
                    }).image);
        value = target;

        const Frame after = settledFrame(lockPid_, "lockscreen-window", [&](const Frame& f) {
            return !samePixels(*f.image, *before.image);
        });
        ASSERT_TRUE(after.image);
        const auto label = linesWith(before.tree, "_UIAnimatingLabel");
        ASSERT_EQ(label.size(), 1u) << before.tree;
        if (label != linesWith(after.tree, "_UIAnimatingLabel")) continue;
        const int top = int(frameY(before.tree, "_UIAnimatingLabel"));
        EXPECT_GT(changedPixels(*before.image, *after.image, top, top + 140), 500);
        EXPECT_EQ(changedPixels(*before.image, *after.image, top + 300, kPhoneHeight), 0);
        compared = true;
        break;
    }
    EXPECT_TRUE(compared);
}

TEST_F(Preview, RefusesADeviceRootItCannotLayOutAndStartsNothing) {
    const std::string file = root_ + "/not-a-folder";
    std::ofstream(file) << "mine";
    const auto [status, output] =
        runWithoutWindows({"--device-root", file}, display_->name(), root_ + "/log.txt");
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find(file), std::string::npos) << output;
    EXPECT_EQ(output.find("pid"), std::string::npos) << output;
    EXPECT_EQ(readWholeFile(file), "mine");
}

TEST_F(Preview, BothHostsEndWhenEitherEndsTheirWindowClosesOrThePreviewIsAskedToStop) {
    // On a fresh root of its own, which goes with the preview.
    ASSERT_NO_FATAL_FAILURE(start(true));
    const std::string text = readWholeFile(log_);
    const auto at = text.find("device root ");
    ASSERT_NE(at, std::string::npos) << text;
    const std::string freshRoot = text.substr(at + 12, text.find(';', at) - at - 12);
    EXPECT_TRUE(fs::is_directory(freshRoot + "/var/jb/Library/MobileSubstrate/DynamicLibraries"))
        << freshRoot;
    ASSERT_TRUE(frame(settingsPid_, "settings-window").image);

    // A host that dies takes the other with it; both are reaped.
    ::kill(settingsPid_, SIGKILL);
    const auto status = waitForExit(preview_, std::chrono::seconds(30));
    ASSERT_TRUE(status.has_value());
    preview_ = -1;
    EXPECT_EQ(*status, 1);
    EXPECT_NE(readWholeFile(log_).find("the Settings host stopped (signal 9)"), std::string::npos)
        << readWholeFile(log_);
    EXPECT_TRUE(processGone(lockPid_));
    EXPECT_TRUE(processGone(settingsPid_));
    EXPECT_FALSE(fs::exists(freshRoot));

    // Closing a window ends that host normally, and the preview with it.
    ASSERT_NO_FATAL_FAILURE(start(false));
    const unsigned long settingsWindow = windowNamed("Settings");
    ASSERT_NE(settingsWindow, 0ul);
    ASSERT_TRUE(askToClose(display_->name(), settingsWindow));
    const auto closed = waitForExit(preview_, std::chrono::seconds(30));
    ASSERT_TRUE(closed.has_value());
    preview_ = -1;
    EXPECT_EQ(*closed, 0) << log();
    EXPECT_TRUE(processGone(lockPid_));
    EXPECT_TRUE(processGone(settingsPid_));

    // Asked to stop, the preview ends both hosts and says it ended normally.
    ASSERT_NO_FATAL_FAILURE(start(false));
    ASSERT_TRUE(frame(lockPid_, "lockscreen-window").image);
    ::kill(preview_, SIGTERM);
    const auto stopped = waitForExit(preview_, std::chrono::seconds(30));
    ASSERT_TRUE(stopped.has_value());
    preview_ = -1;
    EXPECT_EQ(*stopped, 0);
    EXPECT_TRUE(processGone(lockPid_));
    EXPECT_TRUE(processGone(settingsPid_));
}
