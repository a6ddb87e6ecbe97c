#include "settings/controls/QVQuorvaneLiquidSlider.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "glass/LGGlassContext.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/graphics/ImageContext.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"
#include "settings/controls/LGInsetShadowView.h"
#include "settings/controls/LGSharedGlassView.h"

QV_DEFINE_CLASS(QVQuorvaneLiquidSlider, "QVQuorvaneLiquidSlider");

namespace {

constexpr double kRubberBand = 1.24;
// Taps at the ends fire within this distance of them and re-arm beyond kHapticRearm inside.
constexpr double kHapticReach = 2;
constexpr double kHapticRearm = 4;
// A value change smaller than this is not worth an event.
constexpr double kValueEpsilon = 0.0001;
// Settled when every smoothed quantity is this close to its target.
constexpr double kSettleDistance = 0.08;
constexpr double kSettleExpansion = 0.01;
constexpr double kMinimumStretchedHeight = 25;

double smoothstep(double e) {
    e = std::clamp(e, 0.0, 1.0);
    return e * e * (3 - 2 * e);
}

// How far a smoothing step should go for a frame that lasted `elapsed` seconds, in 60 Hz frames;
// the first frame after a pause counts as one.
double frameFactor(double elapsed, double previous) {
    const double frames = previous > 0 ? elapsed * 60 : 1;
    return std::clamp(frames, 0.35, 1.4);
}

}  // namespace

void QVQuorvaneLiquidSlider::registerMethods(runtime::MethodList<QVQuorvaneLiquidSlider>& methods) {
    methods.add<&QVQuorvaneLiquidSlider::didMoveToWindowSlider>(kDidMoveToWindow)
        .add<&QVQuorvaneLiquidSlider::layoutSubviewsSlider>(kLayoutSubviews)
        .add<&QVQuorvaneLiquidSlider::traitCollectionDidChangeSlider>(kTraitCollectionDidChange)
        .add<&QVQuorvaneLiquidSlider::setValueSlider>(kSetValue)
        .add<&QVQuorvaneLiquidSlider::setValueAnimatedSlider>(kSetValueAnimated)
        .add<&QVQuorvaneLiquidSlider::beginTrackingSlider>(kBeginTracking)
        .add<&QVQuorvaneLiquidSlider::continueTrackingSlider>(kContinueTracking)
        .add<&QVQuorvaneLiquidSlider::endTrackingSlider>(kEndTracking)
        .add<&QVQuorvaneLiquidSlider::cancelTrackingSlider>(kCancelTracking)
        .add<&QVQuorvaneLiquidSlider::pointInsideSlider>(kPointInside);
}

QVQuorvaneLiquidSlider::QVQuorvaneLiquidSlider(const base::Rect& frame) : Slider(frame) {}

QVQuorvaneLiquidSlider::~QVQuorvaneLiquidSlider() {
    stopThumbDisplayLink();
}

std::shared_ptr<QVQuorvaneLiquidSlider> QVQuorvaneLiquidSlider::create(const base::Rect& frame) {
    auto slider = std::make_shared<QVQuorvaneLiquidSlider>(frame);
    slider->commonInit();
    return slider;
}

void QVQuorvaneLiquidSlider::commonInit() {
    setClipsToBounds(false);
    currentThumbSize_ = targetThumbSize_ = renderedThumbSize_ = kContractedThumbSize;
    renderedExpansion_ = targetExpansion_ = 0;
    // The platform thumb keeps its size for hit testing and travel but shows nothing.
    auto clearThumb =
        graphics::ImageContext::begin(kContractedThumbSize, false, ui::Screen::main()->scale());
    if (clearThumb) {
        const graphics::ImageRef image = clearThumb->image();
        setThumbImage(image, ui::ControlState::Normal);
        setThumbImage(image, ui::ControlState::Highlighted);
    }
    setThumbTintColor(base::Color::clear());
    lightFeedbackGenerator_ = ui::ImpactFeedbackGenerator::create(ui::ImpactFeedbackStyle::Light);
    mediumFeedbackGenerator_ = ui::ImpactFeedbackGenerator::create(ui::ImpactFeedbackStyle::Medium);
    ensureGlassThumbView();
    ensureContractedThumbView();
    updateThumbMaterialColors();
}

// ---- Geometry ----

double QVQuorvaneLiquidSlider::thumbCenterXForValue(double value) {
    const base::Rect track = trackRectForBounds(bounds());
    const double left = track.minX() + kThumbInset;
    const double right = track.maxX() - kThumbInset;
    const double minimum = minimumValue();
    const double maximum = maximumValue();
    if (!(std::abs(maximum - minimum) > FLT_EPSILON)) return left;
    const double fraction = std::clamp((value - minimum) / (maximum - minimum), 0.0, 1.0);
    return left + (right - left) * fraction;
}

