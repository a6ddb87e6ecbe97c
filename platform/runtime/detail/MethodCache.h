#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/runtime/Imp.h"

namespace runtime::detail {

struct CacheSlot {
    std::atomic<const SelectorName*> selector{nullptr};
    IMP imp = nullptr;
    Signature types = nullptr;
};

// One class's record of what its instances' messages resolved to, read without locks.
//
// The table is open-addressed with linear probing, and a slot is written once: its
// implementation first, then its selector with release order. A reader that sees the selector
// therefore sees the implementation that belongs to it, and since no slot is ever rewritten, a
// reader can never pair one selector with another's implementation. Invalidation and growth
// publish a fresh table instead of touching this one; retired tables stay allocated because a
// reader on another thread may still be probing them.
class MethodCache {
  public:
    // capacity is a power of two.
    explicit MethodCache(std::size_t capacity);

    // The slot for the selector, or nullptr on a miss. Safe from any thread at any time.
    // A null selector lands on an empty slot, which reads as "does not respond" without a
    // branch of its own.
    const CacheSlot* find(const SelectorName* selector) const {
        std::size_t i = indexFor(selector);
        for (;;) {
            const CacheSlot& slot = slots_[i];
            const SelectorName* s = slot.selector.load(std::memory_order_acquire);
            if (s == selector) return &slot;
            if (s == nullptr) return nullptr;
            i = (i + 1) & mask_;
        }
    }

    // Writers only, serialised by the class registry. False when the table has no room left
    // under its load limit; the caller then moves to a larger table.
    bool insert(const SelectorName* selector, MethodImp method);
    // A table twice the size holding every entry of this one.
    std::unique_ptr<MethodCache> grown() const;

    std::size_t capacity() const { return mask_ + 1; }
    std::size_t count() const { return count_; }

    // The shared table of a class that has resolved nothing yet. Never written.
    static MethodCache* empty();

  private:
    std::size_t indexFor(const SelectorName* selector) const {
        const auto bits = reinterpret_cast<std::uintptr_t>(selector);
        return ((bits >> 4) ^ (bits >> 11)) & mask_;
    }

    std::size_t mask_;
    std::size_t count_ = 0;
    std::unique_ptr<CacheSlot[]> slots_;
};

}  // namespace runtime::detail
