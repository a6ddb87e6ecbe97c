#include "platform/ui/TouchSource.h"

#include <algorithm>
#include <cmath>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/ui/Layer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

namespace {

// Taps closer than this in time and distance count as one multiple tap.
constexpr double kMultiTapInterval = 0.35;
constexpr double kMultiTapDistance = 10;

base::Point toWindow(const Window& window, base::Point screenPoint) {
    return window.layer()->transformToSuperlayer().inverted().apply(screenPoint);
}

// Windows front-most first.
std::vector<std::shared_ptr<Window>> windowsFrontToBack() {
    std::vector<std::shared_ptr<Window>> windows = Window::allWindows();
    std::stable_sort(windows.begin(), windows.end(), [](const auto& a, const auto& b) {
        return a->windowLevel() < b->windowLevel();
    });
    std::reverse(windows.begin(), windows.end());
    return windows;
}

}  // namespace

TouchSource& TouchSource::shared() {
    static TouchSource* const source = new TouchSource();
    return *source;
}

std::shared_ptr<View> TouchSource::capturedView() const {
    return touch_ ? touch_->view() : nullptr;
}

bool TouchSource::touchDown(base::Point screenPoint) {
    if (touch_) return false;
    const double now = dispatch::now();
    auto event = std::make_shared<Event>();
    event->timestamp_ = now;
    for (const auto& window : windowsFrontToBack()) {
        if (window->isHidden()) continue;
        const base::Point p = toWindow(*window, screenPoint);
        View* hit = window->hitTest(p, event.get());
        if (hit == nullptr) continue;
        auto touch = std::make_shared<Touch>();
        touch->phase_ = TouchPhase::Began;
        touch->timestamp_ = now;
        touch->location_ = touch->previousLocation_ = p;
        touch->view_ = runtime::weakRef(hit);
        touch->window_ = window;
        const bool repeat = lastTapTime_ >= 0 && now - lastTapTime_ <= kMultiTapInterval &&
                            std::hypot(screenPoint.x - lastTapPoint_.x,
                                       screenPoint.y - lastTapPoint_.y) <= kMultiTapDistance;
        touch->tapCount_ = repeat ? lastTapCount_ + 1 : 1;
        event->touches_ = {touch};
        touch_ = touch;
        event_ = event;
        downPoint_ = screenPoint;
        // The view may go away while it handles the touch; keep it for the call.
        const std::shared_ptr<View> keep = runtime::retained(hit);
        View::kTouchesBegan.send(hit, touch.get(), event.get());
        return true;
    }
    return false;
}

void TouchSource::deliver(TouchPhase phase, base::Point screenPoint) {
    if (!touch_) return;
    // The touch is over once it ends; whatever the view does next starts afresh.
    const std::shared_ptr<Touch> touch = touch_;
    const std::shared_ptr<Event> event = event_;
    const double now = dispatch::now();
    touch->phase_ = phase;
    touch->timestamp_ = now;
    event->timestamp_ = now;
    if (phase != TouchPhase::Cancelled) {
        if (const std::shared_ptr<Window> window = touch->window()) {
            touch->previousLocation_ = touch->location_;
            touch->location_ = toWindow(*window, screenPoint);
        }
    }
    if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled) {
        touch_.reset();
        event_.reset();
    }
    if (phase == TouchPhase::Ended) {
        lastTapTime_ = now;
        lastTapPoint_ = screenPoint;
        lastTapCount_ = touch->tapCount_;
    }
    const std::shared_ptr<View> view = touch->view();
    if (!view) return;
    switch (phase) {
        case TouchPhase::Moved:
            View::kTouchesMoved.send(view.get(), touch.get(), event.get());
            break;
        case TouchPhase::Ended:
            View::kTouchesEnded.send(view.get(), touch.get(), event.get());
            if (std::hypot(screenPoint.x - downPoint_.x, screenPoint.y - downPoint_.y) <=
                TapGestureRecognizer::kMaxMovement) {
                recognizeTap(*touch);
            }
            break;
        case TouchPhase::Cancelled:
            View::kTouchesCancelled.send(view.get(), touch.get(), event.get());
            break;
        default:
            break;
    }
}

void TouchSource::recognizeTap(const Touch& touch) {
    for (std::shared_ptr<View> v = touch.view(); v; v = v->superview()) {
        if (v->gestureRecognizers().empty()) continue;
        // A copy: an action may change the recognizers.
        const auto recognizers = v->gestureRecognizers();
        for (const auto& r : recognizers) r->recognize(touch.locationInView(nullptr));
        return;
    }
}

void TouchSource::touchMove(base::Point screenPoint) {
    deliver(TouchPhase::Moved, screenPoint);
}

void TouchSource::touchUp(base::Point screenPoint) {
    deliver(TouchPhase::Ended, screenPoint);
}

void TouchSource::touchCancel() {
    deliver(TouchPhase::Cancelled, {});
}

bool TouchSource::tap(base::Point screenPoint, double duration) {
    if (!touchDown(screenPoint)) return false;
    dispatch::RunLoop::main().runUntil(dispatch::nowNanos() +
                                       dispatch::nanosFromSeconds(std::max(0.0, duration)));
    touchUp(screenPoint);
    return true;
}

}  // namespace ui
