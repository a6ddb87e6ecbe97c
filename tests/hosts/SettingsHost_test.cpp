// The Settings host as a real process on a fresh device root: the root list of preference
// bundles, the probe bundle loaded by its principal class and driven by touches, and bundles
// that cannot be opened shown as unavailable without bringing the host down.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageFile.h"

namespace fs = std::filesystem;

namespace {

std::string infoPlist(const std::string& executable, const std::string& principal) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>CFBundleExecutable</key><string>)" +
           executable + "</string><key>NSPrincipalClass</key><string>" + principal +
           "</string></dict></plist>\n";
}

// Rows of the root list, by position (bundles sorted by name): centre y in points.
double rowY(int index) {
    return 44 + 20 + 38 + 22 + 44.0 * index;
}

class SettingsHost : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        out_ = root_ + "/out";
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string bundle(const std::string& name) {
        const std::string dir = root_ + "/var/jb/Library/PreferenceBundles/" + name + ".bundle";
        fs::create_directories(dir);
        return dir;
    }

    void installProbe() {
        const std::string dir = bundle("Probe");
        std::ofstream(dir + "/Info.plist") << infoPlist("ProbePrefs", "ProbeRootListController");
        fs::copy_file(PROBE_PREFS, dir + "/ProbePrefs");
    }

    void installBrokenBundles() {
        std::ofstream(bundle("Broken") + "/Info.plist") << "<plist><dict><key>";
        ASSERT_EQ(::mkfifo((bundle("Fifo") + "/Info.plist").c_str(), 0600), 0);
        std::ofstream(bundle("NoCode") + "/Info.plist") << infoPlist("Missing", "NoCode");
        const std::string bad = bundle("BadLib");
        std::ofstream(bad + "/Info.plist") << infoPlist("BadLib", "BadController");
        std::ofstream(bad + "/BadLib") << "not a library";
    }

    std::string writeScript(const std::string& text) {
        const std::string path = root_ + "/scene.json";
        std::ofstream(path) << text;
        return path;
    }

    int run(const std::string& program, const std::string& arguments) {
        const std::string log = root_ + "/host.txt";
        const std::string command = program + " " + arguments + " >" + log + " 2>&1";
        const int status = std::system(command.c_str());
        std::ifstream in(log);
        std::stringstream text;
        text << in.rdbuf();
        output_ = text.str();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    int runHost(const std::string& arguments) {
        return run(SETTINGS_BIN, "--device-root " + root_ + " -o " + out_ + " " + arguments);
    }

    int count(const std::string& text) const {
        int n = 0;
        for (std::size_t at = output_.find(text); at != std::string::npos;
             at = output_.find(text, at + 1)) {
            ++n;
        }
        return n;
    }

    graphics::ImageRef picture(const std::string& name) {
        std::string reason;
        auto image = graphics::readImageFile(out_ + "/" + name, &reason);
        EXPECT_NE(image, nullptr) << reason;
        return image;
    }

    std::string root_;
    std::string out_;
    std::string output_;
};

}  // namespace

TEST_F(SettingsHost, LoadsTheProbeBundleByPrincipalClassAndSurvivesBrokenOnes) {
    installProbe();
    installBrokenBundles();
    // Rows: BadLib 0, Broken 1, Fifo 2, NoCode 3, Probe 4.
    const std::string script = writeScript(R"({"steps": [
        {"after": 0.5, "do": "tap", "x": 200, "y": )" +
                                           std::to_string(rowY(0)) + R"(},
        {"do": "tap", "x": 200, "y": )" + std::to_string(rowY(3)) +
                                           R"(},
        {"do": "tap", "x": 200, "y": )" + std::to_string(rowY(0)) +
                                           R"(},
        {"do": "tap", "x": 200, "y": )" + std::to_string(rowY(1)) +
                                           R"(},
        {"after": 0.5, "do": "expect-page", "title": "Settings"},
        {"do": "snapshot", "file": "root.png"},
        {"do": "tap", "x": 200, "y": )" + std::to_string(rowY(4)) +
                                           R"(},
        {"after": 0.6, "do": "expect-page", "title": "Probe"},
        {"do": "tap", "x": 320, "y": 316},
        {"after": 0.1, "do": "choose", "title": "Glass"},
        {"after": 0.1, "do": "tap", "x": 80, "y": 316},
        {"after": 0.5, "do": "type", "text": "5"},
        {"do": "snapshot", "file": "alert.png"},
        {"do": "choose", "title": "Apply"},
        {"after": 0.5, "do": "drag", "path": [[70, 225], [150, 226], [250, 226]]},
        {"do": "tap", "x": 330, "y": 151},
        {"after": 0.4, "do": "back"},
        {"after": 0.6, "do": "expect-page", "title": "Settings"}
    ]})");
    ASSERT_EQ(runHost("--script " + script), 0) << output_;

    // One line per bundle that cannot be opened, however often it was tapped.
    for (const char* name : {"Broken", "Fifo", "NoCode", "BadLib"}) {
        EXPECT_EQ(count(std::string("preference bundle ") + name + " is unavailable"), 1)
            << name << "\n"
            << output_;
    }
    EXPECT_EQ(count("[Probe] loaded"), 1) << output_;
    EXPECT_EQ(count("[Probe] picked Glass"), 1) << output_;
    EXPECT_EQ(count("[Probe] applied 105"), 1) << output_;
    EXPECT_EQ(count("[Probe] switch on"), 1) << output_;
    EXPECT_EQ(count("[Probe] slider "), 1) << output_;
    EXPECT_TRUE(picture("root.png"));
    EXPECT_TRUE(picture("alert.png"));
}

