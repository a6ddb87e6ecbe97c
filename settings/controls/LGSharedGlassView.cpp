#include "settings/controls/LGSharedGlassView.h"

#include "glass/LGGlassContext.h"
#include "support/LGSharedSupport.h"

QV_DEFINE_CLASS(LGSharedGlassView, "LGSharedGlassView");

std::shared_ptr<LGSharedGlassView> LGSharedGlassView::create(const base::Rect& frame,
                                                             graphics::ImageRef sourceImage,
                                                             base::Point sourceOrigin) {
    LGAssertMainThread();
    if (!LGGlassContextEnsure()) return nullptr;
    auto view = std::make_shared<LGSharedGlassView>(frame);
    if (!view->setUpGlass(std::move(sourceImage), sourceOrigin)) return nullptr;
    view->setUpdateGroup(0);
    return view;
}
