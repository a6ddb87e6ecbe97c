#include <mutex>
#include <unordered_set>

#include "platform/dispatch/Queue.h"
#include "platform/dispatch/Time.h"
#include "platform/dispatch/Timer.h"
#include "platform/notify/DarwinNotifyCenter.h"
#include "platform/notify/NotificationCenter.h"
#include "platform/prefs/PreferenceService.h"
#include "support/LGSharedSupport.h"
#include "support/detail/LGSupportState.h"

namespace {

constexpr char kWriteQueueLabel[] = "com.velk.quorvane.prefswrite";
constexpr dispatch::Nanos kPublishDelay = dispatch::milliseconds(80);
constexpr dispatch::Nanos kPublishLeeway = dispatch::milliseconds(20);

// The pending one-shot publish timer. Touched only on the write queue.
std::shared_ptr<dispatch::Timer>& pendingTimer() {
    static auto* timer = new std::shared_ptr<dispatch::Timer>();
    return *timer;
}

bool isReservedKey(std::string_view key) {
    return key == kLGPrefsEnabledKey || key.starts_with(kLGPrefsDynamicDefaultPrefix);
}

void cancelPendingTimer() {
    auto& timer = pendingTimer();
    if (timer) {
        timer->cancel();
        timer.reset();
    }
}

// On the write queue (or the caller's thread when no queue could be made).
void publish() {
    prefs::PreferenceService::shared().synchronize(kLGPrefsDomain);
    notify::DarwinNotifyCenter::shared().post(kLGPrefsReloadNotification);
}

void postUIRefresh() {
    notify::NotificationCenter::defaultCenter().post(kLGPrefsUIRefreshNotification);
}

}  // namespace

namespace lg::detail {

std::shared_ptr<dispatch::Queue> prefsWriteQueue() {
    static std::mutex mutex;
    static auto* queue = new std::shared_ptr<dispatch::Queue>();
    std::lock_guard lock(mutex);
    if (!*queue) *queue = dispatch::Queue::createSerial(kWriteQueueLabel);
    return *queue;
}

void resetPrefsWriterForTesting() {
    if (auto queue = prefsWriteQueue()) queue->sync([] { cancelPendingTimer(); });
}

}  // namespace lg::detail

base::PlistPtr LGPrefsDirectValue(std::string_view key, base::PlistPtr defaultValue) {
    if (key.empty()) return defaultValue;
    auto value = prefs::PreferenceService::shared().copyValue(key, kLGPrefsDomain);
    return value ? value : defaultValue;
}

base::PlistPtr LGPrefsDirectNumber(std::string_view key, base::PlistPtr defaultValue) {
    auto value = LGPrefsDirectValue(key, defaultValue);
    return value && value->isNumber() ? value : defaultValue;
}

void LGPrefsSetValue(std::string_view key, base::PlistPtr value) {
    if (key.empty()) return;
    prefs::PreferenceService::shared().setValue(key, std::move(value), kLGPrefsDomain);
    LGPrefsSchedulePublish();
    postUIRefresh();
}

void LGPrefsSchedulePublish() {
    auto queue = lg::detail::prefsWriteQueue();
    if (!queue) {
        publish();
        return;
    }
    std::weak_ptr<dispatch::Queue> weakQueue = queue;
    queue->async([weakQueue] {
        auto queue = weakQueue.lock();
        if (!queue) return;
        // A new write restarts the quiet period: the burst publishes once, after its last write.
        cancelPendingTimer();
        auto timer = dispatch::Timer::create(queue);
        if (!timer) {
            publish();
            return;
        }
        std::weak_ptr<dispatch::Timer> weakTimer = timer;
        timer->setHandler([weakTimer] {
            publish();
            auto& pending = pendingTimer();
            if (pending && pending == weakTimer.lock()) cancelPendingTimer();
        });
        pendingTimer() = timer;
        timer->scheduleAfter(kPublishDelay, 0, kPublishLeeway);
    });
}

void LGPrefsPublishNow() {
    auto queue = lg::detail::prefsWriteQueue();
    if (!queue) {
        publish();
        return;
    }
    queue->sync([] {
        cancelPendingTimer();
        publish();
    });
}

void LGPrefsFlushPendingPublish() {
    auto queue = lg::detail::prefsWriteQueue();
    if (!queue) return;
    queue->sync([] {
        if (!pendingTimer()) return;
        cancelPendingTimer();
        publish();
    });
}

void LGPrefsResetAll() {
    auto& service = prefs::PreferenceService::shared();
    auto all = service.copyAll(kLGPrefsDomain);
    for (const auto& [key, value] : all->dictionaryValue()) {
        if (!isReservedKey(key)) service.setValue(key, nullptr, kLGPrefsDomain);
    }
    LGPrefsPublishNow();
    postUIRefresh();
}

void LGPrefsResetKeys(const std::vector<std::string>& keys) {
    auto& service = prefs::PreferenceService::shared();
    std::unordered_set<std::string_view> seen;
    for (const auto& key : keys) {
        if (key.empty() || isReservedKey(key) || !seen.insert(key).second) continue;
        service.setValue(key, nullptr, kLGPrefsDomain);
    }
    LGPrefsPublishNow();
    postUIRefresh();
}
