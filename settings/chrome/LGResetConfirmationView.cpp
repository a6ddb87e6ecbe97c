#include "settings/chrome/detail/LGResetConfirmationView.h"

#include <algorithm>
#include <cmath>

#include "platform/dispatch/Queue.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Menu.h"
#include "platform/ui/StackView.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/TargetAction.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/VisualEffectView.h"
#include "platform/ui/detail/LabelLayout.h"
#include "settings/chrome/LGPageChrome.h"
#include "support/LGSharedSupport.h"

QV_DEFINE_CLASS(LGResetConfirmationView, "LGResetConfirmationView");

namespace {

constexpr char kTitle[] = "重置设置？";
constexpr char kDefaultMessage[] = "这会恢复所有 Quorvane 设置，启用状态除外。";

// The card's insets and gaps, top to bottom.
constexpr double kTitleTop = 22;
constexpr double kTextSide = 18;
constexpr double kMessageGap = 10;
constexpr double kButtonsGap = 20;
constexpr double kButtonsSide = 16;
constexpr double kButtonsBottom = 16;
constexpr double kButtonHeight = 46;
constexpr double kButtonSpacing = 12;

std::shared_ptr<ui::Button> cardButton(const char* title, const base::Color& titleColor,
                                       const base::Color& background) {
    auto button = ui::Button::create(ui::ButtonType::Custom);
    button->setTitle(title);
    button->setTitleColor(titleColor);
    button->setTitleFont(text::Font::systemFont(17, text::FontWeight::Semibold));
    button->setBackgroundColor(background);
    button->layer()->setCornerRadius(kButtonHeight / 2);
    button->layer()->setCornerCurve(ui::CornerCurve::Continuous);
    button->setClipsToBounds(true);
    return button;
}

std::shared_ptr<ui::Label> cardLabel(const std::string& text, text::FontRef font,
                                     const base::Color& color) {
    auto label = ui::Label::create();
    label->setText(text);
    label->setFont(font);
    label->setTextColor(color);
    label->setNumberOfLines(0);
    return label;
}

// The height the label needs to show all of its text in `width`, wrapped as it will draw it.
// A label's own fitting size is one line, whatever its line count.
double wrappedHeight(const ui::Label& label, double width) {
    const auto styled = label.attributedText();
    if (!styled || !(width > 0)) return 0;
    const double lineHeight = label.intrinsicContentSize().height;
    const auto lines = ui::detail::layOutText(*styled, {0, 0, width, lineHeight * 1000},
                                              label.textAlignment(), label.numberOfLines());
    return lineHeight * double(std::max<std::size_t>(lines.size(), 1));
}

}  // namespace

void LGResetConfirmationView::registerMethods(
    runtime::MethodList<LGResetConfirmationView>& methods) {
    methods.add<&LGResetConfirmationView::layoutOverlay>(kLayoutSubviews);
}

LGResetConfirmationView::LGResetConfirmationView(const base::Rect& frame,
                                                 const std::shared_ptr<ui::ViewController>& page,
                                                 const std::string& message, runtime::SEL action)
    : View(frame), page_(page), action_(action) {
    setTag(kLGResetConfirmationTag);
    setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    setBackgroundColor(base::Color::black().withAlpha(0.24));
    setAlpha(0);

    // Behind everything else: whatever misses the card dismisses.
    background_ = ui::Control::create(bounds());
    background_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth |
                                     ui::AutoresizingMask::FlexibleHeight);
    addSubview(background_);

    card_ = ui::VisualEffectView::create(
        ui::BlurEffect::effectWithStyle(ui::BlurEffectStyle::SystemMaterial));
    card_->layer()->setCornerRadius(32);
    card_->layer()->setCornerCurve(ui::CornerCurve::Continuous);
    card_->setClipsToBounds(true);
    card_->setTransform(base::AffineTransform::scale(kHiddenCardScale, kHiddenCardScale));
    addSubview(card_);

    title_ = cardLabel(kTitle, text::Font::boldSystemFont(24), ui::colors::label());
    message_ = cardLabel(message.empty() ? kDefaultMessage : message,
                         text::Font::systemFont(15, text::FontWeight::Medium),
                         ui::colors::secondaryLabel());
    cancel_ = cardButton("取消", base::Color::white(1), ui::colors::systemBlue());
    confirm_ =
        cardButton(kLGResetButtonTitle, ui::colors::systemRed(), ui::colors::tertiarySystemFill());
    buttons_ = ui::StackView::create({cancel_, confirm_});
    buttons_->setAxis(ui::LayoutAxis::Horizontal);
    buttons_->setSpacing(kButtonSpacing);
    buttons_->setDistribution(ui::StackViewDistribution::FillEqually);
    for (const auto& part :
         {std::static_pointer_cast<ui::View>(title_), std::static_pointer_cast<ui::View>(message_),
          std::static_pointer_cast<ui::View>(buttons_)}) {
        card_->contentView()->addSubview(part);
    }
}

