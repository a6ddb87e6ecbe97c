#include "platform/ui/VisualEffectView.h"

#include "platform/ui/Layer.h"

namespace ui {

QV_DEFINE_CLASS(VisualEffectView, "UIVisualEffectView");

double BlurEffect::blurRadius() const {
    switch (style) {
        case BlurEffectStyle::SystemUltraThinMaterial:
            return 12;
        case BlurEffectStyle::SystemThinMaterial:
            return 18;
        case BlurEffectStyle::SystemMaterial:
        case BlurEffectStyle::SystemChromeMaterial:
            return 24;
        case BlurEffectStyle::SystemThickMaterial:
            return 30;
        case BlurEffectStyle::Light:
        case BlurEffectStyle::Dark:
            return 20;
    }
    return 24;
}

base::Color BlurEffect::tintColor() const {
    const auto pair = [](double lightWhite, double lightAlpha, double darkWhite, double darkAlpha) {
        return base::Color::dynamic(base::Color::white(lightWhite, lightAlpha),
                                    base::Color::white(darkWhite, darkAlpha));
    };
    switch (style) {
        case BlurEffectStyle::SystemUltraThinMaterial:
            return pair(0.97, 0.35, 0.15, 0.35);
        case BlurEffectStyle::SystemThinMaterial:
            return pair(0.97, 0.55, 0.13, 0.55);
        case BlurEffectStyle::SystemMaterial:
            return pair(0.97, 0.72, 0.12, 0.72);
        case BlurEffectStyle::SystemThickMaterial:
            return pair(0.97, 0.86, 0.11, 0.86);
        case BlurEffectStyle::SystemChromeMaterial:
            return pair(0.96, 0.78, 0.13, 0.78);
        case BlurEffectStyle::Light:
            return base::Color::white(1, 0.3);
        case BlurEffectStyle::Dark:
            return base::Color::white(0.1, 0.5);
    }
    return {};
}

void VisualEffectView::registerMethods(runtime::MethodList<VisualEffectView>& methods) {
    methods.add<&VisualEffectView::layoutEffect>(kLayoutSubviews);
}

VisualEffectView::VisualEffectView() : VisualEffectView(std::nullopt) {}

VisualEffectView::VisualEffectView(std::optional<BlurEffect> effect) : effect_(effect) {
    contentView_ = View::create();
    // Sized with the effect view at once, so that touches reach the content before any layout.
    contentView_->setAutoresizingMask(AutoresizingMask::FlexibleWidth |
                                      AutoresizingMask::FlexibleHeight);
    addSubview(contentView_);
    apply();
}

std::shared_ptr<VisualEffectView> VisualEffectView::create(std::optional<BlurEffect> effect) {
    return std::make_shared<VisualEffectView>(effect);
}

void VisualEffectView::setEffect(std::optional<BlurEffect> effect) {
    if (effect.has_value() == effect_.has_value() && (!effect || effect->style == effect_->style)) {
        return;
    }
    effect_ = effect;
    apply();
}

void VisualEffectView::apply() {
    layer()->setBackdropBlurRadius(effect_ ? effect_->blurRadius() : 0);
    setBackgroundColor(effect_ ? effect_->tintColor() : base::Color::clear());
}

void VisualEffectView::layoutEffect() {
    contentView_->setFrame(bounds());
}

}  // namespace ui
