// The home-screen host as a real process on a fresh device root: the lock screen of every
// profile, tweaks loaded by the loader, and scene scripts checked before anything runs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/common/HostProcessTest.h"

namespace fs = std::filesystem;

namespace {

const char* kSpringBoardFilter = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>Filter</key><dict><key>Bundles</key>
<array><string>com.apple.springboard</string></array></dict></dict></plist>)";

class HomeScreenHost : public HostProcessTest {
  protected:
    std::string tweakDir() const {
        return root_ + "/var/jb/Library/MobileSubstrate/DynamicLibraries";
    }

    void installTweak(const std::string& library, const std::string& name, const char* filter) {
        fs::create_directories(tweakDir());
        fs::copy_file(library, tweakDir() + "/" + name + ".so");
        if (filter) std::ofstream(tweakDir() + "/" + name + ".plist") << filter;
    }

    std::string writeScript(const std::string& text) { return script(text); }
};

}  // namespace

TEST_F(HomeScreenHost, EveryProfileRendersItsLockScreenAndLaysOutTheDeviceRoot) {
    const struct {
        const char* device;
        int width, height;
    } profiles[] = {{"modern-phone", 1179, 2556},
                    {"phone-60hz", 1170, 2532},
                    {"legacy-phone", 1125, 2436},
                    {"tablet", 2048, 2732}};
    for (const auto& p : profiles) {
        ASSERT_EQ(run(std::string("--default-scene --device ") + p.device), 0) << output_;
        auto image = picture("lockscreen.png");
        ASSERT_NE(image, nullptr) << p.device;
        EXPECT_EQ(image->pixelWidth(), p.width) << p.device;
        EXPECT_EQ(image->pixelHeight(), p.height) << p.device;
        fs::rename(out_ + "/lockscreen.png", out_ + "/" + p.device + ".png");
    }
    EXPECT_TRUE(fs::is_directory(root_ + "/tmp"));
    EXPECT_TRUE(fs::is_directory(root_ + "/var/mobile/Library/Preferences"));
}

TEST_F(HomeScreenHost, ClockTextIsDrawnWhiteWhereTheTimeIsAndTheSceneMovesTheClock) {
    ASSERT_EQ(run("--script " + writeScript(R"({"steps": [
        {"do": "snapshot", "file": "a.png"},
        {"do": "minute", "count": 9},
        {"do": "snapshot", "file": "b.png"}
    ]})")),
              0)
        << output_;
    auto a = picture("a.png");
    auto b = picture("b.png");
    ASSERT_TRUE(a && b);
    // The digits' band holds near-white pixels; "9:41" and "9:50" differ there.
    int white = 0;
    int changed = 0;
    for (int y = 300; y < 650; ++y) {
        for (int x = 0; x < a->pixelWidth(); ++x) {
            const auto p = a->pixelAt(x, y);
            white += p.r > 240 && p.g > 240 && p.b > 240;
            changed += p != b->pixelAt(x, y);
        }
    }
    EXPECT_GT(white, 20000);
    EXPECT_GT(changed, 5000);
}

TEST_F(HomeScreenHost, ProbeTweakLoadsOnlyInTheHomeScreenProcessAndItsHookFires) {
    installTweak(HOOK_PROBE_TWEAK, "HookProbe", kSpringBoardFilter);
    ASSERT_EQ(run("--default-scene"), 0) << output_;
    EXPECT_NE(output_.find("probe: loaded in com.apple.springboard"), std::string::npos) << output_;
    EXPECT_NE(output_.find("probe: CSProminentTimeView layoutSubviews hooked"), std::string::npos)
        << output_;

    ASSERT_EQ(run("--default-scene --bundle-id com.apple.Preferences"), 0) << output_;
    EXPECT_EQ(output_.find("probe:"), std::string::npos) << output_;

    ASSERT_EQ(run("--default-scene --no-tweaks"), 0) << output_;
    EXPECT_EQ(output_.find("probe:"), std::string::npos) << output_;
}

TEST_F(HomeScreenHost, BrokenAndFilterlessTweaksAreSkippedAndLoggedWhileTheHostRuns) {
    installTweak(HOOK_PROBE_TWEAK, "A-NoFilter", nullptr);
    fs::create_directories(tweakDir());
    std::ofstream(tweakDir() + "/B-Broken.so") << "not a shared library";
    std::ofstream(tweakDir() + "/B-Broken.plist") << kSpringBoardFilter;
    installTweak(HOOK_PROBE_TWEAK, "C-BadFilter", "{ Filter = ");
    installTweak(HOOK_PROBE_TWEAK, "D-Good", kSpringBoardFilter);

    ASSERT_EQ(run("--default-scene"), 0) << output_;
    EXPECT_NE(output_.find("skipping A-NoFilter.so: it has no filter"), std::string::npos)
        << output_;
    EXPECT_NE(output_.find("skipping B-Broken.so: it failed to load"), std::string::npos)
        << output_;
    EXPECT_NE(output_.find("skipping C-BadFilter.so: its filter is not a property list"),
              std::string::npos)
        << output_;
    EXPECT_NE(output_.find("probe: loaded in com.apple.springboard"), std::string::npos);
    EXPECT_TRUE(fs::exists(out_ + "/lockscreen.png"));
}

TEST_F(HomeScreenHost, BadScriptsAndOptionsAreRefusedBeforeAnythingRuns) {
    installTweak(HOOK_PROBE_TWEAK, "Probe", kSpringBoardFilter);
    const std::string script = writeScript(R"({"steps": [
        {"do": "snapshot", "file": "first.png"},
        {"after": 1, "do": "scroll", "target": "page"}
    ]})");
    EXPECT_EQ(run("--script " + script), 2);
    EXPECT_NE(output_.find(script + ": step 1: scrolling the pages needs \"page\""),
              std::string::npos)
        << output_;
    // Nothing ran: no tweak loaded, no picture written.
    EXPECT_EQ(output_.find("probe:"), std::string::npos);
    EXPECT_FALSE(fs::exists(out_ + "/first.png"));

    EXPECT_EQ(
        run("--script " + writeScript(R"({"steps": [{"do": "snapshot", "file": "../x.png"}]})")),
        2);
    EXPECT_NE(output_.find("step 0: \"file\" must be a plain name"), std::string::npos) << output_;

    EXPECT_EQ(run("--device watch --default-scene"), 2);
    EXPECT_NE(output_.find("unknown device 'watch'"), std::string::npos);
    EXPECT_EQ(run("--time 2026-02-30T09:41 --default-scene"), 2);
    EXPECT_EQ(run("--system-version 9 --default-scene"), 2);
    EXPECT_EQ(run("--time-zone Mars/Olympus --default-scene"), 2);
    EXPECT_EQ(run("--script"), 2);
    EXPECT_EQ(run("--wallpaper " + root_ + "/none.png --default-scene"), 1);
    EXPECT_NE(output_.find("cannot use the wallpaper"), std::string::npos);
    EXPECT_EQ(run("--version"), 0);
}

TEST_F(HomeScreenHost, ASnapshotThatCannotBeWrittenFailsTheSceneAndLeavesTheFolderAlone) {
    fs::create_directories(out_);
    fs::create_symlink("/dev/null", out_ + "/lockscreen.png");
    EXPECT_EQ(run("--default-scene"), 1);
    EXPECT_NE(output_.find("step 0 (snapshot)"), std::string::npos) << output_;
    EXPECT_TRUE(fs::is_symlink(out_ + "/lockscreen.png"));
}
