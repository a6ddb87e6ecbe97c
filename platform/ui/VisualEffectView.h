#pragma once

#include <memory>

#include "platform/ui/View.h"

namespace ui {

enum class BlurEffectStyle {
    SystemUltraThinMaterial,
    SystemThinMaterial,
    SystemMaterial,
    SystemThickMaterial,
    SystemChromeMaterial,
    Light,
    Dark,
};

// A blur material ("UIBlurEffect"): how far what lies behind is blurred and the tint laid over
// it, both following the light or dark appearance.
struct BlurEffect {
    BlurEffectStyle style = BlurEffectStyle::SystemMaterial;

    static BlurEffect effectWithStyle(BlurEffectStyle style) { return {style}; }
    // In points.
    double blurRadius() const;
    // A dynamic colour: the tint over the blurred backdrop.
    base::Color tintColor() const;
};

// A view that shows a blurred copy of what lies behind it, under its content view
// ("UIVisualEffectView"). The compositor blurs the pixels already drawn beneath the view's shape
// (its bounds, rounded by its corner radius): what windows and views below it show, not what a
// translucent ancestor group still has to composite.
class VisualEffectView : public View {
    QV_OBJECT(VisualEffectView, View);

  public:
    VisualEffectView();
    explicit VisualEffectView(std::optional<BlurEffect> effect);
    static std::shared_ptr<VisualEffectView> create(std::optional<BlurEffect> effect);

    const std::optional<BlurEffect>& effect() const { return effect_; }
    void setEffect(std::optional<BlurEffect> effect);
    // Put content here, not in the effect view itself.
    const std::shared_ptr<View>& contentView() const { return contentView_; }

  private:
    static void registerMethods(runtime::MethodList<VisualEffectView>& methods);
    void layoutEffect();
    void apply();

    std::optional<BlurEffect> effect_;
    std::shared_ptr<View> contentView_;
};

}  // namespace ui
