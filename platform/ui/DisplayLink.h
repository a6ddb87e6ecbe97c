#pragma once

#include <functional>
#include <memory>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/RunLoopItems.h"
#include "platform/runtime/Runtime.h"

namespace ui {

// A timer in step with the main screen's refreshes ("CADisplayLink").
//
// Once added to the main run loop it calls its callback on every refresh of the screen, or,
// with a preferred rate set, on every n-th refresh where n = round(maximum / preferred) (a
// preferred 30 on a 60 Hz screen ticks every second refresh). Refreshes lie on a fixed grid of
// media time (refresh k at k / maximum seconds), so under a manual clock ticks happen exactly
// when the clock reaches a refresh the link is due at.
//
// The run loop keeps the link (and what its callback holds) alive until invalidate(). A paused
// link does not tick; unpausing ticks at the next due refresh. Main thread only.
class DisplayLink : public runtime::Object {
    QV_OBJECT(DisplayLink, runtime::Object);

  public:
    using Callback = std::function<void(DisplayLink& link)>;

    // nullptr when the callback is empty.
    static std::shared_ptr<DisplayLink> create(Callback callback);
    // How many times any display link of the process called its callback: what an idle screen
    // costs, for benchmarks and scene descriptions.
    static std::uint64_t totalTickCount();

    // Schedules the link in `mode` (Common: in every mode, so it ticks during tracking). Only
    // the main loop runs display links. Adding an invalidated link does nothing.
    void addToRunLoop(dispatch::RunLoop& loop, dispatch::Mode mode);
    // Stops the link for good and lets go of the callback.
    void invalidate();
    bool isValid() const { return valid_; }

    bool isPaused() const { return paused_; }
    void setPaused(bool paused);

    // 0 (the default) means the screen's maximum rate. Negative values count as 0.
    int preferredFramesPerSecond() const { return preferred_; }
    void setPreferredFramesPerSecond(int fps);
    // The rate the link ticks at on the current screen.
    int framesPerSecond() const;

    // Media time of the refresh being handled (0 before the first tick).
    double timestamp() const { return timestamp_; }
    // Media time of the next refresh this link is due at.
    double targetTimestamp() const { return targetTimestamp_; }
    // The screen's refresh interval.
    double duration() const;

    explicit DisplayLink(Callback callback);

  private:
    int step() const;
    void scheduleNext();
    void tick(dispatch::Nanos scheduled);

    // Shared so that a tick keeps the callback alive while it runs, even if it invalidates.
    std::shared_ptr<const Callback> callback_;
    std::shared_ptr<dispatch::RunLoopTimer> timer_;
    double timestamp_ = 0;
    double targetTimestamp_ = 0;
    int preferred_ = 0;
    bool paused_ = false;
    bool valid_ = true;
};

}  // namespace ui
