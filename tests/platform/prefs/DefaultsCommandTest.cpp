#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <sstream>

#include "hosts/quorvane/DefaultsCommand.h"
#include "platform/base/PropertyList.h"
#include "platform/notify/DarwinNotifyCenter.h"
#include "tests/platform/prefs/TestDeviceRoot.h"

namespace {

class DefaultsCommand : public ::testing::Test {
  protected:
    struct Result {
        int status;
        std::string out, err;
    };

    Result run(std::vector<std::string> args) {
        std::ostringstream out, err;
        int status = runDefaultsCommand(args, root.path(), out, err);
        return {status, out.str(), err.str()};
    }

    base::PlistPtr stored(const std::string& domain = "com.velk.quorvane") {
        return base::PlistValue::parse(
            readFileBytes(root.preferencesFolder() + "/" + domain + ".plist"));
    }

    TestDeviceRoot root;
};

}  // namespace

TEST_F(DefaultsCommand, WritesTypedValuesAndReadsThemBack) {
    EXPECT_EQ(run({"write", "com.velk.quorvane", "Quorvane.Enabled", "-bool", "NO"}).status, 0);
    EXPECT_EQ(run({"write", "com.velk.quorvane", "Quorvane.Clock.FPS", "-int", "-15"}).status, 0);
    EXPECT_EQ(run({"write", "com.velk.quorvane", "Quorvane.Clock.Blur", "-float", "2.5"}).status,
              0);
    EXPECT_EQ(run({"write", "com.velk.quorvane", "Quorvane.Clock.TintOverrideMode", "dark"}).status,
              0);
    EXPECT_EQ(run({"write", "com.velk.quorvane", "Note", "-string", "-int"}).status, 0);

    auto domain = stored();
    ASSERT_TRUE(domain);
    EXPECT_EQ(domain->objectForKey("Quorvane.Enabled")->type(), base::PlistType::Boolean);
    EXPECT_FALSE(domain->objectForKey("Quorvane.Enabled")->boolValue());
    EXPECT_EQ(domain->objectForKey("Quorvane.Clock.FPS")->int64Value(), -15);
    EXPECT_EQ(domain->objectForKey("Quorvane.Clock.Blur")->type(), base::PlistType::Real);
    EXPECT_EQ(domain->objectForKey("Quorvane.Clock.TintOverrideMode")->stringValue(), "dark");
    EXPECT_EQ(domain->objectForKey("Note")->stringValue(), "-int");

    EXPECT_EQ(run({"read", "com.velk.quorvane", "Quorvane.Clock.Blur"}).out, "2.5\n");
    EXPECT_EQ(run({"read", "com.velk.quorvane", "Quorvane.Clock.TintOverrideMode"}).out, "dark\n");
    auto whole = run({"read", "com.velk.quorvane"});
    EXPECT_EQ(whole.status, 0);
    EXPECT_NE(whole.out.find("\"Quorvane.Clock.FPS\" = -15;"), std::string::npos) << whole.out;
}

TEST_F(DefaultsCommand, DeletesOneKeyOrTheWholeDomain) {
    run({"write", "com.velk.quorvane", "A", "-int", "1"});
    run({"write", "com.velk.quorvane", "B", "-int", "2"});
    EXPECT_EQ(run({"delete", "com.velk.quorvane", "A"}).status, 0);
    EXPECT_FALSE(stored()->objectForKey("A"));
    EXPECT_TRUE(stored()->objectForKey("B"));

    auto missing = run({"delete", "com.velk.quorvane", "A"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "The domain/default pair of (com.velk.quorvane, A) does not exist\n");

    EXPECT_EQ(run({"delete", "com.velk.quorvane"}).status, 0);
    EXPECT_TRUE(stored()->dictionaryValue().empty());
}

TEST_F(DefaultsCommand, BadInputGetsAClearErrorAndChangesNothing) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string error;
    };
    const Case cases[] = {
        {{"write", "com.velk.quorvane", "K", "-int", "12abc"},
         2,
         "quorvane defaults: -int needs a whole number in the 64-bit range, got '12abc'\n"},
        {{"write", "com.velk.quorvane", "K", "-int", "99999999999999999999"},
         2,
         "quorvane defaults: -int needs a whole number in the 64-bit range, got "
         "'99999999999999999999'\n"},
        {{"write", "com.velk.quorvane", "K", "-float", "nan"},
         2,
         "quorvane defaults: -float needs a finite number, got 'nan'\n"},
        {{"write", "com.velk.quorvane", "K", "-bool", "maybe"},
         2,
         "quorvane defaults: -bool needs true, false, yes, no, 1 or 0, got 'maybe'\n"},
        {{"write", "com.velk.quorvane", "K", "-date", "x"},
         2,
         "quorvane defaults: unknown value type '-date' (use -string, -int, -float or -bool)\n"},
        {{"write", "../etc", "K", "v"},
         2,
         "quorvane defaults: '../etc' is not a valid domain name\n"},
        {{"write", "com.velk.quorvane", "K", "v", "--notify"},
         2,
         "quorvane defaults: --notify needs a notification name\n"},
        {{"frobnicate", "com.velk.quorvane"}, 2, ""},
        {{"read", "com.velk.quorvane"}, 1, "Domain com.velk.quorvane does not exist\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        auto result = run(c.args);
        EXPECT_EQ(result.status, c.status);
        if (!c.error.empty()) {
            EXPECT_EQ(result.err, c.error);
        }
        EXPECT_FALSE(stored());
    }
    EXPECT_EQ(run({}).status, 2);
}

