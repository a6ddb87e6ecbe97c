#pragma once

#include <optional>

#include "platform/base/Geometry.h"

// The desktop mouse over a host's window, played as one finger on the device's screen: the left
// button going down is a touch going down, motion while it is held moves the touch, and its
// release lifts it, all at the window pixel divided by the window's scale.
//
// The window is polled a few dozen times a second and a fast mouse leaves many motions between
// two polls; only the last of them reaches the touch (flush()), so a drag costs one move per
// poll however quickly the hand moves. Main thread only.
class WindowPointer {
  public:
    explicit WindowPointer(double scale) : scale_(scale) {}

    void press(double windowX, double windowY);
    void move(double windowX, double windowY);
    void release(double windowX, double windowY);
    // The window lost the mouse while the button was down: the touch is cancelled.
    void cancel();
    // Delivers the motion held back since the last flush, if any.
    void flush();

    // Whether the finger is on the screen (a press was taken and not yet released).
    bool isDown() const { return down_; }

  private:
    base::Point toScreen(double windowX, double windowY) const;

    double scale_;
    bool down_ = false;
    std::optional<base::Point> pendingMove_;
};
