// The rows of the settings page: section headers, and one row per switch, menu, link or slider.
#include <cmath>

#include "platform/text/FontWeight.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/Menu.h"
#include "platform/ui/StackView.h"
#include "platform/ui/SymbolImage.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/TargetAction.h"
#include "settings/controls/QVQuorvaneLiquidSlider.h"
#include "settings/controls/QVQuorvaneLiquidSwitch.h"
#include "settings/model/LGSettingsItems.h"
#include "settings/page/LGPageSupport.h"
#include "settings/page/QVQuorvaneSurfaceController.h"
#include "settings/page/detail/SurfaceAttachments.h"
#include "support/LGSharedSupport.h"

using namespace surface_detail;

namespace {

constexpr double kHeaderSpacing = 12;

text::FontRef systemFont(double size, double weight = text::FontWeight::Regular) {
    return text::Font::systemFont(size, weight);
}

std::shared_ptr<ui::Label> makeLabel(const std::string& text, const text::FontRef& font,
                                     const base::Color& color) {
    auto label = ui::Label::create();
    label->setText(text);
    label->setFont(font);
    label->setTextColor(color);
    label->setTranslatesAutoresizingMaskIntoConstraints(false);
    return label;
}

void pinEdges(ui::View& view, ui::View& container, double top, double leading, double bottom,
              double trailing) {
    ui::LayoutConstraint::activateConstraints({
        view.topAnchor().constraintEqualToAnchor(container.topAnchor(), top),
        view.leadingAnchor().constraintEqualToAnchor(container.leadingAnchor(), leading),
        view.bottomAnchor().constraintEqualToAnchor(container.bottomAnchor(), -bottom),
        view.trailingAnchor().constraintEqualToAnchor(container.trailingAnchor(), -trailing),
    });
}

// Runs `handler` for `events` of `control` without keeping anything but the handler alive.
void onEvents(ui::Control& control, ui::ControlEvents events, std::function<void()> handler) {
    control.addAction(
        ui::Action::create("", nullptr, [handler = std::move(handler)](ui::Action&) { handler(); }),
        events);
}

ui::ButtonConfiguration menuButtonConfiguration(const std::string& title,
                                                const base::Color& accent) {
    ui::ButtonConfiguration configuration = ui::ButtonConfiguration::plainButtonConfiguration();
    configuration.title = title;
    configuration.titleFont = systemFont(15, text::FontWeight::Semibold);
    configuration.image = ui::systemImage("chevron.down", 12);
    configuration.imagePlacement = ui::ButtonImagePlacement::Trailing;
    configuration.imagePadding = 6;
    configuration.baseForegroundColor = accent;
    configuration.backgroundColor = base::Color::clear();
    configuration.contentInsets = {4, 8, 4, 8};
    return configuration;
}

}  // namespace

// ---- Section headers ----------------------------------------------------------------------------

std::shared_ptr<ui::View> QVQuorvaneSurfaceController::sectionViewForItem(
    const LGSettingsItem& item) {
    auto header = ui::View::create();
    header->setBackgroundColor(base::Color::clear());
    const std::string& title = item.string("title");
    const bool small = item.boolean("small_title");
    if (!title.empty() && !small) sectionViews_[title] = header;

    auto titleLabel =
        small ? makeLabel(title, systemFont(13, text::FontWeight::Semibold),
                          ui::colors::secondaryLabel())
              : makeLabel(title, systemFont(22, text::FontWeight::Bold), ui::colors::label());
    auto subtitleLabel =
        makeLabel(item.string("subtitle"), systemFont(13, text::FontWeight::Medium),
                  ui::colors::secondaryLabel());
    subtitleLabel->setNumberOfLines(0);
    auto stack = ui::StackView::create({titleLabel, subtitleLabel});
    stack->setAxis(ui::LayoutAxis::Vertical);
    stack->setSpacing(3);
    stack->setTranslatesAutoresizingMaskIntoConstraints(false);
    header->addSubview(stack);
    pinEdges(*stack, *header, 4, 2, 1, 2);
    return header;
}

