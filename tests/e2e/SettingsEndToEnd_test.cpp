// Settings reaching the clock across processes: the Settings host with QuorvanePrefs.bundle and
// the home-screen host with the tweak, as real processes on one fresh device root. The Settings
// host runs its scene on the manual clock; the home-screen host waits on the real clock for the
// reload that the settings page's write announces.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/PropertyList.h"
#include "tests/common/HostProcessTest.h"

namespace fs = std::filesystem;

namespace {

struct Frame {
    double x = 0, y = 0, width = 0, height = 0;
    double midX() const { return x + width / 2; }
    double midY() const { return y + height / 2; }
};

std::optional<Frame> frameOf(const std::string& line) {
    Frame f;
    const auto at = line.find("frame=(");
    if (at == std::string::npos) return std::nullopt;
    if (std::sscanf(line.c_str() + at, "frame=(%lf,%lf,%lf,%lf)", &f.x, &f.y, &f.width,
                    &f.height) != 4) {
        return std::nullopt;
    }
    return f;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The frame of the first view of class `cls` listed after the label showing `title`: the control
// of that row.
std::optional<Frame> controlAfter(const std::string& description, const std::string& title,
                                  const std::string& cls) {
    const auto all = lines(description);
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].find("text=\"" + title + "\"") == std::string::npos) continue;
        for (std::size_t j = i + 1; j < all.size(); ++j) {
            if (all[j].find(cls + " ") != std::string::npos) return frameOf(all[j]);
        }
    }
    return std::nullopt;
}

// Frames of every view showing `text`.
std::vector<Frame> framesShowing(const std::string& description, const std::string& text) {
    std::vector<Frame> out;
    for (const std::string& line : lines(description)) {
        if (line.find("text=\"" + text + "\"") == std::string::npos) continue;
        if (auto f = frameOf(line)) out.push_back(*f);
    }
    return out;
}

int differingPixels(const graphics::Image& a, const graphics::Image& b, int top, int bottom) {
    int count = 0;
    for (int y = top; y < bottom && y < a.pixelHeight(); ++y) {
        for (int x = 0; x < a.pixelWidth(); ++x) {
            const auto p = a.pixelAt(x, y), q = b.pixelAt(x, y);
            count += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 24;
        }
    }
    return count;
}

class SettingsReachTheClock : public HostProcessTest {
  protected:
    void SetUp() override {
        HostProcessTest::SetUp();
        const std::string tweaks = root_ + "/var/jb/Library/MobileSubstrate/DynamicLibraries";
        bundle_ = root_ + "/var/jb/Library/PreferenceBundles/QuorvanePrefs.bundle";
        fs::create_directories(tweaks);
        fs::create_directories(bundle_);
        fs::copy_file(QUORVANE_TWEAK, tweaks + "/libQuorvane.so");
        fs::copy_file(QUORVANE_TWEAK_FILTER, tweaks + "/libQuorvane.plist");
        fs::copy_file(QUORVANE_PREFS, bundle_ + "/QuorvanePrefs");
        fs::copy_file(QUORVANE_PREFS_INFO, bundle_ + "/Info.plist");
        fs::copy_file(QV_CLOCK_FONT_FILE, bundle_ + "/SFAdaptiveSoftNumeric-VF.otf");
    }
    void TearDown() override {
        if (home_ > 0) {
            ::kill(home_, SIGTERM);
            ::waitpid(home_, nullptr, 0);
        }
        HostProcessTest::TearDown();
    }

    // The Settings host on a scene; its output is in settingsOutput_.
    int settings(const std::string& steps) {
        const std::string log = root_ + "/settings.txt";
        const std::string command = std::string(SETTINGS_BIN) + " --device-root " + root_ + " -o " +
                                    out_ + " --script " + script(R"({"steps": [)" + steps + "]}") +
                                    " >" + log + " 2>&1";
        const int status = std::system(command.c_str());
        settingsOutput_ = readWholeFile(log);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The settings page as it opens, described; the layout is the same in every later run.
    std::string describePage(const std::string& extraSteps = "") {
        EXPECT_EQ(settings(R"({"after": 0.2, "do": "open", "bundle": "QuorvanePrefs"},
                             {"after": 0.8, "do": "describe", "file": "page.txt"})" +
                           extraSteps),
                  0)
            << settingsOutput_;
        return readWholeFile(out_ + "/page.txt");
    }

