// View's hit testing and its default touch handling (the responder chain).
#include "platform/ui/Layer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Touch.h"
#include "platform/ui/View.h"

namespace ui {

View* View::hitTestDefault(base::Point point, Event* event) {
    if (isHidden() || !userInteractionEnabled_ || alpha() < 0.01) return nullptr;
    if (isInteractionBlockedByAnimation()) return nullptr;
    if (!pointInside(point, event)) return nullptr;
    // A copy: a hit-test override may rearrange the subviews.
    const std::vector<std::shared_ptr<View>> children = subviews_;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        View& child = **it;
        const base::AffineTransform toChild = child.layer_->transformToSuperlayer().inverted();
        if (View* hit = child.hitTest(toChild.apply(point), event)) return hit;
    }
    return this;
}

void View::addGestureRecognizer(const std::shared_ptr<TapGestureRecognizer>& recognizer) {
    if (!recognizer) return;
    if (auto previous = recognizer->view_.lock())
        previous->removeGestureRecognizer(recognizer.get());
    recognizer->view_ = runtime::weakRef(this);
    recognizers_.push_back(recognizer);
}

void View::removeGestureRecognizer(const TapGestureRecognizer* recognizer) {
    std::erase_if(recognizers_, [&](const auto& r) {
        if (r.get() != recognizer) return false;
        r->view_.reset();
        return true;
    });
}

bool View::pointInsideDefault(base::Point point, Event*) {
    const base::Rect b = bounds();
    // Half-open, so two views that share an edge never both claim a point on it.
    return point.x >= b.minX() && point.x < b.maxX() && point.y >= b.minY() && point.y < b.maxY();
}

// A view that does not handle a touch hands it to the next responder, its superview.
void View::touchesBeganDefault(Touch* touch, Event* event) {
    if (superview_ != nullptr) kTouchesBegan.send(superview_, touch, event);
}
void View::touchesMovedDefault(Touch* touch, Event* event) {
    if (superview_ != nullptr) kTouchesMoved.send(superview_, touch, event);
}
void View::touchesEndedDefault(Touch* touch, Event* event) {
    if (superview_ != nullptr) kTouchesEnded.send(superview_, touch, event);
}
void View::touchesCancelledDefault(Touch* touch, Event* event) {
    if (superview_ != nullptr) kTouchesCancelled.send(superview_, touch, event);
}

}  // namespace ui
