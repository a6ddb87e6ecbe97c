#include "platform/prefs/PreferenceService.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <optional>

#include "platform/base/DeviceRoot.h"
#include "platform/prefs/PreferenceFile.h"
#include "platform/prefs/detail/SynchronizeProbe.h"

namespace prefs {

namespace {

constexpr char kPreferencesFolder[] = "/var/mobile/Library/Preferences";

using Pending = std::map<std::string, base::PlistPtr, std::less<>>;  // null value: removal

base::PlistPtr applyPending(const base::PlistPtr& dictionary, const Pending& pending) {
    if (pending.empty()) return dictionary;
    base::PlistDictionary merged = dictionary->dictionaryValue();
    for (const auto& [key, value] : pending) {
        if (value) {
            merged[key] = value;
        } else {
            merged.erase(key);
        }
    }
    return base::PlistValue::dictionary(std::move(merged));
}

std::mutex& probeMutex() {
    static std::mutex mutex;
    return mutex;
}

std::function<void(detail::SynchronizeStage)>& probeStorage() {
    static std::function<void(detail::SynchronizeStage)> probe;
    return probe;
}

}  // namespace

namespace detail {

void setSynchronizeProbe(std::function<void(SynchronizeStage)> probe) {
    std::lock_guard lock(probeMutex());
    probeStorage() = std::move(probe);
}

void runSynchronizeProbe(SynchronizeStage stage) {
    std::function<void(SynchronizeStage)> probe;
    {
        std::lock_guard lock(probeMutex());
        probe = probeStorage();
    }
    if (probe) probe(stage);
}

}  // namespace detail

struct PreferenceService::Domain {
    std::mutex mutex;
    std::string path;
    bool loaded = false;
    base::PlistPtr stored = base::PlistValue::emptyDictionary();  // as last read from the file
    Pending pending;

    void loadIfNeeded() {
        if (loaded) return;
        stored = readPreferenceFile(path).dictionary;
        loaded = true;
    }
};

struct PreferenceService::Impl {
    std::string directory;
    std::mutex mutex;
    std::map<std::string, std::unique_ptr<Domain>, std::less<>> domains;
};

PreferenceService& PreferenceService::shared() {
    // One service per folder, so that a process (a test, typically) that moves to a fresh device
    // root gets fresh caches while a service handed out earlier stays valid.
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<PreferenceService>>* services =
        new std::map<std::string, std::unique_ptr<PreferenceService>>();
    std::string directory = base::resolveDevicePath(kPreferencesFolder);
    std::lock_guard lock(mutex);
    auto& service = (*services)[directory];
    if (!service) service = std::make_unique<PreferenceService>(directory);
    return *service;
}

PreferenceService::PreferenceService(std::string preferencesDirectory)
    : impl_(std::make_unique<Impl>()) {
    impl_->directory = std::move(preferencesDirectory);
}

PreferenceService::~PreferenceService() = default;

bool PreferenceService::isValidDomainName(std::string_view domain) {
    if (domain.empty() || domain.size() > 200 || domain == "." || domain == "..") return false;
    return domain.find('/') == std::string_view::npos &&
           domain.find('\0') == std::string_view::npos;
}

std::string PreferenceService::pathForDomain(std::string_view domain) const {
    if (!isValidDomainName(domain)) return {};
    return impl_->directory + "/" + std::string(domain) + ".plist";
}

PreferenceService::Domain* PreferenceService::domainFor(std::string_view domain) {
    if (!isValidDomainName(domain)) return nullptr;
    std::lock_guard lock(impl_->mutex);
    auto it = impl_->domains.find(domain);
    if (it != impl_->domains.end()) return it->second.get();
    auto state = std::make_unique<Domain>();
    state->path = pathForDomain(domain);
    Domain* raw = state.get();
    impl_->domains.emplace(std::string(domain), std::move(state));
    return raw;
}

base::PlistPtr PreferenceService::copyValue(std::string_view key, std::string_view domain) {
    if (key.empty()) return nullptr;
    Domain* state = domainFor(domain);
    if (!state) return nullptr;
    std::lock_guard lock(state->mutex);
    if (auto it = state->pending.find(key); it != state->pending.end()) return it->second;
    state->loadIfNeeded();
    return state->stored->objectForKey(key);
}

void PreferenceService::setValue(std::string_view key, base::PlistPtr value,
                                 std::string_view domain) {
    if (key.empty()) return;
    Domain* state = domainFor(domain);
    if (!state) return;
    std::lock_guard lock(state->mutex);
    state->pending[std::string(key)] = std::move(value);
}

base::PlistPtr PreferenceService::copyAll(std::string_view domain) {
    Domain* state = domainFor(domain);
    if (!state) return base::PlistValue::emptyDictionary();
    std::lock_guard lock(state->mutex);
    state->loadIfNeeded();
    return applyPending(state->stored, state->pending);
}

bool PreferenceService::synchronize(std::string_view domain, std::string* error) {
    auto fail = [error](std::string message) {
        if (error) *error = std::move(message);
        return false;
    };
    Domain* state = domainFor(domain);
    if (!state) return fail("'" + std::string(domain) + "' is not a valid domain name");
    std::lock_guard lock(state->mutex);

    // Nothing of ours to write: only pick up what other processes wrote.
    if (state->pending.empty()) {
        state->stored = readPreferenceFile(state->path).dictionary;
        state->loaded = true;
        return true;
    }

    // Pass 1: take the domain's writer lock, creating the folder on the first write.
    if (!base::makeDirectories(impl_->directory)) {
        return fail("cannot make the preferences folder " + impl_->directory);
    }
    PreferenceFileLock fileLock(state->path);
    if (!fileLock.isLocked()) return fail("cannot lock " + state->path + ".lock");
    detail::runSynchronizeProbe(detail::SynchronizeStage::Locked);
    removeStaleTemporaryFiles(state->path);

    // Pass 2: read the file as other processes left it. A file we cannot read may hold anything,
    // so it is neither replaced nor moved; a file we read but cannot parse is kept aside rather
    // than silently replaced.
    PreferenceFileContents onDisk = readPreferenceFile(state->path);
    if (onDisk.status == PreferenceFileContents::Status::Inaccessible) {
        state->stored = onDisk.dictionary;
        state->loaded = true;
        return fail("cannot read " + onDisk.error + "; nothing was written");
    }
    if (onDisk.status == PreferenceFileContents::Status::Corrupt) {
        const std::string kept = setAsideCorruptFile(state->path);
        if (kept.empty()) {
            state->stored = onDisk.dictionary;
            state->loaded = true;
            return fail(onDisk.error + " and cannot be set aside; nothing was written");
        }
        std::fprintf(stderr, "prefs: %s; kept it as %s\n", onDisk.error.c_str(), kept.c_str());
    }

    // Pass 3: apply our changes key by key on top of theirs and write only if that changes
    // anything.
    base::PlistPtr merged = applyPending(onDisk.dictionary, state->pending);
    bool unchanged = onDisk.status == PreferenceFileContents::Status::Valid
                         ? *merged == *onDisk.dictionary
                         : merged->dictionaryValue().empty();
    if (!unchanged && !writePreferenceFileAtomically(state->path, *merged)) {
        state->stored = onDisk.dictionary;
        state->loaded = true;
        return fail("cannot write " + state->path);
    }

    // Pass 4: the file now holds exactly `merged`.
    state->stored = std::move(merged);
    state->loaded = true;
    state->pending.clear();
    return true;
}

}  // namespace prefs
