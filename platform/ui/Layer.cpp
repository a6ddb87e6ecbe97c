#include "platform/ui/Layer.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <unordered_map>

#include "platform/dispatch/Queue.h"
#include "platform/dispatch/Time.h"
#include "platform/ui/View.h"
#include "platform/ui/detail/AnimationDriver.h"

namespace ui {

QV_DEFINE_CLASS(Layer, "CALayer");

namespace {

bool finite(double v) {
    return std::isfinite(v);
}
bool finite(base::Point p) {
    return finite(p.x) && finite(p.y);
}
bool finite(const base::Rect& r) {
    return finite(r.origin) && finite(r.size.width) && finite(r.size.height);
}

template <class T>
T valueAs(const AnimatableValue& value, const T& fallback) {
    const T* v = std::get_if<T>(&value);
    return v != nullptr ? *v : fallback;
}

// Deferred so that a stop callback never runs inside the setter that caused it.
void deferStop(std::function<void()> stop) {
    if (stop) dispatch::Queue::main()->async(std::move(stop));
}

std::function<void()> takeStop(BasicAnimation& animation, bool& reported, bool finished) {
    if (reported) return {};
    reported = true;
    if (!animation.didStop) return {};
    return [callback = std::move(animation.didStop), finished] { callback(finished); };
}

}  // namespace

Layer::Layer() = default;

Layer::Layer(PresentationTag, const Layer& model)
    : bounds_(model.bounds_),
      position_(model.position_),
      anchorPoint_(model.anchorPoint_),
      transform_(model.transform_),
      opacity_(model.opacity_),
      hidden_(model.hidden_),
      cornerRadius_(model.cornerRadius_),
      cornerCurve_(model.cornerCurve_),
      masksToBounds_(model.masksToBounds_),
      backgroundColor_(model.backgroundColor_),
      borderColor_(model.borderColor_),
      borderWidth_(model.borderWidth_),
      shadowColor_(model.shadowColor_),
      shadowOpacity_(model.shadowOpacity_),
      shadowRadius_(model.shadowRadius_),
      shadowOffset_(model.shadowOffset_),
      shadowPath_(model.shadowPath_),
      compositingFilter_(model.compositingFilter_),
      backdropBlurRadius_(model.backdropBlurRadius_),
      contents_(model.contents_),
      contentsScale_(model.contentsScale_),
      mask_(model.mask_),
      name_(model.name_),
      model_(runtime::retained(&model)) {}

Layer::~Layer() {
    // Sublayer trees can be deep (a long chain of views): take them apart with a work list
    // rather than letting each destructor release the next one recursively.
    std::vector<std::shared_ptr<Layer>> pending = std::move(sublayers_);
    sublayers_.clear();
    while (!pending.empty()) {
        std::shared_ptr<Layer> layer = std::move(pending.back());
        pending.pop_back();
        layer->superlayer_ = nullptr;
        if (layer.use_count() == 1) {
            for (auto& sub : layer->sublayers_) pending.push_back(std::move(sub));
            layer->sublayers_.clear();
        }
    }
}

// ---- Geometry ---------------------------------------------------------------------------------

void Layer::setBounds(const base::Rect& bounds) {
    if (!finite(bounds) || bounds == bounds_) return;
    const base::Rect old = bounds_;
    bounds_ = bounds;
    didChange(LayerProperty::Bounds, old);
}

void Layer::setPosition(base::Point position) {
    if (!finite(position) || position == position_) return;
    const base::Point old = position_;
    position_ = position;
    didChange(LayerProperty::Position, old);
}

void Layer::setAnchorPoint(base::Point anchorPoint) {
    if (!finite(anchorPoint) || anchorPoint == anchorPoint_) return;
    const base::Point old = anchorPoint_;
    anchorPoint_ = anchorPoint;
    didChange(LayerProperty::AnchorPoint, old);
}

void Layer::setAffineTransform(const base::AffineTransform& transform) {
    const base::AffineTransform& t = transform;
    if (!(finite(t.a) && finite(t.b) && finite(t.c) && finite(t.d) && finite(t.tx) &&
          finite(t.ty)) ||
        t == transform_) {
        return;
    }
    const base::AffineTransform old = transform_;
    transform_ = transform;
    didChange(LayerProperty::Transform, old);
}

base::AffineTransform Layer::transformToSuperlayer() const {
    const double ax = bounds_.origin.x + anchorPoint_.x * bounds_.size.width;
    const double ay = bounds_.origin.y + anchorPoint_.y * bounds_.size.height;
    return base::AffineTransform::translation(-ax, -ay)
        .concat(transform_)
        .concat(base::AffineTransform::translation(position_.x, position_.y));
}

base::Rect Layer::frame() const {
    return transformToSuperlayer().apply(bounds_);
}

void Layer::setFrame(const base::Rect& frame) {
    if (!finite(frame)) return;
    const base::Rect target = frame.standardized();
    const base::AffineTransform& t = transform_;

    // Pass 1: the bounds size, where the transform lets it be recovered from the box.
    base::Size size = bounds_.size;
    if (t.b == 0 && t.c == 0 && t.a != 0 && t.d != 0) {
        size = {target.size.width / std::abs(t.a), target.size.height / std::abs(t.d)};
    }
    setBounds({bounds_.origin, size});

    // Pass 2: the position that puts the box's origin where it was asked for.
    const double ax = bounds_.origin.x + anchorPoint_.x * bounds_.size.width;
    const double ay = bounds_.origin.y + anchorPoint_.y * bounds_.size.height;
    const base::Rect atZero =
        base::AffineTransform::translation(-ax, -ay).concat(transform_).apply(bounds_);
    setPosition({target.origin.x - atZero.origin.x, target.origin.y - atZero.origin.y});
}

// ---- Appearance -------------------------------------------------------------------------------

void Layer::setOpacity(float opacity) {
    setOpacityValue(opacity);
}

void Layer::setOpacityValue(double opacity) {
    if (std::isnan(opacity)) return;
    opacity = std::clamp(opacity, 0.0, 1.0);
    if (opacity == opacity_) return;
    const double old = opacity_;
    opacity_ = opacity;
    didChange(LayerProperty::Opacity, old);
}

void Layer::setHidden(bool hidden) {
    if (hidden == hidden_) return;
    hidden_ = hidden;
    ++version_;
    if (view_ != nullptr && !model_) view_->layerHiddenDidChange();
}

void Layer::setCornerRadius(double radius) {
    if (!(radius > 0)) radius = 0;
    if (std::isinf(radius) || radius == cornerRadius_) return;
    const double old = cornerRadius_;
    cornerRadius_ = radius;
    didChange(LayerProperty::CornerRadius, old);
}

void Layer::setCornerCurve(CornerCurve curve) {
    cornerCurve_ = curve;
    ++version_;
}

void Layer::setMasksToBounds(bool masks) {
    masksToBounds_ = masks;
    ++version_;
}

void Layer::setBackgroundColor(const base::Color& color) {
    if (color == backgroundColor_) return;
    const base::Color old = backgroundColor_;
    backgroundColor_ = color;
    didChange(LayerProperty::BackgroundColor, old);
}

void Layer::setBorderColor(const base::Color& color) {
    borderColor_ = color;
    ++version_;
}

void Layer::setBorderWidth(double width) {
    borderWidth_ = width > 0 && finite(width) ? width : 0;
    ++version_;
}

void Layer::setShadowColor(const base::Color& color) {
    shadowColor_ = color;
    ++version_;
}

void Layer::setShadowOpacity(float opacity) {
    if (std::isnan(opacity)) return;
    const double value = std::clamp(static_cast<double>(opacity), 0.0, 1.0);
    if (value == shadowOpacity_) return;
    const double old = shadowOpacity_;
    shadowOpacity_ = value;
    didChange(LayerProperty::ShadowOpacity, old);
}

void Layer::setShadowRadius(double radius) {
    if (!(radius > 0)) radius = 0;
    if (std::isinf(radius) || radius == shadowRadius_) return;
    const double old = shadowRadius_;
    shadowRadius_ = radius;
    didChange(LayerProperty::ShadowRadius, old);
}

void Layer::setShadowOffset(base::Size offset) {
    if (!finite(offset.width) || !finite(offset.height) || offset == shadowOffset_) return;
    const base::Size old = shadowOffset_;
    shadowOffset_ = offset;
    didChange(LayerProperty::ShadowOffset, old);
}

void Layer::setShadowPath(std::shared_ptr<const graphics::Path> path) {
    shadowPath_ = std::move(path);
    ++version_;
}

void Layer::setCompositingFilter(std::string filter) {
    compositingFilter_ = std::move(filter);
    ++version_;
}

void Layer::setBackdropBlurRadius(double radius) {
    const double r = std::isfinite(radius) && radius > 0 ? radius : 0;
    if (r == backdropBlurRadius_) return;
    backdropBlurRadius_ = r;
    ++version_;
}

void Layer::setContents(graphics::ImageRef image) {
    if (image == contents_) return;
    contents_ = std::move(image);
    needsDisplay_ = true;
    ++version_;
}

void Layer::setContentsScale(double scale) {
    if (finite(scale) && scale > 0) contentsScale_ = scale;
    ++version_;
}

void Layer::setMask(std::shared_ptr<Layer> mask) {
    if (mask.get() == this) return;
    if (mask) mask->removeFromSuperlayer();
    mask_ = std::move(mask);
    ++version_;
}

// ---- Tree -------------------------------------------------------------------------------------

std::shared_ptr<Layer> Layer::superlayer() const {
    if (model_) return model_->superlayer();
    return runtime::retained(superlayer_);
}

void Layer::addSublayer(const std::shared_ptr<Layer>& layer) {
    insertSublayerAt(layer, sublayers_.size());
}

void Layer::insertSublayer(const std::shared_ptr<Layer>& layer, std::size_t index) {
    insertSublayerAt(layer, index);
}

void Layer::insertSublayerAbove(const std::shared_ptr<Layer>& layer, const Layer* sibling) {
    auto it = std::find_if(sublayers_.begin(), sublayers_.end(),
                           [&](const auto& l) { return l.get() == sibling; });
    insertSublayerAt(layer, it == sublayers_.end() ? sublayers_.size()
                                                   : std::size_t(it - sublayers_.begin()) + 1);
}

void Layer::insertSublayerBelow(const std::shared_ptr<Layer>& layer, const Layer* sibling) {
    auto it = std::find_if(sublayers_.begin(), sublayers_.end(),
                           [&](const auto& l) { return l.get() == sibling; });
    insertSublayerAt(layer, it == sublayers_.end() ? 0 : std::size_t(it - sublayers_.begin()));
}

void Layer::insertSublayerAt(const std::shared_ptr<Layer>& layer, std::size_t index) {
    if (!layer || layer.get() == this || model_ || layer->model_) return;
    // Only a layer with sublayers can be an ancestor of this one.
    if (!layer->sublayers_.empty() && isDescendantOf(*layer)) return;
    std::shared_ptr<Layer> keep = layer;
    if (layer->superlayer_ == this) {
        auto it = std::find(sublayers_.begin(), sublayers_.end(), layer);
        const std::size_t from = std::size_t(it - sublayers_.begin());
        sublayers_.erase(it);
        if (from < index) --index;
    } else {
        layer->detachFromSuperlayer();
    }
    index = std::min(index, sublayers_.size());
    sublayers_.insert(sublayers_.begin() + std::ptrdiff_t(index), keep);
    keep->superlayer_ = this;
}

void Layer::removeFromSuperlayer() {
    detachFromSuperlayer();
}

void Layer::detachFromSuperlayer() {
    Layer* parent = superlayer_;
    if (parent == nullptr) return;
    auto it = std::find_if(parent->sublayers_.begin(), parent->sublayers_.end(),
                           [&](const auto& l) { return l.get() == this; });
    superlayer_ = nullptr;
    if (it != parent->sublayers_.end()) {
        std::shared_ptr<Layer> keep = std::move(*it);
        parent->sublayers_.erase(it);
    }
}

bool Layer::isDescendantOf(const Layer& ancestor) const {
    const Layer* target = &ancestor.modelLayer();
    for (const Layer* l = modelLayer().superlayer_; l != nullptr; l = l->superlayer_) {
        if (l == target) return true;
    }
    return false;
}

// ---- Animations -------------------------------------------------------------------------------

AnimatableValue Layer::modelValue(LayerProperty property) const {
    switch (property) {
        case LayerProperty::Position:
            return position_;
        case LayerProperty::Bounds:
            return bounds_;
        case LayerProperty::AnchorPoint:
            return anchorPoint_;
        case LayerProperty::Transform:
            return transform_;
        case LayerProperty::Opacity:
            return opacity_;
        case LayerProperty::CornerRadius:
            return cornerRadius_;
        case LayerProperty::BackgroundColor:
            return backgroundColor_;
        case LayerProperty::ShadowOpacity:
            return shadowOpacity_;
        case LayerProperty::ShadowRadius:
            return shadowRadius_;
        case LayerProperty::ShadowOffset:
            return shadowOffset_;
    }
    return 0.0;
}

void Layer::storeValue(LayerProperty property, const AnimatableValue& value) {
    switch (property) {
        case LayerProperty::Position:
            position_ = valueAs(value, position_);
            break;
        case LayerProperty::Bounds:
            bounds_ = valueAs(value, bounds_);
            break;
        case LayerProperty::AnchorPoint:
            anchorPoint_ = valueAs(value, anchorPoint_);
            break;
        case LayerProperty::Transform:
            transform_ = valueAs(value, transform_);
            break;
        case LayerProperty::Opacity:
            opacity_ = std::clamp(valueAs(value, opacity_), 0.0, 1.0);
            break;
        case LayerProperty::CornerRadius:
            cornerRadius_ = std::max(valueAs(value, cornerRadius_), 0.0);
            break;
        case LayerProperty::BackgroundColor:
            backgroundColor_ = valueAs(value, backgroundColor_);
            break;
        case LayerProperty::ShadowOpacity:
            shadowOpacity_ = std::clamp(valueAs(value, shadowOpacity_), 0.0, 1.0);
            break;
        case LayerProperty::ShadowRadius:
            shadowRadius_ = std::max(valueAs(value, shadowRadius_), 0.0);
            break;
        case LayerProperty::ShadowOffset:
            shadowOffset_ = valueAs(value, shadowOffset_);
            break;
    }
}

void Layer::didChange(LayerProperty property, const AnimatableValue& oldValue) {
    ++version_;
    if (model_ || view_ == nullptr) return;
    view_->layerPropertyDidChange(*this, property, oldValue);
}

bool Layer::isActive(const RunningAnimation& running, std::int64_t nowNanos) {
    if (!running.animation.removedOnCompletion) return true;
    return nowNanos < dispatch::nanosFromSeconds(running.animation.endTime());
}

void Layer::addAnimation(const BasicAnimation& animation, std::string key) {
    const auto property = layerPropertyForKeyPath(animation.keyPath);
    if (!property || !(animation.duration > 0) || model_) {
        BasicAnimation refused = animation;
        bool reported = false;
        deferStop(takeStop(refused, reported, false));
        return;
    }
    RunningAnimation running;
    running.animation = animation;
    if (running.animation.beginTime <= 0) running.animation.beginTime = dispatch::now();
    running.from = animation.fromValue ? *animation.fromValue : modelValue(*property);
    running.key =
        key.empty() ? "qv.animation." + std::to_string(nextAnimationKey_++) : std::move(key);
    addRunningAnimation(std::move(running));
}

void Layer::addRunningAnimation(RunningAnimation running) {
    auto same = std::find_if(animations_.begin(), animations_.end(),
                             [&](const RunningAnimation& r) { return r.key == running.key; });
    if (same != animations_.end()) {
        deferStop(takeStop(same->animation, same->stopReported, false));
        animations_.erase(same);
    }
    const dispatch::Nanos end = dispatch::nanosFromSeconds(running.animation.endTime());
    animations_.push_back(std::move(running));
    ++version_;
    if (auto self = runtime::retained(this)) detail::AnimationDriver::shared().track(self, end);
}

const BasicAnimation* Layer::animationForKey(std::string_view key) const {
    for (const RunningAnimation& r : animations_) {
        if (r.key == key) return &r.animation;
    }
    return nullptr;
}

std::vector<std::string> Layer::animationKeys() const {
    std::vector<std::string> keys;
    keys.reserve(animations_.size());
    for (const RunningAnimation& r : animations_) keys.push_back(r.key);
    return keys;
}

void Layer::removeAnimation(std::string_view key) {
    auto it = std::find_if(animations_.begin(), animations_.end(),
                           [&](const RunningAnimation& r) { return r.key == key; });
    if (it == animations_.end()) return;
    deferStop(takeStop(it->animation, it->stopReported, false));
    animations_.erase(it);
    ++version_;
}

void Layer::removeAllAnimations() {
    std::vector<RunningAnimation> removed = std::move(animations_);
    animations_.clear();
    ++version_;
    for (RunningAnimation& r : removed) deferStop(takeStop(r.animation, r.stopReported, false));
}

bool Layer::hasRunningAnimations() const {
    const dispatch::Nanos now = dispatch::nowNanos();
    return std::any_of(animations_.begin(), animations_.end(),
                       [&](const RunningAnimation& r) { return isActive(r, now); });
}

std::int64_t Layer::finishDueAnimations(std::int64_t nowNanos,
                                        std::vector<std::function<void()>>& stops) {
    dispatch::Nanos next = dispatch::kNever;
    for (auto it = animations_.begin(); it != animations_.end();) {
        const dispatch::Nanos end = dispatch::nanosFromSeconds(it->animation.endTime());
        if (nowNanos < end) {
            next = std::min(next, end);
            ++it;
            continue;
        }
        if (auto stop = takeStop(it->animation, it->stopReported, true)) {
            stops.push_back(std::move(stop));
        }
        if (it->animation.removedOnCompletion) {
            it = animations_.erase(it);
            ++version_;
        } else {
            ++it;
        }
    }
    return next;
}

AnimatableValue Layer::valueAt(LayerProperty property, std::int64_t nowNanos) const {
    AnimatableValue value = modelValue(property);
    const std::string_view keyPath = keyPathFor(property);
    const double now = dispatch::secondsFromNanos(nowNanos);
    for (const RunningAnimation& r : animations_) {
        if (r.animation.keyPath != keyPath || !isActive(r, nowNanos)) continue;
        const BasicAnimation& a = r.animation;
        double t = 0;
        if (now >= a.endTime()) {
            t = 1;
        } else if (now > a.beginTime) {
            t = (now - a.beginTime) / a.duration;
        }
        const AnimatableValue to = a.toValue ? *a.toValue : modelValue(property);
        value = interpolate(r.from, to, a.timingFunction.evaluate(t));
    }
    return value;
}

AnimatableValue Layer::presentationValue(LayerProperty property) const {
    return valueAt(property, dispatch::nowNanos());
}

std::shared_ptr<Layer> Layer::presentationLayer() const {
    if (model_) return nullptr;
    const dispatch::Nanos now = dispatch::nowNanos();
    if (std::none_of(animations_.begin(), animations_.end(),
                     [&](const RunningAnimation& r) { return isActive(r, now); })) {
        return nullptr;
    }
    // Asked again at the same instant with nothing changed, the layer answers with the same
    // snapshot for as long as someone holds it, so that callers can compare snapshots by
    // identity (is this the window's layer as shown?).
    if (auto cached = presentationCache_.lock();
        cached && presentationTime_ == now && presentationVersion_ == version_) {
        return cached;
    }
    auto snapshot = std::make_shared<Layer>(PresentationTag{}, *this);
    if (!snapshot->model_) return nullptr;  // the model is being destroyed
    for (const RunningAnimation& r : animations_) {
        const auto property = layerPropertyForKeyPath(r.animation.keyPath);
        if (property) snapshot->storeValue(*property, valueAt(*property, now));
    }
    presentationCache_ = snapshot;
    presentationTime_ = now;
    presentationVersion_ = version_;
    return snapshot;
}

// ---- Coordinates ------------------------------------------------------------------------------

namespace {

// A layer's chain up to its root: the layer as given, then what superlayer() returns.
struct Chain {
    std::vector<std::shared_ptr<const Layer>> layers;
    const Layer* identity(std::size_t i) const { return &layers[i]->modelLayer(); }
};

Chain chainOf(const Layer& layer) {
    Chain chain;
    std::shared_ptr<const Layer> current = runtime::retained(&layer);
    // A layer no shared pointer owns (one being destroyed) still converts: refer to it
    // without owning it for the length of this call.
    if (!current) current = std::shared_ptr<const Layer>(std::shared_ptr<const Layer>(), &layer);
    while (current) {
        chain.layers.push_back(current);
        current = current->superlayer();
    }
    return chain;
}

// The transform from the first layer's space to the space of the layer at `stop` (exclusive:
// the steps of the layers below it); stop == size() maps to the space the root is placed in.
base::AffineTransform stepsUpTo(const Chain& chain, std::size_t stop) {
    base::AffineTransform t;
    for (std::size_t i = 0; i < stop; ++i) t = t.concat(chain.layers[i]->transformToSuperlayer());
    return t;
}

base::AffineTransform transformBetween(const Layer& from, const Layer* to) {
    const Chain up = chainOf(from);
    if (to == nullptr) return stepsUpTo(up, up.layers.size() - 1);
    const Chain down = chainOf(*to);

    std::unordered_map<const Layer*, std::size_t> downIndex;
    downIndex.reserve(down.layers.size());
    for (std::size_t i = 0; i < down.layers.size(); ++i) downIndex.emplace(down.identity(i), i);

    for (std::size_t i = 0; i < up.layers.size(); ++i) {
        auto it = downIndex.find(up.identity(i));
        if (it != downIndex.end()) {
            return stepsUpTo(up, i).concat(stepsUpTo(down, it->second).inverted());
        }
    }
    // Different trees: both roots are placed in one shared space.
    return stepsUpTo(up, up.layers.size()).concat(stepsUpTo(down, down.layers.size()).inverted());
}

}  // namespace

base::Point Layer::convertPoint(base::Point point, const Layer* to) const {
    return transformBetween(*this, to).apply(point);
}

base::Point Layer::convertPointFrom(base::Point point, const Layer* from) const {
    if (from == nullptr) return transformBetween(*this, nullptr).inverted().apply(point);
    return transformBetween(*from, this).apply(point);
}

base::Rect Layer::convertRect(const base::Rect& rect, const Layer* to) const {
    return transformBetween(*this, to).apply(rect);
}

base::Rect Layer::convertRectFrom(const base::Rect& rect, const Layer* from) const {
    if (from == nullptr) return transformBetween(*this, nullptr).inverted().apply(rect);
    return transformBetween(*from, this).apply(rect);
}

}  // namespace ui
