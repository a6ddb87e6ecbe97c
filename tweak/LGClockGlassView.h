#pragma once

#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "glass/LiquidGlassView.h"
#include "platform/base/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/text/AttributedString.h"
#include "platform/text/Font.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "tweak/LGClockMask.h"

// The glass clock laid over the system's clock label ("LGClockGlassView").
//
// It copies the label's text, font, alignment and position, grows its frame around the text so
// that the glass never cuts a glyph, and shows a glass view refracting the wallpaper inside the
// text's shape, with a tint view above it masked by the same shape. Every display-link tick it
// checks cheaply whether anything changed and only then re-synchronises; while nothing changes
// it lets the clock's tick fall to one per second. It shrinks the variable font's height axis
// while a notification below the clock leaves too little room.
//
// The overlay is owned by its host (an attached value) and holds the host and the label weakly.
// Main thread only.
class LGClockGlassView : public ui::View {
    QV_OBJECT(LGClockGlassView, ui::View);

  public:
    // initWithFrame: takes the current wallpaper and the glass parameters from the preferences.
    static std::shared_ptr<LGClockGlassView> create(const base::Rect& frame);
    LGClockGlassView();

    // Re-reads everything from the label and lays the overlay out. Nothing without a label.
    void syncFromSourceLabel(const std::shared_ptr<ui::Label>& label);
    // The per-tick check.
    void refreshForDisplayLink();

    std::shared_ptr<ui::View> clockHost() const { return clockHost_.lock(); }
    void setClockHost(const std::shared_ptr<ui::View>& host) { clockHost_ = host; }
    std::shared_ptr<ui::Label> sourceLabel() const { return sourceLabel_.lock(); }

    // The glass renderer view (nullptr when the process has no GPU) and the tint view above it.
    const std::shared_ptr<LiquidGlassView>& glassView() const { return glassView_; }
    const std::shared_ptr<ui::View>& tintView() const { return tintView_; }

    // What is shown, as copied at the last synchronisation.
    const std::string& displayText() const { return display_.text; }
    const std::optional<text::AttributedString>& displayAttributedText() const {
        return display_.attributedText;
    }
    const text::FontRef& displayFont() const { return display_.font; }
    const text::FontRef& displaySourceFont() const { return displaySourceFont_; }
    const text::FontRef& displayCTFont() const { return display_.layoutFont; }
    int displayAlignment() const { return display_.alignment; }
    double displayTopInset() const { return display_.topInset; }

    base::Rect cachedSourceFrameInContainer() const { return cachedSourceFrameInContainer_; }
    double cachedNearestNotificationTop() const { return cachedNearestNotificationTop_; }
    double cachedDynamicHeightAxis() const { return cachedDynamicHeightAxis_; }
    const graphics::ImageRef& cachedMaskImage() const { return cachedMaskImage_; }
    const graphics::ImageRef& cachedWallpaperImage() const { return cachedWallpaperImage_; }

    // The mask of the clock's text (see LGClockMask.h) for the overlay's host.
    text::AttributedString lg_maskAttributedString() const;
    graphics::ImageRef lg_maskImageForBounds(const base::Rect& rect) const;

    // Rects differ when an edge or size differs by more than half a point.
    static bool lg_rectDiffersFromRect(const base::Rect& a, const base::Rect& b);
    // The same object, or both absent, or equal fonts.
    static bool lg_fontObjectEquivalentTo(const text::FontRef& a, const text::FontRef& b);
    // Both empty or absent, or equal; one present and one absent differ.
    static bool lg_attributedStringEqualTo(const std::optional<text::AttributedString>& a,
                                           const std::optional<text::AttributedString>& b);

  private:
    static void registerMethods(runtime::MethodList<LGClockGlassView>& methods);
    void setUp(const base::Rect& frame);
    void layoutOverlay();

    // The host of this overlay: clockHost, else the first host at or above the superview.
    std::shared_ptr<ui::View> resolvedHost() const;
    // The container the overlay lives in: its superview, else the host's container.
    std::shared_ptr<ui::View> containerFor(const std::shared_ptr<ui::View>& host,
                                           const std::shared_ptr<ui::Label>& label,
                                           const text::FontRef& font) const;
    void applyGlassParameters(const std::shared_ptr<ui::View>& host);
    bool lg_updateWallpaperSourceIfNeeded();
    void refreshWallpaperSource();
    bool lg_maskNeedsRebuildForBounds(const base::Rect& bounds) const;
    void lg_updateMask();
    void showMaskOnTintView();
    // Whether the label shows something other than what was copied at the last synchronisation.
    bool labelDiffers(const ui::Label& label) const;
    void fullCheck(const std::shared_ptr<ui::Label>& label, bool differed);
    void idleAtLowRate();

    std::shared_ptr<LiquidGlassView> glassView_;
    std::shared_ptr<ui::View> tintView_;
    LGClockDisplayState display_;
    text::FontRef displaySourceFont_;
    std::weak_ptr<ui::View> clockHost_;
    std::weak_ptr<ui::Label> sourceLabel_;

    base::Rect cachedSourceFrameInContainer_;
    double cachedNearestNotificationTop_ = std::numeric_limits<double>::max();
    double lastIdleDynamicCheckTimestamp_ = 0;
    double lastRelaxedDynamicCheckTimestamp_ = 0;
    double cachedDynamicHeightAxis_ = 0;

    // What the current mask was drawn from.
    base::Rect cachedMaskBounds_;
    LGClockDisplayState cachedMask_;
    graphics::ImageRef cachedMaskImage_;

    graphics::ImageRef cachedWallpaperImage_;
    base::Point cachedWallpaperOrigin_;
    bool hasCachedWallpaperOrigin_ = false;
};

// The variable font's height axis that keeps the clock's glyphs 10 points above the nearest
// notification below them: "Quorvane.Clock.VariableFont.Height" when there is room (or no
// notification, or the variable font does not apply), else the tallest value an eight-round
// binary search finds, never below the axis floor (at least 100).
double LGClockDynamicHeightAxis(const std::shared_ptr<ui::Label>& label,
                                const std::shared_ptr<ui::View>& host,
                                const std::shared_ptr<ui::View>& container, const base::Rect& rect);

// Each finite component rounded to an even number of points (halves away from zero); a null or
// infinite rect unchanged.
base::Rect LGClockEvenRect(const base::Rect& rect);