LGResetConfirmationView::~LGResetConfirmationView() = default;

std::shared_ptr<LGResetConfirmationView> LGResetConfirmationView::create(
    const base::Rect& frame, const std::shared_ptr<ui::ViewController>& page,
    const std::string& message, runtime::SEL action) {
    auto overlay = std::make_shared<LGResetConfirmationView>(frame, page, message, action);
    overlay->connect(*overlay->background_, false);
    overlay->connect(*overlay->cancel_, false);
    overlay->connect(*overlay->confirm_, true);
    overlay->layoutIfNeeded();
    return overlay;
}

void LGResetConfirmationView::connect(ui::Control& control, bool confirmed) {
    // The control owns the action; the action must not own the overlay that owns the control.
    const std::weak_ptr<LGResetConfirmationView> weakSelf = runtime::weakRef(this);
    control.addAction(ui::Action::create({}, nullptr,
                                         [weakSelf, confirmed](ui::Action&) {
                                             if (auto self = weakSelf.lock())
                                                 self->dismiss(confirmed);
                                         }),
                      ui::ControlEvents::TouchUpInside);
}

void LGResetConfirmationView::layoutOverlay() {
    kLayoutSubviews.sendSuper(this);
    const base::Rect area = bounds();
    // Pass 1: the card's width, 320 points unless that leaves less than the margin on a side.
    const double width = std::max(0.0, std::min(kCardWidth, area.width() - 2 * kCardMargin));
    const double textWidth = std::max(0.0, width - 2 * kTextSide);

    // Pass 2: its content top to bottom, which gives its height.
    const double titleHeight = wrappedHeight(*title_, textWidth);
    const double messageHeight = wrappedHeight(*message_, textWidth);
    const base::Rect titleFrame{kTextSide, kTitleTop, textWidth, titleHeight};
    const base::Rect messageFrame{kTextSide, titleFrame.maxY() + kMessageGap, textWidth,
                                  messageHeight};
    const base::Rect buttonsFrame{kButtonsSide, messageFrame.maxY() + kButtonsGap,
                                  std::max(0.0, width - 2 * kButtonsSide), kButtonHeight};
    const double height = buttonsFrame.maxY() + kButtonsBottom;

    // Pass 3: place the card by bounds and centre, so that its scale stays a transform about
    // its middle rather than a change of frame.
    card_->setBounds({0, 0, width, height});
    card_->setCenter({area.midX(), area.midY()});
    card_->contentView()->setFrame(card_->bounds());
    title_->setFrame(titleFrame);
    message_->setFrame(messageFrame);
    buttons_->setFrame(buttonsFrame);
}

void LGResetConfirmationView::animateIn() {
    layoutIfNeeded();
    View::animate(kAnimationDuration, [this] {
        setAlpha(1);
        card_->setTransform(base::AffineTransform::identity());
    });
}

void LGResetConfirmationView::dismiss(bool confirmed) {
    if (dismissing_) return;
    dismissing_ = true;
    // Nothing on a closing card may be tapped again: the reset runs once.
    setUserInteractionEnabled(false);
    const std::weak_ptr<LGResetConfirmationView> weakSelf = runtime::weakRef(this);
    View::animate(
        kAnimationDuration,
        [this] {
            setAlpha(0);
            card_->setTransform(base::AffineTransform::scale(kHiddenCardScale, kHiddenCardScale));
        },
        [weakSelf](bool) {
            if (auto self = weakSelf.lock()) self->removeFromSuperview();
        });
    if (!confirmed) return;

    const std::shared_ptr<ui::ViewController> page = page_.lock();
    if (page && action_ && ui::respondsToAction(page.get(), action_)) {
        ui::performAction(action_, page.get(), confirm_.get());
        return;
    }
    dispatch::Queue::main()->after(dispatch::nanosFromSeconds(kResetAllDelay),
                                   [] { LGPrefsResetAll(); });
}