// ---- Common row parts ---------------------------------------------------------------------------

std::shared_ptr<ui::Label> QVQuorvaneSurfaceController::controlTitleLabelForItem(
    const LGSettingsItem& item) {
    return makeLabel(item.string("title"), systemFont(17, text::FontWeight::Semibold),
                     ui::colors::label());
}

std::shared_ptr<ui::Label> QVQuorvaneSurfaceController::controlSubtitleLabelWithText(
    const std::string& text) {
    auto label = makeLabel(text, systemFont(13), ui::colors::secondaryLabel());
    label->setNumberOfLines(0);
    return label;
}

std::shared_ptr<ui::View> QVQuorvaneSurfaceController::controlHeaderRowWithTitleLabel(
    const std::shared_ptr<ui::Label>& title,
    const std::vector<std::shared_ptr<ui::View>>& accessories, double spacing) {
    auto row = ui::View::create();
    row->setTranslatesAutoresizingMaskIntoConstraints(false);
    row->addSubview(title);
    ui::LayoutConstraint::activateConstraints({
        title->leadingAnchor().constraintEqualToAnchor(row->leadingAnchor()),
        title->topAnchor().constraintEqualToAnchor(row->topAnchor()),
        title->bottomAnchor().constraintEqualToAnchor(row->bottomAnchor()),
    });
    // Accessories stand from the right edge inwards, in list order.
    ui::View* previous = nullptr;
    for (const std::shared_ptr<ui::View>& accessory : accessories) {
        accessory->setTranslatesAutoresizingMaskIntoConstraints(false);
        row->addSubview(accessory);
        ui::LayoutConstraint::activateConstraints({
            previous ? accessory->trailingAnchor().constraintEqualToAnchor(
                           previous->leadingAnchor(), -spacing)
                     : accessory->trailingAnchor().constraintEqualToAnchor(row->trailingAnchor()),
            accessory->centerYAnchor().constraintEqualToAnchor(title->centerYAnchor()),
        });
        previous = accessory.get();
    }
    if (previous != nullptr) {
        title->trailingAnchor()
            .constraintLessThanOrEqualToAnchor(previous->leadingAnchor(), -spacing)
            ->setActive(true);
    } else {
        title->trailingAnchor().constraintEqualToAnchor(row->trailingAnchor())->setActive(true);
    }
    return row;
}

std::shared_ptr<ui::View> QVQuorvaneSurfaceController::stackedRow(
    const std::shared_ptr<ui::View>& header, const std::shared_ptr<ui::Label>& subtitle) {
    auto row = ui::View::create();
    auto stack = ui::StackView::create();
    stack->setAxis(ui::LayoutAxis::Vertical);
    stack->setSpacing(9);
    stack->setTranslatesAutoresizingMaskIntoConstraints(false);
    stack->addArrangedSubview(header);
    if (subtitle) stack->addArrangedSubview(subtitle);
    row->addSubview(stack);
    pinEdges(*stack, *row, 13, 14, 13, 14);
    return row;
}

std::shared_ptr<ui::View> QVQuorvaneSurfaceController::controlBodyForItem(
    const LGSettingsItem& item) {
    const std::shared_ptr<ui::Label> title = controlTitleLabelForItem(item);
    const std::string& type = item.string("type");
    if (type == "nav") return navControlBodyForItem(item, title);
    if (type == "menu") return menuControlBodyForItem(item, title);
    if (type == "switch") return switchControlBodyForItem(item, title);
    // Anything else is a number to choose.
    return sliderControlBodyForItem(item, title);
}

// ---- Switch rows --------------------------------------------------------------------------------

