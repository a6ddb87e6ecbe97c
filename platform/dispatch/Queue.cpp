#include "platform/dispatch/Queue.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "platform/dispatch/Timer.h"

namespace dispatch {

Queue::Queue(std::string label) : label_(std::move(label)) {}

Queue::~Queue() = default;

void Queue::async(Block block) {
    if (block) enqueue(std::move(block));
}

void Queue::after(Nanos delay, Block block) {
    if (!block) return;
    // A one-shot timer keeps itself alive until it fires, and dies with this queue.
    auto timer = Timer::create(shared_from_this());
    timer->setHandler(std::move(block));
    timer->scheduleAfter(std::max<Nanos>(delay, 0));
}

void Queue::sync(const std::function<void()>& block) {
    if (!block) return;
    if (isCurrent()) {
        block();
        return;
    }
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    enqueue([&] {
        block();
        // Notified under the lock: once the caller sees `done` it destroys these locals.
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_one();
    });
    std::unique_lock lock(mutex);
    finished.wait(lock, [&] { return done; });
}

}  // namespace dispatch
