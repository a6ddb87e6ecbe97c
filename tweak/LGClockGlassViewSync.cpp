// Following the system's clock label: the full synchronisation and the per-tick check.
#include <cmath>

#include "platform/dispatch/Time.h"
#include "platform/ui/Window.h"
#include "support/LGSharedSupport.h"
#include "tweak/LGClockFonts.h"
#include "tweak/LGClockGlassView.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGClockNotifications.h"
#include "tweak/LGClockOverlayContainer.h"
#include "tweak/LGClockPreferences.h"
#include "tweak/LGClockTextGeometry.h"
#include "tweak/LGClockTick.h"
#include "tweak/LGClockVariableFont.h"

namespace {

// How often the full check runs while nothing changes: with no notification below the clock, and
// with one that is still far away.
constexpr double kIdleCheckInterval = 0.25;
constexpr double kRelaxedCheckInterval = 0.12;
// A notification is far while the clock's frame ends this far above it (10 + 28 points).
constexpr double kRelaxedClearance = 10;
constexpr double kRelaxedMargin = 28;
constexpr double kBusyAfterChange = 0.25;
constexpr double kAxisTolerance = 0.5;
constexpr double kInsetTolerance = 0.01;

double evenPoints(double value) {
    return 2 * std::round(value / 2);
}

// The notification top as recorded: even-rounded, "none" kept as it is.
double evenTop(double top) {
    return top == kLGClockNoNotificationTop ? top : evenPoints(top);
}

base::Rect raised(base::Rect rect) {
    rect.origin.y -= LGPrefsDouble(kLGClockVerticalOffsetKey, kLGClockVerticalOffsetDefault);
    return rect;
}

double variableFontSize(const text::FontRef& sourceFont) {
    const double scale =
        LGPrefsDouble(kLGClockVariableFontSizeScaleKey, kLGClockVariableFontDefaultSizeScale);
    return std::max(sourceFont->pointSize() * scale, 1.0);
}

bool isLegacyIos26() {
    return LGPrefsString(kLGClockLegacyFontStyleKey, kLGClockLegacyFontStyleDefault) == "ios26";
}

}  // namespace

std::shared_ptr<ui::View> LGClockGlassView::containerFor(const std::shared_ptr<ui::View>& host,
                                                         const std::shared_ptr<ui::Label>& label,
                                                         const text::FontRef& font) const {
    if (auto parent = superview()) return parent;
    return LGClockOverlayContainer(host, label, font);
}

void LGClockGlassView::syncFromSourceLabel(const std::shared_ptr<ui::Label>& label) {
    if (!label) return;
    const std::string text = label->text();
    const std::shared_ptr<ui::View> host = resolvedHost();
    const text::FontRef sourceFont = label->font() ? label->font() : LGClockFallbackFont();

    LGClockDisplayState next;
    next.text = text;
    base::Rect frameRect;
    base::Rect overlayFrame;
    double nearest = kLGClockNoNotificationTop;
    double axis = 0;
    std::shared_ptr<ui::View> container = containerFor(host, label, sourceFont);
    const base::Rect inContainer = label->convertRect(label->bounds(), container.get());

    if (LGClockIsLegacyHost(host.get())) {
        // Pass 1 (legacy): the label's place, the font of the chosen style, the centred frame.
        frameRect = raised(inContainer);
        if (isLegacyIos26()) {
            axis = LGClockDynamicHeightAxis(label, host, container, frameRect);
            if (text::FontRef variable = LGClockVariableFont(variableFontSize(sourceFont), axis)) {
                next.font = next.layoutFont = variable;
            }
        } else {
            axis = LGPrefsDouble(kLGClockVariableFontHeightKey, kLGClockVariableFontDefaultHeight);
        }
        if (!next.font) next.font = LGClockDisplayFont(label.get(), host.get());
        overlayFrame = LGClockLegacyGlassFrame(text, next.font, next.layoutFont, frameRect);
        next.alignment = 1;
    } else {
        // Pass 1 (modern): the even-rounded place, room below it, the font, the frame.
        frameRect = LGClockEvenRect(raised(inContainer));
        nearest = evenTop(LGClockNearestNotificationTop(host, container, frameRect));
        axis = LGClockDynamicHeightAxis(label, host, container, frameRect);
        if (LGPrefsBool(kLGClockVariableFontEnabledKey, kLGClockVariableFontEnabledDefault)) {
            if (text::FontRef variable = LGClockVariableFont(variableFontSize(sourceFont), axis)) {
                next.font = next.layoutFont = variable;
            }
        }
        if (!next.font) next.font = LGClockDisplayFont(label.get(), host.get());
        next.alignment = int(label->textAlignment());
        overlayFrame =
            LGClockGlassFrame(text, next.font, next.layoutFont, next.alignment, frameRect);
        next.attributedText = label->attributedText();
        next.topInset = std::max(label->bounds().minY(), 0.0);
    }

    // Pass 2: record, re-read the settings, show.
    sourceLabel_ = label;
    cachedSourceFrameInContainer_ = frameRect;
    cachedNearestNotificationTop_ = nearest;
    cachedDynamicHeightAxis_ = axis;
    applyGlassParameters(host);
    display_ = std::move(next);
    displaySourceFont_ = label->font();
    setFrame(overlayFrame);
    setHidden(text.empty());
    setNeedsLayout();
}

