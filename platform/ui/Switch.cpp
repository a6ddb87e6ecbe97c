#include "platform/ui/Switch.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/Layer.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/Touch.h"

namespace ui {

QV_DEFINE_CLASS(Switch, "UISwitch");

namespace {

constexpr double kAnimationDuration = 0.25;

}  // namespace

void Switch::registerMethods(runtime::MethodList<Switch>& methods) {
    methods.add<&Switch::setOnDefault>(kSetOnAnimated)
        .add<&Switch::sizeThatFitsSwitch>(kSizeThatFits)
        .add<&Switch::beginTrackingSwitch>(kBeginTracking)
        .add<&Switch::continueTrackingSwitch>(kContinueTracking)
        .add<&Switch::endTrackingSwitch>(kEndTracking)
        .add<&Switch::cancelTrackingSwitch>(kCancelTracking)
        .add<&Switch::layoutSwitch>(kLayoutSubviews)
        .add<&Switch::updateColors>(kTintColorDidChange);
}

Switch::Switch() : Switch(base::Rect{}) {}

Switch::Switch(const base::Rect& frame)
    : Control(frame.isNull() ? frame : base::Rect{frame.origin, kSize}) {
    trackView_ = View::create();
    thumbView_ = View::create();
    trackView_->setUserInteractionEnabled(false);
    thumbView_->setUserInteractionEnabled(false);
    Layer& thumb = *thumbView_->layer();
    thumb.setShadowOpacity(0.2f);
    thumb.setShadowRadius(2.5);
    thumb.setShadowOffset({0, 2});
    addSubview(trackView_);
    addSubview(thumbView_);
    updateColors();
    setNeedsLayout();
}

Switch::~Switch() = default;

std::shared_ptr<Switch> Switch::create(const base::Rect& frame) {
    return std::make_shared<Switch>(frame);
}

void Switch::setOnDefault(bool on, bool animated) {
    if (on == on_) return;
    on_ = on;
    updateColors();
    setNeedsLayout();
    if (animated && window()) View::animate(kAnimationDuration, [this] { layoutIfNeeded(); });
}

void Switch::setOnTintColor(std::optional<base::Color> color) {
    if (color == onTint_) return;
    onTint_ = std::move(color);
    updateColors();
}

void Switch::setThumbTintColor(std::optional<base::Color> color) {
    if (color == thumbTint_) return;
    thumbTint_ = std::move(color);
    updateColors();
}

void Switch::updateColors() {
    if (!trackView_) return;
    const bool showsOn = dragPosition_ ? *dragPosition_ >= 0.5 : on_;
    trackView_->setBackgroundColor(showsOn ? onTint_.value_or(colors::systemGreen())
                                           : colors::systemFill());
    thumbView_->setBackgroundColor(thumbTint_.value_or(base::Color::white(1)));
}

base::Rect Switch::trackFrame() const {
    const base::Rect b = bounds();
    return {std::floor(b.midX() - kSize.width / 2), std::floor(b.midY() - kSize.height / 2),
            kSize.width, kSize.height};
}

double Switch::thumbCenterX(double position) const {
    const base::Rect track = trackFrame();
    const double d = track.height() - 2 * kThumbInset;
    const double left = track.minX() + kThumbInset + d / 2;
    const double right = track.maxX() - kThumbInset - d / 2;
    return left + (right - left) * std::clamp(position, 0.0, 1.0);
}

void Switch::layoutSwitch() {
    const base::Rect track = trackFrame();
    trackView_->setFrame(track);
    trackView_->layer()->setCornerRadius(track.height() / 2);
    const double d = track.height() - 2 * kThumbInset;
    const double cx = thumbCenterX(dragPosition_.value_or(on_ ? 1.0 : 0.0));
    thumbView_->setFrame({cx - d / 2, track.midY() - d / 2, d, d});
    thumbView_->layer()->setCornerRadius(d / 2);
}

bool Switch::beginTrackingSwitch(Touch* touch, Event*) {
    touchStartX_ = touch->locationInView(this).x;
    dragPosition_.reset();
    return true;
}

bool Switch::continueTrackingSwitch(Touch* touch, Event*) {
    const double x = touch->locationInView(this).x;
    if (!dragPosition_ && std::abs(x - touchStartX_) < kDragThreshold) return true;
    const double travel = thumbCenterX(1) - thumbCenterX(0);
    const double start = on_ ? 1.0 : 0.0;
    dragPosition_ = travel > 0 ? std::clamp(start + (x - touchStartX_) / travel, 0.0, 1.0) : start;
    updateColors();
    setNeedsLayout();
    return true;
}

void Switch::endTrackingSwitch(Touch* touch, Event*) {
    const std::optional<double> dragged = dragPosition_;
    dragPosition_.reset();
    bool target = on_;
    if (dragged) {
        target = *dragged >= 0.5;
    } else if (isInsideForTracking(touch->locationInView(this))) {
        target = !on_;
    }
    if (target != on_) {
        setOn(target, true);
        sendActionsForControlEvents(ControlEvents::ValueChanged);
    } else {
        updateColors();
        setNeedsLayout();
    }
}

void Switch::cancelTrackingSwitch(Event*) {
    dragPosition_.reset();
    updateColors();
    setNeedsLayout();
}

}  // namespace ui
