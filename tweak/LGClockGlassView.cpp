#include "tweak/LGClockGlassView.h"

#include <cmath>

#include "glass/LGWallpaperSnapshot.h"
#include "platform/ui/ImageView.h"
#include "support/LGSharedSupport.h"
#include "tweak/LGClockFonts.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGClockPreferences.h"
#include "tweak/LGClockWallpaper.h"

QV_DEFINE_CLASS(LGClockGlassView, "LGClockGlassView");

namespace {

constexpr double kRectTolerance = 0.5;
constexpr double kOriginTolerance = 0.001;
constexpr double kInsetTolerance = 0.01;

const ui::AutoresizingMask kFlexibleSize =
    ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight;

bool near(base::Point a, base::Point b) {
    return std::abs(a.x - b.x) <= kOriginTolerance && std::abs(a.y - b.y) <= kOriginTolerance;
}

}  // namespace

void LGClockGlassView::registerMethods(runtime::MethodList<LGClockGlassView>& methods) {
    methods.add<&LGClockGlassView::layoutOverlay>(kLayoutSubviews);
}

LGClockGlassView::LGClockGlassView() = default;

std::shared_ptr<LGClockGlassView> LGClockGlassView::create(const base::Rect& frame) {
    auto view = std::make_shared<LGClockGlassView>();
    view->setUp(frame);
    return view;
}

void LGClockGlassView::setUp(const base::Rect& frame) {
    setFrame(frame);
    setUserInteractionEnabled(false);
    setBackgroundColor(base::Color::clear());

    // Pass 1: the glass over the current wallpaper, in the clock's update group.
    const graphics::ImageRef wallpaper = LGClockCurrentWallpaper();
    const base::Point origin = LGWallpaperSnapshotOrigin();
    glassView_ = LiquidGlassView::create(bounds(), wallpaper, origin);
    if (glassView_) {
        glassView_->setAutoresizingMask(kFlexibleSize);
        glassView_->setCornerRadius(0);
        applyGlassParameters(nullptr);
        glassView_->setReleasesWallpaperAfterUpload(true);
        glassView_->setUpdateGroup(LiquidGlassView::kClockUpdateGroup);
        addSubview(glassView_);
    }
    cachedWallpaperImage_ = wallpaper;
    cachedWallpaperOrigin_ = origin;
    hasCachedWallpaperOrigin_ = true;

    // Pass 2: the tint above it, masked later by the text.
    tintView_ = ui::View::create(bounds());
    tintView_->setAutoresizingMask(kFlexibleSize);
    tintView_->setUserInteractionEnabled(false);
    tintView_->setBackgroundColor(LGClockTintColor(this));
    addSubview(tintView_);
}

void LGClockGlassView::applyGlassParameters(const std::shared_ptr<ui::View>& host) {
    if (glassView_) {
        glassView_->setBezelWidth(LGPrefsDouble(kLGClockBezelWidthKey, kLGClockBezelWidthDefault));
        glassView_->setGlassThickness(
            LGPrefsDouble(kLGClockGlassThicknessKey, kLGClockGlassThicknessDefault));
        glassView_->setRefractionScale(
            LGPrefsDouble(kLGClockRefractionScaleKey, kLGClockRefractionScaleDefault));
        glassView_->setRefractiveIndex(
            LGPrefsDouble(kLGClockRefractiveIndexKey, kLGClockRefractiveIndexDefault));
        glassView_->setSpecularOpacity(
            LGPrefsDouble(kLGClockSpecularOpacityKey, kLGClockSpecularOpacityDefault));
        glassView_->setBlur(LGPrefsDouble(kLGClockBlurKey, kLGClockBlurDefault));
        glassView_->setWallpaperScale(
            LGPrefsDouble(kLGClockWallpaperScaleKey, kLGClockWallpaperScaleDefault));
    }
    if (tintView_) tintView_->setBackgroundColor(LGClockTintColor(host ? host.get() : this));
}

void LGClockGlassView::layoutOverlay() {
    kLayoutSubviews.sendSuper(this);
    if (glassView_) glassView_->setFrame(bounds());
    tintView_->setFrame(bounds());
    if (lg_updateWallpaperSourceIfNeeded() && glassView_) glassView_->updateOrigin();
    lg_updateMask();
}

// ---- Wallpaper ----------------------------------------------------------------------------------

