#include "platform/runtime/detail/MethodCache.h"

#include <cassert>

namespace runtime::detail {

MethodCache::MethodCache(std::size_t capacity)
    : mask_(capacity - 1), slots_(std::make_unique<CacheSlot[]>(capacity)) {
    assert(capacity > 0 && (capacity & (capacity - 1)) == 0);
}

bool MethodCache::insert(const SelectorName* selector, MethodImp method) {
    // Keep at least a quarter of the slots empty so that every probe ends at an empty slot.
    if ((count_ + 1) * 4 > capacity() * 3) return false;
    std::size_t i = indexFor(selector);
    for (;;) {
        CacheSlot& slot = slots_[i];
        const SelectorName* s = slot.selector.load(std::memory_order_relaxed);
        if (s == selector) return true;
        if (s == nullptr) break;
        i = (i + 1) & mask_;
    }
    CacheSlot& slot = slots_[i];
    slot.imp = method.imp;
    slot.types = method.types;
    slot.selector.store(selector, std::memory_order_release);
    ++count_;
    return true;
}

std::unique_ptr<MethodCache> MethodCache::grown() const {
    auto bigger = std::make_unique<MethodCache>(capacity() * 2);
    for (std::size_t i = 0; i < capacity(); ++i) {
        const CacheSlot& slot = slots_[i];
        if (const SelectorName* s = slot.selector.load(std::memory_order_relaxed)) {
            bigger->insert(s, {slot.imp, slot.types});
        }
    }
    return bigger;
}

MethodCache* MethodCache::empty() {
    // A single empty slot: every probe misses at once.
    static auto* table = new MethodCache(1);
    return table;
}

}  // namespace runtime::detail
