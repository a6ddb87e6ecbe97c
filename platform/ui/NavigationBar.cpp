#include "platform/ui/NavigationBar.h"

#include <algorithm>

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Menu.h"
#include "platform/ui/SymbolImage.h"
#include "platform/ui/SystemColors.h"

namespace ui {

QV_DEFINE_CLASS(NavigationBar, "UINavigationBar");

namespace {

constexpr double kMargin = 8;
constexpr double kButtonSpacing = 4;

}  // namespace

void NavigationBar::registerMethods(runtime::MethodList<NavigationBar>& methods) {
    methods.add<&NavigationBar::layoutBar>(kLayoutSubviews);
}

NavigationBar::NavigationBar() {
    background_ = VisualEffectView::create(std::nullopt);
    background_->setUserInteractionEnabled(false);
    hairline_ = View::create();
    hairline_->setUserInteractionEnabled(false);
    titleLabel_ = Label::create();
    titleLabel_->setTextAlignment(TextAlignment::Center);
    addSubview(background_);
    addSubview(hairline_);
    addSubview(titleLabel_);
}

NavigationBar::~NavigationBar() = default;

std::shared_ptr<NavigationBar> NavigationBar::create() {
    return std::make_shared<NavigationBar>();
}

void NavigationBar::setItems(std::vector<std::shared_ptr<NavigationItem>> items) {
    std::erase(items, nullptr);
    for (const auto& item : items_) item->bar_.reset();
    items_ = std::move(items);
    const std::weak_ptr<NavigationBar> self = runtime::weakRef(this);
    for (const auto& item : items_) item->bar_ = self;
    rebuild();
}

std::shared_ptr<NavigationItem> NavigationBar::topItem() const {
    return items_.empty() ? nullptr : items_.back();
}

std::shared_ptr<NavigationItem> NavigationBar::backItem() const {
    return items_.size() < 2 ? nullptr : items_[items_.size() - 2];
}

void NavigationBar::setStandardAppearance(const NavigationBarAppearance& appearance) {
    standard_ = appearance;
    rebuild();
}

NavigationBarAppearance NavigationBar::effectiveAppearance() const {
    if (auto top = topItem(); top && top->standardAppearance()) return *top->standardAppearance();
    return standard_;
}

void NavigationBar::itemDidChange(NavigationItem&) {
    rebuild();
}

std::shared_ptr<Button> NavigationBar::buttonFor(const std::shared_ptr<BarButtonItem>& item) {
    auto button = Button::create(ButtonType::System);
    ButtonConfiguration c = ButtonConfiguration::plainButtonConfiguration();
    c.contentInsets = {0, 8, 0, 8};
    c.title = item->title();
    c.image = item->image();
    c.titleFont = text::Font::systemFont(17, item->style() == BarButtonItemStyle::Done
                                                 ? text::FontWeight::Semibold
                                                 : text::FontWeight::Regular);
    if (item->tintColor()) c.baseForegroundColor = item->tintColor();
    button->setConfiguration(c);
    button->setEnabled(item->isEnabled());
    const std::weak_ptr<BarButtonItem> weak = item;
    button->addAction(Action::create({}, nullptr,
                                     [weak](Action&) {
                                         if (auto i = weak.lock()) i->performTap();
                                     }),
                      ControlEvents::TouchUpInside);
    return button;
}

void NavigationBar::rebuild() {
    for (const auto& b : leftButtons_) b->removeFromSuperview();
    for (const auto& b : rightButtons_) b->removeFromSuperview();
    if (backButton_) backButton_->removeFromSuperview();
    leftButtons_.clear();
    rightButtons_.clear();
    backButton_.reset();

    const NavigationBarAppearance appearance = effectiveAppearance();
    background_->setEffect(appearance.backgroundEffect);
    if (!appearance.backgroundEffect) background_->setBackgroundColor(appearance.backgroundColor);
    hairline_->setBackgroundColor(appearance.shadowColor);
    titleLabel_->setFont(
        appearance.titleFont.value_or(text::Font::systemFont(17, text::FontWeight::Semibold)));
    titleLabel_->setTextColor(appearance.titleColor.value_or(colors::label()));

    const std::shared_ptr<NavigationItem> top = topItem();
    titleLabel_->setText(top ? top->title() : std::string());
    if (!top) return setNeedsLayout();
    for (const auto& item : top->leftBarButtonItems()) leftButtons_.push_back(buttonFor(item));
    for (const auto& item : top->rightBarButtonItems()) rightButtons_.push_back(buttonFor(item));
    const std::shared_ptr<NavigationItem> back = backItem();
    if (back && leftButtons_.empty() && !top->hidesBackButton()) {
        backButton_ = Button::create(ButtonType::System);
        ButtonConfiguration c = ButtonConfiguration::plainButtonConfiguration();
        c.contentInsets = {0, 4, 0, 8};
        c.image = systemImage("chevron.left", 20);
        c.imagePadding = 4;
        c.title = back->backButtonTitle().empty() ? back->title() : back->backButtonTitle();
        backButton_->setConfiguration(c);
        const std::weak_ptr<NavigationBar> self = runtime::weakRef(this);
        backButton_->addAction(Action::create({}, nullptr,
                                              [self](Action&) {
                                                  auto bar = self.lock();
                                                  if (bar && bar->backHandler_) bar->backHandler_();
                                              }),
                               ControlEvents::TouchUpInside);
        addSubview(backButton_);
    }
    for (const auto& b : leftButtons_) addSubview(b);
    for (const auto& b : rightButtons_) addSubview(b);
    setNeedsLayout();
}

void NavigationBar::layoutBar() {
    const base::Rect b = bounds();
    background_->setFrame(b);
    hairline_->setFrame({0, b.height(), b.width(), 0.5});
    // Pass 1: left side, left to right.
    double left = kMargin;
    const auto placeLeft = [&](Button& button) {
        const base::Size s = button.intrinsicContentSize();
        button.setFrame({left, (b.height() - s.height) / 2, s.width, s.height});
        left += s.width + kButtonSpacing;
    };
    if (backButton_) placeLeft(*backButton_);
    for (const auto& button : leftButtons_) placeLeft(*button);
    // Pass 2: right side, right to left.
    double right = b.width() - kMargin;
    for (const auto& button : rightButtons_) {
        const base::Size s = button->intrinsicContentSize();
        right -= s.width;
        button->setFrame({right, (b.height() - s.height) / 2, s.width, s.height});
        right -= kButtonSpacing;
    }
    // Pass 3: the title, centred on the bar within what the buttons leave.
    const double side = std::max(left, b.width() - right);
    const double height = titleLabel_->intrinsicContentSize().height;
    titleLabel_->setFrame(
        {side, (b.height() - height) / 2, std::max(0.0, b.width() - 2 * side), height});
}

}  // namespace ui
