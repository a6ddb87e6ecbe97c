#pragma once

#include <memory>

#include "platform/ui/View.h"

// The switch's glass thumb's inner shadow; it looks exactly like the slider's (LGInsetShadowView)
// but is its own class, so either can be restyled without the other.
class LGSwitchInsetShadowView : public ui::View {
    QV_OBJECT(LGSwitchInsetShadowView, ui::View);

  public:
    static std::shared_ptr<LGSwitchInsetShadowView> create(const base::Rect& frame = {});
    explicit LGSwitchInsetShadowView(const base::Rect& frame = {});

  private:
    static void registerMethods(runtime::MethodList<LGSwitchInsetShadowView>& methods);
    void layoutInsetShadow();
};
