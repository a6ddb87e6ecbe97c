#include "settings/controls/LGSwitchInsetShadowView.h"

#include "settings/controls/LGInsetShadowView.h"

QV_DEFINE_CLASS(LGSwitchInsetShadowView, "LGSwitchInsetShadowView");

void LGSwitchInsetShadowView::registerMethods(
    runtime::MethodList<LGSwitchInsetShadowView>& methods) {
    methods.add<&LGSwitchInsetShadowView::layoutInsetShadow>(kLayoutSubviews);
}

LGSwitchInsetShadowView::LGSwitchInsetShadowView(const base::Rect& frame) : View(frame) {
    LGConfigureInsetShadowView(*this);
}

std::shared_ptr<LGSwitchInsetShadowView> LGSwitchInsetShadowView::create(const base::Rect& frame) {
    return std::make_shared<LGSwitchInsetShadowView>(frame);
}

void LGSwitchInsetShadowView::layoutInsetShadow() {
    kLayoutSubviews.sendSuper(this);
    LGLayoutInsetShadow(*this);
}
