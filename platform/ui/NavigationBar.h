#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/NavigationItem.h"
#include "platform/ui/View.h"

namespace ui {

class Button;
class Label;

// The bar at the top of a navigation controller ("UINavigationBar"): the top item's title in the
// middle, its left items (or a back button to the item beneath, unless the top item hides it)
// on the left, its right items on the right, over the background of the appearance in force:
// the top item's standard appearance, else the bar's.
class NavigationBar : public View {
    QV_OBJECT(NavigationBar, View);

  public:
    static constexpr double kHeight = 44;

    NavigationBar();
    ~NavigationBar() override;
    static std::shared_ptr<NavigationBar> create();

    const std::vector<std::shared_ptr<NavigationItem>>& items() const { return items_; }
    void setItems(std::vector<std::shared_ptr<NavigationItem>> items);
    std::shared_ptr<NavigationItem> topItem() const;
    std::shared_ptr<NavigationItem> backItem() const;

    const NavigationBarAppearance& standardAppearance() const { return standard_; }
    void setStandardAppearance(const NavigationBarAppearance& appearance);
    NavigationBarAppearance effectiveAppearance() const;

    // Run when the back button is tapped (the navigation controller pops).
    void setBackHandler(std::function<void()> handler) { backHandler_ = std::move(handler); }

    // The parts, for scripts and tests.
    const std::shared_ptr<Label>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<Button>& backButton() const { return backButton_; }
    const std::vector<std::shared_ptr<Button>>& leftButtons() const { return leftButtons_; }
    const std::vector<std::shared_ptr<Button>>& rightButtons() const { return rightButtons_; }

    void itemDidChange(NavigationItem& item);
    base::Size intrinsicContentSize() const override { return {kNoIntrinsicMetric, kHeight}; }

  private:
    static void registerMethods(runtime::MethodList<NavigationBar>& methods);
    void layoutBar();
    void rebuild();
    std::shared_ptr<Button> buttonFor(const std::shared_ptr<BarButtonItem>& item);

    std::vector<std::shared_ptr<NavigationItem>> items_;
    NavigationBarAppearance standard_;
    std::function<void()> backHandler_;
    std::shared_ptr<VisualEffectView> background_;
    std::shared_ptr<View> hairline_;
    std::shared_ptr<Label> titleLabel_;
    std::shared_ptr<Button> backButton_;
    std::vector<std::shared_ptr<Button>> leftButtons_;
    std::vector<std::shared_ptr<Button>> rightButtons_;
};

}  // namespace ui
