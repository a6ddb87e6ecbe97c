#include "platform/ui/NavigationItem.h"
#include "platform/ui/SymbolImage.h"
#include "settings/chrome/LGPageChrome.h"

void LGApplyTransparentNavigationBar(ui::NavigationItem& item) {
    ui::NavigationBarAppearance appearance;
    appearance.configureWithTransparentBackground();
    appearance.backgroundColor = base::Color::clear();
    appearance.shadowColor = base::Color::clear();
    item.setStandardAppearance(appearance);
    item.setScrollEdgeAppearance(appearance);
    item.setCompactAppearance(appearance);
    item.setCompactScrollEdgeAppearance(appearance);
}

void LGInstallCustomBackButton(ui::NavigationItem& item,
                               const std::shared_ptr<runtime::Object>& target,
                               runtime::SEL action) {
    item.setHidesBackButton(true);
    graphics::ImageRef chevron = ui::systemImage("chevron.left");
    // Without the symbol font the button still has to be there to leave the page.
    auto button =
        chevron ? ui::BarButtonItem::create(std::move(chevron), ui::BarButtonItemStyle::Plain,
                                            target, action)
                : ui::BarButtonItem::create("‹", ui::BarButtonItemStyle::Plain, target, action);
    item.setLeftBarButtonItem(std::move(button));
}

std::shared_ptr<ui::BarButtonItem> LGResetBarButtonItem(
    std::string title, const std::shared_ptr<runtime::Object>& target, runtime::SEL action) {
    if (title.empty()) title = kLGResetButtonTitle;
    return ui::BarButtonItem::create(std::move(title), ui::BarButtonItemStyle::Plain, target,
                                     action);
}
