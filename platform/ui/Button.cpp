#include "platform/ui/Button.h"

#include <algorithm>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/MenuPresentation.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/Touch.h"

namespace ui {

QV_DEFINE_CLASS(Button, "UIButton");

namespace {

constexpr double kHighlightedAlpha = 0.35;
constexpr double kDefaultTitleSize = 15;
constexpr double kConfigurationTitleSize = 17;

template <class Map>
auto valueFor(const Map& map, ControlState state) -> std::optional<typename Map::mapped_type> {
    if (auto it = map.find(std::uint32_t(state)); it != map.end()) return it->second;
    if (auto it = map.find(0); it != map.end()) return it->second;
    return std::nullopt;
}

}  // namespace

void Button::registerMethods(runtime::MethodList<Button>& methods) {
    methods.add<&Button::layoutButton>(kLayoutSubviews)
        .add<&Button::tintChangedButton>(kTintColorDidChange)
        .add<&Button::sizeThatFitsButton>(kSizeThatFits)
        .add<&Button::touchesEndedButton>(kTouchesEnded);
}

Button::Button() {
    setUp();
}

Button::Button(ButtonType type) : type_(type) {
    setUp();
}

Button::~Button() = default;

std::shared_ptr<Button> Button::create(ButtonType type) {
    return std::make_shared<Button>(type);
}

void Button::setUp() {
    titleFont_ = text::Font::systemFont(kDefaultTitleSize);
    imageView_ = ImageView::create();
    imageView_->setContentMode(ContentMode::ScaleAspectFit);
    titleLabel_ = Label::create();
    titleLabel_->setUserInteractionEnabled(false);
    titleLabel_->setTextAlignment(TextAlignment::Center);
    addSubview(imageView_);
    addSubview(titleLabel_);
    updateContent();
}

void Button::setTitle(const std::string& title, ControlState state) {
    titles_[std::uint32_t(state)] = title;
    updateContent();
}

std::string Button::titleForState(ControlState state) const {
    return valueFor(titles_, state).value_or(std::string());
}

std::string Button::currentTitle() const {
    if (configuration_ && !configuration_->title.empty()) return configuration_->title;
    return titleForState(state());
}

void Button::setTitleColor(const base::Color& color, ControlState state) {
    titleColors_[std::uint32_t(state)] = color;
    updateContent();
}

std::optional<base::Color> Button::titleColorForState(ControlState state) const {
    return valueFor(titleColors_, state);
}

void Button::setImage(graphics::ImageRef image, ControlState state) {
    images_[std::uint32_t(state)] = std::move(image);
    updateContent();
}

graphics::ImageRef Button::imageForState(ControlState state) const {
    return valueFor(images_, state).value_or(nullptr);
}

void Button::setTitleFont(text::FontRef font) {
    if (!font || font == titleFont_) return;
    titleFont_ = std::move(font);
    titleFontSet_ = true;
    updateContent();
}

void Button::setConfiguration(std::optional<ButtonConfiguration> configuration) {
    configuration_ = std::move(configuration);
    updateContent();
}

void Button::setContentEdgeInsets(const base::EdgeInsets& insets) {
    if (insets == contentEdgeInsets_) return;
    contentEdgeInsets_ = insets;
    updateContent();
}

void Button::stateDidChange() {
    updateContent();
}

void Button::tintChangedButton() {
    kTintColorDidChange.sendSuper(this);
    updateContent();
}

base::Color Button::foregroundColor() const {
    if (!isEnabled()) return colors::tertiaryLabel();
    if (configuration_) {
        if (configuration_->baseForegroundColor) return *configuration_->baseForegroundColor;
        return configuration_->filled ? base::Color::white(1) : tintColor();
    }
    if (auto c = titleColorForState(state())) return *c;
    return type_ == ButtonType::System ? tintColor() : base::Color::white(1);
}

DirectionalEdgeInsets Button::insets() const {
    if (configuration_) return configuration_->contentInsets;
    return {contentEdgeInsets_.top, contentEdgeInsets_.left, contentEdgeInsets_.bottom,
            contentEdgeInsets_.right};
}

void Button::updateContent() {
    if (!titleLabel_) return;
    std::string title = titleForState(state());
    graphics::ImageRef image = imageForState(state());
    text::FontRef font = titleFont_;
    if (configuration_) {
        if (!configuration_->title.empty()) title = configuration_->title;
        if (configuration_->image) image = configuration_->image;
        font = configuration_->titleFont.value_or(
            titleFontSet_ ? titleFont_ : text::Font::systemFont(kConfigurationTitleSize));
        if (configuration_->filled) {
            setBackgroundColor(configuration_->baseBackgroundColor.value_or(tintColor()));
        } else if (configuration_->backgroundColor) {
            setBackgroundColor(*configuration_->backgroundColor);
        }
        if (configuration_->cornerRadius > 0)
            layer()->setCornerRadius(configuration_->cornerRadius);
    }
    titleLabel_->setFont(font);
    titleLabel_->setText(title);
    titleLabel_->setHidden(title.empty());
    const base::Color foreground = foregroundColor();
    titleLabel_->setTextColor(foreground);
    imageView_->setTintColor(foreground);
    imageView_->setImage(image);
    imageView_->setHidden(!image);
    // System buttons show a press by dimming their content.
    const double contentAlpha =
        type_ == ButtonType::System && isHighlighted() ? kHighlightedAlpha : 1;
    titleLabel_->setAlpha(contentAlpha);
    imageView_->setAlpha(contentAlpha);
    invalidateIntrinsicContentSize();
    setNeedsLayout();
}

base::Size Button::contentSize() const {
    const base::Size t =
        titleLabel_->isHidden() ? base::Size{} : titleLabel_->intrinsicContentSize();
    const graphics::ImageRef& image = imageView_->image();
    const base::Size i = image ? image->size() : base::Size{};
    const double padding =
        (!titleLabel_->isHidden() && image && configuration_) ? configuration_->imagePadding : 0;
    const ButtonImagePlacement placement =
        configuration_ ? configuration_->imagePlacement : ButtonImagePlacement::Leading;
    if (placement == ButtonImagePlacement::Top || placement == ButtonImagePlacement::Bottom) {
        return {std::max(i.width, t.width), i.height + padding + t.height};
    }
    return {i.width + padding + t.width, std::max(i.height, t.height)};
}

base::Size Button::intrinsicContentSize() const {
    const base::Size c = contentSize();
    const DirectionalEdgeInsets in = insets();
    return {c.width + in.leading + in.trailing, c.height + in.top + in.bottom};
}

base::Size Button::sizeThatFitsButton(base::Size) {
    return intrinsicContentSize();
}

void Button::layoutButton() {
    const DirectionalEdgeInsets in = insets();
    const base::Rect b = bounds();
    const base::Rect box{b.minX() + in.leading, b.minY() + in.top,
                         std::max(0.0, b.width() - in.leading - in.trailing),
                         std::max(0.0, b.height() - in.top - in.bottom)};
    const base::Size content = contentSize();

    // Pass 1: the content box, placed by the alignments.
    const bool fillH = contentHorizontalAlignment() == ContentHorizontalAlignment::Fill;
    const bool fillV = contentVerticalAlignment() == ContentVerticalAlignment::Fill;
    const double cw = fillH ? box.width() : std::min(content.width, box.width());
    const double ch = fillV ? box.height() : std::min(content.height, box.height());
    double x = box.minX() + (box.width() - cw) / 2;
    switch (contentHorizontalAlignment()) {
        case ContentHorizontalAlignment::Left:
        case ContentHorizontalAlignment::Leading:
        case ContentHorizontalAlignment::Fill:
            x = box.minX();
            break;
        case ContentHorizontalAlignment::Right:
        case ContentHorizontalAlignment::Trailing:
            x = box.maxX() - cw;
            break;
        case ContentHorizontalAlignment::Center:
            break;
    }
    double y = box.minY() + (box.height() - ch) / 2;
    if (contentVerticalAlignment() == ContentVerticalAlignment::Top || fillV) y = box.minY();
    if (contentVerticalAlignment() == ContentVerticalAlignment::Bottom) y = box.maxY() - ch;

    // Pass 2: image and title inside it; the title takes what the image leaves.
    const graphics::ImageRef& image = imageView_->image();
    const base::Size i = image ? image->size() : base::Size{};
    const bool hasTitle = !titleLabel_->isHidden();
    const double padding = (hasTitle && image && configuration_) ? configuration_->imagePadding : 0;
    const ButtonImagePlacement placement =
        configuration_ ? configuration_->imagePlacement : ButtonImagePlacement::Leading;
    const double th = hasTitle ? titleLabel_->intrinsicContentSize().height : 0;
    switch (placement) {
        case ButtonImagePlacement::Leading:
            imageView_->setFrame({x, y + (ch - i.height) / 2, i.width, i.height});
            titleLabel_->setFrame({x + i.width + padding, y + (ch - th) / 2,
                                   std::max(0.0, cw - i.width - padding), th});
            break;
        case ButtonImagePlacement::Trailing:
            titleLabel_->setFrame(
                {x, y + (ch - th) / 2, std::max(0.0, cw - i.width - padding), th});
            imageView_->setFrame({x + cw - i.width, y + (ch - i.height) / 2, i.width, i.height});
            break;
        case ButtonImagePlacement::Top:
            imageView_->setFrame({x + (cw - i.width) / 2, y, i.width, i.height});
            titleLabel_->setFrame({x, y + i.height + padding, cw, th});
            break;
        case ButtonImagePlacement::Bottom:
            titleLabel_->setFrame({x, y, cw, th});
            imageView_->setFrame({x + (cw - i.width) / 2, y + th + padding, i.width, i.height});
            break;
    }
}

void Button::touchesEndedButton(Touch* touch, Event* event) {
    const bool pressed =
        isTouchDown() && touch != nullptr && isInsideForTracking(touch->locationInView(this));
    const std::shared_ptr<Button> keep = runtime::retained(this);
    kTouchesEnded.sendSuper(this, touch, event);
    if (!pressed) return;
    if (showsMenu_ && menu_) {
        MenuPresentation::present(menu_, *this);
        return;
    }
    sendActionsForControlEvents(ControlEvents::PrimaryActionTriggered);
}

}  // namespace ui
