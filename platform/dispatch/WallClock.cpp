#include "platform/dispatch/WallClock.h"

#include <mutex>
#include <optional>

#include "platform/dispatch/Time.h"

namespace dispatch {

namespace {

struct Anchor {
    Date date;
    Nanos media = 0;
};

std::mutex& anchorMutex() {
    static std::mutex mutex;
    return mutex;
}

std::optional<Anchor>& anchor() {
    static std::optional<Anchor> value;
    return value;
}

}  // namespace

Date wallClockNow() {
    std::optional<Anchor> pinned;
    {
        std::lock_guard lock(anchorMutex());
        pinned = anchor();
    }
    if (!pinned) return std::chrono::system_clock::now();
    const Nanos elapsed = nowNanos() - pinned->media;
    return pinned->date +
           std::chrono::duration_cast<Date::duration>(std::chrono::nanoseconds(elapsed));
}

void setWallClock(Date date) {
    const Nanos media = nowNanos();
    std::lock_guard lock(anchorMutex());
    anchor() = Anchor{date, media};
}

void resetWallClock() {
    std::lock_guard lock(anchorMutex());
    anchor().reset();
}

bool isWallClockPinned() {
    std::lock_guard lock(anchorMutex());
    return anchor().has_value();
}

}  // namespace dispatch
