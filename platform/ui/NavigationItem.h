#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/Color.h"
#include "platform/graphics/Image.h"
#include "platform/runtime/Runtime.h"
#include "platform/text/Font.h"
#include "platform/ui/VisualEffectView.h"

namespace ui {

class Action;
class NavigationBar;

// How a navigation bar looks ("UINavigationBarAppearance"). A value.
struct NavigationBarAppearance {
    // A blur material with a hairline under it.
    void configureWithDefaultBackground();
    // A solid system background with a hairline.
    void configureWithOpaqueBackground();
    // Nothing behind the bar's content and no hairline.
    void configureWithTransparentBackground();

    std::optional<BlurEffect> backgroundEffect;
    base::Color backgroundColor;
    base::Color shadowColor;
    // The title's text attributes: font and colour (nullopt: 17-point semibold, label colour).
    std::optional<text::FontRef> titleFont;
    std::optional<base::Color> titleColor;

    NavigationBarAppearance() { configureWithDefaultBackground(); }
};

enum class BarButtonItemStyle { Plain = 0, Done = 2 };

// A button of a navigation bar ("UIBarButtonItem"). Its target is held weakly; tapping it sends
// the action (with or without the item as sender) or runs its primary action.
class BarButtonItem : public runtime::Object {
    QV_OBJECT(BarButtonItem, runtime::Object);

  public:
    static std::shared_ptr<BarButtonItem> create(std::string title, BarButtonItemStyle style,
                                                 const std::shared_ptr<runtime::Object>& target,
                                                 runtime::SEL action);
    static std::shared_ptr<BarButtonItem> create(graphics::ImageRef image, BarButtonItemStyle style,
                                                 const std::shared_ptr<runtime::Object>& target,
                                                 runtime::SEL action);
    static std::shared_ptr<BarButtonItem> create(std::string title,
                                                 std::shared_ptr<Action> primaryAction);
    BarButtonItem() = default;

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    const graphics::ImageRef& image() const { return image_; }
    void setImage(graphics::ImageRef image) { image_ = std::move(image); }
    BarButtonItemStyle style() const { return style_; }
    void setStyle(BarButtonItemStyle style) { style_ = style; }
    std::shared_ptr<runtime::Object> target() const { return target_.lock(); }
    runtime::SEL action() const { return action_; }
    void setTarget(const std::shared_ptr<runtime::Object>& target, runtime::SEL action) {
        target_ = target;
        action_ = action;
    }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    std::optional<base::Color> tintColor() const { return tint_; }
    void setTintColor(std::optional<base::Color> color) { tint_ = std::move(color); }

    // What a tap does. False when there was nothing to run.
    bool performTap();

  private:
    std::string title_;
    graphics::ImageRef image_;
    BarButtonItemStyle style_ = BarButtonItemStyle::Plain;
    std::weak_ptr<runtime::Object> target_;
    runtime::SEL action_;
    std::shared_ptr<Action> primaryAction_;
    std::optional<base::Color> tint_;
    bool enabled_ = true;
};

// What a navigation bar shows for one controller ("UINavigationItem"). Changes reach the bar
// that shows the item on its next layout.
class NavigationItem : public runtime::Object {
    QV_OBJECT(NavigationItem, runtime::Object);

  public:
    static std::shared_ptr<NavigationItem> create(std::string title = {});
    NavigationItem() = default;

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const std::vector<std::shared_ptr<BarButtonItem>>& leftBarButtonItems() const { return left_; }
    const std::vector<std::shared_ptr<BarButtonItem>>& rightBarButtonItems() const {
        return right_;
    }
    std::shared_ptr<BarButtonItem> leftBarButtonItem() const;
    std::shared_ptr<BarButtonItem> rightBarButtonItem() const;
    void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item);
    void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item);
    void setLeftBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items);
    void setRightBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items);
    bool hidesBackButton() const { return hidesBackButton_; }
    void setHidesBackButton(bool hides);
    // The back button's title when this item is under the top one (empty: this item's title).
    const std::string& backButtonTitle() const { return backTitle_; }
    void setBackButtonTitle(std::string title);

    // Appearances that override the bar's own while this item is on top.
    const std::optional<NavigationBarAppearance>& standardAppearance() const { return standard_; }
    void setStandardAppearance(std::optional<NavigationBarAppearance> a);
    const std::optional<NavigationBarAppearance>& scrollEdgeAppearance() const {
        return scrollEdge_;
    }
    void setScrollEdgeAppearance(std::optional<NavigationBarAppearance> a);
    const std::optional<NavigationBarAppearance>& compactAppearance() const { return compact_; }
    void setCompactAppearance(std::optional<NavigationBarAppearance> a);
    const std::optional<NavigationBarAppearance>& compactScrollEdgeAppearance() const {
        return compactScrollEdge_;
    }
    void setCompactScrollEdgeAppearance(std::optional<NavigationBarAppearance> a);

  private:
    friend class NavigationBar;
    void changed();

    std::string title_;
    std::string backTitle_;
    std::vector<std::shared_ptr<BarButtonItem>> left_;
    std::vector<std::shared_ptr<BarButtonItem>> right_;
    bool hidesBackButton_ = false;
    std::optional<NavigationBarAppearance> standard_;
    std::optional<NavigationBarAppearance> scrollEdge_;
    std::optional<NavigationBarAppearance> compact_;
    std::optional<NavigationBarAppearance> compactScrollEdge_;
    std::weak_ptr<NavigationBar> bar_;
};

}  // namespace ui