bool LGClockGlassView::lg_updateWallpaperSourceIfNeeded() {
    const graphics::ImageRef image = LGClockCurrentWallpaper();
    const base::Point origin = LGWallpaperSnapshotOrigin();
    bool changed = false;
    if (image != cachedWallpaperImage_) {
        cachedWallpaperImage_ = image;
        if (glassView_) glassView_->setWallpaperImage(image);
        changed = true;
    }
    const base::Point glassOrigin = glassView_ ? glassView_->wallpaperOrigin() : origin;
    if (hasCachedWallpaperOrigin_ && near(cachedWallpaperOrigin_, origin) &&
        near(glassOrigin, origin)) {
        return changed;
    }
    cachedWallpaperOrigin_ = origin;
    hasCachedWallpaperOrigin_ = true;
    if (glassView_) glassView_->setWallpaperOrigin(origin);
    return true;
}

void LGClockGlassView::refreshWallpaperSource() {
    if (lg_updateWallpaperSourceIfNeeded() && glassView_) glassView_->updateOrigin();
}

// ---- Comparisons --------------------------------------------------------------------------------

bool LGClockGlassView::lg_rectDiffersFromRect(const base::Rect& a, const base::Rect& b) {
    return std::abs(a.minX() - b.minX()) > kRectTolerance ||
           std::abs(a.minY() - b.minY()) > kRectTolerance ||
           std::abs(a.width() - b.width()) > kRectTolerance ||
           std::abs(a.height() - b.height()) > kRectTolerance;
}

bool LGClockGlassView::lg_fontObjectEquivalentTo(const text::FontRef& a, const text::FontRef& b) {
    if (a == b) return true;
    if (!a || !b) return false;
    return *a == *b;
}

bool LGClockGlassView::lg_attributedStringEqualTo(const std::optional<text::AttributedString>& a,
                                                  const std::optional<text::AttributedString>& b) {
    const bool aEmpty = !a || a->empty();
    const bool bEmpty = !b || b->empty();
    if (aEmpty && bEmpty) return true;
    if (!a || !b) return false;
    return *a == *b;
}

// ---- Mask ---------------------------------------------------------------------------------------

std::shared_ptr<ui::View> LGClockGlassView::resolvedHost() const {
    if (auto host = clockHost_.lock()) return host;
    for (auto v = superview(); v; v = v->superview()) {
        if (LGClockIsHost(v.get())) return v;
    }
    return nullptr;
}

text::AttributedString LGClockGlassView::lg_maskAttributedString() const {
    return LGClockMaskAttributedString(display_);
}

graphics::ImageRef LGClockGlassView::lg_maskImageForBounds(const base::Rect& rect) const {
    const std::shared_ptr<ui::View> host = resolvedHost();
    return LGClockMaskImage(display_, rect, host.get());
}

bool LGClockGlassView::lg_maskNeedsRebuildForBounds(const base::Rect& bounds) const {
    return !cachedMaskImage_ || lg_rectDiffersFromRect(cachedMaskBounds_, bounds) ||
           cachedMask_.text != display_.text ||
           !lg_attributedStringEqualTo(cachedMask_.attributedText, display_.attributedText) ||
           !lg_fontObjectEquivalentTo(cachedMask_.font, display_.font) ||
           !lg_fontObjectEquivalentTo(cachedMask_.layoutFont, display_.layoutFont) ||
           cachedMask_.alignment != display_.alignment ||
           std::abs(cachedMask_.topInset - display_.topInset) > kInsetTolerance;
}

void LGClockGlassView::showMaskOnTintView() {
    auto mask = ui::ImageView::create(tintView_->bounds());
    mask->setAutoresizingMask(kFlexibleSize);
    mask->setImage(cachedMaskImage_);
    tintView_->setMaskView(mask);
}

void LGClockGlassView::lg_updateMask() {
    const base::Rect b = bounds();
    if (!lg_maskNeedsRebuildForBounds(b)) {
        if (glassView_ && glassView_->shapeMaskImage() != cachedMaskImage_) {
            glassView_->setShapeMaskImage(cachedMaskImage_);
        }
        // A tint mask only exists for an image; without one the overlay is hidden anyway.
        if (cachedMaskImage_ && (!tintView_->maskView())) showMaskOnTintView();
        setHidden(!cachedMaskImage_);
        return;
    }
    graphics::ImageRef image = lg_maskImageForBounds(b);
    if (!image) {
        cachedMaskImage_ = nullptr;
        if (glassView_ && glassView_->shapeMaskImage()) glassView_->setShapeMaskImage(nullptr);
        tintView_->setMaskView(nullptr);
        setHidden(true);
        return;
    }
    cachedMaskImage_ = image;
    cachedMaskBounds_ = b;
    cachedMask_ = display_;
    if (glassView_ && glassView_->shapeMaskImage() != image) glassView_->setShapeMaskImage(image);
    showMaskOnTintView();
    setHidden(false);
}