    // Starts the home-screen host: a picture before, then one frame after the next reload.
    void startClock() {
        const std::string scene = script(R"({"steps": [
            {"after": 0.5, "do": "snapshot", "file": "before.png"},
            {"do": "mark", "file": "ready.txt"},
            {"do": "await", "name": "com.velk.quorvane.InProcessReload", "timeout": 60},
            {"after": 0.0167, "do": "snapshot", "file": "after.png"},
            {"do": "describe", "file": "after.txt"}
        ]})");
        home_ = startHost("--script " + scene, root_ + "/home.txt", "ready.txt");
        ASSERT_GT(home_, 0);
        ASSERT_TRUE(fs::exists(out_ + "/ready.txt")) << readWholeFile(root_ + "/home.txt");
    }

    // Waits for the home-screen host's scene to end.
    void finishClock() {
        const int status = waitHost(home_);
        home_ = -1;
        ASSERT_EQ(status, 0) << readWholeFile(root_ + "/home.txt");
    }

    base::PlistPtr domain() {
        const std::string text =
            readWholeFile(root_ + "/var/mobile/Library/Preferences/com.velk.quorvane.plist");
        return base::PlistValue::parse(
            std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    }
    std::optional<double> storedNumber(const std::string& key) {
        const base::PlistPtr all = domain();
        const base::PlistPtr value = all ? all->objectForKey(key) : nullptr;
        return value ? value->doubleValue() : std::nullopt;
    }

    void storeDomain(const std::string& xmlEntries) {
        fs::create_directories(root_ + "/var/mobile/Library/Preferences");
        std::ofstream(root_ + "/var/mobile/Library/Preferences/com.velk.quorvane.plist")
            << R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)" << xmlEntries
            << "</dict></plist>";
    }

    // The clock's band of rows in the home-screen pictures (3x).
    int clockChange() {
        const auto before = picture("before.png");
        const auto after = picture("after.png");
        if (!before || !after) return -1;
        return differingPixels(*before, *after, 60 * 3, 260 * 3);
    }

    std::string bundle_;
    std::string settingsOutput_;
    pid_t home_ = -1;
};

}  // namespace

TEST_F(SettingsReachTheClock, ADraggedEdgeWidthReachesTheClocksNextFrame) {
    const std::string page = describePage();
    const auto slider = controlAfter(page, "边缘宽度", "QVQuorvaneLiquidSlider");
    ASSERT_TRUE(slider) << page;
    startClock();

    // The thumb stands at 24 of 0…50 on a track inset 18 points at each end; drag it past the end.
    const double thumbX = slider->x + 18 + (slider->width - 36) * 24.0 / 50.0;
    const double endX = slider->x + slider->width + 40;
    std::ostringstream drag;
    drag << R"({"after": 0.2, "do": "open", "bundle": "QuorvanePrefs"},)"
         << R"({"after": 0.8, "do": "drag", "duration": 0.4, "path": [)";
    for (int i = 0; i <= 8; ++i) {
        drag << (i ? "," : "") << "[" << thumbX + (endX - thumbX) * i / 8 << "," << slider->midY()
             << "]";
    }
    drag << R"(]}, {"after": 0.5, "do": "describe", "file": "released.txt"})";
    ASSERT_EQ(settings(drag.str()), 0) << settingsOutput_;
    finishClock();

    EXPECT_EQ(storedNumber("Quorvane.Clock.BezelWidth"), 50.0);
    EXPECT_EQ(framesShowing(readWholeFile(out_ + "/released.txt"), "50.0").size(), 1u);
    EXPECT_GT(clockChange(), 500) << "the clock's glass changed with its bezel";
}

TEST_F(SettingsReachTheClock, AValueTypedBeyondTheRangeIsStoredClamped) {
    const std::string page = describePage();
    const auto labels = framesShowing(page, "24.0");
    ASSERT_EQ(labels.size(), 1u) << page;
    std::ostringstream steps;
    steps << R"({"after": 0.2, "do": "open", "bundle": "QuorvanePrefs"},)"
          << R"({"after": 0.8, "do": "tap", "x": )" << labels[0].midX() << R"(, "y": )"
          << labels[0].midY() << "},"
          << R"({"after": 0.6, "do": "type", "text": "999", "replace": true},)"
          << R"({"after": 0.1, "do": "choose", "title": "应用"},)"
          << R"({"after": 0.5, "do": "describe", "file": "entered.txt"})";
    ASSERT_EQ(settings(steps.str()), 0) << settingsOutput_;
    EXPECT_EQ(storedNumber("Quorvane.Clock.BezelWidth"), 50.0);
    EXPECT_EQ(framesShowing(readWholeFile(out_ + "/entered.txt"), "50.0").size(), 1u);
}