std::shared_ptr<ui::Switch> QVQuorvaneSurfaceController::configuredToggleForItem(
    const LGSettingsItem& item) {
    auto toggle = QVQuorvaneLiquidSwitch::create();
    toggle->setOnTintColor(accentColor_);
    const std::string key = item.string("key");
    const base::PlistPtr fallback = item.object("default");
    const base::PlistPtr stored = LGPrefsDirectNumber(key, fallback);
    toggle->setOn(stored && stored->boolValue(), false);
    attachSwitch(*toggle, {fallback, key, item.boolean("controls_following_panel")});

    const std::weak_ptr<QVQuorvaneSurfaceController> weakSelf = self();
    const std::weak_ptr<ui::Switch> weakToggle = toggle;
    const bool followers = item.boolean("controls_following_panel");
    onEvents(*toggle, ui::ControlEvents::ValueChanged, [weakSelf, weakToggle, key, followers] {
        const std::shared_ptr<ui::Switch> control = weakToggle.lock();
        if (!control) return;
        const bool on = control->isOn();
        LGPrefsSetValue(key, base::PlistValue::boolean(on));
        if (!followers) return;
        if (auto self = weakSelf.lock()) self->updatePanelsControlledByEnabledKey(key, on, true);
    });
    return toggle;
}

std::shared_ptr<ui::View> QVQuorvaneSurfaceController::switchControlBodyForItem(
    const LGSettingsItem& item, const std::shared_ptr<ui::Label>& title) {
    const std::shared_ptr<ui::Switch> toggle = configuredToggleForItem(item);
    return stackedRow(controlHeaderRowWithTitleLabel(title, {toggle}, kHeaderSpacing),
                      controlSubtitleLabelWithText(item.string("subtitle")));
}

// ---- Menu rows ----------------------------------------------------------------------------------

std::string QVQuorvaneSurfaceController::menuSelectionTitleForItem(
    const LGSettingsItem& item) const {
    const std::string& key = item.string("key");
    const std::string current = key == kLGPrefsLanguageKey
                                    ? LGPrefsCurrentLanguage()
                                    : textOfValue(LGPrefsDirectValue(key, item.object("default")));
    const std::vector<LGSettingsChoice> choices = item.choices();
    for (const LGSettingsChoice& choice : choices) {
        if (choice.value == current) return choice.title;
    }
    const std::string fallback = textOfValue(item.object("default"));
    for (const LGSettingsChoice& choice : choices) {
        if (choice.value == fallback) return choice.title;
    }
    return {};
}

std::shared_ptr<ui::Menu> QVQuorvaneSurfaceController::menuForItem(
    const LGSettingsItem& item, const std::string& current,
    const std::shared_ptr<ui::Button>& menuButton) {
    // The actions hold the page and the button weakly: a page that went away is not kept alive
    // by a menu somebody still holds.
    const std::weak_ptr<QVQuorvaneSurfaceController> weakSelf = self();
    const std::weak_ptr<ui::Button> weakButton = menuButton;
    std::vector<std::shared_ptr<ui::MenuElement>> actions;
    for (const LGSettingsChoice& choice : item.choices()) {
        if (choice.value.empty() || choice.title.empty()) continue;
        auto action = ui::Action::create(
            choice.title, nullptr, [weakSelf, weakButton, item, choice](ui::Action&) {
                // Pass 1: store the choice.
                const std::string& key = item.string("key");
                std::string now;
                if (key == kLGPrefsLanguageKey) {
                    LGPrefsSetLanguage(choice.value);
                    now = LGPrefsCurrentLanguage();
                } else {
                    LGPrefsSetValue(key, base::PlistValue::string(choice.value));
                    now = choice.value;
                }
                const std::shared_ptr<QVQuorvaneSurfaceController> self = weakSelf.lock();
                const std::shared_ptr<ui::Button> button = weakButton.lock();
                if (!self || !button) return;
                // Pass 2: the button's title, then a fresh menu so the check mark moves.
                button->setConfiguration(menuButtonConfiguration(choice.title, self->accentColor_));
                button->setMenu(self->menuForItem(item, now, button));
                if (item.boolean("reload_on_change")) {
                    self->updateVisibleValueControlledItemsAnimated(true);
                }
            });
        action->setState(choice.value == current ? ui::MenuElementState::On
                                                 : ui::MenuElementState::Off);
        actions.push_back(std::move(action));
    }
    return ui::Menu::create("", std::move(actions));
}

