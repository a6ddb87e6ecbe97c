// The glass clock from end to end: the home-screen host as a real process on a fresh device
// root, the tweak loaded by the host's loader from the device tree, settings written by another
// process.
#include <gtest/gtest.h>
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

#include "tests/common/HostProcessTest.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string& path) {
    return readWholeFile(path);
}

// The lines of a view-tree description that mention `text`.
std::vector<std::string> linesWith(const std::string& description, const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(description);
    for (std::string line; std::getline(in, line);) {
        if (line.find(text) != std::string::npos) lines.push_back(line);
    }
    return lines;
}

double numberAfter(const std::string& line, const std::string& key) {
    const auto at = line.find(key);
    return at == std::string::npos ? -1 : std::atof(line.c_str() + at + key.size());
}

class GlassClock : public HostProcessTest {
  protected:
    void SetUp() override {
        HostProcessTest::SetUp();
        // The deliverables where the build lays them out.
        const std::string tweaks = root_ + "/var/jb/Library/MobileSubstrate/DynamicLibraries";
        const std::string bundle = root_ + "/var/jb/Library/PreferenceBundles/QuorvanePrefs.bundle";
        fs::create_directories(tweaks);
        fs::create_directories(bundle);
        fs::copy_file(QUORVANE_TWEAK, tweaks + "/libQuorvane.so");
        fs::copy_file(QUORVANE_TWEAK_FILTER, tweaks + "/libQuorvane.plist");
        fs::copy_file(QV_CLOCK_FONT_FILE, bundle + "/SFAdaptiveSoftNumeric-VF.otf");
    }

    std::string tree(const std::string& name) { return readFile(out_ + "/" + name); }
};

// Near-white pixels in a band of rows: the stock clock's colour.
int whitePixels(const graphics::Image& image, int top, int bottom) {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.pixelWidth(); ++x) {
            const auto p = image.pixelAt(x, y);
            count += p.r > 240 && p.g > 240 && p.b > 240;
        }
    }
    return count;
}

}  // namespace

TEST_F(GlassClock, TheStockDigitsGiveWayToGlassDigitsInTheirPlace) {
    const std::string scene = script(R"({"steps": [
        {"after": 1, "do": "snapshot", "file": "clock.png"},
        {"do": "describe", "file": "tree.txt"}
    ]})");
    ASSERT_EQ(run("--script " + scene + " --no-tweaks"), 0) << output_;
    fs::rename(out_ + "/clock.png", out_ + "/stock.png");
    const std::string stockTree = tree("tree.txt");
    ASSERT_EQ(run("--script " + scene), 0) << output_;
    const std::string glassTree = tree("tree.txt");

    // The overlay is there, the stock label transparent but not hidden.
    ASSERT_EQ(linesWith(stockTree, "LGClockGlassView").size(), 0u);
    const auto overlay = linesWith(glassTree, "LGClockGlassView");
    ASSERT_EQ(overlay.size(), 1u) << glassTree;
    const auto label = linesWith(glassTree, "_UIAnimatingLabel");
    ASSERT_EQ(label.size(), 1u);
    EXPECT_NE(label[0].find("alpha=0 "), std::string::npos) << label[0];
    EXPECT_NE(label[0].find("text=\"9:41\""), std::string::npos);
    // The glass draws frames of its own.
    const auto surface = linesWith(glassTree, "MTKView");
    ASSERT_FALSE(surface.empty());
    EXPECT_GT(numberAfter(surface[0], "frames="), 0);

    // Where the stock digits were white, the glass shows the wallpaper through the digits.
    auto stock = picture("stock.png");
    auto glass = picture("clock.png");
    ASSERT_TRUE(stock && glass);
    // frame=(x,y,width,height) of the label, in points; the pictures are at 3x.
    double x = 0, y = 0, width = 0, height = 0;
    ASSERT_EQ(std::sscanf(label[0].c_str() + label[0].find("frame=("), "frame=(%lf,%lf,%lf,%lf)",
                          &x, &y, &width, &height),
              4);
    const int top = int(y * 3);
    const int bottom = int((y + height) * 3);
    const int stockWhite = whitePixels(*stock, top, bottom);
    EXPECT_GT(stockWhite, 20000);
    EXPECT_LT(whitePixels(*glass, top, bottom), stockWhite / 10);
}