bool LGClockGlassView::labelDiffers(const ui::Label& label) const {
    if (label.text() != display_.text) return true;
    // Legacy clocks never record the label's styled text (the line is drawn in the clock's own
    // font), so it is no reason to re-synchronise them.
    if (!LGClockIsLegacyHost(clockHost_.lock().get())) {
        const auto styled = label.attributedText();
        if (display_.attributedText || styled) {
            const text::AttributedString empty;
            const text::AttributedString& mine =
                display_.attributedText ? *display_.attributedText : empty;
            if (!(mine == (styled ? *styled : empty))) return true;
        }
        if (int(label.textAlignment()) != display_.alignment) return true;
        if (std::abs(display_.topInset - std::max(label.bounds().minY(), 0.0)) > kInsetTolerance) {
            return true;
        }
    }
    const text::FontRef labelFont = label.font() ? label.font() : LGClockFallbackFont();
    return !lg_fontObjectEquivalentTo(
        displaySourceFont_ ? displaySourceFont_ : LGClockFallbackFont(), labelFont);
}

void LGClockGlassView::idleAtLowRate() {
    LGDisplayLinkClient& client = LGClockDisplayLinkClient();
    if (dispatch::now() >= LGClockBusyDeadline() && client.displayLink) {
        LGDisplayLinkSetFramesPerSecond(&client, 1);
    }
}

void LGClockGlassView::refreshForDisplayLink() {
    const std::shared_ptr<ui::Label> label = sourceLabel_.lock();
    const std::shared_ptr<ui::View> host = clockHost_.lock();
    const std::shared_ptr<ui::View> parent = superview();
    if (!label || !parent || !host || !host->window()) return;
    const bool differs = labelDiffers(*label);

    if (!LGClockIsModernHost(host.get())) {
        // The legacy clock is followed by its label's place alone, compared as it is recorded.
        const base::Rect r = raised(label->convertRect(label->bounds(), parent.get()));
        if (!differs && !lg_rectDiffersFromRect(cachedSourceFrameInContainer_, r)) {
            refreshWallpaperSource();
            idleAtLowRate();
            return;
        }
        LGClockMarkBusy(kBusyAfterChange);
        syncFromSourceLabel(label);
        layoutIfNeeded();
        return;
    }

    const double now = dispatch::now();
    if (differs) {
        lastRelaxedDynamicCheckTimestamp_ = 0;
        fullCheck(label, true);
        return;
    }
    auto lightStep = [this] {
        refreshWallpaperSource();
        idleAtLowRate();
    };
    if (cachedNearestNotificationTop_ == kLGClockNoNotificationTop) {
        if (lastIdleDynamicCheckTimestamp_ > 0 &&
            now - lastIdleDynamicCheckTimestamp_ < kIdleCheckInterval) {
            lightStep();
            return;
        }
        lastIdleDynamicCheckTimestamp_ = now;
        lastRelaxedDynamicCheckTimestamp_ = 0;
    } else if (frame().maxY() + kRelaxedClearance <=
               cachedNearestNotificationTop_ - kRelaxedMargin) {
        if (lastRelaxedDynamicCheckTimestamp_ > 0 &&
            now - lastRelaxedDynamicCheckTimestamp_ < kRelaxedCheckInterval) {
            lightStep();
            return;
        }
        lastRelaxedDynamicCheckTimestamp_ = now;
    } else {
        lastRelaxedDynamicCheckTimestamp_ = 0;
    }
    fullCheck(label, false);
}

void LGClockGlassView::fullCheck(const std::shared_ptr<ui::Label>& label, bool differed) {
    const std::shared_ptr<ui::View> host = clockHost_.lock();
    const std::shared_ptr<ui::View> container = containerFor(host, label, label->font());
    const base::Rect frameRect =
        LGClockEvenRect(raised(label->convertRect(label->bounds(), container.get())));
    const double nearest = evenTop(LGClockNearestNotificationTop(host, container, frameRect));
    const double axis =
        label->font() ? LGClockDynamicHeightAxis(label, host, container, frameRect) : 0;

    if (differed || std::abs(cachedDynamicHeightAxis_ - axis) > kAxisTolerance) {
        LGClockMarkBusy(kBusyAfterChange);
        syncFromSourceLabel(label);
        layoutIfNeeded();
        return;
    }
    if (lg_rectDiffersFromRect(cachedSourceFrameInContainer_, frameRect)) {
        // Moved, nothing else: a new frame without a new mask.
        LGClockMarkBusy(kBusyAfterChange);
        const base::Rect newFrame =
            LGClockGlassFrame(display_.text, display_.font ? display_.font : label->font(),
                              display_.layoutFont, display_.alignment, frameRect);
        cachedSourceFrameInContainer_ = frameRect;
        cachedNearestNotificationTop_ = nearest;
        cachedDynamicHeightAxis_ = axis;
        if (frame() != newFrame) {
            setFrame(newFrame);
            if (glassView_) glassView_->setFrame(bounds());
            tintView_->setFrame(bounds());
        }
        refreshWallpaperSource();
        return;
    }
    refreshWallpaperSource();
    idleAtLowRate();
}
