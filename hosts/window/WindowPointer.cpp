#include "hosts/window/WindowPointer.h"

#include "platform/ui/TouchSource.h"

base::Point WindowPointer::toScreen(double windowX, double windowY) const {
    return {windowX / scale_, windowY / scale_};
}

void WindowPointer::press(double windowX, double windowY) {
    if (down_) return;
    // A press where no view takes touches is still the start of a gesture for the mouse, but
    // nothing on the screen follows it.
    down_ = ui::TouchSource::shared().touchDown(toScreen(windowX, windowY));
    pendingMove_.reset();
}

void WindowPointer::move(double windowX, double windowY) {
    if (down_) pendingMove_ = toScreen(windowX, windowY);
}

void WindowPointer::release(double windowX, double windowY) {
    if (!down_) return;
    // Views track a touch by its moves, not by where it ends: the finger first moves to where
    // the button came up, which may lie past the last motion reported.
    pendingMove_ = toScreen(windowX, windowY);
    flush();
    down_ = false;
    ui::TouchSource::shared().touchUp(toScreen(windowX, windowY));
}

void WindowPointer::cancel() {
    if (!down_) return;
    down_ = false;
    pendingMove_.reset();
    ui::TouchSource::shared().touchCancel();
}

void WindowPointer::flush() {
    if (!pendingMove_) return;
    const base::Point point = *pendingMove_;
    pendingMove_.reset();
    ui::TouchSource::shared().touchMove(point);
}
