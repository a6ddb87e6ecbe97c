#pragma once

#include <memory>

#include "glass/LiquidGlassView.h"

// The glass of the settings controls: a rounded rectangle of glass over a picture the control
// draws itself (its "source"), not over the wallpaper. Only the vocabulary differs from
// LiquidGlassView: the source is the base's wallpaper, and the view belongs to update group 0.
//
// Main thread only.
class LGSharedGlassView : public LiquidGlassView {
    QV_OBJECT(LGSharedGlassView, LiquidGlassView);

  public:
    // A glass view of `frame` (points) over `sourceImage`, whose top-left corner lies at
    // `sourceOrigin` in screen points. nullptr when the process has no GPU context.
    static std::shared_ptr<LGSharedGlassView> create(const base::Rect& frame,
                                                     graphics::ImageRef sourceImage,
                                                     base::Point sourceOrigin);

    using LiquidGlassView::LiquidGlassView;

    const graphics::ImageRef& sourceImage() const { return wallpaperImage(); }
    void setSourceImage(graphics::ImageRef image) { setWallpaperImage(std::move(image)); }
    base::Point sourceOrigin() const { return wallpaperOrigin(); }
    void setSourceOrigin(base::Point origin) { setWallpaperOrigin(origin); }
    double sourceScale() const { return wallpaperScale(); }
    void setSourceScale(double scale) { setWallpaperScale(scale); }
    bool releasesSourceAfterUpload() const { return releasesWallpaperAfterUpload(); }
    void setReleasesSourceAfterUpload(bool releases) { setReleasesWallpaperAfterUpload(releases); }
};