double QVQuorvaneLiquidSlider::minimumThumbCenterX() {
    return thumbCenterXForValue(minimumValue());
}

double QVQuorvaneLiquidSlider::maximumThumbCenterX() {
    // A track too short for the thumb's travel collapses it onto the minimum end.
    return std::max(minimumThumbCenterX(), thumbCenterXForValue(maximumValue()));
}

double QVQuorvaneLiquidSlider::resolvedThumbCenterX() {
    if (trackingActive_ && hasPresentedThumbCenter_) return presentedThumbCenterX_;
    return thumbCenterXForValue(value());
}

double QVQuorvaneLiquidSlider::rubberBandedCenterXForTouchX(double x) {
    const double m = minimumThumbCenterX();
    const double M = maximumThumbCenterX();
    if (x < m) return m - kRubberBand * std::sqrt(m - x);
    if (x > M) return M + kRubberBand * std::sqrt(x - M);
    return x;
}

double QVQuorvaneLiquidSlider::overshootDistanceForTouchX(double x) {
    const double m = minimumThumbCenterX();
    const double M = maximumThumbCenterX();
    if (x < m) return m - x;
    if (x > M) return x - M;
    return 0;
}

base::Rect QVQuorvaneLiquidSlider::glassThumbFrameForCurrentValue() {
    const double cx = hasRenderedThumbState_ ? renderedThumbCenterX_ : resolvedThumbCenterX();
    const base::Size size = hasRenderedThumbState_ ? renderedThumbSize_ : currentThumbSize_;
    return {cx - size.width / 2, bounds().midY() - size.height / 2, size.width, size.height};
}

bool QVQuorvaneLiquidSlider::pointInsideSlider(base::Point point, ui::Event*) {
    // The thumb is small for a finger: the slider answers a little beyond its bounds.
    return bounds().insetBy(-18, -14).contains(point);
}

// ---- Life cycle ----

void QVQuorvaneLiquidSlider::didMoveToWindowSlider() {
    kDidMoveToWindow.sendSuper(this);
    if (!window()) stopThumbDisplayLink();
    refreshGlassSnapshotIfNeeded(true);
    syncRenderedThumbStateImmediately();
    updateGlassThumbFrameAnimated(false);
}

void QVQuorvaneLiquidSlider::layoutSubviewsSlider() {
    kLayoutSubviews.sendSuper(this);
    ensureGlassThumbView();
    ensureContractedThumbView();
    updateThumbMaterialColors();
    if (!hasRenderedThumbState_) syncRenderedThumbStateImmediately();
    updateGlassThumbFrameAnimated(false);
}

void QVQuorvaneLiquidSlider::traitCollectionDidChangeSlider(ui::TraitCollection previous) {
    kTraitCollectionDidChange.sendSuper(this, previous);
    if (previous.isDark() == traitCollection().isDark()) return;
    updateThumbMaterialColors();
    refreshGlassSnapshotIfNeeded(true);
    updateGlassThumbFrameAnimated(false);
}

void QVQuorvaneLiquidSlider::setValueSlider(float value) {
    kSetValue.sendSuper(this, value);
    if (!trackingActive_ && !thumbDisplayLink_) syncRenderedThumbStateImmediately();
    updateGlassThumbFrameAnimated(false);
}

void QVQuorvaneLiquidSlider::setValueAnimatedSlider(float value, bool animated) {
    kSetValueAnimated.sendSuper(this, value, animated);
    if (!trackingActive_ && !thumbDisplayLink_) syncRenderedThumbStateImmediately();
    updateGlassThumbFrameAnimated(false);
}

// ---- Tracking ----
// The slider maps the finger itself rather than through the platform's tracking: the platform
// would jump the value at touch-down and drag from where the thumb was grabbed, while this thumb
// follows the finger's own position (rubber-banded), and a press that does not move leaves the
// value alone unless it is a quick tap.

