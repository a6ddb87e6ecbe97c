#include "platform/dispatch/Time.h"

#include <atomic>
#include <cassert>
#include <chrono>
#include <cmath>

#include "platform/dispatch/detail/ClockControl.h"
#include "platform/dispatch/detail/Immortal.h"
#include "platform/dispatch/detail/TimerScheduler.h"

namespace dispatch {

namespace {

struct ClockState {
    std::atomic<bool> manual{false};
    std::atomic<Nanos> manualNow{0};
};

ClockState& clockState() {
    static detail::Immortal<ClockState> state;
    return state.value;
}

Nanos realNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Raises the manual time to `time`; false when the clock already reads that or later.
bool raiseManualTime(Nanos time) {
    auto& state = clockState();
    Nanos current = state.manualNow.load(std::memory_order_acquire);
    while (current < time) {
        if (state.manualNow.compare_exchange_weak(current, time, std::memory_order_acq_rel)) {
            return true;
        }
    }
    return false;
}

}  // namespace

Nanos nanosFromSeconds(double seconds) {
    if (std::isnan(seconds)) return 0;
    const double nanos = std::round(seconds * static_cast<double>(kNanosPerSecond));
    // 2^63 is exactly representable; anything at or beyond it saturates.
    if (nanos >= 9223372036854775807.0) return INT64_MAX;
    if (nanos <= -9223372036854775807.0) return INT64_MIN;
    return static_cast<Nanos>(nanos);
}

double secondsFromNanos(Nanos nanos) {
    return static_cast<double>(nanos) / static_cast<double>(kNanosPerSecond);
}

Nanos nowNanos() {
    auto& state = clockState();
    if (state.manual.load(std::memory_order_acquire)) {
        return state.manualNow.load(std::memory_order_acquire);
    }
    return realNow();
}

double now() {
    return secondsFromNanos(nowNanos());
}

ManualClock::ManualClock(double startSeconds) {
    auto& state = clockState();
    assert(!state.manual.load() && "only one ManualClock may exist at a time");
    state.manualNow.store(nanosFromSeconds(startSeconds), std::memory_order_release);
    state.manual.store(true, std::memory_order_release);
    // The timer thread was sleeping until a real deadline; it must stop handing timers now.
    detail::TimerScheduler::instance().clockChanged();
}

ManualClock::~ManualClock() {
    clockState().manual.store(false, std::memory_order_release);
    detail::TimerScheduler::instance().clockChanged();
}

Nanos ManualClock::nanos() const {
    return clockState().manualNow.load(std::memory_order_acquire);
}

double ManualClock::seconds() const {
    return secondsFromNanos(nanos());
}

void ManualClock::setNanos(Nanos time) {
    if (!raiseManualTime(time)) return;
    detail::TimerScheduler::instance().handDueTimers();
}

void ManualClock::set(double seconds) {
    setNanos(nanosFromSeconds(seconds));
}

void ManualClock::advanceNanos(Nanos delta) {
    if (delta <= 0) return;
    const Nanos current = nanos();
    setNanos(delta > kNever - current ? kNever : current + delta);
}

void ManualClock::advance(double seconds) {
    advanceNanos(nanosFromSeconds(seconds));
}

namespace detail {

bool manualClockActive() {
    return clockState().manual.load(std::memory_order_acquire);
}

void advanceManualClockTo(Nanos time) {
    if (!manualClockActive()) return;
    if (!raiseManualTime(time)) return;
    TimerScheduler::instance().handDueTimers();
}

}  // namespace detail

}  // namespace dispatch
