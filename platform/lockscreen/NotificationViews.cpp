#include "platform/lockscreen/NotificationViews.h"

#include <algorithm>

#include "platform/text/Font.h"
#include "platform/text/FontWeight.h"
#include "platform/ui/Layer.h"

namespace lockscreen {

QV_DEFINE_CLASS(PlatterView, "PLPlatterView");
QV_DEFINE_CLASS(NotificationCardView, "NCNotificationCardView");
QV_DEFINE_CLASS(NotificationShortLookView, "NCNotificationShortLookView");
QV_DEFINE_CLASS(NotificationLongLookView, "NCNotificationLongLookView");
QV_DEFINE_CLASS(NotificationListView, "NCNotificationListView");
QV_DEFINE_CLASS(NotificationListContainerView, "NCNotificationListContainerView");
QV_DEFINE_CLASS(NotificationStructuredListViewController,
                "NCNotificationStructuredListViewController");

namespace {

std::shared_ptr<ui::Label> makeCardLabel(double size, double weight, double alpha) {
    auto label = ui::Label::create();
    label->setFont(text::Font::systemFont(size, weight));
    label->setTextColor(
        base::Color::dynamic(base::Color::white(0, alpha), base::Color::white(1, alpha)));
    return label;
}

}  // namespace

// ---- PlatterView --------------------------------------------------------------------------------

PlatterView::PlatterView() {
    applyBackground();
}

std::shared_ptr<PlatterView> PlatterView::create(bool withBackground) {
    auto view = std::make_shared<PlatterView>();
    view->setHasBackground(withBackground);
    return view;
}

void PlatterView::setHasBackground(bool has) {
    if (has == hasBackground_) return;
    hasBackground_ = has;
    applyBackground();
}

void PlatterView::applyBackground() {
    // The system's material: a light frosted card by day, a dark one by night.
    layer()->setCornerRadius(hasBackground_ ? kCornerRadius : 0);
    layer()->setCornerCurve(ui::CornerCurve::Continuous);
    setBackgroundColor(hasBackground_ ? base::Color::dynamic(base::Color::white(1, 0.62),
                                                             base::Color::white(0.12, 0.62))
                                      : base::Color::clear());
}

// ---- NotificationCardView -----------------------------------------------------------------------

void NotificationCardView::registerMethods(runtime::MethodList<NotificationCardView>& methods) {
    methods.add<&NotificationCardView::layoutCard>(kLayoutSubviews);
}

void NotificationCardView::fill(const Notification& notification) {
    identifier_ = notification.identifier;
    content_ = PlatterView::create(false);
    app_ = makeCardLabel(13, text::FontWeight::Regular, 0.6);
    title_ = makeCardLabel(15, text::FontWeight::Semibold, 1.0);
    body_ = makeCardLabel(15, text::FontWeight::Regular, 0.9);
    body_->setNumberOfLines(notification.expanded ? 4 : 1);
    app_->setText(notification.app);
    title_->setText(notification.title);
    body_->setText(notification.body);
    addSubview(content_);
    content_->addSubview(app_);
    content_->addSubview(title_);
    content_->addSubview(body_);
}

double NotificationCardView::preferredHeight() const {
    return isKindOfClass(NotificationLongLookView::staticClass()) ? kLongHeight : kShortHeight;
}

void NotificationCardView::layoutCard() {
    const base::Rect b = bounds();
    content_->setFrame(b);
    const double inset = 14;
    const double width = std::max(0.0, b.size.width - 2 * inset);
    app_->setFrame({inset, 8, width, 18});
    title_->setFrame({inset, 28, width, 20});
    body_->setFrame({inset, 48, width, std::max(20.0, b.size.height - 56)});
}

std::shared_ptr<NotificationShortLookView> NotificationShortLookView::create(
    const Notification& notification) {
    auto view = std::make_shared<NotificationShortLookView>();
    view->fill(notification);
    return view;
}

std::shared_ptr<NotificationLongLookView> NotificationLongLookView::create(
    const Notification& notification) {
    auto view = std::make_shared<NotificationLongLookView>();
    view->fill(notification);
    return view;
}

// ---- NotificationListView -----------------------------------------------------------------------

void NotificationListView::registerMethods(runtime::MethodList<NotificationListView>& methods) {
    methods.add<&NotificationListView::layoutCards>(kLayoutSubviews);
}

std::shared_ptr<NotificationListView> NotificationListView::create() {
    auto view = std::make_shared<NotificationListView>();
    view->setShowsVerticalScrollIndicator(false);
    return view;
}

std::vector<std::shared_ptr<NotificationCardView>> NotificationListView::cards() const {
    std::vector<std::shared_ptr<NotificationCardView>> result;
    for (const auto& view : subviews()) {
        if (auto card = std::dynamic_pointer_cast<NotificationCardView>(view))
            result.push_back(card);
    }
    return result;
}

bool NotificationListView::addNotification(const Notification& notification) {
    for (const auto& card : cards()) {
        if (card->identifier() == notification.identifier) return false;
    }
    std::shared_ptr<NotificationCardView> card;
    if (notification.expanded) {
        card = NotificationLongLookView::create(notification);
    } else {
        card = NotificationShortLookView::create(notification);
    }
    // Newest first: the list lays cards out in subview order from the top.
    insertSubview(card, 0);
    setNeedsLayout();
    return true;
}

bool NotificationListView::removeNotification(const std::string& identifier) {
    for (const auto& card : cards()) {
        if (card->identifier() != identifier) continue;
        card->removeFromSuperview();
        setNeedsLayout();
        return true;
    }
    return false;
}

void NotificationListView::layoutCards() {
    const double width = std::max(0.0, bounds().size.width - 2 * kSideMargin);
    double y = 0;
    for (const auto& card : cards()) {
        const double height = card->preferredHeight();
        card->setFrame({kSideMargin, y, width, height});
        y += height + kSpacing;
    }
    setContentSize({bounds().size.width, std::max(0.0, y - kSpacing)});
}

// ---- NotificationListContainerView --------------------------------------------------------------

void NotificationListContainerView::registerMethods(
    runtime::MethodList<NotificationListContainerView>& methods) {
    methods.add<&NotificationListContainerView::layoutList>(kLayoutSubviews);
}

std::shared_ptr<NotificationListContainerView> NotificationListContainerView::create() {
    return std::make_shared<NotificationListContainerView>();
}

void NotificationListContainerView::layoutList() {
    for (const auto& view : subviews()) {
        if (view->isKindOfClass(NotificationListView::staticClass())) view->setFrame(bounds());
    }
}

// ---- NotificationStructuredListViewController ---------------------------------------------------

void NotificationStructuredListViewController::registerMethods(
    runtime::MethodList<NotificationStructuredListViewController>& methods) {
    methods.add<&NotificationStructuredListViewController::loadListView>(kLoadView);
}

NotificationStructuredListViewController::NotificationStructuredListViewController()
    : list_(NotificationListView::create()) {}

std::shared_ptr<NotificationStructuredListViewController>
NotificationStructuredListViewController::create() {
    return std::make_shared<NotificationStructuredListViewController>();
}

void NotificationStructuredListViewController::loadListView() {
    auto container = NotificationListContainerView::create();
    container->addSubview(list_);
    setView(container);
}

}  // namespace lockscreen