TEST_F(SettingsHost, ScriptsAreCheckedBeforeAnythingRunsAndFailingStepsStopTheScene) {
    installProbe();
    EXPECT_EQ(
        runHost("--script " + writeScript(R"({"steps": [{"do": "drag", "path": [[1, 2]]}]})")), 2);
    EXPECT_NE(output_.find("step 0"), std::string::npos) << output_;
    EXPECT_NE(output_.find("between 2 and 1000 points"), std::string::npos) << output_;
    EXPECT_EQ(runHost("--script " + writeScript(R"({"steps": [{"do": "fly"}]})")), 2);
    EXPECT_FALSE(fs::exists(out_));

    // A step that cannot be carried out names itself and stops the scene.
    EXPECT_EQ(runHost("--script " + writeScript(R"({"steps": [
        {"do": "type", "text": "12"},
        {"do": "snapshot", "file": "never.png"}
    ]})")),
              1);
    EXPECT_NE(output_.find("no text field has the focus"), std::string::npos) << output_;
    EXPECT_FALSE(fs::exists(out_ + "/never.png"));
    EXPECT_EQ(
        runHost("--script " + writeScript(R"({"steps": [{"do": "open", "bundle": "Nope"}]})")), 1);
    EXPECT_NE(output_.find("no preference bundle is named Nope"), std::string::npos) << output_;
}

TEST_F(SettingsHost, QuorvaneSettingsPicturesTheWholePageForBothSystemsInBothAppearances) {
    const std::string dir = bundle("QuorvanePrefs");
    fs::copy_file(QUORVANE_PREFS, dir + "/QuorvanePrefs");
    fs::copy_file(QUORVANE_PREFS_INFO, dir + "/Info.plist");
    ASSERT_EQ(run(QUORVANE_BIN, "--device-root " + root_ + " settings -o " + out_), 0) << output_;
    for (const char* variant :
         {"modern-phone-light", "modern-phone-dark", "legacy-phone-light", "legacy-phone-dark"}) {
        for (const char* part : {"page-top.png", "page-bottom.png"}) {
            EXPECT_TRUE(fs::is_regular_file(out_ + "/settings-" + variant + "/" + part))
                << variant << " " << part;
        }
    }
    // Without the bundle there is no page to picture: a clear error, not an empty picture.
    fs::remove_all(dir);
    EXPECT_NE(run(QUORVANE_BIN, "--device-root " + root_ + " settings -o " + out_), 0);
    EXPECT_NE(output_.find("no preference bundle is named QuorvanePrefs"), std::string::npos)
        << output_;
}

TEST_F(SettingsHost, QuorvaneSettingsRunsTheHostOnANamedBuiltInScene) {
    installProbe();
    ASSERT_EQ(run(QUORVANE_BIN, "--device-root " + root_ + " settings --scene root -o " + out_), 0)
        << output_;
    const auto image = picture("settings.png");
    ASSERT_TRUE(image);
    // The root list's grouped background and the white panel of its one row.
    const graphics::Pixel background = image->pixelAt(10, 1000);
    EXPECT_EQ(background.r, 242);
    // Between the title and the chevron, in points (200, row 0), at the screen's scale of 3.
    const graphics::Pixel row = image->pixelAt(600, int(rowY(0) * 3));
    EXPECT_EQ(row.r, 255);
    EXPECT_EQ(row.b, 255);
}