TEST_F(DefaultsCommand, UnreadableDomainIsReportedNotShownAsEmpty) {
    writeFileText(root.preferencesFolder() + "/com.velk.quorvane.plist", "garbage");
    auto result = run({"read", "com.velk.quorvane"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "quorvane defaults: " + root.preferencesFolder() +
                              "/com.velk.quorvane.plist is not a readable property list\n");
}

TEST_F(DefaultsCommand, NotifyPostsTheNamedNotificationAfterTheChange) {
    notify::DarwinNotifyCenter listener(
        notify::DarwinNotifyCenter::registryDirectoryFor(root.path(), ::geteuid()));
    std::mutex mutex;
    std::condition_variable posted;
    double seen = 0;
    listener.addObserver("com.velk.quorvane/ReloadPrefs", [&](const std::string&) {
        // By the time the notification arrives the file already holds the change.
        auto domain = stored();
        std::lock_guard lock(mutex);
        seen =
            domain ? domain->objectForKey("Quorvane.Clock.Blur")->doubleValue().value_or(-1) : -1;
        posted.notify_all();
    });
    EXPECT_EQ(run({"write", "com.velk.quorvane", "Quorvane.Clock.Blur", "-float", "7", "--notify",
                   "com.velk.quorvane/ReloadPrefs"})
                  .status,
              0);
    std::unique_lock lock(mutex);
    ASSERT_TRUE(posted.wait_for(lock, std::chrono::seconds(20), [&] { return seen != 0; }));
    EXPECT_EQ(seen, 7.0);
}

// Regression (fault 6): a missing value after a type was stored as that type's name, invalid
// UTF-8 was stored altered, a number that is tiny but finite was called not finite, and deleting
// a corrupt domain reported success while leaving the file.
TEST_F(DefaultsCommand, SilentWrongSuccessesAreErrors) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string error;
    };
    const Case cases[] = {
        {{"write", "com.velk.quorvane", "K", "-int"},
         2,
         "quorvane defaults: -int needs a value after it\n"},
        {{"write", "com.velk.quorvane", "K", "-bool"},
         2,
         "quorvane defaults: -bool needs a value after it\n"},
        {{"write", "com.velk.quorvane", "K", "caf\xC3"},
         2,
         "quorvane defaults: the value is not valid UTF-8 text\n"},
        {{"write", "com.velk.quorvane", "K", "-string", "\xED\xA0\x80"},
         2,
         "quorvane defaults: -string needs valid UTF-8 text\n"},
        {{"write", "com.velk.quorvane", "K\xFF", "v"},
         2,
         "quorvane defaults: the key is not valid UTF-8 text\n"},
        {{"write", "com.velk.quorvane", "K", "-float", "1e-400"},
         2,
         "quorvane defaults: -float needs a number that is 0 or at least about 4.9e-324 in size, "
         "got '1e-400'\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[2] + " " + c.args.back());
        auto result = run(c.args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.err, c.error);
        EXPECT_FALSE(stored());
    }

    // The smallest subnormal is a number like any other.
    EXPECT_EQ(run({"write", "com.velk.quorvane", "Tiny", "-float", "4.9e-324"}).status, 0);
    EXPECT_GT(stored()->objectForKey("Tiny")->doubleValue().value_or(0), 0.0);

    const std::string file = root.preferencesFolder() + "/com.velk.quorvane.plist";
    writeFileText(file, "garbage");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"delete", "com.velk.quorvane"},
          std::vector<std::string>{"delete", "com.velk.quorvane", "K"}}) {
        auto result = run(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "quorvane defaults: " + file + " is not a readable property list\n");
        EXPECT_EQ(readFileText(file), "garbage");
    }
}

// Regression (fault 1, through the command): a FIFO at the domain's path hung every verb.
TEST_F(DefaultsCommand, FifoDomainFailsAtOnceForEveryVerb) {
    const std::string file = root.preferencesFolder() + "/com.x.plist";
    std::filesystem::create_directories(root.preferencesFolder());
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"read", "com.x"},
          std::vector<std::string>{"write", "com.x", "k", "1"},
          std::vector<std::string>{"delete", "com.x"}}) {
        SCOPED_TRACE(args[0]);
        auto result = run(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(": not a regular file (a FIFO)"), std::string::npos)
            << result.err;
    }
    struct stat info {};
    ASSERT_EQ(::lstat(file.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(DefaultsCommand, HelpAndVersionGoToStandardOutput) {
    auto help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("usage: quorvane defaults"));
    EXPECT_TRUE(help.out.ends_with("\n"));
    auto version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("quorvane defaults ") + QV_VERSION + "\n");
    auto bare = run({"read"});
    EXPECT_EQ(bare.status, 2);
    EXPECT_TRUE(bare.err.ends_with("\n"));
}
