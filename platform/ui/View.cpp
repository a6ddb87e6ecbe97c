#include "platform/ui/View.h"

#include <cmath>

#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/ui/detail/LayoutPass.h"
#include "platform/ui/detail/ObservationTable.h"
#include "platform/ui/detail/ViewAnimationRecorder.h"
#include "platform/ui/detail/ViewHierarchy.h"

namespace ui {

QV_DEFINE_CLASS(View, "UIView");

namespace {

// How many live views set their own appearance or tint. While there are none, every view's
// traits are the screen's and every tint is the system's, without walking up the tree: long
// chains of views then join and leave windows in time proportional to what moves.
std::size_t gStyleOverrides = 0;
std::size_t gTintOverrides = 0;

const base::Color& systemBlue() {
    static const base::Color blue(0, 122.0 / 255.0, 1.0);
    return blue;
}

base::Rect frameOf(const base::Rect& bounds, base::Point position, base::Point anchor,
                   const base::AffineTransform& transform) {
    const double ax = bounds.origin.x + anchor.x * bounds.size.width;
    const double ay = bounds.origin.y + anchor.y * bounds.size.height;
    return base::AffineTransform::translation(-ax, -ay)
        .concat(transform)
        .concat(base::AffineTransform::translation(position.x, position.y))
        .apply(bounds);
}

// Distributes a change of the superview's size over the flexible parts of one axis, in
// proportion to their current lengths (evenly when they are all zero).
void resizeAxis(double& lead, double& length, double& trail, bool flexLead, bool flexLength,
                bool flexTrail, double delta) {
    const int count = int(flexLead) + int(flexLength) + int(flexTrail);
    if (count == 0 || delta == 0) return;
    const double total =
        (flexLead ? lead : 0) + (flexLength ? length : 0) + (flexTrail ? trail : 0);
    const auto share = [&](double part) {
        return total > 0 ? delta * part / total : delta / count;
    };
    const double dLead = flexLead ? share(lead) : 0;
    const double dLength = flexLength ? share(length) : 0;
    const double dTrail = flexTrail ? share(trail) : 0;
    lead += dLead;
    length += dLength;
    trail += dTrail;
}

}  // namespace

void View::registerMethods(runtime::MethodList<View>& methods) {
    methods.add<&View::nothing>(kLayoutSubviews)
        .add<&View::nothingWithWindow>(kWillMoveToWindow)
        .add<&View::nothing>(kDidMoveToWindow)
        .add<&View::nothingWithView>(kWillMoveToSuperview)
        .add<&View::nothing>(kDidMoveToSuperview)
        .add<&View::nothingWithView>(kDidAddSubview)
        .add<&View::nothingWithView>(kWillRemoveSubview)
        .add<&View::setFrameDefault>(kSetFrame)
        .add<&View::setBoundsDefault>(kSetBounds)
        .add<&View::setCenterDefault>(kSetCenter)
        .add<&View::setTransformDefault>(kSetTransform)
        .add<&View::setAlphaDefault>(kSetAlpha)
        .add<&View::setHiddenDefault>(kSetHidden)
        .add<&View::setBackgroundColorDefault>(kSetBackgroundColor)
        .add<&View::nothingWithTraits>(kTraitCollectionDidChange)
        .add<&View::nothing>(kTintColorDidChange)
        .add<&View::sizeThatFitsDefault>(kSizeThatFits)
        .add<&View::drawHierarchyInRectDefault>(kDrawHierarchyInRect)
        .add<&View::hitTestDefault>(kHitTest)
        .add<&View::pointInsideDefault>(kPointInside)
        .add<&View::touchesBeganDefault>(kTouchesBegan)
        .add<&View::touchesMovedDefault>(kTouchesMoved)
        .add<&View::touchesEndedDefault>(kTouchesEnded)
        .add<&View::touchesCancelledDefault>(kTouchesCancelled);
}

View::View() {
    init({});
}

View::View(const base::Rect& frame) {
    init(frame);
}

void View::forgetOverrides() {
    if (overrideStyle_ != UserInterfaceStyle::Unspecified) --gStyleOverrides;
    if (tintColor_) --gTintOverrides;
}

void View::init(const base::Rect& frame) {
    detail::LayoutPass::ensureScheduled();
    layer_ = Layer::create();
    layer_->view_ = this;
    layer_->setContentsScale(Screen::main()->scale());
    // The initial geometry is not a change anyone hears about.
    const base::Rect f = frame.isNull() ? base::Rect{} : frame.standardized();
    layer_->bounds_ = {0, 0, f.size.width, f.size.height};
    layer_->position_ = {f.origin.x + f.size.width / 2, f.origin.y + f.size.height / 2};
}

std::shared_ptr<View> View::create(const base::Rect& frame) {
    return std::make_shared<View>(frame);
}

// ---- Geometry -------------------------------------------------------------------------------

base::Rect View::frame() const {
    return layer_->frame();
}
base::Rect View::bounds() const {
    return layer_->bounds();
}
base::Point View::center() const {
    return layer_->position();
}
base::AffineTransform View::transform() const {
    return layer_->affineTransform();
}

void View::setFrameDefault(base::Rect frame) {
    layer_->setFrame(frame);
}
void View::setBoundsDefault(base::Rect bounds) {
    layer_->setBounds(bounds);
}
void View::setCenterDefault(base::Point center) {
    layer_->setPosition(center);
}
void View::setTransformDefault(base::AffineTransform transform) {
    layer_->setAffineTransform(transform);
}

void View::layerPropertyDidChange(Layer& layer, LayerProperty property,
                                  const AnimatableValue& oldValue) {
    detail::recordViewAnimation(layer, property, oldValue);

    const auto oldFrame = [&]() -> base::Rect {
        base::Rect bounds = layer.bounds_;
        base::Point position = layer.position_;
        base::Point anchor = layer.anchorPoint_;
        base::AffineTransform transform = layer.transform_;
        switch (property) {
            case LayerProperty::Bounds:
                bounds = std::get<base::Rect>(oldValue);
                break;
            case LayerProperty::Position:
                position = std::get<base::Point>(oldValue);
                break;
            case LayerProperty::AnchorPoint:
                anchor = std::get<base::Point>(oldValue);
                break;
            case LayerProperty::Transform:
                transform = std::get<base::AffineTransform>(oldValue);
                break;
            default:
                break;
        }
        return frameOf(bounds, position, anchor, transform);
    };
    const auto tellFrame = [&] {
        if (!hasObservers("frame")) return;
        const base::Rect before = oldFrame();
        const base::Rect after = frame();
        if (!(before == after)) didChangeValue("frame", before, after);
    };

    switch (property) {
        case LayerProperty::Bounds: {
            const base::Rect old = std::get<base::Rect>(oldValue);
            if (old.size != layer.bounds_.size) {
                if (autoresizesSubviews_) resizeSubviews(old.size);
                setNeedsLayout();
            }
            didChangeValue("bounds", old, layer.bounds_);
            tellFrame();
            boundsDidChange(old);
            break;
        }
        case LayerProperty::Position:
            didChangeValue("center", std::get<base::Point>(oldValue), layer.position_);
            tellFrame();
            break;
        case LayerProperty::AnchorPoint:
            tellFrame();
            break;
        case LayerProperty::Transform:
            didChangeValue("transform", std::get<base::AffineTransform>(oldValue),
                           layer.transform_);
            tellFrame();
            break;
        case LayerProperty::Opacity:
            didChangeValue("alpha", std::get<double>(oldValue), layer.opacity_);
            break;
        default:
            break;
    }
}

void View::resizeSubviews(base::Size oldSize) {
    const base::Size newSize = layer_->bounds_.size;
    const double dw = newSize.width - oldSize.width;
    const double dh = newSize.height - oldSize.height;
    // A copy: a subview's setFrame: may rearrange the subviews.
    const std::vector<std::shared_ptr<View>> children = subviews_;
    for (const auto& child : children) {
        const AutoresizingMask m = child->autoresizingMask_;
        if (m == AutoresizingMask::None) continue;
        const base::Rect f = child->frame();
        double left = f.minX(), width = f.width(), right = oldSize.width - f.maxX();
        double top = f.minY(), height = f.height(), bottom = oldSize.height - f.maxY();
        resizeAxis(left, width, right, hasFlag(m, AutoresizingMask::FlexibleLeftMargin),
                   hasFlag(m, AutoresizingMask::FlexibleWidth),
                   hasFlag(m, AutoresizingMask::FlexibleRightMargin), dw);
        resizeAxis(top, height, bottom, hasFlag(m, AutoresizingMask::FlexibleTopMargin),
                   hasFlag(m, AutoresizingMask::FlexibleHeight),
                   hasFlag(m, AutoresizingMask::FlexibleBottomMargin), dh);
        child->setFrame({left, top, width, height});
    }
}

// ---- Appearance -----------------------------------------------------------------------------

bool View::isHidden() const {
    return layer_->isHidden();
}

void View::setHiddenDefault(bool hidden) {
    layer_->setHidden(hidden);
}

void View::layerHiddenDidChange() {
    const bool hidden = layer_->isHidden();
    didChangeValue("hidden", !hidden, hidden);
    if (superview_ != nullptr) superview_->subviewHiddenDidChange(*this);
}

double View::alpha() const {
    return layer_->opacity_;
}

void View::setAlphaDefault(double alpha) {
    layer_->setOpacityValue(alpha);
}

void View::setBackgroundColorDefault(base::Color color) {
    backgroundColor_ = color;
    layer_->setBackgroundColor(traitCollection().resolve(color));
}

bool View::clipsToBounds() const {
    return layer_->masksToBounds();
}

void View::setClipsToBounds(bool clips) {
    layer_->setMasksToBounds(clips);
}

void View::setContentMode(ContentMode mode) {
    if (mode == contentMode_) return;
    contentMode_ = mode;
    setNeedsDisplay();
}

void View::setMaskView(std::shared_ptr<View> mask) {
    if (mask.get() == this || mask == maskView_) return;
    if (mask) mask->removeFromSuperview();
    maskView_ = std::move(mask);
    layer_->setMask(maskView_ ? maskView_->layer_ : nullptr);
}

void View::setNeedsDisplay() {
    layer_->setNeedsDisplay();
    displayRequested();
}

// ---- Traits and tint ------------------------------------------------------------------------

TraitCollection View::traitCollection() const {
    const TraitCollection screen = Screen::main()->traitCollection();
    if (gStyleOverrides == 0) return screen;
    for (const View* v = this; v != nullptr; v = v->superview_) {
        if (v->overrideStyle_ != UserInterfaceStyle::Unspecified) {
            return screen.withStyle(v->overrideStyle_);
        }
    }
    return screen;
}

void View::applyTraits(const TraitCollection& traits) {
    layer_->setBackgroundColor(traits.resolve(backgroundColor_));
}

void View::setOverrideUserInterfaceStyle(UserInterfaceStyle style) {
    if (style == overrideStyle_) return;
    const TraitCollection before = traitCollection();
    if (overrideStyle_ == UserInterfaceStyle::Unspecified) ++gStyleOverrides;
    if (style == UserInterfaceStyle::Unspecified) --gStyleOverrides;
    overrideStyle_ = style;
    detail::ViewHierarchy::propagateTraits(*this, before, traitCollection());
}

base::Color View::tintColor() const {
    if (gTintOverrides == 0) return systemBlue();
    for (const View* v = this; v != nullptr; v = v->superview_) {
        if (v->tintColor_) return *v->tintColor_;
    }
    return systemBlue();
}

void View::setTintColor(std::optional<base::Color> color) {
    const base::Color before = tintColor();
    gTintOverrides += std::size_t(color.has_value()) - std::size_t(tintColor_.has_value());
    tintColor_ = std::move(color);
    if (tintColor() == before) return;
    detail::ViewHierarchy::propagateTint(*this);
}

// ---- Layout ---------------------------------------------------------------------------------

void View::setNeedsLayout() {
    needsLayout_ = true;
    for (View* p = superview_; p != nullptr && !p->subtreeNeedsLayout_; p = p->superview_) {
        p->subtreeNeedsLayout_ = true;
    }
}

void View::layoutIfNeeded() {
    View* root = this;
    while (root->superview_ != nullptr && root->superview_->needsLayout_) root = root->superview_;
    detail::LayoutPass::run(*root);
}

base::Size View::sizeThatFitsDefault(base::Size) {
    return bounds().size;
}

void View::sizeToFit() {
    const base::Rect f = frame();
    const base::Size size = sizeThatFits(bounds().size);
    setFrame({f.origin, size});
}

base::Size View::intrinsicContentSize() const {
    return {kNoIntrinsicMetric, kNoIntrinsicMetric};
}

// ---- Coordinates ----------------------------------------------------------------------------

base::AffineTransform View::transformToRoot(const View** root) const {
    base::AffineTransform t;
    const View* v = this;
    for (; v->superview_ != nullptr; v = v->superview_) {
        t = t.concat(v->layer_->transformToSuperlayer());
    }
    *root = v;
    return t;
}

base::Point View::convertPoint(base::Point point, const View* to) const {
    return convertRect({point, {0, 0}}, to).origin;
}

base::Point View::convertPointFrom(base::Point point, const View* from) const {
    return convertRectFrom({point, {0, 0}}, from).origin;
}

base::Rect View::convertRect(const base::Rect& rect, const View* to) const {
    const View* rootA = nullptr;
    const base::AffineTransform up = transformToRoot(&rootA);
    if (to == nullptr) return up.apply(rect);
    const View* rootB = nullptr;
    const base::AffineTransform down = to->transformToRoot(&rootB);
    if (rootA == rootB) return up.concat(down.inverted()).apply(rect);
    // Different trees meet where their roots are placed: the screen, for windows.
    return up.concat(rootA->layer_->transformToSuperlayer())
        .concat(down.concat(rootB->layer_->transformToSuperlayer()).inverted())
        .apply(rect);
}

base::Rect View::convertRectFrom(const base::Rect& rect, const View* from) const {
    if (from != nullptr) return from->convertRect(rect, this);
    const View* root = nullptr;
    return transformToRoot(&root).inverted().apply(rect);
}

base::AffineTransform View::transformToScreen() const {
    const View* root = nullptr;
    return transformToRoot(&root).concat(root->layer_->transformToSuperlayer());
}

// ---- Animation (the block machinery lives in ViewAnimation.cpp) ------------------------------

bool View::isInteractionBlockedByAnimation() const {
    return detail::animationBlocksInteraction(*layer_);
}

}  // namespace ui
