#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "platform/base/ProcessInfo.h"
#include "platform/base/PropertyList.h"
#include "platform/prefs/PreferenceFile.h"
#include "platform/prefs/PreferenceService.h"
#include "platform/prefs/UserDefaults.h"
#include "tests/platform/prefs/PhonePlistFixtures.h"
#include "tests/platform/prefs/TestDeviceRoot.h"

using base::PlistValue;
using prefs::PreferenceService;

namespace {

constexpr char kDomain[] = "com.velk.quorvane";

class PreferenceServiceTest : public ::testing::Test {
  protected:
    TestDeviceRoot root;
    std::string folder = root.preferencesFolder();
    std::string file = folder + "/" + kDomain + ".plist";

    base::PlistPtr readBack() { return PlistValue::parse(readFileBytes(file)); }
};

int64_t intOf(const base::PlistPtr& value) {
    return value ? value->int64Value().value_or(-999) : -1;
}

}  // namespace

TEST_F(PreferenceServiceTest, PendingValuesAreVisibleAtOnceAndReachTheFileOnlyOnSynchronize) {
    PreferenceService service(folder);
    service.setValue("Quorvane.Clock.FPS", PlistValue::integer(60), kDomain);
    EXPECT_EQ(intOf(service.copyValue("Quorvane.Clock.FPS", kDomain)), 60);
    EXPECT_FALSE(std::filesystem::exists(file));

    ASSERT_TRUE(service.synchronize(kDomain));
    auto stored = readBack();
    ASSERT_TRUE(stored);
    EXPECT_EQ(intOf(stored->objectForKey("Quorvane.Clock.FPS")), 60);
    // Written in the device's binary form, private to the user.
    EXPECT_EQ(readFileText(file).substr(0, 8), "bplist00");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    service.setValue("Quorvane.Clock.FPS", nullptr, kDomain);
    EXPECT_EQ(service.copyValue("Quorvane.Clock.FPS", kDomain), nullptr);
    ASSERT_TRUE(service.synchronize(kDomain));
    EXPECT_EQ(readBack()->objectForKey("Quorvane.Clock.FPS"), nullptr);
}

TEST_F(PreferenceServiceTest, OtherWritersBecomeVisibleOnlyAtSynchronizeAndBothKeysSurvive) {
    // Two services over one folder play two processes.
    PreferenceService settings(folder), springboard(folder);
    EXPECT_EQ(springboard.copyValue("A", kDomain), nullptr);  // loads the (empty) domain

    settings.setValue("A", PlistValue::integer(1), kDomain);
    ASSERT_TRUE(settings.synchronize(kDomain));
    EXPECT_EQ(springboard.copyValue("A", kDomain), nullptr) << "cached until synchronise";

    // A pending change of another key merges with what the other process wrote meanwhile.
    springboard.setValue("B", PlistValue::integer(2), kDomain);
    ASSERT_TRUE(springboard.synchronize(kDomain));
    EXPECT_EQ(intOf(springboard.copyValue("A", kDomain)), 1);
    auto stored = readBack();
    EXPECT_EQ(intOf(stored->objectForKey("A")), 1);
    EXPECT_EQ(intOf(stored->objectForKey("B")), 2);

    // A removal merges the same way.
    settings.setValue("A", nullptr, kDomain);
    ASSERT_TRUE(settings.synchronize(kDomain));
    EXPECT_EQ(readBack()->objectForKey("A"), nullptr);
    EXPECT_EQ(intOf(readBack()->objectForKey("B")), 2);
    EXPECT_EQ(settings.copyAll(kDomain)->dictionaryValue().size(), 1u);
}

TEST_F(PreferenceServiceTest, ReadsThePhonesOwnFileForTheDomain) {
    writeFileBytes(file, kPhoneBinaryPlist, sizeof kPhoneBinaryPlist);
    PreferenceService service(folder);
    EXPECT_EQ(service.copyValue("Quorvane.Clock.BezelWidth", kDomain)->doubleValue(), 30.0);
    EXPECT_EQ(intOf(service.copyValue("Quorvane.Clock.VerticalOffset", kDomain)), -12);
    EXPECT_EQ(service.copyAll(kDomain)->dictionaryValue().size(), 10u);

    // Rewriting it keeps every value, including the kinds the system itself never writes.
    service.setValue("Quorvane.Clock.FPS", PlistValue::integer(15), kDomain);
    ASSERT_TRUE(service.synchronize(kDomain));
    auto original = PlistValue::parse(kPhoneBinaryPlist);
    auto stored = readBack();
    ASSERT_TRUE(stored);
    for (const auto& [key, value] : original->dictionaryValue()) {
        if (key == "Quorvane.Clock.FPS") continue;
        EXPECT_TRUE(PlistValue::equal(stored->objectForKey(key), value)) << key;
    }
    EXPECT_EQ(intOf(stored->objectForKey("Quorvane.Clock.FPS")), 15);
}

