#include "settings/chrome/LGTopFadeView.h"

#include "platform/ui/Layer.h"
#include "platform/ui/SystemColors.h"

QV_DEFINE_CLASS(LGTopFadeView, "LGTopFadeView");

void LGTopFadeView::registerMethods(runtime::MethodList<LGTopFadeView>& methods) {
    methods.add<&LGTopFadeView::layoutFade>(kLayoutSubviews)
        .add<&LGTopFadeView::traitsChangedFade>(kTraitCollectionDidChange);
}

LGTopFadeView::LGTopFadeView(const base::Rect& frame) : View(frame) {
    setUserInteractionEnabled(false);
    setBackgroundColor(base::Color::clear());
    gradientLayer_ = ui::GradientLayer::create();
    gradientLayer_->setStartPoint({0.5, 0});
    gradientLayer_->setEndPoint({0.5, 1});
    gradientLayer_->setFrame(bounds());
    layer()->addSublayer(gradientLayer_);
    lg_updateGradientColors();
}

std::shared_ptr<LGTopFadeView> LGTopFadeView::create(const base::Rect& frame) {
    return std::make_shared<LGTopFadeView>(frame);
}

void LGTopFadeView::lg_updateGradientColors() {
    // A layer holds concrete colours: the dynamic background is resolved for the appearance in
    // force now, which is why a light/dark switch has to recolour it.
    const base::Color background = traitCollection().resolve(ui::colors::systemBackground());
    std::vector<base::Color> colors;
    for (double alpha : kAlphas) colors.push_back(background.withAlpha(alpha));
    gradientLayer_->setColors(std::move(colors));
    gradientLayer_->setLocations({std::begin(kLocations), std::end(kLocations)});
}

void LGTopFadeView::layoutFade() {
    kLayoutSubviews.sendSuper(this);
    gradientLayer_->setFrame(bounds());
}

void LGTopFadeView::traitsChangedFade(ui::TraitCollection previous) {
    kTraitCollectionDidChange.sendSuper(this, previous);
    if (previous.userInterfaceStyle != traitCollection().userInterfaceStyle) {
        lg_updateGradientColors();
    }
}
