#include <atomic>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>

#include "platform/dispatch/Queue.h"
#include "platform/notify/DarwinNotifyCenter.h"
#include "platform/notify/NotificationCenter.h"
#include "platform/prefs/PreferenceService.h"
#include "support/LGSharedSupport.h"
#include "support/detail/LGSupportState.h"

namespace {

// A lock for critical sections of a few instructions: it spins briefly, then yields, and makes
// no promise of fairness.
class UnfairLock {
  public:
    void lock() {
        for (int spins = 0; flag_.test_and_set(std::memory_order_acquire); ++spins) {
            while (flag_.test(std::memory_order_relaxed)) {
                if (++spins > 64) std::this_thread::yield();
            }
        }
    }
    void unlock() { flag_.clear(std::memory_order_release); }

  private:
    std::atomic_flag flag_;
};

// One immutable snapshot of the domain, with a hash index over its keys for the readers.
struct Snapshot {
    explicit Snapshot(base::PlistPtr dictionary, uint64_t generation)
        : dictionary(std::move(dictionary)), generation(generation) {
        const auto& entries = this->dictionary->dictionaryValue();
        index.reserve(entries.size());
        for (const auto& [key, value] : entries) index.emplace(key, value.get());
    }

    const base::PlistValue* find(std::string_view key) const {
        auto it = index.find(key);
        return it == index.end() ? nullptr : it->second;
    }

    base::PlistPtr dictionary;
    // Views into `dictionary`, which the snapshot keeps alive.
    std::unordered_map<std::string_view, const base::PlistValue*> index;
    uint64_t generation;
};

struct Store {
    // Guards only the pointer; lookups run on a reference taken under it.
    UnfairLock snapshotLock;
    std::shared_ptr<const Snapshot> snapshot;
    std::atomic<uint64_t> nextGeneration{1};
    // The generation of `snapshot`, readable without the lock.
    std::atomic<uint64_t> generation{0};

    // First use: the first reader loads the snapshot and subscribes while later readers wait.
    std::mutex startMutex;
    std::atomic<bool> started{false};
    notify::DarwinNotifyCenter* subscribedCenter = nullptr;
    notify::DarwinNotifyCenter::Token subscription = 0;
};

Store& store() {
    // Never destroyed: readers on other threads may outlive static destruction.
    static Store* instance = new Store();
    return *instance;
}

void publishSnapshot(base::PlistPtr dictionary) {
    auto& s = store();
    // Built before taking the lock, which guards only the pointer swap.
    uint64_t generation = s.nextGeneration.fetch_add(1, std::memory_order_relaxed);
    auto fresh =
        dictionary ? std::make_shared<const Snapshot>(std::move(dictionary), generation) : nullptr;
    std::shared_ptr<const Snapshot> old;
    {
        std::lock_guard lock(s.snapshotLock);
        old = std::exchange(s.snapshot, std::move(fresh));
        s.generation.store(generation, std::memory_order_release);
    }
    // `old` is released here, outside the lock; readers still holding it keep it alive.
}

// Each thread keeps a reference to the snapshot it read last and takes the lock only when a
// reload has published a newer one since. A read in between costs one atomic load and one hash
// lookup, with no shared cache line written, so readers on several threads do not slow each
// other down. The price is that a thread holds on to a replaced snapshot until its next read.
struct ReaderCache {
    uint64_t generation = 0;
    std::shared_ptr<const Snapshot> snapshot;
};

const Snapshot* readerSnapshot() {
    thread_local ReaderCache cache;
    auto& s = store();
    if (cache.generation != s.generation.load(std::memory_order_acquire) || !cache.snapshot) {
        std::lock_guard lock(s.snapshotLock);
        cache.snapshot = s.snapshot;
        cache.generation = s.snapshot ? s.snapshot->generation : 0;
    }
    return cache.snapshot.get();
}

void onReloadNotification() {
    auto main = dispatch::Queue::main();
    main->async([] {
        LGPrefsReload();
        notify::NotificationCenter::defaultCenter().post(kLGPrefsInProcessReloadNotification);
    });
}

void ensureStarted() {
    auto& s = store();
    if (s.started.load(std::memory_order_acquire)) return;
    std::lock_guard lock(s.startMutex);
    if (s.started.load(std::memory_order_relaxed)) return;
    LGPrefsReload();
    auto& center = notify::DarwinNotifyCenter::shared();
    s.subscription = center.addObserver(kLGPrefsReloadNotification,
                                        [](const std::string&) { onReloadNotification(); });
    s.subscribedCenter = &center;
    s.started.store(true, std::memory_order_release);
}

// The value under a non-empty key in the calling thread's snapshot; valid until the thread's
// next read.
const base::PlistValue* lookup(std::string_view key) {
    if (key.empty()) return nullptr;
    ensureStarted();
    const Snapshot* snapshot = readerSnapshot();
    return snapshot ? snapshot->find(key) : nullptr;
}

}  // namespace

void LGPrefsReload() {
    auto& service = prefs::PreferenceService::shared();
    service.synchronize(kLGPrefsDomain);
    base::PlistPtr fresh = service.copyAll(kLGPrefsDomain);
    if (!fresh || !fresh->isDictionary()) fresh = base::PlistValue::emptyDictionary();
    publishSnapshot(std::move(fresh));
}

void LGPrefsObserveReload(std::function<void()> block) {
    if (!block) return;
    notify::NotificationCenter::defaultCenter().addObserver(
        kLGPrefsInProcessReloadNotification, nullptr, dispatch::Queue::main(),
        [block = std::move(block)](const notify::Notification&) { block(); });
}

base::PlistPtr LGPrefsObject(std::string_view key) {
    if (key.empty()) return nullptr;
    ensureStarted();
    const Snapshot* snapshot = readerSnapshot();
    if (!snapshot) return nullptr;
    auto it = snapshot->dictionary->dictionaryValue().find(key);
    return it == snapshot->dictionary->dictionaryValue().end() ? nullptr : it->second;
}

bool LGPrefsBool(std::string_view key, bool defaultValue) {
    auto* value = lookup(key);
    return value && value->isNumber() ? value->boolValue() : defaultValue;
}

double LGPrefsDouble(std::string_view key, double defaultValue) {
    auto* value = lookup(key);
    return value && value->isNumber() ? *value->doubleValue() : defaultValue;
}

int64_t LGPrefsInteger(std::string_view key, int64_t defaultValue) {
    auto* value = lookup(key);
    if (!value || !value->isNumber()) return defaultValue;
    return value->int64Value().value_or(defaultValue);
}

std::string LGPrefsString(std::string_view key, std::string_view defaultValue) {
    auto* value = lookup(key);
    if (value && value->isString() && !value->stringValue().empty()) return value->stringValue();
    return std::string(defaultValue);
}

bool LGTweakEnabled() {
    return LGPrefsBool(kLGPrefsEnabledKey, true);
}

namespace lg::detail {

void resetPrefsStoreForTesting() {
    auto& s = store();
    std::lock_guard lock(s.startMutex);
    if (s.subscribedCenter && s.subscription) s.subscribedCenter->removeObserver(s.subscription);
    s.subscribedCenter = nullptr;
    s.subscription = 0;
    publishSnapshot(nullptr);
    s.started.store(false, std::memory_order_release);
}

}  // namespace lg::detail
