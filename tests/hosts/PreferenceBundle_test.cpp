// Reading the preference bundles of a device root: every way an Info.plist or an executable can
// be wrong is reported with a reason, and nothing blocks or loads what it should not.
#include "hosts/settings/PreferenceBundle.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/base/DeviceRoot.h"
#include "platform/ui/ViewController.h"

namespace fs = std::filesystem;

namespace {

std::string info(const std::string& executable, const std::string& principal) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>CFBundleExecutable</key><string>)" +
           executable + "</string><key>NSPrincipalClass</key><string>" + principal +
           "</string></dict></plist>\n";
}

class PreferenceBundles : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-bundles-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        base::setDeviceRoot(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string folder(const std::string& name) {
        const std::string dir = root_ + "/var/jb/Library/PreferenceBundles/" + name;
        fs::create_directories(dir);
        return dir;
    }

    const PreferenceBundle* find(const std::vector<PreferenceBundle>& all,
                                 const std::string& name) {
        for (const auto& b : all) {
            if (b.name == name) return &b;
        }
        return nullptr;
    }

    std::string root_;
};

}  // namespace

TEST_F(PreferenceBundles, EveryMalformedInfoPlistIsListedWithItsReason) {
    EXPECT_TRUE(findPreferenceBundles().empty()) << "no folder at all is no bundle";
    std::ofstream(folder("Good.bundle") + "/Info.plist") << info("Good", "GoodController");
    folder("NoInfo.bundle");
    ASSERT_EQ(::mkfifo((folder("Fifo.bundle") + "/Info.plist").c_str(), 0600), 0);
    std::ofstream(folder("Array.bundle") + "/Info.plist")
        << R"(<plist version="1.0"><array><string>x</string></array></plist>)";
    std::ofstream(folder("Escape.bundle") + "/Info.plist") << info("../../bin/sh", "Shell");
    std::ofstream(folder("NoClass.bundle") + "/Info.plist") << info("Code", "");
    {
        std::ofstream huge(folder("Huge.bundle") + "/Info.plist");
        huge << std::string((1 << 20) + 1, ' ');
    }
    folder("NotABundle");
    std::ofstream(root_ + "/var/jb/Library/PreferenceBundles/Stray.bundle") << "a file";

    const auto all = findPreferenceBundles();
    std::vector<std::string> names;
    for (const auto& b : all) names.push_back(b.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Array", "Escape", "Fifo", "Good", "Huge", "NoClass",
                                               "NoInfo"}));
    const auto problem = [&](const char* name) { return find(all, name)->problem; };
    EXPECT_EQ(problem("Good"), "");
    EXPECT_EQ(find(all, "Good")->principalClass, "GoodController");
    EXPECT_EQ(problem("NoInfo"), "has no Info.plist");
    EXPECT_EQ(problem("Fifo"), "its Info.plist is not a regular file");
    EXPECT_EQ(problem("Array"), "its Info.plist is not a property-list dictionary");
    EXPECT_EQ(problem("Escape"), "its Info.plist names no plain CFBundleExecutable");
    EXPECT_EQ(problem("NoClass"), "its Info.plist names no NSPrincipalClass");
    EXPECT_EQ(problem("Huge"), "its Info.plist is larger than 1 MiB");
}

TEST_F(PreferenceBundles, OpeningLoadsTheExecutableAndMakesOnlyViewControllers) {
    const std::string probe = folder("Probe.bundle");
    fs::copy_file(PROBE_PREFS, probe + "/ProbePrefs");
    const auto bundle = [&](const std::string& executable, const std::string& principal) {
        PreferenceBundle b;
        b.name = "Probe";
        b.path = probe;
        b.executable = executable;
        b.principalClass = principal;
        return b;
    };
    std::string error;
    EXPECT_FALSE(openPreferenceBundle(bundle("Missing", "X"), error));
    EXPECT_EQ(error, "its executable Missing is missing or not a regular file");
    fs::create_directories(probe + "/Folder");
    EXPECT_FALSE(openPreferenceBundle(bundle("Folder", "X"), error));
    EXPECT_EQ(error, "its executable Folder is missing or not a regular file");
    std::ofstream(probe + "/Text") << "#!/bin/sh\n";
    EXPECT_FALSE(openPreferenceBundle(bundle("Text", "X"), error));
    EXPECT_NE(error.find("does not load"), std::string::npos) << error;

    EXPECT_FALSE(openPreferenceBundle(bundle("ProbePrefs", "NoSuchController"), error));
    EXPECT_EQ(error, "its principal class NoSuchController does not exist");
    EXPECT_FALSE(openPreferenceBundle(bundle("ProbePrefs", "UIView"), error));
    EXPECT_EQ(error, "its principal class UIView is not a view controller");
    const auto page = openPreferenceBundle(bundle("ProbePrefs", "ProbeRootListController"), error);
    ASSERT_TRUE(page) << error;
    EXPECT_EQ(page->className(), "ProbeRootListController");
    EXPECT_TRUE(page->isKindOfClass("PSListController"));
}