TEST_F(GlassClock, ASettingWrittenByAnotherProcessReachesTheRunningClock) {
    // The host waits (on the real clock) for the reload that the settings write announces.
    const std::string scene = script(R"({"steps": [
        {"after": 0.5, "do": "describe", "file": "before.txt"},
        {"do": "mark", "file": "ready.txt"},
        {"do": "await", "name": "com.velk.quorvane.InProcessReload", "timeout": 30},
        {"after": 0.0167, "do": "describe", "file": "after.txt"}
    ]})");
    const pid_t host = startHost("--script " + scene, root_ + "/host.txt", "ready.txt");
    ASSERT_GT(host, 0);
    ASSERT_TRUE(fs::exists(out_ + "/ready.txt")) << readFile(root_ + "/host.txt");
    const std::string write = std::string(QUORVANE_BIN) + " --device-root " + root_ +
                              " defaults write com.velk.quorvane Quorvane.Clock.Enabled -bool NO"
                              " --notify com.velk.quorvane/ReloadPrefs";
    EXPECT_EQ(std::system(write.c_str()), 0);
    ASSERT_EQ(waitHost(host), 0) << readFile(root_ + "/host.txt");

    EXPECT_EQ(linesWith(tree("before.txt"), "LGClockGlassView").size(), 1u);
    const std::string after = tree("after.txt");
    EXPECT_EQ(linesWith(after, "LGClockGlassView").size(), 0u) << after;
    const auto label = linesWith(after, "_UIAnimatingLabel");
    ASSERT_EQ(label.size(), 1u);
    EXPECT_NE(label[0].find("alpha=1 "), std::string::npos) << label[0];
}

TEST_F(GlassClock, PasscodeAndCameraTakeTheOverlayAwayUntilTheyClose) {
    ASSERT_EQ(run("--script " + script(R"({"steps": [
        {"after": 0.5, "do": "passcode", "show": true},
        {"after": 0.1, "do": "describe", "file": "passcode.txt"},
        {"do": "passcode", "show": false},
        {"after": 0.1, "do": "describe", "file": "after-passcode.txt"},
        {"do": "camera", "open": true},
        {"after": 0.1, "do": "describe", "file": "camera.txt"},
        {"do": "camera", "open": false},
        {"after": 0.1, "do": "describe", "file": "after-camera.txt"}
    ]})")),
              0)
        << output_;
    EXPECT_EQ(linesWith(tree("passcode.txt"), "LGClockGlassView").size(), 0u);
    EXPECT_EQ(linesWith(tree("after-passcode.txt"), "LGClockGlassView").size(), 1u);
    EXPECT_EQ(linesWith(tree("camera.txt"), "LGClockGlassView").size(), 0u);
    EXPECT_EQ(linesWith(tree("after-camera.txt"), "LGClockGlassView").size(), 1u);
}

TEST_F(GlassClock, TheLegacySystemGetsTheLegacyClockAndTheDateLineAboveIt) {
    ASSERT_EQ(run("--device legacy-phone --script " + script(R"({"steps": [
        {"after": 0.5, "do": "describe", "file": "tree.txt"}
    ]})")),
              0)
        << output_;
    const std::string description = tree("tree.txt");
    ASSERT_EQ(linesWith(description, "LGClockGlassView").size(), 1u) << description;
    const auto date = linesWith(description, "SBFLockScreenDateSubtitleDateView");
    const auto time = linesWith(description, "SBUILegibilityLabel");
    ASSERT_EQ(date.size(), 1u);
    ASSERT_EQ(time.size(), 1u);
    // Moved from under the digits to above them.
    const std::string frame = "frame=(";
    auto y = [&](const std::string& line) {
        const auto at = line.find(frame) + frame.size();
        return std::atof(line.c_str() + line.find(',', at) + 1);
    };
    EXPECT_LT(y(date[0]), y(time[0]));
    EXPECT_EQ(linesWith(description, "text=\"Mon Dec 7\"").size(), 1u);
}

TEST_F(GlassClock, TheDateLineReadsInTheCompactFormOfTheLocale) {
    const std::string scene =
        script(R"({"steps": [{"after": 0.2, "do": "describe", "file": "t.txt"}]})");
    ASSERT_EQ(run("--script " + scene), 0) << output_;
    EXPECT_EQ(linesWith(tree("t.txt"), "text=\"Mon Dec 7\"").size(), 1u) << tree("t.txt");
    ASSERT_EQ(run("--locale zh_CN --script " + scene), 0) << output_;
    const auto chinese = linesWith(tree("t.txt"), "CSProminentSubtitleDateView");
    ASSERT_EQ(chinese.size(), 1u);
    EXPECT_EQ(linesWith(tree("t.txt"), "text=\"12月7日周一\"").size(), 1u) << tree("t.txt");
}

TEST_F(GlassClock, AnotherProcessLoadsNothingAndHooksNothing) {
    // A filter that names another process too: the library loads there but stays inert.
    std::ofstream(root_ + "/var/jb/Library/MobileSubstrate/DynamicLibraries/libQuorvane.plist")
        << R"(<plist version="1.0"><dict><key>Filter</key><dict><key>Bundles</key><array>
           <string>com.apple.springboard</string><string>com.apple.Preferences</string>
           </array></dict></dict></plist>)";
    ASSERT_EQ(run("--bundle-id com.apple.Preferences --script " +
                  script(R"({"steps": [{"after": 0.5, "do": "describe", "file": "t.txt"}]})")),
              0)
        << output_;
    const std::string description = tree("t.txt");
    EXPECT_EQ(linesWith(description, "LGClockGlassView").size(), 0u);
    EXPECT_EQ(linesWith(description, "text=\"Monday, December 7\"").size(), 1u) << description;
    EXPECT_NE(linesWith(description, "_UIAnimatingLabel")[0].find("alpha=1 "), std::string::npos);
}
