#pragma once

#include <memory>

#include "platform/ui/DisplayLink.h"
#include "platform/ui/FeedbackGenerator.h"
#include "platform/ui/Slider.h"

class LGSharedGlassView;
class LGInsetShadowView;

// The settings page's slider. It keeps the platform slider's value, range, track and events, but
// hides the platform thumb and draws its own: a small white capsule at rest and, while touched, a
// larger capsule of glass that refracts a picture of the track beneath it. While dragged the glass
// thumb follows the finger, rubber-bands past both ends, stretches with speed and leans a little
// ahead of the motion; light and medium taps mark the two ends. A display link of its own smooths
// every change and stops as soon as the thumb has settled.
//
// The value follows the finger's position clamped to the thumb's travel (18 points in from each
// end of the track), and value-changed is sent for every change while dragging. A touch shorter
// than 0.15 s moves the value to where it landed.
//
// Main thread only.
class QVQuorvaneLiquidSlider : public ui::Slider {
    QV_OBJECT(QVQuorvaneLiquidSlider, ui::Slider);

  public:
    static constexpr base::Size kContractedThumbSize{36, 24};
    static constexpr base::Size kExpandedThumbSize{54, 34};
    // How far the thumb's centre stays in from each end of the track.
    static constexpr double kThumbInset = 18;
    // Touches shorter than this are taps.
    static constexpr double kTapDuration = 0.15;

    static std::shared_ptr<QVQuorvaneLiquidSlider> create(const base::Rect& frame = {});
    explicit QVQuorvaneLiquidSlider(const base::Rect& frame = {});
    ~QVQuorvaneLiquidSlider() override;

    // ---- Geometry (bounds coordinates) ----
    double thumbCenterXForValue(double value);
    double minimumThumbCenterX();
    double maximumThumbCenterX();
    // Where the thumb is shown now: the presented centre while tracking, else the value's.
    double resolvedThumbCenterX();
    // The finger's x with the rubber band past the ends: 1.24 × √overshoot beyond them.
    double rubberBandedCenterXForTouchX(double x);
    double overshootDistanceForTouchX(double x);
    base::Rect glassThumbFrameForCurrentValue();

    // ---- State, for owners and tests ----
    const std::shared_ptr<LGSharedGlassView>& glassThumbView() const { return glassThumbView_; }
    const std::shared_ptr<LGInsetShadowView>& glassInsetShadowView() const {
        return glassInsetShadowView_;
    }
    const std::shared_ptr<ui::View>& contractedThumbView() const { return contractedThumbView_; }
    bool trackingActive() const { return trackingActive_; }
    bool hasPresentedThumbCenter() const { return hasPresentedThumbCenter_; }
    double presentedThumbCenterX() const { return presentedThumbCenterX_; }
    double logicalThumbCenterX() const { return logicalThumbCenterX_; }
    double rubberBandOffset() const { return rubberBandOffset_; }
    double thumbVelocityX() const { return thumbVelocityX_; }
    base::Size currentThumbSize() const { return currentThumbSize_; }
    base::Size targetThumbSize() const { return targetThumbSize_; }
    double renderedThumbCenterX() const { return renderedThumbCenterX_; }
    base::Size renderedThumbSize() const { return renderedThumbSize_; }
    double renderedExpansion() const { return renderedExpansion_; }
    double targetExpansion() const { return targetExpansion_; }
    bool hasRenderedThumbState() const { return hasRenderedThumbState_; }
    const std::shared_ptr<ui::DisplayLink>& thumbDisplayLink() const { return thumbDisplayLink_; }

  private:
    static void registerMethods(runtime::MethodList<QVQuorvaneLiquidSlider>& methods);
    void commonInit();

    // Overrides of the platform's messages.
    void didMoveToWindowSlider();
    void layoutSubviewsSlider();
    void traitCollectionDidChangeSlider(ui::TraitCollection previous);
    void setValueSlider(float value);
    void setValueAnimatedSlider(float value, bool animated);
    bool beginTrackingSlider(ui::Touch* touch, ui::Event* event);
    bool continueTrackingSlider(ui::Touch* touch, ui::Event* event);
    void endTrackingSlider(ui::Touch* touch, ui::Event* event);
    void cancelTrackingSlider(ui::Event* event);
    bool pointInsideSlider(base::Point point, ui::Event* event);

    void updatePresentedThumbForTouchX(double x);
    void updateEdgeHapticsForTouchX(double x);
    void finishTracking();
    void ensureGlassThumbView();
    void ensureContractedThumbView();
    void updateThumbMaterialColors();
    void startThumbDisplayLinkIfNeeded();
    void stopThumbDisplayLink();
    void syncRenderedThumbStateImmediately();
    void handleThumbDisplayLink(ui::DisplayLink& link);
    // QVQuorvaneLiquidSliderTrackPicture.cpp
    void refreshGlassSnapshotIfNeeded(bool force);
    void setThumbExpanded(bool expanded, bool animated);
    void updateGlassThumbFrameAnimated(bool animated);

    std::shared_ptr<LGSharedGlassView> glassThumbView_;
    std::shared_ptr<LGInsetShadowView> glassInsetShadowView_;
    std::shared_ptr<ui::View> contractedThumbView_;
    std::shared_ptr<ui::ImpactFeedbackGenerator> lightFeedbackGenerator_;
    std::shared_ptr<ui::ImpactFeedbackGenerator> mediumFeedbackGenerator_;
    bool trackingActive_ = false;
    bool hasPresentedThumbCenter_ = false;
    double presentedThumbCenterX_ = 0;
    double logicalThumbCenterX_ = 0;
    bool didTriggerMinHaptic_ = false;
    bool didTriggerMaxHaptic_ = false;
    double rubberBandOffset_ = 0;
    double touchBeganTime_ = 0;
    double thumbVelocityX_ = 0;
    double lastTouchX_ = 0;
    double lastTouchTime_ = 0;
    base::Size currentThumbSize_ = kContractedThumbSize;
    base::Size targetThumbSize_ = kContractedThumbSize;
    double renderedThumbCenterX_ = 0;
    base::Size renderedThumbSize_ = kContractedThumbSize;
    double renderedExpansion_ = 0;
    double targetExpansion_ = 0;
    bool hasRenderedThumbState_ = false;
    std::shared_ptr<ui::DisplayLink> thumbDisplayLink_;
    double lastDisplayLinkTimestamp_ = 0;
    double lastSnapshotRefreshTimestamp_ = 0;
};
