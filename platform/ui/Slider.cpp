#include "platform/ui/Slider.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/Touch.h"

namespace ui {

QV_DEFINE_CLASS(Slider, "UISlider");

namespace {

// How much beyond the thumb's disc a press still grabs the thumb.
constexpr double kThumbGrabMargin = 10;
constexpr double kAnimationDuration = 0.2;

}  // namespace

void Slider::registerMethods(runtime::MethodList<Slider>& methods) {
    methods.add<&Slider::setValueDefault>(kSetValue)
        .add<&Slider::setValueAnimatedDefault>(kSetValueAnimated)
        .add<&Slider::trackRectDefault>(kTrackRectForBounds)
        .add<&Slider::thumbRectDefault>(kThumbRectForBounds)
        .add<&Slider::beginTrackingSlider>(kBeginTracking)
        .add<&Slider::continueTrackingSlider>(kContinueTracking)
        .add<&Slider::endTrackingSlider>(kEndTracking)
        .add<&Slider::layoutSlider>(kLayoutSubviews)
        .add<&Slider::tintChanged>(kTintColorDidChange);
}

Slider::Slider() {
    ensureParts();
}
Slider::Slider(const base::Rect& frame) : Control(frame) {
    ensureParts();
}
Slider::~Slider() = default;

std::shared_ptr<Slider> Slider::create(const base::Rect& frame) {
    return std::make_shared<Slider>(frame);
}

void Slider::ensureParts() {
    if (thumbView_) return;
    maxTrackView_ = View::create();
    minTrackView_ = View::create();
    thumbView_ = ImageView::create();
    for (View* part : {maxTrackView_.get(), minTrackView_.get(), (View*)thumbView_.get()}) {
        part->setUserInteractionEnabled(false);
    }
    maxTrackView_->layer()->setCornerRadius(kTrackHeight / 2);
    minTrackView_->layer()->setCornerRadius(kTrackHeight / 2);
    thumbView_->setContentMode(ContentMode::Center);
    addSubview(maxTrackView_);
    addSubview(minTrackView_);
    addSubview(thumbView_);
    tintChanged();
    setNeedsLayout();
}

float Slider::clampValue(float value) const {
    if (std::isnan(value)) return value_;
    return std::clamp(value, minimum_, maximum_);
}

void Slider::setValueDefault(float value) {
    setValueAnimatedDefault(value, false);
}

void Slider::setValueAnimatedDefault(float value, bool animated) {
    const float v = clampValue(value);
    if (v == value_) return;
    value_ = v;
    setNeedsLayout();
    if (animated && window()) {
        View::animate(kAnimationDuration, [this] { layoutIfNeeded(); });
    }
}

void Slider::setMinimumValue(float minimum) {
    if (std::isnan(minimum) || minimum == minimum_) return;
    minimum_ = minimum;
    maximum_ = std::max(maximum_, minimum_);
    value_ = clampValue(value_);
    setNeedsLayout();
}

void Slider::setMaximumValue(float maximum) {
    if (std::isnan(maximum) || maximum == maximum_) return;
    maximum_ = maximum;
    minimum_ = std::min(minimum_, maximum_);
    value_ = clampValue(value_);
    setNeedsLayout();
}

void Slider::setMinimumTrackTintColor(std::optional<base::Color> color) {
    if (color == minTrackTint_) return;
    minTrackTint_ = std::move(color);
    tintChanged();
}

void Slider::setMaximumTrackTintColor(std::optional<base::Color> color) {
    if (color == maxTrackTint_) return;
    maxTrackTint_ = std::move(color);
    tintChanged();
}

void Slider::setThumbTintColor(std::optional<base::Color> color) {
    if (color == thumbTint_) return;
    thumbTint_ = std::move(color);
    tintChanged();
}

void Slider::setThumbImage(graphics::ImageRef image, ControlState state) {
    if (image) {
        thumbImages_[std::uint32_t(state)] = std::move(image);
    } else {
        thumbImages_.erase(std::uint32_t(state));
    }
    tintChanged();
    setNeedsLayout();
}

graphics::ImageRef Slider::thumbImageForState(ControlState state) const {
    if (auto it = thumbImages_.find(std::uint32_t(state)); it != thumbImages_.end()) {
        return it->second;
    }
    if (auto it = thumbImages_.find(0); it != thumbImages_.end()) return it->second;
    return nullptr;
}

void Slider::stateDidChange() {
    tintChanged();
}

void Slider::tintChanged() {
    if (!thumbView_) return;
    maxTrackView_->setBackgroundColor(maxTrackTint_.value_or(colors::systemFill()));
    minTrackView_->setBackgroundColor(minTrackTint_.value_or(tintColor()));
    const graphics::ImageRef image = currentThumbImage();
    thumbView_->setImage(image);
    Layer& thumb = *thumbView_->layer();
    if (image) {
        thumbView_->setBackgroundColor(base::Color::clear());
        thumb.setShadowOpacity(0);
    } else {
        thumbView_->setBackgroundColor(thumbTint_.value_or(base::Color::white(1)));
        thumb.setCornerRadius(kThumbDiameter / 2);
        // A clear thumb tint leaves nothing to cast a shadow.
        thumb.setShadowOpacity(thumbTint_ && thumbTint_->isClear() ? 0.0f : 0.2f);
        thumb.setShadowRadius(3);
        thumb.setShadowOffset({0, 2});
    }
}

base::Rect Slider::trackRectDefault(base::Rect bounds) {
    return {bounds.minX(), bounds.midY() - kTrackHeight / 2, bounds.width(), kTrackHeight};
}

base::Rect Slider::thumbRectDefault(base::Rect, base::Rect track, float value) {
    const double left = track.minX() + kThumbDiameter / 2;
    const double right = std::max(left, track.maxX() - kThumbDiameter / 2);
    const double span = double(maximum_) - double(minimum_);
    const double fraction = span > 0 ? std::clamp((double(value) - minimum_) / span, 0.0, 1.0) : 0;
    const double cx = left + (right - left) * fraction;
    return {cx - kThumbDiameter / 2, track.midY() - kThumbDiameter / 2, kThumbDiameter,
            kThumbDiameter};
}

float Slider::valueForThumbCenterX(double x) {
    const base::Rect track = trackRectForBounds(bounds());
    const double left = track.minX() + kThumbDiameter / 2;
    const double right = track.maxX() - kThumbDiameter / 2;
    if (!(right > left)) return minimum_;
    const double fraction = std::clamp((x - left) / (right - left), 0.0, 1.0);
    return clampValue(float(minimum_ + fraction * (double(maximum_) - minimum_)));
}

void Slider::layoutSlider() {
    const base::Rect b = bounds();
    const base::Rect track = trackRectForBounds(b);
    const base::Rect thumb = thumbRectForBounds(b, track, value_);
    maxTrackView_->setFrame(track);
    minTrackView_->setFrame(
        {track.minX(), track.minY(), std::max(0.0, thumb.midX() - track.minX()), track.height()});
    const graphics::ImageRef image = currentThumbImage();
    if (image) {
        const base::Size s = image->size();
        thumbView_->setFrame(
            {thumb.midX() - s.width / 2, thumb.midY() - s.height / 2, s.width, s.height});
    } else {
        thumbView_->setFrame(thumb);
    }
}

void Slider::moveThumbTo(double x) {
    const float v = valueForThumbCenterX(x);
    if (v == value_) return;
    setValue(v);
    if (continuous_) sendActionsForControlEvents(ControlEvents::ValueChanged);
}

bool Slider::beginTrackingSlider(Touch* touch, Event*) {
    const base::Point p = touch->locationInView(this);
    const base::Rect thumb = thumbRectForBounds(bounds(), trackRectForBounds(bounds()), value_);
    valueAtTouchDown_ = value_;
    if (thumb.insetBy(-kThumbGrabMargin, -kThumbGrabMargin).contains(p)) {
        grabOffset_ = p.x - thumb.midX();
    } else {
        grabOffset_ = 0;
        moveThumbTo(p.x);
    }
    return true;
}

bool Slider::continueTrackingSlider(Touch* touch, Event*) {
    moveThumbTo(touch->locationInView(this).x - grabOffset_);
    return true;
}

void Slider::endTrackingSlider(Touch*, Event*) {
    if (!continuous_ && value_ != valueAtTouchDown_) {
        sendActionsForControlEvents(ControlEvents::ValueChanged);
    }
}

base::Size Slider::intrinsicContentSize() const {
    return {kNoIntrinsicMetric, kIntrinsicHeight};
}

}  // namespace ui
