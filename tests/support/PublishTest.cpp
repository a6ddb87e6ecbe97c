#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>

#include "platform/dispatch/Queue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/notify/DarwinNotifyCenter.h"
#include "platform/notify/NotificationCenter.h"
#include "tests/support/SupportTestFixture.h"

using base::PlistValue;
using dispatch::milliseconds;

namespace {

// Listens like another process would: the domain's cross-process reload notifications, counted,
// plus a control name this test posts itself. Posts reach a receiver in the order they were
// made, so once a control post made after some action has arrived, any publish that action
// made has arrived too; the counts are then exact.
class PublishListener {
  public:
    explicit PublishListener(const std::string& deviceRoot)
        : center_(notify::DarwinNotifyCenter::registryDirectoryFor(deviceRoot, ::geteuid())) {
        for (const char* name : {kLGPrefsReloadNotification, "control"}) {
            center_.addObserver(name, [this](const std::string& n) {
                std::lock_guard lock(mutex_);
                ++counts_[n];
                changed_.notify_all();
            });
        }
    }

    // The number of publishes so far.
    int publishes() {
        int controls = 0;
        {
            std::lock_guard lock(mutex_);
            controls = counts_["control"];
        }
        center_.post("control");
        std::unique_lock lock(mutex_);
        bool arrived = changed_.wait_for(lock, std::chrono::seconds(20),
                                         [&] { return counts_["control"] > controls; });
        EXPECT_TRUE(arrived);
        return counts_[kLGPrefsReloadNotification];
    }

  private:
    notify::DarwinNotifyCenter center_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, int> counts_;
};

class Publish : public SupportTest {
  protected:
    Publish() {
        refreshToken_ = notify::NotificationCenter::defaultCenter().addObserver(
            kLGPrefsUIRefreshNotification, nullptr, nullptr,
            [this](const notify::Notification&) { ++uiRefreshes; });
    }
    ~Publish() override {
        notify::NotificationCenter::defaultCenter().removeObserver(refreshToken_);
    }

    // Waits until the write queue has run everything queued so far.
    static void drainWriteQueue() {
        lg::detail::prefsWriteQueue()->sync([] {});
    }

    PublishListener listener{root.path()};
    int uiRefreshes = 0;

  private:
    notify::NotificationCenter::Token refreshToken_ = 0;
};

}  // namespace

TEST_F(Publish, ThreeWritesWithinDebounceCoalesceToOnePublishAfterTheLast) {
    dispatch::ManualClock clock;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) clock.advanceNanos(milliseconds(30));
        LGPrefsSetValue("Quorvane.Clock.BezelWidth", PlistValue::real(30 + i));
        drainWriteQueue();
    }
    EXPECT_EQ(uiRefreshes, 3) << "one UI refresh per write, posted synchronously";
    // The writes are the process's pending state at once...
    EXPECT_EQ(LGPrefsDirectValue("Quorvane.Clock.BezelWidth", nullptr)->doubleValue(), 32.0);

    // ...but nothing is published until 80 ms after the third write.
    clock.advanceNanos(milliseconds(79));
    drainWriteQueue();
    EXPECT_EQ(listener.publishes(), 0);
    EXPECT_FALSE(storedDomain());

    clock.advanceNanos(milliseconds(1));
    drainWriteQueue();
    EXPECT_EQ(listener.publishes(), 1);
    ASSERT_TRUE(storedDomain());
    EXPECT_EQ(storedDomain()->objectForKey("Quorvane.Clock.BezelWidth")->doubleValue(), 32.0);

    clock.advanceNanos(milliseconds(500));
    drainWriteQueue();
    EXPECT_EQ(listener.publishes(), 1) << "the timer is one-shot";
}

TEST_F(Publish, PublishNowReplacesThePendingTimerAndPostsEvenWithNothingPending) {
    dispatch::ManualClock clock;
    LGPrefsPublishNow();
    EXPECT_EQ(listener.publishes(), 1);

    LGPrefsSetValue("Quorvane.Clock.Blur", PlistValue::real(5));
    LGPrefsPublishNow();
    EXPECT_EQ(listener.publishes(), 2);
    EXPECT_EQ(storedDomain()->objectForKey("Quorvane.Clock.Blur")->doubleValue(), 5.0);

    clock.advanceNanos(milliseconds(200));
    drainWriteQueue();
    EXPECT_EQ(listener.publishes(), 2) << "the cancelled timer does not publish again";
}