bool QVQuorvaneLiquidSlider::beginTrackingSlider(ui::Touch* touch, ui::Event*) {
    if (touch == nullptr) return false;
    const double now = dispatch::now();
    trackingActive_ = true;
    hasPresentedThumbCenter_ = true;
    presentedThumbCenterX_ = logicalThumbCenterX_ = thumbCenterXForValue(value());
    touchBeganTime_ = now;
    didTriggerMinHaptic_ = didTriggerMaxHaptic_ = false;
    rubberBandOffset_ = 0;
    thumbVelocityX_ = 0;
    lastTouchX_ = touch->locationInView(this).x;
    lastTouchTime_ = touchBeganTime_;
    targetThumbSize_ = kExpandedThumbSize;
    targetExpansion_ = 1;
    startThumbDisplayLinkIfNeeded();
    lightFeedbackGenerator_->prepare();
    mediumFeedbackGenerator_->prepare();
    refreshGlassSnapshotIfNeeded(true);
    setThumbExpanded(true, true);
    updateGlassThumbFrameAnimated(false);
    return true;
}

bool QVQuorvaneLiquidSlider::continueTrackingSlider(ui::Touch* touch, ui::Event*) {
    if (touch == nullptr) return false;
    const double now = dispatch::now();
    const double x = touch->locationInView(this).x;
    const double dt = std::max(now - lastTouchTime_, 0.001);
    const double instantaneous = (x - lastTouchX_) / dt;
    thumbVelocityX_ = 0.35 * thumbVelocityX_ + 0.65 * instantaneous;
    lastTouchX_ = x;
    lastTouchTime_ = now;
    updatePresentedThumbForTouchX(x);
    updateEdgeHapticsForTouchX(x);
    updateGlassThumbFrameAnimated(false);
    return true;
}

void QVQuorvaneLiquidSlider::endTrackingSlider(ui::Touch* touch, ui::Event*) {
    if (touch != nullptr && dispatch::now() - touchBeganTime_ < kTapDuration) {
        updatePresentedThumbForTouchX(touch->locationInView(this).x);
    }
    finishTracking();
}

void QVQuorvaneLiquidSlider::cancelTrackingSlider(ui::Event*) {
    finishTracking();
}

void QVQuorvaneLiquidSlider::finishTracking() {
    trackingActive_ = false;
    hasPresentedThumbCenter_ = false;
    rubberBandOffset_ = 0;
    thumbVelocityX_ = 0;
    logicalThumbCenterX_ = 0;
    targetThumbSize_ = currentThumbSize_ = kExpandedThumbSize;
    targetExpansion_ = 0;
    setThumbExpanded(false, false);
}

void QVQuorvaneLiquidSlider::updatePresentedThumbForTouchX(double x) {
    const double m = minimumThumbCenterX();
    const double M = maximumThumbCenterX();

    // Pass 1: where the thumb is drawn, and how far past an end it was pulled.
    logicalThumbCenterX_ = std::clamp(x, m, M);
    hasPresentedThumbCenter_ = true;
    const double banded = rubberBandedCenterXForTouchX(x);
    presentedThumbCenterX_ = banded;
    rubberBandOffset_ = x < m ? banded - m : x > M ? banded - M : 0;

    // Pass 2: the value, from the clamped position.
    if (M - m > 0) {
        const double minimum = minimumValue();
        const double maximum = maximumValue();
        const float v =
            float(minimum + ((logicalThumbCenterX_ - m) / (M - m)) * (maximum - minimum));
        if (std::abs(double(value()) - double(v)) > kValueEpsilon) {
            setValue(v);
            sendActionsForControlEvents(ui::ControlEvents::ValueChanged);
        }
    }

    // Pass 3: stretch with overshoot and speed, and lean ahead of the motion.
    const double stretch = std::min(overshootDistanceForTouchX(x) * 0.0625, 1.0);
    const double speed = std::pow(std::min(std::abs(thumbVelocityX_) / 900, 1.0), 0.71);
    const double growth = 5.8 * stretch + 19.5 * speed;
    const double shrink = 1.8 * stretch + 5.4 * speed;
    const double lead = 2.4 * stretch + 5.1 * speed;
    presentedThumbCenterX_ = banded + (thumbVelocityX_ >= 0 ? lead : -lead);
    targetThumbSize_ = {kExpandedThumbSize.width + growth,
                        std::max(kExpandedThumbSize.height - shrink, kMinimumStretchedHeight)};
    currentThumbSize_ = targetThumbSize_;
}

void QVQuorvaneLiquidSlider::updateEdgeHapticsForTouchX(double x) {
    const double m = minimumThumbCenterX();
    const double M = maximumThumbCenterX();
    if (x <= m + kHapticReach && !didTriggerMinHaptic_) {
        didTriggerMinHaptic_ = true;
        didTriggerMaxHaptic_ = false;
        lightFeedbackGenerator_->impactOccurred();
    } else if (x >= M - kHapticReach && !didTriggerMaxHaptic_) {
        didTriggerMaxHaptic_ = true;
        didTriggerMinHaptic_ = false;
        mediumFeedbackGenerator_->impactOccurred();
    } else if (x > m + kHapticRearm && x < M - kHapticRearm) {
        didTriggerMinHaptic_ = didTriggerMaxHaptic_ = false;
    }
}

