#include "platform/ui/ScrollView.h"

#include <algorithm>

#include "platform/dispatch/Time.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/TimingFunction.h"
#include "platform/ui/Touch.h"

namespace ui {

QV_DEFINE_CLASS(ScrollView, "UIScrollView");

struct ScrollView::ScrollAnimation {
    base::Point from;
    base::Point to;
    dispatch::Nanos start = 0;
    std::shared_ptr<DisplayLink> link;
};

void ScrollView::registerMethods(runtime::MethodList<ScrollView>& methods) {
    methods.add<&ScrollView::setContentOffsetDefault>(kSetContentOffset)
        .add<&ScrollView::touchesBeganScroll>(kTouchesBegan)
        .add<&ScrollView::touchesMovedScroll>(kTouchesMoved)
        .add<&ScrollView::touchesEndedScroll>(kTouchesEnded)
        .add<&ScrollView::touchesEndedScroll>(kTouchesCancelled);
}

ScrollView::ScrollView() {
    setClipsToBounds(true);
}

ScrollView::ScrollView(const base::Rect& frame) : View(frame) {
    setClipsToBounds(true);
}

ScrollView::~ScrollView() {
    if (animation_) animation_->link->invalidate();
}

std::shared_ptr<ScrollView> ScrollView::create(const base::Rect& frame) {
    return std::make_shared<ScrollView>(frame);
}

void ScrollView::boundsDidChange(const base::Rect& oldBounds) {
    const base::Point before = oldBounds.origin;
    const base::Point after = contentOffset();
    if (after == before) return;
    didChangeValue("contentOffset", before, after);
    if (auto delegate = delegate_.lock()) delegate->scrollViewDidScroll(*this);
}

void ScrollView::setContentOffsetDefault(base::Point offset) {
    // A direct change ends an animated scroll (the animation's own steps are not direct: the
    // animation is set aside while it makes them).
    stopScrollAnimation();
    base::Rect b = bounds();
    b.origin = offset;
    setBounds(b);
}

void ScrollView::setContentOffset(base::Point offset, bool animated) {
    stopScrollAnimation();
    if (!animated || offset == contentOffset()) {
        setContentOffset(offset);
        return;
    }
    auto animation = std::make_unique<ScrollAnimation>();
    animation->from = contentOffset();
    animation->to = offset;
    animation->start = dispatch::nowNanos();
    std::weak_ptr<ScrollView> weak = runtime::weakRef(this);
    animation->link = DisplayLink::create([weak](DisplayLink&) {
        if (auto self = weak.lock()) self->stepScrollAnimation();
    });
    if (!animation->link) return;
    animation->link->addToRunLoop(dispatch::RunLoop::main(), dispatch::Mode::Common);
    animation_ = std::move(animation);
}

void ScrollView::stepScrollAnimation() {
    if (!animation_) return;
    std::unique_ptr<ScrollAnimation> running = std::move(animation_);
    // Whole nanoseconds decide the end, so that a refresh landing exactly on it ends it.
    const dispatch::Nanos elapsed = dispatch::nowNanos() - running->start;
    const dispatch::Nanos length = dispatch::nanosFromSeconds(kScrollAnimationDuration);
    const bool done = elapsed >= length;
    const double eased = TimingFunction::easeInEaseOut().evaluate(double(elapsed) / double(length));
    const base::Point from = running->from;
    const base::Point to = running->to;
    setContentOffset(
        done ? to
             : base::Point{from.x + (to.x - from.x) * eased, from.y + (to.y - from.y) * eased});
    // An observer may have started another animated scroll meanwhile; that one wins.
    if (!done && !animation_) {
        animation_ = std::move(running);
        return;
    }
    running->link->invalidate();
    if (done && !animation_) {
        if (auto delegate = delegate_.lock()) delegate->scrollViewDidEndScrollingAnimation(*this);
    }
}

void ScrollView::stopScrollAnimation() {
    if (!animation_) return;
    animation_->link->invalidate();
    animation_.reset();
}

void ScrollView::setContentSize(base::Size size) {
    if (size == contentSize_) return;
    const base::Size before = contentSize_;
    contentSize_ = size;
    didChangeValue("contentSize", before, size);
}

void ScrollView::setContentInset(const base::EdgeInsets& insets) {
    if (insets == contentInset_) return;
    const base::EdgeInsets before = contentInset_;
    contentInset_ = insets;
    didChangeValue("contentInset", before, insets);
}

void ScrollView::scrollRectToVisible(const base::Rect& rect, bool animated) {
    if (rect.isNull()) return;
    const base::Rect r = rect.standardized();
    const base::Size viewport = bounds().size;
    base::Point offset = contentOffset();
    // Pass 1: the smallest move on each axis that brings the rectangle in (its start edge wins
    // when it is larger than the viewport).
    if (r.maxX() > offset.x + viewport.width) offset.x = r.maxX() - viewport.width;
    if (r.minX() < offset.x) offset.x = r.minX();
    if (r.maxY() > offset.y + viewport.height) offset.y = r.maxY() - viewport.height;
    if (r.minY() < offset.y) offset.y = r.minY();
    // Pass 2: keep within the content and its insets.
    const base::EdgeInsets in = contentInset_;
    const double maxX = std::max(-in.left, contentSize_.width + in.right - viewport.width);
    const double maxY = std::max(-in.top, contentSize_.height + in.bottom - viewport.height);
    offset.x = std::clamp(offset.x, -in.left, maxX);
    offset.y = std::clamp(offset.y, -in.top, maxY);
    setContentOffset(offset, animated);
}

ObservedValue ScrollView::observableValue(std::string_view keyPath) const {
    if (keyPath == "contentOffset") return contentOffset();
    if (keyPath == "contentSize") return contentSize_;
    if (keyPath == "contentInset") return contentInset_;
    return View::observableValue(keyPath);
}

// ---- Dragging -------------------------------------------------------------------------------

void ScrollView::touchesBeganScroll(Touch*, Event*) {
    tracking_ = scrollEnabled_;
    dragging_ = false;
    if (tracking_) stopScrollAnimation();
}

void ScrollView::touchesMovedScroll(Touch* touch, Event*) {
    if (!tracking_ || touch == nullptr) return;
    const base::Point now = touch->locationInView(this);
    const base::Point before = touch->previousLocationInView(this);
    const base::Size size = bounds().size;
    const base::EdgeInsets in = contentInset_;
    base::Point offset = contentOffset();
    const auto follow = [](double value, double delta, double low, double high) {
        return std::clamp(value - delta, low, std::max(low, high));
    };
    if (contentSize_.width + in.left + in.right > size.width) {
        offset.x = follow(offset.x, now.x - before.x, -in.left,
                          contentSize_.width + in.right - size.width);
    }
    if (contentSize_.height + in.top + in.bottom > size.height) {
        offset.y = follow(offset.y, now.y - before.y, -in.top,
                          contentSize_.height + in.bottom - size.height);
    }
    dragging_ = true;
    if (offset != contentOffset()) setContentOffset(offset);
}

void ScrollView::touchesEndedScroll(Touch*, Event*) {
    tracking_ = dragging_ = false;
}

}  // namespace ui
