#include "settings/controls/QVQuorvaneLiquidSwitch.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "glass/LGGlassContext.h"
#include "platform/dispatch/Queue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"
#include "settings/controls/LGSharedGlassView.h"
#include "settings/controls/LGSwitchInsetShadowView.h"

QV_DEFINE_CLASS(QVQuorvaneLiquidSwitch, "QVQuorvaneLiquidSwitch");

namespace {

// The thumb's centre stays this far in from each end of the track.
constexpr double kThumbTravelInset = 20;
// A touch ending within this distance of the bounds counts as inside.
constexpr double kTouchMargin = 10;
// The thumb toggles the value this close to an end.
constexpr double kEdgeToggleReach = 5;
constexpr double kFillFadeDuration = 0.1;

double smoothstep(double u) {
    u = std::clamp(u, 0.0, 1.0);
    return u * u * (3 - 2 * u);
}

}  // namespace

void QVQuorvaneLiquidSwitch::registerMethods(runtime::MethodList<QVQuorvaneLiquidSwitch>& methods) {
    methods.add<&QVQuorvaneLiquidSwitch::sizeThatFitsSwitch>(kSizeThatFits)
        .add<&QVQuorvaneLiquidSwitch::didMoveToWindowSwitch>(kDidMoveToWindow)
        .add<&QVQuorvaneLiquidSwitch::layoutSubviewsSwitch>(kLayoutSubviews)
        .add<&QVQuorvaneLiquidSwitch::traitCollectionDidChangeSwitch>(kTraitCollectionDidChange)
        .add<&QVQuorvaneLiquidSwitch::setOnAnimatedSwitch>(kSetOnAnimated)
        .add<&QVQuorvaneLiquidSwitch::beginTrackingSwitch>(kBeginTracking)
        .add<&QVQuorvaneLiquidSwitch::continueTrackingSwitch>(kContinueTracking)
        .add<&QVQuorvaneLiquidSwitch::endTrackingSwitch>(kEndTracking)
        .add<&QVQuorvaneLiquidSwitch::cancelTrackingSwitch>(kCancelTracking)
        .add<&QVQuorvaneLiquidSwitch::pointInsideSwitch>(kPointInside);
}

QVQuorvaneLiquidSwitch::QVQuorvaneLiquidSwitch(const base::Rect& frame) : Switch(frame) {
    // The standard switch forces its own size onto a frame; this one is a little wider.
    if (!frame.isNull()) setFrame({frame.origin, kSize});
}

QVQuorvaneLiquidSwitch::~QVQuorvaneLiquidSwitch() {
    // One line on the console (not the log file), written in one call.
    char line[160];
    const int n =
        std::snprintf(line, sizeof line,
                      "[Quorvane][Settings] switch dealloc self=%p displayLink=%p "
                      "window=%p\n",
                      static_cast<const void*>(this), static_cast<const void*>(displayLink_.get()),
                      static_cast<const void*>(window().get()));
    if (n > 0) {
        [[maybe_unused]] auto written =
            ::write(STDERR_FILENO, line, std::min<std::size_t>(std::size_t(n), sizeof line - 1));
    }
    stopDisplayLink();
}

std::shared_ptr<QVQuorvaneLiquidSwitch> QVQuorvaneLiquidSwitch::create(const base::Rect& frame) {
    auto control = std::make_shared<QVQuorvaneLiquidSwitch>(frame);
    control->commonInit();
    return control;
}