TEST_F(PreferenceServiceTest, CorruptOrWrongTypedFileReadsEmptyAndIsKeptAsideBeforeTheNextWrite) {
    struct Case {
        const char* name;
        std::string contents;
    };
    std::string truncated(reinterpret_cast<const char*>(kPhoneBinaryPlist), 100);
    const Case cases[] = {
        {"garbage", "this is not a property list"},
        {"truncated", truncated},
        {"array root", "<plist version=\"1.0\"><array><integer>1</integer></array></plist>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(file + ".corrupt");
        writeFileText(file, c.contents);
        PreferenceService service(folder);
        EXPECT_TRUE(service.copyAll(kDomain)->dictionaryValue().empty());
        EXPECT_EQ(service.copyValue("Quorvane.Clock.FPS", kDomain), nullptr);

        // Synchronising with nothing to write leaves the file alone.
        ASSERT_TRUE(service.synchronize(kDomain));
        EXPECT_EQ(readFileText(file), c.contents);

        // The first write moves it aside, byte for byte, and writes a clean domain.
        service.setValue("Quorvane.Clock.FPS", PlistValue::integer(30), kDomain);
        ASSERT_TRUE(service.synchronize(kDomain));
        EXPECT_EQ(readFileText(file + ".corrupt"), c.contents);
        auto stored = readBack();
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->dictionaryValue().size(), 1u);
    }
}

TEST_F(PreferenceServiceTest, UnchangedDomainIsNotRewrittenAndStaleTemporaryFilesAreRemoved) {
    PreferenceService service(folder);
    service.setValue("A", PlistValue::integer(1), kDomain);
    ASSERT_TRUE(service.synchronize(kDomain));
    struct stat before {};
    ::stat(file.c_str(), &before);

    // What a writer killed before its rename leaves behind.
    writeFileText(file + ".tmp-abc123", "half a file");

    service.setValue("A", PlistValue::integer(1), kDomain);  // same value
    ASSERT_TRUE(service.synchronize(kDomain));
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino) << "an unchanged domain is not rewritten";
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp-abc123"));
}

TEST_F(PreferenceServiceTest, InvalidDomainsAndEmptyKeysAreRefused) {
    PreferenceService service(folder);
    for (const char* domain : {"", ".", "..", "../escape", "a/b"}) {
        SCOPED_TRACE(domain);
        service.setValue("k", PlistValue::integer(1), domain);
        EXPECT_EQ(service.copyValue("k", domain), nullptr);
        EXPECT_FALSE(service.synchronize(domain));
        EXPECT_TRUE(service.copyAll(domain)->dictionaryValue().empty());
    }
    service.setValue("", PlistValue::integer(1), kDomain);
    EXPECT_TRUE(service.copyAll(kDomain)->dictionaryValue().empty());
    EXPECT_FALSE(std::filesystem::exists(root.path() + "/var/mobile/Library/escape.plist"));
}

TEST_F(PreferenceServiceTest, SharedServiceFollowsTheDeviceRoot) {
    auto& service = PreferenceService::shared();
    EXPECT_EQ(service.pathForDomain(kDomain), file);
    service.setValue("k", PlistValue::integer(7), kDomain);
    ASSERT_TRUE(service.synchronize(kDomain));
    EXPECT_TRUE(std::filesystem::exists(file));

    TestDeviceRoot other;
    EXPECT_EQ(PreferenceService::shared().copyValue("k", kDomain), nullptr);
}

