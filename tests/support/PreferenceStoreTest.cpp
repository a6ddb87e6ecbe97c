#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <thread>

#include "platform/base/ProcessInfo.h"
#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/notify/DarwinNotifyCenter.h"
#include "tests/platform/prefs/ChildProcess.h"
#include "tests/support/SupportTestFixture.h"

using base::PlistValue;

namespace {

class PreferenceStore : public SupportTest {};

// LGPrefsObserveReload registrations last for the life of the process, so the tests share one.
struct ReloadObservation {
    std::mutex mutex;
    int calls = 0;
    bool onMainThread = false;
    double bezelWidth = 0;
};

ReloadObservation& reloadObservation() {
    static ReloadObservation* observation = [] {
        auto* o = new ReloadObservation();
        LGPrefsObserveReload([o] {
            std::lock_guard lock(o->mutex);
            ++o->calls;
            o->onMainThread = dispatch::isMainThread();
            o->bezelWidth = LGPrefsDouble("Quorvane.Clock.BezelWidth", 24.0);
            dispatch::RunLoop::main().stop();
        });
        return o;
    }();
    return *observation;
}

// Runs the main loop until the reload block has run `calls` times (20 s failure guard).
bool runMainLoopUntilReloadCount(int calls) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        {
            std::lock_guard lock(reloadObservation().mutex);
            if (reloadObservation().calls >= calls) return true;
        }
        if (std::chrono::steady_clock::now() > deadline) return false;
        dispatch::RunLoop::main().runFor(dispatch::milliseconds(100));
    }
}

}  // namespace

TEST_F(PreferenceStore, TypedGettersReturnTheDefaultForMissingAndWrongTypedValues) {
    storeDomain({
        {"Quorvane.Clock.BezelWidth", PlistValue::string("30")},
        {"Quorvane.Clock.Blur", PlistValue::integer(30)},
        {"Quorvane.Clock.FPS", PlistValue::real(29.7)},
        {"Quorvane.Clock.Enabled", PlistValue::string("1")},
        {"Quorvane.Clock.HideStockTime", PlistValue::real(0.0)},
        {"Quorvane.Clock.TintOverrideMode", PlistValue::string("")},
        {"Quorvane.Clock.LegacyFontStyle", PlistValue::integer(2)},
        {"Quorvane.Clock.VariableFont.Enabled", PlistValue::integer(-3)},
        {"Homescreen.FPS", PlistValue::boolean(true)},
        {"AppLibrary.FPS", PlistValue::array({})},
    });
    EXPECT_EQ(LGPrefsDouble("Quorvane.Clock.BezelWidth", 24.0), 24.0) << "a string is not a number";
    EXPECT_EQ(LGPrefsDouble("Quorvane.Clock.Blur", 3.0), 30.0);
    EXPECT_EQ(LGPrefsDouble("Quorvane.Clock.GlassThickness", 150.0), 150.0);
    EXPECT_EQ(LGPrefsInteger("Quorvane.Clock.FPS", 30), 29);
    EXPECT_TRUE(LGPrefsBool("Quorvane.Clock.Enabled", true));
    EXPECT_FALSE(LGPrefsBool("Quorvane.Clock.Enabled", false)) << "\"1\" is not a boolean";
    EXPECT_FALSE(LGPrefsBool("Quorvane.Clock.HideStockTime", true));
    EXPECT_TRUE(LGPrefsBool("Quorvane.Clock.VariableFont.Enabled", false)) << "non-zero is true";
    EXPECT_EQ(LGPrefsString("Quorvane.Clock.TintOverrideMode", "light"), "light");
    EXPECT_EQ(LGPrefsString("Quorvane.Clock.LegacyFontStyle", "current"), "current");
    EXPECT_EQ(LGPrefsInteger("Homescreen.FPS", 30), 1);
    EXPECT_EQ(LGPrefsInteger("AppLibrary.FPS", 30), 30);
    EXPECT_TRUE(LGTweakEnabled());
    EXPECT_EQ(LGPrefsObject(""), nullptr);
    EXPECT_EQ(LGPrefsBool("", true), true);
}

TEST_F(PreferenceStore, IntegerReadOfNaNInfinityAndOutOfRangeNumbersIsDefinedBehaviour) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    storeDomain({
        {"nan", PlistValue::real(std::nan(""))},
        {"inf", PlistValue::real(INFINITY)},
        {"-inf", PlistValue::real(-INFINITY)},
        {"huge", PlistValue::real(1e300)},
        {"-huge", PlistValue::real(-1e300)},
        {"unsigned", PlistValue::unsignedInteger(std::numeric_limits<uint64_t>::max())},
        {"negative", PlistValue::real(-29.7)},
    });
    EXPECT_EQ(LGPrefsInteger("nan", 30), 30);
    EXPECT_EQ(LGPrefsInteger("inf", 30), kMax);
    EXPECT_EQ(LGPrefsInteger("-inf", 30), kMin);
    EXPECT_EQ(LGPrefsInteger("huge", 30), kMax);
    EXPECT_EQ(LGPrefsInteger("-huge", 30), kMin);
    EXPECT_EQ(LGPrefsInteger("unsigned", 30), kMax) << "not wrapped to -1";
    EXPECT_EQ(LGPrefsInteger("negative", 30), -29);
}