void QVQuorvaneLiquidSwitch::commonInit() {
    // Pass 1: the standard switch draws nothing of its own.
    setOnTintColor(base::Color::clear());
    setTintColor(base::Color::clear());
    setThumbTintColor(base::Color::clear());
    setBackgroundColor(base::Color::clear());
    setClipsToBounds(false);

    // Pass 2: the drawn state starts where the value is.
    const double position = isOn() ? 1 : 0;
    targetProgress_ = renderedProgress_ = position;
    targetFillAlpha_ = renderedFillAlpha_ = position;
    targetThumbSize_ = renderedThumbSize_ = kRestingThumbSize;
    targetExpansion_ = renderedExpansion_ = 0;

    // Pass 3: the parts.
    feedbackGenerator_ = ui::ImpactFeedbackGenerator::create(ui::ImpactFeedbackStyle::Light);
    trackView_ = ui::View::create();
    fillView_ = ui::View::create();
    contractedThumbView_ = ui::View::create();
    for (ui::View* part : {trackView_.get(), fillView_.get(), contractedThumbView_.get()}) {
        part->setUserInteractionEnabled(false);
    }
    addSubview(trackView_);
    trackView_->addSubview(fillView_);
    addSubview(contractedThumbView_);

    // Pass 4: the glass thumb, when there is a GPU; without one the resting thumb does it all.
    if (LGGlassContextEnsure()) {
        if (auto glass = LGSharedGlassView::create({}, nullptr, {0, 0})) {
            glass->setUserInteractionEnabled(false);
            glass->setReleasesSourceAfterUpload(true);
            glass->setBezelWidth(6);
            glass->setGlassThickness(20);
            glass->setRefractionScale(1.5);
            glass->setRefractiveIndex(1.5);
            glass->setSpecularOpacity(0.04);
            glass->setBlur(0);
            glass->setSourceScale(1);
            glass->setAlpha(0);
            glass->setHidden(true);
            addSubview(glass);
            auto inset = LGSwitchInsetShadowView::create(glass->bounds());
            inset->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth |
                                       ui::AutoresizingMask::FlexibleHeight);
            glass->addSubview(inset);
            glassThumbView_ = std::move(glass);
            glassInsetShadowView_ = std::move(inset);
        }
    }

    // Pass 5: first look.
    updateMaterialColors();
    syncRenderedStateImmediately();
    updateVisualsAnimated(false);
}

// ---- Geometry ----

base::Size QVQuorvaneLiquidSwitch::sizeThatFitsSwitch(base::Size) {
    return kSize;
}

bool QVQuorvaneLiquidSwitch::pointInsideSwitch(base::Point point, ui::Event*) {
    return bounds().insetBy(-kTouchMargin, -kTouchMargin).contains(point);
}

base::Rect QVQuorvaneLiquidSwitch::trackFrame() const {
    const base::Rect b = bounds();
    return {b.minX() + std::floor((b.width() - kSize.width) / 2),
            b.minY() + std::floor((b.height() - kSize.height) / 2), kSize.width, kSize.height};
}

double QVQuorvaneLiquidSwitch::minimumThumbCenterX() const {
    return trackFrame().minX() + kThumbTravelInset;
}

double QVQuorvaneLiquidSwitch::maximumThumbCenterX() const {
    return trackFrame().maxX() - kThumbTravelInset;
}

double QVQuorvaneLiquidSwitch::resolvedThumbCenterX() const {
    const double m = minimumThumbCenterX();
    return m + (maximumThumbCenterX() - m) * renderedProgress_;
}

double QVQuorvaneLiquidSwitch::rubberBandedThumbCenterXForValue(double x) const {
    const double m = minimumThumbCenterX();
    const double M = maximumThumbCenterX();
    if (x < m) return m - std::sqrt(m - x);
    if (x > M) return M + std::sqrt(x - M);
    return x;
}

double QVQuorvaneLiquidSwitch::progressForThumbCenterX(double x) const {
    const double m = minimumThumbCenterX();
    const double M = maximumThumbCenterX();
    if (M - m <= 0) return 0;
    return (x - m) / (M - m);
}

// ---- Life cycle ----

void QVQuorvaneLiquidSwitch::didMoveToWindowSwitch() {
    kDidMoveToWindow.sendSuper(this);
    if (!window()) stopDisplayLink();
    refreshGlassBackdrop();
    updateVisualsAnimated(false);
}

void QVQuorvaneLiquidSwitch::layoutSubviewsSwitch() {
    kLayoutSubviews.sendSuper(this);
    // The standard switch's own parts stay (its layout keeps placing them) but are not seen.
    for (const auto& subview : subviews()) {
        if (subview == trackView_ || subview == contractedThumbView_ ||
            subview == std::static_pointer_cast<ui::View>(glassThumbView_)) {
            continue;
        }
        subview->setAlpha(0.01);
    }
    updateMaterialColors();
    if (!hasRenderedState_) syncRenderedStateImmediately();
    updateVisualsAnimated(false);
}

