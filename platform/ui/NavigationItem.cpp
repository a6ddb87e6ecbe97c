#include "platform/ui/NavigationItem.h"

#include "platform/ui/Menu.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/TargetAction.h"

namespace ui {

QV_DEFINE_CLASS(BarButtonItem, "UIBarButtonItem");
QV_DEFINE_CLASS(NavigationItem, "UINavigationItem");

void NavigationBarAppearance::configureWithDefaultBackground() {
    backgroundEffect = BlurEffect::effectWithStyle(BlurEffectStyle::SystemChromeMaterial);
    backgroundColor = base::Color::clear();
    shadowColor = colors::separator();
}

void NavigationBarAppearance::configureWithOpaqueBackground() {
    backgroundEffect.reset();
    backgroundColor = colors::systemBackground();
    shadowColor = colors::separator();
}

void NavigationBarAppearance::configureWithTransparentBackground() {
    backgroundEffect.reset();
    backgroundColor = base::Color::clear();
    shadowColor = base::Color::clear();
}

std::shared_ptr<BarButtonItem> BarButtonItem::create(std::string title, BarButtonItemStyle style,
                                                     const std::shared_ptr<runtime::Object>& target,
                                                     runtime::SEL action) {
    auto item = std::make_shared<BarButtonItem>();
    item->title_ = std::move(title);
    item->style_ = style;
    item->setTarget(target, action);
    return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::create(graphics::ImageRef image,
                                                     BarButtonItemStyle style,
                                                     const std::shared_ptr<runtime::Object>& target,
                                                     runtime::SEL action) {
    auto item = create(std::string(), style, target, action);
    item->image_ = std::move(image);
    return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::create(std::string title,
                                                     std::shared_ptr<Action> primaryAction) {
    auto item = std::make_shared<BarButtonItem>();
    item->title_ = std::move(title);
    item->primaryAction_ = std::move(primaryAction);
    return item;
}

bool BarButtonItem::performTap() {
    if (!enabled_) return false;
    const std::shared_ptr<BarButtonItem> keep = runtime::retained(this);
    if (primaryAction_) {
        primaryAction_->performWithSender(keep);
        return true;
    }
    const std::shared_ptr<runtime::Object> target = target_.lock();
    return performAction(action_, target.get(), this);
}

std::shared_ptr<NavigationItem> NavigationItem::create(std::string title) {
    auto item = std::make_shared<NavigationItem>();
    item->title_ = std::move(title);
    return item;
}

void NavigationItem::changed() {
    if (auto bar = bar_.lock()) bar->itemDidChange(*this);
}

void NavigationItem::setTitle(std::string title) {
    if (title == title_) return;
    title_ = std::move(title);
    changed();
}

std::shared_ptr<BarButtonItem> NavigationItem::leftBarButtonItem() const {
    return left_.empty() ? nullptr : left_.front();
}

std::shared_ptr<BarButtonItem> NavigationItem::rightBarButtonItem() const {
    return right_.empty() ? nullptr : right_.front();
}

void NavigationItem::setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item) {
    setLeftBarButtonItems(item ? std::vector{std::move(item)}
                               : std::vector<std::shared_ptr<BarButtonItem>>{});
}

void NavigationItem::setRightBarButtonItem(std::shared_ptr<BarButtonItem> item) {
    setRightBarButtonItems(item ? std::vector{std::move(item)}
                                : std::vector<std::shared_ptr<BarButtonItem>>{});
}

void NavigationItem::setLeftBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items) {
    std::erase(items, nullptr);
    left_ = std::move(items);
    changed();
}

void NavigationItem::setRightBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items) {
    std::erase(items, nullptr);
    right_ = std::move(items);
    changed();
}

void NavigationItem::setHidesBackButton(bool hides) {
    if (hides == hidesBackButton_) return;
    hidesBackButton_ = hides;
    changed();
}

void NavigationItem::setBackButtonTitle(std::string title) {
    backTitle_ = std::move(title);
    changed();
}

void NavigationItem::setStandardAppearance(std::optional<NavigationBarAppearance> a) {
    standard_ = std::move(a);
    changed();
}

void NavigationItem::setScrollEdgeAppearance(std::optional<NavigationBarAppearance> a) {
    scrollEdge_ = std::move(a);
    changed();
}

void NavigationItem::setCompactAppearance(std::optional<NavigationBarAppearance> a) {
    compact_ = std::move(a);
    changed();
}

void NavigationItem::setCompactScrollEdgeAppearance(std::optional<NavigationBarAppearance> a) {
    compactScrollEdge_ = std::move(a);
    changed();
}

}  // namespace ui