std::shared_ptr<ui::View> QVQuorvaneSurfaceController::menuControlBodyForItem(
    const LGSettingsItem& item, const std::shared_ptr<ui::Label>& title) {
    const std::string& key = item.string("key");
    const std::string current = key == kLGPrefsLanguageKey
                                    ? LGPrefsCurrentLanguage()
                                    : textOfValue(LGPrefsDirectValue(key, item.object("default")));
    auto button = ui::Button::create(ui::ButtonType::System);
    button->setShowsMenuAsPrimaryAction(true);
    button->setTintColor(accentColor_);
    button->setTitleFont(systemFont(15, text::FontWeight::Semibold));
    button->setBackgroundColor(base::Color::clear());
    button->layer()->setCornerRadius(0);
    button->setConfiguration(
        menuButtonConfiguration(menuSelectionTitleForItem(item), accentColor_));
    button->setMenu(menuForItem(item, current, button));
    const std::string& subtitle = item.string("subtitle");
    return stackedRow(controlHeaderRowWithTitleLabel(title, {button}, kHeaderSpacing),
                      subtitle.empty() ? nullptr : controlSubtitleLabelWithText(subtitle));
}

// ---- Link rows ----------------------------------------------------------------------------------

std::shared_ptr<ui::View> QVQuorvaneSurfaceController::navControlBodyForItem(
    const LGSettingsItem& item, const std::shared_ptr<ui::Label>& title) {
    auto chevron = ui::ImageView::create(ui::systemImage("chevron.right", 17));
    chevron->setTintColor(ui::colors::tertiaryLabel());
    chevron->setContentMode(ui::ContentMode::ScaleAspectFit);
    chevron->setTranslatesAutoresizingMaskIntoConstraints(false);
    ui::LayoutConstraint::activateConstraints({
        chevron->widthAnchor().constraintEqualToConstant(12),
        chevron->heightAnchor().constraintEqualToConstant(20),
    });
    // The content only shows; every touch belongs to the button over it.
    const std::shared_ptr<ui::View> row =
        stackedRow(controlHeaderRowWithTitleLabel(title, {chevron}, kHeaderSpacing),
                   controlSubtitleLabelWithText(item.string("subtitle")));
    for (const std::shared_ptr<ui::View>& part : row->subviews()) {
        part->setUserInteractionEnabled(false);
    }

    // The whole row is the button. It lies over the content rather than holding it, because a
    // stack sizes a button by its title, and this one has none.
    auto button = ui::Button::create(ui::ButtonType::Custom);
    button->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::Fill);
    button->setContentVerticalAlignment(ui::ContentVerticalAlignment::Fill);
    button->setContentEdgeInsets({});
    button->setTranslatesAutoresizingMaskIntoConstraints(false);
    row->addSubview(button);
    pinEdges(*button, *row, 0, 0, 0, 0);
    const runtime::SEL action = runtime::Selector::named(item.string("action"));
    if (action && ui::respondsToAction(this, action)) {
        button->addTarget(shared_from_this(), action, ui::ControlEvents::TouchUpInside);
    }
    return row;
}

// ---- Slider rows --------------------------------------------------------------------------------

std::shared_ptr<ui::Label> QVQuorvaneSurfaceController::sliderValueLabelForStoredValue(
    double stored, int64_t decimals, const LGSettingsItem& item, double minValue, double maxValue,
    const std::shared_ptr<ui::Slider>& slider) {
    auto label =
        makeLabel(LGFormatSliderValue(decimals, stored), systemFont(14), ui::colors::systemGray());
    label->setTextAlignment(ui::TextAlignment::Right);
    label->setUserInteractionEnabled(true);
    label->addGestureRecognizer(ui::TapGestureRecognizer::create(
        shared_from_this(), kHandleSliderValueLabelTapped.selector()));
    attachValueLabel(*label, {slider, item.string("key"), base::PlistValue::real(minValue),
                              base::PlistValue::real(maxValue), base::PlistValue::integer(decimals),
                              item.string("title")});
    return label;
}