void QVQuorvaneLiquidSwitch::traitCollectionDidChangeSwitch(ui::TraitCollection previous) {
    kTraitCollectionDidChange.sendSuper(this, previous);
    if (previous.isDark() == traitCollection().isDark()) return;
    updateMaterialColors();
    refreshGlassBackdrop();
    updateVisualsAnimated(false);
}

// ---- Value ----

void QVQuorvaneLiquidSwitch::setOnAnimatedSwitch(bool on, bool animated) {
    // Nothing to show when the value and the thumb's destination already agree; this keeps a
    // page reset from swelling switches that were already at their default.
    if (on == isOn() && targetProgress_ == (on ? 1.0 : 0.0)) return;
    kSetOnAnimated.sendSuper(this, on, false);
    targetProgress_ = on ? 1 : 0;
    setFillVisible(on, animated);
    if (animated) {
        // A change from code swells the thumb into glass briefly, then lets it settle.
        if (!pressed_ && !isDragging_ && !pendingTapAutoContract_) {
            pendingTapAutoContract_ = true;
            targetExpansion_ = 1;
            targetThumbSize_ = kExpandedThumbSize;
            scheduleAutoContract();
        }
        startDisplayLinkIfNeeded();
    } else {
        syncRenderedStateImmediately();
    }
    refreshGlassBackdrop();
    updateVisualsAnimated(animated);
}

void QVQuorvaneLiquidSwitch::storeUserValue(bool on) {
    kSetOnAnimated.sendSuper(this, on, false);
}

void QVQuorvaneLiquidSwitch::scheduleAutoContract() {
    const std::uint64_t generation = ++autoContractGeneration_;
    std::weak_ptr<QVQuorvaneLiquidSwitch> weak =
        std::static_pointer_cast<QVQuorvaneLiquidSwitch>(shared_from_this());
    dispatch::Queue::main()->after(
        dispatch::nanosFromSeconds(kAutoContractDelay), [weak, generation] {
            auto self = weak.lock();
            if (!self || self->pressed_ || !self->pendingTapAutoContract_ ||
                generation != self->autoContractGeneration_) {
                return;
            }
            self->pendingTapAutoContract_ = false;
            self->contractThumb();
            self->startDisplayLinkIfNeeded();
            self->refreshGlassBackdrop();
            self->updateVisualsAnimated(true);
        });
}

void QVQuorvaneLiquidSwitch::expandForPress() {
    targetExpansion_ = 1;
    targetThumbSize_ = kExpandedThumbSize;
}

void QVQuorvaneLiquidSwitch::contractThumb() {
    targetExpansion_ = 0;
    targetThumbSize_ = kRestingThumbSize;
}

// ---- Tracking ----
// The switch handles its touches entirely itself: the standard switch would flip the value at
// the end of every touch, and this one commits at the ends of a drag as well.

bool QVQuorvaneLiquidSwitch::beginTrackingSwitch(ui::Touch* touch, ui::Event*) {
    if (touch == nullptr) return false;
    pressed_ = true;
    dragMoved_ = false;
    isDragging_ = false;
    didToggleDuringDrag_ = false;
    didSendValueChangedDuringDrag_ = false;
    wasOnWhenDragStarted_ = isOn();
    touchBeganTime_ = dispatch::now();
    dragStartLocation_ = touch->locationInView(this).x;
    dragStartThumbCenterX_ = resolvedThumbCenterX();
    expandForPress();
    startDisplayLinkIfNeeded();
    feedbackGenerator_->prepare();
    refreshGlassBackdrop();
    updateVisualsAnimated(true);
    return true;
}

bool QVQuorvaneLiquidSwitch::continueTrackingSwitch(ui::Touch* touch, ui::Event*) {
    if (touch == nullptr) return false;
    const double x = touch->locationInView(this).x;
    if (!isDragging_ && dispatch::now() - touchBeganTime_ >= kTapDuration) isDragging_ = true;

    const double center =
        rubberBandedThumbCenterXForValue(dragStartThumbCenterX_ + (x - dragStartLocation_));
    const double progress = progressForThumbCenterX(center);
    if (std::abs(progress - targetProgress_) > 0.015 || std::abs(x - dragStartLocation_) > 2) {
        dragMoved_ = true;
    }
    // The thumb follows the finger exactly, without smoothing.
    targetProgress_ = renderedProgress_ = progress;
    hasRenderedState_ = true;
    checkForEdgeToggleAtCenterX(center);
    refreshGlassBackdrop();
    updateVisualsAnimated(false);
    return true;
}

