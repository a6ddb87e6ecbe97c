#pragma once

#include <memory>

#include "platform/ui/GradientLayer.h"
#include "platform/ui/View.h"

// A band that fades the page into the system background under a transparent navigation bar, so
// content scrolled up beneath the bar dissolves instead of colliding with its buttons. From top
// to bottom: the system background at alpha 0.98, 0.55 and 0, at 0, 0.45 and 1 of the height.
// It takes no touches. Its colours follow light and dark appearance. Main thread only.
class LGTopFadeView : public ui::View {
    QV_OBJECT(LGTopFadeView, ui::View);

  public:
    inline static constexpr double kAlphas[3] = {0.98, 0.55, 0.0};
    inline static constexpr double kLocations[3] = {0.0, 0.45, 1.0};

    explicit LGTopFadeView(const base::Rect& frame = {});
    static std::shared_ptr<LGTopFadeView> create(const base::Rect& frame);

    // The gradient drawn over the view's bounds.
    const std::shared_ptr<ui::GradientLayer>& gradientLayer() const { return gradientLayer_; }
    // Recolours the gradient for the view's current appearance.
    void lg_updateGradientColors();

  private:
    static void registerMethods(runtime::MethodList<LGTopFadeView>& methods);
    void layoutFade();
    void traitsChangedFade(ui::TraitCollection previous);

    std::shared_ptr<ui::GradientLayer> gradientLayer_;
};
