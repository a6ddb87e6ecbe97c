#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/base/ProcessInfo.h"
#include "platform/base/PropertyList.h"
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
