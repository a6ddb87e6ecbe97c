#pragma once

#include <memory>

#include "platform/ui/View.h"

// The inner shadow of a glass thumb: a view filling the thumb whose layer casts the shadow of a
// ring (a capsule slightly larger than the bounds with a slightly smaller one cut out), so the
// shadow falls inward along the rim and the thumb, which clips, shows only that. It multiplies
// onto the glass rather than covering it.
class LGInsetShadowView : public ui::View {
    QV_OBJECT(LGInsetShadowView, ui::View);

  public:
    static std::shared_ptr<LGInsetShadowView> create(const base::Rect& frame = {});
    explicit LGInsetShadowView(const base::Rect& frame = {});

  private:
    static void registerMethods(runtime::MethodList<LGInsetShadowView>& methods);
    void layoutInsetShadow();
};

// The shared look of both inset shadow views, for their initialisers and layouts.
void LGConfigureInsetShadowView(ui::View& view);
void LGLayoutInsetShadow(ui::View& view);