std::shared_ptr<ui::View> QVQuorvaneSurfaceController::sliderControlBodyForItem(
    const LGSettingsItem& item, const std::shared_ptr<ui::Label>& title) {
    auto row = ui::View::create();
    row->heightAnchor().constraintEqualToConstant(44)->setActive(true);

    // Pass 1: the title takes what it needs within bounds; the value label never gives way.
    title->setFont(systemFont(17));
    title->setNumberOfLines(1);
    title->setContentHuggingPriority(750, ui::LayoutAxis::Horizontal);
    title->setContentCompressionResistancePriority(750, ui::LayoutAxis::Horizontal);
    ui::LayoutConstraint::activateConstraints({
        title->widthAnchor().constraintGreaterThanOrEqualToConstant(84),
        title->widthAnchor().constraintLessThanOrEqualToConstant(128),
    });

    // Pass 2: the slider, showing the stored value.
    const std::string key = item.string("key");
    const double minimum = item.number("min").value_or(0);
    const double maximum = item.number("max").value_or(1);
    const int64_t decimals = static_cast<int64_t>(item.number("decimals").value_or(0));
    const base::PlistPtr fallback = item.object("default");
    const base::PlistPtr storedValue = LGPrefsDirectNumber(key, fallback);
    const double stored = storedValue ? storedValue->doubleValue().value_or(0) : 0;
    auto slider = QVQuorvaneLiquidSlider::create();
    slider->setMinimumValue(static_cast<float>(minimum));
    slider->setMaximumValue(static_cast<float>(maximum));
    slider->setValue(static_cast<float>(stored), false);
    slider->setMinimumTrackTintColor(ui::colors::systemBlue());
    slider->setTintColor(ui::colors::systemBlue());
    slider->setContentHuggingPriority(250, ui::LayoutAxis::Horizontal);
    slider->setContentCompressionResistancePriority(250, ui::LayoutAxis::Horizontal);
    slider->setTranslatesAutoresizingMaskIntoConstraints(false);

    // Pass 3: the value label, which shows the stored number even when it lies outside the range.
    const std::shared_ptr<ui::Label> valueLabel =
        sliderValueLabelForStoredValue(stored, decimals, item, minimum, maximum, slider);
    valueLabel->widthAnchor().constraintEqualToConstant(55)->setActive(true);
    valueLabel->setContentHuggingPriority(1000, ui::LayoutAxis::Horizontal);
    valueLabel->setContentCompressionResistancePriority(1000, ui::LayoutAxis::Horizontal);
    attachSlider(*slider, {fallback, valueLabel, decimals});

    auto stack = ui::StackView::create({title, slider, valueLabel});
    stack->setAxis(ui::LayoutAxis::Horizontal);
    stack->setAlignment(ui::StackViewAlignment::Center);
    stack->setSpacing(12);
    stack->setTranslatesAutoresizingMaskIntoConstraints(false);
    row->addSubview(stack);
    pinEdges(*stack, *row, 0, 14, 0, 14);
    slider->heightAnchor().constraintEqualToAnchor(row->heightAnchor())->setActive(true);

    // Pass 4: drags only relabel; the gesture's end writes the value once.
    const std::weak_ptr<ui::Slider> weakSlider = slider;
    const std::weak_ptr<ui::Label> weakLabel = valueLabel;
    onEvents(*slider, ui::ControlEvents::ValueChanged, [weakSlider, weakLabel, decimals] {
        const auto control = weakSlider.lock();
        const auto label = weakLabel.lock();
        if (control && label) label->setText(LGFormatSliderValue(decimals, control->value()));
    });
    onEvents(*slider,
             ui::ControlEvents::TouchUpInside | ui::ControlEvents::TouchUpOutside |
                 ui::ControlEvents::TouchCancel,
             [weakSlider, weakLabel, decimals, key] {
                 const auto control = weakSlider.lock();
                 if (!control) return;
                 const double value = control->value();
                 if (const auto label = weakLabel.lock()) {
                     label->setText(LGFormatSliderValue(decimals, value));
                 }
                 LGPrefsSetValue(key, base::PlistValue::real(value));
             });
    return row;
}
