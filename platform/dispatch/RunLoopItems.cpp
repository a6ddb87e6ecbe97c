#include "platform/dispatch/RunLoopItems.h"

#include "platform/dispatch/RunLoop.h"

namespace dispatch {

// Every item's state is guarded by the main loop's mutex, which the loop holds while it looks
// at the items. Callbacks are released after that mutex: their captures may do anything.

std::shared_ptr<RunLoopTimer> RunLoopTimer::create(Nanos fireTime, Nanos interval,
                                                   Callback callback) {
    if (!callback || interval < 0) return nullptr;
    return std::shared_ptr<RunLoopTimer>(new RunLoopTimer(fireTime, interval, std::move(callback)));
}

RunLoopTimer::RunLoopTimer(Nanos fireTime, Nanos interval, Callback callback)
    : fireTime_(fireTime),
      interval_(interval),
      callback_(std::make_shared<Callback>(std::move(callback))) {}

Nanos RunLoopTimer::fireTime() const {
    std::lock_guard lock(RunLoop::main().mutex_);
    return fireTime_;
}

void RunLoopTimer::setFireTime(Nanos fireTime) {
    auto& loop = RunLoop::main();
    std::lock_guard lock(loop.mutex_);
    if (!valid_ || fireTime_ == fireTime) return;
    fireTime_ = fireTime;
    loop.wakeLocked();
}

Nanos RunLoopTimer::interval() const {
    std::lock_guard lock(RunLoop::main().mutex_);
    return interval_;
}

void RunLoopTimer::setInterval(Nanos interval) {
    if (interval < 0) return;
    std::lock_guard lock(RunLoop::main().mutex_);
    interval_ = interval;
}

void RunLoopTimer::invalidate() {
    std::shared_ptr<Callback> released;
    std::lock_guard lock(RunLoop::main().mutex_);
    valid_ = false;
    released = std::move(callback_);
}

bool RunLoopTimer::isValid() const {
    std::lock_guard lock(RunLoop::main().mutex_);
    return valid_;
}

std::shared_ptr<RunLoopSource> RunLoopSource::create(Callback callback) {
    if (!callback) return nullptr;
    return std::shared_ptr<RunLoopSource>(new RunLoopSource(std::move(callback)));
}

RunLoopSource::RunLoopSource(Callback callback)
    : callback_(std::make_shared<Callback>(std::move(callback))) {}

void RunLoopSource::signal() {
    auto& loop = RunLoop::main();
    std::lock_guard lock(loop.mutex_);
    if (!valid_ || signalled_) return;
    signalled_ = true;
    loop.wakeLocked();
}

void RunLoopSource::invalidate() {
    std::shared_ptr<Callback> released;
    std::lock_guard lock(RunLoop::main().mutex_);
    valid_ = false;
    released = std::move(callback_);
}

bool RunLoopSource::isValid() const {
    std::lock_guard lock(RunLoop::main().mutex_);
    return valid_;
}

std::shared_ptr<RunLoopObserver> RunLoopObserver::create(int order, Callback callback) {
    if (!callback) return nullptr;
    return std::shared_ptr<RunLoopObserver>(new RunLoopObserver(order, std::move(callback)));
}

RunLoopObserver::RunLoopObserver(int order, Callback callback)
    : order_(order), callback_(std::make_shared<Callback>(std::move(callback))) {}

void RunLoopObserver::invalidate() {
    std::shared_ptr<Callback> released;
    std::lock_guard lock(RunLoop::main().mutex_);
    valid_ = false;
    released = std::move(callback_);
}

bool RunLoopObserver::isValid() const {
    std::lock_guard lock(RunLoop::main().mutex_);
    return valid_;
}

}  // namespace dispatch
