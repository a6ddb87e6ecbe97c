#include "settings/controls/LGInsetShadowView.h"

#include "platform/graphics/Path.h"
#include "platform/ui/Layer.h"

QV_DEFINE_CLASS(LGInsetShadowView, "LGInsetShadowView");

namespace {

// How far the ring's outer edge lies outside the bounds, and its inner edge inside them.
constexpr double kOuterGrowX = 1;
constexpr double kOuterGrowY = 1.75;
constexpr double kInnerShrinkY = 1.925;

}  // namespace

void LGConfigureInsetShadowView(ui::View& view) {
    view.setUserInteractionEnabled(false);
    view.setBackgroundColor(base::Color::clear());
    view.layer()->setCompositingFilter("multiplyBlendMode");
}

void LGLayoutInsetShadow(ui::View& view) {
    const base::Rect b = view.bounds();
    const double radius = b.height() / 2;
    graphics::Path ring;
    ring.addRoundedRect(b.insetBy(-kOuterGrowX, -kOuterGrowY), radius);
    // The hole must wind the other way for the ring to stay open in the middle: mirroring the
    // capsule about its own horizontal centre line reverses it without moving it.
    graphics::Path hole;
    hole.addRoundedRect(b.insetBy(0, kInnerShrinkY), radius);
    const double mid = b.midY();
    ring.addPath(hole, base::AffineTransform::translation(0, -mid)
                           .concat(base::AffineTransform::scale(1, -1))
                           .concat(base::AffineTransform::translation(0, mid)));
    ui::Layer& layer = *view.layer();
    layer.setShadowPath(std::make_shared<graphics::Path>(std::move(ring)));
    layer.setShadowColor(base::Color::white(0, 1));
    layer.setShadowOpacity(0.18f);
    layer.setShadowRadius(3.5);
    layer.setShadowOffset({0, 2.625});
}

void LGInsetShadowView::registerMethods(runtime::MethodList<LGInsetShadowView>& methods) {
    methods.add<&LGInsetShadowView::layoutInsetShadow>(kLayoutSubviews);
}

LGInsetShadowView::LGInsetShadowView(const base::Rect& frame) : View(frame) {
    LGConfigureInsetShadowView(*this);
}

std::shared_ptr<LGInsetShadowView> LGInsetShadowView::create(const base::Rect& frame) {
    return std::make_shared<LGInsetShadowView>(frame);
}

void LGInsetShadowView::layoutInsetShadow() {
    kLayoutSubviews.sendSuper(this);
    LGLayoutInsetShadow(*this);
}