TEST_F(PreferenceStore, CorruptDomainReadsAsEmpty) {
    writeFileText(root.preferencesFolder() + "/com.velk.quorvane.plist", "bplist00 torn");
    EXPECT_EQ(LGPrefsDouble("Quorvane.Clock.BezelWidth", 24.0), 24.0);
    EXPECT_EQ(LGPrefsString("Quorvane.Clock.TintOverrideMode", "light"), "light");
}

TEST_F(PreferenceStore, SnapshotChangesOnlyOnReloadAndOldValuesOutliveIt) {
    storeDomain({{"Quorvane.Clock.BezelWidth", PlistValue::real(30)}});
    base::PlistPtr held = LGPrefsObject("Quorvane.Clock.BezelWidth");
    ASSERT_TRUE(held);

    storeDomain({{"Quorvane.Clock.BezelWidth", PlistValue::real(40)}});
    EXPECT_EQ(LGPrefsDouble("Quorvane.Clock.BezelWidth", 24.0), 30.0)
        << "another process's write is invisible until a reload";

    LGPrefsReload();
    EXPECT_EQ(held->doubleValue(), 30.0) << "what a reader already holds stays as it was";
    EXPECT_EQ(LGPrefsDouble("Quorvane.Clock.BezelWidth", 24.0), 40.0);
}

TEST_F(PreferenceStore, ProcessFacts) {
    EXPECT_EQ(LGHostBundleIdentifier(), "");
    EXPECT_FALSE(LGIsSpringBoard());

    // Copied once: a later change of the process's identifier does not show.
    base::setMainBundleIdentifier("com.apple.springboard");
    EXPECT_EQ(LGHostBundleIdentifier(), "");
    lg::detail::resetProcessFactsForTesting();
    EXPECT_TRUE(LGIsSpringBoard());
    base::setMainBundleIdentifier("com.apple.Preferences");
    lg::detail::resetProcessFactsForTesting();
    EXPECT_FALSE(LGIsSpringBoard());

    for (auto [version, modern] : {std::pair{base::OperatingSystemVersion{15, 7, 9}, false},
                                   std::pair{base::OperatingSystemVersion{16, 0, 0}, true},
                                   std::pair{base::OperatingSystemVersion{17, 2, 1}, true}}) {
        base::setOperatingSystemVersion(version);
        lg::detail::resetProcessFactsForTesting();
        EXPECT_EQ(LGIsModernSystem(), modern)
            << version.majorVersion << "." << version.minorVersion;
    }
}

TEST_F(PreferenceStore, CrossProcessReloadRunsTheObserverOnTheMainThreadWithTheNewSnapshot) {
    reloadObservation();
    int callsBefore = reloadObservation().calls;
    storeDomain({{"Quorvane.Clock.BezelWidth", PlistValue::real(30)}});
    ASSERT_EQ(LGPrefsDouble("Quorvane.Clock.BezelWidth", 24.0), 30.0);  // first use: subscribes

    // Another process writes and publishes.
    ChildProcess settings(
        {QV_SUPPORT_HELPER, "publish", root.path(), "Quorvane.Clock.BezelWidth", "36.5"});
    ASSERT_EQ(settings.wait(), 0);

    ASSERT_TRUE(runMainLoopUntilReloadCount(callsBefore + 1));
    std::lock_guard lock(reloadObservation().mutex);
    EXPECT_TRUE(reloadObservation().onMainThread);
    EXPECT_EQ(reloadObservation().bezelWidth, 36.5);
    EXPECT_EQ(LGPrefsDouble("Quorvane.Clock.BezelWidth", 24.0), 36.5);
}

TEST_F(PreferenceStore, ManyReadersDuringReloadsSeeOnlyWholeValues) {
    storeDomain({{"A", PlistValue::integer(0)}, {"B", PlistValue::string("v0")}});
    ASSERT_EQ(LGPrefsInteger("A", -1), 0);

    constexpr int kReaders = 6;
    constexpr int kReloads = 150;
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < kReaders; ++i) {
        readers.emplace_back([&] {
            int64_t last = 0;
            while (!done.load(std::memory_order_relaxed)) {
                int64_t a = LGPrefsInteger("A", -1);
                std::string b = LGPrefsString("B", "none");
                // Values only grow, and every string is one that was written.
                if (a < last || a > kReloads || b.size() < 2 || b[0] != 'v') ++bad;
                last = a;
            }
        });
    }
    prefs::PreferenceService writer(root.preferencesFolder());
    for (int i = 1; i <= kReloads; ++i) {
        writer.setValue("A", PlistValue::integer(i), kLGPrefsDomain);
        writer.setValue("B", PlistValue::string("v" + std::to_string(i)), kLGPrefsDomain);
        ASSERT_TRUE(writer.synchronize(kLGPrefsDomain));
        LGPrefsReload();
    }
    done = true;
    for (auto& t : readers) t.join();
    EXPECT_EQ(bad.load(), 0);
    EXPECT_EQ(LGPrefsInteger("A", -1), kReloads);
}