// ---- Thumb views ----

void QVQuorvaneLiquidSlider::ensureGlassThumbView() {
    if (glassThumbView_) return;
    // Without a GPU the slider still works, with its resting thumb only.
    if (!LGGlassContextEnsure()) return;
    auto glass = LGSharedGlassView::create({}, nullptr, {0, 0});
    if (!glass) return;
    glass->setUserInteractionEnabled(false);
    glass->setReleasesSourceAfterUpload(true);
    glass->setBezelWidth(10);
    glass->setGlassThickness(30);
    glass->setRefractionScale(1.2);
    glass->setRefractiveIndex(1.5);
    glass->setSpecularOpacity(0.04);
    glass->setBlur(0);
    glass->setSourceScale(1.0);
    ui::Layer& layer = *glass->layer();
    layer.setShadowColor(base::Color::black());
    layer.setShadowOpacity(0.08f);
    layer.setShadowRadius(4);
    layer.setShadowOffset({0, 1});
    glass->setAlpha(0);
    glass->setHidden(true);
    addSubview(glass);
    auto inset = LGInsetShadowView::create(glass->bounds());
    inset->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth |
                               ui::AutoresizingMask::FlexibleHeight);
    inset->setAlpha(1);
    glass->addSubview(inset);
    glassThumbView_ = std::move(glass);
    glassInsetShadowView_ = std::move(inset);
}

void QVQuorvaneLiquidSlider::ensureContractedThumbView() {
    if (contractedThumbView_) return;
    auto thumb = ui::View::create();
    thumb->setUserInteractionEnabled(false);
    thumb->setBackgroundColor(base::Color::white(1));
    ui::Layer& layer = *thumb->layer();
    layer.setShadowColor(base::Color::black());
    layer.setShadowOpacity(0.12f);
    layer.setShadowRadius(5);
    layer.setShadowOffset({0, 0});
    addSubview(thumb);
    contractedThumbView_ = std::move(thumb);
}

void QVQuorvaneLiquidSlider::updateThumbMaterialColors() {
    const bool dark = traitCollection().isDark();
    if (contractedThumbView_) {
        contractedThumbView_->setBackgroundColor(base::Color::white(1));
        contractedThumbView_->layer()->setShadowOpacity(0.12f);
        contractedThumbView_->layer()->setShadowRadius(5);
    }
    if (glassThumbView_) {
        glassThumbView_->setSpecularOpacity(dark ? 0.02 : 0);
        ui::Layer& layer = *glassThumbView_->layer();
        layer.setShadowOpacity(dark ? 0.12f : 0.08f);
        layer.setShadowRadius(dark ? 7 : 4);
        layer.setShadowOffset(dark ? base::Size{0, 2} : base::Size{0, 1});
        layer.setShadowColor(base::Color::black());
    }
    if (glassInsetShadowView_) glassInsetShadowView_->setAlpha(dark ? 0.68 : 1.0);
}

// ---- Smoothing ----

void QVQuorvaneLiquidSlider::startThumbDisplayLinkIfNeeded() {
    if (!window() || thumbDisplayLink_) return;
    lastDisplayLinkTimestamp_ = 0;
    std::weak_ptr<QVQuorvaneLiquidSlider> weak =
        std::static_pointer_cast<QVQuorvaneLiquidSlider>(shared_from_this());
    thumbDisplayLink_ = ui::DisplayLink::create([weak](ui::DisplayLink& link) {
        if (auto self = weak.lock()) self->handleThumbDisplayLink(link);
    });
    thumbDisplayLink_->addToRunLoop(dispatch::RunLoop::main(), dispatch::Mode::Common);
}

void QVQuorvaneLiquidSlider::stopThumbDisplayLink() {
    if (thumbDisplayLink_) thumbDisplayLink_->invalidate();
    thumbDisplayLink_.reset();
    lastDisplayLinkTimestamp_ = 0;
    lastSnapshotRefreshTimestamp_ = 0;
}

void QVQuorvaneLiquidSlider::syncRenderedThumbStateImmediately() {
    renderedThumbCenterX_ = resolvedThumbCenterX();
    renderedThumbSize_ = trackingActive_ ? targetThumbSize_ : currentThumbSize_;
    renderedExpansion_ = targetExpansion_;
    hasRenderedThumbState_ = true;
}

