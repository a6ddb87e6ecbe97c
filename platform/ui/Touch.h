#pragma once

#include <memory>
#include <vector>

#include "platform/base/Geometry.h"
#include "platform/runtime/Runtime.h"

namespace ui {

class View;
class Window;

enum class TouchPhase { Began = 0, Moved = 1, Stationary = 2, Ended = 3, Cancelled = 4 };

// One finger on the screen ("UITouch"). The view it landed on is found once, when it goes down,
// and keeps the touch until it lifts or is cancelled, wherever the finger moves meanwhile.
//
// Main thread only.
class Touch : public runtime::Object {
    QV_OBJECT(Touch, runtime::Object);

  public:
    Touch() = default;

    TouchPhase phase() const { return phase_; }
    // Media time of the latest change, in seconds.
    double timestamp() const { return timestamp_; }
    int tapCount() const { return tapCount_; }
    std::shared_ptr<View> view() const { return view_.lock(); }
    std::shared_ptr<Window> window() const { return window_.lock(); }

    // Where the finger is (was, before the latest move) in `view`'s bounds coordinates; nullptr
    // gives the touch's window's coordinates.
    base::Point locationInView(const View* view) const;
    base::Point previousLocationInView(const View* view) const;

  private:
    friend class TouchSource;

    TouchPhase phase_ = TouchPhase::Began;
    double timestamp_ = 0;
    int tapCount_ = 1;
    // In the window's coordinates.
    base::Point location_;
    base::Point previousLocation_;
    std::weak_ptr<View> view_;
    std::weak_ptr<Window> window_;
};

// The event a touch change arrives with ("UIEvent").
class Event : public runtime::Object {
    QV_OBJECT(Event, runtime::Object);

  public:
    Event() = default;

    double timestamp() const { return timestamp_; }
    const std::vector<std::shared_ptr<Touch>>& allTouches() const { return touches_; }

  private:
    friend class TouchSource;

    double timestamp_ = 0;
    std::vector<std::shared_ptr<Touch>> touches_;
};

}  // namespace ui