// Regression: a write made just before the Settings app ended was lost with its pending timer.
TEST_F(Publish, FlushPublishesOnlyAWriteStillWaitingForItsQuietPeriod) {
    dispatch::ManualClock clock;
    LGPrefsFlushPendingPublish();
    EXPECT_EQ(listener.publishes(), 0) << "nothing waits: nothing to announce";

    LGPrefsSetValue("Quorvane.Clock.Blur", PlistValue::real(7));
    LGPrefsFlushPendingPublish();
    EXPECT_EQ(listener.publishes(), 1);
    EXPECT_EQ(storedDomain()->objectForKey("Quorvane.Clock.Blur")->doubleValue(), 7.0);

    clock.advanceNanos(milliseconds(200));
    drainWriteQueue();
    LGPrefsFlushPendingPublish();
    EXPECT_EQ(listener.publishes(), 1) << "the flushed write is not published again";
}

TEST_F(Publish, EmptyKeyWritesAndPublishesNothing) {
    dispatch::ManualClock clock;
    LGPrefsSetValue("", PlistValue::real(5));
    clock.advanceNanos(milliseconds(200));
    drainWriteQueue();
    EXPECT_EQ(uiRefreshes, 0);
    EXPECT_EQ(listener.publishes(), 0);
}

TEST_F(Publish, DirectReadsFallBackToTheDefault) {
    storeDomain({{"Quorvane.Clock.FPS", PlistValue::integer(60)},
                 {"Quorvane.Clock.TintOverrideMode", PlistValue::string("dark")}});
    auto fallback = PlistValue::integer(30);
    EXPECT_EQ(LGPrefsDirectValue("Quorvane.Clock.FPS", fallback)->int64Value(), 60);
    EXPECT_EQ(LGPrefsDirectValue("missing", fallback), fallback);
    EXPECT_EQ(LGPrefsDirectValue("", fallback), fallback);
    EXPECT_EQ(LGPrefsDirectNumber("Quorvane.Clock.TintOverrideMode", fallback), fallback);
    EXPECT_EQ(LGPrefsDirectNumber("Quorvane.Clock.FPS", fallback)->int64Value(), 60);

    // A removal through the direct path reads as the default at once.
    LGPrefsSetValue("Quorvane.Clock.FPS", nullptr);
    EXPECT_EQ(LGPrefsDirectValue("Quorvane.Clock.FPS", fallback), fallback);
}

TEST_F(Publish, ResetAllKeepsReservedKeysAndPublishesAtOnce) {
    storeDomain({
        {"Quorvane.Enabled", PlistValue::boolean(false)},
        {"__dynamic_default.Quorvane.Clock.Blur", PlistValue::real(4)},
        {"Quorvane.Clock.Blur", PlistValue::real(9)},
        {"Quorvane.Clock.TintOverrideMode", PlistValue::string("dark")},
    });
    LGPrefsResetAll();
    EXPECT_EQ(listener.publishes(), 1);
    EXPECT_EQ(uiRefreshes, 1);
    auto stored = storedDomain();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->dictionaryValue().size(), 2u);
    EXPECT_TRUE(stored->objectForKey("Quorvane.Enabled"));
    EXPECT_TRUE(stored->objectForKey("__dynamic_default.Quorvane.Clock.Blur"));

    // An empty domain still publishes.
    TestDeviceRoot empty;
    PublishListener emptyListener(empty.path());
    LGPrefsResetAll();
    EXPECT_EQ(emptyListener.publishes(), 1);
    EXPECT_EQ(uiRefreshes, 2);
}

TEST_F(Publish, ResetKeysRemovesEachListedKeyOnceAndAlwaysPublishes) {
    storeDomain({
        {"Quorvane.Enabled", PlistValue::boolean(true)},
        {"__dynamic_default.X", PlistValue::real(1)},
        {"Quorvane.Clock.Blur", PlistValue::real(9)},
        {"Quorvane.Clock.FPS", PlistValue::integer(60)},
    });
    LGPrefsResetKeys({"Quorvane.Clock.Blur", "Quorvane.Clock.Blur", "", "Quorvane.Enabled",
                      "__dynamic_default.X"});
    EXPECT_EQ(listener.publishes(), 1);
    EXPECT_EQ(uiRefreshes, 1);
    auto stored = storedDomain();
    EXPECT_FALSE(stored->objectForKey("Quorvane.Clock.Blur"));
    EXPECT_TRUE(stored->objectForKey("Quorvane.Clock.FPS"));
    EXPECT_TRUE(stored->objectForKey("Quorvane.Enabled"));
    EXPECT_TRUE(stored->objectForKey("__dynamic_default.X"));

    LGPrefsResetKeys({"Quorvane.Enabled"});
    EXPECT_EQ(listener.publishes(), 2);
    EXPECT_EQ(uiRefreshes, 2);
    EXPECT_EQ(storedDomain()->dictionaryValue().size(), 3u);
}
