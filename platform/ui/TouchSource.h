#pragma once

#include <memory>

#include "platform/base/Geometry.h"
#include "platform/ui/Touch.h"

namespace ui {

class View;

// Turns one finger's presses, moves and lifts at points of the main screen into touches
// delivered to views. Tests, scene scripts and a window's mouse all drive the interface through
// it, so they exercise the same path.
//
// At touch-down the front-most visible window under the point (highest level first, later
// windows above earlier ones of the same level) is hit-tested once; the view found keeps the
// touch until it ends or is cancelled, however far the finger wanders. The touch's timestamps
// are the media clock's. One finger at a time: a press while one is down is ignored.
//
// Main thread only.
class TouchSource {
  public:
    // The process's finger.
    static TouchSource& shared();

    // False, delivering nothing, when no view takes the touch or a touch is already down.
    bool touchDown(base::Point screenPoint);
    // Ignored when no touch is down.
    void touchMove(base::Point screenPoint);
    void touchUp(base::Point screenPoint);
    // Cancels the touch that is down (the system took it away).
    void touchCancel();

    // A whole tap: down and up at one point, `duration` seconds apart on the run loop.
    bool tap(base::Point screenPoint, double duration = 0.05);

    bool isTouching() const { return touch_ != nullptr; }
    const std::shared_ptr<Touch>& currentTouch() const { return touch_; }
    // The view the current touch was delivered to.
    std::shared_ptr<View> capturedView() const;

  private:
    void deliver(TouchPhase phase, base::Point screenPoint);
    // After a touch ended near where it began: the tap recognizers of the deepest view that has
    // any, from the touched view up.
    void recognizeTap(const Touch& touch);

    std::shared_ptr<Touch> touch_;
    std::shared_ptr<Event> event_;
    base::Point downPoint_;
    // For counting taps.
    double lastTapTime_ = -1;
    base::Point lastTapPoint_;
    int lastTapCount_ = 0;
};

}  // namespace ui
