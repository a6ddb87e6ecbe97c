#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <memory>

#include "platform/base/PropertyList.h"
#include "platform/prefs/PreferenceService.h"
#include "tests/platform/prefs/ChildProcess.h"
#include "tests/platform/prefs/TestDeviceRoot.h"

using base::PlistValue;

namespace {

constexpr char kDomain[] = "com.velk.quorvane";

class PreferenceProcessTest : public ::testing::Test {
  protected:
    TestDeviceRoot root;
    std::string folder = root.preferencesFolder();
    std::string file = folder + "/" + kDomain + ".plist";
};

}  // namespace

TEST_F(PreferenceProcessTest, TwoProcessesSynchronisingDifferentKeysAtOnceLoseNeither) {
    constexpr int kKeysEach = 40;
    ChildProcess a({QV_PREFS_HELPER, "sync-keys", folder, kDomain, "A", std::to_string(kKeysEach)});
    ChildProcess b({QV_PREFS_HELPER, "sync-keys", folder, kDomain, "B", std::to_string(kKeysEach)});
    ASSERT_EQ(a.readLine(), "ready");
    ASSERT_EQ(b.readLine(), "ready");
    a.send("g");
    b.send("g");
    EXPECT_EQ(a.wait(), 0);
    EXPECT_EQ(b.wait(), 0);

    auto stored = PlistValue::parse(readFileBytes(file));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->dictionaryValue().size(), size_t(2 * kKeysEach));
    for (int i = 0; i < kKeysEach; ++i) {
        for (const char* prefix : {"A-", "B-"}) {
            auto value = stored->objectForKey(prefix + std::to_string(i));
            ASSERT_TRUE(value) << prefix << i;
            EXPECT_EQ(value->int64Value(), i);
        }
    }
}

TEST_F(PreferenceProcessTest, WriterKilledWhileSynchronisingLeavesTheOldOrTheNewFile) {
    struct Case {
        const char* stage;
        const char* expected;  // the value of "Mode" after the kill
    };
    for (const Case& c : {Case{"locked", "old"}, Case{"written", "old"}, Case{"replaced", "new"}}) {
        SCOPED_TRACE(c.stage);
        prefs::PreferenceService before(folder);
        before.setValue("Mode", PlistValue::string("old"), kDomain);
        before.setValue("Keep", PlistValue::integer(1), kDomain);
        ASSERT_TRUE(before.synchronize(kDomain));

        ChildProcess writer({QV_PREFS_HELPER, "stop-at", folder, kDomain, c.stage, "Mode", "new"});
        ASSERT_EQ(writer.readLine(), "stopped");
        writer.signal(SIGKILL);
        EXPECT_EQ(writer.wait(), 128 + SIGKILL);

        // The file parses and holds one complete version.
        auto stored = PlistValue::parse(readFileBytes(file));
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->objectForKey("Mode")->stringValue(), c.expected);
        EXPECT_EQ(stored->objectForKey("Keep")->int64Value(), 1);

        // The dead writer's lock is gone with it, and its temporary file is cleaned up by the
        // next writer.
        prefs::PreferenceService after(folder);
        after.setValue("Mode", PlistValue::string("after"), kDomain);
        ASSERT_TRUE(after.synchronize(kDomain));
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos)
                << entry.path();
        }
        EXPECT_EQ(PlistValue::parse(readFileBytes(file))->objectForKey("Mode")->stringValue(),
                  "after");
    }
}