TEST_F(SettingsReachTheClock, AResetRestoresTheDefaultsInBothProcessesAndKeepsReservedKeys) {
    storeDomain(R"(<key>Quorvane.Enabled</key><true/>
        <key>Quorvane.Clock.BezelWidth</key><real>45</real>
        <key>Quorvane.Clock.Blur</key><real>20</real>
        <key>__dynamic_default.probe</key><integer>3</integer>)");
    // Where the card's "重置" button appears once the bar's "重置" was tapped.
    const std::string before = describePage();
    const auto barButtons = framesShowing(before, "重置");
    ASSERT_FALSE(barButtons.empty()) << before;
    const Frame bar = barButtons.front();
    const std::string withCard = describePage(
        R"(,{"do": "tap", "x": )" + std::to_string(bar.midX()) + R"(, "y": )" +
        std::to_string(bar.midY()) + R"(}, {"after": 0.5, "do": "describe", "file": "page.txt"})");
    std::optional<Frame> card;
    for (const Frame& f : framesShowing(withCard, "重置")) {
        if (f.y > 200) card = f;  // the bar's button sits at the top, the card's in the middle
    }
    ASSERT_TRUE(card) << withCard;
    EXPECT_EQ(domain()->objectForKey("Quorvane.Clock.BezelWidth") != nullptr, true)
        << "showing the card resets nothing";

    startClock();
    std::ostringstream steps;
    steps << R"({"after": 0.2, "do": "open", "bundle": "QuorvanePrefs"},)"
          << R"({"after": 0.8, "do": "tap", "x": )" << bar.midX() << R"(, "y": )" << bar.midY()
          << "},"
          << R"({"after": 0.5, "do": "tap", "x": )" << card->midX() << R"(, "y": )" << card->midY()
          << "},"
          << R"({"after": 1.2, "do": "describe", "file": "reset.txt"})";
    ASSERT_EQ(settings(steps.str()), 0) << settingsOutput_;
    finishClock();

    const base::PlistPtr after = domain();
    ASSERT_TRUE(after);
    EXPECT_EQ(after->objectForKey("Quorvane.Clock.BezelWidth"), nullptr);
    EXPECT_EQ(after->objectForKey("Quorvane.Clock.Blur"), nullptr);
    EXPECT_NE(after->objectForKey("Quorvane.Enabled"), nullptr);
    EXPECT_NE(after->objectForKey("__dynamic_default.probe"), nullptr);
    const std::string reset = readWholeFile(out_ + "/reset.txt");
    EXPECT_EQ(framesShowing(reset, "24.0").size(), 1u) << "the page shows the defaults";
    EXPECT_EQ(framesShowing(reset, "3.0").size(), 1u);
    EXPECT_GT(clockChange(), 500) << "the clock went back to its default glass";
}

TEST_F(SettingsReachTheClock, SwitchingTheClockOffRestoresTheStockClock) {
    const std::string page = describePage();
    const auto toggle = controlAfter(page, "启用锁屏时钟", "QVQuorvaneLiquidSwitch");
    ASSERT_TRUE(toggle) << page;
    startClock();
    std::ostringstream steps;
    steps << R"({"after": 0.2, "do": "open", "bundle": "QuorvanePrefs"},)"
          << R"({"after": 0.8, "do": "tap", "x": )" << toggle->midX() << R"(, "y": )"
          << toggle->midY() << "},"
          << R"({"after": 0.5, "do": "wait"})";
    ASSERT_EQ(settings(steps.str()), 0) << settingsOutput_;
    finishClock();

    EXPECT_EQ(domain()->objectForKey("Quorvane.Clock.Enabled")->boolValue(), false);
    const std::string after = readWholeFile(out_ + "/after.txt");
    EXPECT_EQ(after.find("LGClockGlassView"), std::string::npos) << after;
    const auto label = lines(after);
    bool stockShown = false;
    for (const std::string& line : label) {
        if (line.find("_UIAnimatingLabel") != std::string::npos) {
            stockShown = line.find("alpha=1 ") != std::string::npos;
        }
    }
    EXPECT_TRUE(stockShown) << after;
}