void QVQuorvaneLiquidSlider::handleThumbDisplayLink(ui::DisplayLink& link) {
    const double timestamp = link.timestamp();
    const double k = frameFactor(timestamp - lastDisplayLinkTimestamp_, lastDisplayLinkTimestamp_);
    lastDisplayLinkTimestamp_ = timestamp;

    const double targetCenter = resolvedThumbCenterX();
    const base::Size targetSize = trackingActive_ ? targetThumbSize_ : currentThumbSize_;
    const double targetExpansion = targetExpansion_;
    if (hasRenderedThumbState_) {
        const double centerRate = trackingActive_ ? 0.21 : 0.14;
        const double sizeRate = trackingActive_ ? 0.25 : 0.15;
        const bool growing = trackingActive_ || targetExpansion > renderedExpansion_;
        const double expansionRate = growing ? 0.3 : 0.1;
        renderedThumbCenterX_ += (targetCenter - renderedThumbCenterX_) * k * centerRate;
        renderedThumbSize_.width += (targetSize.width - renderedThumbSize_.width) * k * sizeRate;
        renderedThumbSize_.height += (targetSize.height - renderedThumbSize_.height) * k * sizeRate;
        renderedExpansion_ += (targetExpansion - renderedExpansion_) * k * expansionRate;
    } else {
        syncRenderedThumbStateImmediately();
    }
    refreshGlassSnapshotIfNeeded(true);
    updateGlassThumbFrameAnimated(false);

    const bool settled =
        !trackingActive_ && std::abs(targetCenter - renderedThumbCenterX_) < kSettleDistance &&
        std::abs(targetSize.width - renderedThumbSize_.width) < kSettleDistance &&
        std::abs(targetSize.height - renderedThumbSize_.height) < kSettleDistance &&
        std::abs(targetExpansion - renderedExpansion_) < kSettleExpansion;
    if (settled) {
        renderedThumbCenterX_ = targetCenter;
        renderedThumbSize_ = targetSize;
        renderedExpansion_ = targetExpansion;
        stopThumbDisplayLink();
        updateGlassThumbFrameAnimated(false);
    }
}

void QVQuorvaneLiquidSlider::setThumbExpanded(bool expanded, bool) {
    const base::Size size = expanded ? kExpandedThumbSize : kContractedThumbSize;
    currentThumbSize_ = targetThumbSize_ = size;
    targetExpansion_ = expanded ? 1 : 0;
    if (expanded || hasRenderedThumbState_) startThumbDisplayLinkIfNeeded();
    if (glassThumbView_) glassThumbView_->setCornerRadius(size.height / 2);
    refreshGlassSnapshotIfNeeded(expanded);
    updateGlassThumbFrameAnimated(false);
}

void QVQuorvaneLiquidSlider::updateGlassThumbFrameAnimated(bool) {
    // Pass 1: the state to draw.
    ensureGlassThumbView();
    ensureContractedThumbView();
    if (!trackingActive_ && !thumbDisplayLink_) syncRenderedThumbStateImmediately();

    // Pass 2: frames, placed by bounds and centre so that the scale transforms below stay valid.
    const base::Rect glassFrame = glassThumbFrameForCurrentValue();
    const base::Point center = glassFrame.center();
    const double s = smoothstep(renderedExpansion_);
    const double contractedScale = 1 + 0.08 * s;
    const double baseScale = 0.92 + 0.08 * s;
    const double squash = std::min(
        0.028 * s + std::max(glassFrame.width() - kExpandedThumbSize.width, 0.0) * 0.0032, 0.1);

    contractedThumbView_->setBounds(
        {0, 0, kContractedThumbSize.width, kContractedThumbSize.height});
    contractedThumbView_->setCenter(center);
    contractedThumbView_->setTransform(
        base::AffineTransform::scale(contractedScale, contractedScale));
    contractedThumbView_->layer()->setCornerRadius(kContractedThumbSize.height / 2);
    contractedThumbView_->setAlpha(1 - s);
    contractedThumbView_->setHidden(s > 0.99);

    if (!glassThumbView_) return;
    LGSharedGlassView& glass = *glassThumbView_;
    glass.setBounds({0, 0, glassFrame.width(), glassFrame.height()});
    glass.setCenter(center);
    glass.setCornerRadius(glassFrame.height() / 2);
    glass.setTransform(
        base::AffineTransform::scale(baseScale - 0.95 * squash, baseScale + 0.55 * squash));
    glass.setShapeMaskImage(nullptr);
    glass.setAlpha(s);
    glass.setHidden(s < 0.01);

    // Pass 3: the glass's picture follows the thumb while it moves with the finger.
    if (trackingActive_ || std::abs(rubberBandOffset_) > 0.001) glass.updateOrigin();
}
