#include <gtest/gtest.h>

#include "platform/base/DeviceRoot.h"
#include "platform/base/ProcessInfo.h"
#include "tests/platform/prefs/TestDeviceRoot.h"

TEST(DeviceRoot, PhonePathsResolveUnderTheRootAndNeverClimbAboveIt) {
    TestDeviceRoot root;
    const std::string& r = root.path();
    EXPECT_EQ(base::resolveDevicePath("/var/mobile/Library/Preferences"),
              r + "/var/mobile/Library/Preferences");
    EXPECT_EQ(base::resolveDevicePath("tmp/Quorvane.log"), r + "/tmp/Quorvane.log");
    EXPECT_EQ(base::resolveDevicePath("/tmp/../../../etc/passwd"), r + "/etc/passwd");
    EXPECT_EQ(base::resolveDevicePath("//var/./jb//x/"), r + "/var/jb/x");
    EXPECT_EQ(base::resolveDevicePath("/"), r);

    base::setDeviceRoot("/");
    EXPECT_EQ(base::resolveDevicePath("/tmp/x"), "/tmp/x");
    base::setDeviceRoot(r + "/sub/../other/");
    EXPECT_EQ(base::deviceRoot(), r + "/other");
}

TEST(ProcessInfo, VersionsParseStrictly) {
    using V = base::OperatingSystemVersion;
    EXPECT_EQ(base::parseOperatingSystemVersion("16"), (V{16, 0, 0}));
    EXPECT_EQ(base::parseOperatingSystemVersion("15.7"), (V{15, 7, 0}));
    EXPECT_EQ(base::parseOperatingSystemVersion("16.4.1"), (V{16, 4, 1}));
    for (const char* bad : {"", "16.", ".1", "16.4.1.2", "16a", "-1", "16..1"}) {
        EXPECT_EQ(base::parseOperatingSystemVersion(bad), std::nullopt) << bad;
    }
    EXPECT_LT((V{15, 9, 9}), (V{16, 0, 0}));
}

// Regression (fault 10): a fresh device root had no tmp/, so the diagnostic log never appeared.
TEST(DeviceRoot, LayingOutANewRootMakesTheStandardFoldersAndKeepsWhatIsThere) {
    TestDeviceRoot root;
    writeFileText(root.resolve("/var/mobile/Library/Preferences/keep.plist"), "mine");
    ASSERT_TRUE(base::layOutDeviceRoot());
    EXPECT_TRUE(std::filesystem::is_directory(root.resolve("/tmp")));
    EXPECT_TRUE(std::filesystem::is_directory(root.resolve("/var/mobile/Library/Preferences")));
    EXPECT_EQ(readFileText(root.resolve("/var/mobile/Library/Preferences/keep.plist")), "mine");
    ASSERT_TRUE(base::layOutDeviceRoot()) << "a second time changes nothing";

    // Something that is not a folder where one belongs is reported, not replaced.
    TestDeviceRoot blocked;
    writeFileText(blocked.resolve("/tmp"), "a file");
    std::string error;
    EXPECT_FALSE(base::layOutDeviceRoot(&error));
    EXPECT_NE(error.find(blocked.resolve("/tmp")), std::string::npos) << error;
    EXPECT_EQ(readFileText(blocked.resolve("/tmp")), "a file");
}
