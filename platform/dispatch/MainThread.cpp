#include "platform/dispatch/MainThread.h"

#include <atomic>
#include <thread>

#include "platform/dispatch/detail/Immortal.h"

namespace dispatch {

namespace {

std::atomic<std::thread::id>& mainThreadSlot() {
    // The first caller claims the slot; the load-time claim below makes that the loading thread.
    static detail::Immortal<std::atomic<std::thread::id>> slot{std::this_thread::get_id()};
    return slot.value;
}

// Claimed while static initialisers run, so that a helper thread asking first cannot become the
// main thread by accident.
[[maybe_unused]] const bool claimedAtLoad = (mainThreadSlot(), true);

}  // namespace

bool isMainThread() {
    return mainThreadSlot().load(std::memory_order_acquire) == std::this_thread::get_id();
}

void designateMainThread() {
    mainThreadSlot().store(std::this_thread::get_id(), std::memory_order_release);
}

}  // namespace dispatch
