#include "platform/dispatch/Timer.h"

#include "platform/dispatch/Queue.h"
#include "platform/dispatch/detail/TimerScheduler.h"

namespace dispatch {

using detail::TimerScheduler;

std::shared_ptr<Timer> Timer::create(const std::shared_ptr<Queue>& queue) {
    if (!queue) return nullptr;
    return std::shared_ptr<Timer>(new Timer(queue));
}

Timer::Timer(const std::shared_ptr<Queue>& queue) : queue_(queue) {}

void Timer::setHandler(Handler handler) {
    TimerScheduler::instance().setHandler(*this, std::move(handler));
}

void Timer::schedule(Nanos start, Nanos interval, Nanos leeway) {
    TimerScheduler::instance().schedule(shared_from_this(), start, interval, leeway);
}

void Timer::scheduleAfter(Nanos delay, Nanos interval, Nanos leeway) {
    const Nanos now = nowNanos();
    schedule(delay > kNever - now ? kNever : now + delay, interval, leeway);
}

void Timer::cancel() {
    TimerScheduler::instance().cancel(*this);
}

bool Timer::isCancelled() const {
    return TimerScheduler::instance().isCancelled(*this);
}

bool Timer::isArmed() const {
    return TimerScheduler::instance().isArmed(*this);
}

void Timer::fire(std::uint64_t generation) {
    if (auto handler = TimerScheduler::instance().claimTick(*this, generation);
        handler && *handler) {
        (*handler)();
    }
}

}  // namespace dispatch