void QVQuorvaneLiquidSwitch::checkForEdgeToggleAtCenterX(double centerX) {
    bool next = isOn();
    if (centerX <= minimumThumbCenterX() + kEdgeToggleReach && isOn()) {
        next = false;
    } else if (centerX >= maximumThumbCenterX() - kEdgeToggleReach && !isOn()) {
        next = true;
    }
    if (next == isOn()) return;
    didToggleDuringDrag_ = true;
    feedbackGenerator_->impactOccurred();
    storeUserValue(next);
    targetProgress_ = next ? 1 : 0;
    setFillVisible(next, true);
    sendActionsForControlEvents(ui::ControlEvents::ValueChanged);
    didSendValueChangedDuringDrag_ = true;
}

void QVQuorvaneLiquidSwitch::endTrackingSwitch(ui::Touch* touch, ui::Event*) {
    const bool inside =
        touch != nullptr &&
        bounds().insetBy(-kTouchMargin, -kTouchMargin).contains(touch->locationInView(this));
    const bool quick = dispatch::now() - touchBeganTime_ < kTapDuration;
    pressed_ = false;
    pendingTapAutoContract_ = false;

    // A quick touch that moved the thumb is a flick, not a tap: it may already have toggled at
    // an end, and flipping again on release would undo what the user just did.
    if (inside && quick && !dragMoved_ && !didToggleDuringDrag_) {
        // Tap: flip, and keep the glass a moment.
        feedbackGenerator_->impactOccurred();
        const bool next = !isOn();
        storeUserValue(next);
        targetProgress_ = next ? 1 : 0;
        sendActionsForControlEvents(ui::ControlEvents::ValueChanged);
        setFillVisible(next, true);
        expandForPress();
        pendingTapAutoContract_ = true;
    } else if (inside) {
        finishDragInteraction();
        contractThumb();
    } else {
        // Released outside: back to the current value, unless the drag already decided.
        contractThumb();
        targetProgress_ = isOn() ? 1 : 0;
        setFillVisible(isOn(), true);
        if (didToggleDuringDrag_ || dragMoved_ || isDragging_) finishDragInteraction();
    }

    dragMoved_ = false;
    isDragging_ = false;
    startDisplayLinkIfNeeded();
    refreshGlassBackdrop();
    updateVisualsAnimated(true);
    if (pendingTapAutoContract_) scheduleAutoContract();
}

void QVQuorvaneLiquidSwitch::finishDragInteraction() {
    if (!didToggleDuringDrag_) {
        const bool next = targetProgress_ >= 0.5;
        if (next != isOn()) {
            feedbackGenerator_->impactOccurred();
            storeUserValue(next);
            sendActionsForControlEvents(ui::ControlEvents::ValueChanged);
        }
        setFillVisible(next, true);
    } else if (!didSendValueChangedDuringDrag_ && isOn() != wasOnWhenDragStarted_) {
        sendActionsForControlEvents(ui::ControlEvents::ValueChanged);
    }
    targetProgress_ = isOn() ? 1 : 0;
    didToggleDuringDrag_ = false;
    didSendValueChangedDuringDrag_ = false;
}

void QVQuorvaneLiquidSwitch::cancelTrackingSwitch(ui::Event*) {
    pressed_ = false;
    dragMoved_ = false;
    isDragging_ = false;
    didToggleDuringDrag_ = false;
    didSendValueChangedDuringDrag_ = false;
    pendingTapAutoContract_ = false;
    contractThumb();
    targetProgress_ = isOn() ? 1 : 0;
    setFillVisible(isOn(), true);
    startDisplayLinkIfNeeded();
    refreshGlassBackdrop();
    updateVisualsAnimated(true);
}

// ---- Animation ----

void QVQuorvaneLiquidSwitch::syncRenderedStateImmediately() {
    renderedProgress_ = targetProgress_;
    renderedThumbSize_ = targetThumbSize_;
    renderedExpansion_ = targetExpansion_;
    renderedFillAlpha_ = targetFillAlpha_;
    fillAnimating_ = false;
    hasRenderedState_ = true;
}

