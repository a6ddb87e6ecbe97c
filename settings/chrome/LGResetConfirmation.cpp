#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "settings/chrome/LGPageChrome.h"
#include "settings/chrome/detail/LGResetConfirmationView.h"
#include "support/LGSharedSupport.h"

void LGPresentResetConfirmation(const std::shared_ptr<ui::ViewController>& page,
                                std::string message, runtime::SEL action) {
    LGAssertMainThread();
    // A page whose view was never loaded is in no window either; asking for the view would load
    // it only to show nothing.
    if (!page || !page->isViewLoaded()) return;
    const std::shared_ptr<ui::View> view = page->viewIfLoaded();
    if (!view->window()) return;

    // One card per page: a second tap on the reset button replaces the first card.
    for (auto stale = view->viewWithTag(kLGResetConfirmationTag); stale && stale != view;
         stale = view->viewWithTag(kLGResetConfirmationTag)) {
        stale->removeFromSuperview();
    }

    auto overlay = LGResetConfirmationView::create(view->bounds(), page, message, action);
    view->addSubview(overlay);
    overlay->animateIn();
}
