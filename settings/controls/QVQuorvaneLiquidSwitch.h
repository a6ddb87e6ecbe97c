#pragma once

#include <cstdint>
#include <memory>

#include "platform/ui/DisplayLink.h"
#include "platform/ui/FeedbackGenerator.h"
#include "platform/ui/Switch.h"

class LGSharedGlassView;
class LGSwitchInsetShadowView;

// The settings page's on/off control. It is a standard switch to its owner (on, setOn(animated),
// onTintColor, value-changed sent exactly when the user's gesture changes the value, never for a
// change from code) but draws itself: a capsule track with an accent fill, a small white thumb at
// rest and, while touched, a larger glass thumb refracting a picture of the track behind it.
//
// A tap flips the value and keeps the glass for 0.22 s before it shrinks back. A drag moves the
// thumb with the finger (rubber-banded past the ends) and toggles as soon as the thumb reaches
// an end; released elsewhere it lands on the nearer side. A display link of its own smooths
// every change and stops when everything has settled.
//
// Main thread only.
class QVQuorvaneLiquidSwitch : public ui::Switch {
    QV_OBJECT(QVQuorvaneLiquidSwitch, ui::Switch);

  public:
    static constexpr base::Size kSize{63, 28};
    static constexpr base::Size kRestingThumbSize{36, 24};
    static constexpr base::Size kExpandedThumbSize{54, 34};
    // Touches shorter than this are taps; longer ones are drags.
    static constexpr double kTapDuration = 0.15;
    // How long the glass stays after a tap.
    static constexpr double kAutoContractDelay = 0.22;

    static std::shared_ptr<QVQuorvaneLiquidSwitch> create(const base::Rect& frame = {});
    explicit QVQuorvaneLiquidSwitch(const base::Rect& frame = {});
    ~QVQuorvaneLiquidSwitch() override;

    base::Size intrinsicContentSize() const override { return kSize; }

    // ---- Geometry (bounds coordinates) ----
    base::Rect trackFrame() const;
    double minimumThumbCenterX() const;
    double maximumThumbCenterX() const;
    // Where the thumb is drawn now, from the drawn progress.
    double resolvedThumbCenterX() const;
    // Past the ends the thumb follows the square root of the overshoot.
    double rubberBandedThumbCenterXForValue(double x) const;
    // 0 at the off end, 1 at the on end, beyond them past the ends; 0 for an empty range.
    double progressForThumbCenterX(double x) const;

    // ---- State, for tests ----
    const std::shared_ptr<ui::View>& trackView() const { return trackView_; }
    const std::shared_ptr<ui::View>& fillView() const { return fillView_; }
    const std::shared_ptr<ui::View>& contractedThumbView() const { return contractedThumbView_; }
    const std::shared_ptr<LGSharedGlassView>& glassThumbView() const { return glassThumbView_; }
    const std::shared_ptr<LGSwitchInsetShadowView>& glassInsetShadowView() const {
        return glassInsetShadowView_;
    }
    const std::shared_ptr<ui::DisplayLink>& displayLink() const { return displayLink_; }
    double targetProgress() const { return targetProgress_; }
    double renderedProgress() const { return renderedProgress_; }
    base::Size renderedThumbSize() const { return renderedThumbSize_; }
    base::Size targetThumbSize() const { return targetThumbSize_; }
    double renderedExpansion() const { return renderedExpansion_; }
    double targetExpansion() const { return targetExpansion_; }
    double renderedFillAlpha() const { return renderedFillAlpha_; }
    bool isPressed() const { return pressed_; }
    bool isDragging() const { return isDragging_; }
    bool pendingTapAutoContract() const { return pendingTapAutoContract_; }

  private:
    static void registerMethods(runtime::MethodList<QVQuorvaneLiquidSwitch>& methods);
    void commonInit();

    // Overrides of the standard switch's messages.
    base::Size sizeThatFitsSwitch(base::Size size);
    void didMoveToWindowSwitch();
    void layoutSubviewsSwitch();
    void traitCollectionDidChangeSwitch(ui::TraitCollection previous);
    void setOnAnimatedSwitch(bool on, bool animated);
    bool beginTrackingSwitch(ui::Touch* touch, ui::Event* event);
    bool continueTrackingSwitch(ui::Touch* touch, ui::Event* event);
    void endTrackingSwitch(ui::Touch* touch, ui::Event* event);
    void cancelTrackingSwitch(ui::Event* event);
    bool pointInsideSwitch(base::Point point, ui::Event* event);

    // Stores a value the user chose in the standard switch, without its animation.
    void storeUserValue(bool on);
    void checkForEdgeToggleAtCenterX(double centerX);
    void finishDragInteraction();
    void expandForPress();
    void contractThumb();
    void scheduleAutoContract();
    void syncRenderedStateImmediately();
    void setFillVisible(bool visible, bool animated);
    void startDisplayLinkIfNeeded();
    void stopDisplayLink();
    void handleDisplayLink(ui::DisplayLink& link);
    // QVQuorvaneLiquidSwitchDrawing.cpp
    base::Color accentColor() const;
    void updateMaterialColors();
    void refreshGlassBackdrop();
    void updateVisualsAnimated(bool animated);

    std::shared_ptr<ui::View> trackView_;
    std::shared_ptr<ui::View> fillView_;
    std::shared_ptr<ui::View> contractedThumbView_;
    std::shared_ptr<LGSharedGlassView> glassThumbView_;
    std::shared_ptr<LGSwitchInsetShadowView> glassInsetShadowView_;
    std::shared_ptr<ui::ImpactFeedbackGenerator> feedbackGenerator_;
    std::shared_ptr<ui::DisplayLink> displayLink_;

    double targetProgress_ = 0;
    double renderedProgress_ = 0;
    base::Size targetThumbSize_ = kRestingThumbSize;
    base::Size renderedThumbSize_ = kRestingThumbSize;
    double targetExpansion_ = 0;
    double renderedExpansion_ = 0;
    double targetFillAlpha_ = 0;
    double renderedFillAlpha_ = 0;
    double fillAnimationStartAlpha_ = 0;
    double fillAnimationStartTime_ = 0;
    bool fillAnimating_ = false;
    bool hasRenderedState_ = false;
    double lastDisplayLinkTimestamp_ = 0;

    bool pressed_ = false;
    bool dragMoved_ = false;
    bool isDragging_ = false;
    bool didToggleDuringDrag_ = false;
    bool didSendValueChangedDuringDrag_ = false;
    bool wasOnWhenDragStarted_ = false;
    bool pendingTapAutoContract_ = false;
    // Which scheduled auto-contract is the live one: a later tap supersedes an earlier one's.
    std::uint64_t autoContractGeneration_ = 0;
    double touchBeganTime_ = 0;
    double dragStartLocation_ = 0;
    double dragStartThumbCenterX_ = 0;
};