TEST_F(PreferenceServiceTest, UserDefaultsUseTheBundleDomainAndWriteThrough) {
    base::setMainBundleIdentifier("");
    EXPECT_EQ(prefs::UserDefaults::standard(), nullptr);

    base::setMainBundleIdentifier("com.apple.Preferences");
    auto defaults = prefs::UserDefaults::standard();
    ASSERT_TRUE(defaults);
    defaults->setObject("LGPrefsLastSurface", PlistValue::string("clock"));
    defaults->setObject("LGPrefsCount", PlistValue::real(2.9));
    base::setMainBundleIdentifier("");

    auto stored = PlistValue::parse(readFileBytes(folder + "/com.apple.Preferences.plist"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->objectForKey("LGPrefsLastSurface")->stringValue(), "clock");
    EXPECT_EQ(defaults->stringForKey("LGPrefsLastSurface"), "clock");
    EXPECT_EQ(defaults->integerForKey("LGPrefsCount"), 2);
    EXPECT_EQ(defaults->stringForKey("LGPrefsCount"), "");
    EXPECT_FALSE(defaults->boolForKey("missing"));

    defaults->removeObject("LGPrefsLastSurface");
    stored = PlistValue::parse(readFileBytes(folder + "/com.apple.Preferences.plist"));
    EXPECT_EQ(stored->objectForKey("LGPrefsLastSurface"), nullptr);
}

namespace {

// Runs `body` in a child process and returns its exit status. As root the child first becomes
// the unprivileged user "nobody", since root may read any file and permissions would not bite.
int runUnprivileged(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> folderListing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// Regression (fault 1): opening a FIFO at a domain's path blocked every reader and writer forever.
TEST_F(PreferenceServiceTest, FifoAtTheDomainPathNeverBlocksAndIsNeverReplaced) {
    std::filesystem::create_directories(folder);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    PreferenceService service(folder);
    EXPECT_TRUE(service.copyAll(kDomain)->dictionaryValue().empty());
    EXPECT_EQ(prefs::readPreferenceFile(file).status,
              prefs::PreferenceFileContents::Status::Inaccessible);
    EXPECT_NE(prefs::readPreferenceFile(file).error.find("FIFO"), std::string::npos);

    service.setValue("A", PlistValue::integer(1), kDomain);
    std::string error;
    EXPECT_FALSE(service.synchronize(kDomain, &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    struct stat info {};
    ASSERT_EQ(::lstat(file.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the FIFO is still there";
    EXPECT_FALSE(std::filesystem::exists(file + ".corrupt"));
}

// Regression (fault 2): the stale-temporary sweep of "com.x" removed every "com.x.plist.tmp-*",
// which included the whole domain "com.x.plist.tmp-victim".
TEST_F(PreferenceServiceTest, TemporaryFileSweepNeverTakesAnotherDomainsFile) {
    PreferenceService service(folder);
    const std::string victim = std::string(kDomain) + ".plist.tmp-victim";
    const std::string sixLetters = std::string(kDomain) + ".plist.tmp-";  // file "…tmp-.plist"
    for (const std::string& domain : {victim, sixLetters}) {
        service.setValue("important", PlistValue::string("keep"), domain);
        ASSERT_TRUE(service.synchronize(domain));
    }
    writeFileText(file + ".tmp-Ab12Z9", "what a killed writer left");

    service.setValue("k", PlistValue::integer(1), kDomain);
    ASSERT_TRUE(service.synchronize(kDomain));
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp-Ab12Z9"));
    for (const std::string& domain : {victim, sixLetters}) {
        PreferenceService fresh(folder);
        auto kept = fresh.copyValue("important", domain);
        ASSERT_TRUE(kept) << domain;
        EXPECT_EQ(kept->stringValue(), "keep");
    }
}

// Regression (fault 3): a second corrupt file replaced the first set-aside copy.
TEST_F(PreferenceServiceTest, EveryCorruptFileIsKeptUpToTheLimitOldestDroppedFirst) {
    const int rounds = prefs::kMaxCorruptCopies + 2;
    for (int i = 0; i < rounds; ++i) {
        writeFileText(file, "corrupt number " + std::to_string(i));
        PreferenceService service(folder);
        service.setValue("k", PlistValue::integer(i), kDomain);
        ::testing::internal::CaptureStderr();
        ASSERT_TRUE(service.synchronize(kDomain));
        // Each time, standard error says where the unreadable file went.
        const std::string said = ::testing::internal::GetCapturedStderr();
        const std::string copy = file + ".corrupt" + (i ? "." + std::to_string(i) : "");
        EXPECT_EQ(said, "prefs: " + file + " is not a property list; kept it as " + copy + "\n");
    }
    // The copies are the newest kMaxCorruptCopies, byte for byte, none overwritten.
    std::vector<std::string> copies;
    for (const auto& name : folderListing(folder)) {
        if (name.find(".corrupt") != std::string::npos)
            copies.push_back(readFileText(folder + "/" + name));
    }
    std::sort(copies.begin(), copies.end());
    std::vector<std::string> expected;
    for (int i = rounds - prefs::kMaxCorruptCopies; i < rounds; ++i) {
        expected.push_back("corrupt number " + std::to_string(i));
    }
    EXPECT_EQ(copies, expected);
    EXPECT_EQ(intOf(readBack()->objectForKey("k")), rounds - 1);
}

// Regression (fault 4): a valid file the user could not read was taken for corrupt, set aside and
// replaced by a domain holding only the new key.
TEST_F(PreferenceServiceTest, UnreadableFileIsNotCorruptAndIsLeftExactlyAsItWas) {
    PreferenceService writer(folder);
    writer.setValue("precious", PlistValue::string("data"), kDomain);
    ASSERT_TRUE(writer.synchronize(kDomain));
    const std::string before = readFileText(file);
    // The folder lets anyone write, the file lets nobody read.
    for (std::string dir = folder; dir.size() >= root.path().size();
         dir = std::filesystem::path(dir).parent_path().string()) {
        ::chmod(dir.c_str(), 0777);
    }
    ::chmod((file + ".lock").c_str(), 0666);
    ::chmod(file.c_str(), 0);
    const auto listing = folderListing(folder);

    const int status = runUnprivileged([&] {
        PreferenceService service(folder);
        service.setValue("new", PlistValue::integer(1), kDomain);
        std::string error;
        if (service.synchronize(kDomain, &error)) return 1;
        return error.find("Permission denied") != std::string::npos ? 0 : 2;
    });
    EXPECT_EQ(status, 0) << "1: the write went ahead; 2: the error did not say why";
    ::chmod(file.c_str(), 0600);
    EXPECT_EQ(readFileText(file), before);
    EXPECT_EQ(folderListing(folder), listing) << "nothing set aside, nothing added";
}