void QVQuorvaneLiquidSwitch::setFillVisible(bool visible, bool animated) {
    const double target = visible ? 1 : 0;
    if (std::abs(targetFillAlpha_ - target) < 0.001) {
        if (!(animated && fillAnimating_)) return;
    } else {
        targetFillAlpha_ = target;
    }
    if (animated) {
        fillAnimationStartAlpha_ = renderedFillAlpha_;
        fillAnimationStartTime_ = dispatch::now();
        fillAnimating_ = true;
        startDisplayLinkIfNeeded();
    } else {
        renderedFillAlpha_ = target;
        fillAnimating_ = false;
    }
}

void QVQuorvaneLiquidSwitch::startDisplayLinkIfNeeded() {
    if (displayLink_ || !window()) return;
    lastDisplayLinkTimestamp_ = 0;
    std::weak_ptr<QVQuorvaneLiquidSwitch> weak =
        std::static_pointer_cast<QVQuorvaneLiquidSwitch>(shared_from_this());
    displayLink_ = ui::DisplayLink::create([weak](ui::DisplayLink& link) {
        if (auto self = weak.lock()) self->handleDisplayLink(link);
    });
    displayLink_->addToRunLoop(dispatch::RunLoop::main(), dispatch::Mode::Common);
}

void QVQuorvaneLiquidSwitch::stopDisplayLink() {
    if (displayLink_) displayLink_->invalidate();
    displayLink_.reset();
    lastDisplayLinkTimestamp_ = 0;
}

void QVQuorvaneLiquidSwitch::handleDisplayLink(ui::DisplayLink& link) {
    const double timestamp = link.timestamp();
    const double frames =
        lastDisplayLinkTimestamp_ > 0 ? 60 * (timestamp - lastDisplayLinkTimestamp_) : 1;
    lastDisplayLinkTimestamp_ = timestamp;

    // Pass 1: every drawn value a step towards its target.
    if (hasRenderedState_) {
        const double f = std::clamp(frames, 0.35, 1.4);
        const double expansionRate =
            f * (pressed_ || targetExpansion_ > renderedExpansion_ ? 0.42 : 0.14);
        const double sizeRate = f * (pressed_ ? 0.36 : 0.24);
        const double progressRate = f * (pressed_ ? 0.34 : 0.22);
        renderedExpansion_ += expansionRate * (targetExpansion_ - renderedExpansion_);
        renderedThumbSize_.width += sizeRate * (targetThumbSize_.width - renderedThumbSize_.width);
        renderedThumbSize_.height +=
            sizeRate * (targetThumbSize_.height - renderedThumbSize_.height);
        renderedProgress_ += progressRate * (targetProgress_ - renderedProgress_);
    } else {
        syncRenderedStateImmediately();
    }

    // Pass 2: the fill fades over a fixed time rather than smoothing.
    if (fillAnimating_) {
        const double u =
            std::clamp((dispatch::now() - fillAnimationStartTime_) / kFillFadeDuration, 0.0, 1.0);
        renderedFillAlpha_ = fillAnimationStartAlpha_ +
                             (targetFillAlpha_ - fillAnimationStartAlpha_) * smoothstep(u);
        if (u >= 1) {
            renderedFillAlpha_ = targetFillAlpha_;
            fillAnimating_ = false;
        }
    }

    // Pass 3: draw.
    refreshGlassBackdrop();
    updateVisualsAnimated(false);

    // Pass 4: stop once nothing moves any more.
    const bool settled = !pressed_ && !pendingTapAutoContract_ &&
                         std::abs(targetProgress_ - renderedProgress_) < 0.002 &&
                         std::abs(targetThumbSize_.width - renderedThumbSize_.width) < 0.05 &&
                         std::abs(targetThumbSize_.height - renderedThumbSize_.height) < 0.05 &&
                         std::abs(targetExpansion_ - renderedExpansion_) < 0.01 && !fillAnimating_;
    if (settled) {
        renderedProgress_ = targetProgress_;
        renderedThumbSize_ = targetThumbSize_;
        renderedExpansion_ = targetExpansion_;
        stopDisplayLink();
        updateVisualsAnimated(false);
    }
}
