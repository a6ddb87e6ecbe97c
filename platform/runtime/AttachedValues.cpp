#include "platform/runtime/detail/AttachedValues.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace runtime::detail {

namespace {

// Attached values are touched rarely enough that a mutex per object would be waste; objects
// share a small set of locks chosen by address instead.
std::mutex& lockFor(const Object& owner) {
    static auto* locks = new std::array<std::mutex, 64>();
    const auto bits = reinterpret_cast<std::uintptr_t>(&owner);
    return (*locks)[(bits >> 6) % locks->size()];
}

}  // namespace

void setAttached(Object& owner, const AttachKey& key, AttachedEntry entry) {
    if (key.isNull()) return;
    AttachedEntry displaced;
    {
        std::lock_guard lock(lockFor(owner));
        std::unique_ptr<AttachedValues>& values = AttachedValuesAccess::of(owner);
        if (values == nullptr) values = std::make_unique<AttachedValues>();
        AttachedEntry& slot = values->entries[key];
        displaced = std::move(slot);
        slot = std::move(entry);
    }
}

void removeAttached(Object& owner, const AttachKey& key) {
    AttachedEntry displaced;
    {
        std::lock_guard lock(lockFor(owner));
        std::unique_ptr<AttachedValues>& values = AttachedValuesAccess::of(owner);
        if (values == nullptr) return;
        auto it = values->entries.find(key);
        if (it == values->entries.end()) return;
        displaced = std::move(it->second);
        values->entries.erase(it);
    }
}

AttachedRead readAttached(const Object& owner, const AttachKey& key) {
    std::lock_guard lock(lockFor(owner));
    const std::unique_ptr<AttachedValues>& values = AttachedValuesAccess::of(owner);
    if (values == nullptr) return {};
    auto it = values->entries.find(key);
    if (it == values->entries.end()) return {};
    const AttachedEntry& e = it->second;
    return {e.strong != nullptr ? e.strong : e.weak.lock(), e.type, e.isObject};
}

}  // namespace runtime::detail
